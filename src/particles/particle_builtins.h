// The "Particle.." group of built-ins: particle types, systems, particles,
// the five region objects and the effects.
#pragma once

namespace bw {

void Function_Particle_Register();

}  // namespace bw
