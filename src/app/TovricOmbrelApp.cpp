#include "app/TovricOmbrelApp.h"

#include <commctrl.h>

#include "app/OwnDirectoryUse.h"
#include "app/TovricOmbrelDlg.h"
#include "system/ProcessFolders.h"
#include "win/Gdiplus.h"

BOOL CTovricOmbrelApp::InitInstance() {
    win::GdiplusSession gdiplus;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);

    // Held for the process's life, so another instance from this directory keeps it.
    OwnDirectoryUse directoryUse(ProgramDirectory());
    CTovricOmbrelDlg mainWindow(&directoryUse);
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
