#include "measure/CDataManager.h"

#include <gtest/gtest.h>

#include <cfloat>
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

TEST(CDataManager, GrowsByDoublingAndRebindsTheChart)
{
    CDataManager store;
    FakeChart chart;
    for (unsigned i = 0; i < 10000; ++i)
        ASSERT_EQ(store.addPoint(0, i * 0.01, -double(i), &chart), int(i + 1));
    EXPECT_EQ(store.getCapacity(0), 10000u);
    EXPECT_TRUE(chart.moves.empty());
    chart.bound[0] = store.getPoints(0);

    EXPECT_EQ(store.addPoint(0, 100.0, 1.0, &chart), 10001);
    EXPECT_EQ(store.getCapacity(0), 20000u);
    ASSERT_EQ(chart.moves.size(), 1u);
    EXPECT_EQ(chart.moves[0].count, 10000u);
    EXPECT_EQ(chart.bound[0], store.getPoints(0));

    const ChartPoint* p = store.getPoints(0);
    EXPECT_DOUBLE_EQ(p[9999].y, -9999.0);
    EXPECT_DOUBLE_EQ(p[10000].x, 100.0);
    EXPECT_DOUBLE_EQ(p[10001].x, 0.0);
    EXPECT_DOUBLE_EQ(p[19999].y, 0.0);

    // Through several doublings the chart never keeps a stale array.
    for (int i = 0; i < 35000; ++i)
        store.addPoint(0, 1.0, 1.0, &chart);
    EXPECT_EQ(store.getCapacity(0), 80000u);
    EXPECT_EQ(chart.bound[0], store.getPoints(0));
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
    EXPECT_EQ(store.getCapacity(3), 10000u);
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
    for (unsigned i = 0; i < CDataManager::kFirstCapacity; ++i)
        store.addPoint(0, double(i), 0, nullptr);
    EXPECT_DOUBLE_EQ(store.getAbsoluteXMax(), 9999.0);
}
