// The control page: works the device's own menu from the PC. Eleven buttons
// play key sequences, a picture of the keypad sends the key clicked, and an
// imitation of the device's display mirrors what the device last sent.
#pragma once

#include "app/MyPropertyPage.h"
#include "controls/WndImage.h"
#include "pages/ControlPageLogic.h"
#include "pages/PageDeviceLink.h"
#include "platform/Controls.h"
#include "platform/Gdi.h"

#include <memory>

class CSteuernDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CSteuernDlg)
public:
    enum { IDD = 111 };
    enum {
        IDC_HOUSING = 1045,
        IDC_DISPLAY = 1048,
        IDC_KEYPAD = 1047,
        IDC_MODEL = 1355,
        IDC_UNUSED_PICTURE = 1049,
        IDC_FIRST_BUTTON = 1028,
        IDC_LAST_BUTTON = 1044,
    };
    static constexpr UINT kKeypadBitmap = 131;
    // Other windows may ask the page to identify the device again.
    static constexpr UINT WM_ACTIVATE_CONTROL = WM_USER + 1008;
    static constexpr const char* kLogoFile = "VX35_QUORIN.bmp";

    CSteuernDlg();
    ~CSteuernDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;
    BOOL OnInitDialog() override;

    // The display field is wide enough for the larger keypad zones.
    bool IsLargeLayout() const;
    const CString& GetDisplayText() const { return m_strDisplay; }
    CWndImage& GetKeypad() { return m_Keypad; }
    const CControlConversation& GetConversation() const { return m_Conversation; }

    CString m_strDisplay;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
    void OnTimer(UINT_PTR id) override;
    void OnPaint() override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;

private:
    class Host : public TPageDeviceLink<CControlHost> {
    public:
        explicit Host(CSteuernDlg& page) : TPageDeviceLink<CControlHost>(page), m_dlg(page) {}
        void SetDeviceVariant(int variant) override;
        void ShowDisplayText(const CString& text) override;
        void ShowModelText() override;

    private:
        CSteuernDlg& m_dlg;
    };

    void Activate();
    LRESULT OnActivateMessage(WPARAM, LPARAM);
    LRESULT OnKeypadClick(WPARAM, LPARAM lParam);
    void OnButton(UINT id);
    void ShowModelText();
    // Edits do not ask their parent for colours here: give them the page's.
    void ApplyEditColours();

    CEdit m_Display;
    CBrush m_HousingBrush;
    CBrush m_DisplayBrush;
    CBrush m_WhiteBrush;
    CWndImage m_Keypad;
    CButton m_Buttons[11];
    CFont m_DisplayFont;

    Host m_Host;
    CControlConversation m_Conversation;
};
