// The sensor parameter page: reads the device's table of ten sensor rows and
// its factory words, shows them in an editable form and prints them.
#pragma once

#include "app/MyPropertyPage.h"
#include "controls/MyEdit.h"
#include "pages/ParameterRead.h"
#include "telegram/CQuorin_Send.h"

class CParameterDlg : public CMyPropertyPage, public CQuorin_Send {
    VX_DECLARE_DYNAMIC(CParameterDlg)
public:
    enum { IDD = 115 };
    enum {
        IDC_READ = 1132,
        IDC_SEND = 1133,
        IDC_TITLE_NAME = 1119,
        IDC_TITLE_NOMINAL = 1121,
        IDC_TITLE_UNIT = 1123,
        IDC_TITLE_TYPE = 1369,
        IDC_NAME_FIRST = 1134,
        IDC_NOMINAL_FIRST = 1144,
        IDC_UNIT_FIRST = 1154,
        IDC_TYPE_FIRST = 1164,
        IDC_P0_FIRST = 1372,
        IDC_P100_FIRST = 1382,
    };
    // Texts of the string table (German ids; + language offset).
    static constexpr UINT kSendQuestionTextId = 5181;
    static constexpr UINT kFileTooLargeTextId = 5183;
    // Characters a name or unit field takes (as the device can show them).
    static const char* const kTextChars;
    static constexpr const char* kNumberChars = "0123456789,.";

    CParameterDlg();
    ~CParameterDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;
    BOOL OnInitDialog() override;

    void OnReadButton();
    // Button "senden": asks before it overwrites the device's rows, then
    // runs the send (pre-read, checks, the rows).
    void OnSendButton();
    // "senden" is offered: the port is on line, the last read since the
    // activation ended complete, and nothing runs.
    bool SendInReach() const;
    void OnFileOpen() override;
    void OnFileSave() override;
    // The page's activation; the setup page runs it too when it becomes
    // the shown tab while this page is its shown nested page.
    void RunActivation();
    bool IsShownFlag() const { return m_bShown; }
    // The page is left (also when the tab of its sheet is): a read or send
    // in progress ends.
    void AbandonRead();

    CParameterRead& GetRead() { return m_Read; }
    CMyEdit& NameEdit(int row) { return m_Edits[row]; }
    CMyEdit& NominalEdit(int row) { return m_Edits[kParameterRows + row]; }
    CMyEdit& UnitEdit(int row) { return m_Edits[2 * kParameterRows + row]; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnTimer(UINT_PTR id) override;

private:
    void OnEditChanged(UINT id);
    void PrintHeader(CPage* page);
    void PrintFrame(CPage* page);
    void Perform(const CParameterRead::Actions& actions);
    void ShowButtons(bool show);
    void RunSend();
    // Buttons and File items from the state of the read and the port.
    void ShowState();

    CParameterRead m_Read;
    CMyEdit m_Edits[3 * kParameterRows];
    bool m_bShown = false;
};
