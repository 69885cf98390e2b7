#include "DateTimeCtrl.h"
#include "ControlsImpl.h"

#include <QDateTimeEdit>

VX_IMPLEMENT_DYNAMIC(CDateTimeCtrl, CControlWnd)

using vx::ctldetail::CodeScope;

QWidget* CDateTimeCtrl::CreatePeer(QWidget* qtParent)
{
    auto* d = new QDateTimeEdit(qtParent);
    const bool timeMode = (GetStyle() & 0xF) == DTS_TIMEFORMAT;
    d->setDisplayFormat(timeMode ? QStringLiteral("HH:mm:ss") : QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(!timeMode && !(GetStyle() & DTS_UPDOWN));
    d->setDateTime(QDateTime::currentDateTime());
    if (GetStyle() & DTS_RIGHTALIGN)
        d->setAlignment(Qt::AlignRight);
    QObject::connect(d, &QDateTimeEdit::dateTimeChanged, Ctx(), [this](const QDateTime&) {
        if (!m_settingFromCode)
            NotifyParent(DTN_DATETIMECHANGE);
    });
    return d;
}

BOOL CDateTimeCtrl::SetTime(const COleDateTime& time)
{
    auto* d = qobject_cast<QDateTimeEdit*>(GetPeer());
    if (!d || time.GetStatus() != COleDateTime::valid)
        return FALSE;
    CodeScope scope(m_settingFromCode);
    const QDate date(time.GetYear(), time.GetMonth(), time.GetDay());
    const QTime t(time.GetHour(), time.GetMinute(), time.GetSecond());
    d->setDateTime(QDateTime(date, t));
    return TRUE;
}

DWORD CDateTimeCtrl::GetTime(COleDateTime& time) const
{
    auto* d = qobject_cast<QDateTimeEdit*>(GetPeer());
    if (!d) {
        time.SetStatus(COleDateTime::null);
        return GDT_NONE;
    }
    const QDateTime v = d->dateTime();
    time.SetDateTime(v.date().year(), v.date().month(), v.date().day(), v.time().hour(), v.time().minute(),
                     v.time().second());
    return GDT_VALID;
}

LRESULT CDateTimeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CControlWnd::WindowProc(msg, wParam, lParam);
}
