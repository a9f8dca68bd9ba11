// The bytecode form of a package: code compiled by the runner's own
// compiler, names bound through occurrence chains, and the runner's loader
// and verifier accepting every entry.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "app/registration.h"
#include "bwpack/dump.h"
#include "bwpack/file_error.h"
#include "bwpack/package_build.h"
#include "bwpack/package_view.h"
#include "bwpack/project.h"
#include "platform/console.h"
#include "platform/package_loader.h"
#include "resources/script.h"
#include "resources/timeline.h"
#include "script/bytecode.h"
#include "script/code_chunks.h"
#include "script/code_node.h"
#include "script/code_unit.h"
#include "script/function_table.h"
#include "script/resource_seams.h"
#include "support/scratch_folder.h"
#include "unit/bwpack/tiny_package.h"
#include "world/builtin_variables.h"
#include "world/object_loader.h"
#include "world/room_table.h"

namespace bw::pack {
namespace {

using test::ChunksByTag;

// Both bwpack and the loader must know every built-in the code calls.
void RegisterBuiltins()
{
    if (Code_Function_Count() == 0) Brackwell_RegisterFunctions();
}

// The tiny project's one script, for the loader's function binding while
// the runner's script table gives no names.
int32_t FindTinyScript(const char* name) { return std::strcmp(name, "scr_add") == 0 ? 0 : -1; }

struct TinyBytecode {
    Project project = Project_Load(test::kTinyProject);
    PackageFiles files = (RegisterBuiltins(), Package_BuildFiles(project, PackageForm::Bytecode));
};

const TinyBytecode& Tiny()
{
    static const TinyBytecode tiny;
    return tiny;
}

// The test's own walk over every instruction of every CODE entry: the
// file offset of its first word, and that word.
template <typename Visit>
void ForEachInstruction(const PackageView& view, const ChunkInfo& code, Visit visit)
{
    for (uint32_t entry : view.PointerList(code.payload)) {
        for (uint32_t at = entry + 8; at < entry + 8 + view.U32(entry + 4);) {
            const uint32_t word = view.U32(at);
            visit(at, word);
            at += static_cast<uint32_t>(VM_InstructionBytes(word));
        }
    }
}

// Follows every chain of a VARI or FUNC chunk; a chain that revisits an
// occurrence fails the test.
std::map<std::string, std::vector<uint32_t>> Chains(const PackageView& view, const ChunkInfo& chunk, bool variables)
{
    std::map<std::string, std::vector<uint32_t>> chains;
    for (uint32_t record = chunk.payload; record < chunk.payload + chunk.length; record += 12) {
        std::vector<uint32_t>& chain = chains[view.String(view.U32(record)).value()];
        int64_t occurrence = view.U32(record + 8);
        for (uint32_t i = 0; i < view.U32(record + 4); ++i) {
            chain.push_back(static_cast<uint32_t>(occurrence));
            const uint32_t word = view.U32(static_cast<uint64_t>(occurrence) + 4);
            const uint32_t raw = word & 0x1FFFFFFFu;  // a variable's signed 29 bits
            const int64_t signedRaw = (raw & 0x10000000u) != 0 ? int64_t{raw} - 0x20000000 : int64_t{raw};
            occurrence += variables ? signedRaw : int64_t{word};
        }
    }
    return chains;
}

std::set<uint32_t> AllOccurrences(const std::map<std::string, std::vector<uint32_t>>& chains)
{
    std::set<uint32_t> all;
    for (const auto& [name, chain] : chains) {
        for (uint32_t occurrence : chain) EXPECT_TRUE(all.insert(occurrence).second) << name << " at " << occurrence;
    }
    return all;
}

class RunnerLoad : public testing::Test {
protected:
    void SetUp() override
    {
        PackageLoader_Reset();
        CODE_Clear();
        Console_SetDebugListener([](const char*) {});
        Variable_Init();
        Registration_InstallPackageReaders();
    }
    void TearDown() override
    {
        Registration_ClearTables();  // what the main pass filled
        Console_SetDebugListener(nullptr);
        CODE_SetVerifier(nullptr);
        CODE_Clear();
        PackageLoader_SetHooks({});
        PackageLoader_Reset();
        Resource_SetNameFinder(ResourceKind::Script, nullptr);
    }
};

TEST_F(RunnerLoad, TinyBytecodeLoadsAndEveryEntryIsVerifiedOntoTheCodeList)
{
    const TinyBytecode& tiny = Tiny();
    RegisterBuiltins();
    if (Script_Find("scr_add") < 0) Resource_SetNameFinder(ResourceKind::Script, &FindTinyScript);
    Package_SetDebugImage(tiny.files.debug.data(), tiny.files.debug.size());
    Package_SetImage(tiny.files.package.data(), tiny.files.package.size());
    ASSERT_TRUE(Runner_PreProcessChunks());
    ASSERT_TRUE(Code_Load()) << CODE_LoadError();
    ASSERT_TRUE(Runner_ProcessChunks()) << CODE_LoadError();
    EXPECT_TRUE(Package().bytecodePresent);

    // One entry per piece of code in the project: the script, the object
    // events, the room's and one instance's creation code, the moment.
    ASSERT_EQ(CODE_EntryCount(), 10);
    for (int32_t i = 0; i < CODE_EntryCount(); ++i) {
        const CCode* unit = Code_List_Find(i);
        ASSERT_NE(unit, nullptr) << "entry " << i;
        EXPECT_EQ(unit->name, CODE_Entry(i)->name);
        EXPECT_FALSE(unit->fromText);
    }
    EXPECT_EQ(Code_List_Find(0)->name, "Script.scr_add");
    // The debug file gives each unit its source text.
    EXPECT_EQ(Code_List_Find(0)->text, tiny.project.scripts[0].code.source);
    const uint8_t* pairs = nullptr;
    uint32_t count = 0;
    ASSERT_TRUE(CODE_DebugInfo(0, &pairs, &count));
    EXPECT_GT(count, 0u);
}

// One unit of each kind the runner names: object events whose names come
// from the runner's tables (an alarm, the other object of a collision, a user
// event, Draw GUI, a key), a script, timeline moments (more timelines than
// objects), room and instance creation code.
constexpr const char* kUnitNamesProject = R"({"name": "names",
    "scripts": [{"name": "scr_move", "file": "x.bwl"}],
    "timelines": [{"name": "tl_wave", "moments": [{"step": 10, "code": "x.bwl"}]},
        {"name": "tl_calm", "moments": [{"step": 5, "code": "x.bwl"}]},
        {"name": "tl_last", "moments": [{"step": 1, "code": "x.bwl"}]}],
    "objects": [
        {"name": "obj_control", "events": {"alarm:0": "x.bwl", "collision:obj_coin": "x.bwl",
            "other:ev_user0": "x.bwl", "draw:ev_gui": "x.bwl", "keypress:vk_f9": "x.bwl"}},
        {"name": "obj_coin"}],
    "rooms": [{"name": "rm", "code": "x.bwl",
        "instances": [{"object": "obj_coin", "code": "x.bwl"}, {"object": "obj_control", "code": "x.bwl"}]}]})";

