#include "Edit.h"
#include "ControlsImpl.h"
#include "Text1252.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QValidator>

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CEdit, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CRichEditCtrl, CEdit)

using vx::ctldetail::CodeScope;

namespace vx {

TextChange FindTextChange(const QString& before, const QString& after)
{
    TextChange c;
    const int most = static_cast<int>(std::min(before.size(), after.size()));
    while (c.keptFront < most && before[c.keptFront] == after[c.keptFront])
        ++c.keptFront;
    while (c.keptBack < most - c.keptFront
           && before[before.size() - 1 - c.keptBack] == after[after.size() - 1 - c.keptBack])
        ++c.keptBack;
    c.inserted = static_cast<int>(after.size()) - c.keptFront - c.keptBack;
    c.removed = static_cast<int>(before.size()) - c.keptFront - c.keptBack;
    return c;
}

} // namespace vx

namespace {

// Multi-line edits count a line break as CR LF, Qt as one character.
int QtToWinPos(const QString& text, int pos)
{
    pos = std::clamp(pos, 0, static_cast<int>(text.size()));
    return pos + static_cast<int>(text.left(pos).count(QLatin1Char('\n')));
}

int WinToQtPos(const QString& text, int pos)
{
    int win = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int w = text[i] == QLatin1Char('\n') ? 2 : 1;
        if (win + w > pos)
            return i;
        win += w;
    }
    return static_cast<int>(text.size());
}

int WinLength(const QString& text) { return QtToWinPos(text, static_cast<int>(text.size())); }

// A text document pays for every block, and each line of a plain edit is
// one: 650 000 short lines (8 MiB of logger records) took it two seconds
// and some 150 MB. In a text of many lines, a block holds the lines of
// about kBlockChars characters, parted by U+2028, a line break within a
// block: the document shows it as a break and gives it back as '\n', so
// the text read back, positions and selections count as before.
constexpr size_t kManyLines = 10000;
constexpr qsizetype kBlockChars = 2048;

QString FromWinText(const CString& text)
{
    const std::string& s = text.str();
    const bool joinLines = static_cast<size_t>(std::count(s.begin(), s.end(), '\n')) > kManyLines;
    QString q(static_cast<qsizetype>(s.size()), Qt::Uninitialized);
    QChar* out = q.data();
    qsizetype n = 0, blockStart = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            ++i;
            b = '\n';
        }
        if (b == '\n' && joinLines && n - blockStart < kBlockChars) {
            out[n++] = QChar::LineSeparator;
            continue;
        }
        if (b == '\n')
            blockStart = n + 1;
        out[n++] = QChar(vx::Cp1252ToUnicode(b));
    }
    q.truncate(n);
    return q;
}

CString ToWinText(QString q)
{
    q.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return vx::FromQString(q);
}

} // namespace

// Single-line: the validator sees every change before it is shown; code's
// own texts pass untouched, the user's insertions are cut to the limit.
class VxLimitValidator : public QValidator {
public:
    VxLimitValidator(CEdit* owner, QObject* parent) : QValidator(parent), m_owner(owner) {}

    State validate(QString& input, int& pos) const override
    {
        if (m_owner->m_settingFromCode)
            return Acceptable;
        const QString& old = m_owner->m_lastText;
        const vx::TextChange change = vx::FindTextChange(old, input);
        const int p = change.keptFront, q = change.keptBack;
        const int inserted = change.inserted, removed = change.removed;
        if (inserted <= 0)
            return Acceptable;
        QString ins = input.mid(p, inserted);
        if (!vx::FitsCp1252(ins))
            return Invalid;
        const DWORD style = m_owner->GetStyle();
        if (style & ES_NUMBER) {
            for (QChar c : ins)
                if (!c.isDigit())
                    return Invalid;
        }
        if (style & ES_UPPERCASE)
            ins = ins.toUpper();
        const int allowed = m_owner->fitInsertion(static_cast<int>(old.size()), removed, inserted);
        if (allowed <= 0 && removed == 0)
            return Invalid;
        input = input.left(p) + ins.left(allowed) + input.right(q);
        pos = p + allowed;
        return Acceptable;
    }

private:
    CEdit* m_owner;
};

