// The wrapper's hold on the platform's client library: loading it from the
// program's folder when the package carries an app id, its exports, the
// start and end of the wrapper parts, the per-step pumping of results, and
// the callback records through which results arrive.
#pragma once

#include <cstdint>
#include <string>

#include "online/steam/steam_api.h"

namespace bw {

// The library's file name, looked for in the program's folder, then in the
// current folder.
inline constexpr const char* kSteamLibraryName = "libsteam_api.so";

struct SteamStartup {
    int32_t appId = 0;
    std::string programFolder;  // where "steam_appid.txt" is written
    std::string libraryPath;    // empty: the program's folder, then the current one
};

// Start-up from the package header's app id, the program's folder and the
// BW_TEST_STEAM_LIBRARY test control.
void Steam_Init();
void Steam_Start(const SteamStartup& startup);
bool Steam_IsInitialised();
// Whether the library is loaded at all (it is unloaded after a failed start).
bool Steam_IsLibraryLoaded();
// Per game step, after the network update.
void Steam_Update();
void Steam_Shutdown();
void Steam_WarningHook(int32_t severity, const char* text);

// The exports of a loaded library; only valid while it is.
struct SteamExports {
    steam::InitFn init = nullptr;
    steam::RunCallbacksFn runCallbacks = nullptr;
    steam::ShutdownFn shutdown = nullptr;
    steam::RegisterCallbackFn registerCallback = nullptr;
    steam::UnregisterCallbackFn unregisterCallback = nullptr;
    steam::RegisterCallResultFn registerCallResult = nullptr;
    steam::UnregisterCallResultFn unregisterCallResult = nullptr;
    steam::ClientFn client = nullptr;
    steam::FriendsFn friends = nullptr;
    steam::RemoteStorageFn remoteStorage = nullptr;
    steam::ScreenshotsFn screenshots = nullptr;
    steam::UserFn user = nullptr;
    steam::UserStatsFn userStats = nullptr;
    steam::UtilsFn utils = nullptr;
};
const SteamExports& Steam_Exports();

// The interfaces; null when the library gives none.
steam::ISteamUser* Steam_User();
steam::ISteamUserStats* Steam_UserStats();
steam::ISteamFriends* Steam_Friends();
steam::ISteamRemoteStorage* Steam_RemoteStorage();
steam::ISteamScreenshots* Steam_Screenshots();
steam::ISteamUtils* Steam_Utils();
// The logged-on question every request asks first.
bool Steam_LoggedOn();

// Results of kind R that arrive unasked, handed to a member of H. Records
// never outlive the library: every owner is destroyed before it unloads.
template <class H, class R>
class CCallback final : public steam::CCallbackBase {
public:
    using Handler = void (H::*)(R* result);
    CCallback() = default;
    ~CCallback()
    {
        if (flags & kRegistered) Steam_Exports().unregisterCallback(this);
    }

    void Set(H* object, Handler function)
    {
        if (object == nullptr || function == nullptr) return;
        if (flags & kRegistered) Steam_Exports().unregisterCallback(this);
        m_object = object;
        m_function = function;
        callbackId = R::kCallbackId;
        Steam_Exports().registerCallback(this, R::kCallbackId);
    }

    void Run(void* result, bool, steam::CallHandle) override { Run(result); }
    void Run(void* result) override { (m_object->*m_function)(static_cast<R*>(result)); }
    int32_t GetCallbackSizeBytes() override { return static_cast<int32_t>(sizeof(R)); }

private:
    H* m_object = nullptr;
    Handler m_function = nullptr;
};

// The answer to one request. The handler may destroy the record (and its
// owner): nothing of the record is touched after the call.
template <class H, class R>
class CCallResult final : public steam::CCallbackBase {
public:
    using Handler = void (H::*)(R* result, bool ioFailure);
    CCallResult() { callbackId = R::kCallbackId; }
    ~CCallResult() { Cancel(); }

    void Set(steam::CallHandle call, H* object, Handler function)
    {
        Cancel();
        m_call = call;
        m_object = object;
        m_function = function;
        if (call != 0) Steam_Exports().registerCallResult(this, call);
    }
    void Cancel()
    {
        if (m_call != 0) Steam_Exports().unregisterCallResult(this, m_call);
        m_call = 0;
    }
    bool Pending() const { return m_call != 0; }

    void Run(void* result, bool ioFailure, steam::CallHandle call) override
    {
        if (call != m_call) return;
        m_call = 0;
        (m_object->*m_function)(static_cast<R*>(result), ioFailure);
    }
    void Run(void* result) override
    {
        m_call = 0;
        (m_object->*m_function)(static_cast<R*>(result), false);
    }
    int32_t GetCallbackSizeBytes() override { return static_cast<int32_t>(sizeof(R)); }

private:
    steam::CallHandle m_call = 0;
    H* m_object = nullptr;
    Handler m_function = nullptr;
};

}  // namespace bw
