// The BWL micro-benchmark set: the same programs as bench/lua/*.lua, run on
// the virtual machine (and, for comparison, on the tree interpreter) in a
// small world of one room and 1,000 instances.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/memory.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "world/builtin_variables.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/room.h"
#include "world/run_step.h"
#include "world/script_access.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {
namespace {

constexpr int32_t kInstances = 1000;

struct World {
    CRoom room;
    CInstance* self = nullptr;
    std::unique_ptr<CCode> fib;
};

// Never destroyed: the room's instances live in tables that static
// destruction may already have torn down at exit.
World& TheWorld()
{
    static World* world = new World;
    return *world;
}

bool ExecuteScript(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result, Value* args)
{
    if (index != 0) {
        return false;
    }
    const ScriptArgumentsScope arguments(args, argc, argc);
    return Code_Execute_Value(self, other, *TheWorld().fib, result);
}

CCode* FindCode(int32_t index)
{
    return index == 0 ? TheWorld().fib.get() : nullptr;
}

int32_t FindScript(const char* name)
{
    return std::string(name) == "fib" ? 0 : -1;
}

void SetUpWorld()
{
    static bool ready = false;
    if (ready) {
        return;
    }
    ready = true;
    MemoryManager_KeepLargeBlocksInHeap();  // as the runner does at start-up
    World& world = TheWorld();
    Variable_Init();
    Variable_Global_Init();
    Room_SetCurrent(&world.room, 0);
    World_RegisterScriptAccess();
    Code_Error_SetShowErrors(false);
    Resource_SetNameFinder(ResourceKind::Script, &FindScript);
    Script_SetExecutor(&ExecuteScript);
    Script_SetCodeFinder(&FindCode);
    Object_Insert(new CObject(0));
    for (int32_t i = 0; i < kInstances; ++i) {
        auto* instance = new CInstance(0.0f, 0.0f, kInstanceIdFirst + i, 0, true);
        InstanceHash_Insert(instance->i_id, instance);
        world.room.activeInstances.InsertByDepth(instance);
        if (world.self == nullptr) {
            world.self = instance;
        }
    }
    world.fib = std::make_unique<CCode>(
        "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2)", false);
    world.fib->Compile("Script.fib");
}

const char* const kPrograms[] = {
    "x = fib(20)",
    "var i, s; s = 0; for (i = 0; i < 100000; i += 1) s += i * 2",
    "var i, s; s = \"\"; for (i = 0; i < 10000; i += 1) s += \"x\"",
    "var i, s; for (i = 0; i < 10000; i += 1) a[i] = i; s = 0; for (i = 0; i < 10000; i += 1) s += a[i]",
    "repeat 10 with (all) counter += 1",
    // 1,000,000 iterations: the 50 million of the original measurement,
    // scaled to keep one run near a second's share of a benchmark.
    "var i, s; s = 0; for (i = 0; i < 1000000; i += 1) s += (i mod 7) * 0.5",
    "var i, s, a; for (i = 0; i < 30000; i += 1) a[i] = i; s = 0; for (i = 0; i < 30000; i += 1) s += a[i]",
};

void RunProgram(benchmark::State& state, int program, bool machine)
{
    SetUpWorld();
    Code_SetUseBytecode(machine);
    // The script is compiled for the engine under test.
    TheWorld().fib = std::make_unique<CCode>(
        "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2)", false);
    TheWorld().fib->Compile("Script.fib");
    Script_CodeChanged();
    CCode code(kPrograms[program], false);
    if (!code.Compile("Bench")) {
        state.SkipWithError(Code_Error_PendingMessage());
        return;
    }
    for (auto _ : state) {
        Value result;
        if (!Code_Execute(TheWorld().self, TheWorld().self, code, &result)) {
            state.SkipWithError("run failed");
            break;
        }
        Value_Free(result);
    }
    Code_SetUseBytecode(true);
}

void Fib(benchmark::State& state) { RunProgram(state, 0, state.range(0) != 0); }
void NumericLoop(benchmark::State& state) { RunProgram(state, 1, state.range(0) != 0); }
void StringBuilding(benchmark::State& state) { RunProgram(state, 2, state.range(0) != 0); }
void ArrayFillAndSum(benchmark::State& state) { RunProgram(state, 3, state.range(0) != 0); }
void WithOverInstances(benchmark::State& state) { RunProgram(state, 4, state.range(0) != 0); }
void ModLoop(benchmark::State& state) { RunProgram(state, 5, state.range(0) != 0); }
void LocalArrayFillAndSum(benchmark::State& state) { RunProgram(state, 6, state.range(0) != 0); }

// Argument 1: the virtual machine; 0: the tree interpreter.
BENCHMARK(Fib)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(NumericLoop)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(StringBuilding)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(ArrayFillAndSum)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(WithOverInstances)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(ModLoop)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(LocalArrayFillAndSum)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// ---- the world: event passes and instance creation ----------------------

constexpr int32_t kStepObject = 1;
constexpr int32_t kStepRoomInstances = 10000;

// A room of its own, current only while a world benchmark runs, with one
// object whose step event bounces its instance off the edges of a 1024x768
// room (the peer is bench/lua/step_event_room.lua).
struct StepRoom {
    CRoom room;
    std::unique_ptr<CCode> step;
    std::unique_ptr<CCode> start;
};

StepRoom& TheStepRoom()
{
    static StepRoom* world = new StepRoom;  // never destroyed, as TheWorld
    return *world;
}

// Compiled for the engine under test, like the programs above.
void CompileStepObject(bool machine)
{
    SetUpWorld();
    Code_SetUseBytecode(machine);
    StepRoom& world = TheStepRoom();
    world.step = std::make_unique<CCode>(
        "x += dx; y += dy; if (x < 0 || x > 1024) dx = -dx; if (y < 0 || y > 768) dy = -dy", false);
    world.step->Compile("Object.bench.Step");
    world.start = std::make_unique<CCode>("dx = 1 + id mod 3; dy = 2 - id mod 5", false);
    world.start->Compile("Bench.start");
    if (!Object_Exists(kStepObject)) {
        Object_Insert(new CObject(kStepObject));
        Instance_SetLastId(kInstanceIdFirst + 1000000);  // clear of the ids the programs' world uses
    }
    auto event = std::make_unique<CEvent>();
    event->code = world.step.get();
    event->text = "";
    Object_Find(kStepObject)->SetEvent(kEventStep, 0, std::move(event));
    Object_BuildEventLists();
}

// The room made current for the benchmark, and the programs' room again after.
class StepRoomCurrent {
public:
    StepRoomCurrent() { Room_SetCurrent(&TheStepRoom().room, 0); }
    ~StepRoomCurrent()
    {
        TheStepRoom().room.DeleteActiveInstances();
        Room_SetCurrent(&TheWorld().room, 0);
        Code_SetUseBytecode(true);
    }
    StepRoomCurrent(const StepRoomCurrent&) = delete;
    StepRoomCurrent& operator=(const StepRoomCurrent&) = delete;
};

// One normal step pass over 10,000 instances.
void StepEventRoom(benchmark::State& state)
{
    CompileStepObject(state.range(0) != 0);
    const StepRoomCurrent current;
    for (int32_t i = 0; i < kStepRoomInstances; ++i) {
        CInstance* instance = Instance_Create(kStepObject, static_cast<float>(i * 37 % 1024),
                                              static_cast<float>(i * 91 % 768));
        Value result;
        Code_Execute(instance, instance, *TheStepRoom().start, &result);
        Value_Free(result);
    }
    for (auto _ : state) {
        Run_HandleStep(0);
    }
}

// Creating n instances of one depth in an empty room (instance_create's
// back end, create event included); emptying the room is not timed.
void InstanceCreation(benchmark::State& state)
{
    CompileStepObject(true);
    const StepRoomCurrent current;
    const auto count = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        for (int32_t i = 0; i < count; ++i) {
            Instance_Create(kStepObject, static_cast<float>(i % 1024), static_cast<float>(i % 768));
        }
        state.PauseTiming();
        TheStepRoom().room.DeleteActiveInstances();
        state.ResumeTiming();
    }
}

BENCHMARK(StepEventRoom)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(InstanceCreation)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bw

BENCHMARK_MAIN();
