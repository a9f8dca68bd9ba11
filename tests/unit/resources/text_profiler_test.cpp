// Drawing text is timed in the frame-rate profiler: the plain and the
// transformed forms each open one "Text" section; the coloured forms do not.
#include <string>
#include <vector>

#include "unit/graphics/draw_fixture.h"
#include "graphics/overlay.h"
#include "resources/text.h"
#include "resources/font.h"
#include "resources/font_table.h"
#include "unit/resources/font_chunk.h"

namespace bw {
namespace {

class TextProfilerTest : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        const int32_t texture = MakeTexture(144, 128);
        ASSERT_GE(texture, 0);
        test::FontSpec plan;
        plan.withPageEntry = true;
        plan.glyphs = test::FixedAdvanceGlyphs();
        test::FontImage image({plan}, static_cast<int16_t>(texture));
        ASSERT_TRUE(TPAG_Load(image.View(), image.tpagOffset, image.tpagLength));
        ASSERT_TRUE(Font_Load(image.View(), image.fontOffset, image.fontLength));
        GR_Text_SetFont(0);
        Overlay_Reset();
        Profiler_StartFrame();
    }

    void TearDown() override
    {
        Overlay_Reset();
        GR_Text_SetFont(-1);
        GR_Text_Shutdown();
        Font_ClearTable();
        DrawTest::TearDown();
    }

    // The sections after "Total" as "name colour", all of them closed.
    static std::vector<std::string> TimedSections()
    {
        std::vector<std::string> sections;
        for (int32_t i = 1; i < Profiler_SectionCount(); ++i) {
            const ProfilerSection& section = Profiler_Section(i);
            EXPECT_EQ(section.depth, 1) << section.name;
            EXPECT_GE(section.end, section.begin) << section.name;
            sections.push_back(std::string(section.name) + " " + std::to_string(section.colour));
        }
        return sections;
    }
};

TEST_F(TextProfilerTest, PlainAndTransformedTextEachOpenOneTextSection)
{
    GR_Text_Draw(0.0f, 0.0f, "AB", -1, -1);
    GR_Text_DrawColour(0.0f, 0.0f, "AB", -1, -1, 0xFFFFFFu, 0xFFFFFFu, 0xFFFFFFu, 0xFFFFFFu, 1.0f);
    GR_Text_DrawTransformed(0.0f, 0.0f, "AB", -1, -1, 2.0f, 2.0f, 30.0f);
    GR_Text_DrawTransformedColour(0.0f, 0.0f, "AB", -1, -1, 1.0f, 1.0f, 0.0f, 0xFFFFFFu, 0xFFFFFFu, 0xFFFFFFu,
                                  0xFFFFFFu, 1.0f);
    const std::string text = "Text " + std::to_string(0xFFFF00u);
    EXPECT_EQ(TimedSections(), (std::vector<std::string>{text, text}));
}

}  // namespace
}  // namespace bw
