#include "app/TovricOmbrelApp.h"

#include <commctrl.h>

#include "app/OwnDirectoryUse.h"
#include "app/TovricOmbrelDlg.h"
#include "resource.h"
#include "skin/BackgroundDecode.h"
#include "system/ProcessFolders.h"
#include "system/StepTimes.h"
#include "win/Gdiplus.h"

BOOL CTovricOmbrelApp::InitInstance() {
    TimedStep gdiplusStart("gdiplus-start");
    win::GdiplusSession gdiplus;
    gdiplusStart.End();
    // The first paint's two large pictures decode while the windows are being created.
    BackgroundDecode firstPictures({IDB_MAIN_FRAME, IDB_PANEL});
    {
        TimedStep step("common-controls");
        INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
        ::InitCommonControlsEx(&controls);
    }

    // Held for the process's life, so another instance from this directory keeps it.
    OwnDirectoryUse directoryUse(ProgramDirectory());
    CTovricOmbrelDlg mainWindow(&directoryUse, &firstPictures);
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
