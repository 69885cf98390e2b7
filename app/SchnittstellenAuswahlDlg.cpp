#include "app/SchnittstellenAuswahlDlg.h"

#include "app/StringTable.h"
#include "platform/Modal.h"
#include "port/CDcb.h"
#include "port/CPortMan.h"
#include "port/PortList.h"

VX_IMPLEMENT_DYNAMIC(CSchnittstellenAuswahlDlg, CDialog)

namespace {
enum {
    IDC_IF_PORT = 1020,
    IDC_IF_BAUD = 1021,
    IDC_IF_LBL_PORT = 1040,
    IDC_IF_LBL_BAUD = 1041,
};
} // namespace

CSchnittstellenAuswahlDlg::CSchnittstellenAuswahlDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CSchnittstellenAuswahlDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int offset = m_iLanguageOffset;
    if (!m_strTitle.IsEmpty())
        SetWindowText(m_strTitle);
    SetDlgItemText(IDC_IF_LBL_PORT, vx::LoadText(5116, offset));
    SetDlgItemText(IDC_IF_LBL_BAUD, vx::LoadText(5171, offset));
    SetDlgItemText(IDOK, vx::LoadText(5170, offset));
    SetDlgItemText(IDCANCEL, vx::LoadText(5146, offset));

    const int index = GetRecordIndex();
    CPortMan* port = (m_pChannelTable && index >= 0 && index < kChannelCount)
        ? m_pChannelTable[index].m_pPortMan : nullptr;
    const CString current = port ? port->m_Dcb.m_strPortName : CString();
    const DWORD baud = port ? port->m_Dcb.m_dwBaudRate : 115200;

    std::vector<CString> extra = m_extraPorts;
    if (!current.IsEmpty() && current != PORTNAME_OFFLINE)
        extra.push_back(current);
    auto* ports = dynamic_cast<CComboBox*>(GetDlgItem(IDC_IF_PORT));
    if (ports) {
        ports->ResetContent();
        // The switched-off choice comes first and reads "aus"/"off"; its item
        // data tells it from a port called that way.
        const int off = ports->AddString(vx::LoadText(5149, offset));
        ports->SetItemData(off, 1);
        int selected = off;
        for (const CString& path : EnumerateSerialPorts(extra)) {
            const int i = ports->AddString(path);
            ports->SetItemData(i, 0);
            if (path == current)
                selected = i;
        }
        const bool storedPath = !current.IsEmpty() && current != PORTNAME_OFFLINE;
        if (selected == off && storedPath) {
            // A stored path that is not there now (a typed one that failed,
            // an adapter unplugged) is shown as it is, not as "off": the user
            // sees what is set, and OK keeps it.
            ports->SetCurSel(-1);
            ports->SetWindowText(current);
        } else {
            ports->SetCurSel(selected);
        }
    }
    if (auto* rates = dynamic_cast<CComboBox*>(GetDlgItem(IDC_IF_BAUD))) {
        rates->ResetContent();
        int selected = CB_ERR;
        for (const BaudRateEntry& e : GetBaudRateTable()) {
            const int i = rates->AddString(e.pszText);
            rates->SetItemData(i, e.dwBaud);
            if (e.dwBaud == baud)
                selected = i;
        }
        rates->SetCurSel(selected == CB_ERR ? rates->GetCount() - 1 : selected);
    }
    return TRUE;
}

void CSchnittstellenAuswahlDlg::OnOK()
{
    m_strChosenPort = PORTNAME_OFFLINE;
    if (auto* ports = dynamic_cast<CComboBox*>(GetDlgItem(IDC_IF_PORT))) {
        const int sel = ports->GetCurSel();
        const CString selText = sel != CB_ERR ? ports->GetLBText(sel) : CString();
        const bool selIsOff = sel != CB_ERR && ports->GetItemData(sel) != 0;
        m_strChosenPort = ChoosePort(ports->GetWindowTextString(), sel != CB_ERR, selText, selIsOff,
                                     vx::LoadText(5149, m_iLanguageOffset));
    }
    m_dwChosenBaud = 115200;
    if (auto* rates = dynamic_cast<CComboBox*>(GetDlgItem(IDC_IF_BAUD))) {
        const int sel = rates->GetCurSel();
        if (sel != CB_ERR)
            m_dwChosenBaud = static_cast<DWORD>(rates->GetItemData(sel));
    }
    const int index = GetRecordIndex();
    if (m_pChannelTable && index >= 0 && index < kChannelCount
        && !ApplyChoice(m_pChannelTable[index], m_strChosenPort, m_dwChosenBaud)) {
        // The port stays off line; without a word the user would only see
        // the device not answering.
        const CPortMan* man = m_pChannelTable[index].m_pPortMan;
        AfxMessageBox(man->GetLastErrorText(), MB_OK | MB_ICONWARNING);
    }
    CDialog::OnOK();
}

CString CSchnittstellenAuswahlDlg::ChoosePort(CString fieldText, bool hasSelection, const CString& selectedText,
                                              bool selectedIsOff, const CString& offText)
{
    // An editable combo keeps its selection while the user types, so the
    // field's text is what the user means whenever it differs.
    fieldText.Trim();
    if (hasSelection && fieldText == selectedText)
        return selectedIsOff ? CString(PORTNAME_OFFLINE) : selectedText;
    if (fieldText.IsEmpty() || fieldText == offText || fieldText == CString(PORTNAME_OFFLINE))
        return PORTNAME_OFFLINE;
    return fieldText;
}

bool CSchnittstellenAuswahlDlg::ApplyChoice(ChannelRecord& record, const CString& port, DWORD baud)
{
    CPortMan* man = record.m_pPortMan;
    if (!man)
        return true;
    man->GoOffline(false);
    man->m_Dcb.m_strPortName = port;
    man->m_Dcb.m_dwBaudRate = baud;
    bool opened = true;
    if (!man->m_Dcb.IsOffLineName())
        opened = man->Reopen();
    man->m_Dcb.SaveToProfile();
    return opened;
}
