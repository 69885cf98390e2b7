// The delimited data file: reading numbers and texts, the column check,
// writing, and every getter's failure value with its recorded error.
#include "chart/DataFile.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

class DataFile : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    std::string Write(const char* name, const std::string& text) const
    {
        const std::string p = Path(name);
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    static std::string Slurp(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    QTemporaryDir dir;
};

std::vector<double> Column(CDelimitedDataFile& t, int v)
{
    std::vector<double> c;
    t.GetVariable(v, c);
    return c;
}

}  // namespace

TEST_F(DataFile, ReadsNumbersColumnByColumn)
{
    const std::string p = Write("a.csv", "a,b\n1,2\n3,4");
    CDelimitedDataFile t;
    ASSERT_TRUE(t.ReadFile(p.c_str(), CDelimitedDataFile::RF_READ_AS_DOUBLE)) << t.GetLastError().GetString();
    ASSERT_EQ(t.GetNumberOfVariables(), 2);
    CString name;
    t.GetVariableName(1, name);
    EXPECT_EQ(name, "b");
    EXPECT_EQ(Column(t, 0), (std::vector<double>{1, 3}));
    EXPECT_EQ(Column(t, 1), (std::vector<double>{2, 4}));
    EXPECT_EQ(t.GetData("b", 1), 4.0);
    EXPECT_EQ(t.GetVariableIndex("b", CString(p.c_str())), 1);
    EXPECT_TRUE(t.GetLastError().IsEmpty());
}

TEST_F(DataFile, FinalLineFeedAndCrLfAddNothing)
{
    const std::string p = Write("a.csv", "a,b\r\n1,2\r\n3,x4\r\n");
    CDelimitedDataFile t(p.c_str(), CDelimitedDataFile::RF_READ_AS_DOUBLE);
    ASSERT_EQ(t.GetNumberOfVariables(), 2);
    EXPECT_EQ(t.GetVariableIndex("b"), 1);
    // A field without a leading number reads as 0.
    EXPECT_EQ(Column(t, 1), (std::vector<double>{2, 0}));
    EXPECT_EQ(t.GetNumberOfSamples(0), 2);
}

TEST_F(DataFile, ReadsTextsAndAppendsColumnsOnRequest)
{
    const std::string p = Write("t.csv", "name;unit\nforce;N\ntorque;N m\n");
    CDelimitedDataFile t(CDelimitedDataFile::READ_AS_STRING);
    t.SetDelimiter(";");
    ASSERT_TRUE(t.ReadFile(p.c_str(), CDelimitedDataFile::READ_AS_STRING));
    CString text;
    EXPECT_EQ(t.GetString(1, 1, text), 3);
    EXPECT_EQ(text, "N m");
    char buf[4];
    EXPECT_EQ(t.GetString("unit", 1, buf, sizeof buf), 3);
    EXPECT_STREQ(buf, "N m");
    char tiny[3];
    EXPECT_EQ(t.GetString(1, 1, tiny, sizeof tiny), -1);
    EXPECT_STREQ(CDelimitedDataFile::ErrorText(1), "ERROR 0001: An unknown error occurred in GetString()!");

    ASSERT_TRUE(t.ReadFile(p.c_str(), CDelimitedDataFile::READ_AS_STRING | CDelimitedDataFile::RF_APPEND_DATA));
    EXPECT_EQ(t.GetNumberOfVariables(), 4);
    EXPECT_EQ(t.GetVariableIndex("name", 1), 2);
    // Searching from the file's first variable plus the start index.
    EXPECT_EQ(t.GetVariableIndex("unit", CString(p.c_str()), 2), 3);
}

TEST_F(DataFile, ColumnCountMismatchAndMissingFileFail)
{
    CDelimitedDataFile t;
    const std::string bad = Write("bad.csv", "a,b,c\n1,2\n");
    EXPECT_FALSE(t.ReadFile(bad.c_str(), 1));
    EXPECT_EQ(t.GetLastError(), "ERROR 0008: The Number of Headers is different than the Number of Data Columns!");

    const std::string none = Path("none.csv");
    EXPECT_FALSE(t.ReadFile(none.c_str(), 1));
    EXPECT_EQ(t.GetLastError(), CString("ERROR 0007: File not found!\nDetails: ") + none.c_str());
}

