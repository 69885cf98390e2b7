#include "telegram/StatusReply.h"

#include <cstdio>

namespace {

// Offsets inside the received frame.
constexpr std::size_t kOffAddress2 = 3;
constexpr std::size_t kOffOk = 5;
constexpr std::size_t kOffFlags = 6;
constexpr std::size_t kOffStatorId = 7;
constexpr std::size_t kOffStatorRev = 8;
constexpr std::size_t kOffRotorId = 9;
constexpr std::size_t kOffRotorRev = 10;
constexpr std::size_t kOffWatchdog = 18;

template <typename T>
void Put(T* target, T value)
{
    if (target)
        *target = value;
}

std::string Line(const char* fmt, int value)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

bool IsGerman(int langOffset)
{
    return langOffset == 0 || langOffset == 2000 || langOffset == 3000;
}

} // namespace

bool QuorSend_DecodeStatus(std::string_view reply, std::uint8_t* address2, std::uint8_t* okByte,
                           std::uint8_t* calibration, std::uint8_t* userCalibration,
                           std::uint8_t* withoutDigitalInput, std::uint8_t* deviceKind, std::uint8_t* oem,
                           std::uint8_t* supportInfo, std::uint8_t* statorId, std::uint8_t* statorRevision,
                           std::uint8_t* rotorId, std::uint8_t* rotorRevision, std::uint8_t* watchdog,
                           std::string* report)
{
    if (reply.size() < kStatusReplyMinLength)
        return false;
    auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(reply[i]); };

    const std::uint8_t flags = at(kOffFlags);
    const std::uint8_t ok = at(kOffOk);
    const std::uint8_t calib = flags & 0x03;
    const std::uint8_t support = (flags >> 2) & 0x03;
    const std::uint8_t noDigital = (flags >> 5) & 1;
    const std::uint8_t kind = (flags >> 6) & 1;
    const std::uint8_t isOem = (flags >> 7) & 1;
    const std::uint8_t sId = at(kOffStatorId);
    const std::uint8_t sRev = at(kOffStatorRev);
    const std::uint8_t rId = at(kOffRotorId) & 0x7F;
    const std::uint8_t rRev = at(kOffRotorRev) & 0x7F;
    // An 18-byte reply ends before the watchdog byte.
    const std::uint8_t wd = reply.size() > kOffWatchdog ? at(kOffWatchdog) : 0;

    Put(address2, at(kOffAddress2));
    Put(okByte, ok);
    Put(calibration, calib);
    Put(userCalibration, static_cast<std::uint8_t>(calib == 3 ? 1 : 0));
    Put(withoutDigitalInput, noDigital);
    Put(deviceKind, kind);
    Put(oem, isOem);
    Put(supportInfo, support);
    Put(statorId, sId);
    Put(statorRevision, sRev);
    Put(rotorId, rId);
    Put(rotorRevision, rRev);
    Put(watchdog, wd);

    if (!report)
        return true;

    static const char* const kCalibLines[4] = {
        "Kalibrierung: \t\t\t\t UNDEFINIERT!!!",
        "Kalibrierung: \t\t\t\t ohne Kalibrierung (Offset = 0; Verst\xE4rkung = 1)",
        "Kalibrierung: \t\t\t\t Werkskalibrierung",
        "Kalibrierung: \t\t\t\t Benutzerkalibrierung",
    };
    const std::string lead = "\t\t\t\t ";
    std::string r;
    r += lead + Line("OK Byte: \t\t\t\t\t %d\n", ok);
    r += lead + kCalibLines[calib] + "\n";
    r += lead + (noDigital ? "Digitaler IO: \t\t\t\t ohne digitalen Eingang" : "Digitaler IO: \t\t\t\t mit digitalen Eingang");
    r += "\n";
    r += lead + (kind ? "Ger\xE4t: \t\t\t\t\t PXA-USB" : "Ger\xE4t: \t\t\t\t\t VRN-Box / MO-RS 485 / MO-USB");
    r += "\n";
    r += lead + (isOem ? "Version: \t\t\t\t\t OEM" : "Version: \t\t\t\t\t Quorin");
    r += "\n";
    r += lead + Line("SupportInfo(Bit3;Bit2): \t %d [0<=X<=3](unklare Definition da diese Bits in "
                     "Quorinprotokollbeschreibung lediglich als Reserviert markiert sind!)\n",
                     support);
    r += lead + Line("Stator  ID: \t\t\t\t %d\n", sId);
    r += lead + Line("Stator REV: \t\t\t\t %d\n", sRev);
    r += lead + Line("Rotor   ID: \t\t\t\t %d\n", rId);
    r += lead + Line("Rotor  REV: \t\t\t\t %d\n", rRev);
    r += lead + Line("Watchdog T: \t\t\t\t %d\n", wd);
    *report = std::move(r);
    return true;
}

