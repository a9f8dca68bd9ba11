// Motion-planning grids: a rectangle of the room cut into equal cells, each
// free or blocked. Game code blocks and frees cells directly, by rectangle
// or by the area an instance covers, and asks for a path between two points:
// a breadth-first flood over the cells (optionally with diagonal moves that
// never cut a blocked corner), traced back from the goal. Grids belong to
// the game, not to a room; game code knows them by their index in the table.
#pragma once

#include <cstdint>
#include <vector>

namespace bw {

class CInstance;

// A point of a planned route, in room coordinates. Paths are a resource kind
// above the world; the caller copies a route into one (every point at
// speed 100, straight, open).
struct MP_RoutePoint {
    float x = 0.0f;
    float y = 0.0f;
};
using MP_Route = std::vector<MP_RoutePoint>;

inline constexpr int32_t kGridCellFree = 0;
inline constexpr int32_t kGridCellBlocked = -1;
// Script colours (0x00BBGGRR) of mp_grid_draw.
inline constexpr uint32_t kGridColourBlocked = 0x0000FF;
inline constexpr uint32_t kGridColourFree = 0x008000;
// The largest grid: the cells of one grid are a single allocation and a
// search may queue each of them once.
inline constexpr int64_t kGridMaxCells = int64_t{1} << 24;

// Fills a cell's rectangle, corners (x1, y1) and (x2, y2), in one colour.
using GridCellPainter = void (*)(float x1, float y1, float x2, float y2, uint32_t colour);

class CGrid {
public:
    // All cells free. The sizes must have been checked (CGrid_Create).
    CGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth, int32_t cellHeight);
    virtual ~CGrid() = default;

    void ClearAll();
    // Cells outside the grid are ignored.
    void ClearCell(int32_t column, int32_t row);
    void AddCell(int32_t column, int32_t row);
    // Room coordinates in any order; the covered cells, clipped to the grid.
    void ClearRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void AddRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // Blocks the cells under the instance's bounding box; precise: only
    // those whose rectangle the instance's mask meets.
    void AddInstance(CInstance& instance, bool precise);
    // A route from (xs, ys) through cell centres to (xg, yg). False, and the
    // route untouched, when either end lies outside the grid or on a blocked
    // cell, or no way joins them.
    bool Path(MP_Route& route, int32_t xs, int32_t ys, int32_t xg, int32_t yg, bool allowDiagonal);
    void Draw(GridCellPainter paint) const;

    // kGridCellFree, kGridCellBlocked; cells outside the grid read blocked.
    int32_t GetCell(int32_t column, int32_t row) const;
    int32_t HorizontalCells() const { return m_hcells; }
    int32_t VerticalCells() const { return m_vcells; }

private:
    // Which column or row a room coordinate falls in (may lie outside).
    int64_t ColumnOf(int64_t x) const;
    int64_t RowOf(int64_t y) const;
    bool Contains(int32_t x, int32_t y) const;
    int32_t CellIndex(int32_t column, int32_t row) const { return column * m_vcells + row; }
    // -1 for a cell outside the grid.
    int32_t IndexIfInside(int32_t column, int32_t row) const;
    bool IsOpen(int32_t column, int32_t row) const;
    void SetRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t value);
    bool Flood(int32_t startCell, int32_t goalCell, bool allowDiagonal);
    void TraceBack(MP_Route& route, int32_t startCell, int32_t goalCell, bool allowDiagonal) const;
    void ForgetDistances();

    int32_t m_left;
    int32_t m_top;
    int32_t m_cellWidth;
    int32_t m_cellHeight;
    int32_t m_hcells;
    int32_t m_vcells;
    std::vector<int32_t> m_cells;  // column * vcells + row
};

// A new grid in the first empty slot (or a new one); its id. -1 when a cell
// size is not positive, a count is negative, or the grid would not fit: more
// than kGridMaxCells cells, or an extent past the 32-bit coordinates.
int32_t CGrid_Create(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth,
                     int32_t cellHeight);
// Null for an id outside the table or a destroyed grid.
CGrid* CGrid_Get(int32_t id);
// Each does nothing (or answers false) for an id that names no grid.
void CGrid_Destroy(int32_t id);
void CGrid_ClearAll(int32_t id);
void CGrid_ClearCell(int32_t id, int32_t column, int32_t row);
void CGrid_ClearRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void CGrid_AddCell(int32_t id, int32_t column, int32_t row);
void CGrid_AddRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void CGrid_AddInstance(int32_t id, CInstance* instance, bool precise);
bool CGrid_Path(int32_t id, MP_Route& route, int32_t xs, int32_t ys, int32_t xg, int32_t yg, bool allowDiagonal);
void CGrid_Draw(int32_t id, GridCellPainter paint);
// Every grid and the search queue (game end).
void CGrid_FreeAll();

}  // namespace bw
