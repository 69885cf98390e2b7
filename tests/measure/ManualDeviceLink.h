// A manual clock and a fake port for conversation tests: every byte is
// recorded with the time it left, Sleep only moves the clock (timers and
// data wait, as they do behind a sleeping UI thread), and RunUntil hands
// out due timer ticks and scheduled device data in time order.
#pragma once

#include "app/DeviceCommands.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

template <class LinkBase = CDeviceLink>
class ManualLink : public LinkBase {
public:
    struct SentByte {
        UINT t;
        char byte;
    };

    UINT now = 0;
    std::vector<SentByte> sent;
    CString receive;
    // Window timer ticks and received chunks go here.
    std::function<void(UINT id)> onTimer;
    std::function<void(int count)> onData;
    // The simulated device sees every byte written, with its time.
    std::function<void(char byte, UINT t)> device;

    void PutBytes(const CString& bytes) override
    {
        for (char b : bytes.str()) {
            sent.push_back({now, b});
            if (device)
                device(b, now);
        }
    }
    void Sleep(UINT ms) override { now += ms; }
    void SetTimer(UINT id, UINT ms) override { timers[id] = Timer{ms, now + ms, nullptr}; }
    void KillTimer(UINT id) override { timers.erase(id); }
    CString& ReceiveText() override { return receive; }

    // A periodic callback outside the window timers (the value-request tick).
    void SetTick(UINT id, UINT ms, std::function<void()> cb) { timers[id] = Timer{ms, now + ms, std::move(cb)}; }
    bool HasTimer(UINT id) const { return timers.count(id) != 0; }
    UINT TimerPeriod(UINT id) const { return timers.at(id).period; }

    // Device bytes that reach the PC at time t, as one chunk.
    void Deliver(UINT t, const std::string& bytes) { pending.emplace(t, bytes); }
    // One chunk reaches the page now.
    void Hand(const std::string& bytes)
    {
        receive.str() += bytes;
        if (onData)
            onData(static_cast<int>(bytes.size()));
    }

    void RunUntil(UINT end)
    {
        for (;;) {
            UINT bestT = end + 1;
            int kind = 0; // 1 data, 2 timer
            UINT timerId = 0;
            if (!pending.empty() && pending.begin()->first < bestT) {
                bestT = pending.begin()->first;
                kind = 1;
            }
            for (const auto& [id, tm] : timers)
                if (tm.due < bestT) {
                    bestT = tm.due;
                    kind = 2;
                    timerId = id;
                }
            if (kind == 0)
                break;
            if (bestT > now)
                now = bestT;
            if (kind == 1) {
                auto it = pending.begin();
                const std::string bytes = it->second;
                pending.erase(it);
                Hand(bytes);
            } else {
                Timer& tm = timers[timerId];
                tm.due = now + tm.period; // a late timer fires once
                if (tm.cb) {
                    auto cb = tm.cb;
                    cb();
                } else if (onTimer) {
                    onTimer(timerId);
                }
            }
        }
        if (now < end)
            now = end;
    }
    void Advance(UINT ms) { RunUntil(now + ms); }

    std::string SentText() const
    {
        std::string s;
        for (const auto& b : sent)
            s += b.byte;
        return s;
    }
    std::vector<UINT> SentTimes() const
    {
        std::vector<UINT> v;
        for (const auto& b : sent)
            v.push_back(b.t);
        return v;
    }
    void ClearSent() { sent.clear(); }

private:
    struct Timer {
        UINT period;
        UINT due;
        std::function<void()> cb;
    };
    std::map<UINT, Timer> timers;
    std::multimap<UINT, std::string> pending;
};
