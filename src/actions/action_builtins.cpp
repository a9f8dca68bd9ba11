// The actions bind argument order and the relative flag to what already
// exists: world operations are called directly, everything that has a
// built-in of its own (drawing, sound, dialogs, particles, rooms) goes
// through that built-in, so each behaviour stays in one place.
#include "actions/action_builtins.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "audio/audio_engine.h"
#include "audio/audio_sounds.h"
#include "audio/legacy_sounds.h"
#include "audio/cd_audio.h"
#include "graphics/draw_2d.h"
#include "online/high_score.h"
#include "particles/effects.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"
#include "graphics/game_window.h"
#include "platform/execute.h"
#include "platform/files.h"
#include "resources/background.h"
#include "resources/sprite.h"
#include "world/resource_lookups.h"
#include "world/run_hooks.h"
#include "script/arguments.h"
#include "platform/random.h"
#include "platform/timer.h"
#include "script/error_report.h"
#include "world/builtin_variables.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/input.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_ops_collision.h"
#include "world/instance_ops_motion.h"
#include "world/mp_step.h"
#include "world/variable_access.h"
#include "world/object.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/run_requests.h"

namespace bw {

namespace {

// ---- helpers ----

bool Relative()
{
    return Event_Current().argumentRelative;
}

// A value made relative to a current one when the flag is on; the sum is
// made in single precision like the instance fields it lands in.
float Offset(float current, const Value& value)
{
    const float given = Arg_Single(value);
    return Relative() ? current + given : given;
}

struct Point {
    float x;
    float y;
};
// Relative positions are offsets from self.
Point Position(const CInstance* self, const Value& x, const Value& y)
{
    if (Relative() && self != nullptr) {
        return {self->i_x + Arg_Single(x), self->i_y + Arg_Single(y)};
    }
    return {Arg_Single(x), Arg_Single(y)};
}

Value Real(double value)
{
    Value v;
    Value_SetReal(v, value);
    return v;
}

// The built-in registered under name, never a script of the game that
// happens to share it; null when there is none.
BuiltinFunctionProc FindBuiltin(const char* name)
{
    const int32_t count = Code_Function_Count();
    for (int32_t index = 0; index < count; ++index) {
        const char* entry = nullptr;
        BuiltinFunctionProc fn = nullptr;
        int32_t argc = 0;
        if (Code_Function_GetInfo(index, &entry, &fn, &argc) && entry != nullptr && std::strcmp(entry, name) == 0) {
            return fn;
        }
    }
    return nullptr;
}

// Calls that built-in; the arguments stay owned here, a string in them is
// only lent. A null result drops the answer.
void Forward(const char* name, Value* result, CInstance* self, CInstance* other, std::initializer_list<Value> args)
{
    const BuiltinFunctionProc fn = FindBuiltin(name);
    if (fn == nullptr) {
        return;
    }
    std::vector<Value> list(args);
    Value scratch;
    fn(result != nullptr ? result : &scratch, self, other, static_cast<int32_t>(list.size()), list.data());
    Value_Free(scratch);
}

void Forward(const char* name, CInstance* self, std::initializer_list<Value> args)
{
    Forward(name, nullptr, self, self, args);
}

// A test forwarded to a built-in, read back as a flag.
bool Ask(const char* name, CInstance* self, std::initializer_list<Value> args)
{
    Value answer;
    Forward(name, &answer, self, self, args);
    const bool yes = Arg_Flag(answer);
    Value_Free(answer);
    return yes;
}

// ---- movement ----

BW_BUILTIN(ActionSetRelative)
{
    Event_Current().argumentRelative = Arg_Flag(args[0]);
}

// Keypad positions read from the bottom row: 1 2 3 / 4 5 6 / 7 8 9.
constexpr std::array<float, 9> kKeypadDirections = {225.0f, 270.0f, 315.0f, 180.0f, 0.0f,
                                                    0.0f,   135.0f, 90.0f,  45.0f};
constexpr int32_t kKeypadStop = 4;

BW_SELF_BUILTIN(ActionMove)
{
    const char* keys = Arg_Text(args[0]);
    if (keys == nullptr || std::strlen(keys) != kKeypadDirections.size()) {
        Code_Error_Runtime("Wrong argument to action_move().", false);
        return;
    }
    if (self == nullptr || std::strchr(keys, '1') == nullptr) {
        return;
    }
    self->SetSpeed(Offset(self->i_speed, args[1]));
    int32_t position = 0;
    do {
        position = static_cast<int32_t>(Random_Int(static_cast<int32_t>(kKeypadDirections.size())));
    } while (keys[position] != '1');
    self->SetDirection(kKeypadDirections[static_cast<size_t>(position)]);
    if (position == kKeypadStop) {
        self->SetSpeed(0.0f);
    }
}

BW_SELF_BUILTIN(ActionSetMotion)
{
    if (self == nullptr) {
        return;
    }
    if (Relative()) {
        self->AddMotion(Arg_Single(args[0]), Arg_Single(args[1]));
        return;
    }
    self->SetDirection(Arg_Single(args[0]));
    self->SetSpeed(Arg_Single(args[1]));
}

BW_SELF_BUILTIN(ActionSetHSpeed)
{
    if (self != nullptr) {
        self->SetHSpeed(Offset(self->i_hspeed, args[0]));
    }
}

BW_SELF_BUILTIN(ActionSetVSpeed)
{
    if (self != nullptr) {
        self->SetVSpeed(Offset(self->i_vspeed, args[0]));
    }
}

BW_SELF_BUILTIN(ActionSetGravity)
{
    if (self != nullptr) {
        self->i_gravitydir = Offset(self->i_gravitydir, args[0]);
        self->i_gravity = Offset(self->i_gravity, args[1]);
    }
}

BW_SELF_BUILTIN(ActionSetFriction)
{
    if (self != nullptr) {
        self->i_friction = Offset(self->i_friction, args[0]);
    }
}

BW_SELF_BUILTIN(ActionMovePoint)
{
    if (self != nullptr) {
        const Point target = Position(self, args[0], args[1]);
        Move_TowardsPoint(self, target.x, target.y, Arg_Single(args[2]));
    }
}

BW_SELF_BUILTIN(ActionMoveTo)
{
    if (self != nullptr) {
        const Point target = Position(self, args[0], args[1]);
        self->SetPosition(target.x, target.y);
    }
}

BW_SELF_BUILTIN(ActionMoveStart)
{
    if (self != nullptr) {
        self->SetPosition(self->i_xstart, self->i_ystart);
    }
}

BW_SELF_BUILTIN(ActionSnap)
{
    if (self != nullptr) {
        Move_Snap(self, Arg_Single(args[0]), Arg_Single(args[1]));
    }
}

BW_SELF_BUILTIN(ActionWrap)
{
    if (self != nullptr) {
        const int32_t which = Arg_Round(args[0]);
        Move_Wrap(self, which == 0 || which == 2, which == 1 || which == 2);
    }
}

BW_SELF_BUILTIN(ActionReverseXDir)
{
    if (self != nullptr) {
        self->SetHSpeed(-self->i_hspeed);
    }
}

BW_SELF_BUILTIN(ActionReverseYDir)
{
    if (self != nullptr) {
        self->SetVSpeed(-self->i_vspeed);
    }
}

BW_SELF_BUILTIN(ActionMoveContact)
{
    if (self != nullptr) {
        Move_Contact(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Flag(args[2]));
    }
}

BW_SELF_BUILTIN(ActionBounce)
{
    if (self != nullptr) {
        Move_Bounce(self, Arg_Flag(args[0]), Arg_Flag(args[1]));
    }
}

BW_SELF_BUILTIN(ActionPath)
{
    if (self != nullptr) {
        self->StartPath(Arg_Round(args[0]), Arg_Single(args[1]), 1.0f, 0.0f, !Arg_Flag(args[3]),
                        Arg_Round(args[2]));
    }
}

BW_SELF_BUILTIN(ActionPathEnd)
{
    Forward("path_end", self, {});
}

BW_SELF_BUILTIN(ActionPathPosition)
{
    if (self != nullptr) {
        self->SetPathPosition(Offset(self->i_pathposition, args[0]));
    }
}

BW_SELF_BUILTIN(ActionPathSpeed)
{
    if (self != nullptr) {
        self->SetPathSpeed(Offset(self->i_pathspeed, args[0]));
    }
}

template <bool (*step)(CInstance*, float, float, float, int32_t, bool)>
BW_SELF_BUILTIN(ActionStep)
{
    if (self != nullptr) {
        const Point target = Position(self, args[0], args[1]);
        step(self, target.x, target.y, Arg_Single(args[2]), kSelectorAll, Arg_Flag(args[3]));
    }
}

// ---- instances ----

// A missing object is reported by the world.
void CreateAt(CInstance* self, int32_t object, const Value& x, const Value& y,
              const std::function<void(CInstance&)>& prepare = [](CInstance&) {})
{
    const Point at = Position(self, x, y);
    Instance_Create(object, at.x, at.y, prepare);
}

BW_SELF_BUILTIN(ActionCreateObject)
{
    CreateAt(self, Arg_Trunc(args[0]), args[1], args[2]);
}

BW_SELF_BUILTIN(ActionCreateObjectMotion)
{
    const float speed = Arg_Single(args[3]);
    const float direction = Arg_Single(args[4]);
    CreateAt(self, Arg_Trunc(args[0]), args[1], args[2], [speed, direction](CInstance& created) {
        created.SetSpeed(speed);
        created.SetDirection(direction);
    });
}

BW_SELF_BUILTIN(ActionCreateObjectRandom)
{
    std::array<int32_t, 4> objects{};
    bool any = false;
    for (size_t index = 0; index < objects.size(); ++index) {
        objects[index] = Arg_Trunc(args[index]);
        any = any || Object_Exists(objects[index]);
    }
    if (!any) {
        return;
    }
    int32_t pick = 0;
    do {
        pick = objects[Random_Int(static_cast<int32_t>(objects.size()))];
    } while (!Object_Exists(pick));
    CreateAt(self, pick, args[4], args[5]);
}

BW_SELF_BUILTIN(ActionChangeObject)
{
    if (self != nullptr) {
        Instance_Change(self, Arg_Trunc(args[0]), Arg_Flag(args[1]));
    }
}

BW_SELF_BUILTIN(ActionKillObject)
{
    if (self != nullptr) {
        Instance_Destroy(self);
    }
}

BW_SELF_BUILTIN(ActionKillPosition)
{
    const Point at = Position(self, args[0], args[1]);
    Position_Destroy(at.x, at.y);
}

BW_SELF_BUILTIN(ActionSpriteSet)
{
    if (self == nullptr) {
        return;
    }
    Instance_SetSprite(self, Arg_Round(args[0]));
    if (Arg_Round(args[1]) >= 0) {
        self->i_imageindex = Arg_Single(args[1]);
    }
    self->i_imagespeed = Arg_Single(args[2]);
}

BW_SELF_BUILTIN(ActionSpriteTransform)
{
    if (self == nullptr) {
        return;
    }
    const int32_t mirror = Arg_Round(args[3]);
    const float xscale = Arg_Single(args[0]);
    const float yscale = Arg_Single(args[1]);
    self->SetImageXScale(mirror == 1 || mirror == 3 ? -xscale : xscale);
    self->SetImageYScale(mirror == 2 || mirror == 3 ? -yscale : yscale);
    self->SetImageAngle(Arg_Single(args[2]));
}

BW_SELF_BUILTIN(ActionSpriteColor)
{
    if (self != nullptr) {
        self->i_imageblend = Arg_Round(args[0]);
        self->i_imagealpha = Arg_Single(args[1]);
    }
}

BW_SELF_BUILTIN(ActionSetSprite)
{
    if (self == nullptr) {
        return;
    }
    Instance_SetSprite(self, Arg_Round(args[0]));
    if (args[1].real > 0.0) {
        self->SetImageXScale(Arg_Single(args[1]));
        self->SetImageYScale(Arg_Single(args[1]));
    }
}


// ---- flow, rooms, timing ----

BW_BUILTIN(ActionAnotherRoom)
{
    Room_Goto(Arg_Round(args[0]));
}

BW_BUILTIN(ActionPreviousRoom)
{
    Room_GotoPrevious();
}

BW_BUILTIN(ActionNextRoom)
{
    Room_GotoNext();
}

BW_BUILTIN(ActionCurrentRoom)
{
    Room_Restart();
}

BW_BUILTIN(ActionIfPreviousRoom)
{
    Result_SetBool(result, Room_CurrentIndex() != Room_First());
}

BW_BUILTIN(ActionIfNextRoom)
{
    Result_SetBool(result, Room_CurrentIndex() != Room_Last());
}

BW_SELF_BUILTIN(ActionSetAlarm)
{
    if (self == nullptr) {
        return;
    }
    const int32_t alarm = Arg_Round(args[1]);
    int32_t steps = Arg_Round(args[0]);
    // A relative set only adds to a running alarm.
    if (Relative() && self->GetAlarm(alarm) >= 0) {
        steps += self->GetAlarm(alarm);
    }
    self->SetAlarm(alarm, steps);
}

BW_BUILTIN(ActionSleep)
{
    if (Arg_Flag(args[1])) {
        // The room is seen in its current state through the sleep.
        RunHooks& hooks = Run_Hooks();
        Run_CallHook(hooks.drawRoom);
        if (hooks.finishFrame != nullptr && hooks.startFrame != nullptr) {
            hooks.finishFrame(true);
            hooks.startFrame();
        }
    }
    Timer_Sleep(static_cast<int64_t>(std::llround(args[0].real * 1000.0)));
}

BW_SELF_BUILTIN(ActionSetTimeline)
{
    if (self != nullptr) {
        self->i_timelineindex = Arg_Round(args[0]);
        self->i_timelineposition = Arg_Single(args[1]);
        self->i_timelinerunning = 1;
    }
}

BW_SELF_BUILTIN(ActionSetTimelinePosition)
{
    if (self != nullptr) {
        self->i_timelineposition = std::nearbyint(Offset(self->i_timelineposition, args[0]));
    }
}

BW_SELF_BUILTIN(ActionSetTimelineSpeed)
{
    if (self != nullptr) {
        self->i_timelinespeed = Offset(self->i_timelinespeed, args[0]);
    }
}

BW_SELF_BUILTIN(ActionTimelineSet)
{
    if (self != nullptr) {
        self->i_timelineindex = Arg_Round(args[0]);
        self->i_timelineposition = Arg_Single(args[1]);
        self->i_timelinerunning = Arg_Round(args[2]) == 0 ? 1 : 0;
        self->i_timelineloop = Arg_Round(args[3]) == 1 ? 1 : 0;
    }
}

template <uint8_t running>
BW_SELF_BUILTIN(ActionTimelineRun)
{
    if (self != nullptr) {
        self->i_timelinerunning = running;
    }
}

BW_SELF_BUILTIN(ActionTimelineStop)
{
    if (self != nullptr) {
        self->i_timelineposition = 0.0f;
        self->i_timelinerunning = 0;
    }
}

// Actions that are a built-in of the same arguments under another name.
template <const char* builtin>
BW_SELF_BUILTIN(ActionAs)
{
    const BuiltinFunctionProc fn = FindBuiltin(builtin);
    if (fn != nullptr) {
        fn(result, self, other, argc, args);
    }
}
constexpr char kGameSave[] = "game_save";
constexpr char kGameLoad[] = "game_load";
constexpr char kEventInherited[] = "event_inherited";
constexpr char kShowVideo[] = "show_video";
constexpr char kScreenSave[] = "screen_save";
constexpr char kMoveRandom[] = "move_random";
constexpr char kPlaceSnapped[] = "place_snapped";
constexpr char kDrawSetColor[] = "draw_set_color";

BW_SELF_BUILTIN(ActionExecuteScript)
{
    Forward("script_execute", result, self, other, {args[0], args[1], args[2], args[3], args[4], args[5]});
    if (Code_Error_HasPending()) {
        const std::string message = Code_Error_PendingMessage();
        Code_Error_ClearPending();
        Code_Error_Runtime(message.c_str(), false);
    }
}

BW_BUILTIN(ActionIf)
{
    Value_Copy(*result, args[0]);
}

// ---- questions and tests ----

bool PlaceIsFree(CInstance* self, const Value* args)
{
    const Point at = Position(self, args[0], args[1]);
    return Arg_Flag(args[2]) ? Place_Free(self, at.x, at.y) : Place_Empty(self, at.x, at.y);
}

BW_SELF_BUILTIN(ActionIfEmpty)
{
    Result_SetBool(result, self != nullptr && PlaceIsFree(self, args));
}

BW_SELF_BUILTIN(ActionIfCollision)
{
    Result_SetBool(result, self != nullptr && !PlaceIsFree(self, args));
}

BW_SELF_BUILTIN(ActionIfObject)
{
    if (self != nullptr) {
        const Point at = Position(self, args[1], args[2]);
        Result_SetBool(result, Place_Meeting(self, at.x, at.y, Arg_Round(args[0])));
    }
}

// 1 smaller, 2 larger, anything else equal.
template <typename T>
bool Compare(T value, T against, int32_t operation)
{
    switch (operation) {
    case 1: return value < against;
    case 2: return value > against;
    default: return value == against;
    }
}

BW_BUILTIN(ActionIfNumber)
{
    Result_SetBool(result, Compare(Instance_Number(Arg_Round(args[0])), Arg_Round(args[1]), Arg_Round(args[2])));
}

BW_BUILTIN(ActionIfVariable)
{
    if (Value_Kind(args[0]) != Value_Kind(args[1]) || !(Arg_IsReal(args[0]) || Arg_IsString(args[0]))) {
        Code_Error_Runtime("Cannot compare arguments.", false);
        return;
    }
    const double difference = Arg_IsString(args[0])
                                  ? std::strcmp(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]))
                                  : args[0].real - args[1].real;
    bool answer = false;
    switch (Arg_Round(args[2])) {
    case 0: answer = difference == 0.0; break;
    case 1: answer = difference < 0.0; break;
    case 2: answer = difference > 0.0; break;
    case 3: answer = difference <= 0.0; break;
    case 4: answer = difference >= 0.0; break;
    default: break;
    }
    Result_SetBool(result, answer);
}

