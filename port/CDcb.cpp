#include "port/CDcb.h"

#include "port/PortList.h"
#include "platform/Profile.h"

#include <algorithm>
#include <iterator>

namespace {

// Only rates with a termios speed constant: anything else could not be set
// and would silently run at a different speed.
constexpr BaudRateEntry kBaudRates[] = {
    {300, "300"},       {600, "600"},       {1200, "1200"},     {2400, "2400"},
    {4800, "4800"},     {9600, "9600"},     {19200, "19200"},   {38400, "38400"},
    {57600, "57600"},   {115200, "115200"}, {230400, "230400"}, {460800, "460800"},
    {921600, "921600"},
};

constexpr const char* kEntryPort = "Port";
// No stored text can hold this, so it tells a missing name from an empty one.
constexpr const char* kMissing = "\x01\x02missing\x02\x01";
constexpr const char* kEntryBaud = "BaudRate";
constexpr const char* kEntryDataBits = "DataBits";
constexpr const char* kEntryParity = "Parity";
constexpr const char* kEntryStopBits = "StopBits";
constexpr const char* kEntryFlow = "FlowControl";
constexpr const char* kEntryDtr = "Dtr";
constexpr const char* kEntryRts = "Rts";

CString FirstUsbSerialPort()
{
    for (const CString& path : EnumerateSerialPorts()) {
        if (path.Find("/ttyUSB") >= 0 || path.Find("/ttyACM") >= 0)
            return path;
    }
    return PORTNAME_OFFLINE;
}

} // namespace

std::span<const BaudRateEntry> GetBaudRateTable()
{
    return kBaudRates;
}

const BaudRateEntry* FindBaudRate(DWORD baud)
{
    const auto it = std::find_if(std::begin(kBaudRates), std::end(kBaudRates),
                                 [baud](const BaudRateEntry& e) { return e.dwBaud == baud; });
    return it == std::end(kBaudRates) ? nullptr : it;
}

CDcb::CDcb() : m_strPortName(PORTNAME_OFFLINE) {}

CString CDcb::DisplayNameOf(const CString& path)
{
    CString name = path;
    if (name.Left(5) == "/dev/") {
        name = name.Mid(5);
        // Stable aliases such as serial/by-id/usb-... are only useful by
        // their last part.
        if (name.Find('/') >= 0 && name.Left(4) != "pts/")
            name = name.Mid(name.ReverseFind('/') + 1);
    } else if (name.ReverseFind('/') >= 0) {
        name = name.Mid(name.ReverseFind('/') + 1);
    }
    if (name.Left(3) == "tty" && name.GetLength() > 3)
        name = name.Mid(3);
    return name;
}

CString CDcb::GetDisplayName() const
{
    return DisplayNameOf(m_strPortName);
}

bool CDcb::IsOffLineName() const
{
    return m_strPortName.IsEmpty() || m_strPortName == PORTNAME_OFFLINE || m_strPortName[0] != '/';
}

bool CDcb::IsValid() const
{
    return !IsOffLineName() && FindBaudRate(m_dwBaudRate) != nullptr && m_byDataBits >= 5 &&
           m_byDataBits <= 8 && m_byParity <= SPACEPARITY && m_byStopBits <= TWOSTOPBITS &&
           m_byFlowControl <= FLOW_XONXOFF;
}

CString CDcb::GetPortText() const
{
    switch (PortState) {
    case PORTSTATE_GRANTED:
        return "Granted";
    case PORTSTATE_OFFLINE:
    case PORTSTATE_REMOVED:
        return PORTNAME_OFFLINE;
    default:
        if (m_strPortName == PORTNAME_OFFLINE)
            return PORTNAME_OFFLINE;
        return IsValid() ? GetDisplayName() : CString("Bad Config");
    }
}

void CDcb::SaveToProfile() const
{
    if (m_strSection.IsEmpty())
        return;
    vx::WriteProfileString(m_strSection, kEntryPort, m_strPortName);
    vx::WriteProfileInt(m_strSection, kEntryBaud, static_cast<int>(m_dwBaudRate));
    vx::WriteProfileInt(m_strSection, kEntryDataBits, m_byDataBits);
    vx::WriteProfileInt(m_strSection, kEntryParity, m_byParity);
    vx::WriteProfileInt(m_strSection, kEntryStopBits, m_byStopBits);
    vx::WriteProfileInt(m_strSection, kEntryFlow, m_byFlowControl);
    vx::WriteProfileInt(m_strSection, kEntryDtr, m_bDtr ? 1 : 0);
    vx::WriteProfileInt(m_strSection, kEntryRts, m_bRts ? 1 : 0);
}

void CDcb::LoadFromProfile(const CString& section)
{
    m_strSection = section;
    if (section.IsEmpty())
        return;
    m_strPortName = vx::GetProfileString(section, kEntryPort, kMissing);
    if (m_strPortName == kMissing)
        m_strPortName = FirstUsbSerialPort();
    m_dwBaudRate = static_cast<DWORD>(vx::GetProfileInt(section, kEntryBaud, 115200));
    // Out-of-range stored values are kept as they are so that the record
    // reports "Bad Config" instead of quietly opening with other settings.
    auto byteValue = [&](const char* entry, int def) {
        const int v = static_cast<int>(vx::GetProfileInt(section, entry, def));
        return static_cast<BYTE>(v < 0 || v > 255 ? 255 : v);
    };
    m_byDataBits = byteValue(kEntryDataBits, 8);
    m_byParity = byteValue(kEntryParity, NOPARITY);
    m_byStopBits = byteValue(kEntryStopBits, ONESTOPBIT);
    m_byFlowControl = byteValue(kEntryFlow, FLOW_NONE);
    m_bDtr = vx::GetProfileInt(section, kEntryDtr, 1) != 0;
    m_bRts = vx::GetProfileInt(section, kEntryRts, 1) != 0;
}
