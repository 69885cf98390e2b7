#include "app/DateTimeText.h"

namespace {

std::function<std::tm()>& NowSource()
{
    static std::function<std::tm()> source;
    return source;
}

std::tm LocalNow()
{
    if (NowSource())
        return NowSource()();
    const std::time_t t = std::time(nullptr);
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

} // namespace

void CDateTimeText::SetNowSource(std::function<std::tm()> source) { NowSource() = std::move(source); }

CDateTimeText::CDateTimeText(int id0, int id1, int id2, int id3, int currentId, bool twoDigitYear, bool uhrSuffix)
    : m_ids{id0, id1, id2, id3}, m_current(id0), m_twoDigitYear(twoDigitYear), m_uhr(uhrSuffix), m_time(LocalNow())
{
    SelectDateFormat(currentId);
}

void CDateTimeText::SetFromNow(bool twoDigitYear, bool uhrSuffix)
{
    m_twoDigitYear = twoDigitYear;
    m_uhr = uhrSuffix;
    m_time = LocalNow();
}

bool CDateTimeText::SelectDateFormat(int id)
{
    for (int allowed : m_ids)
        if (allowed == id) {
            m_current = id;
            return true;
        }
    return false;
}

CString CDateTimeText::GetDateText() const
{
    const int year = m_time.tm_year + 1900;
    const int y = m_twoDigitYear ? year % 100 : year;
    CString day, month, yearText;
    day.Format("%02d", m_time.tm_mday);
    month.Format("%02d", m_time.tm_mon + 1);
    if (m_twoDigitYear)
        yearText.Format("%02d", y);
    else
        yearText.Format("%04d", y);
    if (m_current == 1000)
        return month + "/" + day + "/" + yearText;
    return day + "." + month + "." + yearText;
}

CString CDateTimeText::GetTimeText() const
{
    CString t;
    t.Format("%02d:%02d:%02d", m_time.tm_hour, m_time.tm_min, m_time.tm_sec);
    if (m_uhr)
        t += " Uhr";
    return t;
}
