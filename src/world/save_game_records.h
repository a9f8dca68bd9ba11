// The pieces of a saved game: typed values packed one after the other
// (little-endian, no padding) and the room, background, view, tile and
// instance records built from them.
//
// A saved game comes back from a file or from a buffer game code filled, so
// the reader treats every byte as untrusted: each read checks the bytes that
// are left, and the first failure sticks, so a record reader can read all its
// fields and ask once at the end whether they were all there.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

class CInstance;
class CRoom;
class CStream;

// Writes at the stream's position; the first failed write sticks.
class SaveWriter {
public:
    explicit SaveWriter(CStream& stream) : m_stream(stream) {}

    void S32(int32_t value) { Scalar(value); }
    void U32(uint32_t value) { Scalar(value); }
    void F32(float value) { Scalar(value); }
    void F64(double value) { Scalar(value); }
    void Flag(bool value) { S32(value ? 1 : 0); }
    // The bytes and a NUL. An empty text is written as the absent-text
    // marker, the one-byte text "\x04": the runner keeps no difference
    // between an empty text and one never set, and unset texts always
    // travelled as the marker.
    void Text(const std::string& text);
    // Records that write through the stream themselves (variable lists)
    // report here.
    void Check(bool written) { m_ok = m_ok && written; }

    CStream& Stream() { return m_stream; }
    bool Ok() const { return m_ok; }

private:
    // Numbers are written in the machine's own (little-endian) order.
    template <typename T>
    void Scalar(T value)
    {
        Bytes(&value, sizeof value);
    }
    void Bytes(const void* bytes, int64_t count);

    CStream& m_stream;
    bool m_ok = true;
};

// Reads from the stream's position. After the first failure every read
// gives 0 (or the empty text) and Failure() names what was missing.
class SaveReader {
public:
    explicit SaveReader(CStream& stream) : m_stream(stream) {}

    int32_t S32() { return Scalar<int32_t>(); }
    uint32_t U32() { return Scalar<uint32_t>(); }
    float F32() { return Scalar<float>(); }
    double F64() { return Scalar<double>(); }
    uint8_t Flag() { return S32() != 0 ? 1 : 0; }
    // The absent-text marker reads back as the empty text.
    std::string Text();
    // A count of records that each take at least minBytes: negative, or more
    // than the bytes left could hold, is damage (0 then).
    int32_t Count(int64_t minBytes, const char* what);
    void Fail(const char* what);
    // Records that read through the stream themselves report here.
    void Check(bool read, const char* what);

    CStream& Stream() { return m_stream; }
    bool Ok() const { return m_failure == nullptr; }
    const char* Failure() const { return m_failure != nullptr ? m_failure : ""; }
    int64_t BytesLeft() const;

private:
    template <typename T>
    T Scalar()
    {
        T value{};
        Bytes(&value, sizeof value);
        return value;
    }
    bool Bytes(void* out, int64_t count);

    CStream& m_stream;
    const char* m_failure = nullptr;
};

// The room record: settings, backgrounds, views, tiles and both instance
// lists. A room using physics cannot be saved: that is reported as a fatal
// error and the writer fails, though the record is still written whole.
void SaveGame_WriteRoom(SaveWriter& writer, CRoom& room);
// Into a new room with default settings. The instances are put on the
// room's lists only: the id table, the objects' lists and the tile id
// counter are left alone, so a failed load has touched nothing outside the
// records it made.
bool SaveGame_ReadRoom(SaveReader& reader, CRoom& room);

void SaveGame_WriteInstance(SaveWriter& writer, CInstance& instance);
bool SaveGame_ReadInstance(SaveReader& reader, CInstance& instance);

}  // namespace bw
