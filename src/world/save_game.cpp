#include "world/save_game.h"

#include <memory>
#include <vector>

#include "platform/stream.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/run_hooks.h"
#include "world/run_loop.h"
#include "world/run_requests.h"
#include "world/run_room_change.h"
#include "world/run_step.h"
#include "world/save_game_records.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {

namespace {

// The run globals of the header, in the order they are saved.
struct SavedHeader {
    int32_t gameId = 0;
    int32_t room = -1;
    int32_t request = kRequestNone;
    int32_t transitionKind = 0;
    int32_t score = 0;
    uint8_t showScore = 0;
    uint8_t captionChanged = 0;
    std::string captionScore;
    int32_t lives = 0;
    uint8_t showLives = 0;
    std::string captionLives;
    double health = 0.0;
    uint8_t showHealth = 0;
    std::string captionHealth;
    int32_t cursorSprite = -1;
    int32_t stepCounter = 0;
    uint8_t drawEvents = 1;
};

// Everything a saved game holds, read into records of its own before any of
// it reaches the running world.
struct SavedGame {
    SavedHeader header;
    CVariableList globals;
    std::vector<uint8_t> globalFlags;  // the "globalvar" flags by user id
    int32_t lastInstanceId = 0;
    int32_t lastTileId = 0;
    std::vector<std::unique_ptr<CRoom>> rooms;  // by room index
};

// ---- writing ----

void WriteHeader(SaveWriter& writer)
{
    const GameCounters& counters = Game_Counters();
    writer.S32(kSaveGameVersion);
    writer.S32(Game_Info().gameId);
    writer.S32(Room_CurrentIndex());
    writer.S32(NewRoomRequest);
    writer.S32(Display_State().transitionKind);
    writer.S32(counters.score);
    writer.Flag(counters.showScore);
    writer.Flag(counters.captionChanged);
    writer.Text(counters.captionScore);
    writer.S32(counters.lives);
    writer.Flag(counters.showLives);
    writer.Text(counters.captionLives);
    writer.F64(counters.health);
    writer.Flag(counters.showHealth);
    writer.Text(counters.captionHealth);
    writer.S32(counters.cursorSprite);
    writer.S32(Run_StepCounter());
    writer.Flag(Run_DrawEvents());
}

void WriteRooms(SaveWriter& writer)
{
    const int32_t slots = Run_RoomSlotCount();
    writer.S32(slots);
    writer.S32(Instance_LastId());
    writer.S32(Tile_LastId());
    for (int32_t index = 0; index < slots; ++index) {
        CRoom* room = Run_RoomSlot(index);
        writer.Flag(room != nullptr);
        if (room != nullptr) {
            SaveGame_WriteRoom(writer, *room);
        }
    }
}

// ---- reading ----

// The requests a header may carry: none, end, restart, stop, or a room the
// game has. Anything else would send the main loop into a room that is not
// there (or make it grow its room array to any size a file names).
bool KnownRequest(int32_t request)
{
    return request == kRequestNone || request == kRequestEndGame || request == kRequestRestart ||
           request == kRequestStop || Room_Exists(request);
}

bool ReadHeader(SaveReader& reader, SavedHeader& header, std::string* error)
{
    if (reader.S32() != kSaveGameVersion) {
        *error = reader.Ok() ? "it is not a saved game of this version" : reader.Failure();
        return false;
    }
    header.gameId = reader.S32();
    header.room = reader.S32();
    header.request = reader.S32();
    header.transitionKind = reader.S32();
    header.score = reader.S32();
    header.showScore = reader.Flag();
    header.captionChanged = reader.Flag();
    header.captionScore = reader.Text();
    header.lives = reader.S32();
    header.showLives = reader.Flag();
    header.captionLives = reader.Text();
    header.health = reader.F64();
    header.showHealth = reader.Flag();
    header.captionHealth = reader.Text();
    header.cursorSprite = reader.S32();
    header.stepCounter = reader.S32();
    header.drawEvents = reader.Flag();
    if (!reader.Ok()) {
        *error = reader.Failure();
        return false;
    }
    // A save of another game names objects, rooms and variables this game
    // does not have.
    if (header.gameId != Game_Info().gameId) {
        *error = "it was saved by another game";
        return false;
    }
    if (!KnownRequest(header.request)) {
        *error = "its room change names no room of this game";
        return false;
    }
    return true;
}

void ReadGlobals(SaveReader& reader, SavedGame& saved)
{
    reader.Check(saved.globals.LoadGame(reader.Stream()), "the global variables are damaged");
    const int32_t count = reader.Count(4, "the global flag count is larger than the file");
    saved.globalFlags.resize(static_cast<size_t>(count));
    for (uint8_t& flag : saved.globalFlags) {
        flag = reader.Flag();
    }
}

void ReadRooms(SaveReader& reader, SavedGame& saved)
{
    const int32_t slots = reader.Count(4, "the room count is larger than the file");
    saved.lastInstanceId = reader.S32();
    saved.lastTileId = reader.S32();
    saved.rooms.resize(static_cast<size_t>(slots));
    for (std::unique_ptr<CRoom>& slot : saved.rooms) {
        if (!reader.Ok()) {
            break;
        }
        if (reader.Flag() != 0) {
            slot = std::make_unique<CRoom>();
            SaveGame_ReadRoom(reader, *slot);
        }
    }
}

bool ReadSavedGame(SaveReader& reader, SavedGame& saved, std::string* error)
{
    if (!ReadHeader(reader, saved.header, error)) {
        return false;
    }
    ReadGlobals(reader, saved);
    if (reader.Ok()) {
        ReadRooms(reader, saved);
    }
    if (!reader.Ok()) {
        *error = reader.Failure();
        return false;
    }
    const int32_t room = saved.header.room;
    if (room < 0 || room >= static_cast<int32_t>(saved.rooms.size()) || saved.rooms[static_cast<size_t>(room)] == nullptr) {
        *error = "its current room was not saved";
        return false;
    }
    return true;
}

// ---- making the saved game the running one ----

void CommitHeader(const SavedHeader& header)
{
    GameCounters& counters = Game_Counters();
    NewRoomRequest = header.request;
    Display_State().transitionKind = header.transitionKind;
    counters.score = header.score;
    counters.showScore = header.showScore != 0;
    counters.captionChanged = header.captionChanged != 0;
    counters.captionScore = header.captionScore;
    counters.lives = header.lives;
    counters.showLives = header.showLives != 0;
    counters.captionLives = header.captionLives;
    counters.health = header.health;
    counters.showHealth = header.showHealth != 0;
    counters.captionHealth = header.captionHealth;
    counters.cursorSprite = header.cursorSprite;
    Run_SetStepCounter(header.stepCounter);
    Run_SetDrawEvents(header.drawEvents != 0);
}

void CommitGlobals(const SavedGame& saved)
{
    Variable_Global_Init();
    Variable_GlobalList().CopyFrom(saved.globals);
    for (size_t index = 0; index < saved.globalFlags.size(); ++index) {
        if (saved.globalFlags[index] != 0) {
            Variable_SetFlagged(kVariableUserIdBase + static_cast<int32_t>(index));
        }
    }
}

// The loaded rooms take the place of the run-time rooms. The instances are
// linked the way a room that is being played and rooms that are kept for
// later have them: the current room's active instances in their objects'
// lists and the id table, every room's deactivated instances in the id
// table only, and the active instances of kept rooms in neither (entering
// such a room adds them).
void CommitRooms(SavedGame& saved)
{
    if (CRoom* current = Room_Current()) {
        current->DeleteActiveInstances();
        current->DeleteInactiveInstances();
    }
    Room_SetCurrent(nullptr, -1);
    Instance_ObjectChangeQueue().Clear();
    Instance_DepthChangeQueue().Clear();
    Room_ActivationQueue().Clear();
    Run_ReplaceRoomSlots(std::move(saved.rooms));
    Instance_SetLastId(saved.lastInstanceId);
    Tile_SetLastId(saved.lastTileId);

    const int32_t index = saved.header.room;
    CRoom* room = Run_RoomSlot(index);
    Room_SetCurrent(room, index);
    Run_CallHook(Run_Hooks().computePortSize);
    for (int32_t slot = 0; slot < Run_RoomSlotCount(); ++slot) {
        const CRoom* kept = Run_RoomSlot(slot);
        for (CInstance* at = kept != nullptr ? kept->deactivatedInstances.First() : nullptr; at != nullptr;
             at = at->i_next) {
            InstanceHash_Insert(at->i_id, at);
        }
    }
    for (CInstance* at = room->activeInstances.First(); at != nullptr; at = at->i_next) {
        if (at->i_object != nullptr) {
            at->i_object->AddInstance(at);
        }
        InstanceHash_Insert(at->i_id, at);
    }
}

}  // namespace

bool Game_WriteState(CStream& stream)
{
    SaveWriter writer(stream);
    WriteHeader(writer);
    writer.Check(Variable_Global_SaveState(stream));
    WriteRooms(writer);
    return writer.Ok();
}

bool Game_ReadState(CStream& stream, std::string* error)
{
    std::string reason;
    auto saved = std::make_unique<SavedGame>();
    SaveReader reader(stream);
    if (!ReadSavedGame(reader, *saved, &reason)) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    CommitHeader(saved->header);
    CommitGlobals(*saved);
    CommitRooms(*saved);
    return true;
}

}  // namespace bw
