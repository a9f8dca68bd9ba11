// The built-in variables of the game as a whole: script arguments, the room
// and its backgrounds and views, counters and captions, input, time and the
// event being run. Array-indexed room variables address background or view
// 0..7 and argument 0..15; any other index selects element 0.
#include <algorithm>
#include <ctime>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/strings.h"
#include "platform/timer.h"
#include "script/error_report.h"
#include "world/builtin_variables.h"
#include "world/game_state.h"
#include "world/input.h"
#include "world/instance.h"
#include "world/resource_lookups.h"
#include "world/room.h"

namespace bw {

namespace {

constexpr int32_t kNoone = -4;

// ---- conversions shared by the templates ----

void Assign(uint8_t& field, const Value* in)
{
    field = BuiltinArg_Flag(in) ? 1 : 0;
}
void Assign(int32_t& field, const Value* in)
{
    field = BuiltinArg_Int(in);
}
void Assign(uint32_t& field, const Value* in)
{
    field = static_cast<uint32_t>(BuiltinArg_Int(in));
}
void Assign(float& field, const Value* in)
{
    field = BuiltinArg_Float(in);
}

bool ReadReal(Value* out, double real)
{
    Value_SetReal(*out, real);
    return true;
}

bool ReadText(Value* out, const std::string& text)
{
    Value_SetString(*out, text.c_str());
    return true;
}

// ---- script arguments ----

bool GV_ArgumentRelative(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Event_Current().argumentRelative ? 1.0 : 0.0);
}

Value& ArgumentAt(int32_t index)
{
    return Script_Arguments().values[static_cast<size_t>(BuiltinArg_Element(index, kScriptArgumentSlots))];
}

bool GV_Argument(CInstance*, int32_t index, Value* out)
{
    Value_Copy(*out, ArgumentAt(index));
    return true;
}

bool SV_Argument(CInstance*, int32_t index, const Value* in)
{
    Value_Copy(ArgumentAt(index), *in);
    return true;
}

template <int32_t slot>
bool GV_ArgumentN(CInstance*, int32_t arrayIndex, Value* out)
{
    return Value_ArrayGet(*out, Script_Arguments().values[slot], arrayIndex);
}

template <int32_t slot>
bool SV_ArgumentN(CInstance*, int32_t arrayIndex, const Value* in)
{
    Value_ArraySet(Script_Arguments().values[slot], *in, arrayIndex);
    return true;
}

bool GV_ArgumentCount(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Script_Arguments().count);
}

bool GV_DebugMode(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Game_Info().debugMode ? 1.0 : 0.0);
}

// ---- rooms ----

bool GV_Room(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Room_CurrentIndex());
}

bool SV_Room(CInstance*, int32_t, const Value* in)
{
    NewRoomRequest = BuiltinArg_Int(in);
    return true;
}

bool GV_RoomFirst(CInstance*, int32_t, Value* out)
{
    const std::vector<int32_t>& order = Room_Order();
    return ReadReal(out, order.empty() ? -1 : order.front());
}

bool GV_RoomLast(CInstance*, int32_t, Value* out)
{
    const std::vector<int32_t>& order = Room_Order();
    return ReadReal(out, order.empty() ? -1 : order.back());
}

// Whole-room fields: without a room there is nothing to read or write.
template <typename Field, Field CRoom::*member>
bool GV_RoomField(CInstance*, int32_t, Value* out)
{
    const CRoom* room = Room_Current();
    return room != nullptr && ReadReal(out, static_cast<double>(room->*member));
}

template <typename Field, Field CRoom::*member>
bool SV_RoomField(CInstance*, int32_t, const Value* in)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return false;
    }
    Assign(room->*member, in);
    return true;
}

bool GV_RoomCaption(CInstance*, int32_t, Value* out)
{
    const CRoom* room = Room_Current();
    return room != nullptr && ReadText(out, room->caption);
}

bool SV_RoomCaption(CInstance*, int32_t, const Value* in)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return false;
    }
    room->SetCaption(BuiltinArg_Text(in));
    return true;
}

bool SV_RoomSpeed(CInstance*, int32_t, const Value* in)
{
    CRoom* room = Room_Current();
    const int32_t speed = BuiltinArg_Int(in);
    if (speed <= 0) {
        Code_Error_Runtime("Trying to set the room speed to a value <= 0.", false);
        return false;
    }
    if (room == nullptr) {
        return false;
    }
    room->speed = speed;
    return true;
}

template <typename Element>
Element* RoomElement(int32_t index);

