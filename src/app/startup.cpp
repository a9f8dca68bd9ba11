#include "app/startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/at_names.h"
#include "app/command_request.h"
#include "app/ending_error.h"
#include "app/registration.h"
#include "app/run_wiring.h"
#include "app/subsystem_hooks.h"
#include "app/usage.h"
#include "online/network/network.h"
#include "audio/audio_sounds.h"
#include "audio/legacy_sounds.h"
#include "audio/sound_hardware.h"
#include "graphics/overlay.h"
#include "graphics/overlay_hooks.h"
#include "graphics/display.h"
#include "graphics/game_window.h"
#include "graphics/draw_2d.h"
#include "graphics/main_window.h"
#include "graphics/screen.h"
#include "graphics/splash.h"
#include "graphics/surfaces.h"
#include "resources/text.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "online/dialogs/async_requests.h"
#include "online/dialogs/high_score.h"
#include "online/dialogs/input_dialogs.h"
#include "online/steam/steam_client.h"
#include "online/http/vask_builtins.h"
#include "host/crash_handler.h"
#include "host/message_box.h"
#include "host/window.h"
#include "library/buffer.h"
#include "library/ds.h"
#include "library/file_builtins.h"
#include "library/game_files.h"
#include "platform/command_line.h"
#include "particles/particle_system.h"
#include "physics/physics_builtins.h"
#include "platform/console.h"
#include "platform/crc32.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/memory.h"
#include "platform/messages.h"
#include "platform/options.h"
#include "platform/package_loader.h"
#include "platform/random.h"
#include "resources/background.h"
#include "resources/extension.h"
#include "resources/font_table.h"
#include "resources/path.h"
#include "resources/script.h"
#include "resources/script_access.h"
#include "resources/sprite.h"
#include "resources/timeline.h"
#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/vm.h"
#include "world/builtin_variables.h"
#include "world/game_state.h"
#include "world/script_access.h"
#include "world/instance_table.h"
#include "world/input.h"
#include "world/mp_grid.h"
#include "world/room_table.h"
#include "world/run_clock.h"
#include "world/run_loop.h"
#include "world/run_room_change.h"
#include "world/run_step.h"
#include "world/object.h"
#include "world/object_loader.h"
#include "world/room.h"
#include "world/variable_access.h"

