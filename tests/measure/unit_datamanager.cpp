#include "measure/CDataManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace {

// Binds like the live chart window: remembers which array each curve draws.
struct FakeChart : CDataStoreOwner {
    const ChartPoint* bound[CDataManager::kCurves] = {};
    struct Move {
        int curve;
        unsigned count;
    };
    std::vector<Move> moves;
    void OnCurveArrayMoved(int curve, std::uintptr_t oldAddress, ChartPoint* newArray, unsigned count) override
    {
        moves.push_back({curve, count});
        if (reinterpret_cast<std::uintptr_t>(bound[curve]) == oldAddress)
            bound[curve] = newArray;
    }
};

} // namespace

TEST(CDataManager, GrowsInPlaceInSmallStepsWithoutTellingTheChart)
{
    CDataManager store;
    FakeChart chart;
    ASSERT_EQ(store.addPoint(0, 0.0, 0.0, &chart), 1);
    const ChartPoint* first = store.getPoints(0);
    chart.bound[0] = first;
    const unsigned firstCapacity = store.getCapacity(0);
    EXPECT_GE(firstCapacity, CDataManager::kFirstCapacity);
    EXPECT_LT(firstCapacity, CDataManager::kFirstCapacity + 4096 / sizeof(ChartPoint));

    // A million points: the array never moves, and from 16 384 points on
    // it never holds more than 20 bytes per point.
    unsigned capacity = firstCapacity;
    for (unsigned i = 1; i < 1'000'000; ++i) {
        ASSERT_EQ(store.addPoint(0, i * 0.01, -double(i), &chart), int(i + 1));
        if (store.getCapacity(0) != capacity && i >= 4 * CDataManager::kMinStep) {
            capacity = store.getCapacity(0);
            EXPECT_LE(capacity * sizeof(ChartPoint), 20.0 * (i + 1)) << i;
        }
    }
    EXPECT_EQ(store.getPoints(0), first);
    EXPECT_TRUE(chart.moves.empty());
    const ChartPoint* p = store.getPoints(0);
    EXPECT_DOUBLE_EQ(p[999'999].y, -999'999.0);
    // Slots beyond the points read as zero.
    EXPECT_DOUBLE_EQ(p[store.getCapacity(0) - 1].x, 0.0);
}

TEST(CDataManager, OutgrowingTheReservationMovesThePagesAndRebindsTheChart)
{
    CDataManager store(20000);
    FakeChart chart;
    for (int i = 0; i < 100; ++i)
        store.addPoint(1, i, i, &chart);
    chart.bound[1] = store.getPoints(1);
    int n = 100;
    while (chart.moves.empty() && n < 200000)
        store.addPoint(1, n, n, &chart), ++n;
    ASSERT_EQ(chart.moves.size(), 1u);
    EXPECT_EQ(chart.moves[0].curve, 1);
    EXPECT_EQ(chart.moves[0].count, unsigned(n - 1));
    EXPECT_EQ(chart.bound[1], store.getPoints(1));
    // Through further moves every point stays, and the chart never keeps a
    // stale array.
    for (; n < 100000; ++n)
        store.addPoint(1, n, n, &chart);
    EXPECT_GE(chart.moves.size(), 2u);
    EXPECT_EQ(chart.bound[1], store.getPoints(1));
    for (int i = 0; i < n; i += 997)
        ASSERT_DOUBLE_EQ(store.getPoints(1)[i].y, double(i));
}

TEST(CDataManager, KeepsRunningExtentsOfTheFinitePoints)
{
    CDataManager store;
    double x0, x1, y0, y1;
    EXPECT_FALSE(store.getExtents(2, &x0, &x1, &y0, &y1));
    store.addPoint(2, 5.0, NAN, nullptr);
    EXPECT_FALSE(store.getExtents(2, &x0, &x1, &y0, &y1));
    store.addPoint(2, 1.0, 4.0, nullptr);
    store.addPoint(2, 3.0, -2.0, nullptr);
    store.addPoint(2, INFINITY, 100.0, nullptr);
    store.addPoint(2, 2.0, 7.5, nullptr);
    ASSERT_TRUE(store.getExtents(2, &x0, &x1, &y0, &y1));
    EXPECT_EQ(x0, 1.0);
    EXPECT_EQ(x1, 3.0);
    EXPECT_EQ(y0, -2.0);
    EXPECT_EQ(y1, 7.5);
    EXPECT_FALSE(store.getExtents(10, &x0, &x1, &y0, &y1));
    // A new run starts from nothing.
    store.resetCurve(2);
    EXPECT_FALSE(store.getExtents(2, &x0, &x1, &y0, &y1));
    store.addPoint(2, 9.0, 9.0, nullptr);
    ASSERT_TRUE(store.getExtents(2, &x0, &x1, &y0, &y1));
    EXPECT_EQ(x0, 9.0);
    EXPECT_EQ(y1, 9.0);
}

TEST(CDataManager, KeepsASummaryOfEveryWholeBlockThroughANewRun)
{
    // The summary answers any range as a scan of the points does, also
    // after a reset refilled the array with fewer, other points.
    CDataManager store;
    auto check = [&store](unsigned n) {
        const ChartPoint* p = store.getPoints(5);
        const MinMaxSummary* s = store.getSummary(5);
        EXPECT_EQ(s->Covered(), n / MinMaxSummary::kBlock * MinMaxSummary::kBlock);
        for (unsigned from = 0; from < n; from += 4099)
            for (unsigned to : {from + 1, from + 700, from + 20'000, n}) {
                to = std::min(to, n);
                double lo = INFINITY, hi = -INFINITY, slo = 0, shi = 0;
                for (unsigned i = from; i < to; ++i) {
                    if (std::isfinite(p[i].y))
                        lo = std::min(lo, p[i].y), hi = std::max(hi, p[i].y);
                }
                ASSERT_EQ(s->Range(p, from, to, slo, shi), lo <= hi) << from << ".." << to;
                if (lo <= hi) {
                    ASSERT_TRUE(slo == lo && shi == hi) << from << ".." << to;
                }
            }
    };
    for (int i = 0; i < 70'000; ++i)
        store.addPoint(5, i, i % 97 == 0 ? NAN : (i * 7919 % 1013) - 500.0, nullptr);
    check(70'000);
    store.resetCurve(5);
    for (int i = 0; i < 30'001; ++i)
        store.addPoint(5, i, i % 4000 < 64 ? INFINITY : 2000.0 + i % 5, nullptr);
    check(30'001);
    EXPECT_EQ(store.getSummary(10), nullptr);
}

TEST(CDataManager, CurveIndexOutsideRangeChangesNothing)
{
    CDataManager store;
    EXPECT_EQ(store.addPoint(-1, 1, 1, nullptr), -1);
    EXPECT_EQ(store.addPoint(10, 1, 1, nullptr), -1);
    EXPECT_FALSE(store.resetCurve(10));
    EXPECT_EQ(store.getPointCount(10), 0u);
    EXPECT_EQ(store.getPoints(-1), nullptr);
    for (int c = 0; c < CDataManager::kCurves; ++c)
        EXPECT_EQ(store.getCapacity(c), 0u);
}

TEST(CDataManager, ResetKeepsTheArrayForTheNextRun)
{
    CDataManager store;
    store.addPoint(3, 1, 1, nullptr);
    store.addPoint(3, 2, 2, nullptr);
    const ChartPoint* before = store.getPoints(3);
    EXPECT_TRUE(store.resetCurve(3));
    EXPECT_EQ(store.getPointCount(3), 0u);
    EXPECT_EQ(store.addPoint(3, 5, 5, nullptr), 1);
    EXPECT_EQ(store.getPoints(3), before);
    EXPECT_GE(store.getCapacity(3), CDataManager::kFirstCapacity);
}

TEST(CDataManager, AbsoluteXRangeSkipsEmptyCurves)
{
    CDataManager store;
    EXPECT_EQ(store.getAbsoluteXMin(), DBL_MAX);
    EXPECT_EQ(store.getAbsoluteXMax(), -DBL_MAX);

    store.addPoint(1, 2.0, 0, nullptr);
    store.addPoint(1, 7.5, 0, nullptr);
    store.addPoint(4, 1.0, 0, nullptr);
    store.addPoint(4, 3.0, 0, nullptr);
    EXPECT_DOUBLE_EQ(store.getAbsoluteXMin(), 1.0);
    EXPECT_DOUBLE_EQ(store.getAbsoluteXMax(), 7.5);

    // An emptied curve takes no part, whatever its old slots still hold.
    store.resetCurve(1);
    EXPECT_DOUBLE_EQ(store.getAbsoluteXMax(), 3.0);
    store.resetCurve(4);
    EXPECT_EQ(store.getAbsoluteXMin(), DBL_MAX);
    EXPECT_EQ(store.getAbsoluteXMax(), -DBL_MAX);
}

TEST(CDataManager, FullArrayNewestPointIsReadInBounds)
{
    CDataManager store;
    store.addPoint(0, 0.0, 0, nullptr);
    const unsigned full = store.getCapacity(0);
    for (unsigned i = 1; i < full; ++i)
        store.addPoint(0, double(i), 0, nullptr);
    EXPECT_DOUBLE_EQ(store.getAbsoluteXMax(), double(full - 1));
}
