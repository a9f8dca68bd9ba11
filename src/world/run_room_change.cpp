#include "world/run_room_change.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/console.h"
#include "platform/memory.h"
#include "platform/options.h"
#include "platform/timer.h"
#include "script/code_stop.h"
#include "script/code_unit.h"
#include "script/value.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/run_hooks.h"
#include "world/run_loop.h"
#include "world/run_requests.h"
#include "world/run_step.h"

namespace bw {

namespace {

constexpr int32_t kOtherGameStart = 2;
constexpr int32_t kOtherGameEnd = 3;
constexpr int32_t kOtherRoomStart = 4;
constexpr int32_t kOtherRoomEnd = 5;

// The run-time rooms by room index.
std::vector<std::unique_ptr<CRoom>> g_runRooms;
// A body's place, angle and speeds, as the phy_* variables give them.
constexpr std::array kBodyMotion{PhysicsVariable::PositionX,       PhysicsVariable::PositionY,
                                 PhysicsVariable::Rotation,        PhysicsVariable::LinearVelocityX,
                                 PhysicsVariable::LinearVelocityY, PhysicsVariable::AngularVelocity};
using BodyMotion = std::array<double, kBodyMotion.size()>;

// Copies of the persistent instances of the room being left, owned here
// until the next room takes them over, each with its body's motion when it
// had a body: a body cannot leave its world, so the next room's makes one.
std::vector<std::pair<CInstance*, std::optional<BodyMotion>>> g_carried;

void DeleteInstance(CInstance* instance)
{
    instance->FreeLinks();
    Room_ActivationQueue().Remove(instance);
    delete instance;
}

void RunCode(CInstance* self, CCode* code)
{
    if (code == nullptr) {
        return;
    }
    Value result{};
    Code_Execute(self, self, *code, &result);
    Value_Free(result);
}

// Room-end events run with the pending request set aside, so that they run
// at all; what they queue is applied while the room is still current, so no
// queue holds an instance of a room that is about to go.
void PerformRoomEndEvents(bool gameEnding)
{
    const int32_t request = NewRoomRequest;
    NewRoomRequest = kRequestNone;
    Event_PerformAll(kEventOther, kOtherRoomEnd);
    if (gameEnding) {
        Event_PerformAll(kEventOther, kOtherGameEnd);
    }
    Run_AfterPass();
    NewRoomRequest = request;
}

std::optional<BodyMotion> ReadBodyMotion(CInstance* instance)
{
    const auto read = Instance_PhysicsHooks().read;
    BodyMotion motion{};
    for (size_t i = 0; i < kBodyMotion.size(); ++i) {
        if (read == nullptr || !read(instance, kBodyMotion[i], 0, &motion[i])) {
            return std::nullopt;
        }
    }
    return motion;
}

// A carried instance gets the body the room's world makes for its object
// at its place (as a copy does), which then takes up the motion it had.
void RemakeBody(CInstance* instance, CRoom& room, const std::optional<BodyMotion>& motion)
{
    instance->RemakePhysicsBody(&room);
    const auto write = Instance_PhysicsHooks().write;
    for (size_t i = 0; motion && write != nullptr && i < kBodyMotion.size(); ++i) {
        write(instance, kBodyMotion[i], (*motion)[i]);
    }
}

bool Carries(const CInstance& instance)
{
    return !instance.i_marked && !instance.i_deactivated && instance.i_persistent;
}

// Copies each persistent instance for the next room and takes the original
// out of every list, then frees it.
void CarryPersistentInstances(CRoom& room)
{
    Run_FreeCarried();
    for (CInstance* instance = room.activeInstances.First(); instance != nullptr;) {
        CInstance* next = instance->i_next;
        if (Carries(*instance)) {
            auto* copy = new CInstance(instance->i_x, instance->i_y, instance->i_id, instance->i_objindex, false);
            copy->CopyFrom(*instance, false);
            g_carried.emplace_back(copy, ReadBodyMotion(instance));
            room.activeInstances.Unlink(instance);
            instance->i_marked = 1;
            InstanceHash_Remove(instance->i_id, instance);
            DeleteInstance(instance);
        }
        instance = next;
    }
}

// A kept room's instances leave their objects' lists and the id table
// while the room is not played.
void ParkInstances(CRoom& room)
{
    for (CInstance* instance = room.activeInstances.First(); instance != nullptr; instance = instance->i_next) {
        if (instance->i_marked || instance->i_deactivated || instance->i_persistent) {
            continue;
        }
        if (instance->i_object != nullptr) {
            instance->i_object->RemoveInstance(instance);
        }
        InstanceHash_Remove(instance->i_id, instance);
    }
}

void UnparkInstances(CRoom& room)
{
    for (CInstance* instance = room.activeInstances.First(); instance != nullptr; instance = instance->i_next) {
        if (instance->i_object != nullptr) {
            instance->i_object->AddInstance(instance);
        }
        InstanceHash_Insert(instance->i_id, instance);
    }
}

CInstance* FindInRoom(CRoom& room, int32_t id)
{
    for (CInstance* instance = room.activeInstances.First(); instance != nullptr; instance = instance->i_next) {
        if (instance->i_id == id) {
            return instance;
        }
    }
    return nullptr;
}

// A carried instance overwrites the room's instance of the same id, or
// joins the room as a new one under its own id. Either way it takes its
// place in the room's list by the depth it brings: the instance it
// overwrites sits at the depth the room's definition gave.
void PlaceCarriedInstances(CRoom& room)
{
    for (const auto& [carried, motion] : g_carried) {
        CInstance* target = FindInRoom(room, carried->i_id);
        if (target != nullptr) {
            target->CopyFrom(*carried, true);
        } else {
            target = room.AddInstance(carried->i_x, carried->i_y, carried->i_objindex);
            InstanceHash_Remove(target->i_id, target);
            target->CopyFrom(*carried, true);
            InstanceHash_Insert(target->i_id, target);
        }
        RemakeBody(target, room, motion);
        Instance_DepthChangeQueue().AddUnique(target);
        target->i_carriedover = 1;
    }
    Run_FreeCarried();
}

void CreateInstance(CInstance* instance)
{
    if (Options().createEventBeforeCode) {
        Event_Perform(instance, instance, kEventCreate, 0);
        RunCode(instance, instance->i_creationcode);
    } else {
        RunCode(instance, instance->i_creationcode);
        Event_Perform(instance, instance, kEventCreate, 0);
    }
}

// Creation code and create events, from the last instance of the room back
// to the first; carried instances skip them once.
void RunCreationSteps(CRoom& room)
{
    std::vector<CInstance*> snapshot;
    snapshot.reserve(static_cast<size_t>(room.activeInstances.Count()));
    for (CInstance* instance = room.activeInstances.Last(); instance != nullptr; instance = instance->i_prev) {
        instance->i_created = 0;
        snapshot.push_back(instance);
    }
    for (CInstance* instance : snapshot) {
        if (instance->i_carriedover) {
            instance->i_carriedover = 0;
            continue;
        }
        if (!instance->i_marked && !instance->i_deactivated) {
            CreateInstance(instance);
        }
        instance->i_created = 1;
    }
}

void RunRoomCreationCode(CRoom& room)
{
    if (room.code == nullptr) {
        return;
    }
    CInstance scratch(0.0f, 0.0f, 0, 0, false);
    RunCode(&scratch, room.code.get());
    scratch.FreeLinks();
}

void ClearRunRooms()
{
    Room_SetCurrent(nullptr, Room_CurrentIndex());
    g_runRooms.clear();
}

}  // namespace

void Run_EndRoom(bool gameEnding)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    room->DestroyMarkedInstances();
    PerformRoomEndEvents(gameEnding);
    Run_CallHook(Run_Hooks().clearVirtualKeys);
    CarryPersistentInstances(*room);
    if (room->persistent) {
        ParkInstances(*room);
        return;
    }
    const int32_t index = Room_CurrentIndex();
    Room_SetCurrent(nullptr, index);
    if (index >= 0 && index < Run_RoomSlotCount() && g_runRooms[static_cast<size_t>(index)].get() == room) {
        g_runRooms[static_cast<size_t>(index)].reset();
    }
}

