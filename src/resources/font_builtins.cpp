// The font_* built-ins: queries, fonts from system faces and from sprites,
// replacing and deleting.
#include "resources/font.h"
#include "resources/font_table.h"
#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "resources/sprite.h"
#include "script/error_report.h"

namespace bw {
namespace {

BW_RESOURCE_QUERY(FontGetSize, CFontBW, Font_Get, r->GetSize())
BW_RESOURCE_QUERY(FontGetBold, CFontBW, Font_Get, r->GetBold())
BW_RESOURCE_QUERY(FontGetItalic, CFontBW, Font_Get, r->GetItalic())
BW_RESOURCE_QUERY(FontGetFirst, CFontBW, Font_Get, r->GetFirst())
BW_RESOURCE_QUERY(FontGetLast, CFontBW, Font_Get, r->GetLast())

BW_BUILTIN(FontExists)
{
    Result_SetBool(result, Font_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(FontGetName)
{
    Result_SetString(result, Font_GetName(Arg_Int(args[0])));
}

BW_BUILTIN(FontGetFontname)
{
    const CFontBW* font = Font_Get(Arg_Int(args[0]));
    Result_SetString(result, font != nullptr ? font->GetFaceName() : "");
}

// (name, size, bold, italic, first, last)
BW_BUILTIN(FontAdd)
{
    Result_SetReal(result, Font_Add(Arg_Text(args[0]), Arg_Int(args[1]), Arg_Flag(args[2]), Arg_Flag(args[3]),
                                    Arg_Int(args[4]), Arg_Int(args[5])));
}

bool SourceSpriteExists(const Value& sprite, const char* message)
{
    if (!Sprite_Exists(Arg_Int(sprite))) {
        Code_Error_Runtime(message, false);
        return false;
    }
    return true;
}

constexpr const char* kFromMissingSprite = "Trying to create font from non-existing sprite.";
constexpr const char* kReplaceFromMissingSprite = "Trying to replace font from non-existing sprite.";

// (sprite, first, prop, sep)
BW_BUILTIN(FontAddSprite)
{
    if (SourceSpriteExists(args[0], kFromMissingSprite)) {
        Result_SetReal(result,
                       Font_AddSprite(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Above(args[2]), Arg_Int(args[3])));
    }
}

// (sprite, string_map, prop, sep)
BW_BUILTIN(FontAddSpriteExt)
{
    if (SourceSpriteExists(args[0], kFromMissingSprite)) {
        Result_SetReal(result, Font_AddSpriteExt(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Above(args[2]),
                                                 Arg_Int(args[3])));
    }
}

bool FontToReplace(const Value& index)
{
    if (!Font_Exists(Arg_Int(index))) {
        Code_Error_Runtime("Trying to replace non-existing font.", false);
        return false;
    }
    return true;
}

// (index, name, size, bold, italic, first, last)
BW_BUILTIN(FontReplace)
{
    if (FontToReplace(args[0])) {
        Result_SetBool(result, Font_Replace(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Int(args[2]),
                                            Arg_Above(args[3]), Arg_Above(args[4]), Arg_Int(args[5]),
                                            Arg_Int(args[6])));
    }
}

// (index, sprite, first, prop, sep)
BW_BUILTIN(FontReplaceSprite)
{
    if (FontToReplace(args[0]) && SourceSpriteExists(args[1], kReplaceFromMissingSprite)) {
        Result_SetBool(result, Font_ReplaceSprite(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]),
                                                  Arg_Above(args[3]), Arg_Int(args[4])));
    }
}

// (index, sprite, string_map, prop, sep)
BW_BUILTIN(FontReplaceSpriteExt)
{
    if (FontToReplace(args[0]) && SourceSpriteExists(args[1], kReplaceFromMissingSprite)) {
        Result_SetBool(result, Font_ReplaceSpriteExt(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Text(args[2]),
                                                     Arg_Above(args[3]), Arg_Int(args[4])));
    }
}

BW_BUILTIN(FontDelete)
{
    if (!Font_Delete(Arg_Int(args[0]))) {
        Code_Error_Runtime("Trying to delete non-existing font.", false);
        return;
    }
    Result_SetReal(result, 1.0);
}

BW_BUILTIN(FontSetCacheSize)
{
    Result_SetReal(result, 0.0);
}

const BuiltinRegistration kFonts[] = {
    {"font_exists", &FontExists, 1},
    {"font_get_name", &FontGetName, 1},
    {"font_name", &FontGetName, 1},
    {"font_get_fontname", &FontGetFontname, 1},
    {"font_get_size", &FontGetSize, 1},
    {"font_get_bold", &FontGetBold, 1},
    {"font_get_italic", &FontGetItalic, 1},
    {"font_get_first", &FontGetFirst, 1},
    {"font_get_last", &FontGetLast, 1},
    {"font_add", &FontAdd, 6},
    {"font_add_sprite", &FontAddSprite, 4},
    {"font_add_sprite_ext", &FontAddSpriteExt, 4},
    {"font_replace", &FontReplace, 7},
    {"font_replace_sprite", &FontReplaceSprite, 5},
    {"font_replace_sprite_ext", &FontReplaceSpriteExt, 5},
    {"font_delete", &FontDelete, 1},
    {"font_set_cache_size", &FontSetCacheSize, 2},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Fonts()
{
    return kFonts;
}

}  // namespace bw
