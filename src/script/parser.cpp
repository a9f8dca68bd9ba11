#include "script/parser.h"

#include <utility>

#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace bw {

namespace {

inline constexpr int32_t kMaxCallArguments = 16;

// Binary operators from the loosest level to the tightest; every level is
// left-associative.
bool IsBinaryAt(int level, int32_t kind)
{
    switch (level) {
    case 0:
        return kind == kSymAnd || kind == kSymOr || kind == kSymXor;
    case 1:
        return kind == kSymLess || kind == kSymLessEqual || kind == kSymEqual || kind == kSymNotEqual ||
               kind == kSymAssign || kind == kSymGreater || kind == kSymGreaterEqual;
    case 2:
        return kind == kSymBitOr || kind == kSymBitAnd || kind == kSymBitXor;
    case 3:
        return kind == kSymShiftLeft || kind == kSymShiftRight;
    case 4:
        return kind == kSymPlus || kind == kSymMinus;
    case 5:
        return kind == kSymTimes || kind == kSymSlash || kind == kSymDiv || kind == kSymMod;
    default:
        return false;
    }
}
constexpr int kBinaryLevels = 6;

bool IsAssignmentCode(int32_t kind)
{
    return (kind >= kSymAssign && kind <= kSymDivAssign) || kind == kSymOrAssign || kind == kSymAndAssign ||
           kind == kSymXorAssign;
}

bool IsUnaryOperator(int32_t kind)
{
    return kind == kSymNot || kind == kSymPlus || kind == kSymMinus || kind == kSymBitNot;
}

// A lone ";" and "{}" leave nothing to run; they are dropped from statement
// lists so that both engines treat them alike.
bool IsEmptyStatement(const CodeNode& node)
{
    return node.kind == kNodeBlock && node.children.empty();
}

class Parser {
public:
    Parser(const CCode& code, const std::vector<ResolvedToken>& tokens) : m_code(code), m_tokens(tokens) {}

    bool ParseProgram(CodeNode& root)
    {
        Code_Node_Init(root, Tok().position);
        if (Tok().kind == kSymEnd) {
            root.kind = kNodeEmptyProgram;
            return true;
        }
        if (Tok().kind == kSymBegin) {
            if (!Statement(root)) {
                return false;
            }
            return Tok().kind == kSymEnd || Fail("Program ends before end of the code.");
        }
        root.kind = kNodeBlock;
        while (Tok().kind != kSymEnd) {
            if (!StatementInto(root)) {
                return false;
            }
        }
        return true;
    }

    bool ParseExpressionUnit(CodeNode& root)
    {
        Code_Node_Init(root, Tok().position);
        if (Tok().kind == kSymEnd) {
            root.kind = kNodeConstant;
            Value_SetReal(root.value, 0.0);
            return true;
        }
        return Expression(root);
    }

private:
    // Counts one level of nesting for as long as it lives.
    class Nesting {
    public:
        explicit Nesting(Parser& parser) : m_parser(parser) { ++m_parser.m_depth; }
        ~Nesting() { --m_parser.m_depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        bool Allowed() const { return m_parser.m_depth <= kMaxCodeNesting || m_parser.Fail("Code nested too deeply."); }

    private:
        Parser& m_parser;
    };

    const ResolvedToken& Tok(size_t offset = 0) const
    {
        static const ResolvedToken kEnd{};
        const size_t at = m_at + offset;
        if (at < m_tokens.size()) {
            return m_tokens[at];
        }
        return m_tokens.empty() ? kEnd : m_tokens.back();
    }

    bool Fail(const char* message) const
    {
        Code_Report_Error(m_code.text.c_str(), m_code.IsProgram(), Tok().position, message);
        return false;
    }

    bool Expect(int32_t kind, const char* message)
    {
        if (Tok().kind != kind) {
            return Fail(message);
        }
        ++m_at;
        return true;
    }

    void SkipOptional(int32_t kind)
    {
        if (Tok().kind == kind) {
            ++m_at;
        }
    }

    // Starts a statement node that begins with a keyword: its position is
    // the token after the keyword.
    void BeginKeywordStatement(CodeNode& node, int32_t kind)
    {
        ++m_at;
        Code_Node_Init(node, Tok().position);
        node.kind = kind;
    }

    CodeNode& AddChild(CodeNode& node)
    {
        return node.children.emplace_back();
    }

    bool StatementInto(CodeNode& list)
    {
        CodeNode statement;
        if (!Statement(statement)) {
            return false;
        }
        if (!IsEmptyStatement(statement)) {
            list.children.push_back(std::move(statement));
        }
        return true;
    }

    // Statements up to "}" / end; the end of the text first is an error.
    bool StatementsToBlockEnd(CodeNode& list)
    {
        while (Tok().kind != kSymEndBlock) {
            if (Tok().kind == kSymEnd) {
                return Fail("Symbol  } expected.");
            }
            if (!StatementInto(list)) {
                return false;
            }
        }
        ++m_at;
        return true;
    }