std::multiset<std::string> CodeEntryNames(const PackageView& view)
{
    std::multiset<std::string> names;
    for (uint32_t entry : view.PointerList(ChunksByTag(view).at("CODE").payload)) names.insert(view.String(view.U32(entry)).value());
    return names;
}

// What a user sees of a unit, in an error report or the debugger, is the
// name its CCode carries: as stored for package code, as compiled for text.
TEST_F(RunnerLoad, BytecodeEntriesAreNamedAsTheRunnerNamesTheSameCodeCompiledFromText)
{
    test::ScratchFolder folder;
    folder.Write("x.bwl", "x = 1;\n");
    folder.Write("game.json", kUnitNamesProject);
    RegisterBuiltins();
    const Project project = Project_Load(folder.Path());
    const PackageFiles bytecode = Package_BuildFiles(project, PackageForm::Bytecode);
    const PackageFiles text = Package_BuildFiles(project, PackageForm::Text);

    const std::multiset<std::string> entries = CodeEntryNames(PackageView(bytecode.package));
    EXPECT_EQ(entries, (std::multiset<std::string>{
                           "Script.scr_move",
                           // The runner names a moment after the object whose
                           // index is the timeline's.
                           "Object.obj_control.<Unknown_Event>.0",
                           "Object.obj_coin.<Unknown_Event>.0",
                           "Object.<undefined>.<Unknown_Event>.0",
                           "Object.obj_control.Alarm_0.0",
                           "Object.obj_control.obj_coin.0",
                           "Object.obj_control.User_Defined_0.0",
                           "Object.obj_control.Draw.0",
                           "Object.obj_control.press_F9.0",
                           "Room.rm",
                           "Instance.rm.0",
                           "Instance.rm.1",
                       }));

    Package_SetImage(text.package.data(), text.package.size());
    ASSERT_TRUE(Code_Load());
    ASSERT_TRUE(Runner_ProcessChunks());
    ASSERT_FALSE(Package().bytecodePresent);
    ASSERT_TRUE(Script_Prepare() && TimeLine_Prepare() && Object_Prepare() && Room_Prepare());
    std::multiset<std::string> compiled;
    for (const CCode* unit : Code_TextUnits()) compiled.insert(unit->name);
    EXPECT_EQ(compiled, entries);
}

