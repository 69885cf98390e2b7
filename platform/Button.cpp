#include "Button.h"
#include "ControlsImpl.h"
#include "Static.h"
#include "Text1252.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CButton, CControlWnd)

using vx::ctldetail::CodeScope;
using vx::ctldetail::DrawOwnerItem;

class VxOwnerDrawButton : public QPushButton {
public:
    VxOwnerDrawButton(CButton* owner, QWidget* parent) : QPushButton(parent), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override { m_owner->paintOwnerDraw(this); }

private:
    CButton* m_owner;
};

CButton::CButton() = default;
CButton::~CButton() = default;

bool CButton::IsCheckBox() const
{
    const UINT t = GetButtonType();
    return t == BS_AUTOCHECKBOX || t == BS_AUTO3STATE || t == 0x2 || t == 0x5;
}

QWidget* CButton::CreatePeer(QWidget* qtParent)
{
    const UINT type = GetStyle() & BS_TYPEMASK;
    QAbstractButton* b = nullptr;
    if (type == BS_GROUPBOX) {
        auto* g = new QGroupBox(qtParent);
        g->setAttribute(Qt::WA_TransparentForMouseEvents);
        // The frame line runs through the middle of the title, which sits
        // a little in from the left edge, as dialog templates expect.
        g->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 7px; padding: 0 2px; }"));
        return g;
    }
    if (type == BS_AUTORADIOBUTTON || type == 0x4) {
        auto* r = new QRadioButton(qtParent);
        r->setAutoExclusive(false);
        b = r;
    } else if (IsCheckBox()) {
        auto* c = new QCheckBox(qtParent);
        c->setTristate(type == BS_AUTO3STATE || type == 0x5);
        b = c;
    } else if (type == BS_OWNERDRAW) {
        b = new VxOwnerDrawButton(this, qtParent);
    } else {
        auto* p = new QPushButton(qtParent);
        p->setAutoDefault(false);
        p->setDefault(type == BS_DEFPUSHBUTTON);
        if (GetStyle() & BS_PUSHLIKE)
            p->setCheckable(true);
        b = p;
    }
    if ((GetStyle() & BS_PUSHLIKE) && !qobject_cast<QPushButton*>(b))
        b->setCheckable(true);
    QObject::connect(b, &QAbstractButton::clicked, Ctx(), [this](bool) { userClicked(); });
    return b;
}

void CButton::userClicked()
{
    if (m_settingFromCode)
        return;
    if (IsRadio()) {
        // Auto radio buttons: this one on, the rest of its group off.
        SetCheck(BST_CHECKED);
        if (CWnd* parent = GetParent()) {
            const auto& kids = parent->GetChildren();
            auto self = std::find(kids.begin(), kids.end(), this);
            if (self != kids.end()) {
                auto first = self;
                while (first != kids.begin() && !((*first)->GetStyle() & WS_GROUP))
                    --first;
                for (auto it = first; it != kids.end(); ++it) {
                    if (it != first && ((*it)->GetStyle() & WS_GROUP))
                        break;
                    if (auto* rb = dynamic_cast<CButton*>(*it); rb && rb != this && rb->IsRadio())
                        rb->SetCheck(BST_UNCHECKED);
                }
            }
        }
    } else if (IsCheckBox()) {
        if (GetButtonType() == BS_AUTO3STATE)
            SetCheck((m_check + 1) % 3);
        else
            SetCheck(m_check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    }
    NotifyCommand(BN_CLICKED);
}

int CButton::GetCheck() const { return m_check; }

void CButton::SetCheck(int check)
{
    m_check = check;
    CodeScope scope(m_settingFromCode);
    if (auto* c = qobject_cast<QCheckBox*>(GetPeer()))
        c->setCheckState(check == BST_CHECKED ? Qt::Checked
                         : check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                      : Qt::Unchecked);
    else if (auto* b = qobject_cast<QAbstractButton*>(GetPeer()); b && b->isCheckable())
        b->setChecked(check == BST_CHECKED);
}

void CButton::Click()
{
    if (IsWindowEnabled())
        userClicked();
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

void CButton::paintOwnerDraw(QWidget* w)
{
    QPainter p(w);
    UINT state = 0;
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isDown())
        state |= ODS_SELECTED;
    if (w->hasFocus())
        state |= ODS_FOCUS;
    if (!w->isEnabled())
        state |= ODS_DISABLED;
    DrawOwnerItem(&p, w->rect(), this, ODT_BUTTON, 0, state, 0, w->palette().color(QPalette::Button));
}

LRESULT CButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case BM_GETCHECK:
        return GetCheck();
    case BM_SETCHECK:
        SetCheck(static_cast<int>(wParam));
        return 0;
    case BM_CLICK:
        Click();
        return 0;
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

void CButton::DoSetText(const CString& text)
{
    CControlWnd::DoSetText(text);
    if (auto* g = qobject_cast<QGroupBox*>(GetPeer()))
        g->setTitle(vx::ToQString(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(GetPeer()))
        b->setText(vx::ToQString(text));
    vx::FitTextFont(GetPeer());
}

