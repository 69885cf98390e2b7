// The documentation settings: the report headline and comment, and the CSV
// export format the measure and logger pages write with. Kept in the
// profile section "DespiteReset"; edited in a small dialog.
#pragma once

#include "app/DocumentationRecord.h"
#include "platform/Dialog.h"

class CDocumentationDlgTiny : public CDialog {
    VX_DECLARE_DYNAMIC(CDocumentationDlgTiny)
public:
    enum { IDD = 103 };
    static constexpr const char* kSection = "DespiteReset";
    static constexpr const char* kRecordEntry = "REG_STR_DOCUMENTATION_STRUCT";

    explicit CDocumentationDlgTiny(CWnd* parent = nullptr);

    // A stored record that is not exactly 24 bytes is ignored: defaults.
    void LoadFromProfile();
    void SaveToProfile() const;

    // "\r\n", "\n\r", "\r" or "\n" by the line-end index (CR LF for any other).
    void GetLineEnd(CString& text, int& index) const;
    void GetColumnSeparator(CString& text) const;
    // TAB ; , . blank by index, '$' for any other.
    char GetColumnSeparatorChar() const;
    void GetDecimalSeparator(CString& text) const;
    char GetDecimalSeparatorChar() const;
    bool GetPhysicalUnit() const { return m_record.PhysicalUnit(); }

    const CString& GetHeadline() const { return m_strHeadline; }
    const CString& GetComment() const { return m_strComment; }

    // The language of the dialog's texts (the main dialog's offset).
    void SetLanguageOffsetPointer(const int* offset) { m_pLanguageOffset = offset; }

    DocumentationRecord m_record;
    CString m_strHeadline;
    CString m_strComment;

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    const int* m_pLanguageOffset = nullptr;
    // What the three lists showed when the dialog opened: a stored index
    // they cannot show is kept unless the user picks another entry.
    int m_shownLineEnd = -1;
    int m_shownColumnSeparator = -1;
    int m_shownDecimalSeparator = -1;
};
