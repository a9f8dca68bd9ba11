#include "library/misc_builtins.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "support/scratch_folder.h"
#include "unit/library/instance_call.h"

namespace bw {
namespace {

using test::ScriptValue;

class MiscBuiltinsTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("execute_string", &id)) {
            Function_Misc_Register(false);
        }
        AddObject(0);
        AddObject(1);
        self = AddInstance(0);
        other = AddInstance(1);
    }

    ScriptValue Call(const char* name, const std::vector<ScriptValue>& args)
    {
        return test::CallFor(self, other, name, args);
    }

    static Value& Slot(int32_t index) { return Script_Arguments().values[static_cast<size_t>(index)]; }
    static std::string SlotText(int32_t index)
    {
        std::string text;
        Value_ToString(text, Slot(index));
        return text;
    }

    CInstance* self = nullptr;
    CInstance* other = nullptr;
};

// ---- execute_string ----

TEST_F(MiscBuiltinsTest, ExecuteStringRunsWithItsArgumentsAndGivesTheCallersBack)
{
    Value_SetString(Slot(0), "caller");
    Value_SetReal(Slot(1), 7.0);
    EXPECT_EQ(Call("execute_string", {"return argument0 + argument1", 2.0, 3.0}).Real(), 5.0);
    EXPECT_EQ(SlotText(0), "caller");
    EXPECT_EQ(SlotText(1), "7");
}

TEST_F(MiscBuiltinsTest, ExecuteStringClearsTheSlotsItIsNotGiven)
{
    Value_SetString(Slot(2), "stale");
    const ScriptValue result = Call("execute_string", {"return argument2", 1.0});
    EXPECT_FALSE(result.IsString());
    EXPECT_EQ(result.Real(), 0.0);
    EXPECT_EQ(SlotText(2), "stale");
}

TEST_F(MiscBuiltinsTest, CodeThatReplacesItsArgumentsLeavesTheCallersTextsAlone)
{
    Value_SetString(Slot(0), "caller");
    const ScriptValue result =
        Call("execute_string", {"argument0 = 'inner'; argument1 = argument0; return argument1", "given"});
    EXPECT_EQ(result.Text(), "inner");
    EXPECT_EQ(SlotText(0), "caller");
    EXPECT_EQ(SlotText(1), "0");
}

TEST_F(MiscBuiltinsTest, ExecuteStringNestsWithArgumentsOfItsOwn)
{
    const char* outer = "return execute_string('return argument0 * 2', argument0 + 1) + argument0";
    EXPECT_EQ(Call("execute_string", {outer, 4.0}).Real(), 14.0);
}

TEST_F(MiscBuiltinsTest, ExecuteStringRunsForSelfAndOther)
{
    EXPECT_EQ(Call("execute_string", {"return id * 10 + other.id"}).Real(), self->i_id * 10.0 + other->i_id);
}

TEST_F(MiscBuiltinsTest, TextThatDoesNotCompileIsLoggedAndGivesZero)
{
    EXPECT_EQ(Call("execute_string", {"x ="}).Real(), 0.0);
    EXPECT_EQ(LastError().rfind("COMPILATION ERROR in string to be executed\n", 0), 0u) << LastError();
    EXPECT_GT(LastError().size(), std::string("COMPILATION ERROR in string to be executed\n").size());
    EXPECT_FALSE(Code_Error_HasPending());
}

// ---- execute_file ----

class ExecuteFileTest : public MiscBuiltinsTest {
protected:
    void SetUp() override
    {
        MiscBuiltinsTest::SetUp();
        m_root.Write("game/data.win", "package");
        ASSERT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
    }

    test::ScratchFolder m_root;
};

TEST_F(ExecuteFileTest, ReadsTheWholeFileHoweverLongItsLines)
{
    std::string text = "\xEF\xBB\xBFvar s;\ns = 0;\n";
    for (int i = 0; i < 1000; ++i) text += "s += 1;\n";
    // One line of 6000 bytes: cut anywhere, its comment would become code.
    text += "s += 1; // " + std::string(6000, 'x') + "\nreturn s + argument0;";
    ASSERT_GT(text.size(), 5120u * 2);
    m_root.Write("game/long.txt", text);
    EXPECT_EQ(Call("execute_file", {"long.txt", 0.5}).Real(), 1001.5);
}

TEST_F(ExecuteFileTest, MissingFileIsReportedAndGivesZero)
{
    EXPECT_EQ(Call("execute_file", {"absent.txt"}).Real(), 0.0);
    EXPECT_NE(LastError().find("Trying to execute non-existing file."), std::string::npos);
}

