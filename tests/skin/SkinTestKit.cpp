#include "skin/SkinTestKit.h"

#include <cstdlib>

#include "skin/ResourceImage.h"
#include "win/Gdi.h"

namespace test {

SkinTestDialog::SkinTestDialog(UINT templateId, std::vector<std::pair<int, CSubclassWnd*>> controls)
    : CDialog(templateId), m_templateId(templateId), m_controls(std::move(controls)) {}

bool SkinTestDialog::Open() {
    if (!Create(m_templateId, nullptr)) return false;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(m_hWnd);
    return true;
}

void SkinTestDialog::DoDataExchange() {
    for (auto& [id, control] : m_controls) Bind(id, *control);
}

BOOL SkinTestDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        bool bound = false;
        for (const auto& control : m_controls) bound |= control.second->GetSafeHwnd() == child;
        if (!bound) ::ShowWindow(child, SW_HIDE);
    }
    return TRUE;
}

bool SkinTestDialog::OnCommand(UINT id, UINT /*code*/, HWND /*control*/) {
    commands.push_back(id);
    return true;
}

Pixels Pixels::Crop(const RECT& area) const {
    Pixels part{area.right - area.left, area.bottom - area.top, {}};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) part.colours.push_back(At(x, y));
    }
    return part;
}

Pixels CaptureClient(HWND hWnd) {
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    Pixels pixels{client.right, client.bottom, {}};
    win::WindowDC dc(hWnd);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) pixels.colours.push_back(::GetPixel(dc.Get(), x, y));
    }
    return pixels;
}

Pixels RenderOn(Gdiplus::Image* image, int width, int height, const RECT* source, COLORREF ground) {
    const RECT whole = {0, 0, static_cast<LONG>(image->GetWidth()),
                        static_cast<LONG>(image->GetHeight())};
    if (source == nullptr) source = &whole;
    Gdiplus::Bitmap canvas(width, height, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&canvas);
        graphics.Clear(Gdiplus::Color(GetRValue(ground), GetGValue(ground), GetBValue(ground)));
        graphics.DrawImage(image, Gdiplus::Rect(0, 0, width, height), source->left, source->top,
                           source->right - source->left, source->bottom - source->top,
                           Gdiplus::UnitPixel);
    }
    Pixels pixels{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Gdiplus::Color colour;
            canvas.GetPixel(x, y, &colour);
            pixels.colours.push_back(colour.ToCOLORREF());
        }
    }
    return pixels;
}

int ClosestPicture(const Pixels& shown, const std::vector<Pixels>& references) {
    double best = 6.0;  // mean difference per channel: smoothing at the edges, nothing more
    int closest = -1;
    for (size_t i = 0; i < references.size(); ++i) {
        const Pixels& picture = references[i];
        if (picture.width != shown.width || picture.height != shown.height) continue;
        double sum = 0;
        for (size_t p = 0; p < shown.colours.size(); ++p) {
            for (int shift : {0, 8, 16}) {
                sum += std::abs(static_cast<int>((shown.colours[p] >> shift) & 0xFF) -
                                static_cast<int>((picture.colours[p] >> shift) & 0xFF));
            }
        }
        const double difference = sum / (3.0 * static_cast<double>(shown.colours.size()));
        if (difference < best) {
            best = difference;
            closest = static_cast<int>(i);
        }
    }
    return closest;
}

std::vector<Pixels> RenderAll(const std::vector<WORD>& ids, int width, int height) {
    std::vector<Pixels> pictures;
    for (WORD id : ids) pictures.push_back(RenderOn(LoadPicture(id).get(), width, height));
    return pictures;
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
