#include "measure/SeriesCsv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Golden(const char* name)
{
    const std::string path = std::string(VX35_SOURCE_DIR) + "/tests/data/" + name;
    std::ifstream f(path, std::ios::binary);
    EXPECT_TRUE(f) << path;
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string S(const CString& s) { return std::string(s.GetString(), size_t(s.GetLength())); }

ChannelRecord Sensor(BYTE mode, BYTE autoRate)
{
    ChannelRecord c;
    c.m_strSensorName = "DF-100";
    c.m_iNominal = 5000;
    c.m_iDecimalDivisor = 1000;
    c.m_strUnit = "kN ";
    c.m_byRateCode = 2;
    c.m_bySampleMode = mode;
    c.m_byAutoRate = autoRate;
    c.m_strDisplayFormat = "%.3f ";
    return c;
}

CString Csv(const SeriesCsvHeader& h, const SeriesCsvFormat& f, const ChannelRecord& c, const CString& unit,
            std::vector<std::pair<double, double>> points)
{
    return BuildSeriesCsv(h, f, c, unit, int(points.size()), [&](int i, double& x, double& y) {
        x = points[size_t(i)].first;
        y = points[size_t(i)].second;
    });
}

const SensorLabels kGerman{"Bezeichnung", "Nennwert", "Rate", "SCI Mode"};
const SensorLabels kEnglish{"Design", "nom Value", "Rate", "SCI Mode"};

} // namespace

TEST(SeriesCsv, WholeFilesMatchTheGoldenBytes)
{
    const ChannelRecord pc = Sensor(0, 0);
    SeriesCsvHeader h{"Muster Messtechnik", "Versuch 1", "Kommentar", "07.12.2026", "06:30:00 Uhr",
                      FormatSensorBlock(pc, kGerman, "\r\n")};
    EXPECT_EQ(S(Csv(h, SeriesCsvFormat{"\r\n", ";", ',', true}, pc, "kN", {{0.0, 0.0}, {0.01, -0.0004}, {0.02, -2.5}})),
              Golden("csv_series_de.csv"));

    ChannelRecord auto100 = Sensor(8, 3);
    auto100.m_strSensorName = "S1";
    auto100.m_iDecimalDivisor = 0;
    auto100.m_byRateCode = 9;
    auto100.m_strDisplayFormat = " %.2f";
    SeriesCsvHeader en{"Header", "Title", "Note", "12/07/2026", "6:30:00 AM", FormatSensorBlock(auto100, kEnglish, "\n")};
    // Without the physical-unit option the unit never appears.
    EXPECT_EQ(S(Csv(en, SeriesCsvFormat{"\n", "\t", '.', false}, auto100, "kN", {{0.0, 0.5}, {0.1, -1.25}})),
              Golden("csv_series_en_lf.csv"));
}

TEST(SeriesCsv, AnEmptyUnitAddsNoColumn)
{
    const ChannelRecord pc = Sensor(0, 0);
    const CString text = Csv(SeriesCsvHeader{}, SeriesCsvFormat{"\n", ";", ',', true}, pc, "", {{0.01, 1.0}});
    EXPECT_EQ(S(text).substr(S(text).size() - 11), "0,01;1,000\n");
}

TEST(SeriesCsv, NumbersDropAMinusThatRoundsAway)
{
    EXPECT_EQ(S(FormatNumber(-0.0004, "%.3f", ',')), "0,000");
    EXPECT_EQ(S(FormatNumber(-0.0, "%.2f", '.')), "0.00");
    EXPECT_EQ(S(FormatNumber(-0.4, "%.0f", '.')), "0");
    EXPECT_EQ(S(FormatNumber(-0.0006, "%.3f", ',')), "-0,001");
    EXPECT_EQ(S(FormatNumber(-10.0, "%.0f", ',')), "-10");
    EXPECT_EQ(S(FormatNumber(1234.5, "%.1f", ',')), "1234,5");
}

TEST(SeriesCsv, ADeviceFormatThatIsNotOneFloatIsNeverPassedOn)
{
    EXPECT_EQ(S(FormatNumber(2.5, "%s", '.')), "2");
    EXPECT_EQ(S(FormatNumber(2.5, "%.1f %n", '.')), "2");
    EXPECT_EQ(S(FormatNumber(2.5, "%.1f%%", '.')), "2.5%");
    EXPECT_EQ(S(FormatNumber(2.5, "%.1f%.1f", '.')), "2");
    // No format yet (before the first measurement): an empty column.
    EXPECT_EQ(S(FormatNumber(-2.5, "", '.')), "");
}

TEST(SeriesCsv, XFormatFollowsTheSampleMode)
{
    EXPECT_EQ(S(XFormat(Sensor(0, 0))), "%.2f");
    EXPECT_EQ(S(XFormat(Sensor(4, 2))), "%.0f");
    EXPECT_EQ(S(XFormat(Sensor(8, 2))), "%.2f");
    EXPECT_EQ(S(XFormat(Sensor(8, 3))), "%.1f");
    EXPECT_EQ(S(XFormat(Sensor(8, 4))), "%.0f");
    EXPECT_EQ(S(XFormat(Sensor(12, 2))), "%.0f");
}

TEST(SeriesCsv, NominalAndRateTexts)
{
    ChannelRecord c = Sensor(0, 0);
    EXPECT_EQ(S(FormatNominal(c, true)), "5.000 kN ");
    c.m_strUnit = "Nm/min";
    c.m_iDecimalDivisor = 10;
    EXPECT_EQ(S(FormatNominal(c, true)), "500.0 Nm/");
    c.m_iDecimalDivisor = 7;
    EXPECT_EQ(S(FormatNominal(c, false)), "714.2857");
    c.m_iDecimalDivisor = 0;
    EXPECT_EQ(S(FormatNominal(c, true)), "n.a.");
    const char* rates[] = {"n.a.", "1000/s", "100/s", "10/s", "1/s", "n.a."};
    for (int code = 0; code < 6; ++code) {
        c.m_byRateCode = BYTE(code);
        EXPECT_EQ(S(FormatRate(c)), rates[code]) << code;
    }
}

TEST(SeriesCsv, SensorBlockPadsToTheLongestLabel)
{
    const CString block = FormatSensorBlock(Sensor(0, 0), kEnglish, "\n");
    EXPECT_EQ(S(block), "Design   : DF-100\nnom Value: 5.000 kN \nRate     : 100/s\nSCI Mode : PC 10ms\n");
    EXPECT_EQ(S(PadLabel("abc", 2)), "abc");
}
