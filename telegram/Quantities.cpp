#include "telegram/Quantities.h"

#include "telegram/CQuorin_Send.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace {

struct Unit {
    const char* text;
    double factor;
};

struct QuantityClass {
    std::uint8_t letter;
    const char* german;
    const char* english;
    const Unit* units;
    int highest;
};

const Unit kStrainUnits[] = {{"mV/V", 1.0}};
const Unit kVoltageUnits[] = {{"V", 1.0}};
const Unit kCurrentUnits[] = {{"mA", 1.0}};
const Unit kTorqueUnits[] = {
    {"mN\xB7m", 10.0}, {"cN\xB7m", 1.0}, {"N\xB7m", 0.01}, {"kN\xB7m", 1e-5}, {"MN\xB7m", 1e-8}};
const Unit kForceUnits[] = {{"mN", 1000.0}, {"cN", 100.0}, {"N", 1.0}, {"kN", 0.001}, {"MN", 1e-6}};
const Unit kWeightUnits[] = {{"mg", 1000.0}, {"g", 1.0}, {"kg", 0.001}, {"t", 1e-6}};
const Unit kMiscUnits[] = {{"ADU", 1.0}};

const QuantityClass kClasses[kQuantityClassCount] = {
    {'d', "Dehnmessstreifen \"DMS\"", "strain gauge \"SG\"", kStrainUnits, 0},
    {'A', "Spannung \"aktiv\"", "voltage \"active\"", kVoltageUnits, 0},
    {'S', "Strom \"aktiv\"", "current \"active\"", kCurrentUnits, 0},
    {'D', "Drehmoment", "torque", kTorqueUnits, 4},
    {'K', "Kraft", "force", kForceUnits, 4},
    {'W', "Gewicht", "weight", kWeightUnits, 3},
    {'X', "Sonstiges", "miscellaneous", kMiscUnits, 0},
};

enum ClassIndex { kStrain = 0, kVoltage, kCurrent, kTorque, kForce, kWeight, kMisc };

struct Choice {
    int unit;
    int decimals;
};

// Rows: m = 3, 2, 1, then d = 0 .. 15.
constexpr int kLadderRows = 19;
const Choice kTorqueLadder[kLadderRows] = {{0, 2}, {0, 2}, {0, 1}, {1, 2}, {1, 1}, {2, 2}, {2, 1},
                                          {2, 1}, {3, 2}, {3, 1}, {3, 1}, {3, 1}, {4, 1}, {4, 1},
                                          {4, 1}, {4, 0}, {4, 0}, {4, 0}, {4, 0}};
const Choice kForceLadder[kLadderRows] = {{0, 1}, {0, 1}, {0, 1}, {2, 2}, {2, 1}, {2, 1}, {3, 2},
                                         {3, 1}, {3, 1}, {4, 2}, {4, 1}, {4, 1}, {4, 1}, {4, 0},
                                         {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}};
const Choice kWeightLadder[kLadderRows] = {{0, 1}, {0, 1}, {0, 1}, {1, 2}, {1, 1}, {1, 1}, {2, 2},
                                          {2, 1}, {2, 1}, {3, 2}, {3, 1}, {3, 1}, {3, 1}, {3, 0},
                                          {3, 0}, {3, 0}, {3, 0}, {3, 0}, {3, 0}};

