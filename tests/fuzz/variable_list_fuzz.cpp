// Loads a variable list and the global variable state from arbitrary bytes,
// as a save game would hand them over. Whatever loads must print, save and
// load again with the same variables.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_variable_names.h"
#include "platform/stream.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace {

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
    bw::fuzz::UseVariableNames();
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
