#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "skin/LayeredPair.h"
#include "skin/ResourceImage.h"
#include "skin/ScreenCapture.h"
#include "support/GdiObjects.h"
#include "support/RealInput.h"
#include "support/ReceiverWindow.h"

namespace {

const COLORREF kBackdropGreen = RGB(0, 255, 0);
const UINT kEndProbe = 0x7A0;  // a command the probe outer answers with EndDialog(kEndProbe)
const WORD kNoPicture = 190;   // a bitmap, not a PNG: LoadPngResource fails

// What the windows of a pair went through, in order.
using EventLog = std::vector<std::string>;

struct InnerPlacement {
    RECT outer;
    RECT inner;
};

class ProbeInner : public CLayeredInnerDlg {
public:
    ProbeInner(const LayeredPairParams& params, EventLog& log, bool dragFlagAtStart)
        : CLayeredInnerDlg(params), m_log(log) {
        m_bDragging = dragFlagAtStart ? 1 : 0;
    }
    ~ProbeInner() override { m_log.push_back("inner deleted"); }

    std::vector<bool> layouts;  // true for the set-up, false for each layout
    SIZE lastLayoutClient = {};
    std::vector<InnerPlacement> placements;  // each with the outer window at that time
    std::vector<UINT> commands;

protected:
    void ConfigureControls() override { layouts.push_back(true); }
    void LayoutControls() override {
        layouts.push_back(false);
        const RECT client = GetClientRect();
        lastLayoutClient = {client.right, client.bottom};
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        // Placements that size the window; the framework's centring only moves it.
        if (message == WM_WINDOWPOSCHANGED &&
            !(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOSIZE)) {
            RECT outer = {};
            ::GetWindowRect(::GetWindow(m_hWnd, GW_OWNER), &outer);
            placements.push_back({outer, GetWindowRect()});
        }
        if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
        return CLayeredInnerDlg::OnMessage(message, wParam, lParam, result);
    }
    void OnDestroy() override {
        m_log.push_back("inner WM_DESTROY");
        CLayeredInnerDlg::OnDestroy();
    }

private:
    EventLog& m_log;
};

class ProbeOuter : public CLayeredOuterDlg {
public:
    ProbeOuter(const LayeredPairParams& params, float scale, CWnd* parent = nullptr)
        : CLayeredOuterDlg(params, parent) {
        SetScale(scale);
    }

    ProbeInner* inner() const { return static_cast<ProbeInner*>(Inner()); }
    bool MovesInner() const { return m_bMoveInner != 0; }

    EventLog log;
    std::function<void(ProbeOuter&)> onInit;     // after the base initialisation
    std::function<void(ProbeOuter&)> beforeEnd;  // on the probe's own end command
    bool placeLikeTheMainWindow = false;         // centred target, inner first placed on it
    bool innerDragFlagAtStart = false;

protected:
    std::unique_ptr<CLayeredInnerDlg> CreateInner() override {
        return std::make_unique<ProbeInner>(m_params, log, innerDragFlagAtStart);
    }
    RECT TargetRect(const RECT& windowRect) const override {
        return placeLikeTheMainWindow ? ScreenCentredTarget()
                                      : CLayeredOuterDlg::TargetRect(windowRect);
    }
    RECT FirstInnerFrame(const RECT& pushedWindow, const RECT& target) const override {
        return placeLikeTheMainWindow ? target : pushedWindow;
    }
    BOOL OnInitDialog() override {
        CLayeredOuterDlg::OnInitDialog();
        if (onInit) onInit(*this);
        return TRUE;
    }
    bool OnCommand(UINT id, UINT, HWND) override {
        if (id != kEndProbe) return false;
        if (beforeEnd) beforeEnd(*this);
        EndDialog(kEndProbe);
        return true;
    }
    void OnDestroy() override {
        log.push_back("outer WM_DESTROY");
        CLayeredOuterDlg::OnDestroy();
    }
};

// The backdrop window as the pair's owner.
class BackdropOwner : public CWnd {
public:
    explicit BackdropOwner(const test::SolidBackdrop& backdrop) { m_hWnd = backdrop.Handle(); }
};

SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }
POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// The rectangle of `size` at `offset` from `outer`'s top-left corner.
RECT Inset(const RECT& outer, POINT offset, SIZE size) {
    return {outer.left + offset.x, outer.top + offset.y, outer.left + offset.x + size.cx,
            outer.top + offset.y + size.cy};
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(Describe(expected), Describe(actual));
}

