// The "DS.." group of built-in functions: game code's containers.
#pragma once

namespace bw {

void Function_Data_Structures_Register();

}  // namespace bw
