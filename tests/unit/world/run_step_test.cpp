// The game step: the order of its passes, the stamp rule, alarms, motion,
// the other events, and what the step applies after each pass.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "unit/world/run_fixture.h"
#include "world/input.h"
#include "world/input_passes.h"

namespace bw::test {
namespace {

using Lines = std::vector<std::string>;

class RunStepTest : public RunTest {};

TEST_F(RunStepTest, PassesRunBeginStepAlarmsStepEndStepInThatOrder)
{
    LoadObjects({Object("ticker", {{kEventStep, 2, "note()"},
                                   {kEventStep, 0, "note()"},
                                   {kEventAlarm, 0, "note()"},
                                   {kEventStep, 1, "note()"}})});
    CInstance* ticker = AddInstance(0);
    ticker->SetAlarm(0, 1);
    Run_DoAStep();
    const std::string id = std::to_string(ticker->i_id);
    EXPECT_EQ(NoteLines(), (Lines{"3:1:" + id, "2:0:" + id, "3:0:" + id, "3:2:" + id}));
    EXPECT_EQ(Run_StepCounter(), 1);
}

TEST_F(RunStepTest, AnInstanceMadeInBeginStepGetsStepButNoBeginStep)
{
    LoadObjects({Object("maker", {{kEventStep, 1, "spawn(1)"}}),
                 Object("made", {{kEventStep, 1, "note()"}, {kEventStep, 0, "note()"}})});
    AddInstance(0);
    Run_DoAStep();
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0].type, kEventStep);
    EXPECT_EQ(Notes()[0].number, 0);
}

// A pass looks its event up once per object, and again after game code
// changed the objects: the instances after the change run what it left.
TEST_F(RunStepTest, AStepThatReparentsItsObjectGivesTheInstancesAfterItTheNewParentsStep)
{
    AddBuiltin("reparent", [](Value*, CInstance*, CInstance*, int32_t, Value* args) {
        Object_Find(static_cast<int32_t>(args[0].real))->SetParent(static_cast<int32_t>(args[1].real));
        Object_BuildEventLists();
    }, 2);
    LoadObjects({Object("old parent", {{kEventStep, 0, "note(); reparent(2, 1)"}}),
                 Object("new parent", {{kEventStep, 0, "note()"}}), ObjectSpec("child", 0)});
    AddInstance(2);
    AddInstance(2);
    Run_HandleStep(0);
    ASSERT_EQ(Notes().size(), 2u);
    EXPECT_EQ(Notes()[0].object, 0);
    EXPECT_EQ(Notes()[1].object, 1);
}

TEST_F(RunStepTest, AlarmsCountDownAndFireWhenTheyReachZero)
{
    LoadObjects({Object("alarmed", {{kEventAlarm, 3, "note()"}})});
    struct Case {
        int32_t before;
        int32_t after;
        size_t fired;
    };
    for (const Case& c : {Case{1, 0, 1}, Case{0, -1, 0}, Case{-1, -1, 0}, Case{5, 4, 0}}) {
        SCOPED_TRACE(c.before);
        Notes().clear();
        CInstance* instance = AddInstance(0);
        instance->SetAlarm(3, c.before);
        Run_HandleAlarms();
        EXPECT_EQ(instance->GetAlarm(3), c.after);
        EXPECT_EQ(Notes().size(), c.fired);
        instance->i_marked = 1;
    }
}

TEST_F(RunStepTest, ARoomRequestEndsTheStepAfterItsPass)
{
    LoadObjects({Object("leaver", {{kEventStep, 1, "note(); goto_room(0)"}, {kEventStep, 0, "note()"}})});
    Room_Add();
    AddInstance(0);
    Run_DoAStep();
    EXPECT_EQ(Notes().size(), 1u);
    EXPECT_EQ(NewRoomRequest, 0);
    EXPECT_EQ(Run_StepCounter(), 0);
}

