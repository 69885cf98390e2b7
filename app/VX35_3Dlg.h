// The main dialog: the whole program lives in it. It owns everything the
// pages share (channel table, receive texts, port manager, language, busy
// flag), routes received bytes to the shown page and the terminal view, and
// runs the menu, printing, the language switch and the shutdown order.
#pragma once

#include "app/ChannelRecord.h"
#include "app/DocumentationDlgTiny.h"
#include "app/MyPropertyPage.h"
#include "app/PlaceholderPages.h"
#include "controls/IconMenu.h"
#include "controls/RichEditCtrlExtended.h"
#include "platform/Dialog.h"
#include "platform/PropertySheet.h"

#include <functional>
#include <memory>

class CPortManGui;

// Menu command ids of the main dialog.
enum : UINT {
    ID_DATEI_OEFFNEN = 32771,
    ID_DATEI_SPEICHERN = 32772,
    ID_DATEI_DRUCKEN = 32773,
    ID_DATEI_BEENDEN = 32774,
    ID_SPRACHE_DEUTSCH = 32780,
    ID_SPRACHE_ENGLISH = 32781,
    ID_SPRACHE_FRANCAIS = 32782,
    ID_SPRACHE_ESPANOL = 32783,
    ID_OPTIONEN_DOKUMENTATION = 32790,
    ID_OPTIONEN_SCHNITTSTELLE = 32791,
    ID_OPTIONEN_TERMINAL = 32792,
};

class CVX35_3Dlg : public CDialog {
    VX_DECLARE_DYNAMIC(CVX35_3Dlg)
public:
    enum { IDD = 102, IDC_SHEET_PLACEHOLDER = 1000, IDC_TERMINAL = 1001, IDC_INHEX = 1002 };
    static constexpr UINT_PTR kTerminalTimer = 4711;
    // Bytes after a quiet spell show this soon; while a device streams, the
    // terminal follows no more often than every kTerminalStreamMs, which is
    // as fast as anyone can read it.
    static constexpr UINT kTerminalRefreshMs = 50;
    static constexpr UINT kTerminalStreamMs = 200;
    // The terminal never shrinks below this when the window is made small.
    static constexpr int kTerminalMinWidth = 100;
    static constexpr int kTerminalMinHeight = 40;
    // Each receive text keeps at most this much; older bytes go first.
    static constexpr int kReceiveTextCap = 1 << 20;
    static constexpr const char* kSectionOptions = "Optionen";
    static constexpr const char* kSectionWindow = "AllViewState\\Configs\\WindowPos";
    static constexpr const char* kSectionPort = "SerPort1";
    static constexpr const char* kLogoFileName = "VX35_QUORIN.bmp";
    static constexpr const char* kChartFileName = "VX35_Chart.bmp";
    static constexpr UINT kLogoBitmapId = 140;

    explicit CVX35_3Dlg(CWnd* parent = nullptr);
    ~CVX35_3Dlg() override;

    BOOL OnInitDialog() override;

