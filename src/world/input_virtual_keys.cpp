#include "world/input_virtual_keys.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/ini.h"
#include "script/constants.h"
#include "script/value.h"

namespace bw {

namespace {

struct VirtualKeyTable {
    VirtualKeyTable()
    {
        for (size_t index = 0; index < keys.size(); ++index) {
            keys[index].id = static_cast<uint16_t>(index);
        }
    }
    std::array<VirtualKey, kVirtualKeyCount> keys{};
    std::string texture;
};
VirtualKeyTable g_table;

bool HasPrefix(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

int32_t ConstantValue(const char* name)
{
    const Value* value = Code_Constant_Find(name);
    if (value == nullptr || Value_Kind(*value) != kValueReal) {
        return 0;
    }
    const double real = value->real;
    // Key codes and buttons are small; anything else names no key.
    return real >= -1.0 && real < 65536.0 ? static_cast<int32_t>(real) : 0;
}

}  // namespace

VirtualKey* IO_VirtualKey_FreeSlot()
{
    for (VirtualKey& key : g_table.keys) {
        if (key.flags == 0) {
            return &key;
        }
    }
    return nullptr;
}

VirtualKey* IO_VirtualKey_Get(int32_t index)
{
    return index >= 0 && index < kVirtualKeyCount ? &g_table.keys[static_cast<size_t>(index)] : nullptr;
}

void IO_VirtualKey_Delete(int32_t index)
{
    if (VirtualKey* key = IO_VirtualKey_Get(index)) {
        *key = VirtualKey{};
        key->id = static_cast<uint16_t>(index);
    }
}

void IO_VirtualKey_ClearAll()
{
    for (int32_t index = 0; index < kVirtualKeyCount; ++index) {
        IO_VirtualKey_Delete(index);
    }
}

int32_t IO_KeyFromName(const char* name)
{
    if (name == nullptr || name[0] == '\0') {
        return 0;
    }
    if (HasPrefix(name, "VK_")) {
        return ConstantValue(name) & 0xFF;
    }
    if (HasPrefix(name, "MB_")) {
        return 0;
    }
    // A letter is its key, which carries the capital's code.
    const auto first = static_cast<unsigned char>(name[0]);
    return std::toupper(first);
}

int32_t IO_MouseButtonFromName(const char* name)
{
    return name != nullptr && HasPrefix(name, "MB_") ? ConstantValue(name) : 0;
}

void IO_ReadVirtualButtons(IniFile& ini)
{
    const int32_t count = ini.ReadInteger("IO_VIRTUAL_BUTTONS", "NUM_BUTTONS", 0);
    g_table.texture = ini.ReadString("IO_VIRTUAL_BUTTONS", "TEXTURE", "");
    for (int32_t i = 0; i < count; ++i) {
        VirtualKey* key = IO_VirtualKey_FreeSlot();
        if (key == nullptr) {
            return;  // the table is full; the rest have nowhere to go
        }
        char section[32];
        std::snprintf(section, sizeof section, "IO_BUTTON_%d", i);
        key->x = ini.ReadInteger(section, "X", 0);
        key->y = ini.ReadInteger(section, "Y", 0);
        key->w = ini.ReadInteger(section, "W", 0);
        key->h = ini.ReadInteger(section, "H", 0);
        key->u = ini.ReadInteger(section, "U", 0);
        key->v = ini.ReadInteger(section, "V", 0);
        // Wrapping sums: sizes come from a text file.
        key->right = static_cast<int32_t>(static_cast<uint32_t>(key->x) + static_cast<uint32_t>(key->w));
        key->bottom = static_cast<int32_t>(static_cast<uint32_t>(key->y) + static_cast<uint32_t>(key->h));
        key->key = IO_KeyFromName(ini.ReadString(section, "KEY", "")) & 0xFF;
        key->mouseButton = IO_MouseButtonFromName(ini.ReadString(section, "BUTTON", ""));
        key->flags = kVirtualKeyActive;
    }
}

const char* IO_VirtualButtons_Texture()
{
    return g_table.texture.c_str();
}

}  // namespace bw
