// Particle systems: sets of live particles with the emitters, attractors,
// destroyers, deflectors and changers that act on them, in one global table
// indexed by id. A destroyed id keeps its record (not in use) for the next
// create. Every operation ignores an id or index that is out of range or
// not in use. Positions of particles are relative to their system's.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "particles/particle_type.h"

namespace bw {

// The cosine and sine of an angle in degrees, as a particle last moved at
// it: most particles keep their heading from one step to the next.
struct ParticleHeading {
    float degrees = 0;
    float cos = 1, sin = 0;
};

// One live particle. Angles in degrees; colour 0x00BBGGRR.
struct Particle {
    int32_t type = 0;
    int32_t age = 0;
    int32_t life = 0;
    float x = 0, y = 0;
    float speed = 0;  // never below 0
    float direction = 0;
    float orientation = 0;
    uint32_t colour = 0;
    float alpha = 1;
    float size = 1;
    int32_t startImage = 0;
    int32_t seed = 0;  // 0..99999, offsets the wiggle phases
    ParticleHeading heading;
};

enum ParticleDistribution : int32_t { DistributionLinear = 0, DistributionGaussian, DistributionInvGaussian };
enum ParticleRegionShape : int32_t { RegionRectangle = 0, RegionEllipse, RegionDiamond, RegionLine };
enum ParticleForceKind : int32_t { ForceConstant = 0, ForceLinear, ForceQuadratic };
enum ParticleDeflectKind : int32_t { DeflectVertical = 0, DeflectHorizontal };
enum ParticleChangeKind : int32_t { ChangeAll = 0, ChangeShape, ChangeMotion };

// The region objects; member initialisers are the values after a clear.
struct ParticleEmitter {
    bool inUse = true;
    int32_t number = 0;  // particles per step of the stream; 0 no stream, < 0 a chance of 1 in |n|
    float xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int32_t distribution = DistributionLinear;
    int32_t shape = RegionRectangle;
    int32_t type = 0;
};
struct ParticleAttractor {
    bool inUse = true;
    float x = 0, y = 0;
    float force = 0, distance = 0;
    int32_t kind = ForceConstant;
    bool additive = true;  // pulls the velocity; otherwise moves the particle this step only
};
struct ParticleDestroyer {
    bool inUse = true;
    float xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int32_t shape = RegionRectangle;
};
struct ParticleDeflector {
    bool inUse = true;
    float xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int32_t kind = DeflectVertical;
    float friction = 0;
};
struct ParticleChanger {
    bool inUse = true;
    float xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int32_t shape = RegionRectangle;
    int32_t typeFrom = -1, typeTo = -1;
    int32_t kind = ChangeAll;
};

struct ParticleSystem {
    bool inUse = true;
    std::vector<Particle> particles;  // oldest first
    std::vector<ParticleEmitter> emitters;
    std::vector<ParticleAttractor> attractors;
    std::vector<ParticleDestroyer> destroyers;
    std::vector<ParticleDeflector> deflectors;
    std::vector<ParticleChanger> changers;
    bool drawOldToNew = true;
    float depth = 0;
    float x = 0, y = 0;
    bool automaticUpdate = true;
    bool automaticDraw = true;
};

// A system never holds more particles than this; creations beyond it are
// dropped, so a type that spawns itself cannot exhaust memory.
inline constexpr int32_t kMaxParticlesPerSystem = 1 << 20;

int32_t ParticleSystem_Create();
void ParticleSystem_Destroy(int32_t id);
bool ParticleSystem_Exists(int32_t id);
void ParticleSystem_Clear(int32_t id);
void ParticleSystem_DestroyAll();
// Null for a bad id.
ParticleSystem* ParticleSystem_Get(int32_t id);
int32_t ParticleSystem_TableLength();

void ParticleSystem_SetDrawOrder(int32_t id, bool oldToNew);
void ParticleSystem_SetDepth(int32_t id, float depth);
void ParticleSystem_SetPosition(int32_t id, float x, float y);
void ParticleSystem_SetAutomaticUpdate(int32_t id, bool on);
void ParticleSystem_SetAutomaticDraw(int32_t id, bool on);

// Appends number particles of the type at (x, y); nothing for number < 1.
// A missing system or type is reported on the console.
void ParticleSystem_CreateParticles(int32_t system, float x, float y, int32_t type, int32_t number);
void ParticleSystem_CreateParticlesColour(int32_t system, float x, float y, int32_t type, uint32_t colour,
                                          int32_t number);
void ParticleSystem_ClearParticles(int32_t system);
int32_t ParticleSystem_ParticleCount(int32_t system);
// Drops the particles of a type from every system (the type is going away).
void ParticleSystem_RemoveParticlesOfType(int32_t type);

// A particle of the type as it is born at (x, y): the type's ranged values
// drawn from the game's random generator.
void Particle_Initialise(Particle& particle, const ParticleType& type, int32_t typeId, float x, float y);
inline constexpr double kParticleRadiansPerDegree = 3.14159265358979323846 / 180.0;
// The triangle wave of the wiggles: over k = 0..4q-1 it runs from -1 up to 1
// and back down.
inline float Particle_Triangle(int64_t k, int64_t q)
{
    double t = static_cast<double>(k) / static_cast<double>(q);
    if (t > 2) {
        t = 4 - t;
    }
    return static_cast<float>(t - 1);
}
// amount times the triangle wave at the particle's phase (age + seedFactor
// x seed) mod period, over a period of four quarter-periods. Most types have
// no wiggle, and skip the wave.
inline float Particle_Wiggle(float amount, const Particle& particle, int64_t seedFactor, int64_t period)
{
    if (amount == 0) {
        return 0;
    }
    return amount * Particle_Triangle((particle.age + seedFactor * particle.seed) % period, period / 4);
}

// The colour the type gives a particle at birth.
void Particle_InitialColour(Particle& particle, const ParticleType& type);
// A value in [min, max) with the distribution; min when max <= min.
float Particle_RandomInRange(float min, float max, int32_t distribution);

// The five kinds of region object share their bookkeeping.
enum class ParticleRegionKind { Emitter, Attractor, Destroyer, Deflector, Changer };
// The lowest free index (the list grows by one when none is free); -1 for a bad system.
int32_t ParticleRegion_Create(ParticleRegionKind kind, int32_t system);
void ParticleRegion_Destroy(ParticleRegionKind kind, int32_t system, int32_t index);
void ParticleRegion_DestroyAll(ParticleRegionKind kind, int32_t system);
bool ParticleRegion_Exists(ParticleRegionKind kind, int32_t system, int32_t index);
void ParticleRegion_Clear(ParticleRegionKind kind, int32_t system, int32_t index);

void ParticleEmitter_SetRegion(int32_t system, int32_t index, float xMin, float xMax, float yMin, float yMax,
                               int32_t shape, int32_t distribution);
void ParticleEmitter_Stream(int32_t system, int32_t index, int32_t type, int32_t number);

// The object at the index when it exists and is in use, else null.
ParticleEmitter* ParticleEmitter_Get(int32_t system, int32_t index);
ParticleAttractor* ParticleAttractor_Get(int32_t system, int32_t index);
ParticleDestroyer* ParticleDestroyer_Get(int32_t system, int32_t index);
ParticleDeflector* ParticleDeflector_Get(int32_t system, int32_t index);
ParticleChanger* ParticleChanger_Get(int32_t system, int32_t index);

// Per-step update, emission and drawing (particle_update.cpp, particle_draw.cpp).
void ParticleSystem_Update(int32_t system);
void ParticleSystem_UpdateAll();  // in id order, systems with automatic update
void ParticleEmitter_Burst(int32_t system, int32_t emitter, int32_t type, int32_t number);
void ParticleSystem_Draw(int32_t system);
// Depth bands of the automatically drawn systems, for room drawing: the
// largest depth, the largest below the band of d (none when there is none:
// no depth marks the end), and drawing the systems of one band.
std::optional<float> ParticleSystem_MaxDepth();
std::optional<float> ParticleSystem_NextDepth(float depth);
void ParticleSystem_DrawDepth(float depth);

// Start-up and shut-down.
void Particle_Init();        // empties both tables
void Particle_InitShapes();  // the 14 shape textures (needs the device)
void Particle_Fini();

}  // namespace bw
