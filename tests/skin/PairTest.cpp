// The prompt's and the progress window's skinned pairs over a green backdrop: where they
// sit at a scale, what of the frame is transparent, and which part drags the pair.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <tuple>

#include "skin/ExecutePromptDlg.h"
#include "skin/PairTestKit.h"
#include "skin/PromptDlg.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"
#include "win/UniqueHandle.h"

namespace {

const COLORREF kGreen = RGB(0, 255, 0);

RECT WindowRect(HWND hWnd) {
    RECT rect = {};
    ::GetWindowRect(hWnd, &rect);
    return rect;
}

// The inner window's rectangle as seen from the outer window's corner.
std::string InnerInOuter(HWND inner, HWND outer) {
    RECT rect = WindowRect(inner);
    const RECT frame = WindowRect(outer);
    ::OffsetRect(&rect, -frame.left, -frame.top);
    return test::Describe(rect);
}

class PairTest : public ::testing::Test {
protected:
    // The progress window (`progress`) or a question prompt, shown modeless at `scale`.
    CLayeredOuterDlg& Show(bool progress, float scale) {
        TearDown();
        if (progress) {
            m_shown = std::make_unique<CExecutePromptDlg>();
        } else {
            auto prompt = std::make_unique<CPromptDlg>();
            prompt->SetPromptType(kPromptQuestion);
            m_shown = std::move(prompt);
        }
        m_shown->SetScale(scale);
        EXPECT_TRUE(test::OpenModeless(*m_shown, progress ? IDD_PROGRESS_OUTER : IDD_PROMPT_OUTER,
                                       m_owner));
        return *m_shown;
    }
    void TearDown() override {
        if (m_shown) m_shown->DestroyWindow();
    }

