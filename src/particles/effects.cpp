#include "particles/effects.h"

#include <cmath>

#include "particles/particle_system.h"
#include "platform/random.h"
#include "world/game_state.h"
#include "world/room.h"

namespace bw {

namespace {

constexpr float kBelowDepth = 100000.0f;
constexpr float kAboveDepth = -100000.0f;
constexpr int kSizes = 3;  // small, medium, large

// The types of the effects, per size where each size has its own.
struct EffectTypes {
    bool made = false;
    int32_t explosionA[kSizes], explosionB[kSizes], ring[kSizes], ellipse[kSizes], smoke[kSizes],
        smokeUp[kSizes], star[kSizes], spark[kSizes], flare[kSizes], cloud[kSizes];
    int32_t firework, rain, snow;
};

EffectTypes g_types;
int32_t g_belowSystem = -1;
int32_t g_aboveSystem = -1;

void CreateTypes()
{
    for (int32_t* perSize : {g_types.explosionA, g_types.explosionB, g_types.ring, g_types.ellipse, g_types.smoke,
                             g_types.smokeUp, g_types.star, g_types.spark, g_types.flare, g_types.cloud}) {
        for (int size = 0; size < kSizes; ++size) {
            perSize[size] = ParticleType_Create();
        }
    }
    g_types.firework = ParticleType_Create();
    g_types.rain = ParticleType_Create();
    g_types.snow = ParticleType_Create();
    g_types.made = true;
}

int32_t EnsureSystem(int32_t system, float depth)
{
    if (ParticleSystem_Exists(system)) {
        return system;
    }
    system = ParticleSystem_Create();
    ParticleSystem_SetDepth(system, depth);
    return system;
}

// Everything a builder needs: where, how big, in which system, and the
// time scale s.
struct Effect {
    int32_t system;
    float x, y;
    int size;  // 0 small, 1 medium, 2 large
    double s;
    uint32_t colour;

