#include "bwpack/package_writer.h"

#include <cstring>

namespace bw::pack {

Label PackageWriter::NewLabel()
{
    m_labelOffsets.push_back(-1);
    return static_cast<Label>(m_labelOffsets.size() - 1);
}

std::vector<Label> PackageWriter::NewLabels(size_t count)
{
    std::vector<Label> labels(count);
    for (Label& label : labels) label = NewLabel();
    return labels;
}

void PackageWriter::Bind(Label label)
{
    if (label == 0 || label >= m_labelOffsets.size() || m_labelOffsets[label] >= 0) {
        throw BuildError("internal error: label " + std::to_string(label) + " bound twice or unknown");
    }
    if (m_bytes.size() > UINT32_MAX) throw BuildError("package larger than 4 GiB");
    m_labelOffsets[label] = static_cast<int64_t>(m_bytes.size());
}

void PackageWriter::U8(uint8_t value) { m_bytes.push_back(value); }

void PackageWriter::U16(uint16_t value)
{
    U8(static_cast<uint8_t>(value));
    U8(static_cast<uint8_t>(value >> 8));
}

void PackageWriter::U32(uint32_t value)
{
    U16(static_cast<uint16_t>(value));
    U16(static_cast<uint16_t>(value >> 16));
}

void PackageWriter::U64(uint64_t value)
{
    U32(static_cast<uint32_t>(value));
    U32(static_cast<uint32_t>(value >> 32));
}

void PackageWriter::F32(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void PackageWriter::Put(Word word)
{
    if (word.IsOffset() && word.Raw() != 0) {
        m_fixups.emplace_back(m_bytes.size(), word.Raw());
    }
    U32(word.IsOffset() ? 0 : word.Raw());
}

void PackageWriter::Bytes(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + size);
}

void PackageWriter::Align4()
{
    while (m_bytes.size() % 4 != 0) U8(0);
}

void PackageWriter::PointerList(const std::vector<Label>& labels)
{
    U32(static_cast<uint32_t>(labels.size()));
    for (Label label : labels) Put(Word::OffsetOf(label));
}

void PackageWriter::BeginChunk(const char tag[4])
{
    if (m_inChunk) throw BuildError("internal error: chunk inside a chunk");
    Bytes(tag, 4);
    m_chunkStart = m_bytes.size();
    U32(0);
    m_inChunk = true;
}

void PackageWriter::EndChunk()
{
    Align4();
    PatchU32(m_chunkStart, static_cast<uint32_t>(m_bytes.size() - m_chunkStart - 4));
    m_inChunk = false;
}

void PackageWriter::PatchU32(size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> PackageWriter::Finish()
{
    for (const auto& [at, label] : m_fixups) {
        if (label >= m_labelOffsets.size() || m_labelOffsets[label] < 0) {
            throw BuildError("internal error: label " + std::to_string(label) + " used but never bound");
        }
        PatchU32(at, static_cast<uint32_t>(m_labelOffsets[label]));
    }
    m_fixups.clear();
    return std::move(m_bytes);
}

const StringTable::Entry& StringTable::Add(const std::string& text)
{
    auto [found, added] = m_entries.try_emplace(text, Entry{0, 0});
    if (added) {
        found->second = Entry{m_writer.NewLabel(), static_cast<uint32_t>(m_order.size())};
        m_order.push_back(&found->first);
    }
    return found->second;
}

Word StringTable::Ref(const std::string& text) { return Word::OffsetOf(Add(text).label); }

uint32_t StringTable::Index(const std::string& text) { return Add(text).index; }

void StringTable::WriteChunk()
{
    m_writer.BeginChunk("STRG");
    std::vector<Label> entries = m_writer.NewLabels(m_order.size());
    m_writer.PointerList(entries);
    for (size_t i = 0; i < m_order.size(); ++i) {
        const std::string& text = *m_order[i];
        m_writer.Bind(entries[i]);
        m_writer.U32(static_cast<uint32_t>(text.size()));
        m_writer.Bind(m_entries.at(text).label);
        m_writer.Bytes(text.data(), text.size());
        m_writer.U8(0);
        m_writer.Align4();
    }
    m_writer.EndChunk();
}

}  // namespace bw::pack
