// The new-room request codes and the back ends of the built-ins that set
// them: room_goto and its relatives, game_end and game_restart. The frame
// tick serves the request right after the step that set it.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

inline constexpr int32_t kRequestNone = -1;
inline constexpr int32_t kRequestEndGame = -100;
inline constexpr int32_t kRequestRestart = -200;
inline constexpr int32_t kRequestStop = -400;

// Whether a room change, restart, end or stop waits for the end of the
// step. No event runs meanwhile, so a pass that would hand out something due
// once (an alarm, a moment, a reply) leaves it for a later step instead.
extern int32_t NewRoomRequest;  // room.h
inline bool Run_RequestPending()
{
    return NewRoomRequest != kRequestNone;
}

// Asks for the room; a room that does not exist stops the game with a fatal
// "Unexisting room number: " error.
void Room_Goto(int32_t room);
// The previous or next room of the room order; before the first or after
// the last room the game stops with a fatal error.
void Room_GotoPrevious();
void Room_GotoNext();
// Enters the current room again.
void Room_Restart();
void Game_End();
void Game_Restart();

// The message of a report: the text followed by the number in decimal.
std::string Run_ConcatMessage(const char* text, int32_t number);

// A request for a room index with no room behind it (written straight into
// `room`): the fatal "Unexisting room number: " error and a stop.
void Run_StopForMissingRoom(int32_t room);

// What a fatal error does to the run: the stop request, and the quit
// message to the window.
void Run_StopFromError();

}  // namespace bw
