// 3D models: the text file they are saved in and read back from (damaged
// files included), their ids, and drawing one at a position.
#include "graphics/model_3d.h"

#include <string>
#include <vector>

#include "draw_fixture.h"
#include "graphics/graphics_3d.h"

namespace bw {
namespace {

bool SameCommands(const std::vector<ModelCommand>& a, const std::vector<ModelCommand>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].colour != b[i].colour ||
            !std::equal(std::begin(a[i].values), std::end(a[i].values), std::begin(b[i].values))) {
            return false;
        }
    }
    return true;
}

class Model3DTest : public DrawTest {
protected:
    void TearDown() override
    {
        Model_DestroyAll();
        DrawTest::TearDown();
    }
};

TEST_F(Model3DTest, EveryKindOfCommandSurvivesTheTextFormIncludingWhite)
{
    const int32_t id = Model_Create();
    Model_PrimitiveBegin(id, PrimitiveTriangleFan);
    Model_Vertex(id, 1.5f, -2.25f, 3.0f);
    Model_VertexColour(id, 1.0f, 2.0f, 3.0f, 16777215, 0.5f);
    Model_VertexTexture(id, 1.0f, 2.0f, 3.0f, 0.25f, 0.75f);
    Model_VertexTextureColour(id, 1.0f, 2.0f, 3.0f, 0.25f, 0.75f, 255, 1.0f);
    Model_VertexNormal(id, 1.0f, 2.0f, 3.0f, 0.0f, 0.0f, -1.0f);
    Model_VertexNormalColour(id, 1.0f, 2.0f, 3.0f, 0.0f, 1.0f, 0.0f, 65280, 0.125f);
    Model_VertexNormalTexture(id, 1.0f, 2.0f, 3.0f, 1.0f, 0.0f, 0.0f, 0.5f, 0.5f);
    Model_VertexNormalTextureColour(id, 1.0f, 2.0f, 3.0f, 1.0f, 0.0f, 0.0f, 0.5f, 0.5f, -1, 0.0f);
    Model_PrimitiveEnd(id);
    Model_Block(id, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, 2.0f, 3.0f);
    Model_Cylinder(id, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, 1.0f, 1.0f, true, 24);
    Model_Cone(id, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, 1.0f, 1.0f, false, 8);
    Model_Ellipsoid(id, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, 1.0f, 1.0f, 16);
    Model_Wall(id, 0.0f, 0.0f, 0.0f, 10.0f, 0.0f, 10.0f, 1.0f, 1.0f);
    Model_Floor(id, 0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 0.0f, 4.0f, 4.0f);
    const std::vector<ModelCommand>& commands = *Model_Commands(id);
    ASSERT_EQ(commands.size(), 16u);

    const std::string text = Model_WriteText(commands);
    EXPECT_EQ(text.substr(0, 7), "100\n16\n");
    EXPECT_NE(text.find("\n3     1.0000     2.0000     3.0000 16777215.0000     0.5000     0.0000     0.0000"
                        "     0.0000     0.0000     0.0000\n"),
              std::string::npos);
    std::vector<ModelCommand> read;
    ASSERT_TRUE(Model_ParseText(text, read));
    EXPECT_TRUE(SameCommands(read, commands));
    EXPECT_EQ(read[2].colour, 16777215);
    EXPECT_EQ(read[8].colour, -1);
}

TEST_F(Model3DTest, DamagedFilesLoadTheCommandsTheyHold)
{
    const std::string vertex = "2 1 2 3 0 0 0 0 0 0 0";
    struct Case {
        const char* what;
        std::string text;
        bool loaded;
        size_t commands;
    };
    const Case cases[] = {
        {"fewer lines than counted", "100\n3\n" + vertex + "\n", true, 1},
        {"a huge count", "100\n2147483647\n" + vertex + "\n", true, 1},
        {"unknown kinds and short lines", "100\n4\n16 1 2 3 0 0 0 0 0 0 0\n-1 0 0 0 0 0 0 0 0 0 0\n2 1 2\n" + vertex,
         true, 1},
        {"CR LF and empty lines", "100\r\n2\r\n\r\n" + vertex + "\r\n\r\n" + vertex + "\r\n", true, 2},
        {"numbers that are not numbers", "100\n2\n2 1 2 x 0 0 0 0 0 0 0\n2 1e999 2 3 0 0 0 0 0 0 0\n", true, 0},
        {"no count", "100\n", true, 0},
        {"another version", "101\n1\n" + vertex + "\n", false, 0},
        {"nothing", "", false, 0},
    };
    for (const Case& c : cases) {
        std::vector<ModelCommand> read(3);
        EXPECT_EQ(Model_ParseText(c.text, read), c.loaded) << c.what;
        EXPECT_EQ(read.size(), c.commands) << c.what;
    }
}

