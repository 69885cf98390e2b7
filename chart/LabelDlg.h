// The modal properties dialog of a chart label ("Properties").
#pragma once

#include "chart/ColorButton.h"
#include "platform/Dialog.h"

class CPlotLabel;

class CLabelDlg : public CDialog {
    VX_DECLARE_DYNAMIC(CLabelDlg)
public:
    enum {
        IDD = 5012, IDC_BACK = 6007, IDC_FONT = 6068, IDC_ALIGN = 6056, IDC_CURVE = 6071,
        IDC_TRANSPARENT = 6078, IDC_BORDER = 6054, IDC_APPLY = 5002
    };

    explicit CLabelDlg(CWnd* parent = nullptr);
    ~CLabelDlg() override;

    CPlotLabel* m_pLabel = nullptr;
    CComboBox m_Curves;
    CColorButton m_BackColour;
    int m_bBorder = 0;
    int m_nAlignment = -1;
    int m_nCurve = -1;
    int m_bTransparent = 0;
    COLORREF m_crBack = 0;

    // Runs the dialog for a label (the chart's properties hook).
    static void Run(CPlotLabel* label);
    // Makes Run the labels' properties dialog.
    static void Install();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    bool Apply();
    void OnApply();
    void OnFont();
    void OnChange();
    LRESULT OnColourChanged(WPARAM, LPARAM);
};
