#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "skin/ExecutePromptDlg.h"
#include "skin/PairTestKit.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/GdiObjects.h"
#include "support/RealInput.h"
#include "support/ReceiverWindow.h"

namespace {

const wchar_t kDefaultText[] = L"正在修复，请稍等";

class ProgressWithoutFrame : public CExecutePromptDlg {
public:
    explicit ProgressWithoutFrame(CWnd* owner)
        : CExecutePromptDlg(test::WithoutFramePicture(kProgressPair), owner) {}
};

class ExecutePromptDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_gdiplus.Ok());
        test::MoveMouseAway();
    }

    void Open(CExecutePromptDlg& progress, const std::wstring& text, float scale) {
        progress.SetScale(scale);
        progress.SetPromptText(text);
        ASSERT_TRUE(test::OpenModeless(progress, IDD_PROGRESS_OUTER, m_owner));
        ASSERT_NE(nullptr, progress.Inner());
    }
    static HWND TextControl(CExecutePromptDlg& progress) {
        return ::GetDlgItem(progress.Inner()->GetSafeHwnd(), IDC_PROGRESS_TEXT);
    }

    win::GdiplusSession m_gdiplus;
    test::SolidBackdrop m_backdrop{RGB(0, 255, 0)};
    test::ForeignOwner m_owner{m_backdrop.Handle()};
};

TEST_F(ExecutePromptDlgTest, TextSitsAcrossTheMiddleOfTheWindow) {
    struct Case {
        float scale;
        SIZE client;
        RECT text;
    } cases[] = {
        {1.0f, {204, 104}, {10, 32, 194, 72}},
        {1.25f, {256, 130}, {12, 40, 243, 90}},
        {1.75f, {358, 182}, {17, 56, 340, 126}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        CExecutePromptDlg progress;
        Open(progress, L"正在禁用，请稍等", c.scale);
        const RECT client = progress.Inner()->GetClientRect();
        EXPECT_EQ(c.client.cx, client.right);
        EXPECT_EQ(c.client.cy, client.bottom);
        EXPECT_EQ(test::Describe(c.text), test::Describe(test::ControlRect(
                                              progress.Inner()->GetSafeHwnd(), IDC_PROGRESS_TEXT)));
        progress.DestroyWindow();
    }
}

TEST_F(ExecutePromptDlgTest, TextsShorterThanTwoCharactersShowTheDefault) {
    auto shown = [this](const std::wstring& text, std::wstring* windowText) {
        CExecutePromptDlg progress;
        Open(progress, text, 1.0f);
        *windowText = test::ControlText(progress.Inner()->GetSafeHwnd(), IDC_PROGRESS_TEXT);
        test::Pixels pixels = test::CaptureClient(TextControl(progress));
        progress.DestroyWindow();
        return pixels;
    };
    std::wstring windowText;
    const test::Pixels defaultText = shown(kDefaultText, &windowText);
    const test::Pixels ownText = shown(L"正在禁用，请稍等", &windowText);
    EXPECT_EQ(L"正在禁用，请稍等", windowText);
    EXPECT_FALSE(ownText == defaultText) << "the text is drawn";
    struct Case {
        const wchar_t* given;
        const wchar_t* shown;
    } cases[] = {{L"", kDefaultText}, {L"禁", kDefaultText}, {L"x", kDefaultText}, {L"OK", L"OK"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.given)));
        const test::Pixels pixels = shown(c.given, &windowText);
        EXPECT_EQ(std::wstring(c.shown), windowText);
        EXPECT_EQ(c.shown == kDefaultText, pixels == defaultText);
    }
}

TEST_F(ExecutePromptDlgTest, DotsAdvanceWhileItIsShown) {
    CExecutePromptDlg progress;
    Open(progress, L"正在启用，请稍等", 1.0f);
    const HWND text = TextControl(progress);
    const test::Pixels start = test::CaptureClient(text);
    // The first dot comes after a second.
    EXPECT_TRUE(test::PumpUntil([&] { return !(test::CaptureClient(text) == start); }, 2500));
    EXPECT_EQ(L"正在启用，请稍等",
              test::ControlText(progress.Inner()->GetSafeHwnd(), IDC_PROGRESS_TEXT));
    progress.DestroyWindow();
}

