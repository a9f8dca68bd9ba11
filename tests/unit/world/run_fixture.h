// The main loop under test: the world of the object tests (objects from an
// OBJT image, event code compiled from text, note(...) recording what ran)
// on a virtual clock, with no run hooks installed and the loop state, the
// pending queues and the room table reset before and after each test. Game
// code reaches the room requests and instance creation through a few
// built-ins of the test's own.
#pragma once

#include <functional>
#include <vector>

#include "platform/options.h"
#include "platform/timer.h"
#include "unit/world/object_test_world.h"
#include "world/instance_ops.h"
#include "world/room_table.h"
#include "world/run_clock.h"
#include "world/run_hooks.h"
#include "world/run_loop.h"
#include "world/run_requests.h"
#include "world/run_room_change.h"
#include "world/run_step.h"

namespace bw::test {

// What a test wants to happen inside the next steps (it runs as the input
// update, the first thing of every step).
inline std::function<void()>& StepAction()
{
    static std::function<void()> action;
    return action;
}

inline ObjectSpec Object(const char* name, std::vector<EventSpec> events = {})
{
    return ObjectSpec(name, -1, std::move(events));
}

class RunTest : public ObjectWorldTest {
protected:
    void SetUp() override
    {
        ObjectWorldTest::SetUp();
        ResetRun();
        Run_Hooks().inputUpdate = [] {
            if (StepAction()) {
                StepAction()();
            }
        };
        AddBuiltin("spawn", [](Value*, CInstance*, CInstance*, int32_t, Value* args) {
            Instance_Create(static_cast<int32_t>(args[0].real), 0.0f, 0.0f);
        }, 1);
        AddBuiltin("goto_room", [](Value*, CInstance*, CInstance*, int32_t, Value* args) {
            Room_Goto(static_cast<int32_t>(args[0].real));
        }, 1);
        AddBuiltin("end_game", [](Value*, CInstance*, CInstance*, int32_t, Value*) { Game_End(); }, 0);
        AddBuiltin("restart_game", [](Value*, CInstance*, CInstance*, int32_t, Value*) { Game_Restart(); }, 0);
    }

    void TearDown() override
    {
        Run_EndGame();
        ResetRun();
        Room_SetCurrent(&room, 0);
        ObjectWorldTest::TearDown();
    }

    static void ResetRun()
    {
        Run_ResetLoopState();
        Run_ResetPending();
        Run_SetStepCounter(0);
        Run_FreeCarried();
        Run_Hooks() = RunHooks{};
        StepAction() = nullptr;
        Display_State() = DisplayState{};
        Options_SetDefaults();
        Room_ClearTable();
        Room_Order().clear();
    }

    static void AddBuiltin(const char* name, BuiltinFunctionProc fn, int32_t argc)
    {
        int32_t id = -1;
        if (!Code_Function_Find(name, &id)) {
            Code_Function_Register(name, fn, argc);
        }
    }

    // Objects loaded and their event lists built, as the game start does.
    void LoadObjects(const std::vector<ObjectSpec>& objects)
    {
        ASSERT_TRUE(Load(objects));
        Object_BuildEventLists();
    }

    // Notes as "type:number:id" lines, the order the events ran in.
    static std::vector<std::string> NoteLines()
    {
        std::vector<std::string> lines;
        for (const Note& note : Notes()) {
            lines.push_back(std::to_string(note.type) + ":" + std::to_string(note.number) + ":" +
                            std::to_string(note.self));
        }
        return lines;
    }

    VirtualClockScope clock{0};
};

}  // namespace bw::test
