#include "host/message_box.h"

#include <SDL_messagebox.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace bw {

namespace {

bool g_dialogsEnabled = true;

bool EnvironmentHas(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// SDL's own headless drivers can show nothing, whatever DISPLAY says.
bool HeadlessVideoDriverChosen()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver != nullptr && (strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0);
}

Uint32 SdlMessageBoxFlags(HostMessageBoxKind kind)
{
    switch (kind) {
    case HostMessageBoxKind::Warning:
        return SDL_MESSAGEBOX_WARNING;
    case HostMessageBoxKind::Error:
        return SDL_MESSAGEBOX_ERROR;
    case HostMessageBoxKind::Information:
        break;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

void WriteMessageToStderr(const char* caption, const char* text)
{
    if (caption[0] != '\0') {
        std::fputs(caption, stderr);
        std::fputs(": ", stderr);
    }
    std::fputs(text, stderr);
    const size_t length = std::strlen(text);
    if (length == 0 || text[length - 1] != '\n') {
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
}

}  // namespace

int Host_ShowMessageBox(const char* utf8Caption, const char* utf8Text, HostMessageBoxKind kind)
{
    const char* caption = utf8Caption != nullptr ? utf8Caption : "";
    const char* text = utf8Text != nullptr ? utf8Text : "";
    // SDL takes UTF-8 as it is. When it cannot show the box the text must
    // still reach someone, so it goes to standard error like the headless case.
    if (!Host_HasDisplay() || SDL_ShowSimpleMessageBox(SdlMessageBoxFlags(kind), caption, text, nullptr) != 0) {
        WriteMessageToStderr(caption, text);
    }
    return 1;
}

bool Host_AskYesNo(const char* utf8Caption, const char* utf8Text)
{
    const char* caption = utf8Caption != nullptr ? utf8Caption : "";
    const char* text = utf8Text != nullptr ? utf8Text : "";
    enum { kNo = 0, kYes = 1 };
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kNo, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kYes, "Yes"},
    };
    const SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, caption, text, 2, buttons, nullptr};
    int pressed = kYes;
    if (!Host_HasDisplay() || SDL_ShowMessageBox(&box, &pressed) != 0) {
        WriteMessageToStderr(caption, text);
        return true;
    }
    return pressed == kYes;
}

bool Host_HasDisplay()
{
    return g_dialogsEnabled && !HeadlessVideoDriverChosen() &&
           (EnvironmentHas("DISPLAY") || EnvironmentHas("WAYLAND_DISPLAY"));
}

void Host_SetDialogsEnabled(bool enabled)
{
    g_dialogsEnabled = enabled;
}

}  // namespace bw