TEST_F(DataFile, LongFieldsAreKeptWholeAndLinesStayInStep)
{
    const std::string p = Write("long.csv", "a,b\n" + std::string(5000, '7') + ",2\n3,4\n");
    CDelimitedDataFile t(p.c_str(), CDelimitedDataFile::READ_AS_STRING);
    CString text;
    EXPECT_EQ(t.GetString(0, 0, text), 5000);
    t.GetString(1, 1, text);
    EXPECT_EQ(text, "4");
}

TEST_F(DataFile, ReadsLineByLine)
{
    // A short line is padded, a blank line is skipped whole, and the last
    // field takes the rest of its line.
    CDelimitedDataFile t(CDelimitedDataFile::READ_AS_STRING);
    ASSERT_TRUE(t.ReadText("a,b,c\n1,2,3\n4\n\n\r\n5,6,7,8\n9,10,11", CDelimitedDataFile::READ_AS_STRING));
    std::vector<CString> c;
    EXPECT_EQ(t.GetVariable(0, c), 4);
    EXPECT_EQ(c, (std::vector<CString>{"1", "4", "5", "9"}));
    t.GetVariable(1, c);
    EXPECT_EQ(c, (std::vector<CString>{"2", "", "6", "10"}));
    t.GetVariable(2, c);
    EXPECT_EQ(c, (std::vector<CString>{"3", "", "7,8", "11"}));

    CDelimitedDataFile n;
    ASSERT_TRUE(n.ReadText("x,y\n\n1,2\n3\n\n5,6\n", CDelimitedDataFile::RF_READ_AS_DOUBLE));
    EXPECT_EQ(Column(n, 0), (std::vector<double>{1, 3, 5}));
    EXPECT_EQ(Column(n, 1), (std::vector<double>{2, 0, 6}));
}

TEST_F(DataFile, CrLfLinesKeepNoCarriageReturn)
{
    const std::string p = Write("crlf.csv", "name;unit\r\nforce;N\r\ntorque;N m\r\n");
    CDelimitedDataFile t;
    t.SetDelimiter(";");
    ASSERT_TRUE(t.ReadFile(p.c_str(), CDelimitedDataFile::READ_AS_STRING));
    std::vector<CString> units;
    t.GetVariable("unit", units);
    EXPECT_EQ(units, (std::vector<CString>{"N", "N m"}));
}

TEST_F(DataFile, HeaderOnlyFilesHaveNoSamples)
{
    CDelimitedDataFile t;
    for (const char* text : {"a,b,c\n", "a,b,c", "a,b,c\r\n\n\n"}) {
        ASSERT_TRUE(t.ReadText(text, CDelimitedDataFile::RF_READ_AS_DOUBLE)) << t.GetLastError().GetString();
        ASSERT_EQ(t.GetNumberOfVariables(), 3);
        EXPECT_EQ(t.GetNumberOfSamples(2), 0);
    }
    // What WriteFile writes for a table without samples reads back the same.
    CDelimitedDataFile empty;
    empty.AddVariable("X1", std::vector<double>{});
    empty.AddVariable("Y1", std::vector<double>{});
    const std::string p = Path("empty.csv");
    ASSERT_TRUE(empty.WriteFile(p.c_str(), ","));
    CDelimitedDataFile back;
    ASSERT_TRUE(back.ReadFile(p.c_str(), CDelimitedDataFile::RF_READ_AS_DOUBLE)) << back.GetLastError().GetString();
    EXPECT_EQ(back.GetNumberOfVariables(), 2);
    EXPECT_EQ(back.GetNumberOfSamples(1), 0);
}

TEST_F(DataFile, FlagsChooseTextsOnlyWhenNumbersAreNotAsked)
{
    const std::string text = "a\n1.5\nx\n";
    const struct {
        DWORD flags;
        bool texts;
    } cases[] = {{0, false}, {1, false}, {2, true}, {3, false}, {4, false}, {6, true}, {7, false}};
    for (const auto& c : cases) {
        CDelimitedDataFile t;
        ASSERT_TRUE(t.ReadText(text, c.flags));
        EXPECT_EQ(t.GetNumberOfSamples(0), 2) << c.flags;
        CString s;
        if (c.texts) {
            EXPECT_EQ(t.GetString(0, 1, s), 1) << c.flags;
            EXPECT_EQ(t.GetData(0, 0), CDelimitedDataFile::kMissingValue) << c.flags;
        } else {
            EXPECT_EQ(t.GetData(0, 0), 1.5) << c.flags;
            EXPECT_EQ(t.GetString(0, 0, s), -1) << c.flags;
        }
    }
    // Bit 4 still appends, and a table of the other kind appended keeps
    // every column in step with its name.
    CDelimitedDataFile t;
    t.ReadText(text, CDelimitedDataFile::RF_READ_AS_DOUBLE);
    ASSERT_TRUE(t.ReadText("b,c\n2,3\n", CDelimitedDataFile::RF_READ_AS_DOUBLE | CDelimitedDataFile::RF_APPEND_DATA));
    t.Append(CDelimitedDataFile::FromVariable("s", std::vector<CString>{"q"}));
    t.AddVariable("d", std::vector<double>{4});
    EXPECT_EQ(t.GetNumberOfVariables(), 5);
    EXPECT_EQ(t.GetData("c", 0), 3.0);
    EXPECT_EQ(t.GetNumberOfSamples(3), 0);
    EXPECT_EQ(t.GetData("d", 0), 4.0);
}

