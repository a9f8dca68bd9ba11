#include "resources/script.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/package_image.h"
#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/resource_seams.h"
#include "script/error_report.h"
#include "world/game_state.h"

namespace bw {

namespace {

// Code unit names are cut here, as the compiler's name buffer always was.
constexpr size_t kMaxUnitName = 255;

std::vector<std::unique_ptr<CScript>> g_scripts;

void LogLoadError(const char* what, size_t index)
{
    Console().Printf("Error on load\nSCPT: script %zu: %s\n", index, what);
}

// One record (the name's offset, then the code index with bytecode or the
// source text's offset without) into script; false (logged) when it is
// malformed.
bool ReadRecord(const PackageView& package, uint32_t record, size_t index, CScript& script)
{
    uint32_t nameOffset = 0;
    uint32_t codeWord = 0;
    if (!package.ReadU32(record, nameOffset) || !package.ReadU32(uint64_t{record} + 4, codeWord)) {
        LogLoadError("the record lies outside the package", index);
        return false;
    }
    const char* name = nullptr;
    if (!Wad_PatchString(package, nameOffset, &name)) {
        LogLoadError("the name lies outside the package", index);
        return false;
    }
    script.name = name != nullptr ? name : "";
    if (CODE_Present()) {
        const auto codeIndex = static_cast<int32_t>(codeWord);
        if (codeIndex < -1 || codeIndex >= CODE_EntryCount()) {
            LogLoadError("the code index lies outside the code list", index);
            return false;
        }
        script.codeIndex = codeIndex;
        return true;
    }
    if (!Wad_PatchString(package, codeWord, &script.text)) {
        LogLoadError("the source text lies outside the package", index);
        return false;
    }
    return true;
}


}  // namespace

CScript::CScript(const char* scriptName) : name(scriptName) {}

CScript::~CScript() = default;

bool CScript::Compile()
{
    Script_CodeChanged();
    m_ownedCode.reset();
    m_code = nullptr;
    if (CODE_Present()) {
        // Package code was verified when it was loaded; the unit lives on the
        // global code list.
        m_code = Code_List_Find(codeIndex);
        return true;
    }
    if (text == nullptr) {
        return true;
    }
    m_ownedCode = std::make_unique<CCode>(text, false);
    m_code = m_ownedCode.get();
    std::string unitName = std::string("Script.") + name;
    if (unitName.size() > kMaxUnitName) {
        unitName.resize(kMaxUnitName);
    }
    return m_code->Compile(unitName.c_str());
}

const char* CScript::GetText() const
{
    return text != nullptr ? text : "";
}

bool Script_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    Script_ClearTable();
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("SCPT"), offset, length}, records)) {
        Console().Printf("Error on load\nSCPT: the script list runs past its chunk\n");
        return false;
    }
    g_scripts.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] == 0) {
            continue;
        }
        auto script = std::make_unique<CScript>("");
        if (!ReadRecord(package, records[i], i, *script)) {
            Script_ClearTable();
            return false;
        }
        g_scripts[i] = std::move(script);
    }
    return true;
}

bool Script_Prepare()
{
    for (const std::unique_ptr<CScript>& script : g_scripts) {
        if (script != nullptr && !script->Compile()) {
            const std::string message =
                std::string("COMPILATION ERROR in Script: ") + script->name + "\n" + Code_Error_PendingMessage();
            Code_Error_Log(message.c_str(), true);
            return false;
        }
    }
    return true;
}

void Script_ClearTable()
{
    Script_CodeChanged();
    g_scripts.clear();
}

void Script_FreeAll()
{
    Script_ClearTable();
}

int32_t Script_Count()
{
    return static_cast<int32_t>(g_scripts.size());
}

bool Script_Exists(int32_t index)
{
    return Script_Get(index) != nullptr;
}

CScript* Script_Get(int32_t index)
{
    return index >= 0 && index < Script_Count() ? g_scripts[static_cast<size_t>(index)].get() : nullptr;
}

const char* Script_GetName(int32_t index)
{
    const CScript* script = Script_Get(index);
    return script != nullptr ? script->name : "<undefined>";
}

int32_t ScriptTable_Find(const char* name)
{
    for (int32_t i = 0; i < Script_Count(); ++i) {
        const CScript* script = g_scripts[static_cast<size_t>(i)].get();
        if (script != nullptr && std::strcmp(script->name, name) == 0) {
            return i;
        }
    }
    return -1;
}

bool ScriptTable_Execute(int32_t index, CInstance* self, CInstance* other, int32_t argc, Value* result,
                         Value* args)
{
    if (argc < 0 || argc > kScriptArgumentSlots) {
        // The arguments come in sixteen slots; more would be read past them.
        Code_Error_ClearPending();
        Code_Report_Error(nullptr, true, 0, "Wrong number of arguments to function or script.");
        Code_Error_PrefixPending((std::string("In script ") + Script_GetName(index) + ":\n").c_str());
        return false;
    }
    CScript* script = Script_Get(index);
    if (script == nullptr) {
        return false;
    }
    CCode* code = script->GetCode();
    if (code == nullptr) {
        return true;  // a script without code runs nothing
    }
    const ScriptArgumentsScope arguments(args, argc, argc);
    const bool ran = Code_Execute_Value(self, other, *code, result);
    if (!ran) {
        Code_Error_PrefixPending((std::string("In script ") + script->name + ":\n").c_str());
    }
    return ran;
}

CCode* ScriptTable_GetCode(int32_t index)
{
    const CScript* script = Script_Get(index);
    CCode* code = script != nullptr ? script->GetCode() : nullptr;
    return code != nullptr && code->compiled ? code : nullptr;
}

}  // namespace bw
