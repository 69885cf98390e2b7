#include "Dialog.h"

#include "Bmp.h"
#include "DDX.h"
#include "Menu.h"
#include "Modal.h"
#include "Text1252.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMoveEvent>
#include <QFont>
#include <QMenuBar>
#include <QWidget>

VX_IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {

QFont DialogFont()
{
    QFont f(QString::fromLatin1(vx::kDialogFontFamily));
    f.setPixelSize(vx::kDialogFontPixels);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

CWnd* NewControl(vx::ControlKind kind)
{
    using K = vx::ControlKind;
    switch (kind) {
    case K::PushButton:
    case K::CheckBox:
    case K::RadioButton:
    case K::GroupBox: return new CButton;
    case K::Static: return new CStatic;
    case K::Edit: return new CEdit;
    case K::ComboBox: return new CComboBox;
    case K::ListBox: return new CListBox;
    case K::Trackbar: return new CSliderCtrl;
    case K::UpDown: return new CSpinButtonCtrl;
    case K::DateTime: return new CDateTimeCtrl;
    case K::TabControl: return new CTabCtrl;
    case K::RichEdit: return new CRichEditCtrl;
    case K::Custom: return new CWnd;
    }
    return new CWnd;
}

bool IsPushButton(const CWnd* w)
{
    auto* b = dynamic_cast<const CButton*>(w);
    if (!b)
        return false;
    const UINT t = b->GetButtonType();
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || t == BS_OWNERDRAW;
}

} // namespace

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog()
{
    // The controls go before the window that holds them.
    m_ownedControls.clear();
}

const vx::DialogTemplate* CDialog::GetTemplate() const
{
    return vx::ResourceCatalogue::Instance().FindDialog(m_templateId);
}

QWidget* CDialog::CreatePeer(QWidget* qtParent)
{
    QWidget* w = CWnd::CreatePeer(qtParent);
    w->setFont(DialogFont());
    w->setFocusPolicy(Qt::NoFocus);
    if (!(GetStyle() & WS_CHILD))
        w->setAutoFillBackground(true);
    return w;
}

CWnd* CDialog::createControl(const vx::ControlTemplate& c)
{
    std::unique_ptr<CWnd> ctl(NewControl(c.kind));
    const CRect px = vx::DluToPixels(c.dlu);
    const UINT id = static_cast<UINT>(c.id < 0 ? 0xFFFF : c.id);
    BOOL ok = FALSE;
    if (auto* cc = dynamic_cast<CControlWnd*>(ctl.get()))
        ok = cc->CreateControl(c.text, c.style, px, this, id, c.exStyle);
    else
        ok = ctl->CreateEx(c.exStyle, c.className, c.text, c.style, px, this, id);
    if (!ok)
        return nullptr;
    if (c.image)
        if (auto* pic = dynamic_cast<CStatic*>(ctl.get()))
            pic->SetImage(vx::LoadResourceBitmap(c.image));
    if (c.fontPixels > 0)
        vx::AllowSmallerFont(ctl->GetPeer(), c.fontPixels);
    m_ownedControls.push_back(std::move(ctl));
    return m_ownedControls.back().get();
}

BOOL CDialog::CreateFromTemplate(CWnd* parent, DWORD styleRemove, DWORD styleAdd, const RECT* where)
{
    const vx::DialogTemplate* tpl = GetTemplate();
    if (!tpl || GetPeer())
        return FALSE;
    m_ownedControls.clear();
    m_ended = false;
    m_modalResult = -1;
    m_defId = 0;
    const DWORD style = ((tpl->style & ~styleRemove) | styleAdd) & ~WS_VISIBLE;
    CRect rect(0, 0, vx::DluToPixelX(tpl->dluSize.cx), vx::DluToPixelY(tpl->dluSize.cy));
    if (where)
        rect.OffsetRect(where->left, where->top);
    if (!CreateEx(0, nullptr, tpl->caption, style, rect, parent, 0))
        return FALSE;
    const vx::DialogTemplate copy = *tpl;   // OnInitDialog may install resources
    for (const auto& c : copy.controls) {
        CWnd* ctl = createControl(c);
        if (ctl && c.kind == vx::ControlKind::PushButton && (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && !m_defId)
            m_defId = static_cast<UINT>(c.id);
    }
    if (!(style & WS_CHILD))
        CenterWindow(parent ? parent->GetTopLevelParent() : nullptr);
    if (copy.menu) {
        m_templateMenu = std::make_unique<CMenu>();
        if (m_templateMenu->LoadMenu(copy.menu))
            SetMenu(m_templateMenu.get());
    }
    return TRUE;
}

void CDialog::InitDialogWindow()
{
    const std::uint64_t serial = GetSerial();
    const LRESULT focusDefault = SendMessage(WM_INITDIALOG, 0, 0);
    if (!IsLive(this, serial) || !GetPeer())
        return;
    if (focusDefault && !(GetStyle() & WS_CHILD)) {
        for (CWnd* c : GetChildren())
            if ((c->GetStyle() & WS_TABSTOP) && c->IsWindowEnabled() && (c->GetStyle() & WS_VISIBLE)) {
                c->SetFocus();
                break;
            }
    }
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_templateId = templateId;
    if (parent)
        m_pParentWnd = parent;
    const vx::DialogTemplate* tpl = GetTemplate();
    if (!tpl)
        return FALSE;
    const bool visible = (tpl->style & WS_VISIBLE) != 0;
    if (!CreateFromTemplate(m_pParentWnd, 0, 0, nullptr))
        return FALSE;
    InitDialogWindow();
    if (visible && GetPeer())
        ShowWindow(SW_SHOW);
    return GetPeer() != nullptr;
}

INT_PTR CDialog::DoModal()
{
    const vx::DialogTemplate* tpl = GetTemplate();
    if (!tpl)
        return -1;
    vx::ModalRecord call;
    call.kind = vx::ModalKind::Dialog;
    call.text = tpl->caption;
    call.flags = m_templateId;
    if (auto answer = vx::ScriptedModal(call)) {
        if (!CreateFromTemplate(m_pParentWnd, WS_CHILD, 0, nullptr))
            return -1;
        m_inModal = true;
        InitDialogWindow();
        int result = answer->result;
        if (GetPeer()) {
            if (answer->action) {
                result = answer->action(this);
            } else if (!m_ended) {
                if (result == IDOK)
                    OnOK();
                else if (result == IDCANCEL)
                    OnCancel();
                else
                    EndDialog(result);
                // OK refused by validation: the dialog would stay open, so
                // nothing was accepted.
                if (!m_ended)
                    result = IDCANCEL;
            }
        }
        if (m_ended)
            result = m_modalResult;
        m_inModal = false;
        DestroyWindow();
        return result;
    }

    if (!CreateFromTemplate(m_pParentWnd, WS_CHILD, 0, nullptr))
        return -1;
    m_inModal = true;
    const std::uint64_t serial = GetSerial();
    InitDialogWindow();
    if (IsLive(this, serial) && GetPeer() && !m_ended) {
        GetPeer()->window()->setWindowModality(Qt::ApplicationModal);
        ShowWindow(SW_SHOW);
        vx::RunModalLoop([this, serial] { return !IsLive(this, serial) || m_ended || !GetPeer(); });
    }
    if (!IsLive(this, serial))
        return IDCANCEL;
    m_inModal = false;
    const int result = m_ended ? m_modalResult : IDCANCEL;
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    m_ended = true;
    if (!m_inModal && GetPeer())
        ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const vx::DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::MapDialogRect(RECT* rect) const
{
    if (rect)
        *rect = vx::DluToPixels(CRect(*rect));
}

void CDialog::CheckDlgButton(int id, UINT check)
{
    if (auto* b = dynamic_cast<CButton*>(GetDlgItem(id)))
        b->SetCheck(static_cast<int>(check));
}

UINT CDialog::IsDlgButtonChecked(int id) const
{
    auto* b = dynamic_cast<CButton*>(GetDlgItem(id));
    return b ? static_cast<UINT>(b->GetCheck()) : 0;
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (CWnd* c : GetChildren()) {
        const int id = c->GetDlgCtrlID();
        if (id >= firstId && id <= lastId)
            if (auto* b = dynamic_cast<CButton*>(c))
                b->SetCheck(id == checkId ? BST_CHECKED : BST_UNCHECKED);
    }
}

DWORD CDialog::GetDefID() const
{
    return (static_cast<DWORD>(DC_HASDEFID) << 16) | (m_defId ? m_defId : static_cast<UINT>(IDOK));
}

void CDialog::SetDefID(UINT id) { m_defId = id; }

BOOL CDialog::SubclassDlgItem(UINT id, CWnd* wnd)
{
    CWnd* old = GetDlgItem(static_cast<int>(id));
    if (!old || !wnd || wnd->GetPeer())
        return old == wnd;
    QWidget* oldPeer = old->GetPeer();
    const QRect g = oldPeer->geometry();
    const CRect rect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
    const DWORD style = old->GetStyle();
    const CString text = old->GetWindowTextString();
    CString className;
    if (const vx::DialogTemplate* tpl = GetTemplate())
        if (const vx::ControlTemplate* c = tpl->FindControl(static_cast<int>(id)))
            className = c->className;

    if (typeid(*wnd) == typeid(CWnd)) {
        // A plain window over the control (a placeholder): the control stays
        // underneath for its looks, and the id now names the window.
        old->SetDlgCtrlID(0);
        if (!wnd->CreateEx(old->GetExStyle(), className, text, style & ~WS_TABSTOP, rect, this, id)) {
            old->SetDlgCtrlID(static_cast<int>(id));
            return FALSE;
        }
        wnd->GetPeer()->stackUnder(oldPeer);
        oldPeer->stackUnder(wnd->GetPeer());
        return TRUE;
    }

    BOOL ok = FALSE;
    auto* oldSpin = dynamic_cast<CSpinButtonCtrl*>(old);
    auto* newSpin = dynamic_cast<CSpinButtonCtrl*>(wnd);
    auto* cc = dynamic_cast<CControlWnd*>(wnd);
    if (cc && !(oldSpin && newSpin))
        ok = cc->CreateControl(text, style, rect, this, id, old->GetExStyle());
    else   // an up-down keeps the buddy it has, not the sibling made last
        ok = wnd->CreateEx(old->GetExStyle(), className, text, style, rect, this, id);
    if (!ok)
        return FALSE;
    if (auto* ob = dynamic_cast<CButton*>(old))
        if (auto* nb = dynamic_cast<CButton*>(wnd))
            nb->SetCheck(ob->GetCheck());
    if (auto* oc = dynamic_cast<CComboBox*>(old))
        if (auto* nc = dynamic_cast<CComboBox*>(wnd))
            nc->m_dropHeight = oc->m_dropHeight;
    if (oldSpin && newSpin) {
        newSpin->m_lower = oldSpin->m_lower;
        newSpin->m_upper = oldSpin->m_upper;
        newSpin->m_pos = oldSpin->m_pos;
        CWnd* buddy = oldSpin->GetBuddy();
        if (buddy && CWnd::IsLive(buddy, oldSpin->m_buddySerial))
            newSpin->attachBuddy(buddy);
    }
    wnd->GetPeer()->stackUnder(oldPeer);
    QWidget::setTabOrder(oldPeer, wnd->GetPeer());
    old->DestroyWindow();
    for (auto it = m_ownedControls.begin(); it != m_ownedControls.end(); ++it)
        if (it->get() == old) {
            m_ownedControls.erase(it);
            break;
        }
    return TRUE;
}

// The window of a top-level dialog with a menu bar. As on the desktop the
// program was made for, the menu bar is outside the client area: the
// dialog's own widget (its client area, which all coordinates refer to)
// sits below the bar inside this frame, and the frame follows what the
// program does to the dialog (show, hide, move, size) and reports closing.
class VxMenuFrame : public QWidget {
public:
    VxMenuFrame(CDialog* dlg, QWidget* client) : QWidget(nullptr, client->windowFlags()), m_dlg(dlg), m_client(client)
    {
        m_serial = dlg->GetSerial();
        setAttribute(Qt::WA_DeleteOnClose, false);
        setWindowTitle(client->windowTitle());
        setWindowModality(client->windowModality());
        setFont(client->font());
        setAutoFillBackground(true);
        m_bar = new QMenuBar(this);
        m_bar->setNativeMenuBar(false);
        const QRect g = client->geometry();
        const bool visible = client->isVisible();
        client->setParent(this, Qt::Widget);
        setGeometry(g.x(), g.y(), g.width(), g.height() + barHeight());
        layoutChildren();
        client->installEventFilter(this);
        QObject::connect(client, &QObject::destroyed, this, [this] {
            m_client = nullptr;
            deleteLater();
        });
        client->show();
        if (visible)
            show();
    }
    QMenuBar* bar() const { return m_bar; }
    int barHeight() const { return m_bar->isHidden() ? 0 : m_bar->sizeHint().height(); }
    void layoutChildren()
    {
        m_adjusting = true;
        const int h = barHeight();
        m_bar->setGeometry(0, 0, width(), h);
        if (m_client)
            m_client->setGeometry(0, h, width(), std::max(0, height() - h));
        m_adjusting = false;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o != m_client || m_adjusting)
            return false;
        switch (e->type()) {
        case QEvent::ShowToParent:
            if (m_client->windowState() & Qt::WindowMinimized)
                showMinimized();
            else if (m_client->windowState() & Qt::WindowMaximized)
                showMaximized();
            else
                show();
            break;
        case QEvent::HideToParent:
            hide();
            break;
        case QEvent::WindowStateChange:
            if (isVisible()) {
                m_adjusting = true;
                setWindowState(m_client->windowState());
                m_adjusting = false;
            }
            break;
        case QEvent::Move: {
            // The program moved its dialog (to screen coordinates): the
            // window follows so that the client area lands there, which
            // keeps GetWindowRect and MoveWindow consistent.
            const QPoint p = static_cast<QMoveEvent*>(e)->pos();
            if (p != QPoint(0, barHeight())) {
                setGeometry(QRect(p - QPoint(0, barHeight()), size()));
                m_adjusting = true;
                m_client->move(0, barHeight());
                m_adjusting = false;
            }
            break;
        }
        case QEvent::Resize:
            if (m_client->size() != QSize(width(), height() - barHeight()))
                resize(m_client->width(), m_client->height() + barHeight());
            break;
        default:
            break;
        }
        return false;
    }
    void resizeEvent(QResizeEvent*) override { layoutChildren(); }
    void changeEvent(QEvent* e) override
    {
        // The dialog answers IsZoomed/IsIconic from its own widget.
        if (e->type() == QEvent::WindowStateChange && m_client) {
            m_adjusting = true;
            m_client->setWindowState(windowState());
            m_adjusting = false;
        }
        QWidget::changeEvent(e);
    }
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (CWnd::IsLive(m_dlg, m_serial) && m_dlg->GetPeer())
            m_dlg->SendMessage(WM_CLOSE);
    }

private:
    CDialog* m_dlg;
    std::uint64_t m_serial = 0;
    QWidget* m_client;
    QMenuBar* m_bar = nullptr;
    bool m_adjusting = false;
};

BOOL CDialog::SetMenu(CMenu* menu)
{
    QWidget* peer = GetPeer();
    if (m_menuFrame && (!peer || peer->parentWidget() != m_menuFrame))
        m_menuFrame = nullptr;   // a frame of an earlier window of this dialog
    if (m_menu && m_menuFrame)
        m_menu->DetachFromMenuBar(m_menuFrame->bar());
    m_menu = menu;
    if (!peer)
        return menu == nullptr;
    if (!m_menuFrame) {
        if (!menu || (GetStyle() & WS_CHILD))
            return menu == nullptr;
        m_menuFrame = new VxMenuFrame(this, peer);
    }
    QMenuBar* bar = m_menuFrame->bar();
    if (menu) {
        bar->show();
        menu->AttachToMenuBar(bar, this);
    } else {
        bar->clear();
        bar->hide();
    }
    // The client keeps its size; the window grows or shrinks by the bar.
    const QSize client = peer->size();
    m_menuFrame->resize(client.width(), client.height() + m_menuFrame->barHeight());
    m_menuFrame->layoutChildren();
    return TRUE;
}

void CDialog::DoSetText(const CString& text)
{
    CWnd::DoSetText(text);
    if (m_menuFrame)
        m_menuFrame->setWindowTitle(vx::ToQString(text));
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (CWnd::PreTranslateMessage(msg))
        return TRUE;
    if (!msg || msg->message != WM_KEYDOWN || (GetStyle() & WS_CHILD) || !GetPeer())
        return FALSE;
    if (QApplication::activePopupWidget())
        return FALSE;   // an open drop-down or menu takes its own keys
    if (msg->wParam == VK_ESCAPE) {
        CWnd* cancel = GetDlgItem(IDCANCEL);
        if (!cancel || cancel->IsWindowEnabled())
            SendMessage(WM_COMMAND, (static_cast<WPARAM>(BN_CLICKED) << 16) | IDCANCEL,
                        reinterpret_cast<LPARAM>(cancel));
        return TRUE;
    }
    if (msg->wParam == VK_RETURN) {
        CWnd* focus = msg->hwnd;
        if (auto* e = dynamic_cast<CEdit*>(focus))
            if ((e->GetStyle() & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN))
                return FALSE;
        if (IsPushButton(focus) && focus->GetParent() && focus->IsWindowEnabled()) {
            static_cast<CButton*>(focus)->Click();
            return TRUE;
        }
        const UINT id = LOWORD(GetDefID());
        CWnd* def = GetDlgItem(static_cast<int>(id));
        if (!def || def->IsWindowEnabled())
            SendMessage(WM_COMMAND, (static_cast<WPARAM>(BN_CLICKED) << 16) | id, reinterpret_cast<LPARAM>(def));
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CWnd::WindowProc(msg, wParam, lParam);
}

LRESULT CDialog::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        CWnd::DefWindowProc(msg, wParam, lParam);
        return OnInitDialog();
    case WM_CLOSE:
        // Closing a dialog cancels it; the window is not destroyed here.
        SendMessage(WM_COMMAND, (static_cast<WPARAM>(BN_CLICKED) << 16) | IDCANCEL, 0);
        return 0;
    case WM_DRAWITEM:
        CWnd::DefWindowProc(msg, wParam, lParam);
        OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        CWnd::DefWindowProc(msg, wParam, lParam);
        OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        CWnd::DefWindowProc(msg, wParam, lParam);
        return reinterpret_cast<LRESULT>(
            OnCtlColor(reinterpret_cast<CDC*>(wParam), reinterpret_cast<CWnd*>(lParam), CTLCOLOR_STATIC));
    case DM_GETDEFID:
        return static_cast<LRESULT>(GetDefID());
    case DM_SETDEFID:
        SetDefID(static_cast<UINT>(wParam));
        return TRUE;
    default:
        return CWnd::DefWindowProc(msg, wParam, lParam);
    }
}

void CDialog::OnDrawItem(int, LPDRAWITEMSTRUCT dis)
{
    if (!dis)
        return;
    if (auto* b = dynamic_cast<CButton*>(dis->hwndItem))
        b->DrawItem(dis);
    else if (auto* c = dynamic_cast<CComboBox*>(dis->hwndItem))
        c->DrawItem(dis);
}

HBRUSH CDialog::OnCtlColor(CDC*, CWnd*, UINT) { return nullptr; }

void CDialog::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis)
{
    if (!mis)
        return;
    if (auto* c = dynamic_cast<CComboBox*>(GetDlgItem(id)))
        c->MeasureItem(mis);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}
