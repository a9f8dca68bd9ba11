// The one-line disassembler of bytecode in its package form, for the error
// report, the debugger and tests. It reads the words only; nothing it prints
// depends on the machine's native form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/bytecode.h"

namespace bw {

// Appends the line of the instruction at byte offset and returns the offset
// of the next one. An instruction whose operand runs past the end is shown
// with the bytes there are and ends the listing (the answer is the end).
uint32_t VM_Disassemble(const uint32_t* words, size_t wordCount, uint32_t offset, const VMStringTable& strings,
                        std::string* out);
// Every instruction in order.
std::string VM_DisassembleAll(const std::vector<uint32_t>& words, const VMStringTable& strings);

}  // namespace bw
