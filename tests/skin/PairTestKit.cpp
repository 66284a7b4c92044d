#include "skin/PairTestKit.h"

#include "resource.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"

namespace test {

namespace {

const DWORD kFindTimeoutMs = 5000;
const DWORD kEndTimeoutMs = 3000;

BOOL CALLBACK FindOuter(HWND hWnd, LPARAM param) {
    auto* pair = reinterpret_cast<ShownPair*>(param);
    if (::IsWindowVisible(hWnd) && (::GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_LAYERED)) {
        pair->outer = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindInner(HWND hWnd, LPARAM param) {
    auto* pair = reinterpret_cast<ShownPair*>(param);
    if (::GetWindow(hWnd, GW_OWNER) == pair->outer && ::IsWindowVisible(hWnd)) {
        pair->inner = hWnd;
        return FALSE;
    }
    return TRUE;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(10);
    }
    return true;
}

}  // namespace

LayeredPairParams WithoutFramePicture(LayeredPairParams params) {
    params.outerImageId = IDB_LOGO;  // a bitmap, not a PNG
    return params;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

void RaiseInner(HWND inner) {
    if (inner == nullptr) return;
    ::SetWindowPos(inner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool OpenModeless(CLayeredOuterDlg& outer, UINT templateId, CWnd& owner) {
    if (!outer.Create(templateId, &owner)) return false;
    outer.ShowWindow(SW_SHOWNOACTIVATE);
    PumpFor(30);
    if (outer.Inner() != nullptr) RaiseInner(outer.Inner()->GetSafeHwnd());
    PumpFor(30);
    ::GdiFlush();
    return true;
}

ModalUser::ModalUser(std::function<void(const ShownPair&)> actions)
    : m_actions(std::move(actions)), m_uiThread(::GetCurrentThreadId()) {
    m_thread = ::CreateThread(nullptr, 0, &ModalUser::Run, this, 0, nullptr);
}

ModalUser::~ModalUser() {
    if (m_thread == nullptr) return;
    ::WaitForSingleObject(m_thread, INFINITE);
    ::CloseHandle(m_thread);
}

DWORD WINAPI ModalUser::Run(void* param) {
    static_cast<ModalUser*>(param)->Act();
    return 0;
}

void ModalUser::Act() {
    ShownPair pair;
    m_found = WaitFor(
        [&] {
            pair = {};
            ::EnumThreadWindows(m_uiThread, &FindOuter, reinterpret_cast<LPARAM>(&pair));
            return pair.outer != nullptr;
        },
        kFindTimeoutMs);
    if (!m_found) return;
    ::EnumThreadWindows(m_uiThread, &FindInner, reinterpret_cast<LPARAM>(&pair));
    ::Sleep(100);  // past the restacking
    RaiseInner(pair.inner);
    m_actions(pair);
    if (!WaitFor([&pair] { return !::IsWindow(pair.outer); }, kEndTimeoutMs)) {
        m_gaveUp = true;
        ::PostMessageW(pair.outer, WM_CLOSE, 0, 0);
    }
}

RECT ControlRect(HWND dialog, int id) {
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[256] = {};
    ::GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

void ClickControl(HWND dialog, int id) {
    const RECT rect = ControlRect(dialog, id);
    ClickAt(ScreenPoint(dialog, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
}

}  // namespace test
