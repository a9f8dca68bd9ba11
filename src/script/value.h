// Value: the one data type of game code. Every variable, argument, result,
// constant and array element is a Value. A Value owns its payload outright:
// two Values never share a string or an array, so copying is always deep and
// freeing never has to ask who else holds the block.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

class CStream;

// The kind is the low 24 bits of the kind word; every kind test masks them.
enum ValueKind : uint32_t {
    kValueReal = 0,
    kValueString = 1,
    kValueArray = 2,
};
inline constexpr uint32_t kValueKindMask = 0x00FFFFFFu;
// Set by json_decode on a real that holds the id of a ds_map / ds_list owned
// by this entry. They travel with the kind word through copies and streams.
inline constexpr uint32_t kValueFlagNestedMap = 0x80000000u;
inline constexpr uint32_t kValueFlagNestedList = 0x40000000u;

// Arrays are two-dimensional; one signed 32-bit index addresses a cell as
// row * 32000 + column. Index -1 addresses the whole Value.
inline constexpr int32_t kValueArrayRowStride = 32000;
inline constexpr int32_t kValueNoIndex = -1;

struct Value;

struct ValueArrayRow {
    int32_t length;    // elements in this row, as game code sees them
    // Elements the block has room for. A row filled one element at a time
    // grows its block geometrically; the room past length stays real 0. A
    // row built whole may leave it 0, meaning the block holds length.
    int32_t capacity;
    Value* elements;   // memory-manager block of at least length Values, or null
};
static_assert(sizeof(ValueArrayRow) == 16, "the capacity fills what was padding");

struct Value {
    uint32_t kind = kValueReal;  // ValueKind in the low 24 bits, flags above
    // Kind 1: the NUL-terminated text (null = no text); kind 2: the row
    // table; otherwise null. Always a memory-manager block owned by this Value.
    void* ptr = nullptr;
    union {
        double real = 0.0;  // kind 0: the number; kind 1: 0.0
        int32_t rowCount;   // kind 2: entries in the row table
    };
};
static_assert(sizeof(Value) == 24, "Value keeps a natural 64-bit layout");

// A variable's id and its value in place, as the debugger lists variables.
struct VariableView {
    int32_t id;
    const Value* value;
};

// The last failed array access, for the run-time error that reports it. The
// variable store clears `failed` before each access.
struct ValueOutOfRange {
    bool failed = false;
    int32_t row = 0;
    int32_t column = 0;
    int32_t rowCount = 0;   // 0 when the value was no array
    int32_t rowLength = 0;  // -1 when the addressed row does not exist
};
ValueOutOfRange& Value_OutOfRange();

inline uint32_t Value_Kind(const Value& value)
{
    return value.kind & kValueKindMask;
}
inline char* Value_String(const Value& value)
{
    return static_cast<char*>(value.ptr);
}
inline ValueArrayRow* Value_Rows(const Value& value)
{
    return static_cast<ValueArrayRow*>(value.ptr);
}

// Releases the payload (text, or every row with every element). The kind word
// is left as it is.
void Value_Free(Value& value);

// dest := a deep copy of src, kind word and flags included. dest's text block
// is reused when large enough; an array in dest is released. src may live
// inside dest (an element of dest's array).
void Value_Copy(Value& dest, const Value& src);

// Replaces whatever dest holds with a real / a copy of the text (null text:
// a string with no text).
void Value_SetReal(Value& dest, double real);
void Value_SetString(Value& dest, const char* text);

// dest := the element at index of src (or all of src for index -1, or when
// src is no array). Outside the array: dest becomes real 0, the out-of-range
// record is filled and the answer is false. dest's payload is replaced.
bool Value_ArrayGet(Value& dest, const Value& src, int32_t index);

// Stores a copy of src at index of target, growing rows and columns as
// needed; a target that is no array becomes one (its old payload released).
// Index -1 replaces target whole. A negative row or column stores nothing and
// fills the out-of-range record. src may be target or live inside it.
void Value_ArraySet(Value& target, const Value& src, int32_t index);

// Appends the text form used by diagnostics and string conversion: a whole
// real as an integer, any other real with two decimals, a text as it is, an
// array as "{ " elements " }" (elements of a row joined by ",").
void Value_ToString(std::string& out, const Value& value);

// The stream form: s32 kind word; kinds 0 and 1: f64 real and a
// NUL-terminated text (no text: the one-byte text "\x04"); kind 2: s32 row
// count, then per row an s32 length and its elements in this same form; any
// other kind: nothing more. Little-endian, no padding.
bool Value_Write(const Value& value, CStream& stream);
// Reads one Value written by Value_Write into value (its old payload
// released). The bytes may come from a file: counts are checked against the
// bytes left and nesting is bounded. On damaged input the answer is false and
// value is real 0.
bool Value_Read(Value& value, CStream& stream);

}  // namespace bw
