// The application object: numbers in the C locale, the profile root, the
// program's resources and texts, and the main dialog run modally.
#pragma once

#include "platform/App.h"

class CVX35_3App : public CWinApp {
public:
    CVX35_3App();
    BOOL InitInstance() override;
};

namespace vx {
// What follows the program's language outside its own windows: Qt's own
// dialogs and standard buttons (Qt's translations for German, French and
// Spanish; none for English), the print failure texts and the language the
// libraries below the program load their messages in. Called at
// start-up and at every language switch. False when Qt's translations for
// the language are not installed (the dialogs stay English then).
bool ApplyProgramLanguage(int languageOffset);
} // namespace vx
