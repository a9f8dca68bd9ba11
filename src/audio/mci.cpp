#include "audio/mci.h"

#include <AL/al.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_stream.h"
#include "audio/cd_device.h"
#include "audio/mp3_file.h"
#include "audio/openal_device.h"
#include "platform/files.h"

namespace bw {
namespace {

struct MediaDevice {
    std::string path;
    std::unique_ptr<CAudioStream> stream;  // null until played, and after a stop
    ALuint source = 0;
    bool loop = false;
    MciPlayState mode = MciPlayState::Stopped;
};

MciSender g_sender = nullptr;
std::map<std::string, MediaDevice> g_devices;  // by lower-case alias

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Words separated by blanks; a double-quoted word keeps its blanks.
std::vector<std::string> Words(const char* command)
{
    std::vector<std::string> words;
    const char* at = command;
    while (*at != '\0') {
        if (std::isspace(static_cast<unsigned char>(*at)) != 0) {
            ++at;
            continue;
        }
        const char* end = nullptr;
        if (*at == '"') {
            end = at + 1;
            while (*end != '\0' && *end != '"') {
                ++end;
            }
            words.emplace_back(at + 1, end);
            at = *end == '"' ? end + 1 : end;
            continue;
        }
        end = at;
        while (*end != '\0' && std::isspace(static_cast<unsigned char>(*end)) == 0) {
            ++end;
        }
        words.emplace_back(at, end);
        at = end;
    }
    return words;
}

// The host path of a file name: exactly as given when it exists, else the
// same name matched without regard to case inside the game's areas.
bool ResolveMediaPath(const std::string& name, std::string& out)
{
    if (FileExists(name.c_str())) {
        out = name;
        return true;
    }
    char path[kLoadSavePathSize];
    if (!LoadSave_PathRead(path, sizeof path, name.c_str()) || !FileExists(path)) {
        return false;
    }
    out = path;
    return true;
}

// A fresh stream of the device's file queued on its source.
bool StartStream(MediaDevice& device)
{
    auto mp3 = std::make_unique<CMp3File>();
    auto stream = std::make_unique<CAudioStream>(2);
    const char* why = nullptr;
    if (!mp3->Open(device.path.c_str(), &why) || !stream->Open(std::move(mp3), &why) ||
        !stream->Attach(device.source, device.loop)) {
        return false;
    }
    device.stream = std::move(stream);
    return true;
}

int32_t OpenMedia(const std::vector<std::string>& words)
{
    // open "<path>" type mpegvideo alias <name>
    if (words.size() != 6 || Lower(words[2]) != "type" || Lower(words[3]) != "mpegvideo" ||
        Lower(words[4]) != "alias") {
        return kMciBadParameter;
    }
    if (!AudioDevice_IsOpen()) {
        return kMciNoSoundDevice;
    }
    MediaDevice device;
    if (!ResolveMediaPath(words[1], device.path)) {
        return kMciCannotOpen;
    }
    CMp3File probe;
    const char* why = nullptr;
    if (!probe.Open(device.path.c_str(), &why)) {
        return kMciCannotOpen;
    }
    alGetError();
    alGenSources(1, &device.source);
    if (alGetError() != AL_NO_ERROR) {
        return kMciNoSoundDevice;
    }
    const std::string alias = Lower(words[5]);
    g_devices.erase(alias);
    g_devices.emplace(alias, std::move(device));
    return kMciOk;
}

void CloseMedia(std::map<std::string, MediaDevice>::iterator at)
{
    at->second.stream.reset();
    alDeleteSources(1, &at->second.source);
    g_devices.erase(at);
}

void StopMedia(MediaDevice& device)
{
    device.stream.reset();  // detaches and stops the source
    device.mode = MciPlayState::Stopped;
}

int32_t Play(MediaDevice& device, const std::vector<std::string>& words)
{
    if (device.mode == MciPlayState::Paused && words.size() == 2) {
        alSourcePlay(device.source);
        device.mode = MciPlayState::Playing;
        return kMciOk;
    }
    const bool repeat = words.size() == 3 && Lower(words[2]) == "repeat";
    if (words.size() > 2 && !repeat) {
        return kMciBadParameter;
    }
    StopMedia(device);
    device.loop = repeat;
    if (!StartStream(device)) {
        return kMciCannotOpen;
    }
    alSourcePlay(device.source);
    device.mode = MciPlayState::Playing;
    return kMciOk;
}

// A command to an open media device.
int32_t MediaCommand(const std::string& verb, std::map<std::string, MediaDevice>::iterator at,
                     const std::vector<std::string>& words, char* reply, size_t replySize)
{
    MediaDevice& device = at->second;
    if (verb == "play") {
        return Play(device, words);
    }
    if (verb == "pause" || verb == "resume") {
        if (device.mode == MciPlayState::Playing && verb == "pause") {
            alSourcePause(device.source);
            device.mode = MciPlayState::Paused;
        } else if (device.mode == MciPlayState::Paused && verb == "resume") {
            alSourcePlay(device.source);
            device.mode = MciPlayState::Playing;
        }
        return kMciOk;
    }
    if (verb == "stop" || verb == "seek") {
        // "seek ... to start" rewinds: the next play starts a fresh stream.
        StopMedia(device);
        return kMciOk;
    }
    if (verb == "close") {
        CloseMedia(at);
        return kMciOk;
    }
    if (verb == "set") {
        return kMciOk;  // time format and exact seeking change nothing here
    }
    if (verb == "setaudio") {
        // setaudio <alias> volume to <0..1000>
        if (words.size() != 5 || Lower(words[2]) != "volume" || Lower(words[3]) != "to") {
            return kMciBadParameter;
        }
        const float volume = static_cast<float>(std::clamp(std::atoi(words[4].c_str()), 0, 1000)) / 1000.0f;
        alSourcef(device.source, AL_GAIN, volume);
        return kMciOk;
    }
    if (verb == "status" && words.size() == 3 && Lower(words[2]) == "mode") {
        MCI_Reply(reply, replySize, MCI_ModeText(device.mode));
        return kMciOk;
    }
    return kMciUnknownCommand;
}

}  // namespace

int32_t MCI_Emulate(const char* command, char* reply, size_t replySize)
{
    MCI_Reply(reply, replySize, "");
    const std::vector<std::string> words = Words(command != nullptr ? command : "");
    if (words.size() < 2) {
        return kMciUnknownCommand;
    }
    const std::string verb = Lower(words[0]);
    const std::string device = Lower(words[1]);
    if (device == "cdaudio") {
        std::vector<std::string> lower;
        for (const std::string& word : words) {
            lower.push_back(Lower(word));
        }
        return CdAudio_Command(lower, reply, replySize);
    }
    if (verb == "open") {
        return OpenMedia(words);
    }
    const auto at = g_devices.find(device);
    if (at == g_devices.end()) {
        return kMciUnknownDevice;
    }
    return MediaCommand(verb, at, words, reply, replySize);
}

int32_t MCI_SendString(const char* command, char* reply, size_t replySize)
{
    return g_sender != nullptr ? g_sender(command, reply, replySize) : MCI_Emulate(command, reply, replySize);
}

void MCI_SetSender(MciSender sender)
{
    g_sender = sender;
}

const char* MCI_ErrorText(int32_t code)
{
    switch (code) {
    case kMciOk:
        return "The specified command was carried out.";
    case kMciUnknownCommand:
        return "The specified command is not recognized.";
    case kMciUnknownDevice:
        return "The specified device is not open or is not recognized.";
    case kMciBadParameter:
        return "A parameter of the command is missing or not valid.";
    case kMciCannotOpen:
        return "The specified file cannot be played.";
    case kMciNoMedia:
        return "There is no media in the drive.";
    case kMciNoSoundDevice:
        return "There is no sound device.";
    case kMciOutOfRange:
        return "The specified parameter is out of range for the specified command.";
    case kMciDataTrack:
        return "The specified track is a data track and cannot be played.";
    case kMciUnsupported:
        return "The specified device does not support this command.";
    default:
        return "Unknown error.";
    }
}

const char* MCI_ModeText(MciPlayState mode)
{
    switch (mode) {
    case MciPlayState::Playing:
        return "playing";
    case MciPlayState::Paused:
        return "paused";
    case MciPlayState::Stopped:
        break;
    }
    return "stopped";
}

void MCI_Reply(char* reply, size_t replySize, const char* text)
{
    if (reply != nullptr && replySize > 0) {
        std::snprintf(reply, replySize, "%s", text);
    }
}

void MCI_Update()
{
    CdAudio_Update();
    for (auto& [alias, device] : g_devices) {
        if (device.mode != MciPlayState::Playing || device.stream == nullptr) {
            continue;
        }
        device.stream->Update();
        if (device.stream->Finished()) {
            device.mode = MciPlayState::Stopped;
        }
    }
}

void MCI_CloseAll()
{
    CdAudio_Close();
    while (!g_devices.empty()) {
        CloseMedia(g_devices.begin());
    }
}

}  // namespace bw
