#include "audio/cd_audio.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/mci.h"

namespace bw {
namespace {

// MCI's replies to the drive are read through a buffer of this size.
constexpr size_t kReplySize = 20;

// The drive's reply to command (empty when it gave none).
std::string Ask(const char* command)
{
    char reply[kReplySize] = {};
    MCI_SendString(command, reply, sizeof reply);
    return reply;
}

void Send(const char* command)
{
    MCI_SendString(command, nullptr, 0);
}

// The reply's leading decimal digits (0 when none), kept in range.
int32_t ReadNumber(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

int32_t AskNumber(const char* command)
{
    return ReadNumber(Ask(command));
}

struct TrackPosition {
    int32_t track = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
};

// "tt:mm:ss:ff": two-character fields; a missing field counts as 0.
TrackPosition ReadTmsf(const std::string& reply)
{
    const auto field = [&](size_t at) { return ReadNumber(reply.substr(at, 2)); };
    TrackPosition position;
    if (!reply.empty()) {
        position.track = field(0);
    }
    if (reply.size() > 3) {
        position.minutes = field(3);
    }
    if (reply.size() > 6) {
        position.seconds = field(6);
    }
    return position;
}

TrackPosition CurrentPosition()
{
    Send("open cdaudio");
    Send("set cdaudio time format tmsf wait");
    return CD_Present() ? ReadTmsf(Ask("status cdaudio position")) : TrackPosition{};
}

// Plays from position while the disc plays, else seeks there.
void MoveTo(const char* position)
{
    const bool playing = CD_Playing();
    std::string command = playing ? "play cdaudio from " : "seek cdaudio to ";
    command += position;
    Send(command.c_str());
}

// Asks query in the time format given (when a disc is in), then puts the
// drive back to tmsf.
int32_t AskInFormat(const char* setFormat, const char* query)
{
    Send(setFormat);
    const int32_t value = CD_Present() ? AskNumber(query) : 0;
    Send("set cdaudio time format tmsf wait");
    return value;
}

}  // namespace

void CD_Init()
{
    Send("close cdaudio");
    Send("open cdaudio");
}

bool CD_Present()
{
    Send("open cdaudio");
    return Ask("status cdaudio media present") == "true";
}

int32_t CD_Number()
{
    Send("open cdaudio");
    return CD_Present() ? AskNumber("status cdaudio number of tracks") : 0;
}

bool CD_Playing()
{
    Send("open cdaudio");
    return CD_Present() && Ask("status cdaudio mode") == "playing";
}

bool CD_Paused()
{
    Send("open cdaudio");
    if (!CD_Present()) {
        return false;
    }
    const std::string mode = Ask("status cdaudio mode");
    return mode == "paused" || mode == "stopped";
}

int32_t CD_Track()
{
    return CurrentPosition().track;
}

int32_t CD_Length()
{
    Send("open cdaudio");
    return AskInFormat("set cdaudio time format ms wait", "status cdaudio length wait");
}

int32_t CD_TrackLength(int32_t track)
{
    Send("open cdaudio");
    if (track < 1 || track > CD_Number()) {
        return 0;
    }
    char query[64];
    std::snprintf(query, sizeof query, "status cdaudio length track %d", track);
    return AskInFormat("set cdaudio time format milliseconds wait", query);
}

int32_t CD_Position()
{
    Send("open cdaudio");
    return AskInFormat("set cdaudio time format milliseconds wait", "status cdaudio position");
}

int32_t CD_TrackPosition()
{
    const TrackPosition position = CurrentPosition();
    return (position.minutes * 60 + position.seconds) * 1000;
}

void CD_Play(int32_t first, int32_t last)
{
    if (!CD_Present()) {
        return;
    }
    Send("set cdaudio time format tmsf wait");
    if (last < first) {
        return;
    }
    first = first < 1 ? 1 : first;
    char command[64];
    if (last >= CD_Number()) {
        std::snprintf(command, sizeof command, "play cdaudio from %d", first);
    } else {
        std::snprintf(command, sizeof command, "play cdaudio from %d to %d", first, last + 1);
    }
    Send(command);
}

void CD_Stop()
{
    if (CD_Present()) {
        Send("stop cdaudio");
    }
}

void CD_Pause()
{
    if (CD_Present()) {
        Send("pause cdaudio");
    }
}

void CD_Resume()
{
    if (CD_Present()) {
        Send("play cdaudio");
    }
}

void CD_SetPosition(int32_t ms)
{
    if (!CD_Present()) {
        return;
    }
    Send("set cdaudio time format milliseconds wait");
    MoveTo(std::to_string(ms).c_str());
    Send("set cdaudio time format tmsf");
}

void CD_SetTrackPosition(int32_t ms)
{
    if (!CD_Present()) {
        return;
    }
    const int32_t track = CD_Track();
    if (track <= 0) {
        return;
    }
    const int32_t minutes = ms / 60000;
    const int32_t seconds = (ms - minutes * 60000) / 1000;
    char position[48];
    std::snprintf(position, sizeof position, "%d:%d:%d", track, minutes, seconds);
    Send("set cdaudio time format tmsf wait");
    MoveTo(position);
    Send("set cdaudio time format tmsf");
}

void CD_OpenDoor()
{
    Send("open cdaudio");
    Send("set cdaudio door open");
}

void CD_CloseDoor()
{
    Send("open cdaudio");
    Send("set cdaudio door closed");
}

}  // namespace bw
