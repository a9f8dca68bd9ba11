// The room table and the room order. The table owns the templates; each
// slot keeps the name game code finds the room by. Run-time rooms are made
// from the templates elsewhere and share their records and creation code,
// so replacing or deleting a template never pulls anything from under a
// room that is being played.
#include "world/room_table.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/package_image.h"
#include "world/room.h"

namespace bw {

namespace {

struct RoomSlot {
    std::unique_ptr<CRoom> room;  // null: no room at this index
    std::string name;
};

std::vector<RoomSlot>& Table()
{
    static std::vector<RoomSlot> table;
    return table;
}

RoomSlot* Slot(int32_t index)
{
    std::vector<RoomSlot>& table = Table();
    return index >= 0 && static_cast<size_t>(index) < table.size() ? &table[static_cast<size_t>(index)] : nullptr;
}

std::string NewRoomName(int32_t index)
{
    return "__newroom" + std::to_string(index);
}

int32_t Append(std::unique_ptr<CRoom> room)
{
    const auto index = static_cast<int32_t>(Table().size());
    std::string name = NewRoomName(index);
    room->SetName(name.c_str());
    Table().push_back(RoomSlot{std::move(room), std::move(name)});
    return index;
}

}  // namespace

bool Room_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    Room_ClearTable();
    std::vector<uint32_t> entries;
    if (!Wad_PatchPointerList(package, ChunkInfo{0, offset, length}, entries)) {
        Console().Printf("Error on load\nThe room list does not fit its chunk\n");
        return false;
    }
    std::vector<RoomSlot> table(entries.size());
    for (size_t index = 0; index < entries.size(); ++index) {
        if (entries[index] == 0) {
            continue;
        }
        auto room = std::make_unique<CRoom>();
        std::string error;
        if (!room->LoadFromChunk(package, entries[index], &error)) {
            Console().Printf("Error on load\nRoom %zu: %s\n", index, error.c_str());
            return false;
        }
        table[index].name = room->name;
        table[index].room = std::move(room);
    }
    Table() = std::move(table);
    return true;
}

void Room_ClearTable()
{
    Table().clear();
}

int32_t Room_Count()
{
    return static_cast<int32_t>(Table().size());
}

CRoom* Room_Get(int32_t index)
{
    RoomSlot* slot = Slot(index);
    return slot != nullptr ? slot->room.get() : nullptr;
}

bool Room_Exists(int32_t index)
{
    return Room_Get(index) != nullptr;
}

const char* Room_GetName(int32_t index)
{
    RoomSlot* slot = Slot(index);
    return slot != nullptr && slot->room != nullptr ? slot->name.c_str() : "<undefined>";
}

int32_t Room_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    for (int32_t index = 0; index < Room_Count(); ++index) {
        const RoomSlot& slot = Table()[static_cast<size_t>(index)];
        if (slot.room != nullptr && slot.name == name) {
            return index;
        }
    }
    return -1;
}

int32_t Room_Add()
{
    auto room = std::make_unique<CRoom>();
    room->CreateRecord();
    return Append(std::move(room));
}

int32_t Room_Duplicate(int32_t index)
{
    const CRoom* source = Room_Get(index);
    if (source == nullptr) {
        return -1;
    }
    auto room = std::make_unique<CRoom>();
    room->CreateInstances(source, false);
    return Append(std::move(room));
}

bool Room_Assign(int32_t dest, int32_t src)
{
    RoomSlot* slot = Slot(dest);
    const CRoom* source = Room_Get(src);
    if (slot == nullptr || slot->room == nullptr || source == nullptr) {
        return false;
    }
    // The copy shares the source's record: the room's instances are made
    // from it once, when the room is entered. Made before the old room goes,
    // so a room assigned to itself stays whole.
    auto room = std::make_unique<CRoom>();
    room->CreateInstances(source, false);
    room->SetName(slot->name.c_str());
    slot->room = std::move(room);
    return true;
}

bool Room_CheckOrder()
{
    const std::vector<int32_t>& order = Room_Order();
    if (order.empty()) {
        Console().Printf("Error on load\nThe room order is empty: the game has no first room\n");
        return false;
    }
    for (size_t at = 0; at < order.size(); ++at) {
        if (!Room_Exists(order[at])) {
            Console().Printf("Error on load\nRoom order entry %zu names room %d, which does not exist\n", at,
                             order[at]);
            return false;
        }
    }
    return true;
}

int32_t Room_First()
{
    const std::vector<int32_t>& order = Room_Order();
    return order.empty() ? -1 : order.front();
}

int32_t Room_Last()
{
    const std::vector<int32_t>& order = Room_Order();
    return order.empty() ? -1 : order.back();
}

int32_t Room_Previous(int32_t room)
{
    const std::vector<int32_t>& order = Room_Order();
    for (size_t at = 1; at < order.size(); ++at) {
        if (order[at] == room) {
            return order[at - 1];
        }
    }
    return -1;
}

int32_t Room_Next(int32_t room)
{
    const std::vector<int32_t>& order = Room_Order();
    for (size_t at = order.size(); at-- > 1;) {
        if (order[at - 1] == room) {
            return order[at];
        }
    }
    return -1;
}

std::vector<int32_t>& Room_Order()
{
    static std::vector<int32_t> order;
    return order;
}

void Run_FreeRoomsAtEnd()
{
    Room_SetCurrent(nullptr, -1);
    Room_ClearTable();
    Room_Order().clear();
}

}  // namespace bw
