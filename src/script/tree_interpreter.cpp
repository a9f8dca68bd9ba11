#include "script/tree_interpreter.h"

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "script/code_stop.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/lexer.h"
#include "script/names.h"
#include "script/operators.h"
#include "script/resource_seams.h"
#include "script/world_access.h"

namespace bw {

namespace {

constexpr int32_t kMaxCallArguments = 16;
constexpr int32_t kArrayDimension = 32000;

// A Value that releases its payload when the routine using it returns.
struct ScratchValue {
    ScratchValue() = default;
    ~ScratchValue() { Value_Free(value); }
    ScratchValue(const ScratchValue&) = delete;
    ScratchValue& operator=(const ScratchValue&) = delete;
    Value value;
};

int32_t Fail(const CodeExecContext& context, int32_t position, const char* message)
{
    Code_Report_Error(context.code->text.c_str(), context.code->IsProgram(), position, message);
    return kExecError;
}

int32_t Fail(const CodeExecContext& context, int32_t position, const std::string& message)
{
    return Fail(context, position, message.c_str());
}

bool IsReal(const Value& value)
{
    return Value_Kind(value) == kValueReal;
}

// Loops test their conditions at single precision. Reals beyond its range
// become infinities rather than an undefined conversion.
float ToSingle(double real)
{
    if (real > FLT_MAX) {
        return std::numeric_limits<float>::infinity();
    }
    if (real < -FLT_MAX) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(real);
}

// What a loop does with the status of its body: break ends the loop
// normally, continue goes on, anything else leaves the loop with it, and so
// does a round the runner's end stops.
enum class LoopStep { Next, Stop };
LoopStep AfterBody(int32_t& status)
{
    if (Code_StopDueLookingForClose()) {
        status = kExecError;
        return LoopStep::Stop;
    }
    if (status == kExecBreak) {
        status = kExecNormal;
        return LoopStep::Stop;
    }
    if (status == kExecContinue) {
        status = kExecNormal;
        return LoopStep::Next;
    }
    return status == kExecNormal ? LoopStep::Next : LoopStep::Stop;
}

// Evaluates a condition that must be a real into *real.
int32_t EvalCondition(CodeExecContext& context, const CodeNode& node, const char* typeError, double* real)
{
    ScratchValue condition;
    if (Code_Eval_Expression(context, node, &condition.value) != kExecNormal) {
        return kExecError;
    }
    if (!IsReal(condition.value)) {
        return Fail(context, node.position, typeError);
    }
    *real = condition.value.real;
    return kExecNormal;
}

void ResetResult(Value* result)
{
    Value_SetReal(*result, 0.0);
}

// ---- variables ----

bool ReadVariable(CodeExecContext& context, int32_t selector, int32_t id, int32_t index, Value* out)
{
    const WorldAccess& world = Code_WorldAccess();
    switch (selector) {
    case kSelectorLocal:
        return context.locals != nullptr && world.getLocal(context.locals, id, index, out);
    case kSelectorUnspecified:
        return world.isGlobalName(id) ? world.getGlobal(id, index, out) : world.get(context.self, id, index, out);
    case kSelectorGlobal:
        return world.getGlobal(id, index, out);
    case kSelectorNoone:
        return false;
    case kSelectorOther:
        return world.get(context.other, id, index, out);
    case kSelectorSelf:
        return world.get(context.self, id, index, out);
    default:
        return world.getOnTarget(selector, id, index, out);
    }
}

int32_t ReadOrFail(CodeExecContext& context, int32_t position, int32_t selector, int32_t id, int32_t index,
                   Value* out)
{
    Value_OutOfRange().failed = false;
    if (ReadVariable(context, selector, id, index, out)) {
        return kExecNormal;
    }
    // Reading outside an array is always an error; only unknown variables
    // may read as 0.
    if (!Value_OutOfRange().failed && !Code_WorldAccess().strictReads()) {
        Value_SetReal(*out, 0.0);
        return kExecNormal;
    }
    std::string message = std::string("Unknown variable ") + Code_Variable_GetName(id);
    if (index > 0) {
        message += " or array index out of bounds";
    }
    return Fail(context, position, message);
}

bool WriteVariable(CodeExecContext& context, int32_t selector, int32_t id, int32_t index, const Value* in)
{
    const WorldAccess& world = Code_WorldAccess();
    switch (selector) {
    case kSelectorLocal:
        if (context.locals == nullptr) {
            context.locals = world.newLocals();
        }
        if (context.locals == nullptr) {
            return false;
        }
        world.setLocal(context.locals, id, index, in);
        return true;
    case kSelectorUnspecified:
        return world.isGlobalName(id) ? world.setGlobal(id, index, in) : world.set(context.self, id, index, in);
    case kSelectorGlobal:
        return world.setGlobal(id, index, in);
    case kSelectorNoone:
        return false;
    case kSelectorOther:
        return world.set(context.other, id, index, in);
    case kSelectorSelf:
        return world.set(context.self, id, index, in);
    default:
        return world.setOnTarget(selector, id, index, in);
    }
}

int32_t EvalIndex(CodeExecContext& context, const CodeNode& node, int32_t* index)
{
    ScratchValue value;
    if (Code_Eval_Expression(context, node, &value.value) != kExecNormal) {
        return kExecError;
    }
    if (!IsReal(value.value)) {
        return Fail(context, node.position, "Wrong type of array index");
    }
    *index = Code_RealToInt32(value.value.real);
    if (*index < 0) {
        return Fail(context, node.position, "Negative array index");
    }
    if (*index >= kArrayDimension) {
        return Fail(context, node.position, "Array index >= 32000");
    }
    return kExecNormal;
}

int32_t BinaryForAssignment(int32_t assignment)
{
    switch (assignment) {
    case kSymAddAssign: return kSymPlus;
    case kSymSubAssign: return kSymMinus;
    case kSymMulAssign: return kSymTimes;
    case kSymDivAssign: return kSymSlash;
    case kSymOrAssign: return kSymBitOr;
    case kSymAndAssign: return kSymBitAnd;
    default: return kSymBitXor;  // kSymXorAssign
    }
}

int32_t ExecAssignment(CodeExecContext& context, const CodeNode& node, Value* result)
{
    int32_t selector = 0;
    int32_t id = 0;
    int32_t index = kValueNoIndex;
    const CodeNode& target = node.children[0];
    if (Code_Eval_ArrayIndex(context, target, &selector, &id, &index) != kExecNormal ||
        Code_Eval_Expression(context, node.children[1], result) != kExecNormal) {
        return kExecError;
    }
    if (node.code != kSymAssign) {
        ScratchValue current;
        if (ReadOrFail(context, target.position, selector, id, index, &current.value) != kExecNormal ||
            !Code_Binary_Operator(*context.code, node.position, BinaryForAssignment(node.code), current.value,
                                  *result)) {
            return kExecError;
        }
        Value_Copy(*result, current.value);
    }
    if (!WriteVariable(context, selector, id, index, result)) {
        return Fail(context, node.position, "Cannot assign to the variable");
    }
    return kExecNormal;
}

// ---- statements ----

int32_t ExecIf(CodeExecContext& context, const CodeNode& node, Value* result)
{
    double condition = 0.0;
    if (EvalCondition(context, node.children[0], "Expression expected", &condition) != kExecNormal) {
        return kExecError;
    }
    if (condition > 0.5) {
        return Code_Exec_Statement(context, node.children[1], result);
    }
    return node.children.size() > 2 ? Code_Exec_Statement(context, node.children[2], result) : kExecNormal;
}

int32_t ExecWhile(CodeExecContext& context, const CodeNode& node, Value* result)
{
    for (;;) {
        double condition = 0.0;
        if (EvalCondition(context, node.children[0], "bool expression expected", &condition) != kExecNormal) {
            return kExecError;
        }
        if (ToSingle(condition) < 0.5f) {
            return kExecNormal;
        }
        ResetResult(result);
        int32_t status = Code_Exec_Statement(context, node.children[1], result);
        if (AfterBody(status) == LoopStep::Stop) {
            return status;
        }
    }
}

int32_t ExecDoUntil(CodeExecContext& context, const CodeNode& node, Value* result)
{
    for (;;) {
        int32_t status = Code_Exec_Statement(context, node.children[0], result);
        if (AfterBody(status) == LoopStep::Stop) {
            return status;
        }
        double condition = 0.0;
        if (EvalCondition(context, node.children[1], "bool expression expected", &condition) != kExecNormal) {
            return kExecError;
        }
        if (ToSingle(condition) >= 0.5f) {
            return kExecNormal;
        }
    }
}

int32_t ExecFor(CodeExecContext& context, const CodeNode& node, Value* result)
{
    {
        ScratchValue initialResult;
        const int32_t status = Code_Exec_Statement(context, node.children[0], &initialResult.value);
        if (status != kExecNormal) {
            return status;
        }
    }
    for (;;) {
        double condition = 0.0;
        if (EvalCondition(context, node.children[1], "Expression expected", &condition) != kExecNormal) {
            return kExecError;
        }
        if (ToSingle(condition) < 0.5f) {
            return kExecNormal;
        }
        int32_t status = Code_Exec_Statement(context, node.children[3], result);
        if (AfterBody(status) == LoopStep::Stop) {
            return status;
        }
        status = Code_Exec_Statement(context, node.children[2], result);
        if (status != kExecNormal) {
            return status;
        }
    }
}

int32_t ExecRepeat(CodeExecContext& context, const CodeNode& node, Value* result)
{
    double count = 0.0;
    if (EvalCondition(context, node.children[0], "Repeat count must be a number", &count) != kExecNormal) {
        return kExecError;
    }
    const int32_t times = Code_RealToInt32(count);
    for (int32_t i = 0; i < times; ++i) {
        int32_t status = Code_Exec_Statement(context, node.children[1], result);
        if (AfterBody(status) == LoopStep::Stop) {
            return status;
        }
    }
    return kExecNormal;
}

// Runs a with's body for one instance; break and continue end it as they
// end a loop.
int32_t WithBodyOnce(CodeExecContext& context, CInstance* instance, const CodeNode& body, Value* result)
{
    int32_t status = Code_Run_With(context, instance, body, result);
    AfterBody(status);
    return status;
}

// After a body created instances, the list is read again from the instance
// the walk goes on with: those created behind it are visited, those created
// before it are not, as when the walk follows the list's own links. An
// instance no longer in the list leaves the walk as it was.
void FollowCreatedInstances(int32_t selector, size_t at, std::vector<CInstance*>* order)
{
    std::vector<CInstance*> now;
    Code_WorldAccess().collectInstances(selector, &now);
    const auto found = std::find(now.begin(), now.end(), (*order)[at]);
    if (found == now.end()) {
        return;
    }
    order->resize(at + 1);
    order->insert(order->end(), found + 1, now.end());
}

// A with over all, an object or an instance id walks the list in order,
// taking the next instance before the body runs: the body may destroy the
// current one, and destroyed and deactivated ones are skipped.
int32_t WithEachInstance(CodeExecContext& context, int32_t selector, const CodeNode& body, Value* result)
{
    const WorldAccess& world = Code_WorldAccess();
    std::vector<CInstance*> order;
    world.collectInstances(selector, &order);
    int32_t newestInstance = world.lastInstanceId();
    for (size_t at = 0; at < order.size(); ++at) {
        if (world.lastInstanceId() != newestInstance) {
            newestInstance = world.lastInstanceId();
            FollowCreatedInstances(selector, at, &order);
        }
        if (!world.isLive(order[at])) {
            continue;
        }
        int32_t status = Code_Run_With(context, order[at], body, result);
        if (AfterBody(status) == LoopStep::Stop) {
            return status;
        }
    }
    return kExecNormal;
}

int32_t ExecWith(CodeExecContext& context, const CodeNode& node, Value* result)
{
    ScratchValue target;
    const CodeNode& targetNode = node.children[0];
    if (Code_Eval_Expression(context, targetNode, &target.value) != kExecNormal) {
        return kExecError;
    }
    if (!IsReal(target.value)) {
        return Fail(context, targetNode.position, "Object id expected");
    }
    const CodeNode& body = node.children[1];
    const int32_t selector = Code_RealToInt32(target.value.real);
    switch (selector) {
    case kSelectorLocal:
        return Fail(context, targetNode.position, "Cannot use local in with statement.");
    case kSelectorGlobal:
        return Fail(context, targetNode.position, "Cannot use global in with statement.");
    case kSelectorNoone:
        return kExecNormal;
    case kSelectorUnspecified:
    case kSelectorSelf:
        return WithBodyOnce(context, context.self, body, result);
    case kSelectorOther:
        return WithBodyOnce(context, context.other, body, result);
    default:
        return WithEachInstance(context, selector, body, result);
    }
}

bool IsSwitchLabel(const CodeNode& node)
{
    return node.kind == kNodeCase || node.kind == kNodeConstantCase || node.kind == kNodeDefault;
}

// Labels match values of the same kind only: reals exactly, strings by
// their bytes (no text counts as the empty text).
bool SwitchMatches(const Value& value, const Value& label)
{
    if (Value_Kind(value) != Value_Kind(label)) {
        return false;
    }
    if (Value_Kind(value) == kValueReal) {
        return value.real == label.real;
    }
    if (Value_Kind(value) == kValueString) {
        const char* a = Value_String(value);
        const char* b = Value_String(label);
        return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0;
    }
    return false;
}

int32_t ExecSwitch(CodeExecContext& context, const CodeNode& node, Value* result)
{
    ScratchValue value;
    if (Code_Eval_Expression(context, node.children[0], &value.value) != kExecNormal) {
        return kExecError;
    }
    bool matched = false;
    for (size_t i = 1; i < node.children.size(); ++i) {
        const CodeNode& statement = node.children[i];
        if (matched) {
            if (IsSwitchLabel(statement)) {
                continue;
            }
            const int32_t status = Code_Exec_Statement(context, statement, result);
            if (status == kExecBreak) {
                return kExecNormal;
            }
            if (status != kExecNormal) {
                return status;
            }
        } else if (statement.kind == kNodeDefault) {
            matched = true;
        } else if (statement.kind == kNodeConstantCase) {
            matched = SwitchMatches(value.value, statement.children[0].value);
        } else if (statement.kind == kNodeCase) {
            ScratchValue label;
            if (Code_Eval_Expression(context, statement.children[0], &label.value) != kExecNormal) {
                return kExecError;
            }
            matched = SwitchMatches(value.value, label.value);
        }
    }
    return kExecNormal;
}

int32_t ExecGlobalVar(const CodeNode& node)
{
    for (const CodeNode& declared : node.children) {
        Code_WorldAccess().declareGlobalName(declared.code);
    }
    return kExecNormal;
}

}  // namespace

int32_t Code_Run_Program(CodeExecContext& context, const CodeNode& root, Value* result)
{
    if (root.kind == kNodeEmptyProgram) {
        return kExecNormal;
    }
    if (root.kind != kNodeBlock) {
        return Fail(context, root.position, "This is not a program.");
    }
    return Code_Exec_Block(context, root, result);
}

int32_t Code_Exec_Block(CodeExecContext& context, const CodeNode& node, Value* result)
{
    for (const CodeNode& statement : node.children) {
        ResetResult(result);
        const int32_t status = Code_Exec_Statement(context, statement, result);
        if (status != kExecNormal) {
            return status;
        }
    }
    return kExecNormal;
}

int32_t Code_Exec_Statement(CodeExecContext& context, const CodeNode& node, Value* result)
{
    switch (node.kind) {
    case kNodeCall:
        return Code_Eval_Call(context, node, result);
    case kNodeIf:
        return ExecIf(context, node, result);
    case kNodeWhile:
        return ExecWhile(context, node, result);
    case kNodeDoUntil:
        return ExecDoUntil(context, node, result);
    case kNodeFor:
        return ExecFor(context, node, result);
    case kNodeRepeat:
        return ExecRepeat(context, node, result);
    case kNodeExit:
        return kExecExit;
    case kNodeBreak:
        return kExecBreak;
    case kNodeContinue:
        return kExecContinue;
    case kNodeWith:
        return ExecWith(context, node, result);
    case kNodeReturn:
        return Code_Eval_Expression(context, node.children[0], result) == kExecNormal ? kExecExit : kExecError;
    case kNodeSwitch:
        return ExecSwitch(context, node, result);
    case kNodeCase:
    case kNodeConstantCase:
        return Fail(context, node.position, "Case statement only allowed inside switch statement.");
    case kNodeDefault:
        return Fail(context, node.position, "Default statement only allowed inside switch statement.");
    case kNodeVar:
        return kExecNormal;  // locals were bound when the unit was folded
    case kNodeGlobalVar:
        return ExecGlobalVar(node);
    case kNodeAssign:
        return ExecAssignment(context, node, result);
    case kNodeBlock:
        return Code_Exec_Block(context, node, result);
    default:
        return Fail(context, node.position, "Statement expected.");
    }
}

int32_t Code_Eval_Expression(CodeExecContext& context, const CodeNode& node, Value* result)
{
    switch (node.kind) {
    case kNodeConstant:
        Value_Copy(*result, node.value);
        return kExecNormal;
    case kNodeCall:
        return Code_Eval_Call(context, node, result);
    case kNodeVariable:
    case kNodeSimpleVariable: {
        int32_t selector = 0;
        int32_t id = 0;
        int32_t index = kValueNoIndex;
        if (Code_Eval_ArrayIndex(context, node, &selector, &id, &index) != kExecNormal) {
            return kExecError;
        }
        return ReadOrFail(context, node.position, selector, id, index, result);
    }
    case kNodeUnary: {
        const CodeNode& operand = node.children[0];
        if (Code_Eval_Expression(context, operand, result) != kExecNormal ||
            !Code_Unary_Operator(*context.code, operand.position, node.code, *result)) {
            return kExecError;
        }
        return kExecNormal;
    }
    case kNodeBinary: {
        // Both operands always run: and / or do not short-circuit.
        const CodeNode& right = node.children[1];
        ScratchValue rightValue;
        if (Code_Eval_Expression(context, node.children[0], result) != kExecNormal ||
            Code_Eval_Expression(context, right, &rightValue.value) != kExecNormal ||
            !Code_Binary_Operator(*context.code, right.position, node.code, *result, rightValue.value)) {
            return kExecError;
        }
        return kExecNormal;
    }
    default:
        return Fail(context, node.position, "(Sub-)expression expected.");
    }
}

int32_t Code_Eval_Call(CodeExecContext& context, const CodeNode& node, Value* result)
{
    if (node.children.size() > static_cast<size_t>(kMaxCallArguments)) {
        return Fail(context, node.position, "Wrong number of arguments to function or script.");
    }
    Value arguments[kMaxCallArguments] = {};
    const auto argc = static_cast<int32_t>(node.children.size());
    int32_t status = kExecNormal;
    for (int32_t i = 0; i < argc && status == kExecNormal; ++i) {
        status = Code_Eval_Expression(context, node.children[static_cast<size_t>(i)], &arguments[i]);
    }
    if (status == kExecNormal && Code_StopDueLookingForClose()) {
        status = kExecError;
    }
    if (status == kExecNormal) {
        const int32_t id = node.code;
        bool called = true;
        if (id >= kExtensionFunctionIdBase) {
            called = Extension_Call(id - kExtensionFunctionIdBase, context.self, context.other, argc, arguments,
                                    result);
        } else if (id >= kScriptFunctionIdBase) {
            called = Script_Execute(id - kScriptFunctionIdBase, context.self, context.other, argc, result,
                                    arguments);
        } else {
            Code_Function_CallBuiltin(id, result, context.self, context.other, argc, arguments);
        }
        // A callee the runner's end stopped may hand back what its caller
        // cannot use ("ERROR" from script_execute): the run stops with it.
        status = called && !Code_StopDue() ? kExecNormal : kExecError;
    }
    for (Value& argument : arguments) {
        Value_Free(argument);
    }
    return status;
}

int32_t Code_Eval_ArrayIndex(CodeExecContext& context, const CodeNode& variable, int32_t* selector, int32_t* id,
                             int32_t* index)
{
    *id = variable.code;
    // A name without brackets addresses the whole value, as on the virtual
    // machine: b = a copies all of an array, and a plain real stays a real.
    *index = kValueNoIndex;
    if (variable.kind == kNodeSimpleVariable) {
        *selector = variable.selector;
        return kExecNormal;
    }
    const CodeNode& selectorNode = variable.children[0];
    ScratchValue target;
    if (Code_Eval_Expression(context, selectorNode, &target.value) != kExecNormal) {
        return kExecError;
    }
    if (!IsReal(target.value)) {
        return Fail(context, selectorNode.position, "Wrong type of variable index");
    }
    *selector = Code_RealToInt32(target.value.real);
    if (variable.children.size() < 2) {
        return kExecNormal;
    }
    int32_t row = 0;
    if (EvalIndex(context, variable.children[1], &row) != kExecNormal) {
        return kExecError;
    }
    if (variable.children.size() < 3) {
        *index = row;
        return kExecNormal;
    }
    int32_t column = 0;
    if (EvalIndex(context, variable.children[2], &column) != kExecNormal) {
        return kExecError;
    }
    *index = row * kArrayDimension + column;
    return kExecNormal;
}

int32_t Code_Run_With(CodeExecContext& context, CInstance* instance, const CodeNode& body, Value* result)
{
    CInstance* const savedSelf = context.self;
    CInstance* const savedOther = context.other;
    context.other = savedSelf;
    context.self = instance;
    const int32_t status = Code_Exec_Statement(context, body, result);
    context.self = savedSelf;
    context.other = savedOther;
    return status;
}

}  // namespace bw