TEST_F(ExecuteFileTest, FileThatDoesNotCompileIsLoggedAsAFile)
{
    m_root.Write("game/bad.txt", "return (");
    EXPECT_EQ(Call("execute_file", {"bad.txt"}).Real(), 0.0);
    EXPECT_EQ(LastError().rfind("COMPILATION ERROR in file to be executed\n", 0), 0u) << LastError();
}

// ---- variables by name ----

TEST_F(MiscBuiltinsTest, GlobalAndLocalVariablesAreReadAndWrittenByName)
{
    for (const char* scope : {"global", "local"}) {
        const std::string prefix = std::string("variable_") + scope;
        EXPECT_EQ(Call((prefix + "_exists").c_str(), {"v_plain"}).Real(), 0.0) << scope;
        Call((prefix + "_set").c_str(), {"v_plain", "text"});
        EXPECT_EQ(Call((prefix + "_exists").c_str(), {"v_plain"}).Real(), 1.0) << scope;
        EXPECT_EQ(Call((prefix + "_get").c_str(), {"v_plain"}).Text(), "text") << scope;
    }
    // The two scopes hold apart what they were given.
    Call("variable_local_set", {"v_plain", 4.0});
    EXPECT_EQ(Call("variable_global_get", {"v_plain"}).Text(), "text");
    EXPECT_EQ(Call("variable_local_get", {"v_plain"}).Real(), 4.0);
    EXPECT_EQ(Call("execute_string", {"return global.v_plain"}).Text(), "text");
}

TEST_F(MiscBuiltinsTest, ArraysAreAddressedByRowAndColumn)
{
    for (const char* scope : {"global", "local"}) {
        const std::string prefix = std::string("variable_") + scope;
        Call((prefix + "_array2_set").c_str(), {"grid", 1.0, 2.0, 7.0});
        Call((prefix + "_array_set").c_str(), {"grid", 3.0, 5.0});
        EXPECT_EQ(Call((prefix + "_array2_get").c_str(), {"grid", 1.0, 2.0}).Real(), 7.0) << scope;
        EXPECT_EQ(Call((prefix + "_array_get").c_str(), {"grid", 3.0}).Real(), 5.0) << scope;
        EXPECT_EQ(Call((prefix + "_array2_get").c_str(), {"grid", 0.0, 3.0}).Real(), 5.0) << scope;
        EXPECT_EQ(Call((prefix + "_array_get").c_str(), {"grid", 9.0}).Real(), 0.0) << scope;
    }
    EXPECT_EQ(Call("execute_string", {"return global.grid[1, 2] + grid[3]"}).Real(), 12.0);
}

TEST_F(MiscBuiltinsTest, IndexesOf32000AndMoreAreReportedAndDoNothing)
{
    struct Case { const char* name; std::vector<ScriptValue> args; };
    const Case cases[] = {
        {"variable_global_array_get", {"big", 32000.0}}, {"variable_global_array2_get", {"big", 0.0, 32000.0}},
        {"variable_local_array_set", {"big", 32000.0, 1.0}},
        {"variable_local_array2_set", {"big", 32000.0, 0.0, 1.0}},
    };
    for (const Case& c : cases) {
        Code_Error_ResetState();
        Call(c.name, c.args);
        EXPECT_NE(LastError().find("Array index >= 32000"), std::string::npos) << c.name;
    }
    EXPECT_EQ(Call("variable_local_exists", {"big"}).Real(), 0.0);
}

TEST_F(MiscBuiltinsTest, BuiltInVariablesExistWhereTheyCanBeRead)
{
    struct Case { const char* name; const char* variable; double expected; };
    const Case cases[] = {
        {"variable_global_exists", "score", 1}, {"variable_global_exists", "x", 0},
        {"variable_local_exists", "x", 1},      {"variable_local_exists", "score", 1},
        {"variable_local_exists", "nothing", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Call(c.name, {c.variable}).Real(), c.expected) << c.name << " " << c.variable;
    }
    self->SetPosition(12.0f, 0.0f);
    EXPECT_EQ(Call("variable_local_get", {"x"}).Real(), 12.0);
    Call("variable_local_set", {"x", 30.0});
    EXPECT_EQ(self->i_x, 30.0f);
}

TEST_F(MiscBuiltinsTest, NamesThatAreNoTextNameNothing)
{
    Call("variable_global_set", {3.0, 1.0});
    EXPECT_EQ(Call("variable_global_exists", {3.0}).Real(), 0.0);
    EXPECT_EQ(Call("variable_global_get", {3.0}).Real(), 0.0);
}

