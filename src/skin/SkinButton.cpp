#include "skin/SkinButton.h"

#include <commctrl.h>
#include <windowsx.h>

#include "skin/ResourceImage.h"
#include "system/StepTimes.h"
#include "win/Gdi.h"

namespace {
const DWORD kHoverTimeMs = 10;
}

void CSkinButton::LoadStateImages(UINT normal, UINT hover, UINT pressed, UINT disabled) {
    const UINT ids[kFaceCount] = {normal, hover, pressed, disabled};
    for (int i = 0; i < kFaceCount; ++i) m_faces[i].SetResource(static_cast<WORD>(ids[i]));
}

void CSkinButton::FreeStateImages() {
    for (LazyPicture& face : m_faces) face.Reset();
}

bool CSkinButton::AllStateImagesLoaded() const {
    for (const LazyPicture& face : m_faces) {
        if (!face.HasPicture()) return false;
    }
    return true;
}

void CSkinButton::SetState(State state) {
    if (m_state == state) return;
    m_state = state;
    Invalidate(true);
}

void CSkinButton::ChangeStateFromMouse(State state, LPARAM point) {
    if (IsWindowEnabled() && CountsMousePoint({GET_X_LPARAM(point), GET_Y_LPARAM(point)})) {
        SetState(state);
    }
}

bool CSkinButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_MOUSEMOVE:
            result = Default(message, wParam, lParam);
            if (IsWindowEnabled() && !m_tracking) {
                TRACKMOUSEEVENT request = {};
                request.cbSize = sizeof(request);
                request.dwFlags = TME_HOVER | TME_LEAVE;
                request.hwndTrack = m_hWnd;
                request.dwHoverTime = kHoverTimeMs;
                m_tracking = ::_TrackMouseEvent(&request) != FALSE;
            }
            return true;
        case WM_MOUSEHOVER:
        case WM_LBUTTONUP:
            ChangeStateFromMouse(kHover, lParam);
            result = Default(message, wParam, lParam);
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:  // the second press of a quick double click
            ChangeStateFromMouse(kPressed, lParam);
            result = Default(message, wParam, lParam);
            return true;
        case WM_MOUSELEAVE:
            result = Default(message, wParam, lParam);
            if (IsWindowEnabled()) SetState(kNormal);
            m_tracking = false;
            return true;
        default:
            return CButton::OnMessage(message, wParam, lParam, result);
    }
}

Gdiplus::Image* CSkinButton::CurrentFace() const {
    if (!IsWindowEnabled()) return m_faces[kDisabledFace].Get();
    switch (m_state) {
        case kNormal:
            return m_faces[kNormalFace].Get();
        case kHover:
            return m_faces[kHoverFace].Get();
        case kPressed:
            return m_faces[kPressedFace].Get();
        default:
            return nullptr;  // disabled by the owner but the window enabled again directly
    }
}

void CSkinButton::PaintFace(HDC target, const RECT& area, bool trimFace) const {
    const TimedStep step("paint-button", ::GetDlgCtrlID(m_hWnd));
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    win::MemoryCanvas canvas(target, width, height);
    if (!canvas.IsValid()) return;
    // White ground first: a slice or face with transparent pixels shows white, not
    // whatever a new bitmap holds.
    ::FillRect(canvas.Dc(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    {
        Gdiplus::Graphics graphics(canvas.Dc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        m_background.Draw(graphics, area);
        if (Gdiplus::Image* face = CurrentFace()) {
            const int trim = trimFace ? 1 : 0;
            graphics.DrawImage(face, Gdiplus::Rect(area.left, area.top, width, height), 0, 0,
                               static_cast<int>(face->GetWidth()) - trim,
                               static_cast<int>(face->GetHeight()) - trim, Gdiplus::UnitPixel);
        }
    }  // GDI+ has flushed into the memory bitmap before it is copied
    canvas.CopyTo(target);
}