BW_BUILTIN(ActionIfScore)
{
    Result_SetBool(result, Compare(Game_Counters().score, Arg_Round(args[0]), Arg_Round(args[1])));
}

BW_BUILTIN(ActionIfLife)
{
    Result_SetBool(result, Compare(Game_Counters().lives, Arg_Round(args[0]), Arg_Round(args[1])));
}

BW_BUILTIN(ActionIfHealth)
{
    Result_SetBool(result, Compare(Game_Counters().health, args[0].real, Arg_Round(args[1])));
}

// One chance in sides, drawn in thousandths: the extra thousandth is how the
// test has always behaved and games are tuned to it.
BW_BUILTIN(ActionIfDice)
{
    const double sides = args[0].real;
    Result_SetBool(result, sides <= 1.0 || Random_Int(Real_RoundToInt32(sides * 1000.0)) < 1001);
}

BW_SELF_BUILTIN(ActionIfQuestion)
{
    Forward("show_question", result, self, other, {args[0]});
    IO_Clear();
}

BW_SELF_BUILTIN(ActionIfMouse)
{
    const int32_t button = Arg_Round(args[0]);
    if (button >= 1 && button <= 3) {
        Result_SetBool(result, Ask("mouse_check_button", self, {Real(button)}) ||
                                   Ask("mouse_check_button_released", self, {Real(button)}));
        return;
    }
    constexpr double kNoButton = 0.0;
    Result_SetBool(result, Ask("mouse_check_button", self, {Real(kNoButton)}));
}

