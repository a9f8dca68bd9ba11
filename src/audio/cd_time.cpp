#include "audio/cd_time.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bw {
namespace {

// The decimal fields of text between separator characters: each 1 to
// maxDigits digits, no more than maxFields of them; false otherwise.
bool Fields(const std::string& text, size_t maxFields, size_t maxDigits, std::vector<int64_t>* fields)
{
    fields->assign(1, 0);
    size_t digits = 0;
    for (const char c : text) {
        if (c == ':') {
            if (digits == 0 || fields->size() == maxFields) {
                return false;
            }
            fields->push_back(0);
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < maxDigits) {
            fields->back() = fields->back() * 10 + (c - '0');
            ++digits;
        } else {
            return false;
        }
    }
    return digits > 0;
}

std::string Msf(int64_t sectors)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(sectors / kCdSectorsPerSecond / 60),
                  static_cast<long long>(sectors / kCdSectorsPerSecond % 60),
                  static_cast<long long>(sectors % kCdSectorsPerSecond));
    return text;
}

}  // namespace

bool CdTime_Parse(const std::string& text, CdTimeFormat format, const CdToc& toc, int32_t* sector)
{
    std::vector<int64_t> fields;
    int64_t at = 0;
    if (format == CdTimeFormat::Milliseconds) {
        if (!Fields(text, 1, 10, &fields)) {
            return false;
        }
        at = fields[0] * kCdSectorsPerSecond / 1000;
    } else {
        // MCI packs each field into a byte: at most three digits.
        if (!Fields(text, 4, 3, &fields)) {
            return false;
        }
        fields.resize(4, 0);
        const CdTrack* track = fields[0] <= 255 ? toc.Track(static_cast<int32_t>(fields[0])) : nullptr;
        if (track == nullptr) {
            return false;
        }
        at = track->firstSector + (fields[1] * 60 + fields[2]) * kCdSectorsPerSecond + fields[3];
    }
    if (at > toc.leadOut) {
        return false;
    }
    *sector = static_cast<int32_t>(at);
    return true;
}

std::string CdTime_Position(int64_t frame, CdTimeFormat format, const CdToc& toc)
{
    if (format == CdTimeFormat::Milliseconds) {
        return std::to_string(frame * 1000 / kCdSampleRate);
    }
    const int64_t sector = frame / kCdFramesPerSector;
    const CdTrack* track = toc.TrackAt(static_cast<int32_t>(sector));
    if (track == nullptr) {
        return "00:00:00:00";
    }
    char number[8];
    std::snprintf(number, sizeof number, "%02d:", track->number);
    // Before the first track (the disc's start, when that track begins
    // later) counts as its start.
    return number + Msf(std::max<int64_t>(sector - track->firstSector, 0));
}

std::string CdTime_Length(int32_t sectors, CdTimeFormat format)
{
    if (format == CdTimeFormat::Milliseconds) {
        return std::to_string(static_cast<int64_t>(sectors) * 1000 / kCdSectorsPerSecond);
    }
    return Msf(sectors);
}

}  // namespace bw
