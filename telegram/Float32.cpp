#include "telegram/Float32.h"

#include <cmath>

namespace {

std::uint32_t WordOf(const std::uint8_t* b)
{
    return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
           (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
}

} // namespace

CFloat32::CFloat32(const int* exponentBits, const int* fractionBits)
{
    // Both fields need at least one bit, so a width is capped at 30.
    if (exponentBits && *exponentBits >= 1) {
        m_exponentBits = *exponentBits > 30 ? 30 : *exponentBits;
        m_fractionBits = 31 - m_exponentBits;
    } else if (fractionBits && *fractionBits >= 1) {
        m_fractionBits = *fractionBits > 30 ? 30 : *fractionBits;
        m_exponentBits = 31 - m_fractionBits;
    }
    m_biasPower = std::ldexp(1.0, m_exponentBits - 1);
    InitLimits();
}

CFloat32::~CFloat32() = default;

double CFloat32::Decode(std::uint32_t word) const
{
    const bool negative = (word >> 31) != 0;
    const std::uint32_t fractionMask = (1u << m_fractionBits) - 1u;
    const std::uint32_t exponentMask = (1u << m_exponentBits) - 1u;
    const std::uint32_t f = word & fractionMask;
    const int e = static_cast<int>((word >> m_fractionBits) & exponentMask);
    const int bias = static_cast<int>(m_biasPower) - 1;
    const double mantissa = 1.0 + std::ldexp(static_cast<double>(f), -m_fractionBits);
    const double v = std::ldexp(mantissa, e - bias);
    return negative ? -v : v;
}

void CFloat32::InitLimits()
{
    m_largest = Decode(WordOf(m_largestBytes));
    m_largestNegative = Decode(WordOf(m_largestNegativeBytes));
    m_zeroHigh = Decode(WordOf(m_zeroHighBytes));
    m_zeroLow = Decode(WordOf(m_zeroLowBytes));
}

void CFloat32::SetWord(std::uint32_t word)
{
    m_word = word;
    m_bytes[0] = static_cast<std::uint8_t>(word >> 24);
    m_bytes[1] = static_cast<std::uint8_t>(word >> 16);
    m_bytes[2] = static_cast<std::uint8_t>(word >> 8);
    m_bytes[3] = static_cast<std::uint8_t>(word);
}

double CFloat32::BytesToValue(const std::uint8_t* bytes, bool raw)
{
    if (bytes)
        SetWord(WordOf(bytes));
    const std::uint32_t fractionMask = (1u << m_fractionBits) - 1u;
    m_sign = (m_word >> 31) ? -1.0f : 1.0f;
    m_exponent = static_cast<int>((m_word >> m_fractionBits) & ((1u << m_exponentBits) - 1u));
    m_fraction = m_word & fractionMask;
    double v = Decode(m_word);
    if (!raw && InZeroBand(v))
        v = 0.0;
    m_value = v;
    return v;
}

bool CFloat32::ValueToBytes(const double* value)
{
    if (value)
        m_value = *value;
    const double v = m_value;
    const std::uint32_t failure = WordOf(m_largestBytes);
    if (std::isnan(v) || std::isinf(v)) {
        SetWord(failure);
        return false;
    }
    // Zero and whatever lies below the smallest magnitude the format holds
    // (2^-bias, all bits 0) encode as 0. With wide exponents the zero band
    // underflows to nothing in a double, so zero is tested on its own.
    const int bias = static_cast<int>(m_biasPower) - 1;
    if (v == 0.0 || InZeroBand(v) || std::fabs(v) < std::ldexp(1.0, -bias)) {
        SetWord(0);
        m_sign = 1.0f;
        m_exponent = 0;
        m_fraction = 0;
        return true;
    }
    // frexp is exact where floor(log2()) can be off by one next to a power of two.
    int exp2 = 0;
    const double m = std::frexp(std::fabs(v), &exp2); // |v| = m * 2^exp2, m in [0.5, 1)
    int e = exp2 - 1;
    const int maxE = static_cast<int>((1u << m_exponentBits) - 1u);
    double f = std::round(std::ldexp(2.0 * m - 1.0, m_fractionBits));
    if (f >= std::ldexp(1.0, m_fractionBits)) { // rounding carried into the exponent
        f = 0.0;
        ++e;
    }
    const int biased = e + bias;
    if (biased > maxE || biased < 0) {
        SetWord(failure);
        return false;
    }
    std::uint32_t word = (static_cast<std::uint32_t>(biased) << m_fractionBits) | static_cast<std::uint32_t>(f);
    if (v < 0)
        word |= 0x80000000u;
    SetWord(word);
    m_sign = v < 0 ? -1.0f : 1.0f;
    m_exponent = biased;
    m_fraction = static_cast<std::uint32_t>(f);
    return true;
}
