// Whole-file reads and writes that say why they failed, in the system's own
// words ("No such file or directory", "Is a directory", "No space left on
// device"), so a message can tell the user what to fix.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bw::pack {

bool File_ReadAll(const std::filesystem::path& path, std::vector<uint8_t>* bytes, std::string* reason);
bool File_WriteAll(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* reason);

}  // namespace bw::pack
