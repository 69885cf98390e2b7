// Free objects on the chart: text labels the user can place, edit and
// connect to a curve, and data notations that mark one curve point.
#pragma once

#include "chart/PlotObject.h"
#include "platform/CString.h"
#include "platform/Gdi.h"

#include <QPlainTextEdit>
#include <QPointer>

#include <functional>
#include <memory>

class CWnd;

class CPlotLabel : public CPlotObject {
    VX_DECLARE_SERIAL(CPlotLabel)
public:
    CPlotLabel();
    ~CPlotLabel() override;

    void Serialize(CArchive& ar) override;
    void Draw(CDCEx* dc) override;
    void Edit() override;
    void EndEdit() override;
    void InvokeProperties() override;

    void SetText(const CString& text) { m_strText = text; }
    CString GetText() const { return m_strText; }
    void SetFont(const LOGFONT& lf) { m_lf = lf; }
    const LOGFONT& GetLogFont() const { return m_lf; }
    void SetBackColor(COLORREF c) { m_crBack = c; }
    COLORREF GetBackColor() const { return m_crBack; }
    void SetTextColor(COLORREF c) { m_crText = c; }
    COLORREF GetTextColor() const { return m_crText; }
    void SetBorder(bool on) { m_bBorder = on; }
    bool GetBorder() const { return m_bBorder; }
    void SetTransparent(bool on) { m_bTransparent = on; }
    bool GetTransparent() const { return m_bTransparent; }
    void SetAlignment(UINT a) { m_nAlignment = a; }
    // Only left, centre or right: the value also becomes DrawText flags.
    UINT GetAlignment() const { return m_nAlignment <= 2 ? m_nAlignment : 0; }
    void SetConnectedCurve(int c) { m_nConnected = c; }
    int GetConnectedCurve() const { return m_nConnected; }
    bool IsEditorOpen() const { return m_pEditor != nullptr; }

    // The modal label dialog lives with the property pages; they install
    // it here. The chooser returns the popup's command (0 when dismissed).
    using PropertiesDialog = std::function<void(CPlotLabel*)>;
    using PopupChooser = std::function<UINT(CWnd* owner, CPoint screenPoint)>;
    static void SetPropertiesDialog(PropertiesDialog dlg);
    static void SetPopupChooser(PopupChooser chooser);

    CString m_strText = " ";
    LOGFONT m_lf;
    COLORREF m_crBack;
    COLORREF m_crText = 0;
    bool m_bBorder = true;
    bool m_bTransparent = false;
    UINT m_nAlignment = 0;
    int m_nConnected = -1;

private:
    // The editor is a child of the chart's widget, which may go first.
    QPointer<QPlainTextEdit> m_pEditor;
};

class CPlotDataNotation : public CPlotObject {
    VX_DECLARE_SERIAL(CPlotDataNotation)
public:
    CPlotDataNotation();
    ~CPlotDataNotation() override = default;

    void Serialize(CArchive& ar) override;
    void Draw(CDCEx* dc) override;

    void Set(double x, double y, int curve, int point, const CString& text)
    {
        m_dX = x;
        m_dY = y;
        m_nCurve = curve;
        m_nPoint = point;
        m_strText = text;
        m_bLaidOut = false;
    }

    LOGFONT m_lf;
    bool m_bLaidOut = false;
    double m_dX = 0.0;
    double m_dY = 0.0;
    int m_nCurve = 0;
    int m_nPoint = 0;
    CString m_strText;
};
