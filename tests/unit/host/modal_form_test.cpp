// The wait of every modal dialog: it ends on the dialog's answer, and gives
// way once SIGTERM or SIGINT reaches the runner, for that dialog and for any
// opened after it.
#include "host/modal_form.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>

#include "host/dialog_forms.h"
#include "host/imgui_window.h"
#include "host/quit_signal.h"
#include "host/window.h"

namespace bw {
namespace {

class ModalWaitTest : public testing::TestWithParam<int> {};

TEST_P(ModalWaitTest, AnsweredUntilTheSignalThenEveryWaitGivesWay)
{
    // Once video is up the runner holds SIGTERM and SIGINT, as in play.
    ASSERT_TRUE(HostSdl_Start(SDL_INIT_VIDEO)) << SDL_GetError();
    int frames = 0;
    const auto answeredAtThird = [&] {
        HostWindow_PumpEvents();
        return ++frames == 3;
    };
    EXPECT_EQ(HostModal_Run(answeredAtThird), ModalEnd::Answered);
    EXPECT_EQ(frames, 3);
    EXPECT_FALSE(HostWindow_QuitRequested());

    std::raise(GetParam());
    frames = 0;
    const auto neverAnswered = [&] {
        HostWindow_PumpEvents();
        ++frames;
        return false;
    };
    EXPECT_EQ(HostModal_Run(neverAnswered), ModalEnd::Quit);
    EXPECT_EQ(frames, 0) << "the signal is seen before the window is pumped";
    EXPECT_TRUE(HostWindow_QuitRequested());

    frames = 0;
    EXPECT_EQ(HostModal_Run(answeredAtThird), ModalEnd::Quit);
    EXPECT_EQ(frames, 0) << "a dialog opened after the quit was read is not drawn";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

INSTANTIATE_TEST_SUITE_P(Signals, ModalWaitTest, testing::Values(SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "Term" : "Interrupt");
                         });

TEST(ModalFormTest, EscapePressesTheOneButtonOfAMessage)
{
    HostDialogForm form(DialogForm{DialogKind::Message, "Brackwell", "Saved.", "", ""});
    if (!form.IsOpen()) GTEST_SKIP() << "no window with a GL context here: " << SDL_GetError();
    DialogAnswer answer;
    EXPECT_FALSE(form.Poll(&answer));
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = form.Window().WindowId();
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    event.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&event);
    ASSERT_TRUE(form.Poll(&answer));
    EXPECT_TRUE(answer.accepted);
}

}  // namespace
}  // namespace bw