template <>
RoomBackground* RoomElement<RoomBackground>(int32_t index)
{
    CRoom* room = Room_Current();
    return room != nullptr
               ? &room->backgrounds[static_cast<size_t>(BuiltinArg_Element(index, kRoomBackgroundCount))]
               : nullptr;
}

template <>
RoomView* RoomElement<RoomView>(int32_t index)
{
    CRoom* room = Room_Current();
    return room != nullptr ? &room->views[static_cast<size_t>(BuiltinArg_Element(index, kRoomViewCount))]
                           : nullptr;
}

template <typename Element, typename Field, Field Element::*member>
bool GV_RoomElement(CInstance*, int32_t index, Value* out)
{
    const Element* element = RoomElement<Element>(index);
    return ReadReal(out, element != nullptr ? static_cast<double>(element->*member) : 0.0);
}

template <typename Element, typename Field, Field Element::*member>
bool SV_RoomElement(CInstance*, int32_t index, const Value* in)
{
    if (Element* element = RoomElement<Element>(index)) {
        Assign(element->*member, in);
    }
    return true;
}

// background_width and background_height: of the background resource the
// layer shows, 0 when it does not exist.
template <bool height>
bool GV_BackgroundSize(CInstance*, int32_t index, Value* out)
{
    const RoomBackground* layer = RoomElement<RoomBackground>(index);
    int32_t size[2] = {0, 0};
    if (layer == nullptr || !Background_GetSize(layer->index, &size[0], &size[1])) {
        return ReadReal(out, 0.0);
    }
    return ReadReal(out, size[height ? 1 : 0]);
}

bool GV_ViewCurrent(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Display_State().viewCurrent);
}

bool GV_InstanceCount(CInstance*, int32_t, Value* out)
{
    const CRoom* room = Room_Current();
    return ReadReal(out, room != nullptr ? room->activeInstances.Count() : 0);
}

bool GV_InstanceId(CInstance*, int32_t index, Value* out)
{
    const CRoom* room = Room_Current();
    const CInstance* instance = room != nullptr && index >= 0 ? room->activeInstances.First() : nullptr;
    for (int32_t at = 0; instance != nullptr && at < index; ++at) {
        instance = instance->i_next;
    }
    return ReadReal(out, instance != nullptr ? instance->i_id : kNoone);
}

// ---- transitions ----

bool GV_TransitionKind(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Display_State().transitionKind);
}

// Room changes start no transitions: the kind is taken, warned about and
// put back to 0.
bool SV_TransitionKind(CInstance*, int32_t, const Value* in)
{
    Display_State().transitionKind = BuiltinArg_Int(in);
    Console().Printf("BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
                     "SV_TransitionKind() .\n");
    Display_State().transitionKind = 0;
    return true;
}

bool GV_TransitionSteps(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Display_State().transitionSteps);
}

bool SV_TransitionSteps(CInstance*, int32_t, const Value* in)
{
    Display_State().transitionSteps = std::max(1, BuiltinArg_Int(in));
    return true;
}

// ---- counters and captions ----

bool GV_Score(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Game_Counters().score);
}

bool SV_Score(CInstance*, int32_t, const Value* in)
{
    Game_Counters().score = BuiltinArg_Int(in);
    return true;
}

void PerformEventAll(int32_t type, int32_t number)
{
    if (GameState_Hooks().performEventAll != nullptr) {
        GameState_Hooks().performEventAll(type, number);
    }
}

constexpr int32_t kEventOther = 7;
constexpr int32_t kEventNoMoreLives = 6;
constexpr int32_t kEventNoMoreHealth = 9;

}  // namespace

void Game_SetLives(int32_t lives)
{
    GameCounters& counters = Game_Counters();
    const int32_t before = counters.lives;
    counters.lives = lives;
    if (before >= 1 && counters.lives <= 0) {
        PerformEventAll(kEventOther, kEventNoMoreLives);
    }
}

void Game_SetHealth(double health)
{
    GameCounters& counters = Game_Counters();
    const double before = counters.health;
    counters.health = health;
    if (before > 0.0 && counters.health <= 0.0) {
        PerformEventAll(kEventOther, kEventNoMoreHealth);
    }
}

namespace {

bool GV_Lives(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Game_Counters().lives);
}

bool SV_Lives(CInstance*, int32_t, const Value* in)
{
    Game_SetLives(BuiltinArg_Int(in));
    return true;
}

bool GV_Health(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Game_Counters().health);
}

bool SV_Health(CInstance*, int32_t, const Value* in)
{
    Game_SetHealth(BuiltinArg_Real(in));
    return true;
}

template <bool GameCounters::*member>
bool GV_CounterFlag(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Game_Counters().*member ? 1.0 : 0.0);
}

