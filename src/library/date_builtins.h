// The date_ built-ins, registered with the "Misc.." group.
#pragma once

namespace bw {

void Function_Date_Register();

}  // namespace bw
