#include "measure/MessenDlgEinstellen.h"

#include "app/SchnittstellenAuswahlDlg.h"
#include "measure/ChannelConfig.h"
#include "platform/DDX.h"
#include "platform/Numbers.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "port/CPortMan.h"

#include <initializer_list>

VX_IMPLEMENT_DYNAMIC(CMessenDlgEinstellen, CMyPropertyPage)

namespace {
constexpr const char* kOptions = "Optionen";
constexpr const char* kOperators[] = {"+", "-", "*", "/"};
} // namespace

CMessenDlgEinstellen::CMessenDlgEinstellen() : CMyPropertyPage(IDD, 0)
{
    VX_ON_CONTROL(CBN_SELCHANGE, IDC_CHART_TYPE, OnChartTypeChanged);
    VX_ON_CONTROL_RANGE(EN_CHANGE, IDC_CONSTANT_FIRST, IDC_CONSTANT_FIRST + kRows - 1, OnConstantChanged);
    VX_ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_OPERATOR_FIRST, IDC_OPERATOR_FIRST + kRows - 1, OnOperatorChanged);
    VX_ON_CONTROL_RANGE(BN_CLICKED, IDC_PORT_FIRST, IDC_PORT_FIRST + kRows - 1, OnPortButton);
    VX_ON_COMMAND(IDC_SERIAL, OnSerial);
    VX_ON_COMMAND(IDC_PARALLEL, OnParallel);
    VX_ON_COMMAND(IDC_OK, SaveConfiguration);
}

CMessenDlgEinstellen::~CMessenDlgEinstellen() = default;

void CMessenDlgEinstellen::OnDataReceived(int, int) {}

BOOL CMessenDlgEinstellen::OnInitDialog()
{
    CMyPropertyPage::OnInitDialog();
    SubclassDlgItem(IDC_CHART_TYPE, &m_ChartType);
    for (int r = 0; r < kRows; ++r) {
        SubclassDlgItem(IDC_OPERATOR_FIRST + r, &m_Operator[r]);
        SubclassDlgItem(IDC_CONSTANT_FIRST + r, &m_Constant[r]);
        for (const char* op : kOperators)
            m_Operator[r].AddString(op);
        m_Constant[r].SetLimitText(8);
        m_Constant[r].Init("0123456789,.", 0, 1000, 2000, 3000, m_pLanguageOffset, false, nullptr, 0);
    }
    for (int id : std::initializer_list<int>{IDC_DELAY, IDC_DELAY_LABEL, IDC_OK, IDC_SERIAL, IDC_PARALLEL, IDC_CONNECTION_GROUP})
        Show(id, false);
    return TRUE;
}

void CMessenDlgEinstellen::Show(int id, bool show)
{
    if (CWnd* w = GetDlgItem(id))
        w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CMessenDlgEinstellen::SetLanguageTexts()
{
    const int offset = LanguageOffset();
    SetDlgItemTextFromId(5106 + offset, IDC_OK);
    SetDlgItemTextFromId(5137 + offset, IDC_CHART_LABEL);
    SetDlgItemTextFromId(5141 + offset, IDC_CONNECTION_GROUP);
    SetDlgItemTextFromId(5142 + offset, IDC_SERIAL);
    SetDlgItemTextFromId(5143 + offset, IDC_PARALLEL);
    static const char* const suffixes[kRows] = {" 1", " 2", " 3", " 4"};
    for (int r = 0; r < kRows; ++r)
        SetDlgItemTextFromIdAppend(5147 + offset, IDC_ROW_LABEL_FIRST + r, suffixes[r]);
    SetDlgItemTextFromIdAppend(5147 + offset, 1102, " x");
    SetDlgItemTextFromIdAppend(5147 + offset, 1103, " y");
    SetDlgItemTextFromIdAppend(5148 + offset, 1105, " 1");
    SetDlgItemTextFromIdAppend(5148 + offset, 1106, " 2");
    SetDlgItemTextFromId(5138 + offset, IDC_CONSTANT_LABEL);
    SetDlgItemTextFromId(5139 + offset, IDC_DISPLAY_LABEL);
    if (m_ChartType.IsWindow()) {
        m_ChartType.ResetContent();
        const int item = m_ChartType.AddString(offset == 0 ? vx::FromUtf8("Messwert über Zeit").GetString() : "measured value via time");
        m_ChartType.SetItemData(item, 0);
        m_ChartType.SetCurSel(0);
    }
}

void CMessenDlgEinstellen::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
}

