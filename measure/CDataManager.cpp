#include "measure/CDataManager.h"

#include <cassert>
#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <new>

static bool ValidCurve(int curve)
{
    return curve >= 0 && curve < CDataManager::kCurves;
}

CDataManager::CDataManager() : m_thread(std::this_thread::get_id()) {}

CDataManager::~CDataManager()
{
    release();
}

void CDataManager::assertOwnerThread() const
{
    // The chart paints from these arrays without a lock, so only the UI
    // thread (the one that made the store) may change them.
    assert(std::this_thread::get_id() == m_thread);
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
// On failure realloc leaves the old array valid, and the curve keeps it;
// on success the old address is only compared, never read through.
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif
int CDataManager::addPoint(int curve, double x, double y, CDataStoreOwner* owner)
{
    if (!ValidCurve(curve))
        return -1;
    assertOwnerThread();
    if (!m_pPoints[curve]) {
        auto* p = static_cast<ChartPoint*>(std::malloc(sizeof(ChartPoint) * kFirstCapacity));
        if (!p)
            throw std::bad_alloc();
        m_pPoints[curve] = p;
        m_nCount[curve] = 0;
        m_nCapacity[curve] = kFirstCapacity;
    }
    if (m_nCount[curve] == m_nCapacity[curve]) {
        const std::uint64_t newCapacity = std::uint64_t(m_nCapacity[curve]) * 2;
        if (newCapacity > UINT32_MAX)
            throw std::bad_alloc();
        const auto oldAddress = reinterpret_cast<std::uintptr_t>(m_pPoints[curve]);
        // realloc lets large arrays grow in place or by remapping pages, so
        // the old and the new array are not held side by side while copying.
        auto* grown = static_cast<ChartPoint*>(std::realloc(m_pPoints[curve], sizeof(ChartPoint) * newCapacity));
        if (!grown)
            throw std::bad_alloc();
        std::memset(static_cast<void*>(grown + m_nCapacity[curve]), 0, sizeof(ChartPoint) * (newCapacity - m_nCapacity[curve]));
        m_pPoints[curve] = grown;
        m_nCapacity[curve] = static_cast<std::uint32_t>(newCapacity);
        if (owner)
            owner->OnCurveArrayMoved(curve, oldAddress, grown, m_nCount[curve]);
    }
    m_pPoints[curve][m_nCount[curve]] = ChartPoint{x, y};
    return static_cast<int>(++m_nCount[curve]);
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

bool CDataManager::resetCurve(int curve)
{
    if (!ValidCurve(curve))
        return false;
    assertOwnerThread();
    m_nCount[curve] = 0;
    return true;
}

unsigned CDataManager::getPointCount(int curve) const
{
    return ValidCurve(curve) && m_pPoints[curve] ? m_nCount[curve] : 0;
}

unsigned CDataManager::getCapacity(int curve) const
{
    return ValidCurve(curve) ? m_nCapacity[curve] : 0;
}

const ChartPoint* CDataManager::getPoints(int curve) const
{
    return ValidCurve(curve) ? m_pPoints[curve] : nullptr;
}

ChartPoint* CDataManager::getPointsForBinding(int curve)
{
    return ValidCurve(curve) ? m_pPoints[curve] : nullptr;
}

double CDataManager::getAbsoluteXMin() const
{
    double v = DBL_MAX;
    for (int c = 0; c < kCurves; ++c)
        if (m_pPoints[c] && m_nCount[c] > 0 && m_pPoints[c][0].x < v)
            v = m_pPoints[c][0].x;
    return v;
}

double CDataManager::getAbsoluteXMax() const
{
    double v = -DBL_MAX;
    for (int c = 0; c < kCurves; ++c)
        if (m_pPoints[c] && m_nCount[c] > 0 && m_pPoints[c][m_nCount[c] - 1].x > v)
            v = m_pPoints[c][m_nCount[c] - 1].x;
    return v;
}

void CDataManager::release()
{
    for (auto*& p : m_pPoints) {
        std::free(p);
        p = nullptr;
    }
}
