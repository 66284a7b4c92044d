// The real tool, started from a folder of its own and used with the mouse and keyboard.
// Each suite runs in a Wine prefix set up for it (tests/support/in-prefix-copy.sh): the screen's
// DPI, the Windows version and the language are the prefix's.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "e2e/ScenarioKit.h"
#include "support/RealInput.h"
#include "support/Text.h"

namespace {

using test::ToolFolder;
using test::ToolProcess;
using namespace scenario;  // NOLINT: the scenarios' shared vocabulary

RECT Rect(HWND hWnd) {
    RECT rect = {};
    GetWindowRect(hWnd, &rect);
    return rect;
}

// --- Layout, at the DPI of the group's prefix ------------------------------------------

class Layout : public ::testing::TestWithParam<int> {
protected:
    // A design length at 96 DPI, as the screen's DPI makes it.
    int Scaled(int length) const { return length * GetParam() / 96; }
    // Rounding may move an edge by one pixel once scaled.
    void ExpectScaled(const RECT& design, const RECT& actual, int what) const {
        const int tolerance = GetParam() == 96 ? 0 : 1;
        EXPECT_NEAR(Scaled(design.left), actual.left, tolerance) << what;
        EXPECT_NEAR(Scaled(design.top), actual.top, tolerance) << what;
        EXPECT_NEAR(Scaled(design.right), actual.right, tolerance) << what;
        EXPECT_NEAR(Scaled(design.bottom), actual.bottom, tolerance) << what;
    }
    // The main window's frame around the panel: left, top, right and bottom margins.
    void ExpectFramed(HWND main, HWND panel) const {
        const RECT outer = Rect(main), inner = Rect(panel);
        ExpectScaled({5, 4, 5, 7},
                     {inner.left - outer.left, inner.top - outer.top, outer.right - inner.right,
                      outer.bottom - inner.bottom},
                     0);
    }
};

TEST_P(Layout, PanelAndControlsScaleTheMainWindowIsCentredAndTheTopStripDragsBoth) {
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetParam(), GetDeviceCaps(screen, LOGPIXELSY)) << "the group's prefix is not set";
    ReleaseDC(nullptr, screen);
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    HWND main = tool.process->MainWindow();
    if (GetParam() == 96) SaveScreenshot(L"e2e-main-window", panel, IDC_DISABLE_BUTTON);

