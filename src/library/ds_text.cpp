#include "library/ds_text.h"

#include <algorithm>
#include <cstring>

#include "library/ds.h"
#include "library/ds_grid.h"
#include "library/ds_map.h"
#include "platform/memory.h"
#include "platform/stream.h"

namespace bw {

namespace {

// Arrays inside arrays cost a native stack frame per level when read.
constexpr int kMaxArrayNesting = 64;
// The least a value takes in the stream: its kind word.
constexpr int64_t kMinValueBytes = 4;

int64_t BytesLeft(const CStream& stream)
{
    return stream.GetSize() - stream.GetPosition();
}

// A count read from the stream that must leave room for count items of at
// least itemBytes each.
bool ReadCount(CStream& stream, int64_t itemBytes, int32_t* count)
{
    *count = stream.ReadInteger();
    return *count >= 0 && *count * itemBytes <= BytesLeft(stream);
}

std::string StreamText(const CStream& stream)
{
    char* hex = nullptr;
    stream.ConvertToString(&hex);
    std::string text = hex != nullptr ? hex : "";
    MemoryManager_Free(hex);
    return text;
}

// A stream over the hex text, positioned after the type id; false when the
// text holds another kind of container.
bool OpenText(CStream& stream, const char* text, int32_t typeId)
{
    stream.ConvertFromString(text);
    return stream.ReadInteger() == typeId;
}

bool ReadArray(CStream& stream, Value& value, int depth);

bool ReadValueAt(CStream& stream, Value& value, int depth)
{
    Value_Free(value);
    value = Value{};
    const auto kindWord = static_cast<uint32_t>(stream.ReadInteger());
    switch (kindWord) {
    case kValueReal:
        value.real = stream.ReadReal();
        return true;
    case kValueString: {
        int32_t length = 0;
        if (!ReadCount(stream, 1, &length)) {
            return false;
        }
        // Length 0 is the empty string, equal to "" in every search and sort,
        // as it was before the write (an absent text is written the same way).
        value.kind = kValueString;
        char* text = static_cast<char*>(BW_ALLOC(static_cast<size_t>(length) + 1, false));
        stream.ReadBuffer(text, length);
        text[length] = '\0';
        value.ptr = text;
        return true;
    }
    case kValueArray:
        return depth < kMaxArrayNesting && ReadArray(stream, value, depth + 1);
    default:
        return true;  // ownership flags and unknown kinds read as the real 0
    }
}

bool ReadArray(CStream& stream, Value& value, int depth)
{
    int32_t rowCount = 0;
    if (!ReadCount(stream, 4, &rowCount)) {
        return false;
    }
    value.kind = kValueArray;
    value.rowCount = 0;
    if (rowCount == 0) {
        return true;
    }
    auto* rows = static_cast<ValueArrayRow*>(BW_ALLOC(sizeof(ValueArrayRow) * static_cast<size_t>(rowCount), true));
    value.ptr = rows;
    value.rowCount = rowCount;
    for (int32_t r = 0; r < rowCount; ++r) {
        int32_t length = 0;
        if (!ReadCount(stream, kMinValueBytes, &length)) {
            return false;
        }
        if (length == 0) {
            continue;
        }
        rows[r].elements = static_cast<Value*>(BW_ALLOC(sizeof(Value) * static_cast<size_t>(length), true));
        rows[r].length = length;
        for (int32_t c = 0; c < length; ++c) {
            if (!ReadValueAt(stream, rows[r].elements[c], depth)) {
                return false;
            }
        }
    }
    return true;
}

// Reads count values into fresh slots; false (slots freed) on a bad count.
bool ReadSlots(CStream& stream, int32_t count, ValueSlots& slots)
{
    slots.Resize(count);
    for (int32_t i = 0; i < count; ++i) {
        if (!DS_ReadValue(stream, slots[i])) {
            slots.Release();
            return false;
        }
    }
    return true;
}

void WriteSlots(CStream& stream, const ValueSlots& slots, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        DS_WriteValue(stream, slots[i]);
    }
}

// ---- the map form ----

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, uint8_t byte)
{
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

void AppendMapField(std::string& out, const Value& value)
{
    if (value.kind == kValueString) {
        for (const char* c = value.ptr != nullptr ? Value_String(value) : ""; *c != '\0'; ++c) {
            AppendHexByte(out, static_cast<uint8_t>(*c));
        }
        return;
    }
    // The double's bytes from the most significant down, stopping after the
    // last one that is not zero.
    uint64_t bits = 0;
    std::memcpy(&bits, &value.real, sizeof bits);
    for (int shift = 56; shift >= 0 && (bits << (56 - shift)) != 0; shift -= 8) {
        AppendHexByte(out, static_cast<uint8_t>(bits >> shift));
    }
}

// The map form writes upper-case digits only; anything else decodes by the
// same arithmetic, kept to the low 4 bits.
uint32_t MapDigit(char c)
{
    const auto code = static_cast<uint32_t>(static_cast<unsigned char>(c));
    return (code < 'A' ? code - '0' : code - '7') & 0x0F;
}

uint8_t MapByte(const char* pair)
{
    return static_cast<uint8_t>(MapDigit(pair[0]) << 4 | MapDigit(pair[1]));
}

// Decodes text[begin, end) as a field of the given kind into value.
void DecodeMapField(const char* text, size_t begin, size_t end, bool isString, Value& value)
{
    if (isString) {
        std::string bytes;
        for (size_t i = begin; i + 1 < end; i += 2) {
            bytes += static_cast<char>(MapByte(text + i));
        }
        Value_SetString(value, bytes.c_str());
        return;
    }
    uint64_t bits = 0;
    int shift = 56;
    for (size_t i = begin; i + 1 < end && shift >= 0; i += 2, shift -= 8) {
        bits |= static_cast<uint64_t>(MapByte(text + i)) << shift;
    }
    double real = 0.0;
    std::memcpy(&real, &bits, sizeof real);
    Value_SetReal(value, real);
}

size_t FieldEnd(const char* text, size_t length, size_t from, const char* stops)
{
    while (from < length && std::strchr(stops, text[from]) == nullptr) {
        ++from;
    }
    return from;
}

}  // namespace

