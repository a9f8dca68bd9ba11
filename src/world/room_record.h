// What a room makes its instances and tiles from each time it is entered:
// the instance and tile entries of its ROOM record, read once from the
// package into native form, or built at run time by room_add and the
// room_instance_* / room_tile_* built-ins.
//
// A template and every room made from it share one record, so the record is
// reference counted; an edit gives the edited room a record of its own first
// and never disturbs a room that is playing from the old one.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace bw {

class CCode;

struct RoomInstanceEntry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t objectIndex = -1;  // below 0: the entry creates nothing
    int32_t id = 0;
    // Package code entry of the creation code in a package that carries
    // compiled code (-1 none); `code` is bound to it when the rooms are
    // prepared, once every code entry has been verified.
    int32_t codeEntry = -1;
    std::shared_ptr<CCode> code;  // creation code, null when none
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFF;  // blend in the low 24 bits, alpha x 255 on top
    float rotation = 0.0f;         // degrees
};

struct RoomTileEntry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t background = -1;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    int32_t id = 0;
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFF;  // blend in the low 24 bits, alpha x 255 on top
};

struct RoomRecord {
    std::vector<RoomInstanceEntry> instances;
    std::vector<RoomTileEntry> tiles;
};

// The alpha byte of a record colour: 0..1 scaled to 0..255, rounded; NaN and
// values below 0 give 0, values above 1 give 255.
uint32_t RoomRecord_AlphaByte(float alpha);

}  // namespace bw
