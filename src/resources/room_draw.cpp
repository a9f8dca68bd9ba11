#include "resources/room_draw.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "graphics/display.h"
#include "graphics/draw_2d.h"
#include "graphics/draw_textured.h"
#include "graphics/game_window.h"
#include "graphics/graphics_3d.h"
#include "graphics/screen.h"
#include "graphics/surfaces.h"
#include "graphics/texture_records.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "platform/real_to_int.h"
#include "resources/background.h"
#include "resources/sprite.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/room.h"
#include "world/run_step.h"

namespace bw {

namespace {

constexpr float kBackgroundZ = 12000.0f;
constexpr float kForegroundZ = -12000.0f;
constexpr float kAfterForegroundZ = -13000.0f;
constexpr float kBandZLimit = 11000.0f;
constexpr int32_t kDrawGuiEvent = 64;
constexpr int32_t kMinimumPortSize = 8;

struct RoomDrawState {
    RoomDrawRectangle rectangle;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    ParticleDepthBands particles;
};
RoomDrawState g_draw;

// The scale factors are shared with the window's mouse mapping.
void SetViewScale(float x, float y)
{
    g_draw.scaleX = x;
    g_draw.scaleY = y;
    Window_SetBufferScale(x, y);
}

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
}

// A room keeps any size it is given, but the screen and the projection
// made from it need an area: at least one pixel each way.
int32_t DrawnExtent(int64_t roomExtent)
{
    return Saturate(std::max<int64_t>(roomExtent, 1));
}

bool Drawable(const CInstance* instance)
{
    return !instance->i_marked && !instance->i_deactivated && instance->i_visible;
}

// ---- following ---------------------------------------------------------

CInstance* FollowedInstance(int32_t followed)
{
    if (followed >= kInstanceIdFirst) {
        CInstance* instance = Instance_Find(followed);
        return instance != nullptr && !instance->i_marked && !instance->i_deactivated ? instance : nullptr;
    }
    const CObject* object = Object_Find(followed);
    if (object == nullptr) {
        return nullptr;
    }
    for (CInstance* instance : object->descendantInstances) {
        if (!instance->i_marked && !instance->i_deactivated) {
            return instance;
        }
    }
    return nullptr;
}

// One axis of a following view: the new start of the view so that the
// target stays `border` pixels inside it (centred when the borders overlap).
int64_t FollowAxis(int64_t target, int64_t start, int64_t size, int64_t border, int64_t limit, int64_t speed)
{
    int64_t wanted = start;
    if (2 * border < size) {
        if (target - border < start) {
            wanted = target - border;
        } else if (target + border > start + size) {
            wanted = target + border - size;
        }
    } else {
        wanted = target - size / 2;
    }
    if (wanted < 0) {
        wanted = 0;
    }
    if (wanted + size > limit) {
        wanted = limit - size;
    }
    if (speed >= 0 && std::abs(wanted - start) > speed) {
        wanted = wanted > start ? start + speed : start - speed;
    }
    return wanted;
}

void FollowInstance(const CRoom& room, RoomView& view)
{
    CInstance* target = FollowedInstance(view.object);
    if (target == nullptr) {
        return;
    }
    target->GetBBox();
    const int64_t x = Real_RoundToInt32(target->i_x);
    const int64_t y = Real_RoundToInt32(target->i_y);
    view.xview = Saturate(FollowAxis(x, view.xview, view.wview, view.hborder, room.width, view.hspeed));
    view.yview = Saturate(FollowAxis(y, view.yview, view.hview, view.vborder, room.height, view.vspeed));
}

// Hands the visible views to the window's mouse mapping.
void PublishViewMappings(const CRoom& room)
{
    for (int32_t index = 0; index < kRoomViewCount; ++index) {
        Window_ClearViewMapping(index);
        const RoomView& view = room.views[static_cast<size_t>(index)];
        if (!view.visible) {
            continue;
        }
        Window_SetViewMapping(index, static_cast<float>(view.xport), static_cast<float>(view.yport),
                              static_cast<float>(view.wport), static_cast<float>(view.hport),
                              static_cast<float>(view.xview), static_cast<float>(view.yview),
                              static_cast<float>(view.wview), static_cast<float>(view.hview), view.angle,
                              static_cast<float>(view.surfaceId));
    }
}

// How far the visible ports reach right and down from the window's corner:
// the size the window gets at room start, and so what the window is scaled
// over while drawing, so that every port keeps its own place. 0 when no
// view is visible.
struct PortExtent {
    int64_t width = 0;
    int64_t height = 0;
};

PortExtent VisiblePortExtent(const CRoom& room)
{
    PortExtent extent;
    bool any = false;
    for (const RoomView& view : room.views) {
        if (view.visible) {
            any = true;
            extent.width = std::max(extent.width, int64_t{view.xport} + view.wport);
            extent.height = std::max(extent.height, int64_t{view.yport} + view.hport);
        }
    }
    if (any) {
        extent.width = std::max<int64_t>(extent.width, kMinimumPortSize);
        extent.height = std::max<int64_t>(extent.height, kMinimumPortSize);
    }
    return extent;
}

void ClearViewMappings()
{
    for (int32_t index = 0; index < kRoomViewCount; ++index) {
        Window_ClearViewMapping(index);
    }
}

// Window size over the ports' extent; an extent of nothing (no visible
// view) would give an infinite scale, so the scale then stays 1.
float ScaleOver(int32_t windowSize, int64_t extent)
{
    return extent > 0 ? static_cast<float>(windowSize) / static_cast<float>(extent) : 1.0f;
}

// ---- the depth-ordered merge -------------------------------------------

float BandZ(float depth)
{
    return std::min(depth, kBandZLimit);
}

int32_t WholeFrame(float imageIndex)
{
    return Real_TruncToInt32(imageIndex);
}

void DrawInstance(CInstance* instance)
{
    GR_3D_SetDepth(BandZ(instance->i_depth));
    const CObject* object = instance->i_object;
    if (object != nullptr && object->HasEvent(kEventDraw, 0)) {
        Event_Perform(instance, instance, kEventDraw, 0);
        return;
    }
    CSprite* sprite = Sprite_Get(instance->i_spriteindex);
    if (sprite == nullptr) {
        return;
    }
    const int32_t frame = WholeFrame(instance->i_imageindex);
    if (instance->i_imagescalex == 1.0f && instance->i_imagescaley == 1.0f && instance->i_imageangle == 0.0f &&
        instance->i_imageblend == 0xFFFFFF && instance->i_imagealpha == 1.0f) {
        sprite->DrawSimple(frame, instance->i_x, instance->i_y);
    } else {
        sprite->Draw(frame, instance->i_x, instance->i_y, instance->i_imagescalex, instance->i_imagescaley,
                     instance->i_imageangle, static_cast<uint32_t>(instance->i_imageblend), instance->i_imagealpha);
    }
}

// A tile is drawn when its rectangle meets the draw rectangle, edges
// included. The rectangle is taken whichever way the scales turn it, so a
// mirrored tile is found where it actually lies.
bool TileMeets(const RoomTile& tile, const RoomDrawRectangle& area)
{
    const float x2 = tile.x + static_cast<float>(tile.width) * tile.xscale;
    const float y2 = tile.y + static_cast<float>(tile.height) * tile.yscale;
    return std::max(tile.x, x2) >= static_cast<float>(area.left) &&
           std::min(tile.x, x2) <= static_cast<float>(area.right) &&
           std::max(tile.y, y2) >= static_cast<float>(area.top) &&
           std::min(tile.y, y2) <= static_cast<float>(area.bottom);
}

void DrawTile(const RoomTile& tile, const RoomDrawRectangle& area)
{
    GR_3D_SetDepth(BandZ(tile.depth));
    const CBackground* background = Background_Get(tile.background);
    if (background == nullptr || !TileMeets(tile, area)) {
        return;
    }
    background->DrawPart(static_cast<float>(tile.left), static_cast<float>(tile.top), static_cast<float>(tile.width),
                         static_cast<float>(tile.height), tile.x, tile.y, tile.xscale, tile.yscale, tile.blend,
                         tile.alpha);
}

std::optional<float> FirstParticleDepth()
{
    return g_draw.particles.maxDepth != nullptr ? g_draw.particles.maxDepth() : std::nullopt;
}

std::optional<float> NextParticleDepth(float depth)
{
    return g_draw.particles.nextDepth != nullptr ? g_draw.particles.nextDepth(depth) : std::nullopt;
}

void DrawParticles(float depth)
{
    GR_3D_SetDepth(BandZ(depth));
    if (g_draw.particles.drawDepth != nullptr) {
        g_draw.particles.drawDepth(depth);
    }
}

// Tiles (sorted deepest first), instances (from the tail of the active
// list: deepest first) and particle bands merged by depth. At equal depth an
// instance goes before a tile, and a particle band after an instance but
// before a tile. Draw events may add or remove tiles and instances, so the
// tile walk keeps in step with the array (a tile deleted meanwhile moves
// none of the others past it) and the instance walk takes the next
// instance only after the current one has drawn. Rooms without tiles or
// particles take the same walk with those sequences empty.
void Room_DrawBandBackgrounds(CRoom& room, const RoomDrawRectangle& area)
{
    RoomTileWalk tiles(room);
    CInstance* instance = room.activeInstances.Last();
    std::optional<float> particleDepth = FirstParticleDepth();
    for (;;) {
        while (tiles.Current() != nullptr && !tiles.Current()->visible) {
            tiles.Pass();
        }
        while (instance != nullptr && !Drawable(instance)) {
            instance = instance->i_prev;
        }
        const RoomTile* tile = tiles.Current();
        if (tile == nullptr && instance == nullptr && !particleDepth) {
            break;
        }
        if (particleDepth && (instance == nullptr || *particleDepth > instance->i_depth) &&
            (tile == nullptr || *particleDepth >= tile->depth)) {
            DrawParticles(*particleDepth);
            particleDepth = NextParticleDepth(*particleDepth);
        } else if (instance != nullptr && (tile == nullptr || tile->depth <= instance->i_depth)) {
            DrawInstance(instance);
            instance = instance->i_prev;
        } else {
            const RoomTile copy = *tile;  // the array may change while it draws
            tiles.Pass();
            DrawTile(copy, area);
        }
    }
    GR_VB_Flush();
}

// ---- layers and views --------------------------------------------------

void DrawBackgroundLayers(const CRoom& room, const RoomDrawRectangle& area, bool foregrounds)
{
    const TileArea tiled{static_cast<float>(area.left), static_cast<float>(area.top),
                         static_cast<float>(int64_t{area.right} - area.left),
                         static_cast<float>(int64_t{area.bottom} - area.top)};
    for (const RoomBackground& layer : room.backgrounds) {
        if (!layer.visible || (layer.foreground != 0) != foregrounds) {
            continue;
        }
        if (const CBackground* background = Background_Get(layer.index)) {
            background->DrawTiled(layer.x, layer.y, layer.xscale, layer.yscale, layer.htiled != 0,
                                  layer.vtiled != 0, tiled, layer.blend, layer.alpha);
        }
    }
}

RoomDrawRectangle ViewRectangle(const RoomView& view)
{
    const int64_t x = view.xview, y = view.yview, w = view.wview, h = view.hview;
    if (std::fabs(view.angle) < 0.001f) {
        return RoomDrawRectangle{Saturate(x), Saturate(y), Saturate(x + w), Saturate(y + h)};
    }
    // A turned view shows more of the room than its rectangle: widen it by
    // half the other side each way.
    return RoomDrawRectangle{Saturate(x - h / 2), Saturate(y - w / 2), Saturate(x + w + h / 2),
                             Saturate(y + h + w / 2)};
}

// Redirects drawing into the view's surface; true when a target was pushed
// (and so must be popped after the view).
bool TargetViewSurface(int32_t surface)
{
    if (!Surface_Exists(surface) || Surface_GetCurrent() == surface) {
        return false;
    }
    TextureRecord* record = Texture_Get(Surface_GetTexture(surface));
    if (record == nullptr || !GR_PushRenderTarget()) {
        return false;
    }
    if (!GR_SetRenderTargetTexture(0, record)) {
        GR_PopRenderTarget();
        return false;
    }
    return true;
}

void DrawThroughView(int32_t index, const RoomView& view)
{
    Display_State().viewCurrent = index;
    const float savedScaleX = g_draw.scaleX;
    const float savedScaleY = g_draw.scaleY;
    bool pushed = false;
    if (view.surfaceId != -1) {
        GR_VB_Flush();
        pushed = TargetViewSurface(view.surfaceId);
        if (pushed) {
            // A surface is drawn at its own size, not the window's.
            SetViewScale(1.0f, 1.0f);
        }
    }
    GR_SetViewProjection(static_cast<float>(view.xview), static_cast<float>(view.yview),
                         static_cast<float>(view.wview), static_cast<float>(view.hview), view.angle);
    const int32_t portX = Real_TruncToInt32(static_cast<double>(view.xport) * g_draw.scaleX);
    const int32_t portY = Real_TruncToInt32(static_cast<double>(view.yport) * g_draw.scaleY);
    const int32_t portW = Real_TruncToInt32(static_cast<double>(view.wport) * g_draw.scaleX);
    const int32_t portH = Real_TruncToInt32(static_cast<double>(view.hport) * g_draw.scaleY);
    GR_SetViewport(portX, portY, portW, portH);
    GR_SetRoomPort(portX, portY, portW, portH);
    Room_DrawView(ViewRectangle(view));
    GR_ClearRoomPort();
    // Only a target this view pushed is popped: popping anyway would take
    // away the target of whoever drew before the room (a surface game code
    // left set, or the frame's own screen).
    if (pushed) {
        GR_PopRenderTarget();
    }
    SetViewScale(savedScaleX, savedScaleY);
}

void DrawGuiPass()
{
    const GuiProjectionScope gui;
    Room_DrawEvent64Pass(RoomDrawRectangle{0, 0, GR_GetScreenWidth(), GR_GetScreenHeight()});
}

// The cursor sprite follows the mouse through the window's letterbox only,
// never through the views: the view mappings are lifted while the position
// is taken and put back afterwards.
void DrawCursor(const CRoom& room)
{
    CSprite* sprite = Sprite_Get(Game_Counters().cursorSprite);
    if (sprite == nullptr) {
        return;
    }
    ClearViewMappings();
    int32_t x = 0, y = 0;
    Window_MouseToRoom(Window_MouseGetX(), Window_MouseGetY(), x, y);
    if (room.viewsEnabled) {
        PublishViewMappings(room);
    }
    sprite->Draw(Run_StepCounter(), static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f, 0.0f, 0xFFFFFF, 1.0f);
}

}  // namespace

