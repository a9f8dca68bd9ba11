#include "host/modal_form.h"

#include <imgui.h>

#include "host/clock.h"
#include "host/window.h"

namespace bw {

namespace {

// Often enough for typing to feel immediate, rarely enough to leave the
// processor to the rest of the desktop.
constexpr int kFrameMilliseconds = 10;

bool KeyPressed(ImGuiKey key)
{
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key), false);
}

}  // namespace

ModalEnd HostModal_Run(const std::function<bool()>& frame)
{
    for (;;) {
        if (HostWindow_QuitRequested()) return ModalEnd::Quit;
        if (frame()) return ModalEnd::Answered;
        Host_SleepMilliseconds(kFrameMilliseconds);
    }
}

void HostModal_BeginPanel()
{
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->Pos);
    ImGui::SetNextWindowSize(viewport->Size);
    ImGui::Begin("##form", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
}

bool HostModal_EnterPressed()
{
    return KeyPressed(ImGuiKey_Enter) || KeyPressed(ImGuiKey_KeyPadEnter);
}

bool HostModal_EscapePressed()
{
    return KeyPressed(ImGuiKey_Escape);
}

}  // namespace bw
