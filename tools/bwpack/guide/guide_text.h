// The parts of the language guide (docs/bwl.md) that tools read: its fenced
// code blocks, which must compile as the guide says, and the generated list
// of built-ins between two marker lines, which must match the runner's
// tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bw::pack {

inline constexpr const char* kGuideListBegin = "<!-- built-in list: begin -->\n";
inline constexpr const char* kGuideListEnd = "<!-- built-in list: end -->\n";

struct GuideCodeBlock {
    std::string info;  // the words after the opening fence, e.g. "bwl error"
    std::string code;
    int32_t line = 0;  // of the opening fence, from 1
};

// Blocks fenced by lines that start with three backquotes. A block left open
// at the end of the text is not a block.
std::vector<GuideCodeBlock> Guide_CodeBlocks(const std::string& markdown);

// The text between the two marker lines; none when either is missing or
// they come in the wrong order.
std::optional<std::string> Guide_ListSection(const std::string& markdown);
// The guide with that text replaced; none when the markers are not there.
std::optional<std::string> Guide_WithListSection(const std::string& markdown, const std::string& section);

}  // namespace bw::pack
