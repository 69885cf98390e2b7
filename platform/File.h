// Binary files with errors reported, never swallowed: Open says why it
// failed through a CFileException, later read/write/seek failures throw one.
#pragma once

#include "platform/CObject.h"
#include "platform/CString.h"
#include "platform/Types.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

using ULONGLONG = std::uint64_t;
using LONGLONG = std::int64_t;

class CFileException : public std::runtime_error {
public:
    enum Cause {
        none = 0, genericException = 1, fileNotFound = 2, badPath = 3, tooManyOpenFiles = 4,
        accessDenied = 5, invalidFile = 6, removeCurrentDir = 7, directoryFull = 8,
        badSeek = 9, hardIO = 10, sharingViolation = 11, lockViolation = 12, diskFull = 13,
        endOfFile = 14,
        // The program's own: a device, a pipe or a socket where a file was
        // wanted; a pipe or a device that nothing takes the data from.
        notRegularFile = 100,
        noReader = 101,
    };
    CFileException(int cause = none, int osError = 0, const CString& fileName = CString());
    int m_cause;
    int m_lOsError;   // errno
    CString m_strFileName;
    // "file name: reason" in plain words, for a message box.
    CString GetErrorMessage() const;
    // The reason alone.
    CString GetReason() const;
    static int CauseFromErrno(int err);
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    // Only regular files are opened: a device, a pipe or a socket is refused
    // (notRegularFile) before anything opens it, since opening one may wait
    // for its other end.
    CFile() = default;
    // Throws CFileException when the file cannot be opened.
    CFile(LPCTSTR fileName, UINT openFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False on failure, with the reason in *error when given.
    virtual BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr);
    // Bytes read; fewer than asked only at the end of the file.
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG length);
    virtual void Flush();
    // Throws when the final write-out fails.
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();
    bool IsOpen() const { return m_fd >= 0; }
    CString GetFilePath() const { return m_path; }
    CString GetFileName() const;

    static void Remove(LPCTSTR fileName);

private:
    [[noreturn]] void Fail(int err) const;
    int m_fd = -1;
    CString m_path;
};

namespace vx {

// The reasons of the program's own causes, in the user's language; the
// program sets them at every language switch.
struct FileReasonTexts {
    CString notRegularFile = "not a regular file but a device or a pipe; it was not opened";
    CString noReader = "no program takes the data (a pipe or a device without a reader)";
};
void SetFileReasonTexts(const FileReasonTexts& texts);

enum class FileReadResult { Ok, CannotOpen, NotAFile, TooLarge, ReadFailed };

// The whole of a regular file, read only once its size is known to be at
// most limit bytes (a reader never takes in what it could not hold); a
// device or a pipe is refused before it is opened. out is
// empty unless the result is Ok; *size gets the file's size once known and
// *osError the system's error number of a failed open or read (NotAFile:
// EISDIR for a folder, 0 for a device or a pipe).
FileReadResult ReadRegularFile(const char* path, std::vector<BYTE>& out, std::uint64_t limit,
                               std::uint64_t* size = nullptr, int* osError = nullptr);

} // namespace vx
