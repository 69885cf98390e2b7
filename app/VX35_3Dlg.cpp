#include "app/VX35_3Dlg.h"

#include "app/ApplicationProfile.h"
#include "app/DeviceCommands.h"
#include "app/SchnittstellenAuswahlDlg.h"
#include "app/StringTable.h"
#include "app/VX35_3App.h"
#include "platform/App.h"
#include "platform/Bmp.h"
#include "platform/Cursor.h"
#include "platform/Dc.h"
#include "platform/Modal.h"
#include "platform/Numbers.h"
#include "platform/Print.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "platform/Timer.h"
#include "port/CPortManGui.h"
#include "print/Page.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

VX_IMPLEMENT_DYNAMIC(CVX35_3Dlg, CDialog)

namespace {
constexpr UINT kTabTextIds[4] = {5103, 5150, 5158, 5104};
constexpr int kLanguages[4] = {vx::kLanguageGerman, vx::kLanguageEnglish, vx::kLanguageFrench,
                               vx::kLanguageSpanish};
} // namespace

CVX35_3Dlg::CVX35_3Dlg(CWnd* parent) : CDialog(IDD, parent), m_Pages(MakeMainPages())
{
    VX_ON_MESSAGE(WM_PORT_DATA, OnPortData);
    VX_ON_MESSAGE(WM_ENABLE_FILE_OPEN, OnEnableFileOpen);
    VX_ON_MESSAGE(WM_ENABLE_FILE_SAVE, OnEnableFileSave);
    VX_ON_MESSAGE(WM_ENABLE_PRINT, OnEnablePrint);
    VX_ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange);
    VX_ON_COMMAND(ID_DATEI_OEFFNEN, OnFileOpen);
    VX_ON_COMMAND(ID_DATEI_SPEICHERN, OnFileSave);
    VX_ON_COMMAND(ID_DATEI_DRUCKEN, OnFilePrint);
    VX_ON_COMMAND(ID_DATEI_BEENDEN, OnBeenden);
    VX_ON_COMMAND(ID_OPTIONEN_DOKUMENTATION, OnDokumentation);
    VX_ON_COMMAND(ID_OPTIONEN_SCHNITTSTELLE, OnSchnittstelle);
    VX_ON_COMMAND(ID_OPTIONEN_TERMINAL, OnTerminalToggle);
    VX_ON_COMMAND(IDC_INHEX, OnHexClicked);
    MapControlRange(0, ID_SPRACHE_DEUTSCH, ID_SPRACHE_ESPANOL, this, &CVX35_3Dlg::OnLanguageCommand);
    m_Documentation.SetLanguageOffsetPointer(&m_iLanguageOffset);
}

CVX35_3Dlg::~CVX35_3Dlg()
{
    m_bClosing = true;
    if (IsWindow())
        DestroyWindow();
    ShutdownPort();
    while (m_PropertySheet.GetPageCount() > 0)
        m_PropertySheet.RemovePage(m_PropertySheet.GetPage(0));
}

// ---- Start-up ---------------------------------------------------------------------

BOOL CVX35_3Dlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText("VX35 VS Version 1.05");

    m_iOperatingMode = ApplicationProfile::GetInt(kSectionOptions, "Betriebsart", 0);
    m_iConnectionMode = ApplicationProfile::GetInt(kSectionOptions, "Schnittstellenanbindung", 0);

    OpenPort();
    WirePages();

    SubclassDlgItem(IDC_TERMINAL, &m_Terminal);
    EmbedSheet();

    // First start: the desktop's language; afterwards the user's choice.
    const int stored = ApplicationProfile::GetInt(kSectionOptions, "Sprache", -1);
    if (stored == vx::kLanguageGerman || stored == vx::kLanguageEnglish || stored == vx::kLanguageFrench
        || stored == vx::kLanguageSpanish) {
        m_iLanguageOffset = stored;
    } else {
        m_iLanguageOffset = LanguageForLocale(vx::FromQString(QLocale::system().name()));
        ApplicationProfile::WriteInt(kSectionOptions, "Sprache", m_iLanguageOffset);
    }
    BuildMenu();
    ApplyLanguage();
    ReportProfileSetAside();

    ReadChannelConfiguration();
    m_Documentation.LoadFromProfile();

    LayoutControls();
    ShowTerminal(ApplicationProfile::GetInt(kSectionWindow, "BcdHexState", 1) != 0);
    RestoreWindowState();
    BuildBitmapPaths();

    RefreshVisiblePage();

    // Told in the language chosen above; the text names the port.
    if (m_bPortOpenFailed)
        AfxMessageBox(m_pPortMan->GetLastErrorText(), MB_OK | MB_ICONWARNING);
    return TRUE;
}

