// The real tool while a switch is held open: the system folder's reg.exe is a stand-in
// that runs the real reg only once the test releases it (support/HeldRegStandIn.c).

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/ToolRun.h"
#include "resource.h"
#include "skin/ScreenCapture.h"
#include "storage/StorageState.h"
#include "support/RealInput.h"
#include "support/TestFiles.h"
#include "system/ProcessFolders.h"
#include "system/Wow64Probe.h"
#include "system/Wow64Redirection.h"
#include "win/Gdiplus.h"
#include "win/UniqueHandle.h"

namespace {

const DWORD kWindowTimeout = 20000;
// How long a window is given to go away after something that must not close it.
const DWORD kStaysMs = 1000;

// Puts the holding stand-in in place of reg.exe in both system folders (on 64-bit Windows
// a 32-bit interpreter looks in the 32-bit one), with the real one beside it as realreg.exe.
// Wine runs its own reg for a reg.exe in a system folder unless told to take the file.
// Without a test holding it the stand-in passes straight through, so it may stay.
bool InstallHeldReg() {
    std::vector<std::wstring> folders = {SystemDirectory()};
    wchar_t wow64[MAX_PATH] = {};
    if (GetSystemWow64DirectoryW(wow64, MAX_PATH) > 0) folders.push_back(wow64);
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

void SetStart(DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kUsbStorKey, kUsbStorStartValue,
                                             REG_DWORD, &value, sizeof(value)));
}

// The "Start" value, 0 when it cannot be read.
DWORD Start() {
    DWORD value = 0;
    return ReadUsbStorStart(&value) == 1 ? value : 0;
}

// The closing question's window, or null.
HWND ClosingQuestion(e2e::ToolProcess& process) {
    for (HWND hWnd : process.Windows()) {
        if (GetDlgItem(hWnd, IDC_SOLVED_BUTTON) != nullptr) return hWnd;
    }
    return nullptr;
}

void SavePicture(const wchar_t* name) {
    if (GetACP() != 936) return;
    win::GdiplusSession gdiplus;
    const std::wstring folder = test::ProgramDirectory() + L"\\..\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    test::SaveScreenPng({560, 140, 1360, 940}, folder + L"\\held-" + name + L".png");
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
        e2e::ToolFolder::Options options;
        options.ini = "[Addresses]\r\nUpdateManifest=http://127.0.0.1:9/versions.txt\r\n";
        m_folder = std::make_unique<e2e::ToolFolder>(options);
        m_process = std::make_unique<e2e::ToolProcess>(m_folder->Program());
        m_panel = m_process->WaitForPanel(kWindowTimeout);
        if (m_panel == nullptr) return nullptr;
        e2e::ClickUntil(m_panel, button, [this]() {
            return m_process->WaitForPrompt(0) != nullptr ||
                   m_process->WaitForProgress(0) != nullptr;
        });
        if (HWND question = m_process->WaitForPrompt(0)) {
            if (whileAsked) whileAsked();
            AnswerPrompt(question);
        }
        return m_process->WaitForProgress(kWindowTimeout);
    }

    // Clicks the prompt's OK button and returns its text.
    std::wstring AnswerPrompt(HWND prompt) {
        const std::wstring text = e2e::ControlText(prompt, IDC_PROMPT_TEXT);
        EXPECT_TRUE(e2e::ClickUntil(prompt, IDC_PROMPT_OK_BUTTON,
                                    [&]() { return !IsWindowVisible(prompt); }));
        return text;
    }

    // The result prompt after the release: its text, once answered.
    std::wstring AnswerResult() {
        ::SetEvent(m_release.Get());
        HWND prompt = m_process->WaitForPrompt(kWindowTimeout);
        if (prompt == nullptr) return L"(no result prompt)";
        e2e::WaitUntilStill(prompt, IDC_PROMPT_OK_BUTTON);
        EXPECT_EQ(nullptr, ClosingQuestion(*m_process)) << "asked before the result was shown";
        SavePicture(L"result");
        return AnswerPrompt(prompt);
    }

    bool StillRunning() { return m_process->WaitForExit(0) == STILL_ACTIVE; }

    // The stand-in runs the real reg once this is set.
    win::UniqueKernelHandle m_release{CreateEventW(nullptr, TRUE, FALSE, L"OmbrelHeldRegRelease")};
    std::unique_ptr<e2e::ToolFolder> m_folder;
    std::unique_ptr<e2e::ToolProcess> m_process;
    HWND m_panel = nullptr;
};

