#include "support_chart.h"

#include <algorithm>

FixedMetrics::FixedMetrics()
{
    SetChartTextMeasurer([](CDC*, const CString& text) {
        int lines = 1, widest = 0, cur = 0;
        for (int i = 0; i < text.GetLength(); ++i) {
            const char c = text[i];
            if (c == '\n') {
                ++lines;
                widest = std::max(widest, cur);
                cur = 0;
            } else if (c != '\r') {
                ++cur;
            }
        }
        widest = std::max(widest, cur);
        return CSize(7 * widest, 13 * lines);
    });
}

FixedMetrics::~FixedMetrics() { SetChartTextMeasurer(nullptr); }

QImage BlankImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

std::vector<ChartPoint> Ramp(int n, double x0, double dx, double slope, double offset)
{
    std::vector<ChartPoint> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double x = x0 + i * dx;
        v[static_cast<size_t>(i)] = {x, slope * x + offset};
    }
    return v;
}
