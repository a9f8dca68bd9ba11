#include <gtest/gtest.h>

#include "bwpack/image.h"
#include "bwpack/package_writer.h"
#include "bwpack/project.h"
#include "support/scratch_folder.h"

namespace bw::pack {
namespace {

// A 2x1 PNG: one opaque pixel, one clear.
std::string TwoPixelPng()
{
    Image image(2, 1);
    image.rgba[3] = 255;
    const std::vector<uint8_t> png = Image_EncodePng(image);
    return std::string(png.begin(), png.end());
}

std::string LoadError(const test::ScratchFolder& folder)
{
    try {
        Project_Load(folder.Path());
    } catch (const BuildError& error) {
        return error.what();
    }
    return "no error";
}

std::string ErrorOf(const std::string& gameJson)
{
    test::ScratchFolder folder;
    folder.Write("game.json", gameJson);
    folder.Write("a.png", TwoPixelPng());
    folder.Write("bad.png", "not an image");
    const std::vector<uint8_t> wide = Image_EncodePng(Image(4097, 1));
    folder.Write("wide.png", std::string(wide.begin(), wide.end()));
    folder.Write("a.bwl", "x = 1;");
    folder.Write("a.wav", std::string("RIFF\0\0\0\0WAVE", 12));
    return LoadError(folder);
}

TEST(ProjectErrors, MissingManifestSaysWhy)
{
    test::ScratchFolder folder;
    EXPECT_EQ(LoadError(folder), "game.json: cannot read (No such file or directory)");
}

TEST(ProjectErrors, EachFaultNamesFileAndField)
{
    struct Case {
        const char* json;
        const char* message;
    };
    const Case cases[] = {
        {R"({"name": "t", "sprites": [{"name": "s", "image": "missing.png"}], "rooms": [{"name": "rm"}]})",
         "game.json: sprites[0].image: cannot read file \"missing.png\" (No such file or directory)"},
        {R"({"name": "t", "sprites": [{"name": "s", "image": "a.png", "frames": 3}], "rooms": [{"name": "rm"}]})",
         "game.json: sprites[0].frames: the image is 2 pixels wide, not a multiple of 3 frames"},
        {R"({"name": "t", "objects": [{"name": "o", "events": {"stepp": "a.bwl"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].events: unknown event \"stepp\""},
        {R"({"name": "t", "objects": [{"name": "o", "events": {"create": "none.bwl"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].events.create: cannot read file \"none.bwl\" (No such file or directory)"},
        {R"({"name": "t", "objects": [{"name": "o", "events": {"step": "a.bwl", "step:0": "a.bwl"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].events: event \"step:0\" is the same event as \"step\""},
        {R"({"name": "t", "sprites": [{"name": "thing", "image": "a.png"}], "objects": [{"name": "thing"}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].name: \"thing\" is already the name of sprites[0]"},
        {R"({"name": "t", "rooms": [{"name": "rm"}, {"name": "rm"}]})",
         "game.json: rooms[1].name: \"rm\" is already the name of rooms[0]"},
        {R"({"name": "t", "rooms": [{"name": "2rm"}]})", "game.json: rooms[0].name: \"2rm\" is not a valid name"},
        {R"({"name": "t", "rooms": [{"name": "rm", "widht": 10}]})", "game.json: rooms[0].widht: unknown field"},
        {R"({"name": "t", "objects": [{"name": "o", "sprite": "spr_none"}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].sprite: no sprite named \"spr_none\""},
        {R"({"name": "t", "objects": [{"name": "a", "parent": "b"}, {"name": "b", "parent": "a"}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].parent: the parent chain of \"a\" comes back to it"},
        {R"({"name": "t", "rooms": [{"name": "rm", "instances": [{"object": "o"}]}]})",
         "game.json: rooms[0].instances[0].object: no object named \"o\""},
        {R"({"name": "t", "rooms": [{"name": "rm", "width": "wide"}]})",
         "game.json: rooms[0].width: expected a whole number, found a text"},
        {R"({"name": "t", "rooms": [{"name": "rm", "speed": 0}]})", "game.json: rooms[0].speed: 0 is outside 1 .. 2147483647"},
        {R"({"name": "t", "backgrounds": [{"name": "b", "image": "bad.png"}], "rooms": [{"name": "rm"}]})",
         "game.json: backgrounds[0].image: not a PNG image (Not a PNG file)"},
        {R"({"name": "t", "backgrounds": [{"name": "b", "image": "wide.png"}], "rooms": [{"name": "rm"}]})",
         "game.json: backgrounds[0].image: an image of 4097x1 pixels is larger than a texture page (4096)"},
        {R"({"name": "t", "sounds": [{"name": "s", "file": "a.bwl"}], "rooms": [{"name": "rm"}]})",
         "game.json: sounds[0].file: \"a.bwl\" is neither a WAV nor an OGG file"},
        {R"({"name": "t", "rooms": [{"name": "rm"}], "room_order": ["rm", "rm_gone"]})",
         "game.json: room_order[1]: no room named \"rm_gone\""},
        {R"({"name": "t"})", "game.json: rooms: the game needs at least one room"},
        {R"({"name": "t", "splash": 4, "rooms": [{"name": "rm"}]})", "game.json: splash: 4 is outside 0 .. 3"},
        {R"({"rooms": [{"name": "rm"}]})", "game.json: name: missing"},
        {R"({"name": "t", "rooms": [{"name": "rm", "colour": "red"}]})",
         "game.json: rooms[0].colour: expected a colour \"#RRGGBB\", found \"red\""},
        {R"({"name": "t", "sounds": [{"name": "s", "file": "a.wav", "kind": "loud"}], "rooms": [{"name": "rm"}]})",
         "game.json: sounds[0].kind: expected \"normal\", \"music\", \"3d\" or \"multimedia\", found \"loud\""},
        {R"({"name": "t", "sprites": [{"name": "s", "image": "a.png", "origin": [0.5, 1]}], "rooms": [{"name": "rm"}]})",
         "game.json: sprites[0].origin: expected an array of 2 whole numbers"},
        {R"({"name": "t", "sprites": [{"name": "s", "image": "a.png", "bbox": "tight"}], "rooms": [{"name": "rm"}]})",
         "game.json: sprites[0].bbox: expected \"automatic\", \"full\" or [left, top, right, bottom]"},
        {R"({"name": "t", "paths": [{"name": "p", "points": [[0, 0], [1]]}], "rooms": [{"name": "rm"}]})",
         "game.json: paths[0].points[1]: expected an array of 2 to 3 numbers"},
        {R"({"name": "t", "objects": [{"name": "o", "events": {"other:300": "a.bwl"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].events: unknown event \"other:300\""},
        {R"({"name": "t", "objects": [{"name": "o", "physics": {"shape": "star"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].physics.shape: expected \"box\", \"circle\" or \"polygon\", found \"star\""},
        {R"({"name": "t", "shaders": [{"name": "s", "sources": ["a.bwl", "gone.fsh"]}], "rooms": [{"name": "rm"}]})",
         "game.json: shaders[0].sources[1]: cannot read file \"gone.fsh\" (No such file or directory)"},
        {R"({"name": "t", "extensions": [{"name": "e", "files": [{"file": "e.dll", "functions": [{"name": "f", "args": ["int"]}]}]}],
             "rooms": [{"name": "rm"}]})",
         "game.json: extensions[0].files[0].functions[0].args[0]: expected \"real\" or \"string\", found \"int\""},
        {R"({"name": "t", "extensions": [{"name": "e", "files": [{"file": "a.bwl", "kind": "bwl", "functions": [{"name": "f"}]}]}],
             "rooms": [{"name": "rm"}]})",
         "game.json: extensions[0].files[0].kind: \"bwl\" files cannot be packed: the package carries no code of an extension "
         "file, so its functions would do nothing; write them as scripts instead"},
        {R"({"name": "t", "rooms": [{"name": "rm"}],
             "timelines": [{"name": "tl", "moments": [{"step": 5, "code": "a.bwl"}, {"step": 5, "code": "a.bwl"}]}]})",
         "game.json: timelines[0].moments[1].step: step 5 is already a moment of timelines[0].moments[0]"},
        {R"({"name": "t", "constants": {"bad name": "1"}, "rooms": [{"name": "rm"}]})",
         "game.json: constants: \"bad name\" is not a valid name"},
        {R"({"name": "t", "options": {"full_screen": 1}, "rooms": [{"name": "rm"}]})",
         "game.json: options.full_screen: expected true or false, found a number"},
        {R"([1, 2])", "game.json: the top level must be an object"},
        {R"({"name": "t", "caption": "Hi", "splash": 1, "rooms": [{"name": "rm"}]})",
         "game.json: caption: the window shows a caption only with \"splash\" 2 or 3, and \"splash\" is 1"},
        {R"({"name": "t", "sprites": [{"name": "s", "image": "."}], "rooms": [{"name": "rm"}]})",
         "game.json: sprites[0].image: cannot read file \".\" (Is a directory)"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.json), c.message) << c.json;
    EXPECT_EQ(ErrorOf(R"({"name": "t", "rooms": [{"name": "rm"}]})"), "no error") << "the minimal project";
}

