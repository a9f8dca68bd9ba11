// Paths: the computed course, positions along it, edits, drawing, the table
// and the PATH reader.
#include "resources/path.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "chunk_image.h"
#include "platform/package_image.h"
#include "script/error_report.h"
#include "unit/graphics/draw_fixture.h"

namespace bw::test {
namespace {

struct XY {
    float x, y;
    bool operator==(const XY&) const = default;
};

std::vector<XY> Course(const CPath& path)
{
    std::vector<XY> points;
    for (const PathInternalPoint& point : path.GetInternalPoints()) {
        points.push_back({point.x, point.y});
    }
    return points;
}

XY At(const CPath& path, float t)
{
    return {path.GetX(t), path.GetY(t)};
}

CPath MakePath(std::vector<XY> points, int32_t kind, bool closed, int32_t precision = 4)
{
    CPath path;
    path.SetKind(kind);
    path.SetClosed(closed);
    path.SetPrecision(precision);
    for (const XY& point : points) {
        path.AddPoint(point.x, point.y, 100.0f);
    }
    return path;
}

const std::vector<XY> kSquare = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};

TEST(PathCourse, StraightCourseRunsThroughThePointsAndBackWhenClosed)
{
    const CPath closed = MakePath(kSquare, kPathKindStraight, true);
    EXPECT_EQ(Course(closed), (std::vector<XY>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    EXPECT_EQ(closed.GetLength(), 40.0f);
    EXPECT_EQ(closed.GetInternalPoints()[3].length, 30.0f);
    const CPath open = MakePath(kSquare, kPathKindStraight, false);
    EXPECT_EQ(Course(open).size(), 4u);
    EXPECT_EQ(open.GetLength(), 30.0f);
}

TEST(PathCourse, OpenSmoothPathOfTwoPointsIsTheLineBetweenThem)
{
    const CPath path = MakePath({{0, 0}, {30, 40}}, kPathKindSmooth, false);
    EXPECT_EQ(Course(path), (std::vector<XY>{{0, 0}, {30, 40}}));
    EXPECT_EQ(path.GetLength(), 50.0f);
    EXPECT_EQ(At(path, 0.5f), (XY{15, 20}));
}

TEST(PathCourse, SmoothingSplitsEachCornerAtItsQuarterPointsUpToTheDepth)
{
    // One corner at (100, 0) between the midpoints (50, 0) and (100, 50);
    // depth 1 adds only the curve's middle point, depth 2 two quarter points.
    const std::vector<XY> corner = {{0, 0}, {100, 0}, {100, 100}};
    EXPECT_EQ(Course(MakePath(corner, kPathKindSmooth, false, 1)), (std::vector<XY>{{0, 0}, {87.5f, 12.5f}, {100, 100}}));
    EXPECT_EQ(MakePath(corner, kPathKindSmooth, false, 2).GetInternalPoints().size(), 5u);
    // A corner whose legs are at most 4 pixels long is never split further.
    EXPECT_EQ(MakePath({{0, 0}, {4, 0}, {4, 4}}, kPathKindSmooth, false, 8).GetInternalPoints().size(), 3u);
}

TEST(PathCourse, SmoothPathOfPrecisionZeroKeepsOnlyTheEndsOrNothingWhenClosed)
{
    EXPECT_EQ(Course(MakePath(kSquare, kPathKindSmooth, false, 0)), (std::vector<XY>{{0, 0}, {0, 10}}));
    const CPath closed = MakePath(kSquare, kPathKindSmooth, true, 0);
    EXPECT_TRUE(closed.GetInternalPoints().empty());
    EXPECT_EQ(closed.GetLength(), 0.0f);
    EXPECT_EQ(closed.GetSpeed(0.5f), 100.0f);
}

TEST(PathCourse, ClosedSmoothPathEndsWhereItBegan)
{
    const CPath path = MakePath(kSquare, kPathKindSmooth, true);
    const std::vector<XY> course = Course(path);
    ASSERT_GT(course.size(), 4u);
    EXPECT_EQ(course.front(), course.back());
    EXPECT_GT(path.GetLength(), 0.0f);
    EXPECT_LT(path.GetLength(), 40.0f);  // the corners are cut
}

TEST(PathPosition, PositionsInterpolateAlongTheLength)
{
    const CPath path = MakePath(kSquare, kPathKindStraight, true);
    struct Case {
        float t;
        XY expected;
    };
    for (const Case& c : {Case{0.0f, {0, 0}}, Case{0.125f, {5, 0}}, Case{0.25f, {10, 0}}, Case{0.5f, {10, 10}},
                          Case{0.875f, {0, 5}}, Case{1.0f, {0, 0}}, Case{-3.0f, {0, 0}}, Case{7.0f, {0, 0}}}) {
        EXPECT_EQ(At(path, c.t), c.expected) << "t = " << c.t;
    }
}

TEST(PathPosition, SpeedFactorIsInterpolatedToo)
{
    CPath ramp = MakePath({}, kPathKindStraight, false);
    ramp.AddPoint(0, 0, 100);
    ramp.AddPoint(100, 0, 200);
    EXPECT_EQ(ramp.GetSpeed(0.25f), 125.0f);
}

TEST(PathPosition, DegeneratePathsAnswerTheirFirstPointOrTheOrigin)
{
    float x = 1, y = 1, speed = 0;
    CPath().GetPosition(0.5f, &x, &y, &speed);
    EXPECT_EQ((XY{x, y}), (XY{0, 0}));
    EXPECT_EQ(speed, 100.0f);
    CPath coinciding = MakePath({}, kPathKindStraight, false);
    for (float factor : {10.0f, 20.0f, 30.0f}) {
        coinciding.AddPoint(5, 5, factor);
    }
    EXPECT_EQ(coinciding.GetSpeed(0.5f), 10.0f);
}

TEST(PathPosition, MissingControlPointReadsAsTheDefault)
{
    const CPath path = MakePath(kSquare, kPathKindStraight, true);
    EXPECT_EQ(path.GetPoint(2).x, 10.0f);
    EXPECT_EQ(path.GetPoint(4).speed, 1.0f);
    EXPECT_EQ(path.GetPoint(-1).x, 0.0f);
}

TEST(PathEdits, KindAndPrecisionAreHeldToTheirRanges)
{
    CPath path = MakePath(kSquare, kPathKindSmooth, true);
    path.SetKind(5);
    EXPECT_EQ(path.GetKind(), kPathKindStraight);
    EXPECT_EQ(path.GetLength(), 40.0f);
    path.SetPrecision(12);
    EXPECT_EQ(path.GetPrecision(), 8);
    path.SetPrecision(-3);
    EXPECT_EQ(path.GetPrecision(), 0);
}

TEST(PathEdits, PointEditsIgnoreIndexesOutsideThePath)
{
    CPath path = MakePath({{0, 0}, {10, 0}}, kPathKindStraight, false);
    path.InsertPoint(3, 50, 50, 100);
    path.ChangePoint(2, 50, 50, 100);
    path.DeletePoint(-1);
    EXPECT_EQ(Course(path), (std::vector<XY>{{0, 0}, {10, 0}}));
    path.InsertPoint(2, 10, 10, 100);  // at the count: appends
    path.InsertPoint(0, -10, 0, 100);
    path.ChangePoint(1, 0, 5, 100);
    path.DeletePoint(2);
    EXPECT_EQ(Course(path), (std::vector<XY>{{-10, 0}, {0, 5}, {10, 10}}));
}

TEST(PathEdits, TransformsWorkAboutTheCentreOfThePoints)
{
    CPath path = MakePath({{0, 0}, {20, 10}}, kPathKindStraight, false);  // centre (10, 5)
    path.Mirror();
    EXPECT_EQ(Course(path), (std::vector<XY>{{20, 0}, {0, 10}}));
    path.Flip();
    EXPECT_EQ(Course(path), (std::vector<XY>{{20, 10}, {0, 0}}));
    path.Rescale(2, 0.5f);
    EXPECT_EQ(Course(path), (std::vector<XY>{{30, 7.5f}, {-10, 2.5f}}));
    path.Shift(10, -2.5f);
    EXPECT_EQ(Course(path), (std::vector<XY>{{40, 5}, {0, 0}}));
}

TEST(PathEdits, RotationIsCounterClockwiseOnTheScreen)
{
    CPath path = MakePath({{0, 0}, {20, 0}}, kPathKindStraight, false);  // centre (10, 0)
    path.Rotate(90);
    EXPECT_NEAR(path.GetPoint(0).x, 10.0f, 1e-4f);
    EXPECT_NEAR(path.GetPoint(0).y, 10.0f, 1e-4f);  // below the centre: y grows downward
    EXPECT_NEAR(path.GetPoint(1).y, -10.0f, 1e-4f);
}

TEST(PathEdits, ReverseNeedsTwoPoints)
{
    CPath path = MakePath({{0, 0}, {10, 0}, {10, 10}}, kPathKindStraight, false);
    path.Reverse();
    EXPECT_EQ(Course(path), (std::vector<XY>{{10, 10}, {10, 0}, {0, 0}}));
    CPath single = MakePath({{3, 4}}, kPathKindStraight, false);
    single.Reverse();
    EXPECT_EQ(single.GetPoint(0).x, 3.0f);
}

TEST(PathEdits, AppendingToItselfDoublesThePointsAndClearEmptiesTheCourse)
{
    CPath path = MakePath({{0, 0}, {10, 0}}, kPathKindStraight, false);
    path.Append(path);
    EXPECT_EQ(path.GetNumber(), 4);
    EXPECT_EQ(path.GetLength(), 30.0f);
    path.Clear();
    EXPECT_EQ(path.GetNumber(), 0);
    EXPECT_EQ(path.GetLength(), 0.0f);
    EXPECT_TRUE(path.GetInternalPoints().empty());
}

class PathDrawing : public DrawTest {
protected:
    std::vector<XY> DrawnStrip()
    {
        std::vector<XY> points;
        for (const DrawnBatch& batch : Drawn()) {
            EXPECT_EQ(batch.type, PrimitiveLineStrip);
            for (const Vertex2DTex& vertex : batch.As<Vertex2DTex>()) {
                points.push_back({vertex.x, vertex.y});
            }
        }
        return points;
    }
};

TEST_F(PathDrawing, StripTakesAStepPerFourPixelsFromTheStartOrThePathsOwnPlace)
{
    struct Case {
        std::vector<XY> points;
        bool absolute;
        std::vector<XY> strip;
    };
    const Case cases[] = {
        {{{0, 0}, {16, 0}}, false, {{100, 50}, {104, 50}, {108, 50}, {112, 50}, {116, 50}}},
        {{{110, 48}, {118, 48}}, true, {{210, 98}, {214, 98}, {218, 98}}},
        {{{0, 0}, {1, 0}}, true, {}},  // too short to draw
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strip.size());
        MakePath(c.points, kPathKindStraight, false).Draw(100, 50, c.absolute);
        EXPECT_EQ(DrawnStrip(), c.strip);
    }
}

TEST_F(PathDrawing, LongPathIsDrawnWhole)
{
    const CPath path = MakePath({{0, 0}, {1.0e6f, 0}}, kPathKindStraight, false);
    path.Draw(0, 0, true);
    const std::vector<XY> strip = DrawnStrip();
    ASSERT_EQ(strip.size(), static_cast<size_t>(kPrimitiveMaxVertices));
    EXPECT_EQ(strip.back(), (XY{1.0e6f, 0}));
}

class PathTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        Path_Init();
        Code_Error_SetShowErrors(false);
    }
    void TearDown() override
    {
        Path_ClearTable();
        Code_Error_ResetState();
        Code_Error_SetShowErrors(true);
    }
};

