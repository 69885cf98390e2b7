#include "controls/WndImage.h"

#include "platform/Bmp.h"
#include "platform/Dc.h"

VX_IMPLEMENT_DYNAMIC(CWndImage, CWnd)

CWndImage::CWndImage()
{
    // The paint fills the whole client area.
    SetOpaquePaint(true);
}
CWndImage::~CWndImage() = default;

BOOL CWndImage::CreateOverControl(CWnd* placeholder)
{
    if (!placeholder || !placeholder->GetParent())
        return FALSE;
    CWnd* parent = placeholder->GetParent();
    CRect rect;
    placeholder->GetWindowRect(&rect);
    parent->ScreenToClient(&rect);
    const UINT id = static_cast<UINT>(placeholder->GetDlgCtrlID());
    placeholder->ShowWindow(SW_HIDE);
    return Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

BOOL CWndImage::SetBitmapFromResource(UINT id, int)
{
    QImage image = vx::LoadResourceBitmap(id);
    if (image.isNull())
        return FALSE;
    SetImage(image);
    return TRUE;
}

void CWndImage::SetImage(const QImage& image)
{
    m_image = image;
    if (IsWindow())
        Invalidate();
}

void CWndImage::SetLayoutMode(int mode)
{
    m_layoutMode = (mode >= 1 && mode <= 8) ? mode : 2;
    if (IsWindow())
        Invalidate();
}

CRect CWndImage::GetImageRect() const
{
    CRect client;
    GetClientRect(&client);
    if (m_image.isNull())
        return CRect();
    if (m_layoutMode == 3)
        return client;
    const int w = m_image.width(), h = m_image.height();
    const int x = client.left + (client.Width() - w) / 2;
    const int y = client.top + (client.Height() - h) / 2;
    return CRect(x, y, x + w, y + h);
}

BOOL CWndImage::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CWndImage::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, RGB(255, 255, 255));
    if (!m_image.isNull()) {
        const CRect r = GetImageRect();
        dc.DrawImage(&r, m_image);
    }
}

void CWndImage::OnLButtonDown(UINT flags, CPoint point)
{
    if (CWnd* parent = GetParent())
        parent->PostMessage(WM_WNDIMAGE_CLICK, static_cast<WPARAM>(GetDlgCtrlID()), ClickParam(point.x, point.y));
    CWnd::OnLButtonDown(flags, point);
}
