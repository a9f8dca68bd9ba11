// The text forms in which games store their containers (ds_*_write and
// ds_*_read). Stacks, queues, lists, priority queues and grids share one
// form: a little-endian stream (a type id, the container's fields and its
// values) written out as upper-case hex digits. Maps have a text form of
// their own. Games keep these texts in files, so both forms are fixed to the
// byte; reading them must survive any text at all.
//
// The container methods (Write, WriteToString, ReadFromString) are declared
// with their classes and defined in ds_text.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "script/value.h"

namespace bw {

class CStream;
class CDS_Map;

// Type ids that open each stream form.
inline constexpr int32_t kDSTextStack = 101;
inline constexpr int32_t kDSTextQueue = 201;
inline constexpr int32_t kDSTextList = 301;
inline constexpr int32_t kDSTextPriority = 501;
inline constexpr int32_t kDSTextGrid = 601;

// The kind word as stored; a real: its double; a string: i32 length and the
// bytes; an array: i32 rows, each an i32 count and its values; any other
// kind word (an ownership flag): nothing more.
void DS_WriteValue(CStream& stream, const Value& value);
// Reads one value into value (its old payload freed). A kind word carrying
// an ownership flag, or of no known kind, reads as the real 0: ownership
// never comes from text. False when a length or count is more than the
// stream still holds; value is then the real 0.
bool DS_ReadValue(CStream& stream, Value& value);

// One "digit:key:value" entry per map entry, in iteration order, joined by ",".
std::string DS_Map_WriteToString(const CDS_Map* map);
// Empties the map (owned structures are not destroyed) and fills it from the
// text. A key met again keeps its first value.
void DS_Map_ReadFromString(CDS_Map* map, const char* text);

}  // namespace bw
