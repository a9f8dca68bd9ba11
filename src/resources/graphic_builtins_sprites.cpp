// The sprite, background and tile built-ins of the "Graphic.." group. The
// drawing ones check the resource and hand the arguments to its drawers;
// the tile ones edit the tiles of the current room, which names each tile
// by id. Sprite ids are truncated and subimages floored, while background
// and tile ids are the nearest integer: games rely on both.
#include <cmath>

#include "graphics/draw_2d.h"
#include "graphics/draw_textured.h"
#include "graphics/graphic_builtins_args.h"
#include "resources/graphic_builtins_resources.h"
#include "resources/background.h"
#include "resources/sprite.h"
#include "script/error_report.h"
#include "world/instance.h"
#include "world/room.h"

namespace bw {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// ---- sprites -----------------------------------------------------------

CSprite* SpriteToDraw(const Value& id)
{
    CSprite* sprite = Sprite_Get(Arg_TruncInt(id));
    if (sprite == nullptr) {
        Code_Error_Runtime("Trying to draw non-existing sprite.", false);
    }
    return sprite;
}

int32_t FloorToFrame(float subimage)
{
    return Real_TruncToInt32(std::floor(static_cast<double>(subimage)));
}

// A negative subimage means the calling instance's current frame.
int32_t Subimage(const Value& arg, const CInstance* self)
{
    float subimage = Arg_Float(arg);
    if (subimage < 0.0f) {
        subimage = self != nullptr ? self->i_imageindex : 0.0f;
    }
    return FloorToFrame(subimage);
}

// The whole room, for the tiled drawers.
TileArea RoomArea()
{
    const CRoom* room = Room_Current();
    return room != nullptr ? TileArea{0.0f, 0.0f, static_cast<float>(room->width), static_cast<float>(room->height)}
                           : TileArea{0.0f, 0.0f, 0.0f, 0.0f};
}

// The sprite drawers read the calling instance (its frame, or its sprite).
#define BW_SPRITE_BUILTIN(name) \
    void name(Value*, [[maybe_unused]] CInstance* self, CInstance*, int32_t, [[maybe_unused]] Value* args)

BW_SPRITE_BUILTIN(DrawSelf)
{
    CSprite* sprite = self != nullptr ? Sprite_Get(self->i_spriteindex) : nullptr;
    if (sprite == nullptr) {
        Code_Error_Runtime("Trying to draw non-existing sprite.", false);
        return;
    }
    sprite->Draw(FloorToFrame(self->i_imageindex), self->i_x, self->i_y, self->i_imagescalex, self->i_imagescaley,
                 self->i_imageangle, static_cast<uint32_t>(self->i_imageblend), self->i_imagealpha);
}

BW_SPRITE_BUILTIN(DrawSprite)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawSimple(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]));
    }
}

BW_SPRITE_BUILTIN(DrawSpriteExt)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->Draw(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                     Arg_Float(args[5]), Arg_Float(args[6]), Arg_Colour(args[7]), Arg_Float(args[8]));
    }
}

// The four corners are drawn as given; the subimage is not floored, so a
// negative one reaches the sprite as it is.
BW_SPRITE_BUILTIN(DrawSpritePos)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawPos(Arg_TruncInt(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                        Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), Arg_Float(args[8]),
                        Arg_Float(args[9]), Arg_Float(args[10]));
    }
}

BW_SPRITE_BUILTIN(DrawSpriteStretched)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawStretched(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                              Arg_Float(args[5]), kWhite, GR_GetAlpha());
    }
}

BW_SPRITE_BUILTIN(DrawSpriteStretchedExt)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawStretched(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                              Arg_Float(args[5]), Arg_Colour(args[6]), Arg_Float(args[7]));
    }
}

BW_SPRITE_BUILTIN(DrawSpritePart)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawPart(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                         Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), 1.0f, 1.0f, kWhite,
                         GR_GetAlpha());
    }
}

BW_SPRITE_BUILTIN(DrawSpritePartExt)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawPart(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                         Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), Arg_Float(args[8]),
                         Arg_Float(args[9]), Arg_Colour(args[10]), Arg_Float(args[11]));
    }
}

