// The sample modes the device reports in its long status, and the refresh
// rule that lets the live chart follow the newest values.
#pragma once

#include "platform/Types.h"

enum class StreamKind {
    None,  // "SCI aus": nothing is parsed
    Frame, // 4-byte binary frames
    Line,  // text lines
};

struct SampleModeInfo {
    const char* label;
    const char* xTitle;
    StreamKind stream;
    double stepX;
    double followPoints;
    // The PC asks for every value ('0' every 10 ms); otherwise the device paces.
    bool pcPaced;
};

constexpr UINT kValueRequestPeriodMs = 10;

SampleModeInfo LookupSampleMode(BYTE sampleMode, BYTE autoRate);
// AUTO: the device sends its values at its own pace from the moment it
// measures. In the other modes it sends one when asked ('0', a key, a
// trigger).
inline bool DeviceSendsUnasked(BYTE sampleMode) { return sampleMode == 8; }

// What a refresh with new data shows: the newest followWidth x units while
// the series is longer than that, else the whole series 0..lastX.
struct RefreshView {
    bool follow;
    double followWidth;
    double xFrom;
    double xTo;
};
RefreshView DecideRefreshView(double stepX, double followPoints, double lastX);

// The Y axis texts are applied until ten steps have been plotted.
inline bool AxisSetUpReached(double stepX, double lastX) { return 10.0 * stepX <= lastX; }
