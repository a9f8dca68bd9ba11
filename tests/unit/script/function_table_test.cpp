#include "script/function_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "script/resource_seams.h"

namespace bw {
namespace {

void Nothing(Value*, CInstance*, CInstance*, int32_t, Value*) {}

void AddArguments(Value* result, CInstance*, CInstance*, int32_t argc, Value* args)
{
    for (int32_t i = 0; i < argc; ++i) {
        result->real += args[i].real;
    }
}

// Fake finders standing in for the script and extension tables.
int32_t FindScript(const char* name)
{
    return std::strcmp(name, "shared") == 0 || std::strcmp(name, "scr_only") == 0 ? 7 : -1;
}

int32_t FindExtensionFunction(const char* name)
{
    return std::strcmp(name, "shared") == 0 || std::strcmp(name, "ext_or_builtin") == 0 ? 3 : -1;
}

int32_t ExtensionArgCount(int32_t id)
{
    return id == 3 ? 2 : kFunctionArgCountNone;
}

class FunctionTableTest : public testing::Test {
protected:
    void SetUp() override { Code_Function_Free(); }
    void TearDown() override
    {
        Code_Function_Free();
        Resource_SetNameFinder(ResourceKind::Script, nullptr);
        Extension_SetFunctionLookups({});
    }
};

TEST_F(FunctionTableTest, ScriptsHideExtensionsWhichHideBuiltins)
{
    Code_Function_Register("shared", Nothing, 0);
    Code_Function_Register("ext_or_builtin", Nothing, 0);
    Code_Function_Register("builtin_only", Nothing, 0);
    int32_t id = -1;
    EXPECT_TRUE(Code_Function_Find("shared", &id));  // no script or extension tables yet
    EXPECT_EQ(id, 0);
    Resource_SetNameFinder(ResourceKind::Script, FindScript);
    Extension_SetFunctionLookups({FindExtensionFunction, ExtensionArgCount});

    const struct {
        const char* name;
        bool found;
        int32_t id;
    } cases[] = {
        {"shared", true, 100007},
        {"scr_only", true, 100007},
        {"ext_or_builtin", true, 500003},
        {"builtin_only", true, 2},
        {"Builtin_Only", false, -1},  // names are case-sensitive
        {"missing", false, -1},
        {"", false, -1},
        {nullptr, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
        id = 12345;
        EXPECT_EQ(Code_Function_Find(c.name, &id), c.found);
        EXPECT_EQ(id, c.id);
    }
}

TEST_F(FunctionTableTest, FindingABuiltinPassesOverScriptsAndExtensionsOfTheSameName)
{
    Code_Function_Register("shared", AddArguments, 0);
    Code_Function_Register("twice", AddArguments, 1);
    Code_Function_Register("twice", Nothing, 2);
    Resource_SetNameFinder(ResourceKind::Script, FindScript);
    Extension_SetFunctionLookups({FindExtensionFunction, ExtensionArgCount});
    EXPECT_EQ(Code_Function_FindBuiltin("shared"), AddArguments);
    EXPECT_EQ(Code_Function_FindBuiltin("twice"), AddArguments);
    EXPECT_EQ(Code_Function_FindBuiltin("scr_only"), nullptr);
    EXPECT_EQ(Code_Function_FindBuiltin(""), nullptr);
    EXPECT_EQ(Code_Function_FindBuiltin(nullptr), nullptr);
}

TEST_F(FunctionTableTest, ArgumentCountsByIdRange)
{
    Code_Function_Register("any", Nothing, kBuiltinArgCountAny);
    Code_Function_Register("two", Nothing, 2);
    EXPECT_EQ(Code_Function_GetArgCount(500003), kFunctionArgCountNone);  // no extension table yet
    Extension_SetFunctionLookups({FindExtensionFunction, ExtensionArgCount});
    const struct {
        int32_t id;
        int32_t argc;
    } cases[] = {
        {0, -1}, {1, 2}, {2, -100}, {-3, -100}, {100000 + 5, -1}, {499999, -1}, {500003, 2}, {500004, -100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(Code_Function_GetArgCount(c.id), c.argc);
    }
}

TEST_F(FunctionTableTest, TableGrowsBy500AndKeepsEarlierEntries)
{
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(Code_Function_Register(("f" + std::to_string(i)).c_str(), Nothing, i % 5));
    }
    EXPECT_EQ(Code_Function_Capacity(), 500);
    Code_Function_Register("f500", AddArguments, 3);
    EXPECT_EQ(Code_Function_Capacity(), 1000);
    EXPECT_EQ(Code_Function_Count(), 501);

    for (int32_t index : {0, 123, 499, 500}) {
        SCOPED_TRACE(index);
        const char* name = nullptr;
        BuiltinFunctionProc fn = nullptr;
        int32_t argc = -7;
        ASSERT_TRUE(Code_Function_GetInfo(index, &name, &fn, &argc));
        EXPECT_EQ(std::string(name), "f" + std::to_string(index));
        EXPECT_EQ(fn, index == 500 ? AddArguments : Nothing);
        EXPECT_EQ(argc, index == 500 ? 3 : index % 5);
        int32_t id = -1;
        EXPECT_TRUE(Code_Function_Find(name, &id));
        EXPECT_EQ(id, index);
    }
    const char* untouched = "untouched";
    const char* name = untouched;
    BuiltinFunctionProc fn = nullptr;
    int32_t argc = -7;
    EXPECT_FALSE(Code_Function_GetInfo(501, &name, &fn, &argc));
    EXPECT_EQ(name, untouched);
    EXPECT_EQ(argc, -7);
}

TEST_F(FunctionTableTest, DuplicateNamesAreStoredAndTheFirstIsFound)
{
    Code_Function_Register("twice", Nothing, 1);
    Code_Function_Register("twice", AddArguments, 2);
    EXPECT_EQ(Code_Function_Count(), 2);
    int32_t id = -1;
    EXPECT_TRUE(Code_Function_Find("twice", &id));
    EXPECT_EQ(id, 0);
}

TEST_F(FunctionTableTest, NamesLongerThan63CharactersAreRefused)
{
    const std::string fits(63, 'a');
    const std::string tooLong = fits + "b";
    testing::internal::CaptureStdout();
    EXPECT_TRUE(Code_Function_Register(fits.c_str(), Nothing, 0));
    EXPECT_FALSE(Code_Function_Register(tooLong.c_str(), Nothing, 0));
    EXPECT_NE(testing::internal::GetCapturedStdout().find(tooLong), std::string::npos);
    EXPECT_EQ(Code_Function_Count(), 1);
    int32_t id = -1;
    EXPECT_TRUE(Code_Function_Find(fits.c_str(), &id));
    EXPECT_FALSE(Code_Function_Find(tooLong.c_str(), &id));
}

TEST_F(FunctionTableTest, CallingABuiltinResetsTheResultAndCountsTheCall)
{
    Code_Function_Register("rare", Nothing, 0);
    Code_Function_Register("add", AddArguments, -1);
    Value args[2];
    args[0].real = 2;
    args[1].real = 3;
    Value result;
    Value_SetString(result, "stale");
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Code_Function_CallBuiltin(1, &result, nullptr, nullptr, 2, args));
        EXPECT_EQ(Value_Kind(result), kValueReal);
        EXPECT_EQ(result.real, 5);
    }
    Code_Function_CallBuiltin(0, &result, nullptr, nullptr, 0, args);
    EXPECT_FALSE(Code_Function_CallBuiltin(2, &result, nullptr, nullptr, 0, args));

    testing::internal::CaptureStdout();
    Code_Function_DumpCallCounts();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "add    3\nrare    1\n");
    testing::internal::CaptureStdout();
    Code_Function_DumpCallCounts();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace bw