BW_SPRITE_BUILTIN(DrawSpriteGeneral)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawGeneral(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                            Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), Arg_Float(args[8]),
                            Arg_Float(args[9]), Arg_Float(args[10]), Arg_Colour(args[11]), Arg_Colour(args[12]),
                            Arg_Colour(args[13]), Arg_Colour(args[14]), Arg_Float(args[15]));
    }
}

BW_SPRITE_BUILTIN(DrawSpriteTiled)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawTiled(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), 1.0f, 1.0f, true, true,
                          RoomArea(), kWhite, GR_GetAlpha());
    }
}

BW_SPRITE_BUILTIN(DrawSpriteTiledExt)
{
    if (CSprite* sprite = SpriteToDraw(args[0])) {
        sprite->DrawTiled(Subimage(args[1], self), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                          Arg_Float(args[5]), true, true, RoomArea(), Arg_Colour(args[6]), Arg_Float(args[7]));
    }
}

#undef BW_SPRITE_BUILTIN

// ---- backgrounds -------------------------------------------------------

const CBackground* BackgroundToDraw(const Value& id)
{
    const CBackground* background = Background_Get(Arg_Int(id));
    if (background == nullptr) {
        Code_Error_Runtime("Trying to draw non-existing background.", false);
    }
    return background;
}

BW_BUILTIN(DrawBackground)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->Draw(Arg_Float(args[1]), Arg_Float(args[2]));
    }
}

BW_BUILTIN(DrawBackgroundExt)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawExt(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                            Arg_Float(args[5]), Arg_Colour(args[6]), Arg_Float(args[7]));
    }
}

BW_BUILTIN(DrawBackgroundStretched)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawStretched(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                                  kWhite, GR_GetAlpha());
    }
}

BW_BUILTIN(DrawBackgroundStretchedExt)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawStretched(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                                  Arg_Colour(args[5]), Arg_Float(args[6]));
    }
}

BW_BUILTIN(DrawBackgroundPart)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawPart(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                             Arg_Float(args[5]), Arg_Float(args[6]), 1.0f, 1.0f, kWhite, GR_GetAlpha());
    }
}

BW_BUILTIN(DrawBackgroundPartExt)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawPart(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                             Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), Arg_Float(args[8]),
                             Arg_Colour(args[9]), Arg_Float(args[10]));
    }
}

BW_BUILTIN(DrawBackgroundGeneral)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawGeneral(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]),
                                Arg_Float(args[5]), Arg_Float(args[6]), Arg_Float(args[7]), Arg_Float(args[8]),
                                Arg_Float(args[9]), Arg_Colour(args[10]), Arg_Colour(args[11]),
                                Arg_Colour(args[12]), Arg_Colour(args[13]), Arg_Float(args[14]));
    }
}

BW_BUILTIN(DrawBackgroundTiled)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawTiled(Arg_Float(args[1]), Arg_Float(args[2]), 1.0f, 1.0f, true, true, RoomArea(), kWhite,
                              GR_GetAlpha());
    }
}

BW_BUILTIN(DrawBackgroundTiledExt)
{
    if (const CBackground* background = BackgroundToDraw(args[0])) {
        background->DrawTiled(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4]), true,
                              true, RoomArea(), Arg_Colour(args[5]), Arg_Float(args[6]));
    }
}

// ---- tiles -------------------------------------------------------------

// The tile of the current room with that id; null when there is none.
RoomTile* FindTile(const Value& id)
{
    CRoom* room = Room_Current();
    return room != nullptr ? room->TileAt(room->FindTile(Arg_Int(id))) : nullptr;
}

RoomTile* TileToChange(const Value& id)
{
    RoomTile* tile = FindTile(id);
    if (tile == nullptr) {
        Code_Error_Runtime("Tile does not exist.", false);
    }
    return tile;
}

