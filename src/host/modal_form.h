// What every modal dialog of the runner shares: the wait that keeps its
// window drawn until it is answered, which gives way when the system asks
// the runner to quit (SIGTERM, SIGINT), the panel that fills its window,
// and the keyboard focus that moves between its fields and buttons.
#pragma once

#include <functional>

namespace bw {

enum class ModalEnd { Answered, Quit };

// Draws frames (frame() draws one and says whether the dialog was answered)
// until an answer or a quit; nothing is drawn once a quit was asked.
ModalEnd HostModal_Run(const std::function<bool()>& frame);

// Inside a frame: begins the one ImGui panel that covers the whole window
// (closed with ImGui::End()), and the keys that answer a dialog.
void HostModal_BeginPanel();
bool HostModal_EnterPressed();
bool HostModal_EscapePressed();
// An ImGuiKey pressed in this frame, or repeating while held.
bool HostModal_KeyPressed(int imguiKey);

// The keyboard focus of a form, as a system dialog has it: Tab moves it
// through the fields and then the buttons, in the order they are drawn
// (Shift+Tab back), and Space or Enter press the button that has it. The
// focus is shown as a frame around its button.
class HostFormFocus {
public:
    // The item (field or button, counted in drawing order) that has the
    // focus when the form opens.
    explicit HostFormFocus(int initial = 0) : m_focus(initial) {}

    // Right after HostModal_BeginPanel(): reads Tab and Shift+Tab.
    void BeginFrame();
    // Draws a text field (an ImGui item drawn by drawField), giving it the
    // keyboard when the focus comes to it and the focus when it is clicked.
    void Field(const std::function<void()>& drawField);
    // Draws a button; true when it was clicked, or Space or Enter pressed
    // it while it had the focus.
    bool Button(const char* label, float width);
    // A text field has the focus: Enter answers as the first button does.
    bool OnField() const { return m_focusOnField; }

private:
    bool TakeItem();

    int m_focus;
    int m_items = 0;        // drawn in the last frame
    int m_next = 0;         // the next item drawn in this frame
    bool m_moved = true;    // the focused field must take the keyboard
    bool m_focusOnField = false;
};

}  // namespace bw
