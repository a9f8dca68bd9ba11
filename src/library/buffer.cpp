#include "library/buffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/atomic_file.h"
#include "script/arguments.h"
#include "platform/base64.h"
#include "platform/files.h"
#include "platform/md5.h"
#include "platform/memory.h"
#include "platform/sha1.h"

namespace bw {

namespace {

// The text that stands for "no text" in the string form.
constexpr char kAbsentTextMarker[] = "\x04";

int32_t NormaliseAlignment(int32_t requested)
{
    int32_t alignment = 1;
    while (alignment < requested && alignment < kBufferMaxAlignment) {
        alignment <<= 1;
    }
    return alignment;
}

// A non-negative remainder, whatever the sign of value.
int64_t Modulo(int64_t value, int64_t divisor)
{
    const int64_t remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}

bool IsUsableType(int32_t type)
{
    return type >= kBufferU8 && type <= kBufferString && type != kBufferF16;
}

// The value of type T stored little-endian at raw.
template <typename T>
T Load(const uint8_t* raw)
{
    T value{};
    std::memcpy(&value, raw, sizeof value);
    return value;
}

// bytes := the little-endian bytes of value.
template <typename T>
bool Store(std::string& bytes, T value)
{
    bytes.resize(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return true;
}

// The bytes a value is written as; false for a type that cannot be written.
bool EncodeValue(int32_t type, const Value& value, std::string& bytes)
{
    if (!IsUsableType(type)) {
        return false;
    }
    if (type == kBufferString) {
        const char* text = Arg_IsString(value) && value.ptr != nullptr ? Value_String(value) : "";
        bytes.assign(text, std::strlen(text) + 1);
        return true;
    }
    switch (type) {
    case kBufferU8:
    case kBufferS8: return Store(bytes, static_cast<uint8_t>(Real_TruncToInt32(value.real)));
    case kBufferU16:
    case kBufferS16: return Store(bytes, static_cast<uint16_t>(Real_TruncToInt32(value.real)));
    case kBufferU32: return Store(bytes, static_cast<uint32_t>(Real_TruncToInt64(value.real)));
    case kBufferS32: return Store(bytes, Real_TruncToInt32(value.real));
    case kBufferF32: return Store(bytes, Real_ToSingle(value.real));
    case kBufferF64: return Store(bytes, value.real);
    case kBufferBool: return Store(bytes, static_cast<uint8_t>(value.real > 0.5 ? 1 : 0));
    default: return false;
    }
}

// The real that bytes of a numeric type stand for (little-endian).
double DecodeValue(int32_t type, const uint8_t* raw)
{
    switch (type) {
    case kBufferU8: return raw[0];
    case kBufferS8: return static_cast<int8_t>(raw[0]);
    case kBufferBool: return raw[0];
    case kBufferU16: return Load<uint16_t>(raw);
    case kBufferS16: return Load<int16_t>(raw);
    case kBufferU32: return Load<uint32_t>(raw);
    case kBufferS32: return Load<int32_t>(raw);
    case kBufferF32: return Load<float>(raw);
    case kBufferF64: return Load<double>(raw);
    default: return 0.0;
    }
}

std::string HexLower(const uint8_t* bytes, size_t count)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

bool IsWebAddress(const char* name)
{
    return std::strncmp(name, "http://", 7) == 0 || std::strncmp(name, "https://", 8) == 0;
}

}  // namespace

int32_t Buffer_SizeOfType(int32_t type)
{
    switch (type) {
    case kBufferU8:
    case kBufferS8:
    case kBufferBool: return 1;
    case kBufferU16:
    case kBufferS16:
    case kBufferF16: return 2;
    case kBufferU32:
    case kBufferS32:
    case kBufferF32: return 4;
    case kBufferF64: return 8;
    default: return 0;
    }
}

// ---- construction ----

IBuffer::IBuffer(int32_t size, int32_t kind, int32_t alignment)
{
    m_kind = kind;
    m_alignment = NormaliseAlignment(alignment);
    m_size = std::clamp(size, 0, kBufferMaxSize);
    const size_t blockSize = static_cast<size_t>(m_size) + static_cast<size_t>(m_alignment);
    m_raw = static_cast<uint8_t*>(BW_ALLOC(blockSize, true));
    const auto address = reinterpret_cast<uintptr_t>(m_raw);
    const auto mask = static_cast<uintptr_t>(m_alignment - 1);
    m_data = reinterpret_cast<uint8_t*>((address + mask) & ~mask);
}

IBuffer::~IBuffer()
{
    ReleaseMemory();
}

void IBuffer::ReleaseMemory()
{
    if (m_owns) {
        MemoryManager_Free(m_raw);
    }
    m_raw = nullptr;
    m_data = nullptr;
}

void IBuffer::InitEmpty()
{
    ReleaseMemory();
    m_size = 0;
    m_alignment = 1;
    m_kind = kBufferGrow;
    m_position = 0;
    m_origin = 0;
    m_owns = true;
}

void IBuffer::InitWrapped(uint8_t* data, int32_t size, int32_t kind, int32_t alignment, bool owns)
{
    ReleaseMemory();
    m_raw = data;
    m_data = data;
    m_size = data != nullptr ? std::max(size, 0) : 0;
    m_kind = kind;
    m_alignment = NormaliseAlignment(alignment);
    m_position = 0;
    m_origin = 0;
    m_owns = owns;
}

// ---- position ----

void IBuffer::AlignPosition()
{
    const int64_t mask = m_alignment - 1;
    const int64_t aligned = ((int64_t{m_position} + m_origin + mask) & ~mask) - m_origin;
    m_position = static_cast<int32_t>(std::min<int64_t>(aligned, INT32_MAX));
}

void IBuffer::WrapPosition()
{
    if (m_kind != kBufferWrap || m_size <= 0 || m_position < m_size) {
        return;
    }
    const int64_t laps = m_position / m_size;
    m_position = static_cast<int32_t>(m_position - laps * m_size);
    AddLaps(laps);
}

void IBuffer::AddLaps(int64_t laps)
{
    const int64_t step = m_size % m_alignment;
    m_origin = static_cast<int32_t>(Modulo(m_origin + Modulo(laps, m_alignment) * step, m_alignment));
}

bool IBuffer::GrowFor(int64_t needed)
{
    if (needed <= m_size) {
        return true;
    }
    if (needed > kBufferMaxSize) {
        return false;
    }
    int64_t size = std::max(m_size, 1);
    while (size < needed) {
        size *= 2;
    }
    Resize(static_cast<int32_t>(std::min<int64_t>(size, kBufferMaxSize)));
    return true;
}

int32_t IBuffer::Seek(int32_t base, int32_t offset)
{
    const int64_t last = std::max(m_size - 1, 0);
    switch (base) {
    case 0:
        m_position = static_cast<int32_t>(std::clamp<int64_t>(offset, 0, last));
        m_origin = 0;
        break;
    case 1: {
        const int64_t target = int64_t{m_position} + offset;
        if (m_kind != kBufferWrap || m_size <= 0) {
            m_position = static_cast<int32_t>(std::clamp<int64_t>(target, 0, last));
            break;
        }
        const int64_t wrapped = Modulo(target, m_size);
        AddLaps((target - wrapped) / m_size);
        m_position = static_cast<int32_t>(wrapped);
        break;
    }
    case 2: {
        const int64_t back = std::min<int64_t>(std::max(offset, 0), int64_t{m_size} - 2);
        m_position = static_cast<int32_t>(std::clamp<int64_t>(m_size - 1 - back, 0, last));
        m_origin = 0;
        break;
    }
    default:
        break;
    }
    return m_position;
}

// ---- typed reads and writes ----

int32_t IBuffer::Write(int32_t type, const Value& value)
{
    AlignPosition();
    WrapPosition();
    if (m_position >= m_size && m_kind != kBufferGrow) {
        return kBufferNoRoom;
    }
    std::string bytes;
    if (!EncodeValue(type, value, bytes)) {
        return kBufferBadType;
    }
    const auto count = static_cast<int64_t>(bytes.size());
    if (m_position + count > m_size) {
        if (m_kind == kBufferGrow) {
            if (!GrowFor(m_position + count)) {
                return kBufferNoRoom;
            }
        } else if (m_kind != kBufferWrap) {
            return kBufferNoRoom;
        }
    }
    for (int64_t i = 0; i < count;) {
        const int64_t piece = std::min<int64_t>(count - i, m_size - m_position);
        std::memcpy(m_data + m_position, bytes.data() + i, static_cast<size_t>(piece));
        m_position = static_cast<int32_t>(m_position + piece);
        i += piece;
        WrapPosition();
    }
    // A byte written into the last place doubles a grow buffer at once.
    if ((type == kBufferU8 || type == kBufferS8) && m_kind == kBufferGrow && m_position == m_size) {
        GrowFor(int64_t{m_size} * 2);
    }
    return kBufferOk;
}

int32_t IBuffer::Read(int32_t type, Value& out)
{
    Value_SetReal(out, 0.0);
    AlignPosition();
    WrapPosition();
    if (m_position >= m_size) {
        Value_SetReal(out, kBufferReadFailed);
        return kBufferOk;
    }
    if (type == kBufferString) {
        const uint8_t* start = m_data + m_position;
        const auto left = static_cast<size_t>(m_size - m_position);
        const void* end = std::memchr(start, 0, left);
        const size_t length = end != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(end) - start) : left;
        Value_SetString(out, std::string(reinterpret_cast<const char*>(start), length).c_str());
        m_position = static_cast<int32_t>(std::min<int64_t>(int64_t{m_position} + length + 1, m_size));
        return kBufferOk;
    }
    const int32_t count = Buffer_SizeOfType(type);
    if (m_position + count > m_size && m_kind != kBufferWrap) {
        Value_SetReal(out, kBufferReadFailed);
        return kBufferOk;
    }
    uint8_t raw[8] = {};
    for (int32_t i = 0; i < count; ++i) {
        raw[i] = m_data[m_position++];
        WrapPosition();
    }
    if (!IsUsableType(type)) {
        return kBufferBadType;
    }
    Value_SetReal(out, DecodeValue(type, raw));
    return kBufferOk;
}

void IBuffer::Peek(int32_t offset, int32_t type, Value& out)
{
    Value_SetReal(out, 0.0);
    const int32_t count = Buffer_SizeOfType(type);
    if (offset < 0 || m_size <= 0 || !IsUsableType(type) || type == kBufferString) {
        return;
    }
    uint8_t raw[8] = {};
    if (m_kind == kBufferWrap) {
        int64_t at = offset % m_size;
        for (int32_t i = 0; i < count; ++i) {
            raw[i] = m_data[at];
            at = (at + 1) % m_size;
        }
    } else if (offset <= m_size - count) {
        std::memcpy(raw, m_data + offset, static_cast<size_t>(count));
    } else {
        return;
    }
    Value_SetReal(out, DecodeValue(type, raw));
}

void IBuffer::Poke(int32_t offset, int32_t type, const Value& value)
{
    std::string bytes;
    if (offset < 0 || m_size <= 0 || !EncodeValue(type, value, bytes)) {
        return;
    }
    if (m_kind == kBufferWrap) {
        int64_t at = offset % m_size;
        for (const char byte : bytes) {
            m_data[at] = static_cast<uint8_t>(byte);
            at = (at + 1) % m_size;
        }
    } else if (int64_t{offset} + static_cast<int64_t>(bytes.size()) <= m_size) {
        std::memcpy(m_data + offset, bytes.data(), bytes.size());
    }
}

int32_t IBuffer::WriteString(const char* text)
{
    Value value{};
    Value_SetString(value, text != nullptr ? text : kAbsentTextMarker);
    const int32_t code = Write(kBufferString, value);
    Value_Free(value);
    return code;
}

char* IBuffer::ReadString()
{
    Value value{};
    Read(kBufferString, value);
    char* text = nullptr;
    if (Arg_IsString(value) && value.ptr != nullptr && std::strcmp(Value_String(value), kAbsentTextMarker) != 0) {
        text = static_cast<char*>(value.ptr);
        value.ptr = nullptr;
    }
    Value_Free(value);
    return text;
}

// ---- size ----

void IBuffer::Resize(int32_t newSize)
{
    if (newSize < 0 || newSize > kBufferMaxSize) {
        return;
    }
    const size_t blockSize = static_cast<size_t>(newSize) + static_cast<size_t>(m_alignment);
    auto* raw = static_cast<uint8_t*>(BW_ALLOC(blockSize, true));
    const auto mask = static_cast<uintptr_t>(m_alignment - 1);
    auto* data = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(raw) + mask) & ~mask);
    if (m_data != nullptr) {
        std::memcpy(data, m_data, static_cast<size_t>(std::min(m_size, newSize)));
    }
    ReleaseMemory();
    m_raw = raw;
    m_data = data;
    m_owns = true;
    m_size = newSize;
    if (m_position >= newSize) {
        m_position = 0;
        m_origin = 0;
    }
}

