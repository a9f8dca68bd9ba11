// Extension packages read from packages that bwpack builds, in both of its
// forms: the function tables answer as soon as the chunk is read, prepared
// library functions are called from game code, and the files' init and
// final functions run at game start and end.
#include "resources/extension.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chunk_image.h"
#include "game_folder.h"
#include "package_fixture.h"
#include "resources/external.h"
#include "support/external_library.h"

namespace bw::test {
namespace {

constexpr int32_t kReal = kExtensionTypeReal;
constexpr int32_t kString = kExtensionTypeString;

pack::ExtensionFunction Function(const char* name, const char* external, int32_t id, std::vector<int32_t> args,
                                 int32_t result = kReal)
{
    pack::ExtensionFunction function;
    function.name = name;
    function.externalName = external;
    function.id = id;
    function.argumentTypes = std::move(args);
    function.resultType = result;
    return function;
}

// A library file with sparse ids, init and final functions, a file whose
// library is missing, and scripts that call into them.
pack::Project WithExtension()
{
    pack::Project project;
    project.header.name = "extensions";
    pack::ExtensionFile file;
    file.fileName = "bwtestext.dll";
    file.initFunction = "ext_init";
    file.finalFunction = "ext_final";
    file.functions = {
        Function("ext_add", "add", 0, {kReal, kReal}),
        Function("ext_concat", "concat", 7, {kString, kString}, kString),
        Function("ext_init", "ext_init", 3, {}),
        Function("ext_final", "ext_final", 4, {}),
        Function("ext_calls", "calls", 5, {}, kString),
    };
    pack::ExtensionFile absent;
    absent.fileName = "absent.dll";
    absent.functions = {Function("ext_absent", "add", 9, {kReal, kReal})};
    // A game script comes before a function of the package; a function
    // that takes arguments is never called at the start or end.
    pack::ExtensionFile more;
    more.fileName = "bwtestext.dll";
    more.initFunction = "scr_start";
    more.finalFunction = "ext_with_argument";
    more.functions = {Function("ext_with_argument", "ext_init_with_argument", 6, {kReal})};
    project.extensions = {{"ext", "ext", {file, absent, more}}};
    project.scripts = {
        {"scr_use", {"return ext_add(argument0, 2);", "scr_use.bwl"}},
        {"scr_start", {"record(\"script start\");", "scr_start.bwl"}},
    };
    return project;
}

class ExtensionPackageTest : public PackageCodeTest {
protected:
    void LoadResources() override
    {
        folder.Write("game/libbwtestext.so", ExternalTestLibraryBytes());
        LoadPackage(WithExtension());
    }

    void TearDown() override
    {
        Extension_ClearTable();
        External_Clear();
        External_SetCallsDisabled(false);
        PackageCodeTest::TearDown();
    }

    void Prepare()
    {
        ASSERT_TRUE(Extension_Prepare());
        ASSERT_TRUE(Script_Prepare()) << Code_Error_PendingMessage();
    }

