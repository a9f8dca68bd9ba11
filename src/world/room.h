// The run-time room, as far as instances and the built-in variables need it
// today: its settings, its eight background layers and eight views, and its
// two instance lists. Tiles, the physics world, creation code and the ROOM
// reader join this record with the rest of the room code.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "world/instance_list.h"

namespace bw {

inline constexpr int32_t kRoomBackgroundCount = 8;
inline constexpr int32_t kRoomViewCount = 8;

struct RoomBackground {
    uint8_t visible = 0;
    uint8_t foreground = 0;
    int32_t index = -1;  // background resource
    float x = 0.0f;
    float y = 0.0f;
    uint8_t htiled = 1;
    uint8_t vtiled = 1;
    float hspeed = 0.0f;
    float vspeed = 0.0f;
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t blend = 0xFFFFFF;
    float alpha = 1.0f;
};

struct RoomView {
    uint8_t visible = 0;
    int32_t xview = 0;
    int32_t yview = 0;
    int32_t wview = 640;
    int32_t hview = 480;
    int32_t xport = 0;
    int32_t yport = 0;
    int32_t wport = 640;
    int32_t hport = 480;
    float angle = 0.0f;
    int32_t hborder = 32;
    int32_t vborder = 32;
    int32_t hspeed = -1;  // -1: no limit
    int32_t vspeed = -1;
    int32_t object = -1;      // object or instance followed, -1 none
    int32_t surfaceId = -1;   // -1: draw to the screen
};

class CRoom {
public:
    CRoom() = default;
    virtual ~CRoom() = default;
    CRoom(const CRoom&) = delete;
    CRoom& operator=(const CRoom&) = delete;

    void SetCaption(const char* text) { caption = text != nullptr ? text : ""; }

    std::string caption;
    int32_t speed = 30;
    int32_t width = 640;
    int32_t height = 480;
    uint8_t persistent = 0;
    uint32_t colour = 0xC0C0C0;
    uint8_t showColour = 1;
    std::array<RoomBackground, kRoomBackgroundCount> backgrounds{};
    uint8_t viewsEnabled = 0;
    std::array<RoomView, kRoomViewCount> views{};

    InstanceList activeInstances;       // ascending depth
    InstanceList deactivatedInstances;  // in the order of deactivation
};

// The room being played (null before the first room starts) and its index.
CRoom* Room_Current();
void Room_SetCurrent(CRoom* room, int32_t index);
int32_t Room_CurrentIndex();

// The room order of the game header: "next", "previous" and the first room.
std::vector<int32_t>& Room_Order();

// The pending room change: -1 none, a room index, -100 end, -200 restart,
// -400 stop. Set by game code, errors and the debugger; served by the frame
// tick right after the step.
extern int32_t NewRoomRequest;

}  // namespace bw