TEST_F(PathTable, NewPathsAreNamedByTheirIndexAndDeletedOnesLeaveAnEmptySlot)
{
    EXPECT_EQ(Path_Add(), 0);
    EXPECT_EQ(Path_Add(), 1);
    EXPECT_STREQ(Path_GetName(1), "__newpath1");
    EXPECT_EQ(Path_Find("__newpath1"), 1);
    EXPECT_EQ(Path_Find("__newpath"), -1);
    EXPECT_TRUE(Path_Get(0)->GetClosed());
    EXPECT_EQ(Path_Get(0)->GetPrecision(), 4);
    EXPECT_TRUE(Path_Delete(0));
    EXPECT_FALSE(Path_Delete(0));
    EXPECT_FALSE(Path_Exists(0));
    EXPECT_STREQ(Path_GetName(0), "<undefined>");
    EXPECT_EQ(Path_Find("__newpath0"), -1);
    EXPECT_EQ(Path_Add(), 2);
}

TEST_F(PathTable, DuplicateAndAssignCopyThePoints)
{
    const int32_t source = Path_Add();
    Path_Get(source)->AddPoint(0, 0, 100);
    Path_Get(source)->AddPoint(0, 30, 100);
    const int32_t copy = Path_Duplicate(source);
    ASSERT_EQ(copy, 1);
    EXPECT_EQ(Path_Get(copy)->GetLength(), 60.0f);
    EXPECT_EQ(Path_Duplicate(7), -1);
    Path_Delete(copy);
    EXPECT_TRUE(Path_Assign(copy, source));  // an empty slot gets a new path
    EXPECT_EQ(Path_Get(copy)->GetNumber(), 2);
    EXPECT_FALSE(Path_Assign(5, source));
    EXPECT_FALSE(Path_Assign(source, 5));
}

