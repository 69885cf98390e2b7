#include "ComboBox.h"
#include "ControlsImpl.h"
#include "Edit.h"
#include "Text1252.h"

#include <QComboBox>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CComboBox, CControlWnd)

using vx::ctldetail::CodeScope;
using vx::ctldetail::DrawOwnerItem;
using vx::ctldetail::kItemDataRole;

class VxOwnerDrawDelegate : public QStyledItemDelegate {
public:
    VxOwnerDrawDelegate(CComboBox* owner, QObject* parent) : QStyledItemDelegate(parent), m_owner(owner) {}

    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override
    {
        UINT state = 0;
        if (opt.state & QStyle::State_Selected)
            state |= ODS_SELECTED;
        if (!(opt.state & QStyle::State_Enabled))
            state |= ODS_DISABLED;
        m_owner->drawItem(p, opt.rect, index.row(), state);
    }

    QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const override
    {
        m_owner->measure();
        QSize s = QStyledItemDelegate::sizeHint(opt, index);
        s.setHeight(m_owner->m_itemHeight);
        return s;
    }

private:
    CComboBox* m_owner;
};

class VxComboBox : public QComboBox {
public:
    VxComboBox(CComboBox* owner, QWidget* parent) : QComboBox(parent), m_owner(owner) {}

    void showPopup() override
    {
        m_owner->NotifyCommand(CBN_DROPDOWN);
        if (m_owner->m_dropHeight > 0) {
            const int item = std::max(1, m_owner->m_itemHeight > 0 ? m_owner->m_itemHeight : fontMetrics().height() + 2);
            setMaxVisibleItems(std::max(1, (m_owner->m_dropHeight - height()) / item));
        }
        QComboBox::showPopup();
        m_dropped = true;
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (m_dropped) {
            m_dropped = false;
            m_owner->NotifyCommand(CBN_CLOSEUP);
        }
    }
    bool m_dropped = false;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (!m_owner->isOwnerDraw() || isEditable()) {
            QComboBox::paintEvent(e);
            return;
        }
        QStylePainter p(this);
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        opt.currentText.clear();
        opt.currentIcon = QIcon();
        p.drawComplexControl(QStyle::CC_ComboBox, opt);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
        UINT state = ODS_COMBOBOXEDIT;
        if (hasFocus())
            state |= ODS_FOCUS | ODS_SELECTED;
        if (!isEnabled())
            state |= ODS_DISABLED;
        m_owner->drawItem(&p, field, currentIndex(), state);
    }

private:
    CComboBox* m_owner;
};

CComboBox::CComboBox() = default;
CComboBox::~CComboBox() = default;

QWidget* CComboBox::CreatePeer(QWidget* qtParent)
{
    auto* c = new VxComboBox(this, qtParent);
    const DWORD type = GetStyle() & CBS_TYPEMASK;
    c->setEditable(type == CBS_DROPDOWN || type == CBS_SIMPLE);
    c->setInsertPolicy(QComboBox::NoInsert);
    if (c->isEditable())
        c->setValidator(vx::NewCp1252Validator(c));
    if (isOwnerDraw())
        c->setItemDelegate(new VxOwnerDrawDelegate(this, c));
    QObject::connect(c, &QComboBox::currentIndexChanged, Ctx(), [this](int) {
        if (!m_settingFromCode)
            NotifyCommand(CBN_SELCHANGE);
    });
    QObject::connect(c, &QComboBox::activated, Ctx(), [this](int) {
        if (!m_settingFromCode)
            NotifyCommand(CBN_SELENDOK);
    });
    if (c->isEditable())
        QObject::connect(c, &QComboBox::editTextChanged, Ctx(), [this](const QString&) {
            if (!m_settingFromCode)
                NotifyCommand(CBN_EDITCHANGE);
        });
    return c;
}

namespace {
QComboBox* Combo(const CWnd* w) { return qobject_cast<QComboBox*>(w->GetPeer()); }
} // namespace

int CComboBox::AddString(const char* text)
{
    QComboBox* c = Combo(this);
    if (!c)
        return CB_ERR;
    int index = c->count();
    if (GetStyle() & CBS_SORT) {
        const CString t(text);
        index = 0;
        while (index < c->count() && GetLBText(index).CompareNoCase(t) <= 0)
            ++index;
    }
    return InsertString(index, text);
}

int CComboBox::InsertString(int index, const char* text)
{
    QComboBox* c = Combo(this);
    if (!c)
        return CB_ERR;
    if (index < 0 || index > c->count())
        index = c->count();
    CodeScope scope(m_settingFromCode);
    const int cur = c->currentIndex();
    const QString editText = c->isEditable() ? c->currentText() : QString();
    c->insertItem(index, vx::ToQString(CString(text)), QVariant::fromValue<qulonglong>(0));
    c->setItemData(index, QVariant::fromValue<qulonglong>(0), kItemDataRole);
    // Adding items never selects one.
    if (cur < 0) {
        c->setCurrentIndex(-1);
        if (c->isEditable())
            c->setEditText(editText);
    }
    return index;
}

int CComboBox::DeleteString(UINT index)
{
    QComboBox* c = Combo(this);
    if (!c || static_cast<int>(index) >= c->count())
        return CB_ERR;
    CodeScope scope(m_settingFromCode);
    const bool wasCurrent = c->currentIndex() == static_cast<int>(index);
    c->removeItem(static_cast<int>(index));
    if (wasCurrent)
        c->setCurrentIndex(-1);
    return c->count();
}

void CComboBox::ResetContent()
{
    if (QComboBox* c = Combo(this)) {
        CodeScope scope(m_settingFromCode);
        c->clear();
        if (c->isEditable())
            c->setEditText(QString());
    }
}

