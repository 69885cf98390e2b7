#include "PropertySheet.h"

#include "Text1252.h"

#include <QFont>
#include <QWidget>

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
VX_IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {
// Room between the sheet's edge and its tab control, in pixels.
constexpr int kSheetMargin = 7;
} // namespace

// ---- CPropertyPage ----------------------------------------------------------------

CPropertyPage::CPropertyPage() = default;

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId), m_captionId(captionId) {}

CPropertyPage::~CPropertyPage()
{
    // Pages and their sheet are members of one dialog, destroyed in either
    // order: a page that goes first leaves the sheet.
    if (CPropertySheet* sheet = GetSheet())
        sheet->forget(this);
}

CPropertySheet* CPropertyPage::GetSheet() const
{
    return m_sheet && CWnd::IsLive(m_sheet, m_sheetSerial) ? m_sheet : nullptr;
}

CString CPropertyPage::GetCaption() const
{
    CString s;
    if (m_captionId && s.LoadString(m_captionId))
        return s;
    if (GetPeer())
        return GetWindowTextString();
    const vx::DialogTemplate* tpl = GetTemplate();
    return tpl ? tpl->caption : CString();
}

BOOL CPropertyPage::CreatePage(CPropertySheet* sheet, const RECT& where)
{
    m_sheet = sheet;
    m_sheetSerial = sheet->GetSerial();
    m_pParentWnd = sheet;
    if (!CreateFromTemplate(sheet, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_CHILD, &where))
        return FALSE;
    InitDialogWindow();
    return GetPeer() != nullptr;
}

// ---- CPropertySheet ---------------------------------------------------------------

CPropertySheet::CPropertySheet() = default;

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage)
    : m_pParentWnd(parent), m_active(static_cast<int>(selectPage))
{
    m_caption.LoadString(captionId);
}

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : m_caption(caption), m_pParentWnd(parent), m_active(static_cast<int>(selectPage))
{
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::forget(CPropertyPage* page)
{
    const int i = GetPageIndex(page);
    if (i < 0)
        return;
    m_pages.erase(m_pages.begin() + i);
    if (m_tab.GetPeer())
        m_tab.DeleteItem(i);
    if (i < m_active)
        --m_active;
    else if (i == m_active)
        m_active = m_pages.empty() ? 0 : std::min(m_active, GetPageCount() - 1);
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    if (!page || GetPageIndex(page) >= 0)
        return;
    m_pages.push_back(page);
    page->m_sheet = this;
    page->m_sheetSerial = GetSerial();
    if (m_created) {
        m_tab.InsertItem(GetPageCount() - 1, page->GetCaption(), reinterpret_cast<LPARAM>(page));
        if (m_pages.size() == 1)
            activate(0);
    }
}

void CPropertySheet::RemovePage(CPropertyPage* page)
{
    const int i = GetPageIndex(page);
    if (i < 0)
        return;
    if (page->GetPeer())
        page->DestroyWindow();
    m_pages.erase(m_pages.begin() + i);
    page->m_sheet = nullptr;
    page->m_sheetSerial = 0;
    if (!m_created) {
        m_active = std::clamp(m_active, 0, std::max(0, GetPageCount() - 1));
        return;
    }
    m_tab.DeleteItem(i);
    if (m_pages.empty()) {
        m_active = 0;
        return;
    }
    if (i == m_active) {
        m_active = -1;
        activate(std::min(i, GetPageCount() - 1));
    } else if (i < m_active) {
        --m_active;
        m_tab.SetCurSel(m_active);
    }
}

CPropertyPage* CPropertySheet::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const
{
    auto it = std::find(m_pages.begin(), m_pages.end(), page);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(m_active); }

BOOL CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= GetPageCount())
        return FALSE;
    if (!m_created) {
        m_active = index;
        return TRUE;
    }
    activate(index);
    return TRUE;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

CTabCtrl* CPropertySheet::GetTabControl() const
{
    return m_created ? const_cast<CTabCtrl*>(&m_tab) : nullptr;
}

