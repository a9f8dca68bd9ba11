#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/memory.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScopedEnv;
using test::ScratchFolder;

// A memory-manager text, freed; "" for null.
std::string TakeText(char* text)
{
    const std::string copy = text != nullptr ? text : "";
    MemoryManager_Free(text);
    return copy;
}

// Runs the test from another folder, then goes back.
class WorkingFolderScope {
public:
    explicit WorkingFolderScope(const std::string& folder) : m_started(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolderScope() { std::filesystem::current_path(m_started); }
    WorkingFolderScope(const WorkingFolderScope&) = delete;
    WorkingFolderScope& operator=(const WorkingFolderScope&) = delete;

private:
    std::filesystem::path m_started;
};

// A game whose package lies in <scratch>/game and whose save folder is
// <scratch>/data/MyGame (the per-user data folder pointed into the scratch).
class FilesTest : public ::testing::Test {
protected:
    FilesTest()
        : m_data("XDG_DATA_HOME", (m_root / "data").c_str()), m_config("XDG_CONFIG_HOME", (m_root / "config").c_str())
    {
        m_root.Write("game/data.win", "package");
        EXPECT_TRUE(Files_SetPackagePath((m_root / "game/data.win").c_str()));
        EXPECT_TRUE(Files_SetSaveFolderName("MyGame", false));
    }
    ~FilesTest() override { PickedFiles_Clear(); }

    std::string Program(const std::string& relative) const { return m_root / ("game/" + relative); }
    std::string Save(const std::string& relative) const { return m_root / ("data/MyGame/" + relative); }

    // The resolved path, "" when refused (and then the result must be false too).
    static std::string Resolve(bool (*resolve)(char*, size_t, const char*), const char* name)
    {
        char out[kLoadSavePathSize];
        const bool placed = resolve(out, sizeof(out), name);
        EXPECT_EQ(placed, out[0] != '\0');
        return out;
    }
    static std::string PathRead(const char* name) { return Resolve(LoadSave_PathRead, name); }
    static std::string PathWrite(const char* name) { return Resolve(LoadSave_PathWrite, name); }
    // A whole file read by name, the block freed; "<none>" when refused.
    static std::string ReadWhole(uint8_t* (*read)(const char*, size_t*), const char* name)
    {
        size_t size = SIZE_MAX;
        uint8_t* data = read(name, &size);
        if (data == nullptr) return "<none>";
        const std::string text(reinterpret_cast<const char*>(data), size);
        MemoryManager_Free(data);
        return text;
    }
    static std::string ReadOpened(const char* name, const char* mode)
    {
        MemoryFile* file = LoadSave_OpenRead(name, mode);
        if (file == nullptr) return "<none>";
        const std::string rest(reinterpret_cast<const char*>(file->data + file->position),
                               static_cast<size_t>(file->size - file->position));
        LoadSave_Close(file);
        return rest;
    }

    ScratchFolder m_root;
    ScopedEnv m_data;
    ScopedEnv m_config;
};

TEST_F(FilesTest, NamesArePlacedInsideTheirArea)
{
    const struct { std::string name, read, write; } cases[] = {  // read, write: "" when refused
        {"score.ini", Program("score.ini"), Save("score.ini")},
        {"levels\\one\\a.txt", Program("levels/one/a.txt"), Save("levels/one/a.txt")},
        {"a/./b//../c.txt", Program("a/c.txt"), Save("a/c.txt")},
        {Program("x.txt"), Program("x.txt"), Save("x.txt")},
        {Program("sub\\x.txt"), Program("sub/x.txt"), Save("sub/x.txt")},
        {Save("x.txt"), "", Save("x.txt")},
        {"../outside.txt", "", ""}, {"a/../../outside.txt", "", ""}, {"..\\outside.txt", "", ""},
        {Program("../outside.txt"), "", ""}, {"/etc/passwd", "", ""}, {"", "", ""},
        {m_root / "gamex/a.txt", "", ""},  // shares a prefix with the program folder, not a folder
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathRead(c.name.c_str()), c.read) << c.name;
        EXPECT_EQ(PathWrite(c.name.c_str()), c.write) << c.name;
    }
    EXPECT_EQ(PathRead(nullptr), "");
    EXPECT_EQ(PathWrite(nullptr), "");
}

