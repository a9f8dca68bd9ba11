// The built-in effects: explosions, rings, smoke, rain and the like made
// with one call. Each effect configures a particle type of its own and
// creates particles in one of two hidden systems, one drawn behind
// everything (depth 100000) and one in front (-100000). Lives and speeds are
// scaled so an effect lasts about the same real time at any room speed.
#pragma once

#include <cstdint>

namespace bw {

enum EffectKind : int32_t {
    EffectExplosion = 0,
    EffectRing,
    EffectEllipse,
    EffectFirework,
    EffectSmoke,
    EffectSmokeUp,
    EffectStar,
    EffectSpark,
    EffectFlare,
    EffectCloud,
    EffectRain,
    EffectSnow,
};
inline constexpr int32_t kEffectKindCount = 12;

// Makes a missing effect system, and the effect types the first time.
void Effect_Init();
// size: 0 small, 2 large, anything else medium. A kind outside 0..11 does nothing.
void Effect_Create(bool below, int32_t kind, float x, float y, int32_t size, uint32_t colour);
// Clears the particles of both effect systems (also at room start).
void Effect_Clear();
// 1 unless both the room speed and the measured frame rate exceed 30.
double Effect_GetTimeScale();
// The systems' ids (-1 before the first effect).
int32_t Effect_BelowSystem();
int32_t Effect_AboveSystem();
// Forgets the effect types (their table was emptied).
void Effect_ForgetTypes();

}  // namespace bw
