// A serial device (or pseudo-terminal) on termios.
#pragma once

#include "port/CPort.h"

class CSerialPort : public CPort {
public:
    CSerialPort() = default;
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens exclusively and applies the settings: raw, the rate, the data
    // bits, parity, stop bits and flow control. Modem lines are set when the
    // device has them. EINVAL for settings that are not valid.
    int Open(const CDcb& dcb) override;
    bool Close() override;
    bool IsOpen() const override { return m_fd >= 0; }
    int GetPollHandle() const override { return m_fd; }
    int Read(BYTE* buffer, int maxCount) override;
    bool Write(const BYTE* data, int count, int timeoutMs) override;

    // Discards what is waiting in both directions.
    void Purge();

private:
    int m_fd = -1;
};

// A plain sentence for the user, in the program's language, about why
// opening path failed with err; it names the path once. Empty for 0.
CString PortErrorText(int err, const CString& path);
