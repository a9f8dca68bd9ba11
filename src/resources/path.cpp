#include "resources/path.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/draw_2d.h"
#include "platform/console.h"
#include "platform/package_image.h"
#include "script/error_report.h"
#include "script/resource_seams.h"
#include "world/path_lookups.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;
// A PATH record: name offset, kind, closed, precision and the point count,
// then the points as f32 x, y, speed.
constexpr uint64_t kRecordHeaderSize = 20;
constexpr uint64_t kPointSize = 12;
// Subdivision stops splitting a half-curve whose control leg is at most
// 4 pixels long (compared squared).
constexpr float kSplitDistanceSquared = 16.0f;
constexpr int32_t kPrimitiveLineStrip = 3;
// A line strip holds at most this many segments; longer paths are drawn
// with longer steps rather than cut off or overflowing the strip.
constexpr int32_t kMaxDrawSteps = kPrimitiveMaxVertices - 1;

PathPoint Midpoint(const PathPoint& a, const PathPoint& b)
{
    return PathPoint{(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f, (a.speed + b.speed) / 2.0f};
}

float ReadF32(const PackageView& package, uint64_t offset)
{
    uint32_t bits = 0;
    package.ReadU32(offset, bits);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

struct PathSlot {
    std::unique_ptr<CPath> path;
    std::string name;
};

std::vector<PathSlot>& Paths()
{
    static std::vector<PathSlot> paths;
    return paths;
}

bool LookupLength(int32_t index, float* length)
{
    const CPath* path = Path_Get(index);
    if (path == nullptr) {
        return false;
    }
    *length = path->GetLength();
    return true;
}

bool LookupPosition(int32_t index, float t, float* x, float* y, float* speed)
{
    const CPath* path = Path_Get(index);
    if (path == nullptr) {
        return false;
    }
    path->GetPosition(t, x, y, speed);
    return true;
}

int32_t AppendSlot(std::unique_ptr<CPath> path)
{
    std::vector<PathSlot>& paths = Paths();
    const auto index = static_cast<int32_t>(paths.size());
    paths.push_back(PathSlot{std::move(path), "__newpath" + std::to_string(index)});
    return index;
}

}  // namespace

bool CPath::LoadFromChunk(const PackageView& package, uint32_t record, const char** name, const char** error)
{
    uint32_t words[5] = {};
    for (uint32_t i = 0; i < 5; ++i) {
        if (!package.ReadU32(uint64_t{record} + 4 * i, words[i])) {
            *error = "the record lies outside the package";
            return false;
        }
    }
    if (!Wad_PatchString(package, words[0], name)) {
        *error = "the name lies outside the package";
        return false;
    }
    const uint64_t pointsAt = uint64_t{record} + kRecordHeaderSize;
    const uint32_t count = words[4];
    if (!package.Contains(pointsAt, uint64_t{count} * kPointSize)) {
        *error = "the point list runs past the end of the package";
        return false;
    }
    m_kind = words[1] == 1 ? kPathKindSmooth : kPathKindStraight;
    m_closed = words[2] != 0;
    // The precision is the depth of recursive subdivision: a stored value
    // outside 0..8 is held to that range as SetPrecision would, so no
    // package can make the smoothing recurse without bound.
    m_precision = std::clamp(static_cast<int32_t>(words[3]), 0, kPathPrecisionMax);
    m_points.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = pointsAt + i * kPointSize;
        m_points[i] = PathPoint{ReadF32(package, at), ReadF32(package, at + 4), ReadF32(package, at + 8)};
    }
    Recompute();
    return true;
}

const PathPoint& CPath::GetPoint(int32_t index) const
{
    static const PathPoint kDefault{0.0f, 0.0f, 1.0f};
    return index >= 0 && index < GetNumber() ? m_points[static_cast<size_t>(index)] : kDefault;
}

