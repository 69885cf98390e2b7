#include "platform/SafeFile.h"

#include "platform/File.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = 1 << 20;
constexpr size_t kDirectSize = 64 << 10;
// A pipe or a device that takes nothing for this long has no reader.
constexpr int kStallMs = 5000;

// A pipe whose reader left raises SIGPIPE, which would end the program:
// held back on this thread while it writes, and dropped when it was this
// write's.
class SigPipeHeld {
public:
    SigPipeHeld()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~SigPipeHeld()
    {
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{0, 0};
            while (sigtimedwait(&m_pipe, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigPipeHeld(const SigPipeHeld&) = delete;
    SigPipeHeld& operator=(const SigPipeHeld&) = delete;

private:
    sigset_t m_pipe{}, m_old{};
    bool m_wasPending = false;
};

// A link is followed, so the file it points to is the one replaced.
std::string FinalPath(const std::string& target)
{
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return target;
    char resolved[PATH_MAX];
    return ::realpath(target.c_str(), resolved) ? std::string(resolved) : target;
}

std::string TempNameBeside(const std::string& path, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%d.%x%x.tmp", static_cast<int>(::getpid()), seed ^ attempt,
                  counter.fetch_add(1));
    return dir + "." + name + suffix;
}

} // namespace

namespace vx {

SafeFileWriter::SafeFileWriter(const char* target) : m_target(target ? target : "")
{
    if (m_target.IsEmpty()) {
        m_error = ENOENT;
        return;
    }
    const std::string final = FinalPath(m_target.str());
    m_final = CString(final);
    struct stat old {};
    const bool replacing = ::stat(final.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        m_error = EISDIR;
        return;
    }
    // A file the user may not write stays, as it would for a write in place.
    if (replacing && ::access(final.c_str(), W_OK) != 0) {
        m_error = errno;
        return;
    }
    // A device or a pipe holds no content to keep whole, and a rename would
    // replace the node itself: the bytes go straight to it. Opened without
    // waiting: a pipe nobody reads is told at once, a terminal does not wait
    // for its carrier.
    if (replacing && !S_ISREG(old.st_mode)) {
        m_direct = true;
        m_pipe = S_ISFIFO(old.st_mode);
        m_fd = ::open(final.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            Fail(errno, m_pipe && errno == ENXIO ? CFileException::noReader : 0);
        return;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = TempNameBeside(final, attempt);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temp = CString(temp);
            break;
        }
        if (errno != EEXIST && errno != EINTR) {
            m_error = errno;
            return;
        }
    }
    if (m_fd < 0) {
        m_error = EEXIST;
        return;
    }
    // The replacement keeps the permissions the user gave the old file.
    if (replacing)
        (void)::fchmod(m_fd, old.st_mode & 07777);
    m_buffer.reserve(kBufferSize);
}

SafeFileWriter::~SafeFileWriter()
{
    if (!m_committed)
        Abandon();
}

bool SafeFileWriter::Fail(int err, int cause)
{
    if (m_error == 0) {
        m_error = err ? err : EIO;
        m_cause = cause;
    }
    Abandon();
    return false;
}

bool SafeFileWriter::WriteDirect(const char* data, size_t size)
{
    SigPipeHeld held;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return Fail(errno, m_pipe && errno == EPIPE ? CFileException::noReader : 0);
        pollfd p{m_fd, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&p, 1, kStallMs);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0)
            return Fail(ETIMEDOUT, CFileException::noReader);
        if (ready < 0)
            return Fail(errno);
    }
    return true;
}

bool SafeFileWriter::WriteAll(const char* data, size_t size)
{
    if (m_direct)
        return WriteDirect(data, size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        if (n == 0)
            return Fail(ENOSPC);
        done += static_cast<size_t>(n);
    }
    return true;
}

bool SafeFileWriter::FlushBuffer()
{
    if (!WriteAll(m_buffer.data(), m_buffer.size()))
        return false;
    m_buffer.clear();
    return true;
}

bool SafeFileWriter::Write(const void* data, size_t size)
{
    if (m_error || m_committed || m_fd < 0)
        return false;
    const char* p = static_cast<const char*>(data);
    // A large piece goes to the file as it is: copying it into the buffer
    // first would cost more than the write saves.
    if (size >= kDirectSize && FlushBuffer())
        return WriteAll(p, size);
    while (size > 0) {
        const size_t room = kBufferSize - m_buffer.size();
        const size_t take = size < room ? size : room;
        m_buffer.insert(m_buffer.end(), p, p + take);
        p += take;
        size -= take;
        if (m_buffer.size() == kBufferSize && !FlushBuffer())
            return false;
    }
    return true;
}

bool SafeFileWriter::Commit()
{
    if (m_error || m_committed || m_fd < 0)
        return false;
    if (!FlushBuffer())
        return false;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return Fail(errno);
    if (!m_temp.IsEmpty() && ::rename(m_temp.GetString(), m_final.GetString()) != 0)
        return Fail(errno);
    m_committed = true;
    m_temp.Empty();
    return true;
}

void SafeFileWriter::Abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.IsEmpty()) {
        ::unlink(m_temp.GetString());
        m_temp.Empty();
    }
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

CFileException SafeFileWriter::Error() const
{
    return CFileException(m_cause ? m_cause : CFileException::CauseFromErrno(m_error), m_error, m_target);
}

CString SafeFileWriter::ErrorMessage() const { return m_error ? Error().GetErrorMessage() : CString(); }

CString SafeFileWriter::ErrorReason() const { return m_error ? Error().GetReason() : CString(); }

bool CanWriteFile(const char* target, CString* reason)
{
    struct stat st {};
    if (target && *target && ::stat(target, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        if (::access(target, W_OK) == 0)
            return true;
        if (reason)
            *reason = CString(std::strerror(errno));
        return false;
    }
    // Creates the temporary file beside the target, and removes it.
    SafeFileWriter probe(target);
    if (probe.Failed() && reason)
        *reason = probe.ErrorReason();
    return !probe.Failed();
}

bool WriteFileSafely(const char* target, const void* data, size_t size, CString* error)
{
    SafeFileWriter file(target);
    const bool ok = file.Write(data, size) && file.Commit();
    if (!ok && error)
        *error = file.ErrorMessage();
    return ok;
}

} // namespace vx
