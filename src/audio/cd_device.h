// The MCI "cdaudio" device: the drive (or the disc image BW_CD_DEVICE names)
// read through cd_reader.h, its audio tracks extracted digitally and played
// through the streamer like any other music. Without a drive or a disc, or
// after a read error, it answers as a drive without a disc and logs one line
// with the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bw {

// A command to "cdaudio" split into lower-case words (the device's name
// second); returns an MciError.
int32_t CdAudio_Command(const std::vector<std::string>& words, char* reply, size_t replySize);
// Every frame: keeps the stream fed and notices the end of play, a read
// error or a new disc.
void CdAudio_Update();
// Stops and closes the drive (shut-down).
void CdAudio_Close();

}  // namespace bw
