// The legacy sound, CD and MCI_command built-ins of the "Sound.." group, and
// the legacy side of the resource group's sound_ built-ins.
#pragma once

namespace bw {

// The 42 rows that come first in the "Sound.." group.
void Function_LegacySound_Register();
void Function_LegacySoundResource_Register();

}  // namespace bw
