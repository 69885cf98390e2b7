#include "chart/DataFile.h"

#include "platform/File.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

const char* const kErrorTexts[] = {
    "ERROR 0000: UNKNOWN ERROR",
    "ERROR 0001: An unknown error occurred in GetString()!",
    "ERROR 0002: An unknown error occurred in GetData()!",
    "ERROR 0003: GetString() was called while the dwReadFlags was not READ_AS_STRING.",
    "ERROR 0004: GetData() was called while the dwReadFlags was not RF_READ_AS_DOUBLE.",
    "ERROR 0005: Variable name not found!",
    "ERROR 0006: Filename name not found!",
    "ERROR 0007: File not found!",
    "ERROR 0008: The Number of Headers is different than the Number of Data Columns!",
    "ERROR 0009: File too large!",
    "ERROR 0010: Not a regular file!",
};

// Room reserved up front is only a hint; a header of thousands of names
// must not reserve gigabytes.
constexpr size_t kReserveCap = 1024;

// Lines of a text in order, without their line feed and the CRs before it
// (files from other systems end their lines with CR LF). The end of the text
// ends the last line; a text ending in a line feed has no empty line after it.
class Lines {
public:
    explicit Lines(std::string_view text) : m_text(text) {}
    bool Next(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return true;
    }
    // The next line that is not empty.
    bool NextSample(std::string_view& line)
    {
        while (Next(line))
            if (!line.empty())
                return true;
        return false;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

size_t CountFields(std::string_view line, char delimiter)
{
    return 1 + static_cast<size_t>(std::count(line.begin(), line.end(), delimiter));
}

// count fields of a line: the first count - 1 end at a delimiter, the last
// takes the rest of the line, and fields past the line's end are empty.
template <class F>
void SplitFields(std::string_view line, char delimiter, size_t count, F&& take)
{
    size_t pos = 0;
    for (size_t k = 0; k < count; ++k) {
        if (pos > line.size()) {
            take(k, std::string_view());
            continue;
        }
        size_t end = k + 1 < count ? line.find(delimiter, pos) : std::string_view::npos;
        if (end == std::string_view::npos)
            end = line.size();
        take(k, line.substr(pos, end - pos));
        pos = end + 1;
    }
}

double LeadingNumber(std::string_view field)
{
    return vx::StrToDouble(std::string(field).c_str());
}

void AppendNumber(std::string& out, double value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

}  // namespace

const char* CDelimitedDataFile::ErrorText(int code)
{
    return (code >= 0 && code <= 10) ? kErrorTexts[code] : kErrorTexts[0];
}

template <class R, class F>
R CDelimitedDataFile::Guard(int unknownCode, R failure, F&& work)
{
    try {
        return work();
    } catch (const std::exception& e) {
        m_lastError = e.what();
    } catch (...) {
        Fail(unknownCode);
    }
    return failure;
}

CDelimitedDataFile::Variable* CDelimitedDataFile::Find(int variable, int code)
{
    if (variable < 0 || variable >= GetNumberOfVariables()) {
        Fail(code);
        return nullptr;
    }
    return &m_vars[static_cast<size_t>(variable)];
}

CDelimitedDataFile::CDelimitedDataFile() : m_delimiter(",") {}

CDelimitedDataFile::CDelimitedDataFile(DWORD flags) : m_delimiter(","), m_dwReadFlags(flags) {}

CDelimitedDataFile::CDelimitedDataFile(const char* fileName, DWORD flags) : m_delimiter(",")
{
    ReadFile(fileName, flags);
}

CDelimitedDataFile::CDelimitedDataFile(const Rect& rect) : m_delimiter(",")
{
    Guard(0, false, [&] {
        const CDelimitedDataFile* src = rect.table;
        if (!src) {
            Fail(0);
            return false;
        }
        m_dwReadFlags = src->m_dwReadFlags;
        const int v0 = std::min(rect.firstVariable, rect.lastVariable);
        const int v1 = std::max(rect.firstVariable, rect.lastVariable);
        const int s0 = std::min(rect.firstSample, rect.lastSample);
        const int s1 = std::max(rect.firstSample, rect.lastSample);
        if (v0 < 0 || v1 >= src->GetNumberOfVariables() || s0 < 0) {
            Fail(0);
            return false;
        }
        auto slice = [&](const auto& column) {
            const size_t from = std::min(static_cast<size_t>(s0), column.size());
            const size_t to = std::min(static_cast<size_t>(s1) + 1, column.size());
            return std::decay_t<decltype(column)>(column.begin() + static_cast<std::ptrdiff_t>(from),
                                                  column.begin() + static_cast<std::ptrdiff_t>(to));
        };
        for (int v = v0; v <= v1; ++v) {
            const Variable& from = src->m_vars[static_cast<size_t>(v)];
            m_vars.push_back(Variable{from.name, from.file, slice(from.numbers), slice(from.texts)});
        }
        return true;
    });
}

CDelimitedDataFile::Rect CDelimitedDataFile::Select(int firstVariable, int firstSample, int lastVariable,
                                                    int lastSample) const
{
    return Rect{firstVariable, lastVariable, firstSample, lastSample, this};
}

CDelimitedDataFile CDelimitedDataFile::FromVariable(const CString& name, const std::vector<double>& values)
{
    CDelimitedDataFile t(RF_READ_AS_DOUBLE);
    t.AddVariable(name, values);
    return t;
}

CDelimitedDataFile CDelimitedDataFile::FromVariable(const CString& name, const std::vector<CString>& values)
{
    CDelimitedDataFile t(READ_AS_STRING);
    t.AddVariable(name, values);
    return t;
}

void CDelimitedDataFile::Append(const CDelimitedDataFile& other)
{
    Guard(0, false, [&] {
        // A copy first: appending a table to itself must not read what it adds.
        const std::vector<Variable> add = other.m_vars;
        m_vars.insert(m_vars.end(), add.begin(), add.end());
        return true;
    });
}

CDelimitedDataFile CDelimitedDataFile::operator+(const CDelimitedDataFile& other) const
{
    CDelimitedDataFile sum(*this);
    sum.Append(other);
    return sum;
}

void CDelimitedDataFile::Clear()
{
    m_vars.clear();
    m_lastError.Empty();
}

// ---- files -------------------------------------------------------------------

bool CDelimitedDataFile::ReadFile(const char* fileName, DWORD flags)
{
    return Guard(0, false, [&] {
        m_fileName = fileName ? fileName : "";
        m_dwReadFlags = flags;
        std::vector<BYTE> data;
        std::uint64_t size = 0;
        switch (vx::ReadRegularFile(fileName, data, kMaxFileBytes, &size)) {
        case vx::FileReadResult::Ok: break;
        case vx::FileReadResult::TooLarge:
            m_lastError = CString(ErrorText(9)) + "\nDetails: " + m_fileName +
                          vx::Format(": %llu bytes, at most %llu", static_cast<unsigned long long>(size),
                                     static_cast<unsigned long long>(kMaxFileBytes))
                              .c_str();
            return false;
        case vx::FileReadResult::ReadFailed: m_lastError = CString(ErrorText(0)) + "\nDetails: " + m_fileName; return false;
        // A folder, a device or a pipe: not opened, so nothing waits for a
        // pipe's other end.
        case vx::FileReadResult::NotAFile: m_lastError = CString(ErrorText(10)) + "\nDetails: " + m_fileName; return false;
        default: m_lastError = CString(ErrorText(7)) + "\nDetails: " + m_fileName; return false;
        }
        return Parse(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), flags, m_fileName);
    });
}

bool CDelimitedDataFile::ReadText(std::string_view text, DWORD flags, const CString& source)
{
    return Guard(0, false, [&] {
        m_fileName = source;
        return Parse(text, flags, source);
    });
}

bool CDelimitedDataFile::Parse(std::string_view text, DWORD flags, const CString& source)
{
    m_dwReadFlags = flags;
    if (!(flags & RF_APPEND_DATA))
        Clear();
    const char delimiter = m_delimiter.IsEmpty() ? ',' : m_delimiter[0];

    Lines lines(text);
    std::string_view header;
    lines.Next(header); // an empty text is one empty name
    const size_t count = CountFields(header, delimiter);
    std::string_view line;
    Lines samples = lines;
    const bool any = samples.NextSample(line);
    if (any && CountFields(line, delimiter) != count) {
        Fail(8);
        return false;
    }

    const size_t first = m_vars.size();
    const size_t reserve = std::min<size_t>({m_nReserve, kReserveCap,
                                             static_cast<size_t>(std::count(text.begin(), text.end(), '\n'))});
    const bool texts = IsTexts();
    SplitFields(header, delimiter, count, [&](size_t, std::string_view name) {
        Variable v{CString(name), source, {}, {}};
        if (texts)
            v.texts.reserve(reserve);
        else
            v.numbers.reserve(reserve);
        m_vars.push_back(std::move(v));
    });
    while (lines.NextSample(line)) {
        SplitFields(line, delimiter, count, [&](size_t k, std::string_view field) {
            Variable& v = m_vars[first + k];
            if (texts)
                v.texts.emplace_back(field);
            else
                v.numbers.push_back(LeadingNumber(field));
        });
    }
    return true;
}

std::string CDelimitedDataFile::Compose(const Rect& rect, const CString& delimiter)
{
    // rect is ordered and its variables exist; rows past every selected
    // column are not written, and a shorter column leaves its field empty.
    const CDelimitedDataFile& t = *rect.table;
    const int v0 = rect.firstVariable, v1 = rect.lastVariable;
    const bool texts = t.IsTexts();
    int rows = 0;
    for (int v = v0; v <= v1; ++v)
        rows = std::max(rows, t.GetNumberOfSamples(v));
    const int s1 = std::min(rect.lastSample, rows - 1);

    const std::string& between = delimiter.str();
    std::string out;
    for (int v = v0; v <= v1; ++v) {
        out += t.m_vars[static_cast<size_t>(v)].name.str();
        out += v < v1 ? between : "\n";
    }
    for (int s = rect.firstSample; s <= s1; ++s) {
        const size_t k = static_cast<size_t>(s);
        for (int v = v0; v <= v1; ++v) {
            const Variable& var = t.m_vars[static_cast<size_t>(v)];
            if (!texts && k < var.numbers.size())
                AppendNumber(out, var.numbers[k]);
            else if (texts && k < var.texts.size())
                out += var.texts[k].str();
            out += v < v1 ? between : "\n";
        }
    }
    return out;
}

bool CDelimitedDataFile::Save(const char* fileName, const std::string& text)
{
    // An older file of that name stays whole when the new one cannot be
    // written, and the cause is named.
    CString error;
    if (!vx::WriteFileSafely(fileName, text.data(), text.size(), &error)) {
        m_lastError = error;
        return false;
    }
    return true;
}

std::string CDelimitedDataFile::WriteText(const CString& delimiter)
{
    m_delimiter = delimiter;
    if (m_vars.empty())
        return std::string();
    return Compose(Rect{0, GetNumberOfVariables() - 1, 0, std::numeric_limits<int>::max(), this}, m_delimiter);
}

bool CDelimitedDataFile::WriteFile(const char* fileName, const CString& delimiter)
{
    return Guard(0, false, [&] { return Save(fileName, WriteText(delimiter)); });
}

bool CDelimitedDataFile::WriteFile(const Rect& rect, const char* fileName, const CString& delimiter)
{
    return Guard(0, false, [&] {
        m_delimiter = delimiter;
        const Rect r{std::min(rect.firstVariable, rect.lastVariable), std::max(rect.firstVariable, rect.lastVariable),
                     std::min(rect.firstSample, rect.lastSample), std::max(rect.firstSample, rect.lastSample),
                     rect.table};
        if (!r.table || r.firstVariable < 0 || r.lastVariable >= r.table->GetNumberOfVariables() ||
            r.firstSample < 0) {
            Fail(0);
            return false;
        }
        return Save(fileName, Compose(r, m_delimiter));
    });
}

// ---- cells and columns ---------------------------------------------------------
// An index outside the table fails with the operation's own error text.

double CDelimitedDataFile::GetData(int variable, int sample)
{
    return Guard(2, kMissingValue, [&] {
        if (!IsNumbers()) {
            Fail(4);
            return kMissingValue;
        }
        const Variable* v = Find(variable, 2);
        if (!v || sample < 0 || static_cast<size_t>(sample) >= v->numbers.size()) {
            Fail(2);
            return kMissingValue;
        }
        return v->numbers[static_cast<size_t>(sample)];
    });
}

double CDelimitedDataFile::GetData(const CString& name, int sample)
{
    const int v = GetVariableIndex(name);
    if (v < 0) {
        Fail(5);
        return kMissingValue;
    }
    return GetData(v, sample);
}

int CDelimitedDataFile::GetString(int variable, int sample, CString& text)
{
    return Guard(1, -1, [&] {
        if (!IsTexts()) {
            Fail(3);
            return -1;
        }
        const Variable* v = Find(variable, 1);
        if (!v || sample < 0 || static_cast<size_t>(sample) >= v->texts.size()) {
            Fail(1);
            return -1;
        }
        text = v->texts[static_cast<size_t>(sample)];
        return text.GetLength();
    });
}

namespace {

// The text with its terminator into the buffer; false when it does not fit.
bool CopyOut(const CString& text, char* buffer, size_t size)
{
    const size_t len = static_cast<size_t>(text.GetLength());
    if (!buffer || len + 1 > size)
        return false;
    std::memcpy(buffer, text.GetString(), len);
    buffer[len] = '\0';
    return true;
}

}  // namespace

int CDelimitedDataFile::GetString(int variable, int sample, char* buffer, size_t size)
{
    CString text;
    const int n = GetString(variable, sample, text);
    if (n < 0)
        return n;
    if (!CopyOut(text, buffer, size)) {
        Fail(1);
        return -1;
    }
    return n;
}

int CDelimitedDataFile::GetString(const CString& name, int sample, CString& text)
{
    const int v = GetVariableIndex(name);
    if (v < 0) {
        Fail(5);
        return -1;
    }
    return GetString(v, sample, text);
}

int CDelimitedDataFile::GetString(const CString& name, int sample, char* buffer, size_t size)
{
    const int v = GetVariableIndex(name);
    if (v < 0) {
        Fail(5);
        return -1;
    }
    return GetString(v, sample, buffer, size);
}

int CDelimitedDataFile::GetVariable(int variable, std::vector<double>& values)
{
    return Guard(2, -1, [&] {
        const Variable* v = Find(variable, 2);
        if (!v)
            return -1;
        values = v->numbers;
        return static_cast<int>(values.size());
    });
}

int CDelimitedDataFile::GetVariable(int variable, std::vector<CString>& values)
{
    return Guard(2, -1, [&] {
        const Variable* v = Find(variable, 2);
        if (!v)
            return -1;
        values = v->texts;
        return static_cast<int>(values.size());
    });
}

int CDelimitedDataFile::GetVariable(const CString& name, std::vector<double>& values)
{
    const int v = GetVariableIndex(name);
    if (v < 0) {
        Fail(5);
        return -1;
    }
    return GetVariable(v, values);
}

int CDelimitedDataFile::GetVariable(const CString& name, std::vector<CString>& values)
{
    const int v = GetVariableIndex(name);
    if (v < 0) {
        Fail(5);
        return -1;
    }
    return GetVariable(v, values);
}

int CDelimitedDataFile::GetVariableName(int variable, CString& name)
{
    return Guard(1, -1, [&] {
        const Variable* v = Find(variable, 1);
        if (!v)
            return -1;
        name = v->name;
        return name.GetLength();
    });
}

int CDelimitedDataFile::GetVariableName(int variable, char* buffer, size_t size)
{
    return Guard(1, -1, [&] {
        const Variable* v = Find(variable, 1);
        if (!v)
            return -1;
        if (!CopyOut(v->name, buffer, size)) {
            Fail(1);
            return -1;
        }
        return v->name.GetLength();
    });
}

int CDelimitedDataFile::GetVariableIndex(const CString& name, int start) const
{
    for (size_t i = static_cast<size_t>(std::max(start, 0)); i < m_vars.size(); ++i)
        if (m_vars[i].name == name)
            return static_cast<int>(i);
    return -1;
}

int CDelimitedDataFile::GetVariableIndex(const CString& name, const CString& fileName, int start)
{
    for (size_t i = 0; i < m_vars.size(); ++i)
        if (m_vars[i].file == fileName)
            return GetVariableIndex(name, static_cast<int>(i + static_cast<size_t>(std::max(start, 0))));
    Fail(6);
    return -1;
}

bool CDelimitedDataFile::SetData(int variable, int sample, double value)
{
    return Guard(0, false, [&] {
        Variable* v = Find(variable, 0);
        if (!v || sample < 0 || static_cast<size_t>(sample) >= v->numbers.size()) {
            Fail(0);
            return false;
        }
        v->numbers[static_cast<size_t>(sample)] = value;
        return true;
    });
}

bool CDelimitedDataFile::SetString(int variable, int sample, const CString& text)
{
    return Guard(0, false, [&] {
        Variable* v = Find(variable, 0);
        if (!v || sample < 0 || static_cast<size_t>(sample) >= v->texts.size()) {
            Fail(0);
            return false;
        }
        v->texts[static_cast<size_t>(sample)] = text;
        return true;
    });
}

bool CDelimitedDataFile::AppendData(int variable, double value)
{
    return AppendData(variable, std::vector<double>{value});
}

bool CDelimitedDataFile::AppendData(int variable, const std::vector<double>& values)
{
    return Guard(0, false, [&] {
        Variable* v = Find(variable, 0);
        if (!v)
            return false;
        const std::vector<double> copy = values; // values may be this very column
        v->numbers.insert(v->numbers.end(), copy.begin(), copy.end());
        return true;
    });
}

bool CDelimitedDataFile::AppendString(int variable, const CString& text)
{
    return AppendString(variable, std::vector<CString>{text});
}

bool CDelimitedDataFile::AppendString(int variable, const std::vector<CString>& texts)
{
    return Guard(0, false, [&] {
        Variable* v = Find(variable, 0);
        if (!v)
            return false;
        const std::vector<CString> copy = texts;
        v->texts.insert(v->texts.end(), copy.begin(), copy.end());
        return true;
    });
}

bool CDelimitedDataFile::AddVariable(const CString& name, const double* values, int count)
{
    return AddVariable(name, (values && count > 0) ? std::vector<double>(values, values + count)
                                                   : std::vector<double>());
}

bool CDelimitedDataFile::AddVariable(const CString& name, const CString* texts, int count)
{
    return AddVariable(name, (texts && count > 0) ? std::vector<CString>(texts, texts + count)
                                                  : std::vector<CString>());
}

bool CDelimitedDataFile::AddVariable(const CString& name, const std::vector<double>& values)
{
    return Guard(0, false, [&] {
        m_vars.push_back(Variable{name, CString(), values, {}});
        return true;
    });
}

bool CDelimitedDataFile::AddVariable(const CString& name, const std::vector<CString>& texts)
{
    return Guard(0, false, [&] {
        m_vars.push_back(Variable{name, CString(), {}, texts});
        return true;
    });
}

bool CDelimitedDataFile::RemoveVariable(int variable)
{
    return Guard(0, false, [&] {
        if (!Find(variable, 0))
            return false;
        m_vars.erase(m_vars.begin() + static_cast<std::ptrdiff_t>(variable));
        return true;
    });
}

int CDelimitedDataFile::GetNumberOfSamples(int variable) const
{
    if (variable < 0 || variable >= GetNumberOfVariables())
        return -1;
    const Variable& v = m_vars[static_cast<size_t>(variable)];
    return static_cast<int>(IsNumbers() ? v.numbers.size() : v.texts.size());
}