TEST_F(HeldSwitch, ProgressWindowOutlastsEveryCloseUntilTheResultArrives) {
    SetStart(kStartEnabled);
    HWND inner = StartHeldSwitch(IDC_DISABLE_BUTTON);
    ASSERT_NE(nullptr, inner);
    HWND outer = GetWindow(inner, GW_OWNER);
    auto focusAndPress = [inner](const std::function<void()>& press) {
        SetForegroundWindow(inner);
        ASSERT_TRUE(e2e::WaitFor([inner]() { return GetForegroundWindow() == inner; }, 3000));
        press();
    };
    struct Attempt {
        const char* name;
        std::function<void()> act;
    } attempts[] = {
        // The dialog's own test sends these to both of its windows, and its commands.
        {"SC_CLOSE", [&]() { SendMessageW(outer, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE", [&]() { SendMessageW(outer, WM_CLOSE, 0, 0); }},
        {"Esc", [&]() { focusAndPress([]() { test::PressKey(VK_ESCAPE); }); }},
        {"Enter", [&]() { focusAndPress([]() { test::PressKey(VK_RETURN); }); }},
        {"Alt+F4", [&]() { focusAndPress([]() { test::PressKey(VK_F4, VK_MENU); }); }},
    };
    SavePicture(L"progress");
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.name);
        attempt.act();
        EXPECT_FALSE(e2e::WaitFor([&]() { return !IsWindowVisible(outer); }, kStaysMs));
        EXPECT_TRUE(IsWindowVisible(inner));
        EXPECT_FALSE(IsWindowEnabled(m_panel)) << "a second switch could start";
        EXPECT_EQ(kStartEnabled, Start()) << "the command was not held";
    }
    EXPECT_EQ(L"U盘禁用成功", AnswerResult());
    EXPECT_FALSE(IsWindow(outer));
    EXPECT_EQ(kStartDisabled, Start());
    EXPECT_TRUE(IsWindowEnabled(m_panel));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(m_panel, IDC_ENABLE_BUTTON)));
    EXPECT_TRUE(StillRunning());
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
        {"WM_CLOSE", kStartDisabled, IDC_ENABLE_BUTTON, false,
         [](HWND main) { PostMessageW(main, WM_CLOSE, 0, 0); }, L"U盘启用成功", kStartEnabled},
        {"taskbar Close, twice", kStartDisabled, IDC_ENABLE_BUTTON, false,
         [](HWND main) {
             PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
             PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
         },
         L"U盘启用成功", kStartEnabled},
        {"Alt+F4 on the frame", kStartDisabled, IDC_ENABLE_BUTTON, false,
         [](HWND main) {
             SetForegroundWindow(main);
             if (e2e::WaitFor([main]() { return GetForegroundWindow() == main; }, 3000)) {
                 test::PressKey(VK_F4, VK_MENU);
             }
         },
         L"U盘启用成功", kStartEnabled},
        {"WM_CLOSE while the Disable question is open", kStartEnabled, IDC_DISABLE_BUTTON, true,
         [](HWND main) { PostMessageW(main, WM_CLOSE, 0, 0); }, L"U盘禁用成功", kStartDisabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetStart(c.before);
        auto closeNow = [&]() {
            c.close(m_process->MainWindow());
            EXPECT_FALSE(
                e2e::WaitFor([&]() { return ClosingQuestion(*m_process) != nullptr; }, kStaysMs))
                << "the question came before the result";
        };
        HWND inner = StartHeldSwitch(c.button, [&]() {
            if (c.closeWhileAsked) closeNow();
        });
        ASSERT_NE(nullptr, inner);
        if (!c.closeWhileAsked) closeNow();
        EXPECT_TRUE(IsWindowVisible(inner));
        EXPECT_TRUE(StillRunning());
        SavePicture(L"close-while-switching");

        EXPECT_EQ(c.result, AnswerResult());
        HWND question = nullptr;
        ASSERT_TRUE(e2e::WaitFor([&]() { return (question = ClosingQuestion(*m_process)); },
                                 kWindowTimeout))
            << "the postponed close was lost";
        SavePicture(L"closing-question-after-result");
        EXPECT_EQ(c.after, Start());
        EXPECT_TRUE(e2e::ClickUntil(question, IDC_FEEDBACK_CLOSE_BUTTON,
                                    [&]() { return !StillRunning(); }));
        EXPECT_EQ(0u, m_process->WaitForExit(10000)) << "the tool did not end cleanly";
        // The next case starts a tool of its own, with the stand-in holding again.
        m_process.reset();
        m_folder.reset();
    }
}

}  // namespace
