#include "script/error_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/error_dialog.h"
#include "script/vm_debug.h"

namespace bw {
namespace {

// A fake world and machine for the report to describe.
struct FakeState {
    ErrorLocation location;
    std::vector<ErrorStackFrame> frames;
    ErrorVariableDump dump;
    int stopRequests = 0;
    int inputClears = 0;
};
FakeState g_fake;

class ErrorReportTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_fake = FakeState{};
        Code_Error_ResetState();
        Code_Error_SetShowErrors(true);
        Code_Error_SetNoErrorsSwitch(false);
        Code_Error_SetAllErrorsFatal(false);
        Code_Error_SetDebugSuppress(false);
        ErrorReportHooks& hooks = Code_Error_Hooks();
        hooks = {};
        hooks.describeLocation = [](ErrorLocation* location) { *location = g_fake.location; };
        hooks.callStack = [](std::vector<ErrorStackFrame>* frames) { *frames = g_fake.frames; };
        hooks.dumpVariables = [](ErrorVariableDump* dump) { *dump = g_fake.dump; };
        hooks.stopGame = [] { ++g_fake.stopRequests; };
        hooks.clearInput = [] { ++g_fake.inputClears; };
    }
    void TearDown() override
    {
        Code_Error_Hooks() = {};
        Code_Error_ResetState();
    }

    // Runs a report and returns what reached standard error (the unattended
    // dialog) and standard output (the log).
    struct Output {
        std::string dialog;
        std::string log;
    };
    template <typename Report>
    Output Capture(Report report)
    {
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        report();
        Output output;
        output.log = testing::internal::GetCapturedStdout();
        output.dialog = testing::internal::GetCapturedStderr();
        return output;
    }
};

// ---- pending messages ----

TEST_F(ErrorReportTest, PendingMessageNamesLineAndPosition)
{
    const struct {
        const char* source;
        bool program;
        int32_t position;
        const char* message;
    } cases[] = {
        {"x = ;", true, 0, "Error in code at line 1:\n   x = ;\n\nat position 1: oops"},
        {"a = 1;\nb = ;\nc = 2;", true, 11, "Error in code at line 2:\n   b = ;\n\nat position 5: oops"},
        {"a = 1;\r\nb = ;\r\nc = 2;", true, 12, "Error in code at line 2:\n   b = ;\n\nat position 5: oops"},
        {"a;\nb", true, 999, "Error in code at line 2:\n   b\n\nat position 2: oops"},
        {"a;\nb", true, -4, "Error in code at line 1:\n   a;\n\nat position 1: oops"},
        {"1 + ", false, 4, "Error in expression: 1 + \n position 5: oops"},
        {nullptr, true, 3, "Error in code at line 1:\n   \n\nat position 1: oops"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Code_Error_ClearPending();
        Code_Report_Error(c.source, c.program, c.position, "oops");
        EXPECT_TRUE(Code_Error_HasPending());
        EXPECT_STREQ(Code_Error_PendingMessage(), c.message);
    }
    Code_Error_ClearPending();
    Code_Report_Error("a = 1;\nb = ;\nc = 2;", true, 11, "oops");
    EXPECT_EQ(Code_Error_PendingPlace().line, 2);
}

// Tools print the place themselves: the column counts bytes from 1 on the
// line the position falls on, and a CRLF line ending is neither counted nor
// kept in the line's text.
TEST_F(ErrorReportTest, PendingPlaceGivesLineColumnTextAndBareCause)
{
    Code_Report_Error("a = 1;\r\n\tb = ;\r\nc = 2;", true, 13, "unexpected");
    const PendingErrorPlace& place = Code_Error_PendingPlace();
    EXPECT_EQ(place.line, 2);
    EXPECT_EQ(place.column, 6);
    EXPECT_EQ(place.lineText, "\tb = ;");
    EXPECT_EQ(place.cause, "unexpected");
    EXPECT_EQ(place.position, 13);
    // Past the end, the place is the end of the text.
    Code_Error_ClearPending();
    Code_Report_Error("a = ", true, 7, "end");
    EXPECT_EQ(Code_Error_PendingPlace().position, 4);
}

TEST_F(ErrorReportTest, FirstPendingErrorWinsUntilCleared)
{
    Code_Report_Error("a", true, 0, "first");
    Code_Report_Error("b", true, 0, "second");
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("first"), std::string::npos);
    Code_Error_ClearPending();
    EXPECT_FALSE(Code_Error_HasPending());
    Code_Report_Error("b", true, 0, "second");
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("second"), std::string::npos);
}

TEST_F(ErrorReportTest, InnerLayersPrefixThePendingMessage)
{
    Code_Report_Error("x", false, 0, "bad");
    Code_Error_PrefixPending("In script scr_inner:\n");
    Code_Error_PrefixPending("In script scr_outer:\n");
    EXPECT_STREQ(Code_Error_PendingMessage(),
                 "In script scr_outer:\nIn script scr_inner:\nError in expression: x\n position 1: bad");
    EXPECT_TRUE(Code_Error_HasPending());
}

// ---- run-time reports ----

const std::string kHashes(92, '#');
const std::string kDashes(92, '-');

