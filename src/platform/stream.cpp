#include "platform/stream.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "host/atomic_file.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/scrambler.h"

namespace bw {

// Stored values are little-endian; copying native values relies on that.
static_assert(std::endian::native == std::endian::little);
// Every whole file read fits a stream.
static_assert(kLoadSaveMaxFileSize <= CStream::kMaxSize);

namespace {

constexpr size_t kZlibChunk = 16384;
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// '0'-'9' carry their value in the low nibble; letters have bit 6 set and
// count from 1 ('A' = 0x41), so 9 more gives 10 to 15 for either case.
uint8_t HexDigitValue(char c)
{
    return static_cast<uint8_t>((c & 0x0F) + ((c & 0x40) ? 9 : 0));
}

}  // namespace

CStream::CStream(int64_t initialSize)
{
    if (initialSize > 0 && initialSize <= kMaxSize) {
        m_data = static_cast<uint8_t*>(BW_ALLOC(static_cast<size_t>(initialSize), false));
        m_capacity = initialSize;
    }
}

CStream::~CStream()
{
    Free();
}

void CStream::Delete(CStream* stream)
{
    delete stream;
}

void CStream::Free()
{
    if (!m_isView) {
        MemoryManager_Free(m_data);
    }
    m_data = nullptr;
    m_isView = false;
    m_capacity = 0;
    m_length = 0;
    m_position = 0;
}

void CStream::Adopt(uint8_t* data, int64_t capacity, int64_t length, bool isView)
{
    Free();
    m_data = data;
    m_capacity = capacity;
    m_length = length;
    m_isView = isView;
}

void CStream::Seek(int64_t position)
{
    m_position = std::clamp<int64_t>(position, 0, m_length);
}

int64_t CStream::SeekFrom(int64_t offset, int origin)
{
    int64_t base;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = m_position; break;
    case 2: base = m_length; break;
    default: return m_position;
    }
    int64_t target;
    if (__builtin_add_overflow(base, offset, &target)) {
        target = offset > 0 ? m_length : 0;
    }
    Seek(target);
    return m_position;
}

void CStream::Attach(void* data, int64_t size)
{
    if (data == nullptr || size <= 0 || size > kMaxSize) {
        Free();
        return;
    }
    Adopt(static_cast<uint8_t*>(data), size, size, true);
}

bool CStream::SaveToFile(const char* name) const
{
    if (m_data == nullptr || name == nullptr) {
        return false;
    }
    return HostFs_ReplaceFile(name, m_data, static_cast<size_t>(m_position));
}

bool CStream::LoadFromFile(const char* name, int64_t skip)
{
    Free();
    if (name == nullptr) {
        return false;
    }
    // A copy the game saved shadows the one shipped with it.
    char path[kLoadSavePathSize];
    if (!LoadSave_PathFind(path, sizeof path, name)) {
        return false;
    }
    size_t size = 0;
    uint8_t* file = LoadSave_ReadWholeFile(path, &size);
    if (file == nullptr) {
        return false;
    }
    const int64_t fileSize = static_cast<int64_t>(size);
    const int64_t kept = fileSize - std::clamp<int64_t>(skip, 0, fileSize);
    std::memmove(file, file + (fileSize - kept), static_cast<size_t>(kept));
    Adopt(file, fileSize, kept, false);
    return true;
}

int64_t CStream::ReadBuffer(void* dest, int64_t count)
{
    const int64_t available = std::min(count, m_length - m_position);
    if (dest == nullptr || available < 1) {
        return 0;
    }
    std::memcpy(dest, m_data + m_position, static_cast<size_t>(available));
    m_position += available;
    return available;
}

int32_t CStream::ReadInteger()
{
    int32_t value = 0;
    if (m_length - m_position >= 4) {
        ReadBuffer(&value, 4);
    }
    return value;
}

double CStream::ReadReal()
{
    double value = 0.0;
    if (m_length - m_position >= 8) {
        ReadBuffer(&value, 8);
    }
    return value;
}

bool CStream::ReadBoolean()
{
    return ReadInteger() != 0;
}

char* CStream::ReadStringBody(int32_t storedLength, int64_t* copied)
{
    int64_t length = storedLength;
    if (length < 0) {
        // A negative length cannot be trusted to say where anything ends.
        m_position = m_length;
        length = 0;
    }
    length = std::min(length, m_length - m_position);
    char* text = static_cast<char*>(BW_ALLOC(static_cast<size_t>(length) + 1, true));
    // A length past the end takes what is left, so the position ends there.
    *copied = ReadBuffer(text, length);
    return text;
}

int64_t CStream::ReadString(char** out)
{
    if (out == nullptr) {
        return 0;
    }
    int64_t copied = 0;
    *out = ReadStringBody(ReadInteger(), &copied);
    return copied;
}

