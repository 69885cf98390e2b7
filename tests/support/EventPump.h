// Runs the event loop and the posted window messages for a while or until
// a condition holds, on the real clock: what e2e tests wait with.
#pragma once

#include "platform/Messages.h"

#include <QCoreApplication>

#include <chrono>
#include <functional>

namespace vxtest {

inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        vx::ProcessPendingMessages();
    }
    return true;
}

inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

} // namespace vxtest
