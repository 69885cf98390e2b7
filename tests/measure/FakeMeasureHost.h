// The measure page as the conversation sees it: a manual clock, a fake
// port, and a log of what the page would show.
#pragma once

#include "measure/MeasureConversation.h"
#include "tests/measure/ManualDeviceLink.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

constexpr UINT kTickId = 0xFFFF;

class FakeMeasureHost : public ManualLink<CMeasureHost> {
public:
    int portState = 0;
    bool anyActive = true;
    bool tabsEnabled = true;
    std::vector<std::string> boxes;
    std::vector<std::string> log; // chart and control calls, in order
    std::vector<std::pair<double, double>> points;
    CString valueText;
    CMeasureConversation* conv = nullptr;

    int PortState() override { return portState; }
    void EnableTabs(bool enable) override { tabsEnabled = enable; }
    void ShowBox(UINT stringId, const CString& text) override
    {
        boxes.push_back((stringId ? std::to_string(stringId) + ":" : std::string()) + text.str() + "@"
                        + std::to_string(now));
    }
    void EnableMenuItem(MenuItem item, bool enable) override
    {
        log.push_back("menu" + std::to_string(int(item)) + "=" + std::to_string(enable));
    }
    void ShowStartButton(bool show) override { log.push_back(show ? "start+" : "start-"); }
    void ShowDeviceButtons(bool show) override { log.push_back(show ? "buttons+" : "buttons-"); }
    void LoadChannelConfig() override { log.push_back("config"); }
    bool AnyChannelActive() override { return anyActive; }
    void StartValueRequests(UINT periodMs) override
    {
        SetTick(kTickId, periodMs, [this] { conv->OnMMTimer(); });
    }
    void StopValueRequests() override { KillTimer(kTickId); }
    // What a paced port still holds: handed over only when the page asks.
    std::vector<std::string> held;
    int takes = 0;
    std::function<void()> onTake;
    void TakeReceived() override
    {
        ++takes;
        if (onTake)
            onTake();
        std::vector<std::string> chunks;
        chunks.swap(held);
        for (const std::string& c : chunks)
            Hand(c);
    }
    void ShowModeLabel(const CString& label) override { log.push_back("mode " + label.str()); }
    void ShowValueText(const CString& text) override { valueText = text; }
    void MarkMeasureStart() override {}
    void AddPoint(int curve, double x, double y) override
    {
        EXPECT_EQ(curve, 0);
        points.emplace_back(x, y);
    }
    void ClearCurve(int) override { log.push_back("clear"); }
    void ShowCurve(int, bool) override { log.push_back("show"); }
    void SetXAxisTitle(const CString& t) override { log.push_back("xtitle " + t.str()); }
    void SetYAxisTitle(const CString& t) override { log.push_back("ytitle " + t.str()); }
    void SetYAxisLabel(const CString& f) override { log.push_back("ylabel " + f.str()); }
    void SetCurveLabel(const CString&) override {}
    void SetCurveColor(COLORREF) override {}
    void SetYAxisFlag(bool) override {}
    void SetXRange(double from, double to) override
    {
        log.push_back("xrange " + std::to_string(from) + ".." + std::to_string(to));
    }
    void SetFollowWidth(double w) override { log.push_back("follow " + std::to_string(w)); }
    void SetScrollMode(int m) override { log.push_back("scroll " + std::to_string(m)); }

    bool Logged(const std::string& s) const
    {
        for (const auto& l : log)
            if (l == s)
                return true;
        return false;
    }
};