class VxLineEdit : public QLineEdit {
public:
    VxLineEdit(CEdit* owner, QWidget* parent) : QLineEdit(parent)
    {
        setValidator(new VxLimitValidator(owner, this));
    }
};

// Multi-line: typing, pasting, dropping and composing are checked before
// they reach the document: what code page 1252 cannot hold is refused as a
// whole, and the owner's limit (when there is an owner) cuts the rest.
class VxTextEdit : public QPlainTextEdit {
public:
    VxTextEdit(CEdit* owner, QWidget* parent) : QPlainTextEdit(parent), m_owner(owner) {}

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!isReadOnly()) {
            QString text = e->text();
            const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
            const bool writes = !text.isEmpty() && text[0].isPrint();
            if (writes && !enter && !vx::FitsCp1252(text))
                return;
            const bool printable = writes && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            if (m_owner && (enter || printable)) {
                const int ins = enter ? 2 : static_cast<int>(text.size());
                if (m_owner->fitInsertion(WinLength(toPlainText()), selectedWinLength(), ins) < ins)
                    return;
            }
        }
        QPlainTextEdit::keyPressEvent(e);
    }

    void inputMethodEvent(QInputMethodEvent* e) override
    {
        if (!isReadOnly() && !vx::FitsCp1252(e->commitString())) {
            // The composition goes on; only its result is refused.
            QInputMethodEvent kept(e->preeditString(), e->attributes());
            QPlainTextEdit::inputMethodEvent(&kept);
            return;
        }
        QPlainTextEdit::inputMethodEvent(e);
    }

    void insertFromMimeData(const QMimeData* source) override
    {
        if (!source || !source->hasText())
            return;
        QString text = source->text();
        if (!vx::FitsCp1252(text))
            return;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (m_owner) {
            const int insWin = WinLength(text);
            const int allowed = m_owner->fitInsertion(WinLength(toPlainText()), selectedWinLength(), insWin);
            if (allowed < insWin)
                text = text.left(WinToQtPos(text, allowed));
        }
        if (!text.isEmpty())
            insertPlainText(text);
    }

private:
    int selectedWinLength() const
    {
        const QString sel = textCursor().selectedText();
        return static_cast<int>(sel.size()) + static_cast<int>(sel.count(QChar(0x2029)));
    }
    CEdit* m_owner;
};

namespace {
// An editable combo box's field holds only what code page 1252 can: its
// texts set by code always fit, so the whole text is checked.
class VxCp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return vx::FitsCp1252(input) ? Acceptable : Invalid; }
};
} // namespace

namespace vx {

QPlainTextEdit* NewPlainTextEdit(QWidget* parent) { return new VxTextEdit(nullptr, parent); }

QValidator* NewCp1252Validator(QObject* parent) { return new VxCp1252Validator(parent); }

} // namespace vx

CEdit::CEdit() = default;

CEdit::~CEdit()
{
    if (auto* e = qobject_cast<QLineEdit*>(GetPeer()))
        e->setValidator(nullptr);
}