void Run_StartRoom(int32_t room, bool gameStart)
{
    const RunHooks& hooks = Run_Hooks();
    NewRoomRequest = kRequestNone;
    Run_CallHook(hooks.inputClear);
    Run_CallHook(hooks.effectsClear);
    if (room < 0) {
        return;
    }
    if (room >= Run_RoomSlotCount()) {
        g_runRooms.resize(static_cast<size_t>(room) + 1);
    }
    std::unique_ptr<CRoom>& slot = g_runRooms[static_cast<size_t>(room)];
    const bool kept = slot != nullptr;
    if (kept) {
        UnparkInstances(*slot);
    } else {
        slot = std::make_unique<CRoom>();
        slot->CreateInstances(Room_Get(room), true);
    }
    CRoom& current = *slot;
    Room_SetCurrent(&current, room);
    Run_CallHook(hooks.computePortSize);
    PlaceCarriedInstances(current);
    if (!kept) {
        RunCreationSteps(current);
    }
    if (gameStart) {
        Event_PerformAll(kEventOther, kOtherGameStart);
    }
    if (!kept) {
        RunRoomCreationCode(current);
    }
    Event_PerformAll(kEventOther, kOtherRoomStart);
    if (NewRoomRequest == kRequestNone && Run_DrawEvents()) {
        // The first drawing already shows every instance at its depth: the
        // carried ones' and those their create events set.
        Run_ApplyPendingInserts();
        Run_CallHook(hooks.drawRoom);
    }
}

