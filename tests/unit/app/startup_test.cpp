// The command line, options.ini, the registration order, finding and
// reading the package, the '@' mover and the crash report.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/at_names.h"
#include "app/registration.h"
#include "app/startup.h"
#include "host/crash_handler.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/ini.h"
#include "platform/package_loader.h"
#include "platform/random.h"
#include "script/code_chunks.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "support/scratch_folder.h"
#include "unit/app/test_package.h"
#include "world/variable_list.h"

namespace bw {
namespace {

std::vector<std::string> g_lines;

class StartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        Startup() = StartupSettings{};
        g_lines.clear();
        Console_SetDebugListener([](const char* line) { g_lines.emplace_back(line); });
    }
    void TearDown() override
    {
        Console_SetDebugListener(nullptr);
        Startup() = StartupSettings{};
        PackageLoader_SetHooks({});
        PackageLoader_Reset();
    }
    static void Parse(const char* text)
    {
        const std::vector<std::string> tokens = CommandLine_Split(text);
        Brackwell_ParseCommandLine(tokens);
    }
    static std::string Transcript()
    {
        std::string all;
        for (const std::string& line : g_lines) all += line;
        return all;
    }
    static bool Logged(const std::string& text) { return Transcript().find(text) != std::string::npos; }
};

TEST_F(StartupTest, SwitchesSetTheirFlags)
{
    Parse("-debug -trace -ext -oldexec -noaudio -inawindow -steam -DEBUG unknown");
    const StartupSettings& s = Startup();
    EXPECT_TRUE(s.debug);
    EXPECT_EQ(s.debugMode, 2);
    EXPECT_TRUE(s.trace);
    EXPECT_TRUE(s.ext);
    EXPECT_FALSE(s.newExecution);
    EXPECT_TRUE(s.noAudio);
    EXPECT_TRUE(s.inAWindow);
    EXPECT_TRUE(s.steam);

    Parse("-DEBUG");
    EXPECT_FALSE(Startup().debug) << "switches are case-sensitive, and each parse starts afresh";
    EXPECT_TRUE(Startup().newExecution);
    EXPECT_TRUE(Startup().trace) << "trace keeps its value";
}

TEST_F(StartupTest, SwitchArguments)
{
    Parse("-record \"my input.rec\" -playback second.rec -game \"a b.win\" -output log.txt");
    const StartupSettings& s = Startup();
    EXPECT_TRUE(s.record);
    EXPECT_TRUE(s.playback);
    EXPECT_EQ(s.recordFile, "second.rec");
    EXPECT_EQ(s.gamePath, "a b.win");
    EXPECT_TRUE(Console_Settings().outputEnabled);
    EXPECT_EQ(Console_Settings().outputFile, "log.txt");
    Console_Settings() = ConsoleSettings{};
}

TEST_F(StartupTest, PackageBesideTheProgramWinsOverGame)
{
    Startup().gamePath = "/opt/game/data.win";
    Parse("-game other.win");
    EXPECT_EQ(Startup().gamePath, "/opt/game/data.win");
    Parse("-game");
    EXPECT_EQ(Startup().gamePath, "/opt/game/data.win") << "a switch without its argument";
}

TEST_F(StartupTest, APackageNotPlayedIsSaidOnStandardError)
{
    testing::internal::CaptureStderr();
    Parse("-game first.win -game second.win");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "-game second.win ignored: the first -game, first.win, is played\n");
    EXPECT_EQ(Startup().gamePath, "first.win");

    Startup().gamePath = "/opt/game/data.win";
    testing::internal::CaptureStderr();
    Parse("-game other.win");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "-game other.win ignored: /opt/game/data.win is played, as a data.win beside the program always is\n");

    Startup().gamePath.clear();
    testing::internal::CaptureStderr();
    Parse("-game only.win");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "one package named and played";
}

TEST_F(StartupTest, DebugOutputSaysItWritesNothing)
{
    test::ScratchFolder folder;
    const std::string file = folder / "debug.txt";
    testing::internal::CaptureStderr();
    Parse(("-debugoutput " + file).c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "-debugoutput " + file + ": nothing is written there; -output FILE logs the console\n");
    testing::internal::CaptureStdout();
    Console().Printf("a line of the one console\n");
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(std::filesystem::exists(file)) << "what the line says holds";
    Console_Settings() = ConsoleSettings{};
}

TEST_F(StartupTest, OptionsIniDebugAndTrace)
{
    IniFile ini;
    ini.SetText("[DEFAULT]\nDebug=1\nTrace=0\n");
    Runner_ReadIniOptions(ini);
    EXPECT_TRUE(Startup().debug);
    EXPECT_EQ(Startup().debugMode, 2);
    EXPECT_FALSE(Startup().trace);
}

