// The input dialogs drawn in a second window: a text or number query, a
// yes/no question, a message to acknowledge and a login with a masked
// password. Enter answers as the first button does (or as the button that
// has the focus), Escape (or closing the window) as the last.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/modal_form.h"
#include "host/text_view.h"

namespace bw {

class HostImGuiWindow;

enum class DialogKind : int32_t { Input = 0, Question = 1, Message = 2, Login = 3 };

struct DialogForm {
    DialogKind kind = DialogKind::Input;
    std::string caption;
    std::string prompt;       // the message text of a message dialog
    std::string defaultText;  // the input's default, the login's user name
    std::string defaultPassword;
};

struct DialogAnswer {
    bool accepted = false;  // OK or Yes
    std::string text;       // the input, or the login's user name
    std::string password;
};

// The answer a form gives when the first button is pressed at once.
DialogAnswer DialogForm_DefaultAnswer(const DialogForm& form);

class HostDialogForm {
public:
    explicit HostDialogForm(const DialogForm& form);
    ~HostDialogForm();
    HostDialogForm(const HostDialogForm&) = delete;
    HostDialogForm& operator=(const HostDialogForm&) = delete;

    // False when its window could not be made.
    bool IsOpen() const;
    // Draws one frame; true once the player answered.
    bool Poll(DialogAnswer* answer);
    HostImGuiWindow& Window();

private:
    void Draw();

    DialogForm m_form;
    std::unique_ptr<HostImGuiWindow> m_window;
    HostTextView m_prompt;
    std::string m_text;
    std::string m_password;
    HostFormFocus m_focus;
    bool m_answered = false;
    DialogAnswer m_answer;
};

}  // namespace bw
