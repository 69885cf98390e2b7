// The base of every page of the main dialog and of the setup page's nested
// sheet: the page protocol the main dialog drives, the two send paths to
// the device and the state the main dialog shares with every page.
#pragma once

#include "app/ChannelRecord.h"
#include "platform/CString.h"
#include "platform/PropertySheet.h"
#include "platform/Types.h"

class CPage;
class CPortMan;

// The main dialog's objects every page points at. Pages never free them.
struct CPageSharedState {
    ChannelRecord* pChannelTable = nullptr;   // kChannelCount records
    CString* pReceiveStrings = nullptr;       // kReceiveTextCount texts
    int* pLanguageOffset = nullptr;           // 0, 1000, 2000, 3000
    int* pConnectionMode = nullptr;           // 1: each channel its own port
    int* pCurrentChannel = nullptr;           // always 0
    int* pBusyFlag = nullptr;                 // wait cursor while 1
    int* pOperatingMode = nullptr;
    BYTE* pArrivalStatus = nullptr;           // set on every received chunk
};

// Menu messages a page sends to its top-level window: lParam 1 enables the
// File item, 0 greys it; wParam is the sender's control id (unused).
constexpr UINT WM_ENABLE_FILE_OPEN = WM_USER + 1005;
constexpr UINT WM_ENABLE_FILE_SAVE = WM_USER + 1006;
constexpr UINT WM_ENABLE_PRINT = WM_USER + 1007;
// Received data from the port reader: wParam byte count, lParam the bytes.
constexpr UINT WM_PORT_DATA = WM_USER + 1000;
constexpr UINT WM_PORT_STATUS = WM_USER + 1001;

class CMyPropertyPage : public CPropertyPage {
    VX_DECLARE_DYNAMIC(CMyPropertyPage)
public:
    // Pages pass 0 as caption id: their tab text is set at run time.
    explicit CMyPropertyPage(UINT templateId, UINT captionId = 0);
    ~CMyPropertyPage() override;

    // ---- The page protocol, in this order ----------------------------------
    // After each received chunk has been appended to the receive text of
    // port (always 0). Only the active page (and the setup page's shown
    // nested page) is called.
    virtual void OnDataReceived(int byteCount, int port);
    // Control texts in the current language.
    virtual void SetLanguageTexts();
    // The page became visible or must show its state again (controls, File
    // menu items).
    virtual void RefreshPage();
    // Hook before every command; no page needs it.
    virtual void SelectChannel(int channel);
    // The page's report on the print page.
    virtual void PrintPage(CPage* page);
    virtual void OnFileOpen();
    virtual void OnFileSave();
    // Page send: SelectChannel, the byte to the target port, 25 ms pause.
    virtual void SendCommandByte(int channel, BYTE byte);
    // Two bytes back to back (one write), then one 25 ms pause.
    virtual void SendCommandBytes2(int channel, BYTE byte1, BYTE byte2);
    // The caller adds the language offset to stringId.
    virtual void SetDlgItemTextFromId(UINT stringId, int controlId);
    virtual void SetDlgItemTextFromIdAppend(UINT stringId, int controlId, const char* suffix);
    // A page with a nested sheet (the setup page) gives its pages here, so
    // the main dialog can wire and translate them; null for others.
    virtual CMyPropertyPage* GetNestedPage(int index);

    // Five 'n' by page send: the device's home menu.
    void SendHomeKeys(int channel);

    BOOL OnInitDialog() override;
    bool IsInitialized() const { return m_bInitialized; }

    // ---- Shared state ---------------------------------------------------------
    void SetSharedState(const CPageSharedState& state);
    CPageSharedState GetSharedState() const;

    // The port a command for channel goes to: record [channel]'s in
    // connection mode 1, else record 0's. Null when there is none (the byte
    // is then dropped).
    CPortMan* TargetPort(int channel) const;
    // Whether the current channel's port is there and on line.
    bool IsPortOnline() const;
    // The receive text an answer lands in: text [current channel] in
    // connection mode 1, else text 0 (a channel beyond the four texts uses
    // text 0 as well). Null before the page is wired.
    CString* AnswerText() const;
    // Empties AnswerText before a request whose answer the page reads.
    void ClearAnswerText();
    int LanguageOffset() const { return m_pLanguageOffset ? *m_pLanguageOffset : 0; }
    int CurrentChannel() const { return m_pCurrentChannel ? *m_pCurrentChannel : 0; }
    bool IsBusy() const { return m_pBusyFlag && *m_pBusyFlag != 0; }
    // A text of the string table in the current language (id without offset).
    CString LoadLanguageText(UINT germanId) const;

    // Received bytes the page may count.
    DWORD m_dwReceivedBytes = 0;
    // Filled by the measure configuration page before its profile access.
    CString m_strSection;
    CString m_strEntry;

    ChannelRecord* m_pChannelTable = nullptr;
    CString* m_pReceiveStrings = nullptr;
    int* m_pLanguageOffset = nullptr;
    int* m_pConnectionMode = nullptr;
    int* m_pCurrentChannel = nullptr;
    int* m_pBusyFlag = nullptr;
    int* m_pOperatingMode = nullptr;
    BYTE* m_pArrivalStatus = nullptr;

protected:
    // Keeps the wait cursor while the shared busy flag is set.
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    // Sends WM_ENABLE_FILE_OPEN/SAVE or WM_ENABLE_PRINT to the top-level window.
    void EnableMenuItemOfMain(UINT message, bool enable);

    bool m_bInitialized = false;

private:
    void PutBytes(int channel, const BYTE* bytes, int count);
};