TEST_F(StartupTest, GroupsAreRegisteredInTheirOrder)
{
    Brackwell_RegisterFunctions();
    EXPECT_EQ(Transcript(),
              "HighScore..Game..Math..Graphic..Action..File..Resource..Interaction..3D..Particle..Misc..DS..Sound.."
              "DPlay..Physics..Gamepad..Buffers..Networking..Vask..Fini\n");
}

TEST_F(StartupTest, HeaderSteamBitCountsAsTheSwitchBeforeRegistration)
{
    Code_Function_Free();  // only what this registration adds
    test::TestPackage package;
    test::TestHeader header;
    header.flags = 0x1000;
    test::WriteHeader(package, header);
    const std::vector<uint8_t> bytes = package.Finish();
    Registration_InstallPackageReaders();
    Package_SetImage(bytes.data(), bytes.size());
    ASSERT_TRUE(Code_Load());
    EXPECT_TRUE(Startup().steam);
    EXPECT_TRUE(Logged("Networking..Vask..Fini\n"));
    int32_t id = -1;
    EXPECT_FALSE(Code_Function_Find("external_define", &id)) << "code from outside the package stays unknown";
    EXPECT_FALSE(Code_Function_Find("execute_string", &id));
    EXPECT_TRUE(Code_Function_Find("show_debug_message", &id));
    Code_Function_Free();
}

TEST_F(StartupTest, TheUninitialisedVariablesOptionMakesReadsStrict)
{
    constexpr uint32_t kOptionWords = 35, kUninitialisedAreErrors = 33;
    for (const bool strict : {true, false}) {
        SCOPED_TRACE(strict);
        Variable_SetStrictReads(!strict);
        test::TestPackage package;
        test::WriteHeader(package, test::TestHeader{});
        package.BeginChunk("OPTN");
        for (uint32_t word = 0; word <= kOptionWords; ++word) {  // the last: no constants
            package.U32(word == kUninitialisedAreErrors && strict ? 1 : 0);
        }
        package.EndChunk();
        const std::vector<uint8_t> bytes = package.Finish();
        Registration_InstallPackageReaders();
        Package_SetImage(bytes.data(), bytes.size());
        ASSERT_TRUE(Code_Load());
        LoadGameData();
        EXPECT_EQ(Variable_StrictReads(), strict);
        Code_Function_Free();
    }
    Variable_SetStrictReads(false);
}

TEST_F(StartupTest, LoadingFindsTheOptionsAndDebugFilesBesideThePackage)
{
    test::ScratchFolder folder;
    for (const auto& [file, tag] : {std::pair{"dir.v2/game.win", "SPRT"}, std::pair{"dir.v2/game.qxdebug", "DBGI"}}) {
        test::TestPackage package;
        package.Chunk(tag, {0});
        folder.Write(file, package.FinishText());
    }
    folder.Write("dir.v2/options.ini", "[DEFAULT]\nTrace=1\n");
    Registration_InstallPackageReaders();
    ASSERT_TRUE(RunnerLoadGame(folder / "dir.v2/game.win"));
    EXPECT_EQ(Package().debugPath, folder / "dir.v2/game.qxdebug");
    EXPECT_EQ(Package().iniPath, folder / "dir.v2/options.ini");
    EXPECT_TRUE(Startup().trace);
    EXPECT_NE(Package().debugImage, nullptr);
    EXPECT_TRUE(Logged("IFF wad found\n"));
}

TEST_F(StartupTest, DebugFileNameComesFromTheFileNameOnly)
{
    test::ScratchFolder folder;
    folder.Write("dir.v2/game", "FORM");
    ASSERT_TRUE(RunnerLoadGame(folder / "dir.v2/game"));
    EXPECT_EQ(Package().debugPath, "");
    EXPECT_TRUE(Logged("!!!!No INI File"));
}

TEST_F(StartupTest, MissingPackageIsReported)
{
    test::ScratchFolder folder;
    EXPECT_FALSE(RunnerLoadGame(folder / "none.win"));
    EXPECT_TRUE(Logged("FAILED to load File " + (folder / "none.win")));
    EXPECT_EQ(Package_LoadFault(), "no such file");
    PackageLoader_Reset();
    EXPECT_FALSE(RunnerLoadGame(folder.Path()));
    EXPECT_EQ(Package_LoadFault(), "it is a folder, not a file");
}

TEST_F(StartupTest, ExitStatusTellsAFailedStartFromAnAbortedGame)
{
    Code_Error_ResetState();
    EXPECT_EQ(Runner_ExitStatus(true), 0);
    EXPECT_EQ(Runner_ExitStatus(false), 1);
    Code_Error_SetNoErrorsSwitch(true);
    Code_Error_Log("the game cannot go on", true);
    EXPECT_EQ(Runner_ExitStatus(true), kFatalErrorExitCode);
    EXPECT_EQ(Runner_ExitStatus(false), 1) << "a load error reported as fatal is still a failed start";
    Code_Error_SetNoErrorsSwitch(false);
    Code_Error_ResetState();
}

