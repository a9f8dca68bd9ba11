#include "host/error_dialog.h"

#include <SDL.h>

#include "host/message_box.h"

namespace bw {

namespace {

enum ButtonId { kAbortButton = 1, kIgnoreButton = 2, kCopyButton = 3 };

// The clipboard belongs to SDL's video subsystem; a report raised before the
// game window exists starts it. It then stays up, because an X11 clipboard
// lives only as long as the program that holds it.
void CopyToClipboard(const char* text)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return;
    }
    SDL_SetClipboardText(text);
}

}  // namespace

HostErrorAnswer Host_ShowErrorDialog(const char* utf8Caption, const char* utf8Text, bool canContinue)
{
    const char* caption = utf8Caption != nullptr ? utf8Caption : "";
    const char* text = utf8Text != nullptr ? utf8Text : "";
    const HostErrorAnswer defaultAnswer = canContinue ? HostErrorAnswer::Ignore : HostErrorAnswer::Abort;
    if (!Host_HasDisplay()) {
        Host_ShowMessageBox(caption, text, HostMessageBoxKind::Error);
        return defaultAnswer;
    }

    const SDL_MessageBoxButtonData withIgnore[] = {
        {0, kAbortButton, "Abort"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIgnoreButton, "Ignore"},
        {0, kCopyButton, "Copy"},
    };
    const SDL_MessageBoxButtonData abortOnly[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kAbortButton, "Abort"},
        {0, kCopyButton, "Copy"},
    };
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_ERROR | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.title = caption;
    box.message = text;
    box.numbuttons = canContinue ? 3 : 2;
    box.buttons = canContinue ? withIgnore : abortOnly;

    for (;;) {
        int button = -1;
        if (SDL_ShowMessageBox(&box, &button) != 0) {
            // The report must still reach someone.
            Host_ShowMessageBox(caption, text, HostMessageBoxKind::Error);
            return defaultAnswer;
        }
        switch (button) {
        case kAbortButton:
            return HostErrorAnswer::Abort;
        case kIgnoreButton:
            return HostErrorAnswer::Ignore;
        case kCopyButton:
            CopyToClipboard(text);
            break;
        default:  // the box was closed without a button
            return defaultAnswer;
        }
    }
}

}  // namespace bw
