#include "bwpack/project.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "bwpack/event_keys.h"
#include "bwpack/file_error.h"
#include "bwpack/file_io.h"
#include "bwpack/font_raster.h"
#include "bwpack/package_writer.h"
#include "bwpack/project_json.h"
#include "bwpack/texture_packer.h"
#include "script/constants.h"

namespace bw::pack {
namespace {

constexpr int32_t kFirstInstanceId = 100001;
constexpr int32_t kFirstTileId = 10000001;
constexpr size_t kRoomLayers = 8;
constexpr size_t kMaxExtensionArguments = 16;
constexpr int32_t kCaptionSplashMode = 2;
constexpr int32_t kBwlExtensionKind = 2;

// Each image goes on a texture page whole.
void CheckFitsPage(JsonFields& fields, const char* key, int32_t width, int32_t height)
{
    if (width > kMaxPageSize || height > kMaxPageSize) {
        fields.Fail(key, "an image of " + std::to_string(width) + "x" + std::to_string(height) + " pixels is larger than a texture page (" +
                             std::to_string(kMaxPageSize) + ")");
    }
}

// Resource names share one space: game code looks a name up across every
// kind, so a name used twice would silently pick one of the two.
class NameSpace {
public:
    void Add(JsonFields& fields, const std::string& name, const std::string& where)
    {
        if (!Code_Constant_IsValidName(name.c_str())) fields.Fail("name", Quoted(name) + " is not a valid name");
        auto [found, added] = m_owners.try_emplace(name, where);
        if (!added) fields.Fail("name", Quoted(name) + " is already the name of " + found->second);
    }

private:
    std::map<std::string, std::string> m_owners;
};

class ProjectReader {
public:
    ProjectReader(std::filesystem::path folder, Project& project) : m_folder(std::move(folder)), m_project(project) {}

    void Read(JsonFields& top);

private:
    std::vector<uint8_t> ReadFile(JsonFields& fields, const char* key);
    std::vector<uint8_t> ReadNamedFile(JsonFields& fields, const std::string& key, const std::string& relative);
    CodeText ReadCode(JsonFields& fields, const char* key);
    std::optional<CodeText> OptionalCode(JsonFields& fields, const char* key);
    Image ReadPng(JsonFields& fields, const char* key);

    // Index of a named resource, -1 for an absent or null field.
    int32_t Reference(JsonFields& fields, const char* key, const std::map<std::string, int32_t>& names, const char* kind);
    template <typename Resource>
    std::map<std::string, int32_t> IndexByName(const std::vector<Resource>& resources);

    void ReadHeader(JsonFields& top);
    void ReadOptions(JsonFields& top);
    void ReadSprite(JsonFields& fields, Sprite& sprite);
    void ReadBackground(JsonFields& fields, Background& background);
    void ReadSound(JsonFields& fields, Sound& sound);
    void ReadFont(JsonFields& fields, Font& font);
    void ReadPath(JsonFields& fields, Path& path);
    void ReadShader(JsonFields& fields, Shader& shader);
    void ReadExtension(JsonFields& fields, Extension& extension, int32_t* nextFunctionId);
    void ReadTimeline(JsonFields& fields, Timeline& timeline);
    void ReadObject(JsonFields& fields, Object& object);
    void ReadObjectEvents(JsonFields& fields, Object& object);
    void CheckParentChains(std::vector<JsonFields>& fields);
    void ReadRoom(JsonFields& fields, Room& room);
    void ReadRoomOrder(JsonFields& top);

