// The scan of game.json for keys given twice reads the manifest as it
// comes: any bytes, any nesting, strings, escapes and comments cut short.
// No input may read outside the text, and a key it finds given twice in
// the first half of a text is the first such key of the whole text too (a
// text's start is read the same whatever follows it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "bwpack/json_duplicate_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<bw::pack::JsonDuplicateKey> whole = bw::pack::Json_FindDuplicateKey(text);
    const std::optional<bw::pack::JsonDuplicateKey> start = bw::pack::Json_FindDuplicateKey(text.substr(0, size / 2));
    if (start && (!whole || whole->objectPath != start->objectPath || whole->key != start->key)) {
        std::abort();
    }
    return 0;
}
