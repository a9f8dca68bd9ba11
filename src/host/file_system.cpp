#include "host/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bw {

namespace {

// A deeper tree than this is not one the runner made; refusing it keeps the
// deletion's descriptors and stack bounded.
constexpr int kMaxDeleteDepth = 128;

std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

std::string UserFolder(const char* variable, const char* belowHome)
{
    std::string folder = AbsoluteEnv(variable);
    if (!folder.empty()) return folder;
    std::string home = AbsoluteEnv("HOME");
    if (home.empty()) return {};
    if (home.back() != '/') home += '/';
    return home + belowHome;
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(const char* a, const std::string& b)
{
    size_t i = 0;
    for (; a[i] != '\0' && i < b.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return a[i] == '\0' && i == b.size();
}

bool EntryExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name without regard to case. Of
// several, the smallest in byte order, so the choice never depends on the
// order in which the file system lists them.
bool FindCaseless(const std::string& folder, const std::string& name, std::string* found)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool any = false;
    while (const dirent* entry = readdir(dir)) {
        if (!EqualIgnoringAsciiCase(entry->d_name, name)) continue;
        if (!any || std::strcmp(entry->d_name, found->c_str()) < 0) *found = entry->d_name;
        any = true;
    }
    closedir(dir);
    return any;
}

bool DeleteContents(int dirFd, int depth);

bool DeleteEntry(int dirFd, const char* name, int depth)
{
    struct stat info;
    if (fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (!S_ISDIR(info.st_mode)) return unlinkat(dirFd, name, 0) == 0;
    if (depth >= kMaxDeleteDepth) return false;
    int sub = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) return false;
    bool emptied = DeleteContents(sub, depth + 1);
    close(sub);
    return emptied && unlinkat(dirFd, name, AT_REMOVEDIR) == 0;
}

bool DeleteContents(int dirFd, int depth)
{
    // Names are gathered first: removing entries while the listing is open
    // may make it skip or repeat some.
    int listFd = dup(dirFd);
    if (listFd < 0) return false;
    DIR* dir = fdopendir(listFd);
    if (dir == nullptr) {
        close(listFd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    closedir(dir);
    bool all = true;
    for (const std::string& name : names) {
        all = DeleteEntry(dirFd, name.c_str(), depth) && all;
    }
    return all;
}

}  // namespace

std::string HostFs_DataHome() { return UserFolder("XDG_DATA_HOME", ".local/share"); }

std::string HostFs_ConfigHome() { return UserFolder("XDG_CONFIG_HOME", ".config"); }

std::string HostFs_TempRoot()
{
    std::string root = AbsoluteEnv("TMPDIR");
    return root.empty() ? std::string("/tmp") : root;
}

std::string HostFs_CurrentDirectory()
{
    std::vector<char> buffer(PATH_MAX);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) return {};
    return buffer.data();
}

std::string HostFs_ExecutablePath()
{
    std::vector<char> buffer(PATH_MAX);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return std::string(buffer.data(), static_cast<size_t>(length));
}

bool HostFs_IsDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HostFs_IsFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool HostFs_IsReadableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), R_OK) == 0;
}

bool HostFs_IsExecutableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

int64_t HostFs_FileSize(const std::string& path)
{
    struct stat info;
    if (!HostFs_IsReadableFile(path) || stat(path.c_str(), &info) != 0) return -1;
    return static_cast<int64_t>(info.st_size);
}

bool HostFs_MakeDirectory(const std::string& path)
{
    if (mkdir(path.c_str(), 0777) == 0) return true;
    // Someone (another instance, another thread) may have made it meanwhile.
    return errno == EEXIST && HostFs_IsDirectory(path);
}

std::string HostFs_MakeTempDirectory(const std::string& parent, const std::string& prefix)
{
    std::string pattern = parent;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) return {};
    return buffer.data();
}

std::string HostFs_MakeTempFile(const std::string& folder, const std::string& prefix,
                                const std::string& suffix)
{
    if (suffix.size() > INT_MAX) return {};
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += prefix + "XXXXXX" + suffix;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = mkstemps(buffer.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return {};
    close(fd);
    return buffer.data();
}

bool HostFs_DeleteTree(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    bool emptied = DeleteContents(fd, 0);
    close(fd);
    return emptied && rmdir(path.c_str()) == 0;
}

bool HostFs_StatEntry(const std::string& path, HostDirEntry* entry)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    entry->isDirectory = S_ISDIR(info.st_mode);
    entry->writable = access(path.c_str(), W_OK) == 0;
    return true;
}

std::vector<HostDirEntry> HostFs_ListDirectory(const std::string& folder)
{
    std::vector<HostDirEntry> entries;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return entries;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        HostDirEntry found;
        // An entry that vanished or is a dangling link is listed as a file.
        HostFs_StatEntry(prefix + entry->d_name, &found);
        found.name = entry->d_name;
        entries.push_back(std::move(found));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const HostDirEntry& a, const HostDirEntry& b) { return a.name < b.name; });
    return entries;
}

std::string HostFs_MatchCase(const std::string& folder, const std::string& relative)
{
    std::string exact = folder + relative;
    if (relative.empty() || EntryExists(exact)) return exact;

    std::string result = folder;
    bool matching = true;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        std::string part = relative.substr(start, end - start);
        if (matching && !EntryExists(result + part)) {
            std::string found;
            if (FindCaseless(result, part, &found)) {
                part = found;
            } else {
                matching = false;
            }
        }
        result += part;
        if (end == relative.size()) break;
        result += '/';
        start = end + 1;
    }
    return result;
}

}  // namespace bw