void CMessenDlgEinstellen::OnShowWindow(BOOL show, UINT status)
{
    CMyPropertyPage::OnShowWindow(show, status);
    if (show)
        LoadConfiguration();
}

bool CMessenDlgEinstellen::ParseConstant(const CString& text, double& value)
{
    if (text.IsEmpty())
        return false;
    CString plain;
    int separators = 0, digits = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        const char c = text[i];
        if (c == ',' || c == '.') {
            ++separators;
            plain += '.';
        } else if (c >= '0' && c <= '9') {
            ++digits;
            plain += c;
        } else {
            return false;
        }
    }
    if (separators > 1 || digits == 0)
        return false;
    value = vx::StrToDouble(plain);
    return true;
}

void CMessenDlgEinstellen::LoadConfiguration()
{
    m_bLoading = true;
    // Rows 2-4 are read in the same layout as row 1, so a save writes them
    // back unchanged even while their controls are hidden.
    for (int r = 0; r < kRows; ++r) {
        ChannelRecord rec;
        rec.m_iChannelId = 0;
        ParseChannelConfig(vx::GetProfileString(kChannelConfigSection, ChannelConfigKey(r)), rec);
        m_Records[r].channelId = rec.m_iChannelId;
        m_Records[r].op = rec.m_iOperator;
        m_Records[r].display = rec.m_bActive != 0;
        m_Records[r].value = rec.m_dOperand;
    }
    if (IsWindow()) {
        for (int r = 0; r < kRows; ++r) {
            const int op = m_Records[r].op;
            m_Operator[r].SetCurSel(op >= 0 && op < 4 ? op : -1);
            m_Constant[r].SetWindowText(vx::Format("%f", m_Records[r].value).c_str());
            CheckDlgButton(IDC_DISPLAY_FIRST + r, m_Records[r].display ? 1 : 0);
        }
        // The derived channel's controls stay hidden, but show its record.
        const CString channel = LoadLanguageText(5147);
        for (int id : {1085, 1086}) {
            auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(id));
            if (!combo)
                continue;
            combo->ResetContent();
            for (int c = 1; c <= kRows; ++c)
                combo->SetItemData(combo->AddString(CString::Formatted("%s %d", channel.GetString(), c)), c);
            const int wanted = id == 1085 ? m_Records[6].channelX : m_Records[6].channelY;
            combo->SetCurSel(wanted >= 1 && wanted <= kRows ? wanted - 1 : -1);
        }
        if (auto* op = dynamic_cast<CComboBox*>(GetDlgItem(1084))) {
            op->ResetContent();
            for (const char* text : kOperators)
                op->AddString(text);
            op->SetCurSel(m_Records[6].op >= 0 && m_Records[6].op < 4 ? m_Records[6].op : -1);
        }
        CheckDlgButton(1093, m_Records[6].display ? 1 : 0);
        RefreshPortText();
    }
    // Only the time chart is offered; any other stored type would act on
    // ports this program does not have.
    m_iChartType = 0;
    SetLanguageTexts();
    ApplyChartType();
    m_bLoading = false;
}

void CMessenDlgEinstellen::RefreshPortText()
{
    if (!m_pChannelTable)
        return;
    CPortMan* port = m_pChannelTable[0].m_pPortMan;
    CString text;
    if (port && port->GetPortState() == 0)
        text = port->m_Dcb.GetPortText();
    else
        text = LoadLanguageText(5149);
    SetDlgItemText(IDC_PORT_FIRST, text);
    m_Records[0].channelId = m_pChannelTable[0].m_iChannelId;
}

void CMessenDlgEinstellen::ApplyChartType()
{
    for (int id : std::initializer_list<int>{IDC_DISPLAY_FIRST, IDC_DISPLAY_LABEL, 1105, 1078, 1091, 1106, 1079, 1092, 1100, 1102, 1104, 1103,
                   1085, 1084, 1086, 1093})
        Show(id, false);
    // The time chart shows the measuring channel's row only.
    for (int r = 1; r < kRows; ++r)
        for (int id : std::initializer_list<int>{IDC_ROW_LABEL_FIRST + r, IDC_PORT_FIRST + r, IDC_OPERATOR_FIRST + r, IDC_CONSTANT_FIRST + r,
                       IDC_DISPLAY_FIRST + r})
            Show(id, false);
    if (IsWindow()) {
        if (CWnd* w = GetDlgItem(IDC_PARALLEL))
            w->EnableWindow(FALSE);
        if (CWnd* w = GetDlgItem(IDC_SERIAL))
            w->EnableWindow(TRUE);
        CheckRadioButton(IDC_SERIAL, IDC_PARALLEL, IDC_SERIAL);
    }
    OnSerial();
}

