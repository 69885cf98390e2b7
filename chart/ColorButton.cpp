#include "chart/ColorButton.h"

#include "platform/CommonDialogs.h"
#include "platform/DDX.h"
#include "platform/Dc.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QWidget>

VX_IMPLEMENT_DYNAMIC(CColorButton, CButton)
VX_IMPLEMENT_DYNAMIC(CColorGridPopup, CWnd)

namespace {

// Solid triangle pointing down inside (left, top)..(left + 4, top + 2).
void DrawArrow(CDC* dc, int left, int mid, COLORREF colour)
{
    CPen pen(PS_SOLID, 1, colour);
    CBrush brush(colour);
    CPen* oldPen = dc->SelectObject(&pen);
    CBrush* oldBrush = dc->SelectObject(&brush);
    const POINT pts[3] = {{left, mid - 1}, {left + 4, mid - 1}, {left + 2, mid + 1}};
    dc->Polygon(pts, 3);
    dc->SelectObject(oldBrush);
    dc->SelectObject(oldPen);
}

void RaisedEdge(CDC* dc, CRect r)
{
    dc->Draw3dRect(&r, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    r.DeflateRect(1, 1);
    dc->Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

} // namespace

// ---- CColorButton -------------------------------------------------------------

CColorButton::CColorButton() : m_crDefaultColour(GetSysColor(COLOR_APPWORKSPACE)) {}

CColorButton::~CColorButton()
{
    if (CColorGridPopup* p = GetPopup())
        p->Abandon();
}

CColorGridPopup* CColorButton::GetPopup() const
{
    return (m_pPopup && CWnd::IsLive(m_pPopup, m_popupSerial)) ? m_pPopup : nullptr;
}

void CColorButton::SetColour(COLORREF colour)
{
    m_crColour = colour;
    if (IsWindow()) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

QWidget* CColorButton::CreatePeer(QWidget* qtParent)
{
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    QWidget* w = CButton::CreatePeer(qtParent);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        const std::uint64_t serial = GetSerial();
        QObject::connect(b, &QAbstractButton::clicked, w, [this, serial] {
            if (CWnd::IsLive(this, serial))
                OpenPopup();
        });
    }
    return w;
}

void CColorButton::OpenPopup()
{
    if (GetPopup() || !IsWindowEnabled())
        return;
    m_bPopupActive = TRUE;
    CRect r;
    GetWindowRect(&r);
    auto* popup = new CColorGridPopup;
    m_pPopup = popup;
    m_popupSerial = popup->GetSerial();
    if (!popup->Create(CPoint(r.left, r.bottom), m_crColour, this, m_strDefaultText, m_strCustomText)) {
        delete popup;
        m_pPopup = nullptr;
        m_bPopupActive = FALSE;
        return;
    }
    Invalidate(TRUE);
    Report(CPN_DROPDOWN, m_crColour);
}

void CColorButton::Report(UINT msg, COLORREF colour)
{
    if (CWnd* parent = GetParent())
        parent->SendMessage(msg, static_cast<WPARAM>(colour), static_cast<LPARAM>(GetDlgCtrlID()));
}

LRESULT CColorButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto colour = static_cast<COLORREF>(wParam);
    switch (msg) {
    case BM_CLICK: {
        const std::uint64_t serial = GetSerial();
        CButton::WindowProc(msg, wParam, lParam);
        if (CWnd::IsLive(this, serial))
            OpenPopup();
        return 0;
    }
    case CPN_SELENDOK: {
        m_bPopupActive = FALSE;
        m_pPopup = nullptr;
        const COLORREF before = m_crColour;
        SetColour(colour);
        Report(CPN_CLOSEUP, colour);
        Report(CPN_SELENDOK, colour);
        if (colour != before)
            Report(CPN_SELCHANGE, colour);
        return 1;
    }
    case CPN_SELENDCANCEL:
        m_bPopupActive = FALSE;
        m_pPopup = nullptr;
        SetColour(colour);
        Report(CPN_CLOSEUP, colour);
        Report(CPN_SELENDCANCEL, colour);
        return 1;
    case CPN_SELCHANGE:
        // Hovering only previews when the button follows the mouse;
        // otherwise it would count as a change of the page.
        if (m_bTrackSelection) {
            SetColour(colour);
            Report(CPN_SELCHANGE, colour);
        }
        return 1;
    default:
        return CButton::WindowProc(msg, wParam, lParam);
    }
}

void CColorButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (!dis || !dis->hDC)
        return;
    CDC* dc = dis->hDC;
    CRect r(dis->rcItem);
    UINT state = dis->itemState;
    if (m_bPopupActive)
        state |= ODS_SELECTED | ODS_FOCUS;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;

