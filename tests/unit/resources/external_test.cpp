// Calls of outside library functions: where a library is found, what crosses
// the call in each direction, and what keeps a call from being made.
#include "resources/external.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game_folder.h"
#include "support/external_library.h"

namespace bw::test {
namespace {

constexpr int32_t R = kExternalReal;
constexpr int32_t S = kExternalString;

class ExternalTest : public testing::Test {
protected:
    void SetUp() override
    {
        External_Clear();
        folder.Write("game/libbwtestext.so", ExternalTestLibraryBytes());
    }
    void TearDown() override
    {
        External_SetCallsDisabled(false);
        External_Clear();
    }

    static int32_t Define(const char* function, std::vector<int32_t> kinds, int32_t result = R,
                          const char* dll = "bwtestext.dll")
    {
        return External_Define(dll, function, kExternalCdecl, static_cast<int32_t>(kinds.size()), kinds.data(), result);
    }

    static Value Call(int32_t id, const std::vector<Value>& args)
    {
        Value result;
        External_Call(id, static_cast<int32_t>(args.size()), args.data(), &result);
        return result;
    }
    static double CallReal(int32_t id, const std::vector<Value>& args = {})
    {
        Value result = Call(id, args);
        EXPECT_EQ(Value_Kind(result), kValueReal);
        const double real = result.real;
        Value_Free(result);
        return real;
    }
    static std::string CallText(int32_t id, const std::vector<Value>& args)
    {
        Value result = Call(id, args);
        EXPECT_EQ(Value_Kind(result), kValueString);
        const std::string text = Value_String(result) != nullptr ? Value_String(result) : "<none>";
        Value_Free(result);
        return text;
    }

    static Value Real(double real)
    {
        Value value;
        Value_SetReal(value, real);
        return value;
    }
    // Texts of the arguments live as long as the test: the calls only read them.
    Value Text(const char* text)
    {
        Value value{};
        value.kind = kValueString;
        value.ptr = const_cast<char*>(text);
        return value;
    }

    GameFolder folder{"external_test"};
};

TEST_F(ExternalTest, ArgumentsAndResultsCrossTheCall)
{
    EXPECT_EQ(CallReal(Define("add", {R, R}), {Real(2.5), Real(4)}), 6.5);
    std::vector<Value> sixteen;
    double expected = 0;
    for (int32_t i = 1; i <= 16; ++i) {
        sixteen.push_back(Real(i));
        expected += i * i;
    }
    EXPECT_EQ(CallReal(Define("sum16", std::vector<int32_t>(16, R)), sixteen), expected);
    const int32_t length = Define("length", {S});
    EXPECT_EQ(CallReal(length, {Text("héllo")}), 6);
    // A value without text reaches the library as an empty text, never null.
    EXPECT_EQ(CallReal(length, {Text(nullptr)}), 0);
    EXPECT_EQ(CallReal(length, {Real(3)}), 0);
    EXPECT_EQ(CallText(Define("format", {R, S}, S), {Real(1.5), Text("x")}), "x=1.5");
    EXPECT_EQ(CallText(Define("null_text", {}, S), {}), "<none>");
}

TEST_F(ExternalTest, TextResultsAreCopiedAtOnce)
{
    const int32_t concat = Define("concat", {S, S}, S);
    Value first = Call(concat, {Text("ab"), Text("cd")});
    Value second = Call(concat, {Text("x"), Text("y")});
    EXPECT_STREQ(Value_String(first), "abcd");
    EXPECT_STREQ(Value_String(second), "xy");
    Value_Free(first);
    Value_Free(second);
}

TEST_F(ExternalTest, DefinitionsOutsideTheLimitsAreRefused)
{
    EXPECT_EQ(Define("sum16", std::vector<int32_t>(17, R)), -1);
    EXPECT_EQ(External_Define("bwtestext.dll", "add", kExternalCdecl, -1, nullptr, R), -1);
    EXPECT_EQ(Define("sum16", {R, R, R, R, S}), -1);
    EXPECT_GE(Define("length", {S, S, S, S}), 0);
    EXPECT_EQ(Define("no_such_export", {}), -1);
    EXPECT_EQ(External_Count(), 1);
}

TEST_F(ExternalTest, ALibraryIsFoundUnderItsLinuxNames)
{
    struct Case {
        const char* file;  // where the library lies
        const char* name;  // what the game calls it
    };
    const Case cases[] = {
        {"game/first.so", "first.dll"},
        {"data/external_test/second.dll", "second.dll"},
        {"game/plugins/libthird.so", "plugins\\third.DLL"},
    };
    for (const Case& c : cases) {
        folder.Write(c.file, ExternalTestLibraryBytes());
        EXPECT_GE(Define("add", {R, R}, R, c.name), 0) << c.name;
    }
}

TEST_F(ExternalTest, ALibraryThatCannotLoadIsLoggedWithTheReason)
{
    folder.Write("game/windows.dll", "MZ\x90 not a library of this system");
    const HeardConsole console;
    EXPECT_EQ(Define("add", {R, R}, R, "windows.dll"), -1);
    EXPECT_NE(console.Text().find("External library windows.dll could not be loaded: "), std::string::npos)
        << console.Text();
    EXPECT_NE(console.Text().find("windows.dll"), console.Text().rfind("windows.dll")) << "the loader's reason";
    const std::string once = console.Text();
    EXPECT_EQ(Define("length", {S}, R, "windows.dll"), -1);
    EXPECT_EQ(console.Text(), once) << "one line per library";
    EXPECT_EQ(Define("add", {R, R}, R, "missing.dll"), -1);
}

TEST_F(ExternalTest, DefinitionsShareALibraryUntilItIsFreed)
{
    const int32_t first = Define("counter", {});
    const int32_t second = Define("counter", {});
    EXPECT_EQ(CallReal(first), 1);
    EXPECT_EQ(CallReal(second), 2);
    External_Free("bwtestext.dll");
    EXPECT_EQ(CallReal(first), 0);
    // Loaded anew, the library starts from scratch.
    const int32_t again = Define("counter", {});
    EXPECT_EQ(again, 2);
    EXPECT_EQ(CallReal(again), 1);
    EXPECT_EQ(CallReal(second), 0);
    External_FreeAll();
    EXPECT_EQ(CallReal(again), 0);
}

TEST_F(ExternalTest, CallsThatCannotBeMadeGiveZeroWithoutCalling)
{
    const int32_t counter = Define("counter", {});
    EXPECT_EQ(CallReal(counter, {Real(1)}), 0);  // not the defined count
    EXPECT_EQ(CallReal(-1), 0);
    EXPECT_EQ(CallReal(counter + 1), 0);
    External_SetCallsDisabled(true);
    EXPECT_EQ(CallReal(counter), 0);
    External_SetCallsDisabled(false);
    EXPECT_EQ(CallReal(counter), 1);
}

}  // namespace
}  // namespace bw::test
