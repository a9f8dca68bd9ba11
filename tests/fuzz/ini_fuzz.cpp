// Parses arbitrary text as an ini, then checks that what it writes reads
// back to the same thing: writing a parsed ini and parsing it again must be
// a fixed point, whatever the input held. A key or value lost or changed on
// the way back shows as a different second text.
#include <cstdint>
#include <string>

#include "platform/ini.h"
#include "platform/memory.h"

namespace {

std::string FlushText(bw::IniFile& ini)
{
    char* text = ini.Flush();
    std::string result = text;
    bw::MemoryManager_Free(text);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    bw::IniFile first;
    first.SetText(text.c_str());
    std::string written = FlushText(first);

    bw::IniFile second;
    second.SetText(written.c_str());
    if (FlushText(second) != written) __builtin_trap();

    return 0;
}
