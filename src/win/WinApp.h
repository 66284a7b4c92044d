#pragma once
// The application object: the process has one, and it names the main window that owns
// modal dialogs shown without a parent.

#include "win/Wnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The application object of this process, or null before one exists.
    static CWinApp* Current();

    // The process's work; wWinMain runs it. FALSE ends the process.
    virtual BOOL InitInstance() { return FALSE; }

    CWnd* m_pMainWnd = nullptr;
};
