#include "audio/sound_records.h"

#include <cstring>
#include <strings.h>

#include "platform/console.h"
#include "platform/package_image.h"

namespace bw {
namespace {

constexpr uint32_t kSoundRecordWords = 9;

float WordAsFloat(uint32_t word)
{
    float value = 0.0f;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// The record at offset; null on success, else why it could not be read.
const char* ReadRecord(const PackageView& package, uint32_t offset, SoundRecord& out)
{
    uint32_t words[kSoundRecordWords] = {};
    for (uint32_t i = 0; i < kSoundRecordWords; ++i) {
        if (!package.ReadU32(uint64_t{offset} + 4 * i, words[i])) {
            return "the record lies outside the package";
        }
    }
    if (!Wad_PatchString(package, words[0], &out.name) || !Wad_PatchString(package, words[2], &out.extension) ||
        !Wad_PatchString(package, words[3], &out.fileName)) {
        return "a name lies outside the package";
    }
    out.kind = static_cast<int32_t>(words[1]);
    out.effects = static_cast<int32_t>(words[4]);
    out.volume = WordAsFloat(words[5]);
    out.pan = WordAsFloat(words[6]);
    out.preload = words[7] != 0;
    out.audioIndex = static_cast<int32_t>(words[8]);
    return nullptr;
}

}  // namespace

bool SoundRecords_Read(const PackageView& package, uint32_t offset, uint32_t length, std::vector<SoundSlot>& out)
{
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("SOND"), offset, length}, records)) {
        Console().Printf("Error on load\nSOND: the sound list runs past its chunk\n");
        return false;
    }
    out.assign(records.size(), SoundSlot{});
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] == 0) {
            continue;
        }
        if (const char* error = ReadRecord(package, records[i], out[i].record)) {
            Console().Printf("Error on load\nSOND: sound %zu: %s\n", i, error);
            return false;
        }
        out[i].present = true;
    }
    return true;
}

bool SoundEntries_Read(const PackageView& package, uint32_t offset, uint32_t length, std::vector<uint32_t>& out)
{
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("AUDO"), offset, length}, out)) {
        Console().Printf("Error on load\nAUDO: the entry list runs past its chunk\n");
        return false;
    }
    return true;
}

const uint8_t* SoundEntries_Image(const PackageView& package, const std::vector<uint32_t>& entries, int32_t index,
                                  uint32_t* size, const char** why)
{
    if (index < 0 || static_cast<size_t>(index) >= entries.size() || entries[static_cast<size_t>(index)] == 0) {
        *why = "its audio entry is not in the package";
        return nullptr;
    }
    const uint32_t entry = entries[static_cast<size_t>(index)];
    const uint8_t* bytes = nullptr;
    if (!package.ReadU32(entry, *size) || (bytes = package.Bytes(uint64_t{entry} + 4, *size)) == nullptr) {
        *why = "its audio entry runs past the end of the package";
        return nullptr;
    }
    return bytes;
}

bool SoundFile_HasExtension(const char* fileName, const char* extension)
{
    if (fileName == nullptr) {
        return false;
    }
    const size_t length = std::strlen(fileName);
    const size_t extensionLength = std::strlen(extension);
    // Names keep the case their authors gave them: "Theme.MP3" is music too.
    return length >= extensionLength && strcasecmp(fileName + length - extensionLength, extension) == 0;
}

bool SoundFile_IsMusic(const char* fileName)
{
    return SoundFile_HasExtension(fileName, ".mp3") || SoundFile_HasExtension(fileName, ".mid") ||
           SoundFile_HasExtension(fileName, ".midi");
}

}  // namespace bw