TEST_F(ExecutePromptDlgTest, OnlyTheWorkersCloseRequestEndsTheRun) {
    CExecutePromptDlg withFrame(&m_owner);
    ProgressWithoutFrame withoutFrame(&m_owner);
    struct Case {
        const char* name;
        CExecutePromptDlg& progress;
        bool hasInner;
    } cases[] = {{"whole pair", withFrame, true}, {"frame picture missing", withoutFrame, false}};
    struct Attempt {
        const char* name;
        std::function<void(const test::ShownPair&)> act;
    } attempts[] = {
        {"SC_CLOSE",
         [](const test::ShownPair& pair) {
             for (HWND hWnd : {pair.outer, pair.inner}) {
                 ::SendMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
             }
         }},
        {"WM_CLOSE",
         [](const test::ShownPair& pair) {
             for (HWND hWnd : {pair.outer, pair.inner}) ::SendMessageW(hWnd, WM_CLOSE, 0, 0);
         }},
        {"IDCANCEL and IDOK",
         [](const test::ShownPair& pair) {
             for (WPARAM id : {IDCANCEL, IDOK}) ::SendMessageW(pair.outer, WM_COMMAND, id, 0);
         }},
        {"Esc", [](const test::ShownPair&) { test::PressKey(VK_ESCAPE); }},
        {"Enter", [](const test::ShownPair&) { test::PressKey(VK_RETURN); }},
        {"Alt+F4", [](const test::ShownPair&) { test::PressKey(VK_F4, VK_MENU); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The control panel forwards the worker's request on the user-interface thread.
        test::ReceiverWindow panel(WM_CLOSE_PROGRESS, WM_CLOSE_PROGRESS);
        panel.onMessage = [&c](const test::ReceivedMessage&) {
            c.progress.SendMessage(WM_CLOSE_PROGRESS);
        };
        c.progress.SetPromptText(L"正在禁用，请稍等");
        std::vector<std::string> endedBy;
        bool innerShown = false;
        test::ModalUser worker([&](const test::ShownPair& pair) {
            innerShown = pair.inner != nullptr;
            for (const Attempt& attempt : attempts) {
                attempt.act(pair);
                const bool ended = test::PumpUntil(
                    [&] {
                        return !::IsWindowVisible(pair.outer) ||
                               ::IsWindowEnabled(m_owner.GetSafeHwnd());
                    },
                    300);
                if (ended) endedBy.push_back(attempt.name);
            }
            // Bounded: a run that ended early no longer serves the panel's messages.
            ::SendMessageTimeoutW(panel.Handle(), WM_CLOSE_PROGRESS, 0, 0, SMTO_NORMAL, 5000,
                                  nullptr);
        });
        EXPECT_EQ(IDOK, c.progress.DoModal());
        EXPECT_TRUE(worker.FoundPair());
        EXPECT_FALSE(worker.GaveUp()) << "the close request did not end it";
        EXPECT_EQ(std::vector<std::string>(), endedBy);
        EXPECT_EQ(c.hasInner, innerShown);
        EXPECT_EQ(nullptr, c.progress.Inner());
        EXPECT_TRUE(m_owner.IsWindowEnabled());
        // A late request to the ended dialog is lost harmlessly.
        EXPECT_EQ(0, c.progress.SendMessage(WM_CLOSE_PROGRESS));
    }
}

TEST_F(ExecutePromptDlgTest, RepeatedShowingsLeaveNoGdiObjectBehind) {
    auto showOnce = [this]() {
        CExecutePromptDlg progress;
        Open(progress, L"正在禁用，请稍等", 1.25f);
        // Three dot steps, painted, as the timer gives them.
        for (int i = 0; i < 3; ++i) {
            ::SendMessageW(TextControl(progress), WM_TIMER, 36, 0);
            ::UpdateWindow(TextControl(progress));
        }
        ::RedrawWindow(progress.Inner()->GetSafeHwnd(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        progress.SendMessage(WM_CLOSE_PROGRESS);
        ASSERT_FALSE(progress.IsWindow());
    };
    for (int i = 0; i < 2; ++i) showOnce();  // warm-up: caches of the system and GDI+
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 5; ++i) showOnce();
    EXPECT_EQ(before, test::CountGdiObjects());
}

}  // namespace
