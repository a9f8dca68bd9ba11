#include "bwpack/project_json.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "bwpack/file_error.h"
#include "bwpack/json_duplicate_keys.h"

namespace bw::pack {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

const char* TypeName(json_type type)
{
    switch (type) {
    case json_type_boolean: return "true or false";
    case json_type_double:
    case json_type_int: return "a number";
    case json_type_string: return "a text";
    case json_type_array: return "an array";
    case json_type_object: return "an object";
    default: return "null";
    }
}

}  // namespace

JsonDocument::JsonDocument(const std::string& manifest)
{
    // Editors may start a UTF-8 file with a byte-order mark; json-c does not
    // know it, and code files are taken with it too.
    std::string_view text = manifest;
    if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
    json_tokener* tokener = json_tokener_new();
    // The length takes in the terminating NUL, which ends the last token.
    m_root = json_tokener_parse_ex(tokener, text.data(), static_cast<int>(text.size() + 1));
    const json_tokener_error error = json_tokener_get_error(tokener);
    const size_t line = static_cast<size_t>(
        std::count(text.begin(), text.begin() + std::min<size_t>(json_tokener_get_parse_end(tokener), text.size()), '\n') + 1);
    json_tokener_free(tokener);
    if (error != json_tokener_success || m_root == nullptr) {
        if (m_root != nullptr) json_object_put(m_root);
        throw FileError({kManifestFile, static_cast<int32_t>(line)}, json_tokener_error_desc(error));
    }
    if (!json_object_is_type(m_root, json_type_object)) {
        json_object_put(m_root);
        throw FileError({kManifestFile}, "the top level must be an object");
    }
    if (const std::optional<JsonDuplicateKey> twice = Json_FindDuplicateKey(text)) {
        json_object_put(m_root);
        const std::string where = twice->objectPath.empty() ? "" : twice->objectPath + ": ";
        throw FileError({kManifestFile}, where + "\"" + twice->key + "\" given twice");
    }
}

JsonDocument::~JsonDocument() { json_object_put(m_root); }

JsonFields::JsonFields(json_object* object, std::string path) : m_object(object), m_path(std::move(path)) {}

std::string JsonFields::PathOf(const std::string& key) const { return m_path.empty() ? key : m_path + "." + key; }

void JsonFields::Fail(const std::string& key, const std::string& message) const
{
    throw FileError({kManifestFile}, PathOf(key) + ": " + message);
}

bool JsonFields::Has(const char* key) const
{
    json_object* value = nullptr;
    return m_object != nullptr && json_object_object_get_ex(m_object, key, &value) && value != nullptr;
}

json_object* JsonFields::Get(const char* key)
{
    m_read.emplace_back(key);
    json_object* value = nullptr;
    if (m_object == nullptr || !json_object_object_get_ex(m_object, key, &value)) return nullptr;
    return value;
}

std::optional<std::string> JsonFields::OptionalString(const char* key)
{
    json_object* value = Get(key);
    if (value == nullptr) return std::nullopt;
    if (!json_object_is_type(value, json_type_string)) Fail(key, std::string("expected a text, found ") + TypeName(json_object_get_type(value)));
    return std::string(json_object_get_string(value), static_cast<size_t>(json_object_get_string_len(value)));
}

std::string JsonFields::RequiredString(const char* key)
{
    std::optional<std::string> text = OptionalString(key);
    if (!text) Fail(key, "missing");
    return *text;
}

std::string JsonFields::String(const char* key, const std::string& fallback)
{
    return OptionalString(key).value_or(fallback);
}

int32_t JsonFields::Int(const char* key, int32_t fallback, int64_t min, int64_t max)
{
    json_object* value = Get(key);
    if (value == nullptr) return fallback;
    const json_type type = json_object_get_type(value);
    if (type != json_type_int && type != json_type_double) Fail(key, std::string("expected a whole number, found ") + TypeName(type));
    const double number = json_object_get_double(value);
    if (number != std::floor(number)) Fail(key, "expected a whole number, found " + std::string(json_object_get_string(value)));
    if (number < static_cast<double>(min) || number > static_cast<double>(max)) {
        Fail(key, std::string(json_object_get_string(value)) + " is outside " + std::to_string(min) + " .. " + std::to_string(max));
    }
    return static_cast<int32_t>(number);
}

float JsonFields::Float(const char* key, float fallback)
{
    json_object* value = Get(key);
    if (value == nullptr) return fallback;
    const json_type type = json_object_get_type(value);
    if (type != json_type_int && type != json_type_double) Fail(key, std::string("expected a number, found ") + TypeName(type));
    const double number = json_object_get_double(value);
    if (!std::isfinite(number) || std::fabs(number) > 3.0e38) Fail(key, "number out of range");
    return static_cast<float>(number);
}

bool JsonFields::Bool(const char* key, bool fallback)
{
    json_object* value = Get(key);
    if (value == nullptr) return fallback;
    if (!json_object_is_type(value, json_type_boolean)) Fail(key, std::string("expected true or false, found ") + TypeName(json_object_get_type(value)));
    return json_object_get_boolean(value) != 0;
}

