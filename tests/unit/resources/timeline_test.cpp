#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/run_wiring.h"
#include "chunk_image.h"
#include "code_fixture.h"
#include "script/error_report.h"
#include "world/event.h"

namespace bw::test {
namespace {

std::unique_ptr<CTimeLine> MomentsAt(std::initializer_list<int32_t> times)
{
    auto timeline = std::make_unique<CTimeLine>();
    for (int32_t time : times) {
        timeline->AddMoment(time, std::make_unique<CEvent>());
    }
    return timeline;
}

TEST(TimeLineMoments, LookupsFindExactTimesTheFirstMomentAtOrAfterAndTheLastAtOrBefore)
{
    const std::unique_ptr<CTimeLine> timeline = MomentsAt({10, 20, 30});
    const struct {
        double position;
        int32_t from, upTo;
    } cases[] = {{15, 1, 0}, {20, 1, 1}, {31, 3, 2}, {5, 0, -1}, {10, 0, 0}, {29.5, 2, 1}, {-1, 0, -1}, {100, 3, 2},
                 {30, 2, 2}, {10.5, 1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(timeline->FindMomentFrom(c.position), c.from) << c.position;
        EXPECT_EQ(timeline->FindMomentUpTo(c.position), c.upTo) << c.position;
    }
    EXPECT_EQ(MomentsAt({})->FindMomentFrom(0), 0);
    EXPECT_EQ(MomentsAt({})->FindMomentUpTo(10), -1);
    EXPECT_EQ(timeline->FindMoment(20), 1);
    EXPECT_EQ(timeline->FindMoment(25), -1);
    // Indexes out of range answer zero and null.
    EXPECT_EQ(timeline->GetMomentTime(2), 30);
    for (int32_t index : {-1, 3}) {
        EXPECT_EQ(timeline->GetMomentTime(index), 0) << index;
        EXPECT_EQ(timeline->GetMomentEvent(index), nullptr) << index;
    }
}

TEST(TimeLineMoments, ClearMomentRemovesOnlyAnExactTime)
{
    const std::unique_ptr<CTimeLine> timeline = MomentsAt({10, 20, 30});
    const CEvent* first = timeline->GetMomentEvent(0);
    const CEvent* last = timeline->GetMomentEvent(2);
    timeline->ClearMoment(25);
    EXPECT_EQ(timeline->GetMomentCount(), 3);
    timeline->ClearMoment(20);
    ASSERT_EQ(timeline->GetMomentCount(), 2);
    EXPECT_EQ(timeline->GetMomentTime(0), 10);
    EXPECT_EQ(timeline->GetMomentTime(1), 30);
    EXPECT_EQ(timeline->GetMomentEvent(0), first);
    EXPECT_EQ(timeline->GetMomentEvent(1), last);
    CTimeLine empty;
    empty.ClearMoment(0);
    EXPECT_EQ(empty.GetMomentCount(), 0);
}

struct MomentSource {
    int32_t time;
    const char* code;
};

struct TimeLineSource {
    const char* name;  // null: an empty slot
    std::vector<MomentSource> moments;
};

// A TMLN payload (at offset 4 of the image, running to its end), in text
// form.
ChunkImage TimeLineChunk(std::initializer_list<TimeLineSource> timelines)
{
    ChunkImage image;
    const uint32_t list = image.List(static_cast<uint32_t>(timelines.size()));
    uint32_t index = 0;
    for (const TimeLineSource& timeline : timelines) {
        if (timeline.name != nullptr) {
            const uint32_t name = image.Text(timeline.name);
            std::vector<uint32_t> texts;
            for (const MomentSource& moment : timeline.moments) {
                texts.push_back(image.Text(moment.code));
            }
            image.Slot(list, index);
            image.U32(name);
            image.U32(static_cast<uint32_t>(timeline.moments.size()));
            const uint32_t pairs = image.Here();
            for (const MomentSource& moment : timeline.moments) {
                image.I32(moment.time);
                image.U32(0);
            }
            for (size_t i = 0; i < texts.size(); ++i) {
                image.PatchU32(static_cast<uint32_t>(pairs + 8 * i + 4), image.ActionList(texts[i]));
            }
        }
        ++index;
    }
    return image;
}

bool LoadTimeLines(const ChunkImage& image)
{
    return TimeLine_Load(image.View(), 4, image.Size() - 4);
}

class TimeLineTableTest : public ResourceCodeTest {
protected:
    ChunkImage image;  // names and texts point into it
};

TEST_F(TimeLineTableTest, LoadsNamesAndMomentsKeepingEmptySlots)
{
    image = TimeLineChunk({{"tl_a", {{5, "x = 1;"}, {12, "x = 2;"}}}, {nullptr, {}}, {"tl_b", {}}});
    ASSERT_TRUE(LoadTimeLines(image));
    EXPECT_EQ(TimeLine_GetCount(), 3);
    EXPECT_FALSE(TimeLine_Exists(1));
    EXPECT_STREQ(TimeLine_GetName(1), "<undefined>");
    EXPECT_STREQ(TimeLine_GetName(2), "tl_b");
    EXPECT_EQ(TimeLine_Find("tl_b"), 2);
    EXPECT_EQ(Resource_FindByName(ResourceKind::TimeLine, "tl_a"), 0);  // through the engine's seam
    const CTimeLine* timeline = TimeLine_Get(0);
    ASSERT_NE(timeline, nullptr);
    ASSERT_EQ(timeline->GetMomentCount(), 2);
    EXPECT_EQ(timeline->GetMomentTime(1), 12);
    EXPECT_TRUE(timeline->GetMomentEvent(1)->IsPresent());
    EXPECT_EQ(TimeLine_Get(2)->GetMomentCount(), 0);
}

TEST_F(TimeLineTableTest, DeletedTimelineKeepsLaterIdsAndAddMakesNothing)
{
    image = TimeLineChunk({{"tl_a", {}}, {"tl_b", {}}, {"tl_c", {}}});
    ASSERT_TRUE(LoadTimeLines(image));
    EXPECT_TRUE(TimeLine_Delete(1));
    EXPECT_EQ(TimeLine_GetCount(), 3);
    EXPECT_FALSE(TimeLine_Exists(1));
    EXPECT_EQ(TimeLine_Find("tl_b"), -1);
    EXPECT_EQ(TimeLine_Find("tl_c"), 2);
    EXPECT_STREQ(TimeLine_GetName(2), "tl_c");
    for (int32_t index : {1, 3, -1}) {
        EXPECT_FALSE(TimeLine_Delete(index)) << index;
    }
    EXPECT_EQ(TimeLine_Add(), -1);
    EXPECT_EQ(TimeLine_GetCount(), 3);
}

TEST_F(TimeLineTableTest, MalformedChunksAreLoadErrors)
{
    const struct {
        const char* what;
        ChunkImage payload;
    } cases[] = {
        {"list runs past the chunk", RecordPayload({3}, true)},
        {"record outside the package", RecordPayload({1, 0xFFFFFFF0u}, true)},
        {"name outside the package", RecordPayload({0x7FFFFFFFu, 0})},
        {"moment count past the end", RecordPayload({kTextWord, 0x20000000u})},
        {"moment list cut short", RecordPayload({kTextWord, 2, 10, 0, 20})},
        {"event outside the package", RecordPayload({kTextWord, 1, 10, 0xFFFFFFF8u})},
        {"event's action outside the package", RecordPayload({kTextWord, 1, 10, kNextWord, 1, 0x7FFFFFF0u})},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(LoadTimeLines(c.payload)) << c.what;
        EXPECT_EQ(TimeLine_GetCount(), 0) << c.what;
    }
    EXPECT_TRUE(LoadTimeLines(RecordPayload({kTextWord, 0})));  // the same shape, well formed
}

void NoteEvent(Value*, CInstance*, CInstance*, int32_t, Value*)
{
    const CurrentEvent& current = Event_Current();
    Recorded() += std::to_string(current.type) + " " + std::to_string(current.number) + " " +
                  std::to_string(current.object) + "\n";
}

// clear_moment(time): clears that moment of timeline 0 and records how many
// moments the timeline has right after.
void ClearMoment(Value*, CInstance*, CInstance*, int32_t, Value* args)
{
    CTimeLine* timeline = TimeLine_Get(0);
    timeline->ClearMoment(static_cast<int32_t>(args[0].real));
    Recorded() += "count " + std::to_string(timeline->GetMomentCount()) + "\n";
}

void DeleteTimeLine(Value*, CInstance*, CInstance*, int32_t, Value* args)
{
    const auto index = static_cast<int32_t>(args[0].real);
    TimeLine_Delete(index);
    Recorded() += std::string("exists ") + (TimeLine_Exists(index) ? "yes" : "no") + "\n";
}

class TimeLineMomentTest : public TimeLineTableTest {
protected:
    void SetUp() override
    {
        TimeLineTableTest::SetUp();
        AddBuiltin("note_event", &NoteEvent, 0);
        AddBuiltin("clear_moment", &ClearMoment, 1);
        AddBuiltin("delete_timeline", &DeleteTimeLine, 1);
    }

    // Timeline 0 (tl_a) with moments 10, 20 and 30 running code, then tl_b.
    void LoadMoments(const char* at10, const char* at20 = "", const char* at30 = "")
    {
        image = TimeLineChunk({{"tl_a", {{10, at10}, {20, at20}, {30, at30}}}, {"tl_b", {{1, ""}}}});
        ASSERT_TRUE(LoadTimeLines(image));
        ASSERT_TRUE(TimeLine_Prepare()) << Code_Error_PendingMessage();
    }
};

TEST_F(TimeLineMomentTest, MomentRunsUnderTheTimelinesEventGlobals)
{
    LoadMoments("", "note_event();");
    Event_Current().type = 3;
    Event_Current().number = 1;
    Event_Current().object = 7;
    TimeLine_PerformMoment(self, self, 0, 1);
    EXPECT_EQ(Recorded(), "100000 20 0\n");
    EXPECT_EQ(Event_Current().type, 3);
    EXPECT_EQ(Event_Current().number, 1);
    EXPECT_EQ(Event_Current().object, 7);
}

TEST_F(TimeLineMomentTest, AnErrorInAMomentNamesTheTimeLineAndTheStep)
{
    Runner_InstallErrorReportHooks();
    Code_Error_ResetState();
    LoadMoments("", "a[0] = 1; b = a[4];");
    TimeLine_PerformMoment(self, self, 0, 1);
    const std::string report = Code_Error_LastText() != nullptr ? Code_Error_LastText() : "";
    Code_Error_Hooks() = ErrorReportHooks{};
    Code_Error_ResetState();
    NewRoomRequest = -1;
    EXPECT_NE(report.find("ERROR in\naction number 1\nat time step20\nof time line tl_a:\n"), std::string::npos) << report;
}

TEST_F(TimeLineMomentTest, NothingRunsWhileARoomChangeIsPending)
{
    LoadMoments("note_event();");
    NewRoomRequest = 2;
    TimeLine_PerformMoment(self, self, 0, 0);
    EXPECT_EQ(Recorded(), "");
    NewRoomRequest = -1;
    TimeLine_PerformMoment(self, self, 0, 3);  // no such moment
    TimeLine_PerformMoment(self, self, 5, 0);  // no such timeline
    EXPECT_EQ(Recorded(), "");
}

TEST_F(TimeLineMomentTest, MomentClearingItselfGoesOnceItsRunEndsAnotherAtOnce)
{
    LoadMoments("", "clear_moment(30); clear_moment(20); record(\"still running\");");
    const CEvent* first = TimeLine_Get(0)->GetMomentEvent(0);
    TimeLine_PerformMoment(self, self, 0, 1);
    EXPECT_EQ(Recorded(), "count 2\ncount 2\nstill running\n");
    const CTimeLine* timeline = TimeLine_Get(0);
    ASSERT_EQ(timeline->GetMomentCount(), 1);
    EXPECT_EQ(timeline->GetMomentTime(0), 10);
    EXPECT_EQ(timeline->GetMomentEvent(0), first);
}

TEST_F(TimeLineMomentTest, MomentDeletingItsOwnTimelineFinishesItsRun)
{
    LoadMoments("delete_timeline(0); record(\"still running\");");
    TimeLine_PerformMoment(self, self, 0, 0);
    EXPECT_EQ(Recorded(), "exists no\nstill running\n");
    EXPECT_FALSE(TimeLine_Exists(0));
    EXPECT_EQ(TimeLine_Find("tl_b"), 1);
}

}  // namespace
}  // namespace bw::test