BW_SELF_BUILTIN(ActionIfSound)
{
    if (Audio_System()) {
        Result_SetBool(result, Audio_IsPlaying(Arg_Round(args[0])));
        return;
    }
    Forward("sound_isplaying", result, self, other, {args[0]});
}

// ---- score, lives, health, caption ----

BW_BUILTIN(ActionSetScore)
{
    int32_t& score = Game_Counters().score;
    score = Relative() ? score + Arg_Round(args[0]) : Arg_Round(args[0]);
}

BW_BUILTIN(ActionSetLife)
{
    const int32_t given = Arg_Round(args[0]);
    Game_SetLives(Relative() ? Game_Counters().lives + given : given);
}

BW_BUILTIN(ActionSetHealth)
{
    const double given = args[0].real;
    Game_SetHealth(Relative() ? Game_Counters().health + given : given);
}

void DrawCaptioned(CInstance* self, const Value* args, int32_t number)
{
    const Point at = Position(self, args[0], args[1]);
    const std::string text = std::string(Arg_TextOrEmpty(args[2])) + std::to_string(number);
    Value textValue;
    Value_SetString(textValue, text.c_str());
    Forward("draw_text", self, {Real(at.x), Real(at.y), textValue});
    Value_Free(textValue);
}

BW_SELF_BUILTIN(ActionDrawScore)
{
    DrawCaptioned(self, args, Game_Counters().score);
}

