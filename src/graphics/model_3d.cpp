#include "graphics/model_3d.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <memory>
#include <span>

#include "graphics/device/device.h"
#include "graphics/draw_2d.h"
#include "graphics/graphics_recorder.h"
#include "graphics/primitives_3d.h"
#include "graphics/textures.h"
#include "platform/files.h"
#include "platform/real_to_int.h"

namespace bw {

namespace {

constexpr std::string_view kFormatVersion = "100";
// The shortest command line, "0" and a line end: a stated count beyond what
// the text can hold reserves no more than this allows.
constexpr size_t kShortestLine = 2;

// The commands replayed once for one texture id; later draws with that
// texture draw the recording.
struct ModelRecording {
    int32_t texture = -1;
    std::unique_ptr<GraphicsRecorder> recorder;
};

struct Model {
    std::vector<ModelCommand> commands;
    std::vector<ModelRecording> recordings;
};

// Sends the 3D primitives of a replay into a recording instead of the batch.
class RecordingSink final : public IPrimitiveSink {
public:
    explicit RecordingSink(GraphicsRecorder& recorder) : m_recorder(recorder) {}
    void AddPrimitive(int32_t type, std::span<const Vertex3D> vertices) override
    {
        m_recorder.AddPrimitive(type, static_cast<int32_t>(vertices.size()), vertices.data());
    }

private:
    GraphicsRecorder& m_recorder;
};

std::vector<std::unique_ptr<Model>> g_models;

Model* Find(int32_t id)
{
    if (id < 0 || static_cast<size_t>(id) >= g_models.size()) {
        return nullptr;
    }
    return g_models[static_cast<size_t>(id)].get();
}

void Add(int32_t id, int32_t kind, std::initializer_list<float> values, int32_t colour = 0)
{
    Model* model = Find(id);
    if (model == nullptr) {
        return;
    }
    ModelCommand command;
    command.kind = kind;
    std::copy(values.begin(), values.end(), command.values);
    command.colour = colour;
    model->commands.push_back(command);
}

float FlagValue(bool flag)
{
    return flag ? 1.0f : 0.0f;
}

// " %10.4f" without the locale: a space, then the value right-aligned in ten
// characters with four decimals.
void AppendValue(std::string& text, double value)
{
    char digits[400];
    const std::to_chars_result written =
        std::to_chars(digits, digits + sizeof(digits), value, std::chars_format::fixed, 4);
    const auto length = static_cast<size_t>(written.ptr - digits);
    text.push_back(' ');
    text.append(length < 10 ? 10 - length : 0, ' ');
    text.append(digits, length);
}

// The next line: line ends (CR, LF, NUL) before it are skipped, and it ends
// at the next CR or LF or at the end. False at the end of the text.
bool NextLine(std::string_view& text, std::string_view& line)
{
    const size_t start = text.find_first_not_of(std::string_view("\r\n\0", 3));
    if (start == std::string_view::npos) {
        text = {};
        return false;
    }
    const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    line = text.substr(start, end - start);
    text.remove_prefix(end);
    return true;
}

// Reads one number as "%d" or "%f" would, after spaces and tabs.
template <typename Number>
bool ReadNumber(std::string_view& line, Number& out)
{
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return false;
    }
    line.remove_prefix(start);
    if (line.front() == '+') {
        line.remove_prefix(1);
    }
    const std::from_chars_result read = std::from_chars(line.data(), line.data() + line.size(), out);
    if (read.ec != std::errc()) {
        return false;
    }
    line.remove_prefix(static_cast<size_t>(read.ptr - line.data()));
    return true;
}

bool ParseCommand(std::string_view line, ModelCommand& command)
{
    if (!ReadNumber(line, command.kind) || command.kind < 0 || command.kind >= kModelCommandKinds) {
        return false;
    }
    const int32_t colourSlot = ModelCommand_ColourSlot(command.kind);
    for (int32_t i = 0; i < kModelCommandValues; ++i) {
        double value = 0.0;
        if (!ReadNumber(line, value)) {
            return false;
        }
        if (i == colourSlot) {
            command.colour = Real_TruncToInt32(value);
        } else {
            command.values[i] = Real_ToSingle(value);
        }
    }
    return true;
}

int32_t Int(float value)
{
    return Real_TruncToInt32(value);
}

void Replay(const ModelCommand& c, int32_t texture)
{
    const float* v = c.values;
    const auto colour = static_cast<uint32_t>(c.colour);
    switch (c.kind) {
    case ModelPrimitiveBegin:
        GR_3D_PrimitiveBegin(Int(v[0]), texture);
        break;
    case ModelPrimitiveEnd:
        GR_3D_PrimitiveEnd();
        break;
    case ModelVertex:
        GR_3D_Vertex(v[0], v[1], v[2]);
        break;
    case ModelVertexColour:
        GR_3D_VertexColour(v[0], v[1], v[2], colour, v[4]);
        break;
    case ModelVertexTexture:
        GR_3D_VertexTexture(v[0], v[1], v[2], v[3], v[4]);
        break;
    case ModelVertexTextureColour:
        GR_3D_VertexTextureColour(v[0], v[1], v[2], v[3], v[4], colour, v[6]);
        break;
    case ModelVertexNormal:
        GR_3D_VertexNormal(v[0], v[1], v[2], v[3], v[4], v[5]);
        break;
    case ModelVertexNormalColour:
        GR_3D_VertexNormalColour(v[0], v[1], v[2], v[3], v[4], v[5], colour, v[7]);
        break;
    case ModelVertexNormalTexture:
        GR_3D_VertexNormalTexture(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        break;
    case ModelVertexNormalTextureColour:
        GR_3D_VertexNormalTextureColour(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], colour, v[9]);
        break;
    case ModelBlock:
        GR_3D_DrawBlock(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7]);
        break;
    case ModelCylinder:
        GR_3D_DrawCylinder(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7], v[8] != 0.0f, Int(v[9]));
        break;
    case ModelCone:
        GR_3D_DrawCone(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7], v[8] != 0.0f, Int(v[9]));
        break;
    case ModelEllipsoid:
        GR_3D_DrawEllipsoid(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7], Int(v[8]));
        break;
    case ModelWall:
        GR_3D_DrawWall(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7]);
        break;
    case ModelFloor:
        GR_3D_DrawFloor(v[0], v[1], v[2], v[3], v[4], v[5], texture, v[6], v[7]);
        break;
    default:
        break;
    }
}

