// JSON to and from data structures. An object becomes a ds_map and an array a
// ds_list; nested ones are held by their parent through the ownership flags
// (ds.h), so destroying the top map destroys the whole tree. Parsing and
// printing are json-c's.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// The id of a new ds_map built from the text. A text that is not a JSON
// object is wrapped as the one member "default": an array as it is, anything
// else (and any text that does not parse) as a JSON string, so its escapes
// are read. -1 when even the string does not parse: a text that is broken
// JSON is told apart from a good one.
int32_t Json_Decode(const char* text);

// The JSON text of a map and of what it owns; "" when the id names no map.
std::string Json_EncodeMap(int32_t mapId);

// Parses the text; when the named member is an array with elements, appends
// them to the list (result -1) or, for a negative id, to a new list whose id
// is the result. -1 when the text does not parse.
int32_t Json_DecodeListMember(const char* text, const char* member, int32_t listId);
// Parses the text and adds the object's members to the map (result -1) or,
// for a negative id, to a new map whose id is the result. -1 when the text
// does not parse.
int32_t Json_DecodeMap(const char* text, int32_t mapId);

}  // namespace bw