// The id of the tile at index, -1 for none.
double TileIdAt(CRoom* room, int32_t index)
{
    const RoomTile* tile = room->TileAt(index);
    return tile != nullptr ? tile->id : -1.0;
}

template <auto kField>
BW_BUILTIN(TileGet)
{
    if (const RoomTile* tile = FindTile(args[0])) {
        result->real = static_cast<double>(tile->*kField);
    }
}

BW_BUILTIN(TileSetVisible)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->visible = Arg_Flag(args[1]) ? 1 : 0;
    }
}

BW_BUILTIN(TileSetBackground)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->background = Arg_Int(args[1]);
    }
}

BW_BUILTIN(TileSetRegion)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->left = Arg_Int(args[1]);
        tile->top = Arg_Int(args[2]);
        tile->width = Arg_Int(args[3]);
        tile->height = Arg_Int(args[4]);
    }
}

BW_BUILTIN(TileSetPosition)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->x = Arg_Float(args[1]);
        tile->y = Arg_Float(args[2]);
    }
}

BW_BUILTIN(TileSetDepth)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->depth = Arg_Float(args[1]);
    }
}

BW_BUILTIN(TileSetScale)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->xscale = Arg_Float(args[1]);
        tile->yscale = Arg_Float(args[2]);
    }
}

BW_BUILTIN(TileSetBlend)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->blend = Arg_Colour(args[1]);
    }
}

BW_BUILTIN(TileSetAlpha)
{
    if (RoomTile* tile = TileToChange(args[0])) {
        tile->alpha = Arg_Float(args[1]);
    }
}

BW_BUILTIN(TileAdd)
{
    result->real = -1.0;
    CRoom* room = Room_Current();
    const int32_t background = Arg_Int(args[0]);
    if (!Background_Exists(background)) {
        Code_Error_Runtime("Background does not exist.", false);
        return;
    }
    if (room == nullptr) {
        return;
    }
    RoomTile tile;
    tile.background = background;
    tile.left = Arg_Int(args[1]);
    tile.top = Arg_Int(args[2]);
    tile.width = Arg_Int(args[3]);
    tile.height = Arg_Int(args[4]);
    tile.x = Arg_Float(args[5]);
    tile.y = Arg_Float(args[6]);
    tile.depth = Arg_Float(args[7]);
    result->real = TileIdAt(room, room->AddTile(tile));
}

BW_BUILTIN(TileExists)
{
    result->real = FindTile(args[0]) != nullptr ? 1.0 : 0.0;
}

BW_BUILTIN(TileDelete)
{
    CRoom* room = Room_Current();
    const int32_t index = room != nullptr ? room->FindTile(Arg_Int(args[0])) : -1;
    if (index < 0) {
        Code_Error_Runtime("Tile does not exist.", false);
        return;
    }
    room->DeleteTile(index);
}

BW_BUILTIN(TileDeleteAt)
{
    if (CRoom* room = Room_Current()) {
        room->DeleteTilesAt(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Flag(args[2]));
    }
}

BW_BUILTIN(TileFind)
{
    result->real = -1.0;
    if (CRoom* room = Room_Current()) {
        result->real = TileIdAt(room, room->FindTileAt(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Flag(args[2])));
    }
}

// The layer built-ins: one room operation on the tiles of one depth.
template <void (CRoom::*kOperation)(float)>
BW_BUILTIN(TileLayer)
{
    if (CRoom* room = Room_Current()) {
        (room->*kOperation)(Arg_Float(args[0]));
    }
}

template <void (CRoom::*kOperation)(float, float, float)>
BW_BUILTIN(TileLayerWithPoint)
{
    if (CRoom* room = Room_Current()) {
        (room->*kOperation)(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]));
    }
}

BW_BUILTIN(TileLayerFind)
{
    result->real = -1.0;
    if (CRoom* room = Room_Current()) {
        const int32_t index = room->FindTileInLayer(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]));
        result->real = TileIdAt(room, index);
    }
}

BW_BUILTIN(TileLayerDepth)
{
    if (CRoom* room = Room_Current()) {
        room->SetTileLayerDepth(Arg_Float(args[0]), Arg_Float(args[1]));
    }
}

