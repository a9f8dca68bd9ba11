// MCI command strings and drive replies on arbitrary bytes: the input up to
// its first newline goes to the emulator as a command; the rest is what a
// fake drive with a disc answers to the queries of the CD operations.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/cd_audio.h"
#include "audio/mci.h"

namespace {

std::string g_reply;

// A drive with a disc that answers every other query with the input.
int32_t FakeDrive(const char* command, char* reply, size_t replySize)
{
    const bool presence = std::string(command) == "status cdaudio media present";
    if (reply != nullptr && replySize > 0) {
        std::snprintf(reply, replySize, "%s", presence ? "true" : g_reply.c_str());
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string command = input.substr(0, newline);
    char reply[256] = {};
    bw::MCI_SendString(command.c_str(), reply, sizeof reply - 1);

    g_reply = newline == std::string::npos ? "" : input.substr(newline + 1);
    bw::MCI_SetSender(&FakeDrive);
    bw::CD_Number();
    bw::CD_Track();
    bw::CD_TrackPosition();
    bw::CD_Length();
    bw::CD_TrackLength(2);
    bw::CD_SetTrackPosition(65000);
    bw::CD_Play(1, 3);
    bw::MCI_SetSender(nullptr);
    bw::MCI_CloseAll();
    return 0;
}
