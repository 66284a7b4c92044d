// The real tool while a switch is held open: the system folder's reg.exe is a stand-in
// that runs the real reg only once the test releases it (support/HeldRegStandIn.c).

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/ScenarioKit.h"
#include "support/RealInput.h"
#include "support/TestFiles.h"
#include "system/ProcessFolders.h"
#include "system/Wow64Probe.h"
#include "system/Wow64Redirection.h"
#include "win/UniqueHandle.h"

namespace {

const DWORD kWindowTimeout = 20000;
// How long a window is given to go away after something that must not close it.
const DWORD kStaysMs = 1000;

// Puts the holding stand-in in place of reg.exe in both system folders (on 64-bit Windows
// a 32-bit interpreter looks in the 32-bit one, where 32-bit programs run at all), with the
// real one beside it as realreg.exe.
// Wine runs its own reg for a reg.exe in a system folder unless told to take the file.
// Without a test holding it the stand-in passes straight through, so it may stay.
bool InstallHeldReg() {
    std::vector<std::wstring> folders = {SystemDirectory()};
    wchar_t wow64[MAX_PATH] = {};
    if (GetSystemWow64DirectoryW(wow64, MAX_PATH) > 0 &&
        test::Exists(std::wstring(wow64) + L"\\reg.exe")) {
        folders.push_back(wow64);
    }
    RedirectionOff redirection(IsRunningOnWow64() == 1);
    for (const std::wstring& folder : folders) {
        const std::wstring reg = folder + L"\\reg.exe";
        const std::wstring realReg = folder + L"\\realreg.exe";
        // Saved once only: a second time would save the stand-in.
        if (!test::Exists(realReg) && !CopyFileW(reg.c_str(), realReg.c_str(), TRUE)) {
            return false;
        }
        const std::wstring standIn = test::ProgramDirectory() + L"\\held_reg.exe";
        if (!CopyFileW(standIn.c_str(), reg.c_str(), FALSE)) return false;
    }
    return RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"reg.exe", REG_SZ,
                           L"native", sizeof(L"native")) == ERROR_SUCCESS;
}

using namespace scenario;  // NOLINT: the scenarios' shared vocabulary

// The closing question's window, or null.
HWND ClosingQuestion(test::ToolProcess& process) {
    return process.WaitForWindowWithControl(IDC_SOLVED_BUTTON, 0);
}

class HeldSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, m_release.Get());
        ASSERT_TRUE(InstallHeldReg());
    }
    // A stand-in left holding by a failed test ends at once.
    void TearDown() override { ::SetEvent(m_release.Get()); }

    // Starts the tool, presses `button` (confirming when asked) and returns the progress
    // window's inner dialog; `whileAsked` runs while the confirmation is open.
    HWND StartHeldSwitch(int button, const std::function<void()>& whileAsked = nullptr) {
        ::ResetEvent(m_release.Get());
        m_tool = std::make_unique<ToolSession>();
        m_process = m_tool->process.get();
        m_panel = m_tool->Panel();
        if (m_panel == nullptr || !m_tool->Press(m_panel, button)) return nullptr;
        if (m_process->WaitForPrompt(0) != nullptr) {
            if (whileAsked) whileAsked();
            AnswerPrompt(*m_process, IDC_PROMPT_OK_BUTTON);
        }
        return m_process->WaitForProgress(kWindowTimeout);
    }

    // A Space key, or the click it makes, sent straight to the Disable button's window or
    // posted to the panel, with the cursor over the button.
    void PostToDisable(UINT message) {
        HWND button = GetDlgItem(m_panel, IDC_DISABLE_BUTTON);
        const POINT over = test::ControlCentre(m_panel, IDC_DISABLE_BUTTON);
        SetCursorPos(over.x, over.y);
        if (message == WM_KEYDOWN) {
            PostMessageW(button, WM_KEYDOWN, VK_SPACE, 0x00390001);
            PostMessageW(button, WM_KEYUP, VK_SPACE, 0xC0390001);
        } else {
            PostMessageW(m_panel, WM_COMMAND, MAKEWPARAM(IDC_DISABLE_BUTTON, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        }
    }

    // The result prompt after the release: its text, once answered.
    std::wstring AnswerResult() {
        ::SetEvent(m_release.Get());
        HWND prompt = m_process->WaitForPrompt(kWindowTimeout);
        if (prompt == nullptr) return L"(no result prompt)";
        EXPECT_EQ(nullptr, ClosingQuestion(*m_process)) << "asked before the result was shown";
        SaveScreenshot(L"held-result", prompt, IDC_PROMPT_OK_BUTTON);
        return AnswerPrompt(*m_process, IDC_PROMPT_OK_BUTTON);
    }

    // The stand-in runs the real reg once this is set.
    win::UniqueKernelHandle m_release{CreateEventW(nullptr, TRUE, FALSE, L"OmbrelHeldRegRelease")};
    std::unique_ptr<ToolSession> m_tool;
    test::ToolProcess* m_process = nullptr;
    HWND m_panel = nullptr;
};

TEST_F(HeldSwitch, ProgressWindowOutlastsEveryCloseUntilTheResultArrives) {
    ASSERT_TRUE(test::SetUsbStorStart(kStartOn));
    HWND inner = StartHeldSwitch(IDC_DISABLE_BUTTON);
    ASSERT_NE(nullptr, inner);
    HWND outer = GetWindow(inner, GW_OWNER);
    struct Attempt {
        const char* name;
        std::function<void()> act;
    } attempts[] = {
        // The dialog's own test sends these to both of its windows, and its commands.
        {"SC_CLOSE", [&]() { SendMessageW(outer, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE", [&]() { SendMessageW(outer, WM_CLOSE, 0, 0); }},
        {"Esc", [&]() { EXPECT_TRUE(test::PressKeyIn(inner, VK_ESCAPE)); }},
        {"Enter", [&]() { EXPECT_TRUE(test::PressKeyIn(inner, VK_RETURN)); }},
        {"Alt+F4", [&]() { EXPECT_TRUE(test::PressKeyIn(inner, VK_F4, VK_MENU)); }},
        {"OK and Cancel commands",
         [&]() {
             for (HWND window : {outer, inner}) {
                 for (WPARAM command : {IDOK, IDCANCEL})
                     PostMessageW(window, WM_COMMAND, command, 0);
             }
         }},
        // Posted past the disabled panel, with the cursor over the button pressed.
        {"Space posted to Disable", [&]() { PostToDisable(WM_KEYDOWN); }},
        {"a click of Disable posted", [&]() { PostToDisable(WM_COMMAND); }},
    };
    SaveScreenshot(L"held-progress");
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.name);
        attempt.act();
        EXPECT_FALSE(test::WaitFor([&]() { return !IsWindowVisible(outer); }, kStaysMs));
        EXPECT_TRUE(IsWindowVisible(inner));
        EXPECT_FALSE(IsWindowEnabled(m_panel)) << "a second switch could start";
        EXPECT_EQ(nullptr, m_process->WaitForPrompt(0)) << "a second switch asked";
        EXPECT_EQ(kStartOn, test::UsbStorStart()) << "the command was not held";
    }
    EXPECT_EQ(L"U盘禁用成功", AnswerResult());
    EXPECT_FALSE(IsWindow(outer));
    EXPECT_EQ(kStartOff, test::UsbStorStart());
    EXPECT_TRUE(IsWindowEnabled(m_panel));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(m_panel, IDC_ENABLE_BUTTON)));
    EXPECT_TRUE(m_process->Running());
    EXPECT_EQ(nullptr, ClosingQuestion(*m_process));
}

