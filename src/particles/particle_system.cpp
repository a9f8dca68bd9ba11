#include "particles/particle_system.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <type_traits>

#include "platform/real_to_int.h"
#include "particles/effects.h"
#include "particles/particle_table.h"
#include "platform/colour.h"
#include "platform/console.h"
#include "platform/random.h"

namespace bw {

namespace {

ParticleTable<ParticleSystem> g_systems;

template <typename Region>
std::vector<Region>* RegionListOf(ParticleSystem& system)
{
    if constexpr (std::is_same_v<Region, ParticleEmitter>) {
        return &system.emitters;
    } else if constexpr (std::is_same_v<Region, ParticleAttractor>) {
        return &system.attractors;
    } else if constexpr (std::is_same_v<Region, ParticleDestroyer>) {
        return &system.destroyers;
    } else if constexpr (std::is_same_v<Region, ParticleDeflector>) {
        return &system.deflectors;
    } else {
        return &system.changers;
    }
}

template <typename Region>
Region* RegionGet(int32_t systemId, int32_t index)
{
    ParticleSystem* system = ParticleSystem_Get(systemId);
    if (system == nullptr) {
        return nullptr;
    }
    std::vector<Region>& list = *RegionListOf<Region>(*system);
    if (index < 0 || index >= static_cast<int32_t>(list.size()) || !list[static_cast<size_t>(index)].inUse) {
        return nullptr;
    }
    return &list[static_cast<size_t>(index)];
}

// Runs op with a new object of the kind: op's template parameter picks the
// list, and the object is what a create or clear writes.
template <typename Operation>
auto WithRegionKind(ParticleRegionKind kind, Operation op)
{
    switch (kind) {
    case ParticleRegionKind::Emitter:
        return op(ParticleEmitter{});
    case ParticleRegionKind::Attractor:
        return op(ParticleAttractor{});
    case ParticleRegionKind::Destroyer:
        return op(ParticleDestroyer{});
    case ParticleRegionKind::Deflector:
        return op(ParticleDeflector{});
    case ParticleRegionKind::Changer:
        break;
    }
    return op(ParticleChanger{});
}

// One draw of the gaussian loop: x in [-3, 3) kept with the bell's weight.
double GaussianDraw()
{
    for (;;) {
        const double x = (Random_Real(1.0) - 0.5) * 6.0;
        if (std::exp(-x * x / 2.0) > Random_Real(1.0)) {
            return x;
        }
    }
}

int32_t RandomChannel(int32_t min, int32_t max)
{
    return GR_TruncToInt32(Particle_RandomInRange(static_cast<float>(min), static_cast<float>(max), DistributionLinear));
}

void AppendParticles(int32_t systemId, float x, float y, int32_t typeId, int32_t number, const uint32_t* colour)
{
    if (number < 1) {
        return;
    }
    ParticleSystem* system = ParticleSystem_Get(systemId);
    if (system == nullptr) {
        Console().Printf("part_particles_create :: particle system does not exist!\n");
        return;
    }
    const ParticleType* type = ParticleType_Get(typeId);
    if (type == nullptr) {
        Console().Printf("part_particles_create :: particle type does not exist!\n");
        return;
    }
    std::vector<Particle>& particles = system->particles;
    const auto count = static_cast<int32_t>(particles.size());
    number = std::min(number, kMaxParticlesPerSystem - count);
    // Room grows by half at least, so bursts of one particle at a time
    // (emitters) never move the whole array for each.
    const size_t needed = particles.size() + static_cast<size_t>(number);
    if (particles.capacity() < needed) {
        particles.reserve(std::max(needed, particles.size() + particles.size() / 2 + 100));
    }
    for (int32_t i = 0; i < number; ++i) {
        Particle& particle = particles.emplace_back();
        Particle_Initialise(particle, *type, typeId, x, y);
        if (colour != nullptr) {
            particle.colour = *colour;
        }
    }
}

}  // namespace

float Particle_RandomInRange(float min, float max, int32_t distribution)
{
    if (!(max - min > 0)) {
        return min;
    }
    double fraction = 0;
    switch (distribution) {
    case DistributionGaussian:
        fraction = (GaussianDraw() + 3.0) / 6.0;
        break;
    case DistributionInvGaussian: {
        const double x = GaussianDraw();
        fraction = x >= 0 ? x / 6.0 : (x + 6.0) / 6.0;
        break;
    }
    default:
        fraction = Random_Real(1.0);
        break;
    }
    return static_cast<float>(min + fraction * (max - min));
}

void Particle_Initialise(Particle& particle, const ParticleType& type, int32_t typeId, float x, float y)
{
    particle.type = typeId;
    particle.x = x;
    particle.y = y;
    particle.speed = Particle_RandomInRange(type.speedMin, type.speedMax, DistributionLinear);
    particle.direction = Particle_RandomInRange(type.directionMin, type.directionMax, DistributionLinear);
    particle.orientation = Particle_RandomInRange(type.orientationMin, type.orientationMax, DistributionLinear);
    particle.life = GR_TruncToInt32(Particle_RandomInRange(static_cast<float>(type.lifeMin), static_cast<float>(type.lifeMax),
                                                    DistributionLinear));
    particle.age = 0;
    Particle_InitialColour(particle, type);
    particle.alpha = type.alphaStart;
    particle.size = Particle_RandomInRange(type.sizeMin, type.sizeMax, DistributionLinear);
    particle.startImage = type.randomImage ? static_cast<int32_t>(Random_Int(10000)) : 0;
    particle.seed = static_cast<int32_t>(Random_Int(100000));
}

void Particle_InitialColour(Particle& particle, const ParticleType& type)
{
    const int32_t* c = type.colour;
    switch (type.colourMode) {
    case ParticleColourRGB:
        particle.colour = Colour_Make(RandomChannel(c[0], c[1]), RandomChannel(c[2], c[3]), RandomChannel(c[4], c[5]));
        break;
    case ParticleColourHSV:
        particle.colour =
            Colour_MakeHSV(RandomChannel(c[0], c[1]), RandomChannel(c[2], c[3]), RandomChannel(c[4], c[5]));
        break;
    case ParticleColourMix:
        particle.colour = Colour_Merge(static_cast<Colour>(c[0]), static_cast<Colour>(c[1]),
                                       static_cast<float>(Random_Real(1.0)));
        break;
    default:
        particle.colour = static_cast<uint32_t>(c[0]);
        break;
    }
}

ParticleSystem* ParticleSystem_Get(int32_t id)
{
    return g_systems.Get(id);
}

int32_t ParticleSystem_TableLength()
{
    return g_systems.Length();
}

int32_t ParticleSystem_Create()
{
    return g_systems.Create();
}

void ParticleSystem_Destroy(int32_t id)
{
    // Cleared first, so its particles and lists go now.
    g_systems.Edit(id, [](ParticleSystem& system) {
        system = ParticleSystem{};
        system.inUse = false;
    });
}

bool ParticleSystem_Exists(int32_t id)
{
    return g_systems.Get(id) != nullptr;
}

void ParticleSystem_Clear(int32_t id)
{
    g_systems.Edit(id, [](ParticleSystem& system) { system = ParticleSystem{}; });
}

void ParticleSystem_DestroyAll()
{
    g_systems.Clear();
}

void ParticleSystem_SetDrawOrder(int32_t id, bool oldToNew)
{
    g_systems.Edit(id, [=](ParticleSystem& system) { system.drawOldToNew = oldToNew; });
}

void ParticleSystem_SetDepth(int32_t id, float depth)
{
    g_systems.Edit(id, [=](ParticleSystem& system) { system.depth = depth; });
}

void ParticleSystem_SetPosition(int32_t id, float x, float y)
{
    g_systems.Edit(id, [=](ParticleSystem& system) {
        system.x = x;
        system.y = y;
    });
}

void ParticleSystem_SetAutomaticUpdate(int32_t id, bool on)
{
    g_systems.Edit(id, [=](ParticleSystem& system) { system.automaticUpdate = on; });
}

void ParticleSystem_SetAutomaticDraw(int32_t id, bool on)
{
    g_systems.Edit(id, [=](ParticleSystem& system) { system.automaticDraw = on; });
}

void ParticleSystem_CreateParticles(int32_t system, float x, float y, int32_t type, int32_t number)
{
    AppendParticles(system, x, y, type, number, nullptr);
}

void ParticleSystem_CreateParticlesColour(int32_t system, float x, float y, int32_t type, uint32_t colour,
                                          int32_t number)
{
    AppendParticles(system, x, y, type, number, &colour);
}

void ParticleSystem_ClearParticles(int32_t id)
{
    g_systems.Edit(id, [](ParticleSystem& system) { system.particles = {}; });
}

int32_t ParticleSystem_ParticleCount(int32_t id)
{
    const ParticleSystem* system = ParticleSystem_Get(id);
    return system != nullptr ? static_cast<int32_t>(system->particles.size()) : 0;
}

void ParticleSystem_RemoveParticlesOfType(int32_t type)
{
    for (int32_t id = 0; id < g_systems.Length(); ++id) {
        g_systems.Edit(id, [type](ParticleSystem& system) {
            std::erase_if(system.particles, [type](const Particle& particle) { return particle.type == type; });
        });
    }
}

int32_t ParticleRegion_Create(ParticleRegionKind kind, int32_t systemId)
{
    ParticleSystem* system = ParticleSystem_Get(systemId);
    if (system == nullptr) {
        return -1;
    }
    return WithRegionKind(kind, [system]<typename Region>(Region fresh) {
        std::vector<Region>& list = *RegionListOf<Region>(*system);
        const auto free = std::find_if(list.begin(), list.end(), [](const Region& r) { return !r.inUse; });
        if (free != list.end()) {
            *free = fresh;
            return static_cast<int32_t>(free - list.begin());
        }
        list.push_back(fresh);
        return static_cast<int32_t>(list.size() - 1);
    });
}

void ParticleRegion_Destroy(ParticleRegionKind kind, int32_t system, int32_t index)
{
    WithRegionKind(kind, [=]<typename Region>(Region) {
        if (Region* region = RegionGet<Region>(system, index)) {
            region->inUse = false;
        }
    });
}

void ParticleRegion_DestroyAll(ParticleRegionKind kind, int32_t systemId)
{
    if (ParticleSystem* system = ParticleSystem_Get(systemId)) {
        WithRegionKind(kind, [system]<typename Region>(Region) { *RegionListOf<Region>(*system) = {}; });
    }
}

bool ParticleRegion_Exists(ParticleRegionKind kind, int32_t system, int32_t index)
{
    return WithRegionKind(kind, [=]<typename Region>(Region) { return RegionGet<Region>(system, index) != nullptr; });
}

void ParticleRegion_Clear(ParticleRegionKind kind, int32_t system, int32_t index)
{
    WithRegionKind(kind, [=]<typename Region>(Region fresh) {
        if (Region* region = RegionGet<Region>(system, index)) {
            *region = fresh;
        }
    });
}

ParticleEmitter* ParticleEmitter_Get(int32_t system, int32_t index)
{
    return RegionGet<ParticleEmitter>(system, index);
}

ParticleAttractor* ParticleAttractor_Get(int32_t system, int32_t index)
{
    return RegionGet<ParticleAttractor>(system, index);
}

ParticleDestroyer* ParticleDestroyer_Get(int32_t system, int32_t index)
{
    return RegionGet<ParticleDestroyer>(system, index);
}

ParticleDeflector* ParticleDeflector_Get(int32_t system, int32_t index)
{
    return RegionGet<ParticleDeflector>(system, index);
}

ParticleChanger* ParticleChanger_Get(int32_t system, int32_t index)
{
    return RegionGet<ParticleChanger>(system, index);
}

void ParticleEmitter_SetRegion(int32_t system, int32_t index, float xMin, float xMax, float yMin, float yMax,
                               int32_t shape, int32_t distribution)
{
    if (ParticleEmitter* emitter = ParticleEmitter_Get(system, index)) {
        *emitter = ParticleEmitter{true, emitter->number, xMin, xMax, yMin, yMax, distribution, shape, emitter->type};
    }
}

void ParticleEmitter_Stream(int32_t system, int32_t index, int32_t type, int32_t number)
{
    if (ParticleEmitter* emitter = ParticleEmitter_Get(system, index)) {
        emitter->type = type;
        emitter->number = number;
    }
}

void Particle_Init()
{
    ParticleType_DestroyAll();
    Effect_ForgetTypes();
    ParticleSystem_DestroyAll();
}

}  // namespace bw
