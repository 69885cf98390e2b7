// Mouse cursors. SetCursor sets the cursor of the window under the mouse
// (the one handling WM_SETCURSOR while it does so). The wait cursor is the
// application's override cursor and nests: each Begin needs its End.
#pragma once

#include "Wnd.h"

// Standard cursors by IDC_ number (Wnd.h); unknown numbers give the arrow.
HCURSOR LoadStandardCursor(HCURSOR idc);
// Returns the cursor set before.
HCURSOR SetCursor(HCURSOR cursor);

namespace vx {

void BeginWaitCursor();
void EndWaitCursor();
// Shows the wait cursor again while a wait is running (after something,
// such as a message box, replaced it).
void RestoreWaitCursor();
bool IsWaitCursorShown();
int WaitCursorDepth();

} // namespace vx

class CWaitCursor {
public:
    CWaitCursor() { vx::BeginWaitCursor(); }
    ~CWaitCursor() { vx::EndWaitCursor(); }
    void Restore() { vx::RestoreWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