TEST_F(StartupTest, UnknownSwitchesAreSkippedAloud)
{
    testing::internal::CaptureStderr();
    Parse("-nosound game.win -noaudio --help");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Startup().noAudio);
    EXPECT_EQ(told, "Unknown switch -nosound: skipped\nUnknown switch --help: skipped\n")
        << "a token that is no switch and no dash is skipped in silence";
}

TEST_F(StartupTest, NoPackageAndNoChoiceStopsStartUp)
{
    PackageLoaderHooks hooks;
    hooks.chooseGameFile = [](std::string*) { return false; };
    PackageLoader_SetHooks(std::move(hooks));
    EXPECT_FALSE(RunnerLoadGame(""));
    EXPECT_EQ(g_lines.front(), "RunnerLoadGame: \n");
}

TEST_F(StartupTest, DamagedHeaderPassStopsStartUpBeforeTheWindow)
{
    // A VARI of a partial record fails the header pass.
    test::ScratchFolder folder;
    test::TestPackage package;
    package.Chunk("VARI", {1, 2});
    folder.Write("bad.win", package.FinishText());
    Startup().gamePath = folder / "bad.win";
    EXPECT_FALSE(Brackwell_Init());
    EXPECT_FALSE(Logged("Create Window"));
    EXPECT_TRUE(Logged("Failed to load the game\n"));
}

TEST_F(StartupTest, AtNamesBecomeFolders)
{
    test::ScratchFolder folder;
    folder.Write("a@b@c.txt", "moved");
    folder.Write("plain.txt", "stays");
    folder.Write(".hidden@x", "stays");
    Brackwell_UnpackAtNames(folder.Path(), {});
    EXPECT_EQ(test::ScratchFolder::Read(folder / "a/b/c.txt"), "moved");
    EXPECT_FALSE(std::filesystem::exists(folder / "a@b@c.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder / "plain.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder / ".hidden@x"));
}

TEST_F(StartupTest, AtNamesUnpackBesideThePackageWhichKeepsItsName)
{
    // The package is read before the header pass refuses it: its folder is
    // known, and the next start must find it and its debug file again.
    test::ScratchFolder folder;
    test::TestPackage package;
    package.Chunk("VARI", {1, 2});
    folder.Write("game@v2.win", package.FinishText());
    folder.Write("game@v2.qxdebug", "");
    folder.Write("sub@a.txt", "moved");
    Startup().gamePath = folder / "game@v2.win";
    EXPECT_FALSE(Brackwell_Init());
    EXPECT_EQ(test::ScratchFolder::Read(folder / "sub/a.txt"), "moved");
    EXPECT_EQ(test::ScratchFolder::Names(folder.Path()),
              (std::set<std::string>{"game@v2.qxdebug", "game@v2.win", "sub"}));
}

TEST_F(StartupTest, AtNamesNeverClimbOutOrOverwrite)
{
    test::ScratchFolder folder;
    const char* refused[] = {"..@escape.txt", "a@@b.txt", "@lead.txt", "trail@", "x@.@y"};
    for (const char* name : refused) {
        folder.Write(name, "x");
        EXPECT_FALSE(Brackwell_MoveAtFile(folder.Path(), name)) << name;
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    }
    folder.Write("d/f.txt", "old");
    folder.Write("d@f.txt", "new");
    EXPECT_FALSE(Brackwell_MoveAtFile(folder.Path(), "d@f.txt"));
    EXPECT_EQ(test::ScratchFolder::Read(folder / "d/f.txt"), "old");
}

TEST_F(StartupTest, EveryStartUpDrawsFromSeedZero)
{
    Random_SetSeed(1234);
    WELL512_Next();
    ASSERT_TRUE(Brackwell_EarlyInit());
    EXPECT_EQ(Random_GetSeed(), 0u);
    WELL512State seedZero{};
    WELL512_Seed(seedZero, 0);
    for (int draw = 0; draw < 4; ++draw) EXPECT_EQ(WELL512_Next(), WELL512_Next(seedZero)) << "draw " << draw;
}

TEST_F(StartupTest, CrashWritesTheDumpAndEndsBySignal)
{
    test::ScratchFolder folder;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(folder.Path().c_str()) != 0) _exit(2);
        CrashHandler_Install();
        raise(SIGFPE);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGFPE);
    const std::string dump = test::ScratchFolder::Read(folder / kCrashDumpFile);
    EXPECT_NE(dump.find("!!!Unhandled Exception!!! - creating minidump\n"), std::string::npos);
    EXPECT_NE(dump.find("signal 8\n"), std::string::npos);
}

}  // namespace
}  // namespace bw
