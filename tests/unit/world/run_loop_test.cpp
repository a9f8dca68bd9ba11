// The frame tick on the virtual clock: how long it waits, how it counts
// frames per second, delta_time, and how it serves the new-room request.
#include <vector>

#include "unit/world/run_fixture.h"

namespace bw::test {
namespace {

constexpr int64_t kFrameAt30 = 33333;  // 1,000,000 / 30, truncated

std::vector<int64_t>& Waits()
{
    static std::vector<int64_t> waits;
    return waits;
}

void RecordWait(int64_t microseconds)
{
    Waits().push_back(microseconds);
    VirtualClock_Advance(microseconds);
}

struct FrameRecord {
    int32_t finished = 0;
    bool lastPresent = false;
    int32_t polls = 0;
};

FrameRecord& Frames()
{
    static FrameRecord record;
    return record;
}

class RunLoopTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        Waits().clear();
        Frames() = FrameRecord{};
        previousSleep = Run_SetFrameSleep(&RecordWait);
        RunHooks& hooks = Run_Hooks();
        hooks.finishFrame = [](bool present) {
            ++Frames().finished;
            Frames().lastPresent = present;
            return true;
        };
        hooks.pollRemoteDebugger = [] { ++Frames().polls; };
        room.speed = 30;
        GameRunningFlag = 1;
        Run_EnterMainLoop();
    }

    void TearDown() override
    {
        Run_SetFrameSleep(previousSleep);
        RunTest::TearDown();
    }

    void Ticks(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i) {
            Run_MainLoopTick();
        }
    }

    RunSleepFunction previousSleep = nullptr;
};

TEST_F(RunLoopTest, FramesAreOneRoomSpeedFrameApart)
{
    Ticks(3);
    EXPECT_EQ(Waits(), (std::vector<int64_t>{kFrameAt30, kFrameAt30, kFrameAt30}));
    EXPECT_EQ(Timer_GetTime(), 3 * kFrameAt30);
    EXPECT_EQ(Display_State().deltaTime, kFrameAt30);
}

TEST_F(RunLoopTest, ASlowStepShortensTheWaitAndALateOneNeitherWaitsNorCatchesUp)
{
    int64_t stepTime = 10000;
    StepAction() = [&stepTime] { VirtualClock_Advance(stepTime); };
    Ticks(2);
    stepTime = 50000;  // the later steps overrun their frame
    Ticks(3);
    EXPECT_EQ(Waits(), (std::vector<int64_t>{kFrameAt30, kFrameAt30 - 10000, kFrameAt30 - 10000, 0, 0}));
}

TEST_F(RunLoopTest, ARoomSpeedBelowOneRunsAtOneFramePerSecondAndNoRoomAtSixty)
{
    room.speed = 0;
    EXPECT_EQ(Run_MainLoopTick(), 1);
    EXPECT_EQ(room.speed, 1);
    Room_SetCurrent(nullptr, -1);
    EXPECT_EQ(Run_MainLoopTick(), 60);
    EXPECT_EQ(Waits(), (std::vector<int64_t>{1000000, 16666}));
}

TEST_F(RunLoopTest, FpsShowsThePreviousWholeSecondOnceANewOneBegins)
{
    // Frame 31 is the first whose due time lies in the next second.
    Ticks(30);
    EXPECT_EQ(Display_State().fps, 0);
    Ticks(1);
    EXPECT_EQ(Display_State().fps, 30);
}

TEST_F(RunLoopTest, PausedTicksWaitAndCountButRunNoStep)
{
    int32_t steps = 0;
    StepAction() = [&steps] { ++steps; };
    Run_DebugPause();
    Ticks(2);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(Frames().finished, 0);
    EXPECT_EQ(Waits().size(), 2u);
    EXPECT_EQ(Frames().polls, 2);
    Run_DebugStepIfRequested();
    EXPECT_EQ(steps, 1);
}

TEST_F(RunLoopTest, EndAndStopRequestsPresentTheFrameAndEndTheRun)
{
    for (const int32_t request : {kRequestEndGame, kRequestStop}) {
        SCOPED_TRACE(request);
        Frames() = FrameRecord{};
        GameRunningFlag = 1;
        StepAction() = [request] { NewRoomRequest = request; };
        EXPECT_EQ(Run_MainLoopTick(), 60);
        EXPECT_EQ(GameRunningFlag, 0);
        EXPECT_TRUE(Frames().lastPresent);
        EXPECT_EQ(Frames().polls, 0);
        NewRoomRequest = kRequestNone;
    }
}

