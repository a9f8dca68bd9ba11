// The fonts of the ImGui windows, filled into an atlas of their own: the
// glyphs of every script a text holds (the installed fonts include
// DejaVu Sans and a Japanese and Chinese face: scripts/install-deps.sh).
#include "host/dialog_fonts.h"

#include <gtest/gtest.h>
#include <imgui/imgui.h>

#include <string>
#include <vector>

#include "host/debug_form_view.h"
#include "host/imgui_window.h"

namespace bw {
namespace {

// The glyph the atlas draws for a character, or null when it has none of
// its own (it then draws the fallback).
const ImFontGlyph* OwnGlyph(const ImFontAtlas& atlas, ImWchar character)
{
    return atlas.Fonts.empty() ? nullptr : atlas.Fonts[0]->FindGlyphNoFallback(character);
}

TEST(DialogFontsTest, TheAtlasGainsTheGlyphsOfEachScriptOnceNoted)
{
    HostDialogFonts fonts;
    ImFontAtlas atlas;
    fonts.Fill(atlas);
    ASSERT_TRUE(atlas.IsBuilt());
    EXPECT_NE(OwnGlyph(atlas, u'é'), nullptr);
    EXPECT_EQ(OwnGlyph(atlas, u'П'), nullptr) << "only what was shown is in the atlas";

    EXPECT_TRUE(fonts.Note("Привет Καλημέρα こんにちは 世界"));
    fonts.Fill(atlas);
    for (const char16_t character : std::u16string(u"Привет Καλημέρα こんにちは 世界")) {
        EXPECT_NE(OwnGlyph(atlas, character), nullptr) << "U+" << std::hex << static_cast<int>(character);
    }
    // Glyphs of their own, not one shape for all.
    EXPECT_NE(OwnGlyph(atlas, u'П')->U0, OwnGlyph(atlas, u'こ')->U0);
    EXPECT_FALSE(fonts.Note("тевирП, αλη")) << "nothing new: no fill";
}

TEST(DialogFontsTest, ACharacterNoFontHasShowsTheReplacementCharacterOnce)
{
    HostDialogFonts fonts;
    // A noncharacter: no font maps it.
    EXPECT_TRUE(fonts.Note("\xEF\xB7\x90"));
    EXPECT_FALSE(fonts.Note("\xEF\xB7\x90")) << "noted once, so no fill at every frame";
    ImFontAtlas atlas;
    fonts.Fill(atlas);
    ASSERT_FALSE(atlas.Fonts.empty());
    EXPECT_EQ(OwnGlyph(atlas, 0xFDD0), nullptr);
    EXPECT_EQ(atlas.Fonts[0]->FallbackChar, IM_UNICODE_CODEPOINT_INVALID) << "never '?'";
    // Malformed bytes, controls and a sequence the text's end cuts short
    // add nothing.
    EXPECT_FALSE(fonts.Note(std::string("\x80\xBF\xFF\x01\n\r\t\xE3\x81", 9)));
}

TEST(DialogFontsTest, NotingStopsAtItsBound)
{
    HostDialogFonts fonts;
    std::u32string many;
    for (char32_t character = 0x4E00; character < 0x4E00 + HostDialogFonts::kMaxNotedCharacters + 10; ++character) {
        many += character;
    }
    std::string utf8;
    for (const char32_t character : many) {
        utf8 += static_cast<char>(0xE0 | (character >> 12));
        utf8 += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (character & 0x3F));
    }
    EXPECT_TRUE(fonts.Note(utf8));
    EXPECT_FALSE(fonts.Note("Ω")) << "the bound is reached";
    ImFontAtlas atlas;
    fonts.Fill(atlas);
    ASSERT_TRUE(atlas.IsBuilt());
    EXPECT_NE(OwnGlyph(atlas, 0x4E00), nullptr);
    EXPECT_EQ(OwnGlyph(atlas, static_cast<ImWchar>(0x4E00 + HostDialogFonts::kMaxNotedCharacters)), nullptr);
    EXPECT_EQ(OwnGlyph(atlas, u'Ω'), nullptr);
}

// The debug window's first frame with one label.
std::vector<uint32_t> DebugWindowShowing(const std::string& label)
{
    HostDebugForm form(320, 120);
    if (!form.IsOpen()) return {};
    form.Window().SetCapture(true);
    DebugFormView view;
    view.labels = {label};
    form.Frame(view);
    return form.Window().CapturedPixels();
}

TEST(DialogFontsTest, TheDebugWindowDrawsEachScriptGlyphByGlyph)
{
    const std::vector<uint32_t> text = DebugWindowShowing("ПриветΚαληこんにちは");
    if (text.empty()) GTEST_SKIP() << "no window with a GL context here";
    EXPECT_NE(text, DebugWindowShowing("はちにんこηλαΚтевирП")) << "one shape for every character";
    EXPECT_NE(text, DebugWindowShowing("???????????????")) << "drawn as question marks";
}

}  // namespace
}  // namespace bw