void CPath::GetPosition(float t, float* x, float* y, float* speed) const
{
    *x = 0.0f;
    *y = 0.0f;
    *speed = 100.0f;
    if (m_internal.empty()) {
        return;
    }
    const PathInternalPoint* point = &m_internal.front();
    if (m_internal.size() == 1 || m_length == 0.0f || t <= 0.0f) {
        // the first point
    } else if (t >= 1.0f) {
        point = &m_internal.back();
    } else {
        const float distance = m_length * t;
        const size_t last = m_internal.size() - 2;
        size_t i = 0;
        while (i < last && !(m_internal[i + 1].length > distance)) {
            ++i;
        }
        const PathInternalPoint& from = m_internal[i];
        const PathInternalPoint& to = m_internal[i + 1];
        const float segment = to.length - from.length;
        if (segment != 0.0f) {
            const float share = (distance - from.length) / segment;
            *x = from.x + (to.x - from.x) * share;
            *y = from.y + (to.y - from.y) * share;
            *speed = from.speed + (to.speed - from.speed) * share;
            return;
        }
        point = &from;
    }
    *x = point->x;
    *y = point->y;
    *speed = point->speed;
}

void CPath::SetKind(int32_t kind)
{
    m_kind = kind == kPathKindSmooth ? kPathKindSmooth : kPathKindStraight;
    Recompute();
}

void CPath::SetClosed(bool closed)
{
    m_closed = closed;
    Recompute();
}

void CPath::SetPrecision(int32_t precision)
{
    m_precision = std::clamp(precision, 0, kPathPrecisionMax);
    Recompute();
}

void CPath::AddPoint(float x, float y, float speed)
{
    m_points.push_back(PathPoint{x, y, speed});
    Recompute();
}

void CPath::InsertPoint(int32_t index, float x, float y, float speed)
{
    if (index < 0 || index > GetNumber()) {
        return;
    }
    m_points.insert(m_points.begin() + index, PathPoint{x, y, speed});
    Recompute();
}

void CPath::ChangePoint(int32_t index, float x, float y, float speed)
{
    if (index < 0 || index >= GetNumber()) {
        return;
    }
    m_points[static_cast<size_t>(index)] = PathPoint{x, y, speed};
    Recompute();
}

void CPath::DeletePoint(int32_t index)
{
    if (index < 0 || index >= GetNumber()) {
        return;
    }
    m_points.erase(m_points.begin() + index);
    Recompute();
}

void CPath::Clear()
{
    m_points.clear();
    m_internal.clear();
    m_length = 0.0f;
}

void CPath::Reverse()
{
    if (m_points.size() < 2) {
        return;
    }
    std::reverse(m_points.begin(), m_points.end());
    Recompute();
}

void CPath::Shift(float dx, float dy)
{
    for (PathPoint& point : m_points) {
        point.x += dx;
        point.y += dy;
    }
    Recompute();
}

void CPath::AddPoints(const std::vector<PathPoint>& points)
{
    m_points.insert(m_points.end(), points.begin(), points.end());
    Recompute();
}

void CPath::Append(const CPath& other)
{
    // A copy first: the other path may be this one.
    AddPoints(std::vector<PathPoint>(other.m_points));
}

void CPath::Centre(float* cx, float* cy) const
{
    if (m_points.empty()) {
        *cx = 0.0f;
        *cy = 0.0f;
        return;
    }
    float minX = m_points[0].x;
    float maxX = minX;
    float minY = m_points[0].y;
    float maxY = minY;
    for (const PathPoint& point : m_points) {
        minX = std::min(minX, point.x);
        maxX = std::max(maxX, point.x);
        minY = std::min(minY, point.y);
        maxY = std::max(maxY, point.y);
    }
    *cx = (minX + maxX) * 0.5f;
    *cy = (minY + maxY) * 0.5f;
}

void CPath::Mirror()
{
    float cx = 0.0f;
    float cy = 0.0f;
    Centre(&cx, &cy);
    for (PathPoint& point : m_points) {
        point.x = 2.0f * cx - point.x;
    }
    Recompute();
}

void CPath::Flip()
{
    float cx = 0.0f;
    float cy = 0.0f;
    Centre(&cx, &cy);
    for (PathPoint& point : m_points) {
        point.y = 2.0f * cy - point.y;
    }
    Recompute();
}

