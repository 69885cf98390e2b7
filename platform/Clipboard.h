// Text on the system clipboard, as 1252 bytes on the program's side.
#pragma once

#include "CString.h"

namespace vx {

bool SetClipboardText(const CString& text);
CString GetClipboardText();

} // namespace vx
