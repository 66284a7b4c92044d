#include "support/ReceiverWindow.h"

namespace test {

namespace {
const wchar_t kClassName[] = L"OmbrelTestReceiver";
}

ReceiverWindow::ReceiverWindow(UINT first, UINT last) : m_first(first), m_last(last) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &ReceiverWindow::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);  // already registered by an earlier test is fine
    m_hWnd = ::CreateWindowExW(0, kClassName, L"receiver", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                               nullptr, ::GetModuleHandleW(nullptr), this);
}

ReceiverWindow::~ReceiverWindow() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK ReceiverWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ReceiverWindow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self != nullptr && message >= self->m_first && message <= self->m_last) {
        ReceivedMessage received = {message, wParam, lParam};
        self->m_received.push_back(received);
        if (self->onMessage) self->onMessage(received);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

bool PumpUntilSignalled(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        DWORD wait = ::MsgWaitForMultipleObjects(1, &handle, FALSE,
                                                 static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) return true;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void PumpFor(DWORD ms) {
    HANDLE never = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PumpUntilSignalled(never, ms);
    ::CloseHandle(never);
}

}  // namespace test
