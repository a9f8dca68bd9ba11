#include "script/error_dialog.h"

#include <cstdarg>
#include <cstdio>

#include "host/clock.h"
#include "host/error_dialog.h"
#include "host/message_box.h"
#include "host/text_lines.h"
#include "platform/messages.h"

namespace bw {

namespace {

constexpr const char* kErrorDialogCaption = "Code Error...";

}  // namespace

void TErrStreamConsole::Printf(const char* format, ...)
{
    if (format == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length > 0) {
        const size_t start = m_text.size();
        m_text.resize(start + static_cast<size_t>(length) + 1);
        std::vsnprintf(m_text.data() + start, static_cast<size_t>(length) + 1, format, args);
        m_text.resize(start + static_cast<size_t>(length));
    }
    va_end(args);
}

int32_t ErrorDialog_Show(const std::string& text, bool canContinue)
{
    if (Host_HasDisplay()) {
        // Let the game window finish what it was drawing before the modal
        // box takes over its messages.
        for (int i = 0; i < 2; ++i) {
            Host_SleepMilliseconds(100);
            ProcessMessages();
        }
    }
    // Lines end in "\r\n" in the report; what Copy puts on the clipboard is
    // pasted into programs that want plain line feeds.
    const HostErrorAnswer answer =
        Host_ShowErrorDialog(kErrorDialogCaption, HostText_WithLineFeeds(text).c_str(), canContinue);
    return answer == HostErrorAnswer::Abort ? 1 : 0;
}

}  // namespace bw