TEST(BytecodeForm, OccurrenceChainsCoverEveryReferenceOnce)
{
    const PackageView view(Tiny().files.package);
    const std::map<std::string, ChunkInfo> chunks = ChunksByTag(view);
    std::set<uint32_t> variableUses, calls;
    ForEachInstruction(view, chunks.at("CODE"), [&](uint32_t at, uint32_t word) {
        const uint8_t opcode = VM_Opcode(word);
        if (VM_HasOperandFlag(word) && VM_FirstType(word) == kTypeVariable && (opcode == kOpPush || opcode == kOpPop)) {
            variableUses.insert(at);
        } else if (opcode == kOpCall) {
            calls.insert(at);
        }
    });
    const auto variables = Chains(view, chunks.at("VARI"), true);
    const auto functions = Chains(view, chunks.at("FUNC"), false);
    EXPECT_EQ(AllOccurrences(variables), variableUses);
    EXPECT_EQ(AllOccurrences(functions), calls);
    // Names as the runner binds them: built-in and user variables alike,
    // scripts among the functions.
    EXPECT_EQ(variables.at("x").size(), 7u);
    EXPECT_EQ(variables.count("lives"), 1u);
    EXPECT_EQ(functions.at("scr_add").size(), 1u);
    EXPECT_EQ(functions.at("show_debug_message").size(), 1u);
}

TEST(BytecodeForm, RecordsReferToCodeEntriesAndStringOperandsToTheStringTable)
{
    const PackageView view(Tiny().files.package);
    const std::map<std::string, ChunkInfo> chunks = ChunksByTag(view);
    const uint32_t script = view.PointerList(chunks.at("SCPT").payload).at(0);
    EXPECT_EQ(view.I32(script + 4), 0);
    const uint32_t secondRoom = view.PointerList(chunks.at("ROOM").payload).at(1);
    EXPECT_EQ(view.I32(secondRoom + 32), -1) << "a room without creation code";

    const std::vector<uint32_t> strings = view.PointerList(chunks.at("STRG").payload);
    int stringOperands = 0;
    ForEachInstruction(view, chunks.at("CODE"), [&](uint32_t at, uint32_t word) {
        if (!VM_HasOperandFlag(word) || VM_FirstType(word) != kTypeString) return;
        ++stringOperands;
        ASSERT_LT(view.U32(at + 4), strings.size());
        EXPECT_EQ(view.String(strings[view.U32(at + 4)] + 4), "alarm");
    });
    EXPECT_GT(stringOperands, 0);
}

TEST(BytecodeForm, DumpOfTinyProjectMatchesGolden)
{
    const std::string expected = test::Golden("bwpack_dump_bytecode.txt");
    ASSERT_FALSE(expected.empty()) << "tests/golden/bwpack_dump_bytecode.txt missing";
    EXPECT_EQ(Package_Dump(Tiny().files.package), expected);
}

