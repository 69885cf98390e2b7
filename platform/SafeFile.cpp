#include "platform/SafeFile.h"

#include "platform/File.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = 1 << 20;
constexpr size_t kDirectSize = 64 << 10;

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
    // replace the node itself: the bytes go straight to it.
    if (replacing && !S_ISREG(old.st_mode)) {
        m_fd = ::open(final.c_str(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0)
            m_error = errno;
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

bool SafeFileWriter::Fail(int err)
{
    if (m_error == 0)
        m_error = err ? err : EIO;
    Abandon();
    return false;
}

bool SafeFileWriter::WriteAll(const char* data, size_t size)
{
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

CString SafeFileWriter::ErrorMessage() const
{
    if (!m_error)
        return CString();
    return CFileException(CFileException::CauseFromErrno(m_error), m_error, m_target).GetErrorMessage();
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