    dc->FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
    if (selected) {
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    } else {
        RaisedEdge(dc, r);
    }
    r.DeflateRect(2, 2);
    if (selected)
        r.OffsetRect(1, 1);
    if (state & ODS_FOCUS) {
        CRect f(r);
        f.right -= 1;
        dc->DrawFocusRect(&f);
    }
    const int cx = GetSystemMetrics(SM_CXEDGE);
    const int cy = GetSystemMetrics(SM_CYEDGE);
    r.DeflateRect(cx, cy);

    const int arrowLeft = r.right - 4 - cx / 2;
    const int mid = (r.top + r.bottom) / 2;
    DrawArrow(dc, arrowLeft, mid, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));

    // The divider before the arrow.
    r.right = arrowLeft - cx / 2;
    CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    CPen* old = dc->SelectObject(&shadow);
    dc->MoveTo(r.right - 2, r.top);
    dc->LineTo(r.right - 2, r.bottom);
    dc->SelectObject(&light);
    dc->MoveTo(r.right - 1, r.top);
    dc->LineTo(r.right - 1, r.bottom);
    dc->SelectObject(old);
    r.right -= 2 * cx + 1;

    if (disabled || r.Width() <= 0 || r.Height() <= 0)
        return;
    dc->FillSolidRect(&r, m_crColour == CLR_DEFAULT ? m_crDefaultColour : m_crColour);
    dc->Draw3dRect(&r, RGB(0, 0, 0), RGB(0, 0, 0));
}

void DDX_ColorButton(CDataExchange* dx, int id, COLORREF& value)
{
    auto* b = dynamic_cast<CColorButton*>(dx->PrepareCtrl(id));
    if (!b)
        return;
    if (dx->m_bSaveAndValidate)
        value = b->GetColour();
    else
        b->SetColour(value);
}

// ---- CColorGridPopup ------------------------------------------------------------

CColorGridPopup::CColorGridPopup() = default;

CColorGridPopup::~CColorGridPopup() { delete m_pAppWatch; }

QWidget* CColorGridPopup::CreatePeer(QWidget* qtParent)
{
    QWidget* w = CWnd::CreatePeer(qtParent);
    // A toolkit popup closes on a press outside it, which ends the choice
    // as a cancel (WM_CLOSE below).
    w->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    w->setFocusPolicy(Qt::StrongFocus);
    w->setMouseTracking(true);
    return w;
}