// Started from a folder below the package's: a full name inside the working
// folder keeps its place below the working folder, so it is the file its
// relative name reaches too.
TEST_F(FilesTest, FullNamesAreMappedByTheDeepestFolderHoldingThem)
{
    const std::string below = m_root / "game/sub";
    std::filesystem::create_directories(below);
    const WorkingFolderScope working(below);
    const std::string inside = below + "/inside.txt";
    const std::string home = m_root.Path();  // the program and save folders both lie inside it
    const struct { std::string name, read, write; } cases[] = {
        {inside, Program("inside.txt"), Save("inside.txt")},
        {Program("x.txt"), Program("x.txt"), Save("x.txt")},
        {Save("x.txt"), "", Save("x.txt")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathRead(c.name.c_str()), c.read) << c.name;
        EXPECT_EQ(PathWrite(c.name.c_str()), c.write) << c.name;
    }
    ASSERT_TRUE(LoadSave_WriteSaveFile(inside.c_str(), "written", 7));
    EXPECT_TRUE(LoadSave_SaveExists("inside.txt"));
    // From a folder above both areas, names inside either stay where they
    // are, and the rest of the working folder is mapped onto the areas.
    std::filesystem::current_path(home);  // the scope puts the first one back
    EXPECT_EQ(PathRead(Program("x.txt").c_str()), Program("x.txt"));
    EXPECT_EQ(PathWrite(Program("x.txt").c_str()), Save("x.txt"));
    EXPECT_EQ(PathWrite(Save("x.txt").c_str()), Save("x.txt"));
    EXPECT_EQ(PathRead((m_root / "elsewhere/a.txt").c_str()), Program("elsewhere/a.txt"));
    EXPECT_EQ(PathWrite((m_root / "elsewhere/a.txt").c_str()), Save("elsewhere/a.txt"));
}

TEST_F(FilesTest, ExistingEntriesAreFoundWhateverTheirCase)
{
    m_root.Write("game/Data/Levels/Map.TXT", "map");
    m_root.Write("data/MyGame/Saves/slot.dat", "old");
    EXPECT_EQ(PathRead("data\\levels\\map.txt"), Program("Data/Levels/Map.TXT"));
    EXPECT_EQ(ReadWhole(LoadSave_ReadBundleFile, "DATA/LEVELS/MAP.txt"), "map");
    // A new file goes into the folder that exists, under the name asked for.
    ASSERT_TRUE(LoadSave_WriteSaveFile("saves\\New.dat", "new", 3));
    EXPECT_EQ(ScratchFolder::Read(Save("Saves/New.dat")), "new");
}

TEST_F(FilesTest, SaveAreaShadowsProgramArea)
{
    m_root.Write("game/options.cfg", "shipped");
    EXPECT_EQ(ReadOpened("options.cfg", "rb"), "shipped");
    ASSERT_TRUE(LoadSave_WriteSaveFile("options.cfg", "written", 7));
    EXPECT_EQ(ReadOpened("options.cfg", "rb"), "written");
    EXPECT_EQ(Resolve(LoadSave_PathFind, "options.cfg"), Save("options.cfg"));
    EXPECT_EQ(ScratchFolder::Read(Program("options.cfg")), "shipped");
    EXPECT_EQ(ReadOpened("missing.cfg", "rb"), "<none>");
    EXPECT_EQ(Resolve(LoadSave_PathFind, "missing.cfg"), "");
}

TEST_F(FilesTest, PickedFilesAreTheOnlyWayOutOfTheAreas)
{
    std::string picked = m_root.Write("elsewhere/Picked.txt", "picked");
    EXPECT_EQ(PathRead(picked.c_str()), "");
    PickedFiles_AddOpened(picked.c_str());
    EXPECT_EQ(PathRead(picked.c_str()), picked);
    EXPECT_EQ(ReadOpened(picked.c_str(), "rb"), "picked");
    // The same file in another case is the file the user picked.
    std::string upper = m_root / "ELSEWHERE/picked.txt";
    EXPECT_EQ(PathRead(upper.c_str()), picked);
    // Picking for opening does not allow writing, nor a neighbour.
    EXPECT_EQ(PathWrite(picked.c_str()), "");
    EXPECT_EQ(PathRead((m_root / "elsewhere/other.txt").c_str()), "");
    PickedFiles_AddSaved(picked.c_str());
    EXPECT_EQ(PathWrite(picked.c_str()), picked);
}

TEST_F(FilesTest, UnsafeSaveFolderNamesLeaveNowhereToWrite)
{
    for (const char* name : {"", ".", "..", "a/b", "a\\b", "/abs"}) {
        EXPECT_FALSE(Files_SetSaveFolderName(name, false)) << name;
        EXPECT_EQ(GetSaveDirectory(), nullptr) << name;
        EXPECT_EQ(PathWrite("file.txt"), "") << name;
        EXPECT_FALSE(LoadSave_WriteSaveFile("file.txt", "x", 1)) << name;
        EXPECT_FALSE(LoadSave_WriteSaveFile(Program("file.txt").c_str(), "x", 1)) << name;
    }
    EXPECT_FALSE(Files_SetSaveFolderName(nullptr, false));
}

