#include "resources/timeline.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/console.h"
#include "platform/package_image.h"
#include "world/event.h"
#include "world/game_state.h"
#include "world/room.h"

namespace bw {

namespace {

// A TMLN record: the name's offset and the moment count, then per moment
// its time and the offset of its event's action list.
constexpr uint64_t kRecordHeaderSize = 8;
constexpr uint64_t kMomentSize = 8;

struct TimeLineSlot {
    std::unique_ptr<CTimeLine> timeline;
    const char* name = nullptr;  // points into the package image
};

std::vector<TimeLineSlot> g_timelines;

// What moment code may not free under its own feet. While any moment runs,
// clears of a running moment and deleted timelines wait here until the
// outermost moment run ends.
struct MomentRuns {
    std::vector<const CEvent*> running;  // innermost last
    std::vector<std::pair<CTimeLine*, int32_t>> pendingClears;
    std::vector<std::unique_ptr<CTimeLine>> retired;
};

MomentRuns& Runs()
{
    static MomentRuns runs;
    return runs;
}

bool IsRunning(const CEvent* event)
{
    const std::vector<const CEvent*>& running = Runs().running;
    return std::find(running.begin(), running.end(), event) != running.end();
}

void FinishDeferredChanges()
{
    MomentRuns& runs = Runs();
    // A clear may name a timeline deleted later in the same run, so clears
    // go first while every retired timeline still exists.
    std::vector<std::pair<CTimeLine*, int32_t>> clears = std::move(runs.pendingClears);
    runs.pendingClears.clear();
    for (const auto& [timeline, time] : clears) {
        timeline->ClearMoment(time);
    }
    runs.retired.clear();
}

void LogLoadError(const char* what, size_t index)
{
    Console().Printf("Error on load\nTMLN: timeline %zu: %s\n", index, what);
}

// One record into slot; false (logged) when it is malformed.
bool ReadRecord(const PackageView& package, uint32_t record, size_t index, TimeLineSlot& slot)
{
    uint32_t nameOffset = 0;
    uint32_t count = 0;
    if (!package.ReadU32(record, nameOffset) || !package.ReadU32(uint64_t{record} + 4, count)) {
        LogLoadError("the record lies outside the package", index);
        return false;
    }
    if (!Wad_PatchString(package, nameOffset, &slot.name)) {
        LogLoadError("the name lies outside the package", index);
        return false;
    }
    if (slot.name == nullptr) {
        slot.name = "";
    }
    const uint64_t moments = uint64_t{record} + kRecordHeaderSize;
    if (!package.Contains(moments, uint64_t{count} * kMomentSize)) {
        LogLoadError("the moment list runs past the end of the package", index);
        return false;
    }
    slot.timeline = std::make_unique<CTimeLine>();
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t time = 0;
        uint32_t actions = 0;
        package.ReadU32(moments + i * kMomentSize, time);
        package.ReadU32(moments + i * kMomentSize + 4, actions);
        auto event = std::make_unique<CEvent>();
        if (!event->Load(package, actions)) {
            LogLoadError("a moment's event lies outside the package", index);
            return false;
        }
        slot.timeline->AddMoment(static_cast<int32_t>(time), std::move(event));
    }
    return true;
}

}  // namespace

CTimeLine::CTimeLine() = default;

CTimeLine::~CTimeLine() = default;

void CTimeLine::AddMoment(int32_t time, std::unique_ptr<CEvent> event)
{
    m_times.push_back(time);
    m_events.push_back(std::move(event));
}

int32_t CTimeLine::GetMomentTime(int32_t index) const
{
    return index >= 0 && index < GetMomentCount() ? m_times[static_cast<size_t>(index)] : 0;
}

CEvent* CTimeLine::GetMomentEvent(int32_t index) const
{
    return index >= 0 && index < GetMomentCount() ? m_events[static_cast<size_t>(index)].get() : nullptr;
}

int32_t CTimeLine::FindMomentFrom(double position) const
{
    int32_t index = 0;
    while (index < GetMomentCount() && !(m_times[static_cast<size_t>(index)] >= position)) {
        ++index;
    }
    return index;
}

int32_t CTimeLine::FindMomentUpTo(double position) const
{
    int32_t index = GetMomentCount() - 1;
    while (index >= 0 && !(m_times[static_cast<size_t>(index)] <= position)) {
        --index;
    }
    return index;
}

