#include "audio/music_player.h"

#include <AL/al.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "audio/audio_stream.h"
#include "audio/mci.h"
#include "audio/openal_device.h"
#include "platform/arrays.h"
#include "platform/console.h"
#include "platform/files.h"

namespace bw {
namespace {

constexpr size_t kMusicBuffers = 2;

// The Ogg stream of the music.
struct OggStream {
    MemoryBlockPtr<uint8_t> file;  // the whole .ogg file; the stream reads it
    std::unique_ptr<CAudioStream> stream;
    ALuint source = 0;
    bool objectsMade = false;
    bool active = false;
    float gain = 1.0f;
};

OggStream g_ogg;
int32_t g_alias = 0;

bool StartsWithSeparator(const char* file)
{
    return file[0] == '/' || file[0] == '\\';
}

// The music's name turned into the Ogg file to look for: lower case, the
// last four characters replaced by ".ogg".
std::string OggName(const char* file)
{
    std::string name = file;
    if (!StartsWithSeparator(file)) {
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    if (name.size() >= 4) {
        name.replace(name.size() - 4, 4, ".ogg");
    }
    return name;
}

void StopOgg()
{
    if (!g_ogg.active) {
        return;
    }
    g_ogg.stream.reset();  // stops the source and unqueues its buffers
    g_ogg.file.reset();
    g_ogg.active = false;
}

bool MakeOggObjects()
{
    if (g_ogg.objectsMade) {
        return true;
    }
    alGetError();
    alGenSources(1, &g_ogg.source);
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        Console().Printf("OpenAL error: %d\n", error);
        return false;
    }
    alSourcef(g_ogg.source, AL_GAIN, g_ogg.gain);
    g_ogg.objectsMade = true;
    return true;
}

// Streams the Ogg file of the music's name when there is one.
bool OpenOggByName(const char* file, bool loop)
{
    StopOgg();
    char path[kLoadSavePathSize];
    if (!AudioDevice_IsOpen() || !LoadSave_PathRead(path, sizeof path, OggName(file).c_str())) {
        return false;
    }
    size_t size = 0;
    MemoryBlockPtr<uint8_t> bytes(LoadSave_ReadWholeFile(path, &size));
    if (bytes == nullptr || !MakeOggObjects()) {
        return false;
    }
    auto stream = std::make_unique<CAudioStream>(kMusicBuffers);
    const char* why = nullptr;
    if (!stream->Open(bytes.get(), size, &why)) {
        Console().Printf("Could not open Ogg stream: %s\n", why);
        return false;
    }
    if (!stream->Attach(g_ogg.source, loop)) {
        return false;
    }
    alSourcePlay(g_ogg.source);
    g_ogg.file = std::move(bytes);
    g_ogg.stream = std::move(stream);
    g_ogg.active = true;
    Console().Printf("playing %s\n", path);
    return true;
}

// Sends one MCI command about the open device; a failure logs message with
// the error text (and the path, when one is given).
bool Send(const char* command, const char* message, const char* path = nullptr, char* reply = nullptr,
          size_t replySize = 0)
{
    const int32_t error = MCI_SendString(command, reply, replySize);
    if (error == 0) {
        return true;
    }
    if (path != nullptr) {
        Console().Printf(message, path, MCI_ErrorText(error));
    } else {
        Console().Printf(message, MCI_ErrorText(error));
    }
    return false;
}

void OpenWithMci(const char* file, bool loop)
{
    char path[kLoadSavePathSize];
    if (!LoadSave_PathRead(path, sizeof path, file)) {
        // Not found: the open below fails and names the file.
        std::snprintf(path, sizeof path, "%s%s", StartsWithSeparator(file) ? "" : GetExeDirectory(), file);
    }
    ++g_alias;
    char command[kLoadSavePathSize + 64];
    std::snprintf(command, sizeof command, "open \"%s\" type mpegvideo alias MediaFile%d", path, g_alias);
    if (!Send(command, "error opening mp3 file %s - %s\n", path)) {
        return;
    }
    std::snprintf(command, sizeof command, "set MediaFile%d time format milliseconds", g_alias);
    Send(command, "error opening set file time format for %s - %s\n", path);
    std::snprintf(command, sizeof command, "set MediaFile%d seek exactly on", g_alias);
    Send(command, "error opening set file seek exactly for %s - %s\n", path);
    std::snprintf(command, sizeof command, loop ? "play MediaFile%d repeat" : "play MediaFile%d", g_alias);
    Send(command, "error playing file for %s - %s\n", path);
}

// "playing", "paused" or "stopped" from the media player; empty when no
// device is open or the query failed.
std::string MciMode()
{
    if (g_alias == 0) {
        return {};
    }
    char command[64];
    std::snprintf(command, sizeof command, "status MediaFile%d mode", g_alias);
    char reply[1024] = {};
    if (!Send(command, "error getting mp3 status - %s\n", nullptr, reply, sizeof reply)) {
        return {};
    }
    return reply;
}

void SendAlias(const char* format, const char* message)
{
    char command[64];
    std::snprintf(command, sizeof command, format, g_alias);
    Send(command, message);
}

}  // namespace

void MP3_Init(IniFile&) {}

void MP3_Open(const char* file, bool loop)
{
    if (!OpenOggByName(file, loop)) {
        OpenWithMci(file, loop);
    }
}

void MP3_Stop()
{
    if (g_ogg.active) {
        StopOgg();
        return;
    }
    if (g_alias == 0) {
        return;
    }
    if (MP3_IsActive()) {
        SendAlias("seek MediaFile%d to start", "error stopping mp3 file seeking - %s\n");
        SendAlias("stop MediaFile%d", "error stopping mp3 - %s\n");
    }
    // A device that finished on its own is closed too, so none is left open.
    SendAlias("close MediaFile%d", "error closing mp3 - %s\n");
    g_alias = 0;
}

void MP3_Pause()
{
    if (g_ogg.active) {
        alSourcePause(g_ogg.source);
    } else {
        SendAlias("pause MediaFile%d", "error pausing mp3 file - %s\n");
    }
}

void MP3_Resume()
{
    if (g_ogg.active) {
        ALint state = 0;
        alGetSourcei(g_ogg.source, AL_SOURCE_STATE, &state);
        if (state == AL_PAUSED) {
            alSourcePlay(g_ogg.source);
        }
    } else {
        SendAlias("resume MediaFile%d", "error resuming mp3 file - %s\n");
    }
}

void MP3_SetVolume(float volume)
{
    g_ogg.gain = volume;
    if (g_ogg.objectsMade) {
        alSourcef(g_ogg.source, AL_GAIN, volume);
    }
    if (g_ogg.active || g_alias == 0) {
        return;
    }
    const auto level = static_cast<int32_t>(std::lround(volume * 1000.0f));
    char command[64];
    std::snprintf(command, sizeof command, "setaudio MediaFile%d volume to %d", g_alias, level);
    const int32_t error = MCI_SendString(command, nullptr, 0);
    if (error != 0) {
        Console().Printf("error setting mp3 volume to %g(%d) - %s\n", static_cast<double>(volume), level,
                         MCI_ErrorText(error));
    }
}

bool MP3_IsActive()
{
    if (g_ogg.active) {
        return true;
    }
    const std::string mode = MciMode();
    return mode == "playing" || mode == "paused";
}

bool MP3_IsPlaying()
{
    return g_ogg.active || MciMode() == "playing";
}

void MP3_Update()
{
    if (g_ogg.active) {
        ALint state = 0;
        alGetSourcei(g_ogg.source, AL_SOURCE_STATE, &state);
        if (state != AL_PAUSED) {
            g_ogg.stream->Update();
        }
        if (g_ogg.stream->Finished()) {
            StopOgg();
        }
    }
    MCI_Update();
}

void MP3_ReleaseStream()
{
    StopOgg();
    if (g_ogg.objectsMade) {
        alDeleteSources(1, &g_ogg.source);
        g_ogg.objectsMade = false;
    }
}

void MP3_Quit()
{
    MP3_Stop();
    MCI_CloseAll();
}

int32_t MP3_AliasNumber()
{
    return g_alias;
}

int32_t MP3_StreamQueuedBuffers()
{
    ALint queued = 0;
    if (g_ogg.active) {
        alGetSourcei(g_ogg.source, AL_BUFFERS_QUEUED, &queued);
    }
    return queued;
}

}  // namespace bw
