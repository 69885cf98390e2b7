// Writing a file so that a failure never leaves half a file behind nor
// destroys the one that was there: the bytes go to a temporary file beside
// the target, which replaces the target only when everything was written.
//
// An existing target keeps its permission bits; a symbolic link keeps
// pointing where it did (the file it points to is replaced); a device or a
// pipe, which has no content to keep, is written directly, and never
// waited for without end: a pipe that nobody reads, or that takes nothing
// for seconds, fails with the cause "no reader". The data is
// not forced to the disk before the rename: a crash of the whole machine
// may lose the new content, but the rename keeps either the old or the new
// file whole on the usual Linux file systems.
#pragma once

#include "platform/CString.h"
#include "platform/File.h"

#include <cstddef>
#include <vector>

namespace vx {

class SafeFileWriter {
public:
    // Creates the temporary file at once; Failed() tells whether that worked.
    explicit SafeFileWriter(const char* target);
    // Abandons the file unless Commit succeeded.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Buffered. After the first failure every call does nothing and
    // returns false.
    bool Write(const void* data, size_t size);
    bool Write(const CString& text) { return Write(text.GetString(), static_cast<size_t>(text.GetLength())); }
    // Writes what is buffered, closes and renames over the target. On any
    // failure the temporary file is removed and the target left as it was.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Abandon();

    bool Failed() const { return m_error != 0; }
    int ErrorNumber() const { return m_error; }
    // "target: reason", for the message box; empty while nothing failed.
    CString ErrorMessage() const;
    // The reason alone.
    CString ErrorReason() const;
    const CString& TargetPath() const { return m_target; }
    // The temporary file (empty when none was created).
    const CString& TemporaryPath() const { return m_temp; }

private:
    bool Fail(int err, int cause = 0);
    bool FlushBuffer();
    bool WriteAll(const char* data, size_t size);
    bool WriteDirect(const char* data, size_t size);
    CFileException Error() const;

    CString m_target;   // what the caller named
    CString m_final;    // where the rename goes (a link resolved)
    CString m_temp;
    int m_fd = -1;
    int m_error = 0;
    int m_cause = 0;        // a CFileException cause of the program's own, else 0
    bool m_direct = false;  // a device or a pipe, written in place
    bool m_pipe = false;
    bool m_committed = false;
    std::vector<char> m_buffer;
};

// Whether target could be written, found without changing or opening
// anything but a temporary file beside it: a pipe or a device is not
// opened (that may wait for its other end, or end a reader's input).
// False with the reason alone in *reason.
bool CanWriteFile(const char* target, CString* reason = nullptr);

// The whole content at once; false with the reason in *error ("target:
// reason") when it could not be written.
bool WriteFileSafely(const char* target, const void* data, size_t size, CString* error = nullptr);
inline bool WriteFileSafely(const char* target, const CString& text, CString* error = nullptr)
{
    return WriteFileSafely(target, text.GetString(), static_cast<size_t>(text.GetLength()), error);
}

} // namespace vx
