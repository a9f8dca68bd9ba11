// The room table (one template per room index, read from the ROOM chunk and
// changed by room_add, room_duplicate and room_assign) and the room order of
// the game header, which gives the first room and "next" and "previous".
#pragma once

#include <cstdint>

#include "platform/package_view.h"

namespace bw {

class CRoom;

// The ROOM chunk reader: one template per non-empty slot. A record that
// does not fit the image is a load error: the reason is logged and the table
// is left empty.
bool Room_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Empties the table before a package is read (the caller empties the order).
void Room_ClearTable();
// Binds or compiles every template's creation code and its instances'
// creation code. False when any of them fails; each failure is reported.
bool Room_Prepare();

int32_t Room_Count();
// Null for an index outside the table or an empty slot.
CRoom* Room_Get(int32_t index);
bool Room_Exists(int32_t index);
// "<undefined>" when there is no room at the index.
const char* Room_GetName(int32_t index);
// First index whose room has exactly that name; -1 when none.
int32_t Room_Find(const char* name);
// room_add: a new room with defaults and an empty record of its own at the
// end of the table; its index. The room order is not changed.
int32_t Room_Add();
// room_duplicate: a copy of the room at the end of the table; its index, or
// -1 when the room does not exist. The room order is not changed.
int32_t Room_Duplicate(int32_t index);
// room_assign: dest becomes a copy of src (the room dest held is deleted).
// False unless both exist.
bool Room_Assign(int32_t dest, int32_t src);

// A game needs a first room, and every entry of the order must name a
// room of the table: otherwise logs the load error and answers false.
bool Room_CheckOrder();

// The room order: first and last entry, -1 when the order is empty.
int32_t Room_First();
int32_t Room_Last();
// The entry before the first place (from the second on) that holds room;
// the entry after the last place (before the last) that holds it. -1 when
// there is none.
int32_t Room_Previous(int32_t room);
int32_t Room_Next(int32_t room);

// Game end and shut-down: no current room, every template deleted, the
// order emptied.
void Run_FreeRoomsAtEnd();

}  // namespace bw
