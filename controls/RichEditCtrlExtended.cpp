#include "controls/RichEditCtrlExtended.h"

#include <QPlainTextEdit>
#include <QScrollBar>

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

void CRichEditCtrlExtended::ShowBytes(const CString& bytes, bool hex)
{
    const int tail = hex ? kHexTailBytes : kTextTailBytes;
    const int start = bytes.GetLength() > tail ? bytes.GetLength() - tail : 0;
    const char* data = bytes.str().data() + start;
    const int count = bytes.GetLength() - start;
    SetWindowText(hex ? RenderHex(data, count) : RenderText(data, count));
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
        t->moveCursor(QTextCursor::End);
        if (QScrollBar* bar = t->verticalScrollBar())
            bar->setValue(bar->maximum());
    }
}
