// The network_* built-ins ("Networking.." group): argument checks here, the
// sockets in online/network.
#pragma once

namespace bw {

void Function_Networking_Register();

}  // namespace bw
