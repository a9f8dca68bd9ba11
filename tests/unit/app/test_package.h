// A small writer of game packages for tests: a FORM container of chunks
// whose payloads the test writes word by word, with the file offsets it
// needs to refer to. It knows nothing of the loader's reading code.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace bw::test {

class TestPackage {
public:
    TestPackage() { m_bytes = {'F', 'O', 'R', 'M', 0, 0, 0, 0}; }

    // The offset the next byte will have.
    uint32_t Here() const { return static_cast<uint32_t>(m_bytes.size()); }

    void BeginChunk(const char* tag)
    {
        m_bytes.insert(m_bytes.end(), tag, tag + 4);
        m_chunkStart = Here();
        U32(0);
    }
    void EndChunk() { PatchU32(m_chunkStart, Here() - m_chunkStart - 4); }
    // A chunk of whole words.
    void Chunk(const char* tag, std::initializer_list<uint32_t> words)
    {
        BeginChunk(tag);
        for (uint32_t word : words) U32(word);
        EndChunk();
    }

    void U8(uint8_t value) { m_bytes.push_back(value); }
    void U32(uint32_t value) { Append(&value, 4); }
    void I32(int32_t value) { Append(&value, 4); }
    void Zeros(size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    void PatchU32(uint32_t at, uint32_t value) { std::memcpy(&m_bytes[at], &value, 4); }

    // A STRG chunk holding texts; the offsets of their bytes (what records
    // store), in order.
    std::vector<uint32_t> Strings(std::initializer_list<const char*> texts)
    {
        BeginChunk("STRG");
        U32(static_cast<uint32_t>(texts.size()));
        uint32_t slot = Here();
        Zeros(4 * texts.size());
        std::vector<uint32_t> offsets;
        for (const char* text : texts) {
            PatchU32(slot, Here());
            slot += 4;
            const uint32_t length = static_cast<uint32_t>(std::strlen(text));
            U32(length);
            offsets.push_back(Here());
            Append(text, length + 1);
        }
        EndChunk();
        return offsets;
    }

    // The finished file: the FORM length is the rest of the file.
    std::vector<uint8_t> Finish() const
    {
        std::vector<uint8_t> bytes = m_bytes;
        const uint32_t length = static_cast<uint32_t>(bytes.size() - 8);
        std::memcpy(&bytes[4], &length, 4);
        return bytes;
    }
    std::string FinishText() const
    {
        const std::vector<uint8_t> bytes = Finish();
        return {bytes.begin(), bytes.end()};
    }

private:
    void Append(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
    }

    std::vector<uint8_t> m_bytes;
    uint32_t m_chunkStart = 0;
};

// A header record of format F: every field the format has, the room order
// at the place given (count offset; entries follow it), string offsets as
// given.
struct TestHeader {
    uint8_t flagByte = 1;
    uint8_t format = 13;
    uint32_t name = 0, config = 0, saveFolder = 0, caption = 0;
    int32_t lastInstance = 100010, lastTile = 10000020, gameId = 77;
    int32_t width = 320, height = 240;
    uint32_t flags = 0;
    int32_t steamAppId = 0;
    uint32_t roomOrderAt = 124;
    std::vector<int32_t> roomOrder = {0};
};

inline void WriteHeader(TestPackage& package, const TestHeader& h, const char* tag = "GEN8")
{
    std::vector<uint8_t> record(h.roomOrderAt + 4 + 4 * h.roomOrder.size() + 16, 0);
    const auto put = [&record](uint32_t at, auto value) {
        if (at + 4 <= record.size()) std::memcpy(&record[at], &value, 4);
    };
    record[0] = h.flagByte;
    record[1] = h.format;
    const std::pair<uint32_t, uint32_t> fields[] = {
        {4, h.name},        {8, h.config},        {12, uint32_t(h.lastInstance)}, {16, uint32_t(h.lastTile)},
        {20, uint32_t(h.gameId)}, {40, h.saveFolder}, {60, uint32_t(h.width)},  {64, uint32_t(h.height)},
        {68, h.flags},      {100, h.caption},     {120, uint32_t(h.steamAppId)},
    };
    for (const auto& [at, value] : fields) put(at, value);
    // The room order last: where it overlaps a field, it is what stands.
    put(h.roomOrderAt, static_cast<uint32_t>(h.roomOrder.size()));
    for (size_t i = 0; i < h.roomOrder.size(); ++i) put(h.roomOrderAt + 4 + 4 * static_cast<uint32_t>(i), h.roomOrder[i]);
    package.BeginChunk(tag);
    for (uint8_t byte : record) package.U8(byte);
    package.EndChunk();
}

}  // namespace bw::test
