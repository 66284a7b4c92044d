#include "win/SubclassWnd.h"

#include <commctrl.h>

namespace {
const UINT_PTR kSubclassId = 0x4F4D;  // one subclass of ours per control
}

CSubclassWnd::~CSubclassWnd() { UnsubclassWindow(); }

bool CSubclassWnd::SubclassWindow(HWND hWnd) {
    if (m_hWnd != nullptr || hWnd == nullptr) return false;
    if (!::SetWindowSubclass(hWnd, &CSubclassWnd::SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_hWnd = hWnd;
    return true;
}

void CSubclassWnd::UnsubclassWindow() {
    if (m_hWnd == nullptr) return;
    ::RemoveWindowSubclass(m_hWnd, &CSubclassWnd::SubclassProc, kSubclassId);
    m_hWnd = nullptr;
}

bool CSubclassWnd::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
    if (message == OCM_DRAWITEM_REFLECTED) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    return false;
}

LRESULT CSubclassWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR /*id*/, DWORD_PTR refData) {
    auto* self = reinterpret_cast<CSubclassWnd*>(refData);
    if (message == WM_NCDESTROY) {
        self->UnsubclassWindow();
        return ::DefSubclassProc(hWnd, message, wParam, lParam);
    }
    // No exception may cross into the system's message dispatch.
    try {
        LRESULT result = 0;
        if (self->OnMessage(message, wParam, lParam, result)) return result;
    } catch (...) {
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}
