#include "win/Dialog.h"

#include "win/PrivateMessages.h"
#include "win/WinApp.h"

namespace {

const wchar_t kDialogProperty[] = L"Ombrel.CDialog";

// Messages whose result a dialog procedure returns itself instead of in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

// The style that a dialog template asks for; the dialog manager shows a WS_VISIBLE
// dialog only after its initialisation, so the window itself cannot tell.
DWORD TemplateStyle(UINT templateId) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = resource != nullptr ? ::LoadResource(module, resource) : nullptr;
    const auto* words =
        static_cast<const WORD*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    if (words == nullptr) return 0;
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;  // DLGTEMPLATEEX
    const auto* style = reinterpret_cast<const DWORD*>(extended ? words + 6 : words);
    return *style;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    // Derived classes destroy their windows themselves; this only keeps a window from
    // outliving its object.
    if (IsWindow()) ::DestroyWindow(m_hWnd);
}

CDialog* CDialog::FromHandle(HWND hWnd) {
    return hWnd != nullptr ? static_cast<CDialog*>(::GetPropW(hWnd, kDialogProperty)) : nullptr;
}

HWND CDialog::ModalOwner() const {
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (owner == nullptr) {
        CWinApp* app = CWinApp::Current();
        if (app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd != this &&
            app->m_pMainWnd->IsWindow()) {
            owner = ::GetLastActivePopup(app->m_pMainWnd->GetSafeHwnd());
        }
    }
    // Only top-level windows own dialogs.
    while (owner != nullptr && (::GetWindowLongW(owner, GWL_STYLE) & WS_CHILD)) {
        owner = ::GetParent(owner);
    }
    return owner;
}

INT_PTR CDialog::DoModal() {
    const HWND owner = ModalOwner();
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);

    m_modal = true;
    m_endRequested = false;
    m_result = -1;
    HWND hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                     owner, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    bool quit = false;
    WPARAM quitCode = 0;
    if (hWnd != nullptr && !m_endRequested) {
        ::ShowWindow(hWnd, SW_SHOW);
        MSG msg;
        while (!m_endRequested && IsWindow()) {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                quit = true;
                quitCode = msg.wParam;
                break;
            }
            if (got == -1) break;
            if (!WalkPreTranslate(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    // The owner is enabled before the dialog goes, so activation returns to it.
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    if (IsWindow()) ::DestroyWindow(m_hWnd);
    m_modal = false;
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return m_result;
}

bool CDialog::Create(UINT templateId, CWnd* owner) {
    m_templateId = templateId;
    m_modal = false;
    HWND hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                     owner != nullptr ? owner->GetSafeHwnd() : nullptr,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (!m_modal) {
        DestroyWindow();
        return;
    }
    m_result = result;
    m_endRequested = true;
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
}

bool CDialog::DestroyWindow() { return IsWindow() && ::DestroyWindow(m_hWnd); }

BOOL CDialog::PreTranslateMessage(MSG* msg) { return ::IsDialogMessageW(m_hWnd, msg); }

bool CDialog::WalkPreTranslate(MSG* msg) {
    // From the target window up through parents and owners, like the framework does.
    for (HWND hWnd = msg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CDialog* dialog = FromHandle(hWnd);
        if (dialog != nullptr && dialog->PreTranslateMessage(msg)) return true;
    }
    return false;
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::Bind(int id, CSubclassWnd& control) { control.SubclassWindow(GetDlgItem(id)); }

void CDialog::CenterWindow() {
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(
        ::MonitorFromWindow(owner != nullptr ? owner : m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT work = monitor.rcWork;
    RECT area = work;
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    }
    const RECT self = GetWindowRect();
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    int x = (area.left + area.right) / 2 - width / 2;
    int y = (area.top + area.bottom) / 2 - height / 2;
    // Keep the dialog on the work area.
    if (x + width > work.right) x = work.right - width;
    if (x < work.left) x = work.left;
    if (y + height > work.bottom) y = work.bottom - height;
    if (y < work.top) y = work.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::HandleInitDialog() {
    // Centred after initialisation only when it was hidden and initialisation left it
    // where the template put it.
    const bool wasHidden = !(TemplateStyle(m_templateId) & WS_VISIBLE);
    const RECT before = GetWindowRect();
    BOOL result = FALSE;
    try {
        result = OnInitDialog();
    } catch (...) {
    }
    if (IsWindow() && wasHidden) {
        const RECT after = GetWindowRect();
        if (after.left == before.left && after.top == before.top) CenterWindow();
    }
    return result;
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            if (id == IDOK) {
                OnOK();
                return true;
            }
            if (id == IDCANCEL) {
                OnCancel();
                return true;
            }
            return OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        }
        case WM_CLOSE:
            OnCancel();
            return true;
        case WM_TIMER:
            OnTimer(wParam);
            return true;
        case WM_DRAWITEM: {
            // Reflected to the control, which draws itself.
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            result = ::SendMessageW(item->hwndItem, OCM_DRAWITEM_REFLECTED, wParam, lParam);
            return true;
        }
        case WM_DESTROY:
            OnDestroy();
            return false;  // the system's own clean-up runs as well
        default:
            return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = hWnd;
        ::SetPropW(hWnd, kDialogProperty, self);
        return self->HandleInitDialog();
    }
    CDialog* self = FromHandle(hWnd);
    if (self == nullptr) return FALSE;
    if (message == WM_NCDESTROY) {
        ::RemovePropW(hWnd, kDialogProperty);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    // No exception may cross into the system's message dispatch.
    try {
        LRESULT result = 0;
        if (!self->OnMessage(message, wParam, lParam, result)) return FALSE;
        if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}
