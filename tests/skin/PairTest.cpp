// The prompt's and the progress window's skinned pairs over a green backdrop: where they
// sit at a scale, what of the frame is transparent, which part drags the pair, what the
// prompt shows for each type, which answer each way of closing it gives, and that the
// progress window ends only when the worker asks.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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

LayeredPairParams WithoutFramePicture(LayeredPairParams params) {
    params.outerImageId = IDB_LOGO;  // a bitmap, not a PNG
    return params;
}

class PairTest : public ::testing::Test {
protected:
    void SetUp() override { test::MoveMouseAway(); }
    // The progress window or a prompt of `type` showing `text`, modeless at `scale`.
    CLayeredOuterDlg& Show(bool progress, float scale, int type = kPromptQuestion,
                           const std::wstring& text = L"") {
        TearDown();
        if (progress) {
            m_shown = std::make_unique<CExecutePromptDlg>();
        } else {
            auto prompt = std::make_unique<CPromptDlg>();
            prompt->SetPromptType(type);
            prompt->SetPromptText(text);
            m_shown = std::move(prompt);
        }
        m_shown->SetScale(scale);
        EXPECT_TRUE(test::OpenModeless(*m_shown, progress ? IDD_PROGRESS_OUTER : IDD_PROMPT_OUTER,
                                       m_owner));
        EXPECT_NE(nullptr, m_shown->Inner());
        return *m_shown;
    }
    HWND ShowPrompt(int type, const std::wstring& text) {
        const CWnd* inner = Show(false, 1.0f, type, text).Inner();
        return inner != nullptr ? inner->GetSafeHwnd() : nullptr;
    }
    void TearDown() override {
        if (m_shown) m_shown->DestroyWindow();
    }

    win::GdiplusSession m_gdiplus;
    test::SolidBackdrop m_backdrop{kGreen};
    test::ForeignOwner m_owner{m_backdrop.Handle()};
    std::unique_ptr<CLayeredOuterDlg> m_shown;
};

// The colour a picture shows at `at` when drawn over `ground` as big as `window`.
COLORREF PictureOver(WORD imageId, const RECT& window, POINT at, COLORREF ground) {
    return test::RenderOn(test::LoadPicture(imageId).get(), window.right - window.left,
                          window.bottom - window.top, nullptr, ground)
        .At(at.x, at.y);
}

