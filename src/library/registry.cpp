#include "library/registry.h"

#include <strings.h>

#include <vector>

namespace bw {

namespace {

struct RegistryEntry {
    std::string name;
    std::string value;
};

// In the order the names were first written, so a search finds the oldest
// spelling first.
std::vector<RegistryEntry> g_entries;

RegistryEntry* Find(const char* name)
{
    for (RegistryEntry& entry : g_entries) {
        if (strcasecmp(entry.name.c_str(), name) == 0) return &entry;
    }
    return nullptr;
}

}  // namespace

void Registry_WriteString(const char* name, const char* value)
{
    if (name == nullptr) return;
    const char* text = value != nullptr ? value : "";
    RegistryEntry* entry = Find(name);
    if (entry != nullptr) {
        entry->value = text;
    } else {
        g_entries.push_back(RegistryEntry{name, text});
    }
}

bool Registry_Read(const char* name, std::string* value)
{
    const RegistryEntry* entry = name != nullptr ? Find(name) : nullptr;
    if (entry == nullptr) return false;
    *value = entry->value;
    return true;
}

void Registry_FreeAll()
{
    g_entries.clear();
}

}  // namespace bw
