// The game's one top-level window: created centred with the size and style
// of the game header, its cursor shown or hidden as the header says, and its
// events pumped by every waiting loop of the runner. The input layer and the
// start-up register the handlers that receive keys, mouse and close; until
// they do, events are read and dropped.
#pragma once

#include <cstdint>

namespace bw {

// Header flags that shape the window.
inline constexpr uint32_t kHeaderBorderless = 0x1, kHeaderShowCursor = 0x20, kHeaderSizeable = 0x40;

// The "Create Window" stage: false when no window can be made.
bool MainWindow_Create(int32_t width, int32_t height, uint32_t headerFlags, const char* caption);
void MainWindow_Destroy();
// 1 shift, 2 alt, 4 control.
uint32_t MainWindow_GetModifiers();
// Alt+Enter switches full screen only while the game's options allow it.
void MainWindow_SetAltEnterAllowed(bool allowed);
void MainWindow_OnAltEnter();
// Focus changes; in the background, a game whose options say so freezes.
void MainWindow_OnFocus(bool focused);
// The window was activated or deactivated: the platform services hear of
// a deactivation as the OS pausing the game.
void MainWindow_OnActivate(bool active);
using PauseListener = void (*)();
void MainWindow_SetPauseListener(PauseListener listener);
bool MainWindow_InBackground();
// Closing the window stops the run.
void MainWindow_OnClose();

}  // namespace bw