int32_t CTimeLine::FindMoment(int32_t time) const
{
    const auto found = std::find(m_times.begin(), m_times.end(), time);
    return found != m_times.end() ? static_cast<int32_t>(found - m_times.begin()) : -1;
}

void CTimeLine::ClearMoment(int32_t time)
{
    const int32_t index = FindMoment(time);
    if (index < 0) {
        return;
    }
    if (IsRunning(m_events[static_cast<size_t>(index)].get())) {
        Runs().pendingClears.emplace_back(this, time);
        return;
    }
    m_times.erase(m_times.begin() + index);
    m_events.erase(m_events.begin() + index);
}

bool TimeLine_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    TimeLine_ClearTable();
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("TMLN"), offset, length}, records)) {
        Console().Printf("Error on load\nTMLN: the timeline list runs past its chunk\n");
        return false;
    }
    g_timelines.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] != 0 && !ReadRecord(package, records[i], i, g_timelines[i])) {
            TimeLine_ClearTable();
            return false;
        }
    }
    return true;
}

bool TimeLine_Prepare()
{
    for (int32_t i = 0; i < TimeLine_GetCount(); ++i) {
        CTimeLine* timeline = TimeLine_Get(i);
        if (timeline == nullptr) {
            continue;
        }
        Event_Current().object = i;
        if (!TimeLine_Compile(*timeline)) {
            return false;
        }
    }
    return true;
}

bool TimeLine_Compile(CTimeLine& timeline)
{
    CurrentEvent& current = Event_Current();
    current.type = kEventTypeTimelineMoment;
    for (int32_t i = 0; i < timeline.GetMomentCount(); ++i) {
        current.number = timeline.GetMomentTime(i);
        if (!Event_CompileAction(timeline.GetMomentEvent(i))) {
            return false;
        }
    }
    return true;
}

void TimeLine_ClearTable()
{
    g_timelines.clear();
}

int32_t TimeLine_GetCount()
{
    return static_cast<int32_t>(g_timelines.size());
}

bool TimeLine_Exists(int32_t index)
{
    return TimeLine_Get(index) != nullptr;
}

CTimeLine* TimeLine_Get(int32_t index)
{
    return index >= 0 && index < TimeLine_GetCount() ? g_timelines[static_cast<size_t>(index)].timeline.get()
                                                     : nullptr;
}

const char* TimeLine_GetName(int32_t index)
{
    return TimeLine_Exists(index) ? g_timelines[static_cast<size_t>(index)].name : "<undefined>";
}

int32_t TimeLine_Find(const char* name)
{
    for (int32_t i = 0; i < TimeLine_GetCount(); ++i) {
        const TimeLineSlot& slot = g_timelines[static_cast<size_t>(i)];
        if (slot.timeline != nullptr && std::strcmp(slot.name, name) == 0) {
            return i;
        }
    }
    return -1;
}

int32_t TimeLine_Add()
{
    return -1;
}

bool TimeLine_Delete(int32_t index)
{
    if (!TimeLine_Exists(index)) {
        return false;
    }
    TimeLineSlot& slot = g_timelines[static_cast<size_t>(index)];
    if (!Runs().running.empty()) {
        Runs().retired.push_back(std::move(slot.timeline));
    }
    slot = TimeLineSlot{};
    return true;
}

void TimeLine_PerformMoment(CInstance* self, CInstance* other, int32_t timeline, int32_t moment)
{
    if (NewRoomRequest != -1) {
        return;
    }
    const CTimeLine* record = TimeLine_Get(timeline);
    CEvent* event = record != nullptr ? record->GetMomentEvent(moment) : nullptr;
    if (event == nullptr || !event->IsPresent()) {
        return;
    }
    CurrentEvent& current = Event_Current();
    const CurrentEvent saved = current;
    current.object = timeline;
    current.type = kEventTypeTimelineMoment;
    current.number = record->GetMomentTime(moment);
    MomentRuns& runs = Runs();
    runs.running.push_back(event);
    event->Execute(self, other);
    runs.running.pop_back();
    current.object = saved.object;
    current.type = saved.type;
    current.number = saved.number;
    if (runs.running.empty()) {
        FinishDeferredChanges();
    }
}

}  // namespace bw
