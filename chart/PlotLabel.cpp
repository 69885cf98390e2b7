#include "chart/PlotLabel.h"

#include "chart/LabelDlg.h"
#include "chart/Plot.h"
#include "chart/PlotAxis.h"
#include "chart/PlotDC.h"
#include "chart/PlotRecords.h"
#include "platform/Archive.h"
#include "platform/Edit.h"
#include "platform/Text1252.h"

#include <QCursor>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWidget>

#include <cmath>

VX_IMPLEMENT_SERIAL(CPlotLabel, CPlotObject, 1)
VX_IMPLEMENT_SERIAL(CPlotDataNotation, CPlotObject, 1)

namespace {

CPlotLabel::PropertiesDialog g_propertiesDialog;
CPlotLabel::PopupChooser g_popupChooser;

constexpr UINT kPropertiesCommand = 60006;

}  // namespace

void CPlotLabel::SetPropertiesDialog(PropertiesDialog dlg) { g_propertiesDialog = std::move(dlg); }
void CPlotLabel::SetPopupChooser(PopupChooser chooser) { g_popupChooser = std::move(chooser); }

CPlotLabel::CPlotLabel() : m_lf(MakeChartLogFont("Arial", 14, 400)), m_crBack(GetSysColor(COLOR_WINDOW))
{
    m_bTrackPermit1 = true;
    m_bTrackPermit2 = true;
    m_bEditable = true;
}

CPlotLabel::~CPlotLabel()
{
    delete m_pEditor.data();
}

void CPlotLabel::Draw(CDCEx* dc)
{
    if (!m_bVisible)
        return;
    const COLORREF back = dc->m_bLowColor ? RGB(255, 255, 255) : m_crBack;
    const COLORREF ink = dc->m_bLowColor ? RGB(0, 0, 0) : m_crText;
    CQuickFont font(m_lf);
    CFontSelector fsel(&font, dc, true);
    std::unique_ptr<CBrushSelector> brush;
    CGdiObject* oldBrush = nullptr;
    if (m_bTransparent)
        oldBrush = dc->SelectStockObject(NULL_BRUSH);
    else
        brush = std::make_unique<CBrushSelector>(back, dc);
    // Black 1 px for the border and for the line to a connected curve.
    CPenSelector pen(RGB(0, 0, 0), 1, dc, PS_SOLID);

    if (m_pGraph && m_nConnected >= 0 && m_nConnected < m_pGraph->GetCurveCount()) {
        CPlotDataSerie& c = m_pGraph->GetCurve(m_nConnected);
        CPlotAxis* xa = m_pGraph->FindXAxis(c.GetXAxisIndex());
        CPlotAxis* ya = m_pGraph->FindYAxis(c.GetYAxisIndex());
        if (xa && ya && c.GetCount() > 0) {
            const ChartPoint p{c.GetX(c.GetCount() / 2), c.GetY(c.GetCount() / 2)};
            if (std::isfinite(p.x) && std::isfinite(p.y)) {
                dc->MoveTo(xa->GetPointForValue(p).x, ya->GetPointForValue(p).y);
                const CPoint centre = m_clRect.CenterPoint();
                dc->LineTo(centre.x, centre.y);
            }
        }
    }
    const int oldMode = dc->SetBkMode(OPAQUE);
    if (!m_bTransparent)
        dc->FillSolidRect(&m_clRect, back);
    else
        dc->SetBkMode(TRANSPARENT);
    if (m_bBorder)
        dc->Rectangle(&m_clRect);
    const COLORREF oldBk = dc->SetBkColor(back);
    const COLORREF oldText = dc->SetTextColor(ink);
    if (m_bTracking)
        m_Tracker.Draw(dc);
    if (!m_bEditing) {
        CRect r = m_clRect;
        r.DeflateRect(1, 1);
        dc->DrawText(m_strText, &r, GetAlignment());
    }
    dc->SetTextColor(oldText);
    dc->SetBkColor(oldBk);
    dc->SetBkMode(oldMode);
    if (oldBrush)
        dc->SelectObject(static_cast<CBrush*>(oldBrush));
}

void CPlotLabel::Edit()
{
    if (!m_bEditable)
        return;
    delete m_pEditor.data();
    m_bTracking = false;
    m_bEditing = true;
    QWidget* parent = m_pGraph ? m_pGraph->GetPeer() : nullptr;
    if (!parent)
        return;
    m_pEditor = vx::NewPlainTextEdit(parent);
    m_pEditor->setObjectName("65534");
    // Lines run on to the right and scroll, as typed; only Return breaks.
    m_pEditor->setLineWrapMode(QPlainTextEdit::NoWrap);
    CRect r = m_clRect;
    r.DeflateRect(1, 1);
    m_pEditor->setGeometry(r.left, r.top, r.Width(), r.Height());
    m_pEditor->setFont(CFont::MakeQFont(m_lf));
    QString text = vx::ToQString(m_strText);
    text.replace("\r\n", "\n");
    m_pEditor->setPlainText(text);
    QTextOption opt = m_pEditor->document()->defaultTextOption();
    const UINT a = GetAlignment();
    opt.setAlignment(a == 1 ? Qt::AlignHCenter : a == 2 ? Qt::AlignRight : Qt::AlignLeft);
    m_pEditor->document()->setDefaultTextOption(opt);
    m_pEditor->show();
    m_pGraph->Invalidate(FALSE);
    m_pEditor->setFocus();
    m_pEditor->selectAll();
}

