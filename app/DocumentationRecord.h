#pragma once

#include "platform/CString.h"

#include <array>
#include <cstdint>

// The CSV export format: six ints stored as one 24-byte little-endian value.
// 0 line end (CRLF, LFCR, CR, LF), 1 column separator (TAB ; , . blank),
// 2 kept, 3 decimal separator ('.', ','), 4 kept, 5 physical-unit column.
struct DocumentationRecord {
    std::array<std::int32_t, 6> values{0, 1, 0, 1, 0, 1};

    static constexpr int kBytes = 24;

    // Anything but exactly 24 bytes leaves the defaults: a damaged value
    // must never be copied past its end.
    static DocumentationRecord FromBytes(const CString& bytes);
    CString ToBytes() const;

    int LineEndIndex() const { return values[0]; }
    int ColumnSeparatorIndex() const { return values[1]; }
    int DecimalSeparatorIndex() const { return values[3]; }
    bool PhysicalUnit() const { return values[5] != 0; }

    // Out-of-range indexes: CRLF, '$' and '.'.
    CString LineEnd() const;
    char ColumnSeparatorChar() const;
    // The decimal separator the files are written with. Where the chosen one
    // is also the column separator (settings stored before the dialog
    // refused that), the other one is used, so no file mixes the two.
    char DecimalSeparatorChar() const;
    // The chosen decimal separator equals the column separator: a file
    // written that way cannot be read back.
    bool SeparatorsClash() const { return ColumnSeparatorChar() == ChosenDecimalChar(); }

private:
    char ChosenDecimalChar() const { return values[3] == 1 ? ',' : '.'; }
};