    std::filesystem::path m_folder;
    Project& m_project;
    NameSpace m_names;
    std::map<std::string, int32_t> m_spriteIndex, m_backgroundIndex, m_objectIndex, m_roomIndex;
};

std::vector<uint8_t> ProjectReader::ReadFile(JsonFields& fields, const char* key)
{
    const std::string relative = fields.RequiredString(key);
    return ReadNamedFile(fields, key, relative);
}

std::vector<uint8_t> ProjectReader::ReadNamedFile(JsonFields& fields, const std::string& key, const std::string& relative)
{
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!File_ReadAll(m_folder / relative, &bytes, &reason)) {
        fields.Fail(key, "cannot read file " + Quoted(relative) + " (" + reason + ")");
    }
    m_project.readFiles.push_back(m_folder / relative);
    return bytes;
}

CodeText ProjectReader::ReadCode(JsonFields& fields, const char* key)
{
    const std::vector<uint8_t> bytes = ReadFile(fields, key);
    return CodeText{std::string(bytes.begin(), bytes.end()), fields.RequiredString(key)};
}

std::optional<CodeText> ProjectReader::OptionalCode(JsonFields& fields, const char* key)
{
    if (!fields.Has(key)) {
        fields.Get(key);
        return std::nullopt;
    }
    return ReadCode(fields, key);
}

Image ProjectReader::ReadPng(JsonFields& fields, const char* key)
{
    const std::vector<uint8_t> bytes = ReadFile(fields, key);
    Image image;
    std::string reason;
    if (!Image_DecodePng(bytes, &image, &reason)) fields.Fail(key, "not a PNG image (" + reason + ")");
    return image;
}

int32_t ProjectReader::Reference(JsonFields& fields, const char* key, const std::map<std::string, int32_t>& names, const char* kind)
{
    const std::optional<std::string> name = fields.OptionalString(key);
    if (!name) return -1;
    const auto found = names.find(*name);
    if (found == names.end()) fields.Fail(key, std::string("no ") + kind + " named " + Quoted(*name));
    return found->second;
}

template <typename Resource>
std::map<std::string, int32_t> ProjectReader::IndexByName(const std::vector<Resource>& resources)
{
    std::map<std::string, int32_t> index;
    for (size_t i = 0; i < resources.size(); ++i) index.emplace(resources[i].name, static_cast<int32_t>(i));
    return index;
}

void ProjectReader::ReadHeader(JsonFields& top)
{
    HeaderSettings& header = m_project.header;
    header.name = top.RequiredString("name");
    header.config = top.String("config", header.config);
    header.saveFolder = top.String("save_folder", header.name);
    const bool captionGiven = top.Has("caption");
    header.caption = top.String("caption", header.name);
    header.debug = top.Bool("debug", header.debug);
    header.gameId = top.Int("game_id", header.gameId);
    header.steamAppId = top.Int("steam_app_id", header.steamAppId, 0);
    JsonFields window = top.Object("window");
    header.windowWidth = window.Int("width", header.windowWidth, 1, 16384);
    header.windowHeight = window.Int("height", header.windowHeight, 1, 16384);
    const std::pair<const char*, HeaderFlag> windowFlags[] = {
        {"full_screen", kHeaderFullScreen},     {"vsync", kHeaderVSync},
        {"software_vertex_processing", kHeaderSoftwareVertexProcessing},
        {"interpolate", kHeaderInterpolate},    {"keep_aspect_ratio", kHeaderKeepAspectRatio},
        {"resizable", kHeaderResizable}};
    for (const auto& [key, bit] : windowFlags) {
        if (window.Bool(key, false)) header.flags |= bit;
    }
    window.CheckAllRead();
    // The runner titles its window with the header's caption only in splash
    // modes 2 and 3 (which draw nothing), so a caption picks mode 2 unless
    // the project chose another mode, and a mode that would hide it is refused.
    const int32_t splash = top.Int("splash", captionGiven ? kCaptionSplashMode : 0, 0, 3);
    if (captionGiven && splash < kCaptionSplashMode) {
        top.Fail("caption", "the window shows a caption only with \"splash\" 2 or 3, and \"splash\" is " + std::to_string(splash));
    }
    if (splash > 0) header.flags |= kHeaderSplashMode1 << (splash - 1);
    if (top.Bool("steam", false)) header.flags |= kHeaderSteam;
    if (top.Bool("roaming_saves", false)) header.flags |= kHeaderRoamingSaves;
}

void ProjectReader::ReadOptions(JsonFields& top)
{
    OptionSettings& options = m_project.options;
    JsonFields fields = top.Object("options");
    options.fullScreen = fields.Bool("full_screen", options.fullScreen);
    options.newAudio = fields.Bool("new_audio", options.newAudio);
    options.showCursor = fields.Bool("show_cursor", options.showCursor);
    // The runner takes the cursor from the header when it makes the window
    // and from the options word only at the game's start.
    if (options.showCursor) m_project.header.flags |= kHeaderShowCursor;
    options.windowColour = fields.Colour("window_colour", options.windowColour);
    options.altEnterFullScreen = fields.Bool("alt_enter_full_screen", options.altEnterFullScreen);
    options.freezeWhenInactive = fields.Bool("freeze_when_inactive", options.freezeWhenInactive);
    options.loadingBar = fields.Bool("loading_bar", options.loadingBar);
    options.allErrorsFatal = fields.Bool("all_errors_fatal", options.allErrorsFatal);
    options.uninitialisedAreErrors = fields.Bool("uninitialised_are_errors", options.uninitialisedAreErrors);
    options.createEventBeforeCode = fields.Bool("create_event_before_code", options.createEventBeforeCode);
    fields.CheckAllRead();

    json_object* constants = top.Get("constants");
    if (constants == nullptr) return;
    if (!json_object_is_type(constants, json_type_object)) top.Fail("constants", "expected an object of name: value text");
    json_object_object_foreach(constants, name, value)
    {
        if (!Code_Constant_IsValidName(name)) top.Fail("constants", Quoted(name) + " is not a valid name");
        if (value == nullptr || json_object_is_type(value, json_type_object) || json_object_is_type(value, json_type_array)) {
            top.Fail(std::string("constants.") + name, "expected a value text or a number");
        }
        m_project.constants.push_back({name, json_object_get_string(value)});
    }
}

void ProjectReader::ReadSprite(JsonFields& fields, Sprite& sprite)
{
    const Image strip = ReadPng(fields, "image");
    const int32_t frames = fields.Int("frames", 1, 1, 4096);
    if (strip.width % frames != 0) {
        fields.Fail("frames", "the image is " + std::to_string(strip.width) + " pixels wide, not a multiple of " +
                                  std::to_string(frames) + " frames");
    }
    sprite.width = strip.width / frames;
    sprite.height = strip.height;
    CheckFitsPage(fields, "image", sprite.width, sprite.height);
    for (int32_t i = 0; i < frames; ++i) sprite.frames.push_back(strip.Crop(i * sprite.width, 0, sprite.width, sprite.height));
    const std::vector<int32_t> origin = fields.WholeNumbers("origin", 2);
    if (!origin.empty()) {
        sprite.xOrigin = origin[0];
        sprite.yOrigin = origin[1];
    }
    sprite.transparent = fields.Bool("transparent", sprite.transparent);
    sprite.smooth = fields.Bool("smooth", sprite.smooth);
    sprite.preload = fields.Bool("preload", sprite.preload);
    sprite.precise = fields.Bool("precise", true);
    sprite.separateMasks = fields.Bool("separate_masks", sprite.separateMasks);

    json_object* bbox = fields.Get("bbox");
    sprite.bboxMode = BBoxMode::Automatic;
    if (bbox != nullptr && json_object_is_type(bbox, json_type_array)) {
        const std::vector<int32_t> box = fields.WholeNumbers("bbox", 4);
        sprite.bboxMode = BBoxMode::Manual;
        sprite.bboxLeft = box[0];
        sprite.bboxTop = box[1];
        sprite.bboxRight = box[2];
        sprite.bboxBottom = box[3];
        return;
    }
    const std::string mode = bbox == nullptr ? "automatic" : fields.String("bbox", "");
    if (mode == "full") {
        sprite.bboxMode = BBoxMode::Full;
    } else if (mode != "automatic") {
        fields.Fail("bbox", "expected \"automatic\", \"full\" or [left, top, right, bottom]");
    }
    // The box the runner computes for an automatic sprite: the union of the
    // frames' opaque boxes; an image without transparency is all box.
    sprite.bboxLeft = 0;
    sprite.bboxTop = 0;
    sprite.bboxRight = sprite.width - 1;
    sprite.bboxBottom = sprite.height - 1;
    if (sprite.bboxMode == BBoxMode::Full || !sprite.transparent) return;
    Box total{sprite.width - 1, sprite.height - 1, 0, 0};
    for (const Image& frame : sprite.frames) {
        Box box;
        if (!Image_OpaqueBox(frame, &box)) continue;
        total = {std::min(total.left, box.left), std::min(total.top, box.top), std::max(total.right, box.right),
                 std::max(total.bottom, box.bottom)};
    }
    sprite.bboxLeft = total.left;
    sprite.bboxTop = total.top;
    sprite.bboxRight = total.right;
    sprite.bboxBottom = total.bottom;
}

void ProjectReader::ReadBackground(JsonFields& fields, Background& background)
{
    background.image = ReadPng(fields, "image");
    CheckFitsPage(fields, "image", background.image.width, background.image.height);
    background.transparent = fields.Bool("transparent", background.transparent);
    background.smooth = fields.Bool("smooth", background.smooth);
    background.preload = fields.Bool("preload", background.preload);
}

void ProjectReader::ReadSound(JsonFields& fields, Sound& sound)
{
    const std::string relative = fields.RequiredString("file");
    sound.data = ReadFile(fields, "file");
    const bool wave = sound.data.size() >= 12 && std::equal(sound.data.begin(), sound.data.begin() + 4, "RIFF") &&
                      std::equal(sound.data.begin() + 8, sound.data.begin() + 12, "WAVE");
    const bool ogg = sound.data.size() >= 4 && std::equal(sound.data.begin(), sound.data.begin() + 4, "OggS");
    if (!wave && !ogg) fields.Fail("file", Quoted(relative) + " is neither a WAV nor an OGG file");
    sound.fileName = std::filesystem::path(relative).filename().string();
    sound.extension = std::filesystem::path(relative).extension().string();
    sound.kind = fields.Choice("kind", {{"normal", 0}, {"music", 1}, {"3d", 2}, {"multimedia", 3}});
    sound.effects = fields.Int("effects", 0, 0, 127);
    sound.volume = fields.Float("volume", sound.volume);
    sound.pan = fields.Float("pan", sound.pan);
    sound.preload = fields.Bool("preload", sound.preload);
}

void ProjectReader::ReadFont(JsonFields& fields, Font& font)
{
    const std::vector<uint8_t> ttf = ReadFile(fields, "file");
    font.size = fields.Int("size", font.size, 1, 512);
    font.bold = fields.Bool("bold", font.bold);
    font.italic = fields.Bool("italic", font.italic);
    font.antialias = fields.Bool("antialias", font.antialias);
    font.first = fields.Int("first", font.first, 0, 65535);
    font.last = fields.Int("last", font.last, 0, 65535);
    if (font.last < font.first) fields.Fail("last", "below first (" + std::to_string(font.first) + ")");
    std::string reason;
    if (!FontRaster_Render(ttf, &font, &reason)) fields.Fail("file", reason);
    CheckFitsPage(fields, "size", font.sheet.width, font.sheet.height);
}

void ProjectReader::ReadPath(JsonFields& fields, Path& path)
{
    path.smooth = fields.Bool("smooth", path.smooth);
    path.closed = fields.Bool("closed", path.closed);
    path.precision = fields.Int("precision", path.precision, 0, 8);
    for (const std::vector<double>& point : fields.NumberRows("points", 2, 3)) {
        path.points.push_back({static_cast<float>(point[0]), static_cast<float>(point[1]),
                               point.size() > 2 ? static_cast<float>(point[2]) : 100.0f});
    }
}

void ProjectReader::ReadShader(JsonFields& fields, Shader& shader)
{
    json_object* sources = fields.Get("sources");
    if (sources == nullptr) return;
    if (!json_object_is_type(sources, json_type_array) || json_object_array_length(sources) > shader.sources.size()) {
        fields.Fail("sources", "expected an array of at most 8 file names (null for none)");
    }
    for (size_t i = 0; i < json_object_array_length(sources); ++i) {
        json_object* item = json_object_array_get_idx(sources, i);
        if (item == nullptr) continue;
        const std::string key = "sources[" + std::to_string(i) + "]";
        if (!json_object_is_type(item, json_type_string)) fields.Fail(key, "expected a file name or null");
        const std::vector<uint8_t> bytes = ReadNamedFile(fields, key, json_object_get_string(item));
        shader.sources[i] = std::string(bytes.begin(), bytes.end());
    }
}

int32_t ArgumentType(JsonFields& fields, const std::string& key, const std::string& name)
{
    if (name == "string") return 1;
    if (name == "real") return 2;
    fields.Fail(key, "expected \"real\" or \"string\", found " + Quoted(name));
}

void ProjectReader::ReadExtension(JsonFields& fields, Extension& extension, int32_t* nextFunctionId)
{
    extension.folder = fields.String("folder", extension.name);
    for (JsonFields& fileFields : fields.Objects("files")) {
        ExtensionFile& file = extension.files.emplace_back();
        file.fileName = fileFields.RequiredString("file");
        file.kind = fileFields.Choice("kind", {{"dll", 1}, {"bwl", kBwlExtensionKind}});
        // The extension chunk has no place for code text: the runner would
        // find every function of such a file empty, and its calls would do
        // nothing without a word.
        if (file.kind == kBwlExtensionKind) {
            fileFields.Fail("kind", "\"bwl\" files cannot be packed: the package carries no code of an extension file, so its "
                                    "functions would do nothing; write them as scripts instead");
        }
        file.initFunction = fileFields.String("init", "");
        file.finalFunction = fileFields.String("final", "");
        for (JsonFields& functionFields : fileFields.Objects("functions")) {
            ExtensionFunction& function = file.functions.emplace_back();
            function.name = functionFields.RequiredString("name");
            if (!Code_Constant_IsValidName(function.name.c_str())) functionFields.Fail("name", Quoted(function.name) + " is not a valid name");
            function.externalName = functionFields.String("external", function.name);
            function.id = (*nextFunctionId)++;
            function.cdecl = functionFields.Choice("call", {{"cdecl", 1}, {"stdcall", 0}}) == 1;
            json_object* arguments = functionFields.Get("args");
            if (arguments != nullptr) {
                if (!json_object_is_type(arguments, json_type_array) || json_object_array_length(arguments) > kMaxExtensionArguments) {
                    functionFields.Fail("args", "expected an array of at most 16 \"real\" or \"string\"");
                }
                for (size_t i = 0; i < json_object_array_length(arguments); ++i) {
                    json_object* item = json_object_array_get_idx(arguments, i);
                    const std::string key = "args[" + std::to_string(i) + "]";
                    if (!json_object_is_type(item, json_type_string)) functionFields.Fail(key, "expected \"real\" or \"string\"");
                    function.argumentTypes.push_back(ArgumentType(functionFields, key, json_object_get_string(item)));
                }
            }
            function.resultType = ArgumentType(functionFields, "result", functionFields.String("result", "real"));
            functionFields.CheckAllRead();
        }
        fileFields.CheckAllRead();
    }
}

void ProjectReader::ReadTimeline(JsonFields& fields, Timeline& timeline)
{
    std::map<int32_t, std::string> seen;
    for (JsonFields& momentFields : fields.Objects("moments")) {
        Moment moment;
        moment.step = momentFields.Int("step", 0, 0);
        moment.code = ReadCode(momentFields, "code");
        auto [found, added] = seen.emplace(moment.step, momentFields.Path());
        if (!added) momentFields.Fail("step", "step " + std::to_string(moment.step) + " is already a moment of " + found->second);
        timeline.moments.push_back(std::move(moment));
        momentFields.CheckAllRead();
    }
    std::stable_sort(timeline.moments.begin(), timeline.moments.end(), [](const Moment& a, const Moment& b) { return a.step < b.step; });
}

void ProjectReader::ReadObject(JsonFields& fields, Object& object)
{
    object.sprite = Reference(fields, "sprite", m_spriteIndex, "sprite");
    object.mask = Reference(fields, "mask", m_spriteIndex, "sprite");
    object.parent = Reference(fields, "parent", m_objectIndex, "object");
    object.depth = fields.Int("depth", object.depth);
    object.solid = fields.Bool("solid", object.solid);
    object.visible = fields.Bool("visible", object.visible);
    object.persistent = fields.Bool("persistent", object.persistent);

    JsonFields physicsFields = fields.Object("physics");
    ObjectPhysics& physics = object.physics;
    physics.enabled = fields.Has("physics");
    physics.sensor = physicsFields.Bool("sensor", physics.sensor);
    physics.shape = physicsFields.Choice("shape", {{"box", 1}, {"circle", 0}, {"polygon", 2}});
    physics.density = physicsFields.Float("density", physics.density);
    physics.restitution = physicsFields.Float("restitution", physics.restitution);
    physics.group = physicsFields.Int("group", physics.group, INT16_MIN, INT16_MAX);
    physics.linearDamping = physicsFields.Float("linear_damping", physics.linearDamping);
    physics.angularDamping = physicsFields.Float("angular_damping", physics.angularDamping);
    physics.friction = physicsFields.Float("friction", physics.friction);
    physics.awake = physicsFields.Bool("awake", physics.awake);
    physics.kinematic = physicsFields.Bool("kinematic", physics.kinematic);
    for (const std::vector<double>& point : physicsFields.NumberRows("points", 2, 2)) {
        physics.points.push_back({static_cast<float>(point[0]), static_cast<float>(point[1])});
    }
    physicsFields.CheckAllRead();
    ReadObjectEvents(fields, object);
}

void ProjectReader::ReadObjectEvents(JsonFields& fields, Object& object)
{
    json_object* events = fields.Get("events");
    if (events == nullptr) return;
    if (!json_object_is_type(events, json_type_object)) fields.Fail("events", "expected an object of event: code file");
    const auto findObject = [this](const std::string& name) {
        const auto found = m_objectIndex.find(name);
        return found == m_objectIndex.end() ? -1 : found->second;
    };
    JsonFields eventFields(events, fields.PathOf("events"));
    json_object_object_foreach(events, key, value)
    {
        (void)value;
        const std::optional<EventKey> parsed = EventKey_Parse(key, findObject);
        if (!parsed) fields.Fail("events", "unknown event " + Quoted(key));
        if (const std::optional<std::string> notRaised = EventKey_NotRaised(*parsed)) eventFields.Fail(key, *notRaised);
        for (const Event& other : object.events) {
            if (other.type == parsed->type && other.number == parsed->number) {
                fields.Fail("events", "event " + Quoted(key) + " is the same event as " + Quoted(other.key));
            }
        }
        object.events.push_back({parsed->type, parsed->number, key, ReadCode(eventFields, key)});
    }
    std::stable_sort(object.events.begin(), object.events.end(), [](const Event& a, const Event& b) {
        return a.type != b.type ? a.type < b.type : a.number < b.number;
    });
}

void ProjectReader::CheckParentChains(std::vector<JsonFields>& fields)
{
    // The runner walks parent chains to their end; a loop would never end.
    for (size_t start = 0; start < m_project.objects.size(); ++start) {
        int32_t at = m_project.objects[start].parent;
        for (size_t steps = 0; at >= 0; ++steps) {
            if (static_cast<size_t>(at) == start || steps > m_project.objects.size()) {
                fields[start].Fail("parent", "the parent chain of " + Quoted(m_project.objects[start].name) + " comes back to it");
            }
            at = m_project.objects[at].parent;
        }
    }
}

void ReadRoomBackground(JsonFields& fields, RoomBackground& layer, const std::function<int32_t(JsonFields&)>& background)
{
    layer.visible = fields.Bool("visible", true);
    layer.foreground = fields.Bool("foreground", layer.foreground);
    layer.background = background(fields);
    layer.x = fields.Int("x", layer.x);
    layer.y = fields.Int("y", layer.y);
    layer.htiled = fields.Bool("htiled", layer.htiled);
    layer.vtiled = fields.Bool("vtiled", layer.vtiled);
    layer.hspeed = fields.Int("hspeed", layer.hspeed);
    layer.vspeed = fields.Int("vspeed", layer.vspeed);
    layer.stretch = fields.Bool("stretch", layer.stretch);
    fields.CheckAllRead();
}

void ReadRoomView(JsonFields& fields, RoomView& view, const std::function<int32_t(JsonFields&)>& follow)
{
    view.visible = fields.Bool("visible", true);
    const std::vector<int32_t> area = fields.WholeNumbers("view", 4);
    if (!area.empty()) {
        view.xview = area[0];
        view.yview = area[1];
        view.wview = area[2];
        view.hview = area[3];
    }
    const std::vector<int32_t> port = fields.WholeNumbers("port", 4);
    if (!port.empty()) {
        view.xport = port[0];
        view.yport = port[1];
        view.wport = port[2];
        view.hport = port[3];
    }
    view.hborder = fields.Int("hborder", view.hborder);
    view.vborder = fields.Int("vborder", view.vborder);
    view.hspeed = fields.Int("hspeed", view.hspeed);
    view.vspeed = fields.Int("vspeed", view.vspeed);
    view.follow = follow(fields);
    fields.CheckAllRead();
}

uint32_t BlendWithAlpha(JsonFields& fields)
{
    const uint32_t colour = fields.Colour("colour", 0xFFFFFF);
    const float alpha = std::clamp(fields.Float("alpha", 1.0f), 0.0f, 1.0f);
    return colour | (static_cast<uint32_t>(alpha * 255.0f + 0.5f) << 24);
}

void ProjectReader::ReadRoom(JsonFields& fields, Room& room)
{
    room.caption = fields.String("caption", room.caption);
    room.width = fields.Int("width", room.width, 1);
    room.height = fields.Int("height", room.height, 1);
    room.speed = fields.Int("speed", room.speed, 1);
    room.persistent = fields.Bool("persistent", room.persistent);
    room.colour = fields.Colour("colour", room.colour);
    room.showColour = fields.Bool("show_colour", room.showColour);
    room.code = OptionalCode(fields, "code");
    room.viewsEnabled = fields.Bool("views_enabled", room.viewsEnabled);

    const auto background = [this](JsonFields& f) { return Reference(f, "background", m_backgroundIndex, "background"); };
    const auto follow = [this](JsonFields& f) { return Reference(f, "follow", m_objectIndex, "object"); };
    std::vector<JsonFields> layers = fields.Objects("backgrounds");
    if (layers.size() > kRoomLayers) fields.Fail("backgrounds", "a room has at most 8 backgrounds");
    for (size_t i = 0; i < layers.size(); ++i) ReadRoomBackground(layers[i], room.backgrounds[i], background);
    std::vector<JsonFields> views = fields.Objects("views");
    if (views.size() > kRoomLayers) fields.Fail("views", "a room has at most 8 views");
    for (size_t i = 0; i < views.size(); ++i) ReadRoomView(views[i], room.views[i], follow);

    for (JsonFields& item : fields.Objects("instances")) {
        RoomInstance& instance = room.instances.emplace_back();
        instance.object = Reference(item, "object", m_objectIndex, "object");
        if (instance.object < 0) item.Fail("object", "missing");
        instance.x = item.Int("x", 0);
        instance.y = item.Int("y", 0);
        instance.code = OptionalCode(item, "code");
        instance.xscale = item.Float("xscale", 1);
        instance.yscale = item.Float("yscale", 1);
        instance.rotation = item.Float("rotation", 0);
        instance.colour = BlendWithAlpha(item);
        instance.id = ++m_project.lastInstanceId;
        item.CheckAllRead();
    }
    for (JsonFields& item : fields.Objects("tiles")) {
        RoomTile& tile = room.tiles.emplace_back();
        tile.background = Reference(item, "background", m_backgroundIndex, "background");
        if (tile.background < 0) item.Fail("background", "missing");
        tile.x = item.Int("x", 0);
        tile.y = item.Int("y", 0);
        const Image& image = m_project.backgrounds[tile.background].image;
        const std::vector<int32_t> source = item.WholeNumbers("source", 4);
        tile.width = image.width;
        tile.height = image.height;
        if (!source.empty()) {
            tile.left = source[0];
            tile.top = source[1];
            tile.width = source[2];
            tile.height = source[3];
        }
        tile.depth = item.Int("depth", 1000000);
        tile.xscale = item.Float("xscale", 1);
        tile.yscale = item.Float("yscale", 1);
        tile.colour = BlendWithAlpha(item);
        tile.id = ++m_project.lastTileId;
        item.CheckAllRead();
    }

    JsonFields physics = fields.Object("physics");
    room.physics = fields.Has("physics");
    const std::vector<double> gravity = physics.Numbers("gravity", 2, 2);
    if (!gravity.empty()) {
        room.gravityX = static_cast<float>(gravity[0]);
        room.gravityY = static_cast<float>(gravity[1]);
    }
    room.pixelsToMetres = physics.Float("pixels_to_metres", room.pixelsToMetres);
    physics.CheckAllRead();
}

void ProjectReader::ReadRoomOrder(JsonFields& top)
{
    json_object* order = top.Get("room_order");
    if (order == nullptr) {
        for (size_t i = 0; i < m_project.rooms.size(); ++i) m_project.roomOrder.push_back(static_cast<int32_t>(i));
        return;
    }
    if (!json_object_is_type(order, json_type_array)) top.Fail("room_order", "expected an array of room names");
    for (size_t i = 0; i < json_object_array_length(order); ++i) {
        json_object* item = json_object_array_get_idx(order, i);
        const std::string key = "room_order[" + std::to_string(i) + "]";
        const std::string name = json_object_is_type(item, json_type_string) ? json_object_get_string(item) : "";
        const auto found = m_roomIndex.find(name);
        if (found == m_roomIndex.end()) top.Fail(key, "no room named " + Quoted(name));
        m_project.roomOrder.push_back(found->second);
    }
    if (m_project.roomOrder.empty()) top.Fail("room_order", "the game needs at least one room");
}

// Reads the "name" of every entry of one resource array first, so that
// references between resources can point forwards.
template <typename Resource>
std::vector<JsonFields> ReadNames(JsonFields& top, const char* key, std::vector<Resource>& resources, NameSpace& names)
{
    std::vector<JsonFields> entries = top.Objects(key);
    for (JsonFields& entry : entries) {
        Resource& resource = resources.emplace_back();
        resource.name = entry.RequiredString("name");
        names.Add(entry, resource.name, entry.Path());
    }
    return entries;
}

void ProjectReader::Read(JsonFields& top)
{
    ReadHeader(top);
    ReadOptions(top);

    std::vector<JsonFields> sprites = ReadNames(top, "sprites", m_project.sprites, m_names);
    std::vector<JsonFields> backgrounds = ReadNames(top, "backgrounds", m_project.backgrounds, m_names);
    std::vector<JsonFields> sounds = ReadNames(top, "sounds", m_project.sounds, m_names);
    std::vector<JsonFields> fonts = ReadNames(top, "fonts", m_project.fonts, m_names);
    std::vector<JsonFields> paths = ReadNames(top, "paths", m_project.paths, m_names);
    std::vector<JsonFields> scripts = ReadNames(top, "scripts", m_project.scripts, m_names);
    std::vector<JsonFields> shaders = ReadNames(top, "shaders", m_project.shaders, m_names);
    std::vector<JsonFields> extensions = ReadNames(top, "extensions", m_project.extensions, m_names);
    std::vector<JsonFields> timelines = ReadNames(top, "timelines", m_project.timelines, m_names);
    std::vector<JsonFields> objects = ReadNames(top, "objects", m_project.objects, m_names);
    std::vector<JsonFields> rooms = ReadNames(top, "rooms", m_project.rooms, m_names);
    m_spriteIndex = IndexByName(m_project.sprites);
    m_backgroundIndex = IndexByName(m_project.backgrounds);
    m_objectIndex = IndexByName(m_project.objects);
    m_roomIndex = IndexByName(m_project.rooms);

    m_project.lastInstanceId = kFirstInstanceId - 1;
    m_project.lastTileId = kFirstTileId - 1;
    int32_t nextFunctionId = 0;
    for (size_t i = 0; i < sprites.size(); ++i) ReadSprite(sprites[i], m_project.sprites[i]);
    for (size_t i = 0; i < backgrounds.size(); ++i) ReadBackground(backgrounds[i], m_project.backgrounds[i]);
    for (size_t i = 0; i < sounds.size(); ++i) ReadSound(sounds[i], m_project.sounds[i]);
    for (size_t i = 0; i < fonts.size(); ++i) ReadFont(fonts[i], m_project.fonts[i]);
    for (size_t i = 0; i < paths.size(); ++i) ReadPath(paths[i], m_project.paths[i]);
    for (size_t i = 0; i < scripts.size(); ++i) m_project.scripts[i].code = ReadCode(scripts[i], "file");
    for (size_t i = 0; i < shaders.size(); ++i) ReadShader(shaders[i], m_project.shaders[i]);
    for (size_t i = 0; i < extensions.size(); ++i) ReadExtension(extensions[i], m_project.extensions[i], &nextFunctionId);
    for (size_t i = 0; i < timelines.size(); ++i) ReadTimeline(timelines[i], m_project.timelines[i]);
    for (size_t i = 0; i < objects.size(); ++i) ReadObject(objects[i], m_project.objects[i]);
    CheckParentChains(objects);
    for (size_t i = 0; i < rooms.size(); ++i) ReadRoom(rooms[i], m_project.rooms[i]);
    if (m_project.rooms.empty()) top.Fail("rooms", "the game needs at least one room");
    ReadRoomOrder(top);

    for (auto* group : {&sprites, &backgrounds, &sounds, &fonts, &paths, &scripts, &shaders, &extensions, &timelines, &objects, &rooms}) {
        for (JsonFields& entry : *group) entry.CheckAllRead();
    }
    top.CheckAllRead();
}

}  // namespace

Project Project_Load(const std::string& folder)
{
    std::vector<uint8_t> bytes;
    std::string reason;
    const std::filesystem::path manifest = std::filesystem::path(folder) / kManifestFile;
    if (!File_ReadAll(manifest, &bytes, &reason)) {
        throw FileError({kManifestFile}, "cannot read (" + reason + ")");
    }
    const JsonDocument document(std::string(bytes.begin(), bytes.end()));
    Project project;
    project.readFiles.push_back(manifest);
    JsonFields top(document.Root(), "");
    ProjectReader(folder, project).Read(top);
    return project;
}

std::optional<std::filesystem::path> Project_ReadFileAt(const Project& project, const std::filesystem::path& target)
{
    for (const std::filesystem::path& file : project.readFiles) {
        // A target that does not exist yet is no file the build read.
        std::error_code unreachable;
        if (std::filesystem::equivalent(file, target, unreachable)) return file;
    }
    return std::nullopt;
}

}  // namespace bw::pack
