#include "TabCtrl.h"
#include "ControlsImpl.h"
#include "Text1252.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CTabCtrl, CControlWnd)

using vx::ctldetail::CodeScope;

// A tab bar over a framed display area. Clicks and keys go through the
// owner so that TCN_SELCHANGING can keep the old tab.
class VxTabWidget : public QWidget {
public:
    VxTabWidget(CTabCtrl* owner, QWidget* parent) : QWidget(parent), m_owner(owner), m_bar(new QTabBar(this))
    {
        m_bar->setDrawBase(false);
        m_bar->setExpanding(false);
        m_bar->setUsesScrollButtons(true);
        m_bar->setFocusPolicy(Qt::NoFocus);
        m_bar->installEventFilter(this);
        setFocusPolicy(Qt::TabFocus);
    }
    QTabBar* bar() const { return m_bar; }
    int barHeight() const { return m_bar->count() ? m_bar->sizeHint().height() : m_bar->fontMetrics().height() + 10; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == m_bar) {
            if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
                auto* me = static_cast<QMouseEvent*>(e);
                const int i = m_bar->tabAt(me->position().toPoint());
                if (me->button() == Qt::LeftButton && i >= 0 && i != m_bar->currentIndex())
                    m_owner->userSelect(i);
                return true;
            }
            if (e->type() == QEvent::Wheel)
                return true;
        }
        return QWidget::eventFilter(o, e);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const int cur = m_bar->currentIndex();
        if (e->key() == Qt::Key_Left && cur > 0)
            m_owner->userSelect(cur - 1);
        else if (e->key() == Qt::Key_Right && cur + 1 < m_bar->count())
            m_owner->userSelect(cur + 1);
        else
            QWidget::keyPressEvent(e);
    }
    void resizeEvent(QResizeEvent*) override { layoutBar(); }
    void paintEvent(QPaintEvent*) override
    {
        layoutBar();
        QPainter p(this);
        QStyleOptionTabWidgetFrame opt;
        opt.initFrom(this);
        opt.rect = QRect(0, barHeight() - 1, width(), height() - barHeight() + 1);
        opt.shape = QTabBar::RoundedNorth;
        opt.tabBarSize = m_bar->sizeHint();
        opt.tabBarRect = m_bar->geometry();
        style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &p, this);
    }

public:
    void layoutBar()
    {
        const int h = barHeight();
        if (m_bar->geometry() != QRect(2, 0, std::max(0, width() - 4), h))
            m_bar->setGeometry(2, 0, std::max(0, width() - 4), h);
    }

private:
    CTabCtrl* m_owner;
    QTabBar* m_bar;
};

namespace {
VxTabWidget* Tabs(const CWnd* w) { return dynamic_cast<VxTabWidget*>(w->GetPeer()); }
constexpr int kTabPaneMargin = 4;
} // namespace

QWidget* CTabCtrl::CreatePeer(QWidget* qtParent) { return new VxTabWidget(this, qtParent); }

LONG CTabCtrl::InsertItem(int index, const char* text) { return InsertItem(index, text, 0); }

LONG CTabCtrl::InsertItem(int index, const char* text, LPARAM data)
{
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(text);
    item.lParam = data;
    return InsertItem(index, &item);
}

LONG CTabCtrl::InsertItem(int index, TCITEM* item)
{
    VxTabWidget* t = Tabs(this);
    if (!t || !item)
        return -1;
    QTabBar* bar = t->bar();
    if (index < 0 || index > bar->count())
        index = bar->count();
    CodeScope scope(m_settingFromCode);
    const int cur = bar->currentIndex();
    const QString text = (item->mask & TCIF_TEXT) && item->pszText ? vx::ToQString(CString(item->pszText)) : QString();
    bar->insertTab(index, text);
    bar->setTabData(index, QVariant::fromValue<qlonglong>((item->mask & TCIF_PARAM) ? item->lParam : 0));
    // The first tab becomes the selection; later inserts keep it.
    if (cur >= 0)
        bar->setCurrentIndex(index <= cur ? cur + 1 : cur);
    t->layoutBar();
    t->update();
    return index;
}

BOOL CTabCtrl::DeleteItem(int index)
{
    VxTabWidget* t = Tabs(this);
    if (!t || index < 0 || index >= t->bar()->count())
        return FALSE;
    CodeScope scope(m_settingFromCode);
    t->bar()->removeTab(index);
    t->update();
    return TRUE;
}

