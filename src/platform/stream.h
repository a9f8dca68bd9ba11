// CStream: the runner's growable in-memory byte stream. Save games, data
// structure text, scripts, extensions and sprite data are read and written
// through it: typed little-endian values at a position, whole files, a hex
// text form and zlib blocks.
//
// The block (capacity) grows by doubling, so it is usually larger than what
// was written; only the written bytes (0 .. GetSize()) are ever read.
// Everything read from a stream may come from a file or from game code, so
// every stored length is checked against the bytes that are really there.
#pragma once

#include <cstdint>
#include <memory>

namespace bw {

class CStream {
public:
    // Lengths are stored as i32, and memory-manager blocks carry a 32-bit
    // size, so no stream grows beyond this.
    static constexpr int64_t kMaxSize = INT32_MAX;
    // A zlib block that inflates to more than this is refused: no stream
    // the runner reads legitimately comes near it.
    static constexpr int64_t kMaxInflatedSize = int64_t{1} << 30;

    // A non-zero size reserves a block of that many bytes (not cleared).
    explicit CStream(int64_t initialSize = 0);
    ~CStream();
    CStream(const CStream&) = delete;
    CStream& operator=(const CStream&) = delete;

    // For owners that hold a stream by raw pointer: frees data and object.
    static void Delete(CStream* stream);
    // Releases owned data (a view's data belongs to its source) and empties.
    void Free();

    // Positions are clamped to 0 .. GetSize().
    void Seek(int64_t position);
    // origin 0: from the start, 1: from the position, 2: from the end;
    // other origins change nothing. Returns the new position.
    int64_t SeekFrom(int64_t offset, int origin);

    uint8_t* GetData() const { return m_data; }
    int64_t GetPosition() const { return m_position; }
    int64_t GetSize() const { return m_length; }

    // Reads an outside block in place; the stream never frees it. A write
    // that needs more room moves the data into a block of the stream's own.
    void Attach(void* data, int64_t size);

    // Writes the bytes before the position to the file (name used as given).
    bool SaveToFile(const char* name) const;
    // Reads the whole file (save area first, then program area), keeping the
    // bytes from offset skip on. Missing file: false, the stream stays empty.
    bool LoadFromFile(const char* name, int64_t skip);

    // Reads that find too few bytes return the default and do not advance.
    int64_t ReadBuffer(void* dest, int64_t count);
    int32_t ReadInteger();
    double ReadReal();
    bool ReadBoolean();
    // *out receives a new NUL-terminated memory-manager text (free with
    // MemoryManager_Free); returns the bytes copied. A stored length past the
    // end yields what is left; a negative one an empty text.
    int64_t ReadString(char** out);
    // As ReadString, but a stored length of 0 (or a corrupt one) gives null.
    char* ReadStringOrNull();
    // Skips a length-prefixed block; returns the new position.
    int64_t SkipBlock();
    // A copy of a length-prefixed block, at position 0.
    std::unique_ptr<CStream> ReadStream();

    // Writes at the position, growing the block when needed. False (nothing
    // written) when the stream would outgrow kMaxSize.
    bool WriteBuffer(const void* bytes, int64_t count);
    bool WriteInteger(int32_t value);
    bool WriteReal(double value);
    // Stored as 1 only for the value 1, else 0.
    bool WriteBoolean(int32_t value);
    // i32 length (0 for null), then the bytes without NUL.
    bool WriteString(const char* text);

    // start = length = 0: appends the whole source, leaving the source's
    // position at its end. Otherwise takes up to length bytes from the
    // source's position (start plays no further part), advancing the source
    // past them: appended as a copy, or with view set this stream becomes a
    // view onto them, valid while the source's block is.
    void CopyFrom(CStream* source, int64_t start, int64_t length, bool view);
    void CopyRange(CStream* source, int64_t start, int64_t length);

    // *out: new upper-case hex text of the bytes before the position, or
    // null when the stream has no data.
    void ConvertToString(char** out) const;
    // Replaces the data with the bytes of the text's valid hex pairs (pairs
    // at even offsets whose two characters are both hex digits), position 0.
    void ConvertFromString(const char* text);

    // Appends the zlib form of the whole source as an i32 length and the
    // compressed bytes. False when a write failed; the length then covers
    // what was written.
    bool ZCompress(const CStream* source);
    // Inflates the length-prefixed zlib block at the position into a new
    // stream at position 0; null for a damaged, truncated or oversize block.
    std::unique_ptr<CStream> ZDecompress();

    // Undo the seeded substitution over [start, start + length); a length
    // below 1 means up to the end. The position variant also takes away each
    // byte's offset in the stream (mod 256).
    void Unscramble(int32_t seed, int64_t start, int64_t length);
    void UnscrambleWithPosition(int32_t seed, int64_t start, int64_t length);

private:
    // Makes room for count bytes at the position.
    bool Reserve(int64_t count);
    // Checks a stored block length against the bytes left. A negative one or
    // one past the end marks the rest of the stream as unreadable: the
    // position moves to the end and the answer is false.
    bool AcceptBlockLength(int64_t length);
    char* ReadStringBody(int32_t storedLength, int64_t* copied);
    // Takes over a block (owned or not) as the stream's data.
    void Adopt(uint8_t* data, int64_t capacity, int64_t length, bool isView);
    // The part of the written data that an unscramble range covers.
    bool ClampRange(int64_t start, int64_t length, int64_t* begin, int64_t* end) const;

    bool m_isView = false;   // the data belongs to someone else
    int64_t m_capacity = 0;  // bytes in the block
    int64_t m_length = 0;    // bytes written: the end of the data
    int64_t m_position = 0;  // 0 .. m_length
    uint8_t* m_data = nullptr;
};

}  // namespace bw