// The colour a picture shows at `at` when drawn at `drawnSize` over `background`: what the
// screen must show there.
COLORREF PictureOver(WORD imageId, SIZE drawnSize, POINT at, COLORREF background) {
    win::ImagePtr image;
    if (!LoadPngResource(image, imageId)) return CLR_INVALID;
    Gdiplus::Bitmap canvas(drawnSize.cx, drawnSize.cy, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&canvas);
    graphics.Clear(
        Gdiplus::Color(GetRValue(background), GetGValue(background), GetBValue(background)));
    graphics.DrawImage(image.get(), 0, 0, drawnSize.cx, drawnSize.cy);
    Gdiplus::Color colour;
    canvas.GetPixel(at.x, at.y, &colour);
    return RGB(colour.GetR(), colour.GetG(), colour.GetB());
}

std::string Hex(COLORREF colour) {
    char text[16];
    snprintf(text, sizeof(text), "%06lX", static_cast<unsigned long>(colour));
    return text;
}

// A left-button drag with real input, from another thread so that this one can run the
// system's move loop meanwhile.
class MouseDrag {
public:
    MouseDrag(POINT from, POINT to) : m_from(from), m_to(to) {
        m_thread = ::CreateThread(nullptr, 0, &MouseDrag::Run, this, 0, nullptr);
    }
    ~MouseDrag() {
        if (m_thread != nullptr) ::CloseHandle(m_thread);
    }
    MouseDrag(const MouseDrag&) = delete;
    MouseDrag& operator=(const MouseDrag&) = delete;

    // Keeps this thread's windows going until the drag is done.
    bool Finish() {
        const bool done = m_thread != nullptr && test::PumpUntilSignalled(m_thread, 5000);
        test::PumpFor(50);
        return done;
    }

private:
    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<MouseDrag*>(param);
        test::DragMouse(self->m_from, self->m_to, 4);
        return 0;
    }

    POINT m_from;
    POINT m_to;
    HANDLE m_thread = nullptr;
};

RECT Moved(RECT r, int dx, int dy) {
    ::OffsetRect(&r, dx, dy);
    return r;
}

LayeredPairParams WithPictures(LayeredPairParams params, WORD outerImage, WORD innerImage) {
    params.outerImageId = outerImage;
    params.innerImageId = innerImage;
    return params;
}