char* CStream::ReadStringOrNull()
{
    const int32_t storedLength = ReadInteger();
    if (storedLength <= 0) {
        if (storedLength < 0) {
            m_position = m_length;
        }
        return nullptr;
    }
    int64_t copied = 0;
    return ReadStringBody(storedLength, &copied);
}

bool CStream::AcceptBlockLength(int64_t length)
{
    if (length < 0 || length > m_length - m_position) {
        m_position = m_length;
        return false;
    }
    return true;
}

int64_t CStream::SkipBlock()
{
    const int32_t length = ReadInteger();
    if (AcceptBlockLength(length)) {
        m_position += length;
    }
    return m_position;
}

std::unique_ptr<CStream> CStream::ReadStream()
{
    const int32_t length = ReadInteger();
    if (!AcceptBlockLength(length)) {
        return nullptr;
    }
    auto block = std::make_unique<CStream>(length);
    block->WriteBuffer(m_data + m_position, length);
    block->m_position = 0;
    m_position += length;
    return block;
}

bool CStream::Reserve(int64_t count)
{
    const int64_t needed = m_position + count;
    if (needed <= m_capacity) {
        return true;
    }
    if (needed > kMaxSize) {
        return false;
    }
    const int64_t capacity = std::max(std::min(m_capacity * 2, kMaxSize), needed);
    uint8_t* block;
    if (m_isView) {
        // The source keeps its block; the written bytes move into our own.
        block = static_cast<uint8_t*>(BW_ALLOC(static_cast<size_t>(capacity), false));
        if (block != nullptr && m_length > 0) {
            std::memcpy(block, m_data, static_cast<size_t>(m_length));
        }
    } else {
        block = static_cast<uint8_t*>(BW_REALLOC(m_data, static_cast<size_t>(capacity), false));
    }
    if (block == nullptr) {
        return false;
    }
    m_data = block;
    m_isView = false;
    m_capacity = capacity;
    return true;
}

bool CStream::WriteBuffer(const void* bytes, int64_t count)
{
    if (bytes == nullptr || count < 1 || count > kMaxSize) {
        return false;
    }
    // Appending a part of this very stream: growing moves the block, so
    // find the bytes again afterwards.
    const auto* source = static_cast<const uint8_t*>(bytes);
    const bool fromSelf = m_data != nullptr && source >= m_data && source < m_data + m_capacity;
    const int64_t sourceOffset = fromSelf ? source - m_data : 0;
    if (!Reserve(count)) {
        return false;
    }
    if (fromSelf) {
        source = m_data + sourceOffset;
    }
    std::memmove(m_data + m_position, source, static_cast<size_t>(count));
    m_position += count;
    m_length = std::max(m_length, m_position);
    return true;
}

bool CStream::WriteInteger(int32_t value)
{
    return WriteBuffer(&value, 4);
}

bool CStream::WriteReal(double value)
{
    return WriteBuffer(&value, 8);
}

bool CStream::WriteBoolean(int32_t value)
{
    return WriteInteger(value == 1 ? 1 : 0);
}

bool CStream::WriteString(const char* text)
{
    const size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length > static_cast<size_t>(kMaxSize) - 4 || !Reserve(4 + static_cast<int64_t>(length))) {
        return false;
    }
    WriteInteger(static_cast<int32_t>(length));
    if (length > 0) {
        WriteBuffer(text, static_cast<int64_t>(length));
    }
    return true;
}

void CStream::CopyFrom(CStream* source, int64_t start, int64_t length, bool view)
{
    if (source == nullptr) {
        return;
    }
    if (start == 0 && length == 0) {
        source->m_position = 0;
        if (source->m_length > 0) {
            WriteBuffer(source->m_data, source->m_length);
        }
        source->m_position = source->m_length;
        return;
    }
    const int64_t count = std::min(length, source->m_length - source->m_position);
    if (count < 1) {
        return;
    }
    uint8_t* from = source->m_data + source->m_position;
    if (view) {
        if (source == this) {
            return;  // becoming a view would free the very bytes it points at
        }
        Adopt(from, count, count, true);
        m_position = 0;
    } else {
        WriteBuffer(from, count);
    }
    source->m_position += count;
}

void CStream::CopyRange(CStream* source, int64_t start, int64_t length)
{
    CopyFrom(source, start, length, false);
}

void CStream::ConvertToString(char** out) const
{
    if (out == nullptr) {
        return;
    }
    if (m_data == nullptr || m_length == 0) {
        *out = nullptr;
        return;
    }
    const size_t count = static_cast<size_t>(m_position);
    char* text = static_cast<char*>(BW_ALLOC(count * 2 + 1, false));
    for (size_t i = 0; i < count; ++i) {
        text[i * 2] = kHexDigits[m_data[i] >> 4];
        text[i * 2 + 1] = kHexDigits[m_data[i] & 0x0F];
    }
    text[count * 2] = '\0';
    *out = text;
}

