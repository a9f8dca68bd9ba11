#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "script/error_report.h"
#include "world_fixture.h"

namespace bw::test {
namespace {

class BuiltinVariableTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        AddObject(0);
        self = AddInstance(0);
    }

    bool Set(const char* name, int32_t index, const Value& value)
    {
        const int32_t id = Variable_BuiltIn_Find(name);
        EXPECT_GE(id, 0) << name;
        return Variable_SetValue(self, id, index, &value);
    }

    bool Set(const char* name, int32_t index, double real) { return Set(name, index, Real(real)); }

    double Get(const char* name, int32_t index = 0)
    {
        Value out;
        EXPECT_TRUE(Variable_GetValue(self, Variable_BuiltIn_Find(name), index, &out)) << name;
        EXPECT_EQ(Value_Kind(out), kValueReal) << name;
        return out.real;
    }

    std::string GetText(const char* name)
    {
        Value out;
        EXPECT_TRUE(Variable_GetValue(self, Variable_BuiltIn_Find(name), 0, &out)) << name;
        std::string text = Value_String(out) != nullptr ? Value_String(out) : "";
        Value_Free(out);
        return text;
    }

    CInstance* self = nullptr;
};

std::string ReadGolden(const char* name)
{
    std::ifstream file(std::string(BW_TESTS_DIR) + "/golden/" + name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST_F(BuiltinVariableTest, NamesAndIdsMatchTheGoldenList)
{
    std::string names;
    Variable_BuiltIn_WriteNames(names);
    const std::string golden = ReadGolden("builtin_variable_names.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(names, golden);
}

TEST_F(BuiltinVariableTest, FindIsExactAndUnknownIdsHaveAName)
{
    EXPECT_EQ(Variable_BuiltIn_Find("x"), 0);
    EXPECT_EQ(Variable_BuiltIn_Find("X"), -1);
    EXPECT_EQ(Variable_BuiltIn_Find("no_such_variable"), -1);
    EXPECT_STREQ(Variable_BuiltIn_Name(Variable_BuiltIn_Count()), "<unknown built-in variable>");
    EXPECT_STREQ(Variable_BuiltIn_Name(-1), "<unknown built-in variable>");
}

TEST_F(BuiltinVariableTest, SettersRoundTiesToEvenAndTakeHalfAsFalse)
{
    struct Case {
        const char* name;
        int32_t index;
        double written;
        double read;
    };
    const Case cases[] = {
        {"alarm", 3, 2.5, 2.0},
        {"alarm", 3, 3.5, 4.0},
        {"alarm", 3, -0.5, 0.0},
        {"visible", 0, 0.4, 0.0},
        {"visible", 0, 0.6, 1.0},
        {"solid", 0, -0.6, 1.0},
        {"timeline_running", 0, 0.5, 0.0},
        {"timeline_running", 0, 1.5, 1.0},
        {"timeline_loop", 0, 0.51, 1.0},
        {"score", 0, 2.5, 2.0},
        {"score", 0, -3.5, -4.0},
        {"path_endaction", 0, 1.5, 2.0},
        {"image_blend", 0, 255.5, 256.0},
        {"sprite_index", 0, 4.5, 4.0},
        {"mask_index", 0, 6.5, 6.0},
        {"path_position", 0, 1.5, 1.0},
        {"path_position", 0, -0.5, 0.0},
        {"image_alpha", 0, 0.1, static_cast<double>(0.1f)},
        {"error_occurred", 0, 0.5, 1.0},
        {"error_occurred", 0, 0.49, 0.0},
        {"score", 0, 1e300, 2147483647.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << "[" << c.index << "] = " << c.written);
        EXPECT_TRUE(Set(c.name, c.index, c.written));
        EXPECT_EQ(Get(c.name, c.index), c.read);
    }
}

// Every indexed variable: the number of its elements. The room's
// background_ and view_ variables have 8, bar the four that are one value.
int32_t ElementCount(const std::string& name)
{
    const auto startsWith = [&name](const char* prefix) { return name.rfind(prefix, 0) == 0; };
    if (name == "background_color" || name == "background_showcolor" || name == "view_enabled" ||
        name == "view_current") {
        return 0;
    }
    if (startsWith("background_") || startsWith("view_")) {
        return 8;
    }
    return name == "alarm" ? 12 : name == "argument" ? 16 : 0;
}

TEST_F(BuiltinVariableTest, IndexesOutsideTheElementsSelectElementZero)
{
    int32_t checked = 0;
    for (int32_t id = 0; id < Variable_BuiltIn_Count(); ++id) {
        const BuiltinVariable& variable = *Variable_BuiltIn_Get(id);
        const int32_t count = ElementCount(variable.name);
        if (count == 0 || variable.setter == nullptr) {
            continue;
        }
        for (const int32_t outside : {count, count + 7, -1}) {
            SCOPED_TRACE(testing::Message() << variable.name << "[" << outside << "]");
            EXPECT_TRUE(Set(variable.name.c_str(), 0, 0.0));
            EXPECT_TRUE(Set(variable.name.c_str(), outside, 1.0));
            EXPECT_EQ(Get(variable.name.c_str(), 0), 1.0) << "the write reaches element 0";
            EXPECT_EQ(Get(variable.name.c_str(), outside), 1.0) << "the read comes from element 0";
        }
        ++checked;
    }
    EXPECT_EQ(checked, 2 + 13 + 16);  // alarm, argument, the writable background_ and view_ variables
    EXPECT_TRUE(Set("view_xview", 2, 5.0));
    EXPECT_EQ(room.views[2].xview, 5);
    EXPECT_EQ(room.views[0].xview, 1);
}

TEST_F(BuiltinVariableTest, ImageSingleSwitchesBetweenFixedFrameAndAnimation)
{
    self->i_imageindex = 3.0f;
    self->i_imagespeed = 0.5f;
    EXPECT_EQ(Get("image_single"), -1.0);
    EXPECT_TRUE(Set("image_single", 0, 2.0));
    EXPECT_EQ(self->i_imageindex, 2.0f);
    EXPECT_EQ(self->i_imagespeed, 0.0f);
    EXPECT_EQ(Get("image_single"), 2.0);
    EXPECT_TRUE(Set("image_single", 0, -1.0));
    EXPECT_EQ(self->i_imageindex, 2.0f);
    EXPECT_EQ(self->i_imagespeed, 1.0f);
}

TEST_F(BuiltinVariableTest, DepthWriteQueuesOnlyAChange)
{
    EXPECT_TRUE(Set("depth", 0, 0.0));
    EXPECT_EQ(Instance_DepthChangeQueue().Count(), 0);
    EXPECT_TRUE(Set("depth", 0, -5.0));
    EXPECT_EQ(Instance_DepthChangeQueue().Count(), 1);
    EXPECT_EQ(self->i_depth, -5.0f);
}

std::vector<std::pair<int32_t, int32_t>> g_events;

TEST_F(BuiltinVariableTest, LivesAndHealthRaiseTheirEventOnlyWhenCrossingZero)
{
    g_events.clear();
    GameState_Hooks().performEventAll = [](int32_t type, int32_t number) { g_events.emplace_back(type, number); };
    Set("lives", 0, 1.0);
    Set("lives", 0, 0.0);
    Set("lives", 0, -1.0);
    Set("health", 0, 0.5);
    Set("health", 0, 0.0);
    Set("health", 0, -3.0);
    EXPECT_EQ(g_events, (std::vector<std::pair<int32_t, int32_t>>{{7, 6}, {7, 9}}));
}

TEST_F(BuiltinVariableTest, InstanceIdListsTheRoomAndAnswersNooneBeyondIt)
{
    CInstance* second = AddInstance(0);
    EXPECT_EQ(Get("instance_count"), 2.0);
    EXPECT_EQ(Get("instance_id", 0), self->i_id);
    EXPECT_EQ(Get("instance_id", 1), second->i_id);
    EXPECT_EQ(Get("instance_id", 2), -4.0);
    EXPECT_EQ(Get("instance_id", -1), -4.0);
}

TEST_F(BuiltinVariableTest, WritesThatAreRefusedChangeNothing)
{
    for (const char* name : {"id", "object_index", "argument_count", "debug_mode", "async_load", "fps"}) {
        SCOPED_TRACE(name);
        const double before = Get(name);
        EXPECT_FALSE(Set(name, 0, 123.0));
        EXPECT_EQ(Get(name), before);
    }
    EXPECT_FALSE(Variable_SetValue(self, Variable_BuiltIn_Count(), 0, nullptr)) << "an id past the table";
}

TEST_F(BuiltinVariableTest, RoomSpeedBelowOneIsAnErrorAndKeepsTheSpeed)
{
    Code_Error_ResetState();
    Code_Error_SetShowErrors(false);
    room.speed = 30;
    EXPECT_FALSE(Set("room_speed", 0, 0.0));
    EXPECT_EQ(room.speed, 30);
    EXPECT_NE(std::string(Code_Error_LastText()).find("Trying to set the room speed to a value <= 0."),
              std::string::npos);
    EXPECT_TRUE(Set("room_speed", 0, 59.5));
    EXPECT_EQ(room.speed, 60);
    Code_Error_ResetState();
}

TEST_F(BuiltinVariableTest, PhysicsVariablesFailWithoutABody)
{
    Value out = Real(42.0);
    EXPECT_FALSE(Variable_GetValue(self, Variable_BuiltIn_Find("phy_rotation"), 0, &out));
    EXPECT_EQ(out.real, 42.0) << "left untouched";
    EXPECT_FALSE(Set("phy_speed_x", 0, 1.0));
}

TEST_F(BuiltinVariableTest, TransitionKindEndsAtZeroAndStepsStayPositive)
{
    EXPECT_TRUE(Set("transition_kind", 0, 5.0));
    EXPECT_EQ(Get("transition_kind"), 0.0);
    EXPECT_TRUE(Set("transition_steps", 0, -4.0));
    EXPECT_EQ(Get("transition_steps"), 1.0);
}

TEST_F(BuiltinVariableTest, TextVariablesKeepCopiesAndLastCharTakesTheFirstCharacter)
{
    Value text;
    Value_SetString(text, "\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(Set("keyboard_lastchar", 0, text));
    EXPECT_TRUE(Set("caption_score", 0, text));
    Value_SetString(text, "");
    EXPECT_TRUE(Set("keyboard_lastchar", 0, text));
    Value_Free(text);
    EXPECT_EQ(GetText("keyboard_lastchar"), "\xC3\xA9");
    EXPECT_EQ(GetText("caption_score"), "\xC3\xA9t\xC3\xA9");
}

TEST_F(BuiltinVariableTest, ShowScoreAlsoMarksTheCaptionSaved)
{
    EXPECT_TRUE(Set("show_score", 0, 0.0));
    EXPECT_TRUE(Game_Counters().captionChanged);
}

TEST_F(BuiltinVariableTest, ArgumentSlotsReadAndWriteTheirElements)
{
    EXPECT_TRUE(Set("argument3", 32001, 9.0));
    EXPECT_EQ(Get("argument3", 32001), 9.0);
    Value whole;
    EXPECT_TRUE(Variable_GetValue(self, Variable_BuiltIn_Find("argument"), 3, &whole));
    EXPECT_EQ(Value_Kind(whole), kValueArray);
    Value_Free(whole);
    Value_Free(Script_Arguments().values[3]);
    Value_SetReal(Script_Arguments().values[3], 0.0);
}

TEST_F(BuiltinVariableTest, ErrorVariablesAreTheReportersOwnState)
{
    Code_Error_ResetState();
    Code_Error_SetShowErrors(false);
    Code_Error_Runtime("hello is too short", false);
    EXPECT_EQ(Get("error_occurred"), 1.0);
    EXPECT_NE(GetText("error_last").find("hello is too short"), std::string::npos);

    EXPECT_TRUE(Set("error_occurred", 0, 0.0));
    Value text;
    Value_SetString(text, "cleared by the game");
    EXPECT_TRUE(Set("error_last", 0, text));
    Value_Free(text);
    EXPECT_FALSE(Code_Error_Occurred());
    EXPECT_STREQ(Code_Error_LastText(), "cleared by the game");

    Code_Error_Log("again", false);
    EXPECT_EQ(Get("error_occurred"), 1.0);
    EXPECT_EQ(GetText("error_last"), "again");
    Code_Error_ResetState();
}

}  // namespace
}  // namespace bw::test
