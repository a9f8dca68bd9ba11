// The console lines a test hears.
#pragma once

#include <string>

#include "platform/console.h"

namespace bw::test {

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
    void Clear() { Lines().clear(); }

private:
    static std::string& Lines()
    {
        static std::string lines;
        return lines;
    }
};

}  // namespace bw::test