// json-c alone would keep the last of the two and build without a word.
TEST(ProjectErrors, KeyGivenTwiceNamesItsObjectAtAnyDepth)
{
    struct Case {
        const char* json;
        const char* message;
    };
    const Case cases[] = {
        {R"({"name": "t", "rooms": [{"name": "rm"}], "name": "u"})", "game.json: \"name\" given twice"},
        {R"({"name": "t", "window": {"width": 320, "height": 240, "width": 640}, "rooms": [{"name": "rm"}]})",
         "game.json: window: \"width\" given twice"},
        {R"({"name": "t", "objects": [{"name": "a"}, {"name": "o", "events": {"create": "a.bwl", "step": "a.bwl", "create": "a.bwl"}}],
             "rooms": [{"name": "rm"}]})",
         "game.json: objects[1].events: \"create\" given twice"},
        {R"({"name": "t", "objects": [{"name": "o"}],
             "rooms": [{"name": "rm", "instances": [{"object": "o"}, {"object": "o", "x": 1, "y": 2, "x": 3}]}]})",
         "game.json: rooms[0].instances[1]: \"x\" given twice"},
        {R"({"name": "t", "paths": [{"name": "p", "points": [[0, 0], [1, 1]], "closed": true, "closed": false}], "rooms": [{"name": "rm"}]})",
         "game.json: paths[0]: \"closed\" given twice"},
        // The same key however it is written.
        {R"({"name": "t", "objects": [{"name": "o", "events": {"create": "a.bwl", "\u0063reate": "a.bwl"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].events: \"create\" given twice"},
        {R"({"name": "t", "constants": {'LIVES': "3", "LIVES": "4"}, "rooms": [{"name": "rm"}]})",
         "game.json: constants: \"LIVES\" given twice"},
        // Two keys for one event run only one of the two codes.
        {R"({"name": "t", "objects": [{"name": "o", "events": {"alarm:0": "a.bwl", "alarm": "a.bwl"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].events: event \"alarm\" is the same event as \"alarm:0\""},
        {R"({"name": "t", "objects": [{"name": "o", "events": {"keypress:vk_left": "a.bwl", "keypress:37": "a.bwl"}}], "rooms": [{"name": "rm"}]})",
         "game.json: objects[0].events: event \"keypress:37\" is the same event as \"keypress:vk_left\""},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.json), c.message) << c.json;
}

