#include "script/bytecode_generator.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "script/function_table.h"
#include "script/lexer.h"
#include "script/world_access.h"

namespace bw {

namespace {

constexpr size_t kTypeStackCapacity = 1024;

struct Label {
    int32_t offset = -1;
    std::vector<size_t> patches;  // word indexes of forward branches
    int32_t uses = 0;
};

bool IsWhole(double real)
{
    return std::isfinite(real) && real == std::trunc(real);
}

bool IsComparisonOpcode(uint8_t opcode)
{
    return opcode >= kOpSlt && opcode <= kOpSgt;
}

// The construct that break and continue leave: its labels, and how many
// switch values lay on the stack when it began (continue pops the ones
// opened since, so a loop never sees a switch value left behind).
struct JumpTarget {
    Label* label = nullptr;
    size_t switchValues = 0;
};

class VMCompileContext {
public:
    explicit VMCompileContext(VMGeneratedCode* out) : out_(out) {}

    bool Program(const CodeNode& root)
    {
        if (root.kind != kNodeEmptyProgram) {
            Statement(root);
        }
        return Finish();
    }

    bool Expression(const CodeNode& root)
    {
        Expr(root);
        ConvertTo(kTypeVariable);
        EmitWord(kWordRetVariable);
        PopType();
        return Finish();
    }

    std::string error;
    int32_t overflowPosition = 0;

private:
    bool Finish()
    {
        if (overflow_) {
            error = "Expression too complex to compile.";
            return false;
        }
        return true;
    }

    int32_t Here() const { return static_cast<int32_t>(out_->words.size() * 4); }

    void EmitWord(uint32_t word) { out_->words.push_back(word); }

    void PushType(VMDataType type)
    {
        if (types_.size() >= kTypeStackCapacity) {
            overflow_ = true;
            return;
        }
        types_.push_back(type);
    }
    VMDataType PopType()
    {
        if (types_.empty()) {
            return kTypeNone;
        }
        const VMDataType type = types_.back();
        types_.pop_back();
        return type;
    }
    VMDataType TopType() const { return types_.empty() ? kTypeNone : types_.back(); }

    void ConvertTo(VMDataType to)
    {
        const VMDataType from = TopType();
        if (from == to) {
            return;
        }
        EmitWord(VM_Word2(kOpConv, from, to));
        PopType();
        PushType(to);
    }

    void PushInt(int32_t value)
    {
        if (value >= -32768 && value <= 32767) {
            EmitWord(VM_Word1(kOpPush, kTypeNone, static_cast<uint16_t>(value & 0xFFFF)) | 0x40000000u);
        } else {
            EmitWord(VM_Word1(kOpPush, kTypeInt) | 0x40000000u);
            EmitWord(static_cast<uint32_t>(value));
        }
        PushType(kTypeInt);
    }

    void EmitBranch(uint8_t opcode, Label& label)
    {
        if (label.offset >= 0) {
            EmitWord(VM_BranchWord(opcode, (label.offset - Here()) / 4));
        } else {
            label.patches.push_back(out_->words.size());
            EmitWord(VM_BranchWord(opcode, 0));
        }
    }

    void Define(Label& label)
    {
        label.offset = Here();
        for (size_t at : label.patches) {
            const int32_t offset = (label.offset - static_cast<int32_t>(at * 4)) / 4;
            out_->words[at] = (out_->words[at] & 0xFF000000u) | (static_cast<uint32_t>(offset) & 0xFFFFFFu);
        }
        label.patches.clear();
    }

    // bt / bf pop their bool.
    void Branch(uint8_t opcode, Label& label)
    {
        if (opcode != kOpB) {
            PopType();
        }
        EmitBranch(opcode, label);
    }

    // ---- expressions ----