// ---- ranges ----

IBuffer::ByteRange IBuffer::Range(int32_t offset, int32_t size) const
{
    if (m_size <= 0) {
        return {0, 0};
    }
    const int64_t length = size < 0 ? m_size : size;
    if (m_kind == kBufferWrap) {
        return {Modulo(offset, m_size), length};
    }
    const int64_t start = std::clamp<int64_t>(offset, 0, m_size - 1);
    return {start, std::min<int64_t>(length, m_size - start)};
}

template <typename Visit>
void IBuffer::ForEachRangePiece(int32_t offset, int32_t size, Visit&& visit) const
{
    const ByteRange range = Range(offset, size);
    int64_t at = range.start;
    for (int64_t left = range.length; left > 0;) {
        const int64_t piece = std::min<int64_t>(left, m_size - at);
        visit(m_data + at, static_cast<size_t>(piece));
        left -= piece;
        at = 0;
    }
}

bool IBuffer::Save(const char* fileName, int32_t offset, int32_t size) const
{
    return fileName != nullptr && LoadSave_WriteSaveFileWith(fileName, [&](AtomicFileWriter& file) {
               ForEachRangePiece(offset, size, [&file](const uint8_t* piece, size_t length) { file.Write(piece, length); });
           });
}

std::string IBuffer::Base64Encode(int32_t offset, int32_t size) const
{
    Base64Encoder encoder(static_cast<size_t>(Range(offset, size).length));
    ForEachRangePiece(offset, size, [&encoder](const uint8_t* piece, size_t length) { encoder.Add(piece, length); });
    return encoder.Finish();
}