BOOL CColorGridPopup::Create(CPoint topLeft, COLORREF colour, CWnd* button, const char* defaultText,
                             const char* customText)
{
    m_crInitial = m_crSelected = colour;
    m_strDefaultText = defaultText ? defaultText : "";
    m_strCustomText = customText ? customText : "";
    m_pButton = button;
    m_buttonSerial = button ? button->GetSerial() : 0;
    const bool hasDefault = !m_strDefaultText.IsEmpty();
    const bool hasCustom = !m_strCustomText.IsEmpty();

    LOGFONT lf = MakeLogFont();
    m_Font.CreateFontIndirect(&lf);

    if (!CreateEx(0, "ColorGridPopup", "", WS_VISIBLE | WS_POPUP, CRect(topLeft.x, topLeft.y, topLeft.x + 100,
                  topLeft.y + 100), button, 0))
        return FALSE;

    CSize textDefault, textCustom;
    {
        CClientDC dc(this);
        CFont* old = dc.SelectObject(&m_Font);
        if (hasDefault)
            textDefault = dc.GetTextExtent(m_strDefaultText);
        if (hasCustom)
            textCustom = dc.GetTextExtent(m_strCustomText);
        dc.SelectObject(old);
    }
    m_Layout = ColorGrid::MakeLayout(textDefault, textCustom, hasDefault, hasCustom, GetSystemMetrics(SM_CXEDGE));
    CRect win(topLeft.x, topLeft.y, topLeft.x + m_Layout.size.cx, topLeft.y + m_Layout.size.cy);
    CSize screen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    CRect buttonRect;
    if (button)
        button->GetWindowRect(&buttonRect);
    win = ColorGrid::KeepOnScreen(win, screen, buttonRect.Height());
    MoveWindow(&win, TRUE);

    m_ToolTip.Create(this);
    for (int i = 0; i < ColorGrid::kCount; ++i) {
        const CRect box = m_Layout.BoxRect(i);
        m_ToolTip.AddTool(this, ColorGrid::At(i).name, &box, static_cast<UINT_PTR>(i + 1));
    }

    m_nChosen = ColorGrid::ChosenIndex(colour, hasDefault, hasCustom);
    m_nCurrent = ColorGrid::kNone;
    SetCapture();
    SetFocus();

    // Switching to another application cancels, unless the colour dialog
    // of "More Colors..." has the user's attention.
    m_pAppWatch = new QObject;
    const std::uint64_t serial = GetSerial();
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, m_pAppWatch,
                     [this, serial](Qt::ApplicationState s) {
                         if (s != Qt::ApplicationActive && CWnd::IsLive(this, serial) && !m_bChildWindowVisible)
                             EndSelection(CPN_SELENDCANCEL);
                     });
    return TRUE;
}

LOGFONT CColorGridPopup::MakeLogFont()
{
    LOGFONT lf;
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    const char face[] = "Liberation Sans";
    std::copy(face, face + sizeof face, lf.lfFaceName);
    return lf;
}

void CColorGridPopup::ChangeSelection(int index)
{
    using namespace ColorGrid;
    if (index >= kCount)
        index = kCustomBox;
    const int old = m_nCurrent;
    m_nCurrent = index;
    if (IsWindow()) {
        CRect r = m_Layout.BoxRect(old);
        if (!r.IsRectEmpty())
            InvalidateRect(&r, FALSE);
        r = m_Layout.BoxRect(index);
        if (!r.IsRectEmpty())
            InvalidateRect(&r, FALSE);
    }
    COLORREF report = m_crInitial;
    if (index >= 0) {
        m_crSelected = report = At(index).color;
    } else if (index == kDefaultBox) {
        m_crSelected = report = CLR_DEFAULT;
    }
    if (m_pButton && CWnd::IsLive(m_pButton, m_buttonSerial))
        m_pButton->SendMessage(CPN_SELCHANGE, static_cast<WPARAM>(report), 0);
}

void CColorGridPopup::EndSelection(UINT msg)
{
    if (m_bEnded)
        return;
    ReleaseCapture();
    if (msg != CPN_SELENDCANCEL && m_nCurrent == ColorGrid::kCustomBox) {
        m_bChildWindowVisible = TRUE;
        CColorDialog dlg(m_crInitial, CC_FULLOPEN | CC_ANYCOLOR, this);
        const int r = dlg.DoModal();
        m_bChildWindowVisible = FALSE;
        if (m_bEnded)
            return;
        if (r == IDOK)
            m_crSelected = dlg.GetColor();
        else
            msg = CPN_SELENDCANCEL;
    }
    if (msg == CPN_SELENDCANCEL)
        m_crSelected = m_crInitial;
    m_bEnded = true;
    const std::uint64_t serial = GetSerial();
    if (m_pButton && CWnd::IsLive(m_pButton, m_buttonSerial))
        m_pButton->SendMessage(msg, static_cast<WPARAM>(m_crSelected), 0);
    if (CWnd::IsLive(this, serial))
        DestroyWindow();
}

void CColorGridPopup::Abandon()
{
    m_bEnded = true;
    m_pButton = nullptr;
    DestroyWindow();
}

void CColorGridPopup::PostNcDestroy() { delete this; }

