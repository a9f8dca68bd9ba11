// The virtual machine on hand-assembled units (the forms only package code
// uses) and on code compiled from text (the faults the generator avoids).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bwl_harness.h"
#include "platform/console.h"
#include "platform/memory.h"
#include "script/bytecode_generator.h"
#include "script/code_unit.h"
#include "script/disassembler.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/verifier.h"
#include "script/vm.h"
#include "script/vm_debug.h"
#include "script/vm_operators.h"
#include "vm_assembler.h"

namespace bw::test {
namespace {

struct ExecCase {
    const char* source;
    const char* expected;  // the answer, or "error: " and a part of the message
};

// The push.v/pop operand naming user variable `name` with the selector bits.
std::string VariableRef(const char* name, uint32_t selectorBits)
{
    char ref[16];
    std::snprintf(ref, sizeof(ref), "%x", selectorBits | static_cast<uint32_t>(Code_Variable_Add(name)));
    return ref;
}

bool Verify(const std::string& source, const std::vector<const char*>& strings, VerifiedUnit* unit, std::string* error)
{
    const std::vector<uint32_t> words = Assemble(source);
    return VM_VerifyUnit(reinterpret_cast<const uint8_t*>(words.data()), words.size() * 4,
                         VMStringTable{strings.data(), strings.size()}, unit, error);
}

class VmTest : public BwlTest {
protected:
    void SetUp() override
    {
        BwlTest::SetUp();
        Code_SetUseBytecode(true);
    }

    // Verifies and runs the unit; the answer is the result as print shows
    // it, "none" when the unit returned nothing, or "error: <message>".
    std::string Exec(const std::string& source, const std::vector<const char*>& strings = {}, bool withSelf = true)
    {
        VMProgram program;
        std::string error;
        if (!Verify(source, strings, &program.unit, &error)) {
            return "rejected: " + error;
        }
        CCode code("", false);
        Code_Error_ClearPending();
        Value result;
        result.kind = 99;  // no Value has this kind: shows "none"
        if (!VM_Exec(program, code, withSelf ? self : nullptr, other, &result)) {
            return std::string("error: ") + Code_Error_PendingMessage();
        }
        if (result.kind == 99) {
            return "none";
        }
        std::string text;
        Value_ToString(text, result);
        Value_Free(result);
        return text;
    }

    void ExpectResults(std::initializer_list<ExecCase> cases, const std::vector<const char*>& strings = {})
    {
        for (const ExecCase& c : cases) {
            const std::string expected = c.expected;
            if (expected.rfind("error: ", 0) == 0) {
                ExpectError(c.source, expected.substr(7), strings);
            } else {
                EXPECT_EQ(Exec(c.source, strings), expected) << c.source;
            }
        }
    }

    // The unit fails with a message that holds part.
    void ExpectError(const std::string& source, const std::string& part, const std::vector<const char*>& strings = {})
    {
        const std::string answer = Exec(source, strings);
        EXPECT_EQ(answer.rfind("error: ", 0), 0u) << source << " -> " << answer;
        EXPECT_NE(answer.find(part), std::string::npos) << source << " -> " << answer;
    }

    static std::string Rejection(const std::string& source)
    {
        VerifiedUnit unit;
        std::string error;
        return Verify(source, {"a"}, &unit, &error) ? "accepted" : error;
    }

    // The path a unit runs on, "proven" or "checked", or its load error.
    static std::string PathOf(const std::string& source)
    {
        VerifiedUnit unit;
        std::string error;
        if (!Verify(source, {"a"}, &unit, &error)) {
            return error;
        }
        return unit.checked ? "checked" : "proven";
    }

    // The message of the run-time error the unit raises, or its answer
    // when it raises none.
    std::string RunTimeError(const std::string& source)
    {
        const std::string answer = Exec(source);
        const size_t at = answer.find("at position ");
        return at == std::string::npos ? answer : answer.substr(answer.find(": ", at) + 2);
    }

    // A script whose unit is the assembled source.
    static void AddScript(const char* name, const std::string& source, const std::vector<const char*>& strings)
    {
        auto program = std::make_unique<VMProgram>();
        std::string error;
        ASSERT_TRUE(Verify(source, strings, &program->unit, &error)) << error;
        Bwl_AddScript(name, std::make_unique<CCode>((std::string("Script.") + name).c_str(), std::move(program), 0));
    }