// Reads the number the way the device texts are meant: '.' as decimal mark
// whatever the desktop locale, leading blanks skipped, 0 when nothing reads.
double ReadNumber(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    const char* p = text.c_str();
    const char* end = p + text.size();
    while (p < end && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    double x = 0.0;
    if (std::from_chars(p, end, x).ec != std::errc())
        return 0.0;
    return negative ? -x : x;
}

// Row of the ladder for x: d full decades above 1, or for x below 10 the
// number of times it must be scaled by 10 to leave (0, 1].
int LadderRow(double x)
{
    int d = 0;
    while (x >= 10.0) {
        x /= 10.0;
        ++d;
    }
    if (d > 0)
        return 3 + std::min(d, 15);
    int m = 0;
    while (x > 0.0 && x <= 1.0) {
        x *= 10.0;
        ++m;
    }
    return 3 - std::min(m, 3);
}

void Format(int classIndex, std::string& out, const std::string& valueText, int langOffset, std::string* number,
            std::string* unit, int* unitIndex, double* factor, int* decimals)
{
    const double x = ReadNumber(valueText);
    // Written so that a value that is no number (nan) is refused as well.
    if (!(x >= 0.01 && x <= 9.99e15)) {
        out = "n.a.";
        return;
    }
    const QuantityClass& cls = kClasses[classIndex];
    Choice choice{0, 0};
    switch (classIndex) {
    case kStrain: choice = {0, 3}; break;
    case kVoltage:
    case kCurrent: choice = {0, 2}; break;
    case kMisc: choice = {0, 0}; break;
    case kTorque: choice = kTorqueLadder[LadderRow(x)]; break;
    case kForce: choice = kForceLadder[LadderRow(x)]; break;
    case kWeight: choice = kWeightLadder[LadderRow(x)]; break;
    }
    const Unit& u = cls.units[choice.unit];
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0.*f", choice.decimals, x * u.factor);
    const std::string text = CQuorin_Send::QuorSend_LocalDecimal(buf, langOffset);
    out = text + " " + u.text;
    if (number)
        *number = text;
    if (unit)
        *unit = u.text;
    if (unitIndex)
        *unitIndex = choice.unit;
    if (factor)
        *factor = u.factor;
    if (decimals)
        *decimals = choice.decimals;
}

} // namespace

int QuorSend_ClassIndexOfLetter(std::uint8_t letter)
{
    for (int i = 0; i < kQuantityClassCount; ++i)
        if (kClasses[i].letter == letter)
            return i;
    return -1;
}

std::uint8_t QuorSend_ClassLetterOfIndex(int index)
{
    if (index < 0 || index >= kQuantityClassCount)
        return 0xFF;
    return kClasses[index].letter;
}

void QuorSend_QuantityNameByLetter(std::string& out, std::uint8_t letter, int language)
{
    const int i = QuorSend_ClassIndexOfLetter(letter);
    if (i < 0) {
        out = "n.a.";
        return;
    }
    out = language == 0 ? kClasses[i].german : kClasses[i].english;
}

void QuorSend_QuantityNameByIndex(std::string& out, int index, int language)
{
    QuorSend_QuantityNameByLetter(out, QuorSend_ClassLetterOfIndex(index), language);
}

void QuorSend_QuantityName(std::string& out, const int* index, const std::uint8_t* letter, const int* language)
{
    const int lang = language ? *language : 0;
    if (index)
        QuorSend_QuantityNameByIndex(out, *index, lang);
    else if (letter)
        QuorSend_QuantityNameByLetter(out, *letter, lang);
    else
        out = "n.a.";
}

bool QuorSend_UnitByIndex(int classIndex, int unitIndex, std::string* unitText, double* factor)
{
    if (classIndex < 0 || classIndex >= kQuantityClassCount)
        return false;
    const QuantityClass& cls = kClasses[classIndex];
    if (unitIndex < 0 || unitIndex > cls.highest)
        return false;
    if (unitText)
        *unitText = cls.units[unitIndex].text;
    if (factor)
        *factor = cls.units[unitIndex].factor;
    return true;
}

int QuorSend_HighestUnitIndex(int classIndex)
{
    if (classIndex < 0 || classIndex >= kQuantityClassCount)
        return -1;
    return kClasses[classIndex].highest;
}

#define VX_FORMATTER(name, cls)                                                                            \
    void name(std::string& out, const std::string& valueText, int langOffset, std::string* number,        \
              std::string* unit, int* unitIndex, double* factor, int* decimals)                            \
    {                                                                                                      \
        Format(cls, out, valueText, langOffset, number, unit, unitIndex, factor, decimals);                \
    }
VX_FORMATTER(QuorSend_FormatStrainGauge, kStrain)
VX_FORMATTER(QuorSend_FormatVoltage, kVoltage)
VX_FORMATTER(QuorSend_FormatCurrent, kCurrent)
VX_FORMATTER(QuorSend_FormatTorque, kTorque)
VX_FORMATTER(QuorSend_FormatForce, kForce)
VX_FORMATTER(QuorSend_FormatWeight, kWeight)
VX_FORMATTER(QuorSend_FormatMisc, kMisc)
#undef VX_FORMATTER

