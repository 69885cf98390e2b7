#include "platform/Archive.h"

#include "platform/File.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0x7FFF;
constexpr WORD kClassTagBit = 0x8000;
constexpr WORD kMaxIndex = 0x7FFE;
constexpr WORD kMaxClassName = 256;
constexpr UINT kStringChunk = 64 * 1024;

template <class T>
void PutLE(BYTE* out, T v)
{
    using U = std::make_unsigned_t<T>;
    U u = static_cast<U>(v);
    for (size_t i = 0; i < sizeof(T); ++i) {
        out[i] = static_cast<BYTE>(u & 0xFFu);
        u = static_cast<U>(u >> 8);
    }
}

template <class T>
T GetLE(const BYTE* in)
{
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        u = static_cast<U>((u << 8) | in[i]);
    return static_cast<T>(u);
}

const char* CauseText(int cause)
{
    switch (cause) {
    case CArchiveException::readOnly: return "archive: stored into a loading archive";
    case CArchiveException::endOfFile: return "archive: unexpected end of file";
    case CArchiveException::writeOnly: return "archive: loaded from a storing archive";
    case CArchiveException::badIndex: return "archive: bad object reference";
    case CArchiveException::badClass: return "archive: unexpected or unknown class";
    case CArchiveException::badSchema: return "archive: unsupported schema";
    default: return "archive: error";
    }
}

} // namespace

CArchiveException::CArchiveException(int cause, const CString& fileName)
    : std::runtime_error(CauseText(cause)), m_cause(cause), m_strFileName(fileName)
{
}

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, void*)
    : m_file(file), m_loading((mode & load) != 0)
{
    m_buf.resize(static_cast<size_t>(std::max(bufferSize, 128)));
}

CArchive::~CArchive()
{
    // A destructor cannot report: callers that care call Close().
    if (!m_closed && !m_loading) {
        try {
            Flush();
        } catch (...) {
        }
    }
    // Objects created by a load that failed half way are the caller's no more
    // than the ones that succeeded: ownership passed with ReadObject.
}

void CArchive::Throw(int cause) const
{
    throw CArchiveException(cause, m_file ? m_file->GetFilePath() : CString());
}

void CArchive::Flush()
{
    if (m_loading || m_pos == 0)
        return;
    if (!m_file)
        Throw(CArchiveException::genericException);
    m_file->Write(m_buf.data(), static_cast<UINT>(m_pos));
    m_pos = 0;
}

void CArchive::Close()
{
    if (m_closed)
        return;
    Flush();
    m_closed = true;
}

void CArchive::Abort()
{
    m_pos = 0;
    m_len = 0;
    m_closed = true;
}

void CArchive::Write(const void* buffer, UINT count)
{
    if (m_loading)
        Throw(CArchiveException::readOnly);
    if (m_closed)
        Throw(CArchiveException::genericException);
    const auto* p = static_cast<const BYTE*>(buffer);
    while (count > 0) {
        if (m_pos == m_buf.size())
            Flush();
        const size_t n = std::min<size_t>(count, m_buf.size() - m_pos);
        std::memcpy(m_buf.data() + m_pos, p, n);
        m_pos += n;
        p += n;
        count -= static_cast<UINT>(n);
    }
}

void CArchive::FillBuffer(UINT)
{
    if (!m_file)
        return;
    // Keep what is unread at the front, then top up from the file.
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_pos, m_len - m_pos);
        m_len -= m_pos;
        m_pos = 0;
    }
    if (m_len < m_buf.size())
        m_len += m_file->Read(m_buf.data() + m_len, static_cast<UINT>(m_buf.size() - m_len));
}

UINT CArchive::Read(void* buffer, UINT count)
{
    if (!m_loading)
        Throw(CArchiveException::writeOnly);
    auto* p = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (m_pos == m_len) {
            FillBuffer(count - done);
            if (m_pos == m_len)
                break;
        }
        const size_t n = std::min<size_t>(count - done, m_len - m_pos);
        std::memcpy(p + done, m_buf.data() + m_pos, n);
        m_pos += n;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CArchive::ReadExact(void* buffer, UINT count)
{
    if (Read(buffer, count) != count)
        Throw(CArchiveException::endOfFile);
}

#define VX_ARCHIVE_PUT(T, Stored)                        \
    CArchive& CArchive::operator<<(T v)                  \
    {                                                    \
        BYTE b[sizeof(Stored)];                          \
        PutLE<Stored>(b, static_cast<Stored>(v));        \
        Write(b, sizeof b);                              \
        return *this;                                    \
    }
#define VX_ARCHIVE_GET(T, Stored)                        \
    CArchive& CArchive::operator>>(T& v)                 \
    {                                                    \
        BYTE b[sizeof(Stored)];                          \
        ReadExact(b, sizeof b);                          \
        v = static_cast<T>(GetLE<Stored>(b));            \
        return *this;                                    \
    }

VX_ARCHIVE_PUT(BYTE, std::uint8_t)
VX_ARCHIVE_PUT(WORD, std::uint16_t)
VX_ARCHIVE_PUT(int, std::int32_t)
VX_ARCHIVE_PUT(UINT, std::uint32_t)
VX_ARCHIVE_PUT(long, std::int32_t)
VX_ARCHIVE_PUT(unsigned long, std::uint32_t)
VX_ARCHIVE_PUT(long long, std::int64_t)
VX_ARCHIVE_PUT(unsigned long long, std::uint64_t)
VX_ARCHIVE_GET(BYTE, std::uint8_t)
VX_ARCHIVE_GET(char, std::uint8_t)
VX_ARCHIVE_GET(WORD, std::uint16_t)
VX_ARCHIVE_GET(short, std::uint16_t)
VX_ARCHIVE_GET(int, std::int32_t)
VX_ARCHIVE_GET(UINT, std::uint32_t)
VX_ARCHIVE_GET(long, std::int32_t)
VX_ARCHIVE_GET(unsigned long, std::uint32_t)
VX_ARCHIVE_GET(long long, std::int64_t)
VX_ARCHIVE_GET(unsigned long long, std::uint64_t)

CArchive& CArchive::operator>>(bool& v)
{
    BYTE b = 0;
    *this >> b;
    v = b != 0;
    return *this;
}

CArchive& CArchive::operator<<(float v) { return *this << std::bit_cast<std::uint32_t>(v); }
CArchive& CArchive::operator<<(double v) { return *this << static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)); }