TEST_F(DataFile, GettersReportTheirErrors)
{
    CDelimitedDataFile texts = CDelimitedDataFile::FromVariable("s", std::vector<CString>{"x"});
    EXPECT_EQ(texts.GetData(0, 0), 1.2345678909876544e18);
    EXPECT_EQ(texts.GetLastError(), "ERROR 0004: GetData() was called while the dwReadFlags was not RF_READ_AS_DOUBLE.");

    CDelimitedDataFile numbers = CDelimitedDataFile::FromVariable("n", std::vector<double>{1.5});
    CString text;
    EXPECT_EQ(numbers.GetString(0, 0, text), -1);
    EXPECT_EQ(numbers.GetLastError(), "ERROR 0003: GetString() was called while the dwReadFlags was not READ_AS_STRING.");
    EXPECT_EQ(numbers.GetData("zz", 0), CDelimitedDataFile::kMissingValue);
    EXPECT_EQ(numbers.GetLastError(), "ERROR 0005: Variable name not found!");
    EXPECT_EQ(numbers.GetVariableIndex("n", CString("nofile.csv")), -1);
    EXPECT_EQ(numbers.GetLastError(), "ERROR 0006: Filename name not found!");
    // Indexes past the table fail with the operation's own error text.
    EXPECT_EQ(numbers.GetData(0, 7), CDelimitedDataFile::kMissingValue);
    EXPECT_EQ(numbers.GetLastError(), CDelimitedDataFile::ErrorText(2));
    std::vector<double> column;
    EXPECT_EQ(numbers.GetVariable(-1, column), -1);
    EXPECT_EQ(numbers.GetLastError(), CDelimitedDataFile::ErrorText(2));
    EXPECT_EQ(texts.GetString(0, 1, text), -1);
    EXPECT_EQ(texts.GetLastError(), CDelimitedDataFile::ErrorText(1));
    EXPECT_EQ(numbers.GetVariableName(4, text), -1);
    EXPECT_EQ(numbers.GetLastError(), CDelimitedDataFile::ErrorText(1));
    char tiny[1];
    EXPECT_EQ(numbers.GetVariableName(0, tiny, sizeof tiny), -1);
    EXPECT_EQ(numbers.GetLastError(), CDelimitedDataFile::ErrorText(1));
    for (bool ok : {numbers.SetData(3, 0, 1.0), numbers.SetData(0, 1, 1.0), numbers.AppendData(-1, 1.0),
                    texts.SetString(0, -1, "x"), numbers.RemoveVariable(1)}) {
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(numbers.GetLastError(), CDelimitedDataFile::ErrorText(0));
    EXPECT_EQ(texts.GetLastError(), CDelimitedDataFile::ErrorText(0));
    CDelimitedDataFile outside(numbers.Select(0, 0, 2, 0));
    EXPECT_EQ(outside.GetNumberOfVariables(), 0);
    EXPECT_EQ(outside.GetLastError(), CDelimitedDataFile::ErrorText(0));
    EXPECT_EQ(numbers.GetNumberOfSamples(5), -1);
    numbers.Clear();
    EXPECT_TRUE(numbers.GetLastError().IsEmpty());
}

TEST_F(DataFile, EditsAppendsAndSelects)
{
    CDelimitedDataFile t;
    const double xs[] = {1, 2, 3};
    ASSERT_TRUE(t.AddVariable("X1", xs, 3));
    ASSERT_TRUE(t.AddVariable("Y1", std::vector<double>{10, 20}));
    EXPECT_TRUE(t.AppendData(1, std::vector<double>{30, 40}));
    EXPECT_TRUE(t.SetData(0, 2, 3.5));
    EXPECT_EQ(t.GetNumberOfSamples(1), 4);

    t.Append(t);
    EXPECT_EQ(t.GetNumberOfVariables(), 4);
    EXPECT_EQ(t.GetData(3, 3), 40.0);
    EXPECT_TRUE(t.RemoveVariable(2));
    EXPECT_EQ(t.GetVariableIndex("Y1", 2), 2);

    // Corners in either order, both ends included.
    CDelimitedDataFile part(t.Select(1, 3, 0, 1));
    ASSERT_EQ(part.GetNumberOfVariables(), 2);
    EXPECT_EQ(Column(part, 0), (std::vector<double>{2, 3.5}));
    EXPECT_EQ(Column(part, 1), (std::vector<double>{20, 30, 40}));

    const CDelimitedDataFile sum = part + CDelimitedDataFile::FromVariable("Z", std::vector<double>{9});
    EXPECT_EQ(sum.GetNumberOfVariables(), 3);
    EXPECT_EQ(part.GetNumberOfVariables(), 2);
}

TEST_F(DataFile, WritesHeaderAndRowsThatReadBack)
{
    CDelimitedDataFile t;
    const std::vector<double> xs = {0.5, 1234567.0, -2, 0.1, 1.0 / 3, -1e-300, 6.02214076e23};
    t.AddVariable("X1", xs);
    t.AddVariable("Y1", std::vector<double>{1, 2});
    const std::string p = Path("out.csv");
    ASSERT_TRUE(t.WriteFile(p.c_str(), ";"));
    // The shortest text that reads back exactly; a shorter column leaves its
    // field empty.
    const std::string written = "X1;Y1\n0.5;1\n1234567;2\n-2;\n0.1;\n0.3333333333333333;\n-1e-300;\n6.02214076e+23;\n";
    EXPECT_EQ(Slurp(p), written);
    EXPECT_EQ(t.WriteText(";"), written);

    CDelimitedDataFile back;
    back.SetDelimiter(";");
    ASSERT_TRUE(back.ReadFile(p.c_str(), 1));
    EXPECT_EQ(Column(back, 0), xs);

    ASSERT_TRUE(t.WriteFile(t.Select(1, 1, 0, 0), p.c_str(), ","));
    EXPECT_EQ(Slurp(p), "X1,Y1\n0.5,1\n1234567,2\n");
    // Rows past every selected column are not written.
    ASSERT_TRUE(t.WriteFile(t.Select(1, 1, 1, 50), p.c_str(), ","));
    EXPECT_EQ(Slurp(p), "Y1\n2\n");

    CDelimitedDataFile texts = CDelimitedDataFile::FromVariable("s", std::vector<CString>{"a b", ""});
    ASSERT_TRUE(texts.WriteFile(p.c_str(), ","));
    EXPECT_EQ(Slurp(p), "s\na b\n\n");

    const std::string bad = Path("no/such/dir.csv");
    EXPECT_FALSE(t.WriteFile(bad.c_str(), ","));
    EXPECT_EQ(t.GetLastError(), CString(bad + ": " + std::strerror(ENOENT)));
}

// A full disk leaves the old file whole and names the cause; a file larger
// than any table the chart could hold is refused before it is read.
TEST_F(DataFile, AFailedWriteKeepsTheOldFileAndAHugeFileIsRefusedUnread)
{
    CDelimitedDataFile t = CDelimitedDataFile::FromVariable("X1", std::vector<double>(2000, 1.5));
    const std::string p = Write("old.csv", "a\n1\n");
    {
        FileSizeLimit full(1000);
        EXPECT_FALSE(t.WriteFile(p.c_str(), ","));
    }
    EXPECT_EQ(Slurp(p), "a\n1\n");
    EXPECT_EQ(t.GetLastError(), CString(p + ": ") + FullDiskReason());

    const std::string huge = Write("huge.csv", "a,b\n1,2\n");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(CDelimitedDataFile::kMaxFileBytes + 1)), 0);
    CDelimitedDataFile r;
    EXPECT_FALSE(r.ReadFile(huge.c_str(), CDelimitedDataFile::RF_READ_AS_DOUBLE));
    EXPECT_EQ(r.GetLastError().Find(("ERROR 0009: File too large!\nDetails: " + huge).c_str()), 0) << r.GetLastError().str();
}
