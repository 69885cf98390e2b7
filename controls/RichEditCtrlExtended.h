// The terminal view of the main dialog: read-only, monospaced, showing the
// bytes the device sent as text or as " [%02X]" groups.
//
// Long measurements pile up megabytes; the view therefore shows only the
// tail of what it is given, so redrawing never costs more than the tail's
// rendering whatever the receive text holds. The view is refreshed many
// times a second while a device streams: bytes added to what it showed are
// rendered alone, and the same bytes again cost nothing.
#pragma once

#include "platform/Controls.h"

#include <QString>

#include <string>

class TerminalView;

class CRichEditCtrlExtended : public CRichEditCtrl {
    VX_DECLARE_DYNAMIC(CRichEditCtrlExtended)
public:
    // Bytes shown at most: as text, and as hex groups (five characters each).
    static constexpr int kTextTailBytes = 32 * 1024;
    static constexpr int kHexTailBytes = 8 * 1024;
    // A second bound on what the widget keeps, in lines.
    static constexpr int kMaxLines = 4000;

    CRichEditCtrlExtended();

    // Replaces the view with the tail of bytes, rendered as text or hex,
    // and keeps the end in view.
    void ShowBytes(const CString& bytes, bool hex);
    void Clear() { SetWindowText(""); }
    // How the last ShowBytes changed the view (for tests).
    enum class Update { None, Append, Replace, Reset };
    Update GetLastUpdate() const { return m_lastUpdate; }

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;
    CString DoGetText() const override;

private:
    // The text as the view holds it for count bytes. As text every byte is
    // shown: CR LF, a lone CR or a lone LF is one line break ('\n'), TAB
    // stays, 0x00 and the other control bytes show as '.'; as hex,
    // " [%02X]" of every byte, taken unsigned. afterCr: the byte before
    // them was a CR, so a leading LF belongs to its line break.
    static QString RenderView(const char* data, int count, bool hex, bool afterCr);
    TerminalView* View() const;
    void Show();

    std::string m_raw;      // the bytes shown
    bool m_rawHex = false;
    QString m_view;         // their rendering; the view shows its last lines
    bool m_known = false;   // m_raw and m_view describe the view
    Update m_lastUpdate = Update::None;
};