    bool Statement(CodeNode& node)
    {
        const Nesting nesting(*this);
        if (!nesting.Allowed() || !StatementBody(node)) {
            return false;
        }
        while (Tok().kind == kSymSemicolon) {
            ++m_at;
        }
        return true;
    }

    bool StatementBody(CodeNode& node)
    {
        switch (Tok().kind) {
        case kSymEnd:
            return Fail("Unexpected end of code reached.");
        case kResolvedFunction:
            return Call(node);
        case kSymBegin:
            BeginKeywordStatement(node, kNodeBlock);
            return StatementsToBlockEnd(node);
        case kSymIf:
            BeginKeywordStatement(node, kNodeIf);
            if (!Expression(AddChild(node))) {
                return false;
            }
            SkipOptional(kSymThen);
            if (!Statement(AddChild(node))) {
                return false;
            }
            if (Tok().kind == kSymElse) {
                ++m_at;
                return Statement(AddChild(node));
            }
            return true;
        case kSymWhile:
            BeginKeywordStatement(node, kNodeWhile);
            if (!Expression(AddChild(node))) {
                return false;
            }
            SkipOptional(kSymDo);
            return Statement(AddChild(node));
        case kSymDo:
            BeginKeywordStatement(node, kNodeDoUntil);
            return Statement(AddChild(node)) && Expect(kSymUntil, "Keyword until expected.") &&
                   Expression(AddChild(node));
        case kSymFor:
            return For(node);
        case kSymRepeat:
            BeginKeywordStatement(node, kNodeRepeat);
            return Expression(AddChild(node)) && Statement(AddChild(node));
        case kSymExit:
        case kSymBreak:
        case kSymContinue:
            BeginKeywordStatement(node, Tok().kind);
            return true;
        case kSymWith:
            BeginKeywordStatement(node, kNodeWith);
            if (!Expression(AddChild(node))) {
                return false;
            }
            SkipOptional(kSymDo);
            return Statement(AddChild(node));
        case kSymReturn:
            BeginKeywordStatement(node, kNodeReturn);
            return Expression(AddChild(node));
        case kSymSwitch:
            BeginKeywordStatement(node, kNodeSwitch);
            return Expression(AddChild(node)) && Expect(kSymBegin, "Symbol {  expected.") &&
                   StatementsToBlockEnd(node);
        case kSymCase:
            BeginKeywordStatement(node, kNodeCase);
            return Expression(AddChild(node)) && Expect(kSymColon, "Symbol : expected.");
        case kSymDefault:
            BeginKeywordStatement(node, kNodeDefault);
            return Expect(kSymColon, "Symbol : expected.");
        case kSymVar:
        case kSymGlobalVar:
            return Declaration(node);
        case kSymSemicolon:
            BeginKeywordStatement(node, kNodeBlock);
            return true;
        default:
            return Assignment(node);
        }
    }

    bool For(CodeNode& node)
    {
        BeginKeywordStatement(node, kNodeFor);
        if (!Expect(kSymOpenParen, "Symbol ( expected.") || !Statement(AddChild(node))) {
            return false;
        }
        SkipOptional(kSymSemicolon);
        if (!Expression(AddChild(node))) {
            return false;
        }
        SkipOptional(kSymSemicolon);
        return Statement(AddChild(node)) && Expect(kSymCloseParen, "Symbol ) expected.") &&
               Statement(AddChild(node));
    }

    bool Declaration(CodeNode& node)
    {
        BeginKeywordStatement(node, Tok().kind);
        while (Tok().kind == kResolvedVariable) {
            if (Tok().id < kUserVariableIdBase) {
                return Fail("Cannot redeclare a builtin variable.");
            }
            CodeNode& declared = AddChild(node);
            Code_Node_Init(declared, Tok().position);
            declared.kind = kNodeConstant;
            declared.code = Tok().id;
            ++m_at;
            SkipOptional(kSymComma);
        }
        return true;
    }

    bool Assignment(CodeNode& node)
    {
        const size_t start = m_at;
        const int32_t position = Tok().position;
        CodeNode target;
        if (!Dotted(target)) {
            return false;
        }
        if (target.kind != kNodeVariable) {
            m_at = start;
            return Fail("Variable name expected.");
        }
        if (!IsAssignmentCode(Tok().kind)) {
            return Fail("Assignment operator expected.");
        }
        Code_Node_Init(node, position);
        node.kind = kNodeAssign;
        node.code = Tok().kind;
        ++m_at;
        node.children.push_back(std::move(target));
        return Expression(AddChild(node));
    }

    bool Expression(CodeNode& node) { return Binary(0, node); }

    bool Binary(int level, CodeNode& node)
    {
        if (level == kBinaryLevels) {
            return Dotted(node);
        }
        if (!Binary(level + 1, node)) {
            return false;
        }
        // Each operator of a chain nests the tree one level deeper.
        const int32_t depthBefore = m_depth;
        bool ok = true;
        while (ok && IsBinaryAt(level, Tok().kind)) {
            ++m_depth;
            if (m_depth > kMaxCodeNesting) {
                ok = Fail("Code nested too deeply.");
                break;
            }
            CodeNode combined;
            Code_Node_Init(combined, node.position);
            combined.kind = kNodeBinary;
            combined.code = Tok().kind;
            ++m_at;
            combined.children.push_back(std::move(node));
            ok = Binary(level + 1, AddChild(combined));
            node = std::move(combined);
        }
        m_depth = depthBefore;
        return ok;
    }

