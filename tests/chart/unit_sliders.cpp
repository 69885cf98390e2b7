// The range slider's interval rules and messages, the nice slider's click
// position, and the memory context.
#include "chart/MemDC.h"
#include "chart/NiceSliderCtrl.h"
#include "chart/RangeSlider.h"
#include "tests/support/PaintCounter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QWidget>

#include <cmath>
#include <vector>

namespace {

class Recorder : public CWnd {
public:
    std::vector<WPARAM> changes;
    CRangeSlider* slider = nullptr;
    std::vector<std::pair<double, double>> seen;
    std::vector<WPARAM> scrolls;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_HSCROLL) {
            scrolls.push_back(w);
            return 0;
        }
        if (msg == RangeSliderChangedMessage()) {
            changes.push_back(w);
            if (slider) {
                double a, b;
                slider->GetRange(a, b);
                seen.emplace_back(a, b);
            }
            return 0;
        }
        return CWnd::WindowProc(msg, w, l);
    }
};

class Slider : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent.Create("VxTestParent", "parent", WS_OVERLAPPED, CRect(0, 0, 300, 100), nullptr, 0);
        // 220 x 20: thumbs of 15 px, 190 px of range.
        ASSERT_TRUE(slider.Create(WS_VISIBLE, CRect(0, 0, 220, 20), &parent, 4712));
        slider.SetNotifyWnd(&rec);
        rec.slider = &slider;
    }
    void TearDown() override
    {
        slider.DestroyWindow();
        parent.DestroyWindow();
    }
    CWnd parent;
    Recorder rec;
    CRangeSlider slider;
};

}  // namespace

TEST_F(Slider, NormalisationSendsOneMessagePerCorrection)
{
    slider.SetMinMax(0, 100);
    slider.SetRange(-5, 50);
    ASSERT_EQ(rec.changes, (std::vector<WPARAM>{0}));
    double l, r;
    slider.GetRange(l, r);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, 50);

    rec.changes.clear();
    slider.SetRange(150, 120);
    // Right clamped to max first, then left follows it.
    EXPECT_EQ(rec.changes, (std::vector<WPARAM>{1, 0}));
    slider.GetRange(l, r);
    EXPECT_EQ(l, 100);
    EXPECT_EQ(r, 100);
}

