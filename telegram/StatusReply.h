// Status reply of the device, its error codes, calibration states and the
// names of its stator types. Stateless helpers beside CQuorin_Send.
//
// Texts are Windows-1252 bytes in std::string, like every text of the
// telegram library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Shortest status reply that can be decoded; the watchdog byte behind it is
// optional.
inline constexpr std::size_t kStatusReplyMinLength = 18;

// Decodes a status reply into the fields the pointers ask for (any may be
// null) and, when report is given, a German multi-line report. Returns false
// and writes nothing when the reply is shorter than kStatusReplyMinLength.
bool QuorSend_DecodeStatus(std::string_view reply, std::uint8_t* address2 = nullptr,
                           std::uint8_t* okByte = nullptr, std::uint8_t* calibration = nullptr,
                           std::uint8_t* userCalibration = nullptr, std::uint8_t* withoutDigitalInput = nullptr,
                           std::uint8_t* deviceKind = nullptr, std::uint8_t* oem = nullptr,
                           std::uint8_t* supportInfo = nullptr, std::uint8_t* statorId = nullptr,
                           std::uint8_t* statorRevision = nullptr, std::uint8_t* rotorId = nullptr,
                           std::uint8_t* rotorRevision = nullptr, std::uint8_t* watchdog = nullptr,
                           std::string* report = nullptr);

void QuorSend_CalibrationName(std::string& out, std::uint8_t state);
// Returns out, filled with the code's name or the catch-all text.
const std::string& QuorSend_ErrorName(std::string& out, std::uint8_t code);
// German for language offsets 0, 2000 and 3000, English otherwise.
const std::string& QuorSend_StatorTypeText(std::string& out, std::uint8_t type, std::uint8_t revision,
                                           std::uint8_t deviceKind, std::uint8_t digitalInputBit,
                                           int langOffset);
