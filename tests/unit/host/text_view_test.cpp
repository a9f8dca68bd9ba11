// The dialogs' text pane in a bare ImGui context (no window, no renderer):
// whatever the text, each draw call stays within ImGui's 16-bit indices,
// which ImGui asserts when a frame is rendered.
#include "host/text_view.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <string>

#include "host/modal_form.h"

namespace bw {
namespace {

class TextViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_context = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        // As the dialogs' OpenGL 3 renderer says: a draw list may go past
        // 65,536 vertices, one draw call may not.
        io.BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
        unsigned char* pixels = nullptr;
        int width = 0;
        int height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    }
    void TearDown() override { ImGui::DestroyContext(m_context); }

    // Draws the text in a pane filling a window of that size; the vertices
    // of the frame.
    int DrawFrame(HostTextView& view, float width, float height)
    {
        ImGui::GetIO().DisplaySize = ImVec2(width, height);
        ImGui::NewFrame();
        HostModal_BeginPanel();
        view.Draw("##text", 0.0f, true);
        ImGui::End();
        ImGui::Render();
        return ImGui::GetDrawData()->TotalVtxCount;
    }

private:
    ImGuiContext* m_context = nullptr;
};

TEST_F(TextViewTest, OnlyTheRowsInViewAreDrawn)
{
    // 40,000 characters: a word longer than any row, then words to wrap.
    HostTextView view(std::string(20000, 'a') + [] {
        std::string words;
        for (int i = 0; i < 4000; ++i) words += "word ";
        return words;
    }());
    for (int frame = 0; frame < 2; ++frame) {
        // A pane of a dozen rows of some sixty glyphs, four vertices each.
        EXPECT_LT(DrawFrame(view, 640.0f, 360.0f), 8000);
    }
}

TEST_F(TextViewTest, ARowFitsOneDrawCallWhateverTheWidth)
{
    // As wide as 40,000 glyphs, as a row of marks that take no width is.
    HostTextView view(std::string(40000, 'a'));
    EXPECT_GT(DrawFrame(view, 400000.0f, 200.0f), 40000 * 4);
}

}  // namespace
}  // namespace bw
