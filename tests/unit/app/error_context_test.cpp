// What a run-time error report says of where it happened, on both engines:
// reads outside an array, the event and the object that owns it, and the
// machine's frames.
#include <gtest/gtest.h>

#include <string>

#include "app/run_wiring.h"
#include "script/code_unit.h"
#include "world/run_requests.h"
#include "unit/world/instance_ops_fixture.h"

namespace bw {
namespace {

class ErrorContextTest : public test::EventWorldTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        Code_SetUseBytecode(OnMachine());
        Runner_InstallErrorReportHooks();
        parent = AddObject(0);
        parent->SetName("parent");
        child = AddChild(1, 0);
        child->SetName("child");
        instance = AddInstance(1);
    }
    void TearDown() override
    {
        Code_Error_Hooks() = ErrorReportHooks{};
        Code_SetUseBytecode(true);
        Variable_SetStrictReads(false);
        EventWorldTest::TearDown();
    }
    static bool OnMachine() { return GetParam(); }

    // The report of code run as the child's create event ("" when none).
    std::string Run(const char* code)
    {
        Code_Error_ResetState();
        NewRoomRequest = -1;  // a fatal error asked to stop
        SetEvent(child, kEventCreate, 0, code);
        Event_Perform(instance, instance, kEventCreate, 0);
        return LastError();
    }

    CObject* parent = nullptr;
    CObject* child = nullptr;
    CInstance* instance = nullptr;
};

bool Holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_P(ErrorContextTest, ReadingOutsideAnArrayIsAnErrorWhateverTheStrictSwitch)
{
    const char* const programs[] = {"a[2] = 0; b = a[5];", "var a; a[2] = 0; b = a[5];", "a[2] = 0; b = a[1, 0];"};
    for (const bool strict : {false, true}) {
        Variable_SetStrictReads(strict);
        for (const char* program : programs) {
            SCOPED_TRACE(std::string(program) + (strict ? " strict" : ""));
            const std::string report = Run(program);
            EXPECT_TRUE(Holds(report, OnMachine() ? "Push :: Execution Error - Variable Index ["
                                                  : "Unknown variable a or array index out of bounds"))
                << report;
        }
    }
}

TEST_P(ErrorContextTest, UnsetVariablesReadAsZeroUnlessStrict)
{
    for (const char* program : {"b = never_set;", "var q; b = q;"}) {
        SCOPED_TRACE(program);
        Variable_SetStrictReads(false);
        EXPECT_EQ(Run(program), "");
        Variable_SetStrictReads(true);
        EXPECT_NE(Run(program), "");
    }
}

TEST_P(ErrorContextTest, AVariableOfAMissingInstanceIsAnErrorOnTheMachine)
{
    const std::string report = Run("b = (100500).foo;");
    if (OnMachine()) {
        EXPECT_TRUE(Holds(report, "Push :: Execution Error - Variable Get 100500.foo")) << report;
    } else {
        EXPECT_EQ(report, "");  // the interpreter reads it as 0 unless strict
    }
}

TEST_P(ErrorContextTest, TheReportNamesTheEventAndTheObjectThatOwnsIt)
{
    SetEvent(parent, kEventStep, 0, "a[0] = 1; b = a[4];");
    SetEvent(child, kEventAlarm, 2, "a[0] = 1; b = a[4];");
    Code_Error_ResetState();
    Event_Perform(instance, instance, kEventStep, 0);
    EXPECT_TRUE(Holds(LastError(), "ERROR in\naction number 1\nof  Step Event0\nfor object parent:\n")) << LastError();
    Code_Error_ResetState();
    NewRoomRequest = -1;
    Event_Perform(instance, instance, kEventAlarm, 2);
    EXPECT_TRUE(Holds(LastError(), "of Alarm Event for alarm 2\nfor object child:\n")) << LastError();
}

TEST_P(ErrorContextTest, TheMachineShowsTheFailingLine)
{
    const std::string report = Run("a[0] = 1;\nb = a[4];");
    if (OnMachine()) {
        EXPECT_TRUE(Holds(report, " at Test.event (line 1) - b = a[4];\n")) << report;
    } else {
        EXPECT_FALSE(Holds(report, " at Test.event")) << report;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ErrorContextTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Machine" : "TreeInterpreter";
                         });

}  // namespace
}  // namespace bw
