// Differential: the measure conversation, from Start through identification
// into the value stream of every sample mode, once with each device answer
// and the value stream whole and once cut where the fuzzer says. Values,
// value text, channel record, header, messages and run state must match.
// Pieces of an answer come at one moment (the reader may cut anywhere);
// pieces of the value stream up to 190 ms apart, less than a refresh period.
#include "measure/MeasureConversation.h"
#include "tests/fuzz/Cuts.h"
#include "tests/measure/ManualDeviceLink.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

class Host : public ManualLink<CMeasureHost> {
public:
    CMeasureConversation* conv = nullptr;
    std::vector<std::string> boxes;
    std::vector<std::pair<double, double>> points;
    bool requests = false;

    int PortState() override { return 0; }
    void EnableTabs(bool) override {}
    void ShowBox(UINT id, const CString& text) override { boxes.push_back(std::to_string(id) + text.str()); }
    void EnableMenuItem(MenuItem, bool) override {}
    void ShowStartButton(bool) override {}
    void ShowDeviceButtons(bool) override {}
    void LoadChannelConfig() override {}
    bool AnyChannelActive() override { return true; }
    void StartValueRequests(UINT) override { requests = true; }
    void StopValueRequests() override { requests = false; }
    void ShowModeLabel(const CString&) override {}
    void ShowValueText(const CString&) override {}
    void MarkMeasureStart() override {}
    void AddPoint(int, double x, double y) override { points.emplace_back(x, y); }
    void ClearCurve(int) override {}
    void ShowCurve(int, bool) override {}
    void SetXAxisTitle(const CString&) override {}
    void SetYAxisTitle(const CString&) override {}
    void SetYAxisLabel(const CString&) override {}
    void SetCurveLabel(const CString&) override {}
    void SetCurveColor(COLORREF) override {}
    void SetYAxisFlag(bool) override {}
    void SetXRange(double, double) override {}
    void SetFollowWidth(double) override {}
    void SetScrollMode(int) override {}
};

struct Outcome {
    std::vector<std::pair<double, double>> points;
    std::vector<std::string> boxes;
    std::string valueText, header, name, unit, format;
    int divisor = 0, variant = 0, firmware = 0, mode = 0, rate = 0;
    bool running = false, requests = false;
    int step = 0;

    bool operator==(const Outcome& o) const
    {
        // Values compare bit for bit: the same bytes give the same doubles.
        return points == o.points && boxes == o.boxes && valueText == o.valueText && header == o.header
            && name == o.name && unit == o.unit && format == o.format && divisor == o.divisor
            && variant == o.variant && firmware == o.firmware && mode == o.mode && rate == o.rate
            && running == o.running && requests == o.requests && step == o.step;
    }
};

constexpr UINT kAnswerDelayMs = 5;
constexpr UINT kStreamStartMs = 6000;

Outcome Run(const std::map<char, std::vector<cuts::Piece>>& answers, const std::vector<cuts::Piece>& stream)
{
    Host host;
    MeasureRecord record;
    CMeasureConversation conv(host, record);
    host.conv = &conv;
    host.onTimer = [&conv](UINT id) { conv.OnTimer(id); };
    host.onData = [&conv](int n) { conv.OnDataReceived(n); };
    std::map<char, bool> answered;
    host.device = [&](char b, UINT t) {
        // Each request is answered once, its pieces all at one moment.
        auto it = answers.find(b);
        if (it == answers.end() || answered[b])
            return;
        answered[b] = true;
        for (const cuts::Piece& p : it->second)
            host.Deliver(t + kAnswerDelayMs, p.bytes);
    };
    conv.OnStart();
    UINT t = kStreamStartMs;
    for (const cuts::Piece& p : stream) {
        t += p.gapMs;
        host.Deliver(t, p.bytes);
    }
    // Long enough for a lone CR LF at the end to be confirmed.
    host.RunUntil(t + 1000);

    Outcome o;
    o.points = host.points;
    o.boxes = host.boxes;
    o.valueText = conv.GetValueText().str();
    o.header = conv.GetHeader().str();
    o.name = record.m_strSensorName.str();
    o.unit = record.m_strUnit.str();
    o.format = record.m_strDisplayFormat.str();
    o.divisor = record.m_iDecimalDivisor;
    o.variant = record.m_iDeviceVariant;
    o.firmware = record.m_iFirmwareVersion;
    o.mode = record.m_bySampleMode;
    o.rate = record.m_byAutoRate;
    o.running = conv.IsRunning();
    o.requests = host.requests;
    o.step = static_cast<int>(conv.GetAnswerStep());
    return o;
}

// Sample mode and AUTO rate: every row of the mode table and two that name
// no mode.
constexpr std::uint8_t kModes[][2] = {{0, 0},  {4, 0},  {8, 2},  {8, 3},  {8, 4},  {8, 5},  {8, 6},
                                      {8, 7},  {8, 8},  {8, 9},  {12, 0}, {16, 0}, {20, 0}, {99, 0}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto& mode = kModes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kModes) - 1)];
    const bool laidOut = in.ConsumeBool();
    std::string sensor, status, header, version;
    if (laidOut) {
        // Answers as the device lays them out, with fuzzer contents in the
        // fields' ranges (BCD digits fit every point encoding).
        auto bcd = [&in] { return char(in.ConsumeIntegralInRange<int>(0, 9) * 16 + in.ConsumeIntegralInRange<int>(0, 9)); };
        const char typeAndDecimals = char((bcd() & 0xF0) | in.ConsumeIntegralInRange<int>(0, 4));
        sensor = std::string{'S', 'N', bcd(), bcd(), 'k', 'N', ' ', typeAndDecimals, bcd(), bcd(), bcd(), bcd(), '\r', '\n'};
        sensor.insert(0, 6, 'S');
        status = std::string("EL") + char(in.ConsumeIntegral<std::uint8_t>()) + '\0' + char(mode[0]) + char(mode[1])
            + std::string(4, '\0') + "\r\n";
        header = "\r\n" + cuts::Bytes(in, 60);
        std::erase(header, '\x03');
        header += '\x03';
        version = "VX35 H2 105\r\n";
    } else {
        sensor = cuts::Bytes(in, 30);
        status = cuts::Bytes(in, 20);
        header = cuts::Bytes(in, 60);
        version = cuts::Bytes(in, 24);
    }
    const std::string values = cuts::Bytes(in, 300);

    std::map<char, std::vector<cuts::Piece>> whole{
        {'C', cuts::Whole(sensor)}, {'E', cuts::Whole(status)}, {'d', cuts::Whole(header)}, {'V', cuts::Whole(version)}};
    std::map<char, std::vector<cuts::Piece>> cut{{'C', cuts::Cut(in, sensor, 3, 0)},
                                                 {'E', cuts::Cut(in, status, 3, 0)},
                                                 {'d', cuts::Cut(in, header, 4, 0)},
                                                 {'V', cuts::Cut(in, version, 3, 0)}};
    const std::vector<cuts::Piece> streamCut = cuts::Cut(in, values, 12, 190);
    cuts::Same(Run(whole, cuts::Whole(values)) == Run(cut, streamCut));
    return 0;
}