void Room_SetParticleDepthBands(const ParticleDepthBands& bands)
{
    g_draw.particles = bands;
}

void Room_FollowViews()
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    if (!room->viewsEnabled) {
        ClearViewMappings();
        return;
    }
    for (RoomView& view : room->views) {
        if (view.visible && view.object != -1) {
            FollowInstance(*room, view);
        }
    }
    PublishViewMappings(*room);
    const PortExtent extent = VisiblePortExtent(*room);
    SetViewScale(ScaleOver(GR_GetScreenWidth(), extent.width), ScaleOver(GR_GetScreenHeight(), extent.height));
}

void Room_DrawView(const RoomDrawRectangle& rectangle)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    g_draw.rectangle = rectangle;
    GR_3D_ClearDepth();
    if (room->showColour) {
        GR_Clear(room->colour | 0xFF000000u);
    }
    GR_3D_SetDepth(kBackgroundZ);
    DrawBackgroundLayers(*room, rectangle, false);
    Room_DrawBandBackgrounds(*room, rectangle);
    GR_3D_SetDepth(kForegroundZ);
    DrawBackgroundLayers(*room, rectangle, true);
    GR_3D_SetDepth(kAfterForegroundZ);
}

void Room_DrawEvent64Pass(const RoomDrawRectangle& rectangle)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    g_draw.rectangle = rectangle;
    // Most games have no GUI event: the walk over every instance is left out.
    if (!Object_AnyHasEvent(kEventDraw, kDrawGuiEvent)) {
        return;
    }
    for (CInstance* instance = room->activeInstances.First(); instance != nullptr; instance = instance->i_next) {
        if (Drawable(instance) && instance->i_object != nullptr &&
            instance->i_object->HasEvent(kEventDraw, kDrawGuiEvent)) {
            Event_Perform(instance, instance, kEventDraw, kDrawGuiEvent);
        }
    }
}