    // k·s as a real, and k/s in whole steps (ties to even).
    float Scaled(double k) const { return static_cast<float>(k * s); }
    int32_t Steps(double k) const { return static_cast<int32_t>(std::nearbyint(k / s)); }
    template <typename T>
    T Pick(T small, T medium, T large) const
    {
        return size == 0 ? small : size == 2 ? large : medium;
    }
    void Emit(int32_t type, float px, float py, int32_t number) const
    {
        ParticleSystem_CreateParticlesColour(system, px, py, type, colour, number);
    }
};

void Explosion(const Effect& e)
{
    const int32_t a = g_types.explosionA[e.size];
    ParticleType_SetShape(a, ParticleShapeExplosion);
    const float sizeA = e.Pick(0.1f, 0.3f, 0.4f);
    ParticleType_SetSize(a, sizeA, sizeA, e.Scaled(e.Pick(0.05, 0.1, 0.2)), 0);
    const float speed = e.Scaled(e.Pick(2, 4, 7));
    ParticleType_SetSpeed(a, speed, speed, e.Scaled(e.Pick(-0.1, -0.18, -0.2)), 0);
    ParticleType_SetLife(a, e.Steps(e.Pick(10, 12, 15)), e.Steps(e.Pick(15, 17, 20)));
    ParticleType_SetOrientation(a, 0, 360, 0, 0, false);
    ParticleType_SetDirection(a, 0, 360, 0, 0);
    ParticleType_SetAlpha2(a, 0.6f, 0);
    e.Emit(a, e.x, e.y, 20);

    const int32_t b = g_types.explosionB[e.size];
    ParticleType_SetShape(b, ParticleShapeExplosion);
    ParticleType_SetSize(b, sizeA, sizeA, e.Scaled(e.Pick(0.1, 0.2, 0.4)), 0);
    const int32_t life = e.Steps(e.Pick(15, 17, 20));
    ParticleType_SetLife(b, life, life);
    ParticleType_SetOrientation(b, 0, 360, 0, 0, false);
    ParticleType_SetAlpha2(b, 0.8f, 0);
    ParticleSystem_CreateParticlesColour(e.system, e.x, e.y, b, 0, 1);
}

void Ring(const Effect& e, int32_t type, double increment, bool flat)
{
    ParticleType_SetShape(type, ParticleShapeRing);
    ParticleType_SetSize(type, 0, 0, e.Scaled(increment), 0);
    ParticleType_SetLife(type, e.Steps(e.Pick(10, 13, 18)), e.Steps(e.Pick(12, 15, 20)));
    if (flat) {
        ParticleType_SetScale(type, 1, 0.5f);
    }
    ParticleType_SetAlpha2(type, 1, 0);
    e.Emit(type, e.x, e.y, 1);
}

void Firework(const Effect& e)
{
    const int32_t type = g_types.firework;
    ParticleType_SetShape(type, ParticleShapeFlare);
    ParticleType_SetSize(type, 0.1f, 0.2f, 0, 0);
    ParticleType_SetSpeed(type, e.Scaled(0.5), e.Scaled(e.Pick(3, 6, 8)), 0, 0);
    ParticleType_SetDirection(type, 0, 360, 0, 0);
    ParticleType_SetLife(type, e.Steps(e.Pick(15, 20, 30)), e.Steps(e.Pick(25, 30, 40)));
    ParticleType_SetGravity(type, e.Scaled(e.Pick(0.1, 0.15, 0.17)), 270);
    ParticleType_SetAlpha2(type, 1, 0.4f);
    e.Emit(type, e.x, e.y, e.Pick(75, 150, 250));
}

void Smoke(const Effect& e, bool up)
{
    const int32_t type = up ? g_types.smokeUp[e.size] : g_types.smoke[e.size];
    ParticleType_SetShape(type, ParticleShapeExplosion);
    ParticleType_SetSize(type, e.Pick(0.2f, 0.4f, 0.4f), e.Pick(0.4f, 0.7f, 1.0f), e.Scaled(-0.01), 0);
    const int32_t life = e.Steps(e.Pick(25, 30, 50));
    ParticleType_SetLife(type, life, life);
    ParticleType_SetAlpha2(type, 0.4f, 0);
    if (up) {
        ParticleType_SetSpeed(type, e.Scaled(e.Pick(3, 5, 6)), e.Scaled(e.Pick(4, 6, 7)), 0, 0);
        ParticleType_SetDirection(type, 90, 90, 0, 0);
    }
    const int32_t spread = e.Pick(10, 30, 60);
    for (int32_t i = e.Pick(6, 11, 16); i > 0; --i) {
        const float dx = static_cast<float>(static_cast<int32_t>(Random_Int(spread)) - spread / 2);
        const float dy = static_cast<float>(static_cast<int32_t>(Random_Int(spread)) - spread / 2);
        e.Emit(type, e.x + dx, e.y + dy, 1);
    }
}

// Star, spark and flare: one shrinking particle.
void Glint(const Effect& e, int32_t type, int32_t shape)
{
    ParticleType_SetShape(type, shape);
    const float size = e.Pick(0.4f, 0.75f, 1.2f);
    // The small star's maximum lies below its minimum: it keeps the minimum.
    const float max = shape == ParticleShapeStar ? e.Pick(0.3f, 0.75f, 1.2f) : size;
    ParticleType_SetSize(type, size, max, e.Scaled(e.Pick(-0.02, -0.03, -0.04)), 0);
    const int32_t life = e.Steps(e.Pick(20, 25, 30));
    ParticleType_SetLife(type, life, life);
    ParticleType_SetOrientation(type, 0, 360, 0, 0, false);
    e.Emit(type, e.x, e.y, 1);
}

void Cloud(const Effect& e)
{
    const int32_t type = g_types.cloud[e.size];
    ParticleType_SetShape(type, ParticleShapeExplosion);
    const float size = e.Pick(2.0f, 4.0f, 8.0f);
    ParticleType_SetSize(type, size, size, 0, 0);
    ParticleType_SetScale(type, 1, 0.5f);
    ParticleType_SetAlpha3(type, 0, 0.3f, 0);
    const int32_t life = e.Steps(100);
    ParticleType_SetLife(type, life, life);
    e.Emit(type, e.x, e.y, 1);
}

struct RoomSize {
    double width = 0, height = 0;
};

RoomSize CurrentRoomSize()
{
    const CRoom* room = Room_Current();
    return room != nullptr ? RoomSize{static_cast<double>(room->width), static_cast<double>(room->height)}
                           : RoomSize{};
}

// Rain and snow fall over the whole room from just above it; x and y are
// not used.
void Rain(const Effect& e)
{
    const int32_t type = g_types.rain;
    const RoomSize room = CurrentRoomSize();
    ParticleType_SetShape(type, ParticleShapeLine);
    ParticleType_SetSize(type, 0.2f, 0.3f, 0, 0);
    ParticleType_SetOrientation(type, 0, 0, 0, 0, true);
    ParticleType_SetSpeed(type, e.Scaled(7), e.Scaled(7), 0, 0);
    ParticleType_SetDirection(type, 260, 260, 0, 0);
    ParticleType_SetAlpha1(type, 0.4f);
    const int32_t life = e.Steps(0.2 * room.height);
    ParticleType_SetLife(type, life, life);
    for (int32_t i = e.Pick(2, 5, 9); i > 0; --i) {
        const auto x = static_cast<float>(Random_Real(1.0) * 1.2 * room.width);
        const auto y = static_cast<float>(Random_Real(20.0) - 30);
        e.Emit(type, x, y, 1);
    }
}

void Snow(const Effect& e)
{
    const int32_t type = g_types.snow;
    const RoomSize room = CurrentRoomSize();
    ParticleType_SetShape(type, ParticleShapeSnow);
    ParticleType_SetSize(type, 0.1f, 0.25f, 0, 0);
    ParticleType_SetAlpha1(type, 0.6f);
    ParticleType_SetOrientation(type, 0, 360, 0, 0, false);
    ParticleType_SetSpeed(type, e.Scaled(2.5), e.Scaled(3), 0, 0);
    ParticleType_SetDirection(type, 240, 300, 0, 20);
    const int32_t life = e.Steps(0.5 * room.height);
    ParticleType_SetLife(type, life, life);
    for (int32_t i = e.Pick(1, 3, 7); i > 0; --i) {
        const auto x = static_cast<float>(Random_Real(1.0) * 1.2 * room.width - 60);
        const auto y = static_cast<float>(Random_Real(20.0) - 30);
        e.Emit(type, x, y, 1);
    }
}

}  // namespace

void Effect_Init()
{
    g_belowSystem = EnsureSystem(g_belowSystem, kBelowDepth);
    g_aboveSystem = EnsureSystem(g_aboveSystem, kAboveDepth);
    if (!g_types.made) {
        CreateTypes();
    }
}

void Effect_ForgetTypes()
{
    g_types.made = false;
}

double Effect_GetTimeScale()
{
    const CRoom* room = Room_Current();
    const double speed = room != nullptr ? room->speed : 30;
    const double fps = Display_State().fps;
    if (!(speed > 30 && fps > 30)) {
        return 1;
    }
    return speed / fps >= 1.2 ? 30 / fps : 30 / speed;
}

void Effect_Create(bool below, int32_t kind, float x, float y, int32_t size, uint32_t colour)
{
    Effect_Init();
    const Effect e{below ? g_belowSystem : g_aboveSystem, x, y, size == 0 ? 0 : size == 2 ? 2 : 1,
                   Effect_GetTimeScale(), colour};
    switch (kind) {
    case EffectExplosion:
        return Explosion(e);
    case EffectRing:
        return Ring(e, g_types.ring[e.size], e.Pick(0.15, 0.25, 0.4), false);
    case EffectEllipse:
        return Ring(e, g_types.ellipse[e.size], e.Pick(0.2, 0.35, 0.6), true);
    case EffectFirework:
        return Firework(e);
    case EffectSmoke:
    case EffectSmokeUp:
        return Smoke(e, kind == EffectSmokeUp);
    case EffectStar:
        return Glint(e, g_types.star[e.size], ParticleShapeStar);
    case EffectSpark:
        return Glint(e, g_types.spark[e.size], ParticleShapeSpark);
    case EffectFlare:
        return Glint(e, g_types.flare[e.size], ParticleShapeFlare);
    case EffectCloud:
        return Cloud(e);
    case EffectRain:
        return Rain(e);
    case EffectSnow:
        return Snow(e);
    default:
        return;
    }
}

void Effect_Clear()
{
    ParticleSystem_ClearParticles(g_belowSystem);
    ParticleSystem_ClearParticles(g_aboveSystem);
}

int32_t Effect_BelowSystem()
{
    return g_belowSystem;
}

int32_t Effect_AboveSystem()
{
    return g_aboveSystem;
}

}  // namespace bw
