// Balls bouncing in a walled box, run in-process on the virtual clock: bwpack
// builds tests/packages/collision_bounce, the runner plays it for 300 steps
// and the game reports where each ball ended and how many collision events
// ran. The balls are precise circles; the walls are solid boxes that the
// collision pass keeps them out of, and the balls' own collision events turn
// them away from walls (with instance_place) and from each other.
#include <iterator>
#include <vector>

#include "package_play_fixture.h"

namespace bw::test {
namespace {

constexpr int32_t kFrameCap = 400;

struct Report {
    int32_t id = 0;
    std::vector<double> values;
};

std::vector<Report>& Reports()
{
    static std::vector<Report> reports;
    return reports;
}

// report(values...): who reported what.
void ReportBuiltin(Value*, CInstance* self, CInstance*, int32_t argc, Value* args)
{
    Report report{self != nullptr ? self->i_id : -1, {}};
    for (int32_t i = 0; i < argc; ++i) {
        report.values.push_back(args[i].real);
    }
    Reports().push_back(report);
}

void RegisterReport()
{
    int32_t id = -1;
    if (!Code_Function_Find("report", &id)) {
        Code_Function_Register("report", &ReportBuiltin, kBuiltinArgCountAny);
    }
}

class BouncePackageTest : public PackagePlayTest {
protected:
    void RegisterTestBuiltins() override
    {
        RegisterReport();
        Reports().clear();
    }

    int32_t Play(pack::PackageForm form) { return PackagePlayTest::Play("collision_bounce", form, kFrameCap); }
};

struct BallEnd {
    int32_t id;
    double x, y, hspeed, vspeed;
};

// Golden: the balls as `with` visits them (the room made them from its last
// instance back), then the ball-meeting and wall-hit event counts.
const BallEnd kGoldenBalls[] = {
    {100040, 79.0, 80.0, -2.5, -1.0},   {100039, 34.0, 48.75, -2.0, -1.25}, {100038, 61.5, 63.5, 1.5, 0.5},
    {100037, 82.5, 33.25, 2.5, -0.25},  {100036, 50.0, 53.0, -2.0, 1.0},    {100035, 61.5, 40.25, -1.5, 1.25},
};
constexpr double kGoldenBallMeetings = 48.0;
constexpr double kGoldenWallHits = 103.0;

void ExpectGoldenEnd()
{
    const size_t balls = std::size(kGoldenBalls);
    ASSERT_EQ(Reports().size(), balls + 1);
    for (size_t i = 0; i < balls; ++i) {
        const Report& report = Reports()[i];
        const BallEnd& expected = kGoldenBalls[i];
        EXPECT_EQ(report.id, expected.id);
        ASSERT_EQ(report.values.size(), 4u);
        EXPECT_EQ(report.values[0], expected.x) << report.id;
        EXPECT_EQ(report.values[1], expected.y) << report.id;
        EXPECT_EQ(report.values[2], expected.hspeed) << report.id;
        EXPECT_EQ(report.values[3], expected.vspeed) << report.id;
        // Inside the walls: a ball reaches 4 pixels left and up of its
        // centre, 3 right and down; the box's inside is 16..143 by 16..103.
        EXPECT_GE(report.values[0], 20.0) << report.id;
        EXPECT_LE(report.values[0], 140.0) << report.id;
        EXPECT_GE(report.values[1], 20.0) << report.id;
        EXPECT_LE(report.values[1], 100.0) << report.id;
    }
    const Report& counts = Reports().back();
    ASSERT_EQ(counts.values.size(), 2u);
    EXPECT_EQ(counts.values[0], kGoldenBallMeetings);
    EXPECT_EQ(counts.values[1], kGoldenWallHits);
}

TEST_F(BouncePackageTest, GoldenEndAfterThreeHundredSteps)
{
    ASSERT_EQ(Play(pack::PackageForm::Text), 300);
    ExpectGoldenEnd();
}

TEST_F(BouncePackageTest, BytecodeFormPlaysTheSameGame)
{
    ASSERT_EQ(Play(pack::PackageForm::Bytecode), 300);
    ExpectGoldenEnd();
}

}  // namespace
}  // namespace bw::test
