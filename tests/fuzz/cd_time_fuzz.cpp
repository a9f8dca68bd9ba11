// Positions that game code hands the CD device, in both time formats, read
// against a disc of three tracks; a position the device writes in tmsf must
// read back as the same sector.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "audio/cd_time.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    bw::CdToc toc;
    toc.tracks = {{1, 0, 75, true}, {2, 75, 4500, true}, {3, 4575, 30, false}};
    toc.leadOut = 4605;
    const auto format = (data[0] & 1) != 0 ? bw::CdTimeFormat::Tmsf : bw::CdTimeFormat::Milliseconds;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    int32_t sector = 0;
    if (!bw::CdTime_Parse(text, format, toc, &sector)) {
        return 0;
    }
    if (sector < 0 || sector > toc.leadOut) {
        std::abort();
    }
    const std::string tmsf = bw::CdTime_Position(int64_t{sector} * bw::kCdFramesPerSector, bw::CdTimeFormat::Tmsf, toc);
    int32_t again = -1;
    if (!bw::CdTime_Parse(tmsf, bw::CdTimeFormat::Tmsf, toc, &again) || again != sector) {
        std::abort();
    }
    bw::CdTime_Position(int64_t{sector} * bw::kCdFramesPerSector, bw::CdTimeFormat::Milliseconds, toc);
    bw::CdTime_Length(sector, format);
    return 0;
}
