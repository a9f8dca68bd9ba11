// Names found in the save area decide which files the start-up sweep
// deletes: any byte string must be read in bounds, and only a name of the
// writer's own form may ever count as its temporary file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/atomic_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string name(reinterpret_cast<const char*>(data), size);
    pid_t pid = 0;
    if (!bw::HostFs_ParseTemporaryName(name, &pid)) return 0;
    // ".<name>\<pid>-<count>.tmp" with a name of at least one byte.
    const std::string digits = "\\" + std::to_string(pid) + "-";
    const size_t at = name.rfind(digits);
    if (pid <= 0 || name.size() < digits.size() + 6 || name[0] != '.' || name.compare(name.size() - 4, 4, ".tmp") != 0 ||
        at == std::string::npos || at < 2)
        std::abort();
    return 0;
}