BW_SELF_BUILTIN(ActionDrawLife)
{
    DrawCaptioned(self, args, Game_Counters().lives);
}

BW_SELF_BUILTIN(ActionDrawLifeImages)
{
    const int32_t sprite = Arg_Round(args[2]);
    SpriteInfo info;
    if (!Sprite_GetInfo(sprite, &info)) {
        return;
    }
    const Point at = Position(self, args[0], args[1]);
    for (int32_t life = 0; life < Game_Counters().lives; ++life) {
        Forward("draw_sprite", self,
                {Real(sprite), Real(0.0), Real(at.x + static_cast<float>(life * info.width)), Real(at.y)});
    }
}

BW_SELF_BUILTIN(ActionDrawHealth)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    const HealthBarColours colours = ActionHealthBar_Colours(Arg_Round(args[4]), Arg_Round(args[5]));
    constexpr int32_t kLeftToRight = 0;
    GR_DrawHealthbar(from.x, from.y, to.x, to.y, static_cast<float>(Game_Counters().health), colours.back,
                     colours.minimum, colours.middle, colours.maximum, kLeftToRight, colours.showBack, true);
}

BW_BUILTIN(ActionSetCaption)
{
    GameCounters& counters = Game_Counters();
    counters.showScore = args[0].real == 1.0;
    counters.captionScore = Arg_TextOrEmpty(args[1]);
    counters.showLives = args[2].real == 1.0;
    counters.captionLives = Arg_TextOrEmpty(args[3]);
    counters.showHealth = args[4].real == 1.0;
    counters.captionHealth = Arg_TextOrEmpty(args[5]);
    counters.captionChanged = true;
}

BW_SELF_BUILTIN(ActionHighscoreShow)
{
    const CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    constexpr int32_t kHalfBox = 100;
    const int32_t left = room->width / 2 - kHalfBox;
    const int32_t top = room->height / 2 - kHalfBox;
    Forward("draw_highscore", self, {Real(left), Real(top), Real(left + 2 * kHalfBox), Real(top + 2 * kHalfBox)});
}


// ---- drawing ----

BW_SELF_BUILTIN(ActionDrawSprite)
{
    const int32_t sprite = Arg_Round(args[0]);
    if (!Sprite_Exists(sprite)) {
        Code_Error_Runtime("Trying to draw a non-existing sprite.", false);
        return;
    }
    const Point at = Position(self, args[1], args[2]);
    const double subimage = Arg_Round(args[3]) < 0 && self != nullptr ? self->i_imageindex : args[3].real;
    Forward("draw_sprite", self, {args[0], Real(subimage), Real(at.x), Real(at.y)});
}

BW_SELF_BUILTIN(ActionDrawBackground)
{
    if (!Background_Exists(Arg_Round(args[0]))) {
        Code_Error_Runtime("Trying to draw a non-existing background.", false);
        return;
    }
    const Point at = Position(self, args[1], args[2]);
    Forward(Arg_Flag(args[3]) ? "draw_background_tiled" : "draw_background", self, {args[0], Real(at.x), Real(at.y)});
}

