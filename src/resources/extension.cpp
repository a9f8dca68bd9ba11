#include "resources/extension.h"

#include <algorithm>
#include <unordered_map>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/package_image.h"
#include "platform/random.h"
#include "resources/external.h"
#include "script/code_unit.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "world/game_state.h"
#include "world/instance.h"

namespace bw {

namespace {

// Code unit names are cut here, as the compiler's name buffer always was.
constexpr size_t kMaxUnitName = 255;
constexpr uint32_t kNewFolderRange = 999;

// What preparation bound one id to.
struct PreparedFunction {
    int32_t externalId = -1;  // in the external function table; -1 none
    int32_t kind = kExtensionFunctionLibrary;
    std::unique_ptr<CCode> code;
};

std::vector<std::unique_ptr<CExtensionPackage>> g_packages;
// Keyed by id: ids come from the package and need not be dense.
std::unordered_map<int32_t, PreparedFunction> g_prepared;
int32_t g_maxId = 0;

// ---- the EXTN reader ----

class ChunkReader {
public:
    ChunkReader(const PackageView& package, uint32_t offset, uint32_t length)
        : m_package(package), m_end(uint64_t{offset} + length),
          m_recordBudget(length / 4)  // a record takes at least one word of its own
    {
    }

    bool ReadPackage(uint32_t record, CExtensionPackage& package)
    {
        std::vector<uint32_t> files;
        if (!Count() || !Text(record, package.folder) || !Text(uint64_t{record} + 4, package.name) ||
            !List(uint64_t{record} + 8, files, "its file list")) {
            return false;
        }
        package.files.resize(files.size());
        for (size_t i = 0; i < files.size(); ++i) {
            if (files[i] != 0 && !ReadFile(files[i], package.files[i])) {
                return false;
            }
        }
        return true;
    }

    std::string failure;

private:
    bool ReadFile(uint32_t record, CExtensionFile& file)
    {
        std::vector<uint32_t> functions;
        if (!Count() || !Text(record, file.fileName) || !Text(uint64_t{record} + 4, file.finalFunction) ||
            !Text(uint64_t{record} + 8, file.initFunction) || !Word(uint64_t{record} + 12, file.kind) ||
            !List(uint64_t{record} + 16, functions, "a file's function list")) {
            return false;
        }
        file.functions.resize(functions.size());
        for (size_t i = 0; i < functions.size(); ++i) {
            if (functions[i] != 0 && !ReadFunction(functions[i], file.functions[i])) {
                return false;
            }
        }
        return true;
    }

    bool ReadFunction(uint32_t record, CExtensionFunction& function)
    {
        const uint64_t at = record;
        if (!Count() || !Text(at, function.name) || !Word(at + 4, function.id) || !Word(at + 8, function.callKind) ||
            !Word(at + 12, function.resultType) || !Text(at + 16, function.externalName) ||
            !Word(at + 20, function.argCount)) {
            return false;
        }
        if (function.id < 0) {
            return Fail("a function id is negative");
        }
        const int32_t stored = std::clamp(function.argCount, 0, kExtensionMaxArgumentTypes);
        for (int32_t i = 0; i < stored; ++i) {
            if (!Word(at + 24 + uint64_t{4} * static_cast<uint64_t>(i), function.argTypes[static_cast<size_t>(i)])) {
                return false;
            }
        }
        return true;
    }

    bool Fail(const char* what)
    {
        failure = what;
        return false;
    }

    // Offsets may be shared between records; the budget keeps a chunk whose
    // lists point at each other from being walked without end.
    bool Count()
    {
        return m_recordBudget-- > 0 || Fail("it holds more records than fit in it");
    }

    bool Word(uint64_t at, int32_t& out)
    {
        uint32_t word = 0;
        if (!m_package.ReadU32(at, word)) {
            return Fail("a record lies outside the package");
        }
        out = static_cast<int32_t>(word);
        return true;
    }

