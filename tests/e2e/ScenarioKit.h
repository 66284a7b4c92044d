#pragma once
// What the end-to-end scenarios share: the tool started from a folder of its own, its
// prompts answered with the mouse, the log read back, screenshots for people.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "resource.h"
#include "skin/ScreenCapture.h"
#include "support/Controls.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"
#include "win/Gdiplus.h"

namespace scenario {

const DWORD kStartTimeout = 20000;
const DWORD kPromptTimeout = 15000;
const DWORD kStartOn = 3;
const DWORD kStartOff = 4;

using test::ClickUntil;

// No update server unless a test serves one: a closed local port answers at once.
inline const char kNoUpdateServer[] =
    "[Addresses]\r\nUpdateManifest=http://127.0.0.1:9/versions.txt\r\n";

// A running tool; the pages it opens reach the recording browser.
class ToolSession {
public:
    explicit ToolSession(test::ToolFolder::Options options = {}) {
        if (options.ini.empty()) options.ini = kNoUpdateServer;
        folder = std::make_unique<test::ToolFolder>(options);
        process = std::make_unique<test::ToolProcess>(folder->Program());
    }
    HWND Panel() { return process->WaitForPanel(kStartTimeout); }
    // Clicks `button`; a prompt or the progress window must show.
    bool Press(HWND panel, int button) {
        return ClickUntil(panel, button, [&]() {
            return process->WaitForPrompt(0) != nullptr || process->WaitForProgress(0) != nullptr;
        });
    }

    test::RecordingBrowser browser;
    std::unique_ptr<test::ToolFolder> folder;
    std::unique_ptr<test::ToolProcess> process;
};

// The text of the last line in the log file `file`, without its time stamp.
inline std::wstring LastLogLine(const wchar_t* file) {
    const auto lines = test::LogLines(file);
    return lines.empty() ? std::wstring() : lines.back();
}

inline bool Enabled(HWND panel, int id) { return IsWindowEnabled(GetDlgItem(panel, id)) != FALSE; }

// Answers the prompt that must appear with `button`, and returns its text.
inline std::wstring AnswerPrompt(test::ToolProcess& process, int button) {
    HWND prompt = process.WaitForPrompt(kPromptTimeout);
    EXPECT_NE(nullptr, prompt) << "no prompt appeared";
    if (prompt == nullptr) return std::wstring();
    const std::wstring text = test::ControlText(prompt, IDC_PROMPT_TEXT);
    EXPECT_TRUE(ClickUntil(prompt, button, [&]() { return !IsWindowVisible(prompt); }))
        << "the prompt stayed";
    return text;
}

// Saves what the screen shows around the tool, once it has settled, for people to look at.
inline void SaveScreenshot(const wchar_t* name, HWND settledControlOf = nullptr, int id = 0) {
    if (GetACP() != 936) return;  // the pictures show the Chinese system
    if (settledControlOf != nullptr) {
        EXPECT_TRUE(test::WaitUntilStill(settledControlOf, id));
    }
    win::GdiplusSession gdiplus;
    const std::wstring folder = test::ProgramDirectory() + L"\\..\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    test::SaveScreenPng({560, 140, 1360, 940}, folder + L"\\" + name + L".png");
}

}  // namespace scenario