std::string IBuffer::MD5(int32_t offset, int32_t size) const
{
    MD5Context context;
    MD5_Init(context);
    ForEachRangePiece(offset, size, [&context](const uint8_t* piece, size_t length) {
        MD5_Update(context, piece, length);
    });
    MD5_Final(context);
    return HexLower(context.digest, sizeof context.digest);
}

std::string IBuffer::SHA1(int32_t offset, int32_t size) const
{
    SHA1Context context;
    SHA1_Reset(context);
    ForEachRangePiece(offset, size, [&context](const uint8_t* piece, size_t length) {
        SHA1_Input(context, piece, length);
    });
    uint8_t digest[20] = {};
    SHA1_Result(context, digest);
    return HexLower(digest, sizeof digest);
}

// ---- copies ----

bool Buffer_CopyMemoryIn(IBuffer& target, const uint8_t* source, int32_t sourceSize, int32_t sourceOffset,
                         int32_t count, int32_t targetOffset, bool grow, bool wrapTarget, bool wrapSource)
{
    if (source == nullptr || sourceSize <= 0) {
        return false;
    }
    int64_t length = count < 0 ? sourceSize : count;
    int64_t from = 0;
    if (wrapSource) {
        from = Modulo(sourceOffset, sourceSize);
    } else {
        from = std::clamp<int64_t>(sourceOffset, 0, sourceSize - 1);
        length = std::min<int64_t>(length, sourceSize - from);
    }
    int64_t to = targetOffset;
    if (grow) {
        to = std::max<int64_t>(to, 0);
        if (to + length > target.Size()) {
            if (to + length > kBufferMaxSize) {
                return false;
            }
            target.Resize(static_cast<int32_t>(to + length));
        }
    }
    if (target.Size() <= 0) {
        return false;
    }
    if (wrapTarget) {
        to = Modulo(to, target.Size());
        // Only the last size bytes survive going round the target.
        if (length > target.Size()) {
            const int64_t skipped = length - target.Size();
            from = Modulo(from + skipped, sourceSize);
            to = Modulo(to + skipped, target.Size());
            length = target.Size();
        }
    } else {
        to = std::clamp<int64_t>(to, 0, target.Size() - 1);
        length = std::min<int64_t>(length, target.Size() - to);
    }
    // A copy that goes round a small source many times would take one piece
    // per lap; the repeating bytes are laid out once instead (doubling what
    // is there), and copied from there.
    std::string laps;
    if (from + length > sourceSize) {
        laps.reserve(static_cast<size_t>(std::max<int64_t>(length, sourceSize)));
        laps.assign(reinterpret_cast<const char*>(source) + from, static_cast<size_t>(sourceSize - from));
        laps.append(reinterpret_cast<const char*>(source), static_cast<size_t>(from));
        for (auto have = static_cast<int64_t>(laps.size()); have < length; have = static_cast<int64_t>(laps.size())) {
            laps.append(laps.data(), static_cast<size_t>(std::min(have, length - have)));
        }
        source = reinterpret_cast<const uint8_t*>(laps.data());
        sourceSize = static_cast<int32_t>(length);
        from = 0;
    }
    while (length > 0) {
        const int64_t piece = std::min({length, int64_t{sourceSize} - from, int64_t{target.Size()} - to});
        std::memmove(target.Data() + to, source + from, static_cast<size_t>(piece));
        length -= piece;
        from += piece;
        to = (to + piece) % target.Size();
    }
    return true;
}

