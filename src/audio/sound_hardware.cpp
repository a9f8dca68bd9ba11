#include "audio/sound_hardware.h"

#include "audio/audio_engine.h"
#include "audio/openal_device.h"

namespace bw {

void SoundHardware_Create(bool noAudio)
{
    if (!noAudio) {
        AudioDevice_Open();
    }
    Audio_CreateSources(nullptr, noAudio);
}

void SoundHardware_Quit()
{
    Audio_Shutdown();
    AudioDevice_Close();
}

}  // namespace bw
