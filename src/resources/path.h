// Paths: lists of control points (x, y, speed factor) that instances follow
// and motion planning builds. From its control points a path computes an
// internal course, the points themselves (straight) or a smoothed curve
// (smooth), with the cumulative length at each internal point, so that a
// position can be asked for as a fraction of the total length. Game code
// sees a path as its index in the table; a deleted path leaves an empty slot.
//
// Arithmetic is in 32-bit floats throughout, so courses and lengths are the
// same on every machine and match what packages were made for.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/package_view.h"

namespace bw {

// A control point; speed is a factor, 100 meaning normal speed.
struct PathPoint {
    float x = 0.0f;
    float y = 0.0f;
    float speed = 0.0f;
};

// A point of the computed course with its distance from the first one.
struct PathInternalPoint {
    float x = 0.0f;
    float y = 0.0f;
    float speed = 0.0f;
    float length = 0.0f;
};

inline constexpr int32_t kPathKindStraight = 0;
inline constexpr int32_t kPathKindSmooth = 1;
inline constexpr int32_t kPathPrecisionMax = 8;

class CPath {
public:
    // No points, straight, closed, precision 4.
    CPath() = default;

    // One PATH record at its file offset. False (message in *error) for a
    // record, name or point list outside the package.
    bool LoadFromChunk(const PackageView& package, uint32_t record, const char** name, const char** error);

    // The control point, or (0, 0, speed 1) for an index out of range.
    const PathPoint& GetPoint(int32_t index) const;
    // The point at fraction t of the length: (0, 0, 100) for an empty
    // course; t at or below 0 the first internal point, at or above 1 the
    // last.
    void GetPosition(float t, float* x, float* y, float* speed) const;
    PathPoint PositionAt(float t) const
    {
        PathPoint point;
        GetPosition(t, &point.x, &point.y, &point.speed);
        return point;
    }
    float GetX(float t) const { return PositionAt(t).x; }
    float GetY(float t) const { return PositionAt(t).y; }
    float GetSpeed(float t) const { return PositionAt(t).speed; }

    float GetLength() const { return m_length; }
    int32_t GetNumber() const { return static_cast<int32_t>(m_points.size()); }
    int32_t GetKind() const { return m_kind; }
    bool GetClosed() const { return m_closed; }
    int32_t GetPrecision() const { return m_precision; }
    const std::vector<PathInternalPoint>& GetInternalPoints() const { return m_internal; }

    // Each edit recomputes the course. Kinds other than 0 and 1 become 0;
    // precision is held to 0..8.
    void SetKind(int32_t kind);
    void SetClosed(bool closed);
    void SetPrecision(int32_t precision);
    void AddPoint(float x, float y, float speed);
    // The points appended in order with one recompute, so that a route of
    // any length is written in time in proportion to it.
    void AddPoints(const std::vector<PathPoint>& points);
    // Before point index; index may be 0 to the count (appending); other
    // indexes are ignored.
    void InsertPoint(int32_t index, float x, float y, float speed);
    // 0 <= index < count; other indexes are ignored.
    void ChangePoint(int32_t index, float x, float y, float speed);
    void DeletePoint(int32_t index);
    // Removes every point and the course.
    void Clear();
    // Nothing below two points.
    void Reverse();
    void Shift(float dx, float dy);
    void Append(const CPath& other);
    // About the centre of the points' bounding rectangle.
    void Mirror();
    void Flip();
    void Rotate(float degrees);
    void Rescale(float xscale, float yscale);
    // Kind, closed, precision and points.
    void Assign(const CPath& source);

    // A line strip along the course. Not absolute: moved so that its start
    // lies at (x, y); absolute: (x, y) added as given.
    void Draw(float x, float y, bool absolute) const;

private:
    void Recompute();
    void ComputeStraight();
    void ComputeSmooth();
    void ComputeLengths();
    void Subdivide(const PathPoint& p0, const PathPoint& p1, const PathPoint& p2, int32_t depth);
    void AppendInternal(const PathPoint& point);
    void Centre(float* cx, float* cy) const;

    std::vector<PathPoint> m_points;
    std::vector<PathInternalPoint> m_internal;
    int32_t m_kind = kPathKindStraight;
    bool m_closed = true;
    int32_t m_precision = 4;
    float m_length = 0.0f;
};

// ---- The table ---------------------------------------------------------

// Start-up: an empty table.
void Path_Init();
// Frees every path (before a package loads).
void Path_ClearTable();
// The PATH reader. A malformed list or record is a load error ("Error on
// load" and what was wrong) and leaves the table empty.
bool Path_Load(const PackageView& package, uint32_t offset, uint32_t length);

// Slots, empty ones included.
int32_t Path_Count();
bool Path_Exists(int32_t index);
// Null for an index out of range or an empty slot.
CPath* Path_Get(int32_t index);
// "<undefined>" for a missing path.
const char* Path_GetName(int32_t index);
// First path whose name is exactly name; -1 when none.
int32_t Path_Find(const char* name);
// Appends an empty path named "__newpath" + index.
int32_t Path_Add();
bool Path_Delete(int32_t index);
// -1 for a missing path.
int32_t Path_Duplicate(int32_t index);
// False unless the source exists and the destination lies in the table;
// a path assigned to itself is reported as a run-time error.
bool Path_Assign(int32_t destination, int32_t source);

// Lets game code name paths and instances follow them.
void Path_RegisterLookups();

}  // namespace bw
