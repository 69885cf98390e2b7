// A table of named columns read from and written to a delimited text file:
// one header line of names, then one line per sample. A table holds texts
// when its read flags ask for texts alone, numbers otherwise. No operation
// lets an error escape: each records its text (GetLastError) and returns a
// failure value.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CDelimitedDataFile {
public:
    static constexpr DWORD RF_READ_AS_DOUBLE = 1;
    static constexpr DWORD READ_AS_STRING = 2;
    static constexpr DWORD RF_APPEND_DATA = 4;
    // Returned by the number getters when no value can be given.
    static constexpr double kMissingValue = 1234567890987654400.0;
    // Files beyond this are refused unread (error 9): a table of numbers
    // takes up to four times its file in memory. A day of one curve every
    // 10 ms, as the live chart writes it, is about 170 MB.
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t(256) << 20;

    // Corners in either order; both ends included.
    struct Rect {
        int firstVariable = 0;
        int lastVariable = 0;
        int firstSample = 0;
        int lastSample = 0;
        const CDelimitedDataFile* table = nullptr;
    };

    CDelimitedDataFile();
    explicit CDelimitedDataFile(DWORD flags);
    CDelimitedDataFile(const char* fileName, DWORD flags = RF_READ_AS_DOUBLE);
    explicit CDelimitedDataFile(const Rect& rect);
    CDelimitedDataFile(const CDelimitedDataFile&) = default;
    CDelimitedDataFile& operator=(const CDelimitedDataFile&) = default;
    ~CDelimitedDataFile() = default;

    Rect Select(int firstVariable, int firstSample, int lastVariable, int lastSample) const;
    static CDelimitedDataFile FromVariable(const CString& name, const std::vector<double>& values);
    static CDelimitedDataFile FromVariable(const CString& name, const std::vector<CString>& values);
    void Append(const CDelimitedDataFile& other);
    CDelimitedDataFile operator+(const CDelimitedDataFile& other) const;
    void Clear();

    // Line 1 names the variables; every further line that is not empty is
    // one sample. A line's last field takes the rest of the line, a short
    // line leaves its missing fields empty, and CRs ending a line are not
    // part of it. The first sample line must have as many fields as the
    // names (error 8); a file of names alone has no samples. A file larger
    // than kMaxFileBytes is refused before anything of it is read.
    bool ReadFile(const char* fileName, DWORD flags);
    // The same from text in memory; source becomes the file name.
    bool ReadText(std::string_view text, DWORD flags, const CString& source = CString());
    // Numbers as the shortest text that reads back as the same double. A
    // file that cannot be written leaves an older one whole; the last error
    // then names it and the cause ("path: reason").
    bool WriteFile(const char* fileName, const CString& delimiter);
    // The rectangle's names and samples in the same format.
    bool WriteFile(const Rect& rect, const char* fileName, const CString& delimiter);
    // What WriteFile would write; the delimiter becomes the given text.
    std::string WriteText(const CString& delimiter);

    double GetData(int variable, int sample);
    double GetData(const CString& name, int sample);
    // Length of the text, or -1. The buffer form fails (error 1) when the
    // text and its terminator do not fit in size bytes.
    int GetString(int variable, int sample, CString& text);
    int GetString(int variable, int sample, char* buffer, size_t size);
    int GetString(const CString& name, int sample, CString& text);
    int GetString(const CString& name, int sample, char* buffer, size_t size);
    int GetVariable(int variable, std::vector<double>& values);
    int GetVariable(int variable, std::vector<CString>& values);
    int GetVariable(const CString& name, std::vector<double>& values);
    int GetVariable(const CString& name, std::vector<CString>& values);
    int GetVariableName(int variable, CString& name);
    int GetVariableName(int variable, char* buffer, size_t size);
    int GetVariableIndex(const CString& name, int start = 0) const;
    int GetVariableIndex(const CString& name, const CString& fileName, int start = 0);

    bool SetData(int variable, int sample, double value);
    bool SetString(int variable, int sample, const CString& text);
    bool AppendData(int variable, double value);
    bool AppendData(int variable, const std::vector<double>& values);
    bool AppendString(int variable, const CString& text);
    bool AppendString(int variable, const std::vector<CString>& texts);
    bool AddVariable(const CString& name, const double* values, int count);
    bool AddVariable(const CString& name, const CString* texts, int count);
    bool AddVariable(const CString& name, const std::vector<double>& values);
    bool AddVariable(const CString& name, const std::vector<CString>& texts);
    bool RemoveVariable(int variable);

    int GetNumberOfVariables() const { return static_cast<int>(m_vars.size()); }
    // -1 for a variable that does not exist.
    int GetNumberOfSamples(int variable) const;

    const CString& GetLastError() const { return m_lastError; }
    const CString& GetFileName() const { return m_fileName; }
    const CString& GetDelimiter() const { return m_delimiter; }
    void SetDelimiter(const CString& d) { m_delimiter = d; }
    DWORD GetReadFlags() const { return m_dwReadFlags; }
    void SetReadFlags(DWORD flags) { m_dwReadFlags = flags; }
    // The table's error texts by code (0 to 8).
    static const char* ErrorText(int code);

    CString m_delimiter;
    DWORD m_dwReadFlags = RF_READ_AS_DOUBLE;
    DWORD m_nReserve = 65535;

private:
    // Both columns are kept per variable, whatever the flags, so that a
    // table appended to one of the other kind keeps its values in step.
    struct Variable {
        CString name;
        CString file;
        std::vector<double> numbers;
        std::vector<CString> texts;
    };

    static bool TextsByFlags(DWORD flags)
    {
        return (flags & READ_AS_STRING) != 0 && (flags & RF_READ_AS_DOUBLE) == 0;
    }
    bool IsTexts() const { return TextsByFlags(m_dwReadFlags); }
    bool IsNumbers() const { return !IsTexts(); }
    void Fail(int code) { m_lastError = ErrorText(code); }
    template <class R, class F>
    R Guard(int unknownCode, R failure, F&& work);
    // The variable, or null after recording the error of that code.
    Variable* Find(int variable, int code);
    bool Parse(std::string_view text, DWORD flags, const CString& source);
    static std::string Compose(const Rect& rect, const CString& delimiter);
    bool Save(const char* fileName, const std::string& text);

    CString m_fileName;
    CString m_lastError;
    std::vector<Variable> m_vars;
};
