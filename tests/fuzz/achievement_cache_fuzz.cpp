// The achievement cache file as it may be found on disk: whatever the bytes,
// the entries read back write out as a prefix of the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "online/http/achievement_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<bw::AchievementCacheEntry> entries = bw::AchievementCache_Parse({data, size});
    const std::vector<uint8_t> written = bw::AchievementCache_Serialise(entries);
    if (written.size() > size || !std::equal(written.begin(), written.end(), data)) __builtin_trap();
    return 0;
}