    RECT at = Rect(panel);
    ExpectScaled({0, 0, 400, 600}, {0, 0, at.right - at.left, at.bottom - at.top}, 0);
    ExpectFramed(main, panel);
    const RECT outer = Rect(main);
    EXPECT_NEAR((GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2, outer.left, 1);
    EXPECT_NEAR((GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2, outer.top, 1);
    const struct {
        int id;
        RECT design;
    } controls[] = {
        {IDC_DISABLE_BUTTON, {77, 240, 323, 287}},
        {IDC_ENABLE_BUTTON, {77, 300, 323, 347}},
        {IDC_CLOSE_BUTTON, {368, 0, 394, 34}},
        {IDC_MINIMISE_BUTTON, {340, 0, 366, 34}},
    };
    for (const auto& control : controls) {
        ExpectScaled(control.design, test::ControlRect(panel, control.id), control.id);
    }

    // The top strip drags panel and frame together; below it nothing moves.
    test::DragMouse({at.left + Scaled(150), at.top + Scaled(15)},
                    {at.left + Scaled(150) + 60, at.top + Scaled(15) + 40}, 5);
    EXPECT_TRUE(test::WaitFor([&]() { return Rect(panel).left == at.left + 60; }, 3000));
    EXPECT_EQ(at.top + 40, Rect(panel).top);
    ExpectFramed(main, panel);
    at = Rect(panel);
    test::DragMouse({at.left + Scaled(150), at.top + Scaled(60)},
                    {at.left + Scaled(200), at.top + Scaled(110)}, 5);
    EXPECT_FALSE(test::WaitFor(
        [&]() {
            const RECT now = Rect(panel);
            return !EqualRect(&at, &now);
        },
        1000));
}

INSTANTIATE_TEST_SUITE_P(AtDpi96, Layout, ::testing::Values(96));
INSTANTIATE_TEST_SUITE_P(AtDpi120, Layout, ::testing::Values(120));
INSTANTIATE_TEST_SUITE_P(AtDpi144, Layout, ::testing::Values(144));

// --- Switching --------------------------------------------------------------------------

TEST(Switching, NoWayOfRefusingTheDisableQuestionSwitches) {
    ASSERT_TRUE(test::SetUsbStorStart(kStartOn));
    ToolSession tool;
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    const struct {
        const char* name;
        bool asked;  // else the keys go to the panel, with no question open
        bool closesQuestion;
        std::function<void(HWND question)> refuse;
    } ways[] = {
        {"Space, Enter and Esc on the panel", false, false,
         [&](HWND) {
             test::MoveMouseAway();
             for (WORD key : {WORD(VK_SPACE), WORD(VK_RETURN), WORD(VK_ESCAPE), WORD(VK_SPACE)}) {
                 EXPECT_TRUE(test::PressKeyIn(panel, key));
             }
         }},
        {"Cancel", true, true, [](HWND q) { test::ClickControl(q, IDC_PROMPT_CANCEL_BUTTON); }},
        {"the question's x", true, true,
         [](HWND q) { test::ClickControl(q, IDC_PROMPT_CLOSE_BUTTON); }},
        {"Esc", true, false, [](HWND q) { EXPECT_TRUE(test::PressKeyIn(q, VK_ESCAPE)); }},
        {"Enter", true, false, [](HWND q) { EXPECT_TRUE(test::PressKeyIn(q, VK_RETURN)); }},
    };
    bool pictured = false;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        HWND question = nullptr;
        if (way.asked) {
            ASSERT_TRUE(tool.Press(panel, IDC_DISABLE_BUTTON));
            question = tool.process->WaitForPrompt(0);
            ASSERT_NE(nullptr, question);
            EXPECT_NE(std::wstring::npos,
                      test::ControlText(question, IDC_PROMPT_TEXT).find(L"确认要禁用U盘吗？"));
            EXPECT_TRUE(test::WaitUntilStill(question, IDC_PROMPT_CANCEL_BUTTON));
            if (!pictured) SaveScreenshot(L"e2e-confirmation");
            pictured = true;
        }
        way.refuse(question);
        if (question != nullptr) {
            const auto gone = [&]() { return !IsWindowVisible(question); };
            EXPECT_EQ(way.closesQuestion, test::WaitFor(gone, 1500));
            if (!way.closesQuestion) AnswerPrompt(*tool.process, IDC_PROMPT_CANCEL_BUTTON);
        } else {
            EXPECT_EQ(nullptr, tool.process->WaitForPrompt(1500));
        }
        EXPECT_EQ(nullptr, tool.process->WaitForProgress(1000));
        EXPECT_EQ(kStartOn, test::UsbStorStart());
        EXPECT_TRUE(Enabled(panel, IDC_DISABLE_BUTTON));
        EXPECT_FALSE(Enabled(panel, IDC_ENABLE_BUTTON));
        EXPECT_TRUE(tool.process->Running());
    }
}

// Disable (with its question), then Enable: the notices, the registry and the buttons.
void DisableThenEnable(ToolSession& tool, const wchar_t* disabledNotice,
                       const wchar_t* screenshot = nullptr) {
    HWND panel = tool.Panel();
    ASSERT_NE(nullptr, panel);
    const struct {
        int button;
        bool asksFirst;
        const wchar_t* progressText;
        const wchar_t* resultText;
        DWORD start;
    } steps[] = {
        {IDC_DISABLE_BUTTON, true, L"正在禁用，请稍等", disabledNotice, kStartOff},
        {IDC_ENABLE_BUTTON, false, L"正在启用，请稍等", L"U盘启用成功", kStartOn},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.button);
        ASSERT_TRUE(tool.Press(panel, step.button));
        EXPECT_FALSE(IsWindowEnabled(panel)) << "the panel takes clicks while its window is open";
        if (step.asksFirst) AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON);
        HWND progress = tool.process->WaitForProgress(kPromptTimeout);
        ASSERT_NE(nullptr, progress);
        EXPECT_EQ(step.progressText, test::ControlText(progress, IDC_PROGRESS_TEXT));
        HWND result = tool.process->WaitForPrompt(kPromptTimeout);
        if (screenshot && step.asksFirst && result) {
            SaveScreenshot(screenshot, result, IDC_PROMPT_OK_BUTTON);
        }
        EXPECT_EQ(step.resultText, AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
        EXPECT_EQ(step.start, test::UsbStorStart());
        // Whichever was pressed is now the one that is greyed out.
        EXPECT_EQ(step.start == kStartOn, Enabled(panel, IDC_DISABLE_BUTTON));
        EXPECT_EQ(step.start != kStartOn, Enabled(panel, IDC_ENABLE_BUTTON));
    }
}

