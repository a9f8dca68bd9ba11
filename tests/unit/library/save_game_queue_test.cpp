// Saved games in files and buffers, the load queue that the step serves at
// its start, and the save and load built-ins.
#include "library/save_game_queue.h"

#include <string>
#include <vector>

#include "host/atomic_file.h"
#include "library/buffer.h"
#include "library/save_builtins.h"
#include "platform/files.h"
#include "platform/stream.h"
#include "support/scratch_folder.h"
#include "unit/library/library_test_support.h"
#include "unit/world/run_fixture.h"
#include "world/save_game.h"

namespace bw::test {
namespace {

constexpr int32_t kWalker = 0;

class SaveGameQueueTest : public RunTest {
protected:
    SaveGameQueueTest() : m_data("XDG_DATA_HOME", (m_root / "data").c_str())
    {
        m_root.Write("game/data.win", "package");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("SaveGame", false));
    }

    void SetUp() override
    {
        RunTest::SetUp();
        RegisterLibraryBuiltins();
        Buffer_FreeAll();
        LoadObjects({Object("walker", {{kEventStep, 0, "note(x)"}})});
        Room_SetCurrent(nullptr, -1);
        Room_Add();
        Room_Order().push_back(0);
        walkerId = Room_Get(0)->AddInstanceRecord(10, 20, kWalker);
        StartGame();
    }

    void TearDown() override
    {
        // Nothing queued may reach the next test.
        Buffer_FreeAll();
        Game_DoQueuedLoad();
        RunTest::TearDown();
    }

    static int64_t SavedSize()
    {
        CStream stream;
        EXPECT_TRUE(Game_WriteState(stream));
        return stream.GetPosition();
    }

    CInstance& Walker() { return *Instance_Find(walkerId); }

    ScratchFolder m_root;
    ScopedEnv m_data;
    int32_t walkerId = 0;
};

TEST_F(SaveGameQueueTest, ABufferSaveLoadsBackFromTheBufferPositionAtTheNextLoad)
{
    const int32_t buffer = Buffer_Create(16, kBufferGrow, 1);
    Buffer_Get(buffer)->Seek(0, 3);
    Game_Counters().score = 250;
    ASSERT_TRUE(Game_SaveBuffer(buffer));
    const int32_t end = 3 + static_cast<int32_t>(SavedSize());
    EXPECT_EQ(Buffer_Get(buffer)->Position(), end);
    EXPECT_GT(Buffer_Get(buffer)->Size(), end);

    Game_Counters().score = 0;
    Buffer_Get(buffer)->Seek(0, 3);
    ASSERT_TRUE(Game_QueueLoad(buffer));
    EXPECT_EQ(Game_Counters().score, 0);  // nothing happens before the step
    ASSERT_TRUE(Game_DoQueuedLoad());
    EXPECT_EQ(Game_Counters().score, 250);
    EXPECT_EQ(Buffer_Get(buffer)->Position(), end);
    EXPECT_NE(Buffer_Get(buffer), nullptr);  // game code's buffer stays
    EXPECT_FALSE(Game_DoQueuedLoad());       // served once
}

// Game code reads and patches a saved game through the buffer built-ins: a
// save into a small grow buffer grows it, the bytes read back are the
// save's, and a version poked over the first value makes the load refuse it.
TEST_F(SaveGameQueueTest, TheBufferBuiltinsSeeTheSavedBytes)
{
    const ScriptValue buffer = CallBuiltin("buffer_create", {16.0, double{kBufferGrow}, 1.0});
    const ScriptValue s32 = double{kBufferS32};
    Game_Counters().score = 250;
    ASSERT_TRUE(Game_SaveBuffer(static_cast<int32_t>(buffer.Real())));
    EXPECT_EQ(CallBuiltin("buffer_tell", {buffer}).Real(), static_cast<double>(SavedSize()));
    EXPECT_EQ(CallBuiltin("buffer_peek", {buffer, 0.0, s32}).Real(), 850.0);
    CallBuiltin("buffer_seek", {buffer, 0.0, 0.0});
    EXPECT_EQ(CallBuiltin("buffer_read", {buffer, s32}).Real(), 850.0);

    CallBuiltin("buffer_poke", {buffer, 0.0, s32, 849.0});
    CallBuiltin("buffer_seek", {buffer, 0.0, 0.0});
    Game_Counters().score = 0;
    ASSERT_TRUE(Game_QueueLoad(static_cast<int32_t>(buffer.Real())));
    EXPECT_FALSE(Game_DoQueuedLoad());
    EXPECT_EQ(Game_Counters().score, 0);
}

TEST_F(SaveGameQueueTest, AFixedBufferTooSmallIsLeftUntouched)
{
    const int32_t buffer = Buffer_Create(8, kBufferFixed, 1);
    EXPECT_FALSE(Game_SaveBuffer(buffer));
    EXPECT_EQ(Buffer_Get(buffer)->Position(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Buffer_Get(buffer)->Data()), 8), std::string(8, '\0'));
}

