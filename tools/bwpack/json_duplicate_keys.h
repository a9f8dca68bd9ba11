// json-c keeps only the last of two members with the same key, so a
// game.json that gives a setting or an event twice would build with the
// first silently dropped. This scan of the text finds such keys. It reads
// the manifest as it comes: every read is bounds-checked, and text that is
// not JSON simply ends the scan.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bw::pack {

struct JsonDuplicateKey {
    // The object holding the key, as game.json errors name fields: "" for
    // the top level, "window", "objects[2].events".
    std::string objectPath;
    std::string key;  // with its escapes undone
};

// The first member, in text order, whose key an earlier member of the same
// object already gave. The text is read as json-c reads it: comments,
// single-quoted strings, and nothing after the first value.
std::optional<JsonDuplicateKey> Json_FindDuplicateKey(std::string_view text);

}  // namespace bw::pack
