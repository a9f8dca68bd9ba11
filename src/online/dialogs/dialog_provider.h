// Everything the dialogs of game code show goes through one provider: the
// desktop's (SDL message boxes, input forms in a second window, the file
// chooser), the headless one when there is no display (each dialog takes
// the answer Enter would give at once and says so on the console, so an
// unattended run never waits), or one a test installs.
#pragma once

#include <string>

#include "host/dialog_forms.h"
#include "host/file_dialog.h"

namespace bw {

class IDialogProvider {
public:
    virtual ~IDialogProvider() = default;
    // Blocks until answered. The game window keeps being serviced.
    virtual DialogAnswer RunModal(const DialogForm& form) = 0;
    // An asynchronous dialog: Open shows it beside the running game, Poll
    // (once per step) gives its answer when there is one. One at a time.
    virtual void Open(const DialogForm& form) = 0;
    virtual bool Poll(DialogAnswer* answer) = 0;
    // Closes the open asynchronous dialog unanswered (game end).
    virtual void Close() = 0;
    // A chosen file; false on cancel.
    virtual bool ChooseFile(const HostFileRequest& request, std::string* path) = 0;
};

// The provider in force: a test's, else the desktop's or the headless one.
IDialogProvider& Dialog_Provider();
// A test's provider (null: back to the runner's own).
void Dialog_SetProvider(IDialogProvider* provider);

}  // namespace bw