// A reg and a timeout of the user's own, first on the Path the tool starts with and
// preferred by its PATHEXT, as HKCU\Environment can make them: they record that they ran.
class PlantedCommands {
public:
    PlantedCommands() : m_path(Variable(L"PATH")), m_pathExt(Variable(L"PATHEXT")) {
        for (const wchar_t* name : {L"reg.bat", L"timeout.bat"}) {
            test::WriteBytes(m_folder / name, "@echo %~n0>>\"" + test::Utf8(Record()) + "\"\r\n");
        }
        ::SetEnvironmentVariableW(L"PATH", (m_folder.Path() + L";" + m_path).c_str());
        ::SetEnvironmentVariableW(L"PATHEXT", L".BAT;.EXE");
    }
    ~PlantedCommands() {
        ::SetEnvironmentVariableW(L"PATH", m_path.c_str());
        ::SetEnvironmentVariableW(L"PATHEXT", m_pathExt.c_str());
    }
    std::string Ran() const { return test::ReadBytes(Record()); }

private:
    static std::wstring Variable(const wchar_t* name) {
        std::wstring value(32768, L'\0');
        value.resize(::GetEnvironmentVariableW(name, &value[0], 32768));
        return value;
    }
    std::wstring Record() const { return m_folder / L"ran.txt"; }

    test::TempDir m_folder;
    std::wstring m_path, m_pathExt;
};

// The switch and the folder removal run the system's reg and timeout, whatever the user's
// own environment says.
TEST(Switching, DisableThenEnableSwitchTheRegistryAndTheButtons) {
    const PlantedCommands planted;
    ASSERT_TRUE(test::SetUsbStorStart(kStartOn));
    ToolSession tool;
    DisableThenEnable(tool, L"U盘禁用成功");
    ASSERT_TRUE(test::CloseThroughQuestion(*tool.process));
    EXPECT_TRUE(test::WaitForProcessesStartedBy(tool.process->Id(), 15000));
    EXPECT_FALSE(test::Exists(tool.folder->Path())) << "the removal did not wait and run";
    EXPECT_EQ("", planted.Ran());
}

// In a prefix whose A: Wine reports as removable: a USB stick plugged in now keeps working
// until it is unplugged, and the notice says so.
TEST(MountedVolume, DisableNoticeSaysAPluggedInDriveWorksUntilUnplugged) {
    ASSERT_TRUE(test::SetUsbStorStart(kStartOn));
    ToolSession tool;
    DisableThenEnable(tool, L"U盘禁用成功\r\n已插入的U盘拔出后才会被禁用。",
                      L"e2e-disabled-drive-plugged-in");
}

// --- Start-up ---------------------------------------------------------------------------

TEST(StartupRefused, UnsupportedWindowsVersionIsRefusedWithLogLineAndPrompt) {
    ToolSession tool;
    EXPECT_EQ(L"此工具不支持当前系统", AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
    EXPECT_EQ(0u, tool.process->WaitForExit(10000));
    EXPECT_EQ(L"此工具不支持当前系统", LastLogLine(L"Kestrum.txt"));
}

// The Windows version that the group's prefix reports, as "major.minor".
std::string PrefixWindowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) return "unknown";
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion);
}

TEST(StartupAccepted, SupportedWindowsVersionShowsThePanel) {
    // Else a prefix left at its default version would pass for any group.
    const char* expected = std::getenv("OMBREL_GROUP_WINDOWS");
    ASSERT_NE(nullptr, expected) << "run through ctest, which names the group's version";
    ASSERT_EQ(expected, PrefixWindowsVersion()) << "the group's prefix is not set";
    ToolSession tool;
    EXPECT_NE(nullptr, tool.Panel());
    EXPECT_EQ(nullptr, tool.process->WaitForPrompt(500));
}

// Wine prefers its own system libraries; Windows searches the program's folder first,
// and so does Wine for the libraries this key names "native,builtin" for the tool.
class PreferLibrariesOnDisk {
public:
    explicit PreferLibrariesOnDisk(const wchar_t* library) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, library, REG_SZ, L"native,builtin",
                        sizeof(L"native,builtin"));
    }
    ~PreferLibrariesOnDisk() { RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }
    PreferLibrariesOnDisk(const PreferLibrariesOnDisk&) = delete;
    PreferLibrariesOnDisk& operator=(const PreferLibrariesOnDisk&) = delete;

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Wine\\AppDefaults\\TovricOmbrel.exe\\DllOverrides";
};