bool IBuffer::CopyTo(int32_t sourceOffset, int32_t size, IBuffer& target, int32_t targetOffset) const
{
    if (&target == this) {
        return false;
    }
    const bool grow = target.m_kind == kBufferGrow || target.m_size == 0;
    return Buffer_CopyMemoryIn(target, m_data, m_size, sourceOffset, size, targetOffset, grow, target.m_kind == kBufferWrap,
                               m_kind == kBufferWrap);
}

bool IBuffer::Load(const char* fileName, int32_t sourceOffset, int32_t size, int32_t targetOffset)
{
    if (fileName == nullptr || IsWebAddress(fileName)) {
        return false;
    }
    size_t fileSize = 0;
    uint8_t* bytes = LoadSave_ReadSaveFile(fileName, &fileSize);
    if (bytes == nullptr) {
        bytes = LoadSave_ReadBundleFile(fileName, &fileSize);
    }
    if (bytes == nullptr) {
        return false;
    }
    const bool loaded = fileSize <= static_cast<size_t>(kBufferMaxSize)
                        && Buffer_CopyMemoryIn(*this, bytes, static_cast<int32_t>(fileSize), sourceOffset, size, targetOffset,
                                        m_kind == kBufferGrow || m_size == 0, m_kind == kBufferWrap, false);
    MemoryManager_Free(bytes);
    return loaded;
}

