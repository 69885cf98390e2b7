#pragma once

#include "platform/CString.h"

// The program's texts: id = 5100 + language offset + index (German 5100,
// English 6100, French 7100, Spanish 8100). Indices 0-109 are the original
// set; the messages this program adds for what the original left unsaid
// take 110 and up. A text a
// language lacks falls back to English, then German, so a control is never
// blanked.
namespace vx {

constexpr int kLanguageGerman = 0;
constexpr int kLanguageEnglish = 1000;
constexpr int kLanguageFrench = 2000;
constexpr int kLanguageSpanish = 3000;
constexpr UINT kStringBase = 5100;
constexpr int kStringsPerLanguage = 200;

bool LookupProgramString(UINT id, CString& out);
// Makes CString::LoadString read this table.
void InstallStringTable();
// LoadString with the language offset added; empty when there is no text.
CString LoadText(UINT germanId, int languageOffset);

} // namespace vx
