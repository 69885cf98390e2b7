// A port's settings record: which device, how it is configured, and the
// state the manager keeps with it. Stored in one profile section.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

#include <span>

// Parity, stop-bit and flow-control codes as stored in the profile.
enum : BYTE { NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4 };
enum : BYTE { ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2 };
enum : BYTE { FLOW_NONE = 0, FLOW_RTSCTS = 1, FLOW_XONXOFF = 2 };

// Values of CDcb::PortState.
enum : DWORD {
    PORTSTATE_ONLINE = 0,
    PORTSTATE_OFFLINE = 1,
    PORTSTATE_GRANTED = 2,   // lent to another process; never set by this library
    PORTSTATE_REMOVED = 3,   // off line because the device went away
    PORTSTATE_CLOSED = 4,
};

// The name a port has when the user switched it off.
inline constexpr const char* PORTNAME_OFFLINE = "OffLine";

struct BaudRateEntry {
    DWORD dwBaud;
    const char* pszText;
};

// The rates this library can set on a serial device, ascending.
std::span<const BaudRateEntry> GetBaudRateTable();
// Null when the rate is not in the table.
const BaudRateEntry* FindBaudRate(DWORD baud);

class CDcb {
public:
    CDcb();

    // "Granted", "OffLine", the display name, or "Bad Config".
    CString GetPortText() const;

    // Short name for buttons: the device path without "/dev/" and without a
    // leading "tty" ("/dev/ttyUSB0" -> "USB0", "/dev/pts/3" -> "pts/3").
    CString GetDisplayName() const;
    static CString DisplayNameOf(const CString& path);

    // Settings this library can apply to a device named by an absolute path.
    bool IsValid() const;
    // True for "OffLine", an empty name or anything that is not a path: such
    // a record is never opened.
    bool IsOffLineName() const;

    // Writes the settings (never the state) under m_strSection; nothing when
    // there is no section.
    void SaveToProfile() const;
    // Reads the settings from section, which becomes the record's section.
    // A missing port name picks the first USB serial adapter present, else
    // "OffLine"; a missing rate is 115200.
    void LoadFromProfile(const CString& section);

    CString m_strPortName;          // device path or "OffLine"
    DWORD m_dwBaudRate = 115200;
    BYTE m_byDataBits = 8;
    BYTE m_byParity = NOPARITY;
    BYTE m_byStopBits = ONESTOPBIT;
    BYTE m_byFlowControl = FLOW_NONE;
    bool m_bDtr = true;             // raise DTR on open
    bool m_bRts = true;             // raise RTS on open (without RTS/CTS flow)
    bool m_bOffLine = false;        // the manager took the port off line
    DWORD PortState = PORTSTATE_CLOSED;
    CString m_strSection;           // profile section, empty: not stored
};
