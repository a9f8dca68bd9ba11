// The test library of outside calls (support/external_test_library.cpp),
// copied into a game's folders under the names a test needs, and the
// console lines a test hears.
#pragma once

#include <string>

#include "platform/console.h"
#include "support/scratch_folder.h"

namespace bw::test {

inline std::string ExternalTestLibraryBytes()
{
    static const std::string bytes = ScratchFolder::Read(BW_TEST_EXTERNAL_LIBRARY);
    return bytes;
}

// Console lines written while it lives.
class HeardConsole {
public:
    HeardConsole()
    {
        Lines().clear();
        Console_SetDebugListener([](const char* line) { Lines() += line; });
    }
    ~HeardConsole() { Console_SetDebugListener(nullptr); }
    HeardConsole(const HeardConsole&) = delete;
    HeardConsole& operator=(const HeardConsole&) = delete;

    const std::string& Text() const { return Lines(); }

private:
    static std::string& Lines()
    {
        static std::string lines;
        return lines;
    }
};

}  // namespace bw::test
