// The device's answer to 'V' among the display lines of keys sent before it.
//
// The answer is one line that ends in the version digits ("VX35 H2 105"
// CR LF). Every menu key the device gets answers with a line of its own
// (its display text; on the measuring screen ESC answers with a lone
// CR LF), and on a slow line those may still be arriving when 'V' goes out.
// A complete line that does not end in a digit is such a line and is
// passed over, so the answer is found by its own layout wherever the
// reader cut the bytes and however late the keys' lines came.
#pragma once

#include "platform/CString.h"

// A line without its end this long is taken as the answer, cut here.
constexpr int kVersionLineCap = 256;
// The whole wait for the answer, from 'V': a device that keeps sending
// display lines must not hold a page without its buttons or display.
constexpr unsigned kVersionStageCapMs = 3000;

struct VersionLineScan {
    int begin = 0; // where the answer starts, or what may still become it
    int end = -1;  // just past the answer; -1 while it is not complete
};

// Scans text (everything received since 'V') from its start.
VersionLineScan ScanVersionLine(const CString& text);
