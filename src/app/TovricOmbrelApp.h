#pragma once
// The application: prepares GDI+ and the common controls, then runs the main window; the
// process ends when it closes.

#include "win/WinApp.h"

class CTovricOmbrelApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
