// Feeds arbitrary words to the bytecode verifier: package code is outside
// bytes, and the verifier is what stands between them and the machine. A
// unit it accepts is also disassembled, and the native form is checked for
// the promises the machine relies on (targets inside, depth bounded).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script/disassembler.h"
#include "script/verifier.h"

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
    for (const bw::VMNativeOp& op : unit.ops) {
        const bool branches = op.handler == bw::VMHandler::Branch || op.handler == bw::VMHandler::BranchTrue ||
                              op.handler == bw::VMHandler::BranchFalse || op.handler == bw::VMHandler::PushEnv ||
                              op.handler == bw::VMHandler::PopEnv;
        if (branches && (op.a < 0 || static_cast<size_t>(op.a) >= unit.ops.size())) {
            std::abort();
        }
    }
    // The narrowest item takes 4 bytes of the bounded stack.
    if (unit.maxDepth > bw::kMaxStackBytes / 4) {
        std::abort();
    }
    bw::VM_DisassembleAll(unit.words, strings);
    return 0;
}
