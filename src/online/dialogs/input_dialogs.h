// The input dialogs game code asks through: modal ones return their answer
// at once; asynchronous ones are requests on the asynchronous request list,
// shown one at a time (oldest first), whose answer reaches game code as
// "other" event 63 with async_load holding:
//   text or number input, question: "id", "result", "value", "status"
//   login: "id", "username", "password", "status"
//   message: "id", "status"
// "status" is 1 for OK or Yes, 0 for Cancel or No.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

inline constexpr int32_t kDialogAsyncEvent = 63;

// True for OK; *result gets the entered text (empty after Cancel).
bool InputQuery_Modal(const char* caption, const char* prompt, const char* defaultText, std::string* result);
// True for Yes.
bool InputQuery_QuestionModal(const char* caption, const char* prompt);

// Each queues a dialog and returns its request id.
int32_t InputQuery_StringAsync(const char* caption, const char* prompt, const char* defaultText);
int32_t InputQuery_QuestionAsync(const char* caption, const char* prompt);
int32_t InputQuery_MessageAsync(const char* caption, const char* text);
int32_t InputQuery_LoginAsync(const char* userName, const char* password);

// Answers the request with that id (dropped when it is gone).
void InputQuery_Answer(int32_t id, bool accepted, const std::string& text, const std::string& password);

// Closes the open dialog and forgets the queued ones (game end).
void InputQuery_CloseAll();

}  // namespace bw
