#include "library/ds_grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>

#include "platform/console.h"
#include "platform/random.h"

namespace bw {

namespace {

constexpr double kStatisticMaxStart = -100000000.0;
constexpr double kStatisticMinStart = 100000000.0;

bool BothReals(const Value& a, const Value& b)
{
    return Value_Kind(a) == kValueReal && Value_Kind(b) == kValueReal;
}

bool BothStrings(const Value& a, const Value& b)
{
    return Value_Kind(a) == kValueString && Value_Kind(b) == kValueString;
}

const char* TextOf(const Value& value)
{
    return value.ptr != nullptr ? Value_String(value) : "";
}

// The integer range [floor(low), ceil(high)] clipped to 0 .. limit - 1; the
// doubles are clipped before they become integers, so NaN or huge centres
// and radii give an empty or whole range, never an undefined conversion.
bool DiskSpan(double low, double high, int32_t limit, int32_t* first, int32_t* last)
{
    const double from = std::max(0.0, std::floor(low));
    const double to = std::min(static_cast<double>(limit) - 1, std::ceil(high));
    if (!(from <= to)) {
        return false;
    }
    *first = static_cast<int32_t>(from);
    *last = static_cast<int32_t>(to);
    return true;
}

// Rank of a kind in the row sort: strings, then other non-reals, then reals.
int KindRank(const Value& value)
{
    switch (Value_Kind(value)) {
    case kValueString: return 0;
    case kValueReal: return 2;
    default: return 1;
    }
}

// A total order for the row sort: the comparison games have always used,
// made consistent (NaN after every other real, an absent text as "").
bool SortsBefore(const Value& a, const Value& b)
{
    const int rankA = KindRank(a);
    const int rankB = KindRank(b);
    if (rankA != rankB) {
        return rankA < rankB;
    }
    if (rankA == 2) {
        if (std::isnan(a.real) || std::isnan(b.real)) {
            return !std::isnan(a.real) && std::isnan(b.real);
        }
        return a.real < b.real;
    }
    if (rankA == 0) {
        return std::strcmp(TextOf(a), TextOf(b)) < 0;
    }
    return false;
}

}  // namespace

void DS_CombineValues(GridOperation operation, Value& target, const Value& source)
{
    switch (operation) {
    case GridOperation::kAdd:
        if (BothReals(target, source)) {
            target.real += source.real;
            return;
        }
        if (BothStrings(target, source)) {
            const std::string joined = std::string(TextOf(target)) + TextOf(source);
            Value_SetString(target, joined.c_str());
            return;
        }
        break;
    case GridOperation::kMultiply:
        if (BothReals(target, source)) {
            target.real *= source.real;
        }
        return;
    case GridOperation::kSet:
        break;
    }
    if (&target != &source) {
        DS_StorePlain(target, source);
    }
}

// The cells of one grid take at most this many bytes, as string_repeat's
// text does: a request past it (1 × 2^31 cells would take 51 GB) answers -1
// instead of ending the game when the allocation fails.
constexpr int64_t kGridMaxBytes = 0x7FFFFFFF;

bool DS_Grid_SizeAcceptable(int64_t width, int64_t height)
{
    constexpr int64_t kMaxCells = kGridMaxBytes / static_cast<int64_t>(sizeof(Value));
    return width >= 0 && height >= 0 && (width == 0 || height <= kMaxCells / width);
}

DataStructurePool<CDS_Grid>& DS_GridPool()
{
    // Never destroyed by static finalisers; see the pools in ds.cpp.
    static DataStructurePool<CDS_Grid>& pool = *new DataStructurePool<CDS_Grid>;
    return pool;
}

CDS_Grid::CDS_Grid(int32_t width, int32_t height)
{
    Resize(width, height);
}

CDS_Grid::~CDS_Grid()
{
    FreeCells();
}

void CDS_Grid::FreeCells()
{
    for (Value& cell : m_cells) {
        Value_Free(cell);
    }
    m_cells.clear();
}

const Value* CDS_Grid::Get(int32_t id, int32_t x, int32_t y) const
{
    if (!Contains(x, y)) {
        Console().Printf("Grid %d, index out of bounds reading [%d,%d] - size is [%d,%d]\n", id, x, y, m_width,
                         m_height);
        return nullptr;
    }
    return &Cell(x, y);
}

void CDS_Grid::Set(int32_t id, GridOperation operation, int32_t x, int32_t y, const Value& value)
{
    if (!Contains(x, y)) {
        Console().Printf("Grid %d, index out of bounds writing [%d,%d] - size is [%d,%d]\n", id, x, y, m_width,
                         m_height);
        return;
    }
    DS_CombineValues(operation, Cell(x, y), value);
}

void CDS_Grid::Clear(const Value& value)
{
    for (Value& cell : m_cells) {
        DS_StorePlain(cell, value);
    }
}

void CDS_Grid::Resize(int32_t width, int32_t height)
{
    if (!DS_Grid_SizeAcceptable(width, height)) {
        return;
    }
    std::vector<Value> cells(static_cast<size_t>(width) * static_cast<size_t>(height), Value{});
    for (int32_t x = 0; x < m_width && m_height > 0; ++x) {
        for (int32_t y = 0; y < m_height; ++y) {
            Value& old = Cell(x, y);
            if (x < width && y < height) {
                cells[static_cast<size_t>(x) * static_cast<size_t>(height) + static_cast<size_t>(y)] = old;
            } else {
                Value_Free(old);
            }
            old = Value{};
        }
    }
    m_cells = std::move(cells);
    m_width = width;
    m_height = height;
}

void CDS_Grid::Copy(const CDS_Grid& source)
{
    if (&source == this) {
        return;
    }
    FreeCells();
    m_width = 0;
    m_height = 0;
    Resize(source.m_width, source.m_height);
    for (size_t i = 0; i < m_cells.size(); ++i) {
        DS_StorePlain(m_cells[i], source.m_cells[i]);
    }
}

CDS_Grid::Box CDS_Grid::ClipRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    return {std::max(0, std::min(x1, x2)), std::max(0, std::min(y1, y2)), std::min(m_width - 1, std::max(x1, x2)),
            std::min(m_height - 1, std::max(y1, y2))};
}

