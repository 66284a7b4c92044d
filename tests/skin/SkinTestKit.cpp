#include "skin/SkinTestKit.h"

#include <algorithm>
#include <cstdlib>

#include "skin/ResourceImage.h"
#include "win/Gdi.h"

namespace test {

namespace {
const int kDialogX = 100;
const int kDialogY = 100;
}  // namespace

SkinTestDialog::SkinTestDialog(UINT templateId, std::vector<std::pair<int, CSubclassWnd*>> controls)
    : CDialog(templateId), m_templateId(templateId), m_controls(std::move(controls)) {}

SkinTestDialog::~SkinTestDialog() { DestroyWindow(); }

bool SkinTestDialog::Open(std::function<void(SkinTestDialog&)> setUp) {
    m_setUp = std::move(setUp);
    if (!Create(m_templateId, nullptr)) return false;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, kDialogX, kDialogY, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(m_hWnd);
    ::RedrawWindow(m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return true;
}

void SkinTestDialog::Place(CWnd& control, int x, int y, int width, int height) {
    control.MoveWindow(x, y, width, height);
    control.UpdateWindow();
}

void SkinTestDialog::DoDataExchange() {
    for (auto& [id, control] : m_controls) Bind(id, *control);
}

BOOL SkinTestDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    // Only the controls under test show, so that none paints over another.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        bool bound = false;
        for (const auto& control : m_controls) bound |= control.second->GetSafeHwnd() == child;
        if (!bound) ::ShowWindow(child, SW_HIDE);
    }
    if (m_setUp) m_setUp(*this);
    return TRUE;
}

bool SkinTestDialog::OnCommand(UINT id, UINT /*code*/, HWND /*control*/) {
    commands.push_back(id);
    return true;
}

void SkinTestDialog::OnDestroy() {
    if (onDestroy) onDestroy();
}

Pixels CaptureClient(HWND hWnd) {
    Pixels pixels;
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    pixels.width = client.right;
    pixels.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win::WindowDC window(hWnd);
    win::UniqueBitmap section(
        ::CreateDIBSection(window.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::UniqueMemoryDC memory(::CreateCompatibleDC(window.Get()));
    if (!section || !memory) return pixels;
    {
        win::SelectObjectGuard selected(memory.Get(), section.Get());
        ::BitBlt(memory.Get(), 0, 0, pixels.width, pixels.height, window.Get(), 0, 0, SRCCOPY);
    }
    ::GdiFlush();
    const auto* bgra = static_cast<const DWORD*>(bits);
    pixels.colours.reserve(pixels.width * pixels.height);
    for (int i = 0; i < pixels.width * pixels.height; ++i) {
        const DWORD value = bgra[i];
        pixels.colours.push_back(RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF));
    }
    return pixels;
}

Pixels RenderOn(Gdiplus::Image* image, int width, int height, COLORREF ground, const RECT* source) {
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    const RECT whole = {0, 0, static_cast<LONG>(image->GetWidth()),
                        static_cast<LONG>(image->GetHeight())};
    if (source == nullptr) source = &whole;
    Gdiplus::Bitmap canvas(width, height, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&canvas);
        graphics.Clear(
            Gdiplus::Color(255, GetRValue(ground), GetGValue(ground), GetBValue(ground)));
        graphics.DrawImage(image, Gdiplus::Rect(0, 0, width, height), source->left, source->top,
                           source->right - source->left, source->bottom - source->top,
                           Gdiplus::UnitPixel);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Gdiplus::Color colour;
            canvas.GetPixel(x, y, &colour);
            pixels.colours.push_back(RGB(colour.GetR(), colour.GetG(), colour.GetB()));
        }
    }
    return pixels;
}

Pixels RenderOnWhite(Gdiplus::Image* image, int width, int height, const RECT* source) {
    return RenderOn(image, width, height, RGB(255, 255, 255), source);
}

bool IsClearAround(const Pixels& onWhite, const Pixels& onBlack, int x, int y, int radius) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px < 0 || py < 0 || px >= onWhite.width || py >= onWhite.height) return false;
            if (onWhite.At(px, py) != RGB(255, 255, 255) || onBlack.At(px, py) != RGB(0, 0, 0)) {
                return false;
            }
        }
    }
    return true;
}

bool SameColour(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

double MeanDifference(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height || a.colours.empty()) return 1e9;
    double sum = 0;
    for (size_t i = 0; i < a.colours.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            sum += std::abs(static_cast<int>((a.colours[i] >> shift) & 0xFF) -
                            static_cast<int>((b.colours[i] >> shift) & 0xFF));
        }
    }
    return sum / (3.0 * static_cast<double>(a.colours.size()));
}

int ClosestPicture(const Pixels& shown, const std::vector<Pixels>& references) {
    const double kCloseEnough = 6.0;  // smoothing at the edges, nothing more
    int best = -1;
    double bestDifference = kCloseEnough;
    for (size_t i = 0; i < references.size(); ++i) {
        const double difference = MeanDifference(shown, references[i]);
        if (difference < bestDifference) {
            best = static_cast<int>(i);
            bestDifference = difference;
        }
    }
    return best;
}

RECT InkBounds(const Pixels& pixels, const RECT& area, std::function<bool(COLORREF)> isInk) {
    RECT bounds = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (!isInk(pixels.At(x, y))) continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    if (bounds.left >= bounds.right) return RECT{};
    return bounds;
}

bool IsDark(COLORREF colour) {
    return GetRValue(colour) < 200 || GetGValue(colour) < 200 || GetBValue(colour) < 200;
}

win::ImagePtr LoadPicture(WORD id) {
    win::ImagePtr image;
    LoadPngResource(image, id);
    return image;
}

POINT ScreenPoint(HWND hWnd, int clientX, int clientY) {
    POINT point = {clientX, clientY};
    ::ClientToScreen(hWnd, &point);
    return point;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            if (done()) return true;
        }
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace test
