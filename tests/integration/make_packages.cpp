// Writes the hand-made packages of the end-to-end runs into the folder
// given: each one damaged or unusual in one way the runner must handle.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/playback_script.h"
#include "unit/app/test_package.h"

namespace {

// Steps in the demo's recording; integration/CMakeLists.txt runs the same number.
constexpr int32_t kDemoFrames = 720;

using bw::test::TestHeader;
using bw::test::TestPackage;

void Save(const std::string& folder, const char* name, const TestPackage& package, bool breakFormLength = false)
{
    std::string bytes = package.FinishText();
    if (breakFormLength) bytes[4] = static_cast<char>(bytes[4] + 1);
    std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
}

// A header and one code entry that calls a function no one defines.
TestPackage UnknownFunction()
{
    TestPackage package;
    const auto strings = package.Strings({"script_main", "no_such_function"});
    TestHeader header;
    bw::test::WriteHeader(package, header);
    package.BeginChunk("CODE");
    package.U32(1);
    package.U32(package.Here() + 4);
    package.U32(strings[0]);
    package.U32(8);
    const uint32_t call = package.Here();
    package.U32(0xD9020000u);  // call.i with an operand
    package.U32(0);
    package.EndChunk();
    package.BeginChunk("FUNC");
    package.U32(strings[1]);
    package.U32(1);
    package.U32(call);
    package.EndChunk();
    return package;
}

// A header and one code entry whose last instruction, a push of an int64,
// lacks the second word of its operand.
TestPackage CutOperand()
{
    TestPackage package;
    const auto strings = package.Strings({"script_main"});
    bw::test::WriteHeader(package, TestHeader{});
    package.BeginChunk("CODE");
    package.U32(1);
    package.U32(package.Here() + 4);
    package.U32(strings[0]);
    package.U32(8);
    package.U32(0xC0030000u);  // push.l
    package.U32(7);
    package.EndChunk();
    return package;
}

TestPackage WithUnknownChunk()
{
    TestPackage package;
    bw::test::WriteHeader(package, TestHeader{});
    package.Chunk("ZZZZ", {1});
    return package;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_packages FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    TestPackage headerOnly;
    bw::test::WriteHeader(headerOnly, TestHeader{});
    Save(folder, "bad_form_length.win", headerOnly, true);
    Save(folder, "unknown_function.win", UnknownFunction());
    Save(folder, "unknown_chunk.win", WithUnknownChunk());
    Save(folder, "cut_operand.win", CutOperand());
    // What a person may name instead of a package: a folder, a text file, an
    // empty file, and a package cut short inside its last chunk.
    std::filesystem::create_directories(folder + "/folder.win");
    std::ofstream(folder + "/notes.txt") << "not a package\n";
    std::ofstream(folder + "/empty.win", std::ios::binary);
    TestPackage whole;
    bw::test::WriteHeader(whole, TestHeader{});
    whole.Chunk("SPRT", {0, 0, 0, 0});
    std::string truncated = whole.FinishText();
    truncated.resize(truncated.size() - 6);
    std::ofstream(folder + "/truncated.win", std::ios::binary) << truncated;
    // Room orders that leave the game without a first room: none at all, a
    // room the package does not have, a negative index.
    const std::pair<const char*, std::vector<int32_t>> roomOrders[] = {
        {"empty_room_order.win", {}}, {"missing_room.win", {0}}, {"negative_room.win", {-1}}};
    for (const auto& [name, order] : roomOrders) {
        TestPackage package;
        TestHeader header;
        header.roomOrder = order;
        bw::test::WriteHeader(package, header);
        Save(folder, name, package);
    }
    // Input for the keys game: the right arrow held for ten steps, a click,
    // then the 1 key (49).
    const bool keys = bw::test::PlaybackScript_Write(folder + "/keys.playback",
                                                     "10 down 39; 20 up 39; 30 mouse 100 120 press 1; 40 down 49; 41 up 49", 60);
    // Input for the demo: Enter on the title, then the arrows (37-40) lead the
    // player past four gems into the great hall, where it stands while the
    // ghosts close in; F9 (120) takes the screenshot with all three in view,
    // and one ghost catches the player before the run ends.
    const bool demo = bw::test::PlaybackScript_Write(
        folder + "/demo.playback",
        "10 down 13; 12 up 13; 15 down 40; 37 up 40; 37 down 39; 59 up 39; 60 down 40; 82 up 40; "
        "82 down 39; 93 up 39; 94 down 37; 116 up 37; 116 down 40; 150 up 40; 150 down 39; 230 up 39; "
        "232 down 39; 307 up 39; 307 down 40; 347 up 40; 347 down 37; 395 up 37; 396 down 40; 438 up 40; "
        "630 down 120; 631 up 120",
        kDemoFrames);
    return keys && demo ? 0 : 1;
}
