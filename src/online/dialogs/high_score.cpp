#include "online/dialogs/high_score.h"

#include <array>
#include <cstring>
#include <string_view>

#include "platform/files.h"
#include "platform/memory.h"
#include "platform/strings.h"

namespace bw {

namespace {

constexpr char kMagic[4] = {'H', 'I', 'S', 'C'};
constexpr const char* kNobody = "<nobody>";
constexpr uint32_t kMaxNameLength = 256;
constexpr size_t kHeaderSize = 8;

using HighScoreTable = std::array<HighScoreEntry, kHighScoreEntries>;

struct HighScoreState {
    HighScoreTable entries;
    bool changed = false;
    int32_t lastPosition = 0;
};
HighScoreState g_scores;

// The file holds names up to 256 bytes, so a longer one is cut at the last
// whole character that fits when it enters the table: the game sees the same
// name before and after a restart.
std::string StoredName(const char* name)
{
    const std::string_view whole(name);
    return std::string(whole.substr(0, String_WholeCharactersWithin(whole, kMaxNameLength)));
}

bool IndexValid(int32_t index)
{
    return index >= 1 && index <= kHighScoreEntries;
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// Little-endian reads that refuse to pass the end of the bytes.
class BoundedReader {
public:
    BoundedReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool U32(uint32_t* out)
    {
        if (m_size - m_position < 4) return false;
        *out = static_cast<uint32_t>(m_data[m_position]) | static_cast<uint32_t>(m_data[m_position + 1]) << 8 |
               static_cast<uint32_t>(m_data[m_position + 2]) << 16 |
               static_cast<uint32_t>(m_data[m_position + 3]) << 24;
        m_position += 4;
        return true;
    }
    bool Text(uint32_t length, std::string* out)
    {
        if (m_size - m_position < length) return false;
        out->assign(reinterpret_cast<const char*>(m_data + m_position), length);
        m_position += length;
        return true;
    }
    void Seek(size_t position) { m_position = position; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

// One record; false when it is damaged.
bool ReadRecord(BoundedReader& reader, HighScoreEntry* entry)
{
    uint32_t length = 0;
    if (!reader.U32(&length) || length > kMaxNameLength) return false;
    std::string name;
    if (!reader.Text(length, &name)) return false;
    uint32_t value = 0;
    if (!reader.U32(&value)) return false;
    entry->name = length > 0 ? std::optional<std::string>(std::move(name)) : std::nullopt;
    entry->value = static_cast<int32_t>(value);
    return true;
}

}  // namespace

void HighScore_Init()
{
    HighScore_Clear();
    g_scores.changed = false;
}

void HighScore_Clear()
{
    for (HighScoreEntry& entry : g_scores.entries) entry = HighScoreEntry{kNobody, 0};
}

void HighScore_Add(const char* name, int32_t value)
{
    HighScoreTable& entries = g_scores.entries;
    int32_t place = 0;
    while (place < kHighScoreEntries && value <= entries[static_cast<size_t>(place)].value) ++place;
    if (place == kHighScoreEntries) return;
    g_scores.lastPosition = place;
    for (int32_t i = kHighScoreEntries - 1; i > place; --i) {
        entries[static_cast<size_t>(i)] = std::move(entries[static_cast<size_t>(i - 1)]);
    }
    HighScoreEntry& entry = entries[static_cast<size_t>(place)];
    entry.value = value;
    entry.name = name != nullptr ? std::optional<std::string>(StoredName(name)) : std::nullopt;
    g_scores.changed = true;
}

void HighScore_SetEntry(int32_t index, const char* name, int32_t value)
{
    if (!IndexValid(index)) return;
    HighScoreEntry& entry = g_scores.entries[static_cast<size_t>(index - 1)];
    entry.name = name != nullptr ? StoredName(name) : "";
    entry.value = value;
}

int32_t HighScore_GetValue(int32_t index)
{
    return IndexValid(index) ? g_scores.entries[static_cast<size_t>(index - 1)].value : 0;
}

const char* HighScore_GetName(int32_t index)
{
    if (!IndexValid(index)) return nullptr;
    const HighScoreEntry& entry = g_scores.entries[static_cast<size_t>(index - 1)];
    return entry.name ? entry.name->c_str() : nullptr;
}

int32_t HighScore_LastPosition()
{
    return g_scores.lastPosition;
}

bool HighScore_Changed()
{
    return g_scores.changed;
}

void HighScore_Show() {}

std::vector<uint8_t> HighScore_Serialise()
{
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    PutU32(out, 0);
    for (const HighScoreEntry& entry : g_scores.entries) {
        const std::string& name = entry.name ? *entry.name : std::string();
        PutU32(out, static_cast<uint32_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        // A nameless entry keeps its value too: writing 0 there would lose
        // a score that was read back from a record with an empty name.
        PutU32(out, static_cast<uint32_t>(entry.value));
    }
    const uint32_t length = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    return out;
}

void HighScore_Parse(const uint8_t* data, size_t size)
{
    g_scores.changed = false;
    BoundedReader reader(data, size);
    uint32_t storedLength = 0;
    if (size < kHeaderSize || std::memcmp(data, kMagic, sizeof kMagic) != 0) return;
    reader.Seek(sizeof kMagic);
    if (!reader.U32(&storedLength) || storedLength > size) return;
    // A damaged record ends the read; the entries before it are kept, and it
    // and the later ones stay as they were.
    for (HighScoreEntry& entry : g_scores.entries) {
        HighScoreEntry read;
        if (!ReadRecord(reader, &read)) return;
        entry = std::move(read);
    }
}

void HighScore_Load()
{
    size_t size = 0;
    uint8_t* data = LoadSave_ReadSaveFile(kHighScoreFile, &size);
    if (data == nullptr) {
        g_scores.changed = false;
        return;
    }
    HighScore_Parse(data, size);
    MemoryManager_Free(data);
}

void HighScore_Save()
{
    const std::vector<uint8_t> bytes = HighScore_Serialise();
    LoadSave_WriteSaveFile(kHighScoreFile, bytes.data(), bytes.size());
    g_scores.changed = false;
}

void HighScore_Fini()
{
    if (g_scores.changed) HighScore_Save();
}

}  // namespace bw
