// The measure tab: Start identifies the device and reads its values into
// the live chart, Stop ends the run; the device keys (Tara, MIN/MAX Reset,
// Kontrolle ein/aus) go out as single bytes. The conversation itself is the
// plain step machine CMeasureConversation; this page is its window, its
// port, its clock and its chart.
#pragma once

#include "app/DateTimeText.h"
#include "app/MyPropertyPage.h"
#include "controls/CAlgebra.h"
#include "measure/GraphicDisplayWnd.h"
#include "measure/MeasureConversation.h"
#include "platform/Gdi.h"
#include "platform/TickThread.h"

#include <memory>

class CDataExchange;

class CMessenDlg : public CMyPropertyPage, public CAlgebra {
    VX_DECLARE_DYNAMIC(CMessenDlg)
public:
    enum { IDD = 109 };
    enum {
        IDC_START = 1051,
        IDC_STOP = 1052,
        IDC_CONTROL_ON = 1053,
        IDC_CONTROL_OFF = 1054,
        IDC_TARE = 1055,
        IDC_MIN_RESET = 1056,
        IDC_MAX_RESET = 1057,
        IDC_MODE = 1058,
        IDC_VALUE = 1059,
        IDC_CHART = 1064,
    };
    static constexpr int kOperatorChannels = 10;

    CMessenDlg();
    ~CMessenDlg() override;

    // ---- page protocol ----
    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    BOOL OnInitDialog() override;
    // File > Save: the series of curve 0 as CSV, or the chart as a bitmap,
    // chosen by the extension of the name given.
    void OnFileSave() override;
    // The report: titles, logo, frame and the chart.
    void PrintPage(CPage* page) override;

    // The series of curve 0 with its header. False when nothing was
    // written: an empty path, or a file error (reported in a box).
    bool WriteCsv(const CString& path);
    void PrintHeader(CPage* page);
    void PrintFrame(CPage* page);

    // ---- buttons ----
    void OnStart();
    void OnStop();
    void OnTare();
    void OnMinReset();
    void OnMaxReset();
    void OnControlOn();
    void OnControlOff();

    // Reads "KANAL 0".."KANAL 3" into the channel records and takes record
    // 0's operator for channel 0.
    void LoadChannelConfig();
    // 0 add, 1 subtract, 2 multiply, 3 divide; anything else adds.
    void SetChannelOperator(int operatorIndex, int channel);
    // The channel's operator applied with record 0's constant.
    double ApplyChannelOperator(int channel, double value);

    // The periodic value request of the PC-paced mode. Starting stops a
    // running tick first; false (after the box) when no tick could start.
    // Stopping joins the tick thread and may be called any number of times,
    // but never from the tick itself.
    bool MMTimer_Start(UINT periodMs);
    void MMTimer_Stop();

    CGraphicDisplayWnd& GetDisplay() { return m_Display; }
    CMeasureConversation& GetConversation();
    bool IsValueRequestRunning() const { return m_Tick.IsRunning(); }
    // Value requests sent by the tick, and ticks skipped because the
    // previous one ran late (since the last start).
    std::uint64_t GetValueRequestCount() const { return m_Tick.TickCount(); }
    std::uint64_t GetSkippedRequestCount() const { return m_Tick.SkippedCount(); }
    const CDateTimeText* GetDateTimeText() const { return m_pDateTime.get(); }

    CString m_strValueText;
    CString m_strPrintTitle = "Diagramm";
    CString m_strPrintProject = "Projektbezeichnung";

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
    void OnTimer(UINT_PTR id) override;
    void OnPaint() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnDestroy() override;
    void OnSysCommand(UINT id, LPARAM lParam) override;

private:
    class Host : public CMeasureHost {
    public:
        explicit Host(CMessenDlg& page) : m_page(page) {}
        void PutBytes(const CString& bytes) override;
        void Sleep(UINT ms) override;
        void SetTimer(UINT id, UINT ms) override;
        void KillTimer(UINT id) override;
        CString& ReceiveText() override;
        void SendCommandByte(char code) override;
        int PortState() override;
        void EnableTabs(bool enable) override;
        void ShowBox(UINT stringId, const CString& text) override;
        void EnableMenuItem(MenuItem item, bool enable) override;
        void ShowStartButton(bool show) override;
        void ShowDeviceButtons(bool show) override;
        void LoadChannelConfig() override { m_page.LoadChannelConfig(); }
        bool AnyChannelActive() override;
        void StartValueRequests(UINT periodMs) override;
        void StopValueRequests() override;
        void TakeReceived() override;
        void ShowModeLabel(const CString& label) override;
        void ShowValueText(const CString& text) override;
        void MarkMeasureStart() override;
        void AddPoint(int curve, double x, double y) override;
        void ClearCurve(int curve) override { m_page.m_Display.ClearCurve(curve); }
        void ShowCurve(int curve, bool show) override { m_page.m_Display.showCurve(curve, show, true, true); }
        void SetXAxisTitle(const CString& title) override { m_page.m_Display.SetXAxisTitle(title); }
        void SetYAxisTitle(const CString& title) override
        {
            m_page.m_strYAxisTitle = title;
            m_page.m_Display.SetYAxisTitle(0, title);
        }
        void SetYAxisLabel(const CString& format) override { m_page.m_Display.SetYAxisLabel(0, format); }
        void SetCurveLabel(const CString& label) override { m_page.m_Display.SetCurveLabel(0, label); }
        void SetCurveColor(COLORREF color) override { m_page.m_Display.SetCurveColor(0, color); }
        void SetYAxisFlag(bool flag) override { m_page.m_Display.SetYAxisFlag(0, flag); }
        void SetXRange(double from, double to) override { m_page.m_Display.SetXRange(from, to); }
        void SetFollowWidth(double width) override { m_page.m_Display.SetFollowWidth(width); }
        void SetScrollMode(int mode) override { m_page.m_Display.SetScrollMode(mode); }

    private:
        CMessenDlg& m_page;
        CString m_spare;
    };

    void SetChartMenuTexts();
    // The pan item's text in the page's language.
    CString PanMenuText() const;
    void SetChartDialogTexts();
    void ShowControl(int id, bool show);

    CGraphicDisplayWnd m_Display;
    // The unit column of the CSV file: curve 0's Y axis title.
    CString m_strYAxisTitle;
    CFont m_ValueFont;
    std::unique_ptr<CDateTimeText> m_pDateTime;
    Operation m_pfnOperator[kOperatorChannels];
    Host m_Host;
    ChannelRecord m_SpareRecord;
    std::unique_ptr<CMeasureConversation> m_pConversation;
    // Declared last: destroyed (stopped and joined) first, while the port
    // and the conversation it writes through still exist.
    vx::TickThread m_Tick;
    CPortMan* m_pTickPort = nullptr;   // reads on demand while the tick runs
};