void CStream::ConvertFromString(const char* text)
{
    if (text == nullptr) {
        Free();
        return;
    }
    // Pairs sit at even offsets; a lone last character is no pair.
    int64_t count = 0;
    for (const char* pair = text; pair[0] != '\0' && pair[1] != '\0'; pair += 2) {
        count += IsHexDigit(pair[0]) && IsHexDigit(pair[1]);
    }
    if (count == 0 || count > kMaxSize) {
        Free();
        return;
    }
    auto* block = static_cast<uint8_t*>(BW_ALLOC(static_cast<size_t>(count), false));
    int64_t decoded = 0;
    for (const char* pair = text; decoded < count; pair += 2) {
        if (IsHexDigit(pair[0]) && IsHexDigit(pair[1])) {
            block[decoded++] = static_cast<uint8_t>(HexDigitValue(pair[0]) << 4 | HexDigitValue(pair[1]));
        }
    }
    Adopt(block, count, count, false);
}

bool CStream::ZCompress(const CStream* source)
{
    if (source == nullptr || source == this) {
        return false;
    }
    const int64_t lengthAt = m_position;
    if (!WriteInteger(0)) {
        return false;
    }
    z_stream zs{};
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK) {
        return false;
    }
    // The source is read in place from its start; its position is untouched.
    const uint8_t* input = source->m_data;
    int64_t remaining = source->m_length;
    uint8_t output[kZlibChunk];
    bool ok = true;
    int flush;
    do {
        const int64_t chunk = std::min<int64_t>(remaining, kZlibChunk);
        zs.next_in = const_cast<Bytef*>(input);
        zs.avail_in = static_cast<uInt>(chunk);
        input += chunk;
        remaining -= chunk;
        flush = remaining == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            zs.next_out = output;
            zs.avail_out = kZlibChunk;
            if (deflate(&zs, flush) == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            const int64_t produced = static_cast<int64_t>(kZlibChunk - zs.avail_out);
            if (produced > 0 && !WriteBuffer(output, produced)) {
                ok = false;
                break;
            }
        } while (zs.avail_out == 0);
    } while (ok && flush != Z_FINISH);
    deflateEnd(&zs);

    const auto compressed = static_cast<int32_t>(m_position - lengthAt - 4);
    std::memcpy(m_data + lengthAt, &compressed, 4);
    return ok;
}

std::unique_ptr<CStream> CStream::ZDecompress()
{
    const int32_t length = ReadInteger();
    Console().Printf("ZDecompressStream %d\n", length);
    if (!AcceptBlockLength(length)) {
        return nullptr;
    }
    const uint8_t* input = m_data + m_position;
    m_position += length;

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        return nullptr;
    }
    zs.next_in = const_cast<Bytef*>(input);
    zs.avail_in = static_cast<uInt>(length);
    auto result = std::make_unique<CStream>();
    uint8_t output[kZlibChunk];
    int status;
    do {
        zs.next_out = output;
        zs.avail_out = kZlibChunk;
        // Z_BUF_ERROR means the input ran out before the end of the zlib
        // data: a truncated block, refused like a damaged one.
        status = inflate(&zs, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            break;
        }
        const int64_t produced = static_cast<int64_t>(kZlibChunk - zs.avail_out);
        if (result->GetSize() + produced > kMaxInflatedSize
            || (produced > 0 && !result->WriteBuffer(output, produced))) {
            status = Z_MEM_ERROR;
            break;
        }
    } while (status != Z_STREAM_END);
    inflateEnd(&zs);
    if (status != Z_STREAM_END) {
        return nullptr;
    }
    Console().Printf("Done ZDecompressStream\n");
    result->m_position = 0;
    return result;
}

bool CStream::ClampRange(int64_t start, int64_t length, int64_t* begin, int64_t* end) const
{
    if (start < 0 || start >= m_length) {
        return false;
    }
    *begin = start;
    *end = (length < 1 || length > m_length - start) ? m_length : start + length;
    return true;
}

void CStream::Unscramble(int32_t seed, int64_t start, int64_t length)
{
    int64_t begin;
    int64_t end;
    if (!ClampRange(start, length, &begin, &end)) {
        return;
    }
    const ScramblerTables tables = Scrambler_BuildTable(seed);
    for (int64_t i = begin; i < end; ++i) {
        m_data[i] = tables.inverse[m_data[i]];
    }
}

void CStream::UnscrambleWithPosition(int32_t seed, int64_t start, int64_t length)
{
    int64_t begin;
    int64_t end;
    if (!ClampRange(start, length, &begin, &end)) {
        return;
    }
    const ScramblerTables tables = Scrambler_BuildTable(seed);
    for (int64_t i = begin; i < end; ++i) {
        m_data[i] = static_cast<uint8_t>(tables.inverse[m_data[i]] - (i & 0xFF));
    }
}

}  // namespace bw
