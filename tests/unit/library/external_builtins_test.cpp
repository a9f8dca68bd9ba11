// The external_* built-ins: what they refuse, with which message, and calls
// through each of their forms into the test library.
#include "library/external_builtins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/misc_builtins.h"
#include "resources/external.h"
#include "support/external_library.h"
#include "unit/library/library_test_support.h"
#include "unit/resources/game_folder.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::LastError;
using test::ScriptValue;

class ExternalBuiltinsTest : public test::LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("external_define", &id)) {
            Function_Misc_Register(false);
        }
        External_Clear();
        folder.Write("game/libbwtestext.so", test::ExternalTestLibraryBytes());
    }
    void TearDown() override
    {
        External_Clear();
        LibraryTest::TearDown();
    }

    test::GameFolder folder{"external_builtins_test"};
};

TEST_F(ExternalBuiltinsTest, MisusedDefinitionsAreReportedInOrder)
{
    struct Case {
        std::vector<ScriptValue> args;
        const char* message;
    };
    const Case cases[] = {
        {{"bwtestext.dll", "add", 0.0, 0.0}, "Wrong number of arguments to external_define()"},
        {{"bwtestext.dll", "add", 0.0, 0.0, 2.0, 0.0}, "Wrong number of arguments to external_define()"},
        {{"bwtestext.dll", "sum16", 0.0, 0.0, 17.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0,
          0.0, 0.0, 0.0, 0.0},
         "DLL functions can have at most 16 arguments"},
        {{"x.dll", "f", 0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 0.0, 1.0},
         "DLL functions with more than 4 arguments cannot have string arguments"},
        {{"bwtestext.dll", "no_such_export", 0.0, 0.0, 0.0}, "Error defining an external function."},
    };
    for (const Case& c : cases) {
        Code_Error_ResetState();
        const ScriptValue result = CallBuiltin("external_define", c.args);
        EXPECT_NE(LastError().find(c.message), std::string::npos) << c.message << "\n" << LastError();
        EXPECT_LE(result.Real(), 0) << c.message;
    }
    Code_Error_ResetState();
    EXPECT_EQ(CallBuiltin("external_define3", {"absent.dll", "add", 0.0, 0.0, 0.0, 0.0}).Real(), -1);
    EXPECT_NE(LastError().find("Error defining an external function."), std::string::npos);
}

TEST_F(ExternalBuiltinsTest, DefinedFunctionsAreCalledThroughEveryForm)
{
    const double add = CallBuiltin("external_define", {"bwtestext.dll", "add", 1.0, 0.0, 2.0, 0.0, 0.0}).Real();
    EXPECT_EQ(CallBuiltin("external_call", {add, 1.5, 2.0}).Real(), 3.5);
    EXPECT_EQ(CallBuiltin("external_call2", {add, 1.0, 2.0}).Real(), 3);
    EXPECT_EQ(CallBuiltin("external_call1", {add, 1.0}).Real(), 0) << "not the defined count";

    const double concat = CallBuiltin("external_define2", {"bwtestext.dll", "concat", 1.0, 1.0, 1.0}).Real();
    const ScriptValue joined = CallBuiltin("external_call2", {concat, "ab", "cd"});
    EXPECT_TRUE(joined.IsString());
    EXPECT_EQ(joined.Text(), "abcd");

    const double format = CallBuiltin("external_define2", {"bwtestext.dll", "format", 0.0, 1.0, 1.0}).Real();
    EXPECT_EQ(CallBuiltin("external_call", {format, 2.0, "n"}).Text(), "n=2");

    const double length = CallBuiltin("external_define1", {"bwtestext.dll", "length", 1.0, 0.0}).Real();
    EXPECT_EQ(CallBuiltin("external_call1", {length, "four"}).Real(), 4);

    const double sum = CallBuiltin("external_define8", {"bwtestext.dll", "sum16", 0.0}).Real();
    EXPECT_EQ(sum, 4) << "ids follow the definitions";
    EXPECT_EQ(CallBuiltin("external_call", {sum, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}).Real(), 0)
        << "external_define8 defines eight arguments";

    const double counter = CallBuiltin("external_define0", {"bwtestext.dll", "counter", 0.0}).Real();
    EXPECT_EQ(CallBuiltin("external_call0", {counter}).Real(), 1);
    CallBuiltin("external_free", {"bwtestext.dll"});
    EXPECT_EQ(CallBuiltin("external_call0", {counter}).Real(), 0);
    EXPECT_EQ(CallBuiltin("external_call2", {add, 1.0, 2.0}).Real(), 0);
}

}  // namespace
}  // namespace bw
