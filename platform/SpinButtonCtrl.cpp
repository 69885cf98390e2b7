#include "SpinButtonCtrl.h"
#include "Numbers.h"

#include <QEvent>
#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CControlWnd)

QWidget* CSpinButtonCtrl::CreatePeer(QWidget* qtParent)
{
    auto* w = new QWidget(qtParent);
    const bool horz = (GetStyle() & UDS_HORZ) != 0;
    auto* up = new QToolButton(w);
    auto* down = new QToolButton(w);
    up->setArrowType(horz ? Qt::RightArrow : Qt::UpArrow);
    down->setArrowType(horz ? Qt::LeftArrow : Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setObjectName(b == up ? QStringLiteral("up") : QStringLiteral("down"));
    }
    QObject::connect(up, &QToolButton::clicked, Ctx(), [this] { Step(+1); });
    QObject::connect(down, &QToolButton::clicked, Ctx(), [this] { Step(-1); });
    // The two halves follow the control's size.
    struct Layout : QObject {
        QToolButton *up, *down;
        bool horz;
        Layout(QWidget* w, QToolButton* u, QToolButton* d, bool h) : QObject(w), up(u), down(d), horz(h)
        {
            w->installEventFilter(this);
        }
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Resize || e->type() == QEvent::Show) {
                auto* w = static_cast<QWidget*>(o);
                const int W = w->width(), H = w->height();
                if (horz) {
                    down->setGeometry(0, 0, W / 2, H);
                    up->setGeometry(W / 2, 0, W - W / 2, H);
                } else {
                    up->setGeometry(0, 0, W, H / 2);
                    down->setGeometry(0, H / 2, W, H - H / 2);
                }
            }
            return false;
        }
    };
    new Layout(w, up, down, horz);
    return w;
}

void CSpinButtonCtrl::SetRange32(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_pos = std::clamp(m_pos, std::min(lower, upper), std::max(lower, upper));
}

int CSpinButtonCtrl::SetPos32(int pos)
{
    const int old = GetPos32();
    m_pos = std::clamp(pos, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
    writeBuddy();
    return old;
}

int CSpinButtonCtrl::GetPos32(BOOL* error) const
{
    if (error)
        *error = FALSE;
    CWnd* buddy = CWnd::IsLive(m_buddy, m_buddySerial) ? m_buddy : nullptr;
    if (!buddy || !(GetStyle() & UDS_SETBUDDYINT))
        return m_pos;
    const CString text = buddy->GetWindowTextString();
    const char* s = text.GetString();
    while (*s == ' ')
        ++s;
    const char* digits = (*s == '-' || *s == '+') ? s + 1 : s;
    if (*digits < '0' || *digits > '9') {
        if (error)
            *error = TRUE;
        return m_pos;
    }
    const long long v = vx::StrToInt64(s);
    const long long lo = std::min(m_lower, m_upper), hi = std::max(m_lower, m_upper);
    if (v < lo || v > hi) {
        if (error)
            *error = TRUE;
        return static_cast<int>(std::clamp(v, lo, hi));
    }
    return static_cast<int>(v);
}

namespace {
// Up and down keys in the buddy step the up-down (UDS_ARROWKEYS).
class VxBuddyKeys : public QObject {
public:
    VxBuddyKeys(CSpinButtonCtrl* spin, QObject* parent) : QObject(parent), m_spin(spin), m_serial(spin->GetSerial()) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress || !CWnd::IsLive(m_spin, m_serial) || m_spin->GetBuddy() != buddy)
            return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key != Qt::Key_Up && key != Qt::Key_Down)
            return false;
        m_spin->Step(key == Qt::Key_Up ? +1 : -1);
        return true;
    }
    CWnd* buddy = nullptr;

private:
    CSpinButtonCtrl* m_spin;
    std::uint64_t m_serial;
};
} // namespace

void CSpinButtonCtrl::attachBuddy(CWnd* buddy)
{
    m_buddy = buddy;
    m_buddySerial = buddy ? buddy->GetSerial() : 0;
    if (buddy && buddy->GetPeer() && GetPeer() && (GetStyle() & UDS_ARROWKEYS)) {
        auto* keys = new VxBuddyKeys(this, GetPeer());
        keys->buddy = buddy;
        buddy->GetPeer()->installEventFilter(keys);
    }
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy)
{
    CWnd* old = m_buddy;
    attachBuddy(buddy);
    if (buddy && (GetStyle() & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) && buddy->GetParent() == GetParent()) {
        // Sits on the buddy's edge; the buddy gives up that width.
        CRect b, me;
        buddy->GetWindowRect(&b);
        GetWindowRect(&me);
        if (CWnd* parent = GetParent()) {
            parent->ScreenToClient(&b);
            parent->ScreenToClient(&me);
        }
        const int w = me.Width();
        if (GetStyle() & UDS_ALIGNRIGHT) {
            buddy->MoveWindow(b.left, b.top, std::max(0, b.Width() - w), b.Height());
            MoveWindow(b.right - w, b.top, w, b.Height());
        } else {
            buddy->MoveWindow(b.left + w, b.top, std::max(0, b.Width() - w), b.Height());
            MoveWindow(b.left, b.top, w, b.Height());
        }
    }
    return old;
}

void CSpinButtonCtrl::writeBuddy()
{
    CWnd* buddy = CWnd::IsLive(m_buddy, m_buddySerial) ? m_buddy : nullptr;
    if (buddy && (GetStyle() & UDS_SETBUDDYINT))
        buddy->SetWindowText(vx::Format("%d", m_pos).c_str());
}

void CSpinButtonCtrl::Step(int direction)
{
    if (!IsWindowEnabled())
        return;
    const int pos = GetPos32();
    const int lo = std::min(m_lower, m_upper), hi = std::max(m_lower, m_upper);
    long long next = static_cast<long long>(pos) + (m_upper >= m_lower ? direction : -direction);
    if (next < lo || next > hi) {
        if (!(GetStyle() & UDS_WRAP))
            return;
        next = next < lo ? hi : lo;
    }
    NMUPDOWN nm;
    nm.iPos = pos;
    nm.iDelta = static_cast<int>(next - pos);
    if (NotifyParent(UDN_DELTAPOS, &nm.hdr) != 0)
        return;
    m_pos = static_cast<int>(std::clamp<long long>(static_cast<long long>(pos) + nm.iDelta, lo, hi));
    writeBuddy();
    if (CWnd* parent = GetParent()) {
        const UINT msg = (GetStyle() & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        parent->SendMessage(msg, (static_cast<WPARAM>(m_pos & 0xFFFF) << 16) | SB_THUMBPOSITION,
                            reinterpret_cast<LPARAM>(this));
        parent->SendMessage(msg, (static_cast<WPARAM>(m_pos & 0xFFFF) << 16) | SB_ENDSCROLL,
                            reinterpret_cast<LPARAM>(this));
    }
}

LRESULT CSpinButtonCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UDM_SETRANGE32:
        SetRange32(static_cast<int>(static_cast<INT_PTR>(wParam)), static_cast<int>(lParam));
        return 0;
    case UDM_GETRANGE32:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = m_lower;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = m_upper;
        return 0;
    case UDM_SETPOS32:
        return SetPos32(static_cast<int>(lParam));
    case UDM_GETPOS32:
        return GetPos32(reinterpret_cast<BOOL*>(lParam));
    case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(SetBuddy(reinterpret_cast<CWnd*>(wParam)));
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(GetBuddy());
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}
