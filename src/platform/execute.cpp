#include "platform/execute.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "host/file_system.h"
#include "host/spawn.h"
#include "platform/command_line.h"
#include "platform/messages.h"

namespace bw {

namespace {

// How often a waiting loop looks at the child and pumps messages.
constexpr int64_t kWaitPollMilliseconds = 50;

std::string FolderOrCurrent(const char* folder)
{
    std::string current = HostFs_CurrentDirectory() + "/";
    if (folder == nullptr || folder[0] == '\0') return current;
    // The child runs in folder, so a path found here must not depend on the
    // folder it starts in.
    std::string base = folder[0] == '/' ? std::string(folder) : current + folder;
    if (base.back() != '/') base += '/';
    return base;
}

// The host path of a name given by game code: '\' separates folders, a
// relative name lies in folder, and parts spelled in another case find the
// entries that exist.
std::string HostPathOf(std::string name, const char* folder)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name[0] == '/') return HostFs_MatchCase("/", name.substr(1));
    return HostFs_MatchCase(FolderOrCurrent(folder), name);
}

// "scheme:/...", "scheme://..." or "mailto:...": a text the opener
// understands and no file. One letter before the colon would be a drive.
bool IsAddress(const std::string& text)
{
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return text.compare(colon, 2, ":/") == 0 || text.compare(0, colon + 1, "mailto:") == 0;
}

std::string FolderText(const char* folder) { return folder != nullptr ? folder : ""; }

}  // namespace

bool ExecuteShell(const char* file, const char* parameters, const char* folder)
{
    if (file == nullptr || file[0] == '\0') return false;
    std::string target = file;
    if (IsAddress(target)) return HostSpawn_Open(target, FolderText(folder)) > 0;

    std::string path = HostPathOf(target, folder);
    if (HostFs_IsExecutableFile(path)) {
        return HostSpawn_Start(path, CommandLine_Split(parameters), FolderText(folder)) > 0;
    }
    // The opener reports a missing document only after it has started;
    // the caller is owed the answer now.
    if (!HostFs_IsFile(path) && !HostFs_IsDirectory(path)) return false;
    return HostSpawn_Open(path, FolderText(folder)) > 0;
}

bool ExecuteProgram(const char* program, const char* arguments, const char* folder, bool wait)
{
    if (program == nullptr) return false;
    // The program is one item even when it holds blanks; quotes around it
    // only grouped it.
    std::string name = program;
    name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
    if (name.empty()) return false;

    std::string path = HostPathOf(name, folder);
    bool bareName = name.find_first_of("/\\") == std::string::npos;
    if (bareName && !HostFs_IsExecutableFile(path)) path = name;  // searched on PATH

    int pid = HostSpawn_Start(path, CommandLine_Split(arguments), FolderText(folder));
    if (pid <= 0) return false;
    if (wait) HostSpawn_Wait(pid, ProcessMessages, kWaitPollMilliseconds);
    return true;
}

}  // namespace bw
