#include "port/CDcb.h"
#include "port/CSerialPort.h"
#include "port/PortList.h"

#include "support_pty.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

CDcb ValidDcb(const char* path = "/dev/ttyUSB0")
{
    CDcb dcb;
    dcb.m_strPortName = path;
    dcb.m_dwBaudRate = 115200;
    return dcb;
}

} // namespace

TEST(CDcbPortText, FollowsStateThenValidity)
{
    CDcb valid = ValidDcb();
    CDcb badRate = ValidDcb();
    badRate.m_dwBaudRate = 14400;
    CDcb badBits = ValidDcb();
    badBits.m_byDataBits = 9;

    struct Row {
        DWORD state;
        const char* valid;
        const char* invalid;
    };
    const Row rows[] = {
        {PORTSTATE_ONLINE, "USB0", "Bad Config"},  {PORTSTATE_OFFLINE, "OffLine", "OffLine"},
        {PORTSTATE_GRANTED, "Granted", "Granted"}, {PORTSTATE_REMOVED, "OffLine", "OffLine"},
        {PORTSTATE_CLOSED, "USB0", "Bad Config"},
    };
    for (const Row& r : rows) {
        valid.PortState = badRate.PortState = badBits.PortState = r.state;
        EXPECT_EQ(valid.GetPortText(), r.valid) << "state " << r.state;
        EXPECT_EQ(badRate.GetPortText(), r.invalid) << "state " << r.state;
        EXPECT_EQ(badBits.GetPortText(), r.invalid) << "state " << r.state;
    }
}

TEST(CDcbPortText, NamesAreShortenedForButtons)
{
    EXPECT_EQ(CDcb::DisplayNameOf("/dev/ttyUSB0"), "USB0");
    EXPECT_EQ(CDcb::DisplayNameOf("/dev/ttyACM12"), "ACM12");
    EXPECT_EQ(CDcb::DisplayNameOf("/dev/ttyS0"), "S0");
    EXPECT_EQ(CDcb::DisplayNameOf("/dev/pts/3"), "pts/3");
    EXPECT_EQ(CDcb::DisplayNameOf("/dev/serial/by-id/usb-Maker_1234-if00"), "usb-Maker_1234-if00");
    EXPECT_EQ(CDcb::DisplayNameOf("/tmp/vx35/link"), "link");
    EXPECT_EQ(CDcb::DisplayNameOf("/dev/tty"), "tty");
}

TEST(CDcbValidity, OnlyAbsolutePathsWithTableRatesAreOpened)
{
    CDcb dcb = ValidDcb();
    EXPECT_TRUE(dcb.IsValid());
    for (const char* name : {"", "OffLine", "ttyUSB0", "COM1"}) {
        dcb.m_strPortName = name;
        EXPECT_TRUE(dcb.IsOffLineName()) << name;
        EXPECT_FALSE(dcb.IsValid()) << name;
    }
    dcb = ValidDcb();
    dcb.m_byParity = 5;
    EXPECT_FALSE(dcb.IsValid());
    dcb = ValidDcb();
    dcb.m_byStopBits = 3;
    EXPECT_FALSE(dcb.IsValid());
    dcb = ValidDcb();
    dcb.m_byFlowControl = 3;
    EXPECT_FALSE(dcb.IsValid());

    ASSERT_NE(FindBaudRate(9600), nullptr);
    EXPECT_STREQ(FindBaudRate(9600)->pszText, "9600");
    EXPECT_EQ(FindBaudRate(0), nullptr);
    EXPECT_EQ(FindBaudRate(14400), nullptr);
}

TEST(CDcbProfile, RoundTripKeepsSettingsButNeverTheState)
{
    CDcb out = ValidDcb("/dev/ttyACM3");
    out.m_strSection = "SerPort1";
    out.m_dwBaudRate = 9600;
    out.m_byDataBits = 7;
    out.m_byParity = EVENPARITY;
    out.m_byStopBits = TWOSTOPBITS;
    out.m_byFlowControl = FLOW_XONXOFF;
    out.m_bDtr = false;
    out.m_bRts = true;
    out.PortState = PORTSTATE_REMOVED;
    out.m_bOffLine = true;
    out.SaveToProfile();

    CDcb in;
    in.LoadFromProfile("SerPort1");
    EXPECT_EQ(in.m_strSection, "SerPort1");
    EXPECT_EQ(in.m_strPortName, "/dev/ttyACM3");
    EXPECT_EQ(in.m_dwBaudRate, 9600u);
    EXPECT_EQ(in.m_byDataBits, 7);
    EXPECT_EQ(in.m_byParity, EVENPARITY);
    EXPECT_EQ(in.m_byStopBits, TWOSTOPBITS);
    EXPECT_EQ(in.m_byFlowControl, FLOW_XONXOFF);
    EXPECT_FALSE(in.m_bDtr);
    EXPECT_TRUE(in.m_bRts);
    // A removal or "Beenden" must not keep the port closed on the next start.
    EXPECT_EQ(in.PortState, PORTSTATE_CLOSED);
    EXPECT_FALSE(in.m_bOffLine);
}

