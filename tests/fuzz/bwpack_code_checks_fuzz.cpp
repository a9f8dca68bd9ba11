// bwpack reads an author's code file as it comes before it compiles it: any
// bytes, line ends of every kind, text in any script, NUL bytes, strings and
// comments cut short. No input may read outside the text; a refusal names a
// place inside the file, on a line whose text the file holds, and the caret
// line under it never points past the place.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bwpack/code_checks.h"
#include "bwpack/file_error.h"

namespace {

void CheckPlace(const bw::pack::CodeText& code, const bw::pack::FilePlace& place)
{
    const auto size = static_cast<int64_t>(code.source.size());
    if (place.line < 1 || place.column < 1 || place.line > size + 1 || place.column > size + 1) std::abort();
    if (code.source.find(place.lineText) == std::string::npos) std::abort();
    const std::string described = bw::pack::FileError_Describe(bw::pack::FileError(place, "x"), code.file);
    const size_t caret = described.rfind('^');
    const size_t caretLine = described.rfind('\n', caret);
    if (caret == std::string::npos || caret - caretLine - 1 > static_cast<size_t>(place.column) - 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::pack::CodeText code{std::string(reinterpret_cast<const char*>(data), size), "c.bwl"};
    try {
        bw::pack::Code_RefuseLostText(code);
    } catch (const bw::pack::FileError& error) {
        CheckPlace(code, error.Place());
    }
    // Every place of the text, and one past its end.
    for (size_t at = 0; at <= size + 1 && at < 4096; at += 1 + at / 64) {
        CheckPlace(code, bw::pack::Code_FilePlace(code, static_cast<int32_t>(at)));
    }
    return 0;
}