// ---- values ----

void DS_WriteValue(CStream& stream, const Value& value)
{
    stream.WriteInteger(static_cast<int32_t>(value.kind));
    switch (value.kind) {
    case kValueReal:
        stream.WriteReal(value.real);
        break;
    case kValueString: {
        const char* text = Value_String(value);
        const auto length = static_cast<int32_t>(text != nullptr ? std::strlen(text) : 0);
        stream.WriteInteger(length);
        stream.WriteBuffer(text, length);
        break;
    }
    case kValueArray: {
        const int32_t rowCount = value.ptr != nullptr ? value.rowCount : 0;
        stream.WriteInteger(rowCount);
        for (int32_t r = 0; r < rowCount; ++r) {
            const ValueArrayRow& row = Value_Rows(value)[r];
            const int32_t length = row.elements != nullptr ? row.length : 0;
            stream.WriteInteger(length);
            for (int32_t c = 0; c < length; ++c) {
                DS_WriteValue(stream, row.elements[c]);
            }
        }
        break;
    }
    default:
        break;
    }
}

bool DS_ReadValue(CStream& stream, Value& value)
{
    if (ReadValueAt(stream, value, 0)) {
        return true;
    }
    Value_Free(value);
    value = Value{};
    return false;
}

// ---- the stream forms ----

std::string CDS_Stack::Write() const
{
    CStream stream;
    stream.WriteInteger(kDSTextStack);
    stream.WriteInteger(m_count);
    WriteSlots(stream, m_items, m_count);
    return StreamText(stream);
}

bool CDS_Stack::ReadFromString(const char* text)
{
    CStream stream;
    int32_t count = 0;
    ValueSlots items;
    if (!OpenText(stream, text, kDSTextStack) || !ReadCount(stream, kMinValueBytes, &count)
        || !ReadSlots(stream, count, items)) {
        return false;
    }
    m_items = std::move(items);
    m_count = count;
    return true;
}

std::string CDS_Queue::WriteToString() const
{
    CStream stream;
    stream.WriteInteger(kDSTextQueue);
    stream.WriteInteger(m_tail);
    stream.WriteInteger(m_head);
    stream.WriteInteger(m_items.Capacity());
    WriteSlots(stream, m_items, m_items.Capacity());
    return StreamText(stream);
}

bool CDS_Queue::ReadFromString(const char* text)
{
    CStream stream;
    if (!OpenText(stream, text, kDSTextQueue)) {
        return false;
    }
    const int32_t tail = stream.ReadInteger();
    const int32_t head = stream.ReadInteger();
    int32_t capacity = 0;
    ValueSlots items;
    if (!ReadCount(stream, kMinValueBytes, &capacity) || head < 0 || head > tail || tail > capacity
        || !ReadSlots(stream, capacity, items)) {
        return false;
    }
    m_items = std::move(items);
    m_tail = tail;
    m_head = head;
    return true;
}

