#include "online/http/vask_builtins.h"

#include <array>
#include <string>

#include "graphics/game_window.h"
#include "graphics/main_window.h"
#include "graphics/screen.h"
#include "host/spawn.h"
#include "host/system_info.h"
#include "script/arguments.h"
#include "library/ds.h"
#include "library/ds_map.h"
#include "library/input_builtins.h"
#include "online/http/achievement_cache.h"
#include "online/dialogs/async_requests.h"
#include "online/http/vask_digests.h"
#include "online/http/vask_queue.h"
#include "online/http/vask_services.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/package_loader.h"
#include "platform/timer.h"
#include "script/error_report.h"
#include "world/builtin_variables.h"
#include "world/input.h"
#include "world/input_virtual_keys.h"

namespace bw {

namespace {

constexpr int32_t kIapProducts = 16;
constexpr int32_t kMouseDevices = 5;
constexpr int32_t kRawMouseDevices = 6;
constexpr double kDesktopDpi = 96;

struct VaskState {
    bool pauseRaised = false;
    bool paused = false;
    int32_t iapStatus = -1;
    int32_t iapProducts = -1;
    std::array<int32_t, kIapProducts> iapProductMaps{};
    int32_t iapPurchases = -1;
};
VaskState& State()
{
    static VaskState state;
    return state;
}

// ---- virtual keys ----

BW_BUILTIN(VirtualKeyAdd)
{
    Value_SetReal(*result, 0);
    if (!Arguments_Check(argc, args, "rrrrr")) return;
    VirtualKey* key = IO_VirtualKey_FreeSlot();
    if (key == nullptr) return;
    const uint16_t index = key->id;
    *key = VirtualKey{};
    key->flags = kVirtualKeyActive;
    key->id = index;
    key->x = Arg_Round(args[0]);
    key->y = Arg_Round(args[1]);
    key->w = Arg_Round(args[2]);
    key->h = Arg_Round(args[3]);
    key->right = Int32_SaturatedSum(key->x, key->w);
    key->bottom = Int32_SaturatedSum(key->y, key->h);
    key->key = Arg_Round(args[4]);
    Value_SetReal(*result, index + 1);
}

// The index a handle names; -1 (reported) for a bad one.
int32_t VirtualKeyIndex(int32_t argc, const Value* args)
{
    if (argc != 1 || !Arg_IsReal(args[0])) {
        Code_Error_Runtime("Illegal argument", false);
        return -1;
    }
    const int32_t index = Int32_SaturatedSum(Arg_Round(args[0]), -1);
    if (IO_VirtualKey_Get(index) == nullptr) {
        Code_Error_Runtime("Illegal virtual key handle", false);
        return -1;
    }
    return index;
}

BW_BUILTIN(VirtualKeyDelete)
{
    Value_SetReal(*result, 0);
    const int32_t index = VirtualKeyIndex(argc, args);
    if (index >= 0) IO_VirtualKey_Delete(index);
}

template <bool Shown>
BW_BUILTIN(VirtualKeyShow)
{
    Value_SetReal(*result, 0);
    const int32_t index = VirtualKeyIndex(argc, args);
    if (index < 0) return;
    VirtualKey* key = IO_VirtualKey_Get(index);
    key->flags = Shown ? (key->flags | kVirtualKeyShown) : (key->flags & ~kVirtualKeyShown);
}

// ---- achievements and cloud ----

BW_BUILTIN(Zero)
{
    Value_SetReal(*result, 0);
}

BW_BUILTIN(MinusOne)
{
    Value_SetReal(*result, -1);
}

BW_BUILTIN(AchievementAvailable)
{
    Result_SetBool(result, AchievementCache_Enabled());
}

// The desktop service takes no posts: the arguments are checked only.
BW_BUILTIN(AchievementPost)
{
    Value_SetReal(*result, 0);
    Arguments_Check(argc, args, "sr");
}

// Cloud saves go nowhere here; the answer is the id a request would take.
BW_BUILTIN(CloudFileSave)
{
    Value_SetReal(*result, 0);
    if (!Arguments_Check(argc, args, "ss")) return;
    const char* name = Value_String(args[0]);
    if (!LoadSave_SaveExists(name) && !LoadSave_Exists(name)) {
        Console().Printf("ERROR!!! :: Failed to open file: %s\n", name);
        return;
    }
    Value_SetReal(*result, AsyncRequest_NextId());
}

BW_BUILTIN(CloudStringSave)
{
    Value_SetReal(*result, 0);
    if (Arguments_Check(argc, args, "ss")) Value_SetReal(*result, AsyncRequest_NextId());
}

BW_BUILTIN(CloudSynchronise)
{
    Value_SetReal(*result, AsyncRequest_NextId());
}

// ---- web addresses ----

bool OpensAsWebAddress(std::string_view text)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    std::string start(text.substr(0, 7));
    for (char& c : start) c = lower(c);
    return start == "http://" || start == "https:/" || text == "file:/";
}

// Every form opens its first argument; the others are for browsers.
BW_BUILTIN(UrlOpen)
{
    Value_SetReal(*result, 0);
    const char* url = argc >= 1 ? Arg_Text(args[0]) : nullptr;
    if (url == nullptr) {
        Code_Error_Runtime("Illegal argument type", false);
        return;
    }
    if (!OpensAsWebAddress(url)) return;
    // The browser would open behind a full-screen game.
    Window_SetFullscreen(false);
    HostSpawn_Open(url, "");
}

BW_BUILTIN(UrlGetDomain)
{
    Result_SetString(result, "localhost");
}

// ---- system, display and device ----

BW_BUILTIN(GetTimer)
{
    Value_SetReal(*result, static_cast<double>(Timer_GetTime()));
}

BW_BUILTIN(GetConfig)
{
    const char* config = Package().header.configName;
    Result_SetString(result, config != nullptr ? config : "");
}

BW_BUILTIN(GetLanguage)
{
    Result_SetString(result, HostSystem_LanguageCode());
}

BW_BUILTIN(IsPaused)
{
    Result_SetBool(result, State().paused);
}

BW_BUILTIN(IsNetworkConnected)
{
    Result_SetBool(result, HostSystem_NetworkConnected());
}

BW_BUILTIN(DisplayDpi)
{
    Value_SetReal(*result, kDesktopDpi);
}

BW_BUILTIN(DisplaySetGuiSize)
{
    Value_SetReal(*result, 0);
    if (!Arguments_Check(argc, args, "rr")) return;
    GR_SetGuiSize(Arg_Round(args[0]), Arg_Round(args[1]));
}

template <bool Width>
BW_BUILTIN(DisplayGuiSize)
{
    int32_t size = Width ? GR_GetGuiWidth() : GR_GetGuiHeight();
    if (size < 0) {
        int32_t w = 0;
        int32_t h = 0;
        GR_GetClientSize(w, h);
        size = Width ? w : h;
    }
    Value_SetReal(*result, size);
}

template <bool (*Flag)(int32_t, int32_t)>
BW_BUILTIN(DeviceMouseButton)
{
    Value_SetReal(*result, 0);
    if (!Arguments_Check(argc, args, "rr")) return;
    const int32_t device = Arg_Round(args[0]);
    if (device < 0 || device >= kMouseDevices) return;
    Result_SetBool(result, Input_CheckMouseButton(Arg_Round(args[1]), device, Flag));
}

template <int32_t (*Position)(int32_t), int32_t Devices>
BW_BUILTIN(DeviceMousePosition)
{
    Value_SetReal(*result, 0);
    if (!Arguments_Check(argc, args, "r")) return;
    const int32_t device = Arg_Round(args[0]);
    if (device >= 0 && device < Devices) Value_SetReal(*result, Position(device));
}

// ---- in-app purchases: never available here ----

BW_BUILTIN(IapActivate)
{
    VaskState& state = State();
    state.iapStatus = DS_Map_Create();
    state.iapProducts = DS_List_Create();
    for (int32_t& product : state.iapProductMaps) product = DS_Map_Create();
    state.iapPurchases = DS_Map_Create();
    Value_SetReal(*result, state.iapPurchases);
}

BW_BUILTIN(IapStatus)
{
    const int32_t status = State().iapStatus;
    CDS_Map* map = status >= 0 ? DS_MapPool().Get(status) : nullptr;
    if (map != nullptr) {
        Value key{};
        Value_SetString(key, "status");
        if (!DS_Map_Exists(map, key)) DS_Map_AddString(status, "status", "Not Available");
        Value_Free(key);
    }
    Value_SetReal(*result, status);
}

BW_BUILTIN(IapFilesPurchased)
{
    Value_SetReal(*result, State().iapPurchases);
}

BW_BUILTIN(IapEventQueue)
{
    Value_SetReal(*result, Vask_EventQueue());
}

BW_BUILTIN(IapStoreStatus)
{
    Result_SetString(result, "Not Available");
}

BW_BUILTIN(IapProductStatus)
{
    Result_SetString(result, "Unavailable");
}

constexpr int32_t kAny = kBuiltinArgCountAny;

const BuiltinRegistration kVaskBuiltins[] = {
    {"virtual_key_add", &VirtualKeyAdd, kAny},
    {"Vask_AddVirtualKey", &VirtualKeyAdd, kAny},
    {"virtual_key_delete", &VirtualKeyDelete, kAny},
    {"Vask_DeleteVirtualKey", &VirtualKeyDelete, kAny},
    {"virtual_key_show", &VirtualKeyShow<true>, kAny},
    {"Vask_ShowVirtualKey", &VirtualKeyShow<true>, kAny},
    {"virtual_key_hide", &VirtualKeyShow<false>, kAny},
    {"Vask_HideVirtualKey", &VirtualKeyShow<false>, kAny},
    {"achievement_login", &Zero, 0},
    {"Vask_LoginAchievements", &Zero, 0},
    {"achievement_logout", &Zero, 0},
    {"Vask_LogoutAchievements", &Zero, 0},
    {"achievement_available", &AchievementAvailable, 0},
    {"Vask_AchievementsAvailable", &AchievementAvailable, 0},
    {"achievement_post", &AchievementPost, kAny},
    {"Vask_PostAchievement", &AchievementPost, kAny},
    {"achievement_post_score", &AchievementPost, kAny},
    {"Vask_PostScore", &AchievementPost, kAny},
    {"cloud_file_save", &CloudFileSave, kAny},
    {"cloud_string_save", &CloudStringSave, kAny},
    {"cloud_synchronise", &CloudSynchronise, 0},
    {"url_open", &UrlOpen, kAny},
    {"Vask_OpenURL", &UrlOpen, kAny},
    {"url_open_ext", &UrlOpen, kAny},
    {"Vask_OpenURL_ext", &UrlOpen, kAny},
    {"url_open_full", &UrlOpen, kAny},
    {"Vask_OpenURL_full", &UrlOpen, kAny},
    {"url_get_domain", &UrlGetDomain, kAny},
    {"get_timer", &GetTimer, 0},
    {"Vask_GetTimer", &GetTimer, 0},
    {"Vask_GetPlatform", &Zero, 0},
    {"Vask_GetDevice", &MinusOne, 0},
    {"Vask_GetCPUDetails", &Zero, 0},
    {"os_get_config", &GetConfig, 0},
    {"Vask_GetConfig", &GetConfig, 0},
    {"os_get_language", &GetLanguage, 0},
    {"os_is_paused", &IsPaused, 0},
    {"Vask_OSPauseEvent", &IsPaused, 0},
    {"os_is_network_connected", &IsNetworkConnected, 0},
    {"os_powersave_enable", &Zero, kAny},
    {"os_lock_orientation", &Zero, kAny},
    {"display_get_dpi_x", &DisplayDpi, 0},
    {"display_get_dpi_y", &DisplayDpi, 0},
    {"display_set_gui_size", &DisplaySetGuiSize, kAny},
    {"display_get_gui_width", &DisplayGuiSize<true>, 0},
    {"display_get_gui_height", &DisplayGuiSize<false>, 0},
    {"device_ios_get_imagename", &MinusOne, kAny},
    {"Vask_SelectPicture", &MinusOne, kAny},
    {"device_ios_get_image", &MinusOne, kAny},
    {"Vask_GetPictureSprite", &MinusOne, kAny},
    // Nothing tilts a desktop, nor opens a keypad on it.
    {"device_get_tilt_x", &Zero, 0},
    {"Vask_GetTiltX", &Zero, 0},
    {"device_get_tilt_y", &Zero, 0},
    {"Vask_GetTiltY", &Zero, 0},
    {"device_get_tilt_z", &Zero, 0},
    {"Vask_GetTiltZ", &Zero, 0},
    {"device_is_keypad_open", &Zero, 0},
    {"Vask_IsKeypadOpen", &Zero, 0},
    {"device_mouse_check_button", &DeviceMouseButton<&IO_MouseButtonDown>, kAny},
    {"Vask_MouseCheckButton", &DeviceMouseButton<&IO_MouseButtonDown>, kAny},
    {"device_mouse_check_button_pressed", &DeviceMouseButton<&IO_MouseButtonPressed>, kAny},
    {"Vask_MouseCheckButtonPressed", &DeviceMouseButton<&IO_MouseButtonPressed>, kAny},
    {"device_mouse_check_button_released", &DeviceMouseButton<&IO_MouseButtonReleased>, kAny},
    {"Vask_MouseCheckButtonReleased", &DeviceMouseButton<&IO_MouseButtonReleased>, kAny},
    {"device_mouse_x", &DeviceMousePosition<&IO_MouseX, kMouseDevices>, kAny},
    {"Vask_MouseX", &DeviceMousePosition<&IO_MouseX, kMouseDevices>, kAny},
    {"device_mouse_y", &DeviceMousePosition<&IO_MouseY, kMouseDevices>, kAny},
    {"Vask_MouseY", &DeviceMousePosition<&IO_MouseY, kMouseDevices>, kAny},
    {"device_mouse_raw_x", &DeviceMousePosition<&IO_MouseWindowX, kRawMouseDevices>, kAny},
    {"Vask_MouseXRaw", &DeviceMousePosition<&IO_MouseWindowX, kRawMouseDevices>, kAny},
    {"device_mouse_raw_y", &DeviceMousePosition<&IO_MouseWindowY, kRawMouseDevices>, kAny},
    {"Vask_MouseYRaw", &DeviceMousePosition<&IO_MouseWindowY, kRawMouseDevices>, kAny},
    {"iap_activate", &IapActivate, kAny},
    {"iap_status", &IapStatus, 0},
    {"iap_files_purchased", &IapFilesPurchased, 0},
    {"iap_event_queue", &IapEventQueue, 0},
    {"iap_acquire", &Zero, kAny},
    {"iap_consume", &Zero, kAny},
    {"iap_is_purchased", &Zero, kAny},
    {"iap_is_downloaded", &Zero, kAny},
    {"iap_product_details", &Zero, kAny},
    {"iap_product_files", &Zero, kAny},
    {"iap_restore_all", &Zero, kAny},
    {"iap_store_status", &IapStoreStatus, 0},
    {"iap_product_status", &IapProductStatus, kAny},
};

// ---- variables ----

bool SetReal(Value* out, double real)
{
    Value_SetReal(*out, real);
    return true;
}

const BuiltinVariableRegistration kVaskVariables[] = {
    {"os_type", [](CInstance*, int32_t, Value* out) { return SetReal(out, 0); }, nullptr, false},
    {"os_device", [](CInstance*, int32_t, Value* out) { return SetReal(out, -1); }, nullptr, false},
    {"os_version", [](CInstance*, int32_t, Value* out) { return SetReal(out, HostSystem_Version()); }, nullptr,
     false},
    {"os_browser", [](CInstance*, int32_t, Value* out) { return SetReal(out, -1); }, nullptr, false},
    {"browser_width",
     [](CInstance*, int32_t, Value* out) {
         int32_t w = 0;
         int32_t h = 0;
         GR_GetClientSize(w, h);
         return SetReal(out, w);
     },
     nullptr, false},
    {"browser_height",
     [](CInstance*, int32_t, Value* out) {
         int32_t w = 0;
         int32_t h = 0;
         GR_GetClientSize(w, h);
         return SetReal(out, h);
     },
     nullptr, false},
};

// "paused" lasts exactly the step after the OS raised the event.
void UpdatePauseEvent()
{
    VaskState& state = State();
    if (state.pauseRaised) {
        Console().Printf("Pause event has been registered for this frame\n");
        state.paused = true;
        state.pauseRaised = false;
    } else if (state.paused) {
        Console().Printf("Pause event has been unregistered\n");
        state.paused = false;
    }
}

}  // namespace

void Function_Vask_Register()
{
    Builtins_Register(kVaskBuiltins);
    Function_VaskServices_Register();
    Function_VaskDigest_Register();
    Vask_Variables_Register();
    Vask_Queue_Install();
    MainWindow_SetPauseListener(&Vask_RaisePauseEvent);
    AchievementCache_SetEnabled(true);
    AchievementCache_Load();
}

void Vask_Variables_Register()
{
    // Registered again for another package, the variables keep their ids.
    if (Variable_BuiltIn_Find(kVaskVariables[0].name) < 0) Variable_BuiltIn_AddAll(kVaskVariables);
}

void Vask_Functions_Update()
{
    AchievementCache_Update();
    UpdatePauseEvent();
}

void Vask_Functions_Fini()
{
    AchievementCache_Save();
}

void VaskM_SetAllowedOrientations(bool, bool, bool, bool) {}

void Vask_RaisePauseEvent()
{
    Console().Printf("OS has raised a pause event\n");
    State().pauseRaised = true;
}

}  // namespace bw
