#pragma once

#include "platform/CString.h"

#include <cstdio>

// Text and file helpers shared by the pages. Constructing one has no side
// effects: the telegram code builds one on the stack just for a hex dump.
class CEnvironment {
public:
    CEnvironment() = default;

    // Reads the next separator-delimited cell of an open file. With reset
    // the file is read from the start: line 1 decides the separator (the
    // first of ';', TAB or ',' found in it, else ';') and the counts restart.
    // Lines and columns count from 1. Returns false at the end of the file
    // and when a later line is empty or holds no separator. CRLF and LF
    // lines are both accepted; bytes are kept as they are.
    bool GetCsvCell(FILE* file, int& line, int& column, CString& cell, bool reset);

    // A copy of source with every occurrence of find replaced, the search
    // going on behind each replacement. An empty source or find text gives
    // the source back unchanged; an empty replacement deletes.
    static CString ReplaceAll(const CString& source, const CString& find, const CString& replacement);

    // The bytes as upper-case hex pairs separated by blanks.
    static CString HexDumpLine(const CString& bytes, int, int, int);

private:
    bool ReadLine(FILE* file, CString& line);
    CString m_line;
    int m_pos = 0;
    int m_lineNo = 0;
    int m_column = 0;
    char m_sep = ';';
    bool m_haveLine = false;
};