// Each pair is sized, centred and its inner window inset at its scale; the two move as one.
// At 1.0 the frame is clear at its corner and shadowed at its margin, and the inner window
// shows its picture.
TEST_F(PairTest, PairIsPlacedAtItsScaleAndItsFrameIsClearOrShadowed) {
    struct Case {
        bool progress;
        float scale;
        SIZE size;
        RECT inner;    // in the outer window
        POINT margin;  // a shadowed point of the frame, outside the inner window (at 1.0)
        POINT inside;  // a point of the inner window clear of controls (at 1.0)
    } cases[] = {
        {true, 1.0f, {232, 132}, {14, 12, 218, 116}, {10, 66}, {102, 52}},
        {true, 1.25f, {290, 165}, {17, 15, 273, 145}, {}, {}},
        {true, 1.75f, {406, 231}, {24, 21, 382, 203}, {}, {}},
        {false, 1.0f, {336, 156}, {5, 3, 331, 149}, {3, 78}, {163, 10}},
        {false, 1.25f, {420, 195}, {6, 3, 414, 187}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progress ? "progress at " : "prompt at ") +
                     std::to_string(c.scale));
        CLayeredOuterDlg& outer = Show(c.progress, c.scale);
        ASSERT_FALSE(HasFatalFailure());
        const HWND innerWindow = outer.Inner()->GetSafeHwnd();
        const RECT frame = outer.GetWindowRect();
        const RECT screen = WindowRect(m_backdrop.Handle());
        EXPECT_EQ(c.size.cx, frame.right - frame.left);
        EXPECT_EQ(c.size.cy, frame.bottom - frame.top);
        EXPECT_NEAR(screen.right / 2, (frame.left + frame.right) / 2, 1);
        EXPECT_NEAR(screen.bottom / 2, (frame.top + frame.bottom) / 2, 1);
        EXPECT_EQ(test::Describe(c.inner), InnerInOuter(innerWindow, outer.GetSafeHwnd()));
        if (c.scale == 1.0f) {
            const RECT inner = WindowRect(innerWindow);
            EXPECT_TRUE(test::NearColour(kGreen, test::ScreenPixel({frame.left, frame.top}), 3));
            // The soft shadow: blended over the backdrop on a compositing display, its
            // premultiplied colour where the display only cuts out the clear pixels (Xvfb).
            const WORD frameImage = c.progress ? IDB_PROGRESS_FRAME : IDB_PROMPT_FRAME;
            const COLORREF shadow =
                test::ScreenPixel({frame.left + c.margin.x, frame.top + c.margin.y});
            EXPECT_FALSE(test::NearColour(kGreen, shadow, 10));
            EXPECT_TRUE(
                test::NearColour(PictureOver(frameImage, frame, c.margin, kGreen), shadow, 4) ||
                test::NearColour(PictureOver(frameImage, frame, c.margin, 0), shadow, 4));
            EXPECT_TRUE(test::NearColour(
                PictureOver(c.progress ? IDB_PROGRESS : IDB_PROMPT, inner, c.inside, 0),
                test::ScreenPixel({inner.left + c.inside.x, inner.top + c.inside.y}), 4));
        }
        ::SetWindowPos(outer.GetSafeHwnd(), nullptr, 101, 57, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(test::Describe(c.inner), InnerInOuter(innerWindow, outer.GetSafeHwnd()));
    }
}

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
        POINT grab;  // from the inner window's corner; negative x counts from its right edge
        bool moves;
        RECT margins;  // of the frame around the inner window
    } cases[] = {
        {"prompt: in the strip", false, 1.0f, {100, 10}, true, {5, 3, 5, 7}},
        {"prompt: under the strip", false, 1.0f, {100, 31}, false, {5, 3, 5, 7}},
        {"prompt: over the close button", false, 1.0f, {-20, 10}, false, {5, 3, 5, 7}},
        {"prompt at 1.25: in the taller strip", false, 1.25f, {100, 35}, true, {6, 3, 6, 8}},
        {"prompt at 1.25: over the wider close button",
         false,
         1.25f,
         {-30, 10},
         false,
         {6, 3, 6, 8}},
        {"progress: not draggable", true, 1.0f, {100, 10}, false, {14, 12, 14, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLayeredOuterDlg& outer = Show(c.progress, c.scale);
        ASSERT_FALSE(HasFatalFailure());
        const HWND inner = outer.Inner()->GetSafeHwnd();
        RECT expected = WindowRect(inner);
        const POINT grab = {(c.grab.x >= 0 ? expected.left : expected.right) + c.grab.x,
                            expected.top + c.grab.y};
        POINT ends[] = {grab, {grab.x + 60, grab.y + 40}};
        win::UniqueKernelHandle drag(::CreateThread(nullptr, 0, &Drag, ends, 0, nullptr));
        ASSERT_TRUE(test::PumpUntilSignalled(drag.Get(), 5000));
        if (c.moves) ::OffsetRect(&expected, 60, 40);
        test::PumpUntil(
            [&] { return test::Describe(expected) == test::Describe(WindowRect(inner)); });
        EXPECT_EQ(test::Describe(expected), test::Describe(WindowRect(inner)));
        const RECT frame = {expected.left - c.margins.left, expected.top - c.margins.top,
                            expected.right + c.margins.right, expected.bottom + c.margins.bottom};
        EXPECT_EQ(test::Describe(frame), test::Describe(outer.GetWindowRect()));
        if (!c.moves) continue;
        // The inner window leads once dragged: moving the frame leaves it where it is.
        ::SetWindowPos(outer.GetSafeHwnd(), nullptr, frame.left - 25, frame.top - 25, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(test::Describe(expected), test::Describe(WindowRect(inner)));
    }
}

TEST_F(PairTest, EachTypeShowsItsButtonsWithTheirCaptions) {
    const auto okFaces = test::RenderAll({IDB_YES_NORMAL, IDB_CONFIRM_NORMAL}, 55, 24);
    const auto cancelFaces = test::RenderAll({IDB_NO_NORMAL, IDB_CANCEL_NORMAL}, 55, 24);
    const auto cross = test::RenderAll({IDB_PROMPT_CLOSE_NORMAL}, 12, 12);
    enum { kYesNo, kConfirmCancel };
    struct Case {
        int type;
        int captions;
        bool cancelShown;
        bool okCentred;
    } cases[] = {
        {kPromptYesNoSingle, kYesNo, false, true},
        {kPromptYesNo, kYesNo, true, false},
        {kPromptNotice, kConfirmCancel, false, true},
        {kPromptQuestion, kConfirmCancel, true, false},
        {9, kYesNo, false, false},  // unknown: one button, where it sits beside cancel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const HWND inner = ShowPrompt(c.type, L"提示文字");
        auto shown = [inner](int id, const std::vector<test::Pixels>& pictures) {
            return test::ClosestPicture(test::CaptureClient(::GetDlgItem(inner, id)), pictures);
        };
        EXPECT_EQ(c.captions, shown(IDC_PROMPT_OK_BUTTON, okFaces));
        EXPECT_EQ(0, shown(IDC_PROMPT_CLOSE_BUTTON, cross));
        EXPECT_EQ(c.cancelShown,
                  ::IsWindowVisible(::GetDlgItem(inner, IDC_PROMPT_CANCEL_BUTTON)) != 0);
        if (c.cancelShown) {
            EXPECT_EQ(c.captions, shown(IDC_PROMPT_CANCEL_BUTTON, cancelFaces));
        }
        const RECT ok = test::ControlRect(inner, IDC_PROMPT_OK_BUTTON);
        RECT client = {};
        ::GetClientRect(inner, &client);
        EXPECT_EQ(c.okCentred, std::abs(ok.left + ok.right - client.right) <= 1);
    }
}

// A long text wraps into several lines, left-aligned and centred in height between the
// caption strip and the buttons; nothing outside that area changes.
TEST_F(PairTest, LongTextWrapsCentredInsideItsArea) {
    const RECT area = {10, 30, 316, 106};
    const test::Pixels empty = test::CaptureClient(ShowPrompt(kPromptNotice, L""));
    const test::Pixels wrapped = test::CaptureClient(
        ShowPrompt(kPromptNotice,
                   L"检测到系统中的USB存储设备仍在使用，禁用后所有U盘和移动硬盘将无法读取，"
                   L"正在复制的文件可能会丢失。请先保存并关闭所有打开的文件，然后再继续操作。"));
    ASSERT_EQ(empty.colours.size(), wrapped.colours.size());
    auto isInk = [](COLORREF c) {  // dark text on white
        return GetRValue(c) < 200 || GetGValue(c) < 200 || GetBValue(c) < 200;
    };
    RECT ink = {area.right, area.bottom, area.left, area.top};
    int lines = 0, changedOutside = 0, emptyInk = 0;
    bool previousRowInked = false;
    for (int y = 0; y < wrapped.height; ++y) {
        bool rowInked = false;
        for (int x = 0; x < wrapped.width; ++x) {
            if (!::PtInRect(&area, {x, y})) {
                changedOutside += wrapped.At(x, y) != empty.At(x, y);
            } else if (isInk(wrapped.At(x, y))) {
                rowInked = true;
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                       std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
            }
            emptyInk += ::PtInRect(&area, {x, y}) && isInk(empty.At(x, y));
        }
        lines += rowInked && !previousRowInked;
        previousRowInked = rowInked;
    }
    EXPECT_GE(lines, 3);
    EXPECT_EQ(0, changedOutside);
    EXPECT_EQ(0, emptyInk) << "an empty text shows nothing";
    EXPECT_NEAR(ink.top - area.top, area.bottom - ink.bottom, 3) << test::Describe(ink);
    EXPECT_LE(ink.left, area.left + 3) << "left-aligned";
}

TEST_F(PairTest, OnlyTheOkButtonConfirms) {
    struct Case {
        const char* name;
        int type;
        bool keysFirst;  // Esc and Enter to both windows before the click
        int button;
        INT_PTR answer;
    } cases[] = {
        {"OK", kPromptQuestion, false, IDC_PROMPT_OK_BUTTON, IDOK},
        {"cancel", kPromptQuestion, false, IDC_PROMPT_CANCEL_BUTTON, IDCANCEL},
        {"close", kPromptQuestion, false, IDC_PROMPT_CLOSE_BUTTON, IDCANCEL},
        {"no", kPromptYesNo, false, IDC_PROMPT_CANCEL_BUTTON, IDCANCEL},
        {"Esc and Enter, then close", kPromptQuestion, true, IDC_PROMPT_CLOSE_BUTTON, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPromptDlg prompt;
        prompt.SetPromptType(c.type);
        prompt.SetPromptText(L"确认要禁用U盘吗？");
        bool endedByKeys = false;
        const test::ModalRun run =
            test::RunModal([&] { return prompt.DoModal(); },
                           [&](const test::ShownPair& pair) {
                               if (c.keysFirst) {
                                   // A click on the text makes the inner window the one that gets
                                   // the keys.
                                   test::ClickControl(pair.inner, IDC_PROMPT_TEXT);
                                   for (WORD key : {VK_ESCAPE, VK_RETURN}) test::PressKey(key);
                                   ::SetForegroundWindow(pair.outer);
                                   for (WORD key : {VK_ESCAPE, VK_RETURN}) test::PressKey(key);
                                   endedByKeys = test::WaitFor(
                                       [&] { return !::IsWindowVisible(pair.outer); }, 300);
                                   test::RaiseInner(pair.inner);
                               }
                               test::ClickControl(pair.inner, c.button);
                           });
        EXPECT_EQ(c.answer, run.answer);
        EXPECT_TRUE(run.found);
        EXPECT_FALSE(run.gaveUp) << "the click did not end the prompt";
        EXPECT_FALSE(endedByKeys);
    }
}

TEST_F(PairTest, PromptWithoutItsFramePictureEndsUnansweredInsteadOfHanging) {
    class PromptWithoutFrame : public CPromptDlg {
    public:
        PromptWithoutFrame() : CPromptDlg(WithoutFramePicture(kPromptPair)) {}
    } prompt;
    EXPECT_EQ(IDCANCEL, prompt.DoModal());
}

TEST_F(PairTest, OnlyTheWorkersCloseRequestEndsTheProgressWindow) {
    class ProgressWithoutFrame : public CExecutePromptDlg {
    public:
        explicit ProgressWithoutFrame(CWnd* owner)
            : CExecutePromptDlg(WithoutFramePicture(kProgressPair), owner) {}
    };
    CExecutePromptDlg withFrame(&m_owner);
    ProgressWithoutFrame withoutFrame(&m_owner);
    // Each to both windows, as if sent by the system, the keyboard or another program.
    struct Attempt {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } const attempts[] = {
        {WM_SYSCOMMAND, SC_CLOSE, 0},    {WM_CLOSE, 0, 0},           {WM_COMMAND, IDCANCEL, 0},
        {WM_COMMAND, IDOK, 0},           {WM_KEYDOWN, VK_ESCAPE, 0}, {WM_KEYDOWN, VK_RETURN, 0},
        {WM_SYSKEYDOWN, VK_F4, 1 << 29},  // Alt+F4
    };
    for (CExecutePromptDlg* progress :
         {&withFrame, static_cast<CExecutePromptDlg*>(&withoutFrame)}) {
        SCOPED_TRACE(progress == &withFrame ? "whole pair" : "frame picture missing");
        bool endedEarly = false;
        const test::ModalRun run = test::RunModal(
            [&] { return progress->DoModal(); },
            [&](const test::ShownPair& pair) {
                for (const Attempt& attempt : attempts) {
                    for (HWND hWnd : {pair.outer, pair.inner}) {
                        if (hWnd != nullptr) {
                            ::PostMessageW(hWnd, attempt.message, attempt.wParam, attempt.lParam);
                        }
                    }
                }
                endedEarly = test::WaitFor([&] { return !::IsWindowVisible(pair.outer); }, 500);
                // The worker's request, as the control panel forwards it.
                ::SendMessageTimeoutW(pair.outer, WM_CLOSE_PROGRESS, 0, 0, SMTO_NORMAL, 5000,
                                      nullptr);
            });
        EXPECT_EQ(IDOK, run.answer);
        EXPECT_TRUE(run.found);
        EXPECT_FALSE(endedEarly);
        EXPECT_FALSE(run.gaveUp) << "the close request did not end it";
        EXPECT_TRUE(m_owner.IsWindowEnabled());
        EXPECT_EQ(0, progress->SendMessage(WM_CLOSE_PROGRESS)) << "a late request is lost";
    }
}

}  // namespace