CArchive& CArchive::operator>>(float& v)
{
    UINT u = 0;
    *this >> u;
    v = std::bit_cast<float>(static_cast<std::uint32_t>(u));
    return *this;
}

CArchive& CArchive::operator>>(double& v)
{
    unsigned long long u = 0;
    *this >> u;
    v = std::bit_cast<double>(static_cast<std::uint64_t>(u));
    return *this;
}

CArchive& CArchive::operator<<(const CString& v)
{
    *this << static_cast<UINT>(v.GetLength());
    Write(v.bytes(), static_cast<UINT>(v.GetLength()));
    return *this;
}

CArchive& CArchive::operator>>(CString& v)
{
    UINT len = 0;
    *this >> len;
    // Grow only as far as the file really has bytes: a damaged length must
    // not make us allocate gigabytes first.
    std::string s;
    while (len > 0) {
        const UINT chunk = std::min(len, kStringChunk);
        const size_t old = s.size();
        s.resize(old + chunk);
        ReadExact(s.data() + old, chunk);
        len -= chunk;
    }
    v = CString(std::move(s));
    return *this;
}

void CArchive::WriteTag(WORD tag) { *this << tag; }

void CArchive::WriteObject(const CObject* object)
{
    if (!object) {
        WriteTag(kNullTag);
        return;
    }
    const auto known = m_storedObjects.find(object);
    if (known != m_storedObjects.end()) {
        WriteTag(known->second);
        return;
    }
    const CRuntimeClass* cls = object->GetRuntimeClass();
    if (!cls || cls->m_wSchema == 0xFFFF || !cls->m_lpszClassName)
        Throw(CArchiveException::badClass);
    if (m_storedObjects.size() >= kMaxIndex)
        Throw(CArchiveException::badIndex);

    const auto seen = m_storedClasses.find(cls);
    if (seen != m_storedClasses.end()) {
        WriteTag(static_cast<WORD>(kClassTagBit | seen->second));
    } else {
        const size_t nameLen = std::strlen(cls->m_lpszClassName);
        if (nameLen > kMaxClassName || m_storedClasses.size() >= kMaxIndex)
            Throw(CArchiveException::badClass);
        WriteTag(kNewClassTag);
        *this << static_cast<WORD>(cls->m_wSchema) << static_cast<WORD>(nameLen);
        Write(cls->m_lpszClassName, static_cast<UINT>(nameLen));
        m_storedClasses[cls] = static_cast<WORD>(m_storedClasses.size() + 1);
    }
    m_storedObjects[object] = static_cast<WORD>(m_storedObjects.size() + 1);
    const_cast<CObject*>(object)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* expected)
{
    WORD tag = 0;
    *this >> tag;
    if (tag == kNullTag)
        return nullptr;

    const CRuntimeClass* cls = nullptr;
    if (tag == kNewClassTag) {
        WORD schema = 0, nameLen = 0;
        *this >> schema >> nameLen;
        if (nameLen == 0 || nameLen > kMaxClassName)
            Throw(CArchiveException::badClass);
        char name[kMaxClassName + 1] = {};
        ReadExact(name, nameLen);
        cls = CRuntimeClass::FromName(name);
        if (!cls)
            Throw(CArchiveException::badClass);
        if (cls->m_wSchema != schema)
            Throw(CArchiveException::badSchema);
        m_loadedClasses.push_back(cls);
    } else if (tag & kClassTagBit) {
        const size_t index = tag & ~kClassTagBit;
        if (index == 0 || index > m_loadedClasses.size())
            Throw(CArchiveException::badIndex);
        cls = m_loadedClasses[index - 1];
    } else {
        if (tag > m_loadedObjects.size())
            Throw(CArchiveException::badIndex);
        CObject* again = m_loadedObjects[tag - 1u];
        if (expected && !again->IsKindOf(expected))
            Throw(CArchiveException::badClass);
        return again;
    }

    if (expected && !cls->IsDerivedFrom(expected))
        Throw(CArchiveException::badClass);
    CObject* object = cls->CreateObject();
    if (!object)
        Throw(CArchiveException::badClass);
    const size_t slot = m_loadedObjects.size();
    m_loadedObjects.push_back(object);
    try {
        object->Serialize(*this);
    } catch (...) {
        m_loadedObjects.resize(slot);
        delete object;
        throw;
    }
    return object;
}