class LayeredPairTest : public ::testing::Test {
protected:
    // Creates `outer` modeless over the backdrop, shows it and lets it paint.
    void Open(ProbeOuter& outer, const LayeredPairParams& params) {
        ASSERT_TRUE(outer.Create(params.outerTemplateId, &m_owner));
        outer.ShowWindow(SW_SHOWNOACTIVATE);
        Settle();
        RaiseInner(outer);
        Settle();
    }
    // Wine without a window manager restacks a freshly shown owner above the windows it
    // owns, where Windows keeps owned windows above their owner: put the inner back on top.
    static void RaiseInner(ProbeOuter& outer) {
        if (outer.Inner() == nullptr || !outer.Inner()->IsWindow()) return;
        ::SetWindowPos(outer.Inner()->GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    static void Settle() {
        test::PumpFor(30);
        ::GdiFlush();
    }

    win::GdiplusSession m_gdiplus;
    test::SolidBackdrop m_backdrop{kBackdropGreen};
    BackdropOwner m_owner{m_backdrop};
};

TEST_F(LayeredPairTest, ScaleFollowsTheScreensPixelsPerInchAbove100) {
    struct Case {
        int dpi;
        float scale;
    } cases[] = {{72, 1.0f}, {96, 1.0f}, {100, 1.0f}, {120, 1.25f}, {144, 1.5f}, {192, 2.0f}};
    for (const Case& c : cases) EXPECT_FLOAT_EQ(c.scale, ScaleForDpi(c.dpi)) << c.dpi;
    EXPECT_FLOAT_EQ(101 / 96.0f, ScaleForDpi(101));
}

TEST_F(LayeredPairTest, ProgressPairIsSizedInsetAndCentredAsAWhole) {
    struct Case {
        float scale;
        SIZE outer;
        POINT innerOffset;
        SIZE firstInner;  // the sum of the margins scaled
        SIZE movedInner;  // each margin scaled on its own
    } cases[] = {
        {1.0f, {232, 132}, {14, 12}, {204, 104}, {204, 104}},
        {1.25f, {290, 165}, {17, 15}, {255, 130}, {256, 130}},
        {1.75f, {406, 231}, {24, 21}, {357, 182}, {358, 182}},
    };
    RECT screen = {};
    ::GetWindowRect(m_backdrop.Handle(), &screen);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        ProbeOuter outer(kProgressPair, c.scale);
        Open(outer, kProgressPair);
        ASSERT_NE(nullptr, outer.inner());
        const RECT frame = outer.GetWindowRect();
        EXPECT_EQ(c.outer.cx, SizeOf(frame).cx);
        EXPECT_EQ(c.outer.cy, SizeOf(frame).cy);
        EXPECT_NEAR(Centre(screen).x, Centre(frame).x, 1);
        EXPECT_NEAR(Centre(screen).y, Centre(frame).y, 1);
        EXPECT_TRUE(outer.GetExStyle() & WS_EX_LAYERED);

        const std::vector<InnerPlacement>& placements = outer.inner()->placements;
        ASSERT_FALSE(placements.empty());
        const InnerPlacement& first = placements.front();
        ExpectRect(Inset(first.outer, c.innerOffset, c.firstInner), first.inner);

        // Centred: the outer window moved and brought the inner one along.
        EXPECT_NE(first.outer.left, frame.left);
        ExpectRect(Inset(frame, c.innerOffset, c.movedInner), outer.inner()->GetWindowRect());

        // Any later move of the outer window does the same.
        ::SetWindowPos(outer.GetSafeHwnd(), nullptr, 101, 57, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ExpectRect(Inset(outer.GetWindowRect(), c.innerOffset, c.movedInner),
                   outer.inner()->GetWindowRect());
        EXPECT_EQ(101, outer.GetWindowRect().left);
        outer.DestroyWindow();
    }
}

TEST_F(LayeredPairTest, FrameIsTransparentAtItsCornerAndTheInnerShowsItsPicture) {
    struct Case {
        const char* name;
        LayeredPairParams params;
        POINT marginPoint;  // in the outer window, outside the inner one
        POINT innerPoint;   // in the inner window
    } cases[] = {
        {"progress (memory bitmap)", kProgressPair, {10, 66}, {102, 52}},
        {"prompt (direct)", kPromptPair, {3, 78}, {163, 10}},  // clear of the template's controls
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeOuter outer(c.params, 1.0f);
        Open(outer, c.params);
        ASSERT_NE(nullptr, outer.inner());
        const RECT frame = outer.GetWindowRect();
        const RECT inner = outer.inner()->GetWindowRect();

        const COLORREF corner = test::ScreenPixel({frame.left, frame.top});
        EXPECT_TRUE(test::NearColour(kBackdropGreen, corner, 3)) << Hex(corner);

        // The frame's soft shadow: blended over what is behind on a compositing display,
        // its premultiplied colour where the display only cuts out the transparent pixels
        // (Wine on Xvfb). Either way it is the frame, not the backdrop.
        const COLORREF margin =
            test::ScreenPixel({frame.left + c.marginPoint.x, frame.top + c.marginPoint.y});
        const COLORREF blended =
            PictureOver(c.params.outerImageId, SizeOf(frame), c.marginPoint, kBackdropGreen);
        const COLORREF premultiplied =
            PictureOver(c.params.outerImageId, SizeOf(frame), c.marginPoint, RGB(0, 0, 0));
        EXPECT_FALSE(test::NearColour(kBackdropGreen, margin, 10)) << Hex(margin);
        EXPECT_TRUE(test::NearColour(blended, margin, 4) ||
                    test::NearColour(premultiplied, margin, 4))
            << Hex(margin) << " is neither " << Hex(blended) << " nor " << Hex(premultiplied);

        const COLORREF picture =
            test::ScreenPixel({inner.left + c.innerPoint.x, inner.top + c.innerPoint.y});
        const COLORREF expected =
            PictureOver(c.params.innerImageId, SizeOf(inner), c.innerPoint, RGB(0, 0, 0));
        EXPECT_TRUE(test::NearColour(expected, picture, 4)) << Hex(expected) << " " << Hex(picture);
        outer.DestroyWindow();
    }
}

TEST_F(LayeredPairTest, EscEnterAndCloseRequestsToTheInnerDoNothing) {
    ProbeOuter outer(kProgressPair, 1.25f, &m_owner);
    bool innerAliveAtTheEnd = false;
    std::vector<UINT> innerCommands;
    outer.onInit = [&](ProbeOuter& o) {
        const HWND inner = o.inner()->GetSafeHwnd();
        for (HWND target : {o.GetSafeHwnd(), inner}) {
            for (WPARAM key : {VK_ESCAPE, VK_RETURN}) ::PostMessageW(target, WM_KEYDOWN, key, 0);
        }
        ::PostMessageW(inner, WM_CLOSE, 0, 0);
        ::PostMessageW(inner, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageW(inner, WM_COMMAND, IDOK, 0);
        // Runs after all of the above: the pair must still be whole.
        ::PostMessageW(o.GetSafeHwnd(), WM_COMMAND, kEndProbe, 0);
    };
    outer.beforeEnd = [&](ProbeOuter& o) {
        innerAliveAtTheEnd = o.inner() != nullptr && o.inner()->IsWindow();
        if (o.inner() != nullptr) innerCommands = o.inner()->commands;
    };
    const INT_PTR result = outer.DoModal();
    EXPECT_EQ(static_cast<INT_PTR>(kEndProbe), result) << "ended by a key";
    EXPECT_TRUE(innerAliveAtTheEnd);
    EXPECT_EQ((std::vector<UINT>{IDCANCEL, IDOK}), innerCommands) << "only the posted ones";
    EXPECT_EQ((EventLog{"inner WM_DESTROY", "outer WM_DESTROY", "inner deleted"}), outer.log);
}

TEST_F(LayeredPairTest, ClosingDestroysTheInnerFirstAndDeletesIt) {
    for (const LayeredPairParams& params : {kProgressPair, kPromptPair}) {
        ProbeOuter outer(params, 1.25f, &m_owner);
        outer.onInit = [](ProbeOuter& o) { o.PostMessage(WM_CLOSE); };
        EXPECT_EQ(IDCANCEL, outer.DoModal());
        EXPECT_EQ(nullptr, outer.Inner());
        EXPECT_FALSE(outer.IsWindow());
        EXPECT_EQ((EventLog{"inner WM_DESTROY", "outer WM_DESTROY", "inner deleted"}), outer.log);
    }
}

TEST_F(LayeredPairTest, ShowPaintAndCloseCyclesLeaveNoGdiObjectBehind) {
    auto cycle = [this]() {
        for (const LayeredPairParams& params : {kProgressPair, kPromptPair}) {
            ProbeOuter outer(params, 1.25f);
            ASSERT_TRUE(outer.Create(params.outerTemplateId, &m_owner));
            outer.ShowWindow(SW_SHOWNOACTIVATE);
            ASSERT_NE(nullptr, outer.Inner());
            ::RedrawWindow(outer.Inner()->GetSafeHwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            outer.DestroyWindow();
        }
    };
    for (int i = 0; i < 2; ++i) cycle();  // warm-up: caches of the system and GDI+
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 6; ++i) cycle();
    EXPECT_EQ(before, test::CountGdiObjects());
}

TEST_F(LayeredPairTest, DraggingTheCaptionStripMovesTheInnerAndTheOuterFollows) {
    struct Case {
        const char* name;
        LayeredPairParams params;
        float scale;
        POINT grab;  // from the inner window's corner; negative x counts from its right edge
        bool moves;
    } cases[] = {
        {"prompt: in the strip", kPromptPair, 1.0f, {100, 10}, true},
        {"prompt: under the strip", kPromptPair, 1.0f, {100, 31}, false},
        {"prompt: over the close button", kPromptPair, 1.0f, {-20, 10}, false},
        {"prompt 1.25: in the taller strip", kPromptPair, 1.25f, {100, 35}, true},
        {"prompt 1.25: over the wider close button", kPromptPair, 1.25f, {-30, 10}, false},
        {"progress: not draggable", kProgressPair, 1.0f, {100, 10}, false},
    };
    const int dx = 60;
    const int dy = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeOuter outer(c.params, c.scale);
        Open(outer, c.params);
        ASSERT_NE(nullptr, outer.inner());
        const RECT frameBefore = outer.GetWindowRect();
        const RECT innerBefore = outer.inner()->GetWindowRect();
        const POINT grab = {
            c.grab.x >= 0 ? innerBefore.left + c.grab.x : innerBefore.right + c.grab.x,
            innerBefore.top + c.grab.y};
        MouseDrag drag(grab, {grab.x + dx, grab.y + dy});
        ASSERT_TRUE(drag.Finish());

        const RECT frame = outer.GetWindowRect();
        const RECT inner = outer.inner()->GetWindowRect();
        if (!c.moves) {
            ExpectRect(innerBefore, inner);
            ExpectRect(frameBefore, frame);
            EXPECT_TRUE(outer.MovesInner());
            outer.DestroyWindow();
            continue;
        }
        ExpectRect(Moved(innerBefore, dx, dy), inner);
        const PairMargins& m = c.params.margins;
        ExpectRect({inner.left - static_cast<int>(c.scale * m.left),
                    inner.top - static_cast<int>(c.scale * m.top),
                    inner.right + static_cast<int>(c.scale * m.right),
                    inner.bottom + static_cast<int>(c.scale * m.bottom)},
                   frame);
        EXPECT_FALSE(outer.MovesInner());

        // The inner leads now: moving the outer leaves it where it is.
        ::SetWindowPos(outer.GetSafeHwnd(), nullptr, frame.left - 25, frame.top - 25, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ExpectRect(inner, outer.inner()->GetWindowRect());
        outer.DestroyWindow();
    }
}

TEST_F(LayeredPairTest, MissingPicturesLeaveTheFrameEmptyOrTheInnerUnlaidButClosable) {
    // Without the frame's picture there is no inner dialog, and the pair still closes.
    ProbeOuter frameless(WithPictures(kProgressPair, kNoPicture, IDB_PROGRESS), 1.0f, &m_owner);
    bool layeredWithoutInner = false;
    frameless.onInit = [&](ProbeOuter& o) {
        layeredWithoutInner = (o.GetExStyle() & WS_EX_LAYERED) && o.Inner() == nullptr;
        o.PostMessage(WM_CLOSE);
    };
    EXPECT_EQ(IDCANCEL, frameless.DoModal());
    EXPECT_TRUE(layeredWithoutInner);
    EXPECT_EQ(EventLog{"outer WM_DESTROY"}, frameless.log);

    // Without the inner's picture no layout runs, not even after a resize, and painting
    // draws nothing but does no harm.
    const LayeredPairParams bare = WithPictures(kProgressPair, IDB_PROGRESS_FRAME, kNoPicture);
    ProbeOuter unlaid(bare, 1.25f);
    Open(unlaid, bare);
    ASSERT_NE(nullptr, unlaid.inner());
    EXPECT_FALSE(unlaid.inner()->IsLaidOut());
    EXPECT_EQ(256, SizeOf(unlaid.inner()->GetWindowRect()).cx) << "resized by the centring";
    ::RedrawWindow(unlaid.inner()->GetSafeHwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(unlaid.inner()->layouts.empty());
    unlaid.DestroyWindow();
}

TEST_F(LayeredPairTest, LayoutRunsFirstAtInitialisationThenOnEveryResize) {
    ProbeOuter outer(kProgressPair, 1.25f);
    Open(outer, kProgressPair);
    ASSERT_NE(nullptr, outer.inner());
    EXPECT_TRUE(outer.inner()->IsLaidOut());
    const std::vector<bool>& layouts = outer.inner()->layouts;
    ASSERT_GE(layouts.size(), 2u);
    EXPECT_TRUE(layouts.front());
    EXPECT_EQ(std::vector<bool>(layouts.size() - 1, false),
              std::vector<bool>(layouts.begin() + 1, layouts.end()));
    EXPECT_EQ(256, outer.inner()->lastLayoutClient.cx) << "the layout saw the latest size";
    EXPECT_EQ(130, outer.inner()->lastLayoutClient.cy);
    outer.DestroyWindow();
}

TEST_F(LayeredPairTest, MovingTheOuterAfterItsInnerIsGoneOnlyMovesTheOuter) {
    ProbeOuter outer(kPromptPair, 1.0f);
    Open(outer, kPromptPair);
    ASSERT_NE(nullptr, outer.inner());
    outer.inner()->DestroyWindow();
    ::SetWindowPos(outer.GetSafeHwnd(), nullptr, 40, 30, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(40, outer.GetWindowRect().left);
    EXPECT_EQ(30, outer.GetWindowRect().top);
    outer.DestroyWindow();
    EXPECT_EQ((EventLog{"inner WM_DESTROY", "outer WM_DESTROY", "inner deleted"}), outer.log);
}

TEST_F(LayeredPairTest, MainWindowPlacementCentresThePanelAndTheFrameFollowsIt) {
    ASSERT_EQ(1920, ::GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(1080, ::GetSystemMetrics(SM_CYSCREEN));
    struct Case {
        float scale;
        RECT frame;
        RECT panel;
    } cases[] = {
        {1.0f, {755, 235, 1165, 846}, {760, 239, 1160, 839}},
        // Target 512 x 763 at (704, 159); the panel is 499 x 749 at (+6, +5), and the
        // frame around it loses a pixel at the right and the bottom (margins 6, 5, 6, 8).
        {1.25f, {704, 159, 1215, 921}, {710, 164, 1209, 913}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        ProbeOuter outer(kMainPair, c.scale);
        outer.placeLikeTheMainWindow = true;
        outer.innerDragFlagAtStart = true;  // the panel starts as if dragged
        ASSERT_TRUE(outer.Create(kMainPair.outerTemplateId, nullptr));
        ASSERT_NE(nullptr, outer.inner());
        ExpectRect(c.panel, outer.inner()->GetWindowRect());
        ExpectRect(c.frame, outer.GetWindowRect());
        EXPECT_TRUE(outer.IsWindowVisible()) << "visible by its template";
        outer.DestroyWindow();
    }
}

}  // namespace
