// The virtual machine on hand-assembled units (the forms only package code
// uses) and on code compiled from text (the faults the generator avoids).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "bwl_harness.h"
#include "platform/console.h"
#include "script/bytecode_generator.h"
#include "script/code_unit.h"
#include "script/disassembler.h"
#include "script/error_report.h"
#include "script/names.h"
#include "script/verifier.h"
#include "script/vm.h"
#include "script/vm_debug.h"
#include "script/vm_operators.h"
#include "vm_assembler.h"

namespace bw::test {
namespace {

class VmTest : public BwlTest {
protected:
    void SetUp() override
    {
        BwlTest::SetUp();
        Code_SetUseBytecode(true);
    }

    // Verifies and runs the unit; the answer is the result as print shows
    // it, "none" when the unit returned nothing, or "error: <message>".
    std::string Exec(const std::string& source, const std::vector<const char*>& strings = {},
                     CInstance* runSelf = nullptr)
    {
        const std::vector<uint32_t> words = Assemble(source);
        VMProgram program;
        std::string error;
        const VMStringTable table{strings.data(), strings.size()};
        if (!VM_VerifyUnit(reinterpret_cast<const uint8_t*>(words.data()), words.size() * 4, table,
                           &program.unit, &error)) {
            return "rejected: " + error;
        }
        CCode code("", false);
        Code_Error_ClearPending();
        Value result;
        result.kind = 99;  // no Value has this kind: shows "none"
        const bool ran = VM_Exec(program, code, runSelf != nullptr ? runSelf : self, other, &result);
        if (!ran) {
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

    static std::string Rejection(const std::string& source, const std::vector<const char*>& strings = {})
    {
        const std::vector<uint32_t> words = Assemble(source);
        VerifiedUnit unit;
        std::string error;
        const VMStringTable table{strings.data(), strings.size()};
        if (VM_VerifyUnit(reinterpret_cast<const uint8_t*>(words.data()), words.size() * 4, table, &unit, &error)) {
            return "accepted";
        }
        return error;
    }

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
        const bool made = expression ? VM_Compile_Expression(code.root, &generated, &error)
                                     : VM_Compile_Program(code.root, &generated, &error);
        if (!made) {
            return error;
        }
        std::vector<const char*> texts;
        for (const std::string& s : generated.strings) {
            texts.push_back(s.c_str());
        }
        std::string listing = VM_DisassembleAll(generated.words, VMStringTable{texts.data(), texts.size()});
        // The mnemonic and operand columns only: the bytes repeat the words.
        std::string compact;
        for (size_t start = 0; start < listing.size();) {
            const size_t end = listing.find('\n', start);
            const std::string line = listing.substr(start, end - start);
            std::string rest = line.size() > 36 ? line.substr(36) : "";
            while (!rest.empty() && rest.back() == ' ') {
                rest.pop_back();
            }
            const size_t gap = rest.find_first_of(' ');
            if (gap != std::string::npos) {
                rest = rest.substr(0, gap) + " " + rest.substr(rest.find_first_not_of(' ', gap));
            }
            compact += rest + "\n";
            start = end + 1;
        }
        return compact;
    }
};

// ---- the generator ----

TEST_F(VmTest, ConstantsPickTheSmallestPushForm)
{
    EXPECT_EQ(Disassembly("5", true), "push.e 5\nconv.i.v\nret.v\n");
    EXPECT_EQ(Disassembly("100000", true), "push.i 100000\nconv.i.v\nret.v\n");
    EXPECT_EQ(Disassembly("3000000000", true), "push.l 3000000000\nconv.l.v\nret.v\n");
    EXPECT_EQ(Disassembly("0.5", true), "push.d 0.500000\nconv.d.v\nret.v\n");
}

TEST_F(VmTest, CallsShowTheBuiltinsName)
{
    EXPECT_EQ(Disassembly("print(1)", false), "push.e 1\nconv.i.v\ncall.i print\npopz.v\n");
}

TEST_F(VmTest, AssignmentOfASumCompilesToFourInstructions)
{
    EXPECT_EQ(Disassembly("a = b + 1", false), "push.v $b$\npush.e 1\nadd.i.v\npop.v.v $a$\n");
}

TEST_F(VmTest, DivisionOfIntsIsRealDivision)
{
    EXPECT_EQ(Disassembly("a = (b | 0) / 2", false),
              "push.v $b$\nconv.v.i\npush.e 0\nor.i.i\nconv.i.d\npush.e 2\nconv.i.d\ndiv.d.d\npop.v.d $a$\n");
    EXPECT_EQ(Run("b = 7; print((b | 0) / (2 | 0))"), "3.50\n");
}

TEST_F(VmTest, EveryConvertedIndexIsChecked)
{
    EXPECT_EQ(Disassembly("a[i] = 1", false),
              "push.e 1\npush.e -6\npush.v $i$\nconv.v.i\nbreak -1\npop.v.i $a$\n");
    EXPECT_EQ(Run("a[0, 32000] = 1").find("Array index must be < 32000") != std::string::npos, true);
    EXPECT_EQ(Run("a[-1] = 1").find("Array index must be +'ve") != std::string::npos, true);
}

TEST_F(VmTest, ContinueInsideASwitchPopsTheSwitchValue)
{
    // Without the pop the loop's two paths meet with different stacks and
    // the verifier refuses the unit.
    EXPECT_EQ(Run("for (i = 0; i < 3; i += 1) switch (i) { case 1: continue; default: print(i) }\nprint('end')"),
              "0\n2\nend\n");
    EXPECT_EQ(Run("repeat 2 { switch 'x' { case 'x': switch 1 { case 1: continue } } print('never') } print('ok')"),
              "ok\n");
}

TEST_F(VmTest, BreakInsideAWithLeavesItAndRestoresSelf)
{
    EXPECT_EQ(Run("with (all) { print(id); break } print(id, other.id)"), "100004\n100001 100003\n");
}

TEST_F(VmTest, ExitAndReturnInsideAWithUnwindIt)
{
    EXPECT_EQ(Eval("1"), "1");
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

TEST_F(VmTest, RepeatTruncatesItsCountAndSkipsNonPositiveCounts)
{
    EXPECT_EQ(Run("n = 0; repeat (2.9) n += 1; repeat (0) n += 10; repeat (-3) n += 100; print(n)"), "2\n");
}

TEST_F(VmTest, DefaultBeforeAMatchingCaseWins)
{
    EXPECT_EQ(Run("switch 2 { default: print('default'); break; case 2: print('two') }"), "default\n");
}

TEST_F(VmTest, ScriptArgumentsAreRestoredAfterACall)
{
    EXPECT_EQ(Run("print(inner(5))", {{"inner", "return argument0 * 2 + argument1"}}), "10\n");
}

TEST_F(VmTest, RunawayRecursionThroughScriptsIsAnErrorNotACrash)
{
    EXPECT_NE(Run("print(r(0))", {{"r", "return r(argument0 + 1)"}}).find("Stack overflow"), std::string::npos);
}

std::string& TracedLines()
{
    static std::string lines;
    return lines;
}

TEST_F(VmTest, TraceNamesTheUnitAndEachBuiltinCall)
{
    TracedLines().clear();
    Console_SetDebugListener([](const char* line) { TracedLines() += line; });
    VM_SetTrace(true);
    Run("print(1)");
    VM_SetTrace(false);
    Console_SetDebugListener(nullptr);
    EXPECT_NE(TracedLines().find("script = Test.program\n"), std::string::npos) << TracedLines();
    EXPECT_NE(TracedLines().find("func call = print\n"), std::string::npos) << TracedLines();
}

// ---- hand-assembled units ----

TEST_F(VmTest, ShortPushesSignExtend)
{
    EXPECT_EQ(Exec("push.e -1\nconv.i.v\nret.v"), "-1");
    EXPECT_EQ(Exec("push.e 32767\nconv.i.v\nret.v"), "32767");
}

TEST_F(VmTest, IntegerEdgesAreDefined)
{
    struct Case {
        const char* source;
        const char* expected;
    } cases[] = {
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
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Exec(c.source).substr(0, std::string(c.expected).size()), c.expected) << c.source;
    }
}

TEST_F(VmTest, ConversionsFollowTheirTable)
{
    struct Case {
        const char* source;
        const char* expected;
    } cases[] = {
        {"push.e -1\nconv.i.v\nconv.v.b\nconv.b.v\nret.v", "1"},
        {"push.d -1\nconv.d.b\nconv.b.v\nret.v", "0"},
        {"push.d 0.5\nconv.d.b\nconv.b.v\nret.v", "0"},
        {"push.d 0.5\nconv.d.v\nconv.v.b\nconv.b.v\nret.v", "0"},
        {"push.s 0\nconv.s.b\nconv.b.v\nret.v", "1"},
        {"push.s 1\nconv.s.d\nconv.d.v\nret.v", "12.50"},
        {"push.s 2\nconv.s.i\nconv.i.v\nret.v", "0"},
        {"push.d 2.5\nconv.d.s\nconv.s.v\nret.v", "2.5"},
        {"push.b 1\nconv.b.s\nconv.s.v\nret.v", "true"},
        {"push.d 2.9\nconv.d.i\nconv.i.v\nret.v", "2"},
        {"push.d -2.9\nconv.d.i\nconv.i.v\nret.v", "-2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Exec(c.source, {"true", "12.5", "no number"}), c.expected) << c.source;
    }
}

TEST_F(VmTest, ComparisonsUseTheEpsilonOnRealsOnly)
{
    struct Case {
        const char* source;
        const char* expected;
    } cases[] = {
        {"push.d 1\npush.d 1.000001\nseq.d.d\nconv.b.v\nret.v", "1"},
        {"push.d 1\npush.d 1.0001\nseq.d.d\nconv.b.v\nret.v", "0"},
        {"push.d 1\npush.d 1.000001\nslt.d.d\nconv.b.v\nret.v", "0"},
        {"push.e 1\npush.e 2\nslt.i.i\nconv.b.v\nret.v", "1"},
        {"push.s 0\npush.s 1\nslt.s.s\nconv.b.v\nret.v", "1"},
        {"push.s 0\npush.e 1\nseq.i.s\nconv.b.v\nret.v", "error: "},
    };
    for (const Case& c : cases) {
        const std::string result = Exec(c.source, {"abc", "abd"});
        EXPECT_EQ(result.substr(0, std::string(c.expected).size()), c.expected) << c.source;
    }
}

TEST_F(VmTest, StringsConcatenateAndRepeat)
{
    EXPECT_EQ(Exec("push.s 0\npush.s 1\nadd.s.s\nconv.s.v\nret.v", {"abc", "def"}), "abcdef");
    EXPECT_EQ(Exec("push.e 3\npush.s 0\nmul.s.i\nconv.s.v\nret.v", {"ab"}), "ababab");
    EXPECT_EQ(Exec("push.e 0\npush.s 0\nmul.s.i\nconv.s.v\nret.v", {"ab"}), "");
    EXPECT_NE(Exec("push.d 1\npush.d 1e-11\nmod.d.d\nconv.d.v\nret.v").find("DoMod :: Divide by zero"),
              std::string::npos);
}

TEST_F(VmTest, BoolOperationsAreLogical)
{
    EXPECT_EQ(Exec("push.b 1\npush.b 0\nor.b.b\nconv.b.v\nret.v"), "1");
    EXPECT_EQ(Exec("push.b 1\npush.b 1\nxor.b.b\nconv.b.v\nret.v"), "0");
    EXPECT_EQ(Exec("push.b 0\nnot.b\nconv.b.v\nret.v"), "1");
}

TEST_F(VmTest, DupCopiesBlocksOfPlainItemsAndDeepCopiesOwnedOnes)
{
    EXPECT_EQ(Exec("push.e 3\npush.e 4\ndup.i 1\nadd.i.i\nadd.i.i\nadd.i.i\nconv.i.v\nret.v"), "14");
    EXPECT_EQ(Exec("push.s 0\nconv.s.v\ndup.v 0\nadd.v.v\nret.v", {"ab"}), "abab");
    EXPECT_EQ(Exec("push.s 0\ndup.s 1\nadd.s.s\nadd.s.s\nconv.s.v\nret.v", {"x"}), "xxx");
}

TEST_F(VmTest, DupOfAnArrayCopiesItWhole)
{
    // Both copies are freed: a shared array would be freed twice.
    const int32_t id = Code_Variable_Add("vm_array");
    char ref[16];
    std::snprintf(ref, sizeof(ref), "%x", 0xA0000000u | static_cast<uint32_t>(id));  // selector in word, no index
    Run("vm_array[2] = 5");
    EXPECT_EQ(Exec(std::string("push.v -1 ") + ref + "\ndup.v 0\npopz.v\nret.v"), "{ 0,0,5 }");
}

TEST_F(VmTest, TheStackShuffleMovesTheTopBeneathTheItemsBelowIt)
{
    // [7 8 9v] -> [9v 7 8]; 7 - 8 = -1; 9 + -1 = 8.
    EXPECT_EQ(Exec("push.e 7\npush.e 8\npush.e 9\nconv.i.v\npop.e.v 2 0\nsub.i.i\nconv.i.v\nadd.v.v\nret.v"), "8");
    // With d = s the two top items swap; m drops plain items after it.
    EXPECT_EQ(Exec("push.d 1\npush.d 4\npop.e.d 2 0\nsub.d.d\nconv.d.v\nret.v"), "3");
    EXPECT_EQ(Exec("push.e 5\npush.e 1\npush.e 2\npop.e.i 1 2\nconv.i.v\nret.v"), "5");
}

TEST_F(VmTest, PopWithTheValueOnTopStoresIt)
{
    const int32_t id = Code_Variable_Add("vm_popped");
    char ref[16];
    std::snprintf(ref, sizeof(ref), "%x", 0x20000000u | static_cast<uint32_t>(id));  // selector in word
    EXPECT_EQ(Exec(std::string("push.e 1\npush.s 0\npop.i.s -1 ") + ref + "\nexit", {"stored"}), "none");
    EXPECT_EQ(Run("print(vm_popped[1])"), "stored\n");
}

TEST_F(VmTest, TheIndexCheckBreakRefusesIndexesOutsideTheArray)
{
    EXPECT_EQ(Exec("push.i 31999\nbreak.e 65535\nconv.i.v\nret.v"), "31999");
    EXPECT_NE(Exec("push.i 32000\nbreak.e 65535\nconv.i.v\nret.v").find("Array index must be < 32000"),
              std::string::npos);
    EXPECT_NE(Exec("push.e -1\nbreak.e 65535\nconv.i.v\nret.v").find("Array index must be +'ve"),
              std::string::npos);
    EXPECT_EQ(Exec("push.e 1\nbreak.e 7\nconv.i.v\nret.v"), "1");
}

TEST_F(VmTest, OnlyRetGivesAResult)
{
    EXPECT_EQ(Exec("push.e 1\nconv.i.v\nexit"), "none");
    EXPECT_EQ(Exec("push.e 1\nconv.i.v"), "none");
    EXPECT_EQ(Exec("push.d 2.5\nret.d"), "2.50");
    EXPECT_EQ(Exec("push.s 0\nret.s", {"text"}), "text");
}

TEST_F(VmTest, ANullSelfIsAnErrorNotACrash)
{
    const int32_t id = Code_Variable_Add("vm_x");
    char ref[16];
    std::snprintf(ref, sizeof(ref), "%x", 0xA0000000u | static_cast<uint32_t>(id));
    const std::vector<uint32_t> words = Assemble(std::string("push.v -1 ") + ref + "\nret.v");
    VMProgram program;
    std::string error;
    ASSERT_TRUE(VM_VerifyUnit(reinterpret_cast<const uint8_t*>(words.data()), words.size() * 4, VMStringTable{},
                              &program.unit, &error));
    CCode code("", false);
    Value result;
    Code_Error_ClearPending();
    EXPECT_FALSE(VM_Exec(program, code, nullptr, nullptr, &result));
    EXPECT_NE(std::string(Code_Error_PendingMessage()).find("Variable Get"), std::string::npos);
}

TEST_F(VmTest, WithRunsThreeOrMoreInstancesFromTheLast)
{
    EXPECT_EQ(Run("with (all) print(id)"), "100004\n100003\n100002\n100001\n");
    EXPECT_EQ(Run("with (obj_b) print(id)"), "100003\n");
    EXPECT_EQ(Run("test_destroy(); with (obj_a) print(id)"), "100004\n100002\n");
}

// ---- the verifier ----

TEST_F(VmTest, TheVerifierRefusesMalformedUnits)
{
    struct Case {
        const char* source;
        const char* why;
    } cases[] = {
        {"b 5", "branch outside the code"},
        {"push.d 1\nb -1", "branch into an operand"},
        {"popz.v", "stack underflow"},
        {"push.e 1\nbt 2\npush.e 2\npopz.i", "expected an item of type .b"},
        {"push.b 1\nbt 2\npush.e 1\nexit", "paths meet with different stacks"},
        {"push.s 3\nexit", "string operand outside the string table"},
        {"push.e 1\ndup.d 0\nexit", "dup count splits or passes the stack"},
        {"push.s 0\ndup.i 0\nexit", "dup block holds an owned item"},
        {"word 0xC0010000\nword 0\nexit", "push of an unsupported type"},
        {"word 0xC0000000", "operand runs past the end of the code"},
        {"push.e 1\nword 0x41560000\nword 0", "Instruction malformed"},
        {"push.e 1\nconv.i.v\nword 0xDA050000\nword 0", "DoCall :: Execution Engine type error"},
        {"word 0xBC000001", "popenv without a with-statement"},
        {"push.e 1\npush.e 2\nadd.v.i\nexit", "expected an item of type .v"},
        {"push.e 1\npush.e 2\nconv.i.v\npop.e.v 3 0", "stack shuffle splits an item"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(Rejection(c.source, {"a"}).find(c.why), std::string::npos)
            << c.source << " -> " << Rejection(c.source, {"a"});
    }
}

TEST_F(VmTest, TheVerifierAcceptsBranchesToTheEndAndUnknownOpcodes)
{
    EXPECT_EQ(Rejection("b 1"), "accepted");
    EXPECT_EQ(Rejection("word 0x01000000\nword 0x17000000"), "accepted");
    EXPECT_EQ(Rejection("break.e 0\nword 0xFFFF0000"), "accepted");
}

TEST_F(VmTest, ABranchWithOffsetZeroJumpsToItself)
{
    const std::vector<uint32_t> words = Assemble("b 0");
    VerifiedUnit unit;
    std::string error;
    ASSERT_TRUE(VM_VerifyUnit(reinterpret_cast<const uint8_t*>(words.data()), 4, VMStringTable{}, &unit, &error));
    EXPECT_EQ(unit.ops[0].a, 0);
}

// ---- the disassembler ----

TEST_F(VmTest, TheDisassemblerShowsBytesMnemonicAndAbsoluteTarget)
{
    const std::vector<uint32_t> words = Assemble("push.e 5\nb -1\nbreak.e 65535");
    const std::string listing = VM_DisassembleAll(words, VMStringTable{});
    EXPECT_EQ(listing,
              "00000000 : 05000fc0                 push.e    5\n"
              "00000004 : ffffffb7                 b         0x00000000\n"
              "00000008 : ffff0fff                 break     -1\n");
}

}  // namespace
}  // namespace bw::test

namespace bw::test {
namespace {

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
