#include "platform/File.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_textsMutex;
vx::FileReasonTexts g_texts;

// A file descriptor of a regular file, or why there is none: err is the
// system's error number, notRegular tells of a device, a pipe or a socket.
struct RegularOpen {
    int fd = -1;
    int err = 0;
    bool notRegular = false;
    std::uint64_t size = 0;
};

// Opens path only when it is (or, created, becomes) a regular file. A
// device, a pipe or a socket is refused before the open: opening a pipe
// waits for its other end, a terminal for its carrier. Should one take the
// name's place meanwhile, the open does not wait either, and it is
// refused all the same.
RegularOpen OpenRegular(const char* path, int flags)
{
    RegularOpen r;
    struct stat st {};
    if (::stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
        r.err = S_ISDIR(st.st_mode) ? EISDIR : 0;
        r.notRegular = !S_ISDIR(st.st_mode);
        return r;
    }
    int fd;
    do {
        fd = ::open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        r.err = errno;
        return r;
    }
    const bool known = ::fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        r.err = !known ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
        r.notRegular = known && !S_ISDIR(st.st_mode);
        ::close(fd);
        return r;
    }
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    r.fd = fd;
    r.size = static_cast<std::uint64_t>(st.st_size);
    return r;
}

} // namespace

namespace vx {

void SetFileReasonTexts(const FileReasonTexts& texts)
{
    std::lock_guard lock(g_textsMutex);
    g_texts = texts;
}

} // namespace vx

CFileException::CFileException(int cause, int osError, const CString& fileName)
    : std::runtime_error(fileName.IsEmpty() ? std::string("file error")
                                            : std::string(fileName.GetString()) + ": file error"),
      m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
{
}

int CFileException::CauseFromErrno(int err)
{
    switch (err) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EISDIR: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS: return accessDenied;
    case EBADF: return invalidFile;
    case ENOSPC:
    case EDQUOT: return diskFull;
    case ESPIPE:
    case EINVAL: return badSeek;
    case EIO: return hardIO;
    case ETXTBSY:
    case EBUSY: return sharingViolation;
    default: return genericException;
    }
}

CString CFileException::GetReason() const
{
    if (m_cause == notRegularFile || m_cause == noReader) {
        std::lock_guard lock(g_textsMutex);
        return m_cause == notRegularFile ? g_texts.notRegularFile : g_texts.noReader;
    }
    if (m_cause == endOfFile)
        return "unexpected end of file";
    return m_lOsError != 0 ? CString(std::strerror(m_lOsError)) : CString("file error");
}

CString CFileException::GetErrorMessage() const
{
    return m_strFileName.IsEmpty() ? GetReason() : m_strFileName + ": " + GetReason();
}

CFile::CFile(LPCTSTR fileName, UINT openFlags)
{
    CFileException e;
    if (!Open(fileName, openFlags, &e))
        throw e;
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* error)
{
    Abort();
    if (!fileName || !*fileName) {
        if (error)
            *error = CFileException(CFileException::badPath, ENOENT, CString(fileName ? fileName : ""));
        return FALSE;
    }
    int flags = 0;
    switch (openFlags & 3u) {
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }
    const RegularOpen opened = OpenRegular(fileName, flags);
    if (opened.fd < 0) {
        if (error)
            *error = opened.notRegular
                         ? CFileException(CFileException::notRegularFile, 0, CString(fileName))
                         : CFileException(CFileException::CauseFromErrno(opened.err), opened.err, CString(fileName));
        return FALSE;
    }
    const int fd = opened.fd;
    m_fd = fd;
    m_path = CString(fileName);
    return TRUE;
}

void CFile::Fail(int err) const { throw CFileException(CFileException::CauseFromErrno(err), err, m_path); }

UINT CFile::Read(void* buffer, UINT count)
{
    if (m_fd < 0)
        Fail(EBADF);
    UINT done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(m_fd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (m_fd < 0)
        Fail(EBADF);
    UINT done = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(m_fd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        if (n == 0)
            Fail(ENOSPC);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    if (m_fd < 0)
        Fail(EBADF);
    const int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    const off_t r = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (r < 0)
        Fail(errno);
    return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetPosition() const
{
    if (m_fd < 0)
        Fail(EBADF);
    const off_t r = ::lseek(m_fd, 0, SEEK_CUR);
    if (r < 0)
        Fail(errno);
    return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetLength() const
{
    if (m_fd < 0)
        Fail(EBADF);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        Fail(errno);
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG length)
{
    if (m_fd < 0)
        Fail(EBADF);
    if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0)
        Fail(errno);
}

void CFile::Flush()
{
    if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        Fail(errno);
}

void CFile::Close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        Fail(errno);
}

void CFile::Abort()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

CString CFile::GetFileName() const
{
    const std::string& p = m_path.str();
    const size_t slash = p.find_last_of('/');
    return CString(slash == std::string::npos ? p : p.substr(slash + 1));
}

void CFile::Remove(LPCTSTR fileName)
{
    if (!fileName || ::unlink(fileName) != 0) {
        const int err = fileName ? errno : ENOENT;
        throw CFileException(CFileException::CauseFromErrno(err), err, CString(fileName ? fileName : ""));
    }
}

namespace vx {

FileReadResult ReadRegularFile(const char* path, std::vector<BYTE>& out, std::uint64_t limit, std::uint64_t* size,
                               int* osError)
{
    out.clear();
    if (size)
        *size = 0;
    const auto failed = [&](FileReadResult result, int err) {
        if (osError)
            *osError = err;
        out.clear();
        return result;
    };
    if (!path)
        return failed(FileReadResult::CannotOpen, ENOENT);
    const RegularOpen opened = OpenRegular(path, O_RDONLY);
    if (opened.fd < 0)
        // A folder says why; a device or a pipe has no error, only no size.
        return failed(opened.err == EISDIR || opened.notRegular ? FileReadResult::NotAFile : FileReadResult::CannotOpen,
                      opened.err);
    const int fd = opened.fd;
    const std::uint64_t bytes = opened.size;
    if (size)
        *size = bytes;
    if (bytes > limit) {
        ::close(fd);
        return failed(FileReadResult::TooLarge, EFBIG);
    }
    try {
        out.resize(static_cast<size_t>(bytes));
    } catch (...) {
        ::close(fd);
        return failed(FileReadResult::ReadFailed, ENOMEM);
    }
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A file that shrank while read is as unreadable as a failed read.
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            return failed(FileReadResult::ReadFailed, err);
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return FileReadResult::Ok;
}

} // namespace vx
