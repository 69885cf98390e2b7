// File > Save on the measure tab: the series as CSV or the chart as a bitmap.
#include "tests/measure/MeasurePageRig.h"

#include "app/DateTimeText.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <ctime>
#include <fstream>
#include <iterator>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

class MeasureSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 7;
        t.tm_hour = 6;
        t.tm_min = 30;
        CDateTimeText::SetNowSource([t] { return t; });
        ASSERT_TRUE(r.Open());
        vx::ModalScript::Clear();
        dir = QDir::tempPath().toStdString() + "/vx35_measuresave_" + std::to_string(QCoreApplication::applicationPid());
        QDir().mkpath(QString::fromStdString(dir));

        ChannelRecord& c = r.table[0];
        c.m_strSensorName = "DF-100";
        c.m_iNominal = 5000;
        c.m_iDecimalDivisor = 1000;
        c.m_strUnit = "kN ";
        c.m_byRateCode = 2;
        c.m_bySampleMode = 0;
        c.m_strDisplayFormat = "%.3f ";
    }
    void TearDown() override
    {
        CDateTimeText::SetNowSource(nullptr);
        QDir(QString::fromStdString(dir)).removeRecursively();
    }
    void SaveAs(const std::string& name)
    {
        vx::ModalScript::AnswerFileSave((dir + "/" + name).c_str());
        r.page.OnFileSave();
    }
    bool Exists(const std::string& name) { return QFile::exists(QString::fromStdString(dir + "/" + name)); }

    MeasurePageRig r;
    std::string dir;
};

} // namespace

TEST_F(MeasureSave, BeforeAnyMeasurementTheCsvListsTheTenStartPoints)
{
    SaveAs("series.csv");
    const vx::ModalRecord& call = vx::ModalScript::Calls().back();
    EXPECT_EQ(call.kind, vx::ModalKind::FileSave);
    EXPECT_EQ(call.text, "(*.csv)|*.csv|(*.bmp)|*.bmp|All Files (*.*)|*.*|");
    EXPECT_EQ(call.caption, "*.csv");
    EXPECT_EQ(call.flags & 0x2002u, 0x2002u);

    const std::string text = ReadFile(dir + "/series.csv");
    // No main dialog: the export defaults; no company header and no unit yet.
    std::string expected = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
                           "07.12.2026 06:30:00 Uhr\r\n"
                           "Bezeichnung: DF-100\r\n"
                           "Nennwert   : 5.000 kN \r\n"
                           "Rate       : 100/s\r\n"
                           "SCI Mode   : PC 10ms\r\n\r\n\r\n\r\n";
    for (int i = 0; i < 10; ++i)
        expected += "0,00;0,000\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

TEST_F(MeasureSave, TheExtensionChoosesTheFormatAndOthersWriteNothing)
{
    SaveAs("chart.bmp");
    EXPECT_EQ(ReadFile(dir + "/chart.bmp").substr(0, 2), "BM");
    SaveAs("upper.CSV");
    SaveAs("other.txt");
    EXPECT_FALSE(Exists("upper.CSV"));
    EXPECT_FALSE(Exists("other.txt"));
    r.page.OnFileSave();   // Cancel
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

TEST_F(MeasureSave, AFileThatCannotBeWrittenIsReported)
{
    SaveAs("missing/series.csv");
    SaveAs("missing/chart.bmp");
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].Find("series.csv"), -1);
    EXPECT_NE(boxes[1].Find("chart.bmp"), -1);
    EXPECT_FALSE(r.page.WriteCsv(""));
}
