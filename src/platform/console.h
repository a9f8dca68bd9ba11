// One console carries every diagnostic line of the runner: to standard
// output, to the debug window when it is open, and appended to the log file
// named on the command line.
#pragma once

#include <string>

namespace bw {

class tagIConsole {
public:
    virtual ~tagIConsole() = default;
    virtual bool IsReady() const { return true; }
    virtual void Printf(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
};

class TConsole : public tagIConsole {
public:
    explicit TConsole(bool debugConsole);
    void Printf(const char* format, ...) override __attribute__((format(printf, 2, 3)));

private:
    bool m_debugConsole;
};

// Log-file settings taken from the command line ("-output", "-debugoutput").
struct ConsoleSettings {
    bool outputEnabled = false;
    std::string outputFile;
    bool debugOutputEnabled = false;
    std::string debugOutputFile;
};
ConsoleSettings& Console_Settings();

// The debug window registers here to receive each formatted line; the
// console itself knows nothing of windows.
using ConsoleListener = void (*)(const char* line);
void Console_SetDebugListener(ConsoleListener listener);

// The global console every module logs through.
tagIConsole& Console();

// The title of message boxes and input dialogs. Until the game sets its own,
// it is the program's name, which also prefixes the text on standard error
// when no dialog can be shown.
void DialogCaption_Set(const char* utf8Caption);
const char* DialogCaption_Get();

// A full-screen display would hide the message box; the graphics device
// registers how to leave full screen before one is shown.
using LeaveFullscreenHook = void (*)();
void ShowMessage_SetLeaveFullscreenHook(LeaveFullscreenHook hook);

// A message the user must acknowledge; returns the dialog's answer.
int ShowMessage(const char* utf8Text);

}  // namespace bw
