#include "pages/ParameterFile.h"
#include "platform/File.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

namespace {

std::string Golden(const char* name)
{
    const std::string path = std::string(VX35_SOURCE_DIR) + "/tests/data/" + name;
    std::ifstream f(path, std::ios::binary);
    EXPECT_TRUE(f) << path;
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

class ParameterFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int r = 0; r < kParameterRows; ++r) {
            CString name, p100;
            name.Format("Sens%02d  ", r + 1);
            p100.Format("%d", 30001 + r);
            rows[r] = {name, "05,00", "Nm ", "PAS_oKON[80]", "1000", p100};
        }
        words[kPassivFirst] = "4661";
        words[kPassivSecond] = "4660";
        words[kAktivFirst] = "32";
        words[kAktivSecond] = "1";
        path = ::testing::TempDir() + "paramfile_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".csv";
    }
    void TearDown() override { std::remove(path.c_str()); }

    ParameterFileTitles titles{"Bezeichnung", "Nennwert", "Einheit", "Typ"};
    ParameterRowTexts rows[kParameterRows];
    CString words[kFactoryWordCount] = {"na", "na", "na", "na", "na", "na"};
    std::string path;
};

TEST_F(ParameterFileTest, TextMatchesTheGoldenFile)
{
    EXPECT_EQ(ParameterTableFileText(titles, rows, words).str(), Golden("param_table_de.csv"));
}

TEST_F(ParameterFileTest, SavedFileLoadsBackIntoEmptyRows)
{
    ASSERT_TRUE(WriteParameterTableFile(path.c_str(), ParameterTableFileText(titles, rows, words)));
    ParameterRowTexts loaded[kParameterRows];
    ASSERT_EQ(ReadParameterTableFile(path.c_str(), loaded), ParameterFileRead::Ok);
    for (int r = 0; r < kParameterRows; ++r) {
        EXPECT_EQ(loaded[r].name, rows[r].name) << r;
        EXPECT_EQ(loaded[r].nominal, rows[r].nominal) << r;
        EXPECT_EQ(loaded[r].unit, rows[r].unit) << r;
        EXPECT_EQ(loaded[r].type, rows[r].type) << r;
        EXPECT_EQ(loaded[r].p0, rows[r].p0) << r;
        EXPECT_EQ(loaded[r].p100, rows[r].p100) << r;
    }
}

TEST_F(ParameterFileTest, SavingOverALongerFileLeavesNothingOfIt)
{
    Spit(path, std::string(5000, 'x'));
    ASSERT_TRUE(WriteParameterTableFile(path.c_str(), ParameterTableFileText(titles, rows, words)));
    EXPECT_EQ(Slurp(path), Golden("param_table_de.csv"));
}

TEST_F(ParameterFileTest, UnwritablePathReportsFailure)
{
    const std::string bad = ::testing::TempDir() + "no_such_folder_paramfile/x.csv";
    EXPECT_FALSE(WriteParameterTableFile(bad.c_str(), "x"));
    ParameterRowTexts loaded[kParameterRows];
    loaded[0].name = "keep";
    EXPECT_EQ(ReadParameterTableFile(bad.c_str(), loaded), ParameterFileRead::Failed);
    // Larger than any table: refused unread.
    Spit(path, "#;\r\n-;\r\n1;big;\r\n" + std::string(kParameterTableFileLimit, ';'));
    EXPECT_EQ(ReadParameterTableFile(path.c_str(), loaded), ParameterFileRead::TooLarge);
    // A device or a pipe (with no writer: it must not hang the window) is
    // refused unopened, for what it is.
    const std::string fifo = ::testing::TempDir() + "paramfile_fifo.csv";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CString why;
    for (const std::string& node : {std::string("/dev/zero"), fifo}) {
        EXPECT_EQ(ReadParameterTableFile(node.c_str(), loaded, &why), ParameterFileRead::Failed);
        EXPECT_EQ(why, CString(node + ": ") + vx::FileReasonTexts{}.notRegularFile);
    }
    std::remove(fifo.c_str());
    EXPECT_EQ(ReadParameterTableFile(::testing::TempDir().c_str(), loaded, &why), ParameterFileRead::Failed);
    EXPECT_NE(why.Find(::testing::TempDir().c_str()), -1);
    EXPECT_EQ(loaded[0].name, "keep");
}

TEST_F(ParameterFileTest, LineNumberAloneDecidesAndEofEndsTheRead)
{
    // Any header, a row line of a foreign table, a ninth column, and a
    // line after [EOF] that would otherwise land in row 10.
    std::string text = "x;y;\r\n-;\r\n";
    text += "1;Name;1,5;kN;T;0;9;extra;\r\n";
    for (int r = 2; r <= 8; ++r)
        text += std::to_string(r) + ";N" + std::to_string(r) + ";\r\n";
    text += "[EOF];\r\n10;Late;1;2;3;4;5;\r\n";
    Spit(path, text);
    ParameterRowTexts loaded[kParameterRows];
    loaded[9].name = "before";
    loaded[1].unit = "kept";
    ASSERT_EQ(ReadParameterTableFile(path.c_str(), loaded), ParameterFileRead::Ok);
    EXPECT_EQ(loaded[0].name, "Name");
    EXPECT_EQ(loaded[0].nominal, "1,5");
    EXPECT_EQ(loaded[0].p100, "9");
    EXPECT_EQ(loaded[1].name, "N2");
    EXPECT_EQ(loaded[1].unit, "kept");
    EXPECT_EQ(loaded[9].name, "before");
}

TEST_F(ParameterFileTest, CellsOutsideTheSixColumnsChangeNothing)
{
    ParameterRowTexts row{"n", "1", "u", "t", "0", "100"};
    SetParameterRowCell("x", 1, row);
    SetParameterRowCell("x", 8, row);
    EXPECT_EQ(row.name, "n");
    EXPECT_EQ(row.p100, "100");
    SetParameterRowCell("y", 7, row);
    EXPECT_EQ(row.p100, "y");
}

} // namespace