    GameFolder folder{"extension_test"};
};

TEST_P(ExtensionPackageTest, TablesAnswerFromTheChunkBeforePreparation)
{
    EXPECT_EQ(Extension_FindFunction("ext_concat"), 7);
    EXPECT_EQ(Extension_FindFunction("ext_nothing"), -1);
    EXPECT_EQ(Extension_GetFunctionArgCount(7), 2);
    EXPECT_EQ(Extension_GetFunctionArgCount(1), kFunctionArgCountNone);
    EXPECT_STREQ(Extension_GetFunctionName(3), "ext_init");
    EXPECT_EQ(Extension_GetFunctionName(1), nullptr);
}

TEST_P(ExtensionPackageTest, GameCodeCallsTheLibrarysFunctions)
{
    Prepare();
    EXPECT_EQ(Run("record(scr_use(5), ext_add(0.25, 0.5), ext_concat(\"a\", 3));"), "7 0.75 a\n");
    // A library that is not there leaves its functions giving 0.
    EXPECT_EQ(Run("record(ext_absent(1, 2));"), "7 0.75 a\n0\n");
    // An id no function has does nothing.
    Value result;
    EXPECT_TRUE(Extension_Call(1, self, self, 0, nullptr, &result));
    EXPECT_TRUE(Extension_Call(-3, self, self, 0, nullptr, &result));
    EXPECT_EQ(result.real, 0);
}

TEST_P(ExtensionPackageTest, InitAndFinalRunAtGameStartAndEnd)
{
    Prepare();
    EXPECT_TRUE(Extension_Initialize());
    EXPECT_EQ(Recorded(), "script start\n");
    const HeardConsole console;
    EXPECT_TRUE(Extension_Finalize());
    EXPECT_NE(console.Text().find("Extension function ext_with_argument takes arguments: not called at game end"),
              std::string::npos)
        << console.Text();
    EXPECT_EQ(Run("record(ext_calls());"), "script start\ninit;final;\n");
}

TEST_P(ExtensionPackageTest, WithCallsSwitchedOffNothingReachesTheLibrary)
{
    Prepare();
    External_SetCallsDisabled(true);
    EXPECT_TRUE(Extension_Initialize());
    EXPECT_EQ(Run("record(ext_add(1, 2), ext_calls());"), "script start\n0 0\n");
    External_SetCallsDisabled(false);
    EXPECT_EQ(Run("record(ext_calls());"), "script start\n0 0\n\n");
}

TEST_P(ExtensionPackageTest, ACallWithTheWrongArgumentCountDoesNotCompile)
{
    CCode code("ext_add(1);", false);
    EXPECT_FALSE(code.Compile("Test.wrong_count"));
}

INSTANTIATE_TEST_SUITE_P(BothForms, ExtensionPackageTest,
                         testing::Values(pack::PackageForm::Text, pack::PackageForm::Bytecode), &PackageFormName);

// Functions of a code file are compiled by the runner and run with their own
// arguments; the caller's are untouched.
class ExtensionCodeTest : public ResourceCodeTest {
protected:
    void TearDown() override
    {
        Extension_ClearTable();
        ResourceCodeTest::TearDown();
    }

    static void AddCodeFunction(const char* name, int32_t id, const char* code)
    {
        auto package = std::make_unique<CExtensionPackage>();
        package->name = "codepack";
        CExtensionFile& file = package->files.emplace_back();
        file.kind = kExtensionFileCode;
        CExtensionFunction& function = file.functions.emplace_back();
        function.name = name;
        function.id = id;
        function.code = code;
        Extension_Add(std::move(package));
    }
};

TEST_F(ExtensionCodeTest, AnInitFunctionFoundNowhereStopsTheStart)
{
    auto package = std::make_unique<CExtensionPackage>();
    CExtensionFile& file = package->files.emplace_back();
    file.initFunction = "ext_nowhere";
    file.finalFunction = "ext_gone";
    Extension_Add(std::move(package));
    ASSERT_TRUE(Extension_Prepare());
    EXPECT_FALSE(Extension_Initialize());
    EXPECT_STREQ(Code_Error_LastText(), "Could not locate initialization function ext_nowhere");
    Code_Error_ResetState();
    EXPECT_FALSE(Extension_Finalize());
    EXPECT_STREQ(Code_Error_LastText(), "Could not locate finalization function ext_gone");
}

TEST_F(ExtensionCodeTest, CodeFunctionsRunWithTheirOwnArguments)
{
    AddCodeFunction("ext_times", 2, "return argument0 * argument1;");
    AddCodeFunction("ext_empty", 0, "");
    ASSERT_TRUE(Extension_Prepare());
    EXPECT_EQ(Extension_GetFunctionKind(2), kExtensionFunctionCompiled);
    EXPECT_NE(Extension_GetFunctionCode(2), nullptr);
    Value_SetReal(Script_Arguments().values[0], 9);
    EXPECT_EQ(Run("record(ext_times(4, 5), ext_empty(), argument0);"), "20 0 9\n");
}

TEST_F(ExtensionCodeTest, AFailingRunNamesTheFunction)
{
    AddCodeFunction("ext_broken", 0, "return argument0 + \"a\";");
    ASSERT_TRUE(Extension_Prepare());
    const std::string outcome = Run("ext_broken(1);");
    EXPECT_NE(outcome.find("In extension function ext_broken: \n"), std::string::npos) << outcome;
}

TEST_F(ExtensionCodeTest, CodeThatDoesNotCompileStopsPreparation)
{
    AddCodeFunction("ext_bad", 0, "x = ;");
    EXPECT_FALSE(Extension_Prepare());
    const char* text = Code_Error_LastText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text).rfind("COMPILATION ERROR in extension package codepack\n", 0), 0u) << text;
}

}  // namespace
}  // namespace bw::test

