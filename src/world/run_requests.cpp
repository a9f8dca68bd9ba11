#include "world/run_requests.h"

#include "script/error_report.h"
#include "world/game_state.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/run_hooks.h"

namespace bw {

namespace {

// An expression the debugger evaluates fails alone: it neither stops the
// game nor leaves a request behind.
void ReportFatal(const std::string& message)
{
    Code_Error_Runtime(message.c_str(), true);
    if (!Code_Error_DebugSuppressed()) {
        NewRoomRequest = kRequestStop;
    }
}

void RequestRoom(int32_t room)
{
    Display_State().transitionKind = 0;
    if (!Room_Exists(room)) {
        Run_StopForMissingRoom(room);
        return;
    }
    NewRoomRequest = room;
}

}  // namespace

void Run_StopForMissingRoom(int32_t room)
{
    ReportFatal(Run_ConcatMessage("Unexisting room number: ", room));
}

std::string Run_ConcatMessage(const char* text, int32_t number)
{
    std::string message = text != nullptr ? text : "";
    message += std::to_string(number);
    return message;
}

void Room_Goto(int32_t room)
{
    RequestRoom(room);
}

void Room_GotoPrevious()
{
    const int32_t current = Room_CurrentIndex();
    if (current == Room_First()) {
        ReportFatal("Moving to previous room before the first room.");
        return;
    }
    Room_Goto(Room_Previous(current));
}

void Room_GotoNext()
{
    const int32_t current = Room_CurrentIndex();
    if (current == Room_Last()) {
        ReportFatal("Moving to next room after the last room.");
        return;
    }
    Room_Goto(Room_Next(current));
}

void Room_Restart()
{
    RequestRoom(Room_CurrentIndex());
}

void Game_End()
{
    NewRoomRequest = kRequestEndGame;
}

void Game_Restart()
{
    NewRoomRequest = kRequestRestart;
}

void Run_StopFromError()
{
    NewRoomRequest = kRequestStop;
    if (Run_Hooks().postQuit != nullptr) {
        Run_Hooks().postQuit();
    }
}

}  // namespace bw
