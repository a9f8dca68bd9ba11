// What every modal dialog of the runner shares: the wait that keeps its
// window drawn until it is answered, which gives way when the system asks
// the runner to quit (SIGTERM, SIGINT), and the panel that fills its window.
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

}  // namespace bw
