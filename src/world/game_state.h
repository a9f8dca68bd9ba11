// Global state that built-in variables read and write but whose subsystems
// are not built yet (views and drawing, transitions, frame timing,
// event dispatch, the script call frames, the error reporter's flags). Each
// is a plain record here; its owner takes it over, with whatever behaviour
// a write must cause, when that subsystem lands.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "script/value.h"

namespace bw {

// Score, lives, health and the caption settings saved with the game.
struct GameCounters {
    int32_t score = 0;
    int32_t lives = 0;
    double health = 0.0;
    bool captionChanged = false;  // the score caption flag saved with the game
    bool showScore = false;
    bool showLives = false;
    bool showHealth = false;
    std::string captionScore;
    std::string captionLives;
    std::string captionHealth;
    int32_t cursorSprite = -1;
};
GameCounters& Game_Counters();

// Fixed facts about the running game and where it lives.
struct GameInfo {
    int32_t gameId = 0;
    bool debugMode = false;
};
GameInfo& Game_Info();

// The event being performed and the action inside it.
struct CurrentEvent {
    int32_t type = 0;
    int32_t number = 0;
    int32_t object = -1;
    int32_t action = 0;
    bool argumentRelative = false;
    int32_t asyncLoad = -1;  // ds_map of the asynchronous event being run, -1 none
};
CurrentEvent& Event_Current();

// The argument slots of the innermost running script: the sixteen Values
// its call gave it (the world's own when no script runs) and how many
// arguments it passed. Slots past the arguments hold real 0.
inline constexpr int32_t kScriptArgumentSlots = 16;
struct ScriptArguments {
    Value* values = nullptr;
    int32_t count = 0;
};
ScriptArguments& Script_Arguments();

// Gives a run slots of its own holding copies of the first argc of args,
// and count, for as long as it lives; the caller's slots stay as they
// were and come back when it ends.
class ScriptArgumentsScope {
public:
    ScriptArgumentsScope(const Value* args, int32_t argc, int32_t count);
    ~ScriptArgumentsScope();
    ScriptArgumentsScope(const ScriptArgumentsScope&) = delete;
    ScriptArgumentsScope& operator=(const ScriptArgumentsScope&) = delete;

private:
    std::array<Value, kScriptArgumentSlots> m_slots{};
    ScriptArguments m_caller;
};

// Frame timing, drawing and transition state.
struct DisplayState {
    int32_t fps = 0;
    int64_t deltaTime = 0;  // microseconds between the last two steps
    int32_t viewCurrent = 0;
    int32_t displayAA = 0;  // available anti-aliasing levels
    int32_t transitionKind = 0;
    int32_t transitionSteps = 80;  // never below 1
};
DisplayState& Display_State();

// Event dispatch belongs to the layer above; lives and health raise events
// through this hook. Unset, nothing runs.
struct GameStateHooks {
    void (*performEventAll)(int32_t type, int32_t number) = nullptr;
};
GameStateHooks& GameState_Hooks();

}  // namespace bw
