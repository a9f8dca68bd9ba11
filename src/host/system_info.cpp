#include "host/system_info.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <cstring>

namespace bw {

int32_t HostSystem_Version()
{
    utsname name{};
    if (uname(&name) != 0) return -1;
    char* end = nullptr;
    const long major = std::strtol(name.release, &end, 10);
    const long minor = (end != nullptr && *end == '.') ? std::strtol(end + 1, nullptr, 10) : 0;
    if (end == name.release || major < 0 || major > 0x7fff || minor < 0 || minor > 0xffff) return -1;
    return static_cast<int32_t>(major * 65536 + minor);
}

bool HostSystem_NetworkConnected()
{
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return false;
    bool connected = false;
    for (const ifaddrs* entry = interfaces; entry != nullptr && !connected; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        connected = entry->ifa_addr != nullptr && (flags & IFF_UP) != 0 && (flags & IFF_RUNNING) != 0 &&
                    (flags & IFF_LOOPBACK) == 0;
    }
    freeifaddrs(interfaces);
    return connected;
}

std::string HostSystem_LanguageCode()
{
    const char* locale = std::getenv("LC_ALL");
    if (locale == nullptr || *locale == '\0') locale = std::getenv("LANG");
    if (locale == nullptr) return "--";
    const size_t length = std::strspn(locale, "abcdefghijklmnopqrstuvwxyz");
    const char after = locale[length];
    if (length < 2 || length > 3 || (after != '\0' && after != '_' && after != '.' && after != '@')) return "--";
    return std::string(locale, length);
}

}  // namespace bw