void Room_Draw()
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    Room_FollowViews();
    room->SortTiles();
    const int32_t width = GR_GetScreenWidth();
    const int32_t height = GR_GetScreenHeight();
    if (room->viewsEnabled) {
        GR_Clear(Window_GetColour());
        for (int32_t index = 0; index < kRoomViewCount; ++index) {
            const RoomView view = room->views[static_cast<size_t>(index)];
            if (view.visible) {
                DrawThroughView(index, view);
            }
        }
        GR_VB_Flush();
        GR_SetViewport(0, 0, width, height);
        GR_SetViewProjection(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), 0.0f);
    } else {
        Display_State().viewCurrent = 0;
        GR_VB_Flush();
        GR_SetViewport(0, 0, width, height);
        const int32_t drawnWidth = DrawnExtent(room->width);
        const int32_t drawnHeight = DrawnExtent(room->height);
        GR_SetViewProjection(0.0f, 0.0f, static_cast<float>(drawnWidth), static_cast<float>(drawnHeight), 0.0f);
        if (!room->showColour) {
            // The room is drawn over the last frame, which the window keeps
            // only until it shows the next one.
            GR_KeepScreenTexture();
        }
        Room_DrawView(RoomDrawRectangle{0, 0, drawnWidth, drawnHeight});
    }
    DrawGuiPass();
    DrawCursor(*room);
    Display_State().viewCurrent = 0;
}

