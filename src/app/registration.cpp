#include "app/registration.h"

#include "app/startup.h"
#include "app/subsystem_hooks.h"
#include "resources/graphic_builtins_resources.h"
#include "audio/audio_builtins.h"
#include "audio/audio_sounds.h"
#include "audio/legacy_sounds.h"
#include "audio/music_player.h"
#include "graphics/d3d_builtins.h"
#include "graphics/game_window.h"
#include "graphics/main_window.h"
#include "graphics/shaders.h"
#include "graphics/texture_pages.h"
#include "host/file_dialog.h"
#include "actions/action_builtins.h"
#include "library/buffer_builtins.h"
#include "library/ds_builtins.h"
#include "library/file_builtins.h"
#include "library/game_builtins.h"
#include "library/gamepad_builtins.h"
#include "library/input_builtins.h"
#include "library/json_builtins.h"
#include "library/string_builtins.h"
#include "library/win8_builtins.h"
#include "library/math_builtins.h"
#include "library/misc_builtins.h"
#include "online/dialogs/dialog_builtins.h"
#include "online/dialogs/high_score_builtins.h"
#include "online/http/http_builtins.h"
#include "online/network/mplay_builtins.h"
#include "online/network/network_builtins.h"
#include "particles/particle_builtins.h"
#include "physics/physics_builtins.h"
#include "online/steam/steam_builtins.h"
#include "online/http/vask_builtins.h"
#include "platform/console.h"
#include "platform/options.h"
#include "platform/package_loader.h"
#include "resources/background.h"
#include "resources/extension.h"
#include "resources/path.h"
#include "resources/resource_builtins.h"
#include "resources/font_table.h"
#include "resources/script.h"
#include "resources/sprite.h"
#include "resources/timeline.h"
#include "script/code_chunks.h"
#include "script/error_report.h"
#include "script/resource_seams.h"
#include "world/object.h"
#include "world/object_loader.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/variable_list.h"
#include "world/gamepad.h"
#include "world/input_virtual_keys.h"

