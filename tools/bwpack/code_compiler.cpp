#include "bwpack/code_compiler.h"

#include <vector>

#include "app/registration.h"
#include "bwpack/code_checks.h"
#include "bwpack/file_error.h"
#include "bwpack/package_writer.h"
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

struct NameFinder {
    ResourceKind kind;
    ResourceNameFinder finder;
};

// The audio index of a sound equals its own index, so the sound lookup
// answers for both.
const NameFinder kNameFinders[] = {
    {ResourceKind::Object, [](const char* name) { return IndexOf(g_project->objects, name); }},
    {ResourceKind::Sprite, [](const char* name) { return IndexOf(g_project->sprites, name); }},
    {ResourceKind::Sound, [](const char* name) { return IndexOf(g_project->sounds, name); }},
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

// Game constants take their evaluated value texts, as the runner gives them
// before it compiles text (the project has checked their names already).
void DefineGameConstants(const Project& project)
{
    std::vector<GameConstant> constants;
    for (const Constant& constant : project.constants) constants.push_back({constant.name.c_str(), constant.value.c_str()});
    Code_Constant_Init_Game(constants);
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
        Registration_RegisterFunctionsQuietly();
        m_registeredFunctions = true;
    }
    Variable_Init();
    World_RegisterScriptAccess();
    // Units are parsed before any is generated, and globalvar is settled on
    // the trees (Generate); the runner's flags stay untouched.
    Code_WorldAccess().declareGlobalName = [](int32_t) {};
    Code_Constant_Free();
    Code_Constant_Init();
    InstallLookups(true);
    DefineGameConstants(project);
}

ProjectCompiler::~ProjectCompiler()
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
    // The tree only: the generator runs once every unit is parsed.
    Code_SetUseBytecode(false);
    Code_Error_ClearPending();
    const bool compiled = unit->Compile(unitName.c_str());
    Code_SetUseBytecode(m_savedUseBytecode);
    if (!compiled) {
        if (!Code_Error_HasPending()) throw FileError({code.file}, "does not compile");
        const PendingErrorPlace& place = Code_Error_PendingPlace();
        throw FileError(Code_FilePlace(code, place.position), place.cause);
    }
    return unit;
}

VMGeneratedCode ProjectCompiler::Generate(CCode& unit, const std::set<int32_t>& globalNames) const
{
    UseGlobalScope(unit.root, globalNames);
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
