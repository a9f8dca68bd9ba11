#include "world/mp_grid.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "world/instance.h"
#include "world/mp_queue.h"

namespace bw {

namespace {

std::vector<std::unique_ptr<CGrid>> g_grids;

// Floor division: a coordinate left of (or above) the grid lands in a
// negative column, never in column 0.
int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool FitsInt32(int64_t value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

struct Step {
    int32_t dc;
    int32_t dr;
};

// The flood's orders: orthogonal neighbours left, right, up, down; then the
// diagonals.
constexpr Step kOrthogonal[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr Step kFloodDiagonal[] = {{-1, 1}, {-1, -1}, {1, 1}, {1, -1}};
constexpr Step kTraceDiagonal[] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};


}  // namespace

CGrid::CGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth, int32_t cellHeight)
    : m_left(left),
      m_top(top),
      m_cellWidth(cellWidth),
      m_cellHeight(cellHeight),
      m_hcells(hcells),
      m_vcells(vcells),
      m_cells(static_cast<size_t>(hcells) * static_cast<size_t>(vcells), kGridCellFree)
{
}

void CGrid::ClearAll()
{
    std::fill(m_cells.begin(), m_cells.end(), kGridCellFree);
}

int32_t CGrid::IndexIfInside(int32_t column, int32_t row) const
{
    if (column < 0 || column >= m_hcells || row < 0 || row >= m_vcells) {
        return -1;
    }
    return CellIndex(column, row);
}

void CGrid::ClearCell(int32_t column, int32_t row)
{
    const int32_t index = IndexIfInside(column, row);
    if (index >= 0) {
        m_cells[static_cast<size_t>(index)] = kGridCellFree;
    }
}

void CGrid::AddCell(int32_t column, int32_t row)
{
    const int32_t index = IndexIfInside(column, row);
    if (index >= 0) {
        m_cells[static_cast<size_t>(index)] = kGridCellBlocked;
    }
}

int32_t CGrid::GetCell(int32_t column, int32_t row) const
{
    const int32_t index = IndexIfInside(column, row);
    return index >= 0 ? m_cells[static_cast<size_t>(index)] : kGridCellBlocked;
}

int64_t CGrid::ColumnOf(int64_t x) const
{
    return FloorDiv(x - m_left, m_cellWidth);
}

int64_t CGrid::RowOf(int64_t y) const
{
    return FloorDiv(y - m_top, m_cellHeight);
}

void CGrid::SetRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t value)
{
    const int64_t firstColumn = std::max<int64_t>(ColumnOf(std::min(x1, x2)), 0);
    const int64_t lastColumn = std::min<int64_t>(ColumnOf(std::max(x1, x2)), m_hcells - 1);
    const int64_t firstRow = std::max<int64_t>(RowOf(std::min(y1, y2)), 0);
    const int64_t lastRow = std::min<int64_t>(RowOf(std::max(y1, y2)), m_vcells - 1);
    for (int64_t column = firstColumn; column <= lastColumn; ++column) {
        for (int64_t row = firstRow; row <= lastRow; ++row) {
            m_cells[static_cast<size_t>(CellIndex(static_cast<int32_t>(column), static_cast<int32_t>(row)))] =
                value;
        }
    }
}

void CGrid::ClearRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    SetRectangle(x1, y1, x2, y2, kGridCellFree);
}

void CGrid::AddRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    SetRectangle(x1, y1, x2, y2, kGridCellBlocked);
}

void CGrid::AddInstance(CInstance& instance, bool precise)
{
    const InstanceBBox box = instance.GetBBox();
    if (!precise) {
        AddRectangle(box.left, box.top, box.right, box.bottom);
        return;
    }
    const int64_t firstColumn = std::max<int64_t>(ColumnOf(box.left), 0);
    const int64_t lastColumn = std::min<int64_t>(ColumnOf(box.right), m_hcells - 1);
    const int64_t firstRow = std::max<int64_t>(RowOf(box.top), 0);
    const int64_t lastRow = std::min<int64_t>(RowOf(box.bottom), m_vcells - 1);
    for (int64_t column = firstColumn; column <= lastColumn; ++column) {
        for (int64_t row = firstRow; row <= lastRow; ++row) {
            int32_t& cell =
                m_cells[static_cast<size_t>(CellIndex(static_cast<int32_t>(column), static_cast<int32_t>(row)))];
            if (cell == kGridCellBlocked) {
                continue;
            }
            const int64_t x1 = m_left + column * m_cellWidth;
            const int64_t y1 = m_top + row * m_cellHeight;
            if (instance.CollisionRectangle(static_cast<float>(x1), static_cast<float>(y1),
                                            static_cast<float>(x1 + m_cellWidth - 1),
                                            static_cast<float>(y1 + m_cellHeight - 1), true)) {
                cell = kGridCellBlocked;
            }
        }
    }
}

