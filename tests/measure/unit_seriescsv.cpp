#include "measure/SeriesCsv.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

namespace {

std::string Printf(const char* format, double v)
{
    char buffer[600];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}

class VectorPoints final : public SeriesPoints {
public:
    explicit VectorPoints(std::vector<std::pair<double, double>> p) : points(std::move(p)) {}
    size_t Count() const override { return points.size(); }
    void Read(size_t first, size_t n, double* xs, double* ys) const override
    {
        for (size_t i = 0; i < n; ++i) {
            xs[i] = points[first + i].first;
            ys[i] = points[first + i].second;
        }
    }
    std::vector<std::pair<double, double>> points;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

} // namespace

TEST(SeriesCsv, TheFastNumberTextIsThePrintfText)
{
    // Ties, carries, tiny negatives, large values and every precision the
    // device's formats use; the expectation is printf's own text.
    std::vector<double> values = {0.0,   -0.0,   0.125,  0.375,   2.5,     -2.5,  0.005, 0.015, 1.005, 9.995,
                                  -0.0004, -0.0005, -0.0006, 99.995, 1e15,   -1e15, 1e300, 5e-324, 123456.789,
                                  -1.45, 0.045, 1234.5678, -999.9999};
    std::uint64_t seed = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        values.push_back((static_cast<double>(seed % 2000001) - 1000000.0) / std::pow(10.0, double(seed % 7)));
        // Exact ties at the shown precisions, and any bit pattern at all
        // (every exponent: where the fast digits hand over to the general
        // conversion).
        values.push_back((static_cast<double>(seed % 200001) - 100000.0) / double(1 << (seed % 13)));
        double any;
        std::memcpy(&any, &seed, sizeof any);
        values.push_back(any);
    }
    for (const char* format : {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f", "%.12f", "%f", "%.f"}) {
        SeriesNumberFormat fast(format, '.');
        for (double v : values) {
            std::string text;
            fast.Append(text, v);
            std::string expected = Printf(format, v);
            // The two display rules on top of printf.
            if (v == 0.0 && expected[0] == '-')
                expected.erase(0, 1);
            else if (v < 0.0 && expected.find_first_not_of("0-.") == std::string::npos)
                expected.erase(0, 1);
            ASSERT_EQ(text, expected) << format << " " << v;
        }
    }
    // Text around the conversion, "%%", and a format with no conversion.
    std::string text;
    SeriesNumberFormat("%.1f %%", ',').Append(text, -3.25);
    EXPECT_EQ(text, "-3,2 %");
    text.clear();
    SeriesNumberFormat("n.a.", ',').Append(text, 5.0);
    EXPECT_EQ(text, "n,a,");
    text.clear();
    SeriesNumberFormat("%d", ',').Append(text, 2.5);   // not a float format: "%.0f"
    EXPECT_EQ(text, "2");
}

TEST(SeriesCsv, TheStreamedFileIsTheBuiltFileInAnySlicing)
{
    const ChannelRecord pc = Sensor(0, 0);
    const SeriesCsvHeader h{"Kopf", "Versuch", "Kommentar", "07.12.2026", "06:30:00 Uhr",
                            FormatSensorBlock(pc, kGerman, "\r\n")};
    const SeriesCsvFormat f{"\r\n", ";", ',', true};
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 25000; ++i)
        points.push_back({i * 0.01, std::sin(i * 0.001) * 3.0 - 0.0001});
    const VectorPoints source(points);
    const std::string expected = S(Csv(h, f, pc, "kN", points));
    const std::string path = std::string(VX35_BINARY_DIR) + "/stream_series.csv";
    for (size_t slice : {size_t(1), size_t(777), size_t(4096), size_t(1) << 30}) {
        SeriesCsvExport job(path.c_str(), h, f, pc, "kN", source);
        EXPECT_EQ(job.Total(), points.size());
        size_t steps = 0;
        while (job.Step(slice) && steps < 100000)
            ++steps;
        ASSERT_TRUE(job.Finish()) << job.ErrorMessage().GetString();
        EXPECT_EQ(ReadAll(path), expected) << slice;
    }
    std::remove(path.c_str());
}

TEST(SeriesCsv, AStreamThatCannotBeWrittenKeepsTheOldFileAndSaysWhy)
{
    const ChannelRecord pc = Sensor(0, 0);
    const std::string path = std::string(VX35_BINARY_DIR) + "/stream_missing/series.csv";
    const VectorPoints source({{1.0, 2.0}});
    SeriesCsvExport job(path.c_str(), SeriesCsvHeader{}, SeriesCsvFormat{}, pc, "", source);
    EXPECT_FALSE(job.Step(10));
    EXPECT_FALSE(job.Finish());
    EXPECT_EQ(job.ErrorMessage(), CString(path + ": " + std::strerror(ENOENT)));
}