TEST_F(SaveGameQueueTest, AMissingBufferIsWarnedAboutAndNothingIsQueued)
{
    EXPECT_FALSE(Game_SaveBuffer(99));
    EXPECT_FALSE(Game_QueueLoad(99));
    EXPECT_NE(ConsoleLines().find("WARNING: No buffer available for 99\n"), std::string::npos);
    EXPECT_FALSE(Game_DoQueuedLoad());
}

TEST_F(SaveGameQueueTest, ABufferFreedWhileQueuedIsNotRead)
{
    const int32_t buffer = Buffer_Create(16, kBufferGrow, 1);
    ASSERT_TRUE(Game_SaveBuffer(buffer));
    Buffer_Get(buffer)->Seek(0, 0);
    ASSERT_TRUE(Game_QueueLoad(buffer));
    Buffer_Delete(buffer);
    Walker().i_x = 77.0f;
    ConsoleLines().clear();
    EXPECT_FALSE(Game_DoQueuedLoad());
    EXPECT_EQ(ConsoleLines(), "WARNING: No buffer available for " + std::to_string(buffer) + "\n");
    EXPECT_EQ(Walker().i_x, 77.0f);
}

TEST_F(SaveGameQueueTest, AFileSaveLoadsBackAndItsBufferIsFreedAfterTheLoad)
{
    Walker().i_x = 33.0f;
    ASSERT_TRUE(Game_Save("slot1.sav"));
    EXPECT_EQ(static_cast<int64_t>(ScratchFolder::Read(m_root / "data/SaveGame/slot1.sav").size()), SavedSize());
    Walker().i_x = 1.0f;

    Game_Load("slot1.sav");
    EXPECT_EQ(Walker().i_x, 1.0f);
    ASSERT_TRUE(Game_DoQueuedLoad());
    EXPECT_EQ(Walker().i_x, 33.0f);
    // The slot the load used is free again for the next buffer.
    EXPECT_EQ(Buffer_Create(1, kBufferFixed, 1), 0);
}

// A disk that fills during a save must not cost the player the last one.
TEST_F(SaveGameQueueTest, ASaveThatCannotBeWrittenLeavesTheLastSaveWhole)
{
    Walker().i_x = 33.0f;
    ASSERT_TRUE(Game_Save("slot1.sav"));
    Walker().i_x = 1.0f;
    HostFs_SimulateSpaceLeft(100);
    EXPECT_FALSE(Game_Save("slot1.sav"));
    HostFs_SimulateSpaceLeft(-1);
    EXPECT_EQ(static_cast<int64_t>(ScratchFolder::Read(m_root / "data/SaveGame/slot1.sav").size()), SavedSize());

    Game_Load("slot1.sav");
    ASSERT_TRUE(Game_DoQueuedLoad());
    EXPECT_EQ(Walker().i_x, 33.0f);
}

TEST_F(SaveGameQueueTest, ASecondLoadWhileAFileLoadWaitsIsIgnored)
{
    ASSERT_TRUE(Game_Save("first.sav"));
    Game_Counters().score = 9;
    ASSERT_TRUE(Game_Save("second.sav"));
    Game_Load("first.sav");
    ConsoleLines().clear();
    Game_Load("second.sav");
    const int32_t buffer = Buffer_Create(16, kBufferGrow, 1);
    EXPECT_FALSE(Game_QueueLoad(buffer));
    EXPECT_EQ(ConsoleLines(), "WARNING: Load game being ignored due to load game already queued\n"
                              "WARNING: Load game being ignored due to load game already queued\n");
    ASSERT_TRUE(Game_DoQueuedLoad());
    EXPECT_EQ(Game_Counters().score, 0);
}

TEST_F(SaveGameQueueTest, ADamagedOrMissingFileChangesNothing)
{
    m_root.Write("data/SaveGame/bad.sav", std::string("\x52\x03\x00\x00garbage", 11));
    Walker().i_x = 5.0f;
    Game_Load("bad.sav");
    ConsoleLines().clear();
    EXPECT_FALSE(Game_DoQueuedLoad());
    EXPECT_EQ(ConsoleLines(), "ERROR: Load game failed: the file ends too early\n");
    EXPECT_EQ(Walker().i_x, 5.0f);

    ConsoleLines().clear();
    Game_Load("none.sav");
    EXPECT_EQ(ConsoleLines(), "ERROR: Load game failed: cannot open \"none.sav\"\n");
    EXPECT_FALSE(Game_DoQueuedLoad());
    // Once served, a failed open holds nothing up.
    ASSERT_TRUE(Game_Save("good.sav"));
    Game_Load("good.sav");
    EXPECT_TRUE(Game_DoQueuedLoad());
}

