// A room's lifetime, its instances and the edits of its record: making a
// run-time room from a template, adding, linking, destroying and
// (de)activating instances, and the id counters that new instances and
// tiles draw from.
#include "world/room.h"

#include <cmath>

#include "script/code_unit.h"
#include "script/operators.h"
#include "world/instance.h"
#include "world/object.h"

namespace bw {

int32_t NewRoomRequest = -1;

namespace {

CRoom* g_currentRoom = nullptr;
int32_t g_currentRoomIndex = -1;
int32_t g_lastInstanceId = 0;
int32_t g_lastTileId = 0;

// Ids wrap at the top of the range instead of overflowing.
int32_t Next(int32_t& last)
{
    last = static_cast<int32_t>(static_cast<uint32_t>(last) + 1u);
    return last;
}

void DeleteAll(InstanceList& list)
{
    while (CInstance* instance = list.First()) {
        InstanceHash_Remove(instance->i_id, instance);
        list.Remove(instance);
    }
}

RoomTile TileFromEntry(const RoomTileEntry& entry)
{
    RoomTile tile;
    tile.x = static_cast<float>(entry.x);
    tile.y = static_cast<float>(entry.y);
    tile.background = entry.background;
    tile.left = entry.left;
    tile.top = entry.top;
    tile.width = entry.width;
    tile.height = entry.height;
    tile.depth = static_cast<float>(entry.depth);
    tile.id = entry.id;
    tile.xscale = entry.xscale;
    tile.yscale = entry.yscale;
    tile.blend = entry.colour & 0xFFFFFF;
    tile.alpha = static_cast<float>(entry.colour >> 24) / 255.0f;
    tile.visible = 1;
    return tile;
}

}  // namespace

uint32_t RoomRecord_AlphaByte(float alpha)
{
    if (!(alpha > 0.0f)) {
        return 0;
    }
    if (alpha >= 1.0f) {
        return 255;
    }
    return static_cast<uint32_t>(std::lround(alpha * 255.0f));
}

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

int32_t Instance_LastId()
{
    return g_lastInstanceId;
}

void Instance_SetLastId(int32_t id)
{
    g_lastInstanceId = id;
}

int32_t Instance_NextId()
{
    return Next(g_lastInstanceId);
}

int32_t Tile_LastId()
{
    return g_lastTileId;
}

void Tile_SetLastId(int32_t id)
{
    g_lastTileId = id;
}

int32_t Tile_NextId()
{
    return Next(g_lastTileId);
}

InstanceQueue& Room_ActivationQueue()
{
    static InstanceQueue queue;
    return queue;
}

bool InstanceArray_AddUnique(CInstance* instance)
{
    return Room_ActivationQueue().AddUnique(instance);
}

RoomPhysicsHooks& Room_PhysicsHooks()
{
    static RoomPhysicsHooks hooks;
    return hooks;
}

CRoom::CRoom()
{
    SetDefaults();
}

CRoom::~CRoom()
{
    SetDefaults();
}

void CRoom::SetDefaults()
{
    record.reset();
    caption.clear();
    width = 640;
    height = 480;
    speed = 30;
    persistent = 0;
    colour = 0xC0C0C0;
    showColour = 1;
    codeText.clear();
    code.reset();
    codeEntry = -1;
    physicsEnabled = 0;
    gravityX = 0;
    gravityY = 0;
    pixelsToMetres = 0.1f;
    backgrounds.fill(RoomBackground{});
    views.fill(RoomView{});
    viewsEnabled = 0;
    DeleteActiveInstances();
    DeleteInactiveInstances();
    ClearTiles();
    // After the instances: their bodies leave the world one by one.
    if (physicsWorld != nullptr && Room_PhysicsHooks().destroyWorld != nullptr) {
        Room_PhysicsHooks().destroyWorld(physicsWorld);
    }
    physicsWorld = nullptr;
}

void CRoom::CreateInstances(const CRoom* source, bool fromRecord)
{
    SetDefaults();
    if (source == nullptr) {
        return;
    }
    caption = source->caption;
    width = source->width;
    height = source->height;
    speed = source->speed;
    persistent = source->persistent;
    colour = source->colour;
    showColour = source->showColour;
    codeText = source->codeText;
    code = source->code;
    codeEntry = source->codeEntry;
    physicsEnabled = source->physicsEnabled;
    gravityX = source->gravityX;
    gravityY = source->gravityY;
    pixelsToMetres = source->pixelsToMetres;
    backgrounds = source->backgrounds;
    viewsEnabled = source->viewsEnabled;
    views = source->views;
    record = source->record;
    if (fromRecord) {
        // A room entered gets its world first, so its instances get bodies.
        if (physicsEnabled && Room_PhysicsHooks().createWorld != nullptr) {
            physicsWorld = Room_PhysicsHooks().createWorld(*this);
        }
        CreateFromRecord();
    } else {
        // A template read from the package has no tiles of its own (they
        // are in its record), so this copies only tiles made at run time.
        m_tiles = source->m_tiles;
    }
    CopyInstancesOf(*source);
}

void CRoom::CreateFromRecord()
{
    if (record == nullptr) {
        return;
    }
    for (const RoomInstanceEntry& entry : record->instances) {
        if (entry.objectIndex < 0) {
            continue;
        }
        auto* instance = new CInstance(static_cast<float>(entry.x), static_cast<float>(entry.y), entry.id,
                                       entry.objectIndex, true);
        instance->i_creationcode = entry.code.get();
        instance->SetImageXScale(entry.xscale);
        instance->SetImageYScale(entry.yscale);
        instance->i_imageblend = static_cast<int32_t>(entry.colour & 0xFFFFFF);
        instance->i_imagealpha = static_cast<float>(entry.colour >> 24) / 255.0f;
        instance->SetImageAngle(entry.rotation);
        instance->CreatePhysicsBody(this);
        LinkInstance(instance);
    }
    m_tiles.reserve(record->tiles.size());
    for (const RoomTileEntry& entry : record->tiles) {
        m_tiles.push_back(TileFromEntry(entry));
    }
}

void CRoom::CopyInstancesOf(const CRoom& source)
{
    for (CInstance* at = source.activeInstances.First(); at != nullptr; at = at->i_next) {
        auto* copy = new CInstance(at->i_x, at->i_y, at->i_id, at->i_objindex, false);
        copy->CopyFrom(*at, true);
        copy->CreatePhysicsBody(this);
        LinkInstance(copy);
    }
    for (CInstance* at = source.deactivatedInstances.First(); at != nullptr; at = at->i_next) {
        auto* copy = new CInstance(at->i_x, at->i_y, at->i_id, at->i_objindex, false);
        copy->CopyFrom(*at, false);
        deactivatedInstances.Append(copy);
        InstanceHash_Insert(copy->i_id, copy);
    }
}

void CRoom::CreateRecord()
{
    record = std::make_shared<RoomRecord>();
}

CInstance* CRoom::AddInstance(float x, float y, int32_t objectIndex)
{
    auto* instance = new CInstance(x, y, Instance_NextId(), objectIndex, true);
    instance->CreatePhysicsBody(this);
    LinkInstance(instance);
    return instance;
}

void CRoom::LinkInstance(CInstance* instance)
{
    activeInstances.InsertByDepth(instance);
    InstanceHash_Insert(instance->i_id, instance);
}

void CRoom::DestroyInstance(CInstance* instance)
{
    // The list that holds the instance decides, not its deactivated flag:
    // the flag changes during a pass and the lists follow only afterwards.
    InstanceList* list = deactivatedInstances.Contains(instance) ? &deactivatedInstances : &activeInstances;
    if (!list->Contains(instance)) {
        return;
    }
    InstanceHash_Remove(instance->i_id, instance);
    list->Remove(instance);
}

void CRoom::DestroyMarkedInstances()
{
    CInstance* next = nullptr;
    for (CInstance* at = activeInstances.First(); at != nullptr; at = next) {
        next = at->i_next;
        if (at->i_marked) {
            DestroyInstance(at);
        }
    }
}

void CRoom::ReactivateInstances()
{
    CInstance* next = nullptr;
    for (CInstance* at = deactivatedInstances.First(); at != nullptr; at = next) {
        next = at->i_next;
        if (!at->i_deactivated) {
            activeInstances.InsertByDepth(at);
            if (at->i_object != nullptr) {
                at->i_object->AddInstance(at);
            }
        }
    }
    for (CInstance* at = activeInstances.First(); at != nullptr; at = next) {
        next = at->i_next;
        if (at->i_deactivated) {
            deactivatedInstances.Append(at);
            if (at->i_object != nullptr) {
                at->i_object->RemoveInstance(at);
            }
        }
    }
    Room_ActivationQueue().Clear();
}

void CRoom::DeleteActiveInstances()
{
    DeleteAll(activeInstances);
}

void CRoom::DeleteInactiveInstances()
{
    DeleteAll(deactivatedInstances);
}

RoomRecord& CRoom::EditableRecord()
{
    if (record == nullptr) {
        record = std::make_shared<RoomRecord>();
    } else if (record.use_count() > 1) {
        record = std::make_shared<RoomRecord>(*record);
    }
    return *record;
}

int32_t CRoom::AddInstanceRecord(double x, double y, int32_t objectIndex)
{
    RoomInstanceEntry entry;
    entry.x = Code_RealTruncToInt32(x);
    entry.y = Code_RealTruncToInt32(y);
    entry.objectIndex = objectIndex;
    entry.id = Instance_NextId();
    EditableRecord().instances.push_back(entry);
    return entry.id;
}

int32_t CRoom::AddTileRecord(int32_t background, int32_t left, int32_t top, int32_t width, int32_t height,
                             int32_t x, int32_t y, int32_t depth, float xscale, float yscale, uint32_t colour)
{
    RoomTileEntry entry;
    entry.x = x;
    entry.y = y;
    entry.background = background;
    entry.left = left;
    entry.top = top;
    entry.width = width;
    entry.height = height;
    entry.depth = depth;
    entry.id = Tile_NextId();
    entry.xscale = xscale;
    entry.yscale = yscale;
    entry.colour = colour;
    EditableRecord().tiles.push_back(entry);
    return entry.id;
}

int32_t CRoom::AddTile(int32_t background, int32_t left, int32_t top, int32_t width, int32_t height, int32_t x,
                       int32_t y, int32_t depth, float xscale, float yscale, uint32_t blend, float alpha)
{
    return AddTileRecord(background, left, top, width, height, x, y, depth, xscale, yscale,
                         (blend & 0xFFFFFF) | (RoomRecord_AlphaByte(alpha) << 24));
}

void CRoom::ClearInstanceRecords()
{
    EditableRecord().instances.clear();
}

void CRoom::ScrollBackgrounds()
{
    for (RoomBackground& background : backgrounds) {
        background.x += background.hspeed;
        background.y += background.vspeed;
    }
}

}  // namespace bw
