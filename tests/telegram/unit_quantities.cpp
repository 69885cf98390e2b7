#include "telegram/Quantities.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

TEST(Quantities, ClassLettersAndNames)
{
    const char letters[] = "dASDKWX";
    for (int i = 0; i < kQuantityClassCount; ++i) {
        EXPECT_EQ(QuorSend_ClassLetterOfIndex(i), static_cast<std::uint8_t>(letters[i]));
        EXPECT_EQ(QuorSend_ClassIndexOfLetter(static_cast<std::uint8_t>(letters[i])), i);
    }
    EXPECT_EQ(QuorSend_ClassIndexOfLetter('x'), -1);
    EXPECT_EQ(QuorSend_ClassLetterOfIndex(7), 0xFF);
    EXPECT_EQ(QuorSend_ClassLetterOfIndex(-1), 0xFF);

    std::string s;
    QuorSend_QuantityNameByLetter(s, 'd', 0);
    EXPECT_EQ(s, "Dehnmessstreifen \"DMS\"");
    QuorSend_QuantityNameByLetter(s, 'd', 1000);
    EXPECT_EQ(s, "strain gauge \"SG\"");
    QuorSend_QuantityNameByIndex(s, 5, 2000);
    EXPECT_EQ(s, "weight");
    QuorSend_QuantityNameByIndex(s, 9, 0);
    EXPECT_EQ(s, "n.a.");

    const int idx = 3, lang = 1;
    const std::uint8_t letter = 'K';
    QuorSend_QuantityName(s, &idx, &letter, &lang);
    EXPECT_EQ(s, "torque");
    QuorSend_QuantityName(s, nullptr, &letter, nullptr);
    EXPECT_EQ(s, "Kraft");
    QuorSend_QuantityName(s, nullptr, nullptr, &lang);
    EXPECT_EQ(s, "n.a.");
}

TEST(Quantities, UnitLadders)
{
    std::string unit = "keep";
    double factor = -1;
    EXPECT_FALSE(QuorSend_UnitByIndex(5, 4, &unit, &factor));
    EXPECT_FALSE(QuorSend_UnitByIndex(7, 0, &unit, &factor));
    EXPECT_FALSE(QuorSend_UnitByIndex(0, -1, &unit, &factor));
    EXPECT_EQ(unit, "keep");
    EXPECT_EQ(factor, -1);
    EXPECT_TRUE(QuorSend_UnitByIndex(3, 4, &unit, &factor));
    EXPECT_EQ(unit, "MN\xB7m");
    EXPECT_DOUBLE_EQ(factor, 1e-8);
    EXPECT_TRUE(QuorSend_UnitByIndex(6, 0, &unit, nullptr));
    EXPECT_EQ(unit, "ADU");

    const int highest[] = {0, 0, 0, 4, 4, 3, 0};
    for (int i = 0; i < kQuantityClassCount; ++i)
        EXPECT_EQ(QuorSend_HighestUnitIndex(i), highest[i]);
    EXPECT_EQ(QuorSend_HighestUnitIndex(7), -1);
}

TEST(Quantities, FormatPicksUnitAndDecimals)
{
    std::string s, number, unit;
    int unitIndex = -1, decimals = -1;
    double factor = 0;

    QuorSend_FormatNominal(s, "250", 'D', 0, &number, &unit, &unitIndex, &factor, &decimals);
    EXPECT_EQ(s, "2,50 N\xB7m");
    EXPECT_EQ(number, "2,50");
    EXPECT_EQ(unit, "N\xB7m");
    EXPECT_EQ(unitIndex, 2);
    EXPECT_DOUBLE_EQ(factor, 0.01);
    EXPECT_EQ(decimals, 2);
    QuorSend_FormatTorque(s, "250", 1000);
    EXPECT_EQ(s, "2.50 N\xB7m");

    QuorSend_FormatTorque(s, "1", 1000);
    EXPECT_EQ(s, "10.0 mN\xB7m");
    QuorSend_FormatTorque(s, "10", 1000);
    EXPECT_EQ(s, "10.0 cN\xB7m");
    QuorSend_FormatTorque(s, "5e14", 1000, nullptr, nullptr, &unitIndex);
    EXPECT_EQ(s, "5000000 MN\xB7m");
    EXPECT_EQ(unitIndex, 4);

    QuorSend_FormatForce(s, "0.01", 1000);
    EXPECT_EQ(s, "10.0 mN");
    QuorSend_FormatForce(s, "0,5", 1000);
    EXPECT_EQ(s, "500.0 mN");
    QuorSend_FormatForce(s, "1500", 1000);
    EXPECT_EQ(s, "1.50 kN");

    QuorSend_FormatWeight(s, "2.5e6", 1000, nullptr, nullptr, nullptr, nullptr, &decimals);
    EXPECT_EQ(s, "2.50 t");
    EXPECT_EQ(decimals, 2);
    QuorSend_FormatWeight(s, "5", 0);
    EXPECT_EQ(s, "5,00 g");

    QuorSend_FormatNominal(s, "1.5", 'd', 1000);
    EXPECT_EQ(s, "1.500 mV/V");
    QuorSend_FormatNominal(s, "1.5", 'A', 0);
    EXPECT_EQ(s, "1,50 V");
    QuorSend_FormatNominal(s, "20", 'S', 1000);
    EXPECT_EQ(s, "20.00 mA");
    QuorSend_FormatNominal(s, "1234.6", 'X', 1000);
    EXPECT_EQ(s, "1235 ADU");
}

