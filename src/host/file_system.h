// The host's file system as the runner's file layer needs it: the per-user
// folders, existence tests, folder creation, unique temporary names, deletion
// that never leaves the tree it was given, and the case-insensitive lookup
// that lets names written for a case-blind file system find their files.
// Paths here are host paths: '/' separated, no drive letters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

// $XDG_DATA_HOME, else $HOME/.local/share; $XDG_CONFIG_HOME, else
// $HOME/.config. A relative value is ignored (the base-directory rules say
// so). Empty when no absolute folder can be named.
std::string HostFs_DataHome();
std::string HostFs_ConfigHome();
// $TMPDIR when it is absolute, else "/tmp".
std::string HostFs_TempRoot();

// The current folder; empty when it cannot be read.
std::string HostFs_CurrentDirectory();
// The running program's own file; empty when it cannot be read.
std::string HostFs_ExecutablePath();

// Existence tests follow symbolic links, as opening the path would.
bool HostFs_IsDirectory(const std::string& path);
// An entry that is there and is not a folder.
bool HostFs_IsFile(const std::string& path);
// A regular file that this process may open for reading (a pipe or device
// would block or never end, so it does not count).
bool HostFs_IsReadableFile(const std::string& path);
// A regular file that this process may run.
bool HostFs_IsExecutableFile(const std::string& path);
// Size in bytes of a readable file, -1 otherwise.
int64_t HostFs_FileSize(const std::string& path);

// One entry of a folder listing.
struct HostDirEntry {
    std::string name;
    bool isDirectory = false;  // links followed, as opening the entry would
    bool writable = false;     // this process may write it
};
// The entry at path (its name left empty); false when there is none.
bool HostFs_StatEntry(const std::string& path, HostDirEntry* entry);
// The entries of a folder other than "." and "..", in byte order of their
// names so the order never depends on the file system; empty when the folder
// cannot be read.
std::vector<HostDirEntry> HostFs_ListDirectory(const std::string& folder);

// Creates one folder; true when it exists as a folder afterwards.
bool HostFs_MakeDirectory(const std::string& path);

// A new private folder "<parent>/<prefix>XXXXXX" (mkdtemp); empty on failure.
std::string HostFs_MakeTempDirectory(const std::string& parent, const std::string& prefix);
// A new empty file "<folder>/<prefix>XXXXXX<suffix>" (mkstemps), created so
// that no one else can take the name; empty on failure.
std::string HostFs_MakeTempFile(const std::string& folder, const std::string& prefix,
                                const std::string& suffix);

// Deletes a folder and everything below it. Symbolic links are removed as
// links, never followed, so the deletion cannot reach outside the tree; a
// path that is itself a link is refused. False when anything is left.
bool HostFs_DeleteTree(const std::string& path);

// folder (ending in '/') + relative ('/' separated, no "." or ".." parts).
// When that exact path is missing, each part is looked up in its folder
// without regard to ASCII case; the first part that matches nothing and
// everything after it are kept as given (so a new file gets the name the
// game asked for inside the folders that already exist).
std::string HostFs_MatchCase(const std::string& folder, const std::string& relative);

}  // namespace bw