BW_SELF_BUILTIN(ActionDrawText)
{
    const Point at = Position(self, args[1], args[2]);
    Forward("draw_text", self, {Real(at.x), Real(at.y), args[0]});
}

BW_SELF_BUILTIN(ActionDrawTextTransformed)
{
    const Point at = Position(self, args[1], args[2]);
    Forward("draw_text_transformed", self, {Real(at.x), Real(at.y), args[0], args[3], args[4], args[5]});
}

// Whole reals as integers, others with two decimals in a fixed width.
std::string VariableText(const Value& value)
{
    if (!Arg_IsReal(value)) {
        return Arg_TextOrEmpty(value);
    }
    std::array<char, 64> buffer{};
    if (value.real == std::floor(value.real) && std::fabs(value.real) < 2147483648.0) {
        std::snprintf(buffer.data(), buffer.size(), "%d", static_cast<int32_t>(value.real));
    } else {
        std::snprintf(buffer.data(), buffer.size(), "%10.2f", value.real);
    }
    return buffer.data();
}

BW_SELF_BUILTIN(ActionDrawVariable)
{
    const Point at = Position(self, args[1], args[2]);
    Value text;
    Value_SetString(text, VariableText(args[0]).c_str());
    Forward("draw_text", self, {Real(at.x), Real(at.y), text});
    Value_Free(text);
}

// The two corners of a shape, relative to self when the flag is on.
template <const char* builtin>
BW_SELF_BUILTIN(ActionDrawShape)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward(builtin, self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y), Real(Arg_Flag(args[4]) ? 0.0 : 1.0)});
}
constexpr char kDrawRectangle[] = "draw_rectangle";
constexpr char kDrawEllipse[] = "draw_ellipse";

template <bool horizontal>
BW_SELF_BUILTIN(ActionDrawGradient)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    const Value& first = args[4];
    const Value& second = args[5];
    // Corners run top-left, top-right, bottom-right, bottom-left.
    Forward("draw_rectangle_color", self,
            {Real(from.x), Real(from.y), Real(to.x), Real(to.y), first, horizontal ? second : first, second,
             horizontal ? first : second, Real(0.0)});
}

BW_SELF_BUILTIN(ActionDrawEllipseGradient)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward("draw_ellipse_color", self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y), args[4], args[5], Real(0.0)});
}

BW_SELF_BUILTIN(ActionDrawLine)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward("draw_line", self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y)});
}

BW_SELF_BUILTIN(ActionDrawArrow)
{
    const Point from = Position(self, args[0], args[1]);
    const Point to = Position(self, args[2], args[3]);
    Forward("draw_arrow", self, {Real(from.x), Real(from.y), Real(to.x), Real(to.y), args[4]});
}

BW_SELF_BUILTIN(ActionFont)
{
    Forward("draw_set_font", self, {args[0]});
    Forward("draw_set_halign", self, {args[1]});
}

// ---- other ----

BW_SELF_BUILTIN(ActionMessage)
{
    if (Arg_IsReal(args[0])) {
        std::array<char, 64> buffer{};
        std::snprintf(buffer.data(), buffer.size(), "%e", args[0].real);
        Value text;
        Value_SetString(text, buffer.data());
        Forward("show_message", self, {text});
        Value_Free(text);
    } else {
        Forward("show_message", self, {args[0]});
    }
    IO_Clear();
    Value_SetReal(*result, 1.0);
}

BW_BUILTIN(ActionShowInfo)
{
    IO_Clear();
}

// Replacing needs the resource and the file; the new image or sound keeps
// the resource's other settings.
bool CanReplace(bool exists, const char* file)
{
    if (!exists) {
        Code_Error_Runtime("Trying to replace non-existing resource.", false);
        return false;
    }
    if (!FileExists(file)) {
        Code_Error_Runtime("File does not exist.", false);
        return false;
    }
    return true;
}

BW_BUILTIN(ActionReplaceSprite)
{
    const int32_t index = Arg_Round(args[0]);
    const char* file = Arg_TextOrEmpty(args[1]);
    const CSprite* sprite = Sprite_Get(index);
    if (CanReplace(sprite != nullptr, file)) {
        Sprite_Replace(index, file, Arg_Round(args[2]), sprite->precise, sprite->transparent, sprite->smooth,
                       sprite->preload, sprite->xorigin, sprite->yorigin);
    }
}

BW_BUILTIN(ActionReplaceSound)
{
    const int32_t index = Arg_Round(args[0]);
    const char* file = Arg_TextOrEmpty(args[1]);
    const CSound* sound = Sound_Get(index);
    if (CanReplace(sound != nullptr, file)) {
        Sound_Replace(index, file, sound->kind, sound->preload);
    }
}

BW_BUILTIN(ActionReplaceBackground)
{
    const int32_t index = Arg_Round(args[0]);
    const char* file = Arg_TextOrEmpty(args[1]);
    const CBackground* background = Background_Get(index);
    if (CanReplace(background != nullptr, file)) {
        Background_Replace(index, file, background->GetTransparent(), background->GetSmooth(),
                           background->GetPreload());
    }
}

BW_SELF_BUILTIN(ActionSound)
{
    const int32_t sound = Arg_Round(args[0]);
    if (Audio_System()) {
        const AudioSound* record = Audio_GetSound(sound);
        if (record != nullptr && record->streamed) {
            Audio_PlayMusic(sound, Arg_Flag(args[1]));
        } else {
            constexpr double kPriority = 1.0;
            Forward("audio_play_sound", self, {args[0], Real(kPriority), Real(Arg_Flag(args[1]) ? 1.0 : 0.0)});
        }
        return;
    }
    if (!Ask("sound_exists", self, {args[0]})) {
        Code_Error_Runtime("Trying to play non-existing sound.", false);
        return;
    }
    Forward(Arg_Flag(args[1]) ? "sound_loop" : "sound_play", self, {args[0]});
}