    // A whole number is pushed as an int when it fits 32 bits, unless
    // asInt64 asks for the wider push (one instruction either way).
    void Constant(const Value& value, bool asInt64 = false)
    {
        if (Value_Kind(value) == kValueString) {
            EmitWord(VM_Word1(kOpPush, kTypeString) | 0x40000000u);
            EmitWord(static_cast<uint32_t>(out_->strings.size()));
            const char* text = Value_String(value);
            out_->strings.emplace_back(text != nullptr ? text : "");
            PushType(kTypeString);
            return;
        }
        const double real = value.real;
        if (!asInt64 && IsWhole(real) && real >= -2147483648.0 && real <= 2147483647.0) {
            PushInt(static_cast<int32_t>(real));
            return;
        }
        uint64_t bits = 0;
        VMDataType type = kTypeDouble;
        if (IsWhole(real) && real >= -9223372036854775808.0 && real < 9223372036854775808.0) {
            const auto whole = static_cast<int64_t>(real);
            std::memcpy(&bits, &whole, sizeof(bits));
            type = kTypeInt64;
        } else {
            std::memcpy(&bits, &real, sizeof(bits));
        }
        EmitWord(VM_Word1(kOpPush, type) | 0x40000000u);
        EmitWord(static_cast<uint32_t>(bits));
        EmitWord(static_cast<uint32_t>(bits >> 32));
        PushType(type);
    }

    void Call(const CodeNode& node)
    {
        for (size_t i = node.children.size(); i-- > 0;) {
            Expr(node.children[i]);
            ConvertTo(kTypeVariable);
        }
        const auto argc = static_cast<uint16_t>(node.children.size() & 0xFFFF);
        EmitWord(VM_Word1(kOpCall, kTypeInt, argc) | 0x40000000u);
        EmitWord(static_cast<uint32_t>(node.code));
        for (size_t i = 0; i < node.children.size(); ++i) {
            PopType();
        }
        PushType(kTypeVariable);
    }

    // An index converted to int and checked, so that a[-1] or a[0,32000]
    // is an error rather than another cell.
    void Index(const CodeNode& node)
    {
        Expr(node);
        ConvertTo(kTypeInt);
        EmitWord(kWordIndexCheck);
    }

    // Emits the code that leaves the selector and index of a variable on the
    // stack and returns the reference operand that reads them.
    uint32_t VariableTarget(const CodeNode& node, int16_t* immediate)
    {
        uint32_t ref = static_cast<uint32_t>(node.code) & kVarRefIdMask;
        *immediate = 0;
        if (node.kind == kNodeSimpleVariable) {
            const int32_t selector = node.selector;
            if (selector >= -32768 && selector <= 32767) {
                *immediate = static_cast<int16_t>(selector);
                return ref | kVarRefSelectorInWord | kVarRefNoIndex;
            }
            if (selector >= kInstanceIdBase && selector - kInstanceIdBase <= 32767) {
                *immediate = static_cast<int16_t>(selector - kInstanceIdBase);
                return ref | kVarRefSelectorInWord | kVarRefInstanceId | kVarRefNoIndex;
            }
            PushInt(selector);  // beyond the word's 16 bits: from the stack
            return ref | kVarRefNoIndex;
        }
        Expr(node.children[0]);
        ConvertTo(kTypeInt);
        if (node.children.size() < 2) {
            return ref | kVarRefNoIndex;
        }
        Index(node.children[1]);
        if (node.children.size() > 2) {
            PushInt(kArrayIndexLimit);
            EmitArithmetic(kOpMul);
            Index(node.children[2]);
            EmitArithmetic(kOpAdd);
        }
        return ref;
    }

    void PopTargetTypes(uint32_t ref)
    {
        if ((ref & kVarRefNoIndex) == 0) {
            PopType();
        }
        if ((ref & kVarRefSelectorInWord) == 0) {
            PopType();
        }
    }

    void PushVariable(const CodeNode& node)
    {
        int16_t immediate = 0;
        const uint32_t ref = VariableTarget(node, &immediate);
        PopTargetTypes(ref);
        EmitWord(VM_Word1(kOpPush, kTypeVariable, static_cast<uint16_t>(immediate)) | 0x40000000u);
        EmitWord(ref);
        PushType(kTypeVariable);
    }

