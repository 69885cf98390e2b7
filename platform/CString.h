// The program's text type: 8-bit, binary-safe (zero bytes allowed), holding
// Windows-1252 text. Device bytes pass through it untouched; conversion to
// Qt's UTF-16 happens only at the widget boundary (Text1252.h).
#pragma once

#include "Types.h"

#include <compare>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}
    CString(const char* s, int len) : m_s(s ? std::string(s, static_cast<size_t>(len < 0 ? 0 : len)) : std::string()) {}
    CString(const unsigned char* s, int len) : CString(reinterpret_cast<const char*>(s), len) {}
    explicit CString(char ch, int repeat = 1) : m_s(static_cast<size_t>(repeat < 0 ? 0 : repeat), ch) {}
    CString(std::string s) : m_s(std::move(s)) {}
    CString(std::string_view s) : m_s(s) {}

    // Length in bytes, zero bytes included.
    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }

    char GetAt(int i) const;
    void SetAt(int i, char ch);
    char operator[](int i) const { return GetAt(i); }

    // A zero-terminated view; stops at the first embedded zero for C callers.
    operator const char*() const { return m_s.c_str(); }
    const char* GetString() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }
    std::string& str() { return m_s; }
    const unsigned char* bytes() const { return reinterpret_cast<const unsigned char*>(m_s.data()); }

    // Writable buffer of at least minLength bytes; ReleaseBuffer(-1) cuts at
    // the first zero, ReleaseBuffer(n) sets the length to n.
    char* GetBuffer(int minLength = 0);
    void ReleaseBuffer(int newLength = -1);

    CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
    CString& operator=(char ch) { m_s.assign(1, ch); return *this; }
    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
    CString& operator+=(char ch) { m_s += ch; return *this; }
    void Append(const char* s, int len) { if (s && len > 0) m_s.append(s, static_cast<size_t>(len)); }
    void AppendChar(char ch) { m_s += ch; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
    friend CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) { return a.m_s <=> b.m_s; }

    // <0, 0, >0 like strcmp, over all bytes.
    int Compare(const char* s) const;
    int CompareNoCase(const char* s) const;

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // -1 when absent; a start beyond the end finds nothing.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* set) const;

    // Return the number of replacements / removals.
    int Replace(char oldCh, char newCh);
    int Replace(const char* oldText, const char* newText);
    int Remove(char ch);
    // Return the new length.
    int Insert(int index, char ch);
    int Insert(int index, const char* s);
    int Delete(int index, int count = 1);

    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(const char* set);
    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(const char* set);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(const char* set);

    // ASCII and the Latin-1 letters of code page 1252.
    CString& MakeUpper();
    CString& MakeLower();

    // printf-style, always with '.' as the decimal mark.
    void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    static CString Formatted(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

    // Loads text number id from the program's string table; false (and the
    // text left empty) when there is none.
    bool LoadString(UINT id);

private:
    std::string m_s;
};

// The string table behind CString::LoadString; the resource library installs
// it at start-up. Returns false when the id has no text.
using StringTableLookup = bool (*)(UINT id, CString& out);
void SetStringTableLookup(StringTableLookup lookup);

// The program's language as the offset of its string ids (0 German, 1000
// English, 2000 French, 3000 Spanish), for the messages of libraries that
// know no language of their own (the port library, the chart's pages). The
// program sets it at start-up and at every language switch.
void SetProgramLanguageOffset(int offset);
int GetProgramLanguageOffset();
// Text germanId + that offset from the string table; the (English) fallback
// where the table has none, as for a library used without the program.
CString LoadProgramText(UINT germanId, const char* fallback);
