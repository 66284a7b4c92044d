#pragma once
// What the end-to-end scenarios share: the tool started from a folder of its own, its
// prompts answered with the mouse, the registry state and the log read back.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "e2e/ToolRun.h"

namespace scenario {

const DWORD kStartTimeout = 20000;
const DWORD kPromptTimeout = 15000;

// No update server unless a test serves one: a closed local port answers at once.
extern const char kNoUpdateServer[];

std::string Env(const char* name);
void SetStart(DWORD value);
DWORD Start();
// The text of the last line in the log file `file`, without its time stamp.
std::string LastLogLine(const char* file);
bool Enabled(HWND panel, int id);
bool IsChecked(HWND panel);

// e2e::ClickUntil for assertions: a failure names the window that was under the cursor.
template <typename Condition>
::testing::AssertionResult ClickUntil(HWND dialog, int id, Condition done) {
    if (e2e::ClickUntil(dialog, id, done)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "three clicks on control " << id << " did nothing; under the cursor: "
           << e2e::DescribeWindowAt(e2e::ControlCentre(dialog, id), dialog);
}

// A running tool with its panel shown.
class ToolSession {
public:
    explicit ToolSession(e2e::ToolFolder::Options options = {});
    HWND Panel() { return process->WaitForPanel(kStartTimeout); }

    std::unique_ptr<e2e::ToolFolder> folder;
    std::unique_ptr<e2e::ToolProcess> process;
};

// Answers the prompt that must appear with `button`, and returns its text.
std::wstring AnswerPrompt(e2e::ToolProcess& process, int button);

// Saves what the screen shows around the tool for people to look at.
void SaveScreenshot(const wchar_t* name);

}  // namespace scenario