TEST_F(RunLoopTest, ARoomRequestHidesItsFrameAndEntersTheRoomInTheSameTick)
{
    for (int32_t index = 0; index < 4; ++index) {
        Room_Add();
    }
    StepAction() = [] {
        NewRoomRequest = 3;
        StepAction() = nullptr;
    };
    Run_MainLoopTick();
    EXPECT_FALSE(Frames().lastPresent);
    EXPECT_EQ(Room_CurrentIndex(), 3);
    EXPECT_NE(Run_RoomSlot(3), nullptr);
    EXPECT_EQ(Room_Current(), Run_RoomSlot(3));
    EXPECT_EQ(NewRoomRequest, kRequestNone);
    EXPECT_EQ(GameRunningFlag, 1);
}

TEST_F(RunLoopTest, ARequestForARoomThatDoesNotExistStopsTheGame)
{
    StepAction() = [] { NewRoomRequest = 2000000000; };
    EXPECT_EQ(Run_MainLoopTick(), 60);
    EXPECT_EQ(GameRunningFlag, 0);
    EXPECT_EQ(NewRoomRequest, kRequestStop);
    EXPECT_EQ(Run_RoomSlotCount(), 0);
}

TEST_F(RunLoopTest, RestartStartsANewGameWithFreshCounters)
{
    Game_Counters().score = 50;
    Game_Counters().lives = 3;
    Run_SetStepCounter(99);
    StepAction() = [] {
        NewRoomRequest = kRequestRestart;
        StepAction() = nullptr;
    };
    Run_MainLoopTick();
    EXPECT_EQ(Game_Counters().score, 0);
    EXPECT_EQ(Game_Counters().lives, -1);
    EXPECT_EQ(Run_StepCounter(), 0);
    EXPECT_EQ(NewRoomRequest, kRequestNone);
    EXPECT_EQ(GameRunningFlag, 1);
}

TEST_F(RunLoopTest, ARestartWhoseGameStartFailsIsServedOnce)
{
    int32_t starts = 0;
    static int32_t* counter = nullptr;
    counter = &starts;
    Run_Hooks().extensionsInitialize = [] {
        ++*counter;
        return false;
    };
    NewRoomRequest = kRequestRestart;
    EXPECT_TRUE(Run_ServeNewRoomRequest());
    EXPECT_TRUE(Run_ServeNewRoomRequest());
    EXPECT_EQ(starts, 1);
}

TEST_F(RunLoopTest, AnUnknownRequestIsDroppedRatherThanBlockingEvents)
{
    NewRoomRequest = -300;
    EXPECT_TRUE(Run_ServeNewRoomRequest());
    EXPECT_EQ(NewRoomRequest, kRequestNone);
}

TEST_F(RunLoopTest, TheDrawEventFlagSuppressesPresenting)
{
    Run_SetDrawEvents(false);
    Run_MainLoopTick();
    EXPECT_EQ(Frames().finished, 1);
    EXPECT_FALSE(Frames().lastPresent);
}

TEST_F(RunLoopTest, AFrameLimitEndsTheRunAfterThatManySteps)
{
    Run_SetFrameLimit(3);
    Ticks(2);
    EXPECT_EQ(GameRunningFlag, 1);
    Ticks(1);
    EXPECT_EQ(GameRunningFlag, 0);
}

TEST_F(RunLoopTest, StopEndsTheGameAndAsksTheWindowToQuitButTheDebugSwitchKeepsTheGame)
{
    Run_Hooks().debugSwitch = [] { return true; };
    Run_Stop();
    EXPECT_EQ(GameRunningFlag, 0);
    EXPECT_EQ(Room_Current(), &room);
    static int32_t quits = 0;
    quits = 0;
    Run_Hooks().postQuit = [] { ++quits; };
    Run_Hooks().debugSwitch = nullptr;
    Run_Stop();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(Room_Current(), nullptr);
}

}  // namespace
}  // namespace bw::test
