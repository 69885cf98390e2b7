// Single-precision numbers as the device stores them in its parameter blocks:
// sign, biased exponent and fraction with an implied leading one, big-endian.
// The device knows no subnormals, infinities or not-a-number, so every bit
// pattern is an ordinary number, and a narrow band around zero (which the
// format cannot reach) reads as 0.0.
#pragma once

#include <cstdint>

class CFloat32 {
public:
    // A width of at least 1 given for either field sets it and gives the other
    // the remaining 31 bits; otherwise 8 exponent and 23 fraction bits.
    explicit CFloat32(const int* exponentBits = nullptr, const int* fractionBits = nullptr);
    virtual ~CFloat32();

    // Value of four bytes (most significant first); with bytes null, of the
    // object's own bytes. Unless raw, a value inside the zero band is 0.0.
    double BytesToValue(const std::uint8_t* bytes, bool raw = false);
    // Encodes the value (or the current value when null) into the object's
    // bytes. Zero, and any magnitude below the smallest the format holds,
    // stores 00 00 00 00 whatever the widths. A value too large to encode,
    // or not a number, stores 7F FF FF FF and gives false.
    bool ValueToBytes(const double* value = nullptr);

    // Computes the largest value and the edges of the zero band.
    void InitLimits();

    double Value() const { return m_value; }
    std::uint32_t Word() const { return m_word; }
    const std::uint8_t* Bytes() const { return m_bytes; }
    double Largest() const { return m_largest; }
    double ZeroBandLow() const { return m_zeroLow; }
    double ZeroBandHigh() const { return m_zeroHigh; }

private:
    double Decode(std::uint32_t word) const;
    void SetWord(std::uint32_t word);
    bool InZeroBand(double v) const { return v > m_zeroLow && v < m_zeroHigh; }

    double m_value = 0.0;
    std::uint32_t m_word = 0;
    std::uint8_t m_bytes[4] = {0, 0, 0, 0};
    float m_sign = 1.0f;
    int m_exponent = 0;
    int m_exponentBits = 8;
    // 2^(exponent bits - 1); the bias is one less.
    double m_biasPower = 128.0;
    std::uint32_t m_fraction = 0;
    int m_fractionBits = 23;
    double m_largest = 0.0;
    std::uint8_t m_largestBytes[4] = {0x7F, 0xFF, 0xFF, 0xFF};
    double m_largestNegative = 0.0;
    std::uint8_t m_largestNegativeBytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    double m_zeroHigh = 0.0;
    std::uint8_t m_zeroHighBytes[4] = {0x00, 0x00, 0x00, 0x01};
    double m_zeroLow = 0.0;
    std::uint8_t m_zeroLowBytes[4] = {0x80, 0x00, 0x00, 0x01};
};
