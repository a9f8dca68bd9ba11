// A project as bwpack reads it from a folder: game.json with every setting and
// resource, plus the files it names (PNG strips, sound files, fonts, .bwl
// code). Loading resolves every name to an index and reads every file, so
// the chunk writers work on complete data and never fail on a project fault.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bwpack/image.h"

namespace bw::pack {

struct CodeText {
    std::string source;  // the whole .bwl file
    std::string file;    // as game.json names it, for messages
};

struct HeaderSettings {
    std::string name;
    std::string config = "Default";
    std::string saveFolder;  // the name when not given
    std::string caption;
    bool debug = false;
    int32_t gameId = 0;
    int32_t windowWidth = 640;
    int32_t windowHeight = 480;
    int32_t steamAppId = 0;
    // The header's flags word: how the device and window are made, the
    // splash mode, Steam and where saves go (HeaderFlag bits).
    uint32_t flags = 0;
};

enum HeaderFlag : uint32_t {
    kHeaderFullScreen = 0x1,
    kHeaderVSync = 0x2,
    kHeaderSoftwareVertexProcessing = 0x4,
    kHeaderInterpolate = 0x8,
    kHeaderKeepAspectRatio = 0x10,
    kHeaderShowCursor = 0x20,
    kHeaderResizable = 0x40,
    kHeaderSplashMode1 = 0x200,  // modes 2 and 3: the next two bits
    kHeaderSteam = 0x1000,
    kHeaderRoamingSaves = 0x2000,
};

// Words 0 to 34 of the options record, with the defaults the runner uses when
// the package gives none.
struct OptionSettings {
    bool fullScreen = false;
    bool newAudio = false;
    bool showCursor = true;
    uint32_t windowColour = 0xFFFFFF;
    bool altEnterFullScreen = true;
    bool freezeWhenInactive = false;
    bool loadingBar = true;
    bool allErrorsFatal = false;
    bool uninitialisedAreErrors = false;
    bool createEventBeforeCode = false;
};

struct Constant {
    std::string name;
    std::string value;
};

enum class BBoxMode : int32_t { Automatic = 0, Full = 1, Manual = 2 };

struct Sprite {
    std::string name;
    std::vector<Image> frames;
    int32_t width = 0, height = 0;
    int32_t xOrigin = 0, yOrigin = 0;
    BBoxMode bboxMode = BBoxMode::Automatic;
    int32_t bboxLeft = 0, bboxTop = 0, bboxRight = 0, bboxBottom = 0;  // final box, inclusive
    bool transparent = true, smooth = false, preload = true;
    bool precise = false;
    bool separateMasks = true;
};

struct Background {
    std::string name;
    Image image;
    bool transparent = false, smooth = false, preload = true;
};

struct Sound {
    std::string name;
    std::string fileName;   // with extension, no folder
    std::string extension;  // with its dot
    std::vector<uint8_t> data;
    int32_t kind = 0;  // 0 normal, 1 background music, 2 3D, 3 multimedia
    int32_t effects = 0;
    float volume = 1.0f, pan = 0.0f;
    bool preload = true;
};

struct FontGlyph {
    uint16_t code = 0;
    int16_t x = 0, y = 0, width = 0, height = 0;
    int16_t shift = 0, offset = 0;
};

struct Font {
    std::string name;
    std::string face;  // family name of the TTF
    int32_t size = 12;
    bool bold = false, italic = false, antialias = true;
    int32_t first = 32, last = 127;
    Image sheet;  // white glyphs, coverage in alpha
    std::vector<FontGlyph> glyphs;  // ascending codes
};

struct PathPoint {
    float x = 0, y = 0, speed = 100;
};

struct Path {
    std::string name;
    bool smooth = false, closed = true;
    int32_t precision = 4;
    std::vector<PathPoint> points;
};

struct Script {
    std::string name;
    CodeText code;
};

struct Shader {
    std::string name;
    std::array<std::optional<std::string>, 8> sources;
};

struct ExtensionFunction {
    std::string name, externalName;
    int32_t id = 0;
    bool cdecl = true;
    std::vector<int32_t> argumentTypes;  // 1 string, 2 real
    int32_t resultType = 2;
};

struct ExtensionFile {
    std::string fileName;
    int32_t kind = 1;  // 1 DLL (files of BWL code are refused: no chunk carries their code)
    std::string initFunction, finalFunction;
    std::vector<ExtensionFunction> functions;
};

struct Extension {
    std::string name, folder;
    std::vector<ExtensionFile> files;
};

struct Moment {
    int32_t step = 0;
    CodeText code;
};

struct Timeline {
    std::string name;
    std::vector<Moment> moments;  // ascending steps
};

struct Event {
    int32_t type = 0, number = 0;
    std::string key;  // as written in game.json, for names in messages
    CodeText code;
};

struct ObjectPhysics {
    bool enabled = false, sensor = false;
    int32_t shape = 1;  // 0 circle, 1 box, 2 polygon
    float density = 0.5f, restitution = 0.1f;
    int32_t group = 0;
    float linearDamping = 0.1f, angularDamping = 0.1f, friction = 0.2f;
    bool awake = true, kinematic = false;
    std::vector<std::array<float, 2>> points;
};

struct Object {
    std::string name;
    int32_t sprite = -1, parent = -1, mask = -1;
    int32_t depth = 0;
    bool solid = false, visible = true, persistent = false;
    ObjectPhysics physics;
    std::vector<Event> events;  // sorted by type, then number
};

struct RoomBackground {
    bool visible = false, foreground = false;
    int32_t background = -1;
    int32_t x = 0, y = 0;
    bool htiled = true, vtiled = true;
    int32_t hspeed = 0, vspeed = 0;
    bool stretch = false;
};

struct RoomView {
    bool visible = false;
    int32_t xview = 0, yview = 0, wview = 640, hview = 480;
    int32_t xport = 0, yport = 0, wport = 640, hport = 480;
    int32_t hborder = 32, vborder = 32, hspeed = -1, vspeed = -1;
    int32_t follow = -1;
};

struct RoomInstance {
    int32_t x = 0, y = 0, object = 0, id = 0;
    std::optional<CodeText> code;
    float xscale = 1, yscale = 1, rotation = 0;
    uint32_t colour = 0xFFFFFFFF;  // blend in the low 24 bits, alpha × 255 on top
};

struct RoomTile {
    int32_t x = 0, y = 0, background = 0;
    int32_t left = 0, top = 0, width = 0, height = 0;
    int32_t depth = 0, id = 0;
    float xscale = 1, yscale = 1;
    uint32_t colour = 0xFFFFFFFF;
};

struct Room {
    std::string name, caption;
    int32_t width = 640, height = 480, speed = 30;
    bool persistent = false;
    uint32_t colour = 0xC0C0C0;
    bool showColour = true;
    std::optional<CodeText> code;
    bool viewsEnabled = false;
    std::array<RoomBackground, 8> backgrounds;
    std::array<RoomView, 8> views;
    std::vector<RoomInstance> instances;
    std::vector<RoomTile> tiles;
    bool physics = false;
    float gravityX = 0, gravityY = 10, pixelsToMetres = 0.1f;
};

struct Project {
    HeaderSettings header;
    OptionSettings options;
    std::vector<Constant> constants;
    std::vector<Sprite> sprites;
    std::vector<Background> backgrounds;
    std::vector<Sound> sounds;
    std::vector<Font> fonts;
    std::vector<Path> paths;
    std::vector<Script> scripts;
    std::vector<Shader> shaders;
    std::vector<Extension> extensions;
    std::vector<Timeline> timelines;
    std::vector<Object> objects;
    std::vector<Room> rooms;
    std::vector<int32_t> roomOrder;
    int32_t lastInstanceId = 100000;
    int32_t lastTileId = 10000000;
    // game.json and every file it names, as opened: the build must not
    // write over any of them.
    std::vector<std::filesystem::path> readFiles;
};

// The file of the project that target names (through any link), if any.
std::optional<std::filesystem::path> Project_ReadFileAt(const Project& project, const std::filesystem::path& target);

// Reads and checks PROJECT_DIR/game.json and every file it names. Throws
// BuildError with "game.json: <field>: <problem>" on any fault.
Project Project_Load(const std::string& folder);

}  // namespace bw::pack