QWidget* CEdit::CreatePeer(QWidget* qtParent)
{
    m_creating = true;
    const DWORD style = GetStyle();
    if (style & ES_MULTILINE) {
        auto* t = new VxTextEdit(this, qtParent);
        t->setReadOnly(style & ES_READONLY);
        t->setLineWrapMode((style & ES_AUTOHSCROLL) || (style & WS_HSCROLL) ? QPlainTextEdit::NoWrap
                                                                            : QPlainTextEdit::WidgetWidth);
        t->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        t->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        if (!(style & WS_BORDER) && !(GetExStyle() & WS_EX_CLIENTEDGE))
            t->setFrameStyle(QFrame::NoFrame);
        t->setTabChangesFocus(true);
        QObject::connect(t, &QPlainTextEdit::textChanged, Ctx(), [this] { userChanged(); });
        return t;
    }
    auto* e = new VxLineEdit(this, qtParent);
    e->setReadOnly(style & ES_READONLY);
    if (style & ES_PASSWORD)
        e->setEchoMode(QLineEdit::Password);
    e->setAlignment((style & ES_CENTER) ? Qt::AlignHCenter : (style & ES_RIGHT) ? Qt::AlignRight : Qt::AlignLeft);
    e->setFrame((style & WS_BORDER) || (GetExStyle() & WS_EX_CLIENTEDGE));
    QObject::connect(e, &QLineEdit::textChanged, Ctx(), [this](const QString&) { userChanged(); });
    return e;
}

QString CEdit::qtText() const
{
    if (auto* e = qobject_cast<QLineEdit*>(GetPeer()))
        return e->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        return t->toPlainText();
    return m_lastText;
}

int CEdit::fitInsertion(int currentLength, int removed, int inserted)
{
    const long long room = static_cast<long long>(m_limit) - (currentLength - removed);
    const int allowed = static_cast<int>(std::clamp<long long>(room, 0, inserted));
    if (allowed < inserted)
        NotifyCommand(EN_MAXTEXT);
    return allowed;
}

void CEdit::userChanged()
{
    if (m_settingFromCode)
        return;
    const QString now = qtText();
    if (now == m_lastText)
        return;
    m_lastText = now;
    m_modified = true;
    NotifyCommand(EN_CHANGE);
}

void CEdit::DoSetText(const CString& text)
{
    CControlWnd::DoSetText(text);
    {
        CodeScope scope(m_settingFromCode);
        const QString q = IsMultiLine() ? FromWinText(text) : vx::ToQString(text);
        if (auto* e = qobject_cast<QLineEdit*>(GetPeer())) {
            e->setText(q);
            e->setCursorPosition(0);
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
            t->setPlainText(q);
        }
        m_lastText = qtText();
        m_modified = false;
    }
    // Text set by code notifies like the user's typing: pages copy values
    // back from their edits on EN_CHANGE. The initial text does not.
    if (GetPeer() && !m_creating)
        NotifyCommand(EN_CHANGE);
}

CString CEdit::DoGetText() const
{
    if (!GetPeer())
        return CControlWnd::DoGetText();
    return IsMultiLine() ? ToWinText(qtText()) : vx::FromQString(qtText());
}

void CEdit::LimitText(int maxChars)
{
    m_limit = maxChars <= 0 ? 0x7FFFFFFEu : static_cast<UINT>(maxChars);
}

void CEdit::SetSel(int start, int end, BOOL noScroll)
{
    const QString text = qtText();
    const int len = static_cast<int>(text.size());
    int s = start < 0 ? -1 : (IsMultiLine() ? WinToQtPos(text, start) : std::min(start, len));
    int e = end < 0 ? len : (IsMultiLine() ? WinToQtPos(text, end) : std::min(end, len));
    if (s < 0)
        s = e = (start < 0 && end < 0) ? len : e;   // -1: no selection, caret kept at the end
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer())) {
        le->setSelection(s, e - s);
        if (s == e)
            le->setCursorPosition(s);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
        QTextCursor c = t->textCursor();
        c.setPosition(s);
        c.setPosition(e, QTextCursor::KeepAnchor);
        t->setTextCursor(c);
        if (!noScroll)
            t->ensureCursorVisible();
    }
}

void CEdit::SetSel(DWORD selection, BOOL noScroll)
{
    SetSel(static_cast<short>(LOWORD(selection)), static_cast<short>(HIWORD(selection)), noScroll);
}

