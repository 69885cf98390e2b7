#include "measure/CDataManager.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace {

bool ValidCurve(int curve)
{
    return curve >= 0 && curve < CDataManager::kCurves;
}

std::size_t PageBytes()
{
    static const std::size_t page = [] {
        const long p = sysconf(_SC_PAGESIZE);
        return p > 0 ? static_cast<std::size_t>(p) : std::size_t(4096);
    }();
    return page;
}

// Points rounded up to whole pages.
std::uint64_t RoundToPages(std::uint64_t points)
{
    const std::uint64_t bytes = points * sizeof(ChartPoint);
    const std::uint64_t page = PageBytes();
    return (bytes + page - 1) / page * page / sizeof(ChartPoint);
}

// Address space only: no memory behind it until a range is committed.
ChartPoint* Reserve(std::uint64_t points)
{
    void* p = mmap(nullptr, points * sizeof(ChartPoint), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<ChartPoint*>(p);
}

} // namespace

CDataManager::CDataManager(std::uint64_t reservePoints)
    : m_nReservePoints(std::max<std::uint64_t>(RoundToPages(kFirstCapacity), RoundToPages(reservePoints))),
      m_thread(std::this_thread::get_id())
{
}

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

void CDataManager::grow(int curve, CDataStoreOwner* owner)
{
    const std::uint64_t capacity = m_nCapacity[curve];
    const std::uint64_t step = capacity == 0 ? kFirstCapacity : std::max<std::uint64_t>(kMinStep, capacity / 8);
    std::uint64_t wanted = RoundToPages(capacity + step);
    if (wanted > UINT32_MAX)
        wanted = UINT32_MAX / RoundToPages(1) * RoundToPages(1);
    if (wanted <= capacity)
        throw std::bad_alloc();

    if (!m_pPoints[curve]) {
        // Less address space where the full reservation is refused (a
        // limit on it): growth past it then remaps.
        std::uint64_t reserve = std::max(m_nReservePoints, wanted);
        ChartPoint* p = nullptr;
        while (!(p = Reserve(reserve)) && reserve / 2 >= wanted)
            reserve = RoundToPages(reserve / 2);
        if (!p)
            throw std::bad_alloc();
        m_pPoints[curve] = p;
        m_nReserved[curve] = reserve;
    } else if (wanted > m_nReserved[curve]) {
        // The pages move to a larger reservation; their contents stay where
        // they are in memory, nothing is copied.
        const std::uint64_t reserve = RoundToPages(std::max(wanted, m_nReserved[curve] * 2));
        // A remap takes one mapping as a whole: commit the rest of the old
        // reservation first, so that all of it has the same protection.
        if (mprotect(m_pPoints[curve] + capacity, (m_nReserved[curve] - capacity) * sizeof(ChartPoint),
                     PROT_READ | PROT_WRITE) != 0)
            throw std::bad_alloc();
        m_nCapacity[curve] = static_cast<std::uint32_t>(m_nReserved[curve]);
        const auto oldAddress = reinterpret_cast<std::uintptr_t>(m_pPoints[curve]);
        void* moved = mremap(m_pPoints[curve], m_nReserved[curve] * sizeof(ChartPoint), reserve * sizeof(ChartPoint),
                             MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            throw std::bad_alloc();
        auto* grown = static_cast<ChartPoint*>(moved);
        // The added range inherits the old protection: make it plain
        // reserved space again.
        mprotect(grown + m_nReserved[curve], (reserve - m_nReserved[curve]) * sizeof(ChartPoint), PROT_NONE);
        m_pPoints[curve] = grown;
        m_nReserved[curve] = reserve;
        if (owner)
            owner->OnCurveArrayMoved(curve, oldAddress, grown, m_nCount[curve]);
    }
    // Committed pages read as zero and take memory only once written.
    if (wanted > m_nCapacity[curve] &&
        mprotect(m_pPoints[curve] + m_nCapacity[curve], (wanted - m_nCapacity[curve]) * sizeof(ChartPoint),
                 PROT_READ | PROT_WRITE) != 0)
        throw std::bad_alloc();
    m_nCapacity[curve] = static_cast<std::uint32_t>(wanted);
}

int CDataManager::addPoint(int curve, double x, double y, CDataStoreOwner* owner)
{
    if (!ValidCurve(curve))
        return -1;
    assertOwnerThread();
    if (m_nCount[curve] == m_nCapacity[curve])
        grow(curve, owner);
    m_pPoints[curve][m_nCount[curve]] = ChartPoint{x, y};
    // A block is summarised once its last point is in; should that fail,
    // the point is not counted either.
    if ((m_nCount[curve] + 1) % MinMaxSummary::kBlock == 0)
        m_Summary[curve].Extend(m_pPoints[curve], m_nCount[curve] + 1);
    if (std::isfinite(x) && std::isfinite(y)) {
        Extents& e = m_Extents[curve];
        if (!e.any) {
            e = {x, x, y, y, true};
        } else {
            e.xmin = std::min(e.xmin, x);
            e.xmax = std::max(e.xmax, x);
            e.ymin = std::min(e.ymin, y);
            e.ymax = std::max(e.ymax, y);
        }
    }
    return static_cast<int>(++m_nCount[curve]);
}

bool CDataManager::resetCurve(int curve)
{
    if (!ValidCurve(curve))
        return false;
    assertOwnerThread();
    m_nCount[curve] = 0;
    m_Extents[curve] = {};
    m_Summary[curve].Clear();
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

bool CDataManager::getExtents(int curve, double* xmin, double* xmax, double* ymin, double* ymax) const
{
    if (!ValidCurve(curve) || !m_Extents[curve].any)
        return false;
    const Extents& e = m_Extents[curve];
    *xmin = e.xmin;
    *xmax = e.xmax;
    *ymin = e.ymin;
    *ymax = e.ymax;
    return true;
}

const MinMaxSummary* CDataManager::getSummary(int curve) const
{
    return ValidCurve(curve) ? &m_Summary[curve] : nullptr;
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
    for (int c = 0; c < kCurves; ++c) {
        if (m_pPoints[c])
            munmap(m_pPoints[c], m_nReserved[c] * sizeof(ChartPoint));
        m_pPoints[c] = nullptr;
    }
}
