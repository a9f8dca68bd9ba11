// A small assembler for tests, on the disassembler's mnemonics: one
// instruction per line, "mnemonic.T.U args". Arguments by form:
//   push.e n | push.i n | push.l n | push.d x | push.b 0/1 | push.s index
//   push.v / pop.v.U / pop.i.U  selector 0xREF
//   pop.e.U d m (in words) | dup.T n | call.i argc id | break.e code
//   b / bt / bf / pushenv / popenv  offset (in words)
//   word 0xHEX (a raw word)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw::test {

std::vector<uint32_t> Assemble(const std::string& source);

}  // namespace bw::test
