#include "measure/MessenDlg.h"

#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "measure/SeriesCsv.h"
#include "print/Page.h"
#include "print/ReportSheet.h"
#include "platform/File.h"
#include "measure/ChannelConfig.h"
#include "platform/DDX.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/PropertySheet.h"
#include "platform/Text1252.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"
#include "platform/Cursor.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cerrno>
#include <chrono>

VX_IMPLEMENT_DYNAMIC(CMessenDlg, CMyPropertyPage)

namespace {
constexpr const char* kTickFailed = "fails MMTimer_Start";
constexpr UINT kTickCollectsMaxMs = 50;
} // namespace

CMessenDlg::CMessenDlg() : CMyPropertyPage(IDD, 0), m_Host(*this)
{
    for (Operation& op : m_pfnOperator)
        op = &CAlgebra::Add;
    VX_ON_COMMAND(IDC_START, OnStart);
    VX_ON_COMMAND(IDC_STOP, OnStop);
    VX_ON_COMMAND(IDC_CONTROL_ON, OnControlOn);
    VX_ON_COMMAND(IDC_CONTROL_OFF, OnControlOff);
    VX_ON_COMMAND(IDC_TARE, OnTare);
    VX_ON_COMMAND(IDC_MIN_RESET, OnMinReset);
    VX_ON_COMMAND(IDC_MAX_RESET, OnMaxReset);
}

CMessenDlg::~CMessenDlg()
{
    // The tick writes through the port and the conversation: it must be
    // joined before either goes.
    m_Tick.Stop();
}

CMeasureConversation& CMessenDlg::GetConversation()
{
    if (!m_pConversation)
        m_pConversation = std::make_unique<CMeasureConversation>(
            m_Host, m_pChannelTable ? m_pChannelTable[0] : m_SpareRecord);
    return *m_pConversation;
}

void CMessenDlg::DoDataExchange(CDataExchange* dx)
{
    CMyPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_VALUE, m_strValueText);
    DDX_Control(dx, IDC_CHART, m_Display);
}

BOOL CMessenDlg::OnInitDialog()
{
    CMyPropertyPage::OnInitDialog();
    SetLanguageTexts();
    RefreshPage();
    m_pDateTime = std::make_unique<CDateTimeText>(0, 1000, 2000, 3000, LanguageOffset(), false, true);
    m_Display.CreateDisplay(this, IDC_CHART, 1);

    // Only zoom in, zoom out, pan, grid and legend are offered; their texts
    // come with each activation.
    m_Display.SetMenuTextSelect(CString());
    m_Display.SetMenuTextCursor(CString());
    m_Display.SetMenuTextFitX(CString());
    m_Display.SetMenuTextFitY(CString());
    m_Display.SetMenuTextCurveOnOff(CString());
    m_Display.SetMenuTextMeasure(CString());
    m_Display.SetMenuTextReset(CString());
    m_Display.SetMenuTextProperties(CString());

    for (int i = 0; i < 10; ++i)
        m_Display.addPoint(0, 0.0, 0.0);
    m_Display.showCurve(0, true, true, true);

    GetConversation();

    LOGFONT lf;
    lf.lfHeight = 30;
    lf.lfWidth = 8;
    if (m_ValueFont.CreateFontIndirect(&lf))
        if (CWnd* value = GetDlgItem(IDC_VALUE))
            value->SetFont(&m_ValueFont, TRUE);
    return TRUE;
}

void CMessenDlg::SetLanguageTexts()
{
    const int offset = LanguageOffset();
    SetDlgItemText(IDC_MODE, "");
    SetDlgItemText(IDC_START, LoadLanguageText(5151).GetString());
    SetDlgItemTextFromId(5152 + offset, IDC_STOP);
    SetDlgItemTextFromId(5153 + offset, IDC_CONTROL_ON);
    SetDlgItemTextFromId(5154 + offset, IDC_CONTROL_OFF);
    SetDlgItemTextFromId(5155 + offset, IDC_TARE);
    SetDlgItemTextFromId(5156 + offset, IDC_MIN_RESET);
    SetDlgItemTextFromId(5157 + offset, IDC_MAX_RESET);
}

