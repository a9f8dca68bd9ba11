// What the platform built-ins ask of the system: its version, whether it is
// on a network, and the user's language.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// The kernel's major * 65536 + minor, or -1 when it cannot be read.
int32_t HostSystem_Version();
// True when an interface other than loopback is up and has an address.
bool HostSystem_NetworkConnected();
// The language of LC_ALL, else LANG ("de_DE.UTF-8" gives "de"); "--" when
// neither names one of two or three letters.
std::string HostSystem_LanguageCode();

}  // namespace bw
