// The lowest and highest finite y of every block of 32 points of a curve,
// and of every 8 such blocks, and of every 8 of those, and so on, kept as
// points are appended (about 0.6 bytes a point). A view in which thousands of points fall into
// one pixel column reads the extremes of a column from a few blocks
// instead of from every point.
#pragma once

#include "chart/ChartPoint.h"

#include <cstddef>
#include <vector>

class MinMaxSummary {
public:
    static constexpr int kBlockShift = 5;   // 32 points per block
    static constexpr int kFanShift = 3;     // 8 blocks per block of the next level
    static constexpr size_t kBlock = size_t(1) << kBlockShift;

    MinMaxSummary();

    // Forgets every block (the memory stays for the next record).
    void Clear();
    // Takes in the whole blocks among the first count points of pts that
    // are not yet summarised. The points summarised before must still be
    // what they were. A failed allocation throws and changes nothing.
    void Extend(const ChartPoint* pts, size_t count);
    // Points the blocks cover: from 0 up to this.
    size_t Covered() const { return m_Levels[0].size() << kBlockShift; }

    // Lowest and highest finite y of pts[from, to): whole blocks inside the
    // range are read from the summary, the points at its ends one by one.
    // False when the range holds no finite y.
    bool Range(const ChartPoint* pts, size_t from, size_t to, double& lo, double& hi) const;

    // Memory the blocks hold.
    size_t Bytes() const;

private:
    struct Extent {
        double lo, hi;   // lo > hi: no finite y in the block
    };
    static constexpr size_t kMaxLevels = 10;
    std::vector<std::vector<Extent>> m_Levels;
};
