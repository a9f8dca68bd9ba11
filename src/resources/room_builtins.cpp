// The room_* built-ins: settings, backgrounds and views of a room by index,
// its instance and tile records, and adding, copying and assigning rooms.
#include "resources/background.h"
#include "resources/resource_builtins.h"
#include "resources/resource_builtins_args.h"
#include "script/error_report.h"
#include "world/room.h"
#include "world/room_table.h"

namespace bw {
namespace {

BW_BUILTIN(RoomExists)
{
    Result_SetBool(result, Room_Exists(Arg_Int(args[0])));
}

BW_BUILTIN(RoomGetName)
{
    Result_SetString(result, Room_GetName(Arg_Int(args[0])));
}

// ---- settings: nothing happens for a missing room ----------------------

#define BW_ROOM_EDIT(name, statement)                        \
    BW_BUILTIN(name)                                         \
    {                                                        \
        if (CRoom* room = Room_Get(Arg_Int(args[0]))) {      \
            statement;                                       \
        }                                                    \
    }

BW_ROOM_EDIT(RoomSetWidth, room->width = Arg_Int(args[1]))
BW_ROOM_EDIT(RoomSetHeight, room->height = Arg_Int(args[1]))
BW_ROOM_EDIT(RoomSetCaption, room->SetCaption(Arg_Text(args[1])))
BW_ROOM_EDIT(RoomSetPersistent, room->persistent = Arg_Flag(args[1]))
BW_ROOM_EDIT(RoomSetCode, room->SetCode(Arg_Text(args[1])))
BW_ROOM_EDIT(RoomSetViewEnabled, room->viewsEnabled = Arg_Flag(args[1]))
BW_ROOM_EDIT(RoomSetBackgroundColor, {
    room->colour = Arg_Colour(args[1]);
    room->showColour = Arg_Flag(args[2]);
})
BW_ROOM_EDIT(RoomInstanceClear, room->ClearInstanceRecords())
BW_ROOM_EDIT(RoomTileClear, room->ClearTiles())

// The room and its layer n (0 to 7) of backgrounds or views; null for
// anything else.
template <typename Layer, size_t Count>
Layer* RoomLayer(const Value* args, std::array<Layer, Count> CRoom::*layers)
{
    CRoom* room = Room_Get(Arg_Int(args[0]));
    const int32_t n = Arg_Int(args[1]);
    if (room == nullptr || n < 0 || n >= static_cast<int32_t>(Count)) {
        return nullptr;
    }
    return &((*room).*layers)[static_cast<size_t>(n)];
}

// (room, n, visible, foreground, background, x, y, htiled, vtiled, hspeed,
// vspeed, alpha)
BW_BUILTIN(RoomSetBackground)
{
    RoomBackground* layer = RoomLayer(args, &CRoom::backgrounds);
    if (layer == nullptr) {
        return;
    }
    layer->visible = Arg_Flag(args[2]);
    layer->foreground = Arg_Flag(args[3]);
    layer->index = Arg_Int(args[4]);
    layer->x = Arg_Float(args[5]);
    layer->y = Arg_Float(args[6]);
    layer->htiled = Arg_Flag(args[7]);
    layer->vtiled = Arg_Flag(args[8]);
    layer->hspeed = Arg_Float(args[9]);
    layer->vspeed = Arg_Float(args[10]);
    layer->alpha = Arg_Float(args[11]);
    layer->xscale = 1.0f;
    layer->yscale = 1.0f;
}

// (room, n, visible, xview, yview, wview, hview, xport, yport, wport, hport,
// hborder, vborder, hspeed, vspeed, object); the angle stays.
BW_BUILTIN(RoomSetView)
{
    RoomView* view = RoomLayer(args, &CRoom::views);
    if (view == nullptr) {
        return;
    }
    view->visible = Arg_Flag(args[2]);
    int32_t* const fields[] = {&view->xview, &view->yview, &view->wview,   &view->hview,   &view->xport,
                               &view->yport, &view->wport, &view->hport,   &view->hborder, &view->vborder,
                               &view->hspeed, &view->vspeed, &view->object};
    for (size_t i = 0; i < std::size(fields); ++i) {
        *fields[i] = Arg_Int(args[3 + i]);
    }
}

// ---- records and the room table ----------------------------------------

BW_BUILTIN(RoomInstanceAdd)
{
    CRoom* room = Room_Get(Arg_Int(args[0]));
    Result_SetReal(result, room != nullptr ? room->AddInstanceRecord(Arg_Real(args[1]), Arg_Real(args[2]),
                                                                     Arg_Int(args[3]))
                                           : -1.0);
}

// (room, background, left, top, width, height, x, y, depth[, xscale, yscale,
// alpha]); -1 when the room or the background is missing.
void AddTile(Value* result, const Value* args, bool extended)
{
    Result_SetReal(result, -1.0);
    CRoom* room = Room_Get(Arg_Int(args[0]));
    if (room == nullptr) {
        return;
    }
    const int32_t background = Arg_Int(args[1]);
    if (!Background_Exists(background)) {
        Code_Error_Runtime("Background does not exist.", false);
        return;
    }
    const int32_t left = Arg_Int(args[2]), top = Arg_Int(args[3]), width = Arg_Int(args[4]),
                  height = Arg_Int(args[5]), x = Arg_Int(args[6]), y = Arg_Int(args[7]), depth = Arg_Int(args[8]);
    constexpr uint32_t kWhiteOpaque = 0xFFFFFFFFu;
    Result_SetReal(result, extended ? room->AddTile(background, left, top, width, height, x, y, depth,
                                                    Arg_Float(args[9]), Arg_Float(args[10]), 0xFFFFFFu,
                                                    Arg_Float(args[11]))
                                    : room->AddTileRecord(background, left, top, width, height, x, y, depth, 1.0f,
                                                          1.0f, kWhiteOpaque));
}

BW_BUILTIN(RoomTileAdd)
{
    AddTile(result, args, false);
}

BW_BUILTIN(RoomTileAddExt)
{
    AddTile(result, args, true);
}

BW_BUILTIN(RoomAdd)
{
    Result_SetReal(result, Room_Add());
}

BW_BUILTIN(RoomDuplicate)
{
    const int32_t index = Arg_Int(args[0]);
    if (!Room_Exists(index)) {
        Code_Error_Runtime("Trying to duplicate non-existing room.", false);
        return;
    }
    Result_SetReal(result, Room_Duplicate(index));
}

BW_BUILTIN(RoomAssign)
{
    if (!Room_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) {
        Code_Error_Runtime("Error assigning a room.", false);
    }
}

const BuiltinRegistration kRooms[] = {
    {"room_exists", &RoomExists, 1},
    {"room_get_name", &RoomGetName, 1},
    {"room_name", &RoomGetName, 1},
    {"room_set_width", &RoomSetWidth, 2},
    {"room_set_height", &RoomSetHeight, 2},
    {"room_set_caption", &RoomSetCaption, 2},
    {"room_set_persistent", &RoomSetPersistent, 2},
    {"room_set_code", &RoomSetCode, 2},
    {"room_set_background_color", &RoomSetBackgroundColor, 3},
    {"room_set_background", &RoomSetBackground, 12},
    {"room_set_view", &RoomSetView, 16},
    {"room_set_view_enabled", &RoomSetViewEnabled, 2},
    {"room_add", &RoomAdd, 0},
    {"room_duplicate", &RoomDuplicate, 1},
    {"room_assign", &RoomAssign, 2},
    {"room_instance_add", &RoomInstanceAdd, 4},
    {"room_instance_clear", &RoomInstanceClear, 1},
    {"room_tile_add", &RoomTileAdd, 9},
    {"room_tile_add_ext", &RoomTileAddExt, 12},
    {"room_tile_clear", &RoomTileClear, 1},
};

}  // namespace

std::span<const BuiltinRegistration> ResourceBuiltins_Rooms()
{
    return kRooms;
}

}  // namespace bw
