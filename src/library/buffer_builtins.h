// The "Buffers.." group of built-in functions: byte buffers for game code.
#pragma once

namespace bw {

void Function_Buffers_Register();

}  // namespace bw
