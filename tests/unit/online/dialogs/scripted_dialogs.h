// A dialog provider that answers as a test tells it and remembers what it
// was asked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "online/dialogs/dialog_provider.h"

namespace bw::test {

class ScriptedDialogs final : public IDialogProvider {
public:
    ScriptedDialogs() { Dialog_SetProvider(this); }
    ~ScriptedDialogs() override { Dialog_SetProvider(nullptr); }

    // Answers for the modal dialogs and file choosers, in order.
    std::deque<DialogAnswer> modalAnswers;
    std::deque<std::string> chosenFiles;  // "" cancels
    // What was asked.
    std::vector<DialogForm> modal;
    std::vector<DialogForm> opened;
    std::vector<HostFileRequest> fileRequests;
    bool open = false;

    // The open asynchronous dialog answers at the next poll.
    void Reply(bool accepted, const std::string& text = "", const std::string& password = "")
    {
        m_reply = DialogAnswer{accepted, text, password};
        m_replied = true;
    }

    DialogAnswer RunModal(const DialogForm& form) override
    {
        modal.push_back(form);
        DialogAnswer answer = modalAnswers.empty() ? DialogAnswer{} : modalAnswers.front();
        if (!modalAnswers.empty()) modalAnswers.pop_front();
        return answer;
    }
    void Open(const DialogForm& form) override
    {
        opened.push_back(form);
        open = true;
    }
    bool Poll(DialogAnswer* answer) override
    {
        if (!open || !m_replied) return false;
        *answer = m_reply;
        open = m_replied = false;
        return true;
    }
    void Close() override { open = false; }
    bool ChooseFile(const HostFileRequest& request, std::string* path) override
    {
        fileRequests.push_back(request);
        if (chosenFiles.empty() || chosenFiles.front().empty()) return false;
        *path = chosenFiles.front();
        chosenFiles.pop_front();
        return true;
    }

private:
    DialogAnswer m_reply;
    bool m_replied = false;
};

}  // namespace bw::test