TEST_F(FilesTest, SaveFolderLiesInThePerUserFolders)
{
    EXPECT_STREQ(GetSaveDirectory(), Save("").c_str());
    ASSERT_TRUE(Files_SetSaveFolderName("MyGame", true));
    EXPECT_STREQ(GetSaveDirectory(), (m_root / "config/MyGame/").c_str());
}

TEST_F(FilesTest, WholeFilesRoundTripThroughTheSaveArea)
{
    const char bytes[] = {'a', '\0', 'b', '\xff'};
    ASSERT_TRUE(LoadSave_WriteSaveFile("deep\\er\\file.bin", bytes, sizeof(bytes)));
    EXPECT_EQ(ReadWhole(LoadSave_ReadSaveFile, "deep/er/file.bin"), std::string(bytes, sizeof(bytes)));
    EXPECT_TRUE(LoadSave_SaveExists("deep/er/file.bin"));
    EXPECT_FALSE(LoadSave_Exists("deep/er/file.bin"));
    EXPECT_EQ(LoadSave_SaveFileSize("deep/er/file.bin"), 4);
    EXPECT_EQ(LoadSave_FileSize("deep/er/file.bin"), -1);
    // An empty file is a block of its own, not a failure.
    ASSERT_TRUE(LoadSave_WriteSaveFile("empty", nullptr, 0));
    EXPECT_EQ(ReadWhole(LoadSave_ReadSaveFile, "empty"), "");
    EXPECT_EQ(ReadWhole(LoadSave_ReadSaveFile, "missing"), "<none>");
}

TEST_F(FilesTest, FoldersAreNotFiles)
{
    std::filesystem::create_directories(Program("folder"));
    EXPECT_FALSE(LoadSave_Exists("folder"));
    EXPECT_EQ(LoadSave_FileSize("folder"), -1);
    EXPECT_EQ(LoadSave_ReadBundleFile("folder", nullptr), nullptr);
    EXPECT_TRUE(DirectoryExists(Program("folder").c_str()));
    EXPECT_FALSE(FileExists(Program("folder").c_str()));
    EXPECT_TRUE(FileExists(Program("data.win").c_str()));
}

TEST_F(FilesTest, TextModeSkipsTheUtf8Signature)
{
    m_root.Write("game/bom.txt", "\xEF\xBB\xBFline");
    m_root.Write("game/short.txt", "\xEF\xBB");
    EXPECT_EQ(ReadOpened("bom.txt", "rt"), "line");
    EXPECT_EQ(ReadOpened("bom.txt", "rb"), "\xEF\xBB\xBFline");
    EXPECT_EQ(ReadOpened("short.txt", "rt"), "\xEF\xBB");
}

class MemoryFileTest : public FilesTest {
protected:
    ~MemoryFileTest() override { LoadSave_Close(m_file); }
    MemoryFile* Open(const std::string& content)
    {
        m_root.Write("game/file.txt", content);
        m_file = LoadSave_OpenRead("file.txt", "rb");
        EXPECT_NE(m_file, nullptr);
        return m_file;
    }
    MemoryFile* m_file = nullptr;
};

// Each step: Tell, Eoln and Eof before reading a byte; reading at the end still advances.
TEST_F(MemoryFileTest, ReadingWalksToTheEndAndPastIt)
{
    MemoryFile* file = Open("a\r\nb");
    const struct { bool eoln, eof; int byte; } steps[] = {{false, false, 'a'}, {true, false, '\r'},
        {true, false, '\n'}, {false, false, 'b'}, {true, true, -1}, {true, true, -1}};
    for (int position = 0; position < 6; ++position) {
        SCOPED_TRACE(position);
        EXPECT_EQ(LoadSave_Tell(file), position);
        EXPECT_EQ(LoadSave_Eoln(file), steps[position].eoln);
        EXPECT_EQ(LoadSave_Eof(file), steps[position].eof);
        EXPECT_EQ(LoadSave_ReadChar(file), steps[position].byte);
    }
}

TEST_F(MemoryFileTest, SeekCountsFromStartPositionOrEndAndClamps)
{
    MemoryFile* file = Open("0123456789");
    const struct { int64_t offset; int whence; int32_t expected; } steps[] = {{4, 0, 4}, {2, 1, 6}, {-10, 1, 0},
        {3, 2, 7}, {-5, 0, 0}, {20, 2, 0}, {INT64_MIN, 0, 0}, {INT64_MAX, 1, INT32_MAX}, {1, 9, INT32_MAX}};
    for (const auto& step : steps) {
        LoadSave_Seek(file, step.offset, step.whence);
        EXPECT_EQ(LoadSave_Tell(file), step.expected) << step.offset << " " << step.whence;
    }
}

