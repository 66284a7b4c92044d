#include "skin/ScreenCapture.h"

#include <cstdlib>
#include <vector>

#include "win/Gdiplus.h"

namespace test {

namespace {

const wchar_t kBackdropClass[] = L"OmbrelTestBackdrop";

bool PngEncoder(CLSID* clsid) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            *clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

// Fills the window with the brush kept in its user data.
LRESULT CALLBACK BackdropProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client = {};
        ::GetClientRect(hWnd, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client,
                   reinterpret_cast<HBRUSH>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)));
        return TRUE;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace

SolidBackdrop::SolidBackdrop(COLORREF colour)
    : m_colour(colour), m_brush(::CreateSolidBrush(colour)) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &BackdropProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kBackdropClass;
    ::RegisterClassW(&windowClass);  // already registered by an earlier test is fine
    m_hWnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kBackdropClass, L"backdrop", WS_POPUP, 0, 0,
                               ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                               nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_brush.Get()));
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

SolidBackdrop::~SolidBackdrop() { ::DestroyWindow(m_hWnd); }

COLORREF ScreenPixel(POINT point) {
    win::WindowDC screen(nullptr);
    return ::GetPixel(screen.Get(), point.x, point.y);
}

bool NearColour(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool SaveScreenPng(const RECT& area, const std::wstring& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    win::WindowDC screen(nullptr);
    win::UniqueMemoryDC memory(::CreateCompatibleDC(screen.Get()));
    win::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !bitmap) return false;
    {
        win::SelectObjectGuard selected(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY);
    }
    CLSID png;
    if (!PngEncoder(&png)) return false;
    Gdiplus::Bitmap picture(bitmap.Get(), nullptr);
    return picture.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

}  // namespace test