QWidget* CPropertySheet::CreatePeer(QWidget* qtParent)
{
    QWidget* w = CWnd::CreatePeer(qtParent);
    QFont f(QString::fromLatin1(vx::kDialogFontFamily));
    f.setPixelSize(vx::kDialogFontPixels);
    w->setFont(f);
    w->setFocusPolicy(Qt::NoFocus);
    if (!(GetStyle() & WS_CHILD))
        w->setAutoFillBackground(true);
    return w;
}

CRect CPropertySheet::pageRect() const
{
    CRect r;
    m_tab.GetClientRect(&r);
    m_tab.AdjustRect(FALSE, &r);
    r.OffsetRect(kSheetMargin, kSheetMargin);
    return r;
}

BOOL CPropertySheet::Create(CWnd* parent, DWORD style, DWORD exStyle)
{
    if (GetPeer())
        return FALSE;
    if (parent)
        m_pParentWnd = parent;
    if (style == static_cast<DWORD>(-1))
        style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    // The largest page decides the size.
    int w = 0, h = 0;
    for (CPropertyPage* p : m_pages)
        if (const vx::DialogTemplate* tpl = p->GetTemplate()) {
            w = std::max(w, vx::DluToPixelX(tpl->dluSize.cx));
            h = std::max(h, vx::DluToPixelY(tpl->dluSize.cy));
        }
    if (!CreateEx(exStyle, nullptr, m_caption, style & ~WS_VISIBLE, CRect(0, 0, 1, 1), m_pParentWnd, 0))
        return FALSE;
    if (!m_tab.CreateControl("", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 1, 1), this, AFX_IDC_TAB_CONTROL))
        return FALSE;
    // Tabs first: their height decides the room above the pages.
    for (int i = 0; i < GetPageCount(); ++i)
        m_tab.InsertItem(i, m_pages[static_cast<size_t>(i)]->GetCaption(),
                         reinterpret_cast<LPARAM>(m_pages[static_cast<size_t>(i)]));
    CRect tab(0, 0, w, h);
    m_tab.AdjustRect(TRUE, &tab);
    tab.OffsetRect(kSheetMargin - tab.left, kSheetMargin - tab.top);
    m_tab.MoveWindow(&tab);
    SetWindowPos(nullptr, 0, 0, tab.right + kSheetMargin, tab.bottom + kSheetMargin,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_created = true;
    const int first = std::clamp(m_active, 0, std::max(0, GetPageCount() - 1));
    m_active = -1;
    if (!m_pages.empty())
        activate(first);
    if (style & WS_VISIBLE)
        ShowWindow(SW_SHOW);
    return TRUE;
}

void CPropertySheet::activate(int index)
{
    CPropertyPage* page = GetPage(index);
    if (!page || (index == m_active && page->GetPeer()))
        return;
    if (CPropertyPage* old = GetActivePage(); old && old != page && old->GetPeer())
        old->ShowWindow(SW_HIDE);
    const CRect where = pageRect();
    if (!page->GetPeer() && !page->CreatePage(this, where))
        return;
    m_active = index;
    m_tab.SetCurSel(index);
    page->SetWindowPos(nullptr, where.left, where.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    page->GetPeer()->raise();
    const std::uint64_t serial = page->GetSerial();
    page->ShowWindow(SW_SHOW);
    // Pages start their work (device bytes, texts) on this, every time.
    if (CWnd::IsLive(page, serial) && page->GetPeer())
        page->SendMessage(WM_CHILDACTIVATE, 0, 0);
}

BOOL CPropertySheet::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->hwndFrom == &m_tab) {
        if (CWnd::OnNotify(wParam, lParam, result))
            return TRUE;
        if (hdr->code == TCN_SELCHANGE)
            activate(m_tab.GetCurSel());
        if (result)
            *result = 0;
        return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, result);
}

void CPropertySheet::OnDestroy()
{
    m_created = false;
    CWnd::OnDestroy();
}

LRESULT CPropertySheet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case PSM_GETTABCONTROL:
        return reinterpret_cast<LRESULT>(GetTabControl());
    case PSM_SETCURSEL:
        return SetActivePage(lParam ? GetPageIndex(reinterpret_cast<CPropertyPage*>(lParam))
                                    : static_cast<int>(wParam));
    case PSM_GETCURRENTPAGEHWND:
        return reinterpret_cast<LRESULT>(GetActivePage());
    default:
        return CWnd::WindowProc(msg, wParam, lParam);
    }
}
