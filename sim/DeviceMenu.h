#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vx35sim {

// What a menu function sets. Only the sample mode and the AUTO rate change
// what the device sends; the others are remembered and shown.
enum class Setting {
    None,
    Language,
    Info,
    Baud,
    SampleMode,
    AutoRate,
    Average,
    Calibration,
    Analog,
    LoggerMode,
    Date,
    Time
};

struct MenuItem {
    std::string label;              // shown on the 8-character display
    std::vector<MenuItem> children; // a submenu when not empty
    Setting setting = Setting::None;
    std::vector<std::string> options;
    bool measure = false;           // the measuring screen
};

// The device's keypad menu: 'l' next item, 'm' previous item, 'k' enter or
// confirm, 'n' back. Five 'n' reach the home menu's first item from
// anywhere, because no function lies deeper than four levels and 'n' on
// the home menu goes back to its first item.
class DeviceMenu {
public:
    enum class Action { Display, StartMeasuring, StopMeasuring, TakeValue, Nothing };
    struct Result {
        Action action = Action::Display;
        Setting applied = Setting::None; // set when 'k' confirmed a function
    };

    DeviceMenu(const std::string& infoModel, const std::string& infoFirmware);

    Result key(std::uint8_t k);
    bool measuring() const { return measuring_; }
    bool inFunction() const { return inFunction_; }
    Setting currentSetting() const;
    int value(Setting s) const;          // confirmed option index
    void setValue(Setting s, int option);
    // Display line, 8 characters; functions of Date and Time show what the
    // caller passes, as their text depends on the clock.
    std::string display(const std::string& dateText = {}, const std::string& timeText = {}) const;
    std::size_t depth() const { return path_.size(); }

    static std::string Pad8(const std::string& s);

private:
    const std::vector<MenuItem>& level() const;
    const MenuItem& selected() const;

    MenuItem root_;
    std::vector<int> path_{0}; // selected index per level, root first
    bool inFunction_ = false;
    int option_ = 0;
    bool measuring_ = false;
    std::map<Setting, int> values_;
};

} // namespace vx35sim