    void PopVariable(const CodeNode& target)
    {
        const VMDataType valueType = TopType();
        int16_t immediate = 0;
        const uint32_t ref = VariableTarget(target, &immediate);
        PopTargetTypes(ref);
        EmitWord(VM_Word2(kOpPop, kTypeVariable, valueType) | static_cast<uint16_t>(immediate) | 0x40000000u);
        EmitWord(ref);
        PopType();
    }

    void EmitArithmetic(uint8_t opcode)
    {
        const VMDataType right = PopType();
        const VMDataType left = PopType();
        EmitWord(VM_Word2(opcode, right, left));
        PushType(VM_BinaryResultType(opcode, right, left));
    }

    void Unary(const CodeNode& node)
    {
        Expr(node.children[0]);
        switch (node.code) {
        case kSymNot:
            ConvertTo(kTypeBool);
            EmitWord(VM_Word1(kOpNot, kTypeBool));
            break;
        case kSymMinus:
            if (IsWholeNumber(TopType())) {
                ConvertTo(kTypeInt64);  // -(-2147483648) is a whole number too
            }
            EmitWord(VM_Word1(kOpNeg, TopType()));
            break;
        case kSymBitNot:
            // On 32 bits, as the other bitwise operators: a whole-number sum
            // is an int64 by now.
            ConvertTo(kTypeInt);
            EmitWord(VM_Word1(kOpNot, kTypeInt));
            break;
        default:
            break;  // unary plus
        }
    }

    // Whole numbers (constants, comparisons, bitwise results) add, subtract
    // and multiply as 64-bit integers, so that no sum an author writes wraps
    // at 32 bits. The left operand widens before the right one is known; a
    // right one widens beside a wide left. A whole constant is pushed wide
    // at once, so `360 - direction` costs no more than before.
    static bool WidensWholeNumbers(int32_t op)
    {
        return op == kSymPlus || op == kSymMinus || op == kSymTimes;
    }

    static bool IsWholeNumber(VMDataType type)
    {
        return type == kTypeInt || type == kTypeBool || type == kTypeInt64;
    }

    static bool IsWholeConstant(const CodeNode& node)
    {
        return node.kind == kNodeConstant && Value_Kind(node.value) == kValueReal && IsWhole(node.value.real);
    }

    void Operand(const CodeNode& node, bool widen)
    {
        if (widen && IsWholeConstant(node)) {
            Constant(node.value, true);
        } else {
            Expr(node);
        }
        if (widen && IsWholeNumber(TopType())) {
            ConvertTo(kTypeInt64);
        }
    }

    // The operand conversion of a binary operator, applied to the top.
    void ConvertOperand(int32_t op)
    {
        const VMDataType type = TopType();
        switch (op) {
        case kSymAnd:
        case kSymOr:
        case kSymXor:
            ConvertTo(kTypeBool);
            break;
        case kSymSlash:
            // Division is real division: two ints must not divide as ints.
            if (IsWholeNumber(type)) {
                ConvertTo(kTypeDouble);
            }
            break;
        case kSymPlus:
        case kSymMinus:
        case kSymTimes:
        case kSymDiv:
        case kSymMod:
            if (type == kTypeBool) {
                ConvertTo(kTypeInt);
            }
            break;
        case kSymBitOr:
        case kSymBitAnd:
        case kSymBitXor:
        case kSymShiftLeft:
        case kSymShiftRight:
            ConvertTo(kTypeInt);
            break;
        default:
            break;  // comparisons take their operands as they are
        }
    }

    static uint8_t BinaryOpcode(int32_t op)
    {
        switch (op) {
        case kSymAnd: return kOpAnd;
        case kSymOr: return kOpOr;
        case kSymXor: return kOpXor;
        case kSymPlus: return kOpAdd;
        case kSymMinus: return kOpSub;
        case kSymTimes: return kOpMul;
        case kSymSlash: return kOpDiv;
        case kSymDiv: return kOpRem;
        case kSymMod: return kOpMod;
        case kSymBitOr: return kOpOr;
        case kSymBitAnd: return kOpAnd;
        case kSymBitXor: return kOpXor;
        case kSymShiftLeft: return kOpShl;
        case kSymShiftRight: return kOpShr;
        case kSymLess: return kOpSlt;
        case kSymLessEqual: return kOpSle;
        case kSymNotEqual: return kOpSne;
        case kSymGreaterEqual: return kOpSge;
        case kSymGreater: return kOpSgt;
        default: return kOpSeq;  // = and ==
        }
    }