std::string CDS_List::WriteToString() const
{
    CStream stream;
    stream.WriteInteger(kDSTextList);
    stream.WriteInteger(m_count);
    WriteSlots(stream, m_items, m_count);
    return StreamText(stream);
}

bool CDS_List::ReadFromString(const char* text)
{
    CStream stream;
    int32_t count = 0;
    ValueSlots items;
    if (!OpenText(stream, text, kDSTextList) || !ReadCount(stream, kMinValueBytes, &count)
        || !ReadSlots(stream, count, items)) {
        return false;
    }
    m_items = std::move(items);
    m_count = count;
    return true;
}

std::string CDS_Priority::WriteToString() const
{
    CStream stream;
    stream.WriteInteger(kDSTextPriority);
    stream.WriteInteger(m_count);
    WriteSlots(stream, m_priorities, m_count);
    WriteSlots(stream, m_values, m_count);
    return StreamText(stream);
}

bool CDS_Priority::ReadFromString(const char* text)
{
    CStream stream;
    int32_t count = 0;
    ValueSlots priorities;
    ValueSlots values;
    if (!OpenText(stream, text, kDSTextPriority) || !ReadCount(stream, 2 * kMinValueBytes, &count)
        || !ReadSlots(stream, count, priorities) || !ReadSlots(stream, count, values)) {
        return false;
    }
    m_priorities = std::move(priorities);
    m_values = std::move(values);
    m_count = count;
    return true;
}

std::string CDS_Grid::WriteToString() const
{
    CStream stream;
    stream.WriteInteger(kDSTextGrid);
    stream.WriteInteger(m_width);
    stream.WriteInteger(m_height);
    for (const Value& cell : m_cells) {
        DS_WriteValue(stream, cell);
    }
    return StreamText(stream);
}

bool CDS_Grid::ReadFromString(const char* text)
{
    CStream stream;
    if (!OpenText(stream, text, kDSTextGrid)) {
        return false;
    }
    const int32_t width = stream.ReadInteger();
    const int32_t height = stream.ReadInteger();
    if (!DS_Grid_SizeAcceptable(width, height)
        || static_cast<int64_t>(width) * height * kMinValueBytes > BytesLeft(stream)) {
        return false;
    }
    std::vector<Value> cells(static_cast<size_t>(width) * static_cast<size_t>(height), Value{});
    for (Value& cell : cells) {
        if (!DS_ReadValue(stream, cell)) {
            for (Value& read : cells) {
                Value_Free(read);
            }
            return false;
        }
    }
    FreeCells();
    m_cells = std::move(cells);
    m_width = width;
    m_height = height;
    return true;
}

// ---- the map form ----

std::string DS_Map_WriteToString(const CDS_Map* map)
{
    std::string out;
    DS_Map_ForEach(map, [&out](const MapEntry& entry) {
        const int kinds = (entry.key.kind == kValueString ? 1 : 0) + (entry.value.kind == kValueString ? 2 : 0);
        out += static_cast<char>('0' + kinds);
        out += ':';
        AppendMapField(out, entry.key);
        out += ':';
        AppendMapField(out, entry.value);
        out += ',';
    });
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

void DS_Map_ReadFromString(CDS_Map* map, const char* text)
{
    DS_Map_FreeEntries(map);
    if (text == nullptr) {
        return;
    }
    const size_t length = std::strlen(text);
    size_t at = 0;
    Value key{};
    Value value{};
    while (at < length) {
        const uint32_t kinds = static_cast<uint32_t>(text[at] - '0');
        at = std::min(at + 2, length);  // the digit and its ':'
        const size_t keyEnd = FieldEnd(text, length, at, ":,");
        DecodeMapField(text, at, keyEnd, (kinds & 1) != 0, key);
        at = std::min(keyEnd + 1, length);
        const size_t valueEnd = FieldEnd(text, length, at, ",");
        DecodeMapField(text, at, valueEnd, (kinds & 2) != 0, value);
        DS_Map_Add(map, key, value);
        at = valueEnd + 1;  // past the ',' (or past the end: done)
    }
    Value_Free(key);
    Value_Free(value);
}

}  // namespace bw
