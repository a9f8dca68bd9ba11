#include "host/http_response.h"

#include <algorithm>

namespace bw {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return Lower(a) == Lower(b); });
}

std::string_view TrimSpace(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

int32_t Http_ParseStatusLine(std::string_view line)
{
    if (!line.starts_with("HTTP/")) return -1;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos || line.size() < space + 4) return -1;
    const std::string_view code = line.substr(space + 1, 3);
    if (!std::all_of(code.begin(), code.end(), IsDigit)) return -1;
    if (line.size() > space + 4 && IsDigit(line[space + 4])) return -1;
    return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

int64_t Http_ParseContentLength(std::string_view line, int64_t cap)
{
    constexpr std::string_view kName = "content-length:";
    if (!StartsWithNoCase(line, kName)) return -1;
    const std::string_view value = TrimSpace(line.substr(kName.size()));
    if (value.empty() || !std::all_of(value.begin(), value.end(), IsDigit)) return -1;
    int64_t length = 0;
    for (char digit : value) {
        length = length * 10 + (digit - '0');
        if (length >= cap) return cap;
    }
    return length;
}

void HttpResponseReader::OnHeaderLine(std::string_view line)
{
    const int32_t status = Http_ParseStatusLine(line);
    if (status >= 0) {
        m_status = status;
        m_body.clear();
        return;
    }
    const int64_t length = Http_ParseContentLength(line, static_cast<int64_t>(kHttpMaxReserveBytes));
    if (length > 0) m_body.reserve(static_cast<size_t>(length));
}

bool HttpResponseReader::OnBody(std::span<const uint8_t> bytes)
{
    if (bytes.size() > kHttpMaxBodyBytes - m_body.size()) return false;
    m_body.insert(m_body.end(), bytes.begin(), bytes.end());
    return true;
}

}  // namespace bw
