#include "script/fold.h"

#include <unordered_set>
#include <utility>

#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/operators.h"

namespace bw {

namespace {

class Folder {
public:
    explicit Folder(const CCode& code) : m_code(code) {}

    // Post-order: every child first, in order, so a var statement binds only
    // the uses that come after it.
    void Fold(CodeNode& node)
    {
        for (CodeNode& child : node.children) {
            Fold(child);
            if (Code_Error_HasPending()) {
                return;
            }
        }
        switch (node.kind) {
        case kNodeVar:
            for (const CodeNode& declared : node.children) {
                m_locals.insert(declared.code);
            }
            break;
        case kNodeVariable:
            FoldVariable(node);
            break;
        case kNodeUnary:
            FoldUnary(node);
            break;
        case kNodeBinary:
            FoldBinary(node);
            break;
        case kNodeCase:
            if (node.children[0].kind == kNodeConstant) {
                node.kind = kNodeConstantCase;
            }
            break;
        default:
            break;
        }
    }

private:
    void FoldVariable(CodeNode& node)
    {
        CodeNode& selector = node.children[0];
        if (selector.kind != kNodeConstant) {
            return;
        }
        if (Value_Kind(selector.value) == kValueReal && selector.value.real == kSelectorUnspecified &&
            m_locals.count(node.code) != 0) {
            selector.value.real = kSelectorLocal;
        }
        if (node.children.size() != 1) {
            return;
        }
        if (Value_Kind(selector.value) != kValueReal) {
            Code_Report_Error(m_code.text.c_str(), m_code.IsProgram(), selector.position,
                              "Left hand side must be a real value.");
            return;
        }
        node.kind = kNodeSimpleVariable;
        node.selector = Code_RealToInt32(selector.value.real);
    }

    void BecomeConstant(CodeNode& node, Value& value)
    {
        node.kind = kNodeConstant;
        node.children.clear();
        Value_Free(node.value);
        node.value = value;
        value = Value{};
    }

    void FoldUnary(CodeNode& node)
    {
        const CodeNode& operand = node.children[0];
        if (operand.kind != kNodeConstant) {
            return;
        }
        Value result;
        Value_Copy(result, operand.value);
        if (Code_Unary_Operator(m_code, operand.position, node.code, result)) {
            BecomeConstant(node, result);
        }
        Value_Free(result);
    }

    void FoldBinary(CodeNode& node)
    {
        const CodeNode& left = node.children[0];
        const CodeNode& right = node.children[1];
        if (left.kind != kNodeConstant || right.kind != kNodeConstant) {
            return;
        }
        Value result;
        Value_Copy(result, left.value);
        if (Code_Binary_Operator(m_code, right.position, node.code, result, right.value)) {
            BecomeConstant(node, result);
        }
        Value_Free(result);
    }

    const CCode& m_code;
    // The names declared with var so far, in tree order. A set, not a fixed
    // table: a unit may declare any number.
    std::unordered_set<int32_t> m_locals;
};

}  // namespace

bool Code_Phase4(const CCode& code, CodeNode& root)
{
    Code_Error_ClearPending();
    Folder(code).Fold(root);
    return !Code_Error_HasPending();
}

}  // namespace bw
