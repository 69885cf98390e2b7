// Translation of the device's setting bytes into indices, values and display
// texts, the packed version number, two number-to-text helpers and the check
// of which parameter items a stator type accepts. None keeps state.
#pragma once

#include <cstdint>
#include <string>

// Steps of 20 from 40 (3.0) to 220 (0.05); anything else is the default row
// (index -1, 3.0, "(def) 3.0").
void QuorSend_CodeText20(std::string& out, std::uint8_t code, int* index = nullptr, double* value = nullptr);
// Codes 1..8 map to 6, 30, 60, 90, 120, 180, 360, 720; anything else gives
// index -2 and 60.
void QuorSend_CodeText8(std::string& out, std::uint8_t code, int* index = nullptr, std::int32_t* value = nullptr);
void QuorSend_BrandText(std::string& out, std::uint8_t code, int* index = nullptr);

// power x 0x1000 + three significant digits as nibbles: 1.05 -> 0x0105,
// 12.3 -> 0x1123. A number the word cannot hold (negative, not finite, or
// 1e16 and more, which needs a power above 15) gives 0xFFFF, the "no
// version" word that the version text shows empty.
int QuorSend_VersionValue(double number);

// Rounds the digit text at position (1..length) by the digit found there,
// keeping the text's length. Returns 0 (nothing to do or bad position),
// 1 (below 5, left as is), 2 (rounded up) or 3 (rounded up into a new
// leading digit: the caller's exponent must grow by one).
int QuorSend_RoundDigits(std::string& digits, int position, std::string* message = nullptr);

// "%i Digits" with the number of binary digits of value.
void QuorSend_BitCountText(std::string& out, std::uint32_t value);
// "1234* 10^4" for "12340000"; texts with fewer than four trailing zeros
// stay as they are.
void QuorSend_PowerOfTenText(std::string& out, const std::string& integerText);

// Which item a stator type accepts with which values: 0 accepted, 1 item not
// checked for this type, 2 or 3 accepted with a mode-dependent meaning,
// -15 item unknown to the type, -16 value not accepted, -17 item not offered
// by the type, -18 mode out of range. A value the item needs but whose
// pointer is null counts as not accepted (-16; -18 for the mode).
int QuorSend_CheckParameterCombination(std::int32_t item, std::uint8_t statorType, const std::int32_t* selector,
                                       const std::int32_t* baudRate, const std::int32_t* count,
                                       const std::int32_t* mode);
