#include "CString.h"

#include "Numbers.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstring>

namespace {

StringTableLookup g_lookup = nullptr;
std::atomic<int> g_programLanguageOffset{0};

bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Code page 1252 case mapping: ASCII plus the accented letters.
unsigned char ToUpper1252(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E)
        return static_cast<unsigned char>(c - 16);
    if (c == 0xFF)
        return 0x9F;
    return c;
}

unsigned char ToLower1252(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E)
        return static_cast<unsigned char>(c + 16);
    if (c == 0x9F)
        return 0xFF;
    return c;
}

size_t Clamp(int v, size_t hi) { return v < 0 ? 0 : std::min(static_cast<size_t>(v), hi); }

} // namespace

void SetStringTableLookup(StringTableLookup lookup) { g_lookup = lookup; }

void SetProgramLanguageOffset(int offset) { g_programLanguageOffset = offset; }

int GetProgramLanguageOffset() { return g_programLanguageOffset; }

CString LoadProgramText(UINT germanId, const char* fallback)
{
    CString text;
    if (!text.LoadString(germanId + static_cast<UINT>(g_programLanguageOffset.load())))
        text = fallback ? fallback : "";
    return text;
}

char CString::GetAt(int i) const
{
    if (i < 0 || static_cast<size_t>(i) >= m_s.size())
        return 0;
    return m_s[static_cast<size_t>(i)];
}

void CString::SetAt(int i, char ch)
{
    if (i >= 0 && static_cast<size_t>(i) < m_s.size())
        m_s[static_cast<size_t>(i)] = ch;
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > 0 && static_cast<size_t>(minLength) > m_s.size()) {
        const size_t old = m_s.size();
        m_s.resize(static_cast<size_t>(minLength));
        std::fill(m_s.begin() + static_cast<std::ptrdiff_t>(old), m_s.end(), '\0');
        // Remember the real text end: ReleaseBuffer(-1) looks for the zero.
    }
    return m_s.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        m_s.resize(std::strlen(m_s.c_str()));
    else
        m_s.resize(std::min(static_cast<size_t>(newLength), m_s.size()));
}

int CString::Compare(const char* s) const
{
    const std::string_view other(s ? s : "");
    const int c = std::string_view(m_s).compare(other);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* s) const
{
    const std::string_view other(s ? s : "");
    const size_t n = std::min(m_s.size(), other.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char a = ToLower1252(static_cast<unsigned char>(m_s[i]));
        const unsigned char b = ToLower1252(static_cast<unsigned char>(other[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (m_s.size() == other.size())
        return 0;
    return m_s.size() < other.size() ? -1 : 1;
}

CString CString::Left(int count) const { return CString(m_s.substr(0, Clamp(count, m_s.size()))); }

CString CString::Right(int count) const
{
    const size_t n = Clamp(count, m_s.size());
    return CString(m_s.substr(m_s.size() - n));
}

CString CString::Mid(int first) const
{
    const size_t f = Clamp(first, m_s.size());
    return CString(m_s.substr(f));
}

CString CString::Mid(int first, int count) const
{
    const size_t f = Clamp(first, m_s.size());
    return CString(m_s.substr(f, Clamp(count, m_s.size() - f)));
}

int CString::Find(char ch, int start) const
{
    if (start < 0)
        start = 0;
    if (static_cast<size_t>(start) >= m_s.size())
        return -1;
    const size_t p = m_s.find(ch, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub)
        return -1;
    if (start < 0)
        start = 0;
    if (static_cast<size_t>(start) > m_s.size())
        return -1;
    const size_t p = m_s.find(sub, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char ch) const
{
    const size_t p = m_s.rfind(ch);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const char* set) const
{
    const size_t p = m_s.find_first_of(set ? set : "");
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Replace(char oldCh, char newCh)
{
    int n = 0;
    for (char& c : m_s)
        if (c == oldCh) {
            c = newCh;
            ++n;
        }
    return n;
}

int CString::Replace(const char* oldText, const char* newText)
{
    if (!oldText || !*oldText)
        return 0;
    const std::string from(oldText);
    const std::string to(newText ? newText : "");
    int n = 0;
    std::string out;
    size_t pos = 0;
    for (;;) {
        const size_t hit = m_s.find(from, pos);
        if (hit == std::string::npos)
            break;
        out.append(m_s, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++n;
    }
    if (n) {
        out.append(m_s, pos, std::string::npos);
        m_s.swap(out);
    }
    return n;
}

int CString::Remove(char ch)
{
    const size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, char ch)
{
    m_s.insert(Clamp(index, m_s.size()), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* s)
{
    if (s)
        m_s.insert(Clamp(index, m_s.size()), s);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index < 0)
        index = 0;
    if (count > 0 && static_cast<size_t>(index) < m_s.size())
        m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_s.size() && IsSpace(static_cast<unsigned char>(m_s[i])))
        ++i;
    m_s.erase(0, i);
    return *this;
}

CString& CString::TrimRight()
{
    size_t n = m_s.size();
    while (n > 0 && IsSpace(static_cast<unsigned char>(m_s[n - 1])))
        --n;
    m_s.resize(n);
    return *this;
}

CString& CString::TrimLeft(char ch)
{
    const char set[2] = {ch, 0};
    if (!ch) {
        size_t i = 0;
        while (i < m_s.size() && m_s[i] == 0)
            ++i;
        m_s.erase(0, i);
        return *this;
    }
    return TrimLeft(set);
}

CString& CString::TrimRight(char ch)
{
    if (!ch) {
        while (!m_s.empty() && m_s.back() == 0)
            m_s.pop_back();
        return *this;
    }
    const char set[2] = {ch, 0};
    return TrimRight(set);
}

CString& CString::TrimLeft(const char* set)
{
    const size_t p = m_s.find_first_not_of(set ? set : "");
    m_s.erase(0, p == std::string::npos ? m_s.size() : p);
    return *this;
}

CString& CString::TrimRight(const char* set)
{
    const size_t p = m_s.find_last_not_of(set ? set : "");
    m_s.resize(p == std::string::npos ? 0 : p + 1);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const char* set) { return TrimRight(set).TrimLeft(set); }

CString& CString::MakeUpper()
{
    for (char& c : m_s)
        c = static_cast<char>(ToUpper1252(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : m_s)
        c = static_cast<char>(ToLower1252(static_cast<unsigned char>(c)));
    return *this;
}

void CString::Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    m_s = vx::FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    m_s += vx::FormatV(fmt, args);
    va_end(args);
}

CString CString::Formatted(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    CString s(vx::FormatV(fmt, args));
    va_end(args);
    return s;
}

bool CString::LoadString(UINT id)
{
    m_s.clear();
    return g_lookup && g_lookup(id, *this);
}
