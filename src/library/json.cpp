#include "library/json.h"

#include <json-c/json.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "script/arguments.h"
#include "library/ds.h"
#include "library/ds_map.h"
#include "platform/strings.h"

namespace bw {

namespace {

// Maps that own themselves through reused ids would otherwise nest without
// end; no real document comes near this depth.
constexpr int kMaxEncodeDepth = 64;

// A parsed document that must be a JSON object; null otherwise.
json_object* ParseObject(const char* text)
{
    json_object* root = json_tokener_parse(text);
    if (root != nullptr && !json_object_is_type(root, json_type_object)) {
        json_object_put(root);
        return nullptr;
    }
    return root;
}

void AddMembers(CDS_Map* map, json_object* object);
void AppendElements(CDS_List* list, json_object* array);

// The script value of a JSON value; objects and arrays become new owned
// containers. The caller frees the value.
Value ToValue(json_object* json)
{
    Value value{};
    switch (json_object_get_type(json)) {
    case json_type_object: {
        const int32_t id = DS_Map_Create();
        AddMembers(DS_MapPool().Get(id), json);
        value.real = id;
        value.kind = kValueReal | kValueFlagNestedMap;
        break;
    }
    case json_type_array: {
        const int32_t id = DS_List_Create();
        AppendElements(DS_ListPool().Get(id), json);
        value.real = id;
        value.kind = kValueReal | kValueFlagNestedList;
        break;
    }
    case json_type_boolean:
        value.real = json_object_get_boolean(json) ? 1.0 : 0.0;
        break;
    case json_type_int:
    case json_type_double:
        value.real = json_object_get_double(json);
        break;
    case json_type_string:
        Value_SetString(value, json_object_get_string(json));
        break;
    case json_type_null:
        break;
    }
    return value;
}

void AddMembers(CDS_Map* map, json_object* object)
{
    json_object_object_foreach(object, name, member)
    {
        if (member == nullptr) {
            continue;  // a null member is left out
        }
        Value key{};
        Value_SetString(key, name);
        Value value = ToValue(member);
        DS_Map_Add(map, key, value);
        Value_Free(key);
        Value_Free(value);
    }
}

void AppendElements(CDS_List* list, json_object* array)
{
    const size_t count = json_object_array_length(array);
    for (size_t i = 0; i < count; ++i) {
        json_object* element = json_object_array_get_idx(array, i);
        Value value = element != nullptr ? ToValue(element) : Value{};  // null is the real 0
        list->Add(value);
        Value_Free(value);
    }
}

int32_t NewMapFromObject(json_object* object)
{
    const int32_t id = DS_Map_Create();
    AddMembers(DS_MapPool().Get(id), object);
    return id;
}

json_object* MapToJson(const CDS_Map* map, int depth);
json_object* ListToJson(const CDS_List* list, int depth);

// An entry of a container whose owned structures are `owned`. A structure
// the entry owns is written nested; an id whose structure is gone is null;
// a structure of the game's own that took the id after the one owned was
// destroyed is none of the entry's, which then holds a plain number.
json_object* ToJson(const Value& value, const OwnedStructures& owned, int depth)
{
    const DSNamedStructure named = DS_NamedStructure(value);
    if (owned.Owns(value)) {
        if (depth >= kMaxEncodeDepth) {
            return nullptr;
        }
        return named.isMap ? MapToJson(DS_MapPool().Get(named.id), depth + 1)
                           : ListToJson(DS_ListPool().Get(named.id), depth + 1);
    }
    if ((DS_OwnsMap(value) || DS_OwnsList(value)) && named.serial == 0) {
        return nullptr;
    }
    switch (Value_Kind(value)) {
    case kValueReal:
        return json_object_new_double(value.real);
    case kValueString:
        return json_object_new_string(value.ptr != nullptr ? Value_String(value) : "");
    default:
        return nullptr;
    }
}

json_object* ListToJson(const CDS_List* list, int depth)
{
    json_object* array = json_object_new_array();
    for (int32_t i = 0; i < list->Size(); ++i) {
        json_object_array_add(array, ToJson(*list->GetValue(i), list->m_owned, depth));
    }
    return array;
}

// A map key as a member name: a string as it is; a real as every digit of
// its value truncated toward zero, which no integer type could hold past
// 2^63. -0.5 gives "0", not "-0"; the infinities give "inf" and "-inf", and a
// NaN "nan" whatever its sign.
std::string MemberName(const Value& key)
{
    if (Value_Kind(key) == kValueString) {
        return key.ptr != nullptr ? Value_String(key) : "";
    }
    if (std::isnan(key.real)) {
        return "nan";
    }
    return String_FromWholeReal(std::trunc(key.real));
}

json_object* MapToJson(const CDS_Map* map, int depth)
{
    json_object* object = json_object_new_object();
    DS_Map_ForEach(map, [map, object, depth](const MapEntry& entry) {
        json_object_object_add(object, MemberName(entry.key).c_str(), ToJson(entry.value, map->m_owned, depth));
    });
    return object;
}

bool IsJsonSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// One JSON value of the given type filling the whole text (white space
// aside); null otherwise. json-c on its own stops after the first complete
// value and ignores whatever follows it.
json_object* ParseWhole(const std::string& text, json_type type)
{
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        return nullptr;  // beyond what the tokener can be given
    }
    json_tokener* tokener = json_tokener_new();
    json_object* value = json_tokener_parse_ex(tokener, text.c_str(), static_cast<int>(text.size()));
    const size_t end = std::min(json_tokener_get_parse_end(tokener), text.size());
    json_tokener_free(tokener);
    const bool whole = value != nullptr && json_object_is_type(value, type) &&
                       std::all_of(text.begin() + static_cast<std::ptrdiff_t>(end), text.end(), IsJsonSpace);
    if (!whole) {
        json_object_put(value);
        return nullptr;
    }
    return value;
}

// The one-member object {"default": member}; null when there is no member.
json_object* WrapAsDefault(json_object* member)
{
    if (member == nullptr) {
        return nullptr;
    }
    json_object* root = json_object_new_object();
    json_object_object_add(root, "default", member);
    return root;
}

}  // namespace

