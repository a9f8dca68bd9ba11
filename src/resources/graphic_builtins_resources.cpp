#include "resources/graphic_builtins_resources.h"

#include <cmath>

#include "graphics/graphic_builtins_args.h"
#include "resources/background.h"
#include "resources/path.h"
#include "resources/sprite.h"
#include "script/error_report.h"
#include "world/instance.h"

namespace bw {

// A negative frame stands for the caller's current frame.
void SpriteGetTexture(Value* result, CInstance* self, CInstance*, int32_t, Value* args)
{
    const int32_t index = Arg_Int(args[0]);
    int32_t frame = Arg_Int(args[1]);
    if (frame < 0) {
        frame = self != nullptr ? Real_TruncToInt32(std::floor(self->i_imageindex)) : 0;
    }
    CSprite* sprite = Sprite_Get(index);
    if (sprite == nullptr) {
        Code_Error_Runtime("Trying to get texture from non-existing sprite.", false);
        return;
    }
    result->real = sprite->GetFrameTexture(frame);
}

BW_BUILTIN(BackgroundGetTexture)
{
    const CBackground* background = Background_Get(Arg_Int(args[0]));
    if (background == nullptr) {
        Code_Error_Runtime("Trying to get texture from non-existing background.", false);
        return;
    }
    result->real = background->GetTexture();
}

// An absolute path is drawn where its points lie; otherwise it is moved so
// that it starts at (x, y).
BW_BUILTIN(DrawPath)
{
    const CPath* path = Path_Get(Arg_Int(args[0]));
    if (path == nullptr) {
        Code_Error_Runtime("Trying to drawn non-existing path.", false);
        return;
    }
    if (Arg_Flag(args[3])) {
        path->Draw(0.0f, 0.0f, true);
    } else {
        path->Draw(Arg_Float(args[1]), Arg_Float(args[2]), false);
    }
}

namespace {

const BuiltinRegistration kDrawPath[] = {
    {"draw_path", &DrawPath, 4},
};

const BuiltinRegistration kResourceTextures[] = {
    {"sprite_get_texture", &SpriteGetTexture, 2},
    {"background_get_texture", &BackgroundGetTexture, 1},
};

}  // namespace

void Function_Graphic_Register()
{
    Builtins_Register(GraphicBuiltins_DisplayToShapes());
    Builtins_Register(kDrawPath);
    Builtins_Register(GraphicBuiltins_ShapeColoursToVertices());
    Builtins_Register(kResourceTextures);
    Builtins_Register(GraphicBuiltins_Textures());
    Builtins_Register(GraphicBuiltins_Text());
    Builtins_Register(GraphicBuiltins_SpritesToTiles());
    Builtins_Register(GraphicBuiltins_Surfaces());
}

}  // namespace bw
