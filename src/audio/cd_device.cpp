#include "audio/cd_device.h"

#include <AL/al.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "audio/audio_stream.h"
#include "audio/cd_reader.h"
#include "audio/cd_time.h"
#include "audio/mci.h"
#include "audio/openal_device.h"
#include "platform/console.h"

namespace bw {
namespace {

struct CdAudioDevice {
    std::unique_ptr<CCdReader> reader;  // null while the device is closed
    CdTimeFormat format = CdTimeFormat::Tmsf;
    MciPlayState mode = MciPlayState::Stopped;
    int64_t frame = 0;  // the position while no stream plays, in sample frames
    std::vector<CdSpan> spans;  // what the stream plays
    int32_t generation = 0;     // the disc the stream plays from
    std::unique_ptr<CAudioStream> stream;
    ALuint source = 0;  // made with the first play
    std::string loggedProblem;
};

CdAudioDevice g_cd;

// The position reached after played frames of the spans.
int64_t PlayedPosition(const std::vector<CdSpan>& spans, int64_t played)
{
    for (const CdSpan& span : spans) {
        const int64_t frames = static_cast<int64_t>(span.end - span.first) * kCdFramesPerSector;
        if (played < frames) {
            return static_cast<int64_t>(span.first) * kCdFramesPerSector + played;
        }
        played -= frames;
    }
    return spans.empty() ? 0 : static_cast<int64_t>(spans.back().end) * kCdFramesPerSector;
}

int64_t CurrentFrame()
{
    return g_cd.stream != nullptr ? PlayedPosition(g_cd.spans, g_cd.stream->PlayedFrames()) : g_cd.frame;
}

// Stops the stream; the position stays where it got to.
void StopStream()
{
    g_cd.frame = CurrentFrame();
    g_cd.stream.reset();
    g_cd.spans.clear();
    if (g_cd.reader != nullptr) {
        g_cd.reader->Play({});
    }
    g_cd.mode = MciPlayState::Stopped;
}

// The audio tracks' sectors between first and end; data tracks are left out.
std::vector<CdSpan> AudioSpans(const CdToc& toc, int32_t first, int32_t end)
{
    std::vector<CdSpan> spans;
    for (const CdTrack& track : toc.tracks) {
        const int32_t from = std::max(first, track.firstSector);
        const int32_t to = std::min(end, track.firstSector + track.sectors);
        if (track.audio && from < to) {
            spans.push_back({from, to});
        }
    }
    return spans;
}

int32_t StartStream(const CdDiscState& disc, int32_t first, int32_t end)
{
    std::vector<CdSpan> spans = AudioSpans(disc.toc, first, end);
    if (spans.empty()) {
        return kMciDataTrack;
    }
    if (!AudioDevice_IsOpen()) {
        return kMciNoSoundDevice;
    }
    if (g_cd.source == 0) {
        alGetError();
        alGenSources(1, &g_cd.source);
        if (alGetError() != AL_NO_ERROR) {
            g_cd.source = 0;
            return kMciNoSoundDevice;
        }
    }
    StopStream();
    auto stream = std::make_unique<CAudioStream>();
    const char* why = nullptr;
    if (!stream->Open(std::make_unique<CCdPcmSource>(*g_cd.reader), &why)) {
        return kMciNoSoundDevice;
    }
    g_cd.reader->Play(spans);
    if (!stream->Attach(g_cd.source, false)) {
        g_cd.reader->Play({});
        return kMciNoSoundDevice;
    }
    alSourcePlay(g_cd.source);
    g_cd.frame = static_cast<int64_t>(spans.front().first) * kCdFramesPerSector;
    g_cd.spans = std::move(spans);
    g_cd.stream = std::move(stream);
    g_cd.generation = disc.generation;
    g_cd.mode = MciPlayState::Playing;
    return kMciOk;
}

// play [from <position>] [to <position>]: a bare play resumes a pause and
// leaves a play alone (cd_resume sends it); without from it plays on from
// where the disc is, without to up to its end.
int32_t Play(const CdDiscState& disc, const std::vector<std::string>& args)
{
    if (args.empty() && g_cd.mode != MciPlayState::Stopped) {
        if (g_cd.mode == MciPlayState::Paused) {
            alSourcePlay(g_cd.source);
            g_cd.mode = MciPlayState::Playing;
        }
        return kMciOk;
    }
    std::optional<int32_t> from;
    int32_t end = disc.toc.leadOut;
    for (size_t i = 0; i < args.size(); i += 2) {
        int32_t sector = 0;
        if (i + 1 >= args.size() || (args[i] != "from" && args[i] != "to")) {
            return kMciBadParameter;
        }
        if (!CdTime_Parse(args[i + 1], g_cd.format, disc.toc, &sector)) {
            return kMciOutOfRange;
        }
        if (args[i] == "from") {
            from = sector;
        } else {
            end = sector;
        }
    }
    const int32_t first = from.value_or(static_cast<int32_t>(CurrentFrame() / kCdFramesPerSector));
    if (first >= end) {
        return kMciOutOfRange;
    }
    return StartStream(disc, first, end);
}

int32_t Seek(const CdDiscState& disc, const std::vector<std::string>& args)
{
    int32_t sector = 0;
    if (args.size() != 2 || args[0] != "to") {
        return kMciBadParameter;
    }
    if (!CdTime_Parse(args[1], g_cd.format, disc.toc, &sector)) {
        return kMciOutOfRange;
    }
    StopStream();
    g_cd.frame = static_cast<int64_t>(sector) * kCdFramesPerSector;
    return kMciOk;
}

int32_t Set(const CdDiscState& disc, const std::vector<std::string>& args)
{
    if (args.size() == 3 && args[0] == "time" && args[1] == "format") {
        if (args[2] == "tmsf") {
            g_cd.format = CdTimeFormat::Tmsf;
        } else if (args[2] == "ms" || args[2] == "milliseconds") {
            g_cd.format = CdTimeFormat::Milliseconds;
        } else {
            return kMciBadParameter;
        }
        return kMciOk;
    }
    if (args.size() == 2 && args[0] == "door" && (args[1] == "open" || args[1] == "closed")) {
        if (!disc.drive && !disc.doorOpen) {
            return kMciCannotOpen;
        }
        if (disc.image) {
            return kMciUnsupported;
        }
        if (args[1] == "open") {
            StopStream();
        }
        g_cd.reader->MoveDoor(args[1] == "open");
        return kMciOk;
    }
    return kMciBadParameter;
}

const char* ModeText(const CdDiscState& disc)
{
    if (disc.doorOpen) {
        return "open";
    }
    return disc.present ? MCI_ModeText(g_cd.mode) : "no media";
}

// status ...: the answers that need no disc, then those that do.
int32_t Status(const CdDiscState& disc, const std::vector<std::string>& args, char* reply, size_t replySize)
{
    const auto answer = [&](const std::string& text) {
        MCI_Reply(reply, replySize, text.c_str());
        return kMciOk;
    };
    if (args == std::vector<std::string>{"media", "present"}) {
        return answer(disc.present ? "true" : "false");
    }
    if (args == std::vector<std::string>{"mode"}) {
        return answer(ModeText(disc));
    }
    if (!disc.present) {
        return kMciNoMedia;
    }
    if (args == std::vector<std::string>{"number", "of", "tracks"}) {
        return answer(std::to_string(disc.toc.tracks.size()));
    }
    if (args == std::vector<std::string>{"position"}) {
        return answer(CdTime_Position(CurrentFrame(), g_cd.format, disc.toc));
    }
    if (args == std::vector<std::string>{"length"}) {
        return answer(CdTime_Length(disc.toc.leadOut - disc.toc.tracks.front().firstSector, g_cd.format));
    }
    if (args.size() == 3 && args[0] == "length" && args[1] == "track") {
        int32_t number = 0;
        const CdTrack* track = nullptr;
        if (args[2].size() <= 3 && args[2].find_first_not_of("0123456789") == std::string::npos &&
            !args[2].empty()) {
            number = std::stoi(args[2]);
            track = disc.toc.Track(number);
        }
        return track != nullptr ? answer(CdTime_Length(track->sectors, g_cd.format)) : kMciOutOfRange;
    }
    return kMciBadParameter;
}

// The drive's last published state, logging one line for each new reason
// it gives for having no disc.
CdDiscState ReadDisc()
{
    CdDiscState disc = g_cd.reader->Disc();
    if (disc.problem != g_cd.loggedProblem && !disc.problem.empty()) {
        Console().Printf("CD audio: %s\n", disc.problem.c_str());
    }
    g_cd.loggedProblem = disc.problem;
    return disc;
}

int32_t DiscCommand(const std::string& verb, const std::vector<std::string>& args, char* reply, size_t replySize)
{
    const CdDiscState disc = ReadDisc();
    if (verb == "status") {
        return Status(disc, args, reply, replySize);
    }
    if (verb == "set") {
        return Set(disc, args);
    }
    if (verb != "play" && verb != "pause" && verb != "stop" && verb != "seek") {
        return kMciUnknownCommand;
    }
    if (!disc.present) {
        return kMciNoMedia;
    }
    if (verb == "play") {
        return Play(disc, args);
    }
    if (verb == "seek") {
        return Seek(disc, args);
    }
    if (!args.empty()) {
        return kMciBadParameter;
    }
    if (verb == "stop") {
        StopStream();
    } else if (g_cd.mode == MciPlayState::Playing) {
        alSourcePause(g_cd.source);
        g_cd.mode = MciPlayState::Paused;
    }
    return kMciOk;
}

}  // namespace

int32_t CdAudio_Command(const std::vector<std::string>& words, char* reply, size_t replySize)
{
    const std::string& verb = words[0];
    if (verb == "close") {
        CdAudio_Close();
        return kMciOk;
    }
    // Any command opens the device, as MCI opens a device named by its type.
    if (g_cd.reader == nullptr) {
        g_cd.reader = std::make_unique<CCdReader>(CdDrive_ConfiguredName());
        g_cd.format = CdTimeFormat::Tmsf;
        g_cd.frame = 0;
    }
    if (verb == "open") {
        ReadDisc();
        return kMciOk;
    }
    // "wait" and "notify" ask MCI to finish the command before it answers,
    // or to post a message after; every command here answers at once.
    std::vector<std::string> args;
    for (size_t i = 2; i < words.size(); ++i) {
        if (words[i] != "wait" && words[i] != "notify") {
            args.push_back(words[i]);
        }
    }
    return DiscCommand(verb, args, reply, replySize);
}

void CdAudio_Update()
{
    if (g_cd.stream == nullptr) {
        return;
    }
    const CdDiscState disc = ReadDisc();
    if (!disc.present || disc.generation != g_cd.generation) {
        StopStream();
        return;
    }
    if (g_cd.mode != MciPlayState::Playing) {
        return;
    }
    g_cd.stream->Update();
    if (g_cd.stream->Finished()) {
        StopStream();  // at the end of what was played
    }
}

void CdAudio_Close()
{
    StopStream();
    g_cd.reader.reset();
    if (g_cd.source != 0) {
        alDeleteSources(1, &g_cd.source);
        g_cd.source = 0;
    }
}

}  // namespace bw
