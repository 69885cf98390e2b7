#include "ControlWnd.h"
#include "ComboBox.h"
#include "ControlsImpl.h"
#include "Dc.h"
#include "SpinButtonCtrl.h"

#include <QGroupBox>
#include <QImage>
#include <QPainter>

VX_IMPLEMENT_DYNAMIC(CControlWnd, CWnd)

namespace vx::ctldetail {

void DrawOwnerItem(QPainter* painter, const QRect& r, CWnd* ctl, UINT type, int item, UINT state,
                   UINT_PTR data, const QColor& background)
{
    if (r.width() <= 0 || r.height() <= 0 || !ctl || !ctl->GetParent())
        return;
    QImage img(r.size(), QImage::Format_RGB32);
    img.fill(background);
    {
        CDC dc;
        dc.AttachImage(&img);
        DRAWITEMSTRUCT dis;
        dis.CtlType = type;
        dis.CtlID = static_cast<UINT>(ctl->GetDlgCtrlID());
        dis.itemID = static_cast<UINT>(item);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hwndItem = ctl;
        dis.hDC = &dc;
        dis.rcItem = CRect(0, 0, r.width(), r.height());
        dis.itemData = data;
        ctl->GetParent()->SendMessage(WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    }
    painter->drawImage(r.topLeft(), img);
}

} // namespace vx::ctldetail

CControlWnd::~CControlWnd()
{
    // The widget outlives this object by a moment (CWnd deletes it); no
    // signal of it may reach the parts already gone.
    delete m_ctx;
}

QObject* CControlWnd::Ctx()
{
    if (!m_ctx)
        m_ctx = new QObject;
    return m_ctx;
}

BOOL CControlWnd::CreateControl(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                                DWORD exStyle)
{
    if (!CreateEx(exStyle, nullptr, text, style, rect, parent, id))
        return FALSE;
    if (auto* combo = dynamic_cast<CComboBox*>(this)) {
        // A template's combo height is the dropped list; the field keeps the
        // height of one line.
        const CRect r(rect);
        combo->m_dropHeight = r.Height();
        const int field = GetPeer() ? GetPeer()->sizeHint().height() : r.Height();
        if (r.Height() > field)
            MoveWindow(r.left, r.top, r.Width(), field, FALSE);
    } else if (auto* spin = dynamic_cast<CSpinButtonCtrl*>(this)) {
        if ((style & UDS_AUTOBUDDY) && parent) {
            CWnd* before = nullptr;
            for (CWnd* c : parent->GetChildren()) {
                if (c == this)
                    break;
                before = c;
            }
            if (before)
                spin->SetBuddy(before);
        }
    } else if (GetPeer() && qobject_cast<QGroupBox*>(GetPeer())) {
        // Group boxes only frame the controls drawn over them.
        GetPeer()->lower();
    }
    return TRUE;
}

void CControlWnd::NotifyCommand(UINT code)
{
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_COMMAND, (static_cast<WPARAM>(code & 0xFFFF) << 16) | (GetDlgCtrlID() & 0xFFFF),
                            reinterpret_cast<LPARAM>(this));
}

LRESULT CControlWnd::NotifyParent(UINT code, NMHDR* header)
{
    NMHDR local;
    NMHDR* h = header ? header : &local;
    h->hwndFrom = this;
    h->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    h->code = code;
    CWnd* parent = GetParent();
    return parent ? parent->SendMessage(WM_NOTIFY, h->idFrom, reinterpret_cast<LPARAM>(h)) : 0;
}