TEST_F(Slider, KeysMoveByOnePixelStep)
{
    slider.SetMinMax(0, 190);
    slider.SetRange(10, 20);
    rec.changes.clear();
    slider.HandleKey(VK_RIGHT, true, false);
    double l, r;
    slider.GetRange(l, r);
    EXPECT_DOUBLE_EQ(l, 10);
    EXPECT_DOUBLE_EQ(r, 21);
    slider.HandleKey(VK_LEFT, false, false);
    slider.GetRange(l, r);
    EXPECT_DOUBLE_EQ(l, 9);
    EXPECT_DOUBLE_EQ(r, 20);
    EXPECT_EQ(rec.changes, (std::vector<WPARAM>{1, 2}));
    slider.HandleKey(VK_RIGHT, false, true);  // Ctrl held: nothing
    EXPECT_EQ(rec.changes.size(), 2u);

    // An empty range: no step, no change, no NaN.
    slider.SetMinMax(5, 5);
    rec.changes.clear();
    slider.HandleKey(VK_RIGHT, false, false);
    slider.GetRange(l, r);
    EXPECT_TRUE(std::isfinite(l) && std::isfinite(r));
    EXPECT_TRUE(rec.changes.empty());
    QImage img(220, 20, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    slider.PaintTo(&dc, CRect(0, 0, 220, 20));
    dc.DeleteDC();
}

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

// A following chart hands the slider a new range every refresh whose picture
// is the same (the interval fills the whole range): no paint for that; a
// change the user can see still paints.
TEST_F(Slider, RepaintsOnlyWhenItsPictureChanges)
{
    parent.ShowWindow(SW_SHOW);
    slider.SetMinMax(0, 10);
    slider.SetRange(0, 10);
    slider.SetVisualMinMax(0, 10);
    Settle();
    PaintCounter counter(slider.GetPeer());
    for (int i = 1; i <= 5; ++i) {
        slider.SetAll(i, 10 + i, i, 10 + i, i, 10 + i);
        Settle();
    }
    EXPECT_EQ(counter.paints, 0);

    slider.SetRange(8, 12);
    Settle();
    EXPECT_EQ(counter.paints, 1);
    slider.SetRange(8, 12);
    Settle();
    EXPECT_EQ(counter.paints, 1);

    // Pressing the left thumb (57..72 px) shows it pressed without a move.
    slider.OnLButtonDown(0, CPoint(60, 10));
    Settle();
    EXPECT_EQ(counter.paints, 2);
    slider.OnLButtonUp(0, CPoint(60, 10));
    Settle();
    EXPECT_EQ(counter.paints, 3);
}

TEST_F(Slider, DraggingKeepsTheGrabbedPointUnderTheMouse)
{
    slider.SetMinMax(0, 190);
    slider.SetRange(50, 100);
    QImage img(220, 20, QImage::Format_RGB32);
    CDC dc;
    dc.AttachImage(&img);
    slider.PaintTo(&dc, CRect(0, 0, 220, 20));
    dc.DeleteDC();

    // Press on the interval and release without moving: nothing changes.
    const int mid = 15 + 75;
    slider.OnLButtonDown(0, CPoint(mid, 10));
    ASSERT_TRUE(slider.IsDragging());
    slider.OnMouseMove(MK_LBUTTON, CPoint(mid, 10));
    slider.OnLButtonUp(0, CPoint(mid, 10));
    double l, r;
    slider.GetRange(l, r);
    EXPECT_DOUBLE_EQ(l, 50);
    EXPECT_DOUBLE_EQ(r, 100);

    // Drag the interval far right: it stops at max with its width.
    slider.OnLButtonDown(0, CPoint(mid, 10));
    slider.OnMouseMove(MK_LBUTTON, CPoint(mid + 10, 10));
    slider.GetRange(l, r);
    EXPECT_DOUBLE_EQ(l, 60);
    slider.OnMouseMove(MK_LBUTTON, CPoint(mid + 500, 10));
    slider.OnLButtonUp(0, CPoint(mid + 500, 10));
    slider.GetRange(l, r);
    EXPECT_DOUBLE_EQ(r, 190);
    EXPECT_DOUBLE_EQ(r - l, 50);
    EXPECT_EQ(rec.changes.back(), 2u);

    // The left thumb follows the mouse one to one.
    slider.SetRange(50, 100);
    slider.OnLButtonDown(0, CPoint(52, 10));
    slider.OnMouseMove(MK_LBUTTON, CPoint(42, 10));
    slider.OnLButtonUp(0, CPoint(42, 10));
    slider.GetRange(l, r);
    EXPECT_DOUBLE_EQ(l, 40);
}

TEST(NiceSlider, ClickPositionFromTheChannel)
{
    EXPECT_EQ(CNiceSliderCtrl::PositionFromPoint(25, 0, 100, 0, 10000), 2500);
    EXPECT_EQ(CNiceSliderCtrl::PositionFromPoint(110, 10, 210, 0, 10000), 5000);
    EXPECT_EQ(CNiceSliderCtrl::PositionFromPoint(5, 7, 7, 3, 10000), 3);
}

TEST(NiceSlider, ThumbJumpsToTheClickAndReportsTrackThenPosition)
{
    CWnd parent;
    ASSERT_TRUE(parent.Create("VxTestParent", "parent", WS_OVERLAPPED, CRect(0, 0, 300, 100), nullptr, 0));
    parent.ShowWindow(SW_SHOW);
    Recorder rec;
    CNiceSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 240, 30), &parent, 4711));
    slider.SetNotifyWnd(&rec);
    slider.SetRange(0, 10000);
    CRect ch;
    slider.GetChannelRect(&ch);
    ASSERT_GT(ch.Width(), 0);
    const CPoint quarter(ch.left + ch.Width() / 4, ch.CenterPoint().y);
    slider.OnLButtonDown(MK_LBUTTON, quarter);
    const int expected = CNiceSliderCtrl::PositionFromPoint(quarter.x, ch.left, ch.right, 0, 10000);
    EXPECT_EQ(slider.GetPos(), expected);
    EXPECT_NEAR(expected, 2500, 10000 / ch.Width() + 1);
    slider.OnLButtonUp(0, quarter);
    vx::ProcessPendingMessages();
    ASSERT_EQ(rec.scrolls.size(), 2u);
    EXPECT_EQ(rec.scrolls[0], (static_cast<WPARAM>(expected) << 16) | 5u);
    EXPECT_EQ(rec.scrolls[1], (static_cast<WPARAM>(expected) << 16) | 4u);

    // Press and release in place: nothing moved, nothing reported.
    rec.scrolls.clear();
    slider.OnLButtonDown(MK_LBUTTON, quarter);
    slider.OnLButtonUp(0, quarter);
    vx::ProcessPendingMessages();
    EXPECT_TRUE(rec.scrolls.empty());
    slider.DestroyWindow();
    parent.DestroyWindow();
}

TEST(MemDC, CopiesItsPictureBackWhenTheScopeEnds)
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    CDC target;
    target.AttachImage(&img);
    target.SetBkColor(RGB(0, 0, 255));
    {
        CMemDC mem(&target, CRect(0, 0, 40, 30), CRect(0, 0, 40, 30));
        ASSERT_TRUE(mem.IsMemory());
        const CRect r(10, 10, 20, 20);
        mem.GetDC()->FillSolidRect(&r, RGB(255, 0, 0));
        EXPECT_EQ(img.pixel(15, 15), QColor(Qt::white).rgb());
    }
    EXPECT_EQ(img.pixel(15, 15), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(2, 2), qRgb(0, 0, 255));
    target.DeleteDC();
}