int32_t JsonFields::Choice(const char* key, std::initializer_list<std::pair<const char*, int32_t>> choices)
{
    const std::string name = String(key, choices.begin()->first);
    std::string expected;
    size_t i = 0;
    for (const auto& [choice, number] : choices) {
        if (name == choice) return number;
        expected += std::string(i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + "\"" + choice + "\"";
        ++i;
    }
    Fail(key, "expected " + expected + ", found \"" + name + "\"");
}

uint32_t JsonFields::Colour(const char* key, uint32_t fallback)
{
    json_object* value = Get(key);
    if (value == nullptr) return fallback;
    if (json_object_is_type(value, json_type_string)) {
        const std::string text = json_object_get_string(value);
        const bool hex = text.size() == 7 && text[0] == '#' &&
                         std::all_of(text.begin() + 1, text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
        if (!hex) Fail(key, "expected a colour \"#RRGGBB\", found \"" + text + "\"");
        const uint32_t rgb = static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16));
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16);
    }
    m_read.pop_back();
    return static_cast<uint32_t>(Int(key, 0, 0, 0xFFFFFF));
}

namespace {

// Nothing when value is no array of minCount to maxCount finite numbers.
std::optional<std::vector<double>> NumbersOf(json_object* value, size_t minCount, size_t maxCount)
{
    if (!json_object_is_type(value, json_type_array)) return std::nullopt;
    const size_t count = json_object_array_length(value);
    if (count < minCount || count > maxCount) return std::nullopt;
    std::vector<double> numbers;
    for (size_t i = 0; i < count; ++i) {
        json_object* item = json_object_array_get_idx(value, i);
        const json_type type = json_object_get_type(item);
        if (type != json_type_int && type != json_type_double) return std::nullopt;
        const double number = json_object_get_double(item);
        if (!std::isfinite(number) || std::fabs(number) > 3.0e38) return std::nullopt;
        numbers.push_back(number);
    }
    return numbers;
}

std::string NumbersWanted(size_t minCount, size_t maxCount)
{
    return minCount == maxCount ? std::to_string(minCount) + " numbers"
                                : std::to_string(minCount) + " to " + std::to_string(maxCount) + " numbers";
}

}  // namespace

std::vector<double> JsonFields::Numbers(const char* key, size_t minCount, size_t maxCount)
{
    json_object* value = Get(key);
    if (value == nullptr) return {};
    std::optional<std::vector<double>> numbers = NumbersOf(value, minCount, maxCount);
    if (!numbers) Fail(key, "expected an array of " + NumbersWanted(minCount, maxCount));
    return *numbers;
}

std::vector<int32_t> JsonFields::WholeNumbers(const char* key, size_t count)
{
    std::vector<int32_t> whole;
    for (double number : Numbers(key, count, count)) {
        if (number != std::floor(number) || number < INT32_MIN || number > INT32_MAX) {
            Fail(key, "expected an array of " + std::to_string(count) + " whole numbers");
        }
        whole.push_back(static_cast<int32_t>(number));
    }
    return whole;
}

std::vector<std::vector<double>> JsonFields::NumberRows(const char* key, size_t minCount, size_t maxCount)
{
    json_object* value = Get(key);
    if (value == nullptr) return {};
    if (!json_object_is_type(value, json_type_array)) Fail(key, "expected an array of arrays of " + NumbersWanted(minCount, maxCount));
    std::vector<std::vector<double>> rows;
    for (size_t i = 0; i < json_object_array_length(value); ++i) {
        std::optional<std::vector<double>> row = NumbersOf(json_object_array_get_idx(value, i), minCount, maxCount);
        if (!row) Fail(std::string(key) + "[" + std::to_string(i) + "]", "expected an array of " + NumbersWanted(minCount, maxCount));
        rows.push_back(std::move(*row));
    }
    return rows;
}

std::vector<JsonFields> JsonFields::Objects(const char* key)
{
    json_object* value = Get(key);
    if (value == nullptr) return {};
    if (!json_object_is_type(value, json_type_array)) Fail(key, std::string("expected an array, found ") + TypeName(json_object_get_type(value)));
    std::vector<JsonFields> objects;
    for (size_t i = 0; i < json_object_array_length(value); ++i) {
        const std::string path = PathOf(key) + "[" + std::to_string(i) + "]";
        json_object* item = json_object_array_get_idx(value, i);
        if (!json_object_is_type(item, json_type_object)) {
            throw FileError({kManifestFile}, path + ": expected an object, found " + TypeName(json_object_get_type(item)));
        }
        objects.emplace_back(item, path);
    }
    return objects;
}

JsonFields JsonFields::Object(const char* key)
{
    json_object* value = Get(key);
    if (value != nullptr && !json_object_is_type(value, json_type_object)) {
        Fail(key, std::string("expected an object, found ") + TypeName(json_object_get_type(value)));
    }
    return JsonFields(value, PathOf(key));
}

void JsonFields::CheckAllRead() const
{
    if (m_object == nullptr) return;
    json_object_object_foreach(m_object, key, value)
    {
        (void)value;
        if (std::find(m_read.begin(), m_read.end(), key) == m_read.end()) Fail(key, "unknown field");
    }
}

}  // namespace bw::pack
