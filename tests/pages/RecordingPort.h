// A port that keeps every write with the time it left (platform clock), so
// page tests can check bytes and pacing without a device.
#pragma once

#include "platform/Timer.h"
#include "port/CPortMan.h"

#include <cstdint>
#include <string>
#include <vector>

struct Write {
    std::int64_t atMs;
    std::string bytes;
};

class RecordingPort : public CPortMan {
public:
    RecordingPort() { m_Dcb.PortState = 0; }
    bool PutByte(BYTE b) override { return Record(std::string(1, static_cast<char>(b))); }
    bool WriteString(const CString& t) override { return Record(t.str()); }
    bool WriteFrame(const BYTE* d, int n) override
    {
        return Record(std::string(reinterpret_cast<const char*>(d), static_cast<size_t>(n)));
    }
    std::string All() const
    {
        std::string s;
        for (const auto& w : writes)
            s += w.bytes;
        return s;
    }
    std::vector<Write> writes;

private:
    bool Record(std::string b)
    {
        writes.push_back({vx::NowMs(), std::move(b)});
        return true;
    }
};
