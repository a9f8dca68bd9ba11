// Argument handling of the "Misc.." built-ins. Events go to the world's
// event dispatch, variables to its variable store, code text to the script
// engine; integer arguments are rounded to the nearest integer (ties to even).
#include "library/misc_builtins.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <string>

#include "host/process_priority.h"
#include "host/window.h"
#include "script/arguments.h"
#include "library/date_builtins.h"
#include "library/external_builtins.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/names.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/object.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {

namespace {

constexpr int32_t kUserEventFirst = 10;  // user event n is "other" event 10 + n
constexpr int32_t kArrayIndexLimit = kValueArrayRowStride;

// ---- events ----

BW_SELF_BUILTIN(EventPerform)
{
    Event_Perform(self, other, Arg_Round(args[0]), Arg_Round(args[1]));
}

BW_SELF_BUILTIN(EventUser)
{
    // Saturated so that a huge n names no event rather than wrapping onto one.
    const int64_t number = int64_t{Arg_Round(args[0])} + kUserEventFirst;
    Event_Perform(self, other, kEventOther,
                  static_cast<int32_t>(std::min<int64_t>(number, std::numeric_limits<int32_t>::max())));
}

BW_SELF_BUILTIN(EventPerformObject)
{
    PerformEvent(self, other, Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2]));
}

BW_SELF_BUILTIN(EventInherited)
{
    const CurrentEvent& current = Event_Current();
    const CObject* object = Object_Find(current.object);
    if (object != nullptr && Object_Exists(object->parent)) {
        PerformEvent(self, other, object->parent, current.type, current.number);
    }
}

// ---- variables by name ----

// The variable id a name argument gives; false when the argument is no text.
bool VariableIdOf(const Value& name, int32_t* id)
{
    if (!Arg_IsString(name) || Value_String(name) == nullptr) {
        return false;
    }
    *id = Code_Variable_Find_Or_Add(Value_String(name));
    return true;
}

// Element i, or element (i, j) of the two-dimensional forms, as one array
// index; an index beyond the row stride is reported and nothing else is done.
bool ArrayIndexOf(const Value& first, const Value* second, int32_t* index)
{
    const int32_t i = Arg_Round(first);
    const int32_t j = second != nullptr ? Arg_Round(*second) : 0;
    if (i >= kArrayIndexLimit || j >= kArrayIndexLimit) {
        Code_Error_Runtime("Array index >= 32000", false);
        return false;
    }
    if (second == nullptr) {
        *index = i;
        return true;
    }
    // Negative indexes address no element; held in range so they stay so.
    const int64_t combined = int64_t{i} * kValueArrayRowStride + j;
    *index = static_cast<int32_t>(std::max<int64_t>(combined, std::numeric_limits<int32_t>::min()));
    return true;
}

// A scope of variables: the global one, or self's.
struct VariableScope {
    bool (*exists)(CInstance* self, int32_t id);
    bool (*get)(CInstance* self, int32_t id, int32_t index, Value* out);
    bool (*set)(CInstance* self, int32_t id, int32_t index, const Value* in);
};

// A global built-in exists when it can be read without an instance; a user
// variable when it has been given a value (the store's reads answer for
// unset variables too, so they cannot tell).
bool GlobalExists(CInstance*, int32_t id)
{
    if (id >= kVariableBuiltinIdLimit) {
        return Variable_GlobalList().Exists(id);
    }
    Value value;
    const bool read = Variable_Global_Get(id, kValueNoIndex, &value);
    Value_Free(value);
    return read;
}

bool GlobalGet(CInstance*, int32_t id, int32_t index, Value* out)
{
    return Variable_Global_Get(id, index, out);
}

bool GlobalSet(CInstance*, int32_t id, int32_t index, const Value* in)
{
    return Variable_Global_Set(id, index, in);
}

// Every instance has every built-in variable.
bool LocalExists(CInstance* self, int32_t id)
{
    return self != nullptr && (id < kVariableBuiltinIdLimit || self->i_vars->Exists(id));
}

constexpr VariableScope kGlobalScope{&GlobalExists, &GlobalGet, &GlobalSet};
constexpr VariableScope kLocalScope{&LocalExists, &Variable_GetValue, &Variable_SetValue};

template <const VariableScope& scope>
BW_SELF_BUILTIN(VariableExists)
{
    int32_t id = 0;
    result->real = VariableIdOf(args[0], &id) && scope.exists(self, id) ? 1.0 : 0.0;
}

