// Searching the game's folders for names that match a mask, as
// file_find_first and file_find_next hand them out one by one. A mask such
// as "saves\*.sav" is looked up in the save area and in the program area;
// each name is listed once, the save area's first. Files the game holds open
// for writing are listed (and have attributes) as the files they will be;
// the temporary files that hold their bytes meanwhile never are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

// Attribute bits of a found entry.
inline constexpr int32_t kFileAttributeReadOnly = 1;
inline constexpr int32_t kFileAttributeHidden = 2;
inline constexpr int32_t kFileAttributeSystem = 4;
inline constexpr int32_t kFileAttributeDirectory = 16;
inline constexpr int32_t kFileAttributeArchive = 32;

// Whether the last part of a name matches a pattern of '*' (any run) and '?'
// (any one byte), without regard to ASCII case. "*.*" matches every name.
bool FileFind_Matches(const std::string& pattern, const std::string& name);

// The names (without folder) matching mask, filtered by the requested
// attribute bits: folders only when 16 is requested; other entries always
// when nothing but 16 is requested, else when they share a requested bit.
std::vector<std::string> FileFind_Collect(const char* mask, int32_t attributes);

// The attribute bits of the entry at a host path; -1 when there is none.
int32_t FileFind_Attributes(const std::string& path);

// The search of the file_find_* built-ins: the first name ("" when none),
// the next ("" after the last, or with no search), and the end.
std::string FileFind_First(const char* mask, int32_t attributes);
std::string FileFind_Next();
void FileFind_Close();

}  // namespace bw
