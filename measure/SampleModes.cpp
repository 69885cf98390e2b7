#include "measure/SampleModes.h"

SampleModeInfo LookupSampleMode(BYTE sampleMode, BYTE autoRate)
{
    static constexpr SampleModeInfo kOff{"SCI aus", "n", StreamKind::None, 1.0, 500, false};
    switch (sampleMode) {
    case 0: return {"PC 10ms", "t in s", StreamKind::Frame, 0.01, 500, true};
    case 4: return {"HAND", "n", StreamKind::Line, 1.0, 500, false};
    case 8:
        switch (autoRate) {
        case 2: return {"AUTO 10ms", "t in s", StreamKind::Frame, 0.01, 500, false};
        case 3: return {"AUTO 100ms", "t in s", StreamKind::Frame, 0.1, 50, false};
        case 4: return {"AUTO 1sec", "t in s", StreamKind::Line, 1.0, 50, false};
        case 5: return {"AUTO 10sec", "t in s", StreamKind::Line, 10.0, 500, false};
        case 6: return {"AUTO 1min", "t in min", StreamKind::Line, 1.0, 50, false};
        case 7: return {"AUTO 10min", "t in min", StreamKind::Line, 10.0, 500, false};
        case 8: return {"AUTO 1h", "t in h", StreamKind::Line, 1.0, 50, false};
        default: return kOff;
        }
    case 12: return {"TRIGGER", "n", StreamKind::Frame, 1.0, 500, false};
    case 16: return {"TRIGGER2", "n", StreamKind::Frame, 1.0, 500, false};
    case 20: return {"TRIGGER3", "n", StreamKind::Frame, 1.0, 500, false};
    default: return kOff;
    }
}

RefreshView DecideRefreshView(double stepX, double followPoints, double lastX)
{
    const double width = stepX * followPoints;
    if (width <= lastX)
        return {true, width, lastX - width, lastX};
    return {false, width, 0.0, lastX};
}
