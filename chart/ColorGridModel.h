// What the colour popup decides, without a window: the colour table, which
// box an initial colour selects, where the arrow keys lead, the box
// geometry with its hit test, and keeping the popup on the screen.
#pragma once

#include "platform/Geometry.h"
#include "platform/Types.h"

namespace ColorGrid {

constexpr int kCount = 40;
constexpr int kColumns = 8;
constexpr int kRows = (kCount + kColumns - 1) / kColumns;
constexpr int kBoxSize = 18;
// Box indexes besides 0..kCount-1.
constexpr int kNone = -1;
constexpr int kCustomBox = -2;    // "More Colors..."
constexpr int kDefaultBox = -3;   // "Automatic"

struct Entry {
    COLORREF color;
    const char* name;   // the box's tooltip
};
// Entry i of the table (0..kCount-1).
const Entry& At(int index);
// Table index of a colour, -1 when it is not in the table.
int FindColor(COLORREF color);

// The box an initial colour selects: CLR_DEFAULT the default box (when
// there is one), a table colour its box, anything else the custom box
// (when there is one), else none.
int ChosenIndex(COLORREF initial, bool hasDefault, bool hasCustom);

enum class Key { Up, Down, Left, Right };
// The box a key leads to from current. From no box (-1) the first key
// goes to the chosen box when it exists, else to box 0.
int Navigate(int current, int chosen, Key key, bool hasDefault, bool hasCustom);

// Client-area geometry of the popup.
struct Layout {
    int margin = 2;
    int box = kBoxSize;
    bool hasDefault = false;
    bool hasCustom = false;
    CSize size;            // the window
    CRect defaultRect;     // the "Automatic" box
    CRect customRect;      // the "More Colors..." box with the separator above it
    CRect BoxRect(int index) const;
    // The box under a client point: grid index, kDefaultBox, kCustomBox or
    // kNone. Only the eight painted columns count, even in a widened popup.
    int HitTest(CPoint p) const;
};
// textDefault/textCustom: sizes of the texts in the popup's font (empty
// text: no box).
Layout MakeLayout(CSize textDefault, CSize textCustom, bool hasDefault, bool hasCustom, int margin);

// Moves the popup (screen rectangle) onto a screen of the given size: left
// or right when it sticks out sideways, above the button (of height
// buttonHeight) when it passes the bottom.
CRect KeepOnScreen(CRect window, CSize screen, int buttonHeight);

} // namespace ColorGrid
