#include "StartupBench.h"

#include <memory>

#include "Figures.h"
#include "MinimalDialog.h"
#include "resource.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/ToolRun.h"

namespace bench {

namespace {

const DWORD kStartTimeoutMs = 20000;
const int kColourTolerance = 12;

bool ShowsSamples(HWND window, const FirstPaint& paint) {
    for (const auto& sample : paint.samples(window)) {
        POINT screen = sample.first;
        ::ClientToScreen(window, &screen);
        if (!test::NearColour(test::ScreenPixel(screen), sample.second, kColourTolerance)) {
            return false;
        }
    }
    return true;
}

HWND PaintedWindow(const test::ToolProcess& process, const FirstPaint& paint) {
    for (HWND window : process.Windows()) {
        if (paint.isWatched(window) && ShowsSamples(window, paint)) return window;
    }
    return nullptr;
}

}  // namespace

double TimeToFirstPaint(const std::wstring& program, const FirstPaint& paint,
                        const std::function<void(HWND)>& whilePainted) {
    Stopwatch watch;
    test::ToolProcess process(program);  // ended when it goes out of scope
    if (!process.Started()) return -1;
    for (;;) {
        if (HWND window = PaintedWindow(process, paint)) {
            const double ms = watch.Ms();
            if (whilePainted) whilePainted(window);
            return ms;
        }
        if (watch.Ms() > kStartTimeoutMs) return -1;
        ::Sleep(1);
    }
}

ProcessFigures FiguresAfterStart(const std::wstring& program, const FirstPaint& paint) {
    ProcessFigures figures;
    TimeToFirstPaint(program, paint,
                     [&figures](HWND window) { figures = SettledFiguresOf(window); });
    return figures;
}

FirstPaint ToolPanelPaint() {
    // The picture as the panel stretches it over its client area, made once per size.
    struct Background {
        std::shared_ptr<Gdiplus::Image> picture{test::LoadPicture(IDB_PANEL)};
        test::Pixels stretched;
    };
    auto background = std::make_shared<Background>();
    FirstPaint paint;
    paint.isWatched = [](HWND window) {
        return ::GetDlgItem(window, IDC_DISABLE_BUTTON) != nullptr;
    };
    paint.samples = [background](HWND window) {
        // Points of the panel's background that no control covers, at 96 dpi.
        static const POINT kPoints[] = {{30, 120}, {200, 200}, {370, 450}};
        RECT client = {};
        ::GetClientRect(window, &client);
        test::Pixels& expected = background->stretched;
        if (expected.width != client.right || expected.height != client.bottom) {
            expected = test::RenderOn(background->picture.get(), client.right, client.bottom);
        }
        std::vector<std::pair<POINT, COLORREF>> samples;
        for (POINT point : kPoints) samples.push_back({point, expected.At(point.x, point.y)});
        return samples;
    };
    return paint;
}

FirstPaint MinimalDialogPaint() {
    FirstPaint paint;
    paint.isWatched = [](HWND) { return true; };
    paint.samples = [](HWND window) {
        RECT client = {};
        ::GetClientRect(window, &client);
        const POINT centre = {client.right / 2, client.bottom / 2};
        return std::vector<std::pair<POINT, COLORREF>>{{centre, kMinimalDialogColour}};
    };
    return paint;
}

}  // namespace bench
