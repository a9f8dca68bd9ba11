// The SOND and AUDO readers of both sound systems on arbitrary bytes: the input's
// first word is the SOND payload's length; the rest is the package, with the
// SOND payload at its start and the AUDO payload after it. Every image a sound is given goes through the checks
// that guard the decoders, and Ogg images are decoded whole.
#include <cstddef>
#include <cstdint>

#include "audio/audio_sounds.h"
#include "audio/legacy_sounds.h"
#include "audio/sound_image.h"
#include "platform/package_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint32_t soundsLength = 0;
    if (size < 4 || size > UINT32_MAX || !bw::PackageView(data, size).ReadU32(0, soundsLength) ||
        soundsLength > size - 4) {
        return 0;
    }
    const bw::PackageView package(data + 4, size - 4);
    const auto packageSize = static_cast<uint32_t>(size - 4);
    if (bw::Audio_Load(package, 0, soundsLength) &&
        bw::Audio_WAVs(package, soundsLength, packageSize - soundsLength)) {
        for (int32_t id = 0; id < bw::Audio_SoundCount(); ++id) {
            const bw::AudioSound* sound = bw::Audio_GetSound(id);
            if (sound == nullptr) {
                continue;
            }
            bw::Audio_Find(sound->recordName);
            bw::Audio_Find(sound->name);
            const char* why = nullptr;
            if (sound->audioData != nullptr && bw::SoundImage_Check(sound->audioData, sound->audioSize, &why) &&
                bw::SoundImage_Kind(sound->audioData, sound->audioSize) == bw::SoundImageKind::Ogg) {
                bw::DecodedSound decoded;
                bw::SoundImage_DecodeOgg(sound->audioData, sound->audioSize, decoded, &why);
            }
        }
    }
    bw::Audio_FreeSounds();
    if (bw::Sound_Init(package, 0, soundsLength) && bw::Wave_Init(package, soundsLength, packageSize - soundsLength)) {
        for (int32_t id = 0; id < bw::Sound_Count(); ++id) {
            bw::Sound_Find(bw::Sound_GetName(id).c_str());
        }
    }
    bw::Sound_Fini();
    return 0;
}
