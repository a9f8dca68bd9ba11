#include "host/dialog_forms.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include "host/imgui_window.h"

namespace bw {

namespace {

constexpr int32_t kFormWidth = 420;
constexpr int32_t kFormHeight = 170;
constexpr int32_t kLoginHeight = 190;
constexpr float kButtonWidth = 90.0f;

const char* FirstButton(DialogKind kind)
{
    return kind == DialogKind::Question ? "Yes" : "OK";
}

// The last button, or none for a message, which has only OK.
const char* LastButton(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Question:
        return "No";
    case DialogKind::Message:
        return nullptr;
    case DialogKind::Input:
    case DialogKind::Login:
        break;
    }
    return "Cancel";
}

const char* WindowTitle(const DialogForm& form)
{
    switch (form.kind) {
    case DialogKind::Login:
        return "Login";
    case DialogKind::Message:
        return form.caption.empty() ? "Dialog" : form.caption.c_str();
    case DialogKind::Input:
    case DialogKind::Question:
        break;
    }
    return form.caption.c_str();
}

}  // namespace

DialogAnswer DialogForm_DefaultAnswer(const DialogForm& form)
{
    DialogAnswer answer;
    answer.accepted = true;
    if (form.kind == DialogKind::Input || form.kind == DialogKind::Login) answer.text = form.defaultText;
    if (form.kind == DialogKind::Login) answer.password = form.defaultPassword;
    return answer;
}

HostDialogForm::HostDialogForm(const DialogForm& form)
    : m_form(form),
      m_window(std::make_unique<HostImGuiWindow>(WindowTitle(form), kFormWidth,
                                                 form.kind == DialogKind::Login ? kLoginHeight : kFormHeight)),
      m_prompt(form.prompt),
      m_text(form.defaultText),
      m_password(form.defaultPassword)
{
    m_window->NoteText(form.prompt + form.defaultText);
}

HostDialogForm::~HostDialogForm() = default;

bool HostDialogForm::IsOpen() const
{
    return m_window->IsOpen();
}

HostImGuiWindow& HostDialogForm::Window()
{
    return *m_window;
}

bool HostDialogForm::Poll(DialogAnswer* answer)
{
    if (!m_answered && IsOpen()) {
        m_window->Frame([this] { Draw(); });
        if (!m_answered && m_window->CloseRequested()) {
            m_answered = true;
            m_answer = DialogAnswer{};
        }
    }
    if (!IsOpen() && !m_answered) {
        m_answered = true;  // nothing to show it in: cancelled
    }
    if (m_answered) *answer = m_answer;
    return m_answered;
}

void HostDialogForm::Draw()
{
    HostModal_BeginPanel();
    m_focus.BeginFrame();
    const DialogKind kind = m_form.kind;
    if (kind == DialogKind::Login) {
        ImGui::TextUnformatted("Username");
        m_focus.Field([this] { ImGui::InputText("##user", &m_text); });
        ImGui::TextUnformatted("Password");
        m_focus.Field([this] { ImGui::InputText("##password", &m_password, ImGuiInputTextFlags_Password); });
    } else {
        // A long text scrolls above the field and the buttons, which stay
        // in view.
        const float rows = kind == DialogKind::Input ? 2.0f : 1.0f;
        m_prompt.Draw("##prompt", -rows * ImGui::GetFrameHeightWithSpacing(), false);
        if (kind == DialogKind::Input) {
            ImGui::SetNextItemWidth(-1.0f);
            m_focus.Field([this] { ImGui::InputText("##answer", &m_text); });
        }
    }
    ImGui::Spacing();
    const char* lastLabel = LastButton(kind);
    // A message's one button is also its last: Escape presses it too.
    bool first = m_focus.Button(FirstButton(kind), kButtonWidth) || (m_focus.OnField() && HostModal_EnterPressed()) ||
                 (lastLabel == nullptr && HostModal_EscapePressed());
    bool last = false;
    if (lastLabel != nullptr) {
        ImGui::SameLine();
        last = m_focus.Button(lastLabel, kButtonWidth) || HostModal_EscapePressed();
    }
    ImGui::End();
    if (first) {
        m_answered = true;
        m_answer.accepted = true;
        m_answer.text = kind == DialogKind::Input || kind == DialogKind::Login ? m_text : std::string();
        m_answer.password = kind == DialogKind::Login ? m_password : std::string();
    } else if (last) {
        m_answered = true;
        m_answer = DialogAnswer{};
    }
}

}  // namespace bw