void CMessenDlg::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, true);
    // A refresh (a device came back) must not turn the pan item German.
    m_Display.SetMenuTextPan(PanMenuText());
    // The main dialog refreshes the shown page when its port goes off line.
    GetConversation().CheckPort();
}

CString CMessenDlg::PanMenuText() const
{
    const int offset = LanguageOffset();
    return offset == 1000 || offset == 2000 || offset == 3000 ? "scrolling" : "Verschieben";
}

void CMessenDlg::OnChildActivate()
{
    Default();
    SetLanguageTexts();
    RefreshPage();
    // Whatever ran on this page before is over: value requests and the
    // step timer stop, the device goes back to its menu.
    GetConversation().OnActivate();
    SetChartMenuTexts();
    SetChartDialogTexts();
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, true);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, true);
    m_Display.Redraw();
}

void CMessenDlg::SetChartMenuTexts()
{
    const int offset = LanguageOffset();
    if (offset == 1000 || offset == 2000 || offset == 3000) {
        m_Display.SetMenuTextZoomIn("zoom in");
        m_Display.SetMenuTextZoomOut("zoom out");
        m_Display.SetMenuTextPan(PanMenuText());
        m_Display.SetMenuTextGrid(offset == 3000 ? "grid on/off" : "Grid on/off");
        m_Display.SetMenuTextLegend("show Legend");
    } else {
        m_Display.SetMenuTextZoomIn("Zoom in");
        m_Display.SetMenuTextZoomOut("Zoom out");
        m_Display.SetMenuTextPan(PanMenuText());
        m_Display.SetMenuTextGrid("Raster ein/aus");
        m_Display.SetMenuTextLegend("Legende anzeigen");
    }
}

void CMessenDlg::SetChartDialogTexts()
{
    // The chart's property pages speak German in every language.
    auto texts = [](std::initializer_list<std::pair<int, const char*>> pairs) {
        CDlgTextArray out;
        for (const auto& [id, utf8] : pairs)
            out.push_back({id, vx::FromUtf8(utf8)});
        return out;
    };
    m_Display.SetChartDialogTexts(texts({{-1, "Einstellungen"}, {-2, "Diagramm"}, {2, "Abbrechen"},
                                         {5002, "Übernehmen"}, {1001, "Hintergrund"}, {1002, "Außen"},
                                         {1003, "Innen"}, {6050, "Legende"}, {6076, "Fangen"}, {1004, "Fangradius"},
                                         {1005, "X-Achse"}, {1006, "Y-Achse"}, {1007, "Kurve"},
                                         {6052, "Pufferung"}}));
    m_Display.SetAxisDialogTexts(texts({{-1, "Einstellungen"}, {-2, "Achse"}, {2, "Abbrechen"},
                                        {5002, "Übernehmen"}, {1015, "Bezeichner"}, {6002, "Bez. Schriftart"},
                                        {6001, "Schriftart"}, {6009, "Sichtbar"}, {6039, "Aut. anpassen"},
                                        {6058, "Markierung"}, {6014, "Raster"}, {6015, "Zeitachse"},
                                        {1016, "Dezimalstellen"}, {1022, "Pfeilgröße"}, {1017, "Schrittgröße"},
                                        {1023, "Mark.Größe"}, {1018, "Rasterstil"}, {1024, "Position"},
                                        {1019, "Farbe"}, {1025, "Rasterfarbe"}, {1020, "Minimum"},
                                        {1021, "Maximum"}, {1026, "Teilung"}}));
    m_Display.SetCurveDialogTexts(texts({{-1, "Einstellungen"}, {-2, "Meßkurve"}, {2, "Abbrechen"},
                                         {5002, "Übernehmen"}, {1008, "Bezeichn."}, {1009, "Stil"},
                                         {1010, "Linienbreite"}, {1011, "Meßpunktgröße"}, {1012, "Linienart"},
                                         {1013, "Linienfarbe"}, {6009, "Sichtbar"}, {1014, "Bezeichner"},
                                         {6038, "Markierung"}, {6059, "Symbol"}, {6011, "Füllen"},
                                         {6012, "Transparent"}}));
}

