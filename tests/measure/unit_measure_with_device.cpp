// The measure conversation against the simulated device, in manual time:
// the two were written separately from the same description of the line,
// so this is where a disagreement about bytes or timing shows.
#include "tests/measure/FakeMeasureHost.h"

#include "sim/Vx35Device.h"

#include <gtest/gtest.h>

namespace {

struct HostClock : vx35sim::Clock {
    const UINT& now;
    explicit HostClock(const UINT& n) : now(n) {}
    std::int64_t nowMs() const override { return now; }
};

struct WithDevice : ::testing::Test {
    FakeMeasureHost host;
    MeasureRecord record;
    CMeasureConversation conv{host, record};
    HostClock clock{host.now};
    vx35sim::DeviceConfig config;
    std::unique_ptr<vx35sim::Vx35Device> device;

    void Make()
    {
        device = std::make_unique<vx35sim::Vx35Device>(clock, config);
        host.conv = &conv;
        host.onTimer = [this](UINT id) { conv.OnTimer(id); };
        host.onData = [this](int n) { conv.OnDataReceived(n); };
        host.device = [this](char b, UINT) { device->receive(std::string_view(&b, 1)); };
    }
    // Millisecond steps: each write the device has due reaches the page as
    // one chunk.
    void Run(UINT until)
    {
        while (host.now < until) {
            host.RunUntil(host.now + 1);
            for (const vx35sim::Write& w : device->poll())
                host.Deliver(host.now, std::string(w.bytes.begin(), w.bytes.end()));
        }
    }
};

} // namespace

TEST_F(WithDevice, PcModeIdentifiesAndPlotsEveryRequestedValue)
{
    Make();
    conv.OnStart();
    Run(13710);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(record.m_strSensorName, "SIMSENS1");
    EXPECT_EQ(record.m_iDecimalDivisor, 1000);
    EXPECT_EQ(record.m_iDeviceVariant, 700);
    EXPECT_EQ(conv.GetHeader(), "VX35 SIMULATOR\r\nPRUEFSTAND 1");
    ASSERT_TRUE(conv.IsRunning());
    // 10 s of requests, one frame each; the last one may still be on its way.
    EXPECT_NEAR(double(host.points.size()), 1000.0, 2.0);
    EXPECT_EQ(device->droppedFrames(), 0);
    for (size_t i = 1; i < host.points.size(); ++i)
        ASSERT_NEAR(host.points[i].first - host.points[i - 1].first, 0.01, 1e-9) << i;

    conv.OnStop();
    const size_t n = host.points.size();
    Run(14150);
    EXPECT_FALSE(device->measuring());
    EXPECT_LE(host.points.size(), n + 1);
}

TEST_F(WithDevice, SlowLinesAndAnswersInThreeBytePieces)
{
    config.sampleMode = 8;
    config.autoRate = 4; // AUTO 1sec: text lines
    config.faults.splitBytes = 3;
    config.faults.splitGapMs = 2;
    Make();
    conv.OnStart();
    Run(9000);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(record.m_iNominal, 5000);
    EXPECT_EQ(conv.GetMode().stream, StreamKind::Line);
    EXPECT_GE(host.points.size(), 4u);
    EXPECT_LE(host.points.size(), 6u);
    ASSERT_FALSE(host.points.empty());
    // The value text shows what was plotted last, as the device wrote it.
    EXPECT_EQ(host.valueText, FormatValueText("%.3f ", host.points.back().second, "kN "));
}

TEST_F(WithDevice, LoneCrLfInTheStreamIsNoEndButTheDevicesStopIs)
{
    config.sampleMode = 8;
    config.autoRate = 3; // AUTO 100ms: frames
    // The device streams from the moment it reaches its measuring screen
    // (about 0.6 s); the page parses from 3.71 s on. After 60 values a lone
    // CR LF, and the stream goes on: no end, nothing lost.
    config.faults.endMarkAfterValues = 60;
    Make();
    conv.OnStart();
    Run(9000);
    EXPECT_TRUE(conv.IsRunning());
    const size_t n = host.points.size();
    EXPECT_GE(n, 52u);
    EXPECT_LE(n, 56u);

    // The device leaves its measuring screen (a key on its own keypad): its
    // CR LF with nothing after it ends the run within two refresh periods.
    device->receive("n");
    Run(9500);
    EXPECT_FALSE(conv.IsRunning());
    EXPECT_TRUE(host.Logged("start+"));
}
