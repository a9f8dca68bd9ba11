// Creation code of rooms and of the instances placed in them. A package
// with compiled code names code entries, which are bound once every entry
// has been verified; a package of source text is compiled here, and so is
// the text that room_set_code gives a room at run time.
#include <string>

#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "world/room.h"
#include "world/room_table.h"

namespace bw {

namespace {

// Units of the global code list are owned by that list; rooms share them
// through a pointer that owns nothing.
std::shared_ptr<CCode> PackageUnit(int32_t codeEntry)
{
    return std::shared_ptr<CCode>(std::shared_ptr<CCode>(), Code_List_Find(codeEntry));
}

bool Compile(CCode& unit, const std::string& unitName)
{
    if (unit.Compile(unitName.c_str())) {
        return true;
    }
    const std::string report = std::string("COMPILATION ERROR in room script\n") + Code_Error_PendingMessage();
    Code_Error_ClearPending();
    Code_Error_Log(report.c_str(), false);
    return false;
}

void BindPackageCode(CRoom& room)
{
    if (room.codeEntry >= 0) {
        room.code = PackageUnit(room.codeEntry);
    }
    if (room.record == nullptr) {
        return;
    }
    for (RoomInstanceEntry& entry : room.record->instances) {
        if (entry.codeEntry >= 0) {
            entry.code = PackageUnit(entry.codeEntry);
        }
    }
}

// lastCompile takes the outcome when there is something to compile.
bool CompileRoomCode(CRoom& room, bool& lastCompile)
{
    if (room.code == nullptr || room.code->compiled) {
        return true;
    }
    lastCompile = Compile(*room.code, "Room." + room.name);
    return lastCompile;
}

// Stops at the room's first failing instance code; lastCompile takes the
// outcome of each compile.
void CompileInstanceCode(CRoom& room, bool& lastCompile)
{
    if (room.record == nullptr) {
        return;
    }
    int32_t index = 0;
    for (RoomInstanceEntry& entry : room.record->instances) {
        if (entry.code != nullptr && !entry.code->compiled) {
            lastCompile = Compile(*entry.code, "Instance." + room.name + "." + std::to_string(index));
            if (!lastCompile) {
                return;
            }
        }
        ++index;
    }
}

}  // namespace

bool CRoom::SetCode(const char* text)
{
    codeText = text != nullptr ? text : "";
    codeEntry = -1;
    code.reset();
    if (codeText.empty()) {
        return true;
    }
    auto unit = std::make_shared<CCode>(codeText.c_str(), false);
    if (!Compile(*unit, "Room." + name)) {
        return false;
    }
    code = std::move(unit);
    return true;
}

bool Room_Prepare()
{
    // A room whose own code fails stops the preparation; a failing instance
    // code is reported and the next room is prepared. The answer is that of
    // the last compile, so one bad instance code does not stop start-up once
    // a later room has compiled.
    bool lastCompile = true;
    for (int32_t index = 0; index < Room_Count(); ++index) {
        CRoom* room = Room_Get(index);
        if (room == nullptr) {
            continue;
        }
        if (CODE_Present()) {
            BindPackageCode(*room);
            continue;
        }
        if (!CompileRoomCode(*room, lastCompile)) {
            return false;
        }
        CompileInstanceCode(*room, lastCompile);
    }
    return lastCompile;
}

}  // namespace bw