template <typename Visit>
void CDS_Grid::ForEachInRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Visit&& visit) const
{
    const Box box = ClipRectangle(x1, y1, x2, y2);
    // A grid may be very wide and 0 high: columns without cells are not walked.
    if (box.y1 > box.y2) {
        return;
    }
    for (int32_t x = box.x1; x <= box.x2; ++x) {
        for (int32_t y = box.y1; y <= box.y2; ++y) {
            visit(x, y);
        }
    }
}

template <typename Visit>
void CDS_Grid::ForEachInDisk(double xm, double ym, double r, Visit&& visit) const
{
    int32_t xFirst = 0, xLast = 0, yFirst = 0, yLast = 0;
    if (!DiskSpan(ym - r, ym + r, m_height, &yFirst, &yLast) || !DiskSpan(xm - r, xm + r, m_width, &xFirst, &xLast)) {
        return;
    }
    const double limit = r * r;
    for (int32_t x = xFirst; x <= xLast; ++x) {
        for (int32_t y = yFirst; y <= yLast; ++y) {
            const double dx = x - xm;
            const double dy = y - ym;
            if (dx * dx + dy * dy <= limit) {
                visit(x, y);
            }
        }
    }
}

void CDS_Grid::SetRegion(GridOperation operation, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const Value& value)
{
    ForEachInRectangle(x1, y1, x2, y2, [&](int32_t x, int32_t y) { DS_CombineValues(operation, Cell(x, y), value); });
}

void CDS_Grid::SetDisk(GridOperation operation, double xm, double ym, double r, const Value& value)
{
    ForEachInDisk(xm, ym, r, [&](int32_t x, int32_t y) { DS_CombineValues(operation, Cell(x, y), value); });
}

void CDS_Grid::SetGridRegion(GridOperation operation, const CDS_Grid& source, int32_t x1, int32_t y1, int32_t x2,
                             int32_t y2, int32_t x, int32_t y)
{
    const Box box = source.ClipRectangle(x1, y1, x2, y2);
    // 64 bits: a far-off target must not overflow the shifted corners.
    int64_t sx = box.x1, sy = box.y1, ex = box.x2, ey = box.y2, tx = x, ty = y;
    if (tx < 0) {
        sx -= tx;
        tx = 0;
    }
    if (ty < 0) {
        sy -= ty;
        ty = 0;
    }
    ex = std::min<int64_t>(ex, sx + (m_width - 1 - tx));
    ey = std::min<int64_t>(ey, sy + (m_height - 1 - ty));
    if (sx > ex || sy > ey) {
        return;
    }
    // Walking away from the direction of the shift reads each source cell
    // before the copy overwrites it, when source and target are one grid.
    const bool xDown = sx < tx;
    const bool yDown = sy < ty;
    for (int64_t i = 0; i <= ex - sx; ++i) {
        const int64_t column = xDown ? ex - i : sx + i;
        for (int64_t j = 0; j <= ey - sy; ++j) {
            const int64_t row = yDown ? ey - j : sy + j;
            const int64_t targetX = tx + column - sx;
            const int64_t targetY = ty + row - sy;
            if (!source.Contains(static_cast<int32_t>(column), static_cast<int32_t>(row))
                || !Contains(static_cast<int32_t>(targetX), static_cast<int32_t>(targetY))) {
                continue;
            }
            DS_CombineValues(operation, Cell(static_cast<int32_t>(targetX), static_cast<int32_t>(targetY)),
                             source.Cell(static_cast<int32_t>(column), static_cast<int32_t>(row)));
        }
    }
}