BOOL CTabCtrl::DeleteAllItems()
{
    VxTabWidget* t = Tabs(this);
    if (!t)
        return FALSE;
    CodeScope scope(m_settingFromCode);
    while (t->bar()->count())
        t->bar()->removeTab(0);
    t->update();
    return TRUE;
}

int CTabCtrl::GetItemCount() const
{
    VxTabWidget* t = Tabs(this);
    return t ? t->bar()->count() : 0;
}

BOOL CTabCtrl::GetItem(int index, TCITEM* item) const
{
    VxTabWidget* t = Tabs(this);
    if (!t || !item || index < 0 || index >= t->bar()->count())
        return FALSE;
    if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        const CString s = vx::FromQString(t->bar()->tabText(index));
        const int n = std::min(s.GetLength(), item->cchTextMax - 1);
        std::copy(s.str().begin(), s.str().begin() + n, item->pszText);
        item->pszText[n] = '\0';
    }
    if (item->mask & TCIF_PARAM)
        item->lParam = static_cast<LPARAM>(t->bar()->tabData(index).toLongLong());
    return TRUE;
}

BOOL CTabCtrl::SetItem(int index, TCITEM* item)
{
    VxTabWidget* t = Tabs(this);
    if (!t || !item || index < 0 || index >= t->bar()->count())
        return FALSE;
    if ((item->mask & TCIF_TEXT) && item->pszText)
        t->bar()->setTabText(index, vx::ToQString(CString(item->pszText)));
    if (item->mask & TCIF_PARAM)
        t->bar()->setTabData(index, QVariant::fromValue<qlonglong>(item->lParam));
    t->layoutBar();
    t->update();
    return TRUE;
}

BOOL CTabCtrl::SetItemText(int index, const char* text)
{
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);
    return SetItem(index, &item);
}

CString CTabCtrl::GetItemText(int index) const
{
    VxTabWidget* t = Tabs(this);
    if (!t || index < 0 || index >= t->bar()->count())
        return CString();
    return vx::FromQString(t->bar()->tabText(index));
}

LPARAM CTabCtrl::GetItemData(int index) const
{
    TCITEM item;
    item.mask = TCIF_PARAM;
    return GetItem(index, &item) ? item.lParam : 0;
}

int CTabCtrl::GetCurSel() const
{
    VxTabWidget* t = Tabs(this);
    return t ? t->bar()->currentIndex() : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    VxTabWidget* t = Tabs(this);
    if (!t || index < 0 || index >= t->bar()->count())
        return -1;
    const int old = t->bar()->currentIndex();
    CodeScope scope(m_settingFromCode);
    t->bar()->setCurrentIndex(index);
    return old;
}

void CTabCtrl::AdjustRect(BOOL larger, RECT* rect) const
{
    VxTabWidget* t = Tabs(this);
    if (!rect)
        return;
    const int top = (t ? t->barHeight() : 20) + kTabPaneMargin;
    const int m = kTabPaneMargin;
    if (larger) {
        rect->left -= m;
        rect->right += m;
        rect->top -= top;
        rect->bottom += m;
    } else {
        rect->left += m;
        rect->right -= m;
        rect->top += top;
        rect->bottom -= m;
    }
}

void CTabCtrl::userSelect(int index)
{
    if (!IsWindowEnabled() || index == GetCurSel() || index < 0 || index >= GetItemCount())
        return;
    if (NotifyParent(TCN_SELCHANGING) != 0)
        return;
    SetCurSel(index);
    NotifyParent(TCN_SELCHANGE);
}

void CTabCtrl::ClickTab(int index) { userSelect(index); }

LRESULT CTabCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case TCM_GETITEMCOUNT:
        return GetItemCount();
    case TCM_GETITEM:
        return GetItem(static_cast<int>(wParam), reinterpret_cast<TCITEM*>(lParam));
    case TCM_SETITEM:
        return SetItem(static_cast<int>(wParam), reinterpret_cast<TCITEM*>(lParam));
    case TCM_INSERTITEM:
        return InsertItem(static_cast<int>(wParam), reinterpret_cast<TCITEM*>(lParam));
    case TCM_DELETEITEM:
        return DeleteItem(static_cast<int>(wParam));
    case TCM_DELETEALLITEMS:
        return DeleteAllItems();
    case TCM_GETCURSEL:
        return GetCurSel();
    case TCM_SETCURSEL:
        return SetCurSel(static_cast<int>(wParam));
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}
