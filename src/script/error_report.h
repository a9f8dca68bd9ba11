// Error reports of game code. Compile and tree-interpreter errors are kept as
// one pending message per compile or run (the first wins); the outermost
// executor turns a pending message into one run-time report. Built-ins report
// misuse straight through Code_Error_Runtime. A report is logged, shown in
// the error dialog, and may end the game; after that every report is ignored,
// so a failing game stops with one dialog.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// ---- pending message of a compile or run ----

// The line (from 1), the column (from 1, in bytes; a carriage return does
// not count) and the text of the line at a byte position of source text.
struct SourcePlace {
    int32_t line = 1;
    int32_t column = 1;
    std::string lineText;
};
SourcePlace Code_SourcePlace(std::string_view text, int32_t position);

// Records an error at a byte position of a code unit's source text, unless
// one is already pending. A program unit reports the line and its text, an
// expression unit the whole text.
void Code_Report_Error(const char* sourceText, bool programUnit, int32_t position, const char* message);
namespace error_detail {
// Read inline: every script call the machine makes asks it.
inline bool g_pending = false;
// The pending error ends the game once it is reported.
inline bool g_pendingFatal = false;
}  // namespace error_detail
inline bool Code_Error_HasPending()
{
    return error_detail::g_pending;
}
// The pending message, "" when none was ever recorded.
const char* Code_Error_PendingMessage();
// Where the pending message points and its bare cause, for tools that print
// compile errors in their own form (a file:line:column line and a caret).
struct PendingErrorPlace {
    int32_t line = 0;    // from 1
    int32_t column = 0;  // from 1, in bytes; a carriage return does not count
    std::string lineText;
    std::string cause;   // the message without the place around it
    int32_t position = 0;  // byte offset in the source text, within its length
};
const PendingErrorPlace& Code_Error_PendingPlace();
// Clears the flag at the start of each compile phase and each run.
inline void Code_Error_ClearPending()
{
    error_detail::g_pending = false;
    error_detail::g_pendingFatal = false;
}
// A run on the virtual machine failed: its pending error, if any, is fatal
// however the failed code was reached (called directly, through
// script_execute, from code run as text), since the machine's errors end
// the game.
inline void Code_Error_MarkPendingFatal()
{
    error_detail::g_pendingFatal = error_detail::g_pending;
}
// An inner layer (a script, an extension function) puts its context in
// front of the pending message, so that the outermost report carries both.
void Code_Error_PrefixPending(const char* prefix);

// ---- reports ----

// A run-time error of game code: builds the report (where, the message, the
// call stack) and hands it to Code_Error_Log. fatal: the game cannot go on.
void Code_Error_Runtime(const char* message, bool fatal);
// Turns the pending message into one run-time report and clears it; a
// fatal one then ends the process (Code_Error_EndAfterFatal). The tree
// interpreter's own errors let the game go on.
void Code_Error_ReportPending();
// Logs "ERROR!!! :: <text>", shows the dialog when errors are shown, and
// stops the game when the error is fatal (or the player chose "Abort").
void Code_Error_Log(const char* text, bool fatal);
// The status the process ends with after a fatal error of the machine, and
// after any error that ended the game: -1, which the shell sees as 255.
inline constexpr int kFatalErrorExitCode = -1;
// Called after the fatal report of a machine error: ends the process with
// kFatalErrorExitCode (through the endProcess hook, so code run by tests
// never ends their process), unless a debugger is attached (it may have
// attached while the report was shown) or the error came from code the
// debugger runs for its own displays.
void Code_Error_EndAfterFatal();
// Only the log line: for errors that must neither stop the game nor ask.
void Code_Error_LogOnly(const char* text);
// Frames the text for the dialog and shows it; true when the player aborted.
bool Code_Error_FormatDump(const char* text, bool canContinue);

// ---- switches ----

// The show-errors flag: the options reset sets it at the start of every
// package load.
void Code_Error_SetShowErrors(bool show);
// "-noerrors" on the command line. It is kept apart from the show-errors
// flag so that the options reset cannot bring the dialogs back.
void Code_Error_SetNoErrorsSwitch(bool noErrors);
// The package option that makes every run-time error fatal.
void Code_Error_SetAllErrorsFatal(bool allFatal);
// Set by the debugger while it evaluates code for its own displays: errors
// then neither open the dialog nor reach the log, and never end the game.
void Code_Error_SetDebugSuppress(bool suppress);
bool Code_Error_DebugSuppressed();
// How many reports were made while suppressed: an evaluation whose count
// moved failed, even where the code it ran went on.
uint32_t Code_Error_SuppressedReportCount();

// ---- state ----

bool Code_Error_Occurred();     // a report was logged
bool Code_Error_GameAborted();  // an error ended the game
// Copy of the last logged report; null when none.
const char* Code_Error_LastText();
// Game code may set both itself (error_occurred, error_last), for instance
// to clear them before trying something that may fail.
void Code_Error_SetOccurred(bool occurred);
void Code_Error_SetLastText(const char* text);
// Forgets every error (pending, last, occurred, aborted), as for a new run.
void Code_Error_ResetState();

// ---- what the layers above contribute ----

// Where game code was running when the error happened.
struct ErrorLocation {
    bool inTimeLine = false;  // a time-line moment rather than an object event
    int32_t timeStep = 0;     // the moment's step
    std::string timeLineName = "<undefined>";
    std::string eventName = "<undefined>";  // long name, e.g. "Create Event"
    std::string objectName = "<undefined>";
};

struct ErrorStackFrame {
    std::string codeName;
    int32_t line = 0;
    std::string lineText;
};

// Variable lists printed after a report; an empty text means "has none".
struct ErrorVariableDump {
    std::string locals;
    std::string self;
    std::string globals;
};

// Each owner fills its own hook at start-up; an unset hook does nothing.
struct ErrorReportHooks {
    // The current event globals (world).
    void (*describeLocation)(ErrorLocation* location) = nullptr;
    // The virtual machine's frames, innermost first, up to the first frame
    // without code; empty when the machine is not running.
    void (*callStack)(std::vector<ErrorStackFrame>* frames) = nullptr;
    // The running frame's locals, its self instance's and the global variables.
    void (*dumpVariables)(ErrorVariableDump* dump) = nullptr;
    // The display leaves full screen so the dialog can be seen (graphics).
    void (*leaveFullscreen)() = nullptr;
    // The debug window shows the state at the error (debugger).
    void (*refreshDebugWindow)() = nullptr;
    // Keys and buttons held when the dialog opened are forgotten (input).
    void (*clearInput)() = nullptr;
    // Stop request (-400) and the quit message (main loop).
    void (*stopGame)() = nullptr;
    // Ends the process with the status, never returning (the runner's main).
    void (*endProcess)(int status) = nullptr;
};
ErrorReportHooks& Code_Error_Hooks();

}  // namespace bw
