#include "platform/console.h"

#include <cstdarg>
#include <cstdio>

#include "host/message_box.h"

namespace bw {

namespace {

// The debug window and the log file take at most this much of one message;
// standard output always gets it whole.
constexpr size_t kLineBufferSize = 4096;

ConsoleListener g_debugListener = nullptr;
std::string g_dialogCaption = "bwrun";
LeaveFullscreenHook g_leaveFullscreen = nullptr;

// Opened and closed for each message so the log survives a crash and can be
// read while the game runs. A file that cannot be opened misses this message.
void AppendToLogFile(const std::string& path, const char* text)
{
    FILE* file = std::fopen(path.c_str(), "a+");
    if (file == nullptr) {
        return;
    }
    std::fputs(text, file);
    std::fclose(file);
}

}  // namespace

TConsole::TConsole(bool debugConsole) : m_debugConsole(debugConsole) {}

void TConsole::Printf(const char* format, ...)
{
    if (format == nullptr) {
        return;
    }
    char line[kLineBufferSize];
    va_list args;
    va_start(args, format);
    va_list argsAgain;
    va_copy(argsAgain, args);
    std::vprintf(format, args);
    if (std::vsnprintf(line, sizeof line, format, argsAgain) < 0) {
        line[0] = '\0';
    }
    va_end(argsAgain);
    va_end(args);

    if (g_debugListener != nullptr) {
        g_debugListener(line);
    }
    const ConsoleSettings& settings = Console_Settings();
    const bool logging = m_debugConsole ? settings.debugOutputEnabled : settings.outputEnabled;
    if (logging) {
        AppendToLogFile(m_debugConsole ? settings.debugOutputFile : settings.outputFile, line);
    }
    std::fflush(stdout);
}

ConsoleSettings& Console_Settings()
{
    static ConsoleSettings settings;
    return settings;
}

void Console_SetDebugListener(ConsoleListener listener)
{
    g_debugListener = listener;
}

tagIConsole& Console()
{
    static TConsole console(false);
    return console;
}

void DialogCaption_Set(const char* utf8Caption)
{
    g_dialogCaption = utf8Caption != nullptr ? utf8Caption : "";
}

const char* DialogCaption_Get()
{
    return g_dialogCaption.c_str();
}

void ShowMessage_SetLeaveFullscreenHook(LeaveFullscreenHook hook)
{
    g_leaveFullscreen = hook;
}

int ShowMessage(const char* utf8Text)
{
    if (g_leaveFullscreen != nullptr) {
        g_leaveFullscreen();
    }
    return Host_ShowMessageBox(g_dialogCaption.c_str(), utf8Text, HostMessageBoxKind::Information);
}

}  // namespace bw
