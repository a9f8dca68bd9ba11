// 3D models: lists of drawing commands recorded by game code (primitives
// with their vertices, and whole shapes) that can be drawn many times at a
// position, saved to a text file and loaded again. Drawing replays the
// commands through the 3D primitives with the texture given to the draw.
//
// The text file: "100", the command count, then one line per command: the
// kind as "%d" and ten values as " %10.4f", colours written as the integer
// they hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

enum ModelCommandKind : int32_t {
    ModelPrimitiveBegin = 0,
    ModelPrimitiveEnd = 1,
    ModelVertex = 2,
    ModelVertexColour = 3,
    ModelVertexTexture = 4,
    ModelVertexTextureColour = 5,
    ModelVertexNormal = 6,
    ModelVertexNormalColour = 7,
    ModelVertexNormalTexture = 8,
    ModelVertexNormalTextureColour = 9,
    ModelBlock = 10,
    ModelCylinder = 11,
    ModelCone = 12,
    ModelEllipsoid = 13,
    ModelWall = 14,
    ModelFloor = 15,
};
inline constexpr int32_t kModelCommandKinds = 16;
inline constexpr int32_t kModelCommandValues = 10;

// One command: its kind and ten values in the builder's order. The colour
// of the coloured vertex kinds is an integer, kept beside the values (its
// slot among them stays 0).
struct ModelCommand {
    int32_t kind = 0;
    float values[kModelCommandValues] = {};
    int32_t colour = 0;
};
// The slot of the colour among a kind's values, -1 for kinds without one.
int32_t ModelCommand_ColourSlot(int32_t kind);

// The text form. Parsing stops at the end of the text, skips lines whose kind
// is unknown or that hold fewer than eleven numbers, and never trusts the
// stated count for more than the lines the text can hold. False (and no
// commands) when the first line is not "100".
std::string Model_WriteText(const std::vector<ModelCommand>& commands);
bool Model_ParseText(std::string_view text, std::vector<ModelCommand>& commands);

// Ids are indices into the model table; a destroyed model's id is given to
// the next model created. Bad ids are ignored, or give false.
int32_t Model_Create();
void Model_Destroy(int32_t id);
void Model_Clear(int32_t id);
bool Model_Exists(int32_t id);
const std::vector<ModelCommand>* Model_Commands(int32_t id);
// Destroys every model (tests).
void Model_DestroyAll();

// name: a game file name; saved into the save area, loaded from the save
// area or else the program's files. A model that cannot be loaded is left
// empty.
bool Model_SaveByIndex(int32_t id, const char* name);
bool Model_LoadByIndex(int32_t id, const char* name);

// Replays the model translated by (x, y, z) with the texture (a texture id,
// a texture page entry handle or -1).
void Model_DrawByIndex(int32_t id, float x, float y, float z, int32_t texture);

// Builders: each adds one command to the model. colour: 0x00BBGGRR.
void Model_PrimitiveBegin(int32_t id, int32_t type);
void Model_PrimitiveEnd(int32_t id);
void Model_Vertex(int32_t id, float x, float y, float z);
void Model_VertexColour(int32_t id, float x, float y, float z, int32_t colour, float alpha);
void Model_VertexTexture(int32_t id, float x, float y, float z, float u, float v);
void Model_VertexTextureColour(int32_t id, float x, float y, float z, float u, float v, int32_t colour, float alpha);
void Model_VertexNormal(int32_t id, float x, float y, float z, float nx, float ny, float nz);
void Model_VertexNormalColour(int32_t id, float x, float y, float z, float nx, float ny, float nz, int32_t colour,
                              float alpha);
void Model_VertexNormalTexture(int32_t id, float x, float y, float z, float nx, float ny, float nz, float u, float v);
void Model_VertexNormalTextureColour(int32_t id, float x, float y, float z, float nx, float ny, float nz, float u,
                                     float v, int32_t colour, float alpha);
void Model_Block(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                 float vrepeat);
void Model_Cylinder(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                    float vrepeat, bool closed, int32_t steps);
void Model_Cone(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat,
                bool closed, int32_t steps);
void Model_Ellipsoid(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                     float vrepeat, int32_t steps);
void Model_Wall(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat, float vrepeat);
void Model_Floor(int32_t id, float x1, float y1, float z1, float x2, float y2, float z2, float hrepeat,
                 float vrepeat);

}  // namespace bw
