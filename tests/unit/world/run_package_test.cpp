// A whole small game run in-process on the virtual clock: bwpack builds the
// package from tests/packages/run_trace, the runner loads and starts it, and
// the test ticks frames until the game ends itself. Every event of the game
// calls trace(), which logs "step:type:number:id"; the log is the golden
// trace of event order across steps, alarms, room changes, a persistent
// instance, a persistent room, keys held and let go, a restart and the end of
// the game.
#include <algorithm>
#include <string>
#include <vector>

#include "package_play_fixture.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/input.h"
#include "world/room.h"

namespace bw::test {
namespace {

constexpr int32_t kFrameCap = 100;
constexpr int32_t kSpace = 32;
constexpr int32_t kSpaceDownFrame = 3;
constexpr int32_t kSpaceUpFrame = 7;

std::vector<std::string>& Trace()
{
    static std::vector<std::string> lines;
    return lines;
}

void TraceBuiltin(Value*, CInstance* self, CInstance*, int32_t, Value*)
{
    const CurrentEvent& event = Event_Current();
    Trace().push_back(std::to_string(Run_StepCounter()) + ":" + std::to_string(event.type) + ":" +
                      std::to_string(event.number) + ":" + std::to_string(self != nullptr ? self->i_id : -1));
}

void RegisterTrace()
{
    int32_t traceId = -1;
    if (!Code_Function_Find("trace", &traceId)) {
        Code_Function_Register("trace", &TraceBuiltin, 0);
    }
}

// Both forms of one project must play the same game.
class RunPackageTest : public PackagePlayTest, public ::testing::WithParamInterface<pack::PackageForm> {
protected:
    void RegisterTestBuiltins() override
    {
        RegisterTrace();
        Trace().clear();
    }

    // Space goes down before the first game's step 2 and up before the
    // second run of its step 4, fed to the window's handlers as a person's
    // keys are.
    void BeforeTick(int32_t frame) override
    {
        if (frame == kSpaceDownFrame) {
            IO_OnKeyDown(kSpace, false);
        } else if (frame == kSpaceUpFrame) {
            IO_OnKeyUp(kSpace);
        }
    }

    int32_t Play(const std::string& project)
    {
        const int32_t frames = PackagePlayTest::Play(project, GetParam(), kFrameCap);
        Run_EndGame();
        return frames;
    }
};

// One game of run_trace, ids: 100001 walker, 100002 keeper (persistent),
// 100003 second (in the persistent rm_second); children take the next ids.
std::vector<std::string> OneGame(const std::string& firstChild, const std::string& secondChild)
{
    return {
        // rm_first: creation from the last instance back, game start, room start.
        "0:0:0:100002", "0:0:0:100001", "0:7:2:100002", "0:7:4:100002",
        // Step 0: the child made in begin step gets step but no begin step.
        "0:3:1:100001", "0:3:0:" + firstChild, "0:3:2:100002",
        // Step 1: the walker's alarm asks for rm_second; the step ends there.
        "1:3:1:100001", "1:3:1:" + firstChild, "1:2:0:100001",
        // Leaving: room end; the keeper is carried and not created again.
        "1:7:5:100002", "1:0:0:100003", "1:7:4:100003", "1:7:4:100002",
        // The interrupted step did not count: the next one is step 1 again.
        "1:3:2:100002", "2:3:2:100002",
        // Step 3: back to rm_first, made afresh, the keeper overwriting its
        // namesake from the room's definition.
        "3:2:0:100003", "3:7:5:100002", "3:0:0:100001", "3:7:4:100002",
        "3:3:1:100001", "3:3:0:" + secondChild, "3:3:2:100002",
        // Step 4: rm_second again: kept, so no create, only room start.
        "4:3:1:100001", "4:3:1:" + secondChild, "4:2:0:100001", "4:7:5:100002", "4:7:4:100003",
        "4:7:4:100002", "4:3:2:100002", "5:3:2:100002",
        // Step 6: restart (first game) or game_end (second): room end, game end.
        "6:2:0:100003", "6:7:5:100002", "6:7:3:100002",
    };
}

TEST_P(RunPackageTest, GoldenTraceOfASmallGame)
{
    EXPECT_EQ(Play("run_trace"), 20);
    std::vector<std::string> expected = OneGame("100004", "100006");
    // The keeper's key events come after alarms and before the end step. Held
    // space is down and pressed in step 2; entering rm_first in step 3 clears
    // the keys, so that step sees none; the release comes in step 4.
    const auto before = [&expected](const char* line) { return std::find(expected.begin(), expected.end(), line); };
    expected.insert(before("2:3:2:100002"), {"2:5:32:100002", "2:9:32:100002"});
    expected.insert(before("4:3:2:100002"), "4:10:32:100002");
    const std::vector<std::string> restarted = OneGame("100008", "100010");
    expected.insert(expected.end(), restarted.begin(), restarted.end());
    EXPECT_EQ(Trace(), expected);
    EXPECT_EQ(Display_State().deltaTime, 33333);
}

INSTANTIATE_TEST_SUITE_P(Forms, RunPackageTest,
                         ::testing::Values(pack::PackageForm::Text, pack::PackageForm::Bytecode),
                         [](const ::testing::TestParamInfo<pack::PackageForm>& info) {
                             return info.param == pack::PackageForm::Text ? "Text" : "Bytecode";
                         });

}  // namespace
}  // namespace bw::test
