// Media control command strings, the way the runner drives its media player
// and the CD drive: a small emulator of the commands it sends. "mpegvideo"
// devices play MP3 files through the streamer; "cdaudio" is the CD drive
// (cd_device.h). Tests put a sender of their own in its place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

enum MciError : int32_t {
    kMciOk = 0,
    kMciUnknownCommand,
    kMciUnknownDevice,
    kMciBadParameter,
    kMciCannotOpen,
    kMciNoMedia,
    kMciNoSoundDevice,
    kMciOutOfRange,
    kMciDataTrack,
    kMciUnsupported,
};

// 0 on success, else an error code for MCI_ErrorText. The reply (up to
// replySize bytes with its terminator) is written only by commands that
// answer; reply may be null when none is wanted.
using MciSender = int32_t (*)(const char* command, char* reply, size_t replySize);

int32_t MCI_SendString(const char* command, char* reply, size_t replySize);
// A null sender brings the emulator back.
void MCI_SetSender(MciSender sender);
const char* MCI_ErrorText(int32_t code);
enum class MciPlayState { Stopped, Playing, Paused };

// The reply to "status <device> mode".
const char* MCI_ModeText(MciPlayState mode);
// Writes text as a command's reply (nothing when no reply is wanted).
void MCI_Reply(char* reply, size_t replySize, const char* text);

// The emulator: streams the playing devices (every frame) and closes them
// all (shut-down).
int32_t MCI_Emulate(const char* command, char* reply, size_t replySize);
void MCI_Update();
void MCI_CloseAll();

}  // namespace bw
