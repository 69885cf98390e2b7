#include "pages/ParameterFile.h"

#include "app/Environment.h"
#include "platform/File.h"
#include "platform/SafeFile.h"

#include <cerrno>

#include <sys/stat.h>

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
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    int err = file ? 0 : (path ? errno : ENOENT);
    if (file) {
        struct stat st {};
        if (fstat(fileno(file), &st) == 0 && !S_ISDIR(st.st_mode)
            && (!S_ISREG(st.st_mode) || st.st_size > kParameterTableFileLimit)) {
            std::fclose(file);
            return ParameterFileRead::TooLarge;
        }
        // Read into a copy: a read error must not leave half a table.
        ParameterRowTexts read[kParameterRows];
        for (int r = 0; r < kParameterRows; ++r)
            read[r] = rows[r];
        errno = 0;
        ReadParameterTableFile(file, read);
        if (std::ferror(file))
            err = errno ? errno : EIO;
        std::fclose(file);
        if (!err)
            for (int r = 0; r < kParameterRows; ++r)
                rows[r] = read[r];
    }
    if (err && error)
        *error = CFileException(CFileException::CauseFromErrno(err), err, CString(path ? path : "")).GetErrorMessage();
    return err == 0 ? ParameterFileRead::Ok : ParameterFileRead::Failed;
}
