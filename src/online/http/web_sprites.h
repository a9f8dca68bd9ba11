// Sprites that sprite_add loads from a web address: the slot stays empty
// until the reply is in, then it is decoded on the main thread and game
// code hears of it through asynchronous "other" event 60.
#pragma once

#include <cstdint>

namespace bw {

inline constexpr int32_t kImageLoadedAsyncEvent = 60;

// Makes sprite_add hand web addresses to the HTTP client.
void WebSprites_Install();

}  // namespace bw
