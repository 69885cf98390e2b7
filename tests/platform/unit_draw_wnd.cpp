// Drawing on windows: the paint DC and the client DC share the window's
// surface, so what one draws in NOT-XOR the other can erase exactly.
#include "platform/Dc.h"
#include "platform/Wnd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace {

class Canvas : public CWnd {
public:
    int paints = 0;
    COLORREF fill = RGB(0, 128, 255);

protected:
    void OnPaint() override
    {
        ++paints;
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, fill);
    }
};

} // namespace

TEST(DrawWindow, PaintDcReachesTheScreenAndClientDcDrawsBetweenPaints)
{
    CWnd top;
    ASSERT_TRUE(top.Create(nullptr, "Fenster", WS_POPUP | WS_VISIBLE, CRect(0, 0, 120, 90), nullptr, 0));
    Canvas canvas;
    ASSERT_TRUE(canvas.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 80), &top, 1));
    QCoreApplication::processEvents();   // the window gets exposed
    const QImage shot = canvas.GetPeer()->grab().toImage();
    ASSERT_GE(canvas.paints, 1);
    EXPECT_EQ(shot.pixelColor(50, 30), QColor(0, 128, 255));

    const int paintsBefore = canvas.paints;
    auto cursor = [&canvas] {
        CClientDC dc(&canvas);
        EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 96);
        dc.SetROP2(R2_NOTXORPEN);
        dc.MoveTo(0, 20);
        dc.LineTo(100, 20);
        return dc.GetPixel(50, 20);
    };
    // NOT-XOR of black on RGB(0,128,255) gives its inverse.
    EXPECT_EQ(cursor(), RGB(255, 127, 0));
    {
        CClientDC dc(&canvas);
        EXPECT_EQ(dc.GetPixel(50, 20), RGB(255, 127, 0));   // the surface kept it
    }
    cursor();
    {
        CClientDC dc(&canvas);
        EXPECT_EQ(dc.GetPixel(50, 20), RGB(0, 128, 255));
    }
    // Showing client-DC drawings never runs the window's own painting.
    EXPECT_EQ(canvas.paints, paintsBefore);
    // A client DC that only measures shows nothing.
    int presents = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++*n;
            return false;
        }
    } counter(&presents);
    canvas.GetPeer()->installEventFilter(&counter);
    {
        CClientDC dc(&canvas);
        EXPECT_GT(dc.GetTextExtent(CString("abc")).cx, 0);
    }
    EXPECT_EQ(presents, 0);
    {
        CClientDC dc(&canvas);
        dc.SetPixel(1, 1, RGB(1, 2, 3));
    }
    EXPECT_EQ(presents, 1);
    canvas.GetPeer()->removeEventFilter(&counter);

    // A window resized gets a surface of its new size.
    canvas.MoveWindow(10, 10, 60, 30);
    CClientDC dc(&canvas);
    CRect box;
    dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 60, 30));
    top.DestroyWindow();
}

TEST(DrawWindow, WindowFontsComeFromTheLogfont)
{
    CWnd top;
    ASSERT_TRUE(top.Create(nullptr, "Fenster", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    CFont font;
    font.CreateFont(-15, 0, 0, 0, FW_BOLD, 1, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier New");
    top.SetFont(&font);
    const QFont qf = top.GetPeer()->font();
    EXPECT_EQ(qf.family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(qf.pixelSize(), 15);
    EXPECT_TRUE(qf.bold());
    EXPECT_TRUE(qf.italic());
    top.DestroyWindow();
}

namespace {

// Paints a picture of its own, as the chart does.
class Picture : public CWnd {
public:
    QImage picture;

protected:
    void OnPaint() override
    {
        CPaintDC dc(this);
        dc.ShowPicture(picture);
    }
};

COLORREF SurfacePixel(CWnd& wnd, int x, int y)
{
    CClientDC dc(&wnd);
    return dc.GetPixel(x, y);
}

void NotXorLine(CWnd& wnd, int y)
{
    CClientDC dc(&wnd);
    dc.SetROP2(R2_NOTXORPEN);
    dc.MoveTo(0, y);
    dc.LineTo(100, y);
}

} // namespace

TEST(DrawWindow, AShownPictureIsSharedYetNeitherSideSeesTheOthersDrawings)
{
    CWnd top;
    ASSERT_TRUE(top.Create(nullptr, "Fenster", WS_POPUP | WS_VISIBLE, CRect(0, 0, 120, 90), nullptr, 0));
    Picture pic;
    pic.picture = QImage(100, 70, QImage::Format_RGB32);
    pic.picture.fill(QColor(0, 128, 255));
    ASSERT_TRUE(pic.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 80), &top, 1));
    pic.UpdateWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(pic.GetPeer()->grab().toImage().pixelColor(50, 30), QColor(0, 128, 255));
    EXPECT_EQ(SurfacePixel(pic, 50, 30), RGB(0, 128, 255));

    // The picture drawn on leaves the window alone until it is painted
    // again, and a cursor on the window leaves the picture alone.
    pic.picture.fill(QColor(10, 20, 30));
    EXPECT_EQ(SurfacePixel(pic, 50, 30), RGB(0, 128, 255));
    pic.UpdateWindow();
    NotXorLine(pic, 20);
    EXPECT_EQ(SurfacePixel(pic, 50, 20), RGB(245, 235, 225));
    EXPECT_EQ(pic.picture.pixelColor(50, 20), QColor(10, 20, 30));

    // The next paint shows the new picture; one of another size is drawn
    // at the top left over what was there.
    pic.UpdateWindow();
    EXPECT_EQ(SurfacePixel(pic, 50, 20), RGB(10, 20, 30));
    EXPECT_EQ(pic.GetPeer()->grab().toImage().pixelColor(50, 20), QColor(10, 20, 30));
    pic.picture = QImage(40, 30, QImage::Format_RGB32);
    pic.picture.fill(QColor(200, 0, 0));
    pic.UpdateWindow();
    EXPECT_EQ(SurfacePixel(pic, 20, 20), RGB(200, 0, 0));
    EXPECT_EQ(SurfacePixel(pic, 50, 20), RGB(10, 20, 30));
    top.DestroyWindow();
}
