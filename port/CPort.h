// What the manager needs of a port kind. Only the serial kind exists; tests
// and other hosts may supply their own (a pipe, a recorder).
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

class CDcb;

class CPort {
public:
    virtual ~CPort() = default;

    // 0 on success, else an errno value (see PortErrorText).
    virtual int Open(const CDcb& dcb) = 0;
    // True when the port was open and closed cleanly.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    // Descriptor the reader polls for input, -1 when closed.
    virtual int GetPollHandle() const = 0;
    // Bytes read (> 0), 0 when nothing is waiting, -1 with errno set when the
    // device failed or went away (EIO, or end of file as 0 after a hang-up
    // is reported as -1 with errno EIO).
    virtual int Read(BYTE* buffer, int maxCount) = 0;

    // Writes all of data or returns false. Never blocks longer than
    // timeoutMs; what did not leave by then is dropped.
    virtual bool Write(const BYTE* data, int count, int timeoutMs) = 0;
};
