// CEvent: the compiled code of one event of an object (or of one timeline
// moment), and the entry points that perform events on instances.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/package_view.h"

namespace bw {

class CCode;
class CInstance;

// Event types (the ev_ constants of game code).
inline constexpr int32_t kEventCreate = 0;
inline constexpr int32_t kEventDestroy = 1;
inline constexpr int32_t kEventAlarm = 2;
inline constexpr int32_t kEventStep = 3;
inline constexpr int32_t kEventCollision = 4;
inline constexpr int32_t kEventKeyboard = 5;
inline constexpr int32_t kEventMouse = 6;
inline constexpr int32_t kEventOther = 7;
inline constexpr int32_t kEventDraw = 8;
inline constexpr int32_t kEventKeyPress = 9;
inline constexpr int32_t kEventKeyRelease = 10;
// An object's event table has room for one type more than game code names.
inline constexpr int32_t kEventTypeCount = 12;
// Event numbers 0..255: the per-event object lists have that many slots, so
// a package event numbered beyond them is refused at load. Collision events
// are numbered by object and run to the package's object count instead.
inline constexpr int32_t kEventNumberCount = 256;

// The event type a timeline moment runs under.
inline constexpr int32_t kEventTypeTimelineMoment = 100000;

// Events running one inside another; the next one is refused.
inline constexpr int32_t kEventDepthLimit = 32;

class CEvent {
public:
    CEvent();
    virtual ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    // Makes the code unit from the action list at actionListOffset (a u32
    // count, then the action offsets; only the first action is used): the
    // package's code entry when it carries compiled code, else a unit of the
    // action's text, compiled later by Event_CompileAction. False when the
    // list or its action lies outside the package, or names a code entry the
    // package does not have. A list without actions loads as no event.
    bool Load(const PackageView& package, uint32_t actionListOffset);

    // Runs the code for self and other with the action functions' relative
    // flag cleared; the runner's result.
    bool Execute(CInstance* self, CInstance* other);

    // An event without code text counts as no event at all.
    bool IsPresent() const { return text != nullptr; }
    // The unit to run or compile: code, bound to the package entry first
    // when that has not happened yet; null when there is none.
    CCode* BoundCode();

    CCode* code = nullptr;       // package units belong to the global code list
    const char* text = nullptr;  // the action's text; "" for package code; null: no event
    // The package code entry, -1 for a unit made from text. The entry's unit
    // joins the code list only once the CODE chunk is read, which may follow
    // the chunk that holds the event; code is bound to it on first need.
    int32_t codeEntry = -1;

private:
    std::unique_ptr<CCode> m_ownedCode;  // the unit made from text
};

// Compiles an event made from text, named after the current event object,
// type and number; true at once for package code.
bool Event_CompileAction(CEvent* event);

// object_event_clear's step on an event that stays: it keeps its code.
void Event_Nop(CEvent* event);

// The event (type, number) of object or of the nearest ancestor that has
// it (collisions also through the other object's ancestors); *owner is the
// object whose table held it. Null when there is none.
CEvent* Event_FindInParents(int32_t object, int32_t type, int32_t number, int32_t* owner);

// Performs event (type, number) of object (or the nearest ancestor that has
// it) for self and other; nothing while a room change is pending. Nesting
// is capped at kEventDepthLimit events: the next one is reported as a fatal
// error and skipped.
void PerformEvent(CInstance* self, CInstance* other, int32_t object, int32_t type, int32_t number);
// PerformEvent with the event already found: event (null: nothing to run)
// as Event_FindInParents gave it, with its owner.
void Event_PerformFound(CInstance* self, CInstance* other, CEvent* event, int32_t owner, int32_t type,
                        int32_t number);
// PerformEvent with self's own object; nothing when self is null.
void Event_Perform(CInstance* self, CInstance* other, int32_t type, int32_t number);
// On every live, active instance of the current room, lowest depth first.
void Event_PerformAll(int32_t type, int32_t number);

// The library initialisation code: nothing in this runner adds any, so
// there is nothing to compile (false: no list) and nothing to free.
bool Library_CompileInit();
void Library_FreeInitCode();

}  // namespace bw
