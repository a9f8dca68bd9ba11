// The "Graphic.." group's built-ins that reach the resource tables (the
// texture of a sprite frame or a background, drawing a path, text, sprites,
// backgrounds and tiles), and the registration of the whole group, entered
// in the one order game packages were compiled against.
#pragma once

#include <span>

#include "script/arguments.h"

namespace bw {

BW_BUILTIN(SpriteGetTexture);
BW_BUILTIN(BackgroundGetTexture);
BW_BUILTIN(DrawPath);

std::span<const BuiltinRegistration> GraphicBuiltins_Text();
std::span<const BuiltinRegistration> GraphicBuiltins_SpritesToTiles();

void Function_Graphic_Register();

}  // namespace bw
