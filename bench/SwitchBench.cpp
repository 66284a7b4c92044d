#include "SwitchBench.h"

#include <string>

#include "BenchFolder.h"
#include "resource.h"
#include "skin/SkinTestKit.h"
#include "storage/StorageState.h"
#include "support/Controls.h"
#include "support/ToolRun.h"
#include "system/CommandRunner.h"

namespace bench {

namespace {

const DWORD kWaitMs = 20000;

// A visible window of the tool holding `controlId`, polled finely enough to time it.
HWND WaitForControl(const test::ToolProcess& tool, int controlId) {
    Stopwatch watch;
    while (watch.Ms() < kWaitMs) {
        for (HWND window : tool.Windows()) {
            if (::GetDlgItem(window, controlId) != nullptr) return window;
        }
        ::Sleep(1);
    }
    return nullptr;
}

// Clicks the prompt's OK button once it stays put, waits for the prompt to go and returns
// its text.
std::wstring Answer(HWND prompt) {
    if (prompt == nullptr) return std::wstring();
    const std::wstring text = test::ControlText(prompt, IDC_PROMPT_TEXT);
    test::ClickUntil(prompt, IDC_PROMPT_OK_BUTTON,
                     [&] { return !::IsWindow(prompt) || !::IsWindowVisible(prompt); });
    return text;
}

bool Disable(const test::ToolProcess& tool, HWND panel) {
    test::ClickControl(panel, IDC_DISABLE_BUTTON);
    Answer(WaitForControl(tool, IDC_PROMPT_TEXT));  // the question
    return Answer(WaitForControl(tool, IDC_PROMPT_TEXT)) == L"U盘禁用成功";
}

// Milliseconds from the button's release (at `releaseTicks`) to the result prompt; negative
// without one.
double TimedEnable(const test::ToolProcess& tool, HWND panel, bool& succeeded,
                   LONGLONG& releaseTicks) {
    const POINT centre = test::ControlCentre(panel, IDC_ENABLE_BUTTON);
    test::MoveMouse(centre);
    ::Sleep(100);
    test::PressMouse(centre);
    ::Sleep(60);
    Stopwatch watch;
    LARGE_INTEGER release;
    ::QueryPerformanceCounter(&release);
    releaseTicks = release.QuadPart;
    test::ReleaseMouse(centre);  // a button acts on its release
    HWND prompt = WaitForControl(tool, IDC_PROMPT_TEXT);
    const double ms = watch.Ms();
    succeeded = Answer(prompt) == L"U盘启用成功";
    return prompt != nullptr ? ms : -1;
}

std::wstring EnableCommand() {
    return L"reg add \"HKEY_LOCAL_MACHINE\\" + std::wstring(kUsbStorKey) + L"\" /v \"" +
           kUsbStorStartValue + L"\" /d " + std::to_wstring(kStartEnabled) + L" /t REG_DWORD /f";
}

// The Enable command line through the runner; negative when it fails.
double TimeRunnerOnce() {
    std::wstring output;
    Stopwatch watch;
    return RunCommand(EnableCommand(), output) == 1 ? watch.Ms() : -1;
}

}  // namespace

SwitchRuns TimeSwitches(int runs, const EnableObserver& afterEnable) {
    SwitchRuns result;
    test::ToolFolder folder(BenchFolderOptions());
    test::ToolProcess tool(folder.Program());
    HWND panel = tool.WaitForPanel(kWaitMs);
    if (panel == nullptr) {
        result.allSucceeded = false;
        return result;
    }
    result.afterStart = SettledFiguresOf(panel);
    for (int i = 0; i < runs; ++i) {
        bool enabled = false;
        const bool disabled = Disable(tool, panel);
        LONGLONG releaseTicks = 0;
        const double ms = TimedEnable(tool, panel, enabled, releaseTicks);
        if (!disabled || !enabled || ms < 0) result.allSucceeded = false;
        if (afterEnable && ms >= 0) afterEnable(tool.Id(), releaseTicks, ms);
        result.enableAndRunner.Add(ms, TimeRunnerOnce(), "showed no result");
    }
    result.afterSwitches = SettledFiguresOf(panel);
    return result;
}

}  // namespace bench
