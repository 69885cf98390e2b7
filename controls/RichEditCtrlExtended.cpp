#include "controls/RichEditCtrlExtended.h"

#include "controls/TerminalView.h"
#include "platform/Text1252.h"

#include <algorithm>
#include <string_view>

VX_IMPLEMENT_DYNAMIC(CRichEditCtrlExtended, CRichEditCtrl)

CRichEditCtrlExtended::CRichEditCtrlExtended() = default;

QWidget* CRichEditCtrlExtended::CreatePeer(QWidget* qtParent)
{
    auto* view = new TerminalView(qtParent);
    view->SetMaxLines(kMaxLines);
    SetMonospacedFont(view);
    if (!(GetStyle() & WS_BORDER) && !(GetExStyle() & WS_EX_CLIENTEDGE))
        view->setFrameStyle(QFrame::NoFrame);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (!m_view.isEmpty())
        view->SetText(m_view);
    return view;
}

TerminalView* CRichEditCtrlExtended::View() const { return dynamic_cast<TerminalView*>(GetPeer()); }

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
    CControlWnd::DoSetText(text);
    QString q = vx::ToQString(text);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_view = q;
    if (TerminalView* v = View())
        v->SetText(m_view);
    m_known = false;
}

CString CRichEditCtrlExtended::DoGetText() const
{
    const TerminalView* v = View();
    if (!v)
        return CControlWnd::DoGetText();
    QString q = v->Text();
    q.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return vx::FromQString(q);
}

void CRichEditCtrlExtended::ShowBytes(const CString& bytes, bool hex)
{
    const int tail = hex ? kHexTailBytes : kTextTailBytes;
    const int start = bytes.GetLength() > tail ? bytes.GetLength() - tail : 0;
    const char* data = bytes.str().data() + start;
    const int count = bytes.GetLength() - start;
    const std::string_view now(data, static_cast<size_t>(count));
    if (!m_known || hex != m_rawHex) {
        m_raw.assign(now);
        m_rawHex = hex;
        m_view = RenderView(data, count, hex, false);
        m_known = true;
        m_lastUpdate = Update::Reset;
        Show();
        return;
    }
    const std::string_view was(m_raw);
    if (now == was) {
        m_lastUpdate = Update::None;
        return;
    }
    QString view;
    if (now.size() > was.size() && now.substr(0, was.size()) == was) {
        // The receive text grew: render only what came.
        view = m_view + RenderView(data + was.size(), count - static_cast<int>(was.size()), hex,
                                   !hex && !was.empty() && was.back() == '\r');
        m_lastUpdate = Update::Append;
    } else {
        // Taken out, moved on or changed: the view is the tail's rendering.
        view = RenderView(data, count, hex, false);
        m_lastUpdate = Update::Replace;
    }
    m_raw.assign(now);
    // Other bytes, same picture (control bytes all show as '.').
    if (view == m_view) {
        m_lastUpdate = Update::None;
        return;
    }
    m_view = std::move(view);
    Show();
}

void CRichEditCtrlExtended::Show()
{
    if (TerminalView* v = View())
        v->SetText(m_view);
}
