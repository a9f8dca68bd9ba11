#include "world/room.h"

namespace bw {

int32_t NewRoomRequest = -1;

namespace {

CRoom* g_currentRoom = nullptr;
int32_t g_currentRoomIndex = -1;

}  // namespace

CRoom* Room_Current()
{
    return g_currentRoom;
}

void Room_SetCurrent(CRoom* room, int32_t index)
{
    g_currentRoom = room;
    g_currentRoomIndex = index;
}

int32_t Room_CurrentIndex()
{
    return g_currentRoomIndex;
}

std::vector<int32_t>& Room_Order()
{
    static std::vector<int32_t> order;
    return order;
}

}  // namespace bw