    // A primary followed by ".variable" parts: a.b.c is c with selector
    // (b with selector a).
    bool Dotted(CodeNode& node)
    {
        if (!Primary(node)) {
            return false;
        }
        const int32_t depthBefore = m_depth;
        bool ok = true;
        while (ok && Tok().kind == kSymDot) {
            ++m_depth;
            ++m_at;
            if (m_depth > kMaxCodeNesting) {
                ok = Fail("Code nested too deeply.");
            } else if (Tok().kind != kResolvedVariable) {
                ok = Fail("Variable name expected.");
            } else {
                CodeNode variable;
                ok = Variable(variable);
                if (ok) {
                    variable.children[0] = std::move(node);
                    node = std::move(variable);
                }
            }
        }
        m_depth = depthBefore;
        return ok;
    }

    bool Primary(CodeNode& node)
    {
        const Nesting nesting(*this);
        if (!nesting.Allowed()) {
            return false;
        }
        const ResolvedToken& token = Tok();
        switch (token.kind) {
        case kResolvedConstant:
            Code_Node_Init(node, token.position);
            node.kind = kNodeConstant;
            Value_Copy(node.value, token.value);
            ++m_at;
            return true;
        case kResolvedFunction:
            return Call(node);
        case kResolvedVariable:
            return Variable(node);
        case kSymOpenParen:
            ++m_at;
            return Expression(node) && Expect(kSymCloseParen, "Symbol ) expected.");
        default:
            if (!IsUnaryOperator(token.kind)) {
                return Fail("Unexpected symbol in expression.");
            }
            Code_Node_Init(node, token.position);
            node.kind = kNodeUnary;
            node.code = token.kind;
            ++m_at;
            return Dotted(AddChild(node));
        }
    }

    // A variable token with up to two indexes; its selector child is the
    // plain-name selector until a dot or folding says otherwise.
    bool Variable(CodeNode& node)
    {
        Code_Node_Init(node, Tok().position);
        node.kind = kNodeVariable;
        node.code = Tok().id;
        CodeNode& selector = AddChild(node);
        Code_Node_Init(selector, node.position);
        selector.kind = kNodeConstant;
        Value_SetReal(selector.value, kSelectorUnspecified);
        ++m_at;
        if (Tok().kind != kSymOpenBracket) {
            return true;
        }
        ++m_at;
        if (!Expression(AddChild(node))) {
            return false;
        }
        if (Tok().kind == kSymComma) {
            ++m_at;
            if (!Expression(AddChild(node))) {
                return false;
            }
            if (Tok().kind == kSymComma) {
                return Fail("Only 1- and 2-dimensional arrays are supported.");
            }
            return Expect(kSymCloseBracket, "Symbol ] expected.");
        }
        return Expect(kSymCloseBracket, "Symbol , or ] expected.");
    }

    bool Call(CodeNode& node)
    {
        if (Tok().kind != kResolvedFunction) {
            return Fail("Function name expected.");
        }
        Code_Node_Init(node, Tok().position);
        node.kind = kNodeCall;
        node.code = Tok().id;
        ++m_at;
        if (!Expect(kSymOpenParen, "Symbol ( expected.")) {
            return false;
        }
        while (Tok().kind != kSymCloseParen) {
            if (Tok().kind == kSymEnd) {
                return Fail("Symbol ) expected.");
            }
            if (!Expression(AddChild(node))) {
                return false;
            }
            if (Tok().kind == kSymComma) {
                ++m_at;
            } else if (Tok().kind == kSymEnd) {
                return Fail("Symbol ) expected.");
            } else if (Tok().kind != kSymCloseParen) {
                return Fail("Symbol , or ) expected.");
            }
        }
        const auto given = static_cast<int64_t>(node.children.size());
        const int32_t wanted = Code_Function_GetArgCount(node.code);
        if (given > kMaxCallArguments || (wanted >= 0 && wanted != given)) {
            return Fail("Wrong number of arguments to function or script.");
        }
        ++m_at;
        return true;
    }

    const CCode& m_code;
    const std::vector<ResolvedToken>& m_tokens;
    size_t m_at = 0;
    int32_t m_depth = 0;
};

}  // namespace

bool Code_Phase3_Program(const CCode& code, const ResolvedTokens& tokens, CodeNode& root)
{
    Code_Error_ClearPending();
    return Parser(code, tokens.items).ParseProgram(root);
}

bool Code_Phase3_Expression(const CCode& code, const ResolvedTokens& tokens, CodeNode& root)
{
    Code_Error_ClearPending();
    return Parser(code, tokens.items).ParseExpressionUnit(root);
}

}  // namespace bw
