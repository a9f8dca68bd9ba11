#include "script/constants.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "script/resource_seams.h"

namespace bw {
namespace {

int32_t SpriteFinder(const char* name)
{
    return std::string(name) == "c_red" || std::string(name) == "spr_hero" ? 4 : -1;
}

int32_t RoomFinder(const char* name)
{
    return std::string(name) == "spr_hero" || std::string(name) == "rm_start" ? 9 : -1;
}

std::vector<std::string> g_evaluatedNames;

// Stands in for the compiler: understands "<a>+<b>" of integers only.
bool FakeEvaluator(const char* text, const char* unitName, Value* result)
{
    g_evaluatedNames.emplace_back(unitName);
    const char* plus = std::strchr(text, '+');
    if (plus == nullptr) {
        return false;
    }
    Value_SetReal(*result, std::atoi(text) + std::atoi(plus + 1));
    return true;
}

class ConstantsTest : public testing::Test {
protected:
    void SetUp() override
    {
        Code_Constant_Free();
        Code_Constant_Init();
    }
    void TearDown() override
    {
        Code_Constant_Free();
        Resource_SetNameFinder(ResourceKind::Sprite, nullptr);
        Resource_SetNameFinder(ResourceKind::Room, nullptr);
        Code_Constant_SetEvaluator(nullptr);
    }
};

double RealOf(const char* name)
{
    const Value* value = Code_Constant_Find(name);
    EXPECT_NE(value, nullptr) << name;
    return value != nullptr ? value->real : -12345;
}

TEST_F(ConstantsTest, BuiltinConstantsAreRegisteredWithTheirValues)
{
    EXPECT_EQ(Code_Constant_Count(), 418);
    const struct {
        const char* name;
        double value;
    } cases[] = {
        {"self", -1}, {"local", -7}, {"true", 1}, {"pi", 3.1415927410125732}, {"c_silver", 12632256},
        {"c_ltgray", 12632256}, {"c_orange", 4235519}, {"bm_zero", 1}, {"vk_return", 13}, {"vk_ralt", 165},
        {"gp_axisrv", 32788}, {"ev_gui", 64}, {"cr_size_all", -22}, {"phy_joint_angle", 8},
        {"lb_disp_time_ms", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RealOf(c.name), c.value);
        EXPECT_EQ(Value_Kind(*Code_Constant_Find(c.name)), kValueReal);
    }
}

TEST_F(ConstantsTest, ANewerConstantShadowsAnOlderOne)
{
    const int32_t count = Code_Constant_Count();
    Code_Constant_Add_Real("c_red", 42);
    EXPECT_EQ(Code_Constant_Count(), count + 1);
    EXPECT_EQ(RealOf("C_RED"), 42);
    Value value;
    EXPECT_TRUE(Code_Resource_Find("c_red", &value));
    EXPECT_EQ(value.real, 42);

    Code_Constant_Add_String("greeting", "hello");
    EXPECT_TRUE(Code_Resource_Find("greeting", &value));
    EXPECT_STREQ(Value_String(value), "hello");
    Value_Free(value);
}

TEST_F(ConstantsTest, FoundValuesStayValidWhileConstantsAreAdded)
{
    Code_Constant_Add_String("greeting", "hello");
    const Value* greeting = Code_Constant_Find("greeting");
    for (int i = 0; i < 1000; ++i) {
        Code_Constant_Add(("copy" + std::to_string(i)).c_str(), *greeting);
    }
    EXPECT_EQ(greeting, Code_Constant_Find("greeting"));
    EXPECT_STREQ(Value_String(*Code_Constant_Find("copy999")), "hello");
}

TEST_F(ConstantsTest, ExactCaseForTheCompilerAnyCaseForTextData)
{
    Value value;
    EXPECT_FALSE(Code_Resource_Find("VK_ENTER", &value));
    EXPECT_NE(Code_Constant_Find("VK_ENTER"), nullptr);
    EXPECT_EQ(Code_Constant_Find("no_such_constant"), nullptr);
    EXPECT_EQ(Code_Constant_Find(nullptr), nullptr);
}

TEST_F(ConstantsTest, AResourceHidesAConstantAndKindsAreTriedInOrder)
{
    Resource_SetNameFinder(ResourceKind::Sprite, SpriteFinder);
    Resource_SetNameFinder(ResourceKind::Room, RoomFinder);
    const struct {
        const char* name;
        bool found;
        double value;
    } cases[] = {
        {"c_red", true, 4},      // sprite, though a constant too
        {"spr_hero", true, 4},   // sprites come before rooms
        {"rm_start", true, 9},
        {"c_blue", true, 16711680},
        {"nothing", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Value value;
        Value_SetString(value, "released on lookup");
        EXPECT_EQ(Code_Resource_Find(c.name, &value), c.found);
        EXPECT_EQ(Value_Kind(value), kValueReal);
        EXPECT_EQ(value.real, c.value);
    }
    int32_t index = -1;
    EXPECT_TRUE(Code_Resource_FindAsset("rm_start", &index));
    EXPECT_EQ(index, 9);
    EXPECT_FALSE(Code_Resource_FindAsset("c_blue", &index));
}

TEST_F(ConstantsTest, ValidNamesStartWithALetterOrUnderscore)
{
    for (const char* name : {"", "1abc", "has-hyphen", "with space"}) {
        EXPECT_FALSE(Code_Constant_IsValidName(name)) << name;
    }
    EXPECT_FALSE(Code_Constant_IsValidName(nullptr));
    for (const char* name : {"_", "a1", "Upper_and_lower_09"}) {
        EXPECT_TRUE(Code_Constant_IsValidName(name)) << name;
    }
}

TEST_F(ConstantsTest, GameConstantsTakeTheirEvaluatedValueOrZero)
{
    EXPECT_TRUE(Code_Constant_Define("later", "2+3"));  // no compiler yet
    EXPECT_EQ(RealOf("later"), 0);
    Code_Constant_SetEvaluator(FakeEvaluator);
    g_evaluatedNames.clear();
    const GameConstant constants[] = {{"five", "2+3"}, {"broken", "(("}, {"empty", ""}};
    EXPECT_TRUE(Code_Constant_Init_Game(constants));
    EXPECT_EQ(RealOf("five"), 5);
    EXPECT_EQ(RealOf("broken"), 0);
    EXPECT_EQ(RealOf("empty"), 0);
    ASSERT_EQ(g_evaluatedNames.size(), 2u);
    const int first = std::atoi(g_evaluatedNames[0].c_str() + std::strlen("Constant."));
    EXPECT_EQ(g_evaluatedNames[0], "Constant." + std::to_string(first));
    EXPECT_EQ(g_evaluatedNames[1], "Constant." + std::to_string(first + 1));
}

TEST_F(ConstantsTest, AnInvalidGameConstantStopsThePassWithItsMessage)
{
    const int32_t count = Code_Constant_Count();
    const GameConstant constants[] = {{"good", "1"}, {"9lives", "9"}, {"never", "1"}};
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Code_Constant_Init_Game(constants));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Constant name 9lives  is not valid."), std::string::npos);
    EXPECT_EQ(Code_Constant_Count(), count + 1);
    EXPECT_EQ(Code_Constant_Find("never"), nullptr);
}

TEST_F(ConstantsTest, FreeReleasesEveryNameAndValue)
{
    Code_Constant_Free();
    const uint32_t before = MemoryManager_Counters().blocksInUse;
    Code_Constant_Init();
    Code_Constant_Add_String("text", "a string constant");
    Code_Constant_Free();
    EXPECT_EQ(Code_Constant_Count(), 0);
    EXPECT_EQ(MemoryManager_Counters().blocksInUse, before);
}

}  // namespace
}  // namespace bw
