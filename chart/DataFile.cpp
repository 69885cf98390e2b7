#include "chart/DataFile.h"

#include "platform/Numbers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

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
};

// Room reserved up front is only a hint; a header of thousands of names
// must not reserve gigabytes.
constexpr size_t kReserveCap = 1024;

// A field read from a byte buffer: up to stop (consumed) or the end.
struct FieldReader {
    const std::string& data;
    size_t pos = 0;

    bool AtEnd() const { return pos >= data.size(); }
    CString Read(char stop)
    {
        const size_t end = std::min(data.find(stop, pos), data.size());
        const size_t len = std::min<size_t>(end - pos, CDelimitedDataFile::kMaxFieldLength);
        CString field(data.data() + pos, static_cast<int>(len));
        pos = end < data.size() ? end + 1 : end;
        return field;
    }
};

// Fields of the line starting at pos: 1 + delimiters before its line feed.
size_t CountFields(const std::string& data, size_t& pos, char delimiter)
{
    size_t count = 1;
    while (pos < data.size() && data[pos] != '\n') {
        if (data[pos] == delimiter)
            ++count;
        ++pos;
    }
    if (pos < data.size())
        ++pos;
    return count;
}

}  // namespace

const char* CDelimitedDataFile::ErrorText(int code)
{
    return (code >= 0 && code <= 8) ? kErrorTexts[code] : kErrorTexts[0];
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
        if (!src)
            throw std::invalid_argument("no table");
        m_dwReadFlags = src->m_dwReadFlags;
        const int v0 = std::min(rect.firstVariable, rect.lastVariable);
        const int v1 = std::max(rect.firstVariable, rect.lastVariable);
        const int s0 = std::min(rect.firstSample, rect.lastSample);
        const int s1 = std::max(rect.firstSample, rect.lastSample);
        if (v0 < 0 || s0 < 0)
            throw std::out_of_range("rectangle outside the table");
        auto slice = [&](const auto& column) {
            std::decay_t<decltype(column)> out;
            for (int s = s0; s <= s1 && static_cast<size_t>(s) < column.size(); ++s)
                out.push_back(column[static_cast<size_t>(s)]);
            return out;
        };
        for (int v = v0; v <= v1; ++v) {
            const size_t i = static_cast<size_t>(v);
            m_names.push_back(src->m_names.at(i));
            m_files.push_back(src->m_files.at(i));
            m_numbers.push_back(slice(src->m_numbers.at(i)));
            m_texts.push_back(slice(src->m_texts.at(i)));
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
        // Copies first: appending a table to itself must not read what it adds.
        const CDelimitedDataFile src = other;
        m_names.insert(m_names.end(), src.m_names.begin(), src.m_names.end());
        m_files.insert(m_files.end(), src.m_files.begin(), src.m_files.end());
        m_numbers.insert(m_numbers.end(), src.m_numbers.begin(), src.m_numbers.end());
        m_texts.insert(m_texts.end(), src.m_texts.begin(), src.m_texts.end());
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
    m_names.clear();
    m_files.clear();
    m_numbers.clear();
    m_texts.clear();
    m_lastError.Empty();
}

void CDelimitedDataFile::PushVariable(const CString& name, const CString& file)
{
    m_names.push_back(name);
    m_files.push_back(file);
    m_numbers.emplace_back();
    m_texts.emplace_back();
    const size_t reserve = std::min<size_t>(m_nReserve, kReserveCap);
    if (IsNumbers())
        m_numbers.back().reserve(reserve);
    if (IsTexts())
        m_texts.back().reserve(reserve);
}

// ---- files -------------------------------------------------------------------

bool CDelimitedDataFile::ReadFile(const char* fileName, DWORD flags)
{
    return Guard(0, false, [&] { return ReadFileImpl(fileName, flags); });
}

bool CDelimitedDataFile::ReadFileImpl(const char* fileName, DWORD flags)
{
    m_fileName = fileName ? fileName : "";
    m_dwReadFlags = flags;
    std::ifstream in(m_fileName.GetString(), std::ios::binary);
    if (!fileName || !in) {
        m_lastError = CString(ErrorText(7)) + "\nDetails: " + m_fileName;
        return false;
    }
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!(flags & RF_APPEND_DATA))
        Clear();

    const char delimiter = m_delimiter.IsEmpty() ? ',' : m_delimiter[0];
    size_t pos = 0;
    const size_t headerFields = CountFields(data, pos, delimiter);
    const size_t dataFields = CountFields(data, pos, delimiter);
    if (headerFields != dataFields)
        throw std::runtime_error(ErrorText(8));

    FieldReader reader{data};
    const size_t first = m_names.size();
    for (size_t k = 0; k < headerFields; ++k) {
        const CString name = reader.Read(k + 1 < headerFields ? delimiter : '\n');
        PushVariable(name, m_fileName);
    }
    // A final line feed ends the last sample; it does not start an empty one.
    while (!reader.AtEnd()) {
        for (size_t k = 0; k < headerFields; ++k) {
            const CString field = reader.Read(k + 1 < headerFields ? delimiter : '\n');
            if (!field.IsEmpty() && field[0] == '\n')
                continue;
            if (IsNumbers())
                m_numbers[first + k].push_back(vx::StrToDouble(field.GetString()));
            if (IsTexts())
                m_texts[first + k].push_back(field);
        }
    }
    if (!m_names.empty()) {
        // Files from other systems end their lines with CR LF.
        CString& last = m_names.back();
        if (!last.IsEmpty() && (last.Find('\n') >= 0 || last[last.GetLength() - 1] == '\r'))
            last = last.Left(last.GetLength() - 1);
    }
    return true;
}

