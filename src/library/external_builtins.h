// The external_* built-ins of the "Misc.." group: defining, calling and
// releasing functions of outside libraries (resources/external).
#pragma once

namespace bw {

// Registered only outside Steam mode, with the code-running built-ins.
void Function_External_Register();

}  // namespace bw
