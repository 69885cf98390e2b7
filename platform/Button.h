// Push buttons, check boxes, radio buttons, group boxes and owner-drawn
// buttons.
#pragma once

#include "ControlWnd.h"

constexpr UINT BN_CLICKED = 0;

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

class CButton : public CControlWnd {
    VX_DECLARE_DYNAMIC(CButton)
public:
    CButton();
    ~CButton() override;
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl(text, style, rect, parent, id);
    }
    using CWnd::Create;

    int GetCheck() const;
    void SetCheck(int check);   // never notifies; radio siblings are left alone
    // As a click by the user: radio and check state change, BN_CLICKED.
    void Click();
    UINT GetButtonType() const { return GetStyle() & BS_TYPEMASK; }
    bool IsRadio() const { return GetButtonType() == BS_AUTORADIOBUTTON; }
    bool IsCheckBox() const;

    // Owner-drawn buttons: the default sends WM_DRAWITEM to the parent.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;

private:
    friend class VxOwnerDrawButton;
    void userClicked();
    void paintOwnerDraw(QWidget* w);
    int m_check = BST_UNCHECKED;
};