GraphicsRecorder& Recording(Model& model, int32_t texture)
{
    for (ModelRecording& recording : model.recordings) {
        if (recording.texture == texture) {
            return *recording.recorder;
        }
    }
    ModelRecording& recording = model.recordings.emplace_back(
        ModelRecording{texture, std::make_unique<GraphicsRecorder>()});
    RecordingSink sink(*recording.recorder);
    IPrimitiveSink* previous = GR_3D_SetPrimitiveSink(&sink);
    for (const ModelCommand& command : model.commands) {
        Replay(command, texture);
    }
    GR_3D_SetPrimitiveSink(previous);
    return *recording.recorder;
}

}  // namespace

int32_t ModelCommand_ColourSlot(int32_t kind)
{
    switch (kind) {
    case ModelVertexColour:
        return 3;
    case ModelVertexTextureColour:
        return 5;
    case ModelVertexNormalColour:
        return 6;
    case ModelVertexNormalTextureColour:
        return 8;
    default:
        return -1;
    }
}

std::string Model_WriteText(const std::vector<ModelCommand>& commands)
{
    std::string text(kFormatVersion);
    text += '\n';
    text += std::to_string(commands.size());
    text += '\n';
    for (const ModelCommand& command : commands) {
        text += std::to_string(command.kind);
        const int32_t colourSlot = ModelCommand_ColourSlot(command.kind);
        for (int32_t i = 0; i < kModelCommandValues; ++i) {
            AppendValue(text, i == colourSlot ? static_cast<double>(command.colour) : command.values[i]);
        }
        text += '\n';
    }
    return text;
}

bool Model_ParseText(std::string_view text, std::vector<ModelCommand>& commands)
{
    commands.clear();
    std::string_view line;
    if (!NextLine(text, line) || line != kFormatVersion) {
        return false;
    }
    int32_t count = 0;
    if (!NextLine(text, line) || !ReadNumber(line, count) || count <= 0) {
        return true;
    }
    commands.reserve(std::min(static_cast<size_t>(count), text.size() / kShortestLine));
    for (int32_t i = 0; i < count && NextLine(text, line); ++i) {
        ModelCommand command;
        if (ParseCommand(line, command)) {
            commands.push_back(command);
        }
    }
    return true;
}

int32_t Model_Create()
{
    auto model = std::make_unique<Model>();
    const auto empty = std::find(g_models.begin(), g_models.end(), nullptr);
    if (empty != g_models.end()) {
        *empty = std::move(model);
        return static_cast<int32_t>(empty - g_models.begin());
    }
    g_models.push_back(std::move(model));
    return static_cast<int32_t>(g_models.size() - 1);
}

void Model_Destroy(int32_t id)
{
    if (Find(id) != nullptr) {
        g_models[static_cast<size_t>(id)].reset();
    }
}

