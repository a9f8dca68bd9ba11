// Timelines: named lists of moments, each a step number with one event. An
// instance running a timeline performs the moments its position passes; the
// game step moves the positions and asks here which moments lie between.
//
// A timeline's id is its index, and ids never move: a deleted timeline
// leaves an empty slot, since instances hold running timelines by index.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/package_view.h"

namespace bw {

class CEvent;
class CInstance;

class CTimeLine {
public:
    CTimeLine();
    virtual ~CTimeLine();
    CTimeLine(const CTimeLine&) = delete;
    CTimeLine& operator=(const CTimeLine&) = delete;

    // Appends a moment; the caller keeps the times ascending.
    void AddMoment(int32_t time, std::unique_ptr<CEvent> event);

    int32_t GetMomentCount() const { return static_cast<int32_t>(m_times.size()); }
    // 0 for an index out of range.
    int32_t GetMomentTime(int32_t index) const;
    // Null for an index out of range.
    CEvent* GetMomentEvent(int32_t index) const;

    // The first moment whose time is at or after position; the moment count
    // when there is none.
    int32_t FindMomentFrom(double position) const;
    // The last moment whose time is at or before position; -1 when none.
    int32_t FindMomentUpTo(double position) const;
    // The moment with exactly that time; -1 when none.
    int32_t FindMoment(int32_t time) const;

    // Removes the moment with exactly that time, if any; the later moments
    // keep their order. A moment that is running right now is removed when
    // the outermost moment run ends, so its code never runs on a freed event.
    void ClearMoment(int32_t time);

private:
    std::vector<int32_t> m_times;  // ascending
    std::vector<std::unique_ptr<CEvent>> m_events;
};

// The TMLN reader. Every record, moment list and moment event must lie
// inside the package; anything else is a load error, logged with what was
// wrong, and leaves the table empty.
bool TimeLine_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Compiles every moment of every timeline (text packages), with the event
// globals naming the timeline, type 100000 and the moment's time. The first
// failure (already reported) stops the walk.
bool TimeLine_Prepare();
bool TimeLine_Compile(CTimeLine& timeline);
// Empties the table before a package is read.
void TimeLine_ClearTable();

// Number of slots, empty ones included.
int32_t TimeLine_GetCount();
bool TimeLine_Exists(int32_t index);
// Null for an index out of range or an empty slot.
CTimeLine* TimeLine_Get(int32_t index);
// "<undefined>" for an index out of range or an empty slot.
const char* TimeLine_GetName(int32_t index);
// The first used slot whose name equals name byte for byte; -1 when none.
int32_t TimeLine_Find(const char* name);
// Timelines cannot be made at run time: always -1.
int32_t TimeLine_Add();
// Empties the slot; later ids stay. False for an index out of range or an
// empty slot. A timeline with a moment running is destroyed once the
// outermost moment run ends.
bool TimeLine_Delete(int32_t index);

// Performs moment `moment` of timeline `timeline` for self and other, with
// the event globals set to (timeline, 100000, the moment's time) and
// restored after. Nothing while a room change is pending, or for a missing
// timeline, moment or event.
void TimeLine_PerformMoment(CInstance* self, CInstance* other, int32_t timeline, int32_t moment);

}  // namespace bw