constexpr BuiltinRegistration kSpritesToTiles[] = {
    {"draw_self", DrawSelf, 0},
    {"draw_sprite", DrawSprite, 4},
    {"draw_sprite_ext", DrawSpriteExt, 9},
    {"draw_sprite_pos", DrawSpritePos, 11},
    {"draw_sprite_stretched", DrawSpriteStretched, 6},
    {"draw_sprite_stretched_ext", DrawSpriteStretchedExt, 8},
    {"draw_sprite_part", DrawSpritePart, 8},
    {"draw_sprite_part_ext", DrawSpritePartExt, 12},
    {"draw_sprite_general", DrawSpriteGeneral, 16},
    {"draw_sprite_tiled", DrawSpriteTiled, 4},
    {"draw_sprite_tiled_ext", DrawSpriteTiledExt, 8},
    {"draw_background", DrawBackground, 3},
    {"draw_background_ext", DrawBackgroundExt, 8},
    {"draw_background_stretched", DrawBackgroundStretched, 5},
    {"draw_background_stretched_ext", DrawBackgroundStretchedExt, 7},
    {"draw_background_part", DrawBackgroundPart, 7},
    {"draw_background_part_ext", DrawBackgroundPartExt, 11},
    {"draw_background_general", DrawBackgroundGeneral, 15},
    {"draw_background_tiled", DrawBackgroundTiled, 3},
    {"draw_background_tiled_ext", DrawBackgroundTiledExt, 7},
    {"tile_get_x", TileGet<&RoomTile::x>, 1},
    {"tile_get_y", TileGet<&RoomTile::y>, 1},
    {"tile_get_left", TileGet<&RoomTile::left>, 1},
    {"tile_get_top", TileGet<&RoomTile::top>, 1},
    {"tile_get_width", TileGet<&RoomTile::width>, 1},
    {"tile_get_height", TileGet<&RoomTile::height>, 1},
    {"tile_get_depth", TileGet<&RoomTile::depth>, 1},
    {"tile_get_visible", TileGet<&RoomTile::visible>, 1},
    {"tile_get_xscale", TileGet<&RoomTile::xscale>, 1},
    {"tile_get_yscale", TileGet<&RoomTile::yscale>, 1},
    {"tile_get_blend", TileGet<&RoomTile::blend>, 1},
    {"tile_get_alpha", TileGet<&RoomTile::alpha>, 1},
    {"tile_get_background", TileGet<&RoomTile::background>, 1},
    {"tile_set_visible", TileSetVisible, 2},
    {"tile_set_background", TileSetBackground, 2},
    {"tile_set_region", TileSetRegion, 5},
    {"tile_set_position", TileSetPosition, 3},
    {"tile_set_depth", TileSetDepth, 2},
    {"tile_set_scale", TileSetScale, 3},
    {"tile_set_blend", TileSetBlend, 2},
    {"tile_set_alpha", TileSetAlpha, 2},
    {"tile_add", TileAdd, 8},
    {"tile_find", TileFind, 3},
    {"tile_exists", TileExists, 1},
    {"tile_delete", TileDelete, 1},
    {"tile_delete_at", TileDeleteAt, 3},
    {"tile_layer_hide", TileLayer<&CRoom::HideTileLayer>, 1},
    {"tile_layer_show", TileLayer<&CRoom::ShowTileLayer>, 1},
    {"tile_layer_delete", TileLayer<&CRoom::DeleteTileLayer>, 1},
    {"tile_layer_shift", TileLayerWithPoint<&CRoom::ShiftTileLayer>, 3},
    {"tile_layer_find", TileLayerFind, 3},
    {"tile_layer_delete_at", TileLayerWithPoint<&CRoom::DeleteTileLayerAt>, 3},
    {"tile_layer_depth", TileLayerDepth, 2},
};

}  // namespace

std::span<const BuiltinRegistration> GraphicBuiltins_SpritesToTiles()
{
    return kSpritesToTiles;
}

}  // namespace bw
