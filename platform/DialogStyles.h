// Style bits of dialogs and controls. Templates name them by word (see
// res/README.md); code tests and changes them with these constants. The
// numbers are the well-known ones, because a few callers pass styles as
// literal numbers.
#pragma once

#include "Types.h"
#include "Wnd.h" // the WS_* window styles

// Buttons (the low nibble is the button type).
constexpr DWORD BS_PUSHBUTTON = 0x0u;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1u;
constexpr DWORD BS_AUTOCHECKBOX = 0x3u;
constexpr DWORD BS_AUTO3STATE = 0x6u;
constexpr DWORD BS_GROUPBOX = 0x7u;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9u;
constexpr DWORD BS_OWNERDRAW = 0xBu;
constexpr DWORD BS_TYPEMASK = 0xFu;
constexpr DWORD BS_PUSHLIKE = 0x1000u;

// Statics.
constexpr DWORD SS_LEFT = 0x0u;
constexpr DWORD SS_CENTER = 0x1u;
constexpr DWORD SS_RIGHT = 0x2u;
constexpr DWORD SS_BLACKRECT = 0x4u;
constexpr DWORD SS_BITMAP = 0xEu;
constexpr DWORD SS_ETCHEDFRAME = 0x12u;
constexpr DWORD SS_TYPEMASK = 0x1Fu;
constexpr DWORD SS_SUNKEN = 0x1000u;

// Edits.
constexpr DWORD ES_LEFT = 0x0u;
constexpr DWORD ES_CENTER = 0x1u;
constexpr DWORD ES_RIGHT = 0x2u;
constexpr DWORD ES_MULTILINE = 0x4u;
constexpr DWORD ES_UPPERCASE = 0x8u;
constexpr DWORD ES_PASSWORD = 0x20u;
constexpr DWORD ES_AUTOVSCROLL = 0x40u;
constexpr DWORD ES_AUTOHSCROLL = 0x80u;
constexpr DWORD ES_READONLY = 0x800u;
constexpr DWORD ES_WANTRETURN = 0x1000u;
constexpr DWORD ES_NUMBER = 0x2000u;

// Combo boxes.
constexpr DWORD CBS_SIMPLE = 0x1u;
constexpr DWORD CBS_DROPDOWN = 0x2u;
constexpr DWORD CBS_DROPDOWNLIST = 0x3u;
constexpr DWORD CBS_TYPEMASK = 0x3u;
constexpr DWORD CBS_OWNERDRAWFIXED = 0x10u;
constexpr DWORD CBS_AUTOHSCROLL = 0x40u;
constexpr DWORD CBS_SORT = 0x100u;
constexpr DWORD CBS_HASSTRINGS = 0x200u;

// List boxes.
constexpr DWORD LBS_NOTIFY = 0x1u;
constexpr DWORD LBS_SORT = 0x2u;

// Trackbars.
constexpr DWORD TBS_AUTOTICKS = 0x1u;
constexpr DWORD TBS_VERT = 0x2u;
constexpr DWORD TBS_BOTH = 0x8u;
constexpr DWORD TBS_NOTICKS = 0x10u;

// Up-down controls.
constexpr DWORD UDS_WRAP = 0x1u;
constexpr DWORD UDS_SETBUDDYINT = 0x2u;
constexpr DWORD UDS_ALIGNRIGHT = 0x4u;
constexpr DWORD UDS_ALIGNLEFT = 0x8u;
constexpr DWORD UDS_AUTOBUDDY = 0x10u;
constexpr DWORD UDS_ARROWKEYS = 0x20u;
constexpr DWORD UDS_HORZ = 0x40u;
constexpr DWORD UDS_NOTHOUSANDS = 0x80u;

// Date-time pickers.
constexpr DWORD DTS_SHORTDATEFORMAT = 0x0u;
constexpr DWORD DTS_UPDOWN = 0x1u;
constexpr DWORD DTS_SHOWNONE = 0x2u;
constexpr DWORD DTS_TIMEFORMAT = 0x9u;
constexpr DWORD DTS_RIGHTALIGN = 0x20u;
