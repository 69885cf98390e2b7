// The system colour and font dialogs, through the modal seam: under the
// test script they show nothing and take the queued answer (colour: value
// is the COLORREF; font: text is the face name, value the text colour and
// result IDOK/IDCANCEL).
#pragma once

#include "platform/Gdi.h"
#include "platform/Types.h"

class CWnd;

constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD CC_ANYCOLOR = 0x00000100;

constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;

class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    virtual ~CColorDialog() = default;
    virtual int DoModal();   // IDOK or IDCANCEL
    COLORREF GetColor() const { return m_color; }

private:
    COLORREF m_color;
    DWORD m_flags;
    CWnd* m_parent;
};

// With CF_EFFECTS the dialog also offers underline, strike-out and a text
// colour (the toolkit's font chooser has no colour, so one is asked after).
class CFontDialog {
public:
    explicit CFontDialog(const LOGFONT* initial = nullptr, DWORD flags = CF_SCREENFONTS | CF_EFFECTS,
                         CWnd* parent = nullptr);
    virtual ~CFontDialog() = default;
    virtual int DoModal();   // IDOK or IDCANCEL
    void GetCurrentFont(LOGFONT* lf) const
    {
        if (lf)
            *lf = m_lf;
    }
    const LOGFONT& GetLogFont() const { return m_lf; }
    COLORREF GetColor() const { return m_color; }

    // The 60-byte record for a toolkit font: height as character pixels.
    static LOGFONT LogFontFrom(const class QFont& font);

private:
    LOGFONT m_lf;
    COLORREF m_color = 0;
    DWORD m_flags;
    CWnd* m_parent;
};