BW_SELF_BUILTIN(ActionEndSound)
{
    const int32_t sound = Arg_Round(args[0]);
    if (Audio_System()) {
        const AudioSound* record = Audio_GetSound(sound);
        if (record != nullptr && record->streamed) {
            Forward("audio_stop_music", self, {});
        } else {
            Forward("audio_stop_sound", self, {args[0]});
        }
        return;
    }
    if (!Ask("sound_exists", self, {args[0]})) {
        Code_Error_Runtime("Trying to stop non-existing sound.", false);
        return;
    }
    Forward("sound_stop", self, {args[0]});
}

BW_BUILTIN(ActionSetCursor)
{
    Game_Counters().cursorSprite = Arg_Round(args[0]);
    constexpr int32_t kSystemCursor = 0;
    constexpr int32_t kNoCursor = -1;
    Window_SetCursor(Arg_Flag(args[1]) ? kSystemCursor : kNoCursor);
}

BW_BUILTIN(ActionWebpage)
{
    if (!ExecuteShell(Arg_TextOrEmpty(args[0]), "", Game_Info().workingDirectory.c_str())) {
        Code_Error_Runtime("Failed to open the webpage.", false);
    }
}

BW_BUILTIN(ActionFullscreen)
{
    const int32_t mode = Arg_Round(args[0]);
    Window_SetFullscreen(mode == 1 || mode == 2 ? mode == 2 : !Window_GetFullscreen());
}

BW_SELF_BUILTIN(ActionEffect)
{
    const Point at = Position(self, args[1], args[2]);
    Effect_Create(!Arg_Flag(args[5]), Arg_Round(args[0]), at.x, at.y, Arg_Round(args[3]),
                  static_cast<uint32_t>(Arg_Round(args[4])));
}


BW_BUILTIN(ActionCdPlay)
{
    CD_Play(Arg_Round(args[0]), Arg_Round(args[1]));
}

template <void (*command)()>
BW_BUILTIN(ActionRun)
{
    command();
}

template <bool (*question)()>
BW_BUILTIN(ActionAskBool)
{
    Result_SetBool(result, question());
}

// ---- the action particle system ----

constexpr int32_t kParticleSlots = 16;
struct ActionParticles {
    int32_t system = -1;
    std::array<int32_t, kParticleSlots> types = MakeUnset();
    std::array<int32_t, kParticleSlots> emitters = MakeUnset();

    static constexpr std::array<int32_t, kParticleSlots> MakeUnset()
    {
        std::array<int32_t, kParticleSlots> slots{};
        slots.fill(-1);
        return slots;
    }
};
ActionParticles g_particles;

int32_t ParticleSystem()
{
    if (!ParticleSystem_Exists(g_particles.system)) {
        g_particles.system = ParticleSystem_Create();
    }
    return g_particles.system;
}

bool ValidSlot(int32_t slot)
{
    return slot >= 0 && slot < kParticleSlots;
}

// The slot's type id, made when the slot has none; -1 for a bad slot.
int32_t TypeInSlot(const Value& slotValue)
{
    const int32_t slot = Arg_Round(slotValue);
    if (!ValidSlot(slot)) {
        return -1;
    }
    int32_t& type = g_particles.types[static_cast<size_t>(slot)];
    ParticleSystem();
    if (!ParticleType_Exists(type)) {
        type = ParticleType_Create();
    }
    return type;
}

// The type id a slot holds now, without making one.
int32_t TypeIdOfSlot(const Value& slotValue)
{
    const int32_t slot = Arg_Round(slotValue);
    return ValidSlot(slot) ? g_particles.types[static_cast<size_t>(slot)] : -1;
}

BW_BUILTIN(ActionPartsystCreate)
{
    const int32_t system = ParticleSystem();
    ParticleSystem_Clear(system);
    ParticleSystem_SetDepth(system, Arg_Single(args[0]));
    g_particles.types = ActionParticles::MakeUnset();
    g_particles.emitters = ActionParticles::MakeUnset();
}

BW_BUILTIN(ActionPartsystDestroy)
{
    ParticleSystem_Destroy(ParticleSystem());
}

BW_BUILTIN(ActionPartsystClear)
{
    ParticleSystem_ClearParticles(ParticleSystem());
}

BW_BUILTIN(ActionParttypeCreate)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    ParticleType_SetShape(type, Arg_Round(args[1]));
    ParticleType_SetSprite(type, Arg_Round(args[2]), true, false, false);
    ParticleType_SetSize(type, Arg_Single(args[3]), Arg_Single(args[4]), Arg_Single(args[5]), 0.0f);
}

BW_BUILTIN(ActionParttypeCreateOld)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    ParticleType_SetShape(type, Arg_Round(args[1]));
    ParticleType_SetSize(type, Arg_Single(args[2]), Arg_Single(args[3]), 0.0f, 0.0f);
    ParticleType_SetColour2(type, Arg_Round(args[4]), Arg_Round(args[5]));
}

BW_BUILTIN(ActionParttypeColor)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    constexpr int32_t kChanging = 0;
    if (Arg_Round(args[1]) == kChanging) {
        ParticleType_SetColour2(type, Arg_Round(args[2]), Arg_Round(args[3]));
    } else {
        ParticleType_SetColourMix(type, Arg_Round(args[2]), Arg_Round(args[3]));
    }
    ParticleType_SetAlpha2(type, Arg_Single(args[4]), Arg_Single(args[5]));
}

BW_BUILTIN(ActionParttypeLife)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type >= 0) {
        ParticleType_SetLife(type, Arg_Round(args[1]), Arg_Round(args[2]));
    }
}

BW_BUILTIN(ActionParttypeSpeed)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    // Friction slows every particle down a little each step.
    ParticleType_SetSpeed(type, Arg_Single(args[1]), Arg_Single(args[2]), -Arg_Single(args[5]), 0.0f);
    ParticleType_SetDirection(type, Arg_Single(args[3]), Arg_Single(args[4]), 0.0f, 0.0f);
}

BW_BUILTIN(ActionParttypeGravity)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type >= 0) {
        ParticleType_SetGravity(type, Arg_Single(args[1]), Arg_Single(args[2]));
    }
}