    // ---- Services the pages use ---------------------------------------------
    LRESULT OnPortData(WPARAM count, LPARAM bytes);
    LRESULT OnEnableFileOpen(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnableFileSave(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnablePrint(WPARAM wParam, LPARAM lParam);
    void OnFileOpen();
    void OnFileSave();
    // Print dialog, one page, the active page's report. False when nothing
    // was printed (cancelled or failed; a failure is reported).
    bool PrintActivePage();
    void BeginBusy();
    void EndBusy();
    // Five ESC keys straight to the port, 25 ms apart: the device's home menu.
    void ReturnDeviceToHome();

    // ---- Language, terminal, window ------------------------------------------
    void SetLanguage(int offset);
    int GetLanguageOffset() const { return m_iLanguageOffset; }
    // The first-start language for a locale name ("de_DE" → 0, "fr" → 2000,
    // "es" → 3000, anything else → 1000).
    static int LanguageForLocale(const CString& localeName);
    void ShowTerminal(bool show);
    bool IsTerminalShown() const { return m_bTerminalShown; }
    void SetHexMode(bool hex);
    // Draws the terminal now from the last snapshot (the timer does it
    // otherwise).
    void FlushTerminal();
    void SaveWindowState();
    void RestoreWindowState();

    // ---- Access for the pages and tests ----------------------------------------
    CPropertySheet& GetSheet() { return m_PropertySheet; }
    CMyPropertyPage* GetActivePage() const;
    CMyPropertyPage* GetPage(int index);   // the nine pages: 0..3 tabs, 4..8 nested
    static constexpr int kPageCount = 9;
    CPortManGui* GetPortMan() const { return m_pPortMan; }
    CIconMenu& GetIconMenu() { return m_Menu; }
    CRichEditCtrlExtended& GetTerminal() { return m_Terminal; }
    CDocumentationDlgTiny& GetDocumentation() { return m_Documentation; }
    CString& ReceiveText(int port) { return m_ReceiveStrings[port]; }
    ChannelRecord* GetChannelTable() { return m_ChannelTable; }
    bool IsClosing() const { return m_bClosing; }
    int GetPrinterScale() const { return m_iPrinterScale; }
    int GetBusyFlag() const { return m_iBusy; }
    const CString& GetTerminalSnapshot() const { return m_strTerminalSnapshot; }

    // Tests hand the dialog a port manager of their own (a fake port); null
    // builds the real one.
    using PortManFactory = std::function<std::unique_ptr<CPortManGui>(CWnd* owner)>;
    void SetPortManFactory(PortManFactory factory) { m_portManFactory = std::move(factory); }

    // Stops the reader and closes the port (saving its settings), then
    // forgets the manager. Safe to call twice.
    void ShutdownPort();

    CString m_strLogoBitmapPath;
    CString m_strChartBitmapPath;

protected:
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;

private:
    LRESULT OnDeviceChange(WPARAM wParam, LPARAM lParam);
    void OnBeenden();
    void OnDokumentation();
    void OnSchnittstelle();
    void OnTerminalToggle();
    void OnHexClicked();
    void OnLanguageCommand(UINT id);
    void OnFilePrint();

    void OpenPort();
    void ReportProfileSetAside();
    void WirePages();
    void EmbedSheet();
    void ApplyLanguage();
    void BuildMenu();
    void ReadChannelConfiguration();
    void BuildBitmapPaths();
    void LayoutControls();
    void RestoreWindowPlacement(int left, int top);
    void RefreshVisiblePage();
    void GreyFileItems();
    void SaveStateForExit();
    void ScheduleTerminal();

    // Members in the order the program builds them.
    CPropertySheet m_PropertySheet;
    // Setup, measure, control, data logger (MakeMainPages).
    CMainPageSet m_Pages;
    CRichEditCtrlExtended m_Terminal;
    CIconMenu m_Menu;
    CDocumentationDlgTiny m_Documentation;
    ChannelRecord m_ChannelTable[kChannelCount];
    CString m_ReceiveStrings[kReceiveTextCount];
    CPortManGui* m_pPortMan = nullptr;
    int m_iLanguageOffset = 0;
    int m_iConnectionMode = 0;
    int m_iOperatingMode = 0;
    int m_iCurrentChannel = 0;
    int m_iBusy = 0;
    bool m_bClosing = false;
    BYTE m_byArrival = 0;
    int m_iPrinterScale = 600;

    bool m_bTerminalShown = true;
    bool m_bHex = false;
    bool m_bTerminalDirty = false;
    long long m_llTerminalTimedMs = -(1LL << 40);   // clock of the last timed refresh
    long long m_llLastDataMs = -(1LL << 40);        // clock of the last chunk
    long long m_llTerminalDueMs = 0;                // when the pending refresh is due
    bool m_bStateSaved = false;
    CString m_strTerminalSnapshot;
    bool m_bPortOpenFailed = false;
    PortManFactory m_portManFactory;
    int m_iFullHeight = 0;      // client height with the terminal shown
    int m_iCompactHeight = 0;   // and without it
    int m_iTerminalRightMargin = 0;  // client width beyond the terminal's right edge
};
