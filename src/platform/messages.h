// Every waiting loop of the runner (frame wait, sleeps, waiting for a started
// program, dialogs) pumps the window's messages so the game window stays
// responsive. The window layer registers the pump; until it does, pumping
// does nothing.
#pragma once

namespace bw {

using MessagePump = void (*)();

void ProcessMessages();
void ProcessMessages_SetPump(MessagePump pump);

}  // namespace bw
