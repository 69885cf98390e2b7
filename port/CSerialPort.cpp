#include "port/CSerialPort.h"

#include "port/CDcb.h"

#include <cerrno>
#include <chrono>
#include <initializer_list>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedOf(DWORD baud)
{
    switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

tcflag_t SizeOf(BYTE dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

int Configure(int fd, const CDcb& dcb)
{
    termios tio {};
    if (tcgetattr(fd, &tio) != 0)
        return errno ? errno : ENOTTY;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | SizeOf(dcb.m_byDataBits);
    switch (dcb.m_byParity) {
    case ODDPARITY: tio.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: tio.c_cflag |= PARENB; break;
    case MARKPARITY: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (dcb.m_byStopBits != ONESTOPBIT)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (dcb.m_byFlowControl == FLOW_RTSCTS)
        tio.c_cflag |= CRTSCTS;
    else if (dcb.m_byFlowControl == FLOW_XONXOFF)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(dcb.m_dwBaudRate);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return errno;
    return 0;
}

// Pseudo-terminals and some adapters have no modem lines; their refusal is
// not a reason to fail the open.
void SetModemLines(int fd, const CDcb& dcb)
{
    int dtr = TIOCM_DTR;
    (void)ioctl(fd, dcb.m_bDtr ? TIOCMBIS : TIOCMBIC, &dtr);
    if (dcb.m_byFlowControl != FLOW_RTSCTS) {
        int rts = TIOCM_RTS;
        (void)ioctl(fd, dcb.m_bRts ? TIOCMBIS : TIOCMBIC, &rts);
    }
}

} // namespace

CSerialPort::~CSerialPort()
{
    Close();
}

int CSerialPort::Open(const CDcb& dcb)
{
    Close();
    if (dcb.IsOffLineName())
        return ENOENT;
    if (!dcb.IsValid())
        return EINVAL;
    const int fd = ::open(dcb.m_strPortName, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = 0;
    if (!isatty(fd)) {
        err = ENOTTY;
    } else {
        // TIOCEXCL keeps other programs out (root ignores it); the lock
        // also keeps a second copy of this program out.
        (void)ioctl(fd, TIOCEXCL);
        if (flock(fd, LOCK_EX | LOCK_NB) != 0)
            err = (errno == EWOULDBLOCK) ? EBUSY : errno;
    }
    if (!err)
        err = Configure(fd, dcb);
    if (err) {
        ::close(fd);
        return err;
    }
    SetModemLines(fd, dcb);
    m_fd = fd;
    return 0;
}

bool CSerialPort::Close()
{
    if (m_fd < 0)
        return false;
    const int fd = m_fd;
    m_fd = -1;
    (void)ioctl(fd, TIOCNXCL);
    return ::close(fd) == 0;
}

int CSerialPort::Read(BYTE* buffer, int maxCount)
{
    if (m_fd < 0) {
        errno = EBADF;
        return -1;
    }
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(maxCount));
        if (n > 0)
            return static_cast<int>(n);
        if (n == 0) {
            // In raw mode a read of 0 happens only after a hang-up.
            errno = EIO;
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}

bool CSerialPort::Write(const BYTE* data, int count, int timeoutMs)
{
    if (m_fd < 0)
        return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, data + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p {m_fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r == 0)
            return false;
        if (r < 0 && errno != EINTR)
            return false;
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT))
            return false;
    }
    return true;
}

void CSerialPort::Purge()
{
    if (m_fd >= 0)
        (void)tcflush(m_fd, TCIOFLUSH);
}

namespace {
// The program's texts for these (German id; English where the program has
// no table).
constexpr UINT kNoPermissionText = 5235;
constexpr UINT kInUseText = 5236;
constexpr UINT kNotPresentText = 5237;
constexpr UINT kNotSerialText = 5238;
constexpr UINT kBadSettingsText = 5239;
constexpr UINT kCannotOpenText = 5240;

// Each "%s" of text in turn takes the next of the values, as they stand.
CString FillIn(const CString& text, std::initializer_list<const char*> values)
{
    std::string out;
    auto next = values.begin();
    const std::string& t = text.str();
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '%' && i + 1 < t.size() && t[i + 1] == 's' && next != values.end()) {
            out += *next++;
            ++i;
        } else {
            out += t[i];
        }
    }
    return CString(std::move(out));
}
} // namespace

CString PortErrorText(int err, const CString& path)
{
    const char* p = path.GetString();
    switch (err) {
    case 0:
        return CString();
    case EACCES:
    case EPERM:
        return FillIn(LoadProgramText(kNoPermissionText,
                                      "You have no permission to use the serial port %s. Add your user to the "
                                      "'dialout' group (sudo usermod -aG dialout $USER), then log out and in again."),
                      {p});
    case EBUSY:
        return FillIn(LoadProgramText(kInUseText,
                                      "The serial port %s is in use by another program. Close that program and try "
                                      "again."),
                      {p});
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return FillIn(LoadProgramText(kNotPresentText,
                                      "The serial port %s is not present. Check that the device is plugged in, or "
                                      "choose another port."),
                      {p});
    case ENOTTY:
        return FillIn(LoadProgramText(kNotSerialText, "%s is not a serial port."), {p});
    case EINVAL:
        return FillIn(LoadProgramText(kBadSettingsText, "The settings of the serial port %s are not valid (Bad Config)."),
                      {p});
    default:
        return FillIn(LoadProgramText(kCannotOpenText, "The serial port %s cannot be opened: %s."),
                      {p, std::strerror(err)});
    }
}
