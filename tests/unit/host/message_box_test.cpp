#include "host/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace bw {
namespace {

// Sets (or, with nullopt, removes) an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        Apply(value);
    }
    ~ScopedEnvironment() { Apply(m_old); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Apply(const std::optional<std::string>& value)
    {
        if (value) {
            setenv(m_name, value->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(MessageBoxTest, HeadlessBoxReturnsOkAndWritesCaptionAndTextToStderr)
{
    ScopedEnvironment driver("SDL_VIDEODRIVER", "offscreen");
    ScopedEnvironment display("DISPLAY", ":0");
    testing::internal::CaptureStderr();
    const int answer = Host_ShowMessageBox("My Game", "Out of Memory!", HostMessageBoxKind::Error);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "My Game: Out of Memory!\n");
    EXPECT_EQ(answer, 1);
}

TEST(MessageBoxTest, HeadlessTextEndsWithExactlyOneNewline)
{
    struct Case {
        const char* caption;
        const char* text;
        const char* written;
    };
    const Case cases[] = {
        {"Game", "line\n", "Game: line\n"},
        {"", "no caption", "no caption\n"},
        {nullptr, nullptr, "\n"},
        {"Game", "", "Game: \n"},
    };
    ScopedEnvironment driver("SDL_VIDEODRIVER", "dummy");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        testing::internal::CaptureStderr();
        Host_ShowMessageBox(c.caption, c.text, HostMessageBoxKind::Information);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.written);
    }
}

TEST(MessageBoxTest, DisplayIsAvailableOnlyWithAWindowSystemAndDialogsOn)
{
    using Env = std::optional<std::string>;
    struct Case {
        Env driver;
        Env x11Display;
        Env waylandDisplay;
        bool dialogsEnabled;
        bool hasDisplay;
    };
    const Case cases[] = {
        {std::nullopt, ":0", std::nullopt, true, true},
        {std::nullopt, std::nullopt, "wayland-0", true, true},
        {"x11", ":0", std::nullopt, true, true},
        {std::nullopt, std::nullopt, std::nullopt, true, false},
        {std::nullopt, "", "", true, false},
        {"offscreen", ":0", "wayland-0", true, false},
        {"OFFSCREEN", ":0", std::nullopt, true, false},
        {"dummy", ":0", std::nullopt, true, false},
        {std::nullopt, ":0", std::nullopt, false, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        ScopedEnvironment driver("SDL_VIDEODRIVER", c.driver);
        ScopedEnvironment x11("DISPLAY", c.x11Display);
        ScopedEnvironment wayland("WAYLAND_DISPLAY", c.waylandDisplay);
        Host_SetDialogsEnabled(c.dialogsEnabled);
        EXPECT_EQ(Host_HasDisplay(), c.hasDisplay);
        Host_SetDialogsEnabled(true);
    }
}

}  // namespace
}  // namespace bw
