// The prompt's and the progress window's skinned pairs over a green backdrop: where they
// sit at a scale, what of the frame is transparent, which part drags the pair, and what the
// prompt shows for each kind. (Which answer each way of closing the question gives, and
// that the progress window ends only when the worker asks, the real tool shows: e2e.) Every
// pair of the tool, the main window and the closing question included, shows its inner
// window only where it stays.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/TovricOmbrelDlg.h"
#include "feedback/ProblemSolvingFeedbackDlg.h"
#include "skin/ExecutePromptDlg.h"
#include "skin/PairTestKit.h"
#include "skin/PromptDlg.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

namespace {

const COLORREF kGreen = RGB(0, 255, 0);

RECT WindowRect(HWND hWnd) {
    RECT rect = {};
    ::GetWindowRect(hWnd, &rect);
    return rect;
}

// `rect` as seen from the corner of `frame`.
std::string Within(RECT rect, const RECT& frame) {
    ::OffsetRect(&rect, -frame.left, -frame.top);
    return test::Describe(rect);
}

// The inner window's rectangle as seen from the outer window's corner.
std::string InnerInOuter(HWND inner, HWND outer) {
    return Within(WindowRect(inner), WindowRect(outer));
}

// Watches this thread's windows from a hook, for the first window owned by a layered one:
// its place at the first message it gets while visible, and a screenshot once it has
// drawn its background there.
class FirstShowWatch {
public:
    FirstShowWatch(std::wstring screenshot, COLORREF ground)
        : m_screenshot(std::move(screenshot)), m_ground(ground) {
        s_watch = this;
        m_hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~FirstShowWatch() {
        ::UnhookWindowsHookEx(m_hook);
        s_watch = nullptr;
    }
    FirstShowWatch(const FirstShowWatch&) = delete;
    FirstShowWatch& operator=(const FirstShowWatch&) = delete;

    bool seen = false;
    RECT inner = {};

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        const HWND owner = ::GetWindow(call.hwnd, GW_OWNER);
        if (code == HC_ACTION && s_watch != nullptr && ::IsWindowVisible(call.hwnd) &&
            owner != nullptr && (::GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_LAYERED)) {
            s_watch->Saw(call);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Saw(const CWPRETSTRUCT& call) {
        if (!seen) inner = WindowRect(call.hwnd);
        seen = true;
        if (call.message != WM_ERASEBKGND || m_shot) return;
        m_shot = true;
        // The display lags behind: wait until it shows what the window drew at its corner.
        const POINT at = {WindowRect(call.hwnd).left + 10, WindowRect(call.hwnd).top + 10};
        test::WaitFor(
            [&] {
                ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, 0);
                const COLORREF shown = test::ScreenPixel(at);
                return shown != m_ground &&
                       shown == ::GetPixel(win::WindowDC(call.hwnd).Get(), 10, 10);
            },
            1000);
        test::SaveScreenPng(
            {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}, m_screenshot);
    }

    static FirstShowWatch* s_watch;
    std::wstring m_screenshot;
    COLORREF m_ground;
    bool m_shot = false;
    HHOOK m_hook = nullptr;
};

FirstShowWatch* FirstShowWatch::s_watch = nullptr;

LayeredPairParams WithoutFramePicture(LayeredPairParams params) {
    params.outerImageId = IDB_LOGO;  // a bitmap, not a PNG
    return params;
}

class PairTest : public ::testing::Test {
protected:
    void SetUp() override { test::MoveMouseAway(); }
    // The progress window or a prompt of `type` showing `text`, modeless at `scale`,
    // borrowing `pictures` when given.
    CLayeredOuterDlg& Show(bool progress, float scale, int type = kPromptQuestion,
                           const std::wstring& text = L"", CKeptPictures* pictures = nullptr) {
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
        m_shown->UseKeptPictures(pictures);
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

template <typename Pair>
std::unique_ptr<CLayeredOuterDlg> Make(CWnd* owner) {
    return std::make_unique<Pair>(owner);
}

std::unique_ptr<CLayeredOuterDlg> MakeMainWindow(CWnd* /*owner*/) {
    return std::make_unique<CTovricOmbrelDlg>(nullptr);  // no folder of its own to remove
}

// A user never sees an inner window jump: where it first shows, against the frame's final
// place, is where it stays. The main window opens modeless, the others modal as the tool
// runs them; each over the backdrop as its owner, at the screen's scale (1.0).
TEST_F(PairTest, InnerWindowFirstShowsWhereItStays) {
    struct Case {
        const wchar_t* name;
        std::unique_ptr<CLayeredOuterDlg> (*make)(CWnd* owner);
        UINT end;    // the message that ends it modal; 0: modeless
        RECT inner;  // in the outer window
    } cases[] = {
        {L"main-window", &MakeMainWindow, 0, {5, 4, 405, 604}},
        {L"prompt", &Make<CPromptDlg>, WM_CLOSE, {5, 3, 331, 149}},
        {L"progress", &Make<CExecutePromptDlg>, WM_CLOSE_PROGRESS, {14, 12, 218, 116}},
        {L"closing-question", &Make<CProblemSolvingFeedbackDlg>, WM_CLOSE, {5, 4, 405, 472}},
    };
    const std::wstring screenshots = test::ProgramDirectory() + L"\\..\\screenshots";
    ::CreateDirectoryW(screenshots.c_str(), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
        const std::unique_ptr<CLayeredOuterDlg> pair = c.make(&m_owner);
        RECT frame = {}, inner = {};
        FirstShowWatch watch(screenshots + L"\\first-shown-" + c.name + L".png", kGreen);
        if (c.end == 0) {
            ASSERT_TRUE(test::OpenModeless(*pair, IDD_MAIN_WINDOW, m_owner));
            frame = pair->GetWindowRect();
            inner = pair->Inner()->GetWindowRect();
        } else {
            test::RunModal([&] { return pair->DoModal(); },
                           [&](const test::ShownPair& shown) {
                               frame = WindowRect(shown.outer);
                               inner = WindowRect(shown.inner);
                               ::PostMessageW(shown.outer, c.end, 0, 0);
                           });
        }
        ASSERT_TRUE(watch.seen);
        EXPECT_EQ(test::Describe(c.inner), Within(inner, frame));
        EXPECT_EQ(test::Describe(c.inner), Within(watch.inner, frame)) << "where it first showed";
        // Gone from the screen too, so that the next screenshot shows nothing of it.
        pair->DestroyWindow();
        const POINT centre = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
        test::PumpUntil([&] { return test::ScreenPixel(centre) == kGreen; });
    }
}

// Pictures kept from one showing to the next show exactly what freshly decoded ones show:
// shown again, at another scale and back, every pixel of the pair as without them.
TEST_F(PairTest, KeptPicturesShowEveryPixelAsFreshlyDecodedOnes) {
    for (bool progress : {true, false}) {
        CKeptPictures kept;
        for (float scale : {1.0f, 1.0f, 1.25f, 1.0f}) {
            SCOPED_TRACE(std::string(progress ? "progress at " : "prompt at ") +
                         std::to_string(scale));
            const test::Pixels fresh = test::CaptureScreen(Show(progress, scale).GetWindowRect());
            const test::Pixels borrowed = test::CaptureScreen(
                Show(progress, scale, kPromptQuestion, L"", &kept).GetWindowRect());
            ASSERT_FALSE(HasFatalFailure());
            EXPECT_EQ(fresh.width, borrowed.width);
            EXPECT_TRUE(fresh.colours == borrowed.colours);
        }
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
        // (The strip and what lies below it: the main window, e2e.) What is the prompt's and
        // the progress window's own: the close button cut out, and no strip at all.
        {"prompt at 1.25: in the taller strip", false, 1.25f, {100, 35}, true, {6, 3, 6, 8}},
        {"prompt: over the close button", false, 1.0f, {-20, 10}, false, {5, 3, 5, 7}},
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
    const int kConfirmCancel = 1;  // the captions of the faces above
    // The two kinds the tool shows: a notice, and the question before Disable.
    struct Case {
        int type;
        int captions;
        bool cancelShown;
        bool okCentred;
    } cases[] = {
        {kPromptNotice, kConfirmCancel, false, true},
        {kPromptQuestion, kConfirmCancel, true, false},
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

TEST_F(PairTest, PromptWithoutItsFramePictureEndsUnansweredInsteadOfHanging) {
    class PromptWithoutFrame : public CPromptDlg {
    public:
        PromptWithoutFrame() : CPromptDlg(WithoutFramePicture(kPromptPair)) {}
    } prompt;
    EXPECT_EQ(IDCANCEL, prompt.DoModal());
}

}  // namespace
