#include "ToolTipCtrl.h"
#include "Text1252.h"

#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>

VX_IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

namespace {
class VxTipFilter : public QObject {
public:
    VxTipFilter(CToolTipCtrl* owner, CWnd* wnd, QObject* parent) : QObject(parent), m_owner(owner), m_wnd(wnd) {}
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::ToolTip)
            return false;
        auto* he = static_cast<QHelpEvent*>(e);
        const CString text = m_owner->TipTextAt(m_wnd, CPoint(he->pos().x(), he->pos().y()));
        if (text.IsEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(he->globalPos(), vx::ToQString(text), static_cast<QWidget*>(o));
        }
        return true;
    }

private:
    CToolTipCtrl* m_owner;
    CWnd* m_wnd;
};
} // namespace

CToolTipCtrl::~CToolTipCtrl()
{
    for (const QPointer<QObject>& f : m_filters)
        delete f.data();
}

BOOL CToolTipCtrl::Create(CWnd*, DWORD)
{
    // Qt shows the tips itself; the control only keeps the tools.
    return TRUE;
}

void CToolTipCtrl::watch(CWnd* wnd)
{
    if (!wnd || !wnd->GetPeer())
        return;
    std::erase_if(m_filters, [](const QPointer<QObject>& f) { return f.isNull(); });
    for (const QPointer<QObject>& f : m_filters)
        if (f->parent() == wnd->GetPeer())
            return;
    auto* f = new VxTipFilter(this, wnd, wnd->GetPeer());
    wnd->GetPeer()->installEventFilter(f);
    m_filters.emplace_back(f);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const char* text, const RECT* rect, UINT_PTR toolId)
{
    if (!wnd)
        return FALSE;
    m_tools.push_back({wnd, toolId, rect ? CRect(*rect) : CRect(), CString(text)});
    watch(wnd);
    return TRUE;
}

void CToolTipCtrl::Activate(BOOL activate) { m_active = activate != FALSE; }

CString CToolTipCtrl::TipTextAt(CWnd* wnd, CPoint point) const
{
    if (!m_active)
        return CString();
    // Later tools lie on top of earlier ones with the same id.
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it)
        if (it->wnd == wnd && (it->rect.IsRectEmpty() || it->rect.PtInRect(point)))
            return it->text;
    return CString();
}
