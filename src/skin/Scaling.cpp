#include "skin/Scaling.h"

#include "win/Gdi.h"

float ScaleForDpi(int dpi) { return dpi > 100 ? static_cast<float>(dpi / 96.0) : 1.0f; }

float ScreenScale() {
    win::WindowDC screen(nullptr);
    if (screen.Get() == nullptr) return 1.0f;
    return ScaleForDpi(::GetDeviceCaps(screen.Get(), LOGPIXELSY));
}