template <bool GameCounters::*member>
bool SV_CounterFlag(CInstance*, int32_t, const Value* in)
{
    Game_Counters().*member = BuiltinArg_Flag(in);
    return true;
}

bool SV_ShowScore(CInstance* self, int32_t index, const Value* in)
{
    Game_Counters().captionChanged = true;
    return SV_CounterFlag<&GameCounters::showScore>(self, index, in);
}

template <std::string GameCounters::*member>
bool GV_Caption(CInstance*, int32_t, Value* out)
{
    return ReadText(out, Game_Counters().*member);
}

template <std::string GameCounters::*member>
bool SV_Caption(CInstance*, int32_t, const Value* in)
{
    Game_Counters().*member = BuiltinArg_Text(in);
    return true;
}

bool GV_CursorSprite(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Game_Counters().cursorSprite);
}

bool SV_CursorSprite(CInstance*, int32_t, const Value* in)
{
    Game_Counters().cursorSprite = BuiltinArg_Int(in);
    return true;
}

// ---- the game and its folders ----

bool GV_GameId(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Game_Info().gameId);
}

bool GV_GameGuid(CInstance*, int32_t, Value* out)
{
    Value_SetString(*out, nullptr);
    return true;
}

// The program area is the package's folder, so the game's working folder
// and its program folder are the same one.
bool GV_PackageFolder(CInstance*, int32_t, Value* out)
{
    return ReadText(out, Files_PackageFolder());
}

bool GV_TempDirectory(CInstance*, int32_t, Value* out)
{
    char* folder = TempDirectory_Get();
    Value_SetString(*out, folder != nullptr ? folder : "");
    MemoryManager_Free(folder);
    return true;
}

// ---- input ----

// Device 0's mouse in room coordinates.
template <int32_t (*Position)(int32_t device)>
bool GV_Mouse(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Position(0));
}

template <int32_t (*Get)()>
bool GV_InputCode(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Get());
}

template <void (*Set)(int32_t)>
bool SV_InputCode(CInstance*, int32_t, const Value* in)
{
    Set(BuiltinArg_Int(in));
    return true;
}

template <int32_t (*Get)(int32_t device)>
bool GV_MouseCode(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Get(0));
}

template <void (*Set)(int32_t button, int32_t device)>
bool SV_MouseCode(CInstance*, int32_t, const Value* in)
{
    Set(BuiltinArg_Int(in), 0);
    return true;
}

bool GV_KeyboardLastchar(CInstance*, int32_t, Value* out)
{
    const char16_t last = IO_GetLastChar();
    return ReadText(out, String_FromWide(std::u16string_view(&last, last != 0 ? 1 : 0)));
}

bool SV_KeyboardLastchar(CInstance*, int32_t, const Value* in)
{
    const std::u16string text = String_ToWide(BuiltinArg_Text(in));
    if (!text.empty()) {
        IO_SetLastChar(text.front());
    }
    return true;
}

bool GV_KeyboardString(CInstance*, int32_t, Value* out)
{
    return ReadText(out, String_FromWide(IO_GetKeyboardString()));
}

bool SV_KeyboardString(CInstance*, int32_t, const Value* in)
{
    IO_SetKeyboardString(BuiltinArg_Text(in));
    return true;
}

// ---- time ----

bool GV_Fps(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Display_State().fps);
}

bool GV_CurrentTime(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, static_cast<double>(Timer_GetTime() / 1000));
}

// The calendar now, in UTC: no time zone is applied.
template <int std::tm::*member, int offset>
bool GV_Calendar(CInstance*, int32_t, Value* out)
{
    const std::time_t now = std::time(nullptr);
    std::tm broken{};
    gmtime_r(&now, &broken);
    return ReadReal(out, broken.*member + offset);
}

// ---- the running event and errors ----

template <int32_t CurrentEvent::*member>
bool GV_Event(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Event_Current().*member);
}

bool GV_SecureMode(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, 0.0);
}

bool GV_ErrorOccurred(CInstance*, int32_t, Value* out)
{
    return ReadReal(out, Code_Error_Occurred() ? 1.0 : 0.0);
}

// Not rounded: 0.5 counts as set.
bool SV_ErrorOccurred(CInstance*, int32_t, const Value* in)
{
    Code_Error_SetOccurred(BuiltinArg_Real(in) >= 0.5);
    return true;
}

bool GV_ErrorLast(CInstance*, int32_t, Value* out)
{
    const char* last = Code_Error_LastText();
    return ReadText(out, last != nullptr ? last : "");
}

