// Helpers shared by the control files; not for use outside them.
#pragma once

#include "ControlWnd.h"

#include <QColor>
#include <QRect>

class QPainter;

namespace vx::ctldetail {

// Keeps the "set from code" flag for a scope, restoring the previous value.
struct CodeScope {
    bool& flag;
    bool old;
    explicit CodeScope(bool& f) : flag(f), old(f) { flag = true; }
    ~CodeScope() { flag = old; }
};

// Draws one owner-drawn item through a DC on an image and puts it on screen.
void DrawOwnerItem(QPainter* painter, const QRect& r, CWnd* ctl, UINT type, int item, UINT state,
                   UINT_PTR data, const QColor& background);

constexpr int kItemDataRole = Qt::UserRole + 1;

} // namespace vx::ctldetail