TEST(CDcbProfile, WithoutSectionNothingIsWritten)
{
    CDcb out = ValidDcb("/dev/ttyS7");
    out.SaveToProfile();
    CDcb in;
    in.LoadFromProfile("SerPortUnused");
    EXPECT_NE(in.m_strPortName, "/dev/ttyS7");
    EXPECT_EQ(in.m_dwBaudRate, 115200u);
    EXPECT_EQ(in.m_byDataBits, 8);
    EXPECT_EQ(in.m_byParity, NOPARITY);
}

TEST(CDcbProfile, StoredOffLineStaysOffLine)
{
    CDcb out = ValidDcb();
    out.m_strSection = "SerPort2";
    out.m_strPortName = "OffLine";
    out.SaveToProfile();
    CDcb in;
    in.LoadFromProfile("SerPort2");
    EXPECT_EQ(in.m_strPortName, "OffLine");
}

TEST(PortErrorText, TellsWhatToDo)
{
    const CString denied = PortErrorText(EACCES, "/dev/ttyUSB0");
    EXPECT_GE(denied.Find("dialout"), 0) << denied.GetString();
    EXPECT_GE(denied.Find("/dev/ttyUSB0"), 0);
    EXPECT_GE(PortErrorText(EBUSY, "/dev/ttyUSB0").Find("another program"), 0);
    EXPECT_GE(PortErrorText(ENOENT, "/dev/ttyUSB0").Find("not present"), 0);
    EXPECT_FALSE(PortErrorText(EIO, "/dev/ttyUSB0").IsEmpty());
    EXPECT_TRUE(PortErrorText(0, "/dev/ttyUSB0").IsEmpty());
}

TEST(EnumerateSerialPorts, ListsAdaptersAndRealUartsInOrder)
{
    TempDir dev;
    TempDir sys;
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "tty", "ttyUSBx", "null"})
        std::ofstream(dev.path + "/" + name).put('x');
    // ttyS0 is a legacy placeholder, ttyS1 has a real UART behind it.
    for (const char* name : {"ttyS0", "ttyS1"})
        mkdir((sys.path + "/" + name).c_str(), 0755);
    mkdir((sys.path + "/ttyS0/device").c_str(), 0755);
    mkdir((sys.path + "/ttyS1/device").c_str(), 0755);
    ASSERT_EQ(symlink("../../bus/platform/drivers/serial8250", (sys.path + "/ttyS0/device/driver").c_str()), 0);
    ASSERT_EQ(symlink("../../bus/pnp/drivers/serial", (sys.path + "/ttyS1/device/driver").c_str()), 0);
    std::ofstream(dev.path + "/link").put('x');

    const std::vector<CString> ports = EnumerateSerialPorts(
        {CString((dev.path + "/link").c_str()), CString((dev.path + "/ttyACM0").c_str()), "/nonexistent/tty", "relative"},
        dev.path.c_str(), sys.path.c_str());
    std::vector<std::string> names;
    for (const CString& p : ports)
        names.push_back(p.str().substr(dev.path.size() + 1));
    EXPECT_EQ(names, (std::vector<std::string> {"ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS1", "link"}));
}

TEST(CSerialPortOpen, PtyIsConfiguredRawWithTheStoredSettings)
{
    TestPty pty;
    CDcb dcb = ValidDcb(pty.path.c_str());
    dcb.m_dwBaudRate = 9600;
    dcb.m_byStopBits = TWOSTOPBITS;
    dcb.m_byFlowControl = FLOW_RTSCTS;
    // A pseudo-terminal always reports 8 bits without parity, so only what
    // start-up forces anyway can be checked here.
    CSerialPort port;
    ASSERT_EQ(port.Open(dcb), 0);
    termios tio {};
    ASSERT_EQ(tcgetattr(port.GetPollHandle(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & PARENB, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.Close());
}

TEST(CSerialPortOpen, RefusesWhatItCannotOrMustNotOpen)
{
    TestPty pty;
    CDcb dcb = ValidDcb(pty.path.c_str());
    CSerialPort first;
    ASSERT_EQ(first.Open(dcb), 0);
    CSerialPort second;
    EXPECT_EQ(second.Open(dcb), EBUSY);
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_EQ(second.Open(dcb), 0);

    TempDir dir;
    const std::string file = dir.path + "/plain";
    std::ofstream(file).put('x');
    CSerialPort other;
    EXPECT_EQ(other.Open(ValidDcb(file.c_str())), ENOTTY);
    EXPECT_EQ(other.Open(ValidDcb((dir.path + "/missing").c_str())), ENOENT);
    CDcb bad = ValidDcb(pty.path.c_str());
    bad.m_dwBaudRate = 12345;
    EXPECT_EQ(other.Open(bad), EINVAL);
    bad.m_strPortName = "OffLine";
    EXPECT_EQ(other.Open(bad), ENOENT);
    EXPECT_FALSE(other.IsOpen());
}