bool SV_ErrorLast(CInstance*, int32_t, const Value* in)
{
    Code_Error_SetLastText(BuiltinArg_Text(in));
    return true;
}

#define BW_ARGUMENT(n) {"argument" #n, &GV_ArgumentN<n>, &SV_ArgumentN<n>, true}
#define BW_ROOM(type, field) &GV_RoomField<type, &CRoom::field>, &SV_RoomField<type, &CRoom::field>
#define BW_LAYER(type, field)                                                                                    \
    &GV_RoomElement<RoomBackground, type, &RoomBackground::field>,                                               \
        &SV_RoomElement<RoomBackground, type, &RoomBackground::field>
#define BW_VIEW(type, field) &GV_RoomElement<RoomView, type, &RoomView::field>, &SV_RoomElement<RoomView, type, &RoomView::field>

// The order is the ids: never reorder, only append.
const BuiltinVariableRegistration kGlobalVariables[] = {
    {"argument_relative", &GV_ArgumentRelative, nullptr, false},
    {"argument", &GV_Argument, &SV_Argument, true},
    BW_ARGUMENT(0), BW_ARGUMENT(1), BW_ARGUMENT(2), BW_ARGUMENT(3),
    BW_ARGUMENT(4), BW_ARGUMENT(5), BW_ARGUMENT(6), BW_ARGUMENT(7),
    BW_ARGUMENT(8), BW_ARGUMENT(9), BW_ARGUMENT(10), BW_ARGUMENT(11),
    BW_ARGUMENT(12), BW_ARGUMENT(13), BW_ARGUMENT(14), BW_ARGUMENT(15),
    {"argument_count", &GV_ArgumentCount, nullptr, true},
    {"debug_mode", &GV_DebugMode, nullptr, true},
    {"room", &GV_Room, &SV_Room, true},
    {"room_first", &GV_RoomFirst, nullptr, false},
    {"room_last", &GV_RoomLast, nullptr, false},
    {"transition_kind", &GV_TransitionKind, &SV_TransitionKind, true},
    {"transition_steps", &GV_TransitionSteps, &SV_TransitionSteps, true},
    {"score", &GV_Score, &SV_Score, true},
    {"lives", &GV_Lives, &SV_Lives, true},
    {"health", &GV_Health, &SV_Health, true},
    {"game_id", &GV_GameId, nullptr, false},
    {"game_guid", &GV_GameGuid, nullptr, false},
    {"working_directory", &GV_PackageFolder, nullptr, false},
    {"temp_directory", &GV_TempDirectory, nullptr, false},
    {"program_directory", &GV_PackageFolder, nullptr, false},
    {"instance_count", &GV_InstanceCount, nullptr, false},
    {"instance_id", &GV_InstanceId, nullptr, false},
    {"room_width", &GV_RoomField<int32_t, &CRoom::width>, nullptr, false},
    {"room_height", &GV_RoomField<int32_t, &CRoom::height>, nullptr, false},
    {"room_caption", &GV_RoomCaption, &SV_RoomCaption, true},
    {"room_speed", &GV_RoomField<int32_t, &CRoom::speed>, &SV_RoomSpeed, true},
    {"room_persistent", BW_ROOM(uint8_t, persistent), true},
    {"background_showcolor", BW_ROOM(uint8_t, showColour), true},
    {"view_enabled", BW_ROOM(uint8_t, viewsEnabled), true},
    {"background_color", BW_ROOM(uint32_t, colour), true},
    {"background_visible", BW_LAYER(uint8_t, visible), true},
    {"background_foreground", BW_LAYER(uint8_t, foreground), true},
    {"background_htiled", BW_LAYER(uint8_t, htiled), true},
    {"background_vtiled", BW_LAYER(uint8_t, vtiled), true},
    {"background_index", BW_LAYER(int32_t, index), true},
    {"background_x", BW_LAYER(float, x), true},
    {"background_y", BW_LAYER(float, y), true},
    {"background_xscale", BW_LAYER(float, xscale), true},
    {"background_yscale", BW_LAYER(float, yscale), true},
    {"background_hspeed", BW_LAYER(float, hspeed), true},
    {"background_vspeed", BW_LAYER(float, vspeed), true},
    {"background_alpha", BW_LAYER(float, alpha), true},
    {"background_width", &GV_BackgroundSize<false>, nullptr, false},
    {"background_height", &GV_BackgroundSize<true>, nullptr, false},
    {"background_blend", BW_LAYER(uint32_t, blend), true},
    {"view_current", &GV_ViewCurrent, nullptr, false},
    {"view_visible", BW_VIEW(uint8_t, visible), true},
    {"view_xview", BW_VIEW(int32_t, xview), true},
    {"view_yview", BW_VIEW(int32_t, yview), true},
    {"view_wview", BW_VIEW(int32_t, wview), true},
    {"view_hview", BW_VIEW(int32_t, hview), true},
    {"view_xport", BW_VIEW(int32_t, xport), true},
    {"view_yport", BW_VIEW(int32_t, yport), true},
    {"view_wport", BW_VIEW(int32_t, wport), true},
    {"view_hport", BW_VIEW(int32_t, hport), true},
    {"view_hborder", BW_VIEW(int32_t, hborder), true},
    {"view_vborder", BW_VIEW(int32_t, vborder), true},
    {"view_hspeed", BW_VIEW(int32_t, hspeed), true},
    {"view_vspeed", BW_VIEW(int32_t, vspeed), true},
    {"view_object", BW_VIEW(int32_t, object), true},
    {"view_angle", BW_VIEW(float, angle), true},
    {"view_surface_id", BW_VIEW(int32_t, surfaceId), true},
    {"mouse_x", &GV_Mouse<&IO_MouseX>, nullptr, false},
    {"mouse_y", &GV_Mouse<&IO_MouseY>, nullptr, false},
    {"mouse_button", &GV_MouseCode<&IO_MouseButton>, &SV_MouseCode<&IO_SetMouseButton>, true},
    {"mouse_lastbutton", &GV_MouseCode<&IO_GetMouseLastButton>, &SV_MouseCode<&IO_SetMouseLastButton>,
     true},
    {"keyboard_key", &GV_InputCode<&IO_GetKey>, &SV_InputCode<&IO_SetKey>, true},
    {"keyboard_lastkey", &GV_InputCode<&IO_GetLastKey>, &SV_InputCode<&IO_SetLastKey>,
     true},
    {"keyboard_lastchar", &GV_KeyboardLastchar, &SV_KeyboardLastchar, true},
    {"keyboard_string", &GV_KeyboardString, &SV_KeyboardString, true},
    {"cursor_sprite", &GV_CursorSprite, &SV_CursorSprite, true},
    {"show_score", &GV_CounterFlag<&GameCounters::showScore>, &SV_ShowScore, true},
    {"show_lives", &GV_CounterFlag<&GameCounters::showLives>, &SV_CounterFlag<&GameCounters::showLives>, true},
    {"show_health", &GV_CounterFlag<&GameCounters::showHealth>, &SV_CounterFlag<&GameCounters::showHealth>, true},
    {"caption_score", &GV_Caption<&GameCounters::captionScore>, &SV_Caption<&GameCounters::captionScore>, true},
    {"caption_lives", &GV_Caption<&GameCounters::captionLives>, &SV_Caption<&GameCounters::captionLives>, true},
    {"caption_health", &GV_Caption<&GameCounters::captionHealth>, &SV_Caption<&GameCounters::captionHealth>, true},
    {"fps", &GV_Fps, nullptr, false},
    {"current_time", &GV_CurrentTime, nullptr, false},
    {"current_year", &GV_Calendar<&std::tm::tm_year, 1900>, nullptr, false},
    {"current_month", &GV_Calendar<&std::tm::tm_mon, 1>, nullptr, false},
    {"current_day", &GV_Calendar<&std::tm::tm_mday, 0>, nullptr, false},
    {"current_weekday", &GV_Calendar<&std::tm::tm_wday, 0>, nullptr, false},
    {"current_hour", &GV_Calendar<&std::tm::tm_hour, 0>, nullptr, false},
    {"current_minute", &GV_Calendar<&std::tm::tm_min, 0>, nullptr, false},
    {"current_second", &GV_Calendar<&std::tm::tm_sec, 0>, nullptr, false},
    {"event_type", &GV_Event<&CurrentEvent::type>, nullptr, false},
    {"event_number", &GV_Event<&CurrentEvent::number>, nullptr, false},
    {"event_object", &GV_Event<&CurrentEvent::object>, nullptr, false},
    {"event_action", &GV_Event<&CurrentEvent::action>, nullptr, false},
    {"secure_mode", &GV_SecureMode, nullptr, false},
    {"error_occurred", &GV_ErrorOccurred, &SV_ErrorOccurred, true},
    {"error_last", &GV_ErrorLast, &SV_ErrorLast, true},
};

#undef BW_VIEW
#undef BW_LAYER
#undef BW_ROOM
#undef BW_ARGUMENT

}  // namespace

void Variable_BuiltIn_RegisterGlobal()
{
    Variable_BuiltIn_AddAll(kGlobalVariables);
}

}  // namespace bw
