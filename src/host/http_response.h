// What a worker thread keeps of one HTTP reply as it arrives: the status of
// the final response (after redirects) and its body. Kept apart from the
// transfer so the parsing of outside bytes can be fuzzed without a network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace bw {

// A reply body may not pass this; a Content-Length reserves at most the
// first part of it, so a hostile header cannot make us allocate much.
inline constexpr size_t kHttpMaxBodyBytes = size_t{64} << 20;
inline constexpr size_t kHttpMaxReserveBytes = size_t{1} << 20;

class HttpResponseReader {
public:
    // One header line as received, line end included. A status line starts
    // a new response (a redirect or an interim reply came before it), so
    // what the previous one held is dropped.
    void OnHeaderLine(std::string_view line);
    // Appends body bytes; false (and nothing kept of them) when the body
    // would pass kHttpMaxBodyBytes.
    bool OnBody(std::span<const uint8_t> bytes);

    // 0 until a status line was seen.
    int32_t Status() const { return m_status; }
    std::vector<uint8_t>& Body() { return m_body; }

private:
    int32_t m_status = 0;
    std::vector<uint8_t> m_body;
};

// "HTTP/<version> <3 digits>..." to the code; -1 for anything else.
int32_t Http_ParseStatusLine(std::string_view line);
// The value of a "Content-Length:" line (name without case); -1 for another
// header or a value that is not a plain number. Values past the cap come
// out as the cap.
int64_t Http_ParseContentLength(std::string_view line, int64_t cap);

}  // namespace bw
