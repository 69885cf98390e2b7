// The device's single-precision number format.
#include "telegram/Float32.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Decode(std::initializer_list<int> bytes, bool raw = false)
{
    std::uint8_t b[4];
    int i = 0;
    for (int x : bytes)
        b[i++] = static_cast<std::uint8_t>(x);
    CFloat32 f;
    return f.BytesToValue(b, raw);
}

std::uint32_t Encode(double v, bool* ok = nullptr)
{
    CFloat32 f;
    const bool result = f.ValueToBytes(&v);
    if (ok)
        *ok = result;
    return f.Word();
}

} // namespace

TEST(Float32, DecodesPatterns)
{
    EXPECT_EQ(Decode({0x3F, 0x80, 0x00, 0x00}), 1.0);
    EXPECT_EQ(Decode({0xC0, 0x00, 0x00, 0x00}), -2.0);
    EXPECT_EQ(Decode({0x3F, 0x40, 0x00, 0x00}), 0.75);
    // No special patterns: all-zero is inside the zero band, top exponent is a number.
    EXPECT_EQ(Decode({0x00, 0x00, 0x00, 0x00}), 0.0);
    EXPECT_GT(Decode({0x00, 0x00, 0x00, 0x00}, true), 0.0);
    EXPECT_TRUE(std::isfinite(Decode({0x7F, 0xFF, 0xFF, 0xFF})));
    EXPECT_GT(Decode({0x00, 0x00, 0x00, 0x01}), 0.0);
}

TEST(Float32, EncodesValues)
{
    EXPECT_EQ(Encode(1.0), 0x3F800000u);
    EXPECT_EQ(Encode(0.75), 0x3F400000u);
    EXPECT_EQ(Encode(-2.0), 0xC0000000u);
    EXPECT_EQ(Encode(0.0), 0u);
    EXPECT_EQ(Encode(-1e-40), 0u);
    bool ok = true;
    EXPECT_EQ(Encode(1e300, &ok), 0x7FFFFFFFu);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Encode(NAN, &ok), 0x7FFFFFFFu);
    EXPECT_FALSE(ok);
}

TEST(Float32, RoundTripsEveryDecodableValue)
{
    CFloat32 f;
    for (std::uint32_t word : {0x00000001u, 0x3FFFFFFFu, 0x40490FDBu, 0xC2F6E979u, 0x7FFFFFFFu, 0xFF7FFFFFu}) {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                                   static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
        const double v = f.BytesToValue(b);
        EXPECT_TRUE(f.ValueToBytes(&v)) << std::hex << word;
        EXPECT_EQ(f.Word(), word) << std::hex << word;
    }
}

TEST(Float32, ZeroIsZeroAtEveryWidth)
{
    for (int exponentBits = 1; exponentBits <= 30; ++exponentBits) {
        CFloat32 f(&exponentBits);
        for (double zero : {0.0, -0.0}) {
            EXPECT_TRUE(f.ValueToBytes(&zero)) << exponentBits;
            EXPECT_EQ(f.Word(), 0u) << exponentBits;
            EXPECT_EQ(f.BytesToValue(nullptr), 0.0) << exponentBits;
        }
    }
    // Below the smallest magnitude the widths hold (2^-1023 here) is 0 too.
    const int exponentBits = 11;
    CFloat32 f(&exponentBits);
    const double tiny = 1e-320;
    EXPECT_TRUE(f.ValueToBytes(&tiny));
    EXPECT_EQ(f.Word(), 0u);
}

TEST(Float32, OtherWidths)
{
    const int exponentBits = 5;
    CFloat32 f(&exponentBits);
    // 5 exponent bits, bias 15, 26 fraction bits: 1.0 is exponent 15.
    const double one = 1.0;
    EXPECT_TRUE(f.ValueToBytes(&one));
    EXPECT_EQ(f.Word(), 15u << 26);
    EXPECT_EQ(f.BytesToValue(nullptr), 1.0);
}
