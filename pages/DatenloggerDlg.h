// The data logger page: reads out the device's logger and shows its header,
// logging mode and records; the records can be copied and printed.
#pragma once

#include "app/MyPropertyPage.h"
#include "pages/LoggerReadout.h"
#include "pages/PageDeviceLink.h"

class CDatenloggerDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CDatenloggerDlg)
public:
    enum { IDD = 112 };
    enum {
        IDC_READ = 1116,
        IDC_ERASE = 1117,
        IDC_SAVE = 1120,
        IDC_HEADER = 1122,
        IDC_MODE = 1124,
        IDC_RECORDS = 1125,
    };

    CDatenloggerDlg();
    ~CDatenloggerDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;
    void OnFileSave() override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    void StartLoggerReadout();
    // The records as a CSV file: converts, asks for the name, writes.
    void SaveLoggerCsv();
    void OnErase();

    const CLoggerReadout& GetReadout() const { return m_Readout; }

    CString m_strHeader;
    CString m_strMode;
    CString m_strRecords;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
    void OnTimer(UINT_PTR id) override;

private:
    class Host : public TPageDeviceLink<CLoggerHost> {
    public:
        explicit Host(CDatenloggerDlg& page) : TPageDeviceLink<CLoggerHost>(page), m_dlg(page) {}
        void SetBusy(bool busy) override;
        void ShowReadButton(bool show) override;
        void ShowTexts() override;
        void ShowBox(const CString& text) override;
        bool IsPortOnline() override;
        CString LanguageText(UINT germanId) override;

    private:
        CDatenloggerDlg& m_dlg;
    };

    // Ctrl+A selects the focused field; Ctrl+C and Ctrl+X copy its
    // selection (the fields are read-only, so nothing is cut).
    bool HandleClipboardKey(CWnd* focus, UINT key);

    Host m_Host;
    CLoggerReadout m_Readout;
    bool m_bBusy = false;
};
