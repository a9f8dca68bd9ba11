// Parses arbitrary text as an ini, then checks that what it writes reads
// back to the same thing, whatever the input held. Each reading puts the
// sections and keys in reverse order, so reading the written text twice must
// give it back: a key or value lost or changed on the way shows as a
// different third text.
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
    const std::string reversed = FlushText(second);
    if (reversed.size() != written.size()) __builtin_trap();

    bw::IniFile third;
    third.SetText(reversed.c_str());
    if (FlushText(third) != written) __builtin_trap();

    return 0;
}
