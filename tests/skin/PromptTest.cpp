// The prompt and the progress window as the tool shows them: what the prompt shows for
// each type, which answer each way of closing it gives, and that the progress window
// ends only when the worker asks.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "skin/ExecutePromptDlg.h"
#include "skin/PairTestKit.h"
#include "skin/PromptDlg.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/RealInput.h"
#include "support/ReceiverWindow.h"

namespace {

class PromptTest : public ::testing::Test {
protected:
    void SetUp() override { test::MoveMouseAway(); }

    // What the prompt's inner window shows, with `look` run on it while it shows.
    void Show(int type, const std::wstring& text, const std::function<void(HWND inner)>& look) {
        CPromptDlg prompt;
        prompt.SetPromptType(type);
        prompt.SetPromptText(text);
        ASSERT_TRUE(test::OpenModeless(prompt, IDD_PROMPT_OUTER, m_owner));
        ASSERT_NE(nullptr, prompt.Inner());
        look(prompt.Inner()->GetSafeHwnd());
        prompt.DestroyWindow();
    }

    win::GdiplusSession m_gdiplus;
    test::SolidBackdrop m_backdrop{RGB(0, 255, 0)};
    test::ForeignOwner m_owner{m_backdrop.Handle()};
};

TEST_F(PromptTest, EachTypeShowsItsButtonsWithTheirCaptions) {
    auto faces = [](std::vector<WORD> ids, int width, int height) {
        std::vector<test::Pixels> pictures;
        for (WORD id : ids) {
            pictures.push_back(test::RenderOn(test::LoadPicture(id).get(), width, height));
        }
        return pictures;
    };
    const auto okFaces = faces({IDB_YES_NORMAL, IDB_CONFIRM_NORMAL}, 55, 24);
    const auto cancelFaces = faces({IDB_NO_NORMAL, IDB_CANCEL_NORMAL}, 55, 24);
    const auto cross = faces({IDB_PROMPT_CLOSE_NORMAL}, 12, 12);
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
        Show(c.type, L"提示文字", [&](HWND inner) {
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
        });
    }
}

TEST_F(PromptTest, LongTextWrapsCentredInsideItsArea) {
    const RECT area = {10, 30, 316, 106};  // between the caption strip and the buttons
    test::Pixels empty, wrapped;
    Show(kPromptNotice, L"", [&](HWND inner) { empty = test::CaptureClient(inner); });
    Show(kPromptNotice,
         L"检测到系统中的USB存储设备仍在使用，禁用后所有U盘和移动硬盘将无法读取，"
         L"正在复制的文件可能会丢失。请先保存并关闭所有打开的文件，然后再继续操作。",
         [&](HWND inner) { wrapped = test::CaptureClient(inner); });
    ASSERT_EQ(empty.colours.size(), wrapped.colours.size());
    auto hasInk = [&wrapped](const RECT& part) {
        const RECT ink = test::InkBounds(wrapped, part);
        return !::IsRectEmpty(&ink);
    };
    int lines = 0, changedOutside = 0;
    for (int y = 0; y < wrapped.height; ++y) {
        const bool inkRow =
            y >= area.top && y < area.bottom && hasInk({area.left, y, area.right, y + 1});
        lines += inkRow && !hasInk({area.left, y - 1, area.right, y});  // a line's first row
        for (int x = 0; x < wrapped.width; ++x) {
            changedOutside += !::PtInRect(&area, {x, y}) && wrapped.At(x, y) != empty.At(x, y);
        }
    }
    EXPECT_GE(lines, 3);
    EXPECT_EQ(0, changedOutside);
    const RECT emptyInk = test::InkBounds(empty, area);
    EXPECT_TRUE(::IsRectEmpty(&emptyInk)) << "an empty text shows nothing";
    const RECT ink = test::InkBounds(wrapped, area);
    EXPECT_NEAR(ink.top - area.top, area.bottom - ink.bottom, 3) << test::Describe(ink);
    EXPECT_LE(ink.left, area.left + 3) << "left-aligned";
}

TEST_F(PromptTest, OnlyTheOkButtonConfirms) {
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

TEST_F(PromptTest, PromptWithoutItsFramePictureEndsUnansweredInsteadOfHanging) {
    class PromptWithoutFrame : public CPromptDlg {
    public:
        PromptWithoutFrame() : CPromptDlg(test::WithoutFramePicture(kPromptPair)) {}
    } prompt;
    EXPECT_EQ(IDCANCEL, prompt.DoModal());
}

TEST_F(PromptTest, OnlyTheWorkersCloseRequestEndsTheProgressWindow) {
    class ProgressWithoutFrame : public CExecutePromptDlg {
    public:
        explicit ProgressWithoutFrame(CWnd* owner)
            : CExecutePromptDlg(test::WithoutFramePicture(kProgressPair), owner) {}
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
        // The control panel forwards the worker's request on the user-interface thread.
        test::ReceiverWindow panel(WM_CLOSE_PROGRESS, WM_CLOSE_PROGRESS);
        panel.onMessage = [&](const test::ReceivedMessage&) {
            progress->SendMessage(WM_CLOSE_PROGRESS);
        };
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
                ::SendMessageTimeoutW(panel.Handle(), WM_CLOSE_PROGRESS, 0, 0, SMTO_NORMAL, 5000,
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