namespace bw {
namespace {

// The string built-ins belong to the mathematics group.
void RegisterMathGroup()
{
    Function_Math_Register();
    Function_String_Register();
}

// The HTTP built-ins follow the file and ini ones.
void RegisterFileGroup()
{
    Function_File_Register();
    Function_Http_Register();
    Function_Json_Register();
}

// Keys, mouse and joysticks, then the dialog and window built-ins.
void RegisterInteractionGroup()
{
    Function_Input_Register();
    Function_Interaction_Register();
}

// The sound resource built-ins belong to the resource group.
void RegisterResourceGroup()
{
    Function_Resource_Register();
    Function_SoundResource_Register();
}

// In Steam mode the group leaves out what runs code from outside the package.
void RegisterMiscGroup()
{
    Function_Misc_Register(Startup().steam);
}

constexpr RegistrationGroup kGroups[] = {
    {"HighScore..", "High scores", &Function_HighScore_Register},
    {"Game..", "Game, instances, motion and collisions", &Function_Game_Register},
    {"Math..", "Maths and strings", &RegisterMathGroup},
    {"Graphic..", "Drawing, window and display", &Function_Graphic_Register},
    {"Action..", "Actions", &Function_Action_Register},
    {"File..", "Files, ini files, HTTP and JSON", &RegisterFileGroup},
    {"Resource..", "Resources", &RegisterResourceGroup},
    {"Interaction..", "Keyboard, mouse, joysticks, messages and dialogs", &RegisterInteractionGroup},
    {"3D..", "3D drawing", &Function_D3D_Register},
    {"Particle..", "Particles", &Function_Particle_Register},
    {"Misc..", "Dates, events, variables, running code and outside libraries", &RegisterMiscGroup},
    {"DS..", "Data structures", &Function_Data_Structures_Register},
    {"Sound..", "Audio", &Function_Sound_Register},
    {"DPlay..", "Multiplayer sessions", &Function_MPlay_Register},
    {"Physics..", "Physics", &Function_Physics_Register},
    {"Gamepad..", "Gamepads", &Function_Gamepad_Register},
    {"Buffers..", "Buffers", &Function_Buffers_Register},
    {"Networking..", "Networking", &Function_Networking_Register},
    {nullptr, "Steam", &Function_Steam_Register},
    {"Vask..", "Online services, devices and stores", &Function_Vask_Register},
    {nullptr, "Platform stubs", &Function_Win8_Register},
};

// The options chunk, then what it sets in layers below that must know at
// once.
bool Options_Read(const PackageView& package, uint32_t offset, uint32_t length)
{
    if (!Options_Load(package, offset, length, Package().header.format, Startup().inAWindow)) {
        return false;
    }
    const GameOptions& options = Options();
    Code_Error_SetAllErrorsFatal(options.allErrorsFatal);
    Variable_SetStrictReads(options.uninitialisedAreErrors);
    MainWindow_SetAltEnterAllowed(options.altEnterFullScreen);
    Window_SetColour(options.windowColour);
    return true;
}

// Sounds and embedded audio go to the audio engine when the options ask
// for it, else to the legacy sound system.
bool Sounds_Read(const PackageView& package, uint32_t offset, uint32_t length)
{
    return Options().newAudio ? Audio_Load(package, offset, length) : Sound_Init(package, offset, length);
}

bool AudioData_Read(const PackageView& package, uint32_t offset, uint32_t length)
{
    return Options().newAudio ? Audio_WAVs(package, offset, length) : Wave_Init(package, offset, length);
}

// options.ini, in the order its readers expect.
void IniLoaded(IniFile& ini)
{
    IO_ReadVirtualButtons(ini);
    MP3_Init(ini);
    Runner_ReadIniOptions(ini);
}

// The header pass registers the built-ins once its header is known: the
// header's Steam bit counts like "-steam" for the groups that read it.
void RegisterForPackage()
{
    if (Package().header.SteamFlag()) {
        Startup().steam = true;
    }
    Brackwell_RegisterFunctions();
    // The pads exist before any game code runs; once per run.
    IO_Gamepad_Init();
}

bool ChooseGameFile(std::string* path)
{
    return HostFileDialog_ChoosePackage(path);
}

void RegisterGroups(tagIConsole* announcer)
{
    for (const RegistrationGroup& group : kGroups) {
        if (announcer != nullptr && group.label != nullptr) {
            announcer->Printf("%s", group.label);
        }
        group.registrar();
    }
    if (announcer != nullptr) {
        announcer->Printf("Fini\n");
    }
}

}  // namespace

std::span<const RegistrationGroup> Registration_Groups()
{
    return kGroups;
}

void Brackwell_RegisterFunctions()
{
    RegisterGroups(&Console());
}

void Registration_RegisterFunctionsQuietly(bool steamMode)
{
    // The groups read the mode where a run keeps it; a tool's process is
    // no run, so its own setting comes back afterwards.
    const bool runMode = Startup().steam;
    Startup().steam = steamMode;
    RegisterGroups(nullptr);
    Startup().steam = runMode;
}

void Registration_ClearTables()
{
    Sound_Clear();
    Audio_FreeSounds();
    Sprite_ClearTable();
    Background_ClearTable();
    Path_ClearTable();
    Script_ClearTable();
    Font_ClearTable();
    TimeLine_ClearTable();
    Object_FreeAll();
    Room_ClearTable();
    Room_Order().clear();
    Options_SetDefaults();
    Code_Error_SetShowErrors(true);
}

void Registration_InstallPackageReaders()
{
    PackageLoaderHooks hooks;
    hooks.handlers = {
        {Package_Tag("CODE"), nullptr, &CODE_LoadList, &CODE_CheckAll},
        {Package_Tag("VARI"), nullptr, &VARI_Load, nullptr},
        {Package_Tag("FUNC"), nullptr, &FUNC_Announce, &FUNC_Load},
        {Package_Tag("DBGI"), &DBGI_Load, nullptr, nullptr},
        {Package_Tag("SCPT"), &DebugScripts_Load, nullptr, &Script_Load},
        {Package_Tag("OPTN"), nullptr, nullptr, &Options_Read},
        {Package_Tag("EXTN"), nullptr, nullptr, &Extension_Load},
        {Package_Tag("SOND"), nullptr, nullptr, &Sounds_Read},
        {Package_Tag("AUDO"), nullptr, nullptr, &AudioData_Read},
        {Package_Tag("SPRT"), nullptr, nullptr, &Sprite_Load},
        {Package_Tag("BGND"), nullptr, nullptr, &Background_Load},
        {Package_Tag("PATH"), nullptr, nullptr, &Path_Load},
        {Package_Tag("SHDR"), nullptr, nullptr, &Shader_LoadChunk},
        {Package_Tag("FONT"), nullptr, nullptr, &Font_Load},
        {Package_Tag("TMLN"), nullptr, nullptr, &TimeLine_Load},
        {Package_Tag("OBJT"), nullptr, nullptr, &Object_Load},
        {Package_Tag("ROOM"), nullptr, nullptr, &Room_Load},
        {Package_Tag("TPAG"), nullptr, nullptr, &TPAG_Load},
        {Package_Tag("TXTR"), nullptr, nullptr, &TXTR_Load},
    };
    hooks.chooseGameFile = &ChooseGameFile;
    hooks.iniLoaded = &IniLoaded;
    hooks.registerFunctions = &RegisterForPackage;
    hooks.clearTables = &Registration_ClearTables;
    PackageLoader_SetHooks(std::move(hooks));
    CODE_SetVerifier(&CODE_VerifyEntry);
}

}  // namespace bw
