// Byte buffers: raw memory for game code, networking packets and the
// debugger link. Typed little-endian reads and writes at an aligned position,
// three policies at the end of the buffer (fail, grow, wrap) and a fast
// byte-only kind; seeking, peeking and poking; copies, fills, files, base64
// and digests. Buffers live in one table and game code sees them by id.
//
// Alignment in a wrapping buffer is measured on the endless stream of bytes
// written through it: the wrap origin is (bytes wrapped past) mod alignment.
//
// Every size and position is 32-bit, as stored by games; whatever game code
// passes (negative, huge, a size-0 buffer) has a defined outcome and no
// operation loops without end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "script/value.h"

namespace bw {

enum BufferKind : int32_t {
    kBufferFixed = 0,  // writing past the end fails
    kBufferGrow = 1,   // the size doubles until a write fits
    kBufferWrap = 2,   // the position wraps to the start
    kBufferFast = 3,   // bytes only
};

enum BufferDataType : int32_t {
    kBufferU8 = 1,
    kBufferS8 = 2,
    kBufferU16 = 3,
    kBufferS16 = 4,
    kBufferU32 = 5,
    kBufferS32 = 6,
    kBufferF16 = 7,  // sized but refused by every read and write
    kBufferF32 = 8,
    kBufferF64 = 9,
    kBufferBool = 10,
    kBufferString = 11,  // the bytes and a terminator
};

// Results of Write / Read.
inline constexpr int32_t kBufferOk = 0;
inline constexpr int32_t kBufferBadType = -1;
inline constexpr int32_t kBufferNoRoom = -2;
inline constexpr double kBufferReadFailed = -3.0;  // the value of a failed read
inline constexpr int32_t kBufferFastBadType = -4;

inline constexpr int32_t kBufferMaxAlignment = 1024;
// No buffer grows beyond this, so that size + alignment stays 32-bit.
inline constexpr int32_t kBufferMaxSize = INT32_MAX - kBufferMaxAlignment;

// Bytes of a type; 0 for a string (its length varies) and unknown types.
int32_t Buffer_SizeOfType(int32_t type);

class IBuffer {
public:
    // Alignment: the smallest power of two not below the request, 1 to 1024.
    IBuffer(int32_t size, int32_t kind, int32_t alignment);
    virtual ~IBuffer();
    IBuffer(const IBuffer&) = delete;
    IBuffer& operator=(const IBuffer&) = delete;

    // No memory, size 0, alignment 1, a grow buffer.
    void InitEmpty();
    // Takes the bytes as the buffer's (freed with it when owns is set; they
    // must then be a memory-manager block).
    void InitWrapped(uint8_t* data, int32_t size, int32_t kind, int32_t alignment, bool owns);

    virtual int32_t Write(int32_t type, const Value& value);
    // out: the value read, -3 when the buffer holds too little.
    virtual int32_t Read(int32_t type, Value& out);
    // base 0 from the start, 1 from the position, 2 back from the last byte.
    int32_t Seek(int32_t base, int32_t offset);
    virtual void Peek(int32_t offset, int32_t type, Value& out);
    virtual void Poke(int32_t offset, int32_t type, const Value& value);
    bool Save(const char* fileName, int32_t offset, int32_t size) const;
    // Adds the file's bytes from sourceOffset (size of them, below 0: all) at
    // targetOffset. Addresses on the web are refused.
    bool Load(const char* fileName, int32_t sourceOffset, int32_t size, int32_t targetOffset);
    std::string Base64Encode(int32_t offset, int32_t size) const;
    bool Base64Decode(const char* text, int32_t targetOffset, int32_t size);
    std::string MD5(int32_t offset, int32_t size) const;
    std::string SHA1(int32_t offset, int32_t size) const;
    // Negative sizes are refused.
    void Resize(int32_t newSize);
    bool CopyTo(int32_t sourceOffset, int32_t size, IBuffer& target, int32_t targetOffset) const;
    // Repeats the value (as Poke encodes it) over [offset, offset + size),
    // each copy at an aligned offset, the gaps between them zeroed.
    void Fill(int32_t offset, int32_t size, int32_t type, const Value& value);

    // A type-11 string; an absent text travels as the one-byte text "\x04".
    int32_t WriteString(const char* text);
    // A new memory-manager text, or null for the absent-text marker.
    char* ReadString();

    uint8_t* Data() const { return m_data; }
    int32_t Size() const { return m_size; }
    int32_t Alignment() const { return m_alignment; }
    int32_t Kind() const { return m_kind; }
    int32_t Position() const { return m_position; }


protected:
    // The position rounded up to the alignment of the endless stream.
    void AlignPosition();
    // In a wrap buffer, a position at or past the end comes round.
    void WrapPosition();
    // Each lap round the end moves the origin on by the size, each lap back
    // over the start moves it back by it.
    void AddLaps(int64_t laps);
    // Grows to at least needed bytes by doubling; false when it cannot.
    bool GrowFor(int64_t needed);
    struct ByteRange {
        int64_t start;
        int64_t length;  // in a wrap buffer it may go round the end, even more than once
    };
    // A range by the shared range rule (wrapping in a wrap buffer, cut at
    // the end otherwise).
    ByteRange Range(int32_t offset, int32_t size) const;
    // Calls visit(pointer, length) for the pieces of the range in order,
    // straight from the buffer's bytes: a range may be as large as the
    // buffer, so it is never gathered into a block of its own.
    template <typename Visit>
    void ForEachRangePiece(int32_t offset, int32_t size, Visit&& visit) const;
    void ReleaseMemory();

    uint8_t* m_raw = nullptr;   // the block (size + alignment bytes)
    uint8_t* m_data = nullptr;  // its first aligned byte
    int32_t m_size = 0;
    int32_t m_alignment = 1;
    int32_t m_kind = kBufferGrow;
    int32_t m_position = 0;
    int32_t m_origin = 0;  // bytes wrapped past, mod alignment
    bool m_owns = true;
};

// Any kind but 3.
class Buffer_Standard : public IBuffer {
public:
    using IBuffer::IBuffer;
};

// Kind 3: single bytes only, one bounds test each; no alignment, growth or
// wrapping.
class Buffer_Fast : public IBuffer {
public:
    using IBuffer::IBuffer;
    int32_t Write(int32_t type, const Value& value) override;
    int32_t Read(int32_t type, Value& out) override;
    void Peek(int32_t offset, int32_t type, Value& out) override;
    void Poke(int32_t offset, int32_t type, const Value& value) override;
};

// Copies count bytes of source (below 0: all) from sourceOffset into target
// at targetOffset. grow: the target is enlarged to hold them; wrapTarget /
// wrapSource: offsets and the copy go round the end of that side, else they
// are clamped and the copy is cut there. False when the source is empty or
// the target has no room at all.
bool Buffer_CopyMemoryIn(IBuffer& target, const uint8_t* source, int32_t sourceSize, int32_t sourceOffset,
                         int32_t count, int32_t targetOffset, bool grow, bool wrapTarget, bool wrapSource);

// ---- the table ----

// A new buffer in the lowest free slot.
int32_t Buffer_Create(int32_t size, int32_t kind, int32_t alignment);
// A new empty grow buffer (loading and decoding start from one).
int32_t Buffer_CreateEmpty();
// A fixed buffer of alignment 1 over the given bytes.
int32_t Buffer_CreateFromMemory(uint8_t* data, int32_t size, bool owns);
// Null outside the table or for an empty slot.
IBuffer* Buffer_Get(int32_t id);
void Buffer_Delete(int32_t id);
// Shut-down.
void Buffer_FreeAll();

}  // namespace bw
