// What a sensor measures: seven quantity classes with their one-letter device
// code, German and English names, a ladder of units per class, and a
// formatter that picks a unit prefix and a number of decimals for a nominal
// value. Beside them: range codes, channel-assignment texts and a small
// periodic timer. Texts are Windows-1252 bytes ("N\xB7m" with the middle dot).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

inline constexpr int kQuantityClassCount = 7;

// -1 for a byte that is no class letter.
int QuorSend_ClassIndexOfLetter(std::uint8_t letter);
// 0xFF for an index outside 0..6.
std::uint8_t QuorSend_ClassLetterOfIndex(int index);

// German for language 0, English for any other; "n.a." when unknown.
void QuorSend_QuantityNameByLetter(std::string& out, std::uint8_t letter, int language);
void QuorSend_QuantityNameByIndex(std::string& out, int index, int language);
// By index when given, else by letter when given, else "n.a."; no language
// means German.
void QuorSend_QuantityName(std::string& out, const int* index, const std::uint8_t* letter, const int* language);

// true with the unit's text and factor (value in unit = value in the class's
// input unit x factor); false leaves both outputs as they were.
bool QuorSend_UnitByIndex(int classIndex, int unitIndex, std::string* unitText, double* factor);
// -1 for an unknown class.
int QuorSend_HighestUnitIndex(int classIndex);

// Formats a nominal value given as text (',' or '.' as decimal mark) in the
// class's input unit: "<number> <unit>", number localised for langOffset.
// Values below 0.01 or above 9.99e15 give "n.a." and write no output.
using QuorSendFormatter = void (*)(std::string& out, const std::string& valueText, int langOffset,
                                   std::string* number, std::string* unit, int* unitIndex, double* factor,
                                   int* decimals);
void QuorSend_FormatNominal(std::string& out, const std::string& valueText, std::uint8_t classLetter,
                            int langOffset, std::string* number = nullptr, std::string* unit = nullptr,
                            int* unitIndex = nullptr, double* factor = nullptr, int* decimals = nullptr);
void QuorSend_FormatStrainGauge(std::string& out, const std::string& valueText, int langOffset,
                                std::string* number = nullptr, std::string* unit = nullptr,
                                int* unitIndex = nullptr, double* factor = nullptr, int* decimals = nullptr);
void QuorSend_FormatVoltage(std::string& out, const std::string& valueText, int langOffset,
                            std::string* number = nullptr, std::string* unit = nullptr, int* unitIndex = nullptr,
                            double* factor = nullptr, int* decimals = nullptr);
void QuorSend_FormatCurrent(std::string& out, const std::string& valueText, int langOffset,
                            std::string* number = nullptr, std::string* unit = nullptr, int* unitIndex = nullptr,
                            double* factor = nullptr, int* decimals = nullptr);
void QuorSend_FormatTorque(std::string& out, const std::string& valueText, int langOffset,
                           std::string* number = nullptr, std::string* unit = nullptr, int* unitIndex = nullptr,
                           double* factor = nullptr, int* decimals = nullptr);
void QuorSend_FormatForce(std::string& out, const std::string& valueText, int langOffset,
                          std::string* number = nullptr, std::string* unit = nullptr, int* unitIndex = nullptr,
                          double* factor = nullptr, int* decimals = nullptr);
void QuorSend_FormatWeight(std::string& out, const std::string& valueText, int langOffset,
                           std::string* number = nullptr, std::string* unit = nullptr, int* unitIndex = nullptr,
                           double* factor = nullptr, int* decimals = nullptr);
void QuorSend_FormatMisc(std::string& out, const std::string& valueText, int langOffset,
                         std::string* number = nullptr, std::string* unit = nullptr, int* unitIndex = nullptr,
                         double* factor = nullptr, int* decimals = nullptr);

// 1 -> 300, 2 -> 1000, 3 -> 3000, anything else -> 30.
int QuorSend_RangeValueOfCode(int code);
// Smallest code whose range holds value; 0 above 65536.
int QuorSend_RangeCodeOfValue(std::uint32_t value);

void QuorSend_ChannelAssignmentText(std::string& out, int channel, std::uint8_t code);

// A one-shot or periodic timer event on a thread of its own, due every delay
// (at least kMinPeriod). The resolution, the accuracy asked for, is clamped
// into [kMinPeriod, kMaxPeriod] (0 asks for the finest). Only one event is
// active at a time; the callback runs on the timer's thread and may call Stop.
class CQuorinTimer {
public:
    enum EventType { OneShot = 0, Periodic = 1 };
    using Callback = std::function<void(unsigned eventId, void* user)>;
    static constexpr unsigned kMinPeriod = 1;
    static constexpr unsigned kMaxPeriod = 1000000;

    explicit CQuorinTimer(unsigned resolutionMs);
    ~CQuorinTimer();
    CQuorinTimer(const CQuorinTimer&) = delete;
    CQuorinTimer& operator=(const CQuorinTimer&) = delete;

    // false while an event is active or when callback is empty.
    bool Start(unsigned delayMs, Callback callback, void* user, EventType type);
    void Stop();

    unsigned Resolution() const { return m_resolution; }
    bool Started() const { return m_started; }
    unsigned EventId() const;

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        bool stop = false;
    };

    unsigned m_resolution = 0;
    bool m_started = false;
    mutable std::mutex m_mutex;
    unsigned m_eventId = 0;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