int CComboBox::GetCount() const
{
    QComboBox* c = Combo(this);
    return c ? c->count() : 0;
}

int CComboBox::GetCurSel() const
{
    QComboBox* c = Combo(this);
    return c ? c->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index)
{
    QComboBox* c = Combo(this);
    if (!c)
        return CB_ERR;
    CodeScope scope(m_settingFromCode);
    if (index < 0 || index >= c->count()) {
        c->setCurrentIndex(-1);
        if (c->isEditable())
            c->setEditText(QString());
        return CB_ERR;
    }
    c->setCurrentIndex(index);
    return index;
}

int CComboBox::GetLBText(int index, CString& text) const
{
    QComboBox* c = Combo(this);
    if (!c || index < 0 || index >= c->count()) {
        text.Empty();
        return CB_ERR;
    }
    text = vx::FromQString(c->itemText(index));
    return text.GetLength();
}

int CComboBox::GetLBText(int index, char* buffer) const
{
    CString s;
    const int n = GetLBText(index, s);
    if (n >= 0 && buffer) {
        std::copy(s.str().begin(), s.str().end(), buffer);
        buffer[n] = '\0';
    }
    return n;
}

CString CComboBox::GetLBText(int index) const
{
    CString s;
    GetLBText(index, s);
    return s;
}

int CComboBox::GetLBTextLen(int index) const
{
    CString s;
    return GetLBText(index, s);
}

int CComboBox::SetItemData(int index, UINT_PTR data)
{
    QComboBox* c = Combo(this);
    if (!c || index < 0 || index >= c->count())
        return CB_ERR;
    c->setItemData(index, QVariant::fromValue<qulonglong>(data), kItemDataRole);
    return 0;
}

UINT_PTR CComboBox::GetItemData(int index) const
{
    QComboBox* c = Combo(this);
    if (!c || index < 0 || index >= c->count())
        return static_cast<UINT_PTR>(CB_ERR);
    return static_cast<UINT_PTR>(c->itemData(index, kItemDataRole).toULongLong());
}

int CComboBox::FindStringExact(int startAfter, const char* text) const
{
    const int n = GetCount();
    const CString t(text);
    for (int k = 0; k < n; ++k) {
        const int i = (startAfter + 1 + k) % n;
        if (GetLBText(i).CompareNoCase(t) == 0)
            return i;
    }
    return CB_ERR;
}

void CComboBox::ShowDropDown(BOOL show)
{
    if (QComboBox* c = Combo(this)) {
        if (show)
            c->showPopup();
        else
            c->hidePopup();
    }
}

BOOL CComboBox::GetDroppedState() const
{
    auto* c = dynamic_cast<VxComboBox*>(GetPeer());
    return c && c->m_dropped;
}

int CComboBox::GetItemHeight(int) const
{
    const_cast<CComboBox*>(this)->measure();
    return m_itemHeight;
}

void CComboBox::measure()
{
    if (m_itemHeight > 0)
        return;
    QComboBox* c = Combo(this);
    m_itemHeight = c ? c->fontMetrics().height() + 2 : 15;
    if (!isOwnerDraw())
        return;
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_COMBOBOX;
    mis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    mis.itemID = 0;
    mis.itemHeight = static_cast<UINT>(m_itemHeight);
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    if (mis.itemHeight > 0)
        m_itemHeight = static_cast<int>(mis.itemHeight);
}

void CComboBox::drawItem(QPainter* p, const QRect& r, int index, UINT state)
{
    measure();
    const QColor bg = (state & ODS_SELECTED) && !(state & ODS_COMBOBOXEDIT)
                          ? QColor(0, 120, 215)
                          : QColor(Qt::white);
    DrawOwnerItem(p, r, this, ODT_COMBOBOX, index, state, index >= 0 ? GetItemData(index) : 0, bg);
}

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}

void CComboBox::DoSetText(const CString& text)
{
    CControlWnd::DoSetText(text);
    if (QComboBox* c = Combo(this); c && c->isEditable()) {
        CodeScope scope(m_settingFromCode);
        c->setEditText(vx::ToQString(text));
    }
}

CString CComboBox::DoGetText() const
{
    QComboBox* c = Combo(this);
    if (!c)
        return CControlWnd::DoGetText();
    return vx::FromQString(c->currentText());
}

LRESULT CComboBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case CB_ADDSTRING:
        return AddString(reinterpret_cast<const char*>(lParam));
    case CB_INSERTSTRING:
        return InsertString(static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const char*>(lParam));
    case CB_DELETESTRING:
        return DeleteString(static_cast<UINT>(wParam));
    case CB_RESETCONTENT:
        ResetContent();
        return 0;
    case CB_GETCOUNT:
        return GetCount();
    case CB_GETCURSEL:
        return GetCurSel();
    case CB_SETCURSEL:
        return SetCurSel(static_cast<int>(static_cast<INT_PTR>(wParam)));
    case CB_GETLBTEXTLEN:
        return GetLBTextLen(static_cast<int>(wParam));
    case CB_GETLBTEXT:
        return GetLBText(static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
    case CB_SETITEMDATA:
        return SetItemData(static_cast<int>(wParam), static_cast<UINT_PTR>(lParam));
    case CB_GETITEMDATA:
        return static_cast<LRESULT>(GetItemData(static_cast<int>(wParam)));
    case CB_FINDSTRINGEXACT:
        return FindStringExact(static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const char*>(lParam));
    case CB_SHOWDROPDOWN:
        ShowDropDown(static_cast<BOOL>(wParam));
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return GetDroppedState();
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}
