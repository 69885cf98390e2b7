#pragma once

// One point of a curve: 16 bytes, x then y. Curves point into caller-owned
// arrays of these without copying them.
struct ChartPoint {
    double x = 0.0;
    double y = 0.0;
};
static_assert(sizeof(ChartPoint) == 16, "curves hand these arrays around as raw memory");
