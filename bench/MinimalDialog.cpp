// A dialog from an in-memory template, the panel's size, filled with one colour; it runs
// until it is closed or its process is ended.

#include "MinimalDialog.h"

#include <windows.h>

namespace {

const int kWidth = 400;  // the control panel's size at 96 dpi
const int kHeight = 600;

INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);  // the brush
            RECT work = {};
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            ::SetWindowPos(hWnd, nullptr, (work.left + work.right - kWidth) / 2,
                           (work.top + work.bottom - kHeight) / 2, kWidth, kHeight, SWP_NOZORDER);
            return TRUE;
        }
        case WM_CTLCOLORDLG:
            return ::GetWindowLongPtrW(hWnd, DWLP_USER);
        case WM_CLOSE:
            ::EndDialog(hWnd, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

// A DLGTEMPLATE with no menu, the default class, an empty title and no controls.
struct Template {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HBRUSH brush = ::CreateSolidBrush(bench::kMinimalDialogColour);
    Template dialog = {};
    dialog.header.style = WS_POPUP | WS_VISIBLE;
    const INT_PTR result = ::DialogBoxIndirectParamW(instance, &dialog.header, nullptr, &DialogProc,
                                                     reinterpret_cast<LPARAM>(brush));
    ::DeleteObject(brush);
    return static_cast<int>(result);
}