void Model_Clear(int32_t id)
{
    if (Model* model = Find(id); model != nullptr) {
        model->commands = {};
        model->recordings.clear();
    }
}

bool Model_Exists(int32_t id)
{
    return Find(id) != nullptr;
}

const std::vector<ModelCommand>* Model_Commands(int32_t id)
{
    const Model* model = Find(id);
    return model != nullptr ? &model->commands : nullptr;
}

void Model_DestroyAll()
{
    g_models.clear();
}

bool Model_SaveByIndex(int32_t id, const char* name)
{
    const Model* model = Find(id);
    if (model == nullptr || name == nullptr) {
        return false;
    }
    const std::string text = Model_WriteText(model->commands);
    return LoadSave_WriteSaveFile(name, text.data(), text.size());
}

bool Model_LoadByIndex(int32_t id, const char* name)
{
    Model* model = Find(id);
    if (model == nullptr) {
        return false;
    }
    Model_Clear(id);
    MemoryFile* file = name != nullptr ? LoadSave_OpenRead(name, "rt") : nullptr;
    if (file == nullptr) {
        return false;
    }
    // A text open starts past a UTF-8 signature, which an editor may add.
    const std::string_view text(reinterpret_cast<const char*>(LoadSave_GetData(file)) + file->position,
                                static_cast<size_t>(file->size - file->position));
    const bool loaded = Model_ParseText(text, model->commands);
    LoadSave_Close(file);
    return loaded;
}

void Model_DrawByIndex(int32_t id, float x, float y, float z, int32_t texture)
{
    Model* model = Find(id);
    if (model == nullptr || Device_Get() == nullptr) {
        return;
    }
    // The texture is looked up at every draw: the one behind an id can be
    // replaced.
    Recording(*model, texture).Draw(x, y, z, Texture_Get(GR_ResolvePrimitiveTexture(texture).texture));
}

void Model_PrimitiveBegin(int32_t id, int32_t type)
{
    Add(id, ModelPrimitiveBegin, {static_cast<float>(type)});
}

void Model_PrimitiveEnd(int32_t id)
{
    Add(id, ModelPrimitiveEnd, {});
}

void Model_Vertex(int32_t id, float x, float y, float z)
{
    Add(id, ModelVertex, {x, y, z});
}

void Model_VertexColour(int32_t id, float x, float y, float z, int32_t colour, float alpha)
{
    Add(id, ModelVertexColour, {x, y, z, 0.0f, alpha}, colour);
}

void Model_VertexTexture(int32_t id, float x, float y, float z, float u, float v)
{
    Add(id, ModelVertexTexture, {x, y, z, u, v});
}

void Model_VertexTextureColour(int32_t id, float x, float y, float z, float u, float v, int32_t colour, float alpha)
{
    Add(id, ModelVertexTextureColour, {x, y, z, u, v, 0.0f, alpha}, colour);
}

void Model_VertexNormal(int32_t id, float x, float y, float z, float nx, float ny, float nz)
{
    Add(id, ModelVertexNormal, {x, y, z, nx, ny, nz});
}

void Model_VertexNormalColour(int32_t id, float x, float y, float z, float nx, float ny, float nz, int32_t colour,
                              float alpha)
{
    Add(id, ModelVertexNormalColour, {x, y, z, nx, ny, nz, 0.0f, alpha}, colour);
}

void Model_VertexNormalTexture(int32_t id, float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
    Add(id, ModelVertexNormalTexture, {x, y, z, nx, ny, nz, u, v});
}

void Model_VertexNormalTextureColour(int32_t id, float x, float y, float z, float nx, float ny, float nz, float u,
                                     float v, int32_t colour, float alpha)
{
    Add(id, ModelVertexNormalTextureColour, {x, y, z, nx, ny, nz, u, v, 0.0f, alpha}, colour);
}

void Model_Block(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat)
{
    Add(id, ModelBlock, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat});
}

void Model_Cylinder(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                    float vrepeat, bool closed, int32_t steps)
{
    Add(id, ModelCylinder, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, FlagValue(closed), static_cast<float>(steps)});
}

void Model_Cone(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat,
                bool closed, int32_t steps)
{
    Add(id, ModelCone, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, FlagValue(closed), static_cast<float>(steps)});
}

void Model_Ellipsoid(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                     float vrepeat, int32_t steps)
{
    Add(id, ModelEllipsoid, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat, static_cast<float>(steps)});
}

void Model_Wall(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat)
{
    Add(id, ModelWall, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat});
}

void Model_Floor(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat)
{
    Add(id, ModelFloor, {x1, y1, z1, x2, y2, z2, hrepeat, vrepeat});
}

}  // namespace bw