namespace bw::test {
namespace {

// Package record: folder, name, one file; file record: name, final, init,
// kind, one function; then the function's words.
ChunkImage OneFunction(const std::vector<uint32_t>& function)
{
    std::vector<uint32_t> words = {kTextWord, kTextWord, 1, kNextWord, kTextWord, 0, kTextWord, 1, 1, kNextWord};
    words.insert(words.end(), function.begin(), function.end());
    ChunkImage image;
    const uint32_t list = image.List(1);
    const uint32_t text = image.Text("name");
    image.Slot(list, 0);
    for (uint32_t word : words) {
        image.U32(word == kTextWord ? text : word == kNextWord ? image.Here() + 4 : word);
    }
    return image;
}

bool LoadChunk(const ChunkImage& image)
{
    return Extension_Load(image.View(), 4, image.Size() - 4);
}

TEST(ExtensionChunkTest, RecordsAreReadWithTheirArgumentTypes)
{
    const std::vector<uint32_t> function = {kTextWord, 7, 12, 1, kTextWord, 17, 1, 1, 1, 1, 1, 1, 1, 1,
                                                1,         1, 1,  1, 1, 1,         1,  1, 1};
    ASSERT_TRUE(LoadChunk(OneFunction(function)));
    const CExtensionPackage* package = Extension_GetPackage(0);
    ASSERT_NE(package, nullptr);
    const CExtensionFunction* read = package->FindFunctionById(7);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->name, "name");
    EXPECT_EQ(read->callKind, kExtensionCallCdecl);
    EXPECT_EQ(read->argCount, 17);
    EXPECT_EQ(read->ArgumentType(15), kExtensionTypeString);
    EXPECT_EQ(read->ArgumentType(16), kExtensionTypeReal) << "types past the sixteenth are dropped";
    EXPECT_EQ(package->files[0].initFunction, "name");
    Extension_ClearTable();
}

TEST(ExtensionChunkTest, MalformedRecordsFailTheLoadAndLeaveNothing)
{
    const std::vector<std::vector<uint32_t>> cases = {
        {kTextWord, 0xFFFFFFFFu, 12, 2, kTextWord, 0},  // a negative id
        {kTextWord, 0, 12, 2, 0xFFFFFF00u, 0},          // a text outside the package
        {kTextWord, 0, 12, 2, kTextWord, 2, 2},         // argument types past the end
    };
    for (const auto& function : cases) {
        EXPECT_FALSE(LoadChunk(OneFunction(function)));
        EXPECT_EQ(Extension_PackageCount(), 0);
    }
    // Lists whose entries all name one record: a hundred files of a
    // hundred functions each would be ten thousand records read from a few
    // hundred words.
    constexpr uint32_t kRepeats = 100;
    ChunkImage endless;
    const uint32_t packages = endless.List(1);
    endless.Slot(packages, 0);
    const uint32_t package = endless.Here();
    const uint32_t fileRecord = package + 12 + 4 * kRepeats;
    const uint32_t functionRecord = fileRecord + 20 + 4 * kRepeats;
    for (uint32_t word : {0u, 0u, kRepeats}) endless.U32(word);
    for (uint32_t i = 0; i < kRepeats; ++i) endless.U32(fileRecord);
    for (uint32_t word : {0u, 0u, 0u, 1u, kRepeats}) endless.U32(word);
    for (uint32_t i = 0; i < kRepeats; ++i) endless.U32(functionRecord);
    for (uint32_t word : {0u, 0u, 12u, 2u, 0u, 0u}) endless.U32(word);
    EXPECT_FALSE(LoadChunk(endless));
}

}  // namespace
}  // namespace bw::test
