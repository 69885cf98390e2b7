#include "controls/RichEditCtrlExtended.h"

#include "platform/Text1252.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <string_view>

VX_IMPLEMENT_DYNAMIC(CRichEditCtrlExtended, CRichEditCtrl)

CRichEditCtrlExtended::CRichEditCtrlExtended() = default;

QWidget* CRichEditCtrlExtended::CreatePeer(QWidget* qtParent)
{
    QWidget* w = CRichEditCtrl::CreatePeer(qtParent);
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        t->setReadOnly(true);
        t->setMaximumBlockCount(kMaxLines);
        t->setUndoRedoEnabled(false);
    }
    return w;
}

CString CRichEditCtrlExtended::RenderText(const char* data, int count)
{
    std::string out;
    out.reserve(static_cast<size_t>(count > 0 ? count : 0) + 16);
    for (int i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < count && data[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else if (c == '\t' || c >= 0x20) {
            out += static_cast<char>(c);
        } else {
            out += '.';
        }
    }
    return CString(std::move(out));
}

CString CRichEditCtrlExtended::RenderHex(const char* data, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(static_cast<size_t>(count > 0 ? count : 0) * 5);
    for (int i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        out += " [";
        out += digits[c >> 4];
        out += digits[c & 0x0F];
        out += ']';
    }
    return CString(std::move(out));
}

QString CRichEditCtrlExtended::RenderView(const char* data, int count, bool hex, bool afterCr)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    if (count <= 0)
        return out;
    out.reserve(hex ? count * 5 : count);
    for (int i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (hex) {
            out += QLatin1String(" [");
            out += QLatin1Char(digits[c >> 4]);
            out += QLatin1Char(digits[c & 0x0F]);
            out += QLatin1Char(']');
        } else if (c == '\r') {
            out += QLatin1Char('\n');
            if (i + 1 < count && data[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            if (!(i == 0 && afterCr))
                out += QLatin1Char('\n');
        } else if (c == '\t' || c >= 0x20) {
            out += QChar(vx::Cp1252ToUnicode(c));
        } else {
            out += QLatin1Char('.');
        }
    }
    return out;
}

void CRichEditCtrlExtended::DoSetText(const CString& text)
{
    CRichEditCtrl::DoSetText(text);
    m_known = false;
}

void CRichEditCtrlExtended::KeepEndInView()
{
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
        // A caret already at the end (text changed there keeps it there)
        // needs no move; moving it makes the widget lay out and notify.
        const QTextCursor caret = t->textCursor();
        if (caret.hasSelection() || !caret.atEnd())
            t->moveCursor(QTextCursor::End);
        if (QScrollBar* bar = t->verticalScrollBar())
            bar->setValue(bar->maximum());
    }
}

void CRichEditCtrlExtended::ShowBytes(const CString& bytes, bool hex)
{
    const int tail = hex ? kHexTailBytes : kTextTailBytes;
    const int start = bytes.GetLength() > tail ? bytes.GetLength() - tail : 0;
    const char* data = bytes.str().data() + start;
    const int count = bytes.GetLength() - start;
    const std::string_view now(data, static_cast<size_t>(count));
    auto* t = qobject_cast<QPlainTextEdit*>(GetPeer());
    QTextDocument* doc = t ? t->document() : nullptr;
    if (!doc || !m_known || hex != m_rawHex) {
        SetWindowText(hex ? RenderHex(data, count) : RenderText(data, count));
        KeepEndInView();
        m_raw.assign(now);
        m_rawHex = hex;
        m_view = RenderView(data, count, hex, false);
        m_known = doc != nullptr;
        m_lastUpdate = Update::Reset;
        return;
    }
    const std::string_view was(m_raw);
    if (now == was) {
        m_lastUpdate = Update::None;
        return;
    }
    // The widget holds m_view less what its line limit dropped at the top.
    const int held = doc->characterCount() - 1;
    const int dropped = static_cast<int>(m_view.size()) - held;
    QString added;
    int removeFront = 0;      // characters taken off the top of the widget
    int replaceFrom = -1;     // else: from here on the widget's text is replaced
    if (now.size() > was.size() && now.substr(0, was.size()) == was) {
        // The receive text grew: render only what came.
        added = RenderView(data + was.size(), count - static_cast<int>(was.size()), hex,
                           !hex && !was.empty() && was.back() == '\r');
        m_view += added;
        m_lastUpdate = Update::Append;
    } else {
        QString view = RenderView(data, count, hex, false);
        // The tail moved on: the newest bytes shown before now begin it.
        // Find where the old text continues in the new one; periodic data
        // may match at several places, and any place that checks out gives
        // the same text.
        int keep = -1;   // characters at the end of m_view that begin view
        const size_t sig = std::min<size_t>(64, was.size());
        const std::string_view mark = was.substr(was.size() - sig);
        size_t p = sig > 0 ? now.rfind(mark) : std::string_view::npos;
        for (int tries = 0; p != std::string_view::npos && tries < 8; ++tries) {
            const size_t len = p + sig;   // bytes at the end of was that begin now
            if (len <= was.size() && now.substr(0, len) == was.substr(was.size() - len)) {
                const size_t gone = was.size() - len;
                int k = static_cast<int>(RenderView(was.data(), static_cast<int>(gone), hex, false).size());
                // A CR LF cut between its bytes: the LF now makes a line break of its own.
                if (!hex && gone > 0 && was[gone - 1] == '\r' && was[gone] == '\n')
                    --k;
                const QStringView rest = QStringView(m_view).mid(k);
                if (QStringView(view).startsWith(rest)) {
                    keep = static_cast<int>(rest.size());
                    removeFront = std::clamp(k - dropped, 0, held);
                    break;
                }
            }
            if (p == 0)
                break;
            p = now.rfind(mark, p - 1);
        }
        if (keep >= 0) {
            added = view.mid(keep);
            m_lastUpdate = Update::Slide;
        } else if (dropped == 0) {
            removeFront = 0;
            int common = 0;
            const int limit = static_cast<int>(std::min(m_view.size(), view.size()));
            while (common < limit && m_view[common] == view[common])
                ++common;
            replaceFrom = common;
            added = view.mid(common);
            m_lastUpdate = Update::Replace;
        } else {
            m_known = false;
            ShowBytes(bytes, hex);
            return;
        }
        m_view = std::move(view);
    }
    m_raw.assign(now);
    // Other bytes, same picture (control bytes all show as '.').
    if (added.isEmpty() && removeFront == 0 && (replaceFrom < 0 || replaceFrom == held)) {
        m_lastUpdate = Update::None;
        return;
    }
    {
        // Changed by code, not typed: the edit's own change tracking stays quiet.
        const bool quiet = m_settingFromCode;
        m_settingFromCode = true;
        QTextCursor c(doc);
        c.beginEditBlock();
        if (removeFront > 0) {
            c.setPosition(0);
            c.setPosition(removeFront, QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
        // Positions, not moves: a move lays out the cursor's block first.
        const int endPos = doc->characterCount() - 1;
        if (replaceFrom >= 0) {
            c.setPosition(replaceFrom);
            c.setPosition(endPos, QTextCursor::KeepAnchor);
        } else {
            c.setPosition(endPos);
        }
        c.insertText(added);
        c.endEditBlock();
        m_settingFromCode = quiet;
    }
    KeepEndInView();
}
