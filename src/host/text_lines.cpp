#include "host/text_lines.h"

namespace bw {

namespace {

// Where the line that starts at begin ends, and where the next one starts.
struct LineEnd {
    size_t end;
    size_t next;
};

LineEnd FindLineEnd(std::string_view text, size_t begin)
{
    const size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) return {text.size(), std::string_view::npos};
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    return {end, end + (crlf ? 2 : 1)};
}

}  // namespace

std::vector<std::string_view> HostText_SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t begin = 0;
    for (;;) {
        const LineEnd line = FindLineEnd(text, begin);
        lines.push_back(text.substr(begin, line.end - begin));
        if (line.next == std::string_view::npos) return lines;
        begin = line.next;
    }
}

std::string HostText_WithLineFeeds(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    const std::vector<std::string_view> lines = HostText_SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) plain.push_back('\n');
        plain.append(lines[i]);
    }
    return plain;
}

}  // namespace bw