// A missing variable or element reads as real 0.
void ReadVariable(const VariableScope& scope, CInstance* self, int32_t id, int32_t index, Value* result)
{
    if (!scope.get(self, id, index, result)) {
        Value_SetReal(*result, 0.0);
    }
}

template <const VariableScope& scope>
BW_SELF_BUILTIN(VariableGet)
{
    int32_t id = 0;
    if (VariableIdOf(args[0], &id)) {
        ReadVariable(scope, self, id, kValueNoIndex, result);
    }
}

template <const VariableScope& scope>
BW_SELF_BUILTIN(VariableArrayGet)
{
    int32_t id = 0;
    int32_t index = 0;
    if (VariableIdOf(args[0], &id) && ArrayIndexOf(args[1], nullptr, &index)) {
        ReadVariable(scope, self, id, index, result);
    }
}

template <const VariableScope& scope>
BW_SELF_BUILTIN(VariableArray2Get)
{
    int32_t id = 0;
    int32_t index = 0;
    if (VariableIdOf(args[0], &id) && ArrayIndexOf(args[1], &args[2], &index)) {
        ReadVariable(scope, self, id, index, result);
    }
}

template <const VariableScope& scope>
BW_SELF_BUILTIN(VariableSet)
{
    int32_t id = 0;
    if (VariableIdOf(args[0], &id)) {
        scope.set(self, id, kValueNoIndex, &args[1]);
    }
}

template <const VariableScope& scope>
BW_SELF_BUILTIN(VariableArraySet)
{
    int32_t id = 0;
    int32_t index = 0;
    if (VariableIdOf(args[0], &id) && ArrayIndexOf(args[1], nullptr, &index)) {
        scope.set(self, id, index, &args[2]);
    }
}

template <const VariableScope& scope>
BW_SELF_BUILTIN(VariableArray2Set)
{
    int32_t id = 0;
    int32_t index = 0;
    if (VariableIdOf(args[0], &id) && ArrayIndexOf(args[1], &args[2], &index)) {
        scope.set(self, id, index, &args[3]);
    }
}

// ---- running code text ----


struct CodeTextKind {
    const char* unitName;        // followed by the kind's counter
    const char* compileFailure;  // followed by the compiler's message
};
constexpr CodeTextKind kStringText{"Execute.", "COMPILATION ERROR in string to be executed\n"};
constexpr CodeTextKind kFileText{"ExecuteFile.", "COMPILATION ERROR in file to be executed\n"};

int32_t g_executeStringCount = 0;
int32_t g_executeFileCount = 0;

// Compiles the text as a program and runs it with the extra arguments in
// the argument slots; a text that does not compile is logged (the game goes
// on) and gives 0.
void RunCodeText(const char* text, const CodeTextKind& kind, int32_t& counter, CInstance* self, CInstance* other,
                 int32_t argc, const Value* args, Value* result)
{
    // The code text gets slots of its own; the caller's argument count stays.
    const ScriptArgumentsScope arguments(args + 1, argc - 1, Script_Arguments().count);
    CCode code(text, false);
    const std::string name = kind.unitName + std::to_string(counter);
    ++counter;
    if (code.Compile(name.c_str())) {
        Code_Execute(self, other, code, result);
        return;
    }
    Code_Error_Log((kind.compileFailure + std::string(Code_Error_PendingMessage())).c_str(), false);
    // The message is told; left pending it would hide the caller's own errors.
    Code_Error_ClearPending();
    Value_SetReal(*result, 0.0);
}

// The file's whole text (a leading UTF-8 signature dropped); false when the
// name finds no readable file in either area.
bool ReadCodeFile(const char* name, std::string* text)
{
    char path[kLoadSavePathSize];
    if (name == nullptr || !LoadSave_PathFind(path, sizeof path, name)) {
        return false;
    }
    size_t size = 0;
    const std::unique_ptr<uint8_t, void (*)(void*)> data(LoadSave_ReadWholeFile(path, &size), &MemoryManager_Free);
    if (data == nullptr) {
        return false;
    }
    const char* bytes = reinterpret_cast<const char*>(data.get());
    const size_t skip = size >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF' ? 3 : 0;
    text->assign(bytes + skip, size - skip);
    return true;
}

void ExecuteString(Value* result, CInstance* self, CInstance* other, int32_t argc, Value* args)
{
    if (argc < 1) {
        return;
    }
    RunCodeText(Arg_TextOrEmpty(args[0]), kStringText, g_executeStringCount, self, other, argc, args, result);
}