bool CGrid::Contains(int32_t x, int32_t y) const
{
    const int64_t right = int64_t{m_left} + int64_t{m_hcells} * m_cellWidth;
    const int64_t bottom = int64_t{m_top} + int64_t{m_vcells} * m_cellHeight;
    return x >= m_left && x < right && y >= m_top && y < bottom;
}

bool CGrid::IsOpen(int32_t column, int32_t row) const
{
    const int32_t index = IndexIfInside(column, row);
    return index >= 0 && m_cells[static_cast<size_t>(index)] == kGridCellFree;
}

bool CGrid::Flood(int32_t startCell, int32_t goalCell, bool allowDiagonal)
{
    MPQueue_Reset();
    m_cells[static_cast<size_t>(startCell)] = 1;
    MPQueue_Push(startCell);
    for (int32_t cell = MPQueue_Pop(); cell >= 0; cell = MPQueue_Pop()) {
        if (cell == goalCell) {
            return true;
        }
        const int32_t column = cell / m_vcells;
        const int32_t row = cell % m_vcells;
        const int32_t distance = m_cells[static_cast<size_t>(cell)] + 1;
        // Openness is judged once, before this cell marks anything, so a
        // diagonal needs both cells beside it to have been open already.
        bool orthogonalOpen[4];
        for (int i = 0; i < 4; ++i) {
            orthogonalOpen[i] = IsOpen(column + kOrthogonal[i].dc, row + kOrthogonal[i].dr);
        }
        bool diagonalOpen[4];
        for (int i = 0; i < 4; ++i) {
            const Step step = kFloodDiagonal[i];
            diagonalOpen[i] = IsOpen(column + step.dc, row + step.dr) && IsOpen(column + step.dc, row) &&
                              IsOpen(column, row + step.dr);
        }
        for (int i = 0; i < 4; ++i) {
            if (orthogonalOpen[i]) {
                const int32_t next = CellIndex(column + kOrthogonal[i].dc, row + kOrthogonal[i].dr);
                m_cells[static_cast<size_t>(next)] = distance;
                MPQueue_Push(next);
            }
        }
        if (!allowDiagonal) {
            continue;
        }
        for (int i = 0; i < 4; ++i) {
            if (diagonalOpen[i]) {
                const int32_t next = CellIndex(column + kFloodDiagonal[i].dc, row + kFloodDiagonal[i].dr);
                m_cells[static_cast<size_t>(next)] = distance;
                MPQueue_Push(next);
            }
        }
    }
    return false;
}

void CGrid::TraceBack(MP_Route& route, int32_t startCell, int32_t goalCell, bool allowDiagonal) const
{
    int32_t cell = goalCell;
    while (cell != startCell) {
        const int32_t column = cell / m_vcells;
        const int32_t row = cell % m_vcells;
        const int32_t wanted = m_cells[static_cast<size_t>(cell)] - 1;
        int32_t next = -1;
        for (const Step& step : kOrthogonal) {
            if (GetCell(column + step.dc, row + step.dr) == wanted) {
                next = CellIndex(column + step.dc, row + step.dr);
                break;
            }
        }
        // A diagonal step back must not slip between two blocked cells: a
        // cell one step nearer the start may touch this one only at a
        // blocked corner when this one was reached another way.
        for (int i = 0; allowDiagonal && next < 0 && i < 4; ++i) {
            const Step step = kTraceDiagonal[i];
            if (GetCell(column + step.dc, row + step.dr) == wanted &&
                GetCell(column + step.dc, row) != kGridCellBlocked &&
                GetCell(column, row + step.dr) != kGridCellBlocked) {
                next = CellIndex(column + step.dc, row + step.dr);
            }
        }
        if (next < 0) {
            return;  // cannot happen for a flooded grid; never loop on it
        }
        cell = next;
        if (cell != startCell) {
            // In 64 bits: a column's offset alone may pass 32 bits when the
            // grid starts far left.
            const int64_t c = cell / m_vcells;
            const int64_t r = cell % m_vcells;
            route.push_back({static_cast<float>(m_left + c * m_cellWidth + m_cellWidth / 2),
                             static_cast<float>(m_top + r * m_cellHeight + m_cellHeight / 2)});
        }
    }
}

void CGrid::ForgetDistances()
{
    for (int32_t& cell : m_cells) {
        if (cell > 0) {
            cell = kGridCellFree;
        }
    }
}

