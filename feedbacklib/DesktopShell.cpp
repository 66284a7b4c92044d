#include "DesktopShell.h"

#include <windows.h>
// windows.h first: the shell headers need its types.
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "win/Bstr.h"

namespace {

// Owns one reference to a COM interface.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    Interface** Put() {
        Reset();
        return &m_pointer;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // The same object seen through another of its interfaces; empty when it has none.
    template <typename Other>
    void QueryInto(REFIID id, ComPtr<Other>& other) const {
        if (m_pointer != nullptr) m_pointer->QueryInterface(id, other.PutVoid());
    }

private:
    void Reset() {
        if (m_pointer != nullptr) m_pointer->Release();
        m_pointer = nullptr;
    }

    Interface* m_pointer = nullptr;
};

// COM for the calling thread for as long as it lives, balanced only when this object's
// own initialisation counted: a thread already in the other apartment keeps it.
class ComApartment {
public:
    ComApartment()
        : m_initialised(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (m_initialised) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_initialised;
};

VARIANT Empty() {
    VARIANT value;
    ::VariantInit(&value);
    return value;
}

VARIANT Integer(LONG number) {
    VARIANT value = Empty();
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}

// The shell application object behind the desktop's folder view, and the desktop
// window's process, which may then bring the browser to the front.
bool FindDesktopShell(ComPtr<IShellDispatch2>& shell, DWORD& desktopProcess) {
    ComPtr<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                  windows.PutVoid()))) {
        return false;
    }
    VARIANT desktop = Integer(CSIDL_DESKTOP);
    VARIANT noRoot = Empty();
    LONG window = 0;
    ComPtr<IDispatch> found;
    // S_FALSE and no object when there is no desktop window.
    if (FAILED(windows->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                     found.Put())) ||
        !found) {
        return false;
    }
    ComPtr<IServiceProvider> services;
    found.QueryInto(IID_IServiceProvider, services);
    ComPtr<IShellBrowser> browser;
    if (!services || FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                                   browser.PutVoid()))) {
        return false;
    }
    ComPtr<IShellView> view;
    if (FAILED(browser->QueryActiveShellView(view.Put())) || !view) return false;
    ComPtr<IDispatch> background;
    if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid()))) {
        return false;
    }
    ComPtr<IShellFolderViewDual> folderView;
    background.QueryInto(IID_IShellFolderViewDual, folderView);
    ComPtr<IDispatch> application;
    if (!folderView || FAILED(folderView->get_Application(application.Put()))) return false;
    application.QueryInto(IID_IShellDispatch2, shell);
    ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)),
                               &desktopProcess);
    return static_cast<bool>(shell);
}

}  // namespace

bool OpenThroughDesktopShell(const std::wstring& address) {
    const ComApartment apartment;
    ComPtr<IShellDispatch2> shell;
    DWORD desktopProcess = 0;
    if (!FindDesktopShell(shell, desktopProcess)) return false;
    // The user clicked in this process: let the desktop hand the focus on to the browser.
    if (desktopProcess != 0) ::AllowSetForegroundWindow(desktopProcess);
    const win::UniqueBstr file = win::MakeBstr(address);
    const win::UniqueBstr verb = win::MakeBstr(L"open");
    if (!file || !verb) return false;
    VARIANT operation = Empty();
    operation.vt = VT_BSTR;
    operation.bstrVal = verb.Get();
    return SUCCEEDED(
        shell->ShellExecute(file.Get(), Empty(), Empty(), operation, Integer(SW_SHOWNORMAL)));
}
