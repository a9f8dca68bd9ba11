#include "online/dialogs/input_dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <vector>

#include "graphics/screen.h"
#include "library/ds_map.h"
#include "platform/string_utf8.h"
#include "platform/strings.h"
#include "online/dialogs/async_requests.h"
#include "online/dialogs/dialog_provider.h"

namespace bw {

namespace {

// What the dialogs keep of a default and of an answer, in characters.
constexpr int32_t kDefaultCharacters = 2049;
constexpr int32_t kAnswerCharacters = 1024;

std::string Text(const char* text)
{
    return text != nullptr ? text : "";
}

std::string Prefix(const std::string& text, int32_t characters)
{
    return UTF8_Substring(text.c_str(), 0, characters);
}

class CDialogRequest;

// Queued asynchronous dialogs, oldest first; the first is the one shown.
struct DialogQueue {
    std::deque<CDialogRequest*> queued;
    bool shown = false;
};
// Never destroyed, like the request list whose records point into it.
DialogQueue& Queue()
{
    static DialogQueue& queue = *new DialogQueue;
    return queue;
}

void Dialog_ShowNext();

class CDialogRequest final : public CAsyncRequest {
public:
    explicit CDialogRequest(const DialogForm& form) : m_form(form) {}
    ~CDialogRequest() override { Unqueue(); }

    const DialogForm& Form() const { return m_form; }

    void Answer(bool accepted, const std::string& text, const std::string& password)
    {
        // Cancel and No answer with empty texts, whatever the fields held.
        m_accepted = accepted;
        m_text = accepted ? Prefix(text, kAnswerCharacters) : std::string();
        m_password = accepted ? Prefix(password, kAnswerCharacters) : std::string();
        status = kAsyncFinished;
    }

    int32_t Complete(int32_t* asyncMap) override
    {
        const double id = Id();
        const double accepted = m_accepted ? 1.0 : 0.0;
        switch (m_form.kind) {
        case DialogKind::Input:
        case DialogKind::Question: {
            const std::string result = m_form.kind == DialogKind::Question ? (m_accepted ? "1" : "") : m_text;
            const DSMapPair pairs[] = {{"id", id, nullptr},
                                       {"result", 0, result.c_str()},
                                       {"value", String_ReadDecimal(result.c_str()), nullptr},
                                       {"status", accepted, nullptr}};
            *asyncMap = DS_Map_CreateWithPairs(pairs);
            break;
        }
        case DialogKind::Login: {
            const DSMapPair pairs[] = {{"id", id, nullptr},
                                       {"username", 0, m_text.c_str()},
                                       {"password", 0, m_password.c_str()},
                                       {"status", accepted, nullptr}};
            *asyncMap = DS_Map_CreateWithPairs(pairs);
            break;
        }
        case DialogKind::Message: {
            // A message has only its OK, however it was closed.
            const DSMapPair pairs[] = {{"id", id, nullptr}, {"status", 1.0, nullptr}};
            *asyncMap = DS_Map_CreateWithPairs(pairs);
            break;
        }
        }
        return kDialogAsyncEvent;
    }

    // The next dialog opens only once this one's event has run.
    void Cleanup() override
    {
        Unqueue();
        Dialog_ShowNext();
    }

private:
    // A request that goes while its dialog is shown closes the dialog.
    void Unqueue()
    {
        DialogQueue& queue = Queue();
        if (queue.shown && !queue.queued.empty() && queue.queued.front() == this) {
            queue.shown = false;
            Dialog_Provider().Close();
        }
        queue.queued.erase(std::remove(queue.queued.begin(), queue.queued.end(), this), queue.queued.end());
    }

    DialogForm m_form;
    bool m_accepted = false;
    std::string m_text;
    std::string m_password;
};

void Dialog_ShowNext()
{
    DialogQueue& queue = Queue();
    if (queue.shown || queue.queued.empty()) return;
    queue.shown = true;
    Dialog_Provider().Open(queue.queued.front()->Form());
}

// Each step: the shown dialog's answer, once there is one, finishes its
// request, which the same pass then completes.
void PollShownDialog()
{
    DialogQueue& queue = Queue();
    if (!queue.shown || queue.queued.empty()) return;
    DialogAnswer answer;
    if (!Dialog_Provider().Poll(&answer)) return;
    CDialogRequest* shown = queue.queued.front();
    InputQuery_Answer(shown->Id(), answer.accepted, answer.text, answer.password);
}

int32_t Enqueue(const DialogForm& form)
{
    GR_D3D_LeaveFullscreen();
    AsyncRequest_AddPoller(&PollShownDialog);
    auto request = std::make_unique<CDialogRequest>(form);
    CDialogRequest* added = request.get();
    AsyncRequest_Add(std::move(request));
    Queue().queued.push_back(added);
    Dialog_ShowNext();
    return added->Id();
}

DialogForm Form(DialogKind kind, const char* caption, const char* prompt)
{
    DialogForm form;
    form.kind = kind;
    form.caption = Text(caption);
    form.prompt = Text(prompt);
    return form;
}

}  // namespace

bool InputQuery_Modal(const char* caption, const char* prompt, const char* defaultText, std::string* result)
{
    GR_D3D_LeaveFullscreen();
    DialogForm form = Form(DialogKind::Input, caption, prompt);
    form.defaultText = Prefix(Text(defaultText), kDefaultCharacters);
    const DialogAnswer answer = Dialog_Provider().RunModal(form);
    *result = answer.accepted ? Prefix(answer.text, kAnswerCharacters) : std::string();
    return answer.accepted;
}

bool InputQuery_QuestionModal(const char* caption, const char* prompt)
{
    GR_D3D_LeaveFullscreen();
    return Dialog_Provider().RunModal(Form(DialogKind::Question, caption, prompt)).accepted;
}

int32_t InputQuery_StringAsync(const char* caption, const char* prompt, const char* defaultText)
{
    DialogForm form = Form(DialogKind::Input, caption, prompt);
    form.defaultText = Prefix(Text(defaultText), kDefaultCharacters);
    return Enqueue(form);
}

int32_t InputQuery_QuestionAsync(const char* caption, const char* prompt)
{
    return Enqueue(Form(DialogKind::Question, caption, prompt));
}

int32_t InputQuery_MessageAsync(const char* caption, const char* text)
{
    return Enqueue(Form(DialogKind::Message, caption, text));
}

int32_t InputQuery_LoginAsync(const char* userName, const char* password)
{
    DialogForm form = Form(DialogKind::Login, "Login", "");
    form.defaultText = Text(userName);
    form.defaultPassword = Text(password);
    return Enqueue(form);
}

void InputQuery_Answer(int32_t id, bool accepted, const std::string& text, const std::string& password)
{
    DialogQueue& queue = Queue();
    auto found = std::find_if(queue.queued.begin(), queue.queued.end(),
                              [id](const CDialogRequest* request) { return request->Id() == id; });
    if (found == queue.queued.end() || AsyncRequest_Find(id) == nullptr) return;
    (*found)->Answer(accepted, text, password);
}

void InputQuery_CloseAll()
{
    std::vector<int32_t> ids;
    for (const CDialogRequest* request : Queue().queued) ids.push_back(request->Id());
    for (int32_t id : ids) AsyncRequest_Drop(id);
}

}  // namespace bw