    bool Text(uint64_t at, std::string& out)
    {
        uint32_t offset = 0;
        const char* text = nullptr;
        if (!m_package.ReadU32(at, offset) || !Wad_PatchString(m_package, offset, &text)) {
            return Fail("a text lies outside the package");
        }
        out = text != nullptr ? text : "";
        return true;
    }

    bool List(uint64_t at, std::vector<uint32_t>& entries, const char* what)
    {
        if (!m_package.ReadPointerList(at, m_end, entries)) {
            failure = std::string(what) + " runs past its chunk";
            return false;
        }
        return true;
    }

    const PackageView& m_package;
    uint64_t m_end;
    int64_t m_recordBudget;
};

// ---- preparation ----

template <typename Visit>
void ForEachFunction(Visit visit)
{
    for (const std::unique_ptr<CExtensionPackage>& package : g_packages) {
        if (package == nullptr) {
            continue;
        }
        for (CExtensionFile& file : package->files) {
            for (CExtensionFunction& function : file.functions) {
                visit(*package, file, function);
            }
        }
    }
}

void DefineConstants()
{
    for (const std::unique_ptr<CExtensionPackage>& package : g_packages) {
        if (package == nullptr) {
            continue;
        }
        for (const CExtensionFile& file : package->files) {
            for (const CExtensionConstant& constant : file.constants) {
                Code_Constant_Define(constant.name.c_str(), constant.value.c_str());  // reports a bad name itself
            }
        }
    }
}

int32_t DefineLibraryFunction(const CExtensionFile& file, const CExtensionFunction& function)
{
    constexpr int32_t kKindPlaces = kExtensionMaxArgumentTypes + 1;
    std::array<int32_t, kKindPlaces> kinds{};
    for (int32_t i = 0; i < kKindPlaces; ++i) {
        kinds[static_cast<size_t>(i)] =
            function.ArgumentType(i) <= kExtensionTypeString ? kExternalString : kExternalReal;
    }
    const std::string path = std::string(GetExeDirectory()) + file.fileName;
    return External_Define(path.c_str(), function.externalName.c_str(),
                           function.callKind == kExtensionCallCdecl ? kExternalCdecl : kExternalStdcall,
                           function.argCount, kinds.data(),
                           function.resultType == kExtensionTypeString ? kExternalString : kExternalReal);
}

// False (reported) when the code does not compile.
bool CompileCodeFunction(const CExtensionPackage& package, CExtensionFunction& function, PreparedFunction& prepared)
{
    if (function.code.empty()) {
        return true;  // nothing to run: calls do nothing
    }
    auto code = std::make_unique<CCode>(function.code.c_str(), false);
    function.code.clear();
    std::string unitName = "Extension." + package.name + "." + function.name;
    if (unitName.size() > kMaxUnitName) {
        unitName.resize(kMaxUnitName);
    }
    if (!code->Compile(unitName.c_str())) {
        const std::string message =
            "COMPILATION ERROR in extension package " + package.name + "\n" + Code_Error_PendingMessage();
        Code_Error_Log(message.c_str(), true);
        return false;
    }
    prepared.code = std::move(code);
    prepared.kind = kExtensionFunctionCompiled;
    return true;
}

const PreparedFunction* Prepared(int32_t id)
{
    const auto found = g_prepared.find(id);
    return found != g_prepared.end() ? &found->second : nullptr;
}

// ---- game start and end ----

struct FileFunctionPass {
    std::string CExtensionFile::*name;
    const char* missingMessage;
    const char* when;
};

const FileFunctionPass kInitialization{&CExtensionFile::initFunction, "Could not locate initialization function ",
                                       "start"};
const FileFunctionPass kFinalization{&CExtensionFile::finalFunction, "Could not locate finalization function ",
                                     "end"};

bool RunFileFunction(const CExtensionPackage& package, const std::string& name, const FileFunctionPass& pass,
                     CInstance* holder)
{
    const int32_t script = Script_Find(name.c_str());
    if (script >= 0) {
        Value args[kScriptArgumentSlots];
        Value result;
        const bool ran = Script_Execute(script, holder, holder, 0, &result, args);
        Value_Free(result);
        // A run the runner's end stopped has no error to log.
        if (!ran && Code_Error_HasPending()) {
            Code_Error_Log(Code_Error_PendingMessage(), true);
        }
        return ran;
    }
    const CExtensionFunction* function = package.FindFunction(name);
    if (function == nullptr) {
        Code_Error_Log((pass.missingMessage + name).c_str(), true);
        return false;
    }
    const PreparedFunction* prepared = Prepared(function->id);
    if (prepared == nullptr || prepared->kind != kExtensionFunctionLibrary || prepared->externalId < 0) {
        return true;  // code functions are not run here; unbound ones do nothing
    }
    if (function->argCount != 0) {
        Console().Printf("Extension function %s takes arguments: not called at game %s\n", name.c_str(), pass.when);
        return true;
    }
    Value result;
    External_Call(prepared->externalId, 0, nullptr, &result);
    Value_Free(result);
    return true;
}

bool RunFileFunctions(const FileFunctionPass& pass)
{
    for (const std::unique_ptr<CExtensionPackage>& package : g_packages) {
        if (package == nullptr) {
            continue;
        }
        for (const CExtensionFile& file : package->files) {
            const std::string& name = file.*pass.name;
            if (name.empty()) {
                continue;
            }
            // Self and other of the call: an instance of no object that no
            // list knows.
            CInstance holder(0.0f, 0.0f, 0, 0, false);
            const bool ran = RunFileFunction(*package, name, pass, &holder);
            holder.FreeLinks();
            if (!ran) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int32_t CExtensionFunction::ArgumentType(int32_t index) const
{
    return index >= 0 && index < kExtensionMaxArgumentTypes ? argTypes[static_cast<size_t>(index)]
                                                            : kExtensionTypeReal;
}

const CExtensionFunction* CExtensionFile::FindFunction(const std::string& name) const
{
    const auto found = std::find_if(functions.begin(), functions.end(),
                                    [&](const CExtensionFunction& function) { return function.name == name; });
    return found != functions.end() ? &*found : nullptr;
}

const CExtensionFunction* CExtensionPackage::FindFunction(const std::string& name) const
{
    for (const CExtensionFile& file : files) {
        if (const CExtensionFunction* function = file.FindFunction(name)) {
            return function;
        }
    }
    return nullptr;
}

const CExtensionFunction* CExtensionPackage::FindFunctionById(int32_t id) const
{
    for (const CExtensionFile& file : files) {
        for (const CExtensionFunction& function : file.functions) {
            if (function.id == id) {
                return &function;
            }
        }
    }
    return nullptr;
}

bool Extension_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    Extension_ClearTable();
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("EXTN"), offset, length}, records)) {
        Console().Printf("Error on load\nEXTN: the package list runs past its chunk\n");
        return false;
    }
    ChunkReader reader(package, offset, length);
    g_packages.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] == 0) {
            continue;
        }
        auto read = std::make_unique<CExtensionPackage>();
        read->folder = "temp" + std::to_string(Random_Int(kNewFolderRange));
        if (!reader.ReadPackage(records[i], *read)) {
            Console().Printf("Error on load\nEXTN: package %zu: %s\n", i, reader.failure.c_str());
            Extension_ClearTable();
            return false;
        }
        g_packages[i] = std::move(read);
    }
    return true;
}