bool IBuffer::Base64Decode(const char* text, int32_t targetOffset, int32_t size)
{
    std::vector<uint8_t> bytes = Base64_Decode(text != nullptr ? text : "");
    if (size >= 0 && static_cast<size_t>(size) < bytes.size()) {
        bytes.resize(static_cast<size_t>(size));
    }
    if (bytes.size() > static_cast<size_t>(kBufferMaxSize)) {
        return false;
    }
    return Buffer_CopyMemoryIn(*this, bytes.data(), static_cast<int32_t>(bytes.size()), 0, -1, targetOffset,
                        m_kind == kBufferGrow || m_size == 0, m_kind == kBufferWrap, false);
}

void IBuffer::Fill(int32_t offset, int32_t size, int32_t type, const Value& value)
{
    std::string element;
    if (m_size <= 0 || !EncodeValue(type, value, element)) {
        return;
    }
    int64_t start = offset;
    int64_t length = size < 0 ? m_size : size;
    if (m_kind == kBufferWrap) {
        start = Modulo(start, m_size);
    } else {
        if (start < 0 || start >= m_size) {
            return;
        }
        length = std::min<int64_t>(length, m_size - start);
    }
    const auto elementSize = static_cast<int64_t>(element.size());
    const int64_t mask = m_alignment - 1;
    const int64_t end = start + length;
    for (int64_t at = start; at < end;) {
        if ((at & mask) != 0) {
            // The gap up to the next aligned place is cleared.
            const int64_t gapEnd = std::min((at + mask) & ~mask, end);
            for (; at < gapEnd; ++at) {
                m_data[at % m_size] = 0;
            }
            continue;
        }
        if (elementSize > end - at) {
            break;  // what is left cannot hold another element; it stays as it was
        }
        // From an aligned place the pattern repeats every period bytes. Going
        // round a wrap buffer, only the last pass over each byte counts, so
        // whole periods that a later pass overwrites are skipped.
        const int64_t period = (elementSize + mask) & ~mask;
        if (end - at > int64_t{m_size} + 2 * period) {
            at += (end - at - m_size - period) / period * period;
        }
        for (int64_t i = 0; i < elementSize; ++i) {
            m_data[(at + i) % m_size] = static_cast<uint8_t>(element[static_cast<size_t>(i)]);
        }
        at += elementSize;
    }
}