BW_BUILTIN(ActionParttypeSecondary)
{
    const int32_t type = TypeInSlot(args[0]);
    if (type < 0) {
        return;
    }
    ParticleType_SetStep(type, Arg_Round(args[2]), TypeIdOfSlot(args[1]));
    ParticleType_SetDeath(type, Arg_Round(args[4]), TypeIdOfSlot(args[3]));
}

BW_BUILTIN(ActionPartemitCreate)
{
    const int32_t slot = Arg_Round(args[0]);
    if (!ValidSlot(slot)) {
        return;
    }
    const int32_t system = ParticleSystem();
    int32_t& emitter = g_particles.emitters[static_cast<size_t>(slot)];
    if (ParticleEmitter_Get(system, emitter) == nullptr) {
        emitter = ParticleRegion_Create(ParticleRegionKind::Emitter, system);
    }
    constexpr int32_t kLinearDistribution = 0;
    ParticleEmitter_SetRegion(system, emitter, Arg_Single(args[2]), Arg_Single(args[3]), Arg_Single(args[4]),
                              Arg_Single(args[5]), Arg_Round(args[1]), kLinearDistribution);
}

BW_BUILTIN(ActionPartemitDestroy)
{
    const int32_t slot = Arg_Round(args[0]);
    if (ValidSlot(slot)) {
        ParticleRegion_Destroy(ParticleRegionKind::Emitter, ParticleSystem(), g_particles.emitters[static_cast<size_t>(slot)]);
    }
}

template <void (*emit)(int32_t, int32_t, int32_t, int32_t)>
BW_BUILTIN(ActionPartemitEmit)
{
    const int32_t slot = Arg_Round(args[0]);
    const int32_t system = ParticleSystem();
    if (!ValidSlot(slot) || ParticleEmitter_Get(system, g_particles.emitters[static_cast<size_t>(slot)]) == nullptr) {
        Code_Error_Runtime("The particle emitter must first be created.", false);
        return;
    }
    emit(system, g_particles.emitters[static_cast<size_t>(slot)], TypeIdOfSlot(args[1]), Arg_Round(args[2]));
}

// Actions of old editors that no longer do anything.
BW_BUILTIN(ActionNothing) {}

}  // namespace

HealthBarColours ActionHealthBar_Colours(int32_t backIndex, int32_t barIndex)
{
    // Black to aqua in the order the editor lists them.
    static constexpr std::array<uint32_t, 16> kNamed = {
        0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000080, 0x008000, 0x008080, 0x800000,
        0x800080, 0x808000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00,
    };
    constexpr uint32_t kBlack = 0x000000, kGray = 0x808080, kWhite = 0xFFFFFF;
    constexpr uint32_t kRed = 0x0000FF, kYellow = 0x00FFFF, kGreen = 0x00FF00;
    HealthBarColours colours;
    if (backIndex >= 1 && backIndex <= static_cast<int32_t>(kNamed.size())) {
        colours.showBack = true;
        colours.back = kNamed[static_cast<size_t>(backIndex - 1)];
    }
    if (barIndex == 1) {
        colours.minimum = kBlack;
        colours.middle = kGray;
        colours.maximum = kWhite;
    } else if (barIndex >= 2 && barIndex < 2 + static_cast<int32_t>(kNamed.size())) {
        const uint32_t single = kNamed[static_cast<size_t>(barIndex - 2)];
        colours.minimum = colours.middle = colours.maximum = single;
    } else {
        colours.minimum = kRed;
        colours.middle = kYellow;
        colours.maximum = kGreen;
    }
    return colours;
}