bool Extension_Prepare()
{
    DefineConstants();
    g_prepared.clear();
    g_maxId = 0;
    ForEachFunction([](const CExtensionPackage&, const CExtensionFile&, const CExtensionFunction& function) {
        g_maxId = std::max(g_maxId, function.id);
    });
    bool compiled = true;
    ForEachFunction([&](const CExtensionPackage& package, const CExtensionFile& file, CExtensionFunction& function) {
        if (!compiled) {
            return;
        }
        if (file.kind == kExtensionFileLibrary) {
            PreparedFunction& prepared = g_prepared[function.id];
            prepared = PreparedFunction{};
            prepared.externalId = DefineLibraryFunction(file, function);
        } else if (file.kind == kExtensionFileCode) {
            PreparedFunction& prepared = g_prepared[function.id];
            prepared = PreparedFunction{};
            compiled = CompileCodeFunction(package, function, prepared);
        }
    });
    return compiled;
}

bool Extension_Initialize()
{
    return RunFileFunctions(kInitialization);
}

bool Extension_Finalize()
{
    return RunFileFunctions(kFinalization);
}

void Extension_Add(std::unique_ptr<CExtensionPackage> package)
{
    g_packages.push_back(std::move(package));
}

void Extension_ClearTable()
{
    g_packages.clear();
    g_prepared.clear();
    g_maxId = 0;
}

