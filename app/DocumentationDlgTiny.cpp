#include "app/DocumentationDlgTiny.h"

#include "app/ApplicationProfile.h"
#include "app/StringTable.h"
#include "platform/Modal.h"

VX_IMPLEMENT_DYNAMIC(CDocumentationDlgTiny, CDialog)

namespace {
enum {
    IDC_DOC_HEADLINE = 1010,
    IDC_DOC_COMMENT = 1011,
    IDC_DOC_LINEEND = 1012,
    IDC_DOC_COLSEP = 1013,
    IDC_DOC_DECSEP = 1014,
    IDC_DOC_PHYSUNIT = 1015,
    IDC_DOC_LBL_HEADLINE = 1030,
    IDC_DOC_LBL_COMMENT = 1031,
    IDC_DOC_LBL_LINEEND = 1032,
    IDC_DOC_LBL_COLSEP = 1033,
    IDC_DOC_LBL_DECSEP = 1034,
};

int FillCombo(CComboBox* combo, std::initializer_list<CString> texts, int selected)
{
    if (!combo)
        return CB_ERR;
    combo->ResetContent();
    for (const CString& t : texts)
        combo->AddString(t);
    if (combo->SetCurSel(selected) == CB_ERR)
        combo->SetCurSel(0);
    return combo->GetCurSel();
}
} // namespace

CDocumentationDlgTiny::CDocumentationDlgTiny(CWnd* parent) : CDialog(IDD, parent) {}

void CDocumentationDlgTiny::LoadFromProfile()
{
    std::vector<BYTE> bytes;
    if (ApplicationProfile::GetBinary(kSection, kRecordEntry, bytes))
        m_record = DocumentationRecord::FromBytes(CString(bytes.data(), static_cast<int>(bytes.size())));
    else
        m_record = DocumentationRecord();
    m_strHeadline = ApplicationProfile::GetString(kSection, "Headline", "");
    m_strComment = ApplicationProfile::GetString(kSection, "Comment", "");
}

void CDocumentationDlgTiny::SaveToProfile() const
{
    const CString bytes = m_record.ToBytes();
    ApplicationProfile::WriteBinary(kSection, kRecordEntry, bytes.bytes(), static_cast<UINT>(bytes.GetLength()));
    ApplicationProfile::WriteString(kSection, "Headline", m_strHeadline);
    ApplicationProfile::WriteString(kSection, "Comment", m_strComment);
}

void CDocumentationDlgTiny::GetLineEnd(CString& text, int& index) const
{
    index = m_record.LineEndIndex();
    text = m_record.LineEnd();
}

void CDocumentationDlgTiny::GetColumnSeparator(CString& text) const
{
    text = CString(GetColumnSeparatorChar());
}

char CDocumentationDlgTiny::GetColumnSeparatorChar() const
{
    return m_record.ColumnSeparatorChar();
}

void CDocumentationDlgTiny::GetDecimalSeparator(CString& text) const
{
    text = CString(GetDecimalSeparatorChar());
}

char CDocumentationDlgTiny::GetDecimalSeparatorChar() const
{
    return m_record.DecimalSeparatorChar();
}

BOOL CDocumentationDlgTiny::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int offset = m_pLanguageOffset ? *m_pLanguageOffset : 0;
    auto text = [offset](UINT id) { return vx::LoadText(id, offset); };
    SetWindowText(text(5174));
    SetDlgItemText(IDC_DOC_LBL_HEADLINE, text(5117));
    SetDlgItemText(IDC_DOC_LBL_COMMENT, text(5118));
    SetDlgItemText(IDC_DOC_LBL_LINEEND, text(5119));
    SetDlgItemText(IDC_DOC_LBL_COLSEP, text(5120));
    SetDlgItemText(IDC_DOC_LBL_DECSEP, text(5121));
    SetDlgItemText(IDC_DOC_PHYSUNIT, text(5185));
    SetDlgItemText(IDOK, text(5170));
    SetDlgItemText(IDCANCEL, text(5146));

    SetDlgItemText(IDC_DOC_HEADLINE, m_strHeadline);
    SetDlgItemText(IDC_DOC_COMMENT, m_strComment);
    m_shownLineEnd = FillCombo(dynamic_cast<CComboBox*>(GetDlgItem(IDC_DOC_LINEEND)),
                               {"CR LF", "LF CR", "CR", "LF"}, m_record.values[0]);
    m_shownColumnSeparator = FillCombo(dynamic_cast<CComboBox*>(GetDlgItem(IDC_DOC_COLSEP)),
                                       {"TAB", ";", ",", ".", text(5172)}, m_record.values[1]);
    m_shownDecimalSeparator = FillCombo(dynamic_cast<CComboBox*>(GetDlgItem(IDC_DOC_DECSEP)), {".", ","},
                                        m_record.values[3]);
    CheckDlgButton(IDC_DOC_PHYSUNIT, m_record.values[5] ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CDocumentationDlgTiny::OnOK()
{
    auto selection = [this](int id, int shown, int current) {
        auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(id));
        const int sel = combo ? combo->GetCurSel() : CB_ERR;
        return (sel == CB_ERR || sel == shown) ? current : sel;
    };
    DocumentationRecord chosen = m_record;
    chosen.values[0] = selection(IDC_DOC_LINEEND, m_shownLineEnd, m_record.values[0]);
    chosen.values[1] = selection(IDC_DOC_COLSEP, m_shownColumnSeparator, m_record.values[1]);
    chosen.values[3] = selection(IDC_DOC_DECSEP, m_shownDecimalSeparator, m_record.values[3]);
    chosen.values[5] = IsDlgButtonChecked(IDC_DOC_PHYSUNIT) == BST_CHECKED ? 1 : 0;
    if (chosen.SeparatorsClash()) {
        // The dialog stays open and nothing is stored: the user picks again.
        AfxMessageBox(vx::LoadText(5209, m_pLanguageOffset ? *m_pLanguageOffset : 0), MB_OK | MB_ICONWARNING);
        if (CWnd* columns = GetDlgItem(IDC_DOC_COLSEP))
            columns->SetFocus();
        return;
    }
    m_record = chosen;
    GetDlgItemText(IDC_DOC_HEADLINE, m_strHeadline);
    GetDlgItemText(IDC_DOC_COMMENT, m_strComment);
    SaveToProfile();
    CDialog::OnOK();
}