// A key counts once per object: siblings share keys, and text that only
// looks like a key, inside a string or a comment, is none.
TEST(ProjectErrors, KeysOfDifferentObjectsAreNoRepeat)
{
    EXPECT_EQ(ErrorOf(R"({"name": "t", "caption": "{\"name\": 1, 'name': 2}", "splash": 2, /* "name": "u", */
                         // "caption": "again"
                         "objects": [{"name": "a", "events": {"create": "a.bwl"}}, {"name": "b", "events": {"create": "a.bwl"}}],
                         "rooms": [{"name": "rm", "instances": [{"object": "a", "x": 1}, {"object": "b", "x": 1}]},
                                   {"name": "rm2", "instances": [{"object": "a", "x": 1}]}]})"),
              "no error");
}

// The event runs in no game: the runner has no such alarm, step or key.
TEST(ProjectErrors, EventTheRunnerNeverRaisesNamesTheNumbersItDoes)
{
    EXPECT_EQ(ErrorOf(R"({"name": "t", "objects": [{"name": "o", "events": {"alarm:12": "a.bwl"}}], "rooms": [{"name": "rm"}]})"),
              "game.json: objects[0].events.alarm:12: alarms are 0 to 11");
    EXPECT_EQ(ErrorOf(R"({"name": "t", "objects": [{"name": "o", "events": {"keyboard:vk_lshift": "a.bwl"}}], "rooms": [{"name": "rm"}]})"),
              "game.json: objects[0].events.keyboard:vk_lshift: keys are vk_nokey, vk_anykey and 8 to 128");
}

TEST(ProjectErrors, SyntaxErrorNamesTheLine)
{
    EXPECT_EQ(ErrorOf("{\n\"name\": \"t\",\n\"rooms\": [,]\n}").rfind("game.json:3: ", 0), 0u);
    EXPECT_EQ(ErrorOf("\xEF\xBB\xBF{\n\"name\": \"t\",\n\"rooms\": [,]\n}").rfind("game.json:3: ", 0), 0u);
}

// Editors may save game.json with a UTF-8 byte-order mark, as they save code.
TEST(ProjectErrors, ManifestMayStartWithAByteOrderMark)
{
    EXPECT_EQ(ErrorOf("\xEF\xBB\xBF" R"({"name": "Игра", "rooms": [{"name": "rm", "caption": "Γειά 日本"}]})"), "no error");
    EXPECT_EQ(ErrorOf("\xEF\xBB\xBF" R"({"name": "t", "rooms": [{"name": "rm"}], "name": "u"})"), "game.json: \"name\" given twice");
    // Only at the very start.
    EXPECT_EQ(ErrorOf(" \xEF\xBB\xBF{}").rfind("game.json:1: ", 0), 0u);
}

TEST(ProjectErrors, ColourTextIsStoredBlueGreenRed)
{
    test::ScratchFolder folder;
    folder.Write("game.json", R"({"name": "t", "rooms": [{"name": "rm", "colour": "#102030"}]})");
    EXPECT_EQ(Project_Load(folder.Path()).rooms[0].colour, 0x302010u);
}

}  // namespace
}  // namespace bw::pack
