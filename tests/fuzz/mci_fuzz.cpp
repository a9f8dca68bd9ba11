// MCI command strings and drive replies on arbitrary bytes: the input up to
// its first newline goes to the emulator as a command, with a disc image of
// silence in the CD drive; the rest is what a fake drive with a disc answers
// to the queries of the CD operations.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/cd_audio.h"
#include "audio/mci.h"

namespace {

std::string g_reply;

// Two audio tracks and a data track, in a folder of its own for the run.
class SilentDisc {
public:
    SilentDisc()
    {
        const char* root = std::getenv("TMPDIR");
        m_folder = std::string(root != nullptr && root[0] == '/' ? root : "/tmp") + "/bw_mci_fuzz_XXXXXX";
        if (mkdtemp(m_folder.data()) == nullptr) {
            std::abort();
        }
        std::ofstream(m_folder + "/disc.bin", std::ios::binary) << std::string(50 * 2352, '\0');
        std::ofstream(m_folder + "/disc.cue") << "FILE \"disc.bin\" BINARY\n"
                                                 "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                                 "  TRACK 02 AUDIO\n    INDEX 01 00:00:20\n"
                                                 "  TRACK 03 MODE1/2352\n    INDEX 01 00:00:40\n";
        setenv("BW_CD_DEVICE", (m_folder + "/disc.cue").c_str(), 1);
    }
    ~SilentDisc()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    SilentDisc(const SilentDisc&) = delete;
    SilentDisc& operator=(const SilentDisc&) = delete;

private:
    std::string m_folder;
};

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
    static const SilentDisc disc;
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
