#include "library/file_find.h"

#include <algorithm>
#include <cctype>

#include "host/atomic_file.h"
#include "host/file_system.h"
#include "host/held_file.h"
#include "platform/files.h"

namespace bw {

namespace {

struct FileSearch {
    std::vector<std::string> names;
    size_t current = 0;
    bool active = false;
};
FileSearch g_search;

char Fold(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

int32_t AttributesOf(const HostDirEntry& entry)
{
    int32_t bits = 0;
    if (!entry.writable) bits |= kFileAttributeReadOnly;
    if (!entry.name.empty() && entry.name[0] == '.') bits |= kFileAttributeHidden;
    if (entry.isDirectory) bits |= kFileAttributeDirectory;
    return bits;
}

bool Wanted(int32_t bits, int32_t requested)
{
    if ((bits & kFileAttributeDirectory) != 0) return (requested & kFileAttributeDirectory) != 0;
    const int32_t others = requested & ~kFileAttributeDirectory;
    return others == 0 || (bits & requested) != 0;
}

bool IsTemporaryFile(const HostDirEntry& entry)
{
    pid_t writer = 0;
    return !entry.isDirectory && HostFs_ParseTemporaryName(entry.name, &writer);
}

// The folder as game code sees it: the temporary files of writes not yet
// put in place are no files of the game. In byte order of the names.
std::vector<HostDirEntry> GameEntries(const std::string& folder)
{
    std::vector<HostDirEntry> entries = HostFs_ListDirectory(folder);
    std::erase_if(entries, IsTemporaryFile);
    std::sort(entries.begin(), entries.end(),
              [](const HostDirEntry& a, const HostDirEntry& b) { return a.name < b.name; });
    return entries;
}

// Adds the matching entries of the folder that holds the resolved mask.
void CollectFrom(const std::string& resolvedMask, int32_t attributes, std::vector<std::string>* names)
{
    const size_t slash = resolvedMask.rfind('/');
    if (resolvedMask.empty() || slash == std::string::npos) return;
    const std::string pattern = resolvedMask.substr(slash + 1);
    for (HostDirEntry& entry : GameEntries(resolvedMask.substr(0, slash + 1))) {
        if (!FileFind_Matches(pattern, entry.name)) continue;
        if (!Wanted(AttributesOf(entry), attributes)) continue;
        if (std::find(names->begin(), names->end(), entry.name) == names->end()) names->push_back(entry.name);
    }
}

}  // namespace

bool FileFind_Matches(const std::string& pattern, const std::string& name)
{
    if (pattern == "*.*") return true;
    // Greedy match with one backtrack point: the last '*' seen.
    size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> FileFind_Collect(const char* mask, int32_t attributes)
{
    std::vector<std::string> names;
    char path[kLoadSavePathSize];
    if (LoadSave_PathWrite(path, sizeof path, mask)) CollectFrom(path, attributes, &names);
    if (LoadSave_PathRead(path, sizeof path, mask)) CollectFrom(path, attributes, &names);
    return names;
}

int32_t FileFind_Attributes(const std::string& path)
{
    HostDirEntry entry;
    if (!HostFs_StatEntry(HostFs_ContentsPath(path), &entry)) return -1;
    const size_t slash = path.rfind('/');
    entry.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return AttributesOf(entry);
}

std::string FileFind_First(const char* mask, int32_t attributes)
{
    g_search.names = FileFind_Collect(mask, attributes);
    g_search.current = 0;
    g_search.active = true;
    return g_search.names.empty() ? std::string() : g_search.names.front();
}

std::string FileFind_Next()
{
    if (!g_search.active || g_search.current >= g_search.names.size()) return {};
    ++g_search.current;
    return g_search.current < g_search.names.size() ? g_search.names[g_search.current] : std::string();
}

void FileFind_Close()
{
    g_search = FileSearch{};
}

}  // namespace bw
