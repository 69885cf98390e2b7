#pragma once

#include "Wnd.h"

#include <QPointer>

#include <vector>

class QObject;

// Tooltips for whole windows or rectangles inside them; Qt shows them.
class CToolTipCtrl : public CWnd {
    VX_DECLARE_DYNAMIC(CToolTipCtrl)
public:
    ~CToolTipCtrl() override;
    using CWnd::Create;
    BOOL Create(CWnd* parent, DWORD style = 0);
    BOOL AddTool(CWnd* wnd, const char* text, const RECT* rect = nullptr, UINT_PTR toolId = 0);
    void Activate(BOOL activate);
    // The text shown at a point of wnd (client coordinates); empty when none.
    CString TipTextAt(CWnd* wnd, CPoint point) const;

private:
    struct Tool {
        CWnd* wnd;
        UINT_PTR id;
        CRect rect;   // empty: the whole window
        CString text;
    };
    std::vector<Tool> m_tools;
    std::vector<QPointer<QObject>> m_filters;   // live on the watched windows' widgets
    bool m_active = true;
    void watch(CWnd* wnd);
};
