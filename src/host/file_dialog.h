// The open and save file dialogs: the desktop's own chooser (zenity, else
// kdialog), started without a shell with its answer read from its output.
// They ask for a game package when none was given, and for the files game
// code opens and saves.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace bw {

// The first chooser program found on PATH, empty when none is installed or
// there is no display to show it on.
std::string HostFileDialog_FindChooser();
struct HostFileRequest {
    bool save = false;  // else an existing file is asked for
    // Filter lines as (name, patterns), patterns separated by ';'
    // ("Text", "*.txt;*.log").
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultName;  // may be empty
    std::string folder;       // empty: the current folder
    std::string title;        // empty: the chooser's own
};
// The request in a filter text of the Windows form "Text|*.txt|All|*.*".
std::vector<std::pair<std::string, std::string>> HostFileDialog_ParseFilter(const std::string& filter);

// The arguments that make a chooser program ask as the request says.
std::vector<std::string> HostFileDialog_Arguments(const std::string& chooser, const HostFileRequest& request);
// Runs the chooser; false when none is installed (see FindChooser), the
// user cancelled or the answer is empty.
bool HostFileDialog_Choose(const HostFileRequest& request, std::string* path);
// Runs the chooser and gives the chosen path; false when none is installed,
// the user cancelled or the answer is empty.
bool HostFileDialog_ChoosePackage(std::string* path);

}  // namespace bw
