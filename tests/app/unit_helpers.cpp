#include "app/DateTimeText.h"
#include "app/DocumentationRecord.h"
#include "app/Environment.h"
#include "controls/CAlgebra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

std::tm At(int y, int mo, int d, int h, int mi, int s)
{
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return t;
}

struct FixedNow {
    explicit FixedNow(std::tm t) { CDateTimeText::SetNowSource([t] { return t; }); }
    ~FixedNow() { CDateTimeText::SetNowSource(nullptr); }
};

FILE* FileWith(const std::string& content)
{
    FILE* f = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), f);
    std::rewind(f);
    return f;
}

} // namespace

TEST(DateTimeText, FormatsByLanguageIdYearWidthAndSuffix)
{
    FixedNow now(At(2009, 3, 1, 8, 5, 3));
    CDateTimeText dt(0, 1000, 2000, 3000, 0, true, false);
    EXPECT_EQ(dt.GetDateText() + " " + dt.GetTimeText(), "01.03.09 08:05:03");
    EXPECT_TRUE(dt.SelectDateFormat(1000));
    dt.SetFromNow(false, true);
    EXPECT_EQ(dt.GetDateText(), "03/01/2009");
    EXPECT_EQ(dt.GetTimeText(), "08:05:03 Uhr");
    EXPECT_TRUE(dt.SelectDateFormat(3000));
    EXPECT_EQ(dt.GetDateText(), "01.03.2009");
}

TEST(DateTimeText, RefusedFormatKeepsFormatAndTime)
{
    std::unique_ptr<FixedNow> now = std::make_unique<FixedNow>(At(2000, 12, 31, 23, 59, 58));
    CDateTimeText dt(0, 1000, 2000, 3000, 1000, true, false);
    now = std::make_unique<FixedNow>(At(2001, 1, 1, 0, 0, 0));
    EXPECT_FALSE(dt.SelectDateFormat(500));
    EXPECT_EQ(dt.GetDateText(), "12/31/00");
    EXPECT_EQ(dt.GetTimeText(), "23:59:58");
}

TEST(Environment, ReplaceAllNeverRescansWhatItInserted)
{
    EXPECT_EQ(CEnvironment::ReplaceAll("a   b", "  ", " "), "a  b");
    EXPECT_EQ(CEnvironment::ReplaceAll("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(CEnvironment::ReplaceAll("a", "a", "aa"), "aa");
    EXPECT_EQ(CEnvironment::ReplaceAll("abc", "x", "y"), "abc");
    EXPECT_EQ(CEnvironment::ReplaceAll("abc", "", "y"), "abc");
    EXPECT_EQ(CEnvironment::ReplaceAll("a\x03" "b\x03", "\x03", ""), "ab");
}

TEST(Environment, HexDumpUsesUnsignedBytes)
{
    EXPECT_EQ(CEnvironment::HexDumpLine(CString("\x00\xC4\x7F", 3), 1, 0, 0), "00 C4 7F");
    EXPECT_EQ(CEnvironment::HexDumpLine(CString(), 1, 0, 0), "");
}

TEST(Environment, CsvCellsWalkLinesAndColumns)
{
    FILE* f = FileWith("# Name;Wert\r\n1;abc;\n2;x\r\n\r\n3;never\r\n");
    CEnvironment env;
    int line = 0, col = 0;
    CString cell;
    std::vector<std::string> seen;
    bool ok = env.GetCsvCell(f, line, col, cell, true);
    while (ok) {
        seen.push_back(std::to_string(line) + ":" + std::to_string(col) + "=" + cell.str());
        ok = env.GetCsvCell(f, line, col, cell, false);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1:1=# Name", "1:2=Wert", "2:1=1", "2:2=abc", "3:1=2", "3:2=x"}));
    std::fclose(f);
}

TEST(Environment, CsvSeparatorComesFromTheFirstLine)
{
    FILE* f = FileWith("a\tb,c\nd\te");
    CEnvironment env;
    int line = 0, col = 0;
    CString cell;
    ASSERT_TRUE(env.GetCsvCell(f, line, col, cell, true));
    EXPECT_EQ(cell, "a");
    ASSERT_TRUE(env.GetCsvCell(f, line, col, cell, false));
    EXPECT_EQ(cell, "b,c");
    ASSERT_TRUE(env.GetCsvCell(f, line, col, cell, false));
    EXPECT_EQ(line, 2);
    ASSERT_TRUE(env.GetCsvCell(f, line, col, cell, false));
    EXPECT_EQ(cell, "e");
    EXPECT_FALSE(env.GetCsvCell(f, line, col, cell, false));
    std::fclose(f);

    FILE* empty = FileWith("");
    EXPECT_FALSE(env.GetCsvCell(empty, line, col, cell, true));
    std::fclose(empty);
}

TEST(DocumentationRecord, RoundTripsAndRejectsDamagedValues)
{
    DocumentationRecord r;
    EXPECT_EQ(r.LineEnd(), "\r\n");
    EXPECT_EQ(r.ColumnSeparatorChar(), ';');
    EXPECT_EQ(r.DecimalSeparatorChar(), ',');
    EXPECT_TRUE(r.PhysicalUnit());
    r.values = {3, 0, 7, 0, -2, 0};
    const CString bytes = r.ToBytes();
    ASSERT_EQ(bytes.GetLength(), 24);
    EXPECT_EQ(DocumentationRecord::FromBytes(bytes).values, r.values);
    EXPECT_EQ(DocumentationRecord::FromBytes(bytes.Left(23)).values, DocumentationRecord().values);
    r.values[0] = 9;
    r.values[1] = -1;
    EXPECT_EQ(r.LineEnd(), "\r\n");
    EXPECT_EQ(r.ColumnSeparatorChar(), '$');

    // Separators stored alike still give readable files: the decimal one gives way.
    r.values = {0, 2, 0, 1, 0, 1};
    EXPECT_TRUE(r.SeparatorsClash());
    EXPECT_EQ(r.DecimalSeparatorChar(), '.');
}

TEST(Algebra, OperatorIndexOutsideTheFourAdds)
{
    CAlgebra a;
    EXPECT_DOUBLE_EQ((a.*CAlgebra::OperatorFor(1))(10.0, 5.5), 4.5);
    EXPECT_DOUBLE_EQ((a.*CAlgebra::OperatorFor(3))(10.0, 2.0), 5.0);
    EXPECT_DOUBLE_EQ((a.*CAlgebra::OperatorFor(7))(10.0, 2.0), 12.0);
    EXPECT_TRUE(std::isinf((a.*CAlgebra::OperatorFor(3))(1.0, 0.0)));
}
