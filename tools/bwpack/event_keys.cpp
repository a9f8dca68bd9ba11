#include "bwpack/event_keys.h"

#include <array>
#include <cctype>
#include <cmath>
#include <string_view>

#include "script/constants.h"

namespace bw::pack {
namespace {

constexpr int32_t kCollisionType = 4;
constexpr int32_t kLargestEventNumber = 255;

struct EventType {
    std::string_view name;
    int32_t type;
    bool takesKey;
};

constexpr std::array<EventType, 11> kTypes = {{
    {"create", 0, false},
    {"destroy", 1, false},
    {"alarm", 2, false},
    {"step", 3, false},
    {"collision", kCollisionType, false},
    {"keyboard", 5, true},
    {"mouse", 6, false},
    {"other", 7, false},
    {"draw", 8, false},
    {"keypress", 9, true},
    {"keyrelease", 10, true},
}};

std::optional<int32_t> WholeNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) return std::nullopt;
    }
    return std::stoi(text);
}

std::optional<int32_t> ConstantNumber(const std::string& name)
{
    // The runner's table: the names game code uses for the same numbers.
    if (Code_Constant_Count() == 0) Code_Constant_Init();
    const Value* value = Code_Constant_Find(name.c_str());
    if (value == nullptr || Value_Kind(*value) != kValueReal) return std::nullopt;
    const double number = value->real;
    if (number != std::floor(number) || number < 0 || number > kLargestEventNumber) return std::nullopt;
    return static_cast<int32_t>(number);
}

std::optional<int32_t> KeyOfCharacter(const std::string& text)
{
    if (text.size() != 1 || std::isalnum(static_cast<unsigned char>(text[0])) == 0) return std::nullopt;
    return std::toupper(static_cast<unsigned char>(text[0]));
}

}  // namespace

std::optional<EventKey> EventKey_Parse(const std::string& key, const std::function<int32_t(const std::string&)>& findObject)
{
    const size_t colon = key.find(':');
    const std::string typeName = key.substr(0, colon);
    const std::string argument = colon == std::string::npos ? "" : key.substr(colon + 1);
    for (const EventType& type : kTypes) {
        if (type.name != typeName) continue;
        // A collision names the other object; every other type defaults to 0.
        if (colon == std::string::npos) return type.type == kCollisionType ? std::nullopt : std::optional(EventKey{type.type, 0});
        std::optional<int32_t> number;
        if (type.type == kCollisionType) {
            const int32_t object = findObject(argument);
            if (object >= 0) number = object;
        } else {
            number = WholeNumber(argument);
            if (!number && type.takesKey) number = KeyOfCharacter(argument);
            if (!number) number = ConstantNumber(argument);
            if (number && *number > kLargestEventNumber) number.reset();
        }
        if (!number) return std::nullopt;
        return EventKey{type.type, *number};
    }
    return std::nullopt;
}

}  // namespace bw::pack