void CMessenDlg::OnPaint()
{
    // The chart repaints itself when its data or view change; invalidating
    // it from here would repaint the page under it again, without end.
    CMyPropertyPage::OnPaint();
}

void CMessenDlg::OnShowWindow(BOOL show, UINT status)
{
    CMyPropertyPage::OnShowWindow(show, status);
    if (!show) {
        // Leaving the tab: no value request may reach another page's
        // conversation, and no step of this one may run behind it.
        MMTimer_Stop();
        vx::KillTimer(this, CMeasureConversation::kTimerId);
        vx::KillTimer(this, CMeasureConversation::kCapTimerId);
    }
}

void CMessenDlg::OnDestroy()
{
    MMTimer_Stop();
    vx::KillTimer(this, CMeasureConversation::kTimerId);
    vx::KillTimer(this, CMeasureConversation::kCapTimerId);
    CMyPropertyPage::OnDestroy();
}

void CMessenDlg::OnSysCommand(UINT id, LPARAM lParam) { CMyPropertyPage::OnSysCommand(id, lParam); }

bool CMessenDlg::MMTimer_Start(UINT periodMs)
{
    MMTimer_Stop();
    CMeasureConversation* conversation = &GetConversation();
    // Asked this often, the device answers between two requests: the tick
    // takes each answer up before it asks again, so the port's reader
    // does not wake a second time for every value. An answer waits one
    // period at most, less than the window's own pacing makes it wait.
    CPortMan* port = periodMs <= kTickCollectsMaxMs ? TargetPort(CurrentChannel()) : nullptr;
    if (port)
        port->SetReadOnDemand(true);
    if (periodMs == 0 || !m_Tick.Start(std::chrono::milliseconds(periodMs), [conversation, port] {
            if (port)
                port->ReadWaiting();
            conversation->OnMMTimer();
        })) {
        if (port)
            port->SetReadOnDemand(false);
        AfxMessageBox(kTickFailed, MB_OK);
        return false;
    }
    m_pTickPort = port;
    return true;
}

void CMessenDlg::MMTimer_Stop()
{
    m_Tick.Stop();
    // The reader takes up the answers again, the last one included.
    if (m_pTickPort)
        m_pTickPort->SetReadOnDemand(false);
    m_pTickPort = nullptr;
}

void CMessenDlg::OnTimer(UINT_PTR id) { GetConversation().OnTimer(static_cast<UINT>(id)); }

void CMessenDlg::OnDataReceived(int byteCount, int) { GetConversation().OnDataReceived(byteCount); }

void CMessenDlg::OnStart() { GetConversation().OnStart(); }
void CMessenDlg::OnStop() { GetConversation().OnStop(); }
void CMessenDlg::OnTare() { GetConversation().OnDeviceButton(IDC_TARE); }
void CMessenDlg::OnMinReset() { GetConversation().OnDeviceButton(IDC_MIN_RESET); }
void CMessenDlg::OnMaxReset() { GetConversation().OnDeviceButton(IDC_MAX_RESET); }
void CMessenDlg::OnControlOn() { GetConversation().OnDeviceButton(IDC_CONTROL_ON); }
void CMessenDlg::OnControlOff() { GetConversation().OnDeviceButton(IDC_CONTROL_OFF); }

void CMessenDlg::LoadChannelConfig()
{
    if (!m_pChannelTable)
        return;
    for (int k = 0; k < kChannelConfigKeys; ++k) {
        const CString value = vx::GetProfileString(kChannelConfigSection, ChannelConfigKey(k).GetString(), "");
        ParseChannelConfig(value, m_pChannelTable[k]);
    }
    SetChannelOperator(m_pChannelTable[0].m_iOperator, 0);
}

