// A reply as the HTTP workers see it: lines up to the first empty one are
// headers (status lines and Content-Length among them), the rest is the
// body, handed over in pieces whose sizes the first byte picks. Whatever
// the bytes, the body kept is exactly what was appended since the last
// status line, and never more than the limit.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "host/http_response.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const size_t piece = data[0] % 64 + 1;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    bw::HttpResponseReader reader;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
        rest.remove_prefix(line.size());
        if (line == "\r\n" || line == "\n") break;
        reader.OnHeaderLine(line);
        const int32_t status = bw::Http_ParseStatusLine(line);
        Check(status >= -1 && status <= 999);
        if (status >= 0) Check(reader.Status() == status && reader.Body().empty());
        Check(bw::Http_ParseContentLength(line, 1000) <= 1000);
    }
    size_t appended = 0;
    while (!rest.empty()) {
        const std::string_view chunk = rest.substr(0, piece);
        rest.remove_prefix(chunk.size());
        Check(reader.OnBody({reinterpret_cast<const uint8_t*>(chunk.data()), chunk.size()}));
        appended += chunk.size();
    }
    Check(reader.Body().size() == appended && appended <= bw::kHttpMaxBodyBytes);
    return 0;
}