void ExecuteFile(Value* result, CInstance* self, CInstance* other, int32_t argc, Value* args)
{
    std::string text;
    if (argc < 1 || !ReadCodeFile(Arg_IsString(args[0]) ? Value_String(args[0]) : nullptr, &text)) {
        Code_Error_Runtime("Trying to execute non-existing file.", false);
        return;
    }
    RunCodeText(text.c_str(), kFileText, g_executeFileCount, self, other, argc, args, result);
}

// ---- system ----

BW_BUILTIN(ShowDebugMessage)
{
    std::string text;
    Value_ToString(text, args[0]);
    Console().Printf("%s\n", text.c_str());
}

BW_BUILTIN(SetApplicationTitle)
{
    if (Arg_IsString(args[0])) {
        HostWindow_SetCaption(Arg_TextOrEmpty(args[0]));
    }
}

BW_BUILTIN(WindowHandle)
{
    Value_SetReal(*result, HostWindow_Id());
}

// The nice value that stands for each priority class and thread priority
// game code asks for: -3 idle, -2 and -1 below normal, 0 normal, 1 and 2
// above, 3 real time; anything else is normal.
int ProgramPriorityNice(int32_t priority)
{
    switch (priority) {
    case -3: return 19;
    case -2: return 10;
    case -1: return 5;
    case 1: return -5;
    case 2: return -10;
    case 3: return -20;
    default: return 0;
    }
}

// A priority the system refuses to this user leaves the old one in place;
// the game goes on either way.
BW_BUILTIN(SetProgramPriority)
{
    HostProcess_SetNice(ProgramPriorityNice(Arg_Round(args[0])));
}

BW_BUILTIN(ClipboardHasText)
{
    Result_SetBool(result, HostClipboard_HasText());
}

BW_BUILTIN(ClipboardGetText)
{
    Result_SetString(result, HostClipboard_GetText().c_str());
}

BW_BUILTIN(ClipboardSetText)
{
    std::string text;
    Value_ToString(text, args[0]);
    HostClipboard_SetText(text.c_str());
}

const BuiltinRegistration kEventBuiltins[] = {
    {"event_perform", EventPerform, 2},
    {"event_user", EventUser, 1},
    {"event_perform_object", EventPerformObject, 3},
    {"event_inherited", EventInherited, 0},
};

const BuiltinRegistration kVariableBuiltins[] = {
    {"variable_global_exists", VariableExists<kGlobalScope>, 1},
    {"variable_local_exists", VariableExists<kLocalScope>, 1},
    {"variable_global_get", VariableGet<kGlobalScope>, 1},
    {"variable_global_array_get", VariableArrayGet<kGlobalScope>, 2},
    {"variable_global_array2_get", VariableArray2Get<kGlobalScope>, 3},
    {"variable_local_get", VariableGet<kLocalScope>, 1},
    {"variable_local_array_get", VariableArrayGet<kLocalScope>, 2},
    {"variable_local_array2_get", VariableArray2Get<kLocalScope>, 3},
    {"variable_global_set", VariableSet<kGlobalScope>, 2},
    {"variable_global_array_set", VariableArraySet<kGlobalScope>, 3},
    {"variable_global_array2_set", VariableArray2Set<kGlobalScope>, 4},
    {"variable_local_set", VariableSet<kLocalScope>, 2},
    {"variable_local_array_set", VariableArraySet<kLocalScope>, 3},
    {"variable_local_array2_set", VariableArray2Set<kLocalScope>, 4},
};

const BuiltinRegistration kExecuteBuiltins[] = {
    {"execute_string", ExecuteString, kBuiltinArgCountAny},
    {"execute_file", ExecuteFile, kBuiltinArgCountAny},
};

const BuiltinRegistration kSystemBuiltins[] = {
    {"show_debug_message", ShowDebugMessage, 1},
    {"window_handle", WindowHandle, 0},
    {"set_application_title", SetApplicationTitle, 1},
    {"set_program_priority", SetProgramPriority, 1},
    {"clipboard_has_text", ClipboardHasText, 0},
    {"clipboard_get_text", ClipboardGetText, 0},
    {"clipboard_set_text", ClipboardSetText, 1},
};

}  // namespace

void Function_Misc_Register(bool steamMode)
{
    Builtins_Register(kEventBuiltins);
    Builtins_Register(kVariableBuiltins);
    if (!steamMode) {
        Builtins_Register(kExecuteBuiltins);
        Function_External_Register();
    }
    Builtins_Register(kSystemBuiltins);
    Function_Date_Register();
}

}  // namespace bw