// ---- the fast kind ----

int32_t Buffer_Fast::Write(int32_t type, const Value& value)
{
    if (type != kBufferU8) {
        return kBufferFastBadType;
    }
    if (m_position >= m_size) {
        return kBufferNoRoom;
    }
    m_data[m_position++] = static_cast<uint8_t>(Real_TruncToInt32(value.real));
    return kBufferOk;
}

int32_t Buffer_Fast::Read(int32_t type, Value& out)
{
    Value_SetReal(out, 0.0);
    if (type != kBufferU8) {
        return kBufferFastBadType;
    }
    if (m_position >= m_size) {
        return kBufferNoRoom;
    }
    Value_SetReal(out, m_data[m_position++]);
    return kBufferOk;
}

void Buffer_Fast::Peek(int32_t offset, int32_t type, Value& out)
{
    Value_SetReal(out, 0.0);
    if (type == kBufferU8 && offset >= 0 && offset < m_size) {
        Value_SetReal(out, m_data[offset]);
    }
}

void Buffer_Fast::Poke(int32_t offset, int32_t type, const Value& value)
{
    if (type == kBufferU8 && offset >= 0 && offset < m_size) {
        m_data[offset] = static_cast<uint8_t>(Real_TruncToInt32(value.real));
    }
}

// ---- the table ----

namespace {

std::vector<std::unique_ptr<IBuffer>>& Table()
{
    static std::vector<std::unique_ptr<IBuffer>> table;
    return table;
}

// The lowest empty slot; a full table doubles (to 32 from none).
int32_t Buffer_AllocSlot()
{
    std::vector<std::unique_ptr<IBuffer>>& table = Table();
    for (size_t id = 0; id < table.size(); ++id) {
        if (table[id] == nullptr) {
            return static_cast<int32_t>(id);
        }
    }
    const size_t first = table.size();
    table.resize(first == 0 ? 32 : first * 2);
    return static_cast<int32_t>(first);
}

int32_t Buffer_Store(std::unique_ptr<IBuffer> buffer)
{
    const int32_t id = Buffer_AllocSlot();
    Table()[static_cast<size_t>(id)] = std::move(buffer);
    return id;
}

}  // namespace

int32_t Buffer_Create(int32_t size, int32_t kind, int32_t alignment)
{
    if (kind == kBufferFast) {
        return Buffer_Store(std::make_unique<Buffer_Fast>(size, kind, alignment));
    }
    return Buffer_Store(std::make_unique<Buffer_Standard>(size, kind, alignment));
}

int32_t Buffer_CreateEmpty()
{
    auto buffer = std::make_unique<Buffer_Standard>(0, kBufferGrow, 1);
    buffer->InitEmpty();
    return Buffer_Store(std::move(buffer));
}

int32_t Buffer_CreateFromMemory(uint8_t* data, int32_t size, bool owns)
{
    auto buffer = std::make_unique<Buffer_Standard>(0, kBufferFixed, 1);
    buffer->InitWrapped(data, size, kBufferFixed, 1, owns);
    return Buffer_Store(std::move(buffer));
}

IBuffer* Buffer_Get(int32_t id)
{
    const std::vector<std::unique_ptr<IBuffer>>& table = Table();
    return id >= 0 && static_cast<size_t>(id) < table.size() ? table[static_cast<size_t>(id)].get() : nullptr;
}

void Buffer_Delete(int32_t id)
{
    if (Buffer_Get(id) != nullptr) {
        Table()[static_cast<size_t>(id)].reset();
    }
}

void Buffer_FreeAll()
{
    Table().clear();
}

}  // namespace bw
