// Loads a saved game from arbitrary bytes into a small world (two rooms, no
// objects). Whatever loads must save, load again and save to the same bytes;
// whatever is refused must leave the world as it was.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_variable_names.h"
#include "platform/stream.h"
#include "world/builtin_variables.h"
#include "world/instance_table.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/run_room_change.h"
#include "world/save_game.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace {

void SetUpWorldOnce()
{
    static const bool ready = [] {
        bw::fuzz::UseVariableNames();
        bw::Variable_Init();
        bw::Room_Add();
        bw::Room_Add();
        return true;
    }();
    (void)ready;
}

// A world with no run-time room and no global variables.
void ResetWorld()
{
    bw::Room_SetCurrent(nullptr, -1);
    bw::Run_ReplaceRoomSlots({});
    bw::Instance_FreeAll();
    bw::Variable_Global_Init();
}

std::string Saved()
{
    bw::CStream stream;
    if (!bw::Game_WriteState(stream)) {
        __builtin_trap();
    }
    return std::string(reinterpret_cast<const char*>(stream.GetData()), static_cast<size_t>(stream.GetPosition()));
}

bool Load(const uint8_t* data, size_t size)
{
    bw::CStream input;
    if (size > 0) {
        input.WriteBuffer(data, static_cast<int64_t>(size));
    }
    input.Seek(0);
    std::string error;
    const bool loaded = bw::Game_ReadState(input, &error);
    if (loaded == error.empty()) {
        return loaded;
    }
    __builtin_trap();  // a refusal always says why, a load never does
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUpWorldOnce();
    ResetWorld();
    const std::string before = Saved();
    if (Load(data, size)) {
        const std::string first = Saved();
        if (!Load(reinterpret_cast<const uint8_t*>(first.data()), first.size()) || Saved() != first) {
            __builtin_trap();
        }
    } else if (Saved() != before) {
        __builtin_trap();
    }
    ResetWorld();
    return 0;
}
