// Reading game.json with json-c: one JSON object at a time, with the path of
// the field for messages ("rooms[0].instances[2].object") and a check that
// no field was left unread, so a misspelt key is an error instead of a
// silently ignored setting.
#pragma once

#include <json-c/json.h>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <optional>
#include <string>
#include <vector>

namespace bw::pack {

// The project's manifest, as errors name it (relative to the project folder).
inline constexpr const char* kManifestFile = "game.json";

// Owns the parsed document.
class JsonDocument {
public:
    // Throws FileError on game.json when the text is not JSON (with the line),
    // its top is not an object, or an object gives a key twice. A UTF-8
    // byte-order mark at the start is passed over.
    explicit JsonDocument(const std::string& manifest);
    ~JsonDocument();
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;
    json_object* Root() const { return m_root; }

private:
    json_object* m_root = nullptr;
};

class JsonFields {
public:
    JsonFields(json_object* object, std::string path);

    // Throws "game.json: <path>.<key>: <message>".
    [[noreturn]] void Fail(const std::string& key, const std::string& message) const;
    std::string PathOf(const std::string& key) const;
    const std::string& Path() const { return m_path; }

    bool Has(const char* key) const;
    // The raw value, marked as read; null when absent or JSON null.
    json_object* Get(const char* key);

    std::string RequiredString(const char* key);
    std::string String(const char* key, const std::string& fallback);
    // Absent or null gives nothing.
    std::optional<std::string> OptionalString(const char* key);
    int32_t Int(const char* key, int32_t fallback, int64_t min = INT32_MIN, int64_t max = INT32_MAX);
    float Float(const char* key, float fallback);
    bool Bool(const char* key, bool fallback);
    // One of the named choices (the first is the fallback), as its number.
    int32_t Choice(const char* key, std::initializer_list<std::pair<const char*, int32_t>> choices);
    // An integer 0xBBGGRR or a text "#RRGGBB".
    uint32_t Colour(const char* key, uint32_t fallback);
    // An array of numbers of the given length range.
    std::vector<double> Numbers(const char* key, size_t minCount, size_t maxCount);
    // An array of exactly count whole numbers that fit 32 bits.
    std::vector<int32_t> WholeNumbers(const char* key, size_t count);
    // An array of arrays of numbers (points).
    std::vector<std::vector<double>> NumberRows(const char* key, size_t minCount, size_t maxCount);

    // The objects of an array field (empty when absent).
    std::vector<JsonFields> Objects(const char* key);
    // An object field (fields of an empty object when absent).
    JsonFields Object(const char* key);

    // Throws for the first field that was never read.
    void CheckAllRead() const;

private:
    json_object* m_object;
    std::string m_path;
    std::vector<std::string> m_read;
};

}  // namespace bw::pack
