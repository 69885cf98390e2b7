#include "sim/DeviceMenu.h"

namespace vx35sim {

namespace {

MenuItem Function(std::string label, Setting s, std::vector<std::string> options)
{
    MenuItem m;
    m.label = std::move(label);
    m.setting = s;
    m.options = std::move(options);
    return m;
}

MenuItem Submenu(std::string label, std::vector<MenuItem> children)
{
    MenuItem m;
    m.label = std::move(label);
    m.children = std::move(children);
    return m;
}

} // namespace

std::string DeviceMenu::Pad8(const std::string& s)
{
    std::string r = s.substr(0, 8);
    r.resize(8, ' ');
    return r;
}

DeviceMenu::DeviceMenu(const std::string& infoModel, const std::string& infoFirmware)
{
    MenuItem measure;
    measure.label = "MESSEN";
    measure.measure = true;

    // The setup items sit where the control page's key sequences expect
    // them: 1 language, 2 info, 3 interface, 4 measuring, 5 calibration,
    // 7 logger, 8 clock.
    std::vector<MenuItem> setup{
        Function("SPRACHE", Setting::Language, {"DEUTSCH", "ENGLISH", "FRANCAIS", "ESPANOL"}),
        Submenu("INFO", {Function("INFO", Setting::Info, {"VX35 " + infoModel, "FW  " + infoFirmware})}),
        Submenu("SCHNITT",
                {Function("BAUD", Setting::Baud, {"   9600", "  19200", "  38400", " 115200"}),
                 Function("SCI MODE", Setting::SampleMode,
                          {"PC", "HAND", "AUTO", "TRIGGER", "TRIGGER2", "TRIGGER3"})}),
        Submenu("MESSUNG",
                {Function("RATE", Setting::AutoRate,
                          {"10 ms", "100 ms", "1 sec", "10 sec", "1 min", "10 min", "1 h"}),
                 Function("MITTEL", Setting::Average, {"  1", "  2", "  4", "  8", " 16"})}),
        Submenu("KALIB",
                {Function("NULLPKT", Setting::Calibration, {"NEIN", "JA"}),
                 Function("ENDWERT", Setting::Calibration, {"NEIN", "JA"}),
                 Function("SPEICHRN", Setting::Calibration, {"NEIN", "JA"}),
                 Function("ABBRUCH", Setting::Calibration, {"NEIN", "JA"})}),
        Function("ANALOG", Setting::Analog, {"0-10 V", "4-20 mA"}),
        Submenu("LOGGER", {Function("LOGGMODE", Setting::LoggerMode,
                                    {"LOGG aus", "HAND", "AUTO", "TRIGGER"})}),
        Submenu("UHR", {Function("DATUM", Setting::Date, {"DATUM"}),
                        Function("UHRZEIT", Setting::Time, {"UHRZEIT"})}),
    };
    root_.children = {measure, Submenu("SETUP", std::move(setup))};
    values_[Setting::Baud] = 3;
}

const std::vector<MenuItem>& DeviceMenu::level() const
{
    const MenuItem* node = &root_;
    for (std::size_t i = 0; i + 1 < path_.size(); ++i)
        node = &node->children[path_[i]];
    return node->children;
}

const MenuItem& DeviceMenu::selected() const { return level()[path_.back()]; }

Setting DeviceMenu::currentSetting() const
{
    return inFunction_ ? selected().setting : Setting::None;
}

int DeviceMenu::value(Setting s) const
{
    auto it = values_.find(s);
    return it == values_.end() ? 0 : it->second;
}

void DeviceMenu::setValue(Setting s, int option) { values_[s] = option; }

DeviceMenu::Result DeviceMenu::key(std::uint8_t k)
{
    Result r;
    if (measuring_) {
        if (k == 'n') {
            measuring_ = false;
            path_.assign(1, 0);
            r.action = Action::StopMeasuring;
        } else if (k == 'k') {
            r.action = Action::TakeValue;
        } else {
            r.action = Action::Nothing;
        }
        return r;
    }
    if (inFunction_) {
        const MenuItem& item = selected();
        const int n = static_cast<int>(item.options.size());
        switch (k) {
        case 'l': option_ = (option_ + 1) % n; break;
        case 'm': option_ = (option_ + n - 1) % n; break;
        case 'k':
            values_[item.setting] = option_;
            r.applied = item.setting;
            inFunction_ = false;
            break;
        case 'n': inFunction_ = false; break;
        default: r.action = Action::Nothing; break;
        }
        return r;
    }
    const int n = static_cast<int>(level().size());
    switch (k) {
    case 'l': path_.back() = (path_.back() + 1) % n; break;
    case 'm': path_.back() = (path_.back() + n - 1) % n; break;
    case 'k': {
        const MenuItem& item = selected();
        if (item.measure) {
            measuring_ = true;
            r.action = Action::StartMeasuring;
        } else if (!item.children.empty()) {
            path_.push_back(0);
        } else {
            inFunction_ = true;
            option_ = value(item.setting);
            if (option_ >= static_cast<int>(item.options.size()))
                option_ = 0;
        }
        break;
    }
    case 'n':
        if (path_.size() > 1)
            path_.pop_back();
        else
            path_.back() = 0;
        break;
    default: r.action = Action::Nothing; break;
    }
    return r;
}

std::string DeviceMenu::display(const std::string& dateText, const std::string& timeText) const
{
    if (measuring_)
        return Pad8("MESSEN");
    const MenuItem& item = selected();
    if (!inFunction_)
        return Pad8(item.label);
    if (item.setting == Setting::Date)
        return Pad8(dateText);
    if (item.setting == Setting::Time)
        return Pad8(timeText);
    return Pad8(item.options[option_]);
}

} // namespace vx35sim
