#include "online/steam/steam_overlay.h"

#include <memory>

#include "online/steam/steam_client.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/real_to_int.h"

namespace bw {

namespace {

using steam::GameOverlayActivated_t;
using steam::ScreenshotRequested_t;

constexpr const char* kOverlayDialogs[] = {"Friends",  "Community",         "Players",
                                           "Settings", "OfficialGameGroup", "Achievements"};

class CSteamFriendsCallbacks {
public:
    CSteamFriendsCallbacks() { m_activated.Set(this, &CSteamFriendsCallbacks::Steam_OnOverlayActivated); }
    bool overlayActive = false;

private:
    void Steam_OnOverlayActivated(GameOverlayActivated_t* result)
    {
        overlayActive = result->active != 0;
        Console().Printf(overlayActive ? "Steam overlay now active\n" : "Steam overlay now inactive\n");
    }

    CCallback<CSteamFriendsCallbacks, GameOverlayActivated_t> m_activated;
};
std::unique_ptr<CSteamFriendsCallbacks> g_overlay;

class ScreenshotCallbacks {
public:
    ScreenshotCallbacks() { m_requested.Set(this, &ScreenshotCallbacks::Steam_OnScreenshotRequested); }
    bool requested = false;

private:
    void Steam_OnScreenshotRequested(ScreenshotRequested_t*) { requested = true; }

    CCallback<ScreenshotCallbacks, ScreenshotRequested_t> m_requested;
};
std::unique_ptr<ScreenshotCallbacks> g_screenshots;

}  // namespace

void Steam_Overlay_Init()
{
    g_overlay = std::make_unique<CSteamFriendsCallbacks>();
}

void Steam_Overlay_Shutdown()
{
    g_overlay.reset();
}

void Steam_Screenshots_Init()
{
    g_screenshots = std::make_unique<ScreenshotCallbacks>();
    if (steam::ISteamScreenshots* screenshots = Steam_Screenshots()) screenshots->HookScreenshots(true);
}

void Steam_Screenshots_Shutdown()
{
    g_screenshots.reset();
}

double Steam_ActivateOverlay(int32_t kind)
{
    steam::ISteamFriends* friends = Steam_Friends();
    if (friends == nullptr || static_cast<uint32_t>(kind) >= std::size(kOverlayDialogs)) return 0;
    friends->ActivateOverlay(kOverlayDialogs[kind]);
    return 1;
}

double Steam_IsOverlayEnabled()
{
    steam::ISteamUtils* utils = Steam_Utils();
    return utils != nullptr && utils->IsOverlayEnabled() ? 1 : 0;
}

double Steam_IsOverlayActivated()
{
    return g_overlay != nullptr && g_overlay->overlayActive ? 1 : 0;
}

const char* Steam_GetPersonaName()
{
    steam::ISteamFriends* friends = Steam_Friends();
    return friends != nullptr ? friends->GetPersonaName() : "Unknown";
}

double Steam_IsScreenshotRequested()
{
    if (g_screenshots == nullptr || !g_screenshots->requested) return 0;
    g_screenshots->requested = false;
    return 1;
}

double Steam_SendScreenshot(const char* file, double width, double height)
{
    char path[1024];
    steam::ISteamScreenshots* screenshots = Steam_Screenshots();
    if (!LoadSave_PathFind(path, sizeof path, file)) {
        Console().Printf("steam_send_screenshot: failed to find file %s\n", file);
        return -1;
    }
    if (screenshots == nullptr) return -1;
    return screenshots->AddScreenshot(path, nullptr, Real_TruncToInt32(width), Real_TruncToInt32(height));
}

}  // namespace bw