bool CGrid::Path(MP_Route& route, int32_t xs, int32_t ys, int32_t xg, int32_t yg, bool allowDiagonal)
{
    if (!Contains(xs, ys) || !Contains(xg, yg)) {
        return false;
    }
    const int32_t startCell = CellIndex(static_cast<int32_t>(ColumnOf(xs)), static_cast<int32_t>(RowOf(ys)));
    const int32_t goalCell = CellIndex(static_cast<int32_t>(ColumnOf(xg)), static_cast<int32_t>(RowOf(yg)));
    if (m_cells[static_cast<size_t>(startCell)] == kGridCellBlocked ||
        m_cells[static_cast<size_t>(goalCell)] == kGridCellBlocked) {
        return false;
    }
    const bool found = Flood(startCell, goalCell, allowDiagonal);
    if (found) {
        MP_Route traced;
        traced.push_back({static_cast<float>(xg), static_cast<float>(yg)});
        TraceBack(traced, startCell, goalCell, allowDiagonal);
        traced.push_back({static_cast<float>(xs), static_cast<float>(ys)});
        std::reverse(traced.begin(), traced.end());
        route = std::move(traced);
    }
    ForgetDistances();
    return found;
}

void CGrid::Draw(GridCellPainter paint) const
{
    for (int32_t column = 0; column < m_hcells; ++column) {
        for (int32_t row = 0; row < m_vcells; ++row) {
            const int64_t x1 = m_left + int64_t{column} * m_cellWidth;
            const int64_t y1 = m_top + int64_t{row} * m_cellHeight;
            const bool blocked = m_cells[static_cast<size_t>(CellIndex(column, row))] == kGridCellBlocked;
            paint(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x1 + m_cellWidth),
                  static_cast<float>(y1 + m_cellHeight), blocked ? kGridColourBlocked : kGridColourFree);
        }
    }
}

// ---- the table ----

int32_t CGrid_Create(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth,
                     int32_t cellHeight)
{
    if (cellWidth <= 0 || cellHeight <= 0 || hcells < 0 || vcells < 0 ||
        int64_t{hcells} * vcells > kGridMaxCells || !FitsInt32(int64_t{left} + int64_t{hcells} * cellWidth) ||
        !FitsInt32(int64_t{top} + int64_t{vcells} * cellHeight)) {
        return -1;
    }
    auto grid = std::make_unique<CGrid>(left, top, hcells, vcells, cellWidth, cellHeight);
    const auto empty = std::find(g_grids.begin(), g_grids.end(), nullptr);
    if (empty != g_grids.end()) {
        *empty = std::move(grid);
        return static_cast<int32_t>(empty - g_grids.begin());
    }
    g_grids.push_back(std::move(grid));
    return static_cast<int32_t>(g_grids.size()) - 1;
}

CGrid* CGrid_Get(int32_t id)
{
    if (id < 0 || static_cast<size_t>(id) >= g_grids.size()) {
        return nullptr;
    }
    return g_grids[static_cast<size_t>(id)].get();
}

void CGrid_Destroy(int32_t id)
{
    if (CGrid_Get(id) != nullptr) {
        g_grids[static_cast<size_t>(id)].reset();
    }
}

void CGrid_ClearAll(int32_t id)
{
    if (CGrid* grid = CGrid_Get(id)) {
        grid->ClearAll();
    }
}

void CGrid_ClearCell(int32_t id, int32_t column, int32_t row)
{
    if (CGrid* grid = CGrid_Get(id)) {
        grid->ClearCell(column, row);
    }
}

void CGrid_ClearRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (CGrid* grid = CGrid_Get(id)) {
        grid->ClearRectangle(x1, y1, x2, y2);
    }
}

void CGrid_AddCell(int32_t id, int32_t column, int32_t row)
{
    if (CGrid* grid = CGrid_Get(id)) {
        grid->AddCell(column, row);
    }
}

void CGrid_AddRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (CGrid* grid = CGrid_Get(id)) {
        grid->AddRectangle(x1, y1, x2, y2);
    }
}

void CGrid_AddInstance(int32_t id, CInstance* instance, bool precise)
{
    CGrid* grid = CGrid_Get(id);
    if (grid != nullptr && instance != nullptr) {
        grid->AddInstance(*instance, precise);
    }
}

bool CGrid_Path(int32_t id, MP_Route& route, int32_t xs, int32_t ys, int32_t xg, int32_t yg, bool allowDiagonal)
{
    CGrid* grid = CGrid_Get(id);
    return grid != nullptr && grid->Path(route, xs, ys, xg, yg, allowDiagonal);
}

void CGrid_Draw(int32_t id, GridCellPainter paint)
{
    if (CGrid* grid = CGrid_Get(id)) {
        grid->Draw(paint);
    }
}

void CGrid_FreeAll()
{
    g_grids.clear();
    g_grids.shrink_to_fit();
    MPQueue_Free();
}

}  // namespace bw