namespace bw {

namespace {

constexpr uint32_t kRandSeed = 2101988;
constexpr int32_t kSplashFrames = 5;
constexpr int64_t kSplashPauseMicroseconds = 500000;

StartupSettings g_settings;
int32_t g_splashCalls = 0;
bool g_gameStarted = false;

// Only one package plays: the one beside the program, else the first
// "-game". Which one, and why, is said where a person sees it at once.
void ReportGameNotPlayed(const std::string& ignored, bool gameNamedBefore)
{
    const char* played = g_settings.gamePath.c_str();
    if (gameNamedBefore) {
        std::fprintf(stderr, "-game %s ignored: the first -game, %s, is played\n", ignored.c_str(), played);
    } else {
        std::fprintf(stderr, "-game %s ignored: %s is played, as a data.win beside the program always is\n",
                     ignored.c_str(), played);
    }
}

void SetDebug()
{
    g_settings.debug = true;
    g_settings.debugMode = 2;
    Physics_Init();
}

// A switch followed by its argument: the next token, or "" at the end.
const std::string& Argument(std::span<const std::string> tokens, size_t& i)
{
    static const std::string kNone;
    return ++i < tokens.size() ? tokens[i] : kNone;
}

bool ReadIniFlag(IniFile& ini, const char* key, bool missing)
{
    const IniKey* found = ini.FindKey("DEFAULT", key);
    return found == nullptr ? missing : std::atoi(found->value.c_str()) > 0;
}

// ---- the stages ----

void Splash_Show()
{
    if (g_splashCalls++ > 0) {
        Run_GameSleep(kSplashPauseMicroseconds);
    }
    Splash_DrawImage();
}

void ShowSplash()
{
    for (int32_t i = 0; i < kSplashFrames; ++i) {
        GR_D3D_Start_Frame();
        GR_D3D_Clear(0xFF000000u, 1.0f, 0, 1);
        Splash_Show();
        GR_D3D_Finish_Frame(true);
        ProcessMessages();
    }
}

// The display mode asked for by the options' codes; -1 leaves that part.
struct DisplayRequest {
    int32_t width = -1, height = -1, frequency = -1, depth = -1;
};

DisplayRequest RequestedDisplay(const GameOptions& options)
{
    static constexpr int32_t kSizes[][2] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    static constexpr int32_t kFrequencies[] = {60, 70, 85, 100, 120};
    DisplayRequest request;
    if (options.colourDepthCode == 1) request.depth = 16;
    if (options.colourDepthCode == 2) request.depth = 32;
    if (options.resolutionCode >= 1 && options.resolutionCode <= 6) {
        request.width = kSizes[options.resolutionCode - 1][0];
        request.height = kSizes[options.resolutionCode - 1][1];
    }
    if (options.frequencyCode >= 1 && options.frequencyCode <= 5) {
        request.frequency = kFrequencies[options.frequencyCode - 1];
    }
    return request;
}

uint32_t DeviceFlags()
{
    uint32_t flags = Package().header.flags;
    if (g_settings.inAWindow) {
        flags &= ~kGraphicsFullscreen;
    }
    return flags;
}

const char* WindowCaption()
{
    const GameHeader& header = Package().header;
    const int32_t splash = header.SplashMode();
    return header.format >= 10 && (splash == 2 || splash == 3) ? header.caption : nullptr;
}

// The reason a package could not be loaded, on the console and on standard
// error, where a person who started the runner from a shell sees it.
void ReportLoadReason()
{
    const std::string line = "Cannot load " + Package().path + ": " + Package_LoadFault() + "\n";
    Console().Printf("%s", line.c_str());
    std::fputs(line.c_str(), stderr);
}

// A pass failed: a name the code binds is unknown or a unit's code cannot
// be decoded (the system's own load error, reported as fatal, which says
// why) or the package is damaged.
void ReportLoadFailure()
{
    const std::string& error = CODE_LoadError();
    if (!error.empty()) {
        Code_Error_Log(error.c_str(), true);
    }
    Console().Printf("Failed to load the game\n");
    if (error.empty() && !Package_LoadFault().empty()) {
        ReportLoadReason();
    }
}

// The '@' files shipped beside the package, once it is known: nowhere
// else, since a folder the player starts from may hold names like
// "me@example.org.txt". The package and its debug file keep their names,
// for the next start to find them.
void UnpackBesidePackage()
{
    const std::string kept[] = {std::filesystem::path(Package().path).filename().string(),
                                std::filesystem::path(Package().debugPath).filename().string()};
    Brackwell_UnpackAtNames(Files_PackageFolder(), kept);
}

bool LoadGameStage()
{
    if (RunnerLoadGame(g_settings.gamePath)) {
        UnpackBesidePackage();
        return true;
    }
    if (Package().path.empty()) {
        std::fputs(Runner_NoPackageLine(), stderr);
        std::fputs(Runner_Usage(), stderr);
    } else {
        ReportLoadReason();
    }
    return false;
}

// Package facts the world keeps for game code.
void ApplyHeaderToWorld()
{
    const GameHeader& header = Package().header;
    Game_Info().gameId = header.gameId;
    Game_Info().debugMode = header.DebugMode();
    Room_Order() = header.roomOrder;
    Instance_SetLastId(header.lastInstanceId);
    Tile_SetLastId(header.lastTileId);
}

bool Stage(const char* line, bool (*stage)())
{
    Console().Printf("%s\n", line);
    return stage();
}

bool Stage(const char* line, void (*stage)())
{
    Console().Printf("%s\n", line);
    stage();
    return true;
}

bool CreateWindowStage()
{
    const GameHeader& header = Package().header;
    // The splash modes that title the window with the game's own caption are
    // the ones in which the game may retitle it (window_set_caption).
    Window_SetCaptionMode(header.SplashMode());
    return MainWindow_Create(header.windowWidth, header.windowHeight, header.flags, WindowCaption());
}

// A recording asked for and never made, or a playback that became live
// play, would otherwise show only in the console log.
void ReportUnopenedRecordFile(const StartupSettings& settings)
{
    if (settings.playback && !IO_IsPlayingBack()) {
        std::fprintf(stderr, "Cannot open the playback file %s: the game plays with live input\n",
                     settings.recordFile.c_str());
    } else if (settings.record && !settings.playback && !IO_IsRecording()) {
        std::fprintf(stderr, "Cannot open the record file %s: nothing is recorded\n", settings.recordFile.c_str());
    }
}

// "-playback" wins over "-record" when both are given.
void InputInitStage()
{
    const StartupSettings& settings = Startup();
    IO_Init(InputRecordRequest{settings.record, settings.playback, settings.recordFile});
    ReportUnopenedRecordFile(settings);
    IO_InstallWindowHandlers();
}

void SplashStage()
{
    if (Package().header.SplashMode() == 1) {
        ShowSplash();
    }
}

void StartFrameStage()
{
    GR_D3D_Start_Frame();
}

void NothingStage() {}

// "-oldexec" runs text-compiled code on the tree interpreter; "-trace" logs
// the virtual machine's runs and calls.
void VmInitStage()
{
    Code_SetUseBytecode(g_settings.newExecution);
    VM_SetTrace(g_settings.trace);
}

// The process's arguments are kept for the game to read; the tokens after
// the program's name are the switches.
std::span<const std::string> KeepCommandLine(int argc, char** argv)
{
    CommandLine_SetProcessArguments(std::vector<std::string>(argv, argv + argc));
    const std::vector<std::string>& all = CommandLine_ProcessArguments();
    return std::span<const std::string>(all).subspan(all.empty() ? 0 : 1);
}

std::string ProgramFolder()
{
    return std::filesystem::path(GetExePathW()).parent_path().string();
}

// "data.win" beside the program is the package when it is there.
void FindPackageBesideProgram()
{
    const std::string beside = ProgramFolder() + "/data.win";
    if (FileExists(beside.c_str())) {
        g_settings.gamePath = beside;
    }
}


}  // namespace

StartupSettings& Startup()
{
    return g_settings;
}

int32_t Splash_CallCount()
{
    return g_splashCalls;
}

void Brackwell_ParseCommandLine(std::span<const std::string> tokens)
{
    StartupSettings& s = g_settings;
    s.debug = false;
    s.ext = false;
    s.record = false;
    s.playback = false;
    s.noAudio = false;
    s.inAWindow = false;
    s.debugMode = 0;
    s.newExecution = true;
    ConsoleSettings& console = Console_Settings();
    bool gameNamed = false;  // by a "-game" of these tokens
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == "-debug") {
            SetDebug();
        } else if (token == "-trace") {
            s.trace = true;
        } else if (token == "-ext") {
            s.ext = true;
        } else if (token == "-noerrors") {
            s.showErrors = false;
            Code_Error_SetNoErrorsSwitch(true);
            Host_SetDialogsEnabled(false);
        } else if (token == "-oldexec") {
            s.newExecution = false;
        } else if (token == "-noaudio") {
            s.noAudio = true;
        } else if (token == "-inawindow") {
            s.inAWindow = true;
        } else if (token == "-game") {
            const std::string& path = Argument(tokens, i);
            if (s.gamePath.empty()) {
                s.gamePath = path;
                gameNamed = true;
            } else {
                ReportGameNotPlayed(path, gameNamed);
            }
        } else if (token == "-record" || token == "-playback") {
            (token == "-record" ? s.record : s.playback) = true;
            s.recordFile = Argument(tokens, i);
        } else if (token == "-steam") {
            s.steam = true;
        } else if (token == "-output") {
            console.outputEnabled = true;
            console.outputFile = Argument(tokens, i);
        } else if (token == "-debugoutput") {
            console.debugOutputEnabled = true;
            console.debugOutputFile = Argument(tokens, i);
            std::fprintf(stderr, "-debugoutput %s: nothing is written there; -output FILE logs the console\n",
                         console.debugOutputFile.c_str());
        } else if (token.starts_with("-")) {
            // Skipped like any token that is no switch, but a misspelt
            // switch should not go unnoticed.
            std::fprintf(stderr, "Unknown switch %s: skipped\n", token.c_str());
        }
    }
}