void Run_GotoRoom(int32_t room)
{
    Run_EndRoom(false);
    Run_StartRoom(room, false);
}

void StartGame()
{
    tagIConsole& console = Console();
    console.Printf("StartGame()\n");
    Timer_Init();
    // The timer starts again from 0: delta_time is measured from here.
    Run_SetPreviousStepTime(Timer_GetTime());
    Object_BuildEventLists();
    GameCounters& counters = Game_Counters();
    counters.score = 0;
    counters.lives = -1;
    counters.cursorSprite = -1;
    Run_SetStepCounter(0);
    Display_State().transitionKind = 0;
    const RunHooks& hooks = Run_Hooks();
    if (Run_DebugSwitchOn() && hooks.debugWindowCreate != nullptr) {
        console.Printf("Create Debug Form\n");
        hooks.debugWindowCreate();
    }
    Run_CallHook(hooks.runLibraryInit);
    if (hooks.extensionsInitialize != nullptr && !hooks.extensionsInitialize()) {
        return;
    }
    if (hooks.setCursor != nullptr) {
        hooks.setCursor(Options().showCursor ? 0 : -1);
    }
    ClearRunRooms();
    g_runRooms.resize(static_cast<size_t>(std::max(Room_Count(), 0)));
    Run_FreeCarried();
    // A package without a room order has no first room to enter.
    const int32_t first = Room_First();
    if (first >= 0) {
        Run_StartRoom(first, true);
    }
    console.Printf("StartGame() - DONE\n");
    MemoryManager_DumpTotal();
}

void Run_EndGame()
{
    Code_StopGiveGrace();
    const RunHooks& hooks = Run_Hooks();
    if (Run_DebugSwitchOn()) {
        Run_CallHook(hooks.debugWindowClose);
    }
    Run_EndRoom(true);
    // Carried copies would otherwise outlive the game and come back in the
    // first room of a restarted one.
    Run_FreeCarried();
    ClearRunRooms();
    if (hooks.extensionsFinalize != nullptr && hooks.extensionsFinalize() && hooks.setCursor != nullptr) {
        hooks.setCursor(0);
    }
}

void Run_InitCaptions()
{
    Run_ResetLoopState();
    Run_SetStepCounter(0);
    DisplayState& display = Display_State();
    display.transitionKind = 0;
    display.viewCurrent = 0;
    GameCounters& counters = Game_Counters();
    counters = GameCounters{};
    counters.showScore = true;
    counters.lives = -1;
    counters.health = 100.0;
    counters.captionHealth = "Health: ";
}

void Run_FreeCarried()
{
    for (const auto& carried : g_carried) {
        DeleteInstance(carried.first);
    }
    g_carried.clear();
}

int32_t Run_CarriedCount()
{
    return static_cast<int32_t>(g_carried.size());
}

CRoom* Run_RoomSlot(int32_t room)
{
    if (room < 0 || room >= Run_RoomSlotCount()) {
        return nullptr;
    }
    return g_runRooms[static_cast<size_t>(room)].get();
}

int32_t Run_RoomSlotCount()
{
    return static_cast<int32_t>(g_runRooms.size());
}

void Run_ReplaceRoomSlots(std::vector<std::unique_ptr<CRoom>> rooms)
{
    ClearRunRooms();
    g_runRooms = std::move(rooms);
}

}  // namespace bw