void CPlotLabel::EndEdit()
{
    if (!m_bEditable)
        return;
    if (m_pEditor) {
        QString text = m_pEditor->toPlainText();
        text.replace("\n", "\r\n");
        m_strText = vx::FromQString(text);
        m_pEditor->hide();
        m_pEditor->deleteLater();
        m_pEditor = nullptr;
    }
    m_bEditing = false;
}

void CPlotLabel::InvokeProperties()
{
    UINT cmd = 0;
    const QPoint cursor = QCursor::pos();
    if (g_popupChooser) {
        cmd = g_popupChooser(m_pGraph, CPoint(cursor.x(), cursor.y()));
    } else {
        QMenu menu(m_pGraph ? m_pGraph->GetPeer() : nullptr);
        QAction* item = menu.addAction("Properties");
        if (menu.exec(cursor) == item)
            cmd = kPropertiesCommand;
    }
    if (cmd != kPropertiesCommand)
        return;
    if (g_propertiesDialog)
        g_propertiesDialog(this);
    else
        CLabelDlg::Run(this);
}

void CPlotLabel::Serialize(CArchive& ar)
{
    CPlotObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_strText;
        PlotRecords::WriteLogFont(ar, m_lf);
        ar << static_cast<UINT>(m_crBack) << static_cast<UINT>(m_crText) << m_bBorder << m_bTransparent
           << m_nAlignment << m_nConnected;
        return;
    }
    UINT back, text;
    ar >> m_strText;
    PlotRecords::ReadLogFont(ar, m_lf);
    ar >> back >> text >> m_bBorder >> m_bTransparent >> m_nAlignment >> m_nConnected;
    m_crBack = back;
    m_crText = text;
}

// ---- data notation ---------------------------------------------------------

CPlotDataNotation::CPlotDataNotation() : m_lf(MakeChartLogFont("Arial", 12, 400))
{
    m_bEditable = false;
    m_bTrackPermit1 = false;
    m_bTrackPermit2 = false;
}

void CPlotDataNotation::Draw(CDCEx* dc)
{
    if (!m_bVisible || !m_pGraph)
        return;
    if (m_bTracking)
        m_Tracker.Draw(dc);
    if (m_nCurve < 0 || m_nCurve >= m_pGraph->GetCurveCount())
        return;
    CPlotDataSerie& c = m_pGraph->GetCurve(m_nCurve);
    CPlotAxis* xa = m_pGraph->FindXAxis(c.GetXAxisIndex());
    CPlotAxis* ya = m_pGraph->FindYAxis(c.GetYAxisIndex());
    if (!xa || !ya || !std::isfinite(m_dX) || !std::isfinite(m_dY))
        return;
    CQuickFont font(m_lf);
    const ChartPoint v{m_dX, m_dY};
    const int px = xa->GetPointForValue(v).x, py = ya->GetPointForValue(v).y;
    if (!m_bLaidOut) {
        // Measured once, in screen units with the unscaled font, so a box
        // first laid out while printing has the screen's size.
        CFont* old = dc->CDC::SelectObject(&font);
        const CSize size = ChartTextSize(dc, m_strText);
        dc->CDC::SelectObject(old);
        m_clRect.SetRect(px, py - 20, px + std::max<int>(1, size.cx), py - 20 + size.cy);
        m_bLaidOut = true;
    }
    m_clRect.OffsetRect(px - m_clRect.left, py - 20 - m_clRect.top);
    CFontSelector fsel(&font, dc, true);
    CRect outer = m_clRect;
    outer.InflateRect(1, 1);
    dc->FillSolidRect(&outer, RGB(0, 0, 0));
    dc->FillSolidRect(&m_clRect, RGB(255, 255, 255));
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldText = dc->SetTextColor(RGB(0, 0, 0));
    CRect r = m_clRect;
    dc->DrawText(m_strText, &r, DT_CENTER);
    dc->SetTextColor(oldText);
    dc->SetBkMode(oldMode);
    dc->FillSolidRect(px - 1, py - 1, 3, 3, RGB(0, 0, 0));
    CPenSelector pen(RGB(0, 0, 0), 1, dc, PS_SOLID);
    dc->MoveTo(px, py);
    dc->LineTo(px, m_clRect.bottom);
}

void CPlotDataNotation::Serialize(CArchive& ar)
{
    CPlotObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_dX << m_dY << m_nCurve << m_nPoint << m_strText;
        return;
    }
    ar >> m_dX >> m_dY >> m_nCurve >> m_nPoint >> m_strText;
    m_bLaidOut = false;
}
