// The background_* built-ins: queries, creation from files, colours, the
// screen and surfaces, editing, copying and saving. From code version 800
// the loaders take "removeback" in place of the transparent and preload
// flags, and the alpha loaders are gone.
#include <memory>
#include <optional>

#include "graphics/bitmap.h"
#include "graphics/surfaces.h"
#include "platform/console.h"
#include "resources/background.h"
#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "script/error_report.h"

namespace bw {
namespace {

// ---- queries -----------------------------------------------------------

BW_RESOURCE_QUERY(BackgroundGetWidth, CBackground, Background_Get, r->GetWidth())
BW_RESOURCE_QUERY(BackgroundGetHeight, CBackground, Background_Get, r->GetHeight())
BW_RESOURCE_QUERY(BackgroundGetTransparent, CBackground, Background_Get, r->GetTransparent())
BW_RESOURCE_QUERY(BackgroundGetSmooth, CBackground, Background_Get, r->GetSmooth())
BW_RESOURCE_QUERY(BackgroundGetPreload, CBackground, Background_Get, r->GetPreload())

BW_BUILTIN(BackgroundExists)
{
    Result_SetBool(result, Background_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(BackgroundGetName)
{
    Result_SetString(result, Background_GetName(Arg_Int(args[0])));
}

// ---- creation and loading ----------------------------------------------

bool BackgroundToReplace(const Value& index)
{
    if (!Background_Exists(Arg_Int(index))) {
        Code_Error_Runtime("Trying to replace non-existing background.", false);
        return false;
    }
    return true;
}

// (fname, removeback, smooth)
BW_BUILTIN(BackgroundAdd3)
{
    Result_SetReal(result, Background_Add(Arg_Text(args[0]), Arg_Flag(args[1]), Arg_Flag(args[2]), false));
}

// (fname, transparent, smooth, preload)
BW_BUILTIN(BackgroundAdd4)
{
    Result_SetReal(result, Background_Add(Arg_Text(args[0]), Arg_Flag(args[1]), Arg_Flag(args[2]),
                                          Arg_Above(args[3])));
}

BW_BUILTIN(BackgroundReplace4)
{
    if (BackgroundToReplace(args[0])) {
        Result_SetBool(result, Background_Replace(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Flag(args[2]),
                                                  Arg_Flag(args[3]), false));
    }
}

BW_BUILTIN(BackgroundReplace5)
{
    if (BackgroundToReplace(args[0])) {
        Result_SetBool(result, Background_Replace(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Flag(args[2]),
                                                  Arg_Flag(args[3]), Arg_Above(args[4])));
    }
}

BW_BUILTIN(BackgroundAddAlpha)
{
    Result_SetReal(result, Background_AddAlpha(Arg_Text(args[0]), Arg_Above(args[1])));
}

BW_BUILTIN(BackgroundReplaceAlpha)
{
    if (BackgroundToReplace(args[0])) {
        Result_SetBool(result, Background_ReplaceAlpha(Arg_Int(args[0]), Arg_Text(args[1]), Arg_Above(args[2])));
    }
}

BW_BUILTIN(BackgroundUnsupported)
{
    Console().Printf("unsupported function\n");
    Result_SetReal(result, -1.0);
}

// (w, h, col[, preload])
BW_BUILTIN(BackgroundCreateColor)
{
    const int32_t index = Background_CreateNew();
    Background_Get(index)->CreateColor(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Colour(args[2]),
                                       argc > 3 && Arg_Above(args[3]));
    Result_SetReal(result, index);
}

// (w, h, col1, col2, kind[, preload])
BW_BUILTIN(BackgroundCreateGradient)
{
    const int32_t index = Background_CreateNew();
    Background_Get(index)->CreateGradient(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Colour(args[2]),
                                          Arg_Colour(args[3]), Arg_Int(args[4]), argc > 5 && Arg_Above(args[5]));
    Result_SetReal(result, index);
}

// (rect, transparent or removeback, smooth[, preload]) from the screen (no
// surface) or a surface. A capture that failed makes no background: the
// result is -1.
void CreateFromCapture(Value* result, std::optional<int32_t> surface, const Value* rect, bool newForm)
{
    Result_SetReal(result, -1.0);
    const int32_t x = Arg_Int(rect[0]), y = Arg_Int(rect[1]), w = Arg_Int(rect[2]), h = Arg_Int(rect[3]);
    std::unique_ptr<TBitmap> image =
        surface ? Surface_CreateBitmap(*surface, x, y, w, h) : GR_CreateBitmapFromScreen(x, y, w, h);
    if (image == nullptr) {
        return;
    }
    const bool transparent = Arg_Above(rect[4]);
    const bool preload = !newForm && Arg_Above(rect[6]);
    const int32_t index = Background_CreateNew();
    if (!Background_Get(index)->CreateFromBitmap(image.get(), transparent, Arg_Above(rect[5]), preload,
                                                 newForm && !transparent)) {
        Background_Delete(index);
        return;
    }
    Result_SetReal(result, index);
}

BW_BUILTIN(BackgroundCreateFromScreen6)
{
    CreateFromCapture(result, std::nullopt, args, true);
}
BW_BUILTIN(BackgroundCreateFromScreen7)
{
    CreateFromCapture(result, std::nullopt, args, false);
}
BW_BUILTIN(BackgroundCreateFromSurface7)
{
    CreateFromCapture(result, Arg_Int(args[0]), args + 1, true);
}
BW_BUILTIN(BackgroundCreateFromSurface8)
{
    CreateFromCapture(result, Arg_Int(args[0]), args + 1, false);
}

// ---- editing, copying and saving ---------------------------------------

BW_BUILTIN(BackgroundDelete)
{
    if (!Background_Delete(Arg_Int(args[0]))) {
        Code_Error_Runtime("Trying to delete non-existing background.", false);
    }
}

BW_BUILTIN(BackgroundDuplicate)
{
    const int32_t index = Arg_Int(args[0]);
    if (!Background_Exists(index)) {
        Code_Error_Runtime("Trying to duplicate non-existing background.", false);
        return;
    }
    Result_SetReal(result, Background_Duplicate(index));
}

BW_BUILTIN(BackgroundAssign)
{
    if (!Background_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) {
        Code_Error_Runtime("Error assigning a background.", false);
    }
}

BW_BUILTIN(BackgroundSetAlphaFromBackground)
{
    CBackground* background = Background_Get(Arg_Int(args[0]));
    const CBackground* other = Background_Get(Arg_Int(args[1]));
    if (background != nullptr && other != nullptr) {
        background->SetAlphaFromBackground(*other);
    }
}

BW_BUILTIN(BackgroundSave)
{
    const CBackground* background = Background_Get(Arg_Int(args[0]));
    if (background == nullptr) {
        Code_Error_Runtime("Trying to save non-existing background bitmap.", false);
        return;
    }
    const char* file = Arg_Text(args[1]);
    if (file == nullptr || file[0] == '\0') {
        Code_Error_Runtime("Trying to save background bitmap to empty image file name.", false);
        return;
    }
    const CBitmap32* bitmap = background->GetBitmap();
    if (bitmap == nullptr || !bitmap->IsValid()) {
        Console().Printf("background_save() failed - no bitmap data available\n");
        return;
    }
    SaveBitmapPng(file, *bitmap);
}

// ---- tables ------------------------------------------------------------

#define BW_BACKGROUND_COMMON_FIRST                                                               \
    {"background_exists", &BackgroundExists, 1}, {"background_get_name", &BackgroundGetName, 1}, \
        {"background_name", &BackgroundGetName, 1}, {"background_get_width", &BackgroundGetWidth, 1}, \
        {"background_get_height", &BackgroundGetHeight, 1},                                      \
        {"background_get_transparent", &BackgroundGetTransparent, 1},                            \
        {"background_get_smooth", &BackgroundGetSmooth, 1},                                      \
        {"background_get_preload", &BackgroundGetPreload, 1}

#define BW_BACKGROUND_COMMON_LAST                                                                \
    {"background_delete", &BackgroundDelete, 1}, {"background_duplicate", &BackgroundDuplicate, 1}, \
        {"background_assign", &BackgroundAssign, 2},                                             \
        {"background_set_alpha_from_background", &BackgroundSetAlphaFromBackground, 2},          \
        {"background_save", &BackgroundSave, 2}

const BuiltinRegistration kBackgroundsNew[] = {
    BW_BACKGROUND_COMMON_FIRST,
    {"background_add", &BackgroundAdd3, 3},
    {"background_replace", &BackgroundReplace4, 4},
    {"background_add_background", &BackgroundUnsupported, 1},
    {"background_replace_background", &BackgroundUnsupported, 2},
    {"background_create_color", &BackgroundCreateColor, 3},
    {"background_create_gradient", &BackgroundCreateGradient, 5},
    {"background_create_from_screen", &BackgroundCreateFromScreen6, 6},
    {"background_create_from_surface", &BackgroundCreateFromSurface7, 7},
    BW_BACKGROUND_COMMON_LAST,
};

const BuiltinRegistration kBackgroundsOld[] = {
    BW_BACKGROUND_COMMON_FIRST,
    {"background_add", &BackgroundAdd4, 4},
    {"background_replace", &BackgroundReplace5, 5},
    {"background_add_alpha", &BackgroundAddAlpha, 2},
    {"background_replace_alpha", &BackgroundReplaceAlpha, 3},
    {"background_create_color", &BackgroundCreateColor, 4},
    {"background_create_gradient", &BackgroundCreateGradient, 6},
    {"background_create_from_screen", &BackgroundCreateFromScreen7, 7},
    {"background_create_from_surface", &BackgroundCreateFromSurface8, 8},
    BW_BACKGROUND_COMMON_LAST,
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Backgrounds(bool newForms)
{
    if (newForms) {
        return kBackgroundsNew;
    }
    return kBackgroundsOld;
}

}  // namespace bw
