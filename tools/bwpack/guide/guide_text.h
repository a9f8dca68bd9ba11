// The parts of the language guide (docs/bwl.md) that tools read: its fenced
// code blocks, which must compile (and, where they state results, run) as
// their fences say, and the generated list of built-ins between two marker
// lines, which must match the runner's tables.
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

// What a block's fence says. "bwl" is code that must compile; "bwl script
// NAME" also makes a script of that name that every example may call;
// "bwl error" shows a mistake and must NOT compile; "bwl machine" and
// "bwl tree" compile as "bwl" does, and the results they state hold on that
// engine only, where a plain block's hold on both. Other languages are no
// code.
enum class GuideExpect { NotCode, Compiles, Fails };
enum class GuideEngines { Both, Machine, Tree };

struct GuideFence {
    GuideExpect expect = GuideExpect::NotCode;
    std::string scriptName;  // set for a block that defines a script
    GuideEngines engines = GuideEngines::Both;
};

GuideFence Guide_ReadFence(const std::string& info);

// Blocks fenced by lines that start with three backquotes. A block left open
// at the end of the text is not a block.
std::vector<GuideCodeBlock> Guide_CodeBlocks(const std::string& markdown);

// The text between the two marker lines; none when either is missing or
// they come in the wrong order.
std::optional<std::string> Guide_ListSection(const std::string& markdown);
// The guide with that text replaced; none when the markers are not there.
std::optional<std::string> Guide_WithListSection(const std::string& markdown, const std::string& section);

}  // namespace bw::pack
