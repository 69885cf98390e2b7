#include "print/Page.h"

#include "platform/Bmp.h"
#include "platform/Dc.h"
#include "platform/Gdi.h"

#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {
std::mutex g_dirMutex;
CString g_fallbackDir;
} // namespace

CPage::CPage(CDC* dc) : m_pDC(dc)
{
    if (m_pDC) {
        const int x = m_pDC->GetDeviceCaps(LOGPIXELSX);
        const int y = m_pDC->GetDeviceCaps(LOGPIXELSY);
        if (x > 0)
            m_dpiX = x;
        if (y > 0)
            m_dpiY = y;
    }
}

int CPage::RowToDevice(double row) const
{
    return static_cast<int>(std::lround(row * m_dpiY));
}

int CPage::ColumnToDevice(double column) const
{
    return static_cast<int>(std::lround(column * m_dpiX));
}

namespace {
// The longest start of the text that is no wider than `width` device units.
CString FitWidth(CDC& dc, const CString& text, int width)
{
    if (width <= 0)
        return CString();
    if (dc.GetTextExtent(text).cx <= width)
        return text;
    int lo = 0, hi = text.GetLength();
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (dc.GetTextExtent(text.Left(mid)).cx <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    return text.Left(lo);
}

// A printed line holds a text's line breaks (CR LF, LF or CR) as blanks,
// so the lines of a comment do not run together.
CString OneLine(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\r' && p[1] == '\n')
            ++p;
        out += (*p == '\r' || *p == '\n') ? ' ' : *p;
    }
    return CString(std::move(out));
}
} // namespace

const CPage::TextField* CPage::FieldOf(double row, double column) const
{
    const TextField* found = nullptr;
    for (const TextField& f : m_fields)
        if (row >= f.top && row < f.bottom && column >= f.firstColumn)
            found = &f;
    return found;
}

double CPage::PrintText(double row, double column, UINT, int points, const char* text)
{
    if (points <= 0)
        points = 10;
    const double next = row + 1.2 * points / 72.0;
    if (!m_pDC || !text)
        return next;
    CFont font;
    // Character height in device units, so the size is the same at any
    // resolution.
    const int height = -static_cast<int>(std::lround(points * m_dpiY / 72.0));
    font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    CFont* old = m_pDC->SelectObject(&font);
    const int oldMode = m_pDC->SetBkMode(TRANSPARENT);
    if (const TextField* field = FieldOf(row, column)) {
        const int x = ColumnToDevice(field->left + column - field->firstColumn);
        const CRect area(ColumnToDevice(field->left), RowToDevice(field->top), ColumnToDevice(field->right),
                         RowToDevice(field->bottom));
        // Cut by characters, so what stands on the sheet is what fits; the
        // clip keeps a glyph's overhang off the field's lines too.
        const CString shown = FitWidth(*m_pDC, OneLine(text), area.right - x);
        const int saved = m_pDC->SaveDC();
        m_pDC->IntersectClipRect(&area);
        m_pDC->TextOut(x, RowToDevice(row), shown);
        m_pDC->RestoreDC(saved);
    } else {
        m_pDC->TextOut(ColumnToDevice(column), RowToDevice(row), OneLine(text));
    }
    m_pDC->SetBkMode(oldMode);
    m_pDC->SelectObject(old);
    return next;
}

void CPage::DrawFrame(double row1, double column1, double row2, double column2, int width, int style)
{
    if (!m_pDC)
        return;
    const int penWidth = std::max(1, static_cast<int>(std::lround(std::max(width, 1) * m_dpiX / 150.0)));
    CPen pen(style == 2 ? PS_DOT : PS_SOLID, penWidth, RGB(0, 0, 0));
    CPen* oldPen = m_pDC->SelectObject(&pen);
    const int x1 = ColumnToDevice(column1), y1 = RowToDevice(row1);
    const int x2 = ColumnToDevice(column2), y2 = RowToDevice(row2);
    if (x1 == x2 || y1 == y2) {
        m_pDC->MoveTo(x1, y1);
        m_pDC->LineTo(x2, y2);
    } else {
        CGdiObject* oldBrush = m_pDC->SelectStockObject(NULL_BRUSH);
        m_pDC->Rectangle(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
        if (oldBrush)
            m_pDC->SelectObject(static_cast<CBrush*>(oldBrush));
    }
    m_pDC->SelectObject(oldPen);
}

bool CPage::PrintBitmapFile(double top, double left, double bottom, double right, const char* path)
{
    return PrintBitmap(RowToDevice(top), ColumnToDevice(left), RowToDevice(bottom), ColumnToDevice(right), path);
}

bool CPage::PrintBitmap(int top, int left, int bottom, int right, const char* path)
{
    // Callers compute the bottom from a width and may hand the corners over
    // in either order.
    CRect rect(std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
    m_lastBitmapRect = rect;
    m_lastBitmapPath = ResolveBitmapPath(path);
    if (!m_pDC || m_lastBitmapPath.IsEmpty() || rect.IsRectEmpty())
        return false;
    const QImage image = vx::LoadBmpFile(m_lastBitmapPath);
    if (image.isNull())
        return false;
    return m_pDC->DrawImage(&rect, image) != FALSE;
}

void CPage::SetBitmapFallbackDir(const CString& dir)
{
    std::lock_guard<std::mutex> lock(g_dirMutex);
    g_fallbackDir = dir;
}

CString CPage::ResolveBitmapPath(const char* path)
{
    if (!path || !*path)
        return CString();
    const CString given(path);
    if (given[0] == '/' || QFileInfo::exists(QString::fromLocal8Bit(path)))
        return given;
    std::lock_guard<std::mutex> lock(g_dirMutex);
    if (g_fallbackDir.IsEmpty())
        return given;
    CString inData = g_fallbackDir;
    if (inData.Right(1) != "/")
        inData += "/";
    inData += given;
    return QFileInfo::exists(QString::fromLocal8Bit(inData.GetString())) ? inData : given;
}
