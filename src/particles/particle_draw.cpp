// Drawing particle systems: each particle is one textured quad of its
// type's shape texture (joining the shared vertex batch, so a run of one
// texture and blend mode is one draw) or its type's sprite; and the depth
// bands through which room drawing interleaves systems with instances.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "graphics/builtin_images.h"
#include "graphics/draw_textured.h"
#include "platform/real_to_int.h"
#include "graphics/render_state.h"
#include "graphics/texture_records.h"
#include "particles/particle_system.h"
#include "resources/sprite.h"

namespace bw {

namespace {

// Systems closer in depth than this draw in one band.
constexpr float kBandWidth = 0.01f;
constexpr float kShapeHalfSide = 32.0f;

// The band at depth holds the systems in (BandBottom(depth), depth]. Past
// about 250000 a float no longer tells depth - kBandWidth from depth (tiles
// sit at 1000000); the band is then depth alone, so that the walk down the
// bands always moves on.
float BandBottom(float depth)
{
    return std::min(depth - kBandWidth, std::nextafter(depth, -std::numeric_limits<float>::infinity()));
}

std::array<TextureRecord*, kParticleShapeCount> g_shapeTextures{};

int32_t SpriteImage(const Particle& particle, const ParticleType& type, int32_t images)
{
    if (!type.animate) {
        return particle.startImage;
    }
    if (type.stretch) {
        return particle.startImage +
               GR_TruncToInt32(static_cast<double>(particle.age) * images / static_cast<double>(particle.life));
    }
    return particle.startImage + particle.age;
}

void DrawShape(TextureRecord* texture, float x, float y, float halfWidth, float halfHeight, float angle,
               uint32_t colour)
{
    const float offsets[4][2] = {{-halfWidth, -halfHeight}, {halfWidth, -halfHeight}, {halfWidth, halfHeight},
                                 {-halfWidth, halfHeight}};
    QuadCorner corners[4];
    if (std::fabs(angle) < 0.01f) {
        for (int i = 0; i < 4; ++i) {
            corners[i] = {x + offsets[i][0], y + offsets[i][1]};
        }
    } else {
        // Anticlockwise on a screen whose y grows downwards.
        const auto s = static_cast<float>(std::sin(angle * kParticleRadiansPerDegree));
        const auto c = static_cast<float>(std::cos(angle * kParticleRadiansPerDegree));
        for (int i = 0; i < 4; ++i) {
            const float dx = offsets[i][0];
            const float dy = offsets[i][1];
            corners[i] = {x + c * dx + s * dy, y - s * dx + c * dy};
        }
    }
    const uint32_t colours[4] = {colour, colour, colour, colour};
    GR_EmitQuad(texture, corners, 0.0f, 0.0f, 1.0f, 1.0f, colours);
}

// One particle; a particle that cannot be drawn (no life, a type that is
// gone, a sprite without images, a shape with no texture) is skipped.
void DrawParticle(const ParticleSystem& system, const Particle& particle, bool& additive)
{
    const ParticleType* type = ParticleType_Get(particle.type);
    if (type == nullptr || particle.life < 1) {
        return;
    }
    CSprite* sprite = Sprite_Exists(type->sprite) ? Sprite_Get(type->sprite) : nullptr;
    TextureRecord* texture = nullptr;
    if (sprite != nullptr) {
        if (sprite->frameCount <= 0) {
            return;
        }
    } else if (type->shape < 0 || type->shape >= kParticleShapeCount ||
               (texture = g_shapeTextures[static_cast<size_t>(type->shape)]) == nullptr) {
        return;
    }
    float angle = particle.orientation + Particle_Wiggle(type->orientationWiggle, particle, 2, 16);
    if (type->orientationRelative) {
        angle += particle.direction;
    }
    const float size = particle.size + Particle_Wiggle(type->sizeWiggle, particle, 1, 16);
    if (type->additive != additive) {
        additive = type->additive;
        GR_SetBlendMode(additive ? 1 : 0);
    }
    const float x = particle.x + system.x;
    const float y = particle.y + system.y;
    if (sprite != nullptr) {
        sprite->Draw(SpriteImage(particle, *type, sprite->frameCount), x, y, type->xScale * size,
                     type->yScale * size, angle, particle.colour, particle.alpha);
        return;
    }
    DrawShape(texture, static_cast<float>(GR_TruncToInt32(x)), static_cast<float>(GR_TruncToInt32(y)),
              kShapeHalfSide * type->xScale * size, kShapeHalfSide * type->yScale * size, angle,
              GR_PackColourAlpha(particle.colour, particle.alpha));
}

bool DrawnByRoom(const ParticleSystem* system)
{
    return system != nullptr && system->automaticDraw;
}

// The band at d holds the systems in (BandBottom(d), d]; the band at minus
// infinity, whose bottom is itself, holds the systems there.
bool InBand(float systemDepth, float depth)
{
    return systemDepth == depth || (systemDepth <= depth && systemDepth > BandBottom(depth));
}

// The largest depth of a system drawn by the room that passes the test;
// none when no system does.
template <typename Test>
std::optional<float> LargestDepth(Test&& passes)
{
    std::optional<float> largest;
    for (int32_t id = 0; id < ParticleSystem_TableLength(); ++id) {
        const ParticleSystem* system = ParticleSystem_Get(id);
        if (DrawnByRoom(system) && passes(system->depth) && (!largest || system->depth > *largest)) {
            largest = system->depth;
        }
    }
    return largest;
}

void FreeShapeTextures()
{
    for (TextureRecord*& texture : g_shapeTextures) {
        if (texture != nullptr) {
            GR_Texture_Free(texture);
            texture = nullptr;
        }
    }
}

}  // namespace

void ParticleSystem_Draw(int32_t id)
{
    const ParticleSystem* system = ParticleSystem_Get(id);
    if (system == nullptr) {
        return;
    }
    const bool interpolation = GR_GetInterpolation();
    bool additive = false;
    const std::vector<Particle>& particles = system->particles;
    if (system->drawOldToNew) {
        for (const Particle& particle : particles) {
            DrawParticle(*system, particle, additive);
        }
    } else {
        for (auto particle = particles.rbegin(); particle != particles.rend(); ++particle) {
            DrawParticle(*system, *particle, additive);
        }
    }
    GR_SetBlendMode(0);
    GR_SetInterpolation(interpolation);
}

std::optional<float> ParticleSystem_MaxDepth()
{
    return LargestDepth([](float depth) { return !std::isnan(depth); });
}

// The next band starts at the largest depth below this one, so every system
// draws once; none is below minus infinity, the bottom of its own band.
std::optional<float> ParticleSystem_NextDepth(float depth)
{
    return LargestDepth([depth](float other) { return other < depth && other <= BandBottom(depth); });
}

void ParticleSystem_DrawDepth(float depth)
{
    for (int32_t id = 0; id < ParticleSystem_TableLength(); ++id) {
        const ParticleSystem* system = ParticleSystem_Get(id);
        if (DrawnByRoom(system) && InBand(system->depth, depth)) {
            ParticleSystem_Draw(id);
        }
    }
}

void Particle_InitShapes()
{
    FreeShapeTextures();
    for (int32_t shape = 0; shape < kParticleShapeCount; ++shape) {
        g_shapeTextures[static_cast<size_t>(shape)] = EmbeddedImage_CreateTexture(shape + 1);
    }
}

void Particle_Fini()
{
    Particle_Init();
    FreeShapeTextures();
}

}  // namespace bw
