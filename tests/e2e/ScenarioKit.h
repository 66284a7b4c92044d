#pragma once
// What the end-to-end scenarios share: the tool started from a folder of its own, its
// prompts answered with the mouse, the registry state and the log read back.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "e2e/ToolRun.h"
#include "log/LogSave.h"
#include "log/LogText.h"
#include "resource.h"
#include "skin/ScreenCapture.h"
#include "storage/StorageState.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"
#include "win/Gdiplus.h"

namespace scenario {

const DWORD kStartTimeout = 20000;
const DWORD kPromptTimeout = 15000;

// e2e::ClickUntil for assertions: a failure names the window that was under the cursor.
template <typename Condition>
::testing::AssertionResult ClickUntil(HWND dialog, int id, Condition done) {
    if (e2e::ClickUntil(dialog, id, done)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "three clicks on control " << id << " did nothing; under the cursor: "
           << e2e::DescribeWindowAt(e2e::ControlCentre(dialog, id), dialog);
}

// No update server unless a test serves one: a closed local port answers at once.
inline const char kNoUpdateServer[] =
    "[Addresses]\r\nUpdateManifest=http://127.0.0.1:9/versions.txt\r\n";

// A running tool with its panel shown; the pages it opens reach the recording browser.
class ToolSession {
public:
    explicit ToolSession(e2e::ToolFolder::Options options = {}) {
        if (options.ini.empty()) options.ini = kNoUpdateServer;
        folder = std::make_unique<e2e::ToolFolder>(options);
        process = std::make_unique<e2e::ToolProcess>(folder->Program());
    }
    HWND Panel() { return process->WaitForPanel(kStartTimeout); }

    test::RecordingBrowser browser;
    std::unique_ptr<e2e::ToolFolder> folder;
    std::unique_ptr<e2e::ToolProcess> process;
};

inline std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

inline void SetStart(DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUsbStorKey, 0, nullptr, 0,
                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    RegSetValueExW(key, kUsbStorStartValue, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                   sizeof(value));
    RegCloseKey(key);
}

inline DWORD Start() {
    DWORD value = 0;
    ReadUsbStorStart(&value);
    return value;
}

// The text of the last line in the log file `file`, without its time stamp.
inline std::string LastLogLine(const char* file) {
    const auto lines = test::SplitLines(
        test::ReadBytes(CLogSave::GetInstance()->LogDirectory() + FromLogText(file)));
    return lines.empty() ? std::string() : lines.back().substr(30);
}

inline bool Enabled(HWND panel, int id) { return IsWindowEnabled(GetDlgItem(panel, id)) != FALSE; }

inline bool IsChecked(HWND panel) {
    return SendMessageW(GetDlgItem(panel, IDC_AGREE_CHECK), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Answers the prompt that must appear with `button`, and returns its text.
inline std::wstring AnswerPrompt(e2e::ToolProcess& process, int button) {
    HWND prompt = process.WaitForPrompt(kPromptTimeout);
    EXPECT_NE(nullptr, prompt) << "no prompt appeared";
    if (prompt == nullptr) return std::wstring();
    const std::wstring text = e2e::ControlText(prompt, IDC_PROMPT_TEXT);
    auto gone = [&]() { return !IsWindow(prompt) || !IsWindowVisible(prompt); };
    ClickUntil(prompt, button, gone);
    EXPECT_TRUE(gone()) << "the prompt stayed";
    return text;
}

// Saves what the screen shows around the tool for people to look at.
inline void SaveScreenshot(const wchar_t* name) {
    if (GetACP() != 936) return;  // the pictures show the Chinese system
    win::GdiplusSession gdiplus;
    const std::wstring folder = test::ProgramDirectory() + L"\\..\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    test::SaveScreenPng({560, 140, 1360, 940}, folder + L"\\" + name + L".png");
}

}  // namespace scenario
