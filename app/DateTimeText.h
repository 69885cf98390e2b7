#pragma once

#include "platform/CString.h"

#include <ctime>
#include <functional>

// The PC's date and time as the pages print and send them. Format ids are
// language offsets: 1000 (English) writes mm/dd/yyyy, every other allowed id
// dd.mm.yyyy. The moment is taken once and kept until SetFromNow.
class CDateTimeText {
public:
    CDateTimeText(int id0, int id1, int id2, int id3, int currentId, bool twoDigitYear, bool uhrSuffix);

    void SetFromNow(bool twoDigitYear, bool uhrSuffix);
    // False (keeping format and time) when the id is not one of the four.
    bool SelectDateFormat(int id);

    CString GetDateText() const;
    CString GetTimeText() const;

    // Tests fix "now" here; null restores the real local time.
    static void SetNowSource(std::function<std::tm()> source);

private:
    int m_ids[4];
    int m_current;
    bool m_twoDigitYear;
    bool m_uhr;
    std::tm m_time{};
};
