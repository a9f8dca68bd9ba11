// Fuses the runs of native ops that loops spend their time in (a local
// combined with a constant, an arithmetic result stored in a local, a
// comparison feeding a branch) into one op each. A fused op replaces only
// the first op of its run; the others stay as they were, so a branch into
// the middle of a run, and every case the fused form does not serve (an
// operand that is not a real, an undefined local), runs the plain ops with
// their own error reports and lines.
#pragma once

#include <vector>

#include "script/verifier.h"

namespace bw {

// Sets every op's plain handler (for a direct argument read, the general
// variable read) and fuses the runs it recognises.
void VM_FuseOps(std::vector<VMNativeOp>& ops);

// Whether an arithmetic opcode on reals can neither fail nor need more than
// the one machine instruction: the ones a fused op computes inline.
inline bool VM_IsInlineRealArithmetic(uint8_t opcode)
{
    return opcode == kOpAdd || opcode == kOpSub || opcode == kOpMul;
}

}  // namespace bw
