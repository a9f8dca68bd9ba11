// Loads a variable list and the global variable state from arbitrary bytes,
// as a save game would hand them over. Whatever loads must print, save and
// load again with the same variables.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/stream.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace {

// The game's user names: "v0" to "v99" for ids 100000 to 100099.
int32_t FindName(const char* name)
{
    if (name[0] != 'v' || name[1] < '0' || name[1] > '9') {
        return -1;
    }
    char* end = nullptr;
    const long index = std::strtol(name + 1, &end, 10);
    return *end == '\0' && index < 100 ? bw::kVariableUserIdBase + static_cast<int32_t>(index) : -1;
}

const char* NameOf(int32_t id)
{
    static std::string name;
    name = "v" + std::to_string(id - bw::kVariableUserIdBase);
    return name.c_str();
}

void CheckRoundTrip(const bw::CVariableList& list)
{
    std::string printed;
    list.Print(printed);
    bw::CStream saved;
    if (!list.SaveGame(saved)) {
        __builtin_trap();
    }
    saved.Seek(0);
    bw::CVariableList again;
    if (!again.LoadGame(saved) || again.Count() != list.Count() || saved.GetPosition() != saved.GetSize()) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bw::Variable_NameLookups().find = &FindName;
    bw::Variable_NameLookups().getName = &NameOf;
    bw::CStream input;
    if (size > 0) {
        input.WriteBuffer(data, static_cast<int64_t>(size));
    }

    input.Seek(0);
    bw::CVariableList list;
    if (list.LoadGame(input)) {
        CheckRoundTrip(list);
    }

    input.Seek(0);
    bw::Variable_Global_Init();
    if (bw::Variable_Global_LoadState(input)) {
        CheckRoundTrip(bw::Variable_GlobalList());
    }
    return 0;
}