// The empty load a missing file queues still holds up every other load
// asked for in the same step.
TEST_F(SaveGameQueueTest, AMissingFileHoldsUpASecondLoadInTheSameStep)
{
    Walker().i_x = 33.0f;
    ASSERT_TRUE(Game_Save("good.sav"));
    Walker().i_x = 5.0f;
    Game_Load("none.sav");
    ConsoleLines().clear();
    Game_Load("good.sav");
    EXPECT_FALSE(Game_QueueLoad(Buffer_Create(16, kBufferGrow, 1)));
    EXPECT_EQ(ConsoleLines(), "WARNING: Load game being ignored due to load game already queued\n"
                              "WARNING: Load game being ignored due to load game already queued\n");
    EXPECT_FALSE(Game_DoQueuedLoad());
    EXPECT_EQ(Walker().i_x, 5.0f);
}

TEST_F(SaveGameQueueTest, TheStepServesTheQueuedLoadBeforeInput)
{
    Run_Hooks().doQueuedLoad = [] { Game_DoQueuedLoad(); };
    const int32_t buffer = Buffer_Create(16, kBufferGrow, 1);
    Walker().i_x = 3.0f;
    ASSERT_TRUE(Game_SaveBuffer(buffer));
    Buffer_Get(buffer)->Seek(0, 0);
    Walker().i_x = 8.0f;
    ASSERT_TRUE(Game_QueueLoad(buffer));
    float seenByInput = 0.0f;
    StepAction() = [this, &seenByInput] { seenByInput = Walker().i_x; };
    Notes().clear();
    Run_DoAStep();
    EXPECT_EQ(seenByInput, 3.0f);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0].args.at(0), 3.0);
}

// Calls the built-in the way the machine does; its result, 5 when it sets none.
double CallSaveBuiltin(BuiltinFunctionProc proc, const std::vector<ScriptValue>& args)
{
    std::vector<Value> views;
    for (const ScriptValue& arg : args) views.push_back(arg.Get());
    ScriptValue result(5.0);
    proc(&result.Get(), nullptr, nullptr, static_cast<int32_t>(views.size()), views.data());
    return result.Real();
}

TEST_F(SaveGameQueueTest, TheBuiltinsIgnoreArgumentsOfTheWrongKindOrCountAndGiveMinusOne)
{
    const double buffer = Buffer_Create(16, kBufferGrow, 1);
    struct Case { const char* name; BuiltinFunctionProc proc; std::vector<ScriptValue> args; };
    const Case cases[] = {
        {"game_save with a number", &Builtin_GameSave, {1.0}},
        {"game_load with a number", &Builtin_GameLoad, {1.0}},
        {"game_save_buffer with a text", &Builtin_GameSaveBuffer, {"0"}},
        {"game_load_buffer with a text", &Builtin_GameLoadBuffer, {"0"}},
        {"game_save_buffer with two", &Builtin_GameSaveBuffer, {buffer, 0.0}},
        {"game_load_buffer with two", &Builtin_GameLoadBuffer, {buffer, 0.0}},
    };
    for (const Case& c : cases) EXPECT_EQ(CallSaveBuiltin(c.proc, c.args), -1.0) << c.name;
    EXPECT_EQ(Buffer_Get(0)->Position(), 0);
    EXPECT_FALSE(Game_DoQueuedLoad());
}

TEST_F(SaveGameQueueTest, TheBuiltinsSaveAndQueueWithOneArgumentOfTheirKind)
{
    const double buffer = Buffer_Create(16, kBufferGrow, 1);
    EXPECT_EQ(CallSaveBuiltin(&Builtin_GameSaveBuffer, {buffer}), -1.0);
    EXPECT_GT(Buffer_Get(0)->Position(), 0);
    Buffer_Get(0)->Seek(0, 0);
    CallSaveBuiltin(&Builtin_GameLoadBuffer, {buffer});
    EXPECT_TRUE(Game_DoQueuedLoad());
    EXPECT_EQ(CallSaveBuiltin(&Builtin_GameSave, {"builtin.sav"}), -1.0);
    CallSaveBuiltin(&Builtin_GameLoad, {"builtin.sav"});
    EXPECT_TRUE(Game_DoQueuedLoad());
}

}  // namespace
}  // namespace bw::test
