#include "script/resource_seams.h"

namespace bw {

namespace {

ResourceNameFinder g_nameFinders[kResourceKindCount] = {};
ExtensionFunctionLookups g_extensionLookups;
ScriptExecutor g_scriptExecutor = nullptr;
ScriptCodeFinder g_scriptCodeFinder = nullptr;

constexpr int32_t kNoSuchExtensionFunction = -100;

}  // namespace

void Resource_SetNameFinder(ResourceKind kind, ResourceNameFinder finder)
{
    g_nameFinders[static_cast<int32_t>(kind)] = finder;
}

int32_t Resource_FindByName(ResourceKind kind, const char* name)
{
    const ResourceNameFinder finder = g_nameFinders[static_cast<int32_t>(kind)];
    if (finder == nullptr || name == nullptr) {
        return -1;
    }
    return finder(name);
}

int32_t Script_Find(const char* name)
{
    return Resource_FindByName(ResourceKind::Script, name);
}

void Script_SetExecutor(ScriptExecutor executor)
{
    g_scriptExecutor = executor;
}

bool Script_Execute(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result, Value* args)
{
    return g_scriptExecutor != nullptr && g_scriptExecutor(index, self, other, argc, result, args);
}

void Script_SetCodeFinder(ScriptCodeFinder finder)
{
    g_scriptCodeFinder = finder;
    Script_CodeChanged();
}

void Script_CodeChanged()
{
    uint32_t& version = seams_detail::g_scriptCodeVersion;
    version = version == UINT32_MAX ? 1 : version + 1;
}

CCode* Script_GetCode(int32_t index)
{
    return g_scriptCodeFinder != nullptr ? g_scriptCodeFinder(index) : nullptr;
}

void Extension_SetFunctionLookups(const ExtensionFunctionLookups& lookups)
{
    g_extensionLookups = lookups;
}

int32_t Extension_FindFunction(const char* name)
{
    if (g_extensionLookups.findFunction == nullptr || name == nullptr) {
        return -1;
    }
    return g_extensionLookups.findFunction(name);
}

int32_t Extension_GetFunctionArgCount(int32_t id)
{
    if (g_extensionLookups.getArgCount == nullptr) {
        return kNoSuchExtensionFunction;
    }
    return g_extensionLookups.getArgCount(id);
}

bool Extension_Call(int32_t id, CInstance* self, CInstance* other, int32_t argc, Value* args, Value* result)
{
    return g_extensionLookups.call != nullptr && g_extensionLookups.call(id, self, other, argc, args, result);
}

}  // namespace bw