void CMessenDlg::SetChannelOperator(int operatorIndex, int channel)
{
    if (channel < 0 || channel >= kOperatorChannels)
        return;
    m_pfnOperator[channel] = CAlgebra::OperatorFor(operatorIndex);
}

double CMessenDlg::ApplyChannelOperator(int channel, double value)
{
    if (channel < 0 || channel >= kOperatorChannels)
        return value;
    const double operand = m_pChannelTable ? m_pChannelTable[0].m_dOperand : 0.0;
    return (this->*m_pfnOperator[channel])(value, operand);
}

void CMessenDlg::ShowControl(int id, bool show)
{
    if (CWnd* w = GetDlgItem(id))
        w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

// ---------------------------------------------------------------------------
// The conversation's host

void CMessenDlg::Host::PutBytes(const CString& bytes)
{
    // Also called from the tick thread: no page hook, only the port, whose
    // writes are serialised by the port manager's lock.
    CPortMan* port = m_page.TargetPort(m_page.CurrentChannel());
    if (!port || bytes.IsEmpty())
        return;
    const auto* data = reinterpret_cast<const BYTE*>(bytes.GetString());
    if (bytes.GetLength() == 1)
        port->PutByte(data[0]);
    else
        port->WriteFrame(data, bytes.GetLength());
}

void CMessenDlg::Host::Sleep(UINT ms) { ::Sleep(ms); }
void CMessenDlg::Host::SetTimer(UINT id, UINT ms) { vx::SetTimer(&m_page, id, ms); }
void CMessenDlg::Host::KillTimer(UINT id) { vx::KillTimer(&m_page, id); }

CString& CMessenDlg::Host::ReceiveText()
{
    if (CString* text = m_page.AnswerText())
        return *text;
    return m_spare;
}

void CMessenDlg::Host::SendCommandByte(char code)
{
    m_page.SendCommandByte(m_page.CurrentChannel(), static_cast<BYTE>(code));
}

int CMessenDlg::Host::PortState()
{
    CPortMan* port = m_page.m_pChannelTable ? m_page.m_pChannelTable[0].m_pPortMan : nullptr;
    return port ? static_cast<int>(port->GetPortState()) : 1;
}

void CMessenDlg::Host::EnableTabs(bool enable)
{
    CPropertySheet* sheet = m_page.GetSheet();
    if (!sheet)
        sheet = dynamic_cast<CPropertySheet*>(m_page.GetParent());
    if (sheet)
        if (CTabCtrl* tabs = sheet->GetTabControl())
            tabs->EnableWindow(enable);
}

void CMessenDlg::Host::ShowBox(UINT stringId, const CString& text)
{
    CString message = stringId ? m_page.LoadLanguageText(stringId) + text : text;
    AfxMessageBox(message.GetString(), MB_OK);
}

void CMessenDlg::Host::EnableMenuItem(MenuItem item, bool enable)
{
    switch (item) {
    case MenuItem::FileOpen: m_page.EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, enable); break;
    case MenuItem::FileSave: m_page.EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, enable); break;
    case MenuItem::Print: m_page.EnableMenuItemOfMain(WM_ENABLE_PRINT, enable); break;
    }
}

void CMessenDlg::Host::ShowStartButton(bool show) { m_page.ShowControl(IDC_START, show); }

void CMessenDlg::Host::ShowDeviceButtons(bool show)
{
    for (int id = IDC_CONTROL_ON; id <= IDC_MAX_RESET; ++id)
        m_page.ShowControl(id, show);
}

bool CMessenDlg::Host::AnyChannelActive()
{
    return m_page.m_pChannelTable && ::AnyChannelActive(m_page.m_pChannelTable);
}

void CMessenDlg::Host::StartValueRequests(UINT periodMs) { m_page.MMTimer_Start(periodMs); }

void CMessenDlg::Host::StopValueRequests() { m_page.MMTimer_Stop(); }

void CMessenDlg::Host::TakeReceived()
{
    if (CPortMan* port = m_page.TargetPort(m_page.CurrentChannel()))
        port->DeliverPending();
}

