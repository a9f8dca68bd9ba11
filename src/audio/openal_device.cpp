#include "audio/openal_device.h"

#include <AL/alc.h>
#include <AL/alut.h>

#include "platform/console.h"

namespace bw {
namespace {

ALCdevice* g_device = nullptr;
ALCcontext* g_context = nullptr;

}  // namespace

bool AudioDevice_Open()
{
    if (g_context != nullptr) {
        return true;
    }
    g_device = alcOpenDevice(nullptr);
    if (g_device == nullptr) {
        Console().Printf("Audio: no sound device, the game runs without sound\n");
        return false;
    }
    const ALCint attributes[] = {ALC_MONO_SOURCES, kAudioContextSources, 0};
    g_context = alcCreateContext(g_device, attributes);
    if (g_context == nullptr || alcMakeContextCurrent(g_context) == ALC_FALSE) {
        Console().Printf("Audio: the sound device refused a context (error %d), the game runs without sound\n",
                         alcGetError(g_device));
        AudioDevice_Close();
        return false;
    }
    if (alutInitWithoutContext(nullptr, nullptr) == AL_FALSE) {
        Console().Printf("ALUT Error : %s\n", alutGetErrorString(alutGetError()));
    }
    return true;
}

void AudioDevice_Close()
{
    if (g_context != nullptr) {
        alutExit();
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(g_context);
        g_context = nullptr;
    }
    if (g_device != nullptr) {
        alcCloseDevice(g_device);
        g_device = nullptr;
    }
}

bool AudioDevice_IsOpen()
{
    return g_context != nullptr;
}

}  // namespace bw
