#include "audio/pcm_decoder.h"

#include <AL/al.h>

namespace bw {

int32_t Pcm16_AlFormat(int32_t channels)
{
    return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

}  // namespace bw