void QuorSend_FormatNominal(std::string& out, const std::string& valueText, std::uint8_t classLetter,
                            int langOffset, std::string* number, std::string* unit, int* unitIndex,
                            double* factor, int* decimals)
{
    static const QuorSendFormatter kFormatters[kQuantityClassCount] = {
        QuorSend_FormatStrainGauge, QuorSend_FormatVoltage, QuorSend_FormatCurrent, QuorSend_FormatTorque,
        QuorSend_FormatForce,       QuorSend_FormatWeight,  QuorSend_FormatMisc};
    const int i = QuorSend_ClassIndexOfLetter(classLetter);
    if (i < 0) {
        out = "n.a. TypeClass Unkonwn";
        return;
    }
    kFormatters[i](out, valueText, langOffset, number, unit, unitIndex, factor, decimals);
}

int QuorSend_RangeValueOfCode(int code)
{
    switch (code) {
    case 1: return 300;
    case 2: return 1000;
    case 3: return 3000;
    default: return 30;
    }
}

int QuorSend_RangeCodeOfValue(std::uint32_t value)
{
    if (value <= 30)
        return 0;
    if (value <= 300)
        return 1;
    if (value <= 1000)
        return 2;
    if (value <= 65536)
        return 3;
    return 0;
}

void QuorSend_ChannelAssignmentText(std::string& out, int channel, std::uint8_t code)
{
    if (channel != 0 && channel != 1) {
        out = "ERROR ukn LuT Val Channel ???";
        return;
    }
    const bool a = channel == 0;
    switch (code) {
    case 0: out = a ? "Kanal A 00" : "Kanal B 00"; break;
    case 1: out = a ? "Kanal A 01" : "Kanal A"; break;
    case 2: out = a ? "Kanal B" : "Kanal B 02"; break;
    case 3: out = "Drehzahl"; break;
    case 4: out = "Drehwinkel"; break;
    case 5: out = "Kraft"; break;
    case 6: out = "Leistung"; break;
    case 7: out = "Drehwinkel+"; break;
    case 0xFF: out = a ? "Kanal A FF" : "Kanal B FF"; break;
    default: out = a ? "ERROR ukn LuT Val Channel 1" : "ERROR ukn LuT Val Channel 2"; break;
    }
}

// ---------------------------------------------------------------------------

CQuorinTimer::CQuorinTimer(unsigned resolutionMs)
{
    m_resolution = resolutionMs == 0 ? kMinPeriod : std::clamp(resolutionMs, kMinPeriod, kMaxPeriod);
    m_started = true;
}

CQuorinTimer::~CQuorinTimer()
{
    Stop();
}

unsigned CQuorinTimer::EventId() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_eventId;
}

bool CQuorinTimer::Start(unsigned delayMs, Callback callback, void* user, EventType type)
{
    if (!callback)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_eventId != 0) {
        bool active;
        {
            std::lock_guard<std::mutex> l(m_shared->mutex);
            active = !m_shared->stop;
        }
        if (active)
            return false;
        // A one-shot that has fired leaves its finished thread behind.
        if (m_thread.joinable())
            m_thread.join();
    }
    static std::atomic<unsigned> s_nextId{1};
    unsigned id = s_nextId++;
    if (id == 0)
        id = s_nextId++;
    m_eventId = id;
    auto shared = std::make_shared<Shared>();
    m_shared = shared;
    // The resolution is only how closely the event keeps to its time; the
    // delay alone sets when it fires.
    const auto period = std::chrono::milliseconds(std::max(delayMs, kMinPeriod));
    m_thread = std::thread([shared, period, callback = std::move(callback), user, type, id] {
        auto due = std::chrono::steady_clock::now() + period;
        for (;;) {
            {
                std::unique_lock<std::mutex> l(shared->mutex);
                if (shared->wake.wait_until(l, due, [&] { return shared->stop; }))
                    return;
            }
            callback(id, user);
            if (type != Periodic) {
                std::lock_guard<std::mutex> l(shared->mutex);
                shared->stop = true;
                return;
            }
            due += period;
        }
    });
    return true;
}

void CQuorinTimer::Stop()
{
    std::thread worker;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_started || m_eventId == 0)
            return;
        {
            std::lock_guard<std::mutex> l(m_shared->mutex);
            m_shared->stop = true;
        }
        m_shared->wake.notify_all();
        m_eventId = 0;
        worker = std::move(m_thread);
    }
    if (!worker.joinable())
        return;
    // From inside the callback the thread cannot wait for itself; it ends on
    // its own once the callback returns.
    if (worker.get_id() == std::this_thread::get_id())
        worker.detach();
    else
        worker.join();
}
