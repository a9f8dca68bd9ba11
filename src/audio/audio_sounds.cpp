#include "audio/audio_sounds.h"

#include <AL/al.h>

#include <cstring>
#include <memory>
#include <vector>

#include "audio/audio_stream.h"
#include "audio/openal_device.h"
#include "audio/sound_image.h"
#include "platform/console.h"
#include "platform/package_image.h"
#include "script/resource_seams.h"

namespace bw {
namespace {

constexpr uint32_t kSoundRecordWords = 9;

std::vector<std::unique_ptr<AudioSound>>& Sounds()
{
    static std::vector<std::unique_ptr<AudioSound>> sounds;
    return sounds;
}

float WordAsFloat(uint32_t word)
{
    float value = 0.0f;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

const char* LoadRecord(const PackageView& package, uint32_t record, AudioSound& sound)
{
    uint32_t words[kSoundRecordWords] = {};
    for (uint32_t i = 0; i < kSoundRecordWords; ++i) {
        if (!package.ReadU32(uint64_t{record} + 4 * i, words[i])) {
            return "the record lies outside the package";
        }
    }
    if (!Wad_PatchString(package, words[0], &sound.recordName) ||
        !Wad_PatchString(package, words[3], &sound.name)) {
        return "a name lies outside the package";
    }
    sound.streamed = static_cast<int32_t>(words[1]) > 0;
    sound.gain = WordAsFloat(words[5]);
    sound.audioIndex = static_cast<int32_t>(words[8]);
    return nullptr;
}

bool EndsWith(const char* text, const char* suffix)
{
    const size_t length = std::strlen(text);
    const size_t suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(text + length - suffixLength, suffix) == 0;
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
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("SOND"), offset, length}, records)) {
        Console().Printf("Error on load\nSOND: the sound list runs past its chunk\n");
        return false;
    }
    std::vector<std::unique_ptr<AudioSound>>& sounds = Sounds();
    sounds.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] == 0) {
            continue;
        }
        auto sound = std::make_unique<AudioSound>();
        if (const char* error = LoadRecord(package, records[i], *sound)) {
            Console().Printf("Error on load\nSOND: sound %zu: %s\n", i, error);
            Audio_FreeSounds();
            return false;
        }
        sounds[i] = std::move(sound);
    }
    return true;
}

bool Audio_WAVs(const PackageView& package, uint32_t offset, uint32_t length)
{
    Console().Printf("Audio_WAVs()\n");
    std::vector<uint32_t> entries;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("AUDO"), offset, length}, entries)) {
        Console().Printf("Error on load\nAUDO: the entry list runs past its chunk\n");
        return false;
    }
    const int32_t count = Audio_SoundCount();
    for (int32_t id = 0; id < count; ++id) {
        AudioSound* sound = Audio_GetSound(id);
        if (sound == nullptr || Audio_IsMusicFile(*sound)) {
            continue;
        }
        const int32_t index = sound->audioIndex;
        if (index < 0 || static_cast<size_t>(index) >= entries.size() || entries[static_cast<size_t>(index)] == 0) {
            LogUnplayable(id, *sound, "its audio entry is not in the package");
            continue;
        }
        const uint32_t entry = entries[static_cast<size_t>(index)];
        uint32_t size = 0;
        const uint8_t* bytes = nullptr;
        if (!package.ReadU32(entry, size) || (bytes = package.Bytes(uint64_t{entry} + 4, size)) == nullptr) {
            LogUnplayable(id, *sound, "its audio entry runs past the end of the package");
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
    return sound.name != nullptr && EndsWith(sound.name, extension);
}

bool Audio_IsMusicFile(const AudioSound& sound)
{
    return Audio_HasExtension(sound, ".mp3") || Audio_HasExtension(sound, ".mid") ||
           Audio_HasExtension(sound, ".midi");
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
}

}  // namespace bw