void QuorSend_CalibrationName(std::string& out, std::uint8_t state)
{
    switch (state) {
    case 0: out = "illegal"; break;
    case 1: out = "no calib"; break;
    case 2: out = "factory"; break;
    case 3: out = "user"; break;
    default: out = "undefined"; break;
    }
}

const std::string& QuorSend_ErrorName(std::string& out, std::uint8_t code)
{
    switch (code) {
    case 0: out = "ERROR_OK"; break;
    case 2: out = "ERROR_WATCHDOG"; break;
    case 3: out = "ERROR_ROTOR_GENERIC"; break;
    case 7: out = "ERROR_ROTOR_INCOMP"; break;
    case 9: out = "ERROR_ROTOR_NOTFOUND"; break;
    case 12: out = "ERROR_ROTOR_GOTNACK"; break;
    case 13: out = "ERROR_ROTOR_BAD_ECHO"; break;
    case 14: out = "ERROR_ROTOR_BEEW"; break;
    case 16: out = "ERROR_ROTOR_BADMEASURE"; break;
    case 17: out = "ERROR_ROTOR_CS"; break;
    case 18: out = "ERROR_ROTOR_NOBLOCK"; break;
    case 20: out = "ERROR_CONFIG_BLOCK"; break;
    case 40: out = "ERROR_BADPARMSIZE"; break;
    case 41: out = "ERROR_BADCMD"; break;
    case 43: out = "ERROR_BAD_PARM"; break;
    case 45: out = "ERROR_CANT_OVERWR"; break;
    case 60: out = "ERROR_STACK"; break;
    case 61: out = "ERROR_ANGLE_OVERFLOW"; break;
    default: out = "ERROR_NOT_AVAILABLE DEFUALT ZWEIG nicht auskodiert 23435153164444"; break;
    }
    return out;
}

const std::string& QuorSend_StatorTypeText(std::string& out, std::uint8_t type, std::uint8_t revision,
                                           std::uint8_t deviceKind, std::uint8_t digitalInputBit,
                                           int langOffset)
{
    const bool german = IsGerman(langOffset);
    switch (type) {
    case 1:
    case 2: out = german ? "unbekannt" : "unknown"; break;
    case 3: out = "KT-MIRAN"; break;
    case 4: out = "KT-RS485"; break;
    case 5:
        if (deviceKind == 0) {
            out = "MO-USB";
        } else {
            out = revision < 6 ? "PXA-USB" : "PXA-USB2";
            if (digitalInputBit == 0)
                out += german ? " mit Digitaleingang" : " with digital input";
        }
        break;
    case 6: out = "KTX-DSP"; break;
    case 7: out = "KT-5200"; break;
    case 8: out = "ORV memory"; break;
    default: {
        char buf[96];
        std::snprintf(buf, sizeof buf,
                      german ? "n.a. [Stator Typ %d|Rev %d]322421234434" : "n.a. [Stator Typ %d|Rev %d]322421234435",
                      type, revision);
        out = buf;
        break;
    }
    }
    return out;
}