    void Binary(const CodeNode& node)
    {
        const bool widen = WidensWholeNumbers(node.code);
        Operand(node.children[0], widen);
        ConvertOperand(node.code);
        Operand(node.children[1], widen && TopType() == kTypeInt64);
        ConvertOperand(node.code);
        EmitArithmetic(BinaryOpcode(node.code));
    }

    void Expr(const CodeNode& node)
    {
        const bool fitted = !overflow_;
        switch (node.kind) {
        case kNodeConstant: Constant(node.value); break;
        case kNodeCall: Call(node); break;
        case kNodeVariable:
        case kNodeSimpleVariable: PushVariable(node); break;
        case kNodeUnary: Unary(node); break;
        case kNodeBinary: Binary(node); break;
        default: PushInt(0); break;  // the parser builds no other expression
        }
        // The innermost expression that ran out of room is the one an
        // author must make flatter.
        if (fitted && overflow_ && !overflowPlaced_) {
            overflowPosition = node.position;
            overflowPlaced_ = true;
        }
    }

    // ---- statements ----

    void Condition(const CodeNode& node)
    {
        Expr(node);
        ConvertTo(kTypeBool);
    }

    void Assignment(const CodeNode& node)
    {
        const CodeNode& target = node.children[0];
        if (node.code == kSymAssign) {
            Expr(node.children[1]);
            PopVariable(target);
            return;
        }
        PushVariable(target);
        Expr(node.children[1]);
        uint8_t opcode = kOpAdd;
        switch (node.code) {
        case kSymAddAssign: opcode = kOpAdd; break;
        case kSymSubAssign: opcode = kOpSub; break;
        case kSymMulAssign: opcode = kOpMul; break;
        case kSymDivAssign: opcode = kOpDiv; break;
        case kSymOrAssign: opcode = kOpOr; break;
        case kSymAndAssign: opcode = kOpAnd; break;
        default: opcode = kOpXor; break;
        }
        if (opcode == kOpOr || opcode == kOpAnd || opcode == kOpXor) {
            if (TopType() != kTypeInt && TopType() != kTypeInt64) {
                ConvertTo(kTypeInt);
            }
        } else if (TopType() == kTypeBool) {
            ConvertTo(kTypeInt);
        }
        EmitArithmetic(opcode);
        ConvertTo(kTypeVariable);
        PopVariable(target);
    }

    // Runs body with the loop's continue and break targets open.
    template <typename Body>
    void WithTargets(Label* continueLabel, Label* breakLabel, Body body)
    {
        const JumpTarget savedContinue = continue_;
        const JumpTarget savedBreak = break_;
        if (continueLabel != nullptr) {
            continue_ = {continueLabel, switchTypes_.size()};
        }
        break_ = {breakLabel, switchTypes_.size()};
        body();
        continue_ = savedContinue;
        break_ = savedBreak;
    }

    void If(const CodeNode& node)
    {
        Label elseLabel;
        Label end;
        Condition(node.children[0]);
        Branch(kOpBf, elseLabel);
        Statement(node.children[1]);
        if (node.children.size() > 2) {
            Branch(kOpB, end);
            Define(elseLabel);
            Statement(node.children[2]);
        } else {
            Define(elseLabel);
        }
        Define(end);
    }

    void While(const CodeNode& node)
    {
        Label repeat;
        Label end;
        Define(repeat);
        Condition(node.children[0]);
        Branch(kOpBf, end);
        WithTargets(&repeat, &end, [&] { Statement(node.children[1]); });
        Branch(kOpB, repeat);
        Define(end);
    }

