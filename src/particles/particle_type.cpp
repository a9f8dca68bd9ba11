#include "particles/particle_type.h"

#include <initializer_list>
#include <memory>
#include <vector>

#include "particles/particle_system.h"

namespace bw {

namespace {

std::vector<std::unique_ptr<ParticleType>> g_types;

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

}  // namespace

ParticleType* ParticleType_Get(int32_t id)
{
    if (id < 0 || id >= static_cast<int32_t>(g_types.size()) || !g_types[static_cast<size_t>(id)]->inUse) {
        return nullptr;
    }
    return g_types[static_cast<size_t>(id)].get();
}

int32_t ParticleType_TableLength()
{
    return static_cast<int32_t>(g_types.size());
}

int32_t ParticleType_Create()
{
    for (size_t id = 0; id < g_types.size(); ++id) {
        if (!g_types[id]->inUse) {
            // A new type in every respect, the additive flag included.
            *g_types[id] = ParticleType{};
            return static_cast<int32_t>(id);
        }
    }
    g_types.push_back(std::make_unique<ParticleType>());
    return static_cast<int32_t>(g_types.size() - 1);
}

void ParticleType_Destroy(int32_t id)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        // Its particles go with it: the id may soon name another type.
        ParticleSystem_RemoveParticlesOfType(id);
        ResetType(*type);
        type->inUse = false;
    }
}

bool ParticleType_Exists(int32_t id)
{
    return ParticleType_Get(id) != nullptr;
}

void ParticleType_Clear(int32_t id)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        ResetType(*type);
    }
}

void ParticleType_DestroyAll()
{
    for (size_t id = 0; id < g_types.size(); ++id) {
        if (g_types[id]->inUse) {
            ParticleSystem_RemoveParticlesOfType(static_cast<int32_t>(id));
        }
    }
    g_types.clear();
}

void ParticleType_SetShape(int32_t id, int32_t shape)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->shape = shape;
        type->sprite = -1;
    }
}

void ParticleType_SetSprite(int32_t id, int32_t sprite, bool animate, bool stretch, bool random)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->sprite = sprite;
        type->animate = animate;
        type->stretch = stretch;
        type->randomImage = random;
    }
}

void ParticleType_SetSize(int32_t id, float min, float max, float increment, float wiggle)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->sizeMin = min;
        type->sizeMax = max;
        type->sizeIncrement = increment;
        type->sizeWiggle = wiggle;
    }
}

void ParticleType_SetScale(int32_t id, float x, float y)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->xScale = x;
        type->yScale = y;
    }
}

void ParticleType_SetLife(int32_t id, int32_t min, int32_t max)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->lifeMin = min;
        type->lifeMax = max;
    }
}

void ParticleType_SetStep(int32_t id, int32_t number, int32_t stepType)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->stepNumber = number;
        type->stepType = stepType;
    }
}

void ParticleType_SetDeath(int32_t id, int32_t number, int32_t deathType)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->deathNumber = number;
        type->deathType = deathType;
    }
}

void ParticleType_SetSpeed(int32_t id, float min, float max, float increment, float wiggle)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->speedMin = min;
        type->speedMax = max;
        type->speedIncrement = increment;
        type->speedWiggle = wiggle;
    }
}

void ParticleType_SetDirection(int32_t id, float min, float max, float increment, float wiggle)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->directionMin = min;
        type->directionMax = max;
        type->directionIncrement = increment;
        type->directionWiggle = wiggle;
    }
}

void ParticleType_SetOrientation(int32_t id, float min, float max, float increment, float wiggle, bool relative)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->orientationMin = min;
        type->orientationMax = max;
        type->orientationIncrement = increment;
        type->orientationWiggle = wiggle;
        type->orientationRelative = relative;
    }
}

void ParticleType_SetGravity(int32_t id, float amount, float direction)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->gravityAmount = amount;
        type->gravityDirection = direction;
    }
}

namespace {

void SetColours(int32_t id, int32_t mode, std::initializer_list<int32_t> values)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->colourMode = mode;
        int i = 0;
        for (const int32_t value : values) {
            type->colour[i++] = value;
        }
    }
}

}  // namespace

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
    if (ParticleType* type = ParticleType_Get(id)) {
        type->alphaStart = start;
        type->alphaMiddle = middle;
        type->alphaEnd = end;
    }
}

void ParticleType_SetBlend(int32_t id, bool additive)
{
    if (ParticleType* type = ParticleType_Get(id)) {
        type->additive = additive;
    }
}

}  // namespace bw