void CPath::Rotate(float degrees)
{
    float cx = 0.0f;
    float cy = 0.0f;
    Centre(&cx, &cy);
    // Counter-clockwise on the screen, whose y axis points down.
    const float radians = degrees * kPi / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    for (PathPoint& point : m_points) {
        const float dx = point.x - cx;
        const float dy = point.y - cy;
        point.x = cx + c * dx + s * dy;
        point.y = cy + c * dy - s * dx;
    }
    Recompute();
}

void CPath::Rescale(float xscale, float yscale)
{
    float cx = 0.0f;
    float cy = 0.0f;
    Centre(&cx, &cy);
    for (PathPoint& point : m_points) {
        point.x = cx + (point.x - cx) * xscale;
        point.y = cy + (point.y - cy) * yscale;
    }
    Recompute();
}

void CPath::Assign(const CPath& source)
{
    m_kind = source.m_kind;
    m_closed = source.m_closed;
    m_precision = source.m_precision;
    m_points = source.m_points;
    Recompute();
}

void CPath::Draw(float x, float y, bool absolute) const
{
    float offsetX = x;
    float offsetY = y;
    if (!absolute) {
        float startX = 0.0f;
        float startY = 0.0f;
        float speed = 0.0f;
        GetPosition(0.0f, &startX, &startY, &speed);
        offsetX -= startX;
        offsetY -= startY;
    }
    const float wanted = std::nearbyint(m_length * 0.25f);
    if (!(wanted >= 1.0f)) {
        return;
    }
    const int32_t steps = wanted < static_cast<float>(kMaxDrawSteps) ? static_cast<int32_t>(wanted) : kMaxDrawSteps;
    GR_PrimitiveBegin(kPrimitiveLineStrip, -1);
    for (int32_t k = 0; k <= steps; ++k) {
        float px = 0.0f;
        float py = 0.0f;
        float speed = 0.0f;
        GetPosition(static_cast<float>(k) / static_cast<float>(steps), &px, &py, &speed);
        GR_PrimitiveVertex(px + offsetX, py + offsetY);
    }
    GR_PrimitiveEnd();
}

void CPath::Recompute()
{
    if (m_kind == kPathKindSmooth) {
        ComputeSmooth();
    } else {
        ComputeStraight();
    }
    ComputeLengths();
}

void CPath::AppendInternal(const PathPoint& point)
{
    m_internal.push_back(PathInternalPoint{point.x, point.y, point.speed, 0.0f});
}

void CPath::ComputeStraight()
{
    m_internal.clear();
    for (const PathPoint& point : m_points) {
        AppendInternal(point);
    }
    if (m_closed && !m_points.empty()) {
        AppendInternal(m_points.front());
    }
}

void CPath::ComputeSmooth()
{
    m_internal.clear();
    const auto n = static_cast<int32_t>(m_points.size());
    if (n == 0) {
        return;
    }
    if (!m_closed) {
        AppendInternal(m_points.front());
    }
    const int32_t last = m_closed ? n : n - 2;
    for (int32_t i = 1; i <= last; ++i) {
        const PathPoint& before = m_points[static_cast<size_t>((i - 1) % n)];
        const PathPoint& control = m_points[static_cast<size_t>(i % n)];
        const PathPoint& after = m_points[static_cast<size_t>((i + 1) % n)];
        Subdivide(Midpoint(before, control), control, Midpoint(control, after), m_precision);
    }
    if (!m_closed) {
        AppendInternal(m_points.back());
    } else if (!m_internal.empty()) {
        // Precision 0 leaves a closed curve with no point to return to.
        const PathInternalPoint first = m_internal.front();
        m_internal.push_back(first);
    }
}

