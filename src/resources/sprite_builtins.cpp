// The sprite_* built-ins: queries, setters, creation from files, the screen
// and surfaces, editing, copying and saving. From code version 800 the
// loaders take "removeback" in place of the transparent, precise and
// preload flags, and the alpha loaders are gone.
#include <memory>
#include <optional>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/bitmap32.h"
#include "graphics/png_image.h"
#include "graphics/surfaces.h"
#include "platform/console.h"
#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "resources/sprite.h"
#include "script/error_report.h"

namespace bw {
namespace {

// ---- queries -----------------------------------------------------------

BW_RESOURCE_QUERY(SpriteGetNumber, CSprite, Sprite_Get, r->frameCount)
BW_RESOURCE_QUERY(SpriteGetWidth, CSprite, Sprite_Get, r->width)
BW_RESOURCE_QUERY(SpriteGetHeight, CSprite, Sprite_Get, r->height)
BW_RESOURCE_QUERY(SpriteGetTransparent, CSprite, Sprite_Get, r->transparent)
BW_RESOURCE_QUERY(SpriteGetSmooth, CSprite, Sprite_Get, r->smooth)
BW_RESOURCE_QUERY(SpriteGetPreload, CSprite, Sprite_Get, r->preload)
BW_RESOURCE_QUERY(SpriteGetPrecise, CSprite, Sprite_Get, r->precise)
BW_RESOURCE_QUERY(SpriteGetXOffset, CSprite, Sprite_Get, r->xorigin)
BW_RESOURCE_QUERY(SpriteGetYOffset, CSprite, Sprite_Get, r->yorigin)
BW_RESOURCE_QUERY(SpriteGetBBoxMode, CSprite, Sprite_Get, r->bboxMode)
BW_RESOURCE_QUERY(SpriteGetBBoxLeft, CSprite, Sprite_Get, r->bboxLeft)
BW_RESOURCE_QUERY(SpriteGetBBoxRight, CSprite, Sprite_Get, r->bboxRight)
BW_RESOURCE_QUERY(SpriteGetBBoxTop, CSprite, Sprite_Get, r->bboxTop)
BW_RESOURCE_QUERY(SpriteGetBBoxBottom, CSprite, Sprite_Get, r->bboxBottom)

BW_BUILTIN(SpriteExists)
{
    Result_SetBool(result, Sprite_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(SpriteGetName)
{
    Result_SetString(result, Sprite_GetName(Arg_Int(args[0])));
}

// ---- setters -----------------------------------------------------------

// Instances of the sprite recompute their boxes after any of these.
template <typename Edit>
void EditSprite(const Value& index, Edit edit)
{
    if (CSprite* sprite = Sprite_Get(Arg_Int(index))) {
        edit(*sprite);
        Sprite_FlagInstances();
    }
}

BW_BUILTIN(SpriteSetOffset)
{
    EditSprite(args[0], [args](CSprite& s) {
        s.xorigin = Arg_Int(args[1]);
        s.yorigin = Arg_Int(args[2]);
    });
}

BW_BUILTIN(SpriteSetBBoxMode)
{
    EditSprite(args[0], [args](CSprite& s) { s.SetBBoxMode(Arg_Int(args[1])); });
}

BW_BUILTIN(SpriteSetBBox)
{
    EditSprite(args[0], [args](CSprite& s) {
        s.SetBBox(Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3]), Arg_Int(args[4]));
    });
}

BW_BUILTIN(SpriteSetPrecise)
{
    EditSprite(args[0], [args](CSprite& s) { s.SetPrecise(Arg_Above(args[1])); });
}

// ---- creation and loading ----------------------------------------------

constexpr const char* kReplaceMissing = "Trying to replace non-existing sprite.";
constexpr const char* kAddToMissing = "Trying to add to non-existing sprite.";

// (fname, imgnumb, removeback, smooth, xorig, yorig)
BW_BUILTIN(SpriteAdd6)
{
    Result_SetReal(result, Sprite_Add(Arg_Text(args[0]), Arg_Int(args[1]), false, Arg_Flag(args[2]),
                                      Arg_Above(args[3]), false, Arg_Int(args[4]), Arg_Int(args[5])));
}

// (fname, imgnumb, precise, transparent, smooth, preload, xorig, yorig)
BW_BUILTIN(SpriteAdd8)
{
    Result_SetReal(result, Sprite_Add(Arg_Text(args[0]), Arg_Int(args[1]), Arg_Flag(args[2]), Arg_Flag(args[3]),
                                      Arg_Above(args[4]), Arg_Above(args[5]), Arg_Int(args[6]), Arg_Int(args[7])));
}

bool SpriteToReplace(const Value& index)
{
    if (!Sprite_Exists(Arg_Int(index))) {
        Code_Error_Runtime(kReplaceMissing, false);
        return false;
    }
    return true;
}

BW_BUILTIN(SpriteReplace7)
{
    if (SpriteToReplace(args[0])) {
        Result_SetBool(result, Sprite_Replace(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Int(args[2]), false,
                                              Arg_Above(args[3]), Arg_Above(args[4]), false, Arg_Int(args[5]),
                                              Arg_Int(args[6])));
    }
}

BW_BUILTIN(SpriteReplace9)
{
    if (SpriteToReplace(args[0])) {
        Result_SetBool(result, Sprite_Replace(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Int(args[2]),
                                              Arg_Above(args[3]), Arg_Above(args[4]), Arg_Above(args[5]),
                                              Arg_Above(args[6]), Arg_Int(args[7]), Arg_Int(args[8])));
    }
}

// (fname, imgnumb, precise, preload, xorig, yorig)
BW_BUILTIN(SpriteAddAlpha)
{
    Result_SetReal(result, Sprite_AddAlpha(Arg_Text(args[0]), Arg_Int(args[1]), Arg_Above(args[2]),
                                           Arg_Above(args[3]), Arg_Int(args[4]), Arg_Int(args[5])));
}

BW_BUILTIN(SpriteReplaceAlpha)
{
    if (SpriteToReplace(args[0])) {
        Result_SetBool(result, Sprite_ReplaceAlpha(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Int(args[2]),
                                                   Arg_Above(args[3]), Arg_Above(args[4]), Arg_Int(args[5]),
                                                   Arg_Int(args[6])));
    }
}

// A rectangle of the screen (no surface) or of a surface. A negative id
// from game code is a missing surface (a failed surface_create answers
// -1), never the screen.
std::unique_ptr<TBitmap> Capture(std::optional<int32_t> surface, const Value* rect)
{
    const int32_t x = Arg_Int(rect[0]), y = Arg_Int(rect[1]), w = Arg_Int(rect[2]), h = Arg_Int(rect[3]);
    return surface ? Surface_CreateBitmap(*surface, x, y, w, h) : GR_CreateBitmapFromScreen(x, y, w, h);
}

struct NewSpriteFlags {
    bool precise, transparent, smooth, preload, keepAlpha;
};

// A capture that failed makes no sprite at all: the result is -1.
void CreateFromCapture(Value* result, std::unique_ptr<TBitmap> image, const NewSpriteFlags& flags, const Value* origin)
{
    Result_SetReal(result, -1.0);
    if (image == nullptr) {
        return;
    }
    const int32_t index = Sprite_CreateFromSurface();
    CSprite* sprite = Sprite_Get(index);
    if (sprite == nullptr || !sprite->InitFromSurface(image.get(), flags.precise, flags.transparent, flags.smooth,
                                                       flags.preload, Arg_Int(origin[0]), Arg_Int(origin[1]),
                                                       flags.keepAlpha)) {
        Sprite_Delete(index);
        return;
    }
    Result_SetReal(result, index);
}

// From 800: (rect, removeback, smooth, xorig, yorig).
void CreateNewForm(Value* result, std::optional<int32_t> surface, const Value* rect)
{
    const bool removeback = Arg_Above(rect[4]);
    CreateFromCapture(result, Capture(surface, rect), {true, removeback, Arg_Above(rect[5]), true, !removeback},
                      rect + 6);
}

// Below 800: (rect, precise, transparent, smooth, preload, xorig, yorig).
void CreateOldForm(Value* result, std::optional<int32_t> surface, const Value* rect)
{
    const NewSpriteFlags flags{Arg_Above(rect[4]), Arg_Above(rect[5]), Arg_Above(rect[6]), Arg_Above(rect[7]), false};
    CreateFromCapture(result, Capture(surface, rect), flags, rect + 8);
}

BW_BUILTIN(SpriteCreateFromScreen8)
{
    CreateNewForm(result, std::nullopt, args);
}
BW_BUILTIN(SpriteCreateFromScreen10)
{
    CreateOldForm(result, std::nullopt, args);
}
BW_BUILTIN(SpriteCreateFromSurface9)
{
    CreateNewForm(result, Arg_Int(args[0]), args + 1);
}
BW_BUILTIN(SpriteCreateFromSurface11)
{
    CreateOldForm(result, Arg_Int(args[0]), args + 1);
}

// (index, [surface,] rect[, removeback, smooth]); without the flags nothing
// is removed and alpha is kept.
void AddFromCapture(const Value& index, std::optional<int32_t> surface, const Value* rect, bool withFlags)
{
    CSprite* sprite = Sprite_Get(Arg_Int(index));
    if (sprite == nullptr) {
        Code_Error_Runtime(kAddToMissing, false);
        return;
    }
    const bool removeback = withFlags && Arg_Above(rect[4]);
    const bool smooth = withFlags && Arg_Above(rect[5]);
    if (std::unique_ptr<TBitmap> image = Capture(surface, rect)) {
        sprite->AddFromSurface(image.get(), removeback, smooth, !removeback);
        Sprite_FlagInstances();
    }
}

BW_BUILTIN(SpriteAddFromScreen7)
{
    AddFromCapture(args[0], std::nullopt, args + 1, true);
}
BW_BUILTIN(SpriteAddFromScreen5)
{
    AddFromCapture(args[0], std::nullopt, args + 1, false);
}
BW_BUILTIN(SpriteAddFromSurface8)
{
    AddFromCapture(args[0], Arg_Int(args[1]), args + 2, true);
}
BW_BUILTIN(SpriteAddFromSurface6)
{
    AddFromCapture(args[0], Arg_Int(args[1]), args + 2, false);
}

BW_BUILTIN(SpriteUnsupported)
{
    Console().Printf("unsupported function\n");
    Result_SetReal(result, -1.0);
}

// ---- editing, copying and saving ---------------------------------------

BW_BUILTIN(SpriteDelete)
{
    if (!Sprite_Delete(Arg_Int(args[0]))) {
        Code_Error_Runtime("Trying to delete non-existing sprite.", false);
    }
}

BW_BUILTIN(SpriteDuplicate)
{
    const int32_t index = Arg_Int(args[0]);
    if (!Sprite_Exists(index)) {
        Code_Error_Runtime("Trying to duplicate non-existing sprite.", false);
        return;
    }
    Result_SetReal(result, Sprite_Duplicate(index));
}

BW_BUILTIN(SpriteAssign)
{
    if (!Sprite_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) {
        Code_Error_Runtime("Error assigning a sprite.", false);
    }
}

BW_BUILTIN(SpriteMerge)
{
    CSprite* destination = Sprite_Get(Arg_Int(args[0]));
    const CSprite* source = Sprite_Get(Arg_Int(args[1]));
    if (destination == nullptr) {
        Code_Error_Runtime("Trying to merge to non-existing sprite.", false);
    } else if (source == nullptr) {
        Code_Error_Runtime("Trying to merge from non-existing sprite.", false);
    } else if (destination->Merge(*source)) {
        Sprite_FlagInstances();
    }
}

BW_BUILTIN(SpriteSetAlphaFromSprite)
{
    CSprite* sprite = Sprite_Get(Arg_Int(args[0]));
    const CSprite* other = Sprite_Get(Arg_Int(args[1]));
    if (sprite != nullptr && other != nullptr) {
        sprite->SetAlphaFromSprite(*other);
    }
}

// (index, sepmasks, bboxmode, bbleft, bbtop, bbright, bbbottom, kind, tolerance)
BW_BUILTIN(SpriteCollisionMask)
{
    CSprite* sprite = Sprite_Get(Arg_Int(args[0]));
    if (sprite == nullptr) {
        Code_Error_Runtime("Trying to change the collision mask of non-existing sprite.", false);
        return;
    }
    sprite->precise = true;
    sprite->CreateCollisionMask(Arg_Above(args[1]), Arg_Int(args[2]), Arg_Int(args[3]), Arg_Int(args[4]),
                                Arg_Int(args[5]), Arg_Int(args[6]), Arg_Int(args[7]), Arg_Int(args[8]));
}

// The sprite to save and the file name; null after reporting why not.
const CSprite* SpriteToSave(const Value& index, const Value& name)
{
    const CSprite* sprite = Sprite_Get(Arg_Int(index));
    if (sprite == nullptr) {
        Code_Error_Runtime("Trying to save non-existing sprite bitmap.", false);
        return nullptr;
    }
    const char* file = Arg_Text(name);
    if (file == nullptr || file[0] == '\0') {
        Code_Error_Runtime("Trying to save sprite bitmap to empty image file name.", false);
        return nullptr;
    }
    return sprite;
}

BW_BUILTIN(SpriteSave)
{
    const CSprite* sprite = SpriteToSave(args[0], args[2]);
    if (sprite == nullptr) {
        return;
    }
    const CBitmap32* frame = sprite->GetFrameBitmap(Arg_Int(args[1]));
    if (frame == nullptr || !frame->IsValid()) {
        Console().Printf("sprite_save() failed - no bitmap data available\n");
        return;
    }
    SaveBitmapPng(Arg_Text(args[2]), *frame);
}

// Every frame side by side on opaque black.
BW_BUILTIN(SpriteSaveStrip)
{
    const CSprite* sprite = SpriteToSave(args[0], args[1]);
    if (sprite == nullptr) {
        return;
    }
    const int32_t frames = sprite->frameCount;
    const size_t width = static_cast<size_t>(sprite->width);
    const size_t height = static_cast<size_t>(sprite->height);
    const size_t stride = width * static_cast<size_t>(frames);
    std::vector<uint32_t> strip(stride * height, 0xFF000000u);
    for (int32_t f = 0; f < frames; ++f) {
        const CBitmap32* frame = sprite->GetFrameBitmap(f);
        if (frame == nullptr || !frame->IsValid() || frame->Width() != sprite->width ||
            frame->Height() != sprite->height) {
            Console().Printf("sprite_save_strip() failed - Missing bitmap data\n");
            return;
        }
        for (size_t row = 0; row < height; ++row) {
            const uint32_t* from = frame->Pixels() + row * width;
            std::copy(from, from + width, strip.begin() + static_cast<std::ptrdiff_t>(row * stride + f * width));
        }
    }
    write_png_file_argb(Arg_Text(args[1]), std::move(strip), static_cast<int32_t>(stride),
                        static_cast<int32_t>(height));
}

BW_BUILTIN(NoCacheEffect)
{
    Result_SetReal(result, 0.0);
}

// ---- tables ------------------------------------------------------------

#define BW_SPRITE_COMMON_FIRST                                                       \
    {"sprite_exists", &SpriteExists, 1}, {"sprite_get_name", &SpriteGetName, 1},     \
        {"sprite_name", &SpriteGetName, 1}, {"sprite_get_number", &SpriteGetNumber, 1}, \
        {"sprite_get_width", &SpriteGetWidth, 1}, {"sprite_get_height", &SpriteGetHeight, 1}, \
        {"sprite_get_transparent", &SpriteGetTransparent, 1},                        \
        {"sprite_get_smooth", &SpriteGetSmooth, 1}, {"sprite_get_preload", &SpriteGetPreload, 1}, \
        {"sprite_get_precise", &SpriteGetPrecise, 1}, {"sprite_get_xoffset", &SpriteGetXOffset, 1}, \
        {"sprite_get_yoffset", &SpriteGetYOffset, 1}, {"sprite_get_bbox_mode", &SpriteGetBBoxMode, 1}, \
        {"sprite_get_bbox_left", &SpriteGetBBoxLeft, 1}, {"sprite_get_bbox_right", &SpriteGetBBoxRight, 1}, \
        {"sprite_get_bbox_top", &SpriteGetBBoxTop, 1}, {"sprite_get_bbox_bottom", &SpriteGetBBoxBottom, 1}, \
        {"sprite_set_offset", &SpriteSetOffset, 3}, {"sprite_set_bbox_mode", &SpriteSetBBoxMode, 2}, \
        {"sprite_set_bbox", &SpriteSetBBox, 5}, {"sprite_set_precise", &SpriteSetPrecise, 2}

#define BW_SPRITE_COMMON_LAST                                                        \
    {"sprite_delete", &SpriteDelete, 1}, {"sprite_duplicate", &SpriteDuplicate, 1},  \
        {"sprite_assign", &SpriteAssign, 2}, {"sprite_merge", &SpriteMerge, 2},      \
        {"sprite_set_alpha_from_sprite", &SpriteSetAlphaFromSprite, 2},              \
        {"sprite_collision_mask", &SpriteCollisionMask, 9}, {"sprite_save", &SpriteSave, 3}

const BuiltinRegistration kSpritesNew[] = {
    BW_SPRITE_COMMON_FIRST,
    {"sprite_add", &SpriteAdd6, 6},
    {"sprite_replace", &SpriteReplace7, 7},
    {"sprite_create_from_screen", &SpriteCreateFromScreen8, 8},
    {"sprite_create_from_surface", &SpriteCreateFromSurface9, 9},
    {"sprite_add_from_screen", &SpriteAddFromScreen7, 7},
    {"sprite_add_from_surface", &SpriteAddFromSurface8, 8},
    {"sprite_add_sprite", &SpriteUnsupported, 1},
    {"sprite_replace_sprite", &SpriteUnsupported, 2},
    BW_SPRITE_COMMON_LAST,
    {"sprite_save_strip", &SpriteSaveStrip, 2},
    {"sprite_set_cache_size", &NoCacheEffect, 2},
    {"sprite_set_cache_size_ext", &NoCacheEffect, 3},
    {"sprite_get_tpe", &NoCacheEffect, 2},
};

const BuiltinRegistration kSpritesOld[] = {
    BW_SPRITE_COMMON_FIRST,
    {"sprite_add", &SpriteAdd8, 8},
    {"sprite_replace", &SpriteReplace9, 9},
    {"sprite_add_alpha", &SpriteAddAlpha, 6},
    {"sprite_replace_alpha", &SpriteReplaceAlpha, 7},
    {"sprite_create_from_screen", &SpriteCreateFromScreen10, 10},
    {"sprite_create_from_surface", &SpriteCreateFromSurface11, 11},
    {"sprite_add_from_screen", &SpriteAddFromScreen5, 5},
    {"sprite_add_from_surface", &SpriteAddFromSurface6, 6},
    BW_SPRITE_COMMON_LAST,
    {"sprite_set_cache_size", &NoCacheEffect, 2},
    {"sprite_set_cache_size_ext", &NoCacheEffect, 3},
    {"sprite_get_tpe", &NoCacheEffect, 2},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Sprites(bool newForms)
{
    if (newForms) {
        return kSpritesNew;
    }
    return kSpritesOld;
}

}  // namespace bw
