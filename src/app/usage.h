// What the runner tells a person: how to name a package, every switch it
// knows, and its version.
#pragma once

namespace bw {

// Several lines, each ended by a line feed.
const char* Runner_Usage();
// The line said before the usage when no package was found or named.
const char* Runner_NoPackageLine();
// One line: the program's name and version.
const char* Runner_Version();

}  // namespace bw
