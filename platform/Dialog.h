// Dialogs built from the templates in res/ (platform/DialogTemplate.h):
// modeless (Create) and modal (DoModal, through the modal seam), with
// OnInitDialog, DDX/DDV through UpdateData, IDOK/IDCANCEL, Esc and Enter,
// WM_CLOSE, owner drawing and a menu bar.
#pragma once

#include "Controls.h"
#include "DialogTemplate.h"
#include "Wnd.h"

#include <QPointer>

#include <memory>
#include <vector>

class CDataExchange;
class CMenu;
class VxMenuFrame;

constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;

class CDialog : public CWnd {
    VX_DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Modeless: creates the window and its controls, runs OnInitDialog and
    // shows the dialog when its template says visible.
    using CWnd::Create;
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Modal: IDOK, IDCANCEL or what EndDialog was given; -1 when the
    // template is missing. Under the test script the dialog is created and
    // initialised, the script's action runs on it (or OK/Cancel is pressed
    // as the answer says), and nothing blocks.
    virtual INT_PTR DoModal();
    void EndDialog(int result);
    int GetModalResult() const { return m_modalResult; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // FALSE: read the values into the controls; TRUE: read the controls into
    // the values and validate. FALSE when a check failed (the user was told,
    // and the focus is on the control at fault).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Dialog units to pixels, with the program's one fixed mapping.
    void MapDialogRect(RECT* rect) const;
    const vx::DialogTemplate* GetTemplate() const;

    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    // Checks `check` and clears the other buttons with ids first..last.
    void CheckRadioButton(int firstId, int lastId, int checkId);
    // The button that Enter presses (IDOK unless a template or code says).
    DWORD GetDefID() const;
    void SetDefID(UINT id);

    // Binds the template's control id to wnd: wnd gets a window in the
    // control's place (same rectangle, style, text and state) and the
    // template's own control goes. DDX_Control calls it.
    BOOL SubclassDlgItem(UINT id, CWnd* wnd);

    // The menu bar (a menu= template's or one set by code) of a top-level
    // dialog. It lies outside the client area: GetClientRect and all control
    // positions are below it, and the window is taller by its height.
    CMenu* GetMenu() const { return m_menu; }
    BOOL SetMenu(CMenu* menu);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    virtual void DoDataExchange(CDataExchange* dx);
    // WM_DRAWITEM / WM_MEASUREITEM left to the default: the control's own
    // DrawItem / MeasureItem.
    virtual void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
    virtual void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
    // Colours of a static control (ctlColor CTLCOLOR_STATIC): set them on
    // dc and return a brush for the background, or null for the default look.
    virtual HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;

    // Builds the window and its controls from the template; styleRemove and
    // styleAdd adjust the template's dialog style (pages become children).
    BOOL CreateFromTemplate(CWnd* parent, DWORD styleRemove, DWORD styleAdd, const RECT* where);
    // WM_INITDIALOG and the focus on the first control.
    void InitDialogWindow();

    UINT m_templateId = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    CWnd* createControl(const vx::ControlTemplate& c);

    std::vector<std::unique_ptr<CWnd>> m_ownedControls;
    int m_modalResult = -1;
    bool m_inModal = false;
    bool m_ended = false;
    UINT m_defId = 0;
    CMenu* m_menu = nullptr;
    std::unique_ptr<CMenu> m_templateMenu;
    QPointer<VxMenuFrame> m_menuFrame;   // owned by Qt: goes with the window
};
