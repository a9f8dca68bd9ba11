// What a test's printing built-in writes for one call: its arguments as
// text, one space apart, and a newline.
#pragma once

#include <cstdint>
#include <string>

#include "script/value.h"

namespace bw::test {

inline std::string ArgumentLine(int32_t argc, const Value* args)
{
    std::string line;
    for (int32_t i = 0; i < argc; ++i) {
        if (i > 0) {
            line += ' ';
        }
        Value_ToString(line, args[i]);
    }
    return line + "\n";
}

}  // namespace bw::test