TEST(Quantities, FormatRefusesValuesOutOfRange)
{
    std::string s, number = "keep";
    int decimals = -1;
    for (const char* text : {"0.009", "0", "-5", "abc", "1e16", "nan", "inf"}) {
        QuorSend_FormatForce(s, text, 1000, &number, nullptr, nullptr, nullptr, &decimals);
        EXPECT_EQ(s, "n.a.") << text;
    }
    EXPECT_EQ(number, "keep");
    EXPECT_EQ(decimals, -1);

    QuorSend_FormatNominal(s, "100", 'Q', 0, &number);
    EXPECT_EQ(s, "n.a. TypeClass Unkonwn");
    EXPECT_EQ(number, "keep");
}

TEST(Quantities, RangeCodesAndChannelTexts)
{
    EXPECT_EQ(QuorSend_RangeValueOfCode(0), 30);
    EXPECT_EQ(QuorSend_RangeValueOfCode(1), 300);
    EXPECT_EQ(QuorSend_RangeValueOfCode(3), 3000);
    EXPECT_EQ(QuorSend_RangeValueOfCode(4), 30);
    EXPECT_EQ(QuorSend_RangeCodeOfValue(30), 0);
    EXPECT_EQ(QuorSend_RangeCodeOfValue(31), 1);
    EXPECT_EQ(QuorSend_RangeCodeOfValue(1000), 2);
    EXPECT_EQ(QuorSend_RangeCodeOfValue(65536), 3);
    EXPECT_EQ(QuorSend_RangeCodeOfValue(65537), 0);

    std::string s;
    QuorSend_ChannelAssignmentText(s, 1, 1);
    EXPECT_EQ(s, "Kanal A");
    QuorSend_ChannelAssignmentText(s, 0, 2);
    EXPECT_EQ(s, "Kanal B");
    QuorSend_ChannelAssignmentText(s, 1, 7);
    EXPECT_EQ(s, "Drehwinkel+");
    QuorSend_ChannelAssignmentText(s, 0, 0xFF);
    EXPECT_EQ(s, "Kanal A FF");
    QuorSend_ChannelAssignmentText(s, 1, 8);
    EXPECT_EQ(s, "ERROR ukn LuT Val Channel 2");
    QuorSend_ChannelAssignmentText(s, 2, 0);
    EXPECT_EQ(s, "ERROR ukn LuT Val Channel ???");
}

TEST(QuorinTimer, ResolutionAndEvents)
{
    EXPECT_EQ(CQuorinTimer(0).Resolution(), CQuorinTimer::kMinPeriod);
    EXPECT_EQ(CQuorinTimer(5000000).Resolution(), CQuorinTimer::kMaxPeriod);

    CQuorinTimer timer(1);
    std::atomic<int> fired{0};
    int user = 42;
    std::atomic<void*> seen{nullptr};
    EXPECT_FALSE(timer.Start(1, nullptr, nullptr, CQuorinTimer::Periodic));
    ASSERT_TRUE(timer.Start(
        1,
        [&](unsigned, void* u) {
            seen = u;
            ++fired;
        },
        &user, CQuorinTimer::Periodic));
    EXPECT_NE(timer.EventId(), 0u);
    // Only one event at a time.
    EXPECT_FALSE(timer.Start(1, [](unsigned, void*) {}, nullptr, CQuorinTimer::OneShot));
    while (fired < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    timer.Stop();
    EXPECT_EQ(timer.EventId(), 0u);
    EXPECT_EQ(seen.load(), &user);
    const int after = fired;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(fired, after);

    // A one-shot fires once and the timer can then be started again; the
    // callback may stop its own timer.
    std::atomic<int> shots{0};
    ASSERT_TRUE(timer.Start(1, [&](unsigned, void*) { ++shots; }, nullptr, CQuorinTimer::OneShot));
    while (shots < 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(shots, 1);
    ASSERT_TRUE(timer.Start(
        1,
        [&](unsigned, void*) {
            ++shots;
            timer.Stop();
        },
        nullptr, CQuorinTimer::Periodic));
    while (shots < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(shots, 2);
}

TEST(QuorinTimer, TheDelayNotTheResolutionSetsThePeriod)
{
    // The coarsest resolution is 1000 s; a 1 ms event still fires at once.
    CQuorinTimer timer(CQuorinTimer::kMaxPeriod);
    std::atomic<int> fired{0};
    ASSERT_TRUE(timer.Start(1, [&](unsigned, void*) { ++fired; }, nullptr, CQuorinTimer::Periodic));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (fired < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    timer.Stop();
    EXPECT_GE(fired, 2);
}
