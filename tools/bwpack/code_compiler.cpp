#include "bwpack/code_compiler.h"

#include <cstring>
#include <vector>

#include "app/registration.h"
#include "bwpack/code_checks.h"
#include "bwpack/file_error.h"
#include "bwpack/package_writer.h"
#include "bwpack/project_json.h"
#include "online/http/vask_builtins.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/names.h"
#include "script/resource_seams.h"
#include "world/builtin_variables.h"
#include "world/script_access.h"

namespace bw::pack {
namespace {

// The lookups the runner's compiler calls are plain functions: they reach
// the project through this pointer while a ProjectCompiler lives.
const Project* g_project = nullptr;

template <typename Resource>
int32_t IndexOf(const std::vector<Resource>& resources, const char* name)
{
    for (size_t i = 0; i < resources.size(); ++i) {
        if (resources[i].name == name) return static_cast<int32_t>(i);
    }
    return -1;
}

const ExtensionFunction* ExtensionFunctionWhere(bool (*matches)(const ExtensionFunction&, const void*), const void* key)
{
    for (const Extension& extension : g_project->extensions) {
        for (const ExtensionFile& file : extension.files) {
            for (const ExtensionFunction& function : file.functions) {
                if (matches(function, key)) return &function;
            }
        }
    }
    return nullptr;
}

const ExtensionFunction* ExtensionFunctionNamed(const char* name)
{
    return ExtensionFunctionWhere([](const ExtensionFunction& f, const void* key) { return f.name == static_cast<const char*>(key); }, name);
}

const ExtensionFunction* ExtensionFunctionWithId(int32_t id)
{
    return ExtensionFunctionWhere([](const ExtensionFunction& f, const void* key) { return f.id == *static_cast<const int32_t*>(key); }, &id);
}

// With the new audio system the runner also knows a sound by its file
// name up to the first '.' ("boom" for boom.wav), once no sound has the
// name itself.
int32_t SoundFileIndex(const char* name)
{
    if (!g_project->options.newAudio) return -1;
    const size_t length = std::strlen(name);
    for (size_t i = 0; i < g_project->sounds.size(); ++i) {
        const std::string& file = g_project->sounds[i].fileName;
        if (file.size() > length && file.compare(0, length, name) == 0 && file[length] == '.') return static_cast<int32_t>(i);
    }
    return -1;
}

struct NameFinder {
    ResourceKind kind;
    ResourceNameFinder finder;
};

// The audio index of a sound equals its own index, so the sound lookup
// answers for both systems, and the audio lookup adds the file names.
const NameFinder kNameFinders[] = {
    {ResourceKind::Object, [](const char* name) { return IndexOf(g_project->objects, name); }},
    {ResourceKind::Sprite, [](const char* name) { return IndexOf(g_project->sprites, name); }},
    {ResourceKind::Sound, [](const char* name) { return IndexOf(g_project->sounds, name); }},
    {ResourceKind::Audio, &SoundFileIndex},
    {ResourceKind::Background, [](const char* name) { return IndexOf(g_project->backgrounds, name); }},
    {ResourceKind::Path, [](const char* name) { return IndexOf(g_project->paths, name); }},
    {ResourceKind::Font, [](const char* name) { return IndexOf(g_project->fonts, name); }},
    {ResourceKind::TimeLine, [](const char* name) { return IndexOf(g_project->timelines, name); }},
    {ResourceKind::Script, [](const char* name) { return IndexOf(g_project->scripts, name); }},
    {ResourceKind::Room, [](const char* name) { return IndexOf(g_project->rooms, name); }},
};

void InstallLookups(bool install)
{
    for (const NameFinder& entry : kNameFinders) Resource_SetNameFinder(entry.kind, install ? entry.finder : nullptr);
    ExtensionFunctionLookups lookups;
    if (install) {
        lookups.findFunction = [](const char* name) {
            const ExtensionFunction* function = ExtensionFunctionNamed(name);
            return function != nullptr ? function->id : -1;
        };
        lookups.getArgCount = [](int32_t id) {
            const ExtensionFunction* function = ExtensionFunctionWithId(id);
            return function != nullptr ? static_cast<int32_t>(function->argumentTypes.size()) : kFunctionArgCountNone;
        };
    }
    Extension_SetFunctionLookups(lookups);
}

bool IsVariableNode(const CodeNode& node)
{
    return node.kind == kNodeVariable || node.kind == kNodeSimpleVariable;
}

// A name read as it stands: no target before it, no index after it.
bool IsPlainName(const CodeNode& node)
{
    if (node.kind == kNodeSimpleVariable) return node.selector == kSelectorUnspecified;
    return node.children.size() == 1 && node.children[0].kind == kNodeConstant &&
           node.children[0].value.real == kSelectorUnspecified;
}

// A plain use of a name declared with globalvar: the selector that means
// "no explicit target" becomes the global scope.
void UseGlobalScope(CodeNode& node, const std::set<int32_t>& globalNames)
{
    if (globalNames.count(node.code) != 0) {
        if (node.kind == kNodeSimpleVariable && node.selector == kSelectorUnspecified) {
            node.selector = kSelectorGlobal;
        } else if (node.kind == kNodeVariable && !node.children.empty() && node.children[0].kind == kNodeConstant &&
                   node.children[0].value.real == kSelectorUnspecified) {
            Value_SetReal(node.children[0].value, kSelectorGlobal);
        }
    }
    for (CodeNode& child : node.children) UseGlobalScope(child, globalNames);
}

}  // namespace

ProjectCompiler::ProjectCompiler(const Project& project) : m_project(project), m_savedAccess(Code_WorldAccess())
{
    if (g_project != nullptr) throw BuildError("internal error: two compilers at once");
    g_project = &project;
    m_savedUseBytecode = Code_UseBytecode();
    // The process may already hold the runner's built-ins (a test that
    // loads what it builds); otherwise they are registered for this build.
    if (Code_Function_Count() == 0) {
        Registration_RegisterFunctionsQuietly((project.header.flags & kHeaderSteam) != 0);
        m_registeredFunctions = true;
    }
    // The built-in variables as a run has them: the table's own, then the
    // platform group's, which go back in here whether or not the groups
    // were registered by this build.
    Variable_Init();
    Vask_Variables_Register();
    World_RegisterScriptAccess();
    // Units are parsed before any is generated, and globalvar is settled on
    // the trees (Generate); the runner's flags stay untouched.
    Code_WorldAccess().declareGlobalName = [](int32_t) {};
    Code_Constant_Free();
    Code_Constant_Init();
    InstallLookups(true);
    // Every unit compiles as the runner compiles a text it loads: to
    // bytecode its verifier accepts.
    Code_SetUseBytecode(true);
    try {
        DefineGameConstants();
    } catch (...) {
        Release();
        throw;
    }
}

// The runner evaluates each value text at game start, in order, before it
// compiles any code. A value that folds to a constant (numbers, texts,
// resources, earlier constants) is that same value at the build, so code
// takes it here; one that needs the run (a call, a variable) is never run
// by the build, and code reads it where the game has it.
void ProjectCompiler::DefineGameConstants()
{
    for (const Constant& constant : m_project.constants) {
        CCode value(constant.value.c_str(), true);
        Code_Error_ClearPending();
        if (!value.Compile(("Constant." + constant.name).c_str())) {
            const PendingErrorPlace& place = Code_Error_PendingPlace();
            const std::string where = place.line > 1 ? "line " + std::to_string(place.line) + ", column " : "column ";
            throw FileError({kManifestFile}, "constants." + constant.name + ": " + Quoted(constant.value) + " does not compile (" +
                                                 where + std::to_string(place.column) + "): " + place.cause);
        }
        if (value.kind == kCodeConstantExpression) {
            Code_Constant_Add(constant.name.c_str(), value.constant);
            continue;
        }
        // Code names the built-in constant until the game has the value, so
        // the bytecode form would keep the built-in's.
        Value named;
        int32_t resource = -1;
        const bool builtIn = Code_Resource_Find(constant.name.c_str(), &named) && !Code_Resource_FindAsset(constant.name.c_str(), &resource);
        Value_Free(named);
        if (builtIn) {
            throw FileError({kManifestFile}, "constants." + constant.name + ": " + Quoted(constant.value) +
                                                 " is known only when the game runs, and " + constant.name +
                                                 " is a built-in constant until then: choose another name");
        }
        m_constantsOfTheRun[Code_Variable_Find_Or_Add(constant.name.c_str())] = constant.name;
    }
}

// Where the runner compiles a constant of the run in, code may only read it.
void ProjectCompiler::RefuseConstantsAsVariables(const CodeText& code, const CodeNode& node, bool assigned) const
{
    const auto refuse = [&](const CodeNode& at) {
        const auto constant = m_constantsOfTheRun.find(at.code);
        if (constant == m_constantsOfTheRun.end()) return;
        throw FileError(Code_FilePlace(code, at.position),
                        constant->second + " is a game constant, not a variable: it can only be read");
    };
    if (IsVariableNode(node) && (assigned || !IsPlainName(node))) refuse(node);
    const bool declaration = node.kind == kNodeVar || node.kind == kNodeGlobalVar;
    for (size_t i = 0; i < node.children.size(); ++i) {
        if (declaration) {
            refuse(node.children[i]);
        } else {
            RefuseConstantsAsVariables(code, node.children[i], node.kind == kNodeAssign && i == 0);
        }
    }
}

// The runner's constant table holds the value from game start on, and
// execute_string compiles against that table.
void ProjectCompiler::ReadConstantsAtRun(CodeNode& node) const
{
    const auto constant = IsVariableNode(node) ? m_constantsOfTheRun.find(node.code) : m_constantsOfTheRun.end();
    if (constant == m_constantsOfTheRun.end()) {
        for (CodeNode& child : node.children) ReadConstantsAtRun(child);
        return;
    }
    int32_t executeString = -1;
    if (!Code_Function_Find("execute_string", &executeString)) {
        throw FileError({kManifestFile}, "constants." + constant->second +
                                             ": its value is known only when the game runs, and the bytecode form reads it "
                                             "with execute_string, which a game with \"steam\": true does not have: "
                                             "build the text form, or give a value that needs no run");
    }
    CodeNode read;
    read.kind = kNodeCall;
    read.code = executeString;
    read.position = node.position;
    CodeNode text;
    text.kind = kNodeConstant;
    text.position = node.position;
    Value_SetString(text.value, ("return " + constant->second).c_str());
    read.children.push_back(std::move(text));
    node = std::move(read);
}

ProjectCompiler::~ProjectCompiler()
{
    Release();
}

void ProjectCompiler::Release()
{
    InstallLookups(false);
    // The built-in constants stay, as the runner's start-up leaves them; the
    // game's own are the runner's to define when it loads a package.
    Code_Constant_Free();
    Code_Constant_Init();
    Code_WorldAccess() = m_savedAccess;
    Code_SetUseBytecode(m_savedUseBytecode);
    if (m_registeredFunctions) Code_Function_Free();
    g_project = nullptr;
}

std::unique_ptr<CCode> ProjectCompiler::Parse(const CodeText& code, const std::string& unitName) const
{
    Code_RefuseLostText(code);
    auto unit = std::make_unique<CCode>(code.source.c_str(), false);
    Code_Error_ClearPending();
    if (!unit->Compile(unitName.c_str())) {
        if (!Code_Error_HasPending()) throw FileError({code.file}, "does not compile");
        const PendingErrorPlace& place = Code_Error_PendingPlace();
        throw FileError(Code_FilePlace(code, place.position), place.cause);
    }
    RefuseConstantsAsVariables(code, unit->root, false);
    return unit;
}

VMGeneratedCode ProjectCompiler::Generate(CCode& unit, const std::set<int32_t>& globalNames) const
{
    UseGlobalScope(unit.root, globalNames);
    ReadConstantsAtRun(unit.root);
    VMGeneratedCode generated;
    std::string error;
    if (!VM_Compile_Program(unit.root, &generated, &error)) throw BuildError(unit.name + ": " + error);
    return generated;
}

std::string ProjectCompiler::FunctionName(int32_t id) const
{
    if (id >= kExtensionFunctionIdBase) {
        const ExtensionFunction* function = ExtensionFunctionWithId(id - kExtensionFunctionIdBase);
        if (function != nullptr) return function->name;
    } else if (id >= kScriptFunctionIdBase) {
        const auto script = static_cast<size_t>(id - kScriptFunctionIdBase);
        if (script < m_project.scripts.size()) return m_project.scripts[script].name;
    } else {
        const char* name = nullptr;
        BuiltinFunctionProc proc = nullptr;
        int32_t argc = 0;
        if (Code_Function_GetInfo(id, &name, &proc, &argc)) return name;
    }
    throw BuildError("internal error: no function has id " + std::to_string(id));
}

std::string ProjectCompiler::VariableName(int32_t id)
{
    return Code_Variable_GetName(id);
}

void Code_CollectGlobalNames(const CodeNode& root, std::set<int32_t>* names)
{
    if (root.kind == kNodeGlobalVar) {
        for (const CodeNode& declared : root.children) names->insert(declared.code);
    }
    for (const CodeNode& child : root.children) Code_CollectGlobalNames(child, names);
}

}  // namespace bw::pack
