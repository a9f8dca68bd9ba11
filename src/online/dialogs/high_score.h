// The table of the ten best scores with their players' names, highest
// first, and its file "hiscore.dat" in the save area: "HISC", the file's
// length (written last), then ten records {u32 name length, name bytes, i32
// value}. Loaded when the high-score built-ins register, saved at shut-down
// when a score was added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bw {

inline constexpr int32_t kHighScoreEntries = 10;
inline constexpr const char* kHighScoreFile = "hiscore.dat";

struct HighScoreEntry {
    std::optional<std::string> name;  // none: an entry without a name
    int32_t value = 0;
};

// Every entry becomes ("<nobody>", 0); nothing counts as changed.
void HighScore_Init();
void HighScore_Clear();
// Inserts after every equal score; a score below all ten changes nothing.
// A null name leaves the entry without one; a name over 256 bytes is cut to
// the whole characters that fit, as the file keeps it.
void HighScore_Add(const char* name, int32_t value);
// index 1..10; others are ignored.
void HighScore_SetEntry(int32_t index, const char* name, int32_t value);
// index 1..10; 0 and null outside.
int32_t HighScore_GetValue(int32_t index);
const char* HighScore_GetName(int32_t index);
// 0-based place of the latest insertion.
int32_t HighScore_LastPosition();
bool HighScore_Changed();
// The table is shown by nothing on this platform; kept for its callers.
void HighScore_Show();

// The file's bytes for the table as it stands.
std::vector<uint8_t> HighScore_Serialise();
// Reads a file's bytes into the table. A missing magic or a stored length
// beyond the bytes leaves the table as it was; a record that would run past
// the end (or a name over 256 bytes) stops the read there, keeping the
// entries read before it. Clears the changed flag either way.
void HighScore_Parse(const uint8_t* data, size_t size);

// The file in the save area: loaded by the "HighScore.." group, saved by
// HighScore_Fini when changed.
void HighScore_Load();
void HighScore_Save();
void HighScore_Fini();

}  // namespace bw
