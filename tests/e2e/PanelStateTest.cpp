// The control panel's state: which big button is live for each "Start" value and the
// agreement box, the update query beside a responsive panel, and a program copy with one
// of its background pictures damaged.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/ScenarioKit.h"
#include "win/UniqueHandle.h"

namespace {

using test::ToolFolder;
using test::ToolProcess;
using namespace scenario;  // NOLINT: the scenarios' shared vocabulary

bool IsChecked(HWND panel) {
    return SendMessageW(GetDlgItem(panel, IDC_AGREE_CHECK), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

struct LiveButtons {
    bool disable;
    bool enable;
};

::testing::AssertionResult ButtonsBecome(HWND panel, LiveButtons expected) {
    auto shown = [&]() {
        return Enabled(panel, IDC_DISABLE_BUTTON) == expected.disable &&
               Enabled(panel, IDC_ENABLE_BUTTON) == expected.enable;
    };
    if (test::WaitFor(shown, 5000)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Disable live: " << Enabled(panel, IDC_DISABLE_BUTTON)
                                         << ", Enable live: " << Enabled(panel, IDC_ENABLE_BUTTON);
}

TEST(PanelState, StartValueAndAgreementBoxDecideTheLiveButton) {
    const DWORD kNoKey = 0xFFFFFFFF;
    const LiveButtons on = {true, false}, off = {false, true};
    struct Case {
        const char* name;
        DWORD start;
        bool keyGoneWhileCleared;
        LiveButtons ticked;  // at start and once the box is ticked again
    } cases[] = {
        {"no key: both as created", kNoKey, false, {true, true}},
        {"0 boot", 0, false, on},
        {"1 system", 1, false, on},
        {"2 automatic", 2, false, on},
        {"3 on demand", 3, false, on},
        {"4 off", 4, false, off},
        {"5 unknown", 5, false, off},
        {"4, key gone before re-ticking: as before clearing", 4, true, off},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.start == kNoKey) {
            test::RemoveUsbStorKey();
        } else {
            ASSERT_TRUE(test::SetUsbStorStart(c.start));
        }
        ToolSession tool;
        HWND panel = tool.Panel();
        ASSERT_NE(nullptr, panel);
        EXPECT_TRUE(ButtonsBecome(panel, c.ticked)) << "at start";
        ASSERT_TRUE(ClickUntil(panel, IDC_AGREE_CHECK, [&]() { return !IsChecked(panel); }));
        EXPECT_TRUE(ButtonsBecome(panel, {false, false})) << "box cleared";
        if (c.keyGoneWhileCleared) test::RemoveUsbStorKey();
        ASSERT_TRUE(ClickUntil(panel, IDC_AGREE_CHECK, [&]() { return IsChecked(panel); }));
        EXPECT_TRUE(ButtonsBecome(panel, c.ticked)) << "box ticked again";
        if (c.start != kStartOff || c.keyGoneWhileCleared) continue;

        // Many fast clicks: whatever state the box ends in, the buttons follow it.
        for (int i = 0; i < 7; ++i) test::ClickControl(panel, IDC_AGREE_CHECK);
        EXPECT_TRUE(test::WaitFor(
            [&]() {
                return Enabled(panel, IDC_ENABLE_BUTTON) == IsChecked(panel) &&
                       !Enabled(panel, IDC_DISABLE_BUTTON);
            },
            5000));
    }
}

// What the test double recorded for `call`: the calling threads, or for "open" the
// lengths of the addresses it was given.
std::vector<std::string> Recorded(const ToolFolder& folder, const std::string& call) {
    std::vector<std::string> found;
    for (const std::string& line :
         test::SplitLines(test::ReadBytes(folder.Path() + L"\\library-calls.txt"))) {
        if (line.compare(0, call.size() + 1, call + " ") == 0) {
            found.push_back(line.substr(call.size() + 1));
        }
    }
    return found;
}

int PromptsOpen(const ToolProcess& process) {
    int count = 0;
    for (HWND window : process.Windows()) count += GetDlgItem(window, IDC_PROMPT_TEXT) ? 1 : 0;
    return count;
}

TEST(PanelState, UpdateQueryLeavesThePanelFreeAndItsNoticeWaitsUntilThePanelIsIdle) {
    ASSERT_TRUE(test::SetUsbStorStart(kStartOn));
    win::UniqueKernelHandle release(
        CreateEventW(nullptr, TRUE, FALSE, L"OmbrelTestReleaseUpdateQuery"));
    ASSERT_TRUE(release);
    ToolFolder::Options options;
    options.library = L"RecordingFeedbackLibrary.dll";
    ToolSession tool(options);
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    auto calls = [&](const char* call) { return Recorded(*tool.folder, call); };
    ASSERT_TRUE(test::WaitFor([&]() { return !calls("query").empty(); }, kStartTimeout));
    EXPECT_NE(calls("init"), calls("query")) << "the query ran on the panel's thread";

    // The library holds the query; the panel's thread keeps answering.
    for (int probe = 0; probe < 10; ++probe) {
        DWORD_PTR answer = 0;
        EXPECT_NE(0, SendMessageTimeoutW(panel, WM_NULL, 0, 0, SMTO_NORMAL, 100, &answer))
            << "probe " << probe;
        Sleep(100);
    }
    // More tools hands the library its own field, cut at the field's end (1,024).
    ASSERT_TRUE(ClickUntil(panel, IDC_MORE_TOOLS_BUTTON, [&]() { return !calls("open").empty(); }));
    EXPECT_EQ(std::vector<std::string>{"1024"}, calls("open"));

    // The answer comes while the Disable question is open: the notice waits for it.
    ASSERT_TRUE(
        ClickUntil(panel, IDC_DISABLE_BUTTON, [&]() { return PromptsOpen(*tool.process) > 0; }));
    SetEvent(release.Get());
    ASSERT_TRUE(test::WaitFor([&]() { return !calls("answer").empty(); }, 5000));
    EXPECT_FALSE(test::WaitFor([&]() { return PromptsOpen(*tool.process) > 1; }, 1000));
    EXPECT_NE(std::wstring::npos,
              AnswerPrompt(*tool.process, IDC_PROMPT_CANCEL_BUTTON).find(L"确认要禁用U盘吗？"));

    EXPECT_EQ(L"检测到当前工具有新的版本更新，请下载最新版本使用。",
              AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
    EXPECT_EQ(0u, tool.process->WaitForExit(10000));
    EXPECT_EQ(1u, calls("download").size());
    EXPECT_EQ(kStartOn, test::UsbStorStart());
}

// Overwrites PNG resource `id` in the program file with bytes that are no picture, leaving
// its size and every other resource as they are.
bool DamagePicture(const std::wstring& program, int id) {
    std::string picture;
    if (HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        HRSRC resource = FindResourceW(image, MAKEINTRESOURCEW(id), L"PNG");
        if (resource != nullptr) {
            picture.assign(static_cast<const char*>(LockResource(LoadResource(image, resource))),
                           SizeofResource(image, resource));
        }
        FreeLibrary(image);
    }
    std::string bytes = test::ReadBytes(program);
    const size_t at = picture.empty() ? std::string::npos : bytes.find(picture);
    if (at == std::string::npos) return false;
    bytes.replace(at, picture.size(), std::string(picture.size(), 'x'));
    test::WriteBytes(program, bytes);
    return true;
}

// A background picture that cannot be decoded (damaged, or as good as missing) ends the
// tool with a log line and a prompt, instead of a black window nobody can end.
TEST(PanelState, DamagedPictureEndsTheToolWithLogLineAndPrompt) {
    for (int picture : {138, 139}) {  // the frame, the panel
        SCOPED_TRACE(picture);
        ToolFolder::Options options;
        options.ini = kNoUpdateServer;
        ToolFolder folder(options);
        ASSERT_TRUE(DamagePicture(folder.Program(), picture));
        ToolProcess process(folder.Program());
        HWND prompt = process.WaitForPrompt(kPromptTimeout);
        ASSERT_NE(nullptr, prompt);
        if (picture == 139) SaveScreenshot(L"e2e-missing-picture", prompt, IDC_PROMPT_OK_BUTTON);
        EXPECT_EQ(L"工具初始化失败", AnswerPrompt(process, IDC_PROMPT_OK_BUTTON));
        EXPECT_EQ(0u, process.WaitForExit(10000));
        EXPECT_EQ(L"加载背景图片失败", LastLogLine(L"Kestrum.txt"));
    }
}

}  // namespace
