// The application object: numbers in the C locale, the profile root, the
// program's resources and texts, and the main dialog run modally.
#pragma once

#include "platform/App.h"

class CVX35_3App : public CWinApp {
public:
    CVX35_3App();
    BOOL InitInstance() override;
};