int32_t Extension_PackageCount()
{
    return static_cast<int32_t>(g_packages.size());
}

const CExtensionPackage* Extension_GetPackage(int32_t index)
{
    return index >= 0 && index < Extension_PackageCount() ? g_packages[static_cast<size_t>(index)].get() : nullptr;
}

int32_t ExtensionTable_Find(const char* name)
{
    for (const std::unique_ptr<CExtensionPackage>& package : g_packages) {
        if (package == nullptr) {
            continue;
        }
        if (const CExtensionFunction* function = package->FindFunction(name)) {
            return function->id;
        }
    }
    return -1;
}

namespace {

const CExtensionFunction* FirstWithId(int32_t id, bool named)
{
    const CExtensionFunction* first = nullptr;
    ForEachFunction([&](const CExtensionPackage&, const CExtensionFile&, const CExtensionFunction& function) {
        if (first == nullptr && function.id == id && (!named || !function.name.empty())) {
            first = &function;
        }
    });
    return first;
}

}  // namespace

int32_t ExtensionTable_GetArgCount(int32_t id)
{
    const CExtensionFunction* function = FirstWithId(id, false);
    return function != nullptr ? function->argCount : kFunctionArgCountNone;
}

bool ExtensionTable_Call(int32_t id, CInstance* self, CInstance* other, int32_t argc, Value* args, Value* result)
{
    const PreparedFunction* prepared = id >= 0 && id <= g_maxId ? Prepared(id) : nullptr;
    if (prepared == nullptr) {
        return true;  // an id preparation bound to nothing does nothing
    }
    if (prepared->kind == kExtensionFunctionLibrary) {
        External_Call(prepared->externalId, argc, args, result);
        return true;
    }
    if (argc < 0 || argc > kScriptArgumentSlots) {
        return false;
    }
    const ScriptArgumentsScope arguments(args, argc, argc);
    if (Code_Execute_Value(self, other, *prepared->code, result)) {
        return true;
    }
    const char* name = Extension_GetFunctionName(id);
    Code_Error_PrefixPending(("In extension function " + std::string(name != nullptr ? name : "") + ": \n").c_str());
    return false;
}

void Extension_RegisterLookups()
{
    ExtensionFunctionLookups lookups;
    lookups.findFunction = &ExtensionTable_Find;
    lookups.getArgCount = &ExtensionTable_GetArgCount;
    lookups.call = &ExtensionTable_Call;
    Extension_SetFunctionLookups(lookups);
}

const char* Extension_GetFunctionName(int32_t id)
{
    const CExtensionFunction* function = FirstWithId(id, true);
    return function != nullptr ? function->name.c_str() : nullptr;
}

int32_t Extension_GetFunctionKind(int32_t id)
{
    const PreparedFunction* prepared = Prepared(id);
    return prepared != nullptr ? prepared->kind : kExtensionFunctionLibrary;
}

CCode* Extension_GetFunctionCode(int32_t id)
{
    const PreparedFunction* prepared = Prepared(id);
    return prepared != nullptr ? prepared->code.get() : nullptr;
}

}  // namespace bw
