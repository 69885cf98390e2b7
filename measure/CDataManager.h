// The live chart's point store: ten curves, each a growable array of
// ChartPoint that the chart draws from without copying. When an array has
// to move, the owner is told at once so the chart never draws from freed
// memory.
#pragma once

#include "chart/ChartPoint.h"

#include <cstdint>
#include <thread>

// Implemented by the live chart window: re-point the chart's curve at the
// moved array if (and only if) it currently draws from the old one.
class CDataStoreOwner {
public:
    virtual ~CDataStoreOwner() = default;
    // oldAddress is the freed array's address, only for comparison.
    virtual void OnCurveArrayMoved(int curve, std::uintptr_t oldAddress, ChartPoint* newArray, unsigned count) = 0;
};

class CDataManager {
public:
    static constexpr int kCurves = 10;
    static constexpr unsigned kFirstCapacity = 10000;

    CDataManager();
    ~CDataManager();
    CDataManager(const CDataManager&) = delete;
    CDataManager& operator=(const CDataManager&) = delete;

    // The new count of the curve, or -1 for a curve outside 0..9. A failed
    // growth throws std::bad_alloc and leaves the curve as it was.
    int addPoint(int curve, double x, double y, CDataStoreOwner* owner);
    // Empties the curve but keeps its array for the next run.
    bool resetCurve(int curve);
    unsigned getPointCount(int curve) const;
    unsigned getCapacity(int curve) const;
    // The curve's array (nullptr before its first point); valid until the
    // next addPoint on that curve.
    const ChartPoint* getPoints(int curve) const;
    ChartPoint* getPointsForBinding(int curve);

    // Whether the caller runs on the thread that made the store (the UI
    // thread), the only one that may change or bind its arrays.
    bool IsOwnerThread() const { return std::this_thread::get_id() == m_thread; }

    // Smallest first x over curves with points, or DBL_MAX.
    double getAbsoluteXMin() const;
    // Largest newest x over curves with points, or -DBL_MAX.
    double getAbsoluteXMax() const;

private:
    void release();
    void assertOwnerThread() const;

    ChartPoint* m_pPoints[kCurves] = {};
    std::uint32_t m_nCount[kCurves] = {};
    std::uint32_t m_nCapacity[kCurves] = {};
    std::thread::id m_thread;
};