int32_t Json_Decode(const char* text)
{
    if (text == nullptr) {
        text = "";
    }
    const char* first = text;
    while (*first != '\0' && IsJsonSpace(*first)) {
        ++first;
    }
    const char* last = text + std::strlen(text);
    while (last > first && IsJsonSpace(last[-1])) {
        --last;
    }
    // A text that is not one object is wrapped as the member "default": an
    // array as it stands, anything else as a string. The member is parsed on
    // its own, not pasted into an object's text: quotes in the text would
    // otherwise close the member early and add members of their own.
    json_object* root = nullptr;
    if (last > first && *first == '{' && last[-1] == '}') {
        root = ParseWhole(text, json_type_object);
    } else if (last > first && *first == '[' && last[-1] == ']') {
        root = WrapAsDefault(ParseWhole(text, json_type_array));
    }
    if (root == nullptr) {
        // Anything else, and a text that did not parse, is retried once as a
        // string, its escapes read as JSON reads them.
        root = WrapAsDefault(ParseWhole('"' + std::string(text) + '"', json_type_string));
    }
    if (root == nullptr) {
        return -1;
    }
    const int32_t id = NewMapFromObject(root);
    json_object_put(root);
    return id;
}

std::string Json_EncodeMap(int32_t mapId)
{
    const CDS_Map* map = DS_MapPool().Get(mapId);
    if (map == nullptr) {
        return {};
    }
    json_object* object = MapToJson(map, 0);
    std::string text = json_object_to_json_string(object);
    json_object_put(object);
    return text;
}

int32_t Json_DecodeListMember(const char* text, const char* member, int32_t listId)
{
    json_object* root = ParseObject(text != nullptr ? text : "");
    if (root == nullptr) {
        return -1;
    }
    int32_t result = -1;
    json_object* array = nullptr;
    if (json_object_object_get_ex(root, member != nullptr ? member : "", &array)
        && json_object_is_type(array, json_type_array) && json_object_array_length(array) > 0) {
        if (listId < 0) {
            listId = DS_List_Create();
            result = listId;
        }
        if (CDS_List* list = DS_ListPool().Get(listId)) {
            AppendElements(list, array);
        }
    }
    json_object_put(root);
    return result;
}

int32_t Json_DecodeMap(const char* text, int32_t mapId)
{
    json_object* root = ParseObject(text != nullptr ? text : "");
    if (root == nullptr) {
        return -1;
    }
    int32_t result = -1;
    if (mapId < 0) {
        mapId = DS_Map_Create();
        result = mapId;
    }
    if (CDS_Map* map = DS_MapPool().Get(mapId)) {
        AddMembers(map, root);
    }
    json_object_put(root);
    return result;
}

}  // namespace bw