void CDelimitedDataFile::WriteTo(const char* fileName, const Rect& rect) const
{
    // Rows s0..s1; none when s1 < s0 (a table without samples).
    const CDelimitedDataFile& t = *rect.table;
    const int v0 = rect.firstVariable, v1 = rect.lastVariable;
    const int s0 = rect.firstSample, s1 = rect.lastSample;
    if (v0 < 0 || v1 >= t.GetNumberOfVariables() || s0 < 0)
        throw std::out_of_range("rectangle outside the table");
    std::string out;
    for (int v = v0; v <= v1; ++v) {
        out += t.m_names[static_cast<size_t>(v)].GetString();
        out += v < v1 ? m_delimiter.GetString() : "\n";
    }
    const bool numbers = (t.m_dwReadFlags & RF_READ_AS_DOUBLE) != 0;
    for (int s = s0; s <= s1; ++s) {
        for (int v = v0; v <= v1; ++v) {
            const size_t i = static_cast<size_t>(v), k = static_cast<size_t>(s);
            // A column shorter than the longest leaves its field empty.
            if (numbers) {
                if (k < t.m_numbers[i].size())
                    out += vx::Format("%g", t.m_numbers[i][k]);
            } else if (k < t.m_texts[i].size()) {
                out += t.m_texts[i][k].GetString();
            }
            out += v < v1 ? m_delimiter.GetString() : "\n";
        }
    }
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file)
        throw std::runtime_error(std::string("cannot create ") + fileName);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    file.close();
    if (!file)
        throw std::runtime_error(std::string("cannot write ") + fileName);
}

bool CDelimitedDataFile::WriteFile(const char* fileName, const CString& delimiter)
{
    return Guard(0, false, [&] {
        m_delimiter = delimiter;
        if (!fileName)
            throw std::invalid_argument("no file name");
        int longest = 0;
        for (int v = 0; v < GetNumberOfVariables(); ++v)
            longest = std::max(longest, GetNumberOfSamples(v));
        if (m_names.empty()) {
            std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
            if (!file)
                throw std::runtime_error(std::string("cannot create ") + fileName);
            return true;
        }
        WriteTo(fileName, Rect{0, GetNumberOfVariables() - 1, 0, longest - 1, this});
        return true;
    });
}

bool CDelimitedDataFile::WriteFile(const Rect& rect, const char* fileName, const CString& delimiter)
{
    return Guard(0, false, [&] {
        m_delimiter = delimiter;
        if (!fileName || !rect.table)
            throw std::invalid_argument("no file name or table");
        WriteTo(fileName, Rect{std::min(rect.firstVariable, rect.lastVariable),
                               std::max(rect.firstVariable, rect.lastVariable),
                               std::min(rect.firstSample, rect.lastSample),
                               std::max(rect.firstSample, rect.lastSample), rect.table});
        return true;
    });
}

// ---- cells and columns ---------------------------------------------------------

double CDelimitedDataFile::GetData(int variable, int sample)
{
    return Guard(2, kMissingValue, [&] {
        if (!IsNumbers()) {
            Fail(4);
            return kMissingValue;
        }
        return m_numbers.at(static_cast<size_t>(variable)).at(static_cast<size_t>(sample));
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
        text = m_texts.at(static_cast<size_t>(variable)).at(static_cast<size_t>(sample));
        return text.GetLength();
    });
}