void CMessenDlg::Host::ShowModeLabel(const CString& label) { m_page.SetDlgItemText(IDC_MODE, label.GetString()); }

void CMessenDlg::Host::ShowValueText(const CString& text)
{
    m_page.m_strValueText = text;
    if (m_page.IsWindow())
        m_page.UpdateData(FALSE);
}

void CMessenDlg::Host::MarkMeasureStart()
{
    if (m_page.m_pDateTime)
        m_page.m_pDateTime->SetFromNow(false, true);
}

void CMessenDlg::Host::AddPoint(int curve, double x, double y) { m_page.m_Display.addPoint(curve, x, y); }

// ---- CSV, bitmap and report ----

namespace {

CVX35_3Dlg* MainDialog(CWnd* page) { return page ? dynamic_cast<CVX35_3Dlg*>(page->GetTopLevelParent()) : nullptr; }

void ReportWriteFailure(const CString& message) { AfxMessageBox(message, MB_OK | MB_ICONERROR); }

// The chart's bitmap; false with "path: reason" in message.
bool SaveChartBitmap(CGraphicDisplayWnd& display, const CString& path, CString& message)
{
    errno = 0;
    if (display.SaveBitmap(path))
        return true;
    const int err = errno;
    message = CFileException(CFileException::CauseFromErrno(err), err, path).GetErrorMessage();
    return false;
}

// The live store's curve 0, read by index on the page's thread while the
// export runs; points that arrive meanwhile are not part of this file.
class DisplayPoints final : public SeriesPoints {
public:
    explicit DisplayPoints(const CGraphicDisplayWnd& display)
        : m_display(display), m_count(static_cast<size_t>(std::max(0, display.GetPointCount(0))))
    {
    }
    size_t Count() const override { return m_count; }
    void Read(size_t first, size_t n, double* xs, double* ys) const override
    {
        // Points gone since the count was taken (a new run) read as 0.
        const size_t got = m_display.GetPoints(0, first, n, xs, ys);
        std::fill(xs + got, xs + n, 0.0);
        std::fill(ys + got, ys + n, 0.0);
    }

private:
    const CGraphicDisplayWnd& m_display;
    size_t m_count;
};

// About 15 ms of writing: a long record is written in slices with the
// window's paints, timers and device data served in between (user input
// waits, as under a wait cursor).
constexpr size_t kExportSlicePoints = 200000;
bool g_exporting = false;

CString LowerExtension(const CString& ext)
{
    CString lower = ext;
    for (int i = 0; i < lower.GetLength(); ++i)
        if (lower[i] >= 'A' && lower[i] <= 'Z')
            lower.SetAt(i, static_cast<char>(lower[i] - 'A' + 'a'));
    return lower;
}

} // namespace

void CMessenDlg::OnFileSave()
{
    if (g_exporting)
        return;
    CFileDialog dialog(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT,
                       "(*.csv)|*.csv|(*.bmp)|*.bmp|All Files (*.*)|*.*|", this);
    if (dialog.DoModal() != IDOK)
        return;
    const CString path = dialog.GetPathName();
    const CString ext = LowerExtension(dialog.GetFileExt());
    if (ext == "bmp") {
        CString message;
        if (!SaveChartBitmap(m_Display, path, message))
            ReportWriteFailure(message);
    } else if (ext == "csv") {
        WriteCsv(path);
    } else {
        ReportWriteFailure(path + ": not saved; the name must end in .csv (measured values) or .bmp (chart).");
    }
}