TEST(BytecodeForm, DumpOfCorruptCodeChunksNeverReadsOutsideThePackage)
{
    // Huge or looping distances, offsets and counts.
    const std::vector<uint8_t>& original = Tiny().files.package;
    for (const auto& [tag, chunk] : ChunksByTag(PackageView(original))) {
        if (tag != "CODE" && tag != "VARI" && tag != "FUNC") continue;
        test::DumpWithEachWordCorrupted(original, chunk.payload, chunk.payload + chunk.length,
                                        {0xFFFFFFF0u, 0x7FFFFFFFu, 0u, 0x1FFFFFFCu});
    }
}

// A project of one room whose creation code is the given file, plus a
// script; both build with the form given (bytecode unless said otherwise).
PackageFiles BuildWithCode(const test::ScratchFolder& folder, const std::string& roomCode, const std::string& scriptCode,
                           PackageForm form = PackageForm::Bytecode)
{
    folder.Write("room.bwl", roomCode);
    folder.Write("code/scr.bwl", scriptCode);
    folder.Write("game.json", R"({"name": "t", "scripts": [{"name": "scr", "file": "code/scr.bwl"}],
        "rooms": [{"name": "rm", "code": "room.bwl"}]})");
    RegisterBuiltins();
    return Package_BuildFiles(Project_Load(folder.Path()), form);
}

// Code the runner would refuse stops the build in either form, so that it
// never fails only when the game starts.
TEST(BytecodeForm, CompileErrorsStopTheBuildInEveryFormNamingFileAndLine)
{
    const struct {
        const char *roomCode, *scriptCode, *place, *mention;
    } cases[] = {
        {"x = 1;\n", "a = 1;\nb = ;\n", "code/scr.bwl:2:5: ", "b = ;"},
        {"x = 1;\n\nno_such_function();\n", "", "room.bwl:3:1: ", "no_such_function"},
    };
    for (const PackageForm form : {PackageForm::Bytecode, PackageForm::Text}) {
        for (const auto& c : cases) {
            test::ScratchFolder folder;
            try {
                BuildWithCode(folder, c.roomCode, c.scriptCode, form);
                ADD_FAILURE() << "built " << c.mention;
            } catch (const FileError& error) {
                EXPECT_EQ(std::string(error.what()).rfind(c.place, 0), 0u) << error.what();
                EXPECT_NE(error.Place().lineText.find(c.mention), std::string::npos) << error.Place().lineText;
            }
        }
    }
}

// The platform's variables are built-ins to bwpack as to the runner, which
// fails at start on a text that declares one and reads a local of that name
// in bytecode.
TEST(BytecodeForm, PlatformVariablesAreNoLocalsInEitherForm)
{
    for (const PackageForm form : {PackageForm::Bytecode, PackageForm::Text}) {
        for (const std::string name : {"os_type", "os_device", "os_version", "os_browser", "browser_width", "browser_height"}) {
            test::ScratchFolder folder;
            try {
                BuildWithCode(folder, "x = 1;\nvar a, " + name + ";\n", "", form);
                ADD_FAILURE() << "built var " << name;
            } catch (const FileError& error) {
                EXPECT_EQ(error.what(), std::string("room.bwl:2:8: Cannot redeclare a builtin variable.")) << name;
            }
        }
    }
}

