#include "measure/ValueStream.h"

#include "platform/Numbers.h"

#include <cctype>

FastStreamResult ParseFastStream(std::string_view buffer)
{
    FastStreamResult r;
    size_t i = 0;
    while (buffer.size() - i > 3) {
        if (buffer[i + 2] == '\r' && buffer[i + 3] == '\n') {
            const int raw = (static_cast<BYTE>(buffer[i]) << 8) | static_cast<BYTE>(buffer[i + 1]);
            r.readings.push_back(raw > 32767 ? raw - 65536 : raw);
            i += 4;
        } else {
            ++i; // out of step: move on one byte until a frame lines up
        }
    }
    r.consumed = i;
    r.endMark = buffer.substr(i) == "\r\n";
    return r;
}

SlowStreamResult ParseSlowStream(std::string_view buffer)
{
    SlowStreamResult r;
    size_t i = 0;
    for (;;) {
        const std::string_view rest = buffer.substr(i);
        if (rest == "\r\n") {
            r.endMark = true;
            i += 2;
            break;
        }
        const size_t p = rest.find("\r\n");
        if (p == std::string_view::npos) {
            // The value sits 19 bytes before the line end, so the tail that
            // may still hold it stays: a long line gives the same value
            // whether it came in one chunk or many.
            if (rest.size() > kSlowLineCap)
                i += rest.size() - kSlowValueReach - (rest.back() == '\r' ? 1 : 0);
            break;
        }
        if (p >= kSlowValueReach)
            r.values.emplace_back(rest.substr(p - kSlowValueReach, 6));
        i += p + 2;
    }
    r.consumed = i;
    return r;
}

static double Apply(double value, const ValueScale& scale)
{
    // A divisor of 0 can only come from a record nobody filled; plotting
    // infinities helps no one.
    const double scaled = value / (scale.divisor == 0 ? 1 : scale.divisor);
    CAlgebra algebra;
    return (algebra.*(scale.op ? scale.op : &CAlgebra::Add))(scaled, scale.operand);
}

double ConvertFrameReading(int reading, const ValueScale& scale)
{
    return Apply(static_cast<double>(reading), scale);
}

int LineReading(const CString& valueChars)
{
    CString digits(valueChars);
    digits.Replace(',', '.');
    digits.Remove('.');
    return vx::StrToInt(digits.GetString());
}

double ConvertLineValue(const CString& valueChars, const ValueScale& scale)
{
    return Apply(static_cast<double>(LineReading(valueChars)), scale);
}

CString FormatValueText(const CString& displayFormat, double value, const CString& unit)
{
    const std::string& f = displayFormat.str();
    int decimals = 0;
    std::string suffix = " ";
    if (f.size() >= 4 && f[0] == '%' && f[1] == '.' && std::isdigit(static_cast<unsigned char>(f[2]))) {
        size_t k = 2;
        while (k < f.size() && std::isdigit(static_cast<unsigned char>(f[k])) && k < 4)
            decimals = decimals * 10 + (f[k++] - '0');
        if (k < f.size() && f[k] == 'f' && f.find('%', k) == std::string::npos)
            suffix = f.substr(k + 1);
        else
            decimals = 0;
    }
    CString text(vx::Format("%.*f", decimals, value));
    text += CString(suffix);
    text += unit;
    return text;
}
