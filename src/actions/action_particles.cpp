// Particle actions: effects, and one particle system of the actions with
// 16 type and 16 emitter slots, each made when first needed.
#include "actions/action_groups.h"

#include <array>

#include "actions/action_helpers.h"
#include "particles/effects.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"
#include "script/arguments.h"
#include "script/error_report.h"

namespace bw {

namespace {

using namespace actions;

BW_SELF_BUILTIN(ActionEffect)
{
    const Point at = Position(self, args[1], args[2]);
    Effect_Create(!Arg_Flag(args[5]), Arg_Round(args[0]), at.x, at.y, Arg_Round(args[3]),
                  static_cast<uint32_t>(Arg_Round(args[4])));
}

constexpr int32_t kParticleSlots = 16;
struct ActionParticles {
    int32_t system = -1;
    std::array<int32_t, kParticleSlots> types = MakeUnset();
    std::array<int32_t, kParticleSlots> emitters = MakeUnset();

    static constexpr std::array<int32_t, kParticleSlots> MakeUnset()
    {
        std::array<int32_t, kParticleSlots> slots{};
        slots.fill(-1);
        return slots;
    }
};
ActionParticles g_particles;

int32_t ParticleSystem()
{
    if (!ParticleSystem_Exists(g_particles.system)) {
        g_particles.system = ParticleSystem_Create();
    }
    return g_particles.system;
}

bool ValidSlot(int32_t slot)
{
    return slot >= 0 && slot < kParticleSlots;
}

// The slot's type id, made when the slot has none; -1 for a bad slot.
int32_t TypeInSlot(const Value& slotValue)
{
    const int32_t slot = Arg_Round(slotValue);
    if (!ValidSlot(slot)) {
        return -1;
    }
    int32_t& type = g_particles.types[static_cast<size_t>(slot)];
    ParticleSystem();
    if (!ParticleType_Exists(type)) {
        type = ParticleType_Create();
    }
    return type;
}

// The type id a slot holds now, without making one.
int32_t TypeIdOfSlot(const Value& slotValue)
{
    const int32_t slot = Arg_Round(slotValue);
    return ValidSlot(slot) ? g_particles.types[static_cast<size_t>(slot)] : -1;
}

BW_BUILTIN(ActionPartsystCreate)
{
    const int32_t system = ParticleSystem();
    ParticleSystem_Clear(system);
    ParticleSystem_SetDepth(system, Arg_Single(args[0]));
    g_particles.types = ActionParticles::MakeUnset();
    g_particles.emitters = ActionParticles::MakeUnset();
}

BW_BUILTIN(ActionPartsystDestroy)
{
    ParticleSystem_Destroy(ParticleSystem());
}

BW_BUILTIN(ActionPartsystClear)
{
    ParticleSystem_ClearParticles(ParticleSystem());
}

BW_BUILTIN(ActionParttypeCreate)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    ParticleType_SetShape(type, Arg_Round(args[1]));
    ParticleType_SetSprite(type, Arg_Round(args[2]), true, false, false);
    ParticleType_SetSize(type, Arg_Single(args[3]), Arg_Single(args[4]), Arg_Single(args[5]), 0.0f);
}

BW_BUILTIN(ActionParttypeCreateOld)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    ParticleType_SetShape(type, Arg_Round(args[1]));
    ParticleType_SetSize(type, Arg_Single(args[2]), Arg_Single(args[3]), 0.0f, 0.0f);
    ParticleType_SetColour2(type, Arg_Round(args[4]), Arg_Round(args[5]));
}

BW_BUILTIN(ActionParttypeColor)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    constexpr int32_t kChanging = 0;
    if (Arg_Round(args[1]) == kChanging) {
        ParticleType_SetColour2(type, Arg_Round(args[2]), Arg_Round(args[3]));
    } else {
        ParticleType_SetColourMix(type, Arg_Round(args[2]), Arg_Round(args[3]));
    }
    ParticleType_SetAlpha2(type, Arg_Single(args[4]), Arg_Single(args[5]));
}

