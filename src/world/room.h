// CRoom: a level. The same record serves as the template read from the
// package (one per room index, kept in the room table) and as the run-time
// room made from a template when the game enters it. The run-time room owns
// the live instances on two lists, the active one in depth order and the
// deactivated one, and the tiles drawn with it.
//
// Module map: room.cpp (lifetime, instances, record edits), room_tiles.cpp
// (the tile array), room_chunk.cpp (the ROOM reader), room_code.cpp
// (creation code), room_table.cpp (the room table and the room order).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/instance_list.h"
#include "world/instance_table.h"
#include "world/room_record.h"

namespace bw {

class CCode;
class PackageView;
class PhysicsWorld;

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

// One tile of a run-time room. Tiles are named by id; their index in the
// array changes as tiles are added, deleted and sorted.
struct RoomTile {
    float x = 0.0f;
    float y = 0.0f;
    int32_t background = -1;
    int32_t left = 0;  // source rectangle on the background
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    float depth = 0.0f;
    int32_t id = 0;
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t blend = 0xFFFFFF;  // low 24 bits
    float alpha = 1.0f;         // 0..1
    uint8_t visible = 1;
};

class CRoom {
public:
    CRoom();
    // Deletes the instances of both lists as well.
    virtual ~CRoom();
    CRoom(const CRoom&) = delete;
    CRoom& operator=(const CRoom&) = delete;

    // Every setting back to its default; no record, no creation code, no
    // tiles; the instances of both lists unhashed and deleted. The name
    // stays.
    void SetDefaults();
    // A template from the ROOM record at recordOffset; every offset and
    // count is checked against the image. False with *error saying what is
    // wrong; the room is then left at its defaults.
    bool LoadFromChunk(const PackageView& package, uint32_t recordOffset, std::string* error);
    // Makes this room from source (null: defaults only). Settings, the
    // creation code (shared) and the record are taken over. fromRecord
    // (entering a room) creates the record's instances and tiles; otherwise
    // (a duplicate) the source's tiles are copied. In both cases the
    // source's own instances are copied with their ids. No code runs here.
    void CreateInstances(const CRoom* source, bool fromRecord);
    void SetName(const char* text) { name = text != nullptr ? text : ""; }
    void SetCaption(const char* text) { caption = text != nullptr ? text : ""; }
    // room_set_code: the creation code text is replaced and compiled at once
    // (an empty text leaves the room without creation code). A text that
    // does not compile is reported and leaves the room without creation
    // code; false then.
    bool SetCode(const char* text);
    // room_add: an empty record of the room's own.
    void CreateRecord();

    // ---- instances ----
    // A new instance of the object with the next instance id, in its
    // object's lists, the active list (by depth) and the id table. No event
    // runs here.
    CInstance* AddInstance(float x, float y, int32_t objectIndex);
    // An existing instance into the active list by depth and the id table.
    void LinkInstance(CInstance* instance);
    // Out of the id table and off whichever of this room's lists holds it,
    // then released and deleted.
    void DestroyInstance(CInstance* instance);
    // Every instance of the active list marked for destruction.
    void DestroyMarkedInstances();
    // Moves instances whose deactivated flag changed between the two lists
    // (and in and out of their objects' lists), then empties the pending
    // activation queue.
    void ReactivateInstances();
    void DeleteActiveInstances();
    void DeleteInactiveInstances();

    // ---- tiles (room_tiles.cpp) ----
    // Appends a copy under the next tile id; returns its index.
    int32_t AddTile(const RoomTile& tile);
    // Index of the tile with that id, -1 when none.
    int32_t FindTile(int32_t id);
    // The first tile containing the point (right and bottom edges excluded)
    // whose depth is negative exactly when foreground is set; -1 when none.
    int32_t FindTileAt(float x, float y, bool foreground);
    // Out-of-range indexes are ignored.
    void DeleteTile(int32_t index);
    // Every tile containing the point, edges included, of depth <= 0 with
    // foreground set, of depth >= 0 without.
    void DeleteTilesAt(float x, float y, bool foreground);
    // Layers are the tiles of exactly that depth.
    void HideTileLayer(float depth);
    void ShowTileLayer(float depth);
    void DeleteTileLayer(float depth);
    void ShiftTileLayer(float depth, float dx, float dy);
    int32_t FindTileInLayer(float depth, float x, float y);
    void DeleteTileLayerAt(float depth, float x, float y);
    void SetTileLayerDepth(float depth, float newDepth);
    // Deepest first for drawing; equal depths keep their order, and an
    // array already in order is not touched.
    void SortTiles();
    void ClearTiles();
    int32_t TileCount() const { return static_cast<int32_t>(m_tiles.size()); }
    // Null out of range.
    RoomTile* TileAt(int32_t index);

