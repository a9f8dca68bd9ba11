#include "app/at_names.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace bw {
namespace {

namespace fs = std::filesystem;

bool SplitAtNames(const std::string& name, std::vector<std::string>& parts)
{
    size_t start = 0;
    for (;;) {
        const size_t at = name.find('@', start);
        const std::string part = name.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos) {
            return false;
        }
        parts.push_back(part);
        if (at == std::string::npos) {
            return parts.size() > 1;
        }
        start = at + 1;
    }
}

// Read-only is told by the mode, which holds for root too (access() lets
// root write anything), and by whether the player may write the file.
bool IsReadOnly(const fs::directory_entry& entry)
{
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    std::error_code error;
    return (entry.status(error).permissions() & kAnyWrite) == fs::perms::none ||
           access(entry.path().c_str(), W_OK) != 0;
}

bool IsMovable(const fs::directory_entry& entry, std::span<const std::string> kept)
{
    std::error_code error;
    const std::string name = entry.path().filename().string();
    return !name.empty() && name[0] != '.' && name.find('@') != std::string::npos &&
           std::find(kept.begin(), kept.end(), name) == kept.end() && entry.is_regular_file(error) &&
           !entry.is_symlink(error) && !IsReadOnly(entry);
}

}  // namespace

bool Brackwell_MoveAtFile(const std::string& folder, const std::string& name)
{
    std::vector<std::string> parts;
    if (!SplitAtNames(name, parts)) {
        return false;
    }
    fs::path target(folder);
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        target /= parts[i];
    }
    std::error_code error;
    fs::create_directories(target, error);
    target /= parts.back();
    if (error || fs::symlink_status(target, error).type() != fs::file_type::not_found) {
        return false;
    }
    // Never replaces: a file that appeared since the test above stays.
    if (link((fs::path(folder) / name).c_str(), target.c_str()) != 0) {
        return false;
    }
    return unlink((fs::path(folder) / name).c_str()) == 0;
}

void Brackwell_UnpackAtNames(const std::string& folder, std::span<const std::string> kept)
{
    std::error_code error;
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (IsMovable(entry, kept)) {
            names.push_back(entry.path().filename().string());
        }
    }
    for (const std::string& name : names) {
        Brackwell_MoveAtFile(folder, name);
    }
}

}  // namespace bw