void CMessenDlgEinstellen::OnChartTypeChanged()
{
    const int sel = m_ChartType.GetCurSel();
    m_iChartType = sel >= 0 ? static_cast<int>(m_ChartType.GetItemData(sel)) : 0;
    if (m_iChartType != 0)
        m_iChartType = 0;
    vx::WriteProfileInt(kOptions, "Diagrammtyp", m_iChartType);
    ApplyChartType();
}

// The time chart measures one channel over one port: nothing to switch.
void CMessenDlgEinstellen::OnSerial()
{
    if (m_pConnectionMode)
        *m_pConnectionMode = 0;
}

void CMessenDlgEinstellen::OnParallel()
{
    if (m_pConnectionMode)
        *m_pConnectionMode = 1;
}

void CMessenDlgEinstellen::WriteRow(int row)
{
    const Record& r = m_Records[row];
    vx::WriteProfileString(kChannelConfigSection, ChannelConfigKey(row),
                           FormatChannelConfig(r.channelId, r.op, r.display ? 1 : 0, r.value));
}

void CMessenDlgEinstellen::OnConstantChanged(UINT id)
{
    const int row = static_cast<int>(id) - IDC_CONSTANT_FIRST;
    if (m_bLoading || row < 0 || row >= kRows)
        return;
    double value = 0.0;
    if (!ParseConstant(m_Constant[row].GetWindowTextString(), value))
        return;
    m_Records[row].value = value;
    WriteRow(row);
}

void CMessenDlgEinstellen::OnOperatorChanged(UINT id)
{
    const int row = static_cast<int>(id) - IDC_OPERATOR_FIRST;
    if (m_bLoading || row < 0 || row >= kRows)
        return;
    const int sel = m_Operator[row].GetCurSel();
    if (sel < 0 || sel == m_Records[row].op)
        return;
    m_Records[row].op = sel;
    WriteRow(row);
}

void CMessenDlgEinstellen::OnPortButton(UINT id)
{
    const int row = static_cast<int>(id) - IDC_PORT_FIRST;
    if (row < 0 || row >= kRows)
        return;
    CSchnittstellenAuswahlDlg dlg(this);
    dlg.m_strTitle = LoadLanguageText(5116);
    dlg.m_iLanguageOffset = LanguageOffset();
    dlg.m_iChannelBase = 100 * (row + 1);
    dlg.m_pChannelTable = m_pChannelTable;
    if (dlg.DoModal() == IDOK)
        RefreshPortText();
    // Cancelled or not, what the page shows is what is stored.
    SaveConfiguration();
}

void CMessenDlgEinstellen::SaveConfiguration()
{
    if (IsWindow()) {
        // Only row 1 has visible controls; hidden rows keep what was loaded.
        const int sel = m_Operator[0].GetCurSel();
        if (sel >= 0)
            m_Records[0].op = sel;
        double value = 0.0;
        if (ParseConstant(m_Constant[0].GetWindowTextString(), value))
            m_Records[0].value = value;
    }
    if (m_pChannelTable) {
        m_Records[0].channelId = m_pChannelTable[0].m_iChannelId;
        // A row is drawn only while its port is on line.
        if (CPortMan* port = m_pChannelTable[0].m_pPortMan)
            m_Records[0].display = port->GetPortState() == 0;
    }
    for (int r = 0; r < kRows; ++r)
        WriteRow(r);
    vx::WriteProfileInt(kOptions, "Diagrammtyp", m_iChartType);
    if (m_pConnectionMode)
        vx::WriteProfileInt(kOptions, "Schnittstellenanbindung", *m_pConnectionMode);
    if (m_pOperatingMode)
        vx::WriteProfileInt(kOptions, "Betriebsart", *m_pOperatingMode);
    RefreshPage();
}