TEST_F(ErrorReportTest, RuntimeReportNamesEventObjectAndCallStack)
{
    g_fake.location.eventName = "Step Event";
    g_fake.location.objectName = "obj_player";
    g_fake.frames = {{"scr_inner", 4, "x = y / 0;"}, {"Object.obj_player.Step.0", 12, "inner();"}};
    Code_Error_SetShowErrors(false);
    const Output output = Capture([] { Code_Error_Runtime("Division by zero.", false); });

    const std::string expected = kHashes + "\n" +
                                 "ERROR in\naction number 1\nof Step Event\nfor object obj_player:\n\n\n"
                                 "Division by zero.\n"
                                 " at scr_inner (line 4) - x = y / 0;\n" +
                                 kHashes + "\n" + kDashes + "\n" +
                                 "stack frame is\nscr_inner (line 4)\n"
                                 "called from - Object.obj_player.Step.0 (line 12) - inner();\n";
    ASSERT_NE(Code_Error_LastText(), nullptr);
    EXPECT_EQ(std::string(Code_Error_LastText()), expected);
    EXPECT_EQ(output.log, "ERROR!!! :: " + expected + "\n");
    EXPECT_TRUE(Code_Error_Occurred());
    EXPECT_FALSE(Code_Error_GameAborted());
    EXPECT_EQ(g_fake.inputClears, 1);
}

TEST_F(ErrorReportTest, TimeLineReportNamesTheTimeLineAndStep)
{
    g_fake.location.inTimeLine = true;
    g_fake.location.timeStep = 30;
    g_fake.location.timeLineName = "tl_intro";
    Code_Error_SetShowErrors(false);
    Capture([] { Code_Error_Runtime("Bad thing.", true); });
    EXPECT_EQ(std::string(Code_Error_LastText()),
              kHashes + "\nFATAL ERROR in\naction number 1\nat time step30\nof time line tl_intro:\n\n\nBad thing.\n" +
                  kHashes + "\n");
}

TEST_F(ErrorReportTest, VariablesAreDumpedAfterTheReport)
{
    g_fake.dump.locals = "i = 3\n";
    g_fake.dump.globals = "score = 10\n";
    Code_Error_SetShowErrors(false);
    const Output output = Capture([] { Code_Error_Runtime("m", false); });
    const size_t logged = output.log.find("ERROR!!! :: ");
    const std::string after = output.log.substr(output.log.find("\n" + kHashes + "\n\n", logged));
    EXPECT_EQ(after, "\n" + kHashes + "\n\n" + kDashes + "\nLocal Variables : \ni = 3\n" + kDashes +
                         "\nGlobal Variables : \nscore = 10\n");
}

