#include "e2e/ScenarioKit.h"

#include <cstdlib>

#include "log/LogSave.h"
#include "log/LogText.h"
#include "resource.h"
#include "skin/ScreenCapture.h"
#include "storage/StorageState.h"
#include "support/TestFiles.h"
#include "win/Gdiplus.h"

namespace scenario {

const char kNoUpdateServer[] = "[Addresses]\r\nUpdateManifest=http://127.0.0.1:9/versions.txt\r\n";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void SetStart(DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUsbStorKey, 0, nullptr, 0,
                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    RegSetValueExW(key, kUsbStorStartValue, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                   sizeof(value));
    RegCloseKey(key);
}

DWORD Start() {
    DWORD value = 0;
    ReadUsbStorStart(&value);
    return value;
}

std::string LastLogLine(const char* file) {
    const auto lines = test::SplitLines(
        test::ReadBytes(CLogSave::GetInstance()->LogDirectory() + FromLogText(file)));
    return lines.empty() ? std::string() : lines.back().substr(30);
}

bool Enabled(HWND panel, int id) { return IsWindowEnabled(GetDlgItem(panel, id)) != FALSE; }

bool IsChecked(HWND panel) {
    return SendMessageW(GetDlgItem(panel, IDC_AGREE_CHECK), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

ToolSession::ToolSession(e2e::ToolFolder::Options options) {
    if (options.ini.empty()) options.ini = kNoUpdateServer;
    folder = std::make_unique<e2e::ToolFolder>(options);
    process = std::make_unique<e2e::ToolProcess>(folder->Program());
}

std::wstring AnswerPrompt(e2e::ToolProcess& process, int button) {
    HWND prompt = process.WaitForPrompt(kPromptTimeout);
    EXPECT_NE(nullptr, prompt) << "no prompt appeared";
    if (prompt == nullptr) return std::wstring();
    const std::wstring text = e2e::ControlText(prompt, IDC_PROMPT_TEXT);
    auto gone = [&]() { return !IsWindow(prompt) || !IsWindowVisible(prompt); };
    ClickUntil(prompt, button, gone);
    EXPECT_TRUE(gone()) << "the prompt stayed";
    return text;
}

void SaveScreenshot(const wchar_t* name) {
    if (GetACP() != 936) return;  // the pictures show the Chinese system
    win::GdiplusSession gdiplus;
    const std::wstring folder = test::ProgramDirectory() + L"\\..\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    test::SaveScreenPng({560, 140, 1360, 940}, folder + L"\\" + name + L".png");
}

}  // namespace scenario
