// Shared helpers of the chart tests: fixed text metrics and a chart whose
// layout state can be read and set.
#pragma once

#include "chart/Plot.h"
#include "chart/PlotDC.h"

#include <QImage>

#include <vector>

// 7 px per character, 13 px per line: layouts no longer depend on fonts.
class FixedMetrics {
public:
    FixedMetrics();
    ~FixedMetrics();
};

class TestPlot : public CPlot {
public:
    using CPlot::m_bLeftDown;
    using CPlot::m_pActiveTracker;
    using CPlot::m_MousePoint;
    using CPlot::OnSetCursor;
    using CPlot::m_PlotRect;
    using CPlot::m_ZoomRect;
};

// A white RGB32 image of the given size.
QImage BlankImage(int w, int h);

// Points on y = f(x) for x = x0, x0 + dx, ...
std::vector<ChartPoint> Ramp(int n, double x0, double dx, double slope, double offset);
