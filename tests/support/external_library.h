// The test library of outside calls (support/external_test_library.cpp),
// copied into a game's folders under the names a test needs.
#pragma once

#include <string>

#include "support/heard_console.h"
#include "support/scratch_folder.h"

namespace bw::test {

inline std::string ExternalTestLibraryBytes()
{
    static const std::string bytes = ScratchFolder::Read(BW_TEST_EXTERNAL_LIBRARY);
    return bytes;
}

}  // namespace bw::test