// A game constant whose value needs the running game is the runner's to
// give at game start: code may only read it, and a built-in constant may
// not lend it its name.
TEST(BytecodeForm, ConstantsKnownOnlyAtGameStartAreOnlyRead)
{
    const struct {
        const char *constants, *roomCode, *message;
    } cases[] = {
        {R"json("HOME": "environment_get_variable(\"HOME\")")json", "x = HOME[1];\n",
         "room.bwl:1:5: HOME is a game constant, not a variable: it can only be read"},
        {R"json("HOME": "environment_get_variable(\"HOME\")")json", "var a, HOME;\n",
         "room.bwl:1:8: HOME is a game constant, not a variable: it can only be read"},
        {R"json("START": "current_time", "LATER": "START + 1")json", "x = 1;\nLATER += 1;\n",
         "room.bwl:2:1: LATER is a game constant, not a variable: it can only be read"},
        // Placed as the lexer ends lines, as every other fault.
        {R"json("START": "current_time")json", "x = 1;\rs = \"Ж\";\r\nSTART = 2;\r",
         "room.bwl:3:1: START is a game constant, not a variable: it can only be read"},
        {R"json("c_red": "current_time")json", "x = c_red;\n",
         "game.json: constants.c_red: \"current_time\" is known only when the game runs, and c_red is a built-in "
         "constant until then: choose another name"},
    };
    for (const PackageForm form : {PackageForm::Bytecode, PackageForm::Text}) {
        for (const auto& c : cases) {
            test::ScratchFolder folder;
            folder.Write("room.bwl", c.roomCode);
            folder.Write("game.json", std::string(R"({"name": "t", "constants": {)") + c.constants +
                                          R"(}, "rooms": [{"name": "rm", "code": "room.bwl"}]})");
            RegisterBuiltins();
            try {
                Package_BuildFiles(Project_Load(folder.Path()), form);
                ADD_FAILURE() << "built " << c.roomCode;
            } catch (const FileError& error) {
                EXPECT_EQ(error.what(), std::string(c.message));
            }
        }
    }
}

TEST(BytecodeForm, GlobalvarNamesUseTheGlobalScopeInEveryUnit)
{
    test::ScratchFolder folder;
    // The room reads g before the script that declares it is compiled.
    const PackageFiles files = BuildWithCode(folder, "y = g;\ng[2] = 1;\n", "globalvar g;\ng = 5;\n");
    const PackageView view(files.package);
    const std::map<std::string, ChunkInfo> chunks = ChunksByTag(view);
    const auto variables = Chains(view, chunks.at("VARI"), true);
    int simpleUses = 0;
    for (uint32_t occurrence : variables.at("g")) {
        const uint32_t word = view.U32(occurrence);
        const uint32_t reference = view.U32(occurrence + 4);
        if (reference & kVarRefSelectorInWord) {
            EXPECT_EQ(VM_Immediate(word), kSelectorGlobal) << "at " << occurrence;
            ++simpleUses;
        }
    }
    EXPECT_EQ(simpleUses, 2);
    for (uint32_t occurrence : variables.at("y")) EXPECT_EQ(VM_Immediate(view.U32(occurrence)), kSelectorUnspecified);
    // The indexed use pushes its selector: -5, never the plain -6.
    const std::string dump = Package_Dump(files.package);
    EXPECT_NE(dump.find("push.e -5"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("push.e -6"), std::string::npos) << dump;
}

TEST(BytecodeForm, EmptyCodeBecomesAUnitThatOnlyExits)
{
    test::ScratchFolder folder;
    const PackageFiles files = BuildWithCode(folder, "// nothing yet\n", "x = 1;\n");
    const PackageView view(files.package);
    const uint32_t room = view.PointerList(ChunksByTag(view).at("ROOM").payload).at(0);
    const uint32_t entry = view.PointerList(ChunksByTag(view).at("CODE").payload).at(static_cast<size_t>(view.I32(room + 32)));
    EXPECT_EQ(view.U32(entry + 4), 4u);
    EXPECT_EQ(view.U32(entry + 8), kWordExit);
}

TEST(BytecodeForm, DebugFileLiesWhereTheRunnerLooks)
{
    const std::pair<const char*, const char*> cases[] = {
        {"out/game.win", "out/game.qxdebug"},
        {"game", ""},
        // A '.' in a folder is no extension of the package's name.
        {"a.d/game", ""},
        {"../outs/game", ""},
        {"./game", ""},
        {"my.dir/game.v2.win", "my.dir/game.v2.qxdebug"},
    };
    for (const auto& [package, debug] : cases) EXPECT_EQ(Package_DebugFilePath(package), debug) << package;
}

}  // namespace
}  // namespace bw::pack
