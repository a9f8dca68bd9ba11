// The open-file dialog that asks for a game package when none was given:
// the desktop's own chooser (zenity, else kdialog), started without a shell
// with its answer read from its output.
#pragma once

#include <string>
#include <vector>

namespace bw {

// The first chooser program found on PATH, empty when none is installed or
// there is no display to show it on.
std::string HostFileDialog_FindChooser();
// The arguments that make a chooser program ask for one existing file.
std::vector<std::string> HostFileDialog_Arguments(const std::string& chooser);
// Runs the chooser and gives the chosen path; false when none is installed,
// the user cancelled or the answer is empty. Without a chooser it says on
// standard error how to name a package instead.
bool HostFileDialog_ChoosePackage(std::string* path);

}  // namespace bw
