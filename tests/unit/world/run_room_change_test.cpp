// Room changes, game start and end: the events they raise, persistent
// instances and rooms, restart, and that nothing pending outlives a room.
#include <memory>
#include <string>
#include <vector>

#include "unit/world/run_fixture.h"

namespace bw::test {
namespace {

using Lines = std::vector<std::string>;

constexpr int32_t kKeeper = 0;  // persistent object
constexpr int32_t kPlain = 1;

class RunRoomChangeTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        const std::vector<EventSpec> events = {{kEventCreate, 0, "note(0)"},
                                               {kEventOther, 2, "note(2)"},
                                               {kEventOther, 3, "note(3)"},
                                               {kEventOther, 4, "note(4)"},
                                               {kEventOther, 5, "note(5)"}};
        LoadObjects({Object("keeper", events), Object("plain", events)});
        Object_Find(kKeeper)->flags |= kObjectFlagPersistent;
        Room_SetCurrent(nullptr, -1);
        for (int32_t index = 0; index < 2; ++index) {
            Room_Add();
            Room_Order().push_back(index);
        }
    }

    static CRoom& Template(int32_t index) { return *Room_Get(index); }

    // The events noted, as "event:instance id" with the event as its note
    // argument (0 create, 2 game start, 3 game end, 4 room start, 5 room end).
    static Lines Events()
    {
        Lines lines;
        for (const Note& note : Notes()) {
            lines.push_back(std::to_string(static_cast<int32_t>(note.args.at(0))) + ":" +
                            std::to_string(note.self));
        }
        return lines;
    }

