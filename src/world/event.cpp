#include "world/event.h"

#include <cstdio>

#include "platform/package_image.h"
#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/error_report.h"
#include "script/value.h"
#include "world/event_names.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/room.h"
#include "world/run_requests.h"

namespace bw {

namespace {

// Where the two words the runner reads lie in an action record.
constexpr uint32_t kActionCodeEntryAt = 32;
constexpr uint32_t kActionCodeTextAt = 60;

int32_t g_eventDepth = 0;

}  // namespace

CEvent::CEvent() = default;

CEvent::~CEvent() = default;

bool CEvent::Load(const PackageView& package, uint32_t actionListOffset)
{
    code = nullptr;
    text = nullptr;
    codeEntry = -1;
    m_ownedCode.reset();
    uint32_t actionCount = 0;
    if (!package.ReadU32(actionListOffset, actionCount)) {
        return false;
    }
    if (actionCount == 0) {
        return true;
    }
    uint32_t action = 0;
    if (!package.ReadU32(uint64_t{actionListOffset} + 4, action)) {
        return false;
    }
    if (CODE_Present()) {
        uint32_t entry = 0;
        if (!package.ReadU32(uint64_t{action} + kActionCodeEntryAt, entry) ||
            CODE_Entry(static_cast<int32_t>(entry)) == nullptr) {
            return false;
        }
        codeEntry = static_cast<int32_t>(entry);
        text = "";
        code = Code_List_Find(codeEntry);
        return true;
    }
    uint32_t textOffset = 0;
    const char* actionText = nullptr;
    if (!package.ReadU32(uint64_t{action} + kActionCodeTextAt, textOffset) ||
        !Wad_PatchString(package, textOffset, &actionText)) {
        return false;
    }
    if (actionText != nullptr) {
        text = actionText;
        m_ownedCode = std::make_unique<CCode>(actionText, false);
        code = m_ownedCode.get();
    }
    return true;
}

CCode* CEvent::BoundCode()
{
    if (code == nullptr && codeEntry >= 0) {
        code = Code_List_Find(codeEntry);
    }
    return code;
}

bool CEvent::Execute(CInstance* self, CInstance* other)
{
    CCode* unit = BoundCode();
    if (unit == nullptr) {
        return false;
    }
    CurrentEvent& current = Event_Current();
    const bool relative = current.argumentRelative;
    current.argumentRelative = false;
    Value result;
    const bool ran = Code_Execute(self, other, *unit, &result);
    Value_Free(result);
    current.argumentRelative = relative;
    return ran;
}

bool Event_CompileAction(CEvent* event)
{
    if (event == nullptr) {
        return true;
    }
    CCode* unit = event->BoundCode();
    if (CODE_Present() || unit == nullptr) {
        return true;
    }
    const CurrentEvent& current = Event_Current();
    const std::string name =
        Event_ActionUnitName(current.object, current.type, current.number, current.action, Object_Name);
    if (unit->Compile(name.c_str())) {
        return true;
    }
    char message[1024];
    std::snprintf(message, sizeof message, "COMPILATION ERROR in code action\n%s", Code_Error_PendingMessage());
    Code_Error_Runtime(message, true);
    return false;
}

void Event_Nop(CEvent*) {}

CEvent* Event_FindInParents(int32_t object, int32_t type, int32_t number, int32_t* owner)
{
    *owner = object;
    const CObject* record = Object_Find(object);
    return record != nullptr ? record->FindEvent(type, number, owner) : nullptr;
}

void PerformEvent(CInstance* self, CInstance* other, int32_t object, int32_t type, int32_t number)
{
    int32_t owner = object;
    CEvent* event = Event_FindInParents(object, type, number, &owner);
    Event_PerformFound(self, other, event, owner, type, number);
}

void Event_PerformFound(CInstance* self, CInstance* other, CEvent* event, int32_t owner, int32_t type,
                        int32_t number)
{
    if (event == nullptr || Run_RequestPending()) {
        return;
    }
    if (++g_eventDepth > kEventDepthLimit) {
        Code_Error_Runtime("PerformEvent recursion depth failure - check for infinite loops, check objects for parenting",
                           true);
        --g_eventDepth;
        return;
    }
    CurrentEvent& current = Event_Current();
    const int32_t savedObject = current.object;
    const int32_t savedType = current.type;
    const int32_t savedNumber = current.number;
    current.object = owner;
    current.type = type;
    current.number = number;
    event->Execute(self, other);
    --g_eventDepth;
    current.object = savedObject;
    current.type = savedType;
    current.number = savedNumber;
}

void Event_Perform(CInstance* self, CInstance* other, int32_t type, int32_t number)
{
    if (self != nullptr) {
        PerformEvent(self, other, self->i_objindex, type, number);
    }
}

void Event_PerformAll(int32_t type, int32_t number)
{
    if (Run_RequestPending()) {
        return;
    }
    const CRoom* room = Room_Current();
    CInstance* next = nullptr;
    for (CInstance* instance = room != nullptr ? room->activeInstances.First() : nullptr; instance != nullptr;
         instance = next) {
        next = instance->i_next;
        if (Instance_IsLive(instance)) {
            PerformEvent(instance, instance, instance->i_objindex, type, number);
        }
    }
}

bool Library_CompileInit()
{
    return false;
}

void Library_FreeInitCode() {}

}  // namespace bw
