// Positions and lengths on an audio CD in the two time formats the MCI CD
// device speaks: milliseconds from the start of the disc, and "tmsf" (track,
// then minutes, seconds and frames of 1/75 s into that track).
#pragma once

#include <cstdint>
#include <string>

#include "host/cd_drive.h"

namespace bw {

enum class CdTimeFormat { Milliseconds, Tmsf };

// A position given to play or seek ("65000", or "3", "3:1:5", "3:01:05:10")
// as a sector; false when the text is not one or lies off the disc (the
// lead-out itself is the end of the disc, a valid end of play).
bool CdTime_Parse(const std::string& text, CdTimeFormat format, const CdToc& toc, int32_t* sector);
// A position given in sample frames from the disc's start: milliseconds, or
// "tt:mm:ss:ff" within the track it lies in.
std::string CdTime_Position(int64_t frame, CdTimeFormat format, const CdToc& toc);
// A length in sectors: milliseconds, or "mm:ss:ff".
std::string CdTime_Length(int32_t sectors, CdTimeFormat format);

}  // namespace bw
