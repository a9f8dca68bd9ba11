#include "online/dialogs/dialog_provider.h"

#include <memory>

#include "host/message_box.h"
#include "host/modal_form.h"
#include "host/text_lines.h"
#include "platform/console.h"
#include "world/run_loop.h"

namespace bw {

namespace {

const char* KindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Question:
        return "question";
    case DialogKind::Message:
        return "message";
    case DialogKind::Login:
        return "login";
    case DialogKind::Input:
        break;
    }
    return "input";
}

class CHeadlessDialogProvider final : public IDialogProvider {
public:
    DialogAnswer RunModal(const DialogForm& form) override { return Answer(form); }
    void Open(const DialogForm& form) override
    {
        m_answer = Answer(form);
        m_open = true;
    }
    bool Poll(DialogAnswer* answer) override
    {
        if (!m_open) return false;
        m_open = false;
        *answer = m_answer;
        return true;
    }
    void Close() override { m_open = false; }
    bool ChooseFile(const HostFileRequest& request, std::string*) override
    {
        Console().Printf("No display: the %s dialog is cancelled\n", request.save ? "save" : "open");
        return false;
    }

private:
    static DialogAnswer Answer(const DialogForm& form)
    {
        // A message's '#' line breaks are lone CRs, which a terminal would
        // print over one another.
        Console().Printf("No display: the %s dialog \"%s\" takes its default answer\n", KindName(form.kind),
                         HostText_WithLineFeeds(form.prompt).c_str());
        return DialogForm_DefaultAnswer(form);
    }

    DialogAnswer m_answer;
    bool m_open = false;
};

class CDesktopDialogProvider final : public IDialogProvider {
public:
    DialogAnswer RunModal(const DialogForm& form) override
    {
        if (form.kind == DialogKind::Question) {
            DialogAnswer answer;
            answer.accepted = Host_AskYesNo(form.caption.c_str(), form.prompt.c_str());
            return answer;
        }
        HostDialogForm dialog(form);
        DialogAnswer answer;
        // The step waits here; the game window's messages are still served,
        // and a game that ends meanwhile (its window closed, a quit asked)
        // cancels the dialog.
        const ModalEnd end = HostModal_Run([&] { return dialog.Poll(&answer) || GameRunningFlag == 0; });
        if (end == ModalEnd::Quit || GameRunningFlag == 0) return DialogAnswer{};
        return answer;
    }
    void Open(const DialogForm& form) override { m_open = std::make_unique<HostDialogForm>(form); }
    bool Poll(DialogAnswer* answer) override
    {
        if (m_open == nullptr || !m_open->Poll(answer)) return false;
        m_open.reset();
        return true;
    }
    void Close() override { m_open.reset(); }
    bool ChooseFile(const HostFileRequest& request, std::string* path) override
    {
        if (HostFileDialog_FindChooser().empty()) {
            Console().Printf("No file chooser (zenity or kdialog) found: the %s dialog is cancelled\n",
                             request.save ? "save" : "open");
            return false;
        }
        return HostFileDialog_Choose(request, path);
    }

private:
    std::unique_ptr<HostDialogForm> m_open;
};

IDialogProvider* g_testProvider = nullptr;

}  // namespace

IDialogProvider& Dialog_Provider()
{
    // Never destroyed: an open dialog window must not outlive SDL at exit.
    static CHeadlessDialogProvider& headless = *new CHeadlessDialogProvider;
    static CDesktopDialogProvider& desktop = *new CDesktopDialogProvider;
    if (g_testProvider != nullptr) return *g_testProvider;
    if (Host_HasDisplay()) return desktop;
    return headless;
}

void Dialog_SetProvider(IDialogProvider* provider)
{
    g_testProvider = provider;
}

}  // namespace bw
