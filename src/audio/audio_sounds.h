// The audio engine's sound table: one AudioSound per SOND record, with the
// sound file image from AUDO and the OpenAL buffer made from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/package_view.h"

namespace bw {

struct AudioSound {
    const char* recordName = nullptr;  // the resource's name; null when none
    const char* name = nullptr;        // the file name with its extension; null when none
    float gain = 1.0f;
    float pitch = 1.0f;
    bool streamed = false;  // kind above 0: music
    // The sound file image (after its size word), null until AUDO is read
    // or when the entry is missing or damaged.
    const uint8_t* audioData = nullptr;
    uint32_t audioSize = 0;
    int32_t audioIndex = -1;
    uint32_t buffer = 0;      // 0: none (plays silence)
    bool streams = false;     // played through a stream instead of a buffer
    float gainStep = 0.0f;
    int32_t fadeSteps = 0;
};

// SOND: "Audio_Load()", then the table sized to the chunk's count, one
// record per non-empty slot. A record outside the package fails the load.
bool Audio_Load(const PackageView& package, uint32_t offset, uint32_t length);
// AUDO: "Audio_WAVs()", then each sound gets its entry. An index outside
// the chunk or an entry running past the package is logged and leaves the
// sound without data, so it plays nothing.
bool Audio_WAVs(const PackageView& package, uint32_t offset, uint32_t length);
// Makes the OpenAL buffers (needs the engine's sources to exist). Streamed
// Ogg sounds keep their image for streaming; music files stay with the
// music player.
void Audio_Prepare();
// Deletes the buffers and empties the table.
void Audio_FreeSounds();

int32_t Audio_SoundCount();
// Null for an id outside the table or an empty slot.
AudioSound* Audio_GetSound(int32_t id);
// True when the file name ends in ".mp3", ".mid" or ".midi": the music
// player's business, never a buffer.
bool Audio_IsMusicFile(const AudioSound& sound);
bool Audio_HasExtension(const AudioSound& sound, const char* extension);

// The record whose name is exactly name, else the first whose file name
// begins with name followed directly by "."; -1 when none.
int32_t Audio_Find(const char* name);

// Early start-up: game code may name the sounds of either system from here on.
void Sound_Startup();

}  // namespace bw
