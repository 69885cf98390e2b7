// The measure page on its own sheet, wired to a channel table, receive
// texts and a port that records every byte with the platform clock's time.
// A scripted device answers the conversation's requests after a delay;
// Run() moves the manual clock on and hands the answers to the page.
#pragma once

#include "app/StringTable.h"
#include "measure/MessenDlg.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"
#include "res/Resources.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

using namespace std::string_literals;

class RecordingPort : public CPortMan {
public:
    struct Byte {
        std::int64_t t;
        char b;
    };
    RecordingPort() { m_Dcb.PortState = PORTSTATE_ONLINE; }
    ~RecordingPort() override = default;

    bool PutByte(BYTE byte) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        const std::int64_t t = vx::NowMs();
        bytes.push_back({t, static_cast<char>(byte)});
        if (onByte)
            onByte(static_cast<char>(byte), t);
        return true;
    }
    bool WriteFrame(const BYTE* data, int count) override
    {
        for (int i = 0; i < count; ++i)
            PutByte(data[i]);
        return true;
    }
    bool WriteString(const CString& text) override { return WriteFrame(text.bytes(), text.GetLength()); }

    std::string Text() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::string s;
        for (const Byte& b : bytes)
            s += b.b;
        return s;
    }
    std::vector<std::int64_t> Times() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::int64_t> t;
        for (const Byte& b : bytes)
            t.push_back(b.t);
        return t;
    }
    size_t Count() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return bytes.size();
    }

    mutable std::mutex mutex;
    std::vector<Byte> bytes;
    // Called under the lock, from whichever thread wrote.
    std::function<void(char, std::int64_t)> onByte;
};

namespace rig {
const std::string kSensor = "SIMSENS1\x50\x00kN \x01\x00\x00\x4E\x20\r\n"s;
const std::string kStatusPc = "\x45\x4C\x02\x00\x00\x02\x00\x00\x00\x00\x0D\x0A"s;
const std::string kHeader = "\r\nQuorin Test\x03"s;
const std::string kVersion = "SIM 700 105\r\n";
} // namespace rig

class MeasurePageRig {
public:
    explicit MeasurePageRig(int language = 0, bool manualClock = true)
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::ModalScript::Clear();
        vx::WriteProfileString("Messenkonfiguration", nullptr, nullptr);
        vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "0; 0; 1; 0.000000");
        if (manualClock)
            clock = &vx::UseManualClock(0);
        languageOffset = language;
        table[0].m_pPortMan = &port;
        CPageSharedState s;
        s.pChannelTable = table;
        s.pReceiveStrings = receive;
        s.pLanguageOffset = &languageOffset;
        s.pConnectionMode = &connectionMode;
        s.pCurrentChannel = &currentChannel;
        s.pBusyFlag = &busy;
        s.pOperatingMode = &operatingMode;
        s.pArrivalStatus = &arrival;
        page.SetSharedState(s);
        sheet.AddPage(&page);
        port.onByte = [this](char b, std::int64_t t) { Answer(b, t); };
    }
    ~MeasurePageRig()
    {
        if (sheet.IsWindow())
            sheet.DestroyWindow();
        vx::ResetTimersForTest();
    }

    bool Open()
    {
        if (!sheet.Create(nullptr, WS_POPUP | WS_VISIBLE))
            return false;
        // Activation sends its 'n'; the tests look at what Start sends.
        Settle();
        std::lock_guard<std::mutex> lock(port.mutex);
        port.bytes.clear();
        base = vx::NowMs();
        return true;
    }

    // The scripted device: answers after delayMs; a '0' gets one frame.
    void Answer(char b, std::int64_t t)
    {
        if (b == '0') {
            if (frames) {
                std::string f{char((frameValue >> 8) & 0xFF), char(frameValue & 0xFF), '\r', '\n'};
                pending.emplace(t + 3, f);
            }
            return;
        }
        auto it = answers.find(b);
        if (it != answers.end())
            pending.emplace(t + delayMs, it->second);
    }

    void Feed(const std::string& bytes)
    {
        receive[0] += CString(bytes.data(), static_cast<int>(bytes.size()));
        page.OnDataReceived(static_cast<int>(bytes.size()), 0);
    }

    void Click(int id) { page.SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }

    // Moves the clock on 1 ms at a time up to end, delivering due answers.
    void Run(std::int64_t end)
    {
        while (vx::NowMs() < end) {
            clock->advance(1);
            DeliverDue();
        }
    }
    // Run to ms after the page was opened (when Start is clicked).
    void RunTo(std::int64_t ms) { Run(base + ms); }
    void DeliverDue()
    {
        for (;;) {
            std::string chunk;
            {
                std::lock_guard<std::mutex> lock(port.mutex);
                auto it = pending.begin();
                if (it == pending.end() || it->first > vx::NowMs())
                    return;
                chunk = it->second;
                pending.erase(it);
            }
            Feed(chunk);
        }
    }
    void Settle() { Run(vx::NowMs() + 30); }

    CString BoxText(size_t i = 0) const
    {
        const auto texts = vx::ModalScript::MessageBoxTexts();
        return i < texts.size() ? texts[i] : CString();
    }
    bool Visible(int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->IsWindowVisible(); }

    vx::ManualClock* clock = nullptr;
    std::int64_t base = 0;
    RecordingPort port;
    ChannelRecord table[kChannelCount];
    CString receive[kReceiveTextCount];
    int languageOffset = 0;
    int connectionMode = 0;
    int currentChannel = 0;
    int busy = 0;
    int operatingMode = 0;
    BYTE arrival = 0;
    CMessenDlg page;
    CPropertySheet sheet;
    std::map<char, std::string> answers{{'C', rig::kSensor}, {'E', rig::kStatusPc}, {'d', rig::kHeader},
                                        {'V', rig::kVersion}};
    std::multimap<std::int64_t, std::string> pending;
    std::int64_t delayMs = 20;
    bool frames = true;
    int frameValue = 1234;
};