TEST_F(RunStepTest, AnimationWrapsPastTheLastFrameWithOneEndEventAndNoSpriteEndsEveryStep)
{
    FakeSprites()[4] = SpriteInfo{4, 8, 8, 0, 0, 0, 0, 7, 7, false};
    LoadObjects({Object("spinner", {{kEventOther, 7, "note()"}})});
    CInstance* instance = AddInstance(0);
    instance->SetSpriteIndex(4);
    instance->i_imageindex = 3.5f;
    instance->i_imagespeed = 0.5f;
    Run_DoAStep();
    EXPECT_EQ(instance->i_imageindex, 0.0f);
    EXPECT_EQ(Notes().size(), 1u);
    instance->SetSpriteIndex(-1);
    instance->i_imagespeed = 0.0f;
    Run_DoAStep();
    Run_DoAStep();
    EXPECT_EQ(Notes().size(), 3u);
}

TEST_F(RunStepTest, MotionMovesBySpeedAndKeepsThePreviousPosition)
{
    LoadObjects({Object("mover")});
    CInstance* instance = AddInstance(0);
    instance->SetPosition(10.0f, 20.0f);
    instance->SetHSpeed(3.0f);
    instance->SetVSpeed(-2.0f);
    Run_DoAStep();
    EXPECT_EQ(instance->i_x, 13.0f);
    EXPECT_EQ(instance->i_y, 18.0f);
    EXPECT_EQ(instance->i_xprevious, 10.0f);
    EXPECT_EQ(instance->i_yprevious, 20.0f);
}

TEST_F(RunStepTest, APhysicsWorldThatSteppedReplacesMotionAndCollisions)
{
    LoadObjects({Object("body")});
    CInstance* instance = AddInstance(0);
    instance->SetHSpeed(3.0f);
    static int32_t collisionPasses = 0;
    collisionPasses = 0;
    Run_Hooks().stepPhysicsWorld = [](CRoom*, bool) { return true; };
    Run_Hooks().collisionPass = [] { ++collisionPasses; };
    Run_DoAStep();
    EXPECT_EQ(instance->i_x, 0.0f);
    EXPECT_EQ(collisionPasses, 0);
}

TEST_F(RunStepTest, OtherEventsFollowThePositionOfAnInstanceWithoutShape)
{
    LoadObjects({Object("wanderer", {{kEventOther, 0, "note(0)"}, {kEventOther, 1, "note(1)"},
                                     {kEventOther, 40, "note(40)"}, {kEventOther, 50, "note(50)"}})});
    room.width = 100;
    room.height = 100;
    room.viewsEnabled = 1;
    room.views[0].visible = 1;
    room.views[0].wview = 50;
    room.views[0].hview = 50;
    struct Case {
        float x;
        std::vector<double> events;
    };
    for (const Case& c : {Case{50.0f, {}}, Case{75.0f, {40, 50}}, Case{-5.0f, {0, 1, 40, 50}}}) {
        SCOPED_TRACE(c.x);
        Notes().clear();
        CInstance* instance = AddInstance(0);
        instance->SetPosition(c.x, 10.0f);
        Run_HandleOther();
        std::vector<double> events;
        for (const Note& note : Notes()) {
            events.push_back(note.args.at(0));
        }
        EXPECT_EQ(events, c.events);
        instance->i_marked = 1;
    }
}

TEST_F(RunStepTest, AfterAPassQueuedDepthChangesResortButDeactivatedInstancesStayOut)
{
    LoadObjects({Object("layer")});
    CInstance* front = AddInstance(0);
    CInstance* back = AddInstance(0);
    CInstance* asleep = AddInstance(0);
    room.activeInstances.Unlink(asleep);
    asleep->i_deactivated = 1;
    front->i_depth = 5.0f;
    Instance_DepthChangeQueue().AddUnique(front);
    Instance_DepthChangeQueue().AddUnique(asleep);
    Run_AfterPass();
    EXPECT_EQ(room.activeInstances.First(), back);
    EXPECT_EQ(room.activeInstances.Last(), front);
    EXPECT_EQ(room.activeInstances.Count(), 2);
    EXPECT_FALSE(room.activeInstances.Contains(asleep));
    EXPECT_EQ(Instance_DepthChangeQueue().Count(), 0);
    delete asleep;
}

