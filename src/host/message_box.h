// Modal message boxes of the host platform, each in a window of its own
// that gives way when the system asks the runner to quit. With no display
// (or when the runner was told not to show dialogs) the text goes to
// standard error and the default answer comes back at once, so an
// unattended run never hangs.
#pragma once

namespace bw {

enum class HostMessageBoxKind { Information, Warning, Error };

// Shows a box with an OK button (Enter or Escape); returns 1 (OK) in every
// case. The kind is what the text is about; every kind looks the same.
int Host_ShowMessageBox(const char* utf8Caption, const char* utf8Text, HostMessageBoxKind kind);

// A box with "Yes" (Enter) and "No" (Escape); true for Yes, which is also
// the answer when no box can be shown. A quit answers No.
bool Host_AskYesNo(const char* utf8Caption, const char* utf8Text);

// False when no window can be shown: no video driver, the offscreen driver,
// or dialogs switched off.
bool Host_HasDisplay();
void Host_SetDialogsEnabled(bool enabled);

}  // namespace bw
