#include "script/error_report.h"

#include <algorithm>
#include <cstring>

#include "platform/console.h"
#include "script/error_dialog.h"
#include "script/vm_debug.h"

namespace bw {

namespace {

struct ErrorState {
    std::string pendingMessage;
    PendingErrorPlace pendingPlace;
    bool hasLastText = false;
    std::string lastText;
    bool occurred = false;
    bool aborted = false;
    bool showErrors = true;
    bool noErrorsSwitch = false;
    bool allErrorsFatal = false;
    bool debugSuppress = false;
    uint32_t suppressedReports = 0;
};

ErrorState& State()
{
    static ErrorState state;
    return state;
}

const std::string kHashRule(92, '#');
const std::string kDashRule(92, '-');
const std::string kDialogRule(43, '_');

const char* OrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

// With a debugger attached the game is held for it where an error happened
// (one that attached while the dialog was up holds it as well), and an
// expression the debugger evaluates fails alone: the game it looks at goes
// on. Either way no error asks about the game or ends it.
bool DebuggerKeepsTheGame()
{
    return VM_Debug_Attached() || State().debugSuppress;
}

template <typename Hook, typename... Args>
void CallHook(Hook hook, Args... args)
{
    if (hook != nullptr) {
        hook(args...);
    }
}

std::string ReportHeading(const char* message, bool fatal)
{
    ErrorLocation where;
    CallHook(Code_Error_Hooks().describeLocation, &where);
    // An event or moment holds a single code unit, so its action is always 1.
    constexpr int32_t kActionNumber = 1;
    TErrStreamConsole heading;
    const char* prefix = fatal ? "FATAL " : "";
    if (where.inTimeLine) {
        heading.Printf("%sERROR in\naction number %d\nat time step%d\nof time line %s:\n\n\n%s", prefix, kActionNumber,
                       where.timeStep, where.timeLineName.c_str(), message);
    } else {
        heading.Printf("%sERROR in\naction number %d\nof %s\nfor object %s:\n\n\n%s", prefix, kActionNumber,
                       where.eventName.c_str(), where.objectName.c_str(), message);
    }
    return heading.Text();
}

void PrintVariables(const char* title, const std::string& list)
{
    if (!list.empty()) {
        Console().Printf("%s\n%s%s", kDashRule.c_str(), title, list.c_str());
    }
}

}  // namespace

SourcePlace Code_SourcePlace(std::string_view text, int32_t position)
{
    const size_t at = static_cast<size_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(text.size())));
    SourcePlace place{1, 1, {}};
    size_t lineStart = 0;
    for (size_t i = 0; i < at; ++i) {
        if (text[i] == '\n') {
            ++place.line;
            place.column = 1;
            lineStart = i + 1;
        } else if (text[i] != '\r') {
            ++place.column;
        }
    }
    const size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
    place.lineText.assign(text.substr(lineStart, lineEnd - lineStart));
    if (!place.lineText.empty() && place.lineText.back() == '\r') {
        place.lineText.pop_back();
    }
    return place;
}

void Code_Report_Error(const char* sourceText, bool programUnit, int32_t position, const char* message)
{
    ErrorState& state = State();
    if (error_detail::g_pending) {
        return;
    }
    error_detail::g_pending = true;

    const std::string_view text(OrEmpty(sourceText));
    SourcePlace place = Code_SourcePlace(text, position);
    TErrStreamConsole formatted;
    if (programUnit) {
        formatted.Printf("Error in code at line %d:\n   %s\n\nat position %d: %s", place.line, place.lineText.c_str(),
                         place.column, OrEmpty(message));
    } else {
        formatted.Printf("Error in expression: %s\n position %d: %s", std::string(text).c_str(), place.column,
                         OrEmpty(message));
    }
    state.pendingMessage = formatted.Text();
    const int32_t within = static_cast<int32_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(text.size())));
    state.pendingPlace = {place.line, place.column, std::move(place.lineText), OrEmpty(message), within};
}

const PendingErrorPlace& Code_Error_PendingPlace()
{
    return State().pendingPlace;
}

const char* Code_Error_PendingMessage()
{
    return State().pendingMessage.c_str();
}

void Code_Error_PrefixPending(const char* prefix)
{
    ErrorState& state = State();
    state.pendingMessage.insert(0, OrEmpty(prefix));
}