void CEdit::GetSel(int& start, int& end) const
{
    start = end = 0;
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer())) {
        if (le->hasSelectedText()) {
            start = le->selectionStart();
            end = start + static_cast<int>(le->selectedText().size());
        } else {
            start = end = le->cursorPosition();
        }
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
        const QTextCursor c = t->textCursor();
        const QString text = t->toPlainText();
        start = QtToWinPos(text, c.selectionStart());
        end = QtToWinPos(text, c.selectionEnd());
    }
}

DWORD CEdit::GetSel() const
{
    int s = 0, e = 0;
    GetSel(s, e);
    return static_cast<DWORD>((s & 0xFFFF) | ((e & 0xFFFF) << 16));
}

void CEdit::ReplaceSel(const char* text, BOOL)
{
    // Code inserting text is not the user typing: no limit, but EN_CHANGE
    // and the modified state like any edit.
    const QString q = IsMultiLine() ? FromWinText(CString(text)) : vx::ToQString(CString(text));
    {
        CodeScope scope(m_settingFromCode);
        if (auto* le = qobject_cast<QLineEdit*>(GetPeer())) {
            le->insert(q);
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
            QTextCursor c = t->textCursor();
            c.insertText(q);
            t->setTextCursor(c);
        }
    }
    const QString now = qtText();
    if (now != m_lastText) {
        m_lastText = now;
        NotifyCommand(EN_CHANGE);
    }
}

BOOL CEdit::SetReadOnly(BOOL readOnly)
{
    ModifyStyle(readOnly ? 0 : ES_READONLY, readOnly ? ES_READONLY : 0);
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->setReadOnly(readOnly);
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->setReadOnly(readOnly);
    return TRUE;
}

int CEdit::GetLineCount() const
{
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        return std::max(1, t->document()->blockCount());
    return 1;
}

void CEdit::ScrollCaret()
{
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->ensureCursorVisible();
}

void CEdit::Copy()
{
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->copy();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->copy();
}

void CEdit::Cut()
{
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->cut();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->cut();
}

void CEdit::Paste()
{
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->paste();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->paste();
}

void CEdit::Clear() { ReplaceSel(""); }

LRESULT CEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        m_creating = false;
        return CControlWnd::WindowProc(msg, wParam, lParam);
    case EM_LIMITTEXT:
        LimitText(static_cast<int>(wParam));
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(GetLimitText());
    case EM_GETMODIFY:
        return GetModify();
    case EM_SETMODIFY:
        SetModify(static_cast<BOOL>(wParam));
        return 0;
    case EM_SETSEL:
        SetSel(static_cast<int>(static_cast<INT_PTR>(wParam)), static_cast<int>(lParam));
        return 0;
    case EM_GETSEL: {
        int s = 0, e = 0;
        GetSel(s, e);
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(s);
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(e);
        return static_cast<LRESULT>(GetSel());
    }
    case EM_REPLACESEL:
        ReplaceSel(reinterpret_cast<const char*>(lParam), static_cast<BOOL>(wParam));
        return 0;
    case EM_SCROLLCARET:
        ScrollCaret();
        return TRUE;
    case EM_GETLINECOUNT:
        return GetLineCount();
    case EM_SETREADONLY:
        return SetReadOnly(static_cast<BOOL>(wParam));
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---- CRichEditCtrl ------------------------------------------------------------------

CRichEditCtrl::CRichEditCtrl() { LimitText(0); }

void CRichEditCtrl::SetMonospacedFont(QWidget* w)
{
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    w->setFont(mono);
}

QWidget* CRichEditCtrl::CreatePeer(QWidget* qtParent)
{
    QWidget* w = CEdit::CreatePeer(qtParent);
    SetMonospacedFont(w);
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        t->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    return w;
}

void CRichEditCtrl::AppendText(const char* text)
{
    SetSel(-1, -1);
    ReplaceSel(text);
    ScrollCaret();
}
