// ds_grid: a two-dimensional array of script values addressed (x, y), x the
// column. Besides single cells it offers rectangles, disks and regions copied
// from another grid: setting, adding and multiplying, statistics, searches,
// shuffling and sorting rows by a column.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/ds.h"
#include "script/value.h"

namespace bw {

// How a value goes into a cell.
enum class GridOperation : int32_t {
    kSet = 1,       // a copy of the value
    kAdd = 2,       // reals add, strings join; any other pair sets
    kMultiply = 3,  // reals multiply; any other pair leaves the cell
};
void DS_CombineValues(GridOperation operation, Value& target, const Value& source);

class CDS_Grid {
public:
    // Sizes below 0 are refused by the callers; see DS_Grid_SizeAcceptable.
    CDS_Grid(int32_t width, int32_t height);
    virtual ~CDS_Grid();
    CDS_Grid(const CDS_Grid&) = delete;
    CDS_Grid& operator=(const CDS_Grid&) = delete;

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    bool Contains(int32_t x, int32_t y) const { return x >= 0 && x < m_width && y >= 0 && y < m_height; }
    Value& Cell(int32_t x, int32_t y) { return m_cells[Index(x, y)]; }
    const Value& Cell(int32_t x, int32_t y) const { return m_cells[Index(x, y)]; }

    // The cell, or null after the console line naming the grid (id) and the
    // place outside it.
    const Value* Get(int32_t id, int32_t x, int32_t y) const;
    // One cell; outside the grid only the console line.
    void Set(int32_t id, GridOperation operation, int32_t x, int32_t y, const Value& value);

    void Clear(const Value& value);
    // Kept cells keep their values, new ones are the real 0.
    void Resize(int32_t width, int32_t height);
    void Copy(const CDS_Grid& source);

    void SetRegion(GridOperation operation, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const Value& value);
    void SetDisk(GridOperation operation, double xm, double ym, double r, const Value& value);
    // Combines the source rectangle into this grid from (x, y) on, as if every
    // source cell were read before any cell is written (source may be this).
    void SetGridRegion(GridOperation operation, const CDS_Grid& source, int32_t x1, int32_t y1, int32_t x2,
                       int32_t y2, int32_t x, int32_t y);

    // Over the reals of a rectangle or disk; strings are skipped. Max starts
    // at -100000000, min at 100000000, mean is 0 without reals.
    enum class Statistic { kSum, kMax, kMin, kMean };
    double GetStatistic(Statistic statistic, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
    double GetDiskStatistic(Statistic statistic, double xm, double ym, double r) const;

    // The first cell (x outer, y inner) equal to value; false without one.
    bool FindValue(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const Value& value, int32_t* x, int32_t* y) const;
    bool FindValueInDisk(double xm, double ym, double r, const Value& value, int32_t* x, int32_t* y) const;

    void Shuffle();
    // Sorts whole rows by the cells of one column: reals by value, strings
    // byte-wise, and in ascending order non-reals before reals. Rows with
    // equal keys keep their order, also when descending.
    void Sort(int32_t column, bool ascending);

    // The text form (ds_text.cpp); as for the other containers.
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

private:
    struct Box {
        int32_t x1, y1, x2, y2;  // inclusive; empty when x1 > x2 or y1 > y2
    };
    size_t Index(int32_t x, int32_t y) const
    {
        return static_cast<size_t>(x) * static_cast<size_t>(m_height) + static_cast<size_t>(y);
    }
    Box ClipRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
    // Calls visit(x, y) for the cells of a rectangle or a disk, x outer.
    template <typename Visit>
    void ForEachInRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Visit&& visit) const;
    template <typename Visit>
    void ForEachInDisk(double xm, double ym, double r, Visit&& visit) const;
    void FreeCells();

    int32_t m_width = 0;
    int32_t m_height = 0;
    std::vector<Value> m_cells;  // column by column
};

// Both sizes 0 or more, and width × height cells within what a grid may
// hold (2 GB of cells).
bool DS_Grid_SizeAcceptable(int64_t width, int64_t height);

DataStructurePool<CDS_Grid>& DS_GridPool();

}  // namespace bw
