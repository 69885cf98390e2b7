#include "pages/ParameterFile.h"

#include "app/Environment.h"
#include "platform/File.h"
#include "platform/SafeFile.h"

#include <cerrno>

#include <vector>

namespace {

const char* const kLineEnd = "\r\n";

CString Line(std::initializer_list<CString> cells)
{
    CString line;
    for (const CString& c : cells) {
        line += c;
        line += ';';
    }
    line += kLineEnd;
    return line;
}

CString Dashes() { return Line({CString('-', 70)}); }

CString FactoryLine(const char* key, const char* title, const CString& second, const CString& first)
{
    return Line({key, title, " ", " ", " ", second, first});
}

} // namespace

CString ParameterTableFileText(const ParameterFileTitles& titles, const ParameterRowTexts rows[kParameterRows],
                               const CString wordTexts[kFactoryWordCount])
{
    CString text = Line({"#", titles.name, titles.nominal, titles.unit, titles.type, "0 %", "100 %"});
    text += Dashes();
    for (int r = 0; r < kParameterRows; ++r) {
        CString number;
        number.Format("%d", r + 1);
        const ParameterRowTexts& row = rows[r];
        text += Line({number, row.name, row.nominal, row.unit, row.type, row.p0, row.p100});
    }
    text += Dashes();
    text += FactoryLine("a", "Werkskalibrierung PASSIV", wordTexts[kPassivSecond], wordTexts[kPassivFirst]);
    text += FactoryLine("b", "Werkskalibrierung  AKTIV", wordTexts[kAktivSecond], wordTexts[kAktivFirst]);
    text += FactoryLine("c", "Werkskalibrierung  STROM", wordTexts[kStromSecond], wordTexts[kStromFirst]);
    text += "[EOF]";
    text += kLineEnd;
    return text;
}

bool WriteParameterTableFile(const char* path, const CString& text, CString* error)
{
    // The whole file is replaced (what a longer earlier file held after
    // "[EOF]" must not stay), and only once the new one is complete.
    return vx::WriteFileSafely(path, text, error);
}

void SetParameterRowCell(const CString& cell, int column, ParameterRowTexts& row)
{
    switch (column) {
    case 2: row.name = cell; break;
    case 3: row.nominal = cell; break;
    case 4: row.unit = cell; break;
    case 5: row.type = cell; break;
    case 6: row.p0 = cell; break;
    case 7: row.p100 = cell; break;
    default: break;
    }
}

void ReadParameterTableFile(FILE* file, ParameterRowTexts rows[kParameterRows])
{
    CEnvironment env;
    int line = 0, column = 0;
    CString cell;
    bool reset = true;
    while (env.GetCsvCell(file, line, column, cell, reset)) {
        reset = false;
        if (cell.Find("[EOF]") >= 0)
            break;
        // Only the line number places a cell; the header is not examined.
        if (line >= 3 && line < 3 + kParameterRows)
            SetParameterRowCell(cell, column, rows[line - 3]);
    }
}

ParameterFileRead ReadParameterTableFile(const char* path, ParameterRowTexts rows[kParameterRows], CString* error)
{
    std::vector<BYTE> bytes;
    int err = 0;
    switch (vx::ReadRegularFile(path, bytes, kParameterTableFileLimit, nullptr, &err)) {
    case vx::FileReadResult::Ok: break;
    case vx::FileReadResult::TooLarge: return ParameterFileRead::TooLarge;
    default:
        // A device or a pipe has no error number, only its kind.
        if (error)
            *error = CFileException(err ? CFileException::CauseFromErrno(err) : CFileException::notRegularFile, err,
                                    CString(path ? path : ""))
                         .GetErrorMessage();
        return ParameterFileRead::Failed;
    }
    // The cell reader takes a stream; the bytes are all in memory already,
    // so a failed read cannot leave half a table.
    static char empty = 0;
    FILE* file = bytes.empty() ? fmemopen(&empty, 0, "rb") : fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file) {
        if (error)
            *error = CFileException(CFileException::CauseFromErrno(errno), errno, CString(path ? path : ""))
                         .GetErrorMessage();
        return ParameterFileRead::Failed;
    }
    ReadParameterTableFile(file, rows);
    std::fclose(file);
    return ParameterFileRead::Ok;
}
