// Feeds arbitrary words to the bytecode verifier: package code is outside
// bytes, and the verifier is what stands between them and the machine. A
// unit it accepts is also disassembled, and the native form is checked for
// the promises the machine relies on (targets inside, depth bounded). Then
// the unit runs, proven or checked, in a world without instances or
// variables, whenever no branch can take it back (so every run ends): what
// it does with the items the words describe must stay memory-safe.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "script/code_unit.h"
#include "script/disassembler.h"
#include "script/error_report.h"
#include "script/value.h"
#include "script/verifier.h"
#include "script/vm.h"

namespace {

bool IsBranch(uint8_t opcode)
{
    return opcode == bw::kOpB || opcode == bw::kOpBt || opcode == bw::kOpBf || opcode == bw::kOpPushEnv ||
           opcode == bw::kOpPopEnv;
}

// popenv goes back once per instance, and this world has none.
bool BranchesBack(const bw::VerifiedUnit& unit)
{
    for (size_t i = 0; i < unit.ops.size(); ++i) {
        const bw::VMNativeOp& op = unit.ops[i];
        if (IsBranch(op.opcode) && op.opcode != bw::kOpPopEnv && op.a >= 0 && static_cast<size_t>(op.a) <= i) {
            return true;
        }
    }
    return false;
}

void Run(bw::VerifiedUnit&& unit)
{
    bw::VMProgram program;
    program.unit = std::move(unit);
    const bw::CCode code("", false);
    bw::Code_Error_ClearPending();
    bw::Value result;
    bw::VM_Exec(program, code, nullptr, nullptr, &result);
    bw::Value_Free(result);
    bw::Code_Error_ClearPending();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const kStrings[] = {"a", "", "text"};
    // The first byte says how many strings the table has.
    const size_t count = size > 0 ? data[0] % 4 : 0;
    const bw::VMStringTable strings{kStrings, count};
    const uint8_t* words = size > 0 ? data + 1 : data;
    const size_t length = size > 0 ? (size - 1) & ~size_t{3} : 0;
    bw::VerifiedUnit unit;
    std::string error;
    if (!bw::VM_VerifyUnit(words, length, strings, &unit, &error)) {
        return 0;
    }
    // A checked unit's branch may name no op (-1): its run raises an error.
    const int32_t lowestTarget = unit.checked ? -1 : 0;
    for (const bw::VMNativeOp& op : unit.ops) {
        const bool branches = unit.checked ? IsBranch(op.opcode)
                                           : op.handler == bw::VMHandler::Branch ||
                                                 op.handler == bw::VMHandler::BranchTrue ||
                                                 op.handler == bw::VMHandler::BranchFalse ||
                                                 op.handler == bw::VMHandler::PushEnv ||
                                                 op.handler == bw::VMHandler::PopEnv;
        if (branches && (op.a < lowestTarget || static_cast<int64_t>(op.a) >= static_cast<int64_t>(unit.ops.size()))) {
            std::abort();
        }
    }
    // The narrowest item takes 4 bytes of the bounded stack.
    if (unit.maxDepth > bw::kMaxStackBytes / 4) {
        std::abort();
    }
    bw::VM_DisassembleAll(unit.words, strings);
    if (!BranchesBack(unit)) {
        Run(std::move(unit));
    }
    return 0;
}
