// The ini and registry built-ins of the "File.." group: one ini file open at
// a time (platform/ini.h does the reading and writing), and the registry
// store (library/registry.h).
#pragma once

namespace bw {

void Function_Ini_Register();
// Writes the open ini's changes, if any, and closes it.
void Ini_CloseOpen();

}  // namespace bw