    void DoUntil(const CodeNode& node)
    {
        Label start;
        Label repeat;
        Label end;
        Define(start);
        WithTargets(&repeat, &end, [&] { Statement(node.children[0]); });
        Define(repeat);
        Condition(node.children[1]);
        Branch(kOpBf, start);
        Define(end);
    }

    void For(const CodeNode& node)
    {
        Label start;
        Label repeat;
        Label end;
        Statement(node.children[0]);
        Define(start);
        Condition(node.children[1]);
        Branch(kOpBf, end);
        WithTargets(&repeat, &end, [&] { Statement(node.children[3]); });
        Define(repeat);
        Statement(node.children[2]);
        Branch(kOpB, start);
        Define(end);
    }

    void Repeat(const CodeNode& node)
    {
        Label start;
        Label repeat;
        Label end;
        Expr(node.children[0]);
        ConvertTo(kTypeInt);
        EmitWord(VM_Word1(kOpDup, kTypeInt));
        PushType(kTypeInt);
        PushInt(0);
        EmitArithmetic(kOpSle);
        Branch(kOpBt, end);
        Define(start);
        WithTargets(&repeat, &end, [&] { Statement(node.children[1]); });
        Define(repeat);
        PushInt(1);
        EmitArithmetic(kOpSub);
        EmitWord(VM_Word1(kOpDup, kTypeInt));
        PushType(kTypeInt);
        ConvertTo(kTypeBool);
        Branch(kOpBt, start);
        Define(end);
        EmitWord(VM_Word1(kOpPopz, kTypeInt));
        PopType();
    }

    void With(const CodeNode& node)
    {
        Label start;
        Label popEnv;
        Label end;
        Label cleanUp;
        Expr(node.children[0]);
        ConvertTo(kTypeInt);
        PopType();
        EmitBranch(kOpPushEnv, popEnv);
        Define(start);
        WithTargets(&popEnv, &end, [&] { Statement(node.children[1]); });
        Define(popEnv);
        EmitBranch(kOpPopEnv, start);
        if (end.uses > 0) {
            EmitBranch(kOpB, cleanUp);
            Define(end);
            EmitWord(kWordPopEnvExit);
            Define(cleanUp);
        } else {
            Define(end);
        }
    }

    static bool IsCaseLabel(const CodeNode& node)
    {
        return node.kind == kNodeCase || node.kind == kNodeConstantCase;
    }

    void Switch(const CodeNode& node)
    {
        Expr(node.children[0]);
        const VMDataType valueType = TopType();
        Label end;
        std::vector<std::unique_ptr<Label>> labels;
        for (size_t i = 1; i < node.children.size(); ++i) {
            const CodeNode& child = node.children[i];
            if (IsCaseLabel(child)) {
                EmitWord(VM_Word1(kOpDup, valueType));
                PushType(valueType);
                Expr(child.children[0]);
                EmitArithmetic(kOpSeq);
                labels.push_back(std::make_unique<Label>());
                Branch(kOpBt, *labels.back());
            } else if (child.kind == kNodeDefault) {
                labels.push_back(std::make_unique<Label>());
                Branch(kOpB, *labels.back());
            }
        }
        Branch(kOpB, end);
        switchTypes_.push_back(valueType);
        size_t next = 0;
        WithTargets(nullptr, &end, [&] {
            for (size_t i = 1; i < node.children.size(); ++i) {
                const CodeNode& child = node.children[i];
                if (IsCaseLabel(child) || child.kind == kNodeDefault) {
                    continue;
                }
                for (; next < labels.size(); ++next) {
                    // Labels met since the previous statement land here.
                    if (!LabelBefore(node, i, next)) {
                        break;
                    }
                    Define(*labels[next]);
                }
                Statement(child);
            }
        });
        switchTypes_.pop_back();
        for (; next < labels.size(); ++next) {
            Define(*labels[next]);
        }
        Define(end);
        EmitWord(VM_Word1(kOpPopz, valueType));
        PopType();
    }

