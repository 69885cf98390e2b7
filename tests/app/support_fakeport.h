// A port manager for the main dialog whose writes are recorded with the
// platform clock's time instead of reaching a device.
#pragma once

#include "platform/Timer.h"
#include "port/CPortManGui.h"

#include <cstdint>
#include <string>
#include <vector>

struct RecordedWrite {
    std::int64_t atMs;
    std::string bytes;
};

class FakePortMan : public CPortManGui {
public:
    explicit FakePortMan(CWnd* owner) : CPortManGui(owner, WM_USER + 1000, WM_USER + 1001) {}

    bool PutByte(BYTE byte) override
    {
        writes.push_back({vx::NowMs(), std::string(1, static_cast<char>(byte))});
        return true;
    }
    bool WriteString(const CString& text) override
    {
        writes.push_back({vx::NowMs(), text.str()});
        return true;
    }
    bool WriteFrame(const BYTE* data, int count) override
    {
        writes.push_back({vx::NowMs(), std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(count))});
        return true;
    }

    std::string AllBytes() const
    {
        std::string all;
        for (const auto& w : writes)
            all += w.bytes;
        return all;
    }

    std::vector<RecordedWrite> writes;
};
