#include "ListBox.h"
#include "ControlsImpl.h"
#include "Text1252.h"

#include <QListWidget>

VX_IMPLEMENT_DYNAMIC(CListBox, CControlWnd)

using vx::ctldetail::CodeScope;
using vx::ctldetail::kItemDataRole;

namespace {
QListWidget* List(const CWnd* w) { return qobject_cast<QListWidget*>(w->GetPeer()); }
} // namespace

QWidget* CListBox::CreatePeer(QWidget* qtParent)
{
    auto* l = new QListWidget(qtParent);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(l, &QListWidget::currentRowChanged, Ctx(), [this](int) {
        if (!m_settingFromCode && (GetStyle() & LBS_NOTIFY))
            NotifyCommand(LBN_SELCHANGE);
    });
    QObject::connect(l, &QListWidget::itemDoubleClicked, Ctx(), [this](QListWidgetItem*) {
        if (GetStyle() & LBS_NOTIFY)
            NotifyCommand(LBN_DBLCLK);
    });
    return l;
}

int CListBox::AddString(const char* text)
{
    QListWidget* l = List(this);
    if (!l)
        return LB_ERR;
    int index = l->count();
    if (GetStyle() & LBS_SORT) {
        const CString t(text);
        index = 0;
        CString s;
        while (index < l->count() && (GetText(index, s), s.CompareNoCase(t) <= 0))
            ++index;
    }
    return InsertString(index, text);
}

int CListBox::InsertString(int index, const char* text)
{
    QListWidget* l = List(this);
    if (!l)
        return LB_ERR;
    if (index < 0 || index > l->count())
        index = l->count();
    CodeScope scope(m_settingFromCode);
    auto* item = new QListWidgetItem(vx::ToQString(CString(text)));
    item->setData(kItemDataRole, QVariant::fromValue<qulonglong>(0));
    l->insertItem(index, item);
    return index;
}

int CListBox::DeleteString(UINT index)
{
    QListWidget* l = List(this);
    if (!l || static_cast<int>(index) >= l->count())
        return LB_ERR;
    CodeScope scope(m_settingFromCode);
    delete l->takeItem(static_cast<int>(index));
    return l->count();
}

void CListBox::ResetContent()
{
    if (QListWidget* l = List(this)) {
        CodeScope scope(m_settingFromCode);
        l->clear();
    }
}

int CListBox::GetCount() const
{
    QListWidget* l = List(this);
    return l ? l->count() : 0;
}

int CListBox::GetCurSel() const
{
    QListWidget* l = List(this);
    return l && l->currentItem() && l->currentItem()->isSelected() ? l->currentRow() : LB_ERR;
}

int CListBox::SetCurSel(int index)
{
    QListWidget* l = List(this);
    if (!l)
        return LB_ERR;
    CodeScope scope(m_settingFromCode);
    if (index < 0 || index >= l->count()) {
        l->setCurrentRow(-1);
        l->clearSelection();
        return index < 0 ? 0 : LB_ERR;
    }
    l->setCurrentRow(index);
    return index;
}

int CListBox::GetText(int index, CString& text) const
{
    QListWidget* l = List(this);
    if (!l || index < 0 || index >= l->count())
        return LB_ERR;
    text = vx::FromQString(l->item(index)->text());
    return text.GetLength();
}

int CListBox::SetItemData(int index, UINT_PTR data)
{
    QListWidget* l = List(this);
    if (!l || index < 0 || index >= l->count())
        return LB_ERR;
    l->item(index)->setData(kItemDataRole, QVariant::fromValue<qulonglong>(data));
    return 0;
}

UINT_PTR CListBox::GetItemData(int index) const
{
    QListWidget* l = List(this);
    if (!l || index < 0 || index >= l->count())
        return static_cast<UINT_PTR>(LB_ERR);
    return static_cast<UINT_PTR>(l->item(index)->data(kItemDataRole).toULongLong());
}

LRESULT CListBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case LB_ADDSTRING:
        return AddString(reinterpret_cast<const char*>(lParam));
    case LB_INSERTSTRING:
        return InsertString(static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const char*>(lParam));
    case LB_DELETESTRING:
        return DeleteString(static_cast<UINT>(wParam));
    case LB_RESETCONTENT:
        ResetContent();
        return 0;
    case LB_GETCOUNT:
        return GetCount();
    case LB_GETCURSEL:
        return GetCurSel();
    case LB_SETCURSEL:
        return SetCurSel(static_cast<int>(static_cast<INT_PTR>(wParam)));
    case LB_SETITEMDATA:
        return SetItemData(static_cast<int>(wParam), static_cast<UINT_PTR>(lParam));
    case LB_GETITEMDATA:
        return static_cast<LRESULT>(GetItemData(static_cast<int>(wParam)));
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}
