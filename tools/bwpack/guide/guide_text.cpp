#include "bwpack/guide/guide_text.h"

#include <cstring>
#include <sstream>
#include <utility>

namespace bw::pack {
namespace {

constexpr const char* kFence = "```";

// Where the section's text starts and ends.
std::optional<std::pair<size_t, size_t>> ListBounds(const std::string& markdown)
{
    const size_t begin = markdown.find(kGuideListBegin);
    if (begin == std::string::npos) return std::nullopt;
    const size_t start = begin + std::strlen(kGuideListBegin);
    const size_t end = markdown.find(kGuideListEnd, start);
    if (end == std::string::npos) return std::nullopt;
    return std::make_pair(start, end);
}

}  // namespace

GuideFence Guide_ReadFence(const std::string& info)
{
    std::istringstream words(info);
    std::string language, kind, name;
    words >> language >> kind >> name;
    if (language != "bwl") return {};
    if (kind == "error") return {GuideExpect::Fails, "", GuideEngines::Both};
    if (kind == "script") return {GuideExpect::Compiles, name, GuideEngines::Both};
    if (kind == "machine") return {GuideExpect::Compiles, "", GuideEngines::Machine};
    if (kind == "tree") return {GuideExpect::Compiles, "", GuideEngines::Tree};
    return {GuideExpect::Compiles, "", GuideEngines::Both};
}

std::vector<GuideCodeBlock> Guide_CodeBlocks(const std::string& markdown)
{
    std::vector<GuideCodeBlock> blocks;
    std::optional<GuideCodeBlock> open;
    int32_t lineNumber = 0;
    size_t at = 0;
    while (at < markdown.size()) {
        const size_t lineEnd = std::min(markdown.find('\n', at), markdown.size());
        const std::string line = markdown.substr(at, lineEnd - at);
        at = lineEnd + 1;
        ++lineNumber;
        if (line.rfind(kFence, 0) == 0) {
            if (open) {
                blocks.push_back(std::move(*open));
                open.reset();
            } else {
                open = GuideCodeBlock{line.substr(std::strlen(kFence)), "", lineNumber};
            }
        } else if (open) {
            open->code += line + "\n";
        }
    }
    return blocks;
}

std::optional<std::string> Guide_ListSection(const std::string& markdown)
{
    const auto bounds = ListBounds(markdown);
    if (!bounds) return std::nullopt;
    return markdown.substr(bounds->first, bounds->second - bounds->first);
}

std::optional<std::string> Guide_WithListSection(const std::string& markdown, const std::string& section)
{
    const auto bounds = ListBounds(markdown);
    if (!bounds) return std::nullopt;
    return markdown.substr(0, bounds->first) + section + markdown.substr(bounds->second);
}

}  // namespace bw::pack
