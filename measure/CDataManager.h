// The live chart's point store: ten curves, each one contiguous array of
// ChartPoint that the chart draws from without copying. Each array lives in
// address space reserved at the curve's first point and committed in steps
// as it fills, so it never moves and never holds much more than its points;
// only a curve that outgrows its whole reservation is remapped (its pages
// move, their contents are not copied), and the owner is told at once so
// the chart never draws from a stale address. The store also keeps each
// curve's running extents and a summary of its y extremes per block of
// points, so nobody has to scan the points for them.
#pragma once

#include "chart/ChartPoint.h"
#include "chart/MinMaxSummary.h"

#include <cstddef>
#include <cstdint>
#include <thread>

// Implemented by the live chart window: re-point the chart's curve at the
// moved array if (and only if) it currently draws from the old one.
class CDataStoreOwner {
public:
    virtual ~CDataStoreOwner() = default;
    // oldAddress is the old array's address, only for comparison.
    virtual void OnCurveArrayMoved(int curve, std::uintptr_t oldAddress, ChartPoint* newArray, unsigned count) = 0;
};

class CDataManager {
public:
    static constexpr int kCurves = 10;
    // Points committed at a curve's first point (rounded up to whole
    // pages); later steps add an eighth of what is committed, at least
    // kMinStep, so from 4 x kMinStep points on the committed capacity never
    // exceeds 20 bytes a point, and later 18.
    static constexpr unsigned kFirstCapacity = 10000;
    static constexpr unsigned kMinStep = 4096;
    // Points of address space reserved per curve: 4 GiB, more than a month
    // at 100 values a second. Reserved space costs no memory.
    static constexpr std::uint64_t kDefaultReservePoints = std::uint64_t(1) << 28;

    explicit CDataManager(std::uint64_t reservePoints = kDefaultReservePoints);
    ~CDataManager();
    CDataManager(const CDataManager&) = delete;
    CDataManager& operator=(const CDataManager&) = delete;

    // The new count of the curve, or -1 for a curve outside 0..9. A failed
    // growth throws std::bad_alloc and leaves the curve as it was.
    int addPoint(int curve, double x, double y, CDataStoreOwner* owner);
    // Empties the curve but keeps its array for the next run.
    bool resetCurve(int curve);
    unsigned getPointCount(int curve) const;
    // Points the curve can hold before its next growth step.
    unsigned getCapacity(int curve) const;
    // The curve's array (nullptr before its first point); it moves only
    // when the curve outgrows its reservation, and the owner is told then.
    const ChartPoint* getPoints(int curve) const;
    ChartPoint* getPointsForBinding(int curve);
    // Extents over the curve's points with finite x and y, as they stand
    // now; false when there is none. Costs nothing: kept as points arrive.
    bool getExtents(int curve, double* xmin, double* xmax, double* ymin, double* ymax) const;
    // The curve's y extremes per block of points, kept as points arrive
    // (nullptr outside 0..9); it moves with the curve's array.
    const MinMaxSummary* getSummary(int curve) const;

    // Whether the caller runs on the thread that made the store (the UI
    // thread), the only one that may change or bind its arrays.
    bool IsOwnerThread() const { return std::this_thread::get_id() == m_thread; }

    // Smallest first x over curves with points, or DBL_MAX.
    double getAbsoluteXMin() const;
    // Largest newest x over curves with points, or -DBL_MAX.
    double getAbsoluteXMax() const;

private:
    struct Extents {
        double xmin, xmax, ymin, ymax;
        bool any;
    };
    void grow(int curve, CDataStoreOwner* owner);
    void release();
    void assertOwnerThread() const;

    ChartPoint* m_pPoints[kCurves] = {};
    std::uint32_t m_nCount[kCurves] = {};
    std::uint32_t m_nCapacity[kCurves] = {};
    std::uint64_t m_nReserved[kCurves] = {};
    Extents m_Extents[kCurves] = {};
    MinMaxSummary m_Summary[kCurves];
    std::uint64_t m_nReservePoints;
    std::thread::id m_thread;
};
