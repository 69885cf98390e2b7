// What the chart, axis and curve pages share: they live inside the
// property window's tab control, Enter and Escape do nothing in them, OK
// applies (every changed page) and hides the window, Cancel only hides it,
// and Apply (5002) is enabled by any change that validates.
#pragma once

#include "platform/Dialog.h"

class CChartPage;

class CChartSubPage : public CDialog {
    VX_DECLARE_DYNAMIC(CChartSubPage)
public:
    enum { IDC_APPLY = 5002 };

    CChartSubPage(UINT templateId, CChartPage* sheet);

    // Writes the controls' values into the object; false (with the user
    // told) when a value is refused, and then nothing is written.
    virtual bool Apply() = 0;
    // Reads the object into the controls again; Apply is disabled.
    virtual void Reload() = 0;

    bool IsApplyEnabled() const;
    // Edited since the object was last read or written, valid or not.
    bool IsDirty() const { return m_bDirty; }
    void EnableApply(bool enable);
    CChartPage* GetSheet() const { return m_pSheet; }
    void SetSheet(CChartPage* sheet) { m_pSheet = sheet; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void OnOK() override;
    void OnCancel() override;
    void OnApply();
    LRESULT OnColourChanged(WPARAM, LPARAM);
    // Change handlers act only on a page that is shown; true marks the
    // page as edited.
    bool BeginChange();
    void MarkClean() { m_bDirty = false; }
    // Checks without telling anyone (typing "-" on the way to "-5" is not
    // an error yet).
    bool QuietInt(int id, int lo, int hi) const;
    bool QuietDouble(int id) const;
    void Enable(int id, bool enable);
    // An item of a line-style list: a line in pen style item index.
    static void DrawLineStyleItem(LPDRAWITEMSTRUCT dis);
    // The colour an "Automatic" choice stands for.
    static COLORREF DefaultColour();

    CChartPage* m_pSheet = nullptr;
    bool m_bDirty = false;
};
