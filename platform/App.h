// Start-up and shutdown of the platform, and the application object the
// program derives from.
#pragma once

#include "CString.h"
#include "Cursor.h"
#include "Profile.h"
#include "Types.h"

class CWnd;

namespace vx {

// Call right after constructing the QApplication (the program and the test
// main do): organisation and application names, numbers in the C locale
// whatever the desktop's locale, the UI thread, message delivery, the
// profile. Idempotent.
void InitApplication();
// Before the QApplication goes: ends message delivery (no blocked sender
// can hang the exit), stops timers.
void ShutdownApplication();
// Between tests: real clock, no timers, no queued messages, empty modal
// script, no wait cursor, delivery revived.
void ResetPlatformForTest();

} // namespace vx

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    // The profile lives under the organisation "Quorin Vandelwerk GmbH"
    // whatever is passed; kept for the program's start-up sequence.
    void SetRegistryKey(const char* company);

    CString GetProfileString(const char* section, const char* entry, const char* def = nullptr)
    {
        return vx::GetProfileString(section, entry, def);
    }
    UINT GetProfileInt(const char* section, const char* entry, int def)
    {
        return vx::GetProfileInt(section, entry, def);
    }
    BOOL GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes)
    {
        return vx::GetProfileBinary(section, entry, data, bytes);
    }
    BOOL WriteProfileString(const char* section, const char* entry, const char* value)
    {
        return vx::WriteProfileString(section, entry, value);
    }
    BOOL WriteProfileInt(const char* section, const char* entry, int value)
    {
        return vx::WriteProfileInt(section, entry, value);
    }
    BOOL WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT bytes)
    {
        return vx::WriteProfileBinary(section, entry, data, bytes);
    }

    HCURSOR LoadStandardCursor(HCURSOR idc) const { return ::LoadStandardCursor(idc); }
    void BeginWaitCursor() { vx::BeginWaitCursor(); }
    void EndWaitCursor() { vx::EndWaitCursor(); }
    void RestoreWaitCursor() { vx::RestoreWaitCursor(); }

    CWnd* m_pMainWnd = nullptr;
    const char* m_pszAppName;
    CString m_strRegistryKey;
};

// The application's main window (null before it is set).
CWnd* AfxGetMainWnd();
