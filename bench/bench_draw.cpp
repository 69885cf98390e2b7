// Drawing speed of the device context: a chart-sized memory DC filled with
// 100 000 line segments and blitted to a window-sized back buffer.
#include "platform/Dc.h"
#include "platform/Gdi.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 600;
constexpr int kSegments = 100000;

std::vector<POINT> RandomPoints(int count, int maxStep)
{
    std::mt19937 rng(42);
    std::vector<POINT> pts(static_cast<size_t>(count) + 1);
    int x = kWidth / 2, y = kHeight / 2;
    for (POINT& p : pts) {
        if (maxStep <= 0) {
            x = static_cast<int>(rng() % kWidth);
            y = static_cast<int>(rng() % kHeight);
        } else {
            x = std::clamp(x + static_cast<int>(rng() % (2 * maxStep + 1)) - maxStep, 0, kWidth - 1);
            y = std::clamp(y + static_cast<int>(rng() % (2 * maxStep + 1)) - maxStep, 0, kHeight - 1);
        }
        p = {x, y};
    }
    return pts;
}

void DrawAndBlit(benchmark::State& state, int maxStep, int rop, int penWidth)
{
    const std::vector<POINT> pts = RandomPoints(kSegments, maxStep);
    CDC mem, window;
    mem.CreateCompatibleDC(nullptr);
    window.CreateCompatibleDC(nullptr);
    CBitmap memBmp, windowBmp;
    memBmp.CreateCompatibleBitmap(&mem, kWidth, kHeight);
    windowBmp.CreateCompatibleBitmap(&window, kWidth, kHeight);
    mem.SelectObject(&memBmp);
    window.SelectObject(&windowBmp);
    CPen pen(PS_SOLID, penWidth, RGB(0, 0, 200));
    mem.SelectObject(&pen);
    mem.SetROP2(rop);
    const CRect all(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        mem.FillSolidRect(&all, RGB(255, 255, 255));
        mem.MoveTo(pts[0]);
        for (int i = 1; i <= kSegments; ++i)
            mem.LineTo(pts[static_cast<size_t>(i)]);
        window.BitBlt(0, 0, kWidth, kHeight, &mem, 0, 0, SRCCOPY);
        benchmark::DoNotOptimize(window.GetPixel(1, 1));
    }
    state.SetItemsProcessed(state.iterations() * kSegments);
}

// Segments between random points anywhere on the picture (~370 px long).
void BM_LongSegments(benchmark::State& s) { DrawAndBlit(s, 0, R2_COPYPEN, 1); }
// A curve: segments of up to 8 pixels, the chart's usual case.
void BM_CurveSegments(benchmark::State& s) { DrawAndBlit(s, 8, R2_COPYPEN, 1); }
void BM_CurveSegmentsNotXor(benchmark::State& s) { DrawAndBlit(s, 8, R2_NOTXORPEN, 1); }
void BM_CurveSegmentsWidePen(benchmark::State& s) { DrawAndBlit(s, 8, R2_COPYPEN, 3); }

BENCHMARK(BM_LongSegments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurveSegments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurveSegmentsNotXor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurveSegmentsWidePen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks<QGuiApplication>(argc, argv);
}
