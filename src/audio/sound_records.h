// The SOND records and AUDO entries of a package, read once here for both
// sound systems (the audio engine's table and the legacy CSound table).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/package_view.h"

namespace bw {

struct SoundRecord {
    const char* name = nullptr;       // the resource's name
    int32_t kind = 0;                 // 0 normal, 1 background music, 2 3D, 3 multimedia
    const char* extension = nullptr;  // with its dot
    const char* fileName = nullptr;   // with its extension
    int32_t effects = 0;
    float volume = 1.0f;
    float pan = 0.0f;
    bool preload = false;
    int32_t audioIndex = -1;
};

// One slot of the SOND chunk; an empty slot is not present.
struct SoundSlot {
    bool present = false;
    SoundRecord record;
};
// Every slot of the SOND chunk; false, after an "Error on load" line, when
// the list or a record lies outside the package.
bool SoundRecords_Read(const PackageView& package, uint32_t offset, uint32_t length, std::vector<SoundSlot>& out);

// The AUDO chunk's entry offsets; false, after an "Error on load" line,
// when the list runs past the chunk.
bool SoundEntries_Read(const PackageView& package, uint32_t offset, uint32_t length, std::vector<uint32_t>& out);
// The sound file image of entry index; null with *why set when the index is
// outside the chunk or the entry runs past the package.
const uint8_t* SoundEntries_Image(const PackageView& package, const std::vector<uint32_t>& entries, int32_t index,
                                  uint32_t* size, const char** why);

// True when the file name (null: none) ends in extension, letters A-Z and
// a-z alike.
bool SoundFile_HasExtension(const char* fileName, const char* extension);
// ".mp3", ".mid" or ".midi": music, played by the music player.
bool SoundFile_IsMusic(const char* fileName);

}  // namespace bw
