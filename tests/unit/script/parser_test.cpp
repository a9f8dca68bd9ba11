#include "script/parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/fold.h"
#include "script/function_table.h"

namespace bw {
namespace {

std::string OperatorText(int32_t code)
{
    switch (code) {
    case kSymAssign: return "=";
    case kSymAnd: return "and";
    case kSymOr: return "or";
    case kSymNot: return "not";
    case kSymLess: return "<";
    case kSymPlus: return "+";
    case kSymMinus: return "-";
    case kSymTimes: return "*";
    case kSymBitOr: return "|";
    default: return std::to_string(code);
    }
}

// A compact text of a tree: values as written, variables by name (with
// "target." and "[index]"), operators in prefix form, statements as
// [kind children...].
std::string Render(const CodeNode& node)
{
    std::string children;
    for (const CodeNode& child : node.children) {
        children += " " + Render(child);
    }
    switch (node.kind) {
    case kNodeConstant: {
        if (Value_Kind(node.value) == kValueString) {
            return "'" + std::string(Value_String(node.value) != nullptr ? Value_String(node.value) : "") + "'";
        }
        char text[32];
        std::snprintf(text, sizeof text, "%g", node.value.real);
        return text;
    }
    case kNodeVariable: {
        const CodeNode& target = node.children[0];
        const bool plain = target.kind == kNodeConstant && target.value.real == kSelectorUnspecified;
        std::string text = (plain ? "" : Render(target) + ".") + Code_Variable_Name(node.code);
        for (size_t i = 1; i < node.children.size(); ++i) {
            text += "[" + Render(node.children[i]) + "]";
        }
        return text;
    }
    case kNodeSimpleVariable:
        return std::string(Code_Variable_Name(node.code)) + "@" + std::to_string(node.selector);
    case kNodeUnary:
    case kNodeBinary:
    case kNodeAssign:
        return "(" + OperatorText(node.code) + children + ")";
    default:
        return "[" + std::to_string(node.kind) + children + "]";
    }
}

class ParserTest : public testing::Test {
protected:
    void TearDown() override { Code_Error_ResetState(); }

    static std::string Parse(const char* text, bool expression = false, bool fold = false)
    {
        CCode code(text, expression);
        CodeTokens tokens;
        ResolvedTokens resolved;
        CodeNode root;
        const bool parsed = Code_Phase1(code, tokens) && Code_Phase2(code, tokens, resolved) &&
                            (expression ? Code_Phase3_Expression(code, resolved, root)
                                        : Code_Phase3_Program(code, resolved, root)) &&
                            (!fold || Code_Phase4(code, root));
        return parsed ? Render(root) : std::string("error: ") + Code_Error_PendingMessage();
    }
};

TEST_F(ParserTest, ExpressionsBindAsTheLanguageSays)
{
    const struct {
        const char* text;
        const char* tree;
    } cases[] = {
        {"a = b = c", "[1000 (= a (= b c))]"},
        {"a = -2*3", "[1000 (= a (* (- 2) 3))]"},
        {"a = not p or q and r", "[1000 (= a (and (or (not p) q) r))]"},
        {"a = 1 + 2 < 3 | 4", "[1000 (= a (< (+ 1 2) (| 3 4)))]"},
        {"a = 1 - 2 - 3", "[1000 (= a (- (- 1 2) 3))]"},
        {"a = --b", "[1000 (= a (- (- b)))]"},
        {"a = p.q.r", "[1000 (= a p.q.r)]"},
        {"a = (p).q[1, 2]", "[1000 (= a p.q[1][2])]"},
        {"a = -p.q", "[1000 (= a (- p.q))]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.text), c.tree) << c.text;
    }
}

TEST_F(ParserTest, StatementsBuildTheirNodes)
{
    const struct {
        const char* text;
        const char* tree;
    } cases[] = {
        {"", "[-2]"},
        {"if x y = 1 else y = 2", "[1000 [13 x (= y 1) (= y 2)]]"},
        {"if (c) then { }", "[1000 [13 c [1000]]]"},
        {"while c do d = 1", "[1000 [16 c (= d 1)]]"},
        {"do d = 1 until c", "[1000 [17 (= d 1) c]]"},
        {"for (i = 0 i < 3 i += 1) s += i", "[1000 [18 (= i 0) (< i 3) (102 i 1) (102 s i)]]"},
        {"repeat 3 exit", "[1000 [20 3 [21]]]"},
        {"with (o) { break continue }", "[1000 [24 o [1000 [22] [23]]]]"},
        {"return 5", "[1000 [25 5]]"},
        {"switch (v) { case 1: default: a = 1 }", "[1000 [26 v [27 1] [28] (= a 1)]]"},
        {"var p, q; globalvar r", "[1000 [29 0 0] [30 0]]"},
        {"begin a = 1; ; ; end", "[1000 (= a 1)]"},
        {";;; a = 1", "[1000 (= a 1)]"},
        {"if (c) ; else a = 1", "[1000 [13 c [1000] (= a 1)]]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.text), c.tree) << c.text;
    }
}

TEST_F(ParserTest, ExpressionUnits)
{
    EXPECT_EQ(Parse("1 2", true), "1");
    EXPECT_EQ(Parse("", true), "0");
    EXPECT_EQ(Parse("a + 1", true), "(+ a 1)");
}

TEST_F(ParserTest, NestingBeyondTheLimitIsRefused)
{
    const auto repeated = [](const char* piece) {
        std::string text;
        for (int32_t i = 0; i < kMaxCodeNesting + 10; ++i) {
            text += piece;
        }
        return text;
    };
    for (const std::string& text : {"a = " + repeated("(") + "1", "a = 1" + repeated(" + 1"), "a = " + repeated("-") + "1",
                                    "a = b" + repeated(".b"), repeated("{")}) {
        EXPECT_NE(Parse(text.c_str()).find("Code nested too deeply."), std::string::npos) << text.substr(0, 12);
    }
    EXPECT_EQ(Parse("a = ((((1))))"), "[1000 (= a 1)]");
}

TEST_F(ParserTest, FoldingBindsLocalsAfterTheirDeclaration)
{
    // -6 before the var statement, -7 (local) after it.
    EXPECT_EQ(Parse("p = 1; var p; p = 2", false, true), "[1000 (= p@-6 1) [29 0] (= p@-7 2)]");
    EXPECT_EQ(Parse("p = (-2).q + (-1).r + (100001).s", false, true), "[1000 (= p@-6 (+ (+ q@-2 r@-1) s@100001))]");
    EXPECT_EQ(Parse("p = p[1]", false, true), "[1000 (= p@-6 p[1])]");
}

TEST_F(ParserTest, FoldingComputesConstantOperations)
{
    EXPECT_EQ(Parse("'a' + 'b'", true, true), "'ab'");
    EXPECT_EQ(Parse("2 * 'ab'", true, true), "'abab'");
    EXPECT_EQ(Parse("-(1 + 2) * 3", true, true), "-9");
    EXPECT_EQ(Parse("~0 + (1 < 2)", true, true), "0");
    EXPECT_EQ(Parse("a + 1 + 2", true, true), "(+ (+ a@-6 1) 2)");
    EXPECT_EQ(Parse("switch (v) { case 1 + 1: case v: }", false, true), "[1000 [26 v@-6 [31 2] [27 v@-6]]]");
}

}  // namespace
}  // namespace bw
