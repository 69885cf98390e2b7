// The interaction decisions without a window: zoom rectangles, wheel and
// key steps, cursors and the read-out texts.
#include "chart/PlotInteract.h"
#include "platform/Messages.h"
#include "platform/RectTracker.h"

#include <gtest/gtest.h>

using namespace PlotInteract;

TEST(InteractZoom, RectIsNormalisedClampedAndMustBeBigEnough)
{
    const CRect plot(50, 20, 350, 250);
    const CRect r = ZoomRect(CPoint(300, 200), CPoint(10, 30), plot);
    EXPECT_EQ(r, CRect(50, 30, 300, 200));
    EXPECT_TRUE(ZoomIsBigEnough(r));
    EXPECT_FALSE(ZoomIsBigEnough(ZoomRect(CPoint(100, 100), CPoint(300, 110), plot)));
    EXPECT_FALSE(ZoomIsBigEnough(ZoomRect(CPoint(100, 100), CPoint(110, 300), plot)));
    EXPECT_TRUE(ZoomIsBigEnough(CRect(0, 0, 15, 15)));
    EXPECT_FALSE(ZoomIsBigEnough(CRect(0, 0, 14, 100)));
}

TEST(InteractWheel, MovesByATenthOfTheWidthInTheWheelDirection)
{
    EXPECT_EQ(WheelStep({0, 10}, -120), (Range{-1, 9}));
    EXPECT_EQ(WheelStep({0, 10}, 120), (Range{1, 11}));
    EXPECT_EQ(WheelStep({-5, 5}, 0), (Range{-4, 6}));
}

TEST(InteractKeys, PlusMinusScaleBothAxesArrowsScrollOne)
{
    Range r;
    ASSERT_TRUE(KeyStep(VK_ADD, true, {0, 100}, 100, &r));
    EXPECT_EQ(r, (Range{10, 90}));
    ASSERT_TRUE(KeyStep(VK_SUBTRACT, false, {0, 100}, 100, &r));
    EXPECT_EQ(r, (Range{-10, 110}));
    // The step comes from the axis's last mapped span, not the range given.
    ASSERT_TRUE(KeyStep(VK_LEFT, true, {0, 100}, 50, &r));
    EXPECT_EQ(r, (Range{5, 105}));
    ASSERT_TRUE(KeyStep(VK_RIGHT, true, {0, 100}, 100, &r));
    EXPECT_EQ(r, (Range{-10, 90}));
    ASSERT_TRUE(KeyStep(VK_UP, false, {0, 100}, 100, &r));
    EXPECT_EQ(r, (Range{-10, 90}));
    ASSERT_TRUE(KeyStep(VK_DOWN, false, {0, 100}, 100, &r));
    EXPECT_EQ(r, (Range{10, 110}));
    EXPECT_FALSE(KeyStep(VK_LEFT, false, {0, 100}, 100, &r));
    EXPECT_FALSE(KeyStep(VK_UP, true, {0, 100}, 100, &r));
    EXPECT_FALSE(KeyStep('A', true, {0, 100}, 100, &r));
    EXPECT_EQ(AxesForKey(VK_HOME), KeyAxes::Both);
    EXPECT_EQ(AxesForKey(VK_DELETE), KeyAxes::None);
    EXPECT_EQ(CursorKeyStep(VK_LEFT, CPoint(5, 5)), CPoint(4, 5));
    EXPECT_EQ(CursorKeyStep(VK_DOWN, CPoint(5, 5)), CPoint(5, 6));
}

TEST(InteractCursor, ShapeFollowsModeAndHover)
{
    EXPECT_EQ(CursorForMode(kModePan, false, false), IDC_SIZEALL);
    EXPECT_EQ(CursorForMode(kModeZoom, false, false), IDC_CROSS);
    EXPECT_EQ(CursorForMode(kModeCursor, false, false), IDC_CROSS);
    EXPECT_EQ(CursorForMode(kModeNone, true, false), IDC_HAND);
    EXPECT_EQ(CursorForMode(kModeNone, false, true), 0);
    EXPECT_EQ(CursorForMode(kModePick, false, true), IDC_SIZENS);
    EXPECT_EQ(CursorForMode(kModePick, true, false), 0);
    EXPECT_EQ(CursorForMode(kModeMeasure, true, true), 0);
    // Over a selected label's tracker: the resize direction of the handle.
    EXPECT_EQ(CursorForTrackerHit(CRectTracker::hitTopLeft), IDC_SIZENWSE);
    EXPECT_EQ(CursorForTrackerHit(CRectTracker::hitBottomLeft), IDC_SIZENESW);
    EXPECT_EQ(CursorForTrackerHit(CRectTracker::hitBottom), IDC_SIZENS);
    EXPECT_EQ(CursorForTrackerHit(CRectTracker::hitLeft), IDC_SIZEWE);
    EXPECT_EQ(CursorForTrackerHit(CRectTracker::hitMiddle), IDC_SIZEALL);
    EXPECT_EQ(CursorForTrackerHit(CRectTracker::hitNothing), 0);
}

TEST(InteractTexts, ReadoutLinesAndNotation)
{
    EXPECT_EQ(AxisReadoutLine('X', 0, "1.50", "s"), CString(" X[01] : 1.50 s\r\n"));
    EXPECT_EQ(AxisReadoutLine('Y', 11, "07.12.2026\n06:00:00", "t"),
              CString(" Y[12] : 07.12.2026 06:00:00 t\r\n"));
    EXPECT_EQ(CurveReadoutLine("Torque", 1, "2.0", "3\r\n.5"), CString(" Torque[02] : 2.0, 3  .5\r\n"));
    EXPECT_EQ(NotationText(4, "2.0", "s", "7.1", "Nm"), CString("[5] : 2.0s,7.1Nm"));
    // A percent sign in a title is text, never a conversion.
    EXPECT_EQ(AxisReadoutLine('Y', 0, "1", "%s%n"), CString(" Y[01] : 1 %s%n\r\n"));
}

TEST(InteractMeasure, ArrowHeadsTurnOnShortLegs)
{
    ArrowHead h, v;
    MeasureArrows(10, 20, 100, 200, &h, &v);
    EXPECT_EQ(h, (ArrowHead{4, 10, 17}));
    EXPECT_EQ(v, (ArrowHead{7, 97, 194}));
    MeasureArrows(10, 20, 16, 26, &h, &v);
    EXPECT_EQ(h, (ArrowHead{5, 13, 23}));
    EXPECT_EQ(v, (ArrowHead{6, 10, 20}));
}
