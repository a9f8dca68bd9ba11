#include "audio/legacy_sounds.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/audio_engine.h"
#include "audio/sound_hardware.h"
#include "audio/sound_records.h"
#include "platform/console.h"
#include "platform/files.h"

namespace bw {
namespace {

struct SoundTableEntry {
    std::unique_ptr<CSound> sound;
    std::string name;
};

// A voice-table entry. Entries are never given back: freeing a sound's
// voice leaves its entry in use.
struct VoiceEntry {
    bool inUse = false;
    int32_t kind = 0;  // 1 for the music path, else the sound's kind
    SoundHardwareVoice* hardware = nullptr;  // null for music
};

std::vector<SoundTableEntry> g_sounds;
std::vector<VoiceEntry> g_voices;

constexpr int32_t kKindMusic = 1;
constexpr int32_t kKindMultimedia = 3;

// Takes an entry for a sound of kind with the given file image. A sound
// file that does not decode gets an entry without hardware voice; ok is
// false then.
int32_t TakeVoice(int32_t kind, const uint8_t* image, size_t size, const std::string& fileName, bool* ok)
{
    size_t index = 0;
    while (index < g_voices.size() && g_voices[index].inUse) {
        ++index;
    }
    if (index == g_voices.size()) {
        g_voices.emplace_back();
    }
    VoiceEntry& entry = g_voices[index];
    entry = VoiceEntry{true, kind == kKindMultimedia ? kKindMusic : kind, nullptr};
    *ok = true;
    // Music files and multimedia sounds play through the music player.
    if (kind != kKindMultimedia && !SoundFile_IsMusic(fileName.c_str())) {
        SoundHardware* hardware = SoundHardware_Get();
        entry.hardware = hardware != nullptr ? hardware->Load(image, size, fileName.c_str()) : nullptr;
        *ok = entry.hardware != nullptr;
        // A voice of its own is faded as a sound, never as the music.
        entry.kind = *ok ? (kind == kKindMusic ? 0 : kind) : kKindMusic;
    }
    return static_cast<int32_t>(index);
}

VoiceEntry* Voice(int32_t voice)
{
    return voice >= 0 && static_cast<size_t>(voice) < g_voices.size() ? &g_voices[static_cast<size_t>(voice)]
                                                                        : nullptr;
}

// The part of a path after its last folder separator.
const char* BaseName(const char* path)
{
    const char* base = path;
    for (const char* at = path; *at != '\0'; ++at) {
        if (*at == '/' || *at == '\\') {
            base = at + 1;
        }
    }
    return base;
}

// A record about to be freed stops what plays it first: once it is gone,
// no id reaches its voice (or its music) to stop it.
void StopVoicesOf(const CSound* sound)
{
    if (sound != nullptr) {
        Sound_Stop(sound->fileName, sound->voice);
    }
}

}  // namespace

void CSound::LoadFromChunk(const SoundRecord& record)
{
    kind = record.kind;
    extension = record.extension != nullptr ? record.extension : "";
    fileName = record.fileName != nullptr ? record.fileName : "";
    effects = record.effects;
    volume = record.volume;
    pan = record.pan;
    preload = record.preload;
    audioIndex = record.audioIndex;
}

bool CSound::LoadFromFile(const char* file, int32_t newKind, bool newPreload)
{
    char path[kLoadSavePathSize];
    if (file == nullptr || !LoadSave_PathFind(path, sizeof path, file)) {
        return false;
    }
    size_t size = 0;
    MemoryBlockPtr<uint8_t> bytes(LoadSave_ReadWholeFile(path, &size));
    if (bytes == nullptr) {
        return false;
    }
    fileName = BaseName(file);
    const char* dot = std::strrchr(fileName.c_str(), '.');
    extension = dot != nullptr ? dot : "";
    data = std::move(bytes);
    dataSize = size;
    kind = newKind;
    preload = newPreload;
    if (preload) {
        Prepare();
    }
    return true;
}

void CSound::Prepare()
{
    if (kind != kKindMultimedia) {
        if (waveData == nullptr && data == nullptr) {
            return;
        }
        bool ok = false;
        voice = waveData != nullptr ? TakeVoice(kind, waveData, waveSize, fileName, &ok)
                                    : TakeVoice(kind, data.get(), dataSize, fileName, &ok);
        if (!ok) {
            kind = kKindMultimedia;
        }
    } else {
        bool ok = false;
        voice = TakeVoice(kKindMultimedia, nullptr, 0, fileName, &ok);
    }
    // Effects and pan have stages that change nothing.
    Sound_SetVolume(voice, volume, 0);
}

int32_t CSound::GetVoice()
{
    if (voice < 0) {
        Prepare();
    }
    return voice;
}

void CSound::Discard()
{
    // Once the voice is forgotten, nothing reaches it to stop it.
    StopVoicesOf(this);
    voice = -1;
}

void Sound_Clear()
{
    g_sounds.clear();
}

bool Sound_Init(const PackageView& package, uint32_t offset, uint32_t length)
{
    Console().Printf("Sound_Init()\n");
    g_sounds.clear();
    std::vector<SoundSlot> slots;
    if (!SoundRecords_Read(package, offset, length, slots)) {
        return false;
    }
    g_sounds.resize(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].present) {
            g_sounds[i].sound = std::make_unique<CSound>();
            g_sounds[i].sound->LoadFromChunk(slots[i].record);
            g_sounds[i].name = slots[i].record.name != nullptr ? slots[i].record.name : "";
        }
    }
    return true;
}