TEST_F(ErrorReportTest, AbortRules)
{
    const struct {
        const char* what;
        bool fatal;
        bool allFatal;
        bool showErrors;
        bool noErrorsSwitch;
        bool dialogShown;
        bool aborted;
    } cases[] = {
        {"non-fatal error: the unattended dialog ignores it", false, false, true, false, true, false},
        {"fatal error: the dialog offers no way on", true, false, true, false, true, true},
        {"fatal error without dialogs still ends the game", true, false, false, false, false, true},
        {"all errors fatal", false, true, true, false, true, true},
        {"all errors fatal without dialogs", false, true, false, false, false, true},
        {"-noerrors holds after the options reset", false, false, true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Code_Error_SetAllErrorsFatal(c.allFatal);
        Code_Error_SetNoErrorsSwitch(c.noErrorsSwitch);
        Code_Error_SetShowErrors(c.showErrors);
        const Output output = Capture([&] { Code_Error_Runtime("message", c.fatal); });
        EXPECT_EQ(!output.dialog.empty(), c.dialogShown);
        EXPECT_EQ(Code_Error_GameAborted(), c.aborted);
        EXPECT_EQ(g_fake.stopRequests, c.aborted ? 1 : 0);
        EXPECT_NE(output.log.find("ERROR!!! :: "), std::string::npos);
    }
}

TEST_F(ErrorReportTest, AfterAnAbortLaterReportsAreIgnored)
{
    Code_Error_SetShowErrors(false);
    Capture([] { Code_Error_Runtime("the first", true); });
    const std::string first = Code_Error_LastText();
    const Output output = Capture([] {
        Code_Error_Runtime("the second", true);
        Code_Error_Log("the third", false);
    });
    EXPECT_EQ(output.log, "");
    EXPECT_EQ(Code_Error_LastText(), first);
    EXPECT_EQ(g_fake.stopRequests, 1);
}

TEST_F(ErrorReportTest, AFatalMachineErrorEndsTheProcessUnlessADebuggerHoldsIt)
{
    static std::vector<int> ends;
    ends.clear();
    ErrorReportHooks& hooks = Code_Error_Hooks();
    hooks.endProcess = [](int status) { ends.push_back(status); };
    Code_Error_EndAfterFatal();
    EXPECT_EQ(ends, std::vector<int>{kFatalErrorExitCode});
    VM_Debug_SetAttached(true);
    Code_Error_EndAfterFatal();
    VM_Debug_SetAttached(false);
    EXPECT_EQ(ends.size(), 1u) << "a debugger attached meanwhile keeps the process";
    Code_Error_SetDebugSuppress(true);
    Code_Error_EndAfterFatal();
    EXPECT_EQ(ends.size(), 1u) << "code the debugger runs for its displays never ends the process";
    Code_Error_SetDebugSuppress(false);
}

TEST_F(ErrorReportTest, APendingErrorEndsTheProcessOnlyWhileAFailedMachineRunMarksIt)
{
    static std::vector<int> ends;
    ends.clear();
    Code_Error_Hooks().endProcess = [](int status) { ends.push_back(status); };
    const auto reportPending = [&](const char* message, bool marked) {
        Code_Report_Error("x", true, 0, message);
        if (marked) {
            Code_Error_MarkPendingFatal();
        }
        return Capture([] { Code_Error_ReportPending(); }).log;
    };
    Code_Error_MarkPendingFatal();  // nothing pending: nothing to mark
    const std::string unmarked = reportPending("unmarked", false);
    EXPECT_NE(unmarked.find("unmarked"), std::string::npos);
    EXPECT_EQ(unmarked.find("FATAL"), std::string::npos);
    Code_Report_Error("x", true, 0, "marked, then cleared");
    Code_Error_MarkPendingFatal();
    Code_Error_ClearPending();
    EXPECT_EQ(reportPending("after the clear", false).find("FATAL"), std::string::npos);
    EXPECT_TRUE(ends.empty());
    EXPECT_FALSE(Code_Error_GameAborted());

    const std::string marked = reportPending("marked", true);
    EXPECT_NE(marked.find("FATAL ERROR in"), std::string::npos);
    EXPECT_NE(marked.find("marked"), std::string::npos);
    EXPECT_EQ(ends, std::vector<int>{kFatalErrorExitCode});
    EXPECT_FALSE(Code_Error_HasPending());
}

TEST_F(ErrorReportTest, DebuggerEvaluationNeitherShowsNorLogs)
{
    Code_Error_SetDebugSuppress(true);
    const Output output = Capture([] {
        Code_Error_Log("while evaluating a watch", false);
        Code_Error_LogOnly("plain line");
    });
    EXPECT_EQ(output.dialog, "");
    EXPECT_EQ(output.log, "");
    EXPECT_STREQ(Code_Error_LastText(), "while evaluating a watch");
}

TEST_F(ErrorReportTest, ADebuggerEvaluationsFatalErrorEndsNothingAndIsCounted)
{
    const uint32_t before = Code_Error_SuppressedReportCount();
    Code_Error_SetDebugSuppress(true);
    const Output output = Capture([] { Code_Error_Runtime("Unexisting room number: 99", true); });
    Code_Error_SetDebugSuppress(false);
    EXPECT_EQ(output.dialog, "");
    EXPECT_FALSE(Code_Error_GameAborted());
    EXPECT_EQ(g_fake.stopRequests, 0);
    EXPECT_EQ(Code_Error_SuppressedReportCount(), before + 1);
    Capture([] { Code_Error_Runtime("from game code", false); });
    EXPECT_EQ(Code_Error_SuppressedReportCount(), before + 1) << "reports of game code are not the debugger's";
}

TEST_F(ErrorReportTest, LogOnlyWritesTheLineAndNothingElse)
{
    const Output output = Capture([] { Code_Error_LogOnly("Too few arguments to immersion_play()"); });
    EXPECT_EQ(output.log, "ERROR!!! :: Too few arguments to immersion_play()\n");
    EXPECT_EQ(output.dialog, "");
    EXPECT_FALSE(Code_Error_Occurred());
    EXPECT_EQ(Code_Error_LastText(), nullptr);
}

TEST_F(ErrorReportTest, UnattendedDialogFramesTheTextAndIgnoresOnlyWhenTheGameMayGoOn)
{
    bool fatalIgnored = true;
    bool otherIgnored = false;
    const Output output = Capture([&] {
        fatalIgnored = Code_Error_FormatDump("one\r\ntwo\tx\rthree\n\nfour", true);
        otherIgnored = Code_Error_FormatDump("text", false);
    });
    EXPECT_FALSE(fatalIgnored);
    EXPECT_TRUE(otherIgnored);
    EXPECT_EQ(output.dialog, "Code Error...: \n" + std::string(43, '_') + "\none\ntwo       x\nthree\n\nfour\n" +
                                 "Code Error...: \n" + std::string(43, '_') + "\ntext\n");
}

TEST_F(ErrorReportTest, ReportTextsAreNeverCut)
{
    const std::string longMessage(200000, 'm');
    TErrStreamConsole console;
    console.Printf("[%s]", longMessage.c_str());
    console.Printf("%d", 7);
    EXPECT_EQ(console.Text(), "[" + longMessage + "]7");

    Code_Error_SetShowErrors(false);
    Capture([&] { Code_Error_Runtime(longMessage.c_str(), false); });
    EXPECT_NE(std::string(Code_Error_LastText()).find(longMessage), std::string::npos);
}

}  // namespace
}  // namespace bw