namespace {

int CopyOut(const CString& text, char* buffer, size_t size)
{
    const size_t len = static_cast<size_t>(text.GetLength());
    if (!buffer || len + 1 > size)
        throw std::length_error("buffer too small");
    std::memcpy(buffer, text.GetString(), len + 1);
    return static_cast<int>(len);
}

}  // namespace

int CDelimitedDataFile::GetString(int variable, int sample, char* buffer, size_t size)
{
    CString text;
    const int n = GetString(variable, sample, text);
    if (n < 0)
        return n;
    return Guard(1, -1, [&] { return CopyOut(text, buffer, size); });
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
        values = m_numbers.at(static_cast<size_t>(variable));
        return static_cast<int>(values.size());
    });
}

int CDelimitedDataFile::GetVariable(int variable, std::vector<CString>& values)
{
    return Guard(2, -1, [&] {
        values = m_texts.at(static_cast<size_t>(variable));
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
        name = m_names.at(static_cast<size_t>(variable));
        return name.GetLength();
    });
}

int CDelimitedDataFile::GetVariableName(int variable, char* buffer, size_t size)
{
    return Guard(1, -1, [&] { return CopyOut(m_names.at(static_cast<size_t>(variable)), buffer, size); });
}

int CDelimitedDataFile::GetVariableIndex(const CString& name, int start) const
{
    for (size_t i = static_cast<size_t>(std::max(start, 0)); i < m_names.size(); ++i)
        if (m_names[i] == name)
            return static_cast<int>(i);
    return -1;
}

int CDelimitedDataFile::GetVariableIndex(const CString& name, const CString& fileName, int start)
{
    for (size_t i = 0; i < m_files.size(); ++i)
        if (m_files[i] == fileName)
            return GetVariableIndex(name, static_cast<int>(i + static_cast<size_t>(std::max(start, 0))));
    Fail(6);
    return -1;
}

bool CDelimitedDataFile::SetData(int variable, int sample, double value)
{
    return Guard(0, false, [&] {
        m_numbers.at(static_cast<size_t>(variable)).at(static_cast<size_t>(sample)) = value;
        return true;
    });
}

bool CDelimitedDataFile::SetString(int variable, int sample, const CString& text)
{
    return Guard(0, false, [&] {
        m_texts.at(static_cast<size_t>(variable)).at(static_cast<size_t>(sample)) = text;
        return true;
    });
}

bool CDelimitedDataFile::AppendData(int variable, double value)
{
    return Guard(0, false, [&] {
        m_numbers.at(static_cast<size_t>(variable)).push_back(value);
        return true;
    });
}

bool CDelimitedDataFile::AppendData(int variable, const std::vector<double>& values)
{
    return Guard(0, false, [&] {
        auto& column = m_numbers.at(static_cast<size_t>(variable));
        const std::vector<double> copy = values;
        column.insert(column.end(), copy.begin(), copy.end());
        return true;
    });
}

bool CDelimitedDataFile::AppendString(int variable, const CString& text)
{
    return Guard(0, false, [&] {
        m_texts.at(static_cast<size_t>(variable)).push_back(text);
        return true;
    });
}

bool CDelimitedDataFile::AppendString(int variable, const std::vector<CString>& texts)
{
    return Guard(0, false, [&] {
        auto& column = m_texts.at(static_cast<size_t>(variable));
        const std::vector<CString> copy = texts;
        column.insert(column.end(), copy.begin(), copy.end());
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
        m_names.push_back(name);
        m_files.emplace_back();
        m_numbers.push_back(values);
        m_texts.emplace_back();
        return true;
    });
}

bool CDelimitedDataFile::AddVariable(const CString& name, const std::vector<CString>& texts)
{
    return Guard(0, false, [&] {
        m_names.push_back(name);
        m_files.emplace_back();
        m_numbers.emplace_back();
        m_texts.push_back(texts);
        return true;
    });
}

bool CDelimitedDataFile::RemoveVariable(int variable)
{
    return Guard(0, false, [&] {
        if (variable < 0 || variable >= GetNumberOfVariables())
            throw std::out_of_range("no such variable");
        const auto at = static_cast<std::ptrdiff_t>(variable);
        m_names.erase(m_names.begin() + at);
        m_files.erase(m_files.begin() + at);
        m_numbers.erase(m_numbers.begin() + at);
        m_texts.erase(m_texts.begin() + at);
        return true;
    });
}

int CDelimitedDataFile::GetNumberOfSamples(int variable) const
{
    if (variable < 0 || variable >= GetNumberOfVariables())
        return -1;
    const size_t i = static_cast<size_t>(variable);
    return static_cast<int>(IsNumbers() ? m_numbers[i].size() : m_texts[i].size());
}
