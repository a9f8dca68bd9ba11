// Graphics built-ins that reach the resource tables: the texture of a sprite
// frame or a background, and drawing a path.
#pragma once

#include "library/arguments.h"

namespace bw {

BW_BUILTIN(SpriteGetTexture);
BW_BUILTIN(BackgroundGetTexture);
BW_BUILTIN(DrawPath);

}  // namespace bw
