#include "library/registry.h"

#include <memory>
#include <strings.h>

#include "platform/ini.h"
#include "platform/memory.h"

namespace bw {

namespace {

constexpr const char* kRegistryFile = "registry.ini";
constexpr const char* kRegistrySection = "Registry";

std::unique_ptr<IniFile> g_store;

IniFile& Store()
{
    if (g_store == nullptr) g_store = std::make_unique<IniFile>(kRegistryFile, false);
    return *g_store;
}

IniKey* Find(const char* name)
{
    IniSection* section = Store().FindSection(kRegistrySection);
    if (section == nullptr || name == nullptr) return nullptr;
    for (IniKey& key : section->keys) {
        if (strcasecmp(key.name.c_str(), name) == 0) return &key;
    }
    return nullptr;
}

}  // namespace

void Registry_WriteString(const char* name, const char* value)
{
    if (name == nullptr || name[0] == '\0') return;
    const IniKey* existing = Find(name);
    const std::string spelling = existing != nullptr ? existing->name : name;
    Store().WriteString(kRegistrySection, spelling.c_str(), value != nullptr ? value : "");
    MemoryManager_Free(Store().Flush());
}

bool Registry_Read(const char* name, std::string* value)
{
    const IniKey* key = Find(name);
    if (key == nullptr) return false;
    *value = key->value;
    return true;
}

void Registry_FreeAll()
{
    g_store.reset();
}

}  // namespace bw
