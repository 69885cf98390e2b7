#include "app/Environment.h"

bool CEnvironment::ReadLine(FILE* file, CString& line)
{
    line.Empty();
    if (!file)
        return false;
    bool any = false;
    for (;;) {
        const int c = std::fgetc(file);
        if (c == EOF)
            return any;
        any = true;
        if (c == '\n')
            break;
        line.AppendChar(static_cast<char>(c));
    }
    if (!line.IsEmpty() && line.GetAt(line.GetLength() - 1) == '\r')
        line.Delete(line.GetLength() - 1);
    return true;
}

bool CEnvironment::GetCsvCell(FILE* file, int& line, int& column, CString& cell, bool reset)
{
    cell.Empty();
    if (!file)
        return false;
    if (reset) {
        std::rewind(file);
        m_lineNo = 0;
        m_haveLine = false;
        if (!ReadLine(file, m_line))
            return false;
        m_sep = ';';
        const int p = m_line.FindOneOf(";\t,");
        if (p >= 0)
            m_sep = m_line.GetAt(p);
        m_lineNo = 1;
        m_pos = 0;
        m_column = 0;
        m_haveLine = true;
    }
    if (!m_haveLine)
        return false;

    // A trailing separator gives no empty cell: the line is done.
    if (m_pos >= m_line.GetLength() && m_column > 0) {
        if (!ReadLine(file, m_line)) {
            m_haveLine = false;
            return false;
        }
        ++m_lineNo;
        m_pos = 0;
        m_column = 0;
        if (m_line.IsEmpty() || m_line.Find(m_sep) < 0) {
            m_haveLine = false;
            return false;
        }
    }

    const int end = m_line.Find(m_sep, m_pos);
    if (end < 0) {
        cell = m_line.Mid(m_pos);
        m_pos = m_line.GetLength();
    } else {
        cell = m_line.Mid(m_pos, end - m_pos);
        m_pos = end + 1;
    }
    ++m_column;
    line = m_lineNo;
    column = m_column;
    return true;
}

CString CEnvironment::ReplaceAll(const CString& source, const CString& find, const CString& replacement)
{
    if (source.IsEmpty() || find.IsEmpty())
        return source;
    std::string out;
    const std::string& s = source.str();
    const std::string& f = find.str();
    size_t pos = 0;
    for (;;) {
        const size_t hit = s.find(f, pos);
        if (hit == std::string::npos)
            break;
        out.append(s, pos, hit - pos);
        out += replacement.str();
        pos = hit + f.size();
    }
    out.append(s, pos, std::string::npos);
    // The search resumes behind each replaced occurrence in the source, so
    // a replacement that contains the find text can never loop: "a   b"
    // with "  " -> " " gives "a  b".
    return CString(std::move(out));
}

CString CEnvironment::HexDumpLine(const CString& bytes, int, int, int)
{
    CString out;
    for (int i = 0; i < bytes.GetLength(); ++i) {
        if (i)
            out += ' ';
        out.AppendFormat("%02X", static_cast<unsigned>(static_cast<unsigned char>(bytes.GetAt(i))));
    }
    return out;
}
