#include "skin/LayeredPair.h"

#include <windowsx.h>

#include "skin/ResourceImage.h"
#include "system/StepTimes.h"
#include "win/Gdi.h"
#include "win/LayeredSurface.h"
#include "win/PrivateMessages.h"

namespace {

// Neither key may close or trigger anything in a skinned window.
bool IsEscapeOrEnter(const MSG& msg) {
    return msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN);
}

void DrawStretched(Gdiplus::Image& image, HDC hDC, const RECT& area) {
    Gdiplus::Graphics graphics(hDC);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    const Gdiplus::Rect destination(area.left, area.top, area.right - area.left,
                                    area.bottom - area.top);
    graphics.DrawImage(&image, destination, 0, 0, static_cast<INT>(image.GetWidth()),
                       static_cast<INT>(image.GetHeight()), Gdiplus::UnitPixel);
}

}  // namespace

// ---- inner dialog ----

CLayeredInnerDlg::CLayeredInnerDlg(const LayeredPairParams& params)
    : CDialog(params.innerTemplateId), m_params(params) {}

BOOL CLayeredInnerDlg::PreTranslateMessage(MSG* msg) {
    return IsEscapeOrEnter(*msg) || CDialog::PreTranslateMessage(msg);
}

Gdiplus::Image* CLayeredInnerDlg::BackgroundImage() {
    if (!m_pBkImage) LoadPngResource(m_pBkImage, m_params.innerImageId);
    return m_pBkImage.get();
}

BOOL CLayeredInnerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Without its picture the dialog keeps the template's layout.
    if (BackgroundImage() != nullptr) {
        ConfigureControls();
        LayoutControls();
        m_bLaidOut = true;
    }
    return TRUE;
}

bool CLayeredInnerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_ERASEBKGND:
            PaintBackground(reinterpret_cast<HDC>(wParam));
            result = TRUE;
            return true;
        case WM_SIZE:
            if (m_bLaidOut) LayoutControls();
            return false;
        case WM_NCHITTEST:
            return m_params.Draggable() &&
                   OnNcHitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, result);
        case WM_MOVE:
            if (m_params.Draggable()) OnMove();
            return false;
        default:
            return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

bool CLayeredInnerDlg::OnNcHitTest(POINT screenPoint, LRESULT& result) {
    RECT strip = GetClientRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&strip), 2);
    strip.bottom = strip.top + Truncate(m_fScale * LayeredPairParams::kCaptionHeight);
    strip.right -= Truncate(m_fScale * m_params.captionCutOff);
    m_bDragging = ::PtInRect(&strip, screenPoint) != FALSE;
    if (!m_bDragging) return false;  // the default hit test
    result = HTCAPTION;
    return true;
}

void CLayeredInnerDlg::OnMove() {
    if (!m_bDragging || m_pOuter == nullptr) return;
    const RECT rect = GetWindowRect();
    m_pOuter->FollowInnerRect(rect.left, rect.top, rect.right, rect.bottom);
}

void CLayeredInnerDlg::PaintBackground(HDC hDC) {
    const TimedStep step("paint-inner-background", m_params.innerTemplateId);
    // A picture that failed to load is tried again on the next erase.
    Gdiplus::Image* image = BackgroundImage();
    if (image == nullptr) return;
    const RECT client = GetClientRect();
    if (m_params.erase == InnerErase::Direct) {
        DrawStretched(*image, hDC, client);
        return;
    }
    win::MemoryCanvas canvas(hDC, client.right, client.bottom);
    if (!canvas.IsValid()) return;
    DrawStretched(*image, canvas.Dc(), client);
    canvas.CopyTo(hDC);
}

void CLayeredInnerDlg::OnDestroy() { m_pBkImage.reset(); }

// ---- outer dialog ----

CLayeredOuterDlg::CLayeredOuterDlg(const LayeredPairParams& params, CWnd* parent)
    : CDialog(params.outerTemplateId, parent), m_params(params), m_bMoveInner(params.moveInner) {}

CLayeredOuterDlg::~CLayeredOuterDlg() {
    // While this object is whole, so that the tear-down below runs (inner first).
    DestroyWindow();
}

BOOL CLayeredOuterDlg::PreTranslateMessage(MSG* msg) {
    return IsEscapeOrEnter(*msg) || CDialog::PreTranslateMessage(msg);
}

std::unique_ptr<CLayeredInnerDlg> CLayeredOuterDlg::CreateInner() {
    return std::make_unique<CLayeredInnerDlg>(m_params);
}

RECT CLayeredOuterDlg::TargetRect(const RECT& windowRect) const {
    return {windowRect.left, windowRect.top,
            Truncate(windowRect.left + m_fScale * m_params.designSize.cx),
            Truncate(windowRect.top + m_fScale * m_params.designSize.cy)};
}