void Runner_ReadIniOptions(IniFile& ini)
{
    const bool landscape = ReadIniFlag(ini, "OrientLandscape", true);
    const bool landscapeFlipped = ReadIniFlag(ini, "OrientLandscapeFlipped", true);
    const bool portrait = ReadIniFlag(ini, "OrientPortrait", true);
    const bool portraitFlipped = ReadIniFlag(ini, "OrientPortraitFlipped", true);
    VaskM_SetAllowedOrientations(landscape, portrait, landscapeFlipped, portraitFlipped);
    const IniKey* debug = ini.FindKey("DEFAULT", "Debug");
    if (debug != nullptr) {
        // The key also switches the frame-rate line on or off.
        const bool on = std::atoi(debug->value.c_str()) != 0;
        Overlay_SetFlags(on ? Overlay_GetFlags() | kOverlayFPS : Overlay_GetFlags() & ~kOverlayFPS);
        if (on) {
            SetDebug();
        }
    }
    const IniKey* trace = ini.FindKey("DEFAULT", "Trace");
    if (trace != nullptr && std::atoi(trace->value.c_str()) != 0) {
        g_settings.trace = true;
    }
}

bool Brackwell_EarlyInit()
{
    // Every start-up begins from the same sequence, also when it runs again
    // in the same process.
    Random_SetSeed(0);
    EmbeddedImages_Register();
    CRC32_Init();
    TempDirectory_Init();
    GR_InitCirclePrecision();
    Surface_InstallScreenHooks();
    Code_Constant_Init();
    Particle_Init();
    Run_InitCaptions();
    Sound_Startup();
    Variable_Init();
    // Game code compiled from here on reaches instances and variables
    // through the world's access table.
    World_RegisterScriptAccess();
    Resources_RegisterScriptAccess();
    Path_Init();
    HighScore_Init();
    Run_ResetPending();
    Runner_InstallRunHooks();
    ProcessMessages();
    return true;
}