namespace {

struct Accumulator {
    CDS_Grid::Statistic statistic;
    double sum = 0.0;
    double max = kStatisticMaxStart;
    double min = kStatisticMinStart;
    int64_t reals = 0;

    void Take(const Value& cell)
    {
        if (Value_Kind(cell) != kValueReal) {
            return;
        }
        sum += cell.real;
        max = std::max(max, cell.real);
        min = std::min(min, cell.real);
        ++reals;
    }
    double Result() const
    {
        switch (statistic) {
        case CDS_Grid::Statistic::kSum: return sum;
        case CDS_Grid::Statistic::kMax: return max;
        case CDS_Grid::Statistic::kMin: return min;
        case CDS_Grid::Statistic::kMean: return reals > 0 ? sum / static_cast<double>(reals) : 0.0;
        }
        return 0.0;
    }
};

}  // namespace

double CDS_Grid::GetStatistic(Statistic statistic, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    Accumulator accumulator{statistic};
    ForEachInRectangle(x1, y1, x2, y2, [&](int32_t x, int32_t y) { accumulator.Take(Cell(x, y)); });
    return accumulator.Result();
}

double CDS_Grid::GetDiskStatistic(Statistic statistic, double xm, double ym, double r) const
{
    Accumulator accumulator{statistic};
    ForEachInDisk(xm, ym, r, [&](int32_t x, int32_t y) { accumulator.Take(Cell(x, y)); });
    return accumulator.Result();
}

bool CDS_Grid::FindValue(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const Value& value, int32_t* x,
                         int32_t* y) const
{
    bool found = false;
    ForEachInRectangle(x1, y1, x2, y2, [&](int32_t cx, int32_t cy) {
        if (!found && DS_CompareValues(Cell(cx, cy), value) == 0) {
            found = true;
            *x = cx;
            *y = cy;
        }
    });
    return found;
}

bool CDS_Grid::FindValueInDisk(double xm, double ym, double r, const Value& value, int32_t* x, int32_t* y) const
{
    bool found = false;
    ForEachInDisk(xm, ym, r, [&](int32_t cx, int32_t cy) {
        if (!found && DS_CompareValues(Cell(cx, cy), value) == 0) {
            found = true;
            *x = cx;
            *y = cy;
        }
    });
    return found;
}

void CDS_Grid::Shuffle()
{
    if (m_width == 0 || m_height == 0) {
        return;
    }
    const int64_t swaps = static_cast<int64_t>(m_width) * m_height;
    for (int64_t i = 0; i < swaps; ++i) {
        const auto x1 = static_cast<int32_t>(Random_Int(m_width));
        const auto x2 = static_cast<int32_t>(Random_Int(m_width));
        const auto y1 = static_cast<int32_t>(Random_Int(m_height));
        const auto y2 = static_cast<int32_t>(Random_Int(m_height));
        std::swap(Cell(x1, y1), Cell(x2, y2));
    }
}

void CDS_Grid::Sort(int32_t column, bool ascending)
{
    if (column < 0 || column >= m_width || m_height < 2) {
        return;
    }
    std::vector<int32_t> order(static_cast<size_t>(m_height));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        const Value& first = Cell(column, a);
        const Value& second = Cell(column, b);
        return ascending ? SortsBefore(first, second) : SortsBefore(second, first);
    });
    std::vector<Value> moved(static_cast<size_t>(m_height));
    for (int32_t x = 0; x < m_width; ++x) {
        for (int32_t y = 0; y < m_height; ++y) {
            moved[static_cast<size_t>(y)] = Cell(x, order[static_cast<size_t>(y)]);
        }
        std::copy(moved.begin(), moved.end(), m_cells.begin() + static_cast<std::ptrdiff_t>(Index(x, 0)));
    }
}

}  // namespace bw