void CVX35_3Dlg::ReportProfileSetAside()
{
    // Told once, in the language just chosen (the desktop's, as on a first
    // start, when the old file held the choice).
    vx::ProfileSetAside aside;
    if (!vx::TakeProfileSetAside(aside))
        return;
    const CString text = aside.notRegular        ? vx::LoadText(5232, m_iLanguageOffset) + "\n\n" + aside.file
                         : aside.movedTo.IsEmpty() ? vx::LoadText(5204, m_iLanguageOffset) + "\n\n" + aside.error
                                                   : vx::LoadText(5203, m_iLanguageOffset) + "\n\n" + aside.movedTo;
    AfxMessageBox(text, MB_OK | MB_ICONWARNING);
}

void CVX35_3Dlg::OpenPort()
{
    std::unique_ptr<CPortManGui> man;
    if (m_portManFactory)
        man = m_portManFactory(this);
    else
        man = std::make_unique<CPortManGui>(this, WM_PORT_DATA, WM_PORT_STATUS);
    m_pPortMan = man.release();
    m_ChannelTable[0].m_pPortMan = m_pPortMan;
    const int rc = m_pPortMan->OpenFromProfile(kSectionPort);
    m_bPortOpenFailed = rc != 0 && !m_pPortMan->m_Dcb.IsOffLineName();
}

void CVX35_3Dlg::WirePages()
{
    CPageSharedState s;
    s.pChannelTable = m_ChannelTable;
    s.pReceiveStrings = m_ReceiveStrings;
    s.pLanguageOffset = &m_iLanguageOffset;
    s.pConnectionMode = &m_iConnectionMode;
    s.pCurrentChannel = &m_iCurrentChannel;
    s.pBusyFlag = &m_iBusy;
    s.pOperatingMode = &m_iOperatingMode;
    s.pArrivalStatus = &m_byArrival;
    for (int i = 0; i < kPageCount; ++i)
        if (CMyPropertyPage* page = GetPage(i))
            page->SetSharedState(s);
}

CMyPropertyPage* CVX35_3Dlg::GetPage(int index)
{
    if (index >= 0 && index < 4)
        return m_Pages.tabs[static_cast<size_t>(index)].get();
    if (index >= 4 && index < kPageCount)
        return m_Pages.tabs[0]->GetNestedPage(index - 4);
    return nullptr;
}

