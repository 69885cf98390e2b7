#pragma once

#include <chrono>
#include <cstdint>

namespace vx35sim {

// The device reads time only through this, so tests can drive its streams
// and answer delays to the millisecond without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
};

class SteadyClock : public Clock {
public:
    SteadyClock() : start_(std::chrono::steady_clock::now()) {}
    std::int64_t nowMs() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

class ManualClock : public Clock {
public:
    explicit ManualClock(std::int64_t startMs = 0) : now_(startMs) {}
    std::int64_t nowMs() const override { return now_; }
    void advance(std::int64_t ms) { now_ += ms; }
    void set(std::int64_t ms) { now_ = ms; }

private:
    std::int64_t now_;
};

} // namespace vx35sim