bool CMessenDlg::WriteCsv(const CString& path)
{
    if (path.IsEmpty() || g_exporting)
        return false;
    CVX35_3Dlg* main = MainDialog(this);
    CDocumentationDlgTiny fallback;
    const CDocumentationDlgTiny& doc = main ? main->GetDocumentation() : fallback;

    SeriesCsvFormat format;
    int lineEndIndex = 0;
    doc.GetLineEnd(format.lineEnd, lineEndIndex);
    doc.GetColumnSeparator(format.columnSeparator);
    format.decimalSeparator = doc.GetDecimalSeparatorChar();
    format.physicalUnit = doc.GetPhysicalUnit();

    if (!m_pDateTime)
        m_pDateTime = std::make_unique<CDateTimeText>(0, 1000, 2000, 3000, LanguageOffset(), false, true);
    if (!m_pDateTime->SelectDateFormat(LanguageOffset())) {
        m_pDateTime->SetFromNow(false, true);
        m_pDateTime->SelectDateFormat(LanguageOffset());
    }

    const ChannelRecord& channel = m_pChannelTable ? m_pChannelTable[0] : m_SpareRecord;
    const SensorLabels labels{LoadLanguageText(5177), LoadLanguageText(5178), LoadLanguageText(5165),
                              LoadLanguageText(5163)};
    SeriesCsvHeader header;
    header.companyHeader = GetConversation().GetHeader();
    header.headline = doc.GetHeadline();
    header.comment = doc.GetComment();
    header.date = m_pDateTime->GetDateText();
    header.time = m_pDateTime->GetTimeText();
    header.sensorBlock = FormatSensorBlock(channel, labels, format.lineEnd);
    CString unit = m_strYAxisTitle;
    unit.Trim();

    const DisplayPoints points(m_Display);
    SeriesCsvExport job(path, header, format, channel, unit, points);
    std::unique_ptr<CWaitCursor> wait;
    if (points.Count() > kExportSlicePoints)
        wait = std::make_unique<CWaitCursor>();
    g_exporting = true;
    while (job.Step(kExportSlicePoints))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const bool ok = job.Finish();
    g_exporting = false;
    wait.reset();
    if (!ok)
        ReportWriteFailure(job.ErrorMessage());
    return ok;
}

namespace {
// Print positions are given for a printer of 600 dots per inch.
constexpr int kDesignScale = ReportSheet::kDesignScale;
int PrinterScale(const CVX35_3Dlg* main)
{
    return main && main->GetPrinterScale() > 0 ? main->GetPrinterScale() : kDesignScale;
}
} // namespace

void CMessenDlg::PrintPage(CPage* page)
{
    if (!page)
        return;
    PrintHeader(page);
    PrintFrame(page);

    CVX35_3Dlg* main = MainDialog(this);
    if (!main)
        return;
    const int s = PrinterScale(main);
    const CString& path = main->m_strChartBitmapPath;
    CString message;
    if (!SaveChartBitmap(m_Display, path, message)) {
        ReportWriteFailure(message);
        return;
    }
    CRect rect;
    if (CWnd* chart = GetDlgItem(IDC_CHART))
        chart->GetClientRect(&rect);
    page->PrintBitmap(1100 * s / kDesignScale, 750 * s / kDesignScale, rect.Width() * 8 * s / kDesignScale,
                      rect.Height() * 11 * s / kDesignScale, path.GetString());
}

void CMessenDlg::PrintHeader(CPage* page)
{
    if (!page)
        return;
    CVX35_3Dlg* main = MainDialog(this);
    if (main)
        ReportSheet::PrintLogo(*page, PrinterScale(main), main->m_strLogoBitmapPath.GetString());
    page->SetTextFields(ReportSheet::TitleFieldsBesideTitle());
    page->PrintText(0.75, 0.0, 0x80, 24, m_strPrintTitle.GetString());
    page->PrintText(1.15, 0.0, 0x80, 10, m_strPrintProject.GetString());
    const CString headline = main ? main->GetDocumentation().GetHeadline() : CString();
    const CString comment = main ? main->GetDocumentation().GetComment() : CString();
    page->PrintText(0.75, 5.0, 0x80, 10, headline.GetString());
    page->PrintText(1.0, 5.0, 0x80, 10, comment.GetString());
}

void CMessenDlg::PrintFrame(CPage* page)
{
    if (page)
        ReportSheet::DrawFrame(*page);
}
