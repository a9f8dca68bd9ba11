#include "host/message_box.h"

#include <gtest/gtest.h>

#include <iterator>

#include "support/scratch_folder.h"

namespace bw {
namespace {

using test::ScopedEnv;

TEST(MessageBoxTest, HeadlessBoxAnswersOkWithTheTextOnStderrEndingInOneNewline)
{
    ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    ScopedEnv display("DISPLAY", ":0");
    const struct {
        const char* caption;
        const char* text;
        const char* written;
    } cases[] = {
        {"My Game", "Out of Memory!", "My Game: Out of Memory!\n"},
        {"Game", "line\n", "Game: line\n"},
        {"", "no caption", "no caption\n"},
        {nullptr, nullptr, "\n"},
        {"Game", "", "Game: \n"},
        // A message's '#' is a lone CR, a report's lines end in CR LF.
        {"Game", "one\rtwo\r\nthree\r\n", "Game: one\ntwo\nthree\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Host_ShowMessageBox(c.caption, c.text, HostMessageBoxKind::Error), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.written);
    }
}

TEST(MessageBoxTest, DisplayIsAvailableOnlyWithAWindowSystemAndDialogsOn)
{
    const struct {
        const char* driver;  // null: the variable is unset
        const char* x11Display;
        const char* waylandDisplay;
        bool dialogsEnabled;
        bool hasDisplay;
    } cases[] = {
        {nullptr, ":0", nullptr, true, true},        {nullptr, nullptr, "wayland-0", true, true},
        {"x11", ":0", nullptr, true, true},          {nullptr, nullptr, nullptr, true, false},
        {nullptr, "", "", true, false},              {"offscreen", ":0", "wayland-0", true, false},
        {"OFFSCREEN", ":0", nullptr, true, false},   {"dummy", ":0", nullptr, true, false},
        {nullptr, ":0", nullptr, false, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        ScopedEnv driver("SDL_VIDEODRIVER", cases[i].driver);
        ScopedEnv x11("DISPLAY", cases[i].x11Display);
        ScopedEnv wayland("WAYLAND_DISPLAY", cases[i].waylandDisplay);
        Host_SetDialogsEnabled(cases[i].dialogsEnabled);
        EXPECT_EQ(Host_HasDisplay(), cases[i].hasDisplay);
        Host_SetDialogsEnabled(true);
    }
}

}  // namespace
}  // namespace bw
