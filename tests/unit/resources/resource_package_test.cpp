// Scripts and timelines from whole packages that bwpack builds, in both of
// its forms, read by the runner's own loader: the script and timeline
// tables, their preparation and their runs must not tell the forms apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package_fixture.h"

namespace bw::test {
namespace {

pack::Project ScriptsAndTimeline()
{
    pack::Project project;
    project.header.name = "resources";
    project.scripts = {
        {"scr_add", {"return argument0 + argument1;", "scr_add.bwl"}},
        {"scr_twice", {"record(argument_count); return scr_add(argument0, argument0);", "scr_twice.bwl"}},
    };
    project.timelines = {
        {"tl_main",
         {{5, {"record(\"at 5\", scr_twice(4), argument0);", "tl_main_5.bwl"}},
          {9, {"record(\"at 9\");", "tl_main_9.bwl"}}}},
    };
    return project;
}

class ResourcePackageTest : public PackageCodeTest {
protected:
    void LoadResources() override { LoadPackage(ScriptsAndTimeline()); }
};

TEST_P(ResourcePackageTest, TablesHoldThePackagesScriptsAndTimelines)
{
    EXPECT_EQ(CODE_Present(), GetParam() == pack::PackageForm::Bytecode);
    EXPECT_EQ(Script_Count(), 2);
    EXPECT_EQ(Script_Find("scr_twice"), 1);
    EXPECT_EQ(TimeLine_Find("tl_main"), 0);
    const CTimeLine* timeline = TimeLine_Get(0);
    ASSERT_NE(timeline, nullptr);
    ASSERT_EQ(timeline->GetMomentCount(), 2);
    EXPECT_EQ(timeline->GetMomentTime(1), 9);
}

TEST_P(ResourcePackageTest, PreparedScriptsAndMomentsRun)
{
    ASSERT_TRUE(Script_Prepare()) << Code_Error_PendingMessage();
    ASSERT_TRUE(TimeLine_Prepare()) << Code_Error_PendingMessage();
    Value_SetReal(Script_Arguments().values[0], 3);
    Value args[kScriptArgumentSlots];
    Value_SetReal(args[0], 10);
    Value_SetReal(args[1], 20);
    Value result;
    ASSERT_TRUE(Script_Execute(0, self, self, 2, &result, args)) << Code_Error_PendingMessage();
    EXPECT_EQ(result.real, 30);
    TimeLine_PerformMoment(self, self, 0, 0);
    TimeLine_PerformMoment(self, self, 0, 1);
    EXPECT_EQ(Recorded(), "1\nat 5 8 3\nat 9\n");
    EXPECT_EQ(Script_Arguments().values[0].real, 3);
    Value_Free(args[0]);
    Value_Free(args[1]);
}

INSTANTIATE_TEST_SUITE_P(Forms, ResourcePackageTest,
                         ::testing::Values(pack::PackageForm::Text, pack::PackageForm::Bytecode), &PackageFormName);

}  // namespace
}  // namespace bw::test