TEST_F(RunStepTest, FreezingWhileInactiveSkipsEventsButStillTimesTheStepAndReadsInput)
{
    LoadObjects({Object("frozen", {{kEventStep, 0, "note()"}})});
    AddInstance(0);
    Options().freezeWhenInactive = true;
    Run_Hooks().windowInactive = [] { return true; };
    int32_t inputUpdates = 0;
    StepAction() = [&inputUpdates] { ++inputUpdates; };
    Run_SetPreviousStepTime(Timer_GetTime());
    VirtualClock_Advance(500);
    Run_DoAStep();
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(Display_State().deltaTime, 500);
    EXPECT_EQ(inputUpdates, 1);
    Run_Hooks().windowInactive = [] { return false; };
    VirtualClock_Advance(1234);
    Run_DoAStep();
    EXPECT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Display_State().deltaTime, 1234);
}

// The real keyboard pass, keys fed through the window's handlers; the
// passes after it and the drawing only record that they ran.
class RunStepKeyboardTest : public RunStepTest {
protected:
    void SetUp() override
    {
        RunStepTest::SetUp();
        IO_Init(InputRecordRequest{});
        Ran().clear();
        Run_Hooks().inputUpdate = &IO_Update;
        Run_Hooks().keyboardPass = &Run_HandleKeyboard;
        Run_Hooks().joystickPass = [] { Ran().emplace_back("joystick"); };
        Run_Hooks().mousePass = [] { Ran().emplace_back("mouse"); };
        Run_Hooks().collisionPass = [] { Ran().emplace_back("collision"); };
        Run_Hooks().drawRoom = [] { Ran().emplace_back("draw"); };
    }
    void TearDown() override
    {
        IO_Shutdown();
        RunStepTest::TearDown();
    }
    static Lines& Ran()
    {
        static Lines ran;
        return ran;
    }
};

TEST_F(RunStepKeyboardTest, ARoomRequestFromAKeyEventSkipsTheLaterPassesAndTheDrawing)
{
    LoadObjects({Object("player", {{kEventKeyPress, 32, "note(); goto_room(0)"},
                                   {kEventStep, 0, "note()"},
                                   {kEventStep, 2, "note()"}})});
    Room_Add();
    const std::string id = std::to_string(AddInstance(0)->i_id);
    Run_DoAStep();  // nothing pressed: every pass runs
    EXPECT_EQ(Ran(), (Lines{"joystick", "mouse", "collision", "draw"}));
    Notes().clear();
    Ran().clear();
    IO_OnKeyDown(32, false);
    Run_DoAStep();
    EXPECT_EQ(NoteLines(), (Lines{"9:32:" + id}));
    EXPECT_TRUE(Ran().empty());
    EXPECT_EQ(NewRoomRequest, 0);
    EXPECT_EQ(Run_StepCounter(), 1);
}

// One timeline with moments at 0, 2 and 5; each performed moment is noted.
std::vector<int32_t>& MomentTimes()
{
    static std::vector<int32_t> times;
    return times;
}

std::vector<int32_t>& Performed()
{
    static std::vector<int32_t> moments;
    return moments;
}

RunTimelineAccess FakeTimelines()
{
    MomentTimes() = {0, 2, 5};
    RunTimelineAccess access;
    access.momentCount = [](int32_t timeline) { return timeline == 0 ? static_cast<int32_t>(MomentTimes().size()) : 0; };
    access.momentTime = [](int32_t, int32_t moment) { return MomentTimes()[static_cast<size_t>(moment)]; };
    access.findMomentFrom = [](int32_t, double position) {
        const auto& times = MomentTimes();
        return static_cast<int32_t>(std::find_if(times.begin(), times.end(), [&](int32_t t) { return t >= position; }) -
                                    times.begin());
    };
    access.findMomentUpTo = [](int32_t, double position) {
        const auto& times = MomentTimes();
        int32_t moment = static_cast<int32_t>(times.size()) - 1;
        while (moment >= 0 && times[static_cast<size_t>(moment)] > position) --moment;
        return moment;
    };
    access.performMoment = [](CInstance*, CInstance*, int32_t, int32_t moment) { Performed().push_back(moment); };
    return access;
}

