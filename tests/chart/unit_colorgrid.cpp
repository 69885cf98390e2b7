// The colour popup's decisions without a window: table, chosen box, keys,
// geometry and the screen clamp.
#include "chart/ColorGridModel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace ColorGrid;

TEST(ColorGrid, FortyNamedColoursInGridOrder)
{
    const struct {
        int index;
        int r, g, b;
        const char* name;
    } samples[] = {
        {0, 0, 0, 0, "Black"},          {1, 165, 42, 0, "Brown"},        {5, 0, 0, 139, "Dark blue"},
        {9, 255, 104, 32, "Orange"},    {14, 123, 123, 192, "Blue-grey"}, {15, 102, 102, 102, "Grey - 40"},
        {23, 127, 127, 127, "Grey - 50"}, {29, 192, 255, 255, "Skyblue"}, {35, 152, 251, 152, "Pale green "},
        {37, 104, 131, 139, "Pale blue"}, {39, 255, 255, 255, "White"},
    };
    for (const auto& s : samples) {
        EXPECT_EQ(At(s.index).color, RGB(s.r, s.g, s.b)) << s.index;
        EXPECT_STREQ(At(s.index).name, s.name) << s.index;
    }
    std::set<COLORREF> colours;
    std::set<std::string> names;
    for (int i = 0; i < kCount; ++i) {
        colours.insert(At(i).color);
        names.insert(At(i).name);
    }
    EXPECT_EQ(colours.size(), 40u);
    EXPECT_EQ(names.size(), 40u);
}

TEST(ColorGrid, InitialColourChoosesItsBox)
{
    EXPECT_EQ(ChosenIndex(CLR_DEFAULT, true, true), kDefaultBox);
    EXPECT_EQ(ChosenIndex(RGB(0, 0, 139), true, true), 5);
    EXPECT_EQ(ChosenIndex(RGB(1, 2, 3), true, true), kCustomBox);
    EXPECT_EQ(ChosenIndex(RGB(1, 2, 3), true, false), kNone);
    // Without an "Automatic" box the automatic colour is just unknown.
    EXPECT_EQ(ChosenIndex(CLR_DEFAULT, false, true), kCustomBox);
}

TEST(ColorGrid, ArrowKeysCycleThroughGridAndTextBoxes)
{
    auto nav = [](int from, Key k, bool def = true, bool custom = true) {
        return Navigate(from, kNone, k, def, custom);
    };
    EXPECT_EQ(nav(33, Key::Down), kCustomBox);
    EXPECT_EQ(nav(kCustomBox, Key::Down), kDefaultBox);
    EXPECT_EQ(nav(kDefaultBox, Key::Down), 0);
    EXPECT_EQ(nav(3, Key::Up), kDefaultBox);
    EXPECT_EQ(nav(kDefaultBox, Key::Up), kCustomBox);
    EXPECT_EQ(nav(kCustomBox, Key::Up), 39);
    EXPECT_EQ(nav(0, Key::Left), kDefaultBox);
    EXPECT_EQ(nav(39, Key::Right), kCustomBox);
    EXPECT_EQ(nav(7, Key::Right), 8);    // wraps into the next row
    EXPECT_EQ(nav(8, Key::Left), 7);
    EXPECT_EQ(nav(12, Key::Down), 20);
    EXPECT_EQ(nav(20, Key::Up), 12);
    // Without the text boxes the grid wraps onto itself.
    EXPECT_EQ(nav(35, Key::Down, false, false), 0);
    EXPECT_EQ(nav(3, Key::Up, false, false), 39);
    EXPECT_EQ(nav(0, Key::Left, false, false), 39);
    EXPECT_EQ(nav(39, Key::Right, false, true), kCustomBox);
    EXPECT_EQ(nav(39, Key::Right, true, false), kDefaultBox);
    // The first key from no box lands on the chosen one, else on box 0.
    EXPECT_EQ(Navigate(kNone, 17, Key::Down, true, true), 17);
    EXPECT_EQ(Navigate(kNone, kNone, Key::Left, true, true), 0);
    EXPECT_EQ(Navigate(kNone, kDefaultBox, Key::Left, false, true), 0);
}

TEST(ColorGrid, GeometryAndHitTestMatchThePaintedBoxes)
{
    const Layout plain = MakeLayout({}, {}, false, false, 2);
    EXPECT_EQ(plain.size.cx, 8 * 18 + 4);
    EXPECT_EQ(plain.size.cy, 5 * 18 + 4);
    EXPECT_EQ(plain.BoxRect(9), CRect(2 + 18, 2 + 18, 2 + 36, 2 + 36));

    // Texts wider than the grid widen the popup.
    const Layout wide = MakeLayout(CSize(200, 13), CSize(80, 13), true, true, 2);
    EXPECT_EQ(wide.size.cx, 204);
    EXPECT_EQ(wide.defaultRect, CRect(2, 2, 202, 13 + 10 + 4));
    const int gridTop = wide.defaultRect.Height() + 2 + 2;
    EXPECT_EQ(wide.BoxRect(0).top, gridTop);
    EXPECT_EQ(wide.customRect.top, 5 * 18 + 4 + wide.defaultRect.Height() + 4);
    EXPECT_EQ(wide.size.cy, wide.customRect.bottom + 4);

    for (int i = 0; i < kCount; ++i) {
        const CRect r = wide.BoxRect(i);
        EXPECT_EQ(wide.HitTest(CPoint(r.left, r.top)), i);
        EXPECT_EQ(wide.HitTest(CPoint(r.right - 1, r.bottom - 1)), i);
    }
    EXPECT_EQ(wide.HitTest(CPoint(10, 5)), kDefaultBox);
    EXPECT_EQ(wide.HitTest(CPoint(100, wide.customRect.top + 3)), kCustomBox);
    // The widened area right of column 7 holds no box (it used to give the
    // next row's boxes).
    EXPECT_EQ(wide.HitTest(CPoint(2 + 8 * 18 + 5, gridTop + 3)), kNone);
    EXPECT_EQ(wide.HitTest(CPoint(0, gridTop + 3)), kNone);
}

TEST(ColorGrid, PopupStaysOnTheScreen)
{
    const CSize screen(800, 600);
    EXPECT_EQ(KeepOnScreen(CRect(100, 100, 250, 300), screen, 20), CRect(100, 100, 250, 300));
    EXPECT_EQ(KeepOnScreen(CRect(700, 100, 850, 300), screen, 20), CRect(650, 100, 800, 300));
    EXPECT_EQ(KeepOnScreen(CRect(-30, 100, 120, 300), screen, 20), CRect(0, 100, 150, 300));
    // Past the bottom it opens above the button.
    EXPECT_EQ(KeepOnScreen(CRect(100, 500, 250, 700), screen, 20), CRect(100, 280, 250, 480));
}
