#pragma once
// The About box, reached through the main window's system menu.

#include "resource.h"
#include "win/Dialog.h"

class CAboutDlg : public CDialogEx {
public:
    CAboutDlg() : CDialogEx(IDD_ABOUTBOX) {}
};
