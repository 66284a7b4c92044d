// The real tool, started from a folder of its own and used with the mouse and keyboard.
// Each suite runs in a Wine prefix set up for it (tests/e2e/run-group.sh): the screen's
// DPI, the Windows version and the language are the prefix's.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "e2e/ScenarioKit.h"
#include "e2e/ToolRun.h"
#include "log/LogText.h"
#include "resource.h"
#include "storage/StorageState.h"
#include "support/RealInput.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"

namespace {

using e2e::ToolFolder;
using e2e::ToolProcess;

using namespace scenario;  // NOLINT: the scenarios' shared vocabulary

RECT Rect(HWND hWnd) {
    RECT rect = {};
    GetWindowRect(hWnd, &rect);
    return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

// --- Layout -----------------------------------------------------------------------------

TEST(AtDpi96, MainWindowAndPanelAreCentredOnTheScreen) {
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    ExpectRect({760, 239, 1160, 839}, Rect(panel));
    ExpectRect({755, 235, 1165, 846}, Rect(tool.process->MainWindow()));
    Sleep(1000);
    SaveScreenshot(L"e2e-main-window");
    // Controls at their design places, in panel client coordinates.
    struct Place {
        int id;
        RECT rect;
    } places[] = {
        {IDC_DISABLE_BUTTON, {77, 240, 323, 287}},
        {IDC_ENABLE_BUTTON, {77, 300, 323, 347}},
        {IDC_CLOSE_BUTTON, {368, 0, 394, 34}},
        {IDC_MINIMISE_BUTTON, {340, 0, 366, 34}},
    };
    const RECT origin = Rect(panel);
    for (const Place& place : places) {
        RECT rect = e2e::ControlRect(panel, place.id);
        OffsetRect(&rect, -origin.left, -origin.top);
        SCOPED_TRACE(place.id);
        ExpectRect(place.rect, rect);
    }
}

TEST(AtDpi96, DraggingTheTopStripMovesPanelAndMainWindowTogether) {
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    const RECT before = Rect(panel);
    test::DragMouse({before.left + 150, before.top + 15}, {before.left + 210, before.top + 55}, 5);
    ASSERT_TRUE(e2e::WaitFor([&]() { return Rect(panel).left == before.left + 60; }, 3000));
    const RECT after = Rect(panel);
    EXPECT_EQ(before.top + 40, after.top);
    const RECT main = Rect(tool.process->MainWindow());
    ExpectRect({after.left - 5, after.top - 4, after.right + 5, after.bottom + 7}, main);

    // Below the strip nothing moves.
    test::DragMouse({after.left + 150, after.top + 60}, {after.left + 200, after.top + 110}, 5);
    Sleep(300);
    ExpectRect(after, Rect(panel));
}

TEST(AtDpi96, SpaceOnTheFocusedBigButtonAndEscEnterStartNothing) {
    SetStart(kStartEnabled);
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    SetCursorPos(5, 5);  // far from every button
    for (WORD key :
         {WORD(VK_SPACE), WORD(VK_RETURN), WORD(VK_ESCAPE), WORD(VK_TAB), WORD(VK_SPACE)}) {
        test::PressKey(key);
    }
    EXPECT_EQ(nullptr, tool.process->WaitForPrompt(1500));
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(STILL_ACTIVE, tool.process->WaitForExit(0));
    EXPECT_EQ(kStartEnabled, Start());
}

TEST(AtDpi120, EverythingScalesByAQuarter) {
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    const RECT rect = Rect(panel);
    EXPECT_EQ(499, rect.right - rect.left);
    EXPECT_EQ(749, rect.bottom - rect.top);
    const RECT main = Rect(tool.process->MainWindow());
    ExpectRect({rect.left - 6, rect.top - 5, rect.right + 6, rect.bottom + 8}, main);
}

TEST(AtDpi144, BigButtonsScaleByAHalf) {
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    RECT button = e2e::ControlRect(panel, IDC_DISABLE_BUTTON);
    const RECT origin = Rect(panel);
    OffsetRect(&button, -origin.left, -origin.top);
    ExpectRect({115, 360, 115 + 369, 360 + 70}, button);
}

// --- Switching --------------------------------------------------------------------------

TEST(Switching, CancellingTheDisableQuestionChangesNothing) {
    SetStart(kStartEnabled);
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    ASSERT_TRUE(ClickUntil(panel, IDC_DISABLE_BUTTON,
                           [&]() { return tool.process->WaitForPrompt(0) != nullptr; }));
    Sleep(500);
    SaveScreenshot(L"e2e-confirmation");
    const std::wstring question = AnswerPrompt(*tool.process, IDC_PROMPT_CANCEL_BUTTON);
    EXPECT_NE(std::wstring::npos, question.find(L"确认要禁用U盘吗？"));
    EXPECT_EQ(nullptr, tool.process->WaitForProgress(1500));
    EXPECT_EQ(kStartEnabled, Start());
    EXPECT_TRUE(Enabled(panel, IDC_DISABLE_BUTTON));
    EXPECT_FALSE(Enabled(panel, IDC_ENABLE_BUTTON));
}

// Disable (with its question), then Enable: the notices, the registry and the buttons.
void DisableThenEnable(const wchar_t* disabledNotice, const wchar_t* screenshot = nullptr) {
    SetStart(kStartEnabled);
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    struct Step {
        int button;
        bool asksFirst;
        const wchar_t* progressText;
        const wchar_t* resultText;
        DWORD start;
    } steps[] = {
        {IDC_DISABLE_BUTTON, true, L"正在禁用，请稍等", disabledNotice, kStartDisabled},
        {IDC_ENABLE_BUTTON, false, L"正在启用，请稍等", L"U盘启用成功", kStartEnabled},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.button);
        ASSERT_TRUE(ClickUntil(panel, step.button, [&]() {
            return tool.process->WaitForPrompt(0) != nullptr ||
                   tool.process->WaitForProgress(0) != nullptr;
        }));
        EXPECT_FALSE(IsWindowEnabled(panel)) << "the panel takes clicks while its window is open";
        if (step.asksFirst) AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON);
        HWND progress = tool.process->WaitForProgress(kPromptTimeout);
        ASSERT_NE(nullptr, progress);
        EXPECT_EQ(step.progressText, e2e::ControlText(progress, IDC_PROGRESS_TEXT));
        if (screenshot && step.button == IDC_DISABLE_BUTTON &&
            tool.process->WaitForPrompt(kPromptTimeout)) {
            Sleep(500);
            SaveScreenshot(screenshot);
        }
        EXPECT_EQ(step.resultText, AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
        EXPECT_EQ(step.start, Start());
        // Whichever was pressed is now the one that is greyed out.
        EXPECT_EQ(step.start == kStartEnabled, Enabled(panel, IDC_DISABLE_BUTTON));
        EXPECT_EQ(step.start != kStartEnabled, Enabled(panel, IDC_ENABLE_BUTTON));
    }
}

TEST(Switching, DisableThenEnableSwitchTheRegistryAndTheButtons) {
    DisableThenEnable(L"U盘禁用成功");
}

// In a prefix whose A: Wine reports as removable: a USB stick plugged in now keeps working
// until it is unplugged, and the notice says so.
TEST(MountedVolume, DisableNoticeSaysAPluggedInDriveWorksUntilUnplugged) {
    DisableThenEnable(L"U盘禁用成功\r\n已插入的U盘拔出后才会被禁用。",
                      L"e2e-disabled-drive-plugged-in");
}

// --- Start-up ---------------------------------------------------------------------------

TEST(StartupRefused, UnsupportedWindowsVersionIsRefusedWithLogLineAndPrompt) {
    ToolSession tool;
    EXPECT_EQ(L"此工具不支持当前系统", AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
    EXPECT_EQ(0u, tool.process->WaitForExit(10000));
    EXPECT_EQ(ToLogText(L"此工具不支持当前系统"), LastLogLine("Kestrum.txt"));
}

TEST(StartupAccepted, SupportedWindowsVersionShowsThePanel) {
    ToolSession tool;
    EXPECT_NE(nullptr, tool.Panel());
    EXPECT_EQ(nullptr, tool.process->WaitForPrompt(500));
}

TEST(Library, MissingOrFailingLibraryIsRefused) {
    struct Case {
        const char* name;
        bool withLibrary;
        const wchar_t* library;
        const wchar_t* logText;
    } cases[] = {
        {"missing", false, L"", L"加载反馈DLL失败"},
        {"failing initialisation", true, L"FailingFeedbackLibrary.dll", L"初始化反馈DLL失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolFolder::Options options;
        options.withLibrary = c.withLibrary;
        if (c.withLibrary) options.library = c.library;
        ToolSession tool(options);
        EXPECT_EQ(L"工具初始化失败", AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
        EXPECT_EQ(0u, tool.process->WaitForExit(10000));
        EXPECT_EQ(ToLogText(c.logText), LastLogLine("Kestrum.txt"));
    }
}

// Wine prefers its own system libraries; Windows searches the program's folder first,
// and so does Wine for the libraries this key names "native,builtin" for the tool.
class PreferLibrariesOnDisk {
public:
    explicit PreferLibrariesOnDisk(const wchar_t* library) {
        RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &m_key,
                        nullptr);
        const wchar_t order[] = L"native,builtin";
        RegSetValueExW(m_key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                       sizeof(order));
    }
    ~PreferLibrariesOnDisk() {
        RegCloseKey(m_key);
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    }
    PreferLibrariesOnDisk(const PreferLibrariesOnDisk&) = delete;
    PreferLibrariesOnDisk& operator=(const PreferLibrariesOnDisk&) = delete;

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Wine\\AppDefaults\\TovricOmbrel.exe\\DllOverrides";
    HKEY m_key = nullptr;
};

TEST(Library, SystemLibraryPlantedBesideTheToolIsNotLoaded) {
    ToolFolder::Options options;
    options.extraFiles = {{L"planted_library.dll", L"gdiplus.dll"}};
    PreferLibrariesOnDisk onDisk(L"gdiplus");
    ToolSession tool(options);
    const HWND panel = tool.Panel();
    EXPECT_FALSE(test::Exists(tool.folder->Path() + L"\\planted-library-loaded"));
    EXPECT_NE(nullptr, panel) << "the tool did not start";
}

// --- Feedback library -------------------------------------------------------------------

TEST(Links, FeedbackAndAgreementLinksOpenTheirPagesOnlyWhenHit) {
    ToolFolder::Options options;
    options.ini =
        std::string(kNoUpdateServer) +
        "Feedback=https://feedback.example/ask\r\nAgreement=https://agreement.example/terms\r\n";
    ToolSession tool(options);
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);

    // A click beside the link opens nothing: the first page to arrive is the link's own.
    const RECT link = e2e::ControlRect(panel, IDC_FEEDBACK_LINK);
    test::ClickAt({link.left - 30, (link.top + link.bottom) / 2});
    ASSERT_TRUE(
        ClickUntil(panel, IDC_FEEDBACK_LINK, [&]() { return !tool.browser.Pages().empty(); }));
    const char kFeedbackPage[] = "https://feedback.example/ask?toolId=10119&version=1.0.21.517";
    EXPECT_EQ(std::vector<std::string>{kFeedbackPage}, tool.browser.Pages());

    ASSERT_TRUE(
        ClickUntil(panel, IDC_AGREEMENT_LINK, [&]() { return tool.browser.Pages().size() > 1; }));
    EXPECT_EQ((std::vector<std::string>{kFeedbackPage, "https://agreement.example/terms"}),
              tool.browser.Pages());
}

void ServeManifest(const std::string& content) {
    std::wstring path = L"Z:";
    for (char c : Env("OMBREL_HTTP_ROOT") + "/versions.txt") path += c == '/' ? L'\\' : wchar_t(c);
    test::WriteBytes(path, content);
}

TEST(Update, NewerVersionIsAnnouncedOnceAndEndsTheTool) {
    if (Env("OMBREL_HTTP_PORT").empty()) GTEST_SKIP() << "run through ctest: no test servers";
    const std::string ini =
        "[Addresses]\r\nUpdateManifest=http://127.0.0.1:" + Env("OMBREL_HTTP_PORT") +
        "/versions.txt\r\nDownload=https://download.example/latest\r\n";
    struct Case {
        const char* manifest;
        bool announced;
    } cases[] = {
        {"10119=1.0.21.517\r\n", false},
        {"10119=1.0.21.1000\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.manifest);
        ServeManifest(c.manifest);
        ToolFolder::Options options;
        options.ini = ini;
        ToolSession tool(options);
        if (!c.announced) {
            ASSERT_NE(nullptr, tool.Panel());
            EXPECT_EQ(nullptr, tool.process->WaitForPrompt(4000));
            EXPECT_EQ(STILL_ACTIVE, tool.process->WaitForExit(0));
            continue;
        }
        EXPECT_EQ(L"检测到当前工具有新的版本更新，请下载最新版本使用。",
                  AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
        EXPECT_EQ(0u, tool.process->WaitForExit(10000));
        EXPECT_EQ(std::vector<std::string>{"https://download.example/latest"},
                  tool.browser.WaitForPages(1));
    }
}

// --- Closing ----------------------------------------------------------------------------

std::string AnswerFile() {
    wchar_t programData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramData", programData, MAX_PATH);
    return test::ReadBytes(std::wstring(programData) + L"\\HarvaneFeedback\\CustomerFeedback.txt");
}

TEST(Closing, EachAnswerIsRecordedAndTheToolsFolderRemoved) {
    struct Case {
        int button;
        const char* answer;
    } cases[] = {
        {IDC_SOLVED_BUTTON, "answer=1"},
        {IDC_UNSOLVED_BUTTON, "answer=2"},
        {IDC_FEEDBACK_CLOSE_BUTTON, "answer=3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ToolSession tool;
        HWND panel = tool.Panel();
        ASSERT_NE(nullptr, panel);
        const size_t answersBefore = test::SplitLines(AnswerFile()).size();
        HWND question = nullptr;
        ASSERT_TRUE(ClickUntil(panel, IDC_CLOSE_BUTTON, [&]() {
            for (HWND hWnd : tool.process->Windows()) {
                if (GetDlgItem(hWnd, IDC_SOLVED_BUTTON)) question = hWnd;
            }
            return question != nullptr;
        }));
        EXPECT_TRUE(ClickUntil(question, c.button,
                               [&]() { return tool.process->WaitForExit(0) != STILL_ACTIVE; }));
        EXPECT_NE(STILL_ACTIVE, tool.process->WaitForExit(10000));
        // The removal waits until the program has ended: Windows keeps a running
        // program's file.
        EXPECT_TRUE(test::Exists(tool.folder->Program()));
        EXPECT_EQ(std::vector<std::string>{"https://www.harvane.example/feedback?toolId=10119&"
                                           "version=1.0.21.517"},
                  tool.browser.WaitForPages(1));
        const auto answers = test::SplitLines(AnswerFile());
        ASSERT_EQ(answersBefore + 1, answers.size());
        EXPECT_NE(std::string::npos, answers.back().find(c.answer)) << answers.back();
        EXPECT_NE(std::string::npos, answers.back().find("tool=10119"));
        EXPECT_TRUE(e2e::WaitFor([&]() { return !test::Exists(tool.folder->Path()); }, 10000));
    }
}

}  // namespace
