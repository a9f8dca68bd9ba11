#include "script/value.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/memory.h"
#include "platform/stream.h"
#include "platform/strings.h"

namespace bw {

namespace {

// A stream from a file can nest arrays without end; each level costs a few
// bytes of input but a native stack frame here. Games nest arrays a handful
// of levels deep at most.
constexpr int kMaxStreamNesting = 256;

// A NUL-terminated text of exactly this byte stands for "no text".
constexpr char kNoTextMarker = '\x04';

struct ArrayCell {
    int32_t row;
    int32_t column;
};

ArrayCell SplitIndex(int32_t index)
{
    // Division truncates toward zero, so index -5 is row 0, column -5.
    const int32_t row = index / kValueArrayRowStride;
    return {row, index - row * kValueArrayRowStride};
}

void RecordOutOfRange(const Value& array, ArrayCell cell)
{
    ValueOutOfRange& record = Value_OutOfRange();
    record.failed = true;
    record.row = cell.row;
    record.column = cell.column;
    const bool isArray = Value_Kind(array) == kValueArray && array.ptr != nullptr;
    record.rowCount = isArray ? array.rowCount : 0;
    record.rowLength = (isArray && cell.row >= 0 && cell.row < array.rowCount)
                           ? Value_Rows(array)[cell.row].length
                           : -1;
}

void MakeEmptyArray(Value& value)
{
    value.kind = kValueArray;
    value.ptr = nullptr;
    value.real = 0.0;
    value.rowCount = 0;
}

// Makes row length long. The block grows by half again each time it fills
// (never past the longest row an index can address), so filling a row one
// element at a time copies each element a constant number of times on
// average.
void GrowRow(ValueArrayRow& row, int32_t length)
{
    const int32_t capacity = std::max(row.capacity, row.length);
    if (length > capacity) {
        const int64_t grown =
            std::max<int64_t>(length, std::min<int64_t>(int64_t{capacity} + capacity / 2 + 4, kValueArrayRowStride));
        // Realloc clears what it adds, so the room past length holds real 0.
        row.elements = static_cast<Value*>(BW_REALLOC(row.elements, sizeof(Value) * static_cast<size_t>(grown), true));
        row.capacity = static_cast<int32_t>(grown);
    }
    row.length = length;
}

void CopyText(Value& dest, const char* text)
{
    if (text == nullptr) {
        MemoryManager_Free(dest.ptr);
        dest.ptr = nullptr;
        return;
    }
    // text may point into dest's own block.
    const size_t size = std::strlen(text) + 1;
    if (dest.ptr != nullptr && MemoryManager_GetSize(dest.ptr) >= size) {
        std::memmove(dest.ptr, text, size);
        return;
    }
    void* block = BW_ALLOC(size, false);
    std::memcpy(block, text, size);
    MemoryManager_Free(dest.ptr);
    dest.ptr = block;
}

void CopyRows(Value& dest, const Value& src)
{
    const int32_t rowCount = src.ptr != nullptr ? src.rowCount : 0;
    dest.real = 0.0;
    dest.rowCount = rowCount > 0 ? rowCount : 0;
    if (rowCount <= 0) {
        return;
    }
    const ValueArrayRow* from = Value_Rows(src);
    auto* rows = static_cast<ValueArrayRow*>(BW_ALLOC(sizeof(ValueArrayRow) * static_cast<size_t>(rowCount), true));
    dest.ptr = rows;
    for (int32_t r = 0; r < rowCount; ++r) {
        const int32_t length = from[r].elements != nullptr ? from[r].length : 0;
        if (length <= 0) {
            continue;
        }
        rows[r].elements = static_cast<Value*>(BW_ALLOC(sizeof(Value) * static_cast<size_t>(length), true));
        rows[r].length = length;
        for (int32_t c = 0; c < length; ++c) {
            Value_Copy(rows[r].elements[c], from[r].elements[c]);
        }
    }
}

// dest holds no array here, so src cannot live inside it.
void CopyIntoNonArray(Value& dest, const Value& src)
{
    if (Value_Kind(src) == kValueString) {
        if (Value_Kind(dest) != kValueString) {
            Value_Free(dest);
        }
        CopyText(dest, Value_String(src));
        dest.kind = src.kind;
        dest.real = 0.0;
        return;
    }
    Value_Free(dest);
    dest.ptr = nullptr;
    dest.kind = src.kind;
    if (Value_Kind(src) == kValueArray) {
        CopyRows(dest, src);
    } else {
        dest.real = src.real;
    }
}

void AppendReal(std::string& out, double real)
{
    // Whole reals print as integers with every digit (the infinities too),
    // never as a wrapped integer.
    out += std::nearbyint(real) == real ? String_FromWholeReal(real)
                                        : String_FromReal(real, std::chars_format::fixed, 2);
}

int64_t BytesLeft(const CStream& stream)
{
    return stream.GetSize() - stream.GetPosition();
}

bool ReadCount(CStream& stream, int32_t* out)
{
    if (BytesLeft(stream) < 4) {
        return false;
    }
    *out = stream.ReadInteger();
    return true;
}

// The NUL-terminated text at the position; the marker reads back as null.
bool ReadText(CStream& stream, char** out)
{
    const int64_t left = BytesLeft(stream);
    const uint8_t* start = stream.GetData() + stream.GetPosition();
    const void* end = left > 0 ? std::memchr(start, 0, static_cast<size_t>(left)) : nullptr;
    if (end == nullptr) {
        return false;
    }
    const size_t size = static_cast<size_t>(static_cast<const uint8_t*>(end) - start) + 1;
    if (size == 2 && start[0] == kNoTextMarker) {
        stream.SeekFrom(2, 1);
        *out = nullptr;
        return true;
    }
    *out = static_cast<char*>(BW_ALLOC(size, false));
    stream.ReadBuffer(*out, static_cast<int64_t>(size));
    return true;
}

bool WriteText(CStream& stream, const char* text)
{
    static const char kNoText[2] = {kNoTextMarker, '\0'};
    const char* bytes = text != nullptr ? text : kNoText;
    return stream.WriteBuffer(bytes, static_cast<int64_t>(std::strlen(bytes) + 1));
}

// value is empty (real 0) on entry; on failure it may hold a partial array,
// which stays well formed for Value_Free.
bool ReadValue(Value& value, CStream& stream, int depth)
{
    int32_t kind = 0;
    if (depth > kMaxStreamNesting || !ReadCount(stream, &kind)) {
        return false;
    }
    const uint32_t kindWord = static_cast<uint32_t>(kind);
    switch (kindWord & kValueKindMask) {
    case kValueReal:
    case kValueString: {
        if (BytesLeft(stream) < 8) {
            return false;
        }
        const double real = stream.ReadReal();
        char* text = nullptr;
        if (!ReadText(stream, &text)) {
            return false;
        }
        value.kind = kindWord;
        if ((kindWord & kValueKindMask) == kValueReal) {
            MemoryManager_Free(text);  // a real owns no text
            value.real = real;
        } else {
            value.ptr = text;  // and a string no number
        }
        return true;
    }
    case kValueArray: {
        int32_t rowCount = 0;
        // Every row costs at least its 4-byte length, every element its kind.
        if (!ReadCount(stream, &rowCount) || rowCount < 0 || rowCount > BytesLeft(stream) / 4) {
            return false;
        }
        MakeEmptyArray(value);
        value.kind = kindWord;
        if (rowCount == 0) {
            return true;
        }
        auto* rows = static_cast<ValueArrayRow*>(BW_ALLOC(sizeof(ValueArrayRow) * static_cast<size_t>(rowCount), true));
        value.ptr = rows;
        value.rowCount = rowCount;
        for (int32_t r = 0; r < rowCount; ++r) {
            int32_t length = 0;
            if (!ReadCount(stream, &length) || length < 0 || length > BytesLeft(stream) / 4) {
                return false;
            }
            if (length == 0) {
                continue;
            }
            rows[r].elements = static_cast<Value*>(BW_ALLOC(sizeof(Value) * static_cast<size_t>(length), true));
            rows[r].length = length;
            for (int32_t c = 0; c < length; ++c) {
                if (!ReadValue(rows[r].elements[c], stream, depth + 1)) {
                    return false;
                }
            }
        }
        return true;
    }
    default:
        value.kind = kindWord;
        return true;
    }
}

}  // namespace

ValueOutOfRange& Value_OutOfRange()
{
    static ValueOutOfRange record;
    return record;
}

void Value_Free(Value& value)
{
    switch (Value_Kind(value)) {
    case kValueString:
        MemoryManager_Free(value.ptr);
        value.ptr = nullptr;
        break;
    case kValueArray: {
        ValueArrayRow* rows = Value_Rows(value);
        if (rows != nullptr) {
            for (int32_t r = 0; r < value.rowCount; ++r) {
                if (rows[r].elements == nullptr) {
                    continue;
                }
                // Most elements are reals, which own nothing.
                for (int32_t c = 0; c < rows[r].length; ++c) {
                    if (rows[r].elements[c].ptr != nullptr) {
                        Value_Free(rows[r].elements[c]);
                    }
                }
                MemoryManager_Free(rows[r].elements);
            }
            MemoryManager_Free(rows);
        }
        value.ptr = nullptr;
        value.real = 0.0;
        break;
    }
    default:
        break;
    }
}

void Value_Copy(Value& dest, const Value& src)
{
    if (&dest == &src) {
        return;
    }
    if (Value_Kind(dest) == kValueArray) {
        // src may be one of dest's own elements: copy before releasing.
        Value copy;
        CopyIntoNonArray(copy, src);
        Value_Free(dest);
        dest = copy;
        return;
    }
    CopyIntoNonArray(dest, src);
}

void Value_SetReal(Value& dest, double real)
{
    if (dest.ptr != nullptr) {  // a Value without a payload owns nothing
        Value_Free(dest);
    }
    dest.kind = kValueReal;
    dest.ptr = nullptr;
    dest.real = real;
}

void Value_SetString(Value& dest, const char* text)
{
    if (Value_Kind(dest) != kValueString) {
        Value_Free(dest);
        dest.ptr = nullptr;
    }
    CopyText(dest, text);
    dest.kind = kValueString;
    dest.real = 0.0;
}

bool Value_ArrayGet(Value& dest, const Value& src, int32_t index)
{
    if (Value_Kind(src) != kValueArray || index == kValueNoIndex) {
        Value_Copy(dest, src);
        return true;
    }
    const ArrayCell cell = SplitIndex(index);
    if (src.ptr != nullptr && cell.row >= 0 && cell.row < src.rowCount && cell.column >= 0) {
        const ValueArrayRow& row = Value_Rows(src)[cell.row];
        if (cell.column < row.length) {
            Value_Copy(dest, row.elements[cell.column]);
            return true;
        }
    }
    RecordOutOfRange(src, cell);
    Value_SetReal(dest, 0.0);
    return false;
}

void Value_ArraySet(Value& target, const Value& src, int32_t index)
{
    const ArrayCell cell = SplitIndex(index);
    if (index != kValueNoIndex && (cell.row < 0 || cell.column < 0)) {
        // A failed write leaves the target as it was.
        RecordOutOfRange(target, cell);
        return;
    }
    // Copied first: src may be target itself or one of its elements, which
    // the growth below moves.
    Value copy;
    Value_Copy(copy, src);
    if (index == kValueNoIndex) {
        Value_Free(target);
        target = copy;
        return;
    }
    if (Value_Kind(target) != kValueArray) {
        Value_Free(target);
        MakeEmptyArray(target);
    }
    const int32_t rowCount = target.ptr != nullptr ? target.rowCount : 0;
    if (cell.row >= rowCount) {
        target.ptr = BW_REALLOC(target.ptr, sizeof(ValueArrayRow) * (static_cast<size_t>(cell.row) + 1), true);
        target.rowCount = cell.row + 1;
    }
    ValueArrayRow& row = Value_Rows(target)[cell.row];
    if (cell.column >= row.length) {
        GrowRow(row, cell.column + 1);
    }
    Value& element = row.elements[cell.column];
    Value_Free(element);
    element = copy;
}

void Value_ToString(std::string& out, const Value& value)
{
    switch (Value_Kind(value)) {
    case kValueReal:
        AppendReal(out, value.real);
        break;
    case kValueString:
        if (value.ptr != nullptr) {
            out += Value_String(value);
        }
        break;
    case kValueArray: {
        out += "{ ";
        const ValueArrayRow* rows = Value_Rows(value);
        const int32_t rowCount = rows != nullptr ? value.rowCount : 0;
        for (int32_t r = 0; r < rowCount; ++r) {
            for (int32_t c = 0; c < rows[r].length; ++c) {
                if (c > 0) {
                    out += ',';
                }
                Value_ToString(out, rows[r].elements[c]);
            }
        }
        out += " }";
        break;
    }
    default:
        break;
    }
}

bool Value_Write(const Value& value, CStream& stream)
{
    if (!stream.WriteInteger(static_cast<int32_t>(value.kind))) {
        return false;
    }
    switch (Value_Kind(value)) {
    case kValueReal:
        return stream.WriteReal(value.real) && WriteText(stream, nullptr);
    case kValueString:
        return stream.WriteReal(value.real) && WriteText(stream, Value_String(value));
    case kValueArray: {
        const ValueArrayRow* rows = Value_Rows(value);
        const int32_t rowCount = rows != nullptr ? value.rowCount : 0;
        if (!stream.WriteInteger(rowCount)) {
            return false;
        }
        for (int32_t r = 0; r < rowCount; ++r) {
            if (!stream.WriteInteger(rows[r].length)) {
                return false;
            }
            for (int32_t c = 0; c < rows[r].length; ++c) {
                if (!Value_Write(rows[r].elements[c], stream)) {
                    return false;
                }
            }
        }
        return true;
    }
    default:
        return true;
    }
}

bool Value_Read(Value& value, CStream& stream)
{
    Value_Free(value);
    Value read;
    const bool ok = ReadValue(read, stream, 0);
    if (!ok) {
        Value_Free(read);
        read = Value{};
    }
    value = read;
    return ok;
}

}  // namespace bw
