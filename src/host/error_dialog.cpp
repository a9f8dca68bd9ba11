#include "host/error_dialog.h"

#include <imgui.h>

#include <optional>

#include "host/imgui_window.h"
#include "host/message_box.h"
#include "host/modal_form.h"
#include "host/text_view.h"
#include "host/window.h"

namespace bw {

namespace {

// Room for a report of a dozen lines; a longer one scrolls.
constexpr int32_t kDialogWidth = 640;
constexpr int32_t kDialogHeight = 360;
constexpr float kButtonWidth = 90.0f;

// The report above a row of buttons; an answer once one is pressed.
class ErrorPanel {
public:
    ErrorPanel(const char* text, bool canContinue)
        : m_report(text), m_canContinue(canContinue), m_focus(canContinue ? kIgnoreButton : kAbortButton)
    {
    }

    HostErrorAnswer DefaultAnswer() const { return m_canContinue ? HostErrorAnswer::Ignore : HostErrorAnswer::Abort; }

    std::optional<HostErrorAnswer> Draw()
    {
        std::optional<HostErrorAnswer> answer;
        HostModal_BeginPanel();
        m_focus.BeginFrame();
        m_report.Draw("##report", -ImGui::GetFrameHeightWithSpacing(), true);
        if (m_focus.Button("Abort", kButtonWidth)) answer = HostErrorAnswer::Abort;
        if (m_canContinue) {
            ImGui::SameLine();
            if (m_focus.Button("Ignore", kButtonWidth)) answer = HostErrorAnswer::Ignore;
        }
        // Copy and Clear keep to the right, away from the answers.
        ImGui::SameLine(ImGui::GetContentRegionMax().x - 2.0f * kButtonWidth - ImGui::GetStyle().ItemSpacing.x);
        // The clipboard lives as long as the program that holds it, and the
        // video subsystem that holds it stays up with the dialog's window.
        if (m_focus.Button("Copy", kButtonWidth) && !m_cleared) HostClipboard_SetText(m_report.Text().c_str());
        ImGui::SameLine();
        // The report is gone once cleared: Copy no longer touches the
        // clipboard, and the pane keeps a single space.
        if (m_focus.Button("Clear", kButtonWidth)) {
            m_cleared = true;
            m_report.SetText(" ");
        }
        if (!answer && HostModal_EscapePressed()) answer = DefaultAnswer();
        ImGui::End();
        return answer;
    }

private:
    // The buttons in the order Tab reaches them (Ignore only when shown).
    static constexpr int kAbortButton = 0;
    static constexpr int kIgnoreButton = 1;

    HostTextView m_report;
    bool m_canContinue;
    bool m_cleared = false;
    HostFormFocus m_focus;
};

}  // namespace

HostErrorAnswer Host_ShowErrorDialog(const char* utf8Caption, const char* utf8Text, bool canContinue)
{
    const char* caption = utf8Caption != nullptr ? utf8Caption : "";
    const char* text = utf8Text != nullptr ? utf8Text : "";
    ErrorPanel panel(text, canContinue);
    std::optional<HostImGuiWindow> window;
    if (Host_HasDisplay()) window.emplace(caption, kDialogWidth, kDialogHeight).NoteText(text);
    if (!window || !window->IsOpen()) {
        // The report must still reach someone.
        Host_ShowMessageBox(caption, text, HostMessageBoxKind::Error);
        return panel.DefaultAnswer();
    }
    std::optional<HostErrorAnswer> answer;
    const auto frame = [&] {
        window->Frame([&] { answer = panel.Draw(); });
        // Closed without a button: as Enter or Escape.
        if (!answer && window->CloseRequested()) answer = panel.DefaultAnswer();
        return answer.has_value();
    };
    // A quit asked while the report is up ends the game as Abort does.
    if (HostModal_Run(frame) == ModalEnd::Quit) return HostErrorAnswer::Abort;
    return *answer;
}

}  // namespace bw