bool Runner_InitGraphics()
{
    const GameOptions& options = Options();
    if (options.changeDisplay) {
        const DisplayRequest request = RequestedDisplay(options);
        GR_Display_SetAll(request.width, request.height, request.frequency, request.depth);
    }
    tagIConsole& console = Console();
    console.Printf("GR_D3D_Init()\n");
    const GameHeader& header = Package().header;
    if (!GR_D3D_Init(header.windowWidth, header.windowHeight, DeviceFlags())) {
        return false;
    }
    console.Printf("Background_InitTextures()\n");
    Background_InitTextures();
    console.Printf("Sprite_InitTextures()\n");
    Sprite_InitTextures();
    console.Printf("Font_InitTextures()\n");
    Font_InitTextures();
    return true;
}

bool PrepareGame()
{
    struct Step {
        const char* line;
        bool (*run)();
        const char* failure;
    };
    static constexpr Step kSteps[] = {
        {"Extension_Prepare() \n", &Extension_Prepare, "Failed to prepare extension packages."},
        {"Code_Constant_Prepare() \n",
         [] {
             std::vector<GameConstant> constants;
             for (const GameOptionConstant& constant : Options().constants) {
                 if (constant.name != nullptr) {
                     constants.push_back({constant.name, constant.value != nullptr ? constant.value : ""});
                 }
             }
             return Code_Constant_Init_Game(constants);
         },
         "Failed to define the constants."},
        {"Script_Prepare() \n", &Script_Prepare, "Failed to compile the scripts."},
        {"TimeLine_Prepare() \n", &TimeLine_Prepare, "Failed to compile the actions in the time lines."},
        {"Object_Prepare() \n", &Object_Prepare, "Failed to compile the actions in the objects."},
        {"Room_Prepare() \n", &Room_Prepare, "Failed to compile the actions in the objects."},
        {"Sound_Prepare() \n",
         [] {
             SoundHardware_Create(Startup().noAudio);
             const bool prepared = Sound_Prepare();
             Audio_Prepare();
             return prepared;
         },
         "Failed to prepare the sounds."},
    };
    tagIConsole& console = Console();
    for (const Step& step : kSteps) {
        console.Printf("%s", step.line);
        if (!step.run()) {
            ShowMessage(step.failure);
            return false;
        }
    }
    console.Printf("InitGraphics() \n");
    console.Printf("Finished PrepareGame() \n");
    return true;
}

bool Brackwell_DoTheWork()
{
    std::srand(kRandSeed);
    if (!LoadGameData()) {
        ReportLoadFailure();
        return false;
    }
    ApplyHeaderToWorld();
    if (!Room_CheckOrder()) {
        ReportLoadFailure();
        // The console line names the entry; a shell user learns of it here.
        std::fprintf(stderr, "Cannot load %s: the room order is empty or names a room the package does not have\n",
                     Package().path.c_str());
        return false;
    }
    Variable_Global_Init();
    Console().Printf("PrepareGame()\n");
    if (!PrepareGame()) {
        return false;
    }
    Console().Printf("Run_Start\n");
    g_gameStarted = true;
    Run_Start();
    return true;
}

