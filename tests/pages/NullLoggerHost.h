// A logger host that shows nothing and never waits: the receive text, and
// which timers are armed (a bit per id), for feeding bytes in bulk.
#pragma once

#include "pages/LoggerReadout.h"

#include <string>

class NullLoggerHost : public CLoggerHost {
public:
    CString rx;
    unsigned armed = 0;
    void PutBytes(const CString&) override {}
    void Sleep(UINT) override {}
    void SetTimer(UINT id, UINT) override { armed |= 1u << id; }
    void KillTimer(UINT id) override { armed &= ~(1u << id); }
    CString& ReceiveText() override { return rx; }
    void SetBusy(bool) override {}
    void ShowReadButton(bool) override {}
    void ShowTexts() override {}
    void ShowBox(const CString&) override {}
    bool IsPortOnline() override { return true; }
    CString LanguageText(UINT id) override { return CString(std::to_string(id)); }
};