RECT CLayeredOuterDlg::ScreenCentredTarget() const {
    const int left =
        ::GetSystemMetrics(SM_CXSCREEN) / 2 - Truncate(m_fScale * m_params.designSize.cx / 2);
    const int top =
        ::GetSystemMetrics(SM_CYSCREEN) / 2 - Truncate(m_fScale * m_params.designSize.cy / 2);
    return {left, top, left + Truncate(m_fScale * m_params.designSize.cx),
            top + Truncate(m_fScale * m_params.designSize.cy)};
}

PairMargins CLayeredOuterDlg::ScaledMargins() const {
    const PairMargins& m = m_params.margins;
    return {Truncate(m_fScale * m.left), Truncate(m_fScale * m.top), Truncate(m_fScale * m.right),
            Truncate(m_fScale * m.bottom)};
}

BOOL CLayeredOuterDlg::OnInitDialog() {
    const TimedStep step("frame-init", m_params.outerTemplateId);
    CDialog::OnInitDialog();
    const RECT window = GetWindowRect();
    const RECT target = TargetRect(window);
    // No template has the bit; or-ing it in keeps it set should one ever have it.
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(GetExStyle() | WS_EX_LAYERED));
    // Without its picture the frame stays empty, and a pair without a frame gets no inner.
    if (!m_pBkImage && !LoadPngResource(m_pBkImage, m_params.outerImageId)) return TRUE;
    PushPicture(target, {window.left, window.top});
    CreateInnerWindow(FirstInnerFrame(GetWindowRect(), target));
    return TRUE;
}

void CLayeredOuterDlg::PushPicture(const RECT& target, POINT position) {
    const TimedStep step("frame-push", m_params.outerTemplateId);
    win::LayeredSurface surface(target.right - target.left, target.bottom - target.top);
    surface.DrawImage(*m_pBkImage);
    surface.PushTo(m_hWnd, position);  // at its own position: the window does not move
}

void CLayeredOuterDlg::CreateInnerWindow(const RECT& frame) {
    const TimedStep step("inner-create", m_params.innerTemplateId);
    m_pInner = CreateInner();
    m_pInner->SetScale(m_fScale);
    m_pInner->m_pOuter = this;
    TimedStep windowCreation("inner-window", m_params.innerTemplateId);
    m_pInner->Create(m_params.innerTemplateId, this);
    windowCreation.End();
    // The first placement scales the sum of the margins, later ones each margin: at some
    // scales the two differ by a pixel.
    const PairMargins& m = m_params.margins;
    m_pInner->MoveWindow(Truncate(frame.left + m_fScale * m.left),
                         Truncate(frame.top + m_fScale * m.top),
                         Truncate((frame.right - frame.left) - m_fScale * (m.left + m.right)),
                         Truncate((frame.bottom - frame.top) - m_fScale * (m.top + m.bottom)));
    m_pInner->ShowWindow(SW_SHOW);
}

bool CLayeredOuterDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_MOVE:
            OnMove();
            return false;
        case WM_SHOWWINDOW:
            if (wParam != 0) PostMessage(WM_RAISE_INNER);
            return false;
        case WM_RAISE_INNER:
            RaiseInner();
            return true;
        default:
            return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

void CLayeredOuterDlg::RaiseInner() {
    // Windows keeps owned windows above their owner. Wine without a window manager stacks
    // the frame, mapped after the inner window, above it, while believing the inner is on
    // top; a round trip through the topmost band restacks it for real, and changes
    // nothing where the stacking was right.
    if (!m_pInner || !m_pInner->IsWindowVisible()) return;
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ::SetWindowPos(m_pInner->GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
    ::SetWindowPos(m_pInner->GetSafeHwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

void CLayeredOuterDlg::OnMove() {
    if (!m_bMoveInner || !m_pInner || !m_pInner->IsWindow()) return;
    const PairMargins margins = ScaledMargins();
    const RECT outer = GetWindowRect();
    m_pInner->MoveWindow(RECT{outer.left + margins.left, outer.top + margins.top,
                              outer.right - margins.right, outer.bottom - margins.bottom});
}

int CLayeredOuterDlg::FollowInnerRect(int left, int top, int right, int bottom) {
    m_bMoveInner = false;  // the inner leads from now on
    const PairMargins margins = ScaledMargins();
    MoveWindow(RECT{left - margins.left, top - margins.top, right + margins.right,
                    bottom + margins.bottom});
    return 0;
}

void CLayeredOuterDlg::OnDestroy() {
    // The system has destroyed the owned inner window already.
    m_pBkImage.reset();
    m_pInner.reset();
}