TEST_F(Model3DTest, DestroyedIdsAreGivenOutAgainAndBadIdsAreIgnored)
{
    const int32_t first = Model_Create();
    const int32_t second = Model_Create();
    EXPECT_NE(first, second);
    Model_Destroy(first);
    EXPECT_FALSE(Model_Exists(first));
    EXPECT_EQ(Model_Create(), first);
    Model_Vertex(first, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(Model_Commands(first)->size(), 1u);
    for (const int32_t bad : {-1, 7, 1 << 30}) {
        Model_Vertex(bad, 0.0f, 0.0f, 0.0f);
        Model_DrawByIndex(bad, 0.0f, 0.0f, 0.0f, -1);
        EXPECT_FALSE(Model_SaveByIndex(bad, "model.txt"));
        EXPECT_FALSE(Model_LoadByIndex(bad, "model.txt"));
    }
    EXPECT_TRUE(Drawn().empty());
}

TEST_F(Model3DTest, AModelIsDrawnTranslatedAndTheWorldPutBack)
{
    GR_3D_TransformIdentity();
    device->ClearCalls();
    const int32_t id = Model_Create();
    Model_PrimitiveBegin(id, PrimitiveTriangleList);
    Model_Vertex(id, 0.0f, 0.0f, 0.0f);
    Model_Vertex(id, 1.0f, 0.0f, 0.0f);
    Model_Vertex(id, 0.0f, 1.0f, 0.0f);
    Model_PrimitiveEnd(id);
    Model_DrawByIndex(id, 10.0f, 20.0f, 30.0f, -1);
    GR_VB_Flush();
    std::vector<const RecordedCall*> order;
    for (const RecordedCall& call : device->Calls()) {
        if (call.name == "DrawPrimitive" || (call.name == "SetTransform" && call.args[0] == 2)) {
            order.push_back(&call);
        }
    }
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0]->name, "SetTransform");
    EXPECT_FLOAT_EQ(order[0]->matrix.m[12], 10.0f);
    EXPECT_FLOAT_EQ(order[0]->matrix.m[13], 20.0f);
    EXPECT_FLOAT_EQ(order[0]->matrix.m[14], 30.0f);
    EXPECT_EQ(order[1]->name, "DrawPrimitive");
    EXPECT_EQ(order[1]->vertices.size(), 3 * sizeof(Vertex3D));
    EXPECT_EQ(order[2]->name, "SetTransform");
    EXPECT_FLOAT_EQ(order[2]->matrix.m[12], 0.0f);
}

TEST_F(Model3DTest, EachTextureKeepsItsRecordingUntilTheModelIsCleared)
{
    const int32_t id = Model_Create();
    auto addTriangle = [id] {
        Model_PrimitiveBegin(id, PrimitiveTriangleList);
        Model_Vertex(id, 0.0f, 0.0f, 0.0f);
        Model_Vertex(id, 1.0f, 0.0f, 0.0f);
        Model_Vertex(id, 0.0f, 1.0f, 0.0f);
        Model_PrimitiveEnd(id);
    };
    auto drawnVertices = [this, id](int32_t texture) {
        device->ClearCalls();
        Model_DrawByIndex(id, 0.0f, 0.0f, 0.0f, texture);
        GR_VB_Flush();
        const auto draws = device->Find("DrawPrimitive");
        return draws.size() == 1 ? draws[0]->vertices.size() / sizeof(Vertex3D) : 0;
    };
    addTriangle();
    EXPECT_EQ(drawnVertices(-1), 3u);
    addTriangle();
    // The recording made for no texture stays as it was; another texture
    // replays every command.
    EXPECT_EQ(drawnVertices(-1), 3u);
    EXPECT_EQ(device->Count("CreateVertexBuffer"), 0u);
    EXPECT_EQ(drawnVertices(12345), 6u);
    Model_Clear(id);
    addTriangle();
    EXPECT_EQ(drawnVertices(-1), 3u);
    EXPECT_EQ(device->Count("CreateVertexBuffer"), 1u);
}

}  // namespace
}  // namespace bw