TEST_F(PathTable, AssigningAPathToItselfIsAnError)
{
    const int32_t path = Path_Add();
    Path_Get(path)->AddPoint(1, 2, 100);
    EXPECT_FALSE(Path_Assign(path, path));
    EXPECT_NE(std::string(Code_Error_LastText()).find("ERROR: Can not assign a path to itself!"), std::string::npos);
    EXPECT_EQ(Path_Get(path)->GetNumber(), 1);
}

// A PATH payload in a package image.
class PathChunk : public PathTable {
protected:
    // One record with the given kind, closed flag, precision and points.
    uint32_t Record(uint32_t name, uint32_t kind, uint32_t closed, uint32_t precision, std::vector<XY> points)
    {
        const uint32_t at = image.Here();
        for (uint32_t word : {name, kind, closed, precision, static_cast<uint32_t>(points.size())}) {
            image.U32(word);
        }
        for (const XY& point : points) {
            for (float value : {point.x, point.y, 100.0f}) {
                image.U32(std::bit_cast<uint32_t>(value));
            }
        }
        return at;
    }
    bool Load(uint32_t list) { return Path_Load(image.View(), list, image.Size() - list); }

    ChunkImage image;
};

TEST_F(PathChunk, RecordsBecomePathsWithTheirPrecisionHeldAndEmptySlotsStayEmpty)
{
    const uint32_t square = image.Text("path_square");
    const uint32_t curve = image.Text("path_curve");
    const uint32_t list = image.List(5);
    image.Slot(list, 0);
    Record(square, 0, 1, 4, kSquare);
    image.Slot(list, 2);
    Record(curve, 1, 0, 1, {{0, 0}, {100, 0}, {100, 100}});
    image.Slot(list, 3);
    Record(0, 1, 0, 0xFFFFFFFFu, {{0, 0}, {100, 0}, {100, 100}});
    image.Slot(list, 4);
    Record(0, 1, 0, 1000, {{0, 0}, {1.0e30f, 0}, {1.0e30f, 1.0e30f}});
    ASSERT_TRUE(Load(list));
    EXPECT_EQ(Path_Count(), 5);
    EXPECT_FALSE(Path_Exists(1));
    EXPECT_EQ(Path_Find("path_curve"), 2);
    EXPECT_EQ(Path_Get(0)->GetLength(), 40.0f);
    EXPECT_EQ(Course(*Path_Get(2)), (std::vector<XY>{{0, 0}, {87.5f, 12.5f}, {100, 100}}));
    EXPECT_EQ(Path_Get(3)->GetPrecision(), 0);
    EXPECT_EQ(Path_Get(4)->GetPrecision(), 8);
    EXPECT_LE(Path_Get(4)->GetInternalPoints().size(), 2u + 255u);
}

TEST_F(PathChunk, MalformedChunksFailTheLoadAndLeaveNoPaths)
{
    struct Case {
        const char* what;
        uint32_t name;
        uint32_t count;
        uint32_t recordShift;  // moves the slot's offset past the image
    };
    for (const Case& c : {Case{"point count past the end", 0, 0x40000000u, 0},
                          Case{"name outside the package", 0xFFFFFF00u, 1, 0},
                          Case{"record outside the package", 0, 1, 0xFFFFF000u}}) {
        ChunkImage bad;
        const uint32_t list = bad.List(1);
        bad.PatchU32(list + 4, bad.Here() + c.recordShift);
        for (uint32_t word : {c.name, 0u, 1u, 4u, c.count, 0u, 0u, 0u}) {
            bad.U32(word);
        }
        EXPECT_FALSE(Path_Load(bad.View(), list, bad.Size() - list)) << c.what;
        EXPECT_EQ(Path_Count(), 0) << c.what;
    }
    const uint32_t list = image.List(4);
    EXPECT_FALSE(Path_Load(image.View(), list, 8)) << "list past the chunk";
}

}  // namespace
}  // namespace bw::test
