// The pages of the main dialog as far as the shell builds them: the setup
// page with its nested sheet, and the other pages as empty pages that take
// part in the page protocol. Each page's own implementation replaces its
// class here.
#pragma once

#include "app/MyPropertyPage.h"

class CEmptyPage : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CEmptyPage)
public:
    explicit CEmptyPage(UINT templateId) : CMyPropertyPage(templateId, 0) {}
    // Counts what it is given, so one can see which page the data reached.
    void OnDataReceived(int byteCount, int) override { m_dwReceivedBytes += static_cast<DWORD>(byteCount); }
};

class CFirmenkopfDlg : public CEmptyPage {
public:
    CFirmenkopfDlg() : CEmptyPage(113) {}
};
class CDatumDlg : public CEmptyPage {
public:
    CDatumDlg() : CEmptyPage(114) {}
};
class CParameterDlg : public CEmptyPage {
public:
    CParameterDlg() : CEmptyPage(115) {}
};
class CBefehleDlg : public CEmptyPage {
public:
    CBefehleDlg() : CEmptyPage(117) {}
};
class CMessenDlgEinstellen : public CEmptyPage {
public:
    CMessenDlgEinstellen() : CEmptyPage(121) {}
};
class CMessenDlg : public CEmptyPage {
public:
    CMessenDlg() : CEmptyPage(109) {}
};
class CSteuernDlg : public CEmptyPage {
public:
    CSteuernDlg() : CEmptyPage(111) {}
};
class CDatenloggerDlg : public CEmptyPage {
public:
    CDatenloggerDlg() : CEmptyPage(112) {}
};

// The setup tab: a nested sheet of five pages; the main dialog's calls go
// on to whichever nested page is shown.
class CEinrichtenDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CEinrichtenDlg)
public:
    enum { IDD = 108, IDC_PLACEHOLDER = 1029 };
    static constexpr int kNestedCount = 5;

    CEinrichtenDlg();
    ~CEinrichtenDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;
    void OnFileOpen() override;
    void OnFileSave() override;

    BOOL OnInitDialog() override;

    // The nested pages in tab order (company header, date, parameter,
    // commands, measure configuration).
    CMyPropertyPage* GetNestedPage(int index);
    CMyPropertyPage* GetActiveNestedPage() const;
    CPropertySheet& GetNestedSheet() { return m_NestedSheet; }

protected:
    void OnChildActivate() override;

private:
    CPropertySheet m_NestedSheet;
    CFirmenkopfDlg m_FirmenkopfDlg;
    CDatumDlg m_DatumDlg;
    CParameterDlg m_ParameterDlg;
    CBefehleDlg m_BefehleDlg;
    CMessenDlgEinstellen m_MessenDlgEinstellen;
};
