#include "particles/particle_type.h"

#include <initializer_list>

#include "particles/particle_system.h"
#include "particles/particle_table.h"

namespace bw {

namespace {

ParticleTable<ParticleType> g_types;

// Back to a new record's values, keeping what a clear keeps.
void ResetType(ParticleType& type)
{
    ParticleType fresh;
    for (int i = 3; i < 6; ++i) {
        fresh.colour[i] = type.colour[i];
    }
    fresh.additive = type.additive;
    type = fresh;
}

void SetColours(int32_t id, int32_t mode, std::initializer_list<int32_t> values)
{
    g_types.Edit(id, [&](ParticleType& type) {
        type.colourMode = mode;
        int i = 0;
        for (const int32_t value : values) {
            type.colour[i++] = value;
        }
    });
}

}  // namespace

ParticleType* ParticleType_Get(int32_t id)
{
    return g_types.Get(id);
}

int32_t ParticleType_TableLength()
{
    return g_types.Length();
}

int32_t ParticleType_Create()
{
    // A new type in every respect, the additive flag included.
    return g_types.Create();
}

void ParticleType_Destroy(int32_t id)
{
    if (ParticleType* type = g_types.Get(id)) {
        // Its particles go with it: the id may soon name another type.
        ParticleSystem_RemoveParticlesOfType(id);
        ResetType(*type);
        type->inUse = false;
    }
}

bool ParticleType_Exists(int32_t id)
{
    return g_types.Get(id) != nullptr;
}

void ParticleType_Clear(int32_t id)
{
    g_types.Edit(id, ResetType);
}

void ParticleType_DestroyAll()
{
    for (int32_t id = 0; id < g_types.Length(); ++id) {
        if (g_types.Get(id) != nullptr) {
            ParticleSystem_RemoveParticlesOfType(id);
        }
    }
    g_types.Clear();
}

void ParticleType_SetShape(int32_t id, int32_t shape)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.shape = shape;
        type.sprite = -1;
    });
}

void ParticleType_SetSprite(int32_t id, int32_t sprite, bool animate, bool stretch, bool random)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.sprite = sprite;
        type.animate = animate;
        type.stretch = stretch;
        type.randomImage = random;
    });
}

void ParticleType_SetSize(int32_t id, float min, float max, float increment, float wiggle)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.sizeMin = min;
        type.sizeMax = max;
        type.sizeIncrement = increment;
        type.sizeWiggle = wiggle;
    });
}

void ParticleType_SetScale(int32_t id, float x, float y)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.xScale = x;
        type.yScale = y;
    });
}

void ParticleType_SetLife(int32_t id, int32_t min, int32_t max)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.lifeMin = min;
        type.lifeMax = max;
    });
}

void ParticleType_SetStep(int32_t id, int32_t number, int32_t stepType)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.stepNumber = number;
        type.stepType = stepType;
    });
}

void ParticleType_SetDeath(int32_t id, int32_t number, int32_t deathType)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.deathNumber = number;
        type.deathType = deathType;
    });
}

void ParticleType_SetSpeed(int32_t id, float min, float max, float increment, float wiggle)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.speedMin = min;
        type.speedMax = max;
        type.speedIncrement = increment;
        type.speedWiggle = wiggle;
    });
}

void ParticleType_SetDirection(int32_t id, float min, float max, float increment, float wiggle)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.directionMin = min;
        type.directionMax = max;
        type.directionIncrement = increment;
        type.directionWiggle = wiggle;
    });
}

void ParticleType_SetOrientation(int32_t id, float min, float max, float increment, float wiggle, bool relative)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.orientationMin = min;
        type.orientationMax = max;
        type.orientationIncrement = increment;
        type.orientationWiggle = wiggle;
        type.orientationRelative = relative;
    });
}

void ParticleType_SetGravity(int32_t id, float amount, float direction)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.gravityAmount = amount;
        type.gravityDirection = direction;
    });
}

void ParticleType_SetColour1(int32_t id, int32_t colour)
{
    SetColours(id, ParticleColourOne, {colour});
}

void ParticleType_SetColour2(int32_t id, int32_t start, int32_t end)
{
    SetColours(id, ParticleColourTwo, {start, end});
}

void ParticleType_SetColour3(int32_t id, int32_t start, int32_t middle, int32_t end)
{
    SetColours(id, ParticleColourThree, {start, middle, end});
}

void ParticleType_SetColourRGB(int32_t id, const int32_t bounds[6])
{
    SetColours(id, ParticleColourRGB, {bounds[0], bounds[1], bounds[2], bounds[3], bounds[4], bounds[5]});
}

void ParticleType_SetColourHSV(int32_t id, const int32_t bounds[6])
{
    SetColours(id, ParticleColourHSV, {bounds[0], bounds[1], bounds[2], bounds[3], bounds[4], bounds[5]});
}

void ParticleType_SetColourMix(int32_t id, int32_t colour1, int32_t colour2)
{
    SetColours(id, ParticleColourMix, {colour1, colour2});
}

void ParticleType_SetAlpha1(int32_t id, float alpha)
{
    ParticleType_SetAlpha3(id, alpha, alpha, alpha);
}

void ParticleType_SetAlpha2(int32_t id, float start, float end)
{
    ParticleType_SetAlpha3(id, start, (start + end) / 2, end);
}

void ParticleType_SetAlpha3(int32_t id, float start, float middle, float end)
{
    g_types.Edit(id, [=](ParticleType& type) {
        type.alphaStart = start;
        type.alphaMiddle = middle;
        type.alphaEnd = end;
    });
}

void ParticleType_SetBlend(int32_t id, bool additive)
{
    g_types.Edit(id, [=](ParticleType& type) { type.additive = additive; });
}

}  // namespace bw
