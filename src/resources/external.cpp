#include "resources/external.h"

#include <ffi.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/shared_library.h"
#include "platform/console.h"
#include "platform/files.h"

namespace bw {

namespace {

// Longest library path a definition resolves to, with its terminator.
constexpr size_t kLibraryPathSize = 1024;

struct ExternalFunction {
    std::string definedName;  // the library name the definition gave
    std::string path;         // where the library was loaded from
    std::shared_ptr<SharedLibrary> library;  // null once released
    void* entry = nullptr;
    int32_t callType = kExternalCdecl;
    int32_t argc = 0;
    std::array<int32_t, kExternalMaxArguments> argKinds{};
    int32_t resultKind = kExternalReal;
    // The call description, made once at definition; it points into
    // argTypes, so a definition never moves once made.
    std::array<ffi_type*, kExternalMaxArguments> argTypes{};
    ffi_cif cif{};
};

std::vector<std::unique_ptr<ExternalFunction>> g_functions;
bool g_callsDisabled = false;
// Libraries already logged as not loading: a package names its library
// once per function, and one line says it all.
std::set<std::string> g_reportedLibraries;

bool EndsWithDll(const std::string& name)
{
    constexpr std::string_view kSuffix = ".dll";
    return name.size() > kSuffix.size() &&
           std::equal(kSuffix.begin(), kSuffix.end(), name.end() - static_cast<std::ptrdiff_t>(kSuffix.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// The names a library is tried under: as given, then the usual Linux forms
// of a Windows library name.
std::vector<std::string> CandidateNames(const std::string& name)
{
    std::vector<std::string> names{name};
    if (EndsWithDll(name)) {
        const std::string stem = name.substr(0, name.size() - 4);
        const size_t slash = stem.find_last_of("/\\");
        const size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
        names.push_back(stem + ".so");
        names.push_back(stem.substr(0, fileStart) + "lib" + stem.substr(fileStart) + ".so");
    }
    return names;
}

// The save area's file, else the program area's, else the name as given.
std::string ResolvePath(const std::string& name)
{
    char path[kLibraryPathSize];
    return LoadSave_PathFind(path, sizeof path, name.c_str()) ? std::string(path) : name;
}

std::shared_ptr<SharedLibrary> LoadedFrom(const std::string& path)
{
    for (auto it = g_functions.rbegin(); it != g_functions.rend(); ++it) {
        if ((*it)->path == path) {
            return (*it)->library;
        }
    }
    return nullptr;
}

// The library dll names, shared with earlier definitions from the same
// path; null (logged) when no form of the name loads.
std::shared_ptr<SharedLibrary> LoadLibraryNamed(const std::string& dll, std::string* loadedPath)
{
    std::string reasons;
    for (const std::string& candidate : CandidateNames(dll)) {
        const std::string path = ResolvePath(candidate);
        if (std::shared_ptr<SharedLibrary> shared = LoadedFrom(path)) {
            *loadedPath = path;
            return shared;
        }
        std::string reason;
        if (std::unique_ptr<SharedLibrary> opened = SharedLibrary::Open(path, &reason)) {
            *loadedPath = path;
            return opened;
        }
        reasons += (reasons.empty() ? "" : "; ") + reason;
    }
    if (g_reportedLibraries.insert(dll).second) {
        Console().Printf("External library %s could not be loaded: %s\n", dll.c_str(), reasons.c_str());
    }
    return nullptr;
}

bool PrepareCall(ExternalFunction& function)
{
    for (int32_t i = 0; i < function.argc; ++i) {
        function.argTypes[static_cast<size_t>(i)] =
            function.argKinds[static_cast<size_t>(i)] == kExternalString ? &ffi_type_pointer : &ffi_type_double;
    }
    ffi_type* resultType = function.resultKind == kExternalString ? &ffi_type_pointer : &ffi_type_double;
    return ffi_prep_cif(&function.cif, FFI_DEFAULT_ABI, static_cast<unsigned>(function.argc), resultType,
                        function.argTypes.data()) == FFI_OK;
}

}  // namespace

int32_t External_Define(const char* dll, const char* function, int32_t callType, int32_t argc,
                        const int32_t* argKinds, int32_t resultKind)
{
    if (dll == nullptr || function == nullptr || argc < 0 || argc > kExternalMaxArguments ||
        (argc > 0 && argKinds == nullptr)) {
        return -1;
    }
    const bool anyString = std::any_of(argKinds, argKinds + argc, [](int32_t kind) { return kind == kExternalString; });
    if (argc > kExternalMaxStringArguments && anyString) {
        return -1;
    }
    auto defined = std::make_unique<ExternalFunction>();
    defined->library = LoadLibraryNamed(dll, &defined->path);
    if (defined->library == nullptr) {
        return -1;
    }
    // Exports are looked up by their plain name only: the decorated names of
    // stdcall exports ("_name@bytes") cannot occur in this system's libraries.
    defined->entry = defined->library->Find(function);
    if (defined->entry == nullptr) {
        return -1;
    }
    defined->definedName = dll;
    defined->callType = callType;
    defined->argc = argc;
    std::copy(argKinds, argKinds + argc, defined->argKinds.begin());
    defined->resultKind = resultKind == kExternalString ? kExternalString : kExternalReal;
    if (!PrepareCall(*defined)) {
        return -1;
    }
    g_functions.push_back(std::move(defined));
    return static_cast<int32_t>(g_functions.size() - 1);
}

void External_Call(int32_t id, int32_t argc, const Value* args, Value* result)
{
    Value_SetReal(*result, 0.0);
    if (id < 0 || id >= External_Count()) {
        return;
    }
    ExternalFunction& function = *g_functions[static_cast<size_t>(id)];
    if (argc != function.argc || function.library == nullptr || g_callsDisabled) {
        return;
    }
    std::array<double, kExternalMaxArguments> reals{};
    std::array<const char*, kExternalMaxArguments> texts{};
    std::array<void*, kExternalMaxArguments> slots{};
    for (size_t i = 0; i < static_cast<size_t>(argc); ++i) {
        const Value& arg = args[i];
        if (function.argKinds[i] == kExternalString) {
            // A library given no text gets an empty one, never a null pointer.
            const char* text = Value_Kind(arg) == kValueString ? Value_String(arg) : nullptr;
            texts[i] = text != nullptr ? text : "";
            slots[i] = &texts[i];
        } else {
            reals[i] = Value_Kind(arg) == kValueReal ? arg.real : 0.0;
            slots[i] = &reals[i];
        }
    }
    if (function.resultKind == kExternalString) {
        const char* text = nullptr;
        ffi_call(&function.cif, FFI_FN(function.entry), &text, slots.data());
        Value_SetString(*result, text);
    } else {
        double real = 0.0;
        ffi_call(&function.cif, FFI_FN(function.entry), &real, slots.data());
        Value_SetReal(*result, real);
    }
}

void External_Free(const char* dll)
{
    if (dll == nullptr) {
        return;
    }
    // Only the definitions the text names let go: a bare name frees what the
    // game defined with it, not what an extension or a full path bound to
    // the same library. The library itself unloads with its last holder.
    for (const std::unique_ptr<ExternalFunction>& function : g_functions) {
        if (function->path == dll || function->definedName == dll) {
            function->library.reset();
        }
    }
}

void External_FreeAll()
{
    for (const std::unique_ptr<ExternalFunction>& function : g_functions) {
        function->library.reset();
    }
}

void External_Clear()
{
    g_functions.clear();
    g_reportedLibraries.clear();
}

int32_t External_Count()
{
    return static_cast<int32_t>(g_functions.size());
}

void External_SetCallsDisabled(bool disabled)
{
    g_callsDisabled = disabled;
}

}  // namespace bw