TEST(Library, MissingFailingOrPlantedLibraries) {
    const struct {
        const char* name;
        bool withLibrary;
        const wchar_t* library;
        const wchar_t* planted;  // a system library's name on a library of ours
        const wchar_t* logText;  // the refusal's log line; null: the tool starts
        bool shipped = true;     // the program carries the hash of this library
    } cases[] = {
        {"missing", false, L"", nullptr, L"加载反馈DLL失败"},
        {"another library under its name", true, L"RecordingFeedbackLibrary.dll", nullptr,
         L"加载反馈DLL失败", false},
        {"failing initialisation", true, L"FailingFeedbackLibrary.dll", nullptr,
         L"初始化反馈DLL失败"},
        {"gdiplus planted beside the tool", true, L"HarvaneFeedbackInformation.dll", L"gdiplus",
         nullptr},
        // The library's own imports come from the system folder too.
        {"winhttp planted beside the tool", true, L"HarvaneFeedbackInformation.dll", L"winhttp",
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolFolder::Options options;
        options.withLibrary = c.withLibrary;
        if (c.withLibrary) options.library = c.library;
        options.trustLibrary = c.shipped;
        std::unique_ptr<PreferLibrariesOnDisk> onDisk;
        if (c.planted) {
            options.extraFiles = {{L"planted_library.dll", std::wstring(c.planted) + L".dll"}};
            onDisk = std::make_unique<PreferLibrariesOnDisk>(c.planted);
        }
        ToolSession tool(options);
        if (c.logText == nullptr) {
            EXPECT_NE(nullptr, tool.Panel()) << "the tool did not start";
            EXPECT_FALSE(test::Exists(tool.folder->Path() + L"\\planted-library-loaded"));
            continue;
        }
        EXPECT_EQ(L"工具初始化失败", AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
        EXPECT_EQ(0u, tool.process->WaitForExit(10000));
        EXPECT_EQ(c.logText, LastLogLine(L"Kestrum.txt"));
    }
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
    const POINT link = test::ControlCentre(panel, IDC_FEEDBACK_LINK);
    const RECT linkRect = test::ControlRect(panel, IDC_FEEDBACK_LINK);
    test::ClickAt({link.x - (linkRect.right - linkRect.left) / 2 - 30, link.y});
    ASSERT_TRUE(
        ClickUntil(panel, IDC_FEEDBACK_LINK, [&]() { return !tool.browser.Pages().empty(); }));
    const char kFeedbackPage[] = "https://feedback.example/ask?toolId=10119&version=1.0.21.517";
    EXPECT_EQ(std::vector<std::string>{kFeedbackPage}, tool.browser.Pages());

    ASSERT_TRUE(
        ClickUntil(panel, IDC_AGREEMENT_LINK, [&]() { return tool.browser.Pages().size() > 1; }));
    EXPECT_EQ((std::vector<std::string>{kFeedbackPage, "https://agreement.example/terms"}),
              tool.browser.Pages());
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

TEST(Update, NewerVersionIsAnnouncedOnceAndEndsTheTool) {
    if (Env("OMBREL_HTTP_PORT").empty()) GTEST_SKIP() << "run through ctest: no test servers";
    const std::string ini =
        "[Addresses]\r\nUpdateManifest=http://127.0.0.1:" + Env("OMBREL_HTTP_PORT") +
        "/versions.txt\r\nDownload=https://download.example/latest\r\n";
    std::wstring manifest = L"Z:";
    for (char c : Env("OMBREL_HTTP_ROOT") + "/versions.txt")
        manifest += c == '/' ? L'\\' : wchar_t(c);
    // Numbers, not text: 1000 is newer than 517. (No other answer shows anything: every
    // other scenario's tool runs with no update server.)
    test::WriteBytes(manifest, "10119=1.0.21.1000\r\n");
    ToolFolder::Options options;
    options.ini = ini;
    ToolSession tool(options);
    EXPECT_EQ(L"检测到当前工具有新的版本更新，请下载最新版本使用。",
              AnswerPrompt(*tool.process, IDC_PROMPT_OK_BUTTON));
    EXPECT_EQ(0u, tool.process->WaitForExit(10000));
    EXPECT_EQ(std::vector<std::string>{"https://download.example/latest"},
              tool.browser.WaitForPages(1));
}

// --- Closing ----------------------------------------------------------------------------

TEST(Closing, EachAnswerIsRecordedAndTheToolsFolderRemoved) {
    const struct {
        int button;
        const char* answer;
    } cases[] = {
        {IDC_SOLVED_BUTTON, "answer=1"},
        {IDC_UNSOLVED_BUTTON, "answer=2"},
        {IDC_FEEDBACK_CLOSE_BUTTON, "answer=3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        ToolSession tool;
        HWND panel = tool.Panel();
        ASSERT_NE(nullptr, panel);
        const size_t answersBefore =
            test::SplitLines(test::ReadBytes(test::AnswerFilePath())).size();
        HWND question = nullptr;
        ASSERT_TRUE(ClickUntil(panel, IDC_CLOSE_BUTTON, [&]() {
            return (question = tool.process->WaitForWindowWithControl(IDC_SOLVED_BUTTON, 0));
        }));
        EXPECT_TRUE(ClickUntil(question, c.button, [&]() { return !tool.process->Running(); }));
        // The removal waits until the program has ended: Windows keeps a running
        // program's file.
        EXPECT_TRUE(test::Exists(tool.folder->Program()));
        EXPECT_EQ(std::vector<std::string>{"https://www.harvane.example/feedback?toolId=10119&"
                                           "version=1.0.21.517"},
                  tool.browser.WaitForPages(1));
        const auto answers = test::SplitLines(test::ReadBytes(test::AnswerFilePath()));
        ASSERT_EQ(answersBefore + 1, answers.size());
        EXPECT_NE(std::string::npos, answers.back().find(c.answer)) << answers.back();
        EXPECT_NE(std::string::npos, answers.back().find("tool=10119"));
        EXPECT_TRUE(test::WaitFor([&]() { return !test::Exists(tool.folder->Path()); }, 10000));
    }
}

// What the folder removal leaves: the tool's settings file swapped, once the tool ended, for
// a folder holding a file stays with its folder (an elevated "del" of the file's name would
// have emptied it); while another instance runs from the folder, everything stays and the
// last one removes it.
TEST(Closing, RemovalLeavesWhatIsNotTheToolsOwnAndAFolderStillInUse) {
    const DWORD kRemovalTimeout = 15000;
    for (const bool anotherInstance : {false, true}) {
        SCOPED_TRACE(anotherInstance ? "another instance runs" : "a name swapped after the end");
        ToolSession tool;
        ASSERT_NE(nullptr, tool.Panel());
        // The later one lies on top of the earlier: it is closed first, as a user would.
        std::unique_ptr<ToolProcess> later;
        if (anotherInstance) {
            later = std::make_unique<ToolProcess>(tool.folder->Program());
            ASSERT_NE(nullptr, later->WaitForPanel(kStartTimeout));
        }
        ToolProcess& first = anotherInstance ? *later : *tool.process;
        ASSERT_TRUE(test::CloseThroughQuestion(first));
        const std::wstring swapped = tool.folder->Path() + L"\\HarvaneFeedbackInformation.ini";
        if (!anotherInstance) {
            DeleteFileW(swapped.c_str());  // the tool deleted it itself, or should have
            ASSERT_TRUE(CreateDirectoryW(swapped.c_str(), nullptr));
            test::WriteBytes(swapped + L"\\notes.txt", "saved");
        }
        ASSERT_TRUE(test::WaitForProcessesStartedBy(first.Id(), kRemovalTimeout));
        if (!anotherInstance) {
            EXPECT_EQ("saved", test::ReadBytes(swapped + L"\\notes.txt"));
            EXPECT_FALSE(test::Exists(tool.folder->Program())) << "the tool's own files go";
            continue;
        }
        for (const wchar_t* name : {L"TovricOmbrel.exe", L"HarvaneFeedbackInformation.dll",
                                    L"HarvaneFeedbackInformation.ini"}) {
            EXPECT_TRUE(test::Exists(tool.folder->Path() + L"\\" + name)) << "the earlier runs";
        }
        ASSERT_TRUE(test::CloseThroughQuestion(*tool.process));
        EXPECT_TRUE(
            test::WaitFor([&]() { return !test::Exists(tool.folder->Path()); }, kRemovalTimeout));
    }
}

}  // namespace
