// The terminal view of the main dialog: read-only, monospaced, showing the
// bytes the device sent as text or as " [%02X]" groups.
//
// Long measurements pile up megabytes; the view therefore shows only the
// tail of what it is given, so redrawing never costs more than a screenful
// of work whatever the receive text holds.
#pragma once

#include "platform/Controls.h"

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

    // Every byte is shown: CR LF, a lone CR or a lone LF is one line break,
    // TAB stays, 0x00 and the other control bytes show as '.'.
    static CString RenderText(const char* data, int count);
    // " [%02X]" of every byte, taken unsigned.
    static CString RenderHex(const char* data, int count);

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
};
