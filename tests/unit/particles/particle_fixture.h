// Every particle test starts with empty type and system tables, a seeded
// random generator and a record of the console's lines.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "particles/particle_system.h"
#include "platform/console.h"
#include "platform/random.h"

namespace bw::test {

// What the console printed during the test.
inline std::string& ParticleConsoleText()
{
    static std::string text;
    return text;
}

class ParticleTest : public testing::Test {
protected:
    void SetUp() override
    {
        Particle_Init();
        Random_SetSeed(20261207);
        ParticleConsoleText().clear();
        Console_SetDebugListener([](const char* line) { ParticleConsoleText() += line; });
    }
    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        Particle_Init();
    }

    // A system holding number particles of a new type at (x, y).
    static int32_t SystemWith(int32_t type, int32_t number, float x = 0, float y = 0)
    {
        const int32_t system = ParticleSystem_Create();
        ParticleSystem_CreateParticles(system, x, y, type, number);
        return system;
    }
    static const std::vector<Particle>& ParticlesOf(int32_t system) { return ParticleSystem_Get(system)->particles; }
};

}  // namespace bw::test
