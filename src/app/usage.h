// What the runner tells a person who started it without a game to play:
// how to name a package, and every switch it knows.
#pragma once

namespace bw {

// Several lines, each ended by a line feed.
const char* Runner_Usage();

}  // namespace bw
