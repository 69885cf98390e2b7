// Window drawing: CPaintDC and CClientDC draw on a surface image per peer
// widget, which is then put on screen. Qt lets a widget be painted only in
// its paint event, while the program also draws on windows at other times
// (the chart's cursor, drawn and erased in NOT-XOR on every mouse move);
// the surface keeps those drawings exact and shows them with a paint event
// that only copies the surface.
#include "platform/Dc.h"

#include "platform/DcImpl.h"
#include "platform/Wnd.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QWidget>

namespace {

class VxSurface : public QObject {
public:
    explicit VxSurface(QWidget* peer) : QObject(peer), m_peer(peer)
    {
        setObjectName(QStringLiteral("vx_surface"));
        peer->installEventFilter(this);
    }

    static VxSurface* For(QWidget* peer)
    {
        auto* s = peer->findChild<VxSurface*>(QStringLiteral("vx_surface"), Qt::FindDirectChildrenOnly);
        return s ? s : new VxSurface(peer);
    }

    QImage& Image(QSize size)
    {
        size = size.expandedTo(QSize(1, 1));
        if (m_image.size() != size) {
            QImage next(size, QImage::Format_RGB32);
            next.fill(vx::PixelFromColorRef(GetSysColor(COLOR_BTNFACE)));
            if (!m_image.isNull()) {
                QPainter p(&next);
                p.drawImage(0, 0, m_image);
            }
            m_image = next;
        }
        return m_image;
    }

    // Puts the surface on screen: directly while the peer is in its paint
    // event, else with a repaint that only copies.
    void Present(const QRect& r, bool inPaint)
    {
        if (inPaint) {
            QPainter p(m_peer);
            p.drawImage(r, m_image, r);
            return;
        }
        if (!m_peer->isVisible())
            return;
        m_presentOnly = true;
        m_peer->repaint(r);
        m_presentOnly = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != m_peer || e->type() != QEvent::Paint || !m_presentOnly)
            return false;
        QPainter p(m_peer);
        const QRect r = static_cast<QPaintEvent*>(e)->rect();
        p.drawImage(r, m_image, r);
        return true;
    }

private:
    QWidget* m_peer;
    QImage m_image;
    bool m_presentOnly = false;
};

CRect ClientRect(CWnd* wnd)
{
    CRect rc;
    wnd->GetClientRect(&rc);
    return rc;
}

} // namespace

CPaintDC::CPaintDC(CWnd* wnd) : m_wnd(wnd)
{
    QWidget* peer = wnd ? wnd->GetPeer() : nullptr;
    if (!peer) {
        CreateScreenIC();
        return;
    }
    const CRect client = ClientRect(wnd);
    AttachImage(&VxSurface::For(peer)->Image(QSize(client.Width(), client.Height())));
    m_rcPaint = wnd->IsInPaint() && !wnd->GetPaintRect().IsRectEmpty() ? wnd->GetPaintRect() : client;
}

CPaintDC::~CPaintDC()
{
    QWidget* peer = m_wnd ? m_wnd->GetPeer() : nullptr;
    const bool drew = IsImageTarget();   // a paint is always shown, drawn on or not
    DeleteDC();
    if (peer && drew)
        VxSurface::For(peer)->Present(QRect(m_rcPaint.left, m_rcPaint.top, m_rcPaint.Width(), m_rcPaint.Height()),
                                      m_wnd->IsInPaint());
}

BOOL CPaintDC::ShowPicture(const QImage& picture)
{
    QImage* surface = GetImage();
    if (surface && !picture.isNull() && picture.size() == surface->size() && picture.format() == surface->format()) {
        d->EndPainter();
        *surface = picture;
        return TRUE;
    }
    const CRect at(0, 0, picture.width(), picture.height());
    return DrawImage(&at, picture);
}

CClientDC::CClientDC(CWnd* wnd) : m_wnd(wnd)
{
    QWidget* peer = wnd ? wnd->GetPeer() : nullptr;
    if (!peer) {
        CreateScreenIC();
        return;
    }
    const CRect client = ClientRect(wnd);
    AttachImage(&VxSurface::For(peer)->Image(QSize(client.Width(), client.Height())));
}

CClientDC::~CClientDC()
{
    QWidget* peer = m_wnd ? m_wnd->GetPeer() : nullptr;
    // A DC only used for measuring text shows nothing.
    const bool drew = IsImageTarget() && d->drawn;
    QRect all;
    if (drew && GetImage())
        all = GetImage()->rect();
    DeleteDC();
    if (peer && drew)
        VxSurface::For(peer)->Present(all, m_wnd->IsInPaint());
}
