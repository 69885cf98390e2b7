#include "platform/Cursor.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace vx::detail {
QWidget* CursorTargetWidget();
} // namespace vx::detail

namespace {

HCURSOR g_current = IDC_ARROW;
int g_waitDepth = 0;
bool g_overridePushed = false;

Qt::CursorShape shapeOf(HCURSOR c)
{
    switch (c) {
    case IDC_IBEAM: return Qt::IBeamCursor;
    case IDC_WAIT: return Qt::WaitCursor;
    case IDC_CROSS: return Qt::CrossCursor;
    case IDC_UPARROW: return Qt::UpArrowCursor;
    case IDC_SIZENWSE: return Qt::SizeFDiagCursor;
    case IDC_SIZENESW: return Qt::SizeBDiagCursor;
    case IDC_SIZEWE: return Qt::SizeHorCursor;
    case IDC_SIZENS: return Qt::SizeVerCursor;
    case IDC_SIZEALL: return Qt::SizeAllCursor;
    case IDC_NO: return Qt::ForbiddenCursor;
    case IDC_HAND: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace

HCURSOR LoadStandardCursor(HCURSOR idc)
{
    switch (idc) {
    case IDC_ARROW: case IDC_IBEAM: case IDC_WAIT: case IDC_CROSS: case IDC_UPARROW:
    case IDC_SIZENWSE: case IDC_SIZENESW: case IDC_SIZEWE: case IDC_SIZENS: case IDC_SIZEALL:
    case IDC_NO: case IDC_HAND:
        return idc;
    default:
        return IDC_ARROW;
    }
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR old = g_current;
    g_current = cursor ? cursor : IDC_ARROW;
    if (QWidget* w = vx::detail::CursorTargetWidget()) {
        if (g_current == IDC_ARROW)
            w->unsetCursor();
        else
            w->setCursor(shapeOf(g_current));
    }
    return old;
}

namespace vx {

void BeginWaitCursor()
{
    if (g_waitDepth++ == 0 && qApp) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        g_overridePushed = true;
    }
}

void EndWaitCursor()
{
    if (g_waitDepth == 0)
        return;
    if (--g_waitDepth == 0 && g_overridePushed) {
        QApplication::restoreOverrideCursor();
        g_overridePushed = false;
    }
}

void RestoreWaitCursor()
{
    if (g_waitDepth == 0 || !qApp)
        return;
    if (!g_overridePushed) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        g_overridePushed = true;
    } else if (!IsWaitCursorShown()) {
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    }
}

bool IsWaitCursorShown()
{
    const QCursor* c = QApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

int WaitCursorDepth()
{
    return g_waitDepth;
}

} // namespace vx
