// The built-in names of the tablet-store platform, so games written for it
// still compile and run here; each only says it is not supported.
#pragma once

namespace bw {

void Function_Win8_Register();

}  // namespace bw