void Room_ComputePortSize()
{
    const CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    int64_t width = room->width;
    int64_t height = room->height;
    if (room->viewsEnabled) {
        const PortExtent extent = VisiblePortExtent(*room);
        width = std::max<int64_t>(extent.width, kMinimumPortSize);
        height = std::max<int64_t>(extent.height, kMinimumPortSize);
    }
    const int32_t screenWidth = DrawnExtent(std::min<int64_t>(width, GR_Display_GetWidth()));
    const int32_t screenHeight = DrawnExtent(std::min<int64_t>(height, GR_Display_GetHeight()));
    if (screenWidth != GR_GetScreenWidth() || screenHeight != GR_GetScreenHeight()) {
        GR_SetScreenSize(screenWidth, screenHeight);
    }
}

RoomDrawRectangle Room_GetDrawRectangle()
{
    return g_draw.rectangle;
}

void Room_GetViewScale(float& x, float& y)
{
    x = g_draw.scaleX;
    y = g_draw.scaleY;
}

ProjectionReference Room_ProjectionReference()
{
    ProjectionReference reference;
    const CRoom* room = Room_Current();
    if (room == nullptr) {
        return reference;
    }
    reference.haveRoom = true;
    reference.roomWidth = static_cast<float>(room->width);
    reference.roomHeight = static_cast<float>(room->height);
    const RoomView& first = room->views[0];
    reference.firstViewVisible = room->viewsEnabled && first.visible;
    reference.portWidth = static_cast<float>(first.wport);
    reference.portHeight = static_cast<float>(first.hport);
    reference.viewWidth = static_cast<float>(first.wview);
    reference.viewHeight = static_cast<float>(first.hview);
    return reference;
}

}  // namespace bw
