// The seam between the date or company header page and its read: the
// page's line, its text field, its "senden" button and its failure boxes.
#pragma once

#include "pages/DateHeaderLogic.h"
#include "pages/PageDeviceLink.h"
#include "platform/Modal.h"

class CDateHeaderPageHost : public TPageDeviceLink<CDeviceTextHost> {
public:
    CDateHeaderPageHost(CMyPropertyPage& page, CString& field, int writeButtonId)
        : TPageDeviceLink<CDeviceTextHost>(page), m_field(field), m_iWriteButton(writeButtonId)
    {
    }
    void ShowText(const CString& text) override
    {
        m_field = text;
        if (m_page.IsWindow())
            m_page.UpdateData(FALSE);
    }
    void EnableWrite(bool enable) override
    {
        if (CWnd* button = m_page.IsWindow() ? m_page.GetDlgItem(m_iWriteButton) : nullptr)
            button->EnableWindow(enable);
    }
    void ShowFailure(UINT germanTextId) override
    {
        AfxMessageBox(m_page.LoadLanguageText(germanTextId), MB_OK | MB_ICONERROR);
    }
    bool IsPortOnline() override { return m_page.IsPortOnline(); }
    bool IsShown() override { return m_page.IsWindow() && m_page.IsWindowVisible(); }

private:
    CString& m_field;
    const int m_iWriteButton;
};
