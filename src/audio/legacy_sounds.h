// The legacy sound system, for games that do not select the audio engine:
// the CSound table, and the voice table that turns each sound into a
// SoundHardware voice (or the music player) on first use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/arrays.h"
#include "platform/package_view.h"

namespace bw {

struct SoundRecord;

class CSound {
public:
    int32_t kind = 0;  // 0 normal, 1 background music, 2 3D, 3 multimedia
    std::string extension;  // with its dot
    std::string fileName;   // with its extension, without folder
    MemoryBlockPtr<uint8_t> data;  // the whole file (sounds added at run time)
    size_t dataSize = 0;
    bool preload = false;
    int32_t effects = 0;  // kept; no effect is applied
    double volume = 1.0;
    double pan = 0.0;     // kept; not applied
    int32_t voice = -1;   // voice-table index, -1 until prepared
    const uint8_t* waveData = nullptr;  // the package's sound file image
    uint32_t waveSize = 0;
    int32_t audioIndex = -1;

    void LoadFromChunk(const SoundRecord& record);
    // False when the file cannot be found or read.
    bool LoadFromFile(const char* file, int32_t kind, bool preload);
    void Prepare();
    // Prepares the sound on first use.
    int32_t GetVoice();
    // Stops what plays the sound, then forgets its voice; the next play
    // prepares it again.
    void Discard();
};

// Package loading (SOND, AUDO) and lifetime.
void Sound_Clear();
bool Sound_Init(const PackageView& package, uint32_t offset, uint32_t length);
bool Wave_Init(const PackageView& package, uint32_t offset, uint32_t length);
bool Sound_Prepare();
void Sound_Fini();
// Every entry dropped and every sound unprepared (the hardware voices go
// with the sound back end).
void Sound_EmptyVoiceTable();

int32_t Sound_Count();
bool Sound_Exists(int32_t id);
CSound* Sound_Get(int32_t id);
// The name, or "<undefined>" for a missing sound.
std::string Sound_GetName(int32_t id);
int32_t Sound_Find(const char* name);

int32_t Sound_Add(const char* file, int32_t kind, bool preload);
bool Sound_Replace(int32_t id, const char* file, int32_t kind, bool preload);
bool Sound_Delete(int32_t id);

// Voice-table operations: music files (".mp3", ".mid", ".midi") go to the
// music player, everything else to its voice.
void Sound_Play(const std::string& fileName, int32_t voice, bool loop);
void Sound_Stop(const std::string& fileName, int32_t voice);
bool Sound_IsPlaying(const std::string& fileName, int32_t voice);
void Sound_StopAll();
// A fade over timeMs (0: at the next step); a music entry fades the music.
void Sound_SetVolume(int32_t voice, double volume, int32_t timeMs);
// Every frame: the sound back end's tick, then the audio engine's update.
void Sound_Update();

}  // namespace bw