BW_BUILTIN(ActionParttypeLife)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type >= 0) {
        ParticleType_SetLife(type, Arg_Round(args[1]), Arg_Round(args[2]));
    }
}

BW_BUILTIN(ActionParttypeSpeed)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    // Friction slows every particle down a little each step.
    ParticleType_SetSpeed(type, Arg_Single(args[1]), Arg_Single(args[2]), -Arg_Single(args[5]), 0.0f);
    ParticleType_SetDirection(type, Arg_Single(args[3]), Arg_Single(args[4]), 0.0f, 0.0f);
}

BW_BUILTIN(ActionParttypeGravity)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type >= 0) {
        ParticleType_SetGravity(type, Arg_Single(args[1]), Arg_Single(args[2]));
    }
}

BW_BUILTIN(ActionParttypeSecondary)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    ParticleType_SetStep(type, Arg_Round(args[2]), TypeIdOfSlot(args[1]));
    ParticleType_SetDeath(type, Arg_Round(args[4]), TypeIdOfSlot(args[3]));
}

BW_BUILTIN(ActionPartemitCreate)
{
    const int32_t slot = Arg_Round(args[0]);
    if (!ValidSlot(slot)) {
        return;
    }
    const int32_t system = ParticleSystem();
    int32_t& emitter = g_particles.emitters[static_cast<size_t>(slot)];
    if (ParticleEmitter_Get(system, emitter) == nullptr) {
        emitter = ParticleRegion_Create(ParticleRegionKind::Emitter, system);
    }
    constexpr int32_t kLinearDistribution = 0;
    ParticleEmitter_SetRegion(system, emitter, Arg_Single(args[2]), Arg_Single(args[3]), Arg_Single(args[4]),
                              Arg_Single(args[5]), Arg_Round(args[1]), kLinearDistribution);
}

BW_BUILTIN(ActionPartemitDestroy)
{
    const int32_t slot = Arg_Round(args[0]);
    if (ValidSlot(slot)) {
        ParticleRegion_Destroy(ParticleRegionKind::Emitter, ParticleSystem(), g_particles.emitters[static_cast<size_t>(slot)]);
    }
}

template <void (*emit)(int32_t, int32_t, int32_t, int32_t)>
BW_BUILTIN(ActionPartemitEmit)
{
    const int32_t slot = Arg_Round(args[0]);
    const int32_t system = ParticleSystem();
    if (!ValidSlot(slot) || ParticleEmitter_Get(system, g_particles.emitters[static_cast<size_t>(slot)]) == nullptr) {
        Code_Error_Runtime("The particle emitter must first be created.", false);
        return;
    }
    emit(system, g_particles.emitters[static_cast<size_t>(slot)], TypeIdOfSlot(args[1]), Arg_Round(args[2]));
}

}  // namespace

void ActionParticles_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_effect", &ActionEffect, 6},
        {"action_partsyst_create", &ActionPartsystCreate, 1},
        {"action_partsyst_destroy", &ActionPartsystDestroy, 0},
        {"action_partsyst_clear", &ActionPartsystClear, 0},
        {"action_parttype_create", &ActionParttypeCreate, 6},
        {"action_parttype_create_old", &ActionParttypeCreateOld, 6},
        {"action_parttype_color", &ActionParttypeColor, 6},
        {"action_parttype_life", &ActionParttypeLife, 3},
        {"action_parttype_speed", &ActionParttypeSpeed, 6},
        {"action_parttype_gravity", &ActionParttypeGravity, 3},
        {"action_parttype_secondary", &ActionParttypeSecondary, 5},
        {"action_partemit_create", &ActionPartemitCreate, 6},
        {"action_partemit_destroy", &ActionPartemitDestroy, 1},
        {"action_partemit_burst", &ActionPartemitEmit<&ParticleEmitter_Burst>, 3},
        {"action_partemit_stream", &ActionPartemitEmit<&ParticleEmitter_Stream>, 3},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