// A word that is no number reads as its leading number, or 0, and is passed
// over whole, so the numbers behind it still read back; the last number ends
// where the data does.
TEST_F(MemoryFileTest, ReadRealPassesOverWordsItCannotRead)
{
    MemoryFile* file = Open("  12.5\n-3e2 inf 5 -nan\t6 0x10\r\n8abc x 7");
    // The number parser needs a terminator behind the data.
    EXPECT_EQ(file->data[file->size], 0);
    const struct {
        double value;
        bool whole;
    } words[] = {{12.5, true}, {-300.0, true}, {0, false}, {5, true}, {0, false}, {6, true},
                 {0, false},   {8, false},     {0, false}, {7, true}};
    double value = -1;
    for (const auto& word : words) {
        EXPECT_EQ(LoadSave_ReadReal(file, &value), word.whole) << word.value;
        EXPECT_EQ(value, word.value);
    }
    EXPECT_TRUE(LoadSave_Eof(file));
    EXPECT_FALSE(LoadSave_ReadReal(file, &value));
    EXPECT_EQ(value, 0.0);
}

TEST_F(MemoryFileTest, ReadCopiesOnlyWhatIsLeft)
{
    MemoryFile* file = Open("abcdef");
    char buffer[8] = {};
    EXPECT_EQ(LoadSave_Read(buffer, 2, 2, file), 4u);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(LoadSave_Read(buffer, 1, 8, file), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_EQ(LoadSave_Read(buffer, SIZE_MAX, 2, file), 0u);
    EXPECT_EQ(LoadSave_Tell(file), 6);
}

TEST_F(FilesTest, DirectoryCreateMakesEveryMissingParent)
{
    std::string deep = m_root / "one/two/three/";
    ASSERT_TRUE(DirectoryCreate(deep.c_str()));
    EXPECT_TRUE(DirectoryExists((m_root / "one/two/three").c_str()));
    EXPECT_TRUE(DirectoryCreate(deep.c_str()));
    EXPECT_TRUE(DirectoryCreate("/"));
    EXPECT_FALSE(DirectoryCreate(""));
    EXPECT_FALSE(DirectoryCreate(nullptr));
    // A file in the way cannot become a folder.
    m_root.Write("blocker", "x");
    EXPECT_FALSE(DirectoryCreate((m_root / "blocker/inner").c_str()));
    ASSERT_TRUE(File_CreateParentDirectory((m_root / "p/q/file.txt").c_str()));
    EXPECT_TRUE(DirectoryExists((m_root / "p/q").c_str()));
    EXPECT_FALSE(DirectoryExists((m_root / "p/q/file.txt").c_str()));
    EXPECT_TRUE(File_CreateParentDirectory("no-separator.txt"));
}

class TempFolderTest : public ::testing::Test {
protected:
    TempFolderTest() : m_tmp("TMPDIR", m_root.Path().c_str()) {}
    ~TempFolderTest() override { TempDirectory_Delete(); }

    ScratchFolder m_root;
    ScopedEnv m_tmp;
};

TEST_F(TempFolderTest, TempFolderIsPrivateUnderTmpdirAndHoldsUniqueNamesWithTheExtension)
{
    EXPECT_EQ(TempFile_MakeName(".dll"), nullptr);  // no folder yet
    ASSERT_TRUE(TempDirectory_Init());
    const std::string path = TakeText(TempDirectory_Get());
    EXPECT_EQ(path.rfind(m_root / "bw_ttt_", 0), 0u) << path;
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    const std::string first = TakeText(TempFile_MakeName(".dll"));
    const std::string second = TakeText(TempFile_MakeName(".dll"));
    EXPECT_NE(first, second);
    for (const std::string& name : {first, second})
        EXPECT_TRUE(name.ends_with(".dll") && FileExists(name.c_str())) << name;
    EXPECT_EQ(TempFile_MakeName("/../escape"), nullptr);
}

TEST_F(TempFolderTest, DeletingTheTempFolderNeverFollowsLinks)
{
    std::string outside = m_root.Write("outside/keep.txt", "keep");
    ASSERT_TRUE(TempDirectory_Init());
    const std::string path = TakeText(TempDirectory_Get());
    m_root.Write(path.substr(m_root.Path().size() + 1) + "/sub/file.txt", "x");
    std::filesystem::create_directory_symlink(m_root / "outside", path + "/link");
    std::filesystem::create_symlink(outside, path + "/sub/filelink");
    EXPECT_TRUE(TempDirectory_Delete());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ScratchFolder::Read(outside), "keep");
}

}  // namespace
}  // namespace bw
