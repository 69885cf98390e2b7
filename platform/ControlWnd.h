// The base of the standard controls: creation from a template or by code,
// and the notifications to the parent; the owner-draw structures.
#pragma once

#include "DialogStyles.h"
#include "Wnd.h"

class QObject;
class QWidget;
class CDC;

// ---- Owner drawing ------------------------------------------------------------
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_COMBOBOXEDIT = 0x1000;

// WM_DRAWITEM's lParam. hDC draws into the item's area (client coordinates
// of the control; rcItem is the item's rectangle there).
struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;        // item index; UINT(-1) for an empty combo field
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    CWnd* hwndItem = nullptr;
    CDC* hDC = nullptr;
    RECT rcItem{};
    UINT_PTR itemData = 0;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

// WM_MEASUREITEM's lParam; the handler sets itemHeight.
struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;        // UINT(-1): the selection field of a combo
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    UINT_PTR itemData = 0;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

// Shared by all controls: notifying the parent.
class CControlWnd : public CWnd {
    VX_DECLARE_DYNAMIC(CControlWnd)
public:
    CControlWnd() = default;
    ~CControlWnd() override;
    // Creates the control as a child of parent at rect (pixels).
    BOOL CreateControl(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                       DWORD exStyle = 0);
    // The Create of a control without a text of its own.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style, rect, parent, id);
    }
    using CWnd::Create;

protected:
    // WM_COMMAND to the parent with this control's id and the code.
    void NotifyCommand(UINT code);
    // WM_NOTIFY to the parent; returns the handler's result.
    LRESULT NotifyParent(UINT code, NMHDR* header = nullptr);
    // The receiver of the widget's signals; gone with this object.
    QObject* Ctx();
    // True while code (not the user) changes the widget; signals then stay quiet.
    bool m_settingFromCode = false;

private:
    QObject* m_ctx = nullptr;
};
