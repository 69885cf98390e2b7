#include "app/DocumentationRecord.h"

DocumentationRecord DocumentationRecord::FromBytes(const CString& bytes)
{
    DocumentationRecord r;
    if (bytes.GetLength() != kBytes)
        return r;
    const unsigned char* b = bytes.bytes();
    for (size_t i = 0; i < r.values.size(); ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>(b[4 * i]) | (static_cast<std::uint32_t>(b[4 * i + 1]) << 8)
            | (static_cast<std::uint32_t>(b[4 * i + 2]) << 16) | (static_cast<std::uint32_t>(b[4 * i + 3]) << 24);
        r.values[i] = static_cast<std::int32_t>(v);
    }
    return r;
}

CString DocumentationRecord::ToBytes() const
{
    std::string out;
    for (std::int32_t v : values) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int k = 0; k < 4; ++k)
            out += static_cast<char>((u >> (8 * k)) & 0xFF);
    }
    return CString(std::move(out));
}

CString DocumentationRecord::LineEnd() const
{
    switch (values[0]) {
    case 1: return CString("\n\r");
    case 2: return CString("\r");
    case 3: return CString("\n");
    default: return CString("\r\n");
    }
}

char DocumentationRecord::ColumnSeparatorChar() const
{
    switch (values[1]) {
    case 0: return '\t';
    case 1: return ';';
    case 2: return ',';
    case 3: return '.';
    case 4: return ' ';
    default: return '$';
    }
}

char DocumentationRecord::DecimalSeparatorChar() const
{
    const char chosen = ChosenDecimalChar();
    if (chosen != ColumnSeparatorChar())
        return chosen;
    return chosen == ',' ? '.' : ',';
}