    win::GdiplusSession m_gdiplus;
    test::SolidBackdrop m_backdrop{kGreen};
    test::ForeignOwner m_owner{m_backdrop.Handle()};
    std::unique_ptr<CLayeredOuterDlg> m_shown;
};

class PairPlacementTest
    : public PairTest,
      public ::testing::WithParamInterface<std::tuple<bool, float, SIZE, RECT>> {};

TEST_P(PairPlacementTest, PairIsSizedInsetAndCentredAtItsScaleAndMovesAsOne) {
    const auto [progress, scale, size, inner] = GetParam();
    CLayeredOuterDlg& outer = Show(progress, scale);
    ASSERT_NE(nullptr, outer.Inner());
    const RECT frame = outer.GetWindowRect();
    const RECT screen = WindowRect(m_backdrop.Handle());
    EXPECT_EQ(size.cx, frame.right - frame.left);
    EXPECT_EQ(size.cy, frame.bottom - frame.top);
    EXPECT_NEAR(screen.right / 2, (frame.left + frame.right) / 2, 1);
    EXPECT_NEAR(screen.bottom / 2, (frame.top + frame.bottom) / 2, 1);
    EXPECT_EQ(test::Describe(inner),
              InnerInOuter(outer.Inner()->GetSafeHwnd(), outer.GetSafeHwnd()));
    ::SetWindowPos(outer.GetSafeHwnd(), nullptr, 101, 57, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(test::Describe(inner),
              InnerInOuter(outer.Inner()->GetSafeHwnd(), outer.GetSafeHwnd()));
}

// Progress or prompt, scale, outer size, inner rectangle in the outer window.
INSTANTIATE_TEST_SUITE_P(
    Pairs, PairPlacementTest,
    ::testing::Values(std::make_tuple(true, 1.0f, SIZE{232, 132}, RECT{14, 12, 218, 116}),
                      std::make_tuple(true, 1.25f, SIZE{290, 165}, RECT{17, 15, 273, 145}),
                      std::make_tuple(true, 1.75f, SIZE{406, 231}, RECT{24, 21, 382, 203}),
                      std::make_tuple(false, 1.0f, SIZE{336, 156}, RECT{5, 3, 331, 149}),
                      std::make_tuple(false, 1.25f, SIZE{420, 195}, RECT{6, 3, 414, 187})));

class FrameTest : public PairTest, public ::testing::WithParamInterface<bool> {};

// The colour a picture shows at `at` when drawn over `ground` as big as `window`.
COLORREF PictureOver(WORD imageId, const RECT& window, POINT at, COLORREF ground) {
    return test::RenderOn(test::LoadPicture(imageId).get(), window.right - window.left,
                          window.bottom - window.top, nullptr, ground)
        .At(at.x, at.y);
}

TEST_P(FrameTest, FrameIsClearAtItsCornerShadowedAtItsMarginAndTheInnerShowsItsPicture) {
    const bool progress = GetParam();
    CLayeredOuterDlg& outer = Show(progress, 1.0f);
    ASSERT_NE(nullptr, outer.Inner());
    const WORD frameImage = progress ? IDB_PROGRESS_FRAME : IDB_PROMPT_FRAME;
    const WORD innerImage = progress ? IDB_PROGRESS : IDB_PROMPT;
    const POINT margin = progress ? POINT{10, 66} : POINT{3, 78};     // outside the inner window
    const POINT inside = progress ? POINT{102, 52} : POINT{163, 10};  // clear of controls
    const RECT frame = outer.GetWindowRect();
    const RECT inner = outer.Inner()->GetWindowRect();
    EXPECT_TRUE(test::NearColour(kGreen, test::ScreenPixel({frame.left, frame.top}), 3));
    // The soft shadow: blended over the backdrop on a compositing display, its premultiplied
    // colour where the display only cuts out the clear pixels (Wine on Xvfb).
    const COLORREF shadow = test::ScreenPixel({frame.left + margin.x, frame.top + margin.y});
    EXPECT_FALSE(test::NearColour(kGreen, shadow, 10));
    EXPECT_TRUE(test::NearColour(PictureOver(frameImage, frame, margin, kGreen), shadow, 4) ||
                test::NearColour(PictureOver(frameImage, frame, margin, 0), shadow, 4));
    EXPECT_TRUE(test::NearColour(PictureOver(innerImage, inner, inside, 0),
                                 test::ScreenPixel({inner.left + inside.x, inner.top + inside.y}),
                                 4));
}

INSTANTIATE_TEST_SUITE_P(ProgressAndPrompt, FrameTest, ::testing::Bool());

// A left-button drag with real input, on a thread of its own so that this one can serve
// the system's move loop meanwhile.
DWORD WINAPI Drag(void* param) {
    const auto* ends = static_cast<const POINT*>(param);
    test::DragMouse(ends[0], ends[1], 4);
    return 0;
}

TEST_F(PairTest, DraggingTheCaptionStripMovesTheInnerAndTheFrameFollows) {
    struct Case {
        const char* name;
        bool progress;
        float scale;
        POINT grab;    // from the inner window's corner; negative x counts from its right edge
        RECT margins;  // the frame around the inner window after a move; empty: no move
    } cases[] = {
        {"prompt: in the strip", false, 1.0f, {100, 10}, {5, 3, 5, 7}},
        {"prompt: under the strip", false, 1.0f, {100, 31}, {}},
        {"prompt: over the close button", false, 1.0f, {-20, 10}, {}},
        {"prompt at 1.25: in the taller strip", false, 1.25f, {100, 35}, {6, 3, 6, 8}},
        {"prompt at 1.25: over the wider close button", false, 1.25f, {-30, 10}, {}},
        {"progress: not draggable", true, 1.0f, {100, 10}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLayeredOuterDlg& outer = Show(c.progress, c.scale);
        ASSERT_NE(nullptr, outer.Inner());
        const HWND inner = outer.Inner()->GetSafeHwnd();
        const RECT frameBefore = outer.GetWindowRect();
        RECT expected = WindowRect(inner);
        const POINT grab = {(c.grab.x >= 0 ? expected.left : expected.right) + c.grab.x,
                            expected.top + c.grab.y};
        POINT ends[] = {grab, {grab.x + 60, grab.y + 40}};
        win::UniqueKernelHandle drag(::CreateThread(nullptr, 0, &Drag, ends, 0, nullptr));
        ASSERT_TRUE(test::PumpUntilSignalled(drag.Get(), 5000));
        const bool moves = c.margins.left > 0;
        if (moves) ::OffsetRect(&expected, 60, 40);
        test::PumpUntil(
            [&] { return test::Describe(expected) == test::Describe(WindowRect(inner)); });
        EXPECT_EQ(test::Describe(expected), test::Describe(WindowRect(inner)));
        const RECT frame = outer.GetWindowRect();
        if (moves) {
            const RECT around = {expected.left - c.margins.left, expected.top - c.margins.top,
                                 expected.right + c.margins.right,
                                 expected.bottom + c.margins.bottom};
            EXPECT_EQ(test::Describe(around), test::Describe(frame));
            // Dragged once, the inner window leads: moving the frame leaves it where it is.
            ::SetWindowPos(outer.GetSafeHwnd(), nullptr, frame.left - 25, frame.top - 25, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_EQ(test::Describe(expected), test::Describe(WindowRect(inner)));
        } else {
            EXPECT_EQ(test::Describe(frameBefore), test::Describe(frame));
        }
    }
}

}  // namespace
