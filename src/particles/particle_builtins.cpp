// Arguments are reals: ids, indices, counts, kinds, shapes and colours are
// taken to the nearest integer, other values narrowed to single precision,
// flags true from 0.5. No built-in here reports an error; a bad id does
// nothing (particle creation says so on the console).
#include "particles/particle_builtins.h"

#include "script/arguments.h"
#include "particles/effects.h"
#include "particles/particle_system.h"

namespace bw {

namespace {

using Region = ParticleRegionKind;

int32_t Int(const Value* args, int i)
{
    return Arg_Round(args[i]);
}

float Real(const Value* args, int i)
{
    return Arg_Single(args[i]);
}

bool Flag(const Value* args, int i)
{
    return Arg_Flag(args[i]);
}

void SetCount(Value* result, int32_t value)
{
    Value_SetReal(*result, value);
}

// ---- types ----

BW_BUILTIN(PartTypeCreate)
{
    SetCount(result, ParticleType_Create());
}

BW_BUILTIN(PartTypeDestroy)
{
    ParticleType_Destroy(Int(args, 0));
}

BW_BUILTIN(PartTypeExists)
{
    Result_SetBool(result, ParticleType_Exists(Int(args, 0)));
}

BW_BUILTIN(PartTypeClear)
{
    ParticleType_Clear(Int(args, 0));
}

BW_BUILTIN(PartTypeShape)
{
    ParticleType_SetShape(Int(args, 0), Int(args, 1));
}

BW_BUILTIN(PartTypeSprite)
{
    ParticleType_SetSprite(Int(args, 0), Int(args, 1), Flag(args, 2), Flag(args, 3), Flag(args, 4));
}

BW_BUILTIN(PartTypeSize)
{
    ParticleType_SetSize(Int(args, 0), Real(args, 1), Real(args, 2), Real(args, 3), Real(args, 4));
}

BW_BUILTIN(PartTypeScale)
{
    ParticleType_SetScale(Int(args, 0), Real(args, 1), Real(args, 2));
}

BW_BUILTIN(PartTypeLife)
{
    ParticleType_SetLife(Int(args, 0), Int(args, 1), Int(args, 2));
}

BW_BUILTIN(PartTypeStep)
{
    ParticleType_SetStep(Int(args, 0), Int(args, 1), Int(args, 2));
}

BW_BUILTIN(PartTypeDeath)
{
    ParticleType_SetDeath(Int(args, 0), Int(args, 1), Int(args, 2));
}

BW_BUILTIN(PartTypeSpeed)
{
    ParticleType_SetSpeed(Int(args, 0), Real(args, 1), Real(args, 2), Real(args, 3), Real(args, 4));
}

BW_BUILTIN(PartTypeDirection)
{
    ParticleType_SetDirection(Int(args, 0), Real(args, 1), Real(args, 2), Real(args, 3), Real(args, 4));
}

BW_BUILTIN(PartTypeOrientation)
{
    ParticleType_SetOrientation(Int(args, 0), Real(args, 1), Real(args, 2), Real(args, 3), Real(args, 4),
                                Flag(args, 5));
}

BW_BUILTIN(PartTypeGravity)
{
    ParticleType_SetGravity(Int(args, 0), Real(args, 1), Real(args, 2));
}

BW_BUILTIN(PartTypeColorMix)
{
    ParticleType_SetColourMix(Int(args, 0), Int(args, 1), Int(args, 2));
}

template <void (*Set)(int32_t, const int32_t*)>
BW_BUILTIN(PartTypeColorChannels)
{
    const int32_t bounds[6] = {Int(args, 1), Int(args, 2), Int(args, 3), Int(args, 4), Int(args, 5), Int(args, 6)};
    Set(Int(args, 0), bounds);
}

BW_BUILTIN(PartTypeColor1)
{
    ParticleType_SetColour1(Int(args, 0), Int(args, 1));
}

BW_BUILTIN(PartTypeColor2)
{
    ParticleType_SetColour2(Int(args, 0), Int(args, 1), Int(args, 2));
}

BW_BUILTIN(PartTypeColor3)
{
    ParticleType_SetColour3(Int(args, 0), Int(args, 1), Int(args, 2), Int(args, 3));
}

BW_BUILTIN(PartTypeAlpha1)
{
    ParticleType_SetAlpha1(Int(args, 0), Real(args, 1));
}

BW_BUILTIN(PartTypeAlpha2)
{
    ParticleType_SetAlpha2(Int(args, 0), Real(args, 1), Real(args, 2));
}

BW_BUILTIN(PartTypeAlpha3)
{
    ParticleType_SetAlpha3(Int(args, 0), Real(args, 1), Real(args, 2), Real(args, 3));
}

BW_BUILTIN(PartTypeBlend)
{
    ParticleType_SetBlend(Int(args, 0), Flag(args, 1));
}

// ---- systems and particles ----

BW_BUILTIN(PartSystemCreate)
{
    SetCount(result, ParticleSystem_Create());
}

BW_BUILTIN(PartSystemDestroy)
{
    ParticleSystem_Destroy(Int(args, 0));
}

BW_BUILTIN(PartSystemExists)
{
    Result_SetBool(result, ParticleSystem_Exists(Int(args, 0)));
}

BW_BUILTIN(PartSystemClear)
{
    ParticleSystem_Clear(Int(args, 0));
}

BW_BUILTIN(PartSystemDrawOrder)
{
    ParticleSystem_SetDrawOrder(Int(args, 0), Flag(args, 1));
}

BW_BUILTIN(PartSystemDepth)
{
    ParticleSystem_SetDepth(Int(args, 0), Real(args, 1));
}

BW_BUILTIN(PartSystemPosition)
{
    ParticleSystem_SetPosition(Int(args, 0), Real(args, 1), Real(args, 2));
}

BW_BUILTIN(PartSystemAutomaticUpdate)
{
    ParticleSystem_SetAutomaticUpdate(Int(args, 0), Flag(args, 1));
}

BW_BUILTIN(PartSystemAutomaticDraw)
{
    ParticleSystem_SetAutomaticDraw(Int(args, 0), Flag(args, 1));
}

BW_BUILTIN(PartSystemUpdate)
{
    ParticleSystem_Update(Int(args, 0));
}

BW_BUILTIN(PartSystemDrawit)
{
    ParticleSystem_Draw(Int(args, 0));
}

BW_BUILTIN(PartParticlesCreate)
{
    ParticleSystem_CreateParticles(Int(args, 0), Real(args, 1), Real(args, 2), Int(args, 3), Int(args, 4));
}

BW_BUILTIN(PartParticlesCreateColor)
{
    ParticleSystem_CreateParticlesColour(Int(args, 0), Real(args, 1), Real(args, 2), Int(args, 3),
                                         static_cast<uint32_t>(Int(args, 4)), Int(args, 5));
}

BW_BUILTIN(PartParticlesClear)
{
    ParticleSystem_ClearParticles(Int(args, 0));
}

BW_BUILTIN(PartParticlesCount)
{
    SetCount(result, ParticleSystem_ParticleCount(Int(args, 0)));
}

// ---- region objects: the same five for every kind ----

template <Region kind>
BW_BUILTIN(RegionCreate)
{
    SetCount(result, ParticleRegion_Create(kind, Int(args, 0)));
}

template <Region kind>
BW_BUILTIN(RegionDestroy)
{
    ParticleRegion_Destroy(kind, Int(args, 0), Int(args, 1));
}

template <Region kind>
BW_BUILTIN(RegionDestroyAll)
{
    ParticleRegion_DestroyAll(kind, Int(args, 0));
}

template <Region kind>
BW_BUILTIN(RegionExists)
{
    Result_SetBool(result, ParticleRegion_Exists(kind, Int(args, 0), Int(args, 1)));
}

template <Region kind>
BW_BUILTIN(RegionClear)
{
    ParticleRegion_Clear(kind, Int(args, 0), Int(args, 1));
}

// Region bounds from arguments first..first+3 (x min, x max, y min, y max).
template <typename Object>
void SetBox(Object& object, const Value* args, int first)
{
    object.xMin = Real(args, first);
    object.xMax = Real(args, first + 1);
    object.yMin = Real(args, first + 2);
    object.yMax = Real(args, first + 3);
}

BW_BUILTIN(PartEmitterRegion)
{
    ParticleEmitter_SetRegion(Int(args, 0), Int(args, 1), Real(args, 2), Real(args, 3), Real(args, 4), Real(args, 5),
                              Int(args, 6), Int(args, 7));
}

BW_BUILTIN(PartEmitterBurst)
{
    ParticleEmitter_Burst(Int(args, 0), Int(args, 1), Int(args, 2), Int(args, 3));
}

BW_BUILTIN(PartEmitterStream)
{
    ParticleEmitter_Stream(Int(args, 0), Int(args, 1), Int(args, 2), Int(args, 3));
}

BW_BUILTIN(PartAttractorPosition)
{
    if (ParticleAttractor* attractor = ParticleAttractor_Get(Int(args, 0), Int(args, 1))) {
        attractor->x = Real(args, 2);
        attractor->y = Real(args, 3);
    }
}

BW_BUILTIN(PartAttractorForce)
{
    if (ParticleAttractor* attractor = ParticleAttractor_Get(Int(args, 0), Int(args, 1))) {
        attractor->force = Real(args, 2);
        attractor->distance = Real(args, 3);
        attractor->kind = Int(args, 4);
        attractor->additive = Flag(args, 5);
    }
}

BW_BUILTIN(PartDestroyerRegion)
{
    if (ParticleDestroyer* destroyer = ParticleDestroyer_Get(Int(args, 0), Int(args, 1))) {
        SetBox(*destroyer, args, 2);
        destroyer->shape = Int(args, 6);
    }
}

BW_BUILTIN(PartDeflectorRegion)
{
    if (ParticleDeflector* deflector = ParticleDeflector_Get(Int(args, 0), Int(args, 1))) {
        SetBox(*deflector, args, 2);
    }
}

BW_BUILTIN(PartDeflectorKind)
{
    if (ParticleDeflector* deflector = ParticleDeflector_Get(Int(args, 0), Int(args, 1))) {
        deflector->kind = Int(args, 2);
    }
}

BW_BUILTIN(PartDeflectorFriction)
{
    if (ParticleDeflector* deflector = ParticleDeflector_Get(Int(args, 0), Int(args, 1))) {
        deflector->friction = Real(args, 2);
    }
}

BW_BUILTIN(PartChangerRegion)
{
    if (ParticleChanger* changer = ParticleChanger_Get(Int(args, 0), Int(args, 1))) {
        SetBox(*changer, args, 2);
        changer->shape = Int(args, 6);
    }
}

BW_BUILTIN(PartChangerKind)
{
    if (ParticleChanger* changer = ParticleChanger_Get(Int(args, 0), Int(args, 1))) {
        changer->kind = Int(args, 2);
    }
}

BW_BUILTIN(PartChangerTypes)
{
    if (ParticleChanger* changer = ParticleChanger_Get(Int(args, 0), Int(args, 1))) {
        changer->typeFrom = Int(args, 2);
        changer->typeTo = Int(args, 3);
    }
}

// ---- effects ----

template <bool below>
BW_BUILTIN(EffectCreate)
{
    Effect_Create(below, Int(args, 0), Real(args, 1), Real(args, 2), Int(args, 3),
                  static_cast<uint32_t>(Int(args, 4)));
}

BW_BUILTIN(EffectClear)
{
    Effect_Clear();
}

const BuiltinRegistration kParticleBuiltins[] = {
    {"part_type_create", PartTypeCreate, 0},
    {"part_type_destroy", PartTypeDestroy, 1},
    {"part_type_exists", PartTypeExists, 1},
    {"part_type_clear", PartTypeClear, 1},
    {"part_type_shape", PartTypeShape, 2},
    {"part_type_sprite", PartTypeSprite, 5},
    {"part_type_size", PartTypeSize, 5},
    {"part_type_scale", PartTypeScale, 3},
    {"part_type_life", PartTypeLife, 3},
    {"part_type_step", PartTypeStep, 3},
    {"part_type_death", PartTypeDeath, 3},
    {"part_type_speed", PartTypeSpeed, 5},
    {"part_type_direction", PartTypeDirection, 5},
    {"part_type_orientation", PartTypeOrientation, 6},
    {"part_type_gravity", PartTypeGravity, 3},
    {"part_type_color_mix", PartTypeColorMix, 3},
    {"part_type_color_rgb", PartTypeColorChannels<&ParticleType_SetColourRGB>, 7},
    {"part_type_color_hsv", PartTypeColorChannels<&ParticleType_SetColourHSV>, 7},
    {"part_type_color1", PartTypeColor1, 2},
    {"part_type_color2", PartTypeColor2, 3},
    {"part_type_color3", PartTypeColor3, 4},
    {"part_type_color", PartTypeColor3, 4},
    {"part_type_alpha1", PartTypeAlpha1, 2},
    {"part_type_alpha2", PartTypeAlpha2, 3},
    {"part_type_alpha3", PartTypeAlpha3, 4},
    {"part_type_alpha", PartTypeAlpha3, 4},
    {"part_type_blend", PartTypeBlend, 2},
    {"part_system_create", PartSystemCreate, 0},
    {"part_system_destroy", PartSystemDestroy, 1},
    {"part_system_exists", PartSystemExists, 1},
    {"part_system_clear", PartSystemClear, 1},
    {"part_system_draw_order", PartSystemDrawOrder, 2},
    {"part_system_depth", PartSystemDepth, 2},
    {"part_system_position", PartSystemPosition, 3},
    {"part_system_automatic_update", PartSystemAutomaticUpdate, 2},
    {"part_system_automatic_draw", PartSystemAutomaticDraw, 2},
    {"part_system_update", PartSystemUpdate, 1},
    {"part_system_drawit", PartSystemDrawit, 1},
    {"part_particles_create", PartParticlesCreate, 5},
    {"part_particles_create_color", PartParticlesCreateColor, 6},
    {"part_particles_clear", PartParticlesClear, 1},
    {"part_particles_count", PartParticlesCount, 1},
    {"part_emitter_create", RegionCreate<Region::Emitter>, 1},
    {"part_emitter_destroy", RegionDestroy<Region::Emitter>, 2},
    {"part_emitter_destroy_all", RegionDestroyAll<Region::Emitter>, 1},
    {"part_emitter_exists", RegionExists<Region::Emitter>, 2},
    {"part_emitter_clear", RegionClear<Region::Emitter>, 2},
    {"part_emitter_region", PartEmitterRegion, 8},
    {"part_emitter_burst", PartEmitterBurst, 4},
    {"part_emitter_stream", PartEmitterStream, 4},
    {"part_attractor_create", RegionCreate<Region::Attractor>, 1},
    {"part_attractor_destroy", RegionDestroy<Region::Attractor>, 2},
    {"part_attractor_destroy_all", RegionDestroyAll<Region::Attractor>, 1},
    {"part_attractor_exists", RegionExists<Region::Attractor>, 2},
    {"part_attractor_clear", RegionClear<Region::Attractor>, 2},
    {"part_attractor_position", PartAttractorPosition, 4},
    {"part_attractor_force", PartAttractorForce, 6},
    {"part_destroyer_create", RegionCreate<Region::Destroyer>, 1},
    {"part_destroyer_destroy", RegionDestroy<Region::Destroyer>, 2},
    {"part_destroyer_destroy_all", RegionDestroyAll<Region::Destroyer>, 1},
    {"part_destroyer_exists", RegionExists<Region::Destroyer>, 2},
    {"part_destroyer_clear", RegionClear<Region::Destroyer>, 2},
    {"part_destroyer_region", PartDestroyerRegion, 7},
    {"part_deflector_create", RegionCreate<Region::Deflector>, 1},
    {"part_deflector_destroy", RegionDestroy<Region::Deflector>, 2},
    {"part_deflector_destroy_all", RegionDestroyAll<Region::Deflector>, 1},
    {"part_deflector_exists", RegionExists<Region::Deflector>, 2},
    {"part_deflector_clear", RegionClear<Region::Deflector>, 2},
    {"part_deflector_region", PartDeflectorRegion, 6},
    {"part_deflector_kind", PartDeflectorKind, 3},
    {"part_deflector_friction", PartDeflectorFriction, 3},
    {"part_changer_create", RegionCreate<Region::Changer>, 1},
    {"part_changer_destroy", RegionDestroy<Region::Changer>, 2},
    {"part_changer_destroy_all", RegionDestroyAll<Region::Changer>, 1},
    {"part_changer_exists", RegionExists<Region::Changer>, 2},
    {"part_changer_clear", RegionClear<Region::Changer>, 2},
    {"part_changer_region", PartChangerRegion, 7},
    {"part_changer_kind", PartChangerKind, 3},
    {"part_changer_types", PartChangerTypes, 4},
    {"effect_create_below", EffectCreate<true>, 5},
    {"effect_create_above", EffectCreate<false>, 5},
    {"effect_clear", EffectClear, 0},
};
static_assert(std::size(kParticleBuiltins) == 82);

}  // namespace

void Function_Particle_Register()
{
    Builtins_Register(kParticleBuiltins);
}

}  // namespace bw
