// The overlay (whether it is open, opening it on a dialog), the user's
// persona name, and screenshots: the game takes those the user asks Steam
// for, and hands image files to the user's screenshot library.
#pragma once

#include <cstdint>

namespace bw {

void Steam_Overlay_Init();
void Steam_Overlay_Shutdown();
void Steam_Screenshots_Init();
void Steam_Screenshots_Shutdown();

// Kinds 0 to 5: "Friends", "Community", "Players", "Settings",
// "OfficialGameGroup", "Achievements".
double Steam_ActivateOverlay(int32_t kind);
double Steam_IsOverlayEnabled();
double Steam_IsOverlayActivated();
// Owned by the client library; callers copy it.
const char* Steam_GetPersonaName();
// 1 once after one or more requests, then 0.
double Steam_IsScreenshotRequested();
// The screenshot's handle, or -1 when the file is in neither area.
double Steam_SendScreenshot(const char* file, double width, double height);

}  // namespace bw