bool Wave_Init(const PackageView& package, uint32_t offset, uint32_t length)
{
    Console().Printf("Wave_Init()\n");
    std::vector<uint32_t> entries;
    if (!SoundEntries_Read(package, offset, length, entries)) {
        return false;
    }
    for (size_t id = 0; id < g_sounds.size(); ++id) {
        CSound* sound = g_sounds[id].sound.get();
        if (sound == nullptr || SoundFile_IsMusic(sound->fileName.c_str())) {
            continue;
        }
        const char* why = nullptr;
        sound->waveData = SoundEntries_Image(package, entries, sound->audioIndex, &sound->waveSize, &why);
        if (sound->waveData == nullptr) {
            Console().Printf("Sound: sound %zu (%s) plays nothing: %s\n", id, sound->fileName.c_str(), why);
        }
    }
    return true;
}

bool Sound_Prepare()
{
    for (const SoundTableEntry& entry : g_sounds) {
        if (entry.sound != nullptr && entry.sound->preload) {
            entry.sound->Prepare();
        }
    }
    return true;
}

void Sound_Fini()
{
    g_sounds.clear();
    g_voices.clear();
}

void Sound_EmptyVoiceTable()
{
    g_voices.clear();
    for (const SoundTableEntry& entry : g_sounds) {
        if (entry.sound != nullptr) {
            entry.sound->voice = -1;
        }
    }
}

int32_t Sound_Count()
{
    return static_cast<int32_t>(g_sounds.size());
}

bool Sound_Exists(int32_t id)
{
    return Sound_Get(id) != nullptr;
}

CSound* Sound_Get(int32_t id)
{
    return id >= 0 && id < Sound_Count() ? g_sounds[static_cast<size_t>(id)].sound.get() : nullptr;
}

std::string Sound_GetName(int32_t id)
{
    return Sound_Exists(id) ? g_sounds[static_cast<size_t>(id)].name : "<undefined>";
}

int32_t Sound_Find(const char* name)
{
    for (int32_t id = 0; name != nullptr && id < Sound_Count(); ++id) {
        if (Sound_Exists(id) && g_sounds[static_cast<size_t>(id)].name == name) {
            return id;
        }
    }
    return -1;
}

int32_t Sound_Add(const char* file, int32_t kind, bool preload)
{
    const int32_t id = Sound_Count();
    char name[32];
    std::snprintf(name, sizeof name, "__newsound%d", id);
    g_sounds.push_back({std::make_unique<CSound>(), name});
    return g_sounds.back().sound->LoadFromFile(file, kind, preload) ? id : -1;
}

bool Sound_Replace(int32_t id, const char* file, int32_t kind, bool preload)
{
    if (id < 0 || id >= Sound_Count()) {
        return false;
    }
    std::unique_ptr<CSound>& sound = g_sounds[static_cast<size_t>(id)].sound;
    StopVoicesOf(sound.get());
    sound = std::make_unique<CSound>();
    return sound->LoadFromFile(file, kind, preload);
}

bool Sound_Delete(int32_t id)
{
    CSound* sound = Sound_Get(id);
    if (sound == nullptr) {
        return false;
    }
    StopVoicesOf(sound);
    g_sounds[static_cast<size_t>(id)] = SoundTableEntry{};
    return true;
}

void Sound_Play(const std::string& fileName, int32_t voice, bool loop)
{
    SoundHardware* hardware = SoundHardware_Get();
    if (hardware == nullptr) {
        return;
    }
    if (SoundFile_HasExtension(fileName.c_str(), ".mp3")) {
        hardware->PlayMP3(fileName.c_str(), loop);
    } else if (SoundFile_IsMusic(fileName.c_str())) {
        hardware->PlayMIDI(fileName.c_str(), loop);
    } else if (const VoiceEntry* entry = Voice(voice)) {
        hardware->Play(entry->hardware, loop);
    }
}

void Sound_Stop(const std::string& fileName, int32_t voice)
{
    SoundHardware* hardware = SoundHardware_Get();
    if (hardware == nullptr) {
        return;
    }
    if (hardware->IsCurrentMusic(fileName.c_str())) {
        hardware->StopMusic();
    } else if (const VoiceEntry* entry = Voice(voice)) {
        hardware->Stop(entry->hardware);
    }
}

bool Sound_IsPlaying(const std::string& fileName, int32_t voice)
{
    SoundHardware* hardware = SoundHardware_Get();
    if (hardware == nullptr) {
        return false;
    }
    if (hardware->IsCurrentMusic(fileName.c_str())) {
        return hardware->PlayingMP3();
    }
    const VoiceEntry* entry = Voice(voice);
    return entry != nullptr && hardware->Playing(entry->hardware);
}

void Sound_StopAll()
{
    SoundHardware* hardware = SoundHardware_Get();
    if (hardware == nullptr) {
        return;
    }
    for (const VoiceEntry& entry : g_voices) {
        hardware->Stop(entry.hardware);
    }
    hardware->StopMusic();
}

void Sound_SetVolume(int32_t voice, double volume, int32_t timeMs)
{
    SoundHardware* hardware = SoundHardware_Get();
    const VoiceEntry* entry = Voice(voice);
    if (hardware == nullptr || entry == nullptr) {
        return;
    }
    if (entry->kind == kKindMusic) {
        hardware->SetMusicVolume(static_cast<float>(volume), timeMs);
    } else {
        hardware->SetVolume(entry->hardware, static_cast<float>(volume), timeMs);
    }
}

void Sound_Update()
{
    if (SoundHardware* hardware = SoundHardware_Get()) {
        hardware->Tick();
    }
    Audio_Update();
}

}  // namespace bw
