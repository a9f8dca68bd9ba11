// Particle types: how a particle looks, moves and ages. Types live in one
// global table indexed by id; a destroyed id keeps its record (not in use)
// and is handed out again by the next create. Every operation ignores an
// id that is out of range or not in use.
#pragma once

#include <cstdint>

namespace bw {

enum ParticleShape : int32_t {
    ParticleShapePixel = 0,
    ParticleShapeDisk,
    ParticleShapeSquare,
    ParticleShapeLine,
    ParticleShapeStar,
    ParticleShapeCircle,
    ParticleShapeRing,
    ParticleShapeSphere,
    ParticleShapeFlare,
    ParticleShapeSpark,
    ParticleShapeExplosion,
    ParticleShapeCloud,
    ParticleShapeSmoke,
    ParticleShapeSnow,
};
inline constexpr int32_t kParticleShapeCount = 14;

// How a type's colour is chosen and changes over a particle's life.
enum ParticleColourMode : int32_t {
    ParticleColourOne = 0,    // colour 1
    ParticleColourTwo = 1,    // colour 1 to colour 2 over the life
    ParticleColourThree = 2,  // colour 1, 2, 3 over the life
    ParticleColourRGB = 3,    // red, green, blue drawn from [min, max) each (values 1..6)
    ParticleColourHSV = 4,    // hue, saturation, value drawn the same way
    ParticleColourMix = 5,    // a random mix of colours 1 and 2
};

// Ranges are [min, max); angles in degrees, anticlockwise from the right;
// lives in steps; colours 0x00BBGGRR. Member initialisers are the values of
// a new record; a clear keeps colours 4 to 6 and the additive flag.
struct ParticleType {
    bool inUse = true;
    int32_t sprite = -1;  // -1: draw the shape
    bool animate = true;
    bool stretch = false;
    bool randomImage = false;
    int32_t shape = ParticleShapePixel;
    float sizeMin = 1, sizeMax = 1, sizeIncrement = 0, sizeWiggle = 0;
    float xScale = 1, yScale = 1;
    int32_t lifeMin = 100, lifeMax = 100;
    int32_t deathType = 0, deathNumber = 0;
    int32_t stepType = 0, stepNumber = 0;
    float speedMin = 0, speedMax = 0, speedIncrement = 0, speedWiggle = 0;
    float directionMin = 0, directionMax = 0, directionIncrement = 0, directionWiggle = 0;
    float gravityAmount = 0, gravityDirection = 270;
    float orientationMin = 0, orientationMax = 0, orientationIncrement = 0, orientationWiggle = 0;
    bool orientationRelative = false;
    int32_t colourMode = ParticleColourOne;
    int32_t colour[6] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0};
    float alphaStart = 1, alphaMiddle = 1, alphaEnd = 1;
    bool additive = false;
};

int32_t ParticleType_Create();
void ParticleType_Destroy(int32_t id);  // also removes the type's live particles
bool ParticleType_Exists(int32_t id);
void ParticleType_Clear(int32_t id);
void ParticleType_DestroyAll();
// Null for a bad id. The record stays valid until the table is emptied.
ParticleType* ParticleType_Get(int32_t id);
int32_t ParticleType_TableLength();

void ParticleType_SetShape(int32_t id, int32_t shape);
void ParticleType_SetSprite(int32_t id, int32_t sprite, bool animate, bool stretch, bool random);
void ParticleType_SetSize(int32_t id, float min, float max, float increment, float wiggle);
void ParticleType_SetScale(int32_t id, float x, float y);
void ParticleType_SetLife(int32_t id, int32_t min, int32_t max);
void ParticleType_SetStep(int32_t id, int32_t number, int32_t type);
void ParticleType_SetDeath(int32_t id, int32_t number, int32_t type);
void ParticleType_SetSpeed(int32_t id, float min, float max, float increment, float wiggle);
void ParticleType_SetDirection(int32_t id, float min, float max, float increment, float wiggle);
void ParticleType_SetOrientation(int32_t id, float min, float max, float increment, float wiggle, bool relative);
void ParticleType_SetGravity(int32_t id, float amount, float direction);
void ParticleType_SetColour1(int32_t id, int32_t colour);
void ParticleType_SetColour2(int32_t id, int32_t start, int32_t end);
void ParticleType_SetColour3(int32_t id, int32_t start, int32_t middle, int32_t end);
// Channel bounds in pairs (min, max) on the 0..255 scale.
void ParticleType_SetColourRGB(int32_t id, const int32_t bounds[6]);
void ParticleType_SetColourHSV(int32_t id, const int32_t bounds[6]);
void ParticleType_SetColourMix(int32_t id, int32_t colour1, int32_t colour2);
void ParticleType_SetAlpha1(int32_t id, float alpha);
void ParticleType_SetAlpha2(int32_t id, float start, float end);  // middle: the mean
void ParticleType_SetAlpha3(int32_t id, float start, float middle, float end);
void ParticleType_SetBlend(int32_t id, bool additive);

}  // namespace bw