    static int32_t EventsNoting(const char* prefix)
    {
        int32_t count = 0;
        for (const std::string& line : Events()) {
            count += line.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return count;
    }

    static int32_t CountOf(int32_t objectIndex)
    {
        int32_t count = 0;
        for (CInstance* at = Room_Current()->activeInstances.First(); at != nullptr; at = at->i_next) {
            count += at->i_objindex == objectIndex ? 1 : 0;
        }
        return count;
    }
};

TEST_F(RunRoomChangeTest, GameStartRunsCreateGameStartRoomStartAndLeavingRunsRoomEndWithTheRequestSetAside)
{
    const std::string id = std::to_string(Template(0).AddInstanceRecord(0, 0, kPlain));
    StartGame();
    ASSERT_EQ(Room_Current(), Run_RoomSlot(0));
    EXPECT_EQ(Events(), (Lines{"0:" + id, "2:" + id, "4:" + id}));
    Notes().clear();
    NewRoomRequest = 1;
    Run_EndRoom(false);
    EXPECT_EQ(Events(), (Lines{"5:" + id}));
    EXPECT_EQ(NewRoomRequest, 1);
    EXPECT_EQ(Run_RoomSlot(0), nullptr);
}

TEST_F(RunRoomChangeTest, APersistentInstanceIsCarriedAndNeverCreatedTwice)
{
    const int32_t id = Template(0).AddInstanceRecord(0, 0, kKeeper);
    StartGame();
    Instance_Find(id)->i_x = 42.0f;
    Run_GotoRoom(1);
    ASSERT_NE(Instance_Find(id), nullptr);
    EXPECT_EQ(Instance_Find(id)->i_x, 42.0f);
    EXPECT_EQ(CountOf(kKeeper), 1);
    Run_GotoRoom(0);
    EXPECT_EQ(CountOf(kKeeper), 1);
    EXPECT_EQ(Instance_Find(id)->i_x, 42.0f);
    EXPECT_EQ(EventsNoting("0:"), 1);
}

TEST_F(RunRoomChangeTest, APersistentRoomKeepsItsInstancesAndRunsOnlyRoomStartAgain)
{
    Template(1).persistent = 1;
    const int32_t id = Template(1).AddInstanceRecord(0, 0, kPlain);
    const std::string idText = std::to_string(id);
    StartGame();
    Run_GotoRoom(1);
    Instance_Find(id)->i_x = 7.0f;
    Run_GotoRoom(0);
    EXPECT_EQ(Instance_Find(id), nullptr);
    Notes().clear();
    Run_GotoRoom(1);
    ASSERT_NE(Instance_Find(id), nullptr);
    EXPECT_EQ(Instance_Find(id)->i_x, 7.0f);
    EXPECT_EQ(Events(), (Lines{"4:" + idText}));
}

TEST_F(RunRoomChangeTest, EndingTheGameDeletesEveryRunRoomAndTheCarriedCopies)
{
    Template(1).persistent = 1;
    Template(0).AddInstanceRecord(0, 0, kKeeper);
    StartGame();
    Run_GotoRoom(1);
    Run_GotoRoom(0);
    Game_Counters().score = 10;
    Run_EndGame();
    EXPECT_EQ(Run_CarriedCount(), 0);
    EXPECT_EQ(Run_RoomSlotCount(), 0);
    EXPECT_EQ(Room_Current(), nullptr);
    StartGame();
    EXPECT_EQ(CountOf(kKeeper), 1);
    EXPECT_EQ(Game_Counters().score, 0);
}

TEST_F(RunRoomChangeTest, TheRunGlobalsStartWithTheirFirstValues)
{
    Game_Counters().health = 3.0;
    Game_Counters().showScore = false;
    Display_State().viewCurrent = 4;
    Run_SetStepCounter(9);
    Run_SetDrawEvents(false);
    Run_InitCaptions();
    const GameCounters& counters = Game_Counters();
    EXPECT_EQ(counters.score, 0);
    EXPECT_EQ(counters.lives, -1);
    EXPECT_EQ(counters.health, 100.0);
    EXPECT_TRUE(counters.showScore);
    EXPECT_FALSE(counters.showLives);
    EXPECT_FALSE(counters.showHealth);
    EXPECT_FALSE(counters.captionChanged);
    EXPECT_EQ(counters.captionHealth, "Health: ");
    EXPECT_EQ(counters.captionScore, "");
    EXPECT_EQ(counters.captionLives, "");
    EXPECT_EQ(counters.cursorSprite, -1);
    EXPECT_EQ(Display_State().viewCurrent, 0);
    EXPECT_EQ(Display_State().transitionKind, 0);
    EXPECT_EQ(Run_StepCounter(), 0);
    EXPECT_TRUE(Run_DrawEvents());
    EXPECT_EQ(GameRunningFlag, 0);
}

TEST_F(RunRoomChangeTest, AnEmptyRoomOrderStartsNoRoom)
{
    Room_Order().clear();
    StartGame();
    EXPECT_EQ(Room_Current(), nullptr);
    EXPECT_EQ(Run_MainLoopTick(), 60);
}

TEST_F(RunRoomChangeTest, NoQueueHoldsAnInstanceOfARoomThatWasLeft)
{
    const int32_t plain = Template(0).AddInstanceRecord(0, 0, kPlain);
    const int32_t keeper = Template(0).AddInstanceRecord(0, 0, kKeeper);
    StartGame();
    Instance_DepthChangeQueue().AddUnique(Instance_Find(plain));
    Instance_ObjectChangeQueue().AddUnique(Instance_Find(keeper));
    Run_GotoRoom(1);
    // The carried keeper, queued once more as the new room's instance, took
    // its place before the room's first drawing.
    EXPECT_EQ(Instance_DepthChangeQueue().Count(), 0);
    EXPECT_EQ(Instance_ObjectChangeQueue().Count(), 0);
}

TEST_F(RunRoomChangeTest, RoomCreationCodeRunsOnEveryFreshEntry)
{
    ASSERT_TRUE(Template(1).SetCode("note(9)"));
    StartGame();
    Run_GotoRoom(1);
    Run_GotoRoom(0);
    Run_GotoRoom(1);
    EXPECT_EQ(EventsNoting("9:"), 2);
}

TEST_F(RunRoomChangeTest, RoomRequestsCheckTheRoomAndTheOrder)
{
    StartGame();
    Room_Goto(1);
    EXPECT_EQ(NewRoomRequest, 1);
    Room_Goto(7);
    EXPECT_EQ(NewRoomRequest, kRequestStop);
    Room_GotoPrevious();
    EXPECT_EQ(NewRoomRequest, kRequestStop);
    NewRoomRequest = kRequestNone;
    Room_GotoNext();
    EXPECT_EQ(NewRoomRequest, 1);
}

TEST_F(RunRoomChangeTest, TheCreateFirstOptionOrdersCreateEventAndCreationCode)
{
    // Creation code notes 1; the create event notes 0.
    const std::string id = std::to_string(Template(0).AddInstanceRecord(0, 0, kPlain));
    Template(0).record->instances.back().code = std::make_shared<CCode>("note(1)", false);
    ASSERT_TRUE(Room_Prepare());
    struct Case {
        bool createFirst;
        Lines order;
    };
    for (const Case& c : {Case{false, {"1:" + id, "0:" + id}}, Case{true, {"0:" + id, "1:" + id}}}) {
        SCOPED_TRACE(c.createFirst);
        Options().createEventBeforeCode = c.createFirst;
        Notes().clear();
        StartGame();
        const Lines events = Events();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(Lines(events.begin(), events.begin() + 2), c.order);
        Run_EndGame();
    }
}

TEST(RunConcatMessage, AppendsTheNumberInDecimal)
{
    EXPECT_EQ(Run_ConcatMessage("Unexisting room number: ", -2147483647 - 1),
              "Unexisting room number: -2147483648");
}

}  // namespace
}  // namespace bw::test
