// A game package played in-process on the virtual clock: bwpack builds it
// from a project of tests/packages, the runner loads and starts it and the
// test ticks frames until the game ends itself. Test built-ins the game
// calls are registered by the test through RegisterTestBuiltins().
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/registration.h"
#include "app/startup.h"
#include "bwpack/package_build.h"
#include "bwpack/project.h"
#include "platform/package_loader.h"
#include "script/code_chunks.h"
#include "script/function_table.h"
#include "world/input.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/room_table.h"
#include "world/run_clock.h"
#include "world/run_hooks.h"
#include "world/run_loop.h"
#include "world/run_room_change.h"
#include "world/run_step.h"
#include "world/variable_access.h"

namespace bw::test {

class PackagePlayTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Run_EndGame();
        IO_Shutdown();
        Run_ResetLoopState();
        Run_ResetPending();
        Run_Hooks() = RunHooks{};
        Run_FreeRoomsAtEnd();
        Instance_FreeAll();
        ObjectLists_Free();
        Object_FreeAll();
        CODE_Clear();
        Variable_FreeAll();
        PackageLoader_Reset();
    }

    // Registers the test's own built-ins and empties what they recorded;
    // called before the build and again once the package's code is loaded.
    virtual void RegisterTestBuiltins() = 0;
    // What the test does to the game before the tick of a frame (counted from
    // 0), such as pressing keys through the window's handlers.
    virtual void BeforeTick(int32_t /*frame*/) {}

    // Loads and starts the game, then ticks until it ends or `frameCap`
    // frames ran; the frames run.
    int32_t Play(const std::string& project, pack::PackageForm form, int32_t frameCap)
    {
        // The bytecode form binds names when bwpack compiles, against the
        // built-ins this process holds; the text form when the runner does.
        // Start from the runner's own table, whatever earlier tests left.
        Code_Function_Free();
        Brackwell_RegisterFunctions();
        RegisterTestBuiltins();
        package = pack::Package_Build(pack::Project_Load(std::string(BWPACK_TEST_PACKAGES) + "/" + project), form);
        Brackwell_EarlyInit();
        Registration_InstallPackageReaders();
        Package_SetImage(package.data(), package.size());
        EXPECT_TRUE(Code_Load());
        RegisterTestBuiltins();
        IO_Init(InputRecordRequest{});  // the start-up's input stage, without a recording
        EXPECT_TRUE(Brackwell_DoTheWork());
        int32_t frames = 0;
        while (GameRunningFlag == 1 && frames < frameCap) {
            BeforeTick(frames);
            Run_MainLoopTick();
            ++frames;
        }
        return frames;
    }

    VirtualClockScope clock{0};
    std::vector<uint8_t> package;
};

}  // namespace bw::test