// ---- events ----

TEST_F(MiscBuiltinsTest, EventUserPerformsOtherEventTenHigherOnSelf)
{
    SetEvent(Object_Find(0), kEventOther, 13, "record('user 3', other.id)");
    Call("event_user", {3.0});
    EXPECT_EQ(test::Recorded(), std::to_string(self->i_id) + ":user 3," + std::to_string(other->i_id) + ";");
}

TEST_F(MiscBuiltinsTest, EventPerformAndPerformObjectRunForSelfAndOther)
{
    SetEvent(Object_Find(0), kEventStep, 1, "record('own')");
    SetEvent(Object_Find(1), kEventAlarm, 4, "record('borrowed', other.id)");
    Call("event_perform", {3.0, 1.0});
    Call("event_perform_object", {1.0, 2.0, 4.0});
    const std::string me = std::to_string(self->i_id);
    EXPECT_EQ(test::Recorded(), me + ":own;" + me + ":borrowed," + std::to_string(other->i_id) + ";");
}

TEST_F(MiscBuiltinsTest, EventInheritedClimbsTheParentChainOneStepAtATime)
{
    AddChild(2, 0);
    AddChild(3, 2);
    SetEvent(Object_Find(0), kEventCreate, 0, "record('grandparent')");
    SetEvent(Object_Find(2), kEventCreate, 0, "record('parent'); event_inherited()");
    SetEvent(Object_Find(3), kEventCreate, 0, "record('child'); event_inherited()");
    CInstance* child = AddInstance(3);
    Event_Perform(child, child, kEventCreate, 0);
    const std::string id = std::to_string(child->i_id);
    EXPECT_EQ(test::Recorded(), id + ":child;" + id + ":parent;" + id + ":grandparent;");
}

TEST_F(MiscBuiltinsTest, EventInheritedWithoutAParentDoesNothing)
{
    SetEvent(Object_Find(0), kEventCreate, 0, "record('top'); event_inherited()");
    Event_Perform(self, self, kEventCreate, 0);
    Call("event_inherited", {});
    EXPECT_EQ(test::Recorded(), std::to_string(self->i_id) + ":top;");
}

// ---- system ----

std::string& HeardLines()
{
    static std::string lines;
    return lines;
}

TEST_F(MiscBuiltinsTest, ShowDebugMessageWritesOneLine)
{
    HeardLines().clear();
    Console_SetDebugListener([](const char* line) { HeardLines() += line; });
    Call("show_debug_message", {"hello"});
    Call("show_debug_message", {2.5});
    Console_SetDebugListener(nullptr);
    EXPECT_EQ(HeardLines(), "hello\n2.50\n");
}

// ---- system ----

TEST_F(MiscBuiltinsTest, ClipboardTextRoundTrips)
{
    Call("clipboard_set_text", {"copied text"});
    EXPECT_EQ(Call("clipboard_has_text", {}).Real(), 1.0);
    EXPECT_EQ(Call("clipboard_get_text", {}).Text(), "copied text");
}

// The system reads an empty text as no text; the runner knows the one it put.
TEST_F(MiscBuiltinsTest, AnEmptyClipboardTextIsText)
{
    Call("clipboard_set_text", {""});
    EXPECT_EQ(Call("clipboard_has_text", {}).Real(), 1.0);
    EXPECT_EQ(Call("clipboard_get_text", {}).Text(), "");
}

TEST_F(MiscBuiltinsTest, WindowHandleIsZeroWithoutAWindow)
{
    EXPECT_EQ(Call("window_handle", {}).Real(), 0.0);
}

// The priority is changed in a child process, so the test program keeps its
// own; lowering it is always allowed, and any other value means normal.
TEST_F(MiscBuiltinsTest, ProgramPriorityLowersTheProcessAndUnknownValuesMeanNormal)
{
    EXPECT_EXIT(
        {
            Call("set_program_priority", {-1.0});
            const bool lowered = getpriority(PRIO_PROCESS, 0) == 5;
            Call("set_program_priority", {-3.0});
            std::exit(lowered && getpriority(PRIO_PROCESS, 0) == 19 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            // A user without the right to raise the priority keeps a lowered one.
            const int start = getpriority(PRIO_PROCESS, 0);
            Call("set_program_priority", {7.0});
            const int now = getpriority(PRIO_PROCESS, 0);
            std::exit(now == 0 || (start > 0 && now == start) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace bw