    // The generated code as "mnemonic operand" lines.
    static std::string Disassembly(const std::string& text, bool expression)
    {
        CCode code(text.c_str(), expression);
        Code_SetUseBytecode(false);  // the tree only; the generator runs below
        const bool compiled = code.Compile("Test.disassembly");
        Code_SetUseBytecode(true);
        if (!compiled) {
            return std::string("error: ") + Code_Error_PendingMessage();
        }
        VMGeneratedCode generated;
        std::string error;
        if (!(expression ? VM_Compile_Expression(code.root, &generated, &error)
                         : VM_Compile_Program(code.root, &generated, &error))) {
            return error;
        }
        std::vector<const char*> texts;
        for (const std::string& s : generated.strings) {
            texts.push_back(s.c_str());
        }
        std::istringstream listing(VM_DisassembleAll(generated.words, VMStringTable{texts.data(), texts.size()}));
        std::string compact;
        for (std::string line; std::getline(listing, line);) {
            std::istringstream columns(line.size() > 36 ? line.substr(36) : "");  // past address and bytes
            std::string mnemonic;
            std::string operand;
            columns >> mnemonic >> std::ws;
            std::getline(columns, operand);
            operand.erase(operand.find_last_not_of(' ') + 1);
            compact += mnemonic + (operand.empty() ? "" : " " + operand) + "\n";
        }
        return compact;
    }
};

// ---- the generator ----

TEST_F(VmTest, GeneratorEmitsTheSmallestForms)
{
    const struct {
        const char* text;
        bool expression;
        const char* listing;
    } cases[] = {
        {"5", true, "push.e 5\nconv.i.v\nret.v\n"},
        {"100000", true, "push.i 100000\nconv.i.v\nret.v\n"},
        {"3000000000", true, "push.l 3000000000\nconv.l.v\nret.v\n"},
        {"0.5", true, "push.d 0.500000\nconv.d.v\nret.v\n"},
        {"print(1)", false, "push.e 1\nconv.i.v\ncall.i print\npopz.v\n"},
        {"a = b + 1", false, "push.v $b$\npush.e 1\nadd.i.v\npop.v.v $a$\n"},
        // Division of ints is real division.
        {"a = (b | 0) / 2", false,
         "push.v $b$\nconv.v.i\npush.e 0\nor.i.i\nconv.i.d\npush.e 2\nconv.i.d\ndiv.d.d\npop.v.d $a$\n"},
        // Every converted index is checked.
        {"a[i] = 1", false, "push.e 1\npush.e -6\npush.v $i$\nconv.v.i\nbreak -1\npop.v.i $a$\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Disassembly(c.text, c.expression), c.listing) << c.text;
    }
}

TEST_F(VmTest, DivisionOfIntsIsRealDivision)
{
    EXPECT_EQ(Run("b = 7; print((b | 0) / (2 | 0))"), "3.50\n");
}

TEST_F(VmTest, ContinueInsideASwitchPopsTheSwitchValue)
{
    // Without the pop the loop's two paths meet with different stacks and
    // the verifier refuses the unit; the corpus has the single switch.
    EXPECT_EQ(Run("repeat 2 { switch 'x' { case 'x': switch 1 { case 1: continue } } print('never') } print('ok')"),
              "ok\n");
}

TEST_F(VmTest, LeavingAWithEarlyUnwindsItAndRestoresSelf)
{
    EXPECT_EQ(Run("with (all) { print(id); break } print(id, other.id)"), "100004\n100001 100003\n");
    EXPECT_EQ(Run("with (all) exit print('never')"), "");
    EXPECT_EQ(Run("with (all) with (obj_a) { x = 1; exit }"), "");
}

TEST_F(VmTest, AScriptCallWithMoreThanSixteenArgumentsIsRefused)
{
    std::string args = "0";
    for (int i = 1; i < 17; ++i) {
        args += "," + std::to_string(i);
    }
    EXPECT_NE(Run("print(" + args + ")").find("Wrong number of arguments"), std::string::npos);
}

// ---- hand-assembled units ----

TEST_F(VmTest, IntegerEdgesAreDefined)
{
    ExpectResults({
        {"push.e -1\nconv.i.v\nret.v", "-1"},  // short pushes sign-extend
        {"push.e 32767\nconv.i.v\nret.v", "32767"},
        {"push.i -2147483648\npush.e -1\nrem.i.i\nconv.i.v\nret.v", "-2147483648"},
        {"push.i -2147483648\npush.e -1\nmod.i.i\nconv.i.v\nret.v", "0"},
        {"push.i 2147483647\npush.e 1\nadd.i.i\nconv.i.v\nret.v", "-2147483648"},
        {"push.i -2147483648\npush.e 1\nsub.i.i\nconv.i.v\nret.v", "2147483647"},
        {"push.l -9223372036854775808\npush.e -1\nconv.i.l\nrem.l.l\nconv.l.s\nconv.s.v\nret.v",
         "-9223372036854775808"},
        {"push.l -9223372036854775808\npush.e -1\nconv.i.l\nmod.l.l\nconv.l.v\nret.v", "0"},
        {"push.l 9223372036854775807\npush.e 1\nconv.i.l\nadd.l.l\nconv.l.s\nconv.s.v\nret.v",
         "-9223372036854775808"},
        {"word 0xC0000000\nword 0\nword 0x7FF80000\nconv.d.i\nconv.i.v\nret.v", "-2147483648"},
        {"push.d 1e300\nconv.d.l\nconv.l.s\nconv.s.v\nret.v", "-9223372036854775808"},
        {"push.e 1\npush.e 0\nrem.i.i\nconv.i.v\nret.v", "error: "},
    });
}

TEST_F(VmTest, ConversionsFollowTheirTable)
{
    ExpectResults({{"push.e -1\nconv.i.v\nconv.v.b\nconv.b.v\nret.v", "1"},
                   {"push.d -1\nconv.d.b\nconv.b.v\nret.v", "0"},
                   {"push.d 0.5\nconv.d.b\nconv.b.v\nret.v", "0"},
                   {"push.d 0.5\nconv.d.v\nconv.v.b\nconv.b.v\nret.v", "0"},
                   {"push.s 0\nconv.s.b\nconv.b.v\nret.v", "1"},
                   {"push.s 1\nconv.s.d\nconv.d.v\nret.v", "12.50"},
                   {"push.s 2\nconv.s.i\nconv.i.v\nret.v", "0"},
                   {"push.d 2.5\nconv.d.s\nconv.s.v\nret.v", "2.5"},
                   {"push.b 1\nconv.b.s\nconv.s.v\nret.v", "true"},
                   {"push.d 2.9\nconv.d.i\nconv.i.v\nret.v", "2"},
                   {"push.d -2.9\nconv.d.i\nconv.i.v\nret.v", "-2"}},
                  {"true", "12.5", "no number"});
}

TEST_F(VmTest, ComparisonsUseTheEpsilonOnRealsOnly)
{
    ExpectResults({{"push.d 1\npush.d 1.000001\nseq.d.d\nconv.b.v\nret.v", "1"},
                   {"push.d 1\npush.d 1.0001\nseq.d.d\nconv.b.v\nret.v", "0"},
                   {"push.d 1\npush.d 1.000001\nslt.d.d\nconv.b.v\nret.v", "0"},
                   {"push.e 1\npush.e 2\nslt.i.i\nconv.b.v\nret.v", "1"},
                   {"push.s 0\npush.s 1\nslt.s.s\nconv.b.v\nret.v", "1"},
                   {"push.s 0\npush.e 1\nseq.i.s\nconv.b.v\nret.v", "error: "}},
                  {"abc", "abd"});
}

// Loops compare through a table of intervals made for the epsilon in use;
// it must answer as the comparisons written out do, at every edge.
TEST(VmCompareTest, TheIntervalFormAgreesWithThePlainComparisons)
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double saved = VM_Epsilon();
    for (const double epsilon : {0.0, 1e-05, 0.5}) {
        VM_SetEpsilon(epsilon);
        const double edges[] = {epsilon, -epsilon, 0.0, -0.0, 1.0, -1.0, kInfinity, -kInfinity,
                                std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::denorm_min()};
        for (const double edge : edges) {
            for (const double d : {edge, std::nextafter(edge, kInfinity), std::nextafter(edge, -kInfinity)}) {
                for (uint8_t opcode = kOpSlt; opcode <= kOpSgt; ++opcode) {
                    EXPECT_EQ(VM_CompareReals(opcode, d), VM_CompareWithin(opcode, d, epsilon))
                        << "opcode " << int{opcode} << " d " << d << " epsilon " << epsilon;
                }
            }
        }
    }
    VM_SetEpsilon(saved);
}

// div and mod of reals go through integer division where that is exact;
// at every edge (signs, -0, zero divisors, beyond 2^53 and 2^63, fractions,
// infinities, NaN) the result must be the real operation's, bit for bit.
TEST(VmDivisionTest, IntegerDivisionGivesWhatTheRealOperationsGive)
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double values[] = {0.0, -0.0, 1.0, -1.0, 2.0, -3.0, 7.0, -7.0, 23.0, -23.0, 0.5, -2.5, 1e-11,
                             2147483647.0, -2147483648.0, 2147483648.0, 0x1p53, 0x1p53 + 2.0, -0x1p53 - 2.0,
                             0x1p62 + 4096.0, -0x1p63 + 1024.0, 0x1p63, -0x1p63, 1e300, kInfinity, -kInfinity,
                             std::numeric_limits<double>::quiet_NaN()};
    const auto bits = [](double real) {
        uint64_t out = 0;
        std::memcpy(&out, &real, sizeof out);
        return out;
    };
    int integral = 0;
    for (const uint8_t opcode : {kOpRem, kOpMod}) {
        for (const double a : values) {
            for (const double b : values) {
                double real = 0.0;
                double viaIntegers = 0.0;
                const bool realDone = VM_DoubleArithmetic(opcode, a, b, &real);
                if (!VM_IntegerDivision(opcode, a, b, &viaIntegers)) {
                    continue;
                }
                ++integral;
                // A zero divisor is the real path's error, never taken here.
                ASSERT_TRUE(realDone) << int{opcode} << " " << a << " " << b;
                EXPECT_EQ(bits(viaIntegers), bits(real)) << int{opcode} << " " << a << " " << b;
            }
        }
    }
    EXPECT_GT(integral, 300);
    double out = 0.0;
    ASSERT_TRUE(VM_IntegerDivision(kOpMod, -14.0, 7.0, &out));
    EXPECT_TRUE(std::signbit(out));
}

TEST_F(VmTest, StringAndBoolOperations)
{
    ExpectResults({{"push.s 0\npush.s 1\nadd.s.s\nconv.s.v\nret.v", "abdef"},
                   {"push.e 3\npush.s 0\nmul.s.i\nconv.s.v\nret.v", "ababab"},
                   {"push.e 0\npush.s 0\nmul.s.i\nconv.s.v\nret.v", ""},
                   {"push.d 1\npush.d 1e-11\nmod.d.d\nconv.d.v\nret.v", "error: DoMod :: Divide by zero"},
                   {"push.b 1\npush.b 0\nor.b.b\nconv.b.v\nret.v", "1"},
                   {"push.b 1\npush.b 1\nxor.b.b\nconv.b.v\nret.v", "0"},
                   {"push.b 1\npush.b 0\nand.b.b\nconv.b.v\nret.v", "0"},
                   {"push.b 2\npush.b 256\nor.b.b\nconv.b.v\nret.v", "1"},
                   {"push.b 256\npush.b 1\nand.b.b\nconv.b.v\nret.v", "0"},
                   {"push.b 0\nnot.b\nconv.b.v\nret.v", "1"}},
                  {"ab", "def"});
}

// An int or a truth value beside an int64 computes as an int64 in every
// arithmetic handler; a real beside it as a real.
TEST_F(VmTest, AnIntOrTruthValueBesideAnInt64IsThatWholeNumber)
{
    const struct {
        const char* mnemonic;
        const char* result;  // of 4294967303 (2^32 + 7) with 2
    } handlers[] = {{"add", "4294967305"}, {"sub", "4294967301"}, {"mul", "8589934606"}, {"div", "2147483651"},
                    {"rem", "2147483651"}, {"mod", "1"},          {"and", "2"},          {"or", "4294967303"},
                    {"xor", "4294967301"}, {"shl", "17179869212"}, {"shr", "1073741825"}};
    for (const auto& handler : handlers) {
        const std::string op = handler.mnemonic;
        const std::string source = "push.l 4294967303\npush.e 2\n" + op + ".i.l\nconv.l.v\nret.v";
        EXPECT_EQ(Exec(source.c_str()), handler.result) << source;
    }
    ExpectResults({{"push.e 7\npush.l 4294967296\nsub.l.i\nconv.l.v\nret.v", "-4294967289"},
                   {"push.b 1\npush.l 4294967296\nadd.l.b\nconv.l.v\nret.v", "4294967297"},
                   {"push.l 6\npush.d 3\nadd.d.l\nconv.d.v\nret.v", "9"},
                   {"push.d 3\npush.l 6\nsub.l.d\nconv.d.v\nret.v", "-3"},
                   {"push.l 6\npush.e 3\nconv.i.v\nmul.v.l\nret.v", "18"}});
}

TEST_F(VmTest, DupCopiesBlocksOfPlainItemsAndDeepCopiesOwnedOnes)
{
    ExpectResults({{"push.e 3\npush.e 4\ndup.i 1\nadd.i.i\nadd.i.i\nadd.i.i\nconv.i.v\nret.v", "14"},
                   {"push.s 0\nconv.s.v\ndup.v 0\nadd.v.v\nret.v", "abab"},
                   {"push.s 1\ndup.s 1\nadd.s.s\nadd.s.s\nconv.s.v\nret.v", "xxx"}},
                  {"ab", "x"});
}

TEST_F(VmTest, DupOfAnArrayCopiesItWhole)
{
    // Both copies are freed: a shared array would be freed twice.
    const std::string ref = VariableRef("vm_array", 0xA0000000u);  // selector in word, no index
    Run("vm_array[2] = 5");
    EXPECT_EQ(Exec("push.v -1 " + ref + "\ndup.v 0\npopz.v\nret.v"), "{ 0,0,5 }");
}

TEST_F(VmTest, TheStackShuffleMovesTheTopBeneathTheItemsBelowIt)
{
    ExpectResults({
        // [7 8 9v] -> [9v 7 8]; 7 - 8 = -1; 9 + -1 = 8.
        {"push.e 7\npush.e 8\npush.e 9\nconv.i.v\npop.e.v 2 0\nsub.i.i\nconv.i.v\nadd.v.v\nret.v", "8"},
        // With d = s the two top items swap; m drops plain items after it.
        {"push.d 1\npush.d 4\npop.e.d 2 0\nsub.d.d\nconv.d.v\nret.v", "3"},
        {"push.e 5\npush.e 1\npush.e 2\npop.e.i 1 2\nconv.i.v\nret.v", "5"},
    });
}

TEST_F(VmTest, PopWithTheValueOnTopStoresIt)
{
    const std::string ref = VariableRef("vm_popped", 0x20000000u);  // selector in word
    EXPECT_EQ(Exec("push.e 1\npush.s 0\npop.i.s -1 " + ref + "\nexit", {"stored"}), "none");
    EXPECT_EQ(Run("print(vm_popped[1])"), "stored\n");
}

TEST_F(VmTest, TheIndexCheckBreakRefusesIndexesOutsideTheArray)
{
    ExpectResults({{"push.i 31999\nbreak.e 65535\nconv.i.v\nret.v", "31999"},
                   {"push.i 32000\nbreak.e 65535\nconv.i.v\nret.v", "error: Array index must be < 32000"},
                   {"push.e -1\nbreak.e 65535\nconv.i.v\nret.v", "error: Array index must be +'ve"},
                   {"push.e 1\nbreak.e 7\nconv.i.v\nret.v", "1"}});
}

// A write through a negative index stores nothing and is the pop's error,
// whichever scope holds the variable and whichever path runs the unit (a
// fault on a path that does not run makes it checked). Package code may
// carry no index check of its own before the pop.
TEST_F(VmTest, AWriteThroughANegativeIndexIsAnError)
{
    Run("vm_negative[0] = 7; global.vm_negative[0] = 7; obj_b.vm_negative[0] = 7");
    const std::string selfRef = VariableRef("vm_negative", 0x20000000u);   // selector in word
    const std::string instanceRef = VariableRef("vm_negative", 0x60000000u);  // and an instance id
    for (const std::string& pop : {"pop.v.i -1 " + selfRef, "pop.v.i -6 " + selfRef, "pop.v.i -5 " + selfRef,
                                   "pop.v.i -2 " + selfRef, "pop.v.i 1 " + selfRef, "pop.v.i -3 " + selfRef,
                                   "pop.v.i 3 " + instanceRef, "pop.v.i -7 " + selfRef}) {
        const std::string store = "push.e 1\npush.e -5\n" + pop + "\nexit";
        const std::string checked = "push.b 0\nbf 2\npopz.v\n" + store;
        EXPECT_EQ(PathOf(checked), "checked") << pop;
        for (const std::string& unit : {store, checked}) {
            ExpectError(unit, "Pop :: Execution Error - Variable index out of range vm_negative");
        }
    }
    EXPECT_EQ(Run("print(vm_negative, global.vm_negative, obj_b.vm_negative)"), "{ 7 } { 7 } { 7 }\n");
}

// A setter's own report names the line of the store (lines count from 0),
// not the unit's first line nor the line of the last call before it. The
// refused store is the machine's error after that.
TEST_F(VmTest, ASettersReportNamesTheLineOfTheStore)
{
    const ErrorReportHooks saved = Code_Error_Hooks();
    Code_Error_Hooks().callStack = &VM_ErrorCallStack;
    const std::string printed = Run("a = 1;\nprint();\nroom_speed = 0;\nb = 2;");
    Code_Error_Hooks() = saved;
    EXPECT_NE(printed.find("Variable set problem room_speed"), std::string::npos) << printed;
    ASSERT_NE(Code_Error_LastText(), nullptr);
    const std::string report = Code_Error_LastText();
    EXPECT_NE(report.find("Trying to set the room speed to a value <= 0."), std::string::npos) << report;
    EXPECT_NE(report.find(" at Test.program (line 2) - room_speed = 0;"), std::string::npos) << report;
}

TEST_F(VmTest, OnlyRetGivesAResult)
{
    ExpectResults({{"push.e 1\nconv.i.v\nexit", "none"},
                   {"push.e 1\nconv.i.v", "none"},
                   {"push.d 2.5\nret.d", "2.50"},
                   {"push.s 0\nret.s", "text"}},
                  {"text"});
}

TEST_F(VmTest, ANullSelfIsAnErrorNotACrash)
{
    const std::string ref = VariableRef("vm_x", 0xA0000000u);
    EXPECT_NE(Exec("push.v -1 " + ref + "\nret.v", {}, false).find("Variable Get"), std::string::npos);
}

// ---- the verifier ----

TEST_F(VmTest, TheVerifierRefusesOnlyCodeThatCannotBeDecoded)
{
    const struct {
        const char* source;
        const char* why;
    } cases[] = {
        {"push.s 3\nexit", "string operand outside the string table"},
        {"word 0xC0010000\nword 0\nexit", "push of an unsupported type"},
        {"word 0xC0000000", "Bytecode error at offset 0: operand runs past the end of the code"},
        {"push.e 1\nword 0xC0030000\nword 7", "Bytecode error at offset 4: operand runs past the end of the code"},
        // On a path that never runs too, whether or not the rest proves:
        // no run could take these bytes.
        {"popz.v\nexit\npush.s 3", "string operand outside the string table"},
        {"exit\npush.s 3", "Bytecode error at offset 4: string operand outside the string table"},
        {"exit\nword 0xC0010000\nword 0", "push of an unsupported type"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(Rejection(c.source).find(c.why), std::string::npos) << c.source << " -> " << Rejection(c.source);
    }
}

// Package code comes from a compiler that is not ours: what the proof does
// not cover runs, and a fault it holds is the run-time error of the op that
// meets it, raised only when that op runs.
TEST_F(VmTest, UnprovenUnitsRunCheckedAndFailOnlyWhereTheyFault)
{
    const ExecCase cases[] = {
        {"b 5", "none"},  // past the end: the code ends
        {"push.d 1\nb -1", "error: Branch outside the code"},
        {"popz.v", "error: Stack underflow..."},
        {"push.b 1\nbt 2\npush.e 1\nexit", "none"},
        {"push.e 1\nword 0x41560000\nword 0", "error: Pop :: Execution Error - Instruction malformed"},
        {"push.e 1\nconv.i.v\nword 0xDA050000\nword 0", "error: DoCall :: Execution Engine type error"},
        {"word 0xBC000001", "error: popenv outside a with-statement"},
        // Items are read by the type they have.
        {"push.e 1\npush.e 2\nadd.v.i\nconv.i.v\nret.v", "3"},
        {"push.d 1\npush.e 2\npop.e.i 1 0\nexit", "error: Stack item split by a byte count"},
        {"push.e 1\npush.e 2\nconv.i.v\npop.e.v 3 0", "error: Stack underflow..."},
        {"push.e 1\ndup.d 0\nexit", "error: Stack underflow..."},
        // A dup block holding a string copies it: each copy is freed once.
        {"push.s 0\ndup.i 0\nadd.s.s\nret.s", "aa"},
    };
    for (const ExecCase& c : cases) {
        EXPECT_EQ(PathOf(c.source), "checked") << c.source;
        ExpectResults({c}, {"a"});
    }
}

// Both paths meet at the conv: one left an int, the other a double.
TEST_F(VmTest, PathsThatMeetWithDifferentTypesRunWithTheItemEachLeft)
{
    const std::string join = "bt 3\npush.e 7\nb 4\npush.d 2.5\nconv.i.v\nret.v";
    EXPECT_EQ(PathOf("push.b 0\n" + join), "checked");
    EXPECT_EQ(Exec("push.b 0\n" + join), "7");
    EXPECT_EQ(Exec("push.b 1\n" + join), "2.50");
}

// Each turn leaves one more item beneath the count, so the loop's head is
// reached at a new depth every time.
TEST_F(VmTest, ALoopWhoseDepthGrowsEachTurnRuns)
{
    const std::string loop =
        "push.e 3\npush.e 10\npop.e.i 1 0\npush.e 1\nsub.i.i\ndup.i 0\nbt -5\npopz.i\nadd.i.i\nadd.i.i\n"
        "conv.i.v\nret.v";
    EXPECT_EQ(PathOf(loop), "checked");
    EXPECT_EQ(Exec(loop), "30");
}

// A selector popped with the instance-id bit has 100000 added to any int,
// on either path (the first unit is unproven for its dead underflow).
TEST_F(VmTest, APoppedSelectorNearTheIntLimitIsReadNotOverflowed)
{
    const std::string ref = VariableRef("vm_far", 0xC0000000u);
    const std::string read = "push.i 2147483647\npush.v 0 " + ref + "\nret.v";
    const std::string unproven = "push.b 0\nbf 2\npopz.v\n" + read;
    EXPECT_EQ(PathOf(read), "proven");
    EXPECT_EQ(PathOf(unproven), "checked");
    for (const std::string& code : {read, unproven}) {
        EXPECT_NE(RunTimeError(code).find("Variable Get -2147383649.vm_far"), std::string::npos) << RunTimeError(code);
    }
}

TEST_F(VmTest, FaultsOnAPathThatDoesNotRunDoNotStopTheUnit)
{
    const std::string ref = VariableRef("vm_never", 0xA0000000u);
    const struct {
        const char* tail;  // run after push.b 0 or 1
        const char* whenNotTaken;
        const char* whenTaken;
    } cases[] = {
        {"bf 2\npopz.v\npush.e 5\nconv.i.v\nret.v", "5", "Stack underflow..."},
        {"bt -100\npush.e 4\nconv.i.v\nret.v", "4", "Branch outside the code"},
        {"bf 4\npush.e 1\npop.v.f -1 REF\npush.e 6\nconv.i.v\nret.v", "6", "Pop :: Execution Engine"},
    };
    for (const auto& c : cases) {
        std::string tail = c.tail;
        if (const size_t at = tail.find("REF"); at != std::string::npos) {
            tail.replace(at, 3, ref);
        }
        EXPECT_EQ(PathOf("push.b 0\n" + tail), "checked") << tail;
        EXPECT_EQ(Exec("push.b 0\n" + tail), c.whenNotTaken) << tail;
        EXPECT_EQ(RunTimeError("push.b 1\n" + tail), c.whenTaken) << tail;
    }
}

// The int goes beneath the string and the variable holding a string (five
// words), and those five words are then dropped: both texts are freed.
TEST_F(VmTest, AStackShuffleFreesTheOwnedItemsItDrops)
{
    const std::string shuffle = "push.s 0\npush.s 0\nconv.s.v\npush.e 9\npop.e.i 5 5\nconv.i.v\nret.v";
    EXPECT_EQ(PathOf(shuffle), "checked");
    const uint32_t blocks = MemoryManager_Counters().blocksInUse;
    EXPECT_EQ(Exec(shuffle, {"owned"}), "9");
    EXPECT_EQ(MemoryManager_Counters().blocksInUse, blocks);
}

// ret.d leaves a double where the call was; the caller reads it as one.
TEST_F(VmTest, AScriptsDoubleResultIsReadAsADoubleByItsCaller)
{
    AddScript("half", "push.d 2.5\nret.d", {});
    const std::string caller = "call.i 0 100000\npush.d 1\nadd.d.d\nconv.d.v\nret.v";
    EXPECT_EQ(PathOf(caller), "checked");
    EXPECT_EQ(Exec(caller), "3.50");
}

// The machine runs scripts on its own stack only when they are proven; a
// checked one is entered through the script table.
TEST_F(VmTest, CodeCompiledFromTextCallsACheckedScript)
{
    AddScript("drop", "push.s 0\npush.e 9\npop.e.i 1 1\nconv.i.v\nret.v", {"owned"});
    CCode caller("print(drop() + 1, drop())", false);
    ASSERT_TRUE(caller.Compile("Test.caller")) << Code_Error_PendingMessage();
    Bwl_Printed().clear();
    Value result;
    EXPECT_TRUE(Code_Execute(self, other, caller, &result)) << Code_Error_PendingMessage();
    EXPECT_EQ(Bwl_Printed(), "10 9\n");
}

// The trace names a script called from the checked path too, where every
// script is entered through the script table.
TEST_F(VmTest, TraceNamesAScriptCalledFromTheCheckedPath)
{
    AddScript("half", "push.d 2.5\nret.d", {});
    static std::string traced;
    traced.clear();
    Console_SetDebugListener([](const char* line) { traced += line; });
    VM_SetTrace(true);
    const std::string answer = Exec("call.i 0 100000\npush.d 1\nadd.d.d\nconv.d.v\nret.v");
    VM_SetTrace(false);
    Console_SetDebugListener(nullptr);
    EXPECT_EQ(answer, "3.50");
    EXPECT_NE(traced.find("script call = half\n"), std::string::npos) << traced;
}

// A local and a built-in's arguments (argument 0 on top), in a unit made
// checked by a fault on a path that does not run.
TEST_F(VmTest, LocalsAndBuiltInCallsRunOnTheCheckedPath)
{
    int32_t print = -1;
    ASSERT_TRUE(Code_Function_Find("print", &print));
    const std::string local = VariableRef("vm_checked_local", 0xA0000000u);
    const std::string source = "push.b 0\nbf 2\npopz.v\npush.s 0\npop.v.s -7 " + local +
                               "\npush.e 2\nconv.i.v\npush.v -7 " + local + "\ncall.i 2 " +
                               std::to_string(print) + "\npopz.v\npush.v -7 " + local + "\nret.v";
    EXPECT_EQ(PathOf(source), "checked");
    Bwl_Printed().clear();
    EXPECT_EQ(Exec(source, {"hi"}), "hi");
    EXPECT_EQ(Bwl_Printed(), "hi 2\n");
}

// with (all) over the room's four instances, in a unit made checked by a
// fault on a path that does not run.
TEST_F(VmTest, AWithStatementRunsOnTheCheckedPath)
{
    const std::string ref = VariableRef("vm_visits", 0xA0000000u);
    const std::string with = "push.b 0\nbf 2\npopz.v\npush.e 0\npop.v.i -5 " + ref + "\npush.e -3\npushenv 7\npush.v -5 " + ref +
                             "\npush.e 1\nadd.i.v\npop.v.v -5 " + ref + "\npopenv -6\npush.v -5 " + ref +
                             "\nret.v";
    EXPECT_EQ(PathOf(with), "checked");
    EXPECT_EQ(Exec(with), "4");
    EXPECT_EQ(RunTimeError("popz.i\npush.e -5\npushenv 1\npopenv 0"), "Stack underflow...");
    EXPECT_EQ(RunTimeError("push.e -5\npushenv 1\npopenv 0\npopz.v"), "Cannot use global in with statement");
}

TEST_F(VmTest, TheVerifierAcceptsBranchesToTheEndAndUnknownOpcodes)
{
    EXPECT_EQ(Rejection("b 1"), "accepted");
    EXPECT_EQ(Rejection("word 0x01000000\nword 0x17000000"), "accepted");
    EXPECT_EQ(Rejection("break.e 0\nword 0xFFFF0000"), "accepted");
    VerifiedUnit unit;
    std::string error;
    ASSERT_TRUE(Verify("b 0", {}, &unit, &error));
    EXPECT_EQ(unit.ops[0].a, 0);  // offset zero jumps to itself
}

// The depth bound is the byte area the package's compiler planned for
// (131,072 bytes less the 1,024 kept free and the 16 above the first item),
// so narrow items go deeper than wide ones.
TEST_F(VmTest, TheVerifierBoundsTheStackByItsBytes)
{
    const auto pushes = [](const char* push, int count) {
        std::string source;
        for (int i = 0; i < count; ++i) {
            source += push;
        }
        return source;
    };
    EXPECT_EQ(Exec(pushes("push.d 2\n", 1500) + "conv.d.v\nret.v"), "2");
    EXPECT_EQ(Exec(pushes("push.i 3\n", 1100) + "conv.i.v\nret.v"), "3");
    EXPECT_EQ(PathOf(pushes("push.i 1\n", 32508)), "proven");
    EXPECT_EQ(PathOf(pushes("push.d 1\n", 16254)), "proven");
    // Deeper units run checked, and overflow when they get there.
    EXPECT_EQ(PathOf(pushes("push.i 1\n", 32509)), "checked");
    EXPECT_EQ(RunTimeError(pushes("push.i 1\n", 32509)), "Stack overflow...");
    EXPECT_EQ(RunTimeError(pushes("push.d 1\n", 16254) + "push.i 1\n"), "Stack overflow...");
    EXPECT_EQ(Exec("push.b 0\nbt 3\npush.e 1\nconv.i.v\nret.v\n" + pushes("push.d 1\n", 16255)), "1");
}

// ---- the disassembler and debugger ----

TEST_F(VmTest, TheDisassemblerShowsBytesMnemonicAndAbsoluteTarget)
{
    EXPECT_EQ(VM_DisassembleAll(Assemble("push.e 5\nb -1\nbreak.e 65535"), VMStringTable{}),
              "00000000 : 05000fc0                 push.e    5\n"
              "00000004 : ffffffb7                 b         0x00000000\n"
              "00000008 : ffff0fff                 break     -1\n");
    const std::string page(2000, 'x');
    const char* texts[] = {page.c_str()};
    EXPECT_EQ(VM_DisassembleAll(Assemble("push.s 0"), VMStringTable{texts, 1}).substr(46), "\"" + page + "\"\n")
        << "a string constant is shown whole";
}

TEST(VmDebugTest, TheBreakpointTableHoldsTwoHundredFiftyFiveAddresses)
{
    VM_Init();
    std::vector<uint32_t> code(256, 0x12345678u);
    for (int32_t i = 0; i < kBreakpointSlots; ++i) {
        EXPECT_EQ(VM_Breakpoint_Add(&code[static_cast<size_t>(i)]), i);
    }
    EXPECT_EQ(VM_Breakpoint_Add(&code[255]), kBreakpointNone);
    EXPECT_EQ(VM_Breakpoint_Add(&code[7]), 7);
    EXPECT_EQ(VM_Breakpoint_Remove(&code[255]), kBreakpointNone);
    EXPECT_EQ(VM_Breakpoint_Remove(&code[3]), 3);
    VM_Breakpoints_Insert();
    EXPECT_EQ(code[0], kWordBreakpoint);
    EXPECT_EQ(code[3], 0x12345678u);
    VM_Breakpoints_Restore();
    EXPECT_EQ(code[0], 0x12345678u);
    VM_Breakpoints_Clear();
}

bool TextUnitListed(const CCode* code)
{
    const std::vector<const CCode*> units = Code_TextUnits();
    return std::find(units.begin(), units.end(), code) != units.end();
}

TEST(VmDebugTest, CodeCompiledFromTextHasAnIdentityOfItsOwnWhileItLives)
{
    VM_Init();
    auto first = std::make_unique<CCode>("a = 1;\nb = 2;", false);
    ASSERT_TRUE(first->Compile("Text.first"));
    CCode second("c = 3;", false);
    ASSERT_TRUE(second.Compile("Text.second"));
    const uint32_t firstIdentity = Code_Identity(*first);
    const uint32_t secondIdentity = Code_Identity(second);
    for (const uint32_t identity : {firstIdentity, secondIdentity}) {
        EXPECT_GE(identity, kCodeTextIdentityFirst) << "above every code entry index";
        EXPECT_NE(identity, kCodeNoIdentity);
    }
    EXPECT_NE(firstIdentity, secondIdentity);
    EXPECT_EQ(Code_FindByIdentity(firstIdentity), first.get());
    EXPECT_TRUE(TextUnitListed(first.get()));
    EXPECT_TRUE(TextUnitListed(&second));

    // Code the machine never runs has none.
    CCode constant("2+3", true);
    ASSERT_TRUE(constant.Compile("Constant.0"));
    EXPECT_EQ(Code_Identity(constant), kCodeNoIdentity);
    Code_SetUseBytecode(false);
    CCode onTree("d = 4;", false);
    const bool treeCompiled = onTree.Compile("Tree.unit");
    Code_SetUseBytecode(true);
    ASSERT_TRUE(treeCompiled);
    EXPECT_EQ(Code_Identity(onTree), kCodeNoIdentity);

    // A breakpoint set by identity goes with its unit: the slot is free
    // again and nothing is written into the freed words.
    EXPECT_EQ(VM_Breakpoint_AddAt(firstIdentity, 0), 0);
    first.reset();
    EXPECT_EQ(Code_FindByIdentity(firstIdentity), nullptr);
    EXPECT_EQ(VM_Breakpoint_AddAt(firstIdentity, 0), kBreakpointNone);
    EXPECT_EQ(VM_Breakpoint_AddAt(secondIdentity, 0), 0);
    VM_Breakpoints_Insert();
    VM_Breakpoints_Restore();
    VM_Breakpoints_Clear();
    EXPECT_TRUE(TextUnitListed(&second));
}

TEST(VmDebugTest, AUnitInTheCodeListIsNamedByItsEntry)
{
    auto unit = std::make_unique<CCode>("a = 1;", false);
    ASSERT_TRUE(unit->Compile("Text.listed"));
    CCode* listed = unit.get();
    Code_List_Set(4, std::move(unit));
    EXPECT_EQ(Code_Identity(*listed), 4u);
    EXPECT_EQ(Code_FindByIdentity(4), listed);
    EXPECT_FALSE(TextUnitListed(listed)) << "listed once, by its entry";
    Code_List_Free();
    EXPECT_EQ(Code_FindByIdentity(4), nullptr);
}

TEST(VmDebugTest, LinesAreFoundByTheLastPairAtOrBeforeTheOffset)
{
    const std::vector<VMLinePair> lines = {{8, 0}, {20, 6}, {40, 13}};
    const char* text = "a = 1\nb = 2\r\nprint(b)";
    EXPECT_EQ(VM_OffsetToLine(lines, 4), nullptr);
    EXPECT_EQ(VM_SourceLineText(VM_OffsetToLine(lines, 4), text), "<unknown source line>");
    EXPECT_EQ(Code_PositionToLine(VM_OffsetToLine(lines, 24), text), 1);
    EXPECT_EQ(VM_SourceLineText(VM_OffsetToLine(lines, 24), text), "b = 2");
    EXPECT_EQ(VM_SourceLineText(VM_OffsetToLine(lines, 400), text), "print(b)");
}

}  // namespace
}  // namespace bw::test
