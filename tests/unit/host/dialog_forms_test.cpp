// An input dialog in its own ImGui window, driven by SDL events addressed
// to that window as a person's typing would be. The last frame is written
// to build/tests/dialog_smoke/dialogs/input_dialog.png for a look.
#include "host/dialog_forms.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "graphics/png_image.h"
#include "host/imgui_window.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "support/scratch_folder.h"

namespace bw {
namespace {

void PushText(uint32_t window, const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = window;
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    SDL_PushEvent(&event);
}

void PushKey(uint32_t window, SDL_Scancode key, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = window;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = key;
    event.key.keysym.sym = SDL_GetKeyFromScancode(key);
    SDL_PushEvent(&event);
}

void SaveForALook(const HostImGuiWindow& window)
{
    char* here = GetWorkingDirectory();
    test::ScopedEnv data("XDG_DATA_HOME", (std::string(here) + "/dialog_smoke").c_str());
    MemoryManager_Free(here);
    ASSERT_TRUE(Files_SetSaveFolderName("dialogs", false));
    std::vector<uint32_t> pixels = window.CapturedPixels();
    auto* bytes = reinterpret_cast<uint8_t*>(pixels.data());
    Bitmap_SwapRedBlue(bytes, window.Width(), window.Height());
    EXPECT_TRUE(write_png_file("input_dialog.png", bytes, window.Width(), window.Height()));
}

TEST(DialogFormTest, TypedTextAndEnterAnswerTheInputDialog)
{
    HostDialogForm form(DialogForm{DialogKind::Input, "Brackwell", "What is your name?", "", ""});
    if (!form.IsOpen()) GTEST_SKIP() << "no window with a GL context here: " << SDL_GetError();
    form.Window().SetCapture(true);
    const uint32_t id = form.Window().WindowId();
    DialogAnswer answer;
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_FALSE(form.Poll(&answer));  // the field takes the focus
    }
    PushText(id, "Ann ");
    PushText(id, "Lee");
    EXPECT_FALSE(form.Poll(&answer));
    PushKey(id, SDL_SCANCODE_RETURN, true);
    ASSERT_TRUE(form.Poll(&answer));
    EXPECT_TRUE(answer.accepted);
    EXPECT_EQ(answer.text, "Ann Lee");

    const std::vector<uint32_t>& pixels = form.Window().CapturedPixels();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(form.Window().Width()) * static_cast<size_t>(form.Window().Height()));
    EXPECT_GT(std::set<uint32_t>(pixels.begin(), pixels.end()).size(), 3u) << "the form drew its text and buttons";
    SaveForALook(form.Window());
}

TEST(DialogFormTest, EscapeCancelsAndClosingTheWindowToo)
{
    HostDialogForm form(DialogForm{DialogKind::Login, "", "", "ann", "pw"});
    if (!form.IsOpen()) GTEST_SKIP() << "no window with a GL context here";
    DialogAnswer answer;
    EXPECT_FALSE(form.Poll(&answer));
    PushKey(form.Window().WindowId(), SDL_SCANCODE_ESCAPE, true);
    ASSERT_TRUE(form.Poll(&answer));
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.text, "");

    HostDialogForm closed(DialogForm{DialogKind::Question, "Brackwell", "Sure?", "", ""});
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = closed.Window().WindowId();
    SDL_PushEvent(&event);
    ASSERT_TRUE(closed.Poll(&answer));
    EXPECT_FALSE(answer.accepted);
}

}  // namespace
}  // namespace bw