void CVX35_3Dlg::EmbedSheet()
{
    for (auto& page : m_Pages.tabs)
        m_PropertySheet.AddPage(page.get());
    m_PropertySheet.Create(this, WS_CHILD | WS_VISIBLE);
    if (CWnd* placeholder = GetDlgItem(IDC_SHEET_PLACEHOLDER)) {
        CRect r;
        placeholder->GetWindowRect(&r);
        ScreenToClient(&r);
        m_PropertySheet.SetWindowPos(nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int CVX35_3Dlg::LanguageForLocale(const CString& localeName)
{
    const CString lang = CString(localeName).Left(2).MakeLower();
    if (lang == "de")
        return vx::kLanguageGerman;
    if (lang == "fr")
        return vx::kLanguageFrench;
    if (lang == "es")
        return vx::kLanguageSpanish;
    return vx::kLanguageEnglish;
}

void CVX35_3Dlg::ReadChannelConfiguration()
{
    CString value = ApplicationProfile::GetString("Messenkonfiguration", "KANAL 0", nullptr);
    if (value.IsEmpty()) {
        value.Format("%d; %d; %d; %f", 0, 0, 1, 0.0);
        ApplicationProfile::WriteString("Messenkonfiguration", "KANAL 0", value);
    }
    int id = 0, op = 0, display = 1;
    double constant = 0.0;
    int field = 0;
    int start = 0;
    while (start <= value.GetLength() && field < 4) {
        int end = value.Find(';', start);
        if (end < 0)
            end = value.GetLength();
        CString part = value.Mid(start, end - start);
        part.Trim();
        switch (field) {
        case 0: id = vx::StrToInt(part); break;
        case 1: op = vx::StrToInt(part); break;
        case 2: display = vx::StrToInt(part); break;
        case 3: constant = vx::StrToDouble(part); break;
        }
        ++field;
        start = end + 1;
    }
    ChannelRecord& r = m_ChannelTable[0];
    r.m_iChannelId = id;
    r.m_iOperator = op;
    r.m_bActive = display == 1 ? 1 : 0;
    r.m_dOperand = constant;
}

void CVX35_3Dlg::BuildBitmapPaths()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/vx35vs");
    QDir().mkpath(dir);
    const CString folder = vx::FromQString(dir);
    m_strLogoBitmapPath = folder + "/" + kLogoFileName;
    m_strChartBitmapPath = folder + "/" + kChartFileName;
    CPage::SetBitmapFallbackDir(folder);
    // A copy cut short (a full disk at an earlier start) is written anew.
    const QImage logo = vx::LoadResourceBitmap(kLogoBitmapId);
    if (!logo.isNull())
        vx::EnsureBmpFile(m_strLogoBitmapPath, logo);
}

// ---- Layout, terminal -----------------------------------------------------------

void CVX35_3Dlg::LayoutControls()
{
    // The sheet takes its pages' size; the "in HEX" box and the terminal
    // go below it, and the dialog fits around all of it.
    CRect sheet;
    m_PropertySheet.GetWindowRect(&sheet);
    ScreenToClient(&sheet);
    const int margin = 6;
    const int width = sheet.right + margin;
    // The terminal lines up with the tabs' frame, which the sheet insets
    // from its own window.
    CRect frame = sheet;
    if (CTabCtrl* tab = m_PropertySheet.GetTabControl()) {
        tab->GetWindowRect(&frame);
        ScreenToClient(&frame);
        if (frame.IsRectEmpty())
            frame = sheet;
    }
    int y = sheet.bottom + 4;
    CWnd* hex = GetDlgItem(IDC_INHEX);
    if (hex) {
        hex->MoveWindow(frame.left, y, 120, 18);
        y += 22;
    }
    const int terminalHeight = 150;
    if (m_Terminal.IsWindow())
        m_Terminal.MoveWindow(frame.left, y, frame.Width(), terminalHeight);
    m_iFullHeight = y + terminalHeight + margin;
    m_iCompactHeight = sheet.bottom + margin;
    m_iTerminalRightMargin = width - frame.right;
    CRect client;
    GetClientRect(&client);
    CRect window;
    GetWindowRect(&window);
    const int extraW = window.Width() - client.Width();
    const int extraH = window.Height() - client.Height();
    SetWindowPos(nullptr, 0, 0, width + extraW, m_iFullHeight + extraH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CVX35_3Dlg::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (type == SIZE_MINIMIZED || m_iFullHeight <= 0 || !m_Terminal.IsWindow())
        return;
    // The pages keep the size their templates give; a larger (or maximised)
    // window gives the room to the terminal instead of leaving it empty.
    CRect t;
    m_Terminal.GetWindowRect(&t);
    ScreenToClient(&t);
    const int margin = 6;
    const int right = std::max(t.left + kTerminalMinWidth, cx - m_iTerminalRightMargin);
    const int bottom = std::max(t.top + kTerminalMinHeight, cy - margin);
    if (right != t.right || bottom != t.bottom)
        m_Terminal.MoveWindow(t.left, t.top, right - t.left, bottom - t.top);
}

void CVX35_3Dlg::ShowTerminal(bool show)
{
    m_bTerminalShown = show;
    if (CWnd* hex = GetDlgItem(IDC_INHEX))
        hex->ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (m_Terminal.IsWindow())
        m_Terminal.ShowWindow(show ? SW_SHOW : SW_HIDE);
    m_Menu.SetItemChecked(ID_OPTIONEN_TERMINAL, show);
    if (IsWindow() && m_iFullHeight > 0 && !IsZoomed()) {
        CRect client, window;
        GetClientRect(&client);
        GetWindowRect(&window);
        const int extraH = window.Height() - client.Height();
        SetWindowPos(nullptr, 0, 0, window.Width(), (show ? m_iFullHeight : m_iCompactHeight) + extraH,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (show) {
        m_bTerminalDirty = true;
        FlushTerminal();
    }
}

void CVX35_3Dlg::SetHexMode(bool hex)
{
    m_bHex = hex;
    CheckDlgButton(IDC_INHEX, hex ? BST_CHECKED : BST_UNCHECKED);
    m_bTerminalDirty = true;
    FlushTerminal();
}

void CVX35_3Dlg::OnHexClicked()
{
    m_bHex = IsDlgButtonChecked(IDC_INHEX) == BST_CHECKED;
    m_bTerminalDirty = true;
    FlushTerminal();
}

void CVX35_3Dlg::OnTerminalToggle()
{
    ShowTerminal(!m_bTerminalShown);
}

void CVX35_3Dlg::ScheduleTerminal()
{
    const long long now = vx::NowMs();
    if (!m_bTerminalDirty) {
        m_bTerminalDirty = true;
        // The first bytes after a quiet spell wait a moment for the rest of
        // their burst; within a stream the terminal follows every
        // kTerminalStreamMs.
        const bool quiet = now - m_llLastDataMs >= 2 * static_cast<long long>(kTerminalStreamMs);
        m_llTerminalDueMs = m_llTerminalTimedMs + kTerminalStreamMs;
        if (quiet)
            m_llTerminalDueMs = std::max<long long>(m_llTerminalDueMs, now + kTerminalRefreshMs);
        if (now < m_llTerminalDueMs) {
            // Within a stream a later chunk brings the redraw along and the
            // timer is only there for a stream that stops: a wake-up of its
            // own would cost more than the redraw.
            const long long at = m_llTerminalDueMs + (quiet ? 0 : kTerminalStreamMs / 2);
            SetTimer(kTerminalTimer, static_cast<UINT>(at - now));
            return;
        }
    } else if (now < m_llTerminalDueMs) {
        return;
    }
    m_llTerminalTimedMs = now;
    FlushTerminal();
}

void CVX35_3Dlg::FlushTerminal()
{
    KillTimer(kTerminalTimer);
    if (!m_bTerminalDirty)
        return;
    m_bTerminalDirty = false;
    if (m_bTerminalShown && m_Terminal.IsWindow())
        m_Terminal.ShowBytes(m_strTerminalSnapshot, m_bHex);
}

void CVX35_3Dlg::OnTimer(UINT_PTR id)
{
    if (id == kTerminalTimer) {
        m_llTerminalTimedMs = vx::NowMs();
        FlushTerminal();
        return;
    }
    CDialog::OnTimer(id);
}

// ---- Receiving ------------------------------------------------------------------

LRESULT CVX35_3Dlg::OnPortData(WPARAM count, LPARAM bytes)
{
    if (m_bClosing)
        return 0;
    const int port = 0;
    m_byArrival = 1;
    CString& text = m_ReceiveStrings[port];
    const int n = static_cast<int>(count);
    if (n > 0 && bytes)
        text.Append(reinterpret_cast<const char*>(bytes), n);
    // Nobody may be reading this text (the measure tick keeps asking while
    // another tab is shown): keep the newest bytes only, and cut in large
    // steps so the cost per chunk stays small.
    if (text.GetLength() > kReceiveTextCap)
        text.Delete(0, text.GetLength() - kReceiveTextCap * 3 / 4);
    // What the terminal shows is the text as it stood when this chunk came,
    // before the page takes its answer out of it. Taken while the terminal
    // is hidden too, so showing it again shows the latest bytes, not the
    // ones from before it was hidden.
    m_strTerminalSnapshot = text.Right(CRichEditCtrlExtended::kTextTailBytes);
    if (m_bTerminalShown)
        ScheduleTerminal();
    m_llLastDataMs = vx::NowMs();
    if (CMyPropertyPage* page = GetActivePage())
        page->OnDataReceived(n, port);
    return 0;
}

CMyPropertyPage* CVX35_3Dlg::GetActivePage() const
{
    if (!m_PropertySheet.IsWindow())
        return nullptr;
    auto* page = dynamic_cast<CMyPropertyPage*>(m_PropertySheet.GetActivePage());
    return (page && page->IsWindow()) ? page : nullptr;
}

LRESULT CVX35_3Dlg::OnDeviceChange(WPARAM wParam, LPARAM)
{
    if (m_bClosing || !m_pPortMan)
        return 0;
    if (m_pPortMan->OnDeviceChange(wParam))
        RefreshVisiblePage();
    return 0;
}

void CVX35_3Dlg::RefreshVisiblePage()
{
    if (CMyPropertyPage* page = GetActivePage())
        page->RefreshPage();
    else
        GreyFileItems();
}

void CVX35_3Dlg::GreyFileItems()
{
    m_Menu.SetItemEnabled(ID_DATEI_OEFFNEN, false);
    m_Menu.SetItemEnabled(ID_DATEI_SPEICHERN, false);
    m_Menu.SetItemEnabled(ID_DATEI_DRUCKEN, false);
}

// ---- Menu messages and commands ------------------------------------------------------

LRESULT CVX35_3Dlg::OnEnableFileOpen(WPARAM, LPARAM lParam)
{
    m_Menu.SetItemEnabled(ID_DATEI_OEFFNEN, lParam != 0);
    return 0;
}

LRESULT CVX35_3Dlg::OnEnableFileSave(WPARAM, LPARAM lParam)
{
    m_Menu.SetItemEnabled(ID_DATEI_SPEICHERN, lParam != 0);
    return 0;
}

LRESULT CVX35_3Dlg::OnEnablePrint(WPARAM, LPARAM lParam)
{
    m_Menu.SetItemEnabled(ID_DATEI_DRUCKEN, lParam != 0);
    return 0;
}

void CVX35_3Dlg::OnFileOpen()
{
    if (CMyPropertyPage* page = GetActivePage())
        page->OnFileOpen();
}

void CVX35_3Dlg::OnFileSave()
{
    if (CMyPropertyPage* page = GetActivePage())
        page->OnFileSave();
}

void CVX35_3Dlg::OnFilePrint()
{
    PrintActivePage();
}

bool CVX35_3Dlg::PrintActivePage()
{
    CMyPropertyPage* page = GetActivePage();
    if (!page)
        return false;
    CPrintDialog dlg(FALSE);
    if (dlg.DoModal() != IDOK)
        return false;
    CDC dc;
    // Says why when it can: the file or the printer that failed.
    const auto failed = [&] {
        AfxMessageBox(dlg.FailureMessage(), MB_OK | MB_ICONERROR);
        return false;
    };
    if (!dlg.CreatePrinterDC(dc))
        return failed();
    // The printer runs at 600 dpi, so positions the pages give in
    // six-hundredths of an inch land unscaled.
    const int dpi = dc.GetDeviceCaps(LOGPIXELSX);
    m_iPrinterScale = dpi > 0 ? dpi : kPrinterDpi;
    if (dc.StartDoc("VX35 VS") <= 0)
        return failed();
    if (dc.StartPage() <= 0) {
        dc.AbortDoc();
        return failed();
    }
    {
        CPage printPage(&dc);
        page->PrintPage(&printPage);
    }
    // A file is put in place only once the page is complete.
    if (dc.EndPage() <= 0 || dc.EndDoc() <= 0 || !dlg.CommitPrintFile())
        return failed();
    return true;
}

void CVX35_3Dlg::BeginBusy()
{
    if (m_iBusy != 0)
        return;
    m_iBusy = 1;
    vx::BeginWaitCursor();
}

void CVX35_3Dlg::EndBusy()
{
    if (m_iBusy != 1)
        return;
    m_iBusy = 0;
    vx::EndWaitCursor();
}

BOOL CVX35_3Dlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (m_iBusy) {
        SetCursor(LoadStandardCursor(IDC_WAIT));
        return TRUE;
    }
    return CDialog::OnSetCursor(wnd, hitTest, message);
}

void CVX35_3Dlg::OnDokumentation()
{
    m_Documentation.DoModal();
}

void CVX35_3Dlg::OnSchnittstelle()
{
    CSchnittstellenAuswahlDlg dlg(this);
    dlg.m_strTitle = vx::LoadText(5140, m_iLanguageOffset);
    dlg.m_iLanguageOffset = m_iLanguageOffset;
    dlg.m_iChannelBase = 100;
    dlg.m_pChannelTable = m_ChannelTable;
    if (dlg.DoModal() == IDOK)
        RefreshVisiblePage();
}

// ---- Language --------------------------------------------------------------------------

void CVX35_3Dlg::OnLanguageCommand(UINT id)
{
    SetLanguage(kLanguages[id - ID_SPRACHE_DEUTSCH]);
}

void CVX35_3Dlg::SetLanguage(int offset)
{
    m_iLanguageOffset = offset;
    ApplicationProfile::WriteInt(kSectionOptions, "Sprache", offset);
    BuildMenu();
    ApplyLanguage();
    ReportProfileSetAside();
}

void CVX35_3Dlg::BuildMenu()
{
    // One menu per language, built from the string table; the states pages
    // set through the enable messages survive the rebuild.
    const int o = m_iLanguageOffset;
    auto text = [o](UINT id) { return vx::LoadText(id, o); };
    CMenu file, language, options;
    file.CreatePopupMenu();
    file.AppendMenu(MF_STRING, ID_DATEI_OEFFNEN, "&" + text(5109));
    file.AppendMenu(MF_STRING, ID_DATEI_SPEICHERN, "&" + text(5110));
    file.AppendMenu(MF_STRING, ID_DATEI_DRUCKEN, "&" + text(5111));
    file.AppendMenu(MF_SEPARATOR);
    file.AppendMenu(MF_STRING, ID_DATEI_BEENDEN, "&" + text(5112));
    language.CreatePopupMenu();
    language.AppendMenu(MF_STRING, ID_SPRACHE_DEUTSCH, text(5186));
    language.AppendMenu(MF_STRING, ID_SPRACHE_ENGLISH, text(5187));
    language.AppendMenu(MF_STRING, ID_SPRACHE_FRANCAIS, text(5188));
    language.AppendMenu(MF_STRING, ID_SPRACHE_ESPANOL, text(5189));
    options.CreatePopupMenu();
    options.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(&language), text(5160));
    options.AppendMenu(MF_STRING, ID_OPTIONEN_SCHNITTSTELLE, text(5116) + "...");
    options.AppendMenu(MF_STRING, ID_OPTIONEN_DOKUMENTATION, text(5114));
    options.AppendMenu(MF_SEPARATOR);
    options.AppendMenu(MF_STRING, ID_OPTIONEN_TERMINAL, text(5115));

    SetMenu(nullptr);
    if (m_Menu.IsMenu())
        m_Menu.DestroyMenu();
    m_Menu.CreateMenu();
    m_Menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(&file), "&" + text(5108));
    m_Menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(&options), "&" + text(5113));
    m_Menu.ReapplyStates();
    for (int i = 0; i < 4; ++i)
        m_Menu.CheckMenuItem(ID_SPRACHE_DEUTSCH + i,
                             MF_BYCOMMAND | (kLanguages[i] == o ? MF_CHECKED : MF_UNCHECKED));
    m_Menu.SetItemChecked(ID_OPTIONEN_TERMINAL, m_bTerminalShown);
    SetMenu(&m_Menu);
}

void CVX35_3Dlg::ApplyLanguage()
{
    vx::ApplyProgramLanguage(m_iLanguageOffset);
    if (CTabCtrl* tab = m_PropertySheet.IsWindow() ? m_PropertySheet.GetTabControl() : nullptr) {
        for (int i = 0; i < 4; ++i)
            tab->SetItemText(i, vx::LoadText(kTabTextIds[i], m_iLanguageOffset));
    }
    SetDlgItemText(IDC_INHEX, vx::LoadText(5107, m_iLanguageOffset));
    // Every page that has a window, the nested ones too: the shown nested
    // page would otherwise keep the old language until it is shown again.
    for (int i = 0; i < kPageCount; ++i) {
        CMyPropertyPage* page = GetPage(i);
        if (page && page->IsWindow())
            page->SetLanguageTexts();
    }
}

// ---- Window state ------------------------------------------------------------------------

void CVX35_3Dlg::SaveWindowState()
{
    if (!IsWindow())
        return;
    // A minimised window has no position worth coming back to, and a
    // maximised one keeps the normal position it had before, so that
    // leaving the maximised state later goes back there.
    if (IsZoomed()) {
        ApplicationProfile::WriteInt(kSectionWindow, "Maximized", 1);
    } else if (!IsIconic()) {
        CRect r;
        GetWindowRect(&r);
        ApplicationProfile::WriteInt(kSectionWindow, "Left", r.left);
        ApplicationProfile::WriteInt(kSectionWindow, "Top", r.top);
        ApplicationProfile::WriteInt(kSectionWindow, "Width", r.Width());
        ApplicationProfile::WriteInt(kSectionWindow, "Height", r.Height());
        ApplicationProfile::WriteInt(kSectionWindow, "Maximized", 0);
    }
    ApplicationProfile::WriteInt(kSectionWindow, "BcdHexState", m_bTerminalShown ? 1 : 0);
}

void CVX35_3Dlg::RestoreWindowState()
{
    const int missing = -32768;
    const int left = ApplicationProfile::GetInt(kSectionWindow, "Left", missing);
    const int top = ApplicationProfile::GetInt(kSectionWindow, "Top", missing);
    if (left != missing && top != missing)
        RestoreWindowPlacement(left, top);
    if (ApplicationProfile::GetInt(kSectionWindow, "Maximized", 0) != 0)
        ShowWindow(SW_SHOWMAXIMIZED);
}

void CVX35_3Dlg::RestoreWindowPlacement(int left, int top)
{
    CRect r;
    GetWindowRect(&r);
    int x = left, y = top;
    // A window the user made larger comes back at that size; never smaller
    // than the layout needs.
    int w = std::max(r.Width(), ApplicationProfile::GetInt(kSectionWindow, "Width", 0));
    int h = std::max(r.Height(), ApplicationProfile::GetInt(kSectionWindow, "Height", 0));
    // A screen that is gone (a second monitor unplugged) must not leave the
    // window out of reach.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        w = std::min(w, std::max(r.Width(), avail.width()));
        h = std::min(h, std::max(r.Height(), avail.height()));
        x = std::clamp(x, avail.left(), std::max(avail.left(), avail.left() + avail.width() - std::min(w, avail.width())));
        y = std::clamp(y, avail.top(), std::max(avail.top(), avail.top() + avail.height() - std::min(h, avail.height())));
    }
    SetWindowPos(nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    // Positions are stored as GetWindowRect reports them; where the window
    // system places the frame differently, correct once so the window comes
    // back exactly where it was instead of creeping at every start.
    CRect placed;
    GetWindowRect(&placed);
    if (placed.left != x || placed.top != y)
        SetWindowPos(nullptr, 2 * x - placed.left, 2 * y - placed.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Shutdown --------------------------------------------------------------------------------

void CVX35_3Dlg::OnOK()
{
    // Enter must not end the program: only close, Esc and "Beenden" do.
}

void CVX35_3Dlg::ReturnDeviceToHome()
{
    CPortMan* port = m_ChannelTable[0].m_pPortMan;
    if (!port)
        return;
    for (int i = 0; i < DeviceCmd::HomeKeyCount; ++i) {
        port->PutByte(static_cast<BYTE>(DeviceCmd::KeyEsc));
        Sleep(DeviceCmd::PageSendPauseMs);
    }
}

void CVX35_3Dlg::OnCancel()
{
    // Close and Esc: the device goes back to its home menu first. The shown
    // page is hidden before that: pages stop their own traffic then (the
    // measure page its value requests), which must not run between the
    // keys or after them.
    if (!m_bClosing) {
        m_bClosing = true;
        if (CMyPropertyPage* page = GetActivePage()) {
            for (int i = 0; CMyPropertyPage* nested = page->GetNestedPage(i); ++i)
                if (nested->IsWindow() && nested->IsWindowVisible())
                    nested->ShowWindow(SW_HIDE);
            page->ShowWindow(SW_HIDE);
        }
        ReturnDeviceToHome();
    }
    SaveStateForExit();
    EndDialog(IDCANCEL);
}

void CVX35_3Dlg::OnBeenden()
{
    m_bClosing = true;
    SaveStateForExit();
    EndDialog(IDCANCEL);
    if (m_pPortMan)
        m_pPortMan->GoOffline(false);
}

void CVX35_3Dlg::SaveStateForExit()
{
    if (m_bStateSaved)
        return;
    m_bStateSaved = true;
    SaveWindowState();
}

void CVX35_3Dlg::OnDestroy()
{
    m_bClosing = true;
    KillTimer(kTerminalTimer);
    SaveStateForExit();
    // The pages go first: the measure page stops its tick when its window
    // is destroyed, and that tick writes through record 0's port manager.
    // Only then may the port be closed and its manager deleted.
    if (m_PropertySheet.IsWindow())
        m_PropertySheet.DestroyWindow();
    ShutdownPort();
    CDialog::OnDestroy();
}

void CVX35_3Dlg::ShutdownPort()
{
    if (!m_pPortMan)
        return;
    CPortManGui* man = m_pPortMan;
    m_pPortMan = nullptr;
    m_ChannelTable[0].m_pPortMan = nullptr;
    delete man;
}
