#include "host/modal_form.h"

#include <imgui.h>
#include <imgui_internal.h>

#include "host/clock.h"
#include "host/window.h"

namespace bw {

namespace {

// Often enough for typing to feel immediate, rarely enough to leave the
// processor to the rest of the desktop.
constexpr int kFrameMilliseconds = 10;
// The focus frame's distance from its button.
constexpr float kFocusMargin = 2.0f;

bool KeyTapped(ImGuiKey key)
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
    // Tab is the form's own (HostFormFocus), not ImGui's.
    ImGui::Begin("##form", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoNavInputs);
}

bool HostModal_EnterPressed()
{
    return KeyTapped(ImGuiKey_Enter) || KeyTapped(ImGuiKey_KeyPadEnter);
}

bool HostModal_EscapePressed()
{
    return KeyTapped(ImGuiKey_Escape);
}

bool HostModal_KeyPressed(int imguiKey)
{
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(imguiKey), true);
}

void HostFormFocus::BeginFrame()
{
    if (m_items > 0 && HostModal_KeyPressed(ImGuiKey_Tab)) {
        m_focus = (m_focus + (ImGui::GetIO().KeyShift ? m_items - 1 : 1)) % m_items;
        m_moved = true;
        // A field left for a button stops taking the typing.
        ImGui::ClearActiveID();
    }
    m_items = 0;
    m_next = 0;
    m_focusOnField = false;
}

bool HostFormFocus::TakeItem()
{
    ++m_items;
    return m_next++ == m_focus;
}

void HostFormFocus::Field(const std::function<void()>& drawField)
{
    const int index = m_next;
    const bool focused = TakeItem();
    if (focused && m_moved) ImGui::SetKeyboardFocusHere();
    drawField();
    if (focused) m_moved = false;
    if (ImGui::IsItemActivated() && ImGui::IsMouseClicked(ImGuiMouseButton_Left)) {
        m_focus = index;
    } else if (ImGui::IsItemActive() && m_focus != index) {
        // ImGui gives the keyboard a frame after it is asked to: a Tab that
        // came first has the last word.
        ImGui::ClearActiveID();
    }
    m_focusOnField = m_focusOnField || m_focus == index;
}

bool HostFormFocus::Button(const char* label, float width)
{
    const int index = m_next;
    const bool focused = TakeItem();
    bool pressed = ImGui::Button(label, ImVec2(width, 0.0f));
    if (focused) {
        m_moved = false;
        const ImVec2 min = ImGui::GetItemRectMin();
        const ImVec2 max = ImGui::GetItemRectMax();
        ImGui::GetWindowDrawList()->AddRect(ImVec2(min.x - kFocusMargin, min.y - kFocusMargin),
                                            ImVec2(max.x + kFocusMargin, max.y + kFocusMargin),
                                            ImGui::GetColorU32(ImGuiCol_NavHighlight));
        pressed = pressed || KeyTapped(ImGuiKey_Space) || HostModal_EnterPressed();
    }
    // A clicked button takes the focus, as in a system dialog.
    if (pressed) m_focus = index;
    return pressed;
}

}  // namespace bw
