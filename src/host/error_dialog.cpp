#include "host/error_dialog.h"

#include <imgui.h>

#include <optional>

#include "host/imgui_window.h"
#include "host/message_box.h"
#include "host/modal_form.h"
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
    ErrorPanel(const char* text, bool canContinue) : m_text(text), m_canContinue(canContinue) {}

    HostErrorAnswer DefaultAnswer() const { return m_canContinue ? HostErrorAnswer::Ignore : HostErrorAnswer::Abort; }

    std::optional<HostErrorAnswer> Draw() const
    {
        std::optional<HostErrorAnswer> answer;
        HostModal_BeginPanel();
        ImGui::BeginChild("##report", ImVec2(0.0f, -ImGui::GetFrameHeightWithSpacing()), true);
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextUnformatted(m_text);
        ImGui::PopTextWrapPos();
        ImGui::EndChild();
        if (ImGui::Button("Abort", ImVec2(kButtonWidth, 0.0f))) answer = HostErrorAnswer::Abort;
        if (m_canContinue) {
            ImGui::SameLine();
            if (ImGui::Button("Ignore", ImVec2(kButtonWidth, 0.0f))) answer = HostErrorAnswer::Ignore;
        }
        ImGui::SameLine();
        // The clipboard lives as long as the program that holds it, and the
        // video subsystem that holds it stays up with the dialog's window.
        if (ImGui::Button("Copy", ImVec2(kButtonWidth, 0.0f))) HostClipboard_SetText(m_text);
        if (!answer && (HostModal_EnterPressed() || HostModal_EscapePressed())) answer = DefaultAnswer();
        ImGui::End();
        return answer;
    }

private:
    const char* m_text;
    bool m_canContinue;
};

}  // namespace

HostErrorAnswer Host_ShowErrorDialog(const char* utf8Caption, const char* utf8Text, bool canContinue)
{
    const char* caption = utf8Caption != nullptr ? utf8Caption : "";
    const char* text = utf8Text != nullptr ? utf8Text : "";
    const ErrorPanel panel(text, canContinue);
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
