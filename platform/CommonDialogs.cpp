#include "platform/CommonDialogs.h"

#include "platform/Modal.h"
#include "platform/Wnd.h"

#include <QColorDialog>
#include <QFont>
#include <QFontDialog>

#include <algorithm>
#include <optional>
#include <cstring>

namespace {

QWidget* PeerOf(CWnd* w) { return w ? w->GetPeer() : nullptr; }

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

std::optional<vx::ModalAnswer> Scripted(vx::ModalKind kind, DWORD flags, const char* title)
{
    vx::ModalRecord call;
    call.kind = kind;
    call.flags = flags;
    call.text = title;
    return vx::ScriptedModal(call);
}

} // namespace

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent)
    : m_color(initial == CLR_DEFAULT ? 0 : initial), m_flags(flags), m_parent(parent)
{
}

int CColorDialog::DoModal()
{
    if (auto answer = Scripted(vx::ModalKind::Color, m_flags, "Color")) {
        if (answer->result == IDOK)
            m_color = answer->value;
        return answer->result == IDOK ? IDOK : IDCANCEL;
    }
    const QColor c = QColorDialog::getColor(ToQColor(m_color), PeerOf(m_parent));
    if (!c.isValid())
        return IDCANCEL;
    m_color = FromQColor(c);
    return IDOK;
}

CFontDialog::CFontDialog(const LOGFONT* initial, DWORD flags, CWnd* parent)
    : m_flags(flags), m_parent(parent)
{
    if (initial)
        m_lf = *initial;
}

LOGFONT CFontDialog::LogFontFrom(const QFont& font)
{
    LOGFONT lf;
    const QByteArray face = font.family().toLatin1();
    std::memcpy(lf.lfFaceName, face.constData(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
    int px = font.pixelSize();
    if (px <= 0)
        px = static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
    lf.lfHeight = -std::max(1, px);
    lf.lfWeight = std::clamp(static_cast<int>(font.weight()), 1, 1000);
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    return lf;
}

int CFontDialog::DoModal()
{
    if (auto answer = Scripted(vx::ModalKind::Font, m_flags, "Font")) {
        if (answer->result != IDOK)
            return IDCANCEL;
        LOGFONT lf;
        const std::string face = answer->text.str();
        std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
        lf.lfHeight = -13;
        lf.lfWeight = FW_NORMAL;
        m_lf = lf;
        m_color = answer->value;
        return IDOK;
    }
    bool ok = false;
    const QFont initial = (m_flags & CF_INITTOLOGFONTSTRUCT) ? CFont::MakeQFont(m_lf) : QFont();
    const QFont f = QFontDialog::getFont(&ok, initial, PeerOf(m_parent));
    if (!ok)
        return IDCANCEL;
    m_lf = LogFontFrom(f);
    if (m_flags & CF_EFFECTS) {
        const QColor c = QColorDialog::getColor(ToQColor(m_color), PeerOf(m_parent), "Text colour");
        if (c.isValid())
            m_color = FromQColor(c);
    }
    return IDOK;
}
