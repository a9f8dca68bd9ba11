// One step of a particle system: ageing with step and death spawning,
// motion, deflectors, changers, destroyers, size, colour and alpha over the
// life, then the stream emitters.
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#include "particles/particle_system.h"
#include "platform/colour.h"
#include "platform/console.h"
#include "platform/random.h"

namespace bw {

namespace {

// The type of each particle in a walk; neighbours mostly share one, so the
// last one found is kept. Only for walks in which no type can go away.
class TypeLookup {
public:
    const ParticleType* Find(int32_t id)
    {
        if (id != m_id) {
            m_id = id;
            m_type = ParticleType_Get(id);
        }
        return m_type;
    }

private:
    int32_t m_id = -1;
    const ParticleType* m_type = nullptr;
};

// After a walk a particle is dead once its age has reached its life; the
// walk cuts the life of one it takes away otherwise to 0.
void PackLive(std::vector<Particle>& particles)
{
    std::erase_if(particles, [](const Particle& particle) { return particle.age >= particle.life; });
}

// Spawns n particles of a type at (x, y), n not 0: n > 0 makes n, n < 0
// one with a chance of 1 in |n| (at death as at a step). A spawner whose
// type is gone is skipped.
void SpawnSome(int32_t system, float x, float y, int32_t type, int32_t number)
{
    if (!ParticleType_Exists(type)) {
        return;
    }
    if (number < 0) {
        const double range = -static_cast<double>(number);
        if (static_cast<int64_t>(Random_Real(1.0) * range) != 0) {
            return;
        }
        number = 1;
    }
    ParticleSystem_CreateParticles(system, x, y, type, number);
}

// Most types spawn nothing: that test stays in every particle's step, with
// no call.
inline void Spawn(int32_t system, float x, float y, int32_t type, int32_t number)
{
    if (number != 0) [[unlikely]] {
        SpawnSome(system, x, y, type, number);
    }
}

struct Velocity {
    double x = 0, y = 0;
};

// Angles are single precision in every record, so single-precision sine
// and cosine lose nothing that was there (and take half the time).
ParticleHeading HeadingAt(float degrees)
{
    const float radians = degrees * static_cast<float>(kParticleRadiansPerDegree);
    return {degrees, std::cos(radians), std::sin(radians)};
}

// The particle's own heading when it is still at the angle, else the new
// one kept in its place. The angle's bits decide, so -0 and +0 (whose sines
// differ in sign) are told apart.
const ParticleHeading& HeadingOf(Particle& particle, float degrees)
{
    if (std::bit_cast<uint32_t>(degrees) != std::bit_cast<uint32_t>(particle.heading.degrees)) {
        particle.heading = HeadingAt(degrees);
    }
    return particle.heading;
}

Velocity FromPolar(float speed, const ParticleHeading& heading)
{
    return {static_cast<double>(speed * heading.cos), static_cast<double>(-speed * heading.sin)};
}

// direction - 360 floor(direction / 360), skipping the division where the
// angle already lies in [0, 360), as atan2 leaves it; there the formula
// only turns -0 into +0.
double WrapDegrees(double direction)
{
    if (direction >= 0 && direction < 360) {
        return direction + 0.0;
    }
    return direction - 360 * std::floor(direction / 360);
}

void ToPolar(const Velocity& v, Particle& particle)
{
    double direction = particle.direction;
    if (v.x != 0) {
        const double d = std::atan2(static_cast<float>(v.y), static_cast<float>(v.x)) / kParticleRadiansPerDegree;
        direction = d <= 0 ? -d : 360 - d;
    } else if (v.y > 0) {
        direction = 270;
    } else if (v.y < 0) {
        direction = 90;
    }
    particle.direction = static_cast<float>(WrapDegrees(direction));
    particle.speed = static_cast<float>(std::sqrt(v.x * v.x + v.y * v.y));
}

// Adds the attractor's pull to the velocity (additive) or to the offset of
// this step's move.
void Attract(const ParticleAttractor& attractor, const Particle& particle, Velocity& velocity, Velocity& offset)
{
    const double dx = static_cast<double>(attractor.x) - particle.x;
    const double dy = static_cast<double>(attractor.y) - particle.y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (!(distance <= attractor.distance) || distance == 0 || attractor.force == 0 || attractor.distance == 0) {
        return;
    }
    double scale = attractor.force / distance;
    const double falloff = (attractor.distance - distance) / attractor.distance;
    if (attractor.kind == ForceLinear) {
        scale *= falloff;
    } else if (attractor.kind == ForceQuadratic) {
        scale *= falloff * falloff;
    }
    Velocity& target = attractor.additive ? velocity : offset;
    target.x += scale * dx;
    target.y += scale * dy;
}

// The gravity of the type last seen in a walk (neighbours mostly share it).
class GravityLookup {
public:
    const Velocity& Of(const ParticleType& type)
    {
        if (&type != m_type) {
            m_type = &type;
            m_gravity = FromPolar(type.gravityAmount, HeadingAt(type.gravityDirection));
        }
        return m_gravity;
    }

private:
    const ParticleType* m_type = nullptr;
    Velocity m_gravity;
};

void Move(Particle& particle, const ParticleType& type, const std::vector<ParticleAttractor>& attractors,
          GravityLookup& gravities)
{
    particle.speed = std::max(0.0f, particle.speed + type.speedIncrement);
    particle.direction += type.directionIncrement;
    particle.orientation += type.orientationIncrement;
    Velocity offset;
    if (type.gravityAmount != 0 || !attractors.empty()) {
        Velocity velocity = FromPolar(particle.speed, HeadingOf(particle, particle.direction));
        if (type.gravityAmount != 0) {
            const Velocity& gravity = gravities.Of(type);
            velocity.x += gravity.x;
            velocity.y += gravity.y;
        }
        for (const ParticleAttractor& attractor : attractors) {
            if (attractor.inUse) {
                Attract(attractor, particle, velocity, offset);
            }
        }
        ToPolar(velocity, particle);
    }
    // The wiggles move the particle without touching its stored motion.
    const float direction = particle.direction + Particle_Wiggle(type.directionWiggle, particle, 3, 24);
    const float speed = particle.speed + Particle_Wiggle(type.speedWiggle, particle, 4, 20);
    const Velocity step = FromPolar(speed, HeadingOf(particle, direction));
    particle.x = static_cast<float>(particle.x + step.x + offset.x);
    particle.y = static_cast<float>(particle.y + step.y + offset.y);
}

template <typename Region>
bool HasArea(const Region& region)
{
    return region.inUse && region.xMin < region.xMax && region.yMin < region.yMax;
}

template <typename Region>
bool Inside(const Region& region, const Particle& particle)
{
    return particle.x >= region.xMin && particle.x <= region.xMax && particle.y >= region.yMin &&
           particle.y <= region.yMax;
}

bool PassesShape(int32_t shape, double nx, double ny)
{
    switch (shape) {
    case RegionEllipse:
        return nx * nx + ny * ny <= 1;
    case RegionDiamond:
        return std::fabs(nx) + std::fabs(ny) <= 1;
    default:
        return true;
    }
}

// A bounce sends the particle back from where it was before this step's
// move (xPrevious, yPrevious) by as far as it went.
void Deflect(Particle& particle, float xPrevious, float yPrevious, const std::vector<ParticleDeflector>& deflectors)
{
    for (const ParticleDeflector& deflector : deflectors) {
        if (!HasArea(deflector) || !Inside(deflector, particle)) {
            continue;
        }
        if (deflector.kind == DeflectHorizontal) {
            particle.direction = 180 - particle.direction;
            if (particle.direction < 0) {
                particle.direction += 360;
            }
            particle.x = xPrevious - (particle.x - xPrevious);
        } else {
            particle.direction = 360 - particle.direction;
            particle.y = yPrevious - (particle.y - yPrevious);
        }
        particle.speed = std::max(0.0f, particle.speed - deflector.friction);
    }
}

// The changers' shape test works on whole numbers: a particle is in the
// ellipse or diamond only where the truncated offsets say so.
double WholeOffset(float position, float low, float high)
{
    const double centre = (static_cast<double>(low) + high) / 2;
    return std::trunc(2 * std::trunc(position - centre) / (static_cast<double>(high) - low));
}

void ChangeParticle(Particle& particle, const ParticleChanger& changer, const ParticleType& to)
{
    Particle fresh;
    Particle_Initialise(fresh, to, changer.typeTo, particle.x, particle.y);
    particle.type = changer.typeTo;
    switch (changer.kind) {
    case ChangeAll:
        particle = fresh;
        break;
    case ChangeShape:
        particle.colour = fresh.colour;
        particle.alpha = fresh.alpha;
        particle.size = fresh.size;
        particle.startImage = fresh.startImage;
        particle.orientation = fresh.orientation;
        break;
    case ChangeMotion:
        particle.speed = fresh.speed;
        particle.direction = fresh.direction;
        break;
    default:
        break;
    }
}

void Change(ParticleSystem& system)
{
    for (const ParticleChanger& changer : system.changers) {
        const ParticleType* to = ParticleType_Get(changer.typeTo);
        if (!HasArea(changer) || to == nullptr) {
            continue;  // no type to change into
        }
        for (Particle& particle : system.particles) {
            if (particle.type != changer.typeFrom || !Inside(changer, particle)) {
                continue;
            }
            const double nx = WholeOffset(particle.x, changer.xMin, changer.xMax);
            const double ny = WholeOffset(particle.y, changer.yMin, changer.yMax);
            if (PassesShape(changer.shape, nx, ny)) {
                ChangeParticle(particle, changer, *to);
            }
        }
    }
}

bool Destroyed(const Particle& particle, const std::vector<ParticleDestroyer>& destroyers)
{
    for (const ParticleDestroyer& destroyer : destroyers) {
        if (!HasArea(destroyer) || destroyer.shape < RegionRectangle || destroyer.shape > RegionDiamond ||
            !Inside(destroyer, particle)) {
            continue;  // a line or unknown shape destroys nothing
        }
        const double cx = (static_cast<double>(destroyer.xMin) + destroyer.xMax) / 2;
        const double cy = (static_cast<double>(destroyer.yMin) + destroyer.yMax) / 2;
        const double w = static_cast<double>(destroyer.xMax) - destroyer.xMin;
        const double h = static_cast<double>(destroyer.yMax) - destroyer.yMin;
        if (PassesShape(destroyer.shape, 2 * (particle.x - cx) / w, 2 * (particle.y - cy) / h)) {
            return true;
        }
    }
    return false;
}

bool ColourFollowsLife(const ParticleType& type)
{
    return type.colourMode == ParticleColourTwo || type.colourMode == ParticleColourThree;
}

// How a particle looks at a point of its life: its alpha, and its colour
// when the type's colour follows the life.
struct LifeLook {
    float alpha = 1;
    uint32_t colour = 0;
};

LifeLook LookAt(const ParticleType& type, int32_t age, int32_t life)
{
    LifeLook look;
    if (age > 0 && life > 0 && ColourFollowsLife(type)) {
        const float t = static_cast<float>(age) / static_cast<float>(life);
        const auto c = [&type](int i) { return static_cast<Colour>(type.colour[i]); };
        if (type.colourMode == ParticleColourTwo) {
            look.colour = Colour_Merge(c(0), c(1), std::min(t, 1.0f));
        } else {
            const float t2 = std::min(2 * t, 2.0f);
            look.colour = t2 < 1 ? Colour_Merge(c(0), c(1), t2) : Colour_Merge(c(1), c(2), t2 - 1);
        }
    }
    const float t = life > 0 ? 2.0f * static_cast<float>(age) / static_cast<float>(life) : 1.0f;
    look.alpha = t < 1 ? (1 - t) * type.alphaStart + t * type.alphaMiddle
                       : (2 - t) * type.alphaMiddle + (t - 1) * type.alphaEnd;
    return look;
}

// The look of the last type, age and life seen in a walk: particles born
// in the same step lie side by side and mostly share all three.
class LifeLookup {
public:
    const LifeLook& At(const ParticleType& type, int32_t age, int32_t life)
    {
        if (&type != m_type || age != m_age || life != m_life) {
            m_type = &type;
            m_age = age;
            m_life = life;
            m_look = LookAt(type, age, life);
        }
        return m_look;
    }

private:
    const ParticleType* m_type = nullptr;
    int32_t m_age = 0, m_life = 0;
    LifeLook m_look;
};

void Grow(Particle& particle, const ParticleType& type, LifeLookup& looks)
{
    particle.size = std::max(0.0f, particle.size + type.sizeIncrement);
    const LifeLook& look = looks.At(type, particle.age, particle.life);
    if (particle.age <= 0 || particle.life <= 0) {
        Particle_InitialColour(particle, type);
    } else if (ColourFollowsLife(type)) {
        particle.colour = look.colour;
    }
    particle.alpha = look.alpha;
}

// A death spawning put off to the end of the step.
struct OwedDeath {
    float x = 0, y = 0;
    int32_t type = 0, number = 0;
};

// Every particle in one walk, packing the live ones to the front in their
// order: ageing with spawning, motion and deflectors, then (unless changers
// must come between) destroyers and growth. Particles spawned in the walk
// are appended and walked too, but only those there when it began spawn,
// so a type that spawns itself cannot keep the walk going. One of them that
// dies in the walk still owes its death spawning: it is returned, for the
// end of the step.
std::vector<OwedDeath> Walk(int32_t id, ParticleSystem& system, bool throughGrowth)
{
    std::vector<Particle>& particles = system.particles;
    const size_t spawning = particles.size();
    std::vector<OwedDeath> owed;
    TypeLookup types;
    GravityLookup gravities;
    LifeLookup looks;
    for (size_t i = 0; i < particles.size(); ++i) {
        const ParticleType* type = types.Find(particles[i].type);
        if (type == nullptr) {
            particles[i].life = 0;
            continue;
        }
        const bool dies = ++particles[i].age >= particles[i].life;
        if (i < spawning) {
            const float x = particles[i].x;
            const float y = particles[i].y;
            if (dies) {
                Spawn(id, x, y, type->deathType, type->deathNumber);
            } else {
                Spawn(id, x, y, type->stepType, type->stepNumber);
            }
        } else if (dies && type->deathNumber != 0) [[unlikely]] {
            owed.push_back({particles[i].x, particles[i].y, type->deathType, type->deathNumber});
        }
        if (dies) {
            continue;
        }
        Particle& particle = particles[i];
        const float xPrevious = particle.x;
        const float yPrevious = particle.y;
        Move(particle, *type, system.attractors, gravities);
        if (!system.deflectors.empty()) {
            Deflect(particle, xPrevious, yPrevious, system.deflectors);
        }
        if (throughGrowth) {
            if (!system.destroyers.empty() && Destroyed(particle, system.destroyers)) {
                particle.life = 0;
                continue;
            }
            Grow(particle, *type, looks);
        }
    }
    PackLive(particles);
    return owed;
}

}  // namespace

void ParticleSystem_Update(int32_t id)
{
    ParticleSystem* system = ParticleSystem_Get(id);
    if (system == nullptr) {
        return;
    }
    // Changers draw random numbers particle by particle, after every
    // spawner of the step: they keep a walk of their own.
    const bool changers = !system->changers.empty();
    const std::vector<OwedDeath> owed = Walk(id, *system, !changers);
    if (changers) {
        Change(*system);
        std::erase_if(system->particles, [&](const Particle& particle) {
            return Destroyed(particle, system->destroyers);
        });
        TypeLookup types;
        LifeLookup looks;
        for (Particle& particle : system->particles) {
            Grow(particle, *types.Find(particle.type), looks);
        }
    }
    // What these spawn is new at the next step, as a stream's particles are.
    for (const OwedDeath& death : owed) {
        Spawn(id, death.x, death.y, death.type, death.number);
    }
    for (size_t i = 0; i < system->emitters.size(); ++i) {
        const ParticleEmitter emitter = system->emitters[i];
        if (emitter.inUse && emitter.number != 0) {
            ParticleEmitter_Burst(id, static_cast<int32_t>(i), emitter.type, emitter.number);
        }
    }
}

void ParticleSystem_UpdateAll()
{
    for (int32_t id = 0; id < ParticleSystem_TableLength(); ++id) {
        const ParticleSystem* system = ParticleSystem_Get(id);
        if (system != nullptr && system->automaticUpdate) {
            ParticleSystem_Update(id);
        }
    }
}

void ParticleEmitter_Burst(int32_t id, int32_t emitterIndex, int32_t type, int32_t number)
{
    ParticleSystem* system = ParticleSystem_Get(id);
    const ParticleEmitter* emitter = ParticleEmitter_Get(id, emitterIndex);
    if (system == nullptr || emitter == nullptr) {
        return;
    }
    if (number < 0) {
        if (Random_Int(number == INT32_MIN ? INT32_MAX : -number) != 0) {
            return;
        }
        number = 1;
    }
    if (number < 1) {
        return;
    }
    if (!ParticleType_Exists(type)) {
        Console().Printf("part_particles_create :: particle type does not exist!\n");
        return;
    }
    // A burst stops where the system is full.
    number = std::min(number, kMaxParticlesPerSystem - static_cast<int32_t>(system->particles.size()));
    const ParticleEmitter region = *emitter;
    const bool redrawOne = region.distribution == DistributionInvGaussian && region.shape != RegionLine;
    for (int32_t placed = 0; placed < number;) {
        double fx = Particle_RandomInRange(0, 1, region.distribution);
        double fy = Particle_RandomInRange(0, 1, region.distribution);
        if (redrawOne) {
            (Random_Real(1.0) < 0.5 ? fx : fy) = Random_Real(1.0);
        }
        if ((region.shape == RegionEllipse && (fx - 0.5) * (fx - 0.5) + (fy - 0.5) * (fy - 0.5) > 0.25) ||
            (region.shape == RegionDiamond && std::fabs(fx - 0.5) + std::fabs(fy - 0.5) > 0.5)) {
            continue;
        }
        const double along = region.shape == RegionLine ? fx : fy;
        const auto x = static_cast<float>(region.xMin + (static_cast<double>(region.xMax) - region.xMin) * fx);
        const auto y = static_cast<float>(region.yMin + (static_cast<double>(region.yMax) - region.yMin) * along);
        ParticleSystem_CreateParticles(id, x, y, type, 1);
        ++placed;
    }
}

}  // namespace bw
