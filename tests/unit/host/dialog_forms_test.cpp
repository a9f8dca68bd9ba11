// An input dialog in its own ImGui window, driven by SDL events addressed
// to that window as a person's typing would be. The last frame is written
// to build/tests/dialog_smoke/dialogs/input_dialog.png for a look.
#include "host/dialog_forms.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
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

void PushKey(uint32_t window, SDL_Scancode key, bool down, uint16_t mod = KMOD_NONE, bool repeat = false)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = window;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = key;
    event.key.keysym.sym = SDL_GetKeyFromScancode(key);
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
}

// A press and its release, both queued before the form's next frame.
void PushTap(uint32_t window, SDL_Scancode key, uint16_t mod = KMOD_NONE)
{
    PushKey(window, key, true, mod);
    PushKey(window, key, false, mod);
}

// Frames until the form is answered; none when it never is.
std::optional<DialogAnswer> AnswerWithin(HostDialogForm& form, int frames)
{
    DialogAnswer answer;
    for (int frame = 0; frame < frames; ++frame) {
        if (form.Poll(&answer)) return answer;
    }
    return std::nullopt;
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

TEST(DialogFormTest, EveryTapCountsHoweverShort)
{
    HostDialogForm form(DialogForm{DialogKind::Input, "Brackwell", "Name?", "Annabelle", ""});
    if (!form.IsOpen()) GTEST_SKIP() << "no window with a GL context here";
    const uint32_t id = form.Window().WindowId();
    DialogAnswer answer;
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_FALSE(form.Poll(&answer));  // the field takes the focus, its text selected
    }
    // End leaves the selection; five taps of Backspace, then what X makes
    // of two more that come at once: a press and a repeat, one release.
    PushTap(id, SDL_SCANCODE_END);
    for (int tap = 0; tap < 5; ++tap) PushTap(id, SDL_SCANCODE_BACKSPACE);
    PushKey(id, SDL_SCANCODE_BACKSPACE, true);
    PushKey(id, SDL_SCANCODE_BACKSPACE, true, KMOD_NONE, true);
    PushKey(id, SDL_SCANCODE_BACKSPACE, false);
    PushTap(id, SDL_SCANCODE_RETURN);
    const std::optional<DialogAnswer> typed = AnswerWithin(form, 40);
    ASSERT_TRUE(typed.has_value());
    EXPECT_TRUE(typed->accepted);
    EXPECT_EQ(typed->text, "An");
}

TEST(DialogFormTest, TabMovesTheFocusAndSpacePressesItsButton)
{
    const struct {
        DialogKind kind;
        std::vector<std::pair<SDL_Scancode, uint16_t>> taps;
        bool accepted;
    } cases[] = {
        // Enter, too, presses the button that has the focus.
        {DialogKind::Question, {{SDL_SCANCODE_TAB, KMOD_NONE}, {SDL_SCANCODE_RETURN, KMOD_NONE}}, false},
        // The field, OK, Cancel: Shift+Tab from the field reaches Cancel.
        {DialogKind::Input, {{SDL_SCANCODE_TAB, KMOD_NONE}, {SDL_SCANCODE_SPACE, KMOD_NONE}}, true},
        {DialogKind::Input, {{SDL_SCANCODE_TAB, KMOD_LSHIFT}, {SDL_SCANCODE_SPACE, KMOD_NONE}}, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        HostDialogForm form(DialogForm{cases[i].kind, "Brackwell", "Go on?", "typed", ""});
        if (!form.IsOpen()) GTEST_SKIP() << "no window with a GL context here";
        const uint32_t id = form.Window().WindowId();
        // The keys come before the field has taken the keyboard.
        DialogAnswer answer;
        EXPECT_FALSE(form.Poll(&answer));
        for (const auto& [key, mod] : cases[i].taps) {
            // A modifier is let go at once, as a quick hand does.
            if (mod != KMOD_NONE) PushKey(id, SDL_SCANCODE_LSHIFT, true, mod);
            PushTap(id, key, mod);
            if (mod != KMOD_NONE) PushKey(id, SDL_SCANCODE_LSHIFT, false);
        }
        const std::optional<DialogAnswer> pressed = AnswerWithin(form, 20);
        ASSERT_TRUE(pressed.has_value());
        EXPECT_EQ(pressed->accepted, cases[i].accepted);
        // Space on a button types nothing into the field it left.
        if (pressed->accepted && cases[i].kind == DialogKind::Input) {
            EXPECT_EQ(pressed->text, "typed");
        }
    }
}

TEST(DialogFormTest, TabTakesTheLoginFromTheUserNameToThePassword)
{
    HostDialogForm form(DialogForm{DialogKind::Login, "", "", "ann", "pw"});
    if (!form.IsOpen()) GTEST_SKIP() << "no window with a GL context here";
    const uint32_t id = form.Window().WindowId();
    DialogAnswer answer;
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_FALSE(form.Poll(&answer));
    }
    PushTap(id, SDL_SCANCODE_TAB);
    // The field comes with its text selected; what is typed replaces it.
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_FALSE(form.Poll(&answer));
    }
    PushText(id, "Пароль");
    PushTap(id, SDL_SCANCODE_RETURN);
    const std::optional<DialogAnswer> login = AnswerWithin(form, 10);
    ASSERT_TRUE(login.has_value());
    EXPECT_EQ(login->text, "ann");
    EXPECT_EQ(login->password, "Пароль");
}

}  // namespace
}  // namespace bw