void CColorGridPopup::OnClose() { EndSelection(CPN_SELENDCANCEL); }

void CColorGridPopup::OnKillFocus(CWnd*) { ReleaseCapture(); }

void CColorGridPopup::OnMouseMove(UINT, CPoint point)
{
    const int i = m_Layout.HitTest(point);
    if (i != ColorGrid::kNone && i != m_nCurrent)
        ChangeSelection(i);
}

void CColorGridPopup::OnLButtonUp(UINT, CPoint point)
{
    CRect client;
    GetClientRect(&client);
    EndSelection(client.PtInRect(point) ? CPN_SELENDOK : CPN_SELENDCANCEL);
}

void CColorGridPopup::OnKeyDown(UINT nChar, UINT repCnt, UINT flags)
{
    using ColorGrid::Key;
    const bool hasDefault = !m_strDefaultText.IsEmpty();
    const bool hasCustom = !m_strCustomText.IsEmpty();
    auto go = [&](Key k) { ChangeSelection(ColorGrid::Navigate(m_nCurrent, m_nChosen, k, hasDefault, hasCustom)); };
    switch (nChar) {
    case VK_DOWN: go(Key::Down); return;
    case VK_UP: go(Key::Up); return;
    case VK_RIGHT: go(Key::Right); return;
    case VK_LEFT: go(Key::Left); return;
    case VK_RETURN:
    case VK_SPACE:
        EndSelection(CPN_SELENDOK);
        return;
    case VK_ESCAPE:
        m_crSelected = m_crInitial;
        EndSelection(CPN_SELENDCANCEL);
        return;
    default:
        CWnd::OnKeyDown(nChar, repCnt, flags);
    }
}

void CColorGridPopup::DrawBox(CDC* dc, int index)
{
    using namespace ColorGrid;
    CRect r = m_Layout.BoxRect(index);
    if (r.IsRectEmpty())
        return;
    const bool text = index < 0;
    if (index == kCustomBox) {
        // The separator above "More Colors...".
        const int m = m_Layout.margin;
        CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        CPen* old = dc->SelectObject(&shadow);
        dc->MoveTo(r.left + m * 2, r.top + m);
        dc->LineTo(r.left + m * 2 + r.Width() - 4 * m, r.top + m);
        dc->SelectObject(&light);
        dc->MoveTo(r.left + m * 2, r.top + m + 1);
        dc->LineTo(r.left + m * 2 + r.Width() - 4 * m, r.top + m + 1);
        dc->SelectObject(old);
        r.top += 2 * m;
    }
    const bool current = index == m_nCurrent;
    const bool chosen = index == m_nChosen;
    COLORREF back = GetSysColor(COLOR_BTNFACE);
    if (chosen && !current)
        back = GetSysColor(text ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT);
    dc->FillSolidRect(&r, back);
    if (current)
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    else if (chosen)
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));

    const int m = m_Layout.margin;
    CPen pen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen* oldPen = dc->SelectObject(&pen);
    if (!text) {
        CRect swatch(r);
        swatch.DeflateRect(m + 1, m + 1);
        CBrush brush(At(index).color);
        CBrush* oldBrush = dc->SelectObject(&brush);
        dc->Rectangle(&swatch);
        dc->SelectObject(oldBrush);
    } else {
        CRect frame(r);
        frame.DeflateRect(2 * m, 2 * m);
        dc->SelectStockObject(NULL_BRUSH);
        dc->Rectangle(&frame);
        CFont* oldFont = dc->SelectObject(&m_Font);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(GetSysColor(COLOR_BTNTEXT));
        dc->DrawText(index == kDefaultBox ? m_strDefaultText : m_strCustomText, &r,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        dc->SelectObject(oldFont);
    }
    dc->SelectObject(oldPen);
}

void CColorGridPopup::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    if (m_Layout.hasDefault)
        DrawBox(&dc, ColorGrid::kDefaultBox);
    for (int i = 0; i < ColorGrid::kCount; ++i)
        DrawBox(&dc, i);
    if (m_Layout.hasCustom)
        DrawBox(&dc, ColorGrid::kCustomBox);
    RaisedEdge(&dc, client);
}
