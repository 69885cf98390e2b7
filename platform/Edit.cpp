#include "Edit.h"
#include "ControlsImpl.h"
#include "Text1252.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
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
// and some 100 MB. In a text of many lines, a block holds the lines of
// about kBlockChars characters, parted by U+2028, a line break within a
// block: the document shows it as a break and gives it back as '\n', so
// the text read back, positions and selections count as before.
constexpr size_t kManyLines = 10000;
constexpr qsizetype kBlockChars = 2048;

// A multi-line field's text (code page 1252, lines ended by CR LF) as its
// document takes it, a piece at a time: a big text is never held whole in
// UTF-16 beside the document's own copy. Each line break the document
// would make of the text (CR LF, a lone LF or CR; a CR right before a
// CR LF makes one with it) is given as one character, so no piece ends
// between two characters the document would read as one break.
class WinTextReader {
public:
    explicit WinTextReader(const CString& text)
        : m_s(text.str()), m_joinLines(static_cast<size_t>(std::count(m_s.begin(), m_s.end(), '\n')) > kManyLines)
    {
    }
    bool AtEnd() const { return m_at >= m_s.size(); }
    // The next `bytes` bytes of the text, or a byte more (a CR LF is one).
    QString Next(size_t bytes)
    {
        const size_t end = std::min(m_s.size(), m_at + bytes);
        QString q(static_cast<qsizetype>(end - m_at), Qt::Uninitialized);
        QChar* out = q.data();
        qsizetype n = 0;
        for (; m_at < end; ++m_at) {
            const auto b = static_cast<unsigned char>(m_s[m_at]);
            const bool crLf = b == '\r' && m_at + 1 < m_s.size() && m_s[m_at + 1] == '\n';
            const bool afterCr = m_afterCr;
            m_afterCr = b == '\r' && !crLf;
            if (crLf)
                ++m_at;
            if (b != '\r' && b != '\n') {
                out[n++] = QChar(vx::Cp1252ToUnicode(b));
                ++m_blockChars;
            } else if (!(crLf && afterCr)) {
                const bool join = m_joinLines && m_blockChars < kBlockChars;
                out[n++] = join ? QChar(QChar::LineSeparator) : QChar(u'\n');
                m_blockChars = join ? m_blockChars + 1 : 0;
            }
        }
        q.truncate(n);
        return q;
    }

private:
    const std::string& m_s;
    const bool m_joinLines;
    size_t m_at = 0;
    qsizetype m_blockChars = 0;
    // The last byte was a CR that ended a line on its own.
    bool m_afterCr = false;
};

QString FromWinText(const CString& text) { return WinTextReader(text).Next(text.str().size()); }

// Sets a field's document to a text as setPlainText does, in pieces.
void SetDocumentText(QPlainTextEdit* edit, const CString& text)
{
    constexpr size_t kPiece = 64 << 10;
    WinTextReader reader(text);
    edit->setPlainText(reader.Next(kPiece));
    if (reader.AtEnd())
        return;
    QTextDocument* doc = edit->document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    while (!reader.AtEnd())
        end.insertText(reader.Next(kPiece));
    end.endEditBlock();
    doc->setUndoRedoEnabled(undo);
}

// What tells one text of a multi-line field from another without a copy
// of it: its blocks' texts, hashed in turn.
size_t DocumentHash(const QTextDocument* doc)
{
    size_t hash = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        hash = qHash(b.text(), hash * 1000003u + 1);
    return hash;
}

CString ToWinText(const QString& q)
{
    std::string out;
    out.reserve(static_cast<size_t>(q.size()) + static_cast<size_t>(q.count(QLatin1Char('\n'))));
    for (QChar c : q) {
        if (c == QLatin1Char('\n'))
            out += "\r\n";
        else
            out += static_cast<char>(vx::UnicodeToCp1252(c.unicode()));
    }
    return CString(std::move(out));
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
        return static_cast<int>(sel.size()) + static_cast<int>(sel.count(QChar(QChar::ParagraphSeparator)))
               + static_cast<int>(sel.count(QChar(QChar::LineSeparator)));
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

bool CEdit::noteText()
{
    auto* t = qobject_cast<QPlainTextEdit*>(GetPeer());
    if (!t) {
        const QString now = qtText();
        if (now == m_lastText)
            return false;
        m_lastText = now;
        return true;
    }
    // A multi-line field may hold megabytes: its length and hash tell a
    // change as well as a second copy would.
    const QTextDocument* doc = t->document();
    const qsizetype length = doc->characterCount();
    const size_t hash = DocumentHash(doc);
    if (length == m_lastLength && hash == m_lastHash)
        return false;
    m_lastLength = length;
    m_lastHash = hash;
    return true;
}

void CEdit::userChanged()
{
    if (m_settingFromCode || !noteText())
        return;
    m_modified = true;
    NotifyCommand(EN_CHANGE);
}

void CEdit::DoSetText(const CString& text)
{
    const bool multiLine = IsMultiLine();
    {
        CodeScope scope(m_settingFromCode);
        if (auto* e = qobject_cast<QLineEdit*>(GetPeer())) {
            e->setText(multiLine ? FromWinText(text) : vx::ToQString(text));
            e->setCursorPosition(0);
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
            if (multiLine)
                SetDocumentText(t, text);
            else
                t->setPlainText(vx::ToQString(text));
        }
        noteText();
        m_modified = false;
    }
    // The window keeps a copy of its own only where no peer holds the text
    // (a multi-line field may hold megabytes). `text` may be that copy.
    CControlWnd::DoSetText(multiLine && GetPeer() ? CString() : text);
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
    if (noteText())
        NotifyCommand(EN_CHANGE);
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
    auto* t = qobject_cast<QPlainTextEdit*>(GetPeer());
    if (!t)
        return 1;
    // A block may hold several lines (see WinTextReader).
    int lines = 0;
    for (QTextBlock b = t->document()->begin(); b.isValid(); b = b.next())
        lines += 1 + static_cast<int>(b.text().count(QChar(QChar::LineSeparator)));
    return std::max(1, lines);
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
