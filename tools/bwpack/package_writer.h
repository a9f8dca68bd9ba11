// The byte-level side of package writing: one growing little-endian image of
// the whole file, with labels for places whose file offset is known only
// later (a record further on, a string in the string table) and fix-ups that
// fill those offsets in when the image is finished.
//
// This is deliberately independent of the runner's package loader: the two
// sides check each other, so neither may share the other's idea of a layout.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace bw::pack {

// Any failure of a build: the message names the project file and field.
class BuildError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Label = uint32_t;

// A 32-bit word to be written: either a value known now or the file offset
// of a label (0 when the label is the null label).
class Word {
public:
    static Word Value(uint32_t value) { return Word(value, false); }
    static Word Int(int32_t value) { return Word(static_cast<uint32_t>(value), false); }
    static Word OffsetOf(Label label) { return Word(label, true); }
    static Word Null() { return Word(0, false); }

    bool IsOffset() const { return m_isOffset; }
    uint32_t Raw() const { return m_raw; }

private:
    Word(uint32_t raw, bool isOffset) : m_raw(raw), m_isOffset(isOffset) {}
    uint32_t m_raw;
    bool m_isOffset;
};

class PackageWriter {
public:
    Label NewLabel();
    std::vector<Label> NewLabels(size_t count);
    // The label now stands for the current end of the image.
    void Bind(Label label);

    void U8(uint8_t value);
    void U16(uint16_t value);
    void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void U64(uint64_t value);
    void F32(float value);
    void Put(Word word);
    void Bytes(const void* data, size_t size);
    void Align4();

    // A pointer list: the count, then the offset of each label.
    void PointerList(const std::vector<Label>& labels);

    // Chunks: the tag and a length that EndChunk fills in.
    void BeginChunk(const char tag[4]);
    void EndChunk();

    size_t Size() const { return m_bytes.size(); }
    void PatchU32(size_t at, uint32_t value);

    // Resolves every fix-up and returns the finished image; a label that was
    // used but never bound is a fault of the builder, not of the project.
    std::vector<uint8_t> Finish();

private:
    std::vector<uint8_t> m_bytes;
    std::vector<int64_t> m_labelOffsets{-1};  // label 0 is the null label
    std::vector<std::pair<size_t, Label>> m_fixups;
    size_t m_chunkStart = 0;
    bool m_inChunk = false;
};

// The package's strings, each stored once (STRG). A record refers to a
// string by the offset of its bytes, so the label stands for the entry + 4.
class StringTable {
public:
    explicit StringTable(PackageWriter& writer) : m_writer(writer) {}
    Word Ref(const std::string& text);
    // The text's position in the STRG list (added when new): what a string
    // operand of package bytecode holds.
    uint32_t Index(const std::string& text);
    size_t Count() const { return m_order.size(); }
    // Writes the STRG chunk, binding every label handed out.
    void WriteChunk();

private:
    PackageWriter& m_writer;
    struct Entry {
        Label label;
        uint32_t index;
    };
    const Entry& Add(const std::string& text);

    std::map<std::string, Entry> m_entries;
    std::vector<const std::string*> m_order;
};

}  // namespace bw::pack