void CPath::Subdivide(const PathPoint& p0, const PathPoint& p1, const PathPoint& p2, int32_t depth)
{
    if (depth <= 0) {
        return;
    }
    const PathPoint middle{(p0.x + 2.0f * p1.x + p2.x) / 4.0f, (p0.y + 2.0f * p1.y + p2.y) / 4.0f,
                           (p0.speed + 2.0f * p1.speed + p2.speed) / 4.0f};
    const float firstX = p1.x - p0.x;
    const float firstY = p1.y - p0.y;
    if (firstX * firstX + firstY * firstY > kSplitDistanceSquared) {
        Subdivide(p0, Midpoint(p0, p1), middle, depth - 1);
    }
    AppendInternal(middle);
    const float secondX = p2.x - p1.x;
    const float secondY = p2.y - p1.y;
    if (secondX * secondX + secondY * secondY > kSplitDistanceSquared) {
        Subdivide(middle, Midpoint(p1, p2), p2, depth - 1);
    }
}

void CPath::ComputeLengths()
{
    float total = 0.0f;
    for (size_t i = 0; i < m_internal.size(); ++i) {
        if (i > 0) {
            const float dx = m_internal[i].x - m_internal[i - 1].x;
            const float dy = m_internal[i].y - m_internal[i - 1].y;
            total += std::sqrt(dx * dx + dy * dy);
        }
        m_internal[i].length = total;
    }
    m_length = total;
}

// ---- The table ---------------------------------------------------------

void Path_Init()
{
    Path_ClearTable();
}

void Path_ClearTable()
{
    Paths().clear();
}

bool Path_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    Path_ClearTable();
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{Package_Tag("PATH"), offset, length}, records)) {
        Console().Printf("Error on load\nPATH: the path list runs past its chunk\n");
        return false;
    }
    std::vector<PathSlot>& paths = Paths();
    paths.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] == 0) {
            continue;
        }
        auto path = std::make_unique<CPath>();
        const char* name = nullptr;
        const char* error = nullptr;
        if (!path->LoadFromChunk(package, records[i], &name, &error)) {
            Console().Printf("Error on load\nPATH: path %zu: %s\n", i, error);
            Path_ClearTable();
            return false;
        }
        paths[i] = PathSlot{std::move(path), name != nullptr ? name : ""};
    }
    return true;
}

int32_t Path_Count()
{
    return static_cast<int32_t>(Paths().size());
}

bool Path_Exists(int32_t index)
{
    return Path_Get(index) != nullptr;
}

CPath* Path_Get(int32_t index)
{
    const std::vector<PathSlot>& paths = Paths();
    return index >= 0 && index < Path_Count() ? paths[static_cast<size_t>(index)].path.get() : nullptr;
}

const char* Path_GetName(int32_t index)
{
    return Path_Exists(index) ? Paths()[static_cast<size_t>(index)].name.c_str() : "<undefined>";
}

int32_t Path_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    const std::vector<PathSlot>& paths = Paths();
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].path != nullptr && paths[i].name == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t Path_Add()
{
    return AppendSlot(std::make_unique<CPath>());
}

bool Path_Delete(int32_t index)
{
    if (!Path_Exists(index)) {
        return false;
    }
    Paths()[static_cast<size_t>(index)] = PathSlot{};
    return true;
}

int32_t Path_Duplicate(int32_t index)
{
    const CPath* source = Path_Get(index);
    if (source == nullptr) {
        return -1;
    }
    auto copy = std::make_unique<CPath>();
    copy->Assign(*source);
    return AppendSlot(std::move(copy));
}

bool Path_Assign(int32_t destination, int32_t source)
{
    const CPath* from = Path_Get(source);
    if (from == nullptr || destination < 0 || destination >= Path_Count()) {
        return false;
    }
    if (destination == source) {
        Code_Error_Runtime("ERROR: Can not assign a path to itself!", false);
        return false;
    }
    std::unique_ptr<CPath>& slot = Paths()[static_cast<size_t>(destination)].path;
    if (slot == nullptr) {
        slot = std::make_unique<CPath>();
    }
    slot->Assign(*from);
    return true;
}

void Path_RegisterLookups()
{
    Resource_SetNameFinder(ResourceKind::Path, &Path_Find);
    PathLookups& lookups = World_PathLookups();
    lookups.length = &LookupLength;
    lookups.position = &LookupPosition;
}

}  // namespace bw