void Code_Error_Runtime(const char* message, bool fatal)
{
    if (State().aborted) {
        return;
    }
    const ErrorReportHooks& hooks = Code_Error_Hooks();
    std::vector<ErrorStackFrame> frames;
    CallHook(hooks.callStack, &frames);

    TErrStreamConsole report;
    report.Printf("%s\n%s\n", kHashRule.c_str(), ReportHeading(OrEmpty(message), fatal).c_str());
    if (!frames.empty()) {
        report.Printf(" at %s (line %d) - %s\n", frames[0].codeName.c_str(), frames[0].line,
                      frames[0].lineText.c_str());
    }
    report.Printf("%s\n", kHashRule.c_str());
    if (frames.size() > 1) {
        report.Printf("%s\nstack frame is\n%s (line %d)\n", kDashRule.c_str(), frames[0].codeName.c_str(),
                      frames[0].line);
        for (size_t i = 1; i < frames.size(); ++i) {
            report.Printf("called from - %s (line %d) - %s\n", frames[i].codeName.c_str(), frames[i].line,
                          frames[i].lineText.c_str());
        }
    }
    Code_Error_Log(report.Text().c_str(), fatal);

    ErrorVariableDump dump;
    CallHook(hooks.dumpVariables, &dump);
    PrintVariables("Local Variables : \n", dump.locals);
    PrintVariables("Self Variables : \n", dump.self);
    PrintVariables("Global Variables : \n", dump.globals);
}

void Code_Error_ReportPending()
{
    const bool fatal = error_detail::g_pendingFatal;
    // Taken first: the report may run code of its own (the debug window's
    // watches), which starts from a clear pending state.
    const std::string message = Code_Error_PendingMessage();
    Code_Error_ClearPending();
    Code_Error_Runtime(message.c_str(), fatal);
    if (fatal) {
        Code_Error_EndAfterFatal();
    }
}

void Code_Error_Log(const char* text, bool fatal)
{
    ErrorState& state = State();
    if (state.aborted) {
        return;
    }
    bool abort = state.allErrorsFatal || fatal;
    const ErrorReportHooks& hooks = Code_Error_Hooks();
    CallHook(hooks.leaveFullscreen);
    CallHook(hooks.refreshDebugWindow);
    if (state.showErrors && !state.noErrorsSwitch && !DebuggerKeepsTheGame()) {
        if (abort) {
            Code_Error_FormatDump(text, false);
        } else {
            abort = Code_Error_FormatDump(text, true);
        }
    }
    abort = abort && !DebuggerKeepsTheGame();
    state.suppressedReports += state.debugSuppress ? 1 : 0;
    CallHook(hooks.clearInput);
    Code_Error_SetLastText(text);
    if (!state.debugSuppress) {
        Console().Printf("ERROR!!! :: %s\n", OrEmpty(text));
    }
    state.occurred = true;
    if (abort) {
        state.aborted = true;
        CallHook(hooks.stopGame);
    }
}

void Code_Error_EndAfterFatal()
{
    const ErrorReportHooks& hooks = Code_Error_Hooks();
    if (hooks.endProcess != nullptr && !DebuggerKeepsTheGame()) {
        hooks.endProcess(kFatalErrorExitCode);
    }
}

void Code_Error_LogOnly(const char* text)
{
    if (!State().debugSuppress) {
        Console().Printf("ERROR!!! :: %s\n", OrEmpty(text));
    }
}

bool Code_Error_FormatDump(const char* text, bool canContinue)
{
    std::string framed = "\r\n" + kDialogRule + "\r\n";
    const char* c = OrEmpty(text);
    std::string line;
    while (*c != '\0') {
        if (*c == '\r' || *c == '\n') {
            // A carriage return and line feed together end one line.
            if (c[0] == '\r' && c[1] == '\n') {
                ++c;
            }
            framed += line + "\r\n";
            line.clear();
        } else if (*c == '\t') {
            line += "       ";
        } else {
            line += *c;
        }
        ++c;
    }
    if (!line.empty()) {
        framed += line + "\r\n";
    }
    return ErrorDialog_Show(framed, canContinue) == 1;
}

void Code_Error_SetShowErrors(bool show)
{
    State().showErrors = show;
}

void Code_Error_SetNoErrorsSwitch(bool noErrors)
{
    State().noErrorsSwitch = noErrors;
}

void Code_Error_SetAllErrorsFatal(bool allFatal)
{
    State().allErrorsFatal = allFatal;
}

void Code_Error_SetDebugSuppress(bool suppress)
{
    State().debugSuppress = suppress;
}

bool Code_Error_DebugSuppressed()
{
    return State().debugSuppress;
}

uint32_t Code_Error_SuppressedReportCount()
{
    return State().suppressedReports;
}

bool Code_Error_Occurred()
{
    return State().occurred;
}

bool Code_Error_GameAborted()
{
    return State().aborted;
}

const char* Code_Error_LastText()
{
    const ErrorState& state = State();
    return state.hasLastText ? state.lastText.c_str() : nullptr;
}

void Code_Error_SetOccurred(bool occurred)
{
    State().occurred = occurred;
}

void Code_Error_SetLastText(const char* text)
{
    ErrorState& state = State();
    state.hasLastText = text != nullptr;
    state.lastText = OrEmpty(text);
}

void Code_Error_ResetState()
{
    ErrorState& state = State();
    error_detail::g_pending = false;
    state.pendingMessage.clear();
    state.hasLastText = false;
    state.lastText.clear();
    state.occurred = false;
    state.aborted = false;
}

ErrorReportHooks& Code_Error_Hooks()
{
    static ErrorReportHooks hooks;
    return hooks;
}

}  // namespace bw
