// A small writer of chunk payloads for the resource readers' tests: words,
// package strings and pointer lists, with the file offsets records refer
// to. It knows nothing of the readers.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/package_view.h"

namespace bw::test {

class ChunkImage {
public:
    // Offset 0 stands for "none" in every record, so nothing useful starts
    // there.
    ChunkImage() { U32(0); }

    uint32_t Here() const { return static_cast<uint32_t>(m_bytes.size()); }

    void U32(uint32_t value) { Append(&value, 4); }
    void I32(int32_t value) { Append(&value, 4); }
    void Zeros(size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    void PatchU32(uint32_t at, uint32_t value) { std::memcpy(&m_bytes[at], &value, 4); }

    // A package string: its length, then the bytes and a NUL. The offset of
    // the bytes is what records store.
    uint32_t Text(const char* text)
    {
        const auto length = static_cast<uint32_t>(std::strlen(text));
        U32(length);
        const uint32_t at = Here();
        Append(text, length + 1);
        return at;
    }

    // A pointer list of count empty slots; Slot(list, i) fills one with the
    // offset written next.
    uint32_t List(uint32_t count)
    {
        const uint32_t at = Here();
        U32(count);
        Zeros(size_t{count} * 4);
        return at;
    }
    void Slot(uint32_t list, uint32_t index) { PatchU32(list + 4 + 4 * index, Here()); }

    // An action list of one action whose code word (text offset or code
    // index) is codeWord, as object events and timeline moments refer to.
    uint32_t ActionList(uint32_t codeWord)
    {
        const uint32_t list = Here();
        U32(1);
        U32(list + 8);
        const uint32_t action = Here();
        Zeros(kActionRecordSize);
        PatchU32(action + kActionCodeIndexWord, codeWord);
        PatchU32(action + kActionTextWord, codeWord);
        return list;
    }

    PackageView View() const { return PackageView(m_bytes.data(), m_bytes.size()); }
    uint32_t Size() const { return Here(); }

private:
    static constexpr uint32_t kActionRecordSize = 64;
    static constexpr uint32_t kActionCodeIndexWord = 32;
    static constexpr uint32_t kActionTextWord = 60;

    void Append(const void* data, size_t length)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + length);
    }

    std::vector<uint8_t> m_bytes;
};

// Marks in RecordPayload's words: the offset of a valid text ("name"), and
// the offset of the word after the marked one.
inline constexpr uint32_t kTextWord = 0xFFFFFFFEu;
inline constexpr uint32_t kNextWord = 0xFFFFFFFDu;

// A payload at offset 4 whose list holds one record of the given words, or,
// when asList, whose list is the words themselves: the readers' malformed
// inputs.
inline ChunkImage RecordPayload(std::initializer_list<uint32_t> words, bool asList = false)
{
    ChunkImage image;
    uint32_t text = 0;
    if (!asList) {
        const uint32_t list = image.List(1);
        text = image.Text("name");
        image.Slot(list, 0);
    }
    for (uint32_t word : words) {
        image.U32(word == kTextWord ? text : word == kNextWord ? image.Here() + 4 : word);
    }
    return image;
}

}  // namespace bw::test
