// Stands in for the main dialog between a port and one page: takes the
// port's chunks the way the dialog does (append to receive text 0, then
// tell the page), so a page can be tested on a real line without the shell.
#pragma once

#include "app/MyPropertyPage.h"
#include "platform/Wnd.h"

class PageOwner : public CWnd {
public:
    PageOwner(CString& text, CMyPropertyPage& page) : m_text(text), m_page(page)
    {
        VX_ON_MESSAGE(WM_PORT_DATA, OnPortData);
    }
    LRESULT OnPortData(WPARAM count, LPARAM bytes)
    {
        const int n = static_cast<int>(count);
        if (n > 0 && bytes)
            m_text.Append(reinterpret_cast<const char*>(bytes), n);
        if (m_page.IsWindow())
            m_page.OnDataReceived(n, 0);
        return 0;
    }

private:
    CString& m_text;
    CMyPropertyPage& m_page;
};
