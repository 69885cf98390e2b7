// A picture window laid over a placeholder control. A left click tells the
// parent where the picture was hit (the control page maps it to keys).
#pragma once

#include "platform/Wnd.h"

#include <QImage>

// Posted to the parent on a left click: wParam the window's id,
// lParam x * 65535 + y in client coordinates.
constexpr UINT WM_WNDIMAGE_CLICK = 0x28D2;

class CWndImage : public CWnd {
    VX_DECLARE_DYNAMIC(CWndImage)
public:
    CWndImage();
    ~CWndImage() override;

    // Creates this window at the placeholder's rectangle in the placeholder's
    // parent, with the placeholder's id, and hides the placeholder.
    BOOL CreateOverControl(CWnd* placeholder);
    // Loads the program's bitmap resource id and shows it.
    BOOL SetBitmapFromResource(UINT id, int reserved = 0);
    void SetImage(const QImage& image);
    const QImage& GetImage() const { return m_image; }

    // 1..8; anything else gives 2. 3 stretches the picture over the client
    // area, the others show it at its natural size, centred.
    void SetLayoutMode(int mode);
    int GetLayoutMode() const { return m_layoutMode; }
    // Where the picture is drawn in the client area now.
    CRect GetImageRect() const;

    static LPARAM ClickParam(int x, int y) { return static_cast<LPARAM>(x) * 65535 + y; }

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnLButtonDown(UINT flags, CPoint point) override;

private:
    QImage m_image;
    int m_layoutMode = 2;
};
