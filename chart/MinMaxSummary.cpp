#include "chart/MinMaxSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr size_t kFan = size_t(1) << MinMaxSummary::kFanShift;
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

MinMaxSummary::MinMaxSummary()
{
    m_Levels.reserve(kMaxLevels);
    m_Levels.emplace_back();
}

void MinMaxSummary::Clear()
{
    for (auto& level : m_Levels)
        level.clear();
}

void MinMaxSummary::Extend(const ChartPoint* pts, size_t count)
{
    while (Covered() + kBlock <= count) {
        // The new block completes a run of kFan on each level up to depth - 1.
        size_t depth = 1;
        while (depth < kMaxLevels && depth <= m_Levels.size() && (m_Levels[depth - 1].size() + 1) % kFan == 0)
            ++depth;
        // Room on every level first: a failed allocation must not leave one
        // level a block ahead of the next.
        for (size_t level = 0; level < depth; ++level) {
            if (level == m_Levels.size())
                m_Levels.emplace_back();   // within the reserved capacity
            auto& v = m_Levels[level];
            // Half again as much: the slack stays a fraction of a byte a point.
            if (v.size() == v.capacity())
                v.reserve(std::max<size_t>(64, v.capacity() + v.capacity() / 2));
        }
        const ChartPoint* p = pts + Covered();
        Extent e{kInf, -kInf};
        for (size_t i = 0; i < kBlock; ++i) {
            const double y = p[i].y;
            if (std::isfinite(y)) {
                e.lo = std::min(e.lo, y);
                e.hi = std::max(e.hi, y);
            }
        }
        m_Levels[0].push_back(e);
        for (size_t level = 1; level < depth; ++level) {
            const auto& below = m_Levels[level - 1];
            Extent f{kInf, -kInf};
            for (auto it = below.end() - static_cast<std::ptrdiff_t>(kFan); it != below.end(); ++it) {
                f.lo = std::min(f.lo, it->lo);
                f.hi = std::max(f.hi, it->hi);
            }
            m_Levels[level].push_back(f);
        }
    }
}

bool MinMaxSummary::Range(const ChartPoint* pts, size_t from, size_t to, double& lo, double& hi) const
{
    double l = kInf, h = -kInf;
    size_t pos = from;
    while (pos < to) {
        if ((pos & (kBlock - 1)) != 0 || pos + kBlock > to || (pos >> kBlockShift) >= m_Levels[0].size()) {
            // Up to the next block's start, or the range's end.
            const size_t end = std::min(to, (pos | (kBlock - 1)) + 1);
            for (; pos < end; ++pos) {
                const double y = pts[pos].y;
                if (std::isfinite(y)) {
                    l = std::min(l, y);
                    h = std::max(h, y);
                }
            }
            continue;
        }
        // The largest block that starts here and lies wholly in the range.
        size_t level = 0;
        int shift = kBlockShift;
        while (level + 1 < m_Levels.size()) {
            const int up = shift + kFanShift;
            const size_t size = size_t(1) << up;
            if ((pos & (size - 1)) != 0 || pos + size > to || (pos >> up) >= m_Levels[level + 1].size())
                break;
            ++level;
            shift = up;
        }
        const Extent& e = m_Levels[level][pos >> shift];
        l = std::min(l, e.lo);
        h = std::max(h, e.hi);
        pos += size_t(1) << shift;
    }
    if (l > h)
        return false;
    lo = l;
    hi = h;
    return true;
}

size_t MinMaxSummary::Bytes() const
{
    size_t bytes = m_Levels.capacity() * sizeof(std::vector<Extent>);
    for (const auto& level : m_Levels)
        bytes += level.capacity() * sizeof(Extent);
    return bytes;
}
