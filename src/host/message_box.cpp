#include "host/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <strings.h>

#include "host/dialog_forms.h"
#include "host/modal_form.h"
#include "host/text_lines.h"

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

// A terminal shows each line of the text only when they end in LF.
void WriteMessageToStderr(const char* caption, const char* text)
{
    if (caption[0] != '\0') {
        std::fputs(caption, stderr);
        std::fputs(": ", stderr);
    }
    const std::string lines = HostText_WithLineFeeds(text);
    std::fputs(lines.c_str(), stderr);
    if (lines.empty() || lines.back() != '\n') {
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
}

// Shows the box in a window of its own until it is answered; the answer,
// or none when no window could be made or a quit was asked first.
std::optional<DialogAnswer> RunBox(DialogKind kind, const char* caption, const char* text)
{
    if (!Host_HasDisplay()) return std::nullopt;
    HostDialogForm box(DialogForm{kind, caption, text, "", ""});
    if (!box.IsOpen()) return std::nullopt;
    DialogAnswer answer;
    if (HostModal_Run([&] { return box.Poll(&answer); }) == ModalEnd::Quit) return DialogAnswer{};
    return answer;
}

}  // namespace

int Host_ShowMessageBox(const char* utf8Caption, const char* utf8Text, HostMessageBoxKind)
{
    const char* caption = utf8Caption != nullptr ? utf8Caption : "";
    const char* text = utf8Text != nullptr ? utf8Text : "";
    // When no box can be shown the text must still reach someone.
    if (!RunBox(DialogKind::Message, caption, text)) WriteMessageToStderr(caption, text);
    return 1;
}

bool Host_AskYesNo(const char* utf8Caption, const char* utf8Text)
{
    const char* caption = utf8Caption != nullptr ? utf8Caption : "";
    const char* text = utf8Text != nullptr ? utf8Text : "";
    const std::optional<DialogAnswer> answer = RunBox(DialogKind::Question, caption, text);
    if (!answer) {
        WriteMessageToStderr(caption, text);
        return true;
    }
    return answer->accepted;
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