void Function_Action_Register()
{
    static const BuiltinRegistration kTable[] = {
        // movement
        {"action_set_relative", &ActionSetRelative, 1},
        {"action_move", &ActionMove, 2},
        {"action_set_motion", &ActionSetMotion, 2},
        {"action_set_hspeed", &ActionSetHSpeed, 1},
        {"action_set_vspeed", &ActionSetVSpeed, 1},
        {"action_set_gravity", &ActionSetGravity, 2},
        {"action_set_friction", &ActionSetFriction, 1},
        {"action_move_point", &ActionMovePoint, 3},
        {"action_move_to", &ActionMoveTo, 2},
        {"action_move_start", &ActionMoveStart, 0},
        {"action_move_random", &ActionAs<kMoveRandom>, 2},
        {"action_snap", &ActionSnap, 2},
        {"action_wrap", &ActionWrap, 1},
        {"action_reverse_xdir", &ActionReverseXDir, 0},
        {"action_reverse_ydir", &ActionReverseYDir, 0},
        {"action_move_contact", &ActionMoveContact, 3},
        {"action_bounce", &ActionBounce, 2},
        {"action_path", &ActionPath, 4},
        {"action_path_end", &ActionPathEnd, 0},
        {"action_path_position", &ActionPathPosition, 1},
        {"action_path_speed", &ActionPathSpeed, 1},
        {"action_linear_step", &ActionStep<&MP_LinearStep>, 4},
        {"action_potential_step", &ActionStep<&MP_PotentialStep>, 4},
        // instances
        {"action_create_object", &ActionCreateObject, 3},
        {"action_create_object_motion", &ActionCreateObjectMotion, 5},
        {"action_create_object_random", &ActionCreateObjectRandom, 6},
        {"action_change_object", &ActionChangeObject, 2},
        {"action_kill_object", &ActionKillObject, 0},
        {"action_kill_position", &ActionKillPosition, 2},
        {"action_sprite_set", &ActionSpriteSet, 3},
        {"action_sprite_transform", &ActionSpriteTransform, 4},
        {"action_sprite_color", &ActionSpriteColor, 2},
        {"action_set_sprite", &ActionSetSprite, 2},
        // flow, rooms, timing
        {"action_another_room", &ActionAnotherRoom, 2},
        {"action_previous_room", &ActionPreviousRoom, 1},
        {"action_next_room", &ActionNextRoom, 1},
        {"action_current_room", &ActionCurrentRoom, 1},
        {"action_if_previous_room", &ActionIfPreviousRoom, 0},
        {"action_if_next_room", &ActionIfNextRoom, 0},
        {"action_set_alarm", &ActionSetAlarm, 2},
        {"action_sleep", &ActionSleep, 2},
        {"action_set_timeline", &ActionSetTimeline, 2},
        {"action_set_timeline_position", &ActionSetTimelinePosition, 1},
        {"action_set_timeline_speed", &ActionSetTimelineSpeed, 1},
        {"action_timeline_set", &ActionTimelineSet, 4},
        {"action_timeline_start", &ActionTimelineRun<1>, 0},
        {"action_timeline_pause", &ActionTimelineRun<0>, 0},
        {"action_timeline_stop", &ActionTimelineStop, 0},
        {"action_end_game", &ActionRun<&Game_End>, 0},
        {"action_restart_game", &ActionRun<&Game_Restart>, 0},
        {"action_save_game", &ActionAs<kGameSave>, 1},
        {"action_load_game", &ActionAs<kGameLoad>, 1},
        {"action_execute_script", &ActionExecuteScript, 6},
        {"action_inherited", &ActionAs<kEventInherited>, 0},
        // questions and tests
        {"action_if", &ActionIf, 1},
        {"action_if_empty", &ActionIfEmpty, 3},
        {"action_if_collision", &ActionIfCollision, 3},
        {"action_if_object", &ActionIfObject, 3},
        {"action_if_number", &ActionIfNumber, 3},
        {"action_if_variable", &ActionIfVariable, 3},
        {"action_if_score", &ActionIfScore, 2},
        {"action_if_life", &ActionIfLife, 2},
        {"action_if_health", &ActionIfHealth, 2},
        {"action_if_dice", &ActionIfDice, 1},
        {"action_if_question", &ActionIfQuestion, 1},
        {"action_if_mouse", &ActionIfMouse, 1},
        {"action_if_aligned", &ActionAs<kPlaceSnapped>, 2},
        {"action_if_sound", &ActionIfSound, 1},
        // score, lives, health, caption
        {"action_set_score", &ActionSetScore, 1},
        {"action_set_life", &ActionSetLife, 1},
        {"action_set_health", &ActionSetHealth, 1},
        {"action_draw_score", &ActionDrawScore, 3},
        {"action_draw_life", &ActionDrawLife, 3},
        {"action_draw_life_images", &ActionDrawLifeImages, 3},
        {"action_draw_health", &ActionDrawHealth, 6},
        {"action_set_caption", &ActionSetCaption, 6},
        {"action_highscore_show", &ActionHighscoreShow, 11},
        {"action_highscore_clear", &ActionRun<&HighScore_Clear>, 0},
        // drawing
        {"action_draw_sprite", &ActionDrawSprite, 4},
        {"action_draw_background", &ActionDrawBackground, 4},
        {"action_draw_text", &ActionDrawText, 3},
        {"action_draw_text_transformed", &ActionDrawTextTransformed, 6},
        {"action_draw_variable", &ActionDrawVariable, 3},
        {"action_draw_rectangle", &ActionDrawShape<kDrawRectangle>, 5},
        {"action_draw_ellipse", &ActionDrawShape<kDrawEllipse>, 5},
        {"action_draw_gradient_hor", &ActionDrawGradient<true>, 6},
        {"action_draw_gradient_vert", &ActionDrawGradient<false>, 6},
        {"action_draw_ellipse_gradient", &ActionDrawEllipseGradient, 6},
        {"action_draw_line", &ActionDrawLine, 4},
        {"action_draw_arrow", &ActionDrawArrow, 5},
        {"action_color", &ActionAs<kDrawSetColor>, 1},
        {"action_font", &ActionFont, 2},
        // other
        {"action_message", &ActionMessage, 1},
        {"action_show_info", &ActionShowInfo, 0},
        {"action_show_video", &ActionAs<kShowVideo>, 3},
        {"action_replace_sprite", &ActionReplaceSprite, 3},
        {"action_replace_sound", &ActionReplaceSound, 2},
        {"action_replace_background", &ActionReplaceBackground, 2},
        {"action_sound", &ActionSound, 2},
        {"action_end_sound", &ActionEndSound, 1},
        {"action_cd_play", &ActionCdPlay, 2},
        {"action_cd_stop", &ActionRun<&CD_Stop>, 0},
        {"action_cd_pause", &ActionRun<&CD_Pause>, 0},
        {"action_cd_resume", &ActionRun<&CD_Resume>, 0},
        {"action_cd_present", &ActionAskBool<&CD_Present>, 0},
        {"action_cd_playing", &ActionAskBool<&CD_Playing>, 0},
        {"action_set_cursor", &ActionSetCursor, 2},
        {"action_webpage", &ActionWebpage, 1},
        {"action_fullscreen", &ActionFullscreen, 1},
        {"action_snapshot", &ActionAs<kScreenSave>, 1},
        {"action_effect", &ActionEffect, 6},
        {"action_partsyst_create", &ActionPartsystCreate, 1},
        {"action_partsyst_destroy", &ActionPartsystDestroy, 0},
        {"action_partsyst_clear", &ActionPartsystClear, 0},
        {"action_parttype_create", &ActionParttypeCreate, 6},
        {"action_parttype_create_old", &ActionParttypeCreateOld, 6},
        {"action_parttype_color", &ActionParttypeColor, 6},
        {"action_parttype_life", &ActionParttypeLife, 3},
        {"action_parttype_speed", &ActionParttypeSpeed, 6},
        {"action_parttype_gravity", &ActionParttypeGravity, 3},
        {"action_parttype_secondary", &ActionParttypeSecondary, 5},
        {"action_partemit_create", &ActionPartemitCreate, 6},
        {"action_partemit_destroy", &ActionPartemitDestroy, 1},
        {"action_partemit_burst", &ActionPartemitEmit<&ParticleEmitter_Burst>, 3},
        {"action_partemit_stream", &ActionPartemitEmit<&ParticleEmitter_Stream>, 3},
        {"action_path_old", &ActionNothing, 3},
        {"action_draw_font", &ActionNothing, 1},
        {"action_draw_font_old", &ActionNothing, 6},
        {"action_fill_color", &ActionNothing, 1},
        {"action_line_color", &ActionNothing, 1},
        {"action_highscore", &ActionNothing, 0},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
