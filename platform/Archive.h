// The binary archive of the chart's stored state: little-endian fields,
// strings with a length, and objects tagged with their class name and
// schema so that reading can create them by name (the run-time class
// registry of CObject.h). A damaged or truncated archive throws a
// CArchiveException; it never crashes, allocates without bound or loops.
//
// Encoding of our own:
//   string   : DWORD byte count, then the bytes
//   object   : WORD tag
//              0x0000                  null pointer
//              0x7FFF                  new class: WORD schema, WORD name length,
//                                      name bytes, then the object's record
//              0x8000 | class index    class seen before, then the record
//              1 .. 0x7FFE             the object stored before with that index
#pragma once

#include "platform/CObject.h"
#include "platform/CString.h"
#include "platform/Types.h"

#include <map>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

class CFile;

class CArchiveException : public std::runtime_error {
public:
    enum Cause {
        none = 0, genericException = 1, readOnly = 2, endOfFile = 3, writeOnly = 4,
        badIndex = 5, badClass = 6, badSchema = 7
    };
    explicit CArchiveException(int cause, const CString& fileName = CString());
    int m_cause;
    CString m_strFileName;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // The file must stay open for the archive's lifetime; the archive does
    // not close it.
    CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_loading; }
    bool IsStoring() const { return !m_loading; }
    CFile* GetFile() const { return m_file; }
    // Writes out what is buffered (storing); throws on a file error.
    void Flush();
    void Close();
    // Closes without throwing (after an exception).
    void Abort();

    // Raw bytes. Read returns fewer bytes only at the end of the file.
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    // Reads exactly count bytes or throws endOfFile.
    void ReadExact(void* buffer, UINT count);

    CArchive& operator<<(BYTE v);
    CArchive& operator<<(char v) { return *this << static_cast<BYTE>(v); }
    CArchive& operator<<(bool v) { return *this << static_cast<BYTE>(v ? 1 : 0); }
    CArchive& operator<<(WORD v);
    CArchive& operator<<(short v) { return *this << static_cast<WORD>(v); }
    CArchive& operator<<(int v);
    CArchive& operator<<(UINT v);
    CArchive& operator<<(long v);                 // stored as 32 bits
    CArchive& operator<<(unsigned long v);        // stored as 32 bits
    CArchive& operator<<(long long v);
    CArchive& operator<<(unsigned long long v);
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(const CString& v);
    CArchive& operator<<(const char* v) { return *this << CString(v); }

    CArchive& operator>>(BYTE& v);
    CArchive& operator>>(char& v);
    CArchive& operator>>(bool& v);                // any non-zero byte is true
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(short& v);
    CArchive& operator>>(int& v);
    CArchive& operator>>(UINT& v);
    CArchive& operator>>(long& v);
    CArchive& operator>>(unsigned long& v);
    CArchive& operator>>(long long& v);
    CArchive& operator>>(unsigned long long& v);
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(CString& v);

    // Objects: the class must be serialisable (VX_DECLARE_SERIAL). Writing
    // the same object twice stores a back reference the second time.
    void WriteObject(const CObject* object);
    // Creates the stored class by name and reads its record; throws badClass
    // for an unknown class or one that is not derived from expected (when
    // given), badSchema when the stored schema differs from the class's.
    CObject* ReadObject(const CRuntimeClass* expected);

private:
    void FillBuffer(UINT needed);
    void WriteTag(WORD tag);
    [[noreturn]] void Throw(int cause) const;

    CFile* m_file;
    bool m_loading;
    bool m_closed = false;
    std::vector<BYTE> m_buf;
    size_t m_pos = 0;     // loading: next byte in m_buf; storing: bytes held
    size_t m_len = 0;     // loading: valid bytes in m_buf

    std::map<const CRuntimeClass*, WORD> m_storedClasses;
    std::map<const CObject*, WORD> m_storedObjects;
    std::vector<const CRuntimeClass*> m_loadedClasses;
    std::vector<CObject*> m_loadedObjects;
};

// ar << pObject / ar >> pObject for any serialisable class.
inline CArchive& operator<<(CArchive& ar, const CObject* object)
{
    ar.WriteObject(object);
    return ar;
}
template <class T>
    requires std::is_base_of_v<CObject, T>
CArchive& operator>>(CArchive& ar, T*& object)
{
    CObject* read = ar.ReadObject(nullptr);
    object = dynamic_cast<T*>(read);
    if (read && !object) {
        delete read;
        throw CArchiveException(CArchiveException::badClass);
    }
    return ar;
}
