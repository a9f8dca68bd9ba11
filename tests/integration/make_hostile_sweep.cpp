// Writes the hostile-values sweep's script: every built-in function the
// runner registers, but those that end the game, change the room, wait for
// a person or start a program, called with each hostile value the sweep's
// room start keeps in global.hv0 .. global.hv18, in batches the game runs one
// a frame (scr_sweep_calls(batch) makes that batch's calls and answers how
// many, 0 past the last batch).
//   make_hostile_sweep OUT.bwl [--offline]
// --offline leaves out the built-ins that reach other machines, for a run
// that has no network namespace of its own to keep their requests in.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/registration.h"
#include "script/function_table.h"

namespace {

// The values, by the index of their global. 12 is the 100,000-character
// string, made at each call: kept in a global it would fill every error
// report's variable dump.
constexpr int kValueCount = 19;
constexpr int kLongString = 12;

std::string Value(int index)
{
    if (index == kLongString) return "string_repeat(global.hv_letter, 100000)";
    return "global.hv" + std::to_string(index);
}

// Built-ins the sweep must not call: they end the game, change the room,
// wait for a person or start a program.
const std::set<std::string_view> kLeftOut = {
    "game_end", "game_restart", "action_end_game", "action_restart_game",
    "room_goto", "room_goto_previous", "room_goto_next", "room_restart", "game_load", "game_load_buffer",
    "action_another_room", "action_previous_room", "action_next_room", "action_current_room", "action_load_game",
    "show_message", "show_message_ext", "show_question", "action_if_question", "show_error", "show_info", "show_image", "show_video",
    "show_text", "show_menu", "show_menu_pos", "get_string", "get_integer", "get_color", "get_open_filename",
    "get_open_filename_ext", "get_save_filename", "get_save_filename_ext", "get_directory", "get_directory_alt",
    "splash_show_video", "splash_show_image", "splash_show_text", "highscore_show", "highscore_show_ext",
    "action_highscore_show", "action_message", "action_show_info", "action_show_video", "keyboard_wait",
    "mouse_wait", "sleep", "action_sleep",
    "execute_program", "execute_shell", "url_open", "url_open_ext", "url_open_full", "action_webpage",
};

// Built-ins that reach other machines by a name or an address.
bool ReachesTheNetwork(std::string_view name)
{
    for (std::string_view prefix : {"http_", "network_", "mplay_", "url_"}) {
        if (name.starts_with(prefix)) return true;
    }
    return false;
}

// Built-ins whose work grows with a number they are given (steps to take,
// items to make): a game that passes 1e9 waits as long as it asked. The
// sweep gives them no number of that size.
const std::set<std::string_view> kWorkGrowsWithANumber = {
    "move_contact_solid", "move_contact_all", "action_move_contact",
};
// 1e9, 2^31, 2^53 + 1, 1e308, infinity and the freed instance's id.
bool IsLargeNumber(int value)
{
    return value == 2 || value == 4 || value == 5 || value == 6 || value == 9 || value == 15;
}

// Values a built-in is not given because its answer to them is to end the
// game, as a game that passes them must expect.
bool EndsTheGameByDesign(std::string_view name, int value)
{
    // Any epsilon outside [0, 1) is a fatal error.
    if (name == "math_set_epsilon") return value != 0 && value != 11;
    // The fixture that physics_fixture_create made (0) would become a
    // polygon of fewer than three points, which binding refuses fatally.
    if (name == "physics_fixture_set_polygon_shape") return value == 0;
    // An image no memory holds ends the game with "Out of Memory!".
    if (name == "background_create_color" || name == "background_create_gradient") return IsLargeNumber(value);
    return false;
}

bool NotGiven(std::string_view name, int value)
{
    return EndsTheGameByDesign(name, value) || (kWorkGrowsWithANumber.contains(name) && IsLargeNumber(value));
}

// Built-ins whose request the next frame carries out (a display reset):
// each of their calls ends its batch, so that no later call replaces it.
bool TakesEffectNextFrame(std::string_view name)
{
    return name.starts_with("window_set_") || name.starts_with("display_set_") || name == "display_reset";
}

struct Builtin {
    std::string name;
    int32_t argc;
};

// When a built-in is called: the physics built-ins after the rest, as a
// room with a physics world refuses game_save fatally; after them those that
// set variables, as a variable named by a 100,000-character text goes into
// every later error report's variable dump.
int Rank(std::string_view name)
{
    if (name.starts_with("variable_")) return 2;
    return name.starts_with("physics_") ? 1 : 0;
}

// Every name once, in registration order within its rank.
std::vector<Builtin> BuiltinsToCall(bool offline)
{
    bw::Registration_RegisterFunctionsQuietly(false);
    std::vector<Builtin> builtins;
    std::set<std::string> seen;
    for (int32_t id = 0; id < bw::Code_Function_Count(); ++id) {
        const char* name = nullptr;
        bw::BuiltinFunctionProc proc = nullptr;
        int32_t argc = 0;
        if (!bw::Code_Function_GetInfo(id, &name, &proc, &argc) || !seen.insert(name).second) continue;
        if (kLeftOut.contains(name) || (offline && ReachesTheNetwork(name))) continue;
        builtins.push_back({name, argc});
    }
    bw::Code_Function_Free();
    std::stable_sort(builtins.begin(), builtins.end(),
                     [](const Builtin& a, const Builtin& b) { return Rank(a.name) < Rank(b.name); });
    return builtins;
}

std::string Call(const std::string& name, const std::vector<int>& values)
{
    std::string call = name + "(";
    for (size_t i = 0; i < values.size(); ++i) call += (i == 0 ? "" : ", ") + Value(values[i]);
    return call + ");";
}

// Where a built-in's mixes start: a hash of its name (FNV-1a), so that a
// built-in added to the table changes no other built-in's calls.
int MixSeed(std::string_view name)
{
    uint32_t hash = 2166136261u;
    for (char c : name) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    return static_cast<int>(hash % kValueCount);
}

// Each value in every argument at once, then two calls that mix them; a
// built-in of any count is called with none, one and several.
std::vector<std::string> Calls(const Builtin& builtin)
{
    const int seed = MixSeed(builtin.name);
    std::vector<std::string> calls;
    if (builtin.argc == 0) return {builtin.name + "();"};
    const bool anyCount = builtin.argc == bw::kBuiltinArgCountAny;
    if (anyCount) calls.push_back(builtin.name + "();");
    const int argc = anyCount ? 1 : builtin.argc;
    for (int value = 0; value < kValueCount; ++value) {
        if (NotGiven(builtin.name, value)) continue;
        calls.push_back(Call(builtin.name, std::vector<int>(argc, value)));
    }
    const int mixedArgc = anyCount ? 4 : builtin.argc;
    for (int mix = 1; mix <= 2 && mixedArgc > 1; ++mix) {
        std::vector<int> values;
        for (int i = 0; i < mixedArgc; ++i) values.push_back((seed + mix * 7 + i * (mix * 2 + 1)) % kValueCount);
        bool allowed = true;
        for (int value : values) allowed = allowed && !NotGiven(builtin.name, value);
        if (allowed) calls.push_back(Call(builtin.name, values));
    }
    return calls;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool offline = argc == 3 && std::string_view(argv[2]) == "--offline";
    if (argc != 2 && !offline) {
        std::fprintf(stderr, "usage: make_hostile_sweep OUT.bwl [--offline]\n");
        return 2;
    }
    constexpr size_t kCallsPerBatch = 400;
    std::string batch, script = "switch (argument0) {\n";
    size_t inBatch = 0, batches = 0, builtins = 0;
    auto closeBatch = [&] {
        script += "case " + std::to_string(batches++) + ":\n" + batch + "    return " + std::to_string(inBatch) +
                  ";\n";
        batch.clear();
        inBatch = 0;
    };
    for (const Builtin& builtin : BuiltinsToCall(offline)) {
        const bool ownFrame = TakesEffectNextFrame(builtin.name);
        for (const std::string& call : Calls(builtin)) {
            batch += "    " + call + "\n";
            ++inBatch;
            if (ownFrame) closeBatch();
        }
        ++builtins;
        if (inBatch >= kCallsPerBatch) closeBatch();
    }
    if (inBatch > 0) closeBatch();
    script += "}\nreturn 0;\n";
    std::ofstream out(argv[1], std::ios::binary);
    out << "// " << builtins << " built-ins in " << batches << " batches, written by make_hostile_sweep.\n" << script;
    if (!out.flush()) {
        std::fprintf(stderr, "make_hostile_sweep: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
