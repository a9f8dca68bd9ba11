#include "audio/audio_sounds.h"

#include <AL/al.h>

#include <cstring>
#include <memory>
#include <vector>

#include "audio/audio_stream.h"
#include "audio/legacy_sounds.h"
#include "audio/openal_device.h"
#include "audio/sound_image.h"
#include "audio/sound_records.h"
#include "platform/console.h"
#include "script/resource_seams.h"

namespace bw {
namespace {

std::vector<std::unique_ptr<AudioSound>>& Sounds()
{
    static std::vector<std::unique_ptr<AudioSound>> sounds;
    return sounds;
}

void LogUnplayable(int32_t id, const AudioSound& sound, const char* why)
{
    Console().Printf("Audio: sound %d (%s) plays nothing: %s\n", id, sound.name != nullptr ? sound.name : "",
                     why);
}

// A streamed Ogg sound keeps its image and opens a stream per play; a
// check here logs a damaged one once instead of at every play.
bool CanStream(const AudioSound& sound, const char** why)
{
    CAudioStream probe;
    return probe.Open(sound.audioData, sound.audioSize, why);
}

}  // namespace

bool Audio_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    Console().Printf("Audio_Load()\n");
    Audio_FreeSounds();
    std::vector<SoundSlot> slots;
    if (!SoundRecords_Read(package, offset, length, slots)) {
        return false;
    }
    std::vector<std::unique_ptr<AudioSound>>& sounds = Sounds();
    sounds.resize(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].present) {
            continue;
        }
        const SoundRecord& record = slots[i].record;
        auto sound = std::make_unique<AudioSound>();
        sound->recordName = record.name;
        sound->name = record.fileName;
        sound->streamed = record.kind > 0;
        sound->gain = record.volume;
        sound->audioIndex = record.audioIndex;
        sounds[i] = std::move(sound);
    }
    return true;
}

bool Audio_WAVs(const PackageView& package, uint32_t offset, uint32_t length)
{
    Console().Printf("Audio_WAVs()\n");
    std::vector<uint32_t> entries;
    if (!SoundEntries_Read(package, offset, length, entries)) {
        return false;
    }
    const int32_t count = Audio_SoundCount();
    for (int32_t id = 0; id < count; ++id) {
        AudioSound* sound = Audio_GetSound(id);
        if (sound == nullptr || Audio_IsMusicFile(*sound)) {
            continue;
        }
        uint32_t size = 0;
        const char* why = nullptr;
        const uint8_t* bytes = SoundEntries_Image(package, entries, sound->audioIndex, &size, &why);
        if (bytes == nullptr) {
            LogUnplayable(id, *sound, why);
            continue;
        }
        sound->audioData = bytes;
        sound->audioSize = size;
    }
    return true;
}

void Audio_Prepare()
{
    if (!AudioDevice_IsOpen()) {
        return;
    }
    const int32_t count = Audio_SoundCount();
    for (int32_t id = 0; id < count; ++id) {
        AudioSound* sound = Audio_GetSound(id);
        if (sound == nullptr || sound->audioData == nullptr || sound->buffer != 0) {
            continue;
        }
        const char* why = nullptr;
        if (sound->streamed && SoundImage_Kind(sound->audioData, sound->audioSize) == SoundImageKind::Ogg) {
            sound->streams = CanStream(*sound, &why);
        } else {
            sound->buffer = SoundImage_CreateBuffer(sound->audioData, sound->audioSize, &why);
        }
        if (sound->buffer == 0 && !sound->streams) {
            LogUnplayable(id, *sound, why);
        }
    }
}

void Audio_FreeSounds()
{
    for (const std::unique_ptr<AudioSound>& sound : Sounds()) {
        if (sound != nullptr && sound->buffer != 0 && AudioDevice_IsOpen()) {
            alDeleteBuffers(1, &sound->buffer);
        }
    }
    Sounds().clear();
}

int32_t Audio_SoundCount()
{
    return static_cast<int32_t>(Sounds().size());
}

AudioSound* Audio_GetSound(int32_t id)
{
    return id >= 0 && id < Audio_SoundCount() ? Sounds()[static_cast<size_t>(id)].get() : nullptr;
}

bool Audio_HasExtension(const AudioSound& sound, const char* extension)
{
    return SoundFile_HasExtension(sound.name, extension);
}

bool Audio_IsMusicFile(const AudioSound& sound)
{
    return SoundFile_IsMusic(sound.name);
}

int32_t Audio_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    const int32_t count = Audio_SoundCount();
    for (int32_t id = 0; id < count; ++id) {
        const AudioSound* sound = Audio_GetSound(id);
        if (sound != nullptr && sound->recordName != nullptr && std::strcmp(sound->recordName, name) == 0) {
            return id;
        }
    }
    const size_t length = std::strlen(name);
    for (int32_t id = 0; id < count; ++id) {
        const AudioSound* sound = Audio_GetSound(id);
        if (sound != nullptr && sound->name != nullptr && std::strncmp(sound->name, name, length) == 0 &&
            sound->name[length] == '.') {
            return id;
        }
    }
    return -1;
}

void Sound_Startup()
{
    Resource_SetNameFinder(ResourceKind::Audio, &Audio_Find);
    Resource_SetNameFinder(ResourceKind::Sound, &Sound_Find);
}

}  // namespace bw
