// The measure configuration page of the setup sheet: the chart type and the
// measuring channel's operator and constant, kept in the profile where the
// measure page reads them before every start.
#pragma once

#include "app/MyPropertyPage.h"
#include "controls/KombiBox.h"
#include "controls/MyEdit.h"

class CMessenDlgEinstellen : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CMessenDlgEinstellen)
public:
    enum { IDD = 121 };
    enum {
        IDC_CHART_TYPE = 1110,
        IDC_CHART_LABEL = 1112,
        IDC_ROW_LABEL_FIRST = 1094,
        IDC_PORT_FIRST = 1070,
        IDC_OPERATOR_FIRST = 1080,
        IDC_CONSTANT_FIRST = 1074,
        IDC_DISPLAY_FIRST = 1087,
        IDC_CONSTANT_LABEL = 1108,
        IDC_DISPLAY_LABEL = 1109,
        IDC_CONNECTION_GROUP = 1113,
        IDC_SERIAL = 1114,
        IDC_PARALLEL = 1115,
        IDC_DELAY = 1364,
        IDC_DELAY_LABEL = 1365,
        IDC_OK = 1,
    };
    static constexpr int kRows = 4;
    static constexpr int kRecords = 7;

    // One configuration record: rows 1-4, the two limits, the derived channel.
    struct Record {
        int channelId = 0;
        int op = 0;
        double value = 0.0;
        bool display = false;
        int channelX = 0;
        int channelY = 0;
    };

    CMessenDlgEinstellen();
    ~CMessenDlgEinstellen() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    BOOL OnInitDialog() override;

    // Reads the profile into the records and the controls.
    void LoadConfiguration();
    // Reads the controls into the records and writes the profile.
    void SaveConfiguration();

    const Record& GetRecord(int i) const { return m_Records[i]; }
    int GetChartType() const { return m_iChartType; }
    // A constant as typed: digits with at most one ',' or '.'.
    static bool ParseConstant(const CString& text, double& value);

protected:
    void OnShowWindow(BOOL show, UINT status) override;

private:
    void OnChartTypeChanged();
    void OnConstantChanged(UINT id);
    void OnOperatorChanged(UINT id);
    void OnPortButton(UINT id);
    void OnSerial();
    void OnParallel();
    void ApplyChartType();
    void RefreshPortText();
    void WriteRow(int row);
    void Show(int id, bool show);

    Record m_Records[kRecords];
    int m_iChartType = 0;
    bool m_bLoading = false;
    CKombiBox m_Operator[kRows];
    CMyEdit m_Constant[kRows];
    CComboBox m_ChartType;
};