    // Whether the label-th case or default of the switch comes before child i.
    static bool LabelBefore(const CodeNode& node, size_t child, size_t label)
    {
        size_t seen = 0;
        for (size_t i = 1; i < child; ++i) {
            const CodeNode& c = node.children[i];
            if (IsCaseLabel(c) || c.kind == kNodeDefault) {
                if (seen == label) {
                    return true;
                }
                ++seen;
            }
        }
        return false;
    }

    void Break()
    {
        if (break_.label == nullptr) {
            return;
        }
        ++break_.label->uses;
        EmitBranch(kOpB, *break_.label);
    }

    void Continue()
    {
        if (continue_.label == nullptr) {
            return;
        }
        for (size_t i = switchTypes_.size(); i > continue_.switchValues; --i) {
            EmitWord(VM_Word1(kOpPopz, switchTypes_[i - 1]));
        }
        EmitBranch(kOpB, *continue_.label);
    }

    void Statement(const CodeNode& node)
    {
        if (out_->lines.empty() || out_->lines.back().position != node.position) {
            out_->lines.push_back({Here(), node.position});
        }
        switch (node.kind) {
        case kNodeBlock:
            for (const CodeNode& child : node.children) {
                Statement(child);
            }
            break;
        case kNodeCall:
            Call(node);
            EmitWord(VM_Word1(kOpPopz, kTypeVariable));
            PopType();
            break;
        case kNodeAssign: Assignment(node); break;
        case kNodeIf: If(node); break;
        case kNodeWhile: While(node); break;
        case kNodeDoUntil: DoUntil(node); break;
        case kNodeFor: For(node); break;
        case kNodeRepeat: Repeat(node); break;
        case kNodeExit: EmitWord(kWordExit); break;
        case kNodeBreak: Break(); break;
        case kNodeContinue: Continue(); break;
        case kNodeWith: With(node); break;
        case kNodeReturn:
            Expr(node.children[0]);
            ConvertTo(kTypeVariable);
            EmitWord(kWordRetVariable);
            PopType();
            break;
        case kNodeSwitch: Switch(node); break;
        case kNodeGlobalVar:
            for (const CodeNode& declared : node.children) {
                Code_WorldAccess().declareGlobalName(declared.code);
            }
            break;
        default: break;  // var declarations and stray labels emit nothing
        }
    }

    VMGeneratedCode* out_;
    std::vector<VMDataType> types_;
    std::vector<VMDataType> switchTypes_;  // values of the open switches
    JumpTarget continue_;
    JumpTarget break_;
    bool overflow_ = false;
    bool overflowPlaced_ = false;
};

}  // namespace

VMDataType VM_BinaryResultType(uint8_t opcode, VMDataType t, VMDataType u)
{
    if (IsComparisonOpcode(opcode)) {
        return kTypeBool;
    }
    if (t == kTypeVariable || u == kTypeVariable) {
        return kTypeVariable;
    }
    if (t == kTypeString || u == kTypeString) {
        return kTypeString;
    }
    if (t == kTypeDouble || u == kTypeDouble) {
        return kTypeDouble;
    }
    if (t == kTypeBool && u == kTypeBool) {
        return kTypeBool;
    }
    if (t == kTypeInt64 || u == kTypeInt64) {
        return kTypeInt64;
    }
    return kTypeInt;
}

bool VM_Compile_Program(const CodeNode& root, VMGeneratedCode* out, std::string* error, int32_t* errorPosition)
{
    VMCompileContext context(out);
    const bool ok = context.Program(root);
    *error = context.error;
    if (errorPosition != nullptr) {
        *errorPosition = context.overflowPosition;
    }
    return ok;
}

bool VM_Compile_Expression(const CodeNode& root, VMGeneratedCode* out, std::string* error, int32_t* errorPosition)
{
    VMCompileContext context(out);
    const bool ok = context.Expression(root);
    *error = context.error;
    if (errorPosition != nullptr) {
        *errorPosition = context.overflowPosition;
    }
    return ok;
}

}  // namespace bw
