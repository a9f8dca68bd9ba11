// Moving the game between rooms and in and out of existence: leaving a room
// (room-end events, persistent instances carried along, the room kept when
// it is persistent), entering one (a fresh copy of its definition or the
// kept one, carried instances placed, creation code and create events,
// game-start and room-start events, a first drawing), starting and ending
// the game.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace bw {

class CRoom;

// Leaves the current room; with gameEnding the game-end event runs too.
void Run_EndRoom(bool gameEnding);
// Enters room `room`; with gameStart the game-start event runs too.
void Run_StartRoom(int32_t room, bool gameStart);
void Run_GotoRoom(int32_t room);

// Starts a run in the first room of the room order (none when the order is
// empty or an extension fails to initialise).
void StartGame();
// Ends the run: game-end events, every run-time room deleted.
void Run_EndGame();

// Sets the run globals to their first values (early start-up): no run,
// no pause, score 0 shown, lives -1 and health 100 hidden, "Health: " as
// the health caption, no cursor sprite, draw events on.
void Run_InitCaptions();

// Deletes the copies of persistent instances still waiting for the next
// room (shut-down, game end).
void Run_FreeCarried();
int32_t Run_CarriedCount();

// The run-time copy of room index `room` (null when it was never entered or
// was left without being persistent), and the number of slots.
CRoom* Run_RoomSlot(int32_t room);
int32_t Run_RoomSlotCount();
// A loaded game's run-time rooms take the place of every slot; the rooms
// held before are deleted with their instances. The caller names the
// current room afterwards.
void Run_ReplaceRoomSlots(std::vector<std::unique_ptr<CRoom>> rooms);

}  // namespace bw
