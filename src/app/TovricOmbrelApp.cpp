#include "app/TovricOmbrelApp.h"

#include <commctrl.h>

#include "app/TovricOmbrelDlg.h"
#include "win/Gdiplus.h"

BOOL CTovricOmbrelApp::InitInstance() {
    win::GdiplusSession gdiplus;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);

    CTovricOmbrelDlg mainWindow;
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
