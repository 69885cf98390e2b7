// Device bytes into the logger read-out in chunks, with the silence timers
// fired between some of them, and into the date and header answer texts.
#include "pages/DateHeaderLogic.h"
#include "pages/LoggerReadout.h"
#include "tests/pages/NullLoggerHost.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    DateAnswerText(CString(bytes));
    HeaderAnswerText(CString(bytes));
    HeaderTextWithDeviceLineBreaks(CString(bytes));

    NullLoggerHost host;
    CLoggerReadout logger(host);
    logger.StartLoggerReadout();
    const std::size_t chunk = (data[0] % 23) + 1;
    unsigned step = 0;
    for (std::size_t i = 0; i < bytes.size(); i += chunk) {
        const std::string piece = bytes.substr(i, chunk);
        host.rx += CString(piece);
        logger.OnDataReceived(static_cast<int>(piece.size()));
        // Now and then the line goes quiet long enough for a timer.
        const UINT id = 1 + (step++ + data[0]) % 4;
        if ((data[0] >> 4) & 1 && host.armed & (1u << id))
            logger.OnLoggerTimer(id);
    }
    for (UINT id = 1; id <= 4; ++id)
        if (host.armed & (1u << id))
            logger.OnLoggerTimer(id);
    // Only whole records are shown: an unclosed tail never is.
    const std::string& records = logger.GetRecordText().str();
    const bool closed = records.size() >= 2 && records.compare(records.size() - 2, 2, "\r\n") == 0;
    if (records.size() > bytes.size() || (!records.empty() && !closed))
        __builtin_trap();
    return 0;
}