bool Brackwell_Init()
{
    Registration_InstallPackageReaders();
    if (!LoadGameStage()) {
        return false;
    }
    Console().Printf("Get Resolution\n");
    if (!Code_Load()) {
        ReportLoadFailure();
        return false;
    }
    // The header read by Code_Load names the save folder.
    Files_RemoveStaleTemporaries();
    return Stage("Create Window", &CreateWindowStage) && Stage("Init Graphics", &Runner_InitGraphics) &&
           Stage("IO Init", &InputInitStage) && Stage("Process Messages", &ProcessMessages) &&
           Stage("Splash!", &SplashStage) && Stage("Start Frame", &StartFrameStage) &&
           Stage("Part Create Textures", &Particle_InitShapes) &&
           Stage("Debug Init Remote Interface", &Debug_InitRemoteInterface) && Stage("VM Init", &VmInitStage) &&
           Stage("Create Score Form", &ScoreForm_Create) && Stage("Create Load Form", &NothingStage) &&
           Stage("Create Error Form", &ErrorForm_Create) && Stage("Do The Work", &Brackwell_DoTheWork);
}

void Brackwell_Shutdown()
{
    Vask_Functions_Fini();
    Network_Shutdown();
    Steam_Shutdown();
    // Open dialogs close while their windows can still be destroyed.
    InputQuery_CloseAll();
    AsyncRequest_FreeAll();
    HighScore_Fini();
    Code_Constant_Free();
    Code_Function_Free();
    CGrid_FreeAll();
    Run_FreeRoomsAtEnd();
    Instance_FreeAll();
    Object_FreeAll();
    Particle_Fini();
    Sprite_Shutdown();
    Sprite_FreeAll();
    TempDirectory_Delete();
    GR_D3D_FreeScreen();
    // A game that never ran has no frame rates to tell.
    if (g_gameStarted) {
        FPS_Dump();
    }
    Background_FreeAll();
    TexturePages_Clear();
    GR_Text_Shutdown();
    Texture_FreeAll();
    Script_FreeAll();
    Variable_FreeAll();
    Font_FreeAll();
    File_CloseAll();
    DS_FreeAll();
    Buffer_FreeAll();
    Sound_Fini();
    GR_D3D_Shutdown();
    MainWindow_Destroy();
}

int Runner_ExitStatus(bool started)
{
    if (!started) {
        return 1;
    }
    return Code_Error_GameAborted() ? kFatalErrorExitCode : 0;
}

void Runner_EndProcess(int status)
{
    // Nothing else of the shut-down runs: the game stopped in the middle of
    // its code, and its state is not to be trusted. Its open files still
    // take what was written to them, as closing them would.
    GameFiles_CloseAll();
    TempDirectory_Delete();
    EndingError_Report();
    std::fflush(nullptr);
    std::_Exit(status);
}

int Runner_Main(int argc, char** argv)
{
    // First of all: from here on, an allocation that fails anywhere ends the
    // run with "Out of Memory!" and -1, never with an uncaught exception.
    MemoryManager_InstallNewHandler();
    const std::span<const std::string> tokens = KeepCommandLine(argc, argv);
    if (const std::optional<int> answered = Runner_AnswerRequest(CommandLine_Request(tokens))) {
        return *answered;
    }
    CrashHandler_Install();
    Code_Error_Hooks().endProcess = &Runner_EndProcess;
    MemoryManager_KeepLargeBlocksInHeap();
    FindPackageBesideProgram();
    Brackwell_ParseCommandLine(tokens);
    Brackwell_EarlyInit();
    const bool started = Brackwell_Init();
    // A quit read before the main loop (by a dialog the first room's code
    // opened, say) ends the game as one read in play does.
    while (started && GameRunningFlag == 1 && !HostWindow_QuitRequested()) {
        Run_MainLoopTick();
        ProcessMessages();
    }
    if (g_gameStarted) {
        Run_EndGame();
    }
    IO_Shutdown();
    SoundHardware_Quit();
    Brackwell_Shutdown();
    EndingError_Report();
    return Runner_ExitStatus(started);
}

}  // namespace bw
