// The user variable names the fuzz targets' games use: "v0" to "v99" for
// ids 100000 to 100099, so stored lists can name variables both ways.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw::fuzz {

inline int32_t FindVariableName(const char* name)
{
    if (name[0] != 'v' || name[1] < '0' || name[1] > '9') {
        return -1;
    }
    char* end = nullptr;
    const long index = std::strtol(name + 1, &end, 10);
    return *end == '\0' && index < 100 ? kVariableUserIdBase + static_cast<int32_t>(index) : -1;
}

inline const char* VariableNameOf(int32_t id)
{
    static std::string name;
    name = "v" + std::to_string(id - kVariableUserIdBase);
    return name.c_str();
}

// Makes the names above the game's.
inline void UseVariableNames()
{
    Variable_NameLookups().find = &FindVariableName;
    Variable_NameLookups().getName = &VariableNameOf;
}

}  // namespace bw::fuzz
