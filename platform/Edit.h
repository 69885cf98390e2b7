// Single- and multi-line edits, and the rich edit built on them.
#pragma once

#include "ControlWnd.h"

#include <QString>

class QPlainTextEdit;
class QValidator;

constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT EN_MAXTEXT = 0x0501;

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

// Single- and multi-line edit (ES_MULTILINE). Lines are CR LF in the text
// the program reads and writes. The limit (EM_LIMITTEXT, default 30000)
// only stops typing and pasting: text set by code is shown whole. Typed or
// pasted text that code page 1252 cannot hold is refused as a whole.
class CEdit : public CControlWnd {
    VX_DECLARE_DYNAMIC(CEdit)
public:
    CEdit();
    ~CEdit() override;

    void LimitText(int maxChars = 0);   // 0: the largest limit
    void SetLimitText(UINT maxChars) { LimitText(static_cast<int>(maxChars)); }
    UINT GetLimitText() const { return m_limit; }
    // Positions count CR LF as two characters; end -1 means the end, start -1
    // removes the selection.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void SetSel(DWORD selection, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    DWORD GetSel() const;
    void ReplaceSel(const char* text, BOOL canUndo = FALSE);
    BOOL GetModify() const { return m_modified; }
    void SetModify(BOOL modified = TRUE) { m_modified = modified != FALSE; }
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    int GetLineCount() const;
    void ScrollCaret();
    void Copy();
    void Cut();
    void Paste();
    void Clear();
    bool IsMultiLine() const { return (GetStyle() & ES_MULTILINE) != 0; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;
    CString DoGetText() const override;

private:
    friend class VxLineEdit;
    friend class VxTextEdit;
    friend class VxLimitValidator;
    // How many of `inserted` characters fit; sends EN_MAXTEXT when not all.
    int fitInsertion(int currentLength, int removed, int inserted);
    void userChanged();
    QString qtText() const;
    // Whether the field's text differs from the last one noted; notes it.
    bool noteText();

    UINT m_limit = 30000;
    bool m_modified = false;
    bool m_creating = false;
    // The text last noted: a single-line field's whole (its validator
    // compares with it), a multi-line field's length and hash.
    QString m_lastText;
    qsizetype m_lastLength = 0;
    size_t m_lastHash = 0;
};

// Rich edit as the program uses it: a read-only, monospaced terminal whose
// text is set or appended (SetSel(-1, -1) + ReplaceSel). No length limit.
class CRichEditCtrl : public CEdit {
    VX_DECLARE_DYNAMIC(CRichEditCtrl)
public:
    CRichEditCtrl();
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style | ES_MULTILINE, rect, parent, id);
    }
    using CWnd::Create;
    long GetTextLength() const { return GetWindowTextLength(); }
    // Appends at the end and keeps the end in view.
    void AppendText(const char* text);

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    // The font of a rich edit's text: monospaced, 12 pixels.
    static void SetMonospacedFont(QWidget* w);
};

namespace vx {

// Where a field's text changed between two looks: the start and the end it
// kept, and how many characters came in and went out between them.
struct TextChange {
    int keptFront = 0;
    int keptBack = 0;
    int inserted = 0;
    int removed = 0;
};
TextChange FindTextChange(const QString& before, const QString& after);

// Every edit of the program refuses, typed, pasted, dropped or composed,
// what code page 1252 cannot hold (the program's text is 1252 throughout,
// so such a character would turn into '?' on its way to a file, a printed
// page or the device). These give Qt editors made outside CEdit the same
// rule: a plain multi-line editor (a chart label edited in place), and a
// validator for an editable combo box's field.
QPlainTextEdit* NewPlainTextEdit(QWidget* parent);
QValidator* NewCp1252Validator(QObject* parent);

} // namespace vx
