#include "pages/LoggerCsv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace std::string_literals;

namespace {

std::string Golden(const char* name)
{
    const std::string path = std::string(VX35_SOURCE_DIR) + "/tests/data/" + name;
    std::ifstream f(path, std::ios::binary);
    EXPECT_TRUE(f) << path;
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string S(const CString& s) { return std::string(s.GetString(), size_t(s.GetLength())); }
CString C(const std::string& s) { return CString(s.data(), int(s.size())); }

LoggerCsvFormat Format(int lineEndIndex, const char* lineEnd, char column, char decimal, bool unit)
{
    LoggerCsvFormat f;
    f.lineEndIndex = lineEndIndex;
    f.lineEnd = lineEnd;
    f.columnSeparator = column;
    f.decimalSeparator = decimal;
    f.physicalUnit = unit;
    return f;
}

const std::string kAutoLine = " 12,34 Nm  \r\n";

} // namespace

TEST(LoggerCsv, WholeFilesMatchTheGoldenBytes)
{
    const auto manual = Format(0, "\r\n", ';', '.', true);
    const CString manualRecords = "001   1,50 Nm  12:00:00\r\n002  -0,25     12:00:05\r\nEND\r\n";
    EXPECT_EQ(S(BuildLoggerCsv("KOPF", "Versuch", "Bemerkung", "HAND",
                               ConvertLoggerRecords(manualRecords, true, manual), manual.lineEnd)),
              Golden("csv_logger_manual.csv"));

    const auto autoLf = Format(3, "\n", '\t', '.', true);
    const CString autoRecords = "0001 12,34 Nm  \r\n0002 -1,00 kNm \r\nEND\r\n";
    EXPECT_EQ(S(BuildLoggerCsv("KOPF", "Versuch", "Bemerkung", "AUTO",
                               ConvertLoggerRecords(autoRecords, false, autoLf), autoLf.lineEnd)),
              Golden("csv_logger_auto_lf.csv"));
}

TEST(LoggerCsv, UnitColumnFollowsThePhysicalUnitOption)
{
    EXPECT_EQ(S(ConvertLoggerRecords(C(kAutoLine), false, Format(3, "\n", '\t', '.', true))), " 12.34\tNm\n");
    EXPECT_EQ(S(ConvertLoggerRecords(C(kAutoLine), false, Format(3, "\n", '\t', '.', false))), " 12.34\t\n");
    // A unit of three blanks keeps one blank so the column stays.
    EXPECT_EQ(S(ConvertLoggerRecords(" 12,34     \r\n", false, Format(0, "\r\n", ';', ',', true))), " 12,34; \r\n");
    // Manual mode without the unit drops the unit and its second separator.
    EXPECT_EQ(S(ConvertLoggerRecords("001   1,50 Nm  12:00:00\r\n", true, Format(0, "\r\n", ';', ',', false))),
              "001   1,50;12:00:00\r\n");
}

TEST(LoggerCsv, LineEndsOfConvertedLinesOnlyFollowTheSetting)
{
    const std::string records = kAutoLine + "END\r\n" + kAutoLine;
    // The short line in the middle keeps CR LF and is left whole.
    EXPECT_EQ(S(ConvertLoggerRecords(C(records), false, Format(2, "\r", ';', ',', true))),
              " 12,34;Nm\rEND\r\n 12,34;Nm\r");
    EXPECT_EQ(S(ConvertLoggerRecords(C(kAutoLine), false, Format(1, "\n\r", ';', ',', true))), " 12,34;Nm\n\r");
    EXPECT_EQ(S(ConvertLoggerRecords(C(kAutoLine), false, Format(0, "\r\n", ';', ',', true))), " 12,34;Nm\r\n");
    // Lines too short for the layout stay as they are, first line included.
    EXPECT_EQ(S(ConvertLoggerRecords("12,3 Nm\r\n", false, Format(3, "\n", ';', '.', true))), "12,3 Nm\r\n");
    EXPECT_EQ(S(ConvertLoggerRecords(C(kAutoLine), true, Format(3, "\n", ';', '.', true))), kAutoLine);
}

TEST(LoggerCsv, RecordsWithUmlautsGetTheChosenFormatEverywhere)
{
    // Ä, Ö and Ü (0xC4, 0xD6, 0xDC in Windows-1252) pass through, and every
    // line still gets the user's separators, decimal character, unit column
    // and line end.
    const std::string records = "\xC4" "2345 12,34 Nm  \r\nEND\r\n";
    EXPECT_EQ(S(ConvertLoggerRecords(C(records), false, Format(3, "\n", '\t', '.', false))),
              "\xC4" "2345 12.34\t\nEND\r\n");
    EXPECT_EQ(S(ConvertLoggerRecords("\xDC\r\n001   1,50 Nm  12:00:00\r\n", true, Format(3, "\n", '\t', '.', false))),
              "\xDC\r\n001   1.50\t12:00:00\n");
    // Decimal comma and ',' columns no longer collide; a short line keeps its
    // first letter; the umlaut in a unit and a zero byte are kept.
    const std::string mixed = std::string("M\xD6SSER\r\n0001 12,34 \xB5m  \r\n0002  1,5\0 N   \r\n", 42);
    EXPECT_EQ(S(ConvertLoggerRecords(C(mixed), false, Format(0, "\r\n", ';', ',', true))),
              std::string("M\xD6SSER\r\n0001 12,34;\xB5m\r\n0002  1,5\0;N\r\n", 37));
}

TEST(LoggerCsv, EmptyRecordsStillGiveTheHeaderParts)
{
    EXPECT_EQ(S(ConvertLoggerRecords("", false, Format(0, "\r\n", ';', ',', true))), "");
    EXPECT_EQ(S(BuildLoggerCsv("H", "T", "C", "M", "", "\n")), "H\n\n\nT\nC\n\n\nM\n\n\n");
}

TEST(LoggerCsv, LongRecordTextsAreConvertedWhole)
{
    std::string records;
    while (records.size() < 250000)
        records += kAutoLine;
    const std::string out = S(ConvertLoggerRecords(C(records), false, Format(3, "\n", '\t', '.', true)));
    EXPECT_EQ(out.size(), records.size() / kAutoLine.size() * std::string(" 12.34\tNm\n").size());
    EXPECT_EQ(out.substr(out.size() - 10), " 12.34\tNm\n");
}