// The fake time lines installed, nothing performed yet, and one instance
// running time line 0 at `speed`.
class RunTimelineTest : public RunStepTest {
protected:
    CInstance* TimelineRunner(float speed)
    {
        Performed().clear();
        Run_Hooks().timelines = FakeTimelines();
        LoadObjects({Object("player")});
        CInstance* instance = AddInstance(0);
        instance->i_timelineindex = 0;
        instance->i_timelinerunning = 1;
        instance->i_timelinespeed = speed;
        return instance;
    }
};

TEST_F(RunTimelineTest, TimelinesPerformTheMomentsTheirPositionPasses)
{
    CInstance* instance = TimelineRunner(2.0f);
    instance->i_timelineloop = 1;
    for (int32_t step = 0; step < 3; ++step) {
        Run_HandleTimelines();
    }
    // 0 -> 2 passes moment 0, 2 -> 4 moment 1, 4 -> 6 moment 2 and loops.
    EXPECT_EQ(Performed(), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(instance->i_timelineposition, 0.0f);
}

TEST_F(RunTimelineTest, AMomentThatClearsItselfDoesNotHideTheNextOneDueInTheSameStep)
{
    TimelineRunner(6.0f);
    Run_Hooks().timelines.performMoment = [](CInstance*, CInstance*, int32_t, int32_t moment) {
        Performed().push_back(MomentTimes()[static_cast<size_t>(moment)]);
        MomentTimes().erase(MomentTimes().begin() + moment);
    };
    Run_HandleTimelines();
    EXPECT_EQ(Performed(), (std::vector<int32_t>{0, 2, 5}));
}

TEST_F(RunTimelineTest, TimelinesRunBackwardsWithANegativeSpeed)
{
    CInstance* instance = TimelineRunner(-3.0f);
    instance->i_timelineposition = 5.0f;
    instance->i_timelineloop = 1;
    Run_HandleTimelines();
    Run_HandleTimelines();
    // 5 -> 2 performs moment 2, 2 -> -1 moments 1 and 0, then loops to the
    // last moment's time.
    EXPECT_EQ(Performed(), (std::vector<int32_t>{2, 1, 0}));
    EXPECT_EQ(instance->i_timelineposition, 5.0f);
}

// Each profiler call as "begin name colour" or "end".
Lines& ProfilerCalls()
{
    static Lines calls;
    return calls;
}

class RunStepProfilerTest : public RunStepTest {
protected:
    void SetUp() override
    {
        RunStepTest::SetUp();
        ProfilerCalls().clear();
        Run_Hooks().profilerBegin = [](uint32_t colour, const char* name) {
            char text[64];
            std::snprintf(text, sizeof text, "begin %s %08X", name, colour);
            ProfilerCalls().emplace_back(text);
        };
        Run_Hooks().profilerEnd = [] { ProfilerCalls().emplace_back("end"); };
    }
};

TEST_F(RunStepProfilerTest, AStepTimesInputUpdateDrawAndScrollInTurn)
{
    Run_DoAStep();
    EXPECT_EQ(ProfilerCalls(), (Lines{"begin IO&Vask FF00FF00", "end", "begin Update FF0000FF", "end",
                                      "begin Draw FF00FFFF", "end", "begin Scroll FF008080", "end"}));
}

TEST_F(RunStepProfilerTest, AStepCutShortByARoomRequestClosesItsUpdateSection)
{
    LoadObjects({Object("leaver", {{kEventStep, 0, "goto_room(0)"}})});
    Room_Add();
    AddInstance(0);
    Run_DoAStep();
    EXPECT_EQ(ProfilerCalls(), (Lines{"begin IO&Vask FF00FF00", "end", "begin Update FF0000FF", "end"}));
}

}  // namespace
}  // namespace bw::test
