#include "online/steam/steam_client.h"

#include <cstdio>
#include <memory>

#include "host/atomic_file.h"
#include "host/shared_library.h"
#include "online/steam/steam_leaderboards.h"
#include "online/steam/steam_overlay.h"
#include "online/steam/steam_stats.h"
#include "online/steam/steam_storage.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/package_loader.h"
#include "world/run_test_controls.h"

namespace bw {

namespace {

struct SteamState {
    std::unique_ptr<SharedLibrary> library;
    SteamExports exports;
    bool lookupFailed = false;
    bool initialised = false;
    const char* reason = nullptr;
};
SteamState g_steam;

// The program's folder: its path up to the last slash.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void WriteAppIdFile(const std::string& folder, int32_t appId)
{
    char path[1024];
    std::snprintf(path, sizeof path, "%s/steam_appid.txt", folder.c_str());
    Console().Printf("steamfile:%s\n", path);
    const std::string text = std::to_string(appId);
    if (!HostFs_ReplaceFile(path, text.data(), text.size())) {
        Console().Printf("Failed to open %s\n", path);
    }
}

std::unique_ptr<SharedLibrary> LoadLibrary(const SteamStartup& startup, std::string* error)
{
    if (!startup.libraryPath.empty()) return SharedLibrary::Open(startup.libraryPath, error);
    std::unique_ptr<SharedLibrary> library =
        SharedLibrary::Open(startup.programFolder + "/" + kSteamLibraryName, error);
    return library != nullptr ? std::move(library) : SharedLibrary::Open(kSteamLibraryName, error);
}

// Every export is looked up, each missing one logged, before giving up.
template <class Fn>
void Lookup(const char* name, Fn* out)
{
    *out = reinterpret_cast<Fn>(g_steam.library->Find(name));
    if (*out == nullptr) {
        Console().Printf("ERROR: Failed to find function %s error %s\n", name, "symbol not exported");
        g_steam.lookupFailed = true;
    }
}

bool LookupExports()
{
    SteamExports& e = g_steam.exports;
    Lookup("SteamAPI_Init", &e.init);
    Lookup("SteamAPI_RunCallbacks", &e.runCallbacks);
    Lookup("SteamAPI_Shutdown", &e.shutdown);
    Lookup("SteamAPI_RegisterCallback", &e.registerCallback);
    Lookup("SteamAPI_UnregisterCallback", &e.unregisterCallback);
    Lookup("SteamAPI_RegisterCallResult", &e.registerCallResult);
    Lookup("SteamAPI_UnregisterCallResult", &e.unregisterCallResult);
    Lookup("SteamClient", &e.client);
    Lookup("SteamFriends", &e.friends);
    Lookup("SteamRemoteStorage", &e.remoteStorage);
    Lookup("SteamScreenshots", &e.screenshots);
    Lookup("SteamUser", &e.user);
    Lookup("SteamUserStats", &e.userStats);
    Lookup("SteamUtils", &e.utils);
    return !g_steam.lookupFailed;
}

void Unload()
{
    g_steam.exports = SteamExports{};
    g_steam.library.reset();
}

void FailStart()
{
    if (g_steam.reason != nullptr) Console().Printf("SteamInit failed: %s\n", g_steam.reason);
    Unload();
}

}  // namespace

void Steam_Start(const SteamStartup& startup)
{
    if (startup.appId == 0 || g_steam.library != nullptr) return;
    if (startup.appId > 0) WriteAppIdFile(startup.programFolder, startup.appId);
    Console().Printf("Steam_Init\n");
    g_steam.lookupFailed = false;
    g_steam.reason = nullptr;
    std::string error;
    g_steam.library = LoadLibrary(startup, &error);
    if (g_steam.library == nullptr) {
        Console().Printf("ERROR: Failed to load %s error %s\n", kSteamLibraryName, error.c_str());
        g_steam.reason = "Error loading libsteam_api.so";
        return FailStart();
    }
    if (!LookupExports()) {
        g_steam.reason = "Failed to find steam api functions";
        return FailStart();
    }
    if (!g_steam.exports.init()) {
        Console().Printf("SteamAPI_Init() failed\n");
        g_steam.reason = "Steam must be running to play this game (SteamAPI_Init() failed)";
        return FailStart();
    }
    if (steam::ISteamClient* client = g_steam.exports.client()) client->SetWarningMessageHook(&Steam_WarningHook);
    Steam_UserStats_Init();
    Steam_RemoteStorage_Init();
    Steam_Screenshots_Init();
    Steam_Overlay_Init();
    g_steam.initialised = true;
}

void Steam_Init()
{
    SteamStartup startup;
    startup.appId = Package().header.steamAppId;
    startup.programFolder = FolderOf(GetExePathW());
    startup.libraryPath = Run_ReadTestControls().steamLibrary;
    Steam_Start(startup);
}

bool Steam_IsInitialised()
{
    return g_steam.initialised;
}

bool Steam_IsLibraryLoaded()
{
    return g_steam.library != nullptr;
}

void Steam_Update()
{
    if (!g_steam.initialised) return;
    g_steam.exports.runCallbacks();
    Steam_Leaderboards_Update();
    Steam_StoreStats();
}

void Steam_Shutdown()
{
    if (!g_steam.initialised) return;
    Console().Printf("Steam_Shutdown\n");
    Steam_UserStats_Shutdown();
    Steam_RemoteStorage_Shutdown();
    Steam_Screenshots_Shutdown();
    Steam_Overlay_Shutdown();
    g_steam.exports.shutdown();
    g_steam.initialised = false;
    Unload();
}

void Steam_WarningHook(int32_t, const char* text)
{
    Console().Printf("%s", text != nullptr ? text : "");
}

const SteamExports& Steam_Exports()
{
    return g_steam.exports;
}

steam::ISteamUser* Steam_User()
{
    return g_steam.exports.user != nullptr ? g_steam.exports.user() : nullptr;
}
steam::ISteamUserStats* Steam_UserStats()
{
    return g_steam.exports.userStats != nullptr ? g_steam.exports.userStats() : nullptr;
}
steam::ISteamFriends* Steam_Friends()
{
    return g_steam.exports.friends != nullptr ? g_steam.exports.friends() : nullptr;
}
steam::ISteamRemoteStorage* Steam_RemoteStorage()
{
    return g_steam.exports.remoteStorage != nullptr ? g_steam.exports.remoteStorage() : nullptr;
}
steam::ISteamScreenshots* Steam_Screenshots()
{
    return g_steam.exports.screenshots != nullptr ? g_steam.exports.screenshots() : nullptr;
}
steam::ISteamUtils* Steam_Utils()
{
    return g_steam.exports.utils != nullptr ? g_steam.exports.utils() : nullptr;
}

bool Steam_LoggedOn()
{
    steam::ISteamUser* user = Steam_User();
    return user != nullptr && user->LoggedOn();
}

}  // namespace bw