TEST_F(HeldSwitch, ClosingTheToolWaitsForTheResultThenAsksAsUsual) {
    struct Case {
        const char* name;
        DWORD before;
        int button;
        bool closeWhileAsked;  // else while the progress window shows
        void (*close)(HWND mainWindow);
        const wchar_t* result;
        DWORD after;
    } cases[] = {
        {"taskbar Close, twice", kStartOff, IDC_ENABLE_BUTTON, false,
         [](HWND main) {
             PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
             PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
         },
         L"U盘启用成功", kStartOn},
        {"Alt+F4 on the frame", kStartOff, IDC_ENABLE_BUTTON, false,
         [](HWND main) { EXPECT_TRUE(test::PressKeyIn(main, VK_F4, VK_MENU)); }, L"U盘启用成功",
         kStartOn},
        {"WM_CLOSE while the Disable question is open", kStartOn, IDC_DISABLE_BUTTON, true,
         [](HWND main) { PostMessageW(main, WM_CLOSE, 0, 0); }, L"U盘禁用成功", kStartOff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(test::SetUsbStorStart(c.before));
        auto closeNow = [&]() {
            c.close(m_process->MainWindow());
            EXPECT_FALSE(
                test::WaitFor([&]() { return ClosingQuestion(*m_process) != nullptr; }, kStaysMs))
                << "the question came before the result";
        };
        HWND inner = StartHeldSwitch(c.button, [&]() {
            if (c.closeWhileAsked) closeNow();
        });
        ASSERT_NE(nullptr, inner);
        if (!c.closeWhileAsked) closeNow();
        EXPECT_TRUE(IsWindowVisible(inner));
        EXPECT_TRUE(m_process->Running());
        SaveScreenshot(L"held-close-while-switching");

        EXPECT_EQ(c.result, AnswerResult());
        HWND question = nullptr;
        ASSERT_TRUE(test::WaitFor([&]() { return (question = ClosingQuestion(*m_process)); },
                                  kWindowTimeout))
            << "the postponed close was lost";
        SaveScreenshot(L"held-closing-question-after-result");
        EXPECT_EQ(c.after, test::UsbStorStart());
        EXPECT_TRUE(test::ClickUntil(question, IDC_FEEDBACK_CLOSE_BUTTON,
                                     [&]() { return !m_process->Running(); }));
        EXPECT_EQ(0u, m_process->WaitForExit(10000)) << "the tool did not end cleanly";
        // The next case starts a tool of its own, with the stand-in holding again.
        m_tool.reset();
    }
}

}  // namespace
