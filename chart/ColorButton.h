// A push button that shows a colour and opens a grid of named colours under
// itself. The popup reports to the button, the button to its parent (a
// property page), all by sent messages with the colour as wParam; towards
// the parent lParam is the button's control id.
#pragma once

#include "chart/ColorGridModel.h"
#include "platform/Controls.h"
#include "platform/Gdi.h"

class CDataExchange;

constexpr UINT CPN_SELCHANGE = WM_USER + 1001;     // the colour changed (or the box under the mouse)
constexpr UINT CPN_DROPDOWN = WM_USER + 1002;      // the popup opened
constexpr UINT CPN_CLOSEUP = WM_USER + 1003;       // the popup closed
constexpr UINT CPN_SELENDOK = WM_USER + 1004;      // a colour was chosen
constexpr UINT CPN_SELENDCANCEL = WM_USER + 1005;  // the choice was cancelled

class CColorGridPopup;

class CColorButton : public CButton {
    VX_DECLARE_DYNAMIC(CColorButton)
public:
    CColorButton();
    ~CColorButton() override;

    COLORREF GetColour() const { return m_crColour; }
    // Redraws at once when the window exists.
    void SetColour(COLORREF colour);
    COLORREF GetDefaultColour() const { return m_crDefaultColour; }
    void SetDefaultColour(COLORREF colour) { m_crDefaultColour = colour; }
    CString GetDefaultText() const { return m_strDefaultText; }
    void SetDefaultText(const char* text) { m_strDefaultText = text ? text : ""; }
    CString GetCustomText() const { return m_strCustomText; }
    void SetCustomText(const char* text) { m_strCustomText = text ? text : ""; }
    BOOL GetTrackSelection() const { return m_bTrackSelection; }
    void SetTrackSelection(BOOL track) { m_bTrackSelection = track; }
    BOOL IsPopupActive() const { return m_bPopupActive; }
    // The open popup, null when none.
    CColorGridPopup* GetPopup() const;

    // As the user's click: opens the popup.
    void OpenPopup();
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    void Report(UINT msg, COLORREF colour);

    COLORREF m_crColour = CLR_DEFAULT;
    COLORREF m_crDefaultColour;
    CString m_strDefaultText = "Automatic";
    CString m_strCustomText = "More Colors...";
    BOOL m_bPopupActive = FALSE;
    BOOL m_bTrackSelection = FALSE;
    CColorGridPopup* m_pPopup = nullptr;
    std::uint64_t m_popupSerial = 0;
};

// Saving: value := the button's colour; else the button shows value.
void DDX_ColorButton(CDataExchange* dx, int id, COLORREF& value);

class CColorGridPopup : public CWnd {
    VX_DECLARE_DYNAMIC(CColorGridPopup)
public:
    CColorGridPopup();
    ~CColorGridPopup() override;

    // A popup at (x, y) (screen) for colour, reporting to button. FALSE
    // when the window cannot be made (nothing is shown then).
    BOOL Create(CPoint topLeft, COLORREF colour, CWnd* button, const char* defaultText,
                const char* customText);

    int GetCurrent() const { return m_nCurrent; }
    int GetChosen() const { return m_nChosen; }
    COLORREF GetSelectedColour() const { return m_crSelected; }
    COLORREF GetInitialColour() const { return m_crInitial; }
    const ColorGrid::Layout& GetLayout() const { return m_Layout; }
    CToolTipCtrl& GetToolTip() { return m_ToolTip; }
    // Makes a box current and tells the button.
    void ChangeSelection(int index);
    // Ends with CPN_SELENDOK or CPN_SELENDCANCEL: exactly once per popup.
    void EndSelection(UINT msg);
    // The button goes away first: close without a word.
    void Abandon();

protected:
    void OnPaint() override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnKeyDown(UINT nChar, UINT repCnt, UINT flags) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnClose() override;
    void PostNcDestroy() override;
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    void DrawBox(CDC* dc, int index);
    static LOGFONT MakeLogFont();

    ColorGrid::Layout m_Layout;
    int m_nCurrent = ColorGrid::kNone;
    int m_nChosen = ColorGrid::kNone;
    CString m_strDefaultText;
    CString m_strCustomText;
    CFont m_Font;
    COLORREF m_crInitial = 0;
    COLORREF m_crSelected = 0;
    CToolTipCtrl m_ToolTip;
    CWnd* m_pButton = nullptr;
    std::uint64_t m_buttonSerial = 0;
    BOOL m_bChildWindowVisible = FALSE;
    bool m_bEnded = false;
    QObject* m_pAppWatch = nullptr;
};