    // ---- record edits (the room_* built-ins on a room index) ----
    // The entry gets the next instance id, which is returned.
    int32_t AddInstanceRecord(double x, double y, int32_t objectIndex);
    // colour carries the blend in its low 24 bits and alpha x 255 on top.
    // The entry gets the next tile id, which is returned.
    int32_t AddTileRecord(int32_t background, int32_t left, int32_t top, int32_t width, int32_t height, int32_t x,
                          int32_t y, int32_t depth, float xscale, float yscale, uint32_t colour);
    // The same with the alpha (0..1) put into the colour's top byte.
    int32_t AddTile(int32_t background, int32_t left, int32_t top, int32_t width, int32_t height, int32_t x,
                    int32_t y, int32_t depth, float xscale, float yscale, uint32_t blend, float alpha);
    // The room then creates no instances from its record.
    void ClearInstanceRecords();

    // Each step: every background layer moves by its speed.
    void ScrollBackgrounds();

    std::string name;
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
    std::string codeText;
    // Shared between a template and the rooms made from it; null when none.
    std::shared_ptr<CCode> code;
    int32_t codeEntry = -1;  // package code entry, bound to `code` by Room_Prepare
    // Physics settings. The world they describe is made by the physics
    // layer for a running room when it starts (through RoomPhysicsHooks);
    // templates only keep the settings. The room owns the world and has the
    // physics layer destroy it with the room.
    uint8_t physicsEnabled = 0;
    int32_t gravityX = 0;  // whole numbers
    int32_t gravityY = 0;
    float pixelsToMetres = 0.1f;
    PhysicsWorld* physicsWorld = nullptr;

    InstanceList activeInstances;       // ascending depth
    InstanceList deactivatedInstances;  // in the order of deactivation
    std::shared_ptr<RoomRecord> record;  // null: the room creates nothing

private:
    // The record, made this room's own first when it is shared or missing.
    RoomRecord& EditableRecord();
    void CreateFromRecord();
    void CopyInstancesOf(const CRoom& source);
    void CacheTile(int32_t index) { m_lastTile = index; }
    template <typename Predicate>
    void EraseTilesWhere(Predicate&& doomed);
    // A tile at index leaves the array: every open walk that has passed it
    // steps back with the tiles behind it.
    void ForgetPassedTile(size_t index);

    friend class RoomTileWalk;

    std::vector<RoomTile> m_tiles;
    int32_t m_lastTile = -1;  // last tile found: a cache for the look-ups
    // The place of each open tile walk (the index of the next tile it
    // reaches), innermost last.
    std::vector<size_t> m_tileWalks;
};

// A walk over a room's tiles in array order that stays in step with the
// array while game code runs between its steps: room drawing runs draw
// events (which may delete tiles, or draw the room again inside the walk)
// between one tile and the next. A deleted tile the walk has not reached is
// never reached; every other tile is reached once; a tile added meanwhile is
// reached when the walk comes to the end of the array. Walks nest.
class RoomTileWalk {
public:
    explicit RoomTileWalk(CRoom& room);
    ~RoomTileWalk();
    RoomTileWalk(const RoomTileWalk&) = delete;
    RoomTileWalk& operator=(const RoomTileWalk&) = delete;

    // The tile the walk stands on, null past the last one.
    const RoomTile* Current() const;
    void Pass();

private:
    CRoom& m_room;
    size_t m_slot;  // this walk's place in the room's list of walks
};

// The physics layer makes a running room's world from the room's settings
// and destroys it with the room.
struct RoomPhysicsHooks {
    PhysicsWorld* (*createWorld)(const CRoom& room) = nullptr;
    void (*destroyWorld)(PhysicsWorld* world) = nullptr;
};
RoomPhysicsHooks& Room_PhysicsHooks();

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

// The last instance id and last tile id handed out; the game header sets
// both, and each new instance or tile takes the next one (wrapping at the
// top of the 32-bit range rather than overflowing).
int32_t Instance_LastId();
void Instance_SetLastId(int32_t id);
int32_t Instance_NextId();
int32_t Tile_LastId();
void Tile_SetLastId(int32_t id);
int32_t Tile_NextId();

// Instances whose deactivated flag changed during a pass. The game step
// applies them with the current room's ReactivateInstances when the queue
// is not empty. The queue only tells that something changed: the room
// walks its own lists, so an instance freed meanwhile is never touched.
InstanceQueue& Room_ActivationQueue();
// Queues the instance once; true when it was not queued yet.
bool InstanceArray_AddUnique(CInstance* instance);

}  // namespace bw
