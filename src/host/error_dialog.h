// The modal box that shows a game-code error report and asks whether the
// game goes on. With no display (or dialogs switched off) the report goes to
// standard error and the default answer comes back at once, so an unattended
// run never waits for a person.
#pragma once

namespace bw {

enum class HostErrorAnswer { Abort, Ignore };

// Buttons "Abort", "Ignore" (only when canContinue), "Copy", which puts
// the text on the clipboard, and "Clear", which forgets it (Copy then
// leaves the clipboard as it is); both leave the box up. The default answer
// (the button that has the focus when the box opens, which Enter presses;
// Escape; closing the box) is Ignore when the game may continue, else
// Abort. A quit asked of the runner (SIGTERM, SIGINT) answers Abort.
HostErrorAnswer Host_ShowErrorDialog(const char* utf8Caption, const char* utf8Text, bool canContinue);

}  // namespace bw
