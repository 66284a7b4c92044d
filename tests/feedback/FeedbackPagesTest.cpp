#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "PageOpener.h"
#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "feedback/ToolIdentity.h"
#include "support/RecordingBrowser.h"
#include "win/UniqueHandle.h"

namespace {

// A loaded copy of the library; the pages it opens reach the recording browser.
struct PagesFixture {
    explicit PagesFixture(const std::string& addressLines, const std::string& extraLines = "") {
        EXPECT_TRUE(browser.Registered());
        folder.WriteConfig(addressLines, extraLines);
        EXPECT_EQ(1, library.Load(folder.Path()));
        ToolInfo info = {};
        EXPECT_EQ(1, library.InitFreedbackDll(&info));
    }

    test::RecordingBrowser browser;
    test::LibraryFolder folder;
    CFeedbackLibrary library;
};

TEST(FeedbackPages, FeedbackQuestionAddsToolIdAndVersionPercentEncoded) {
    struct Case {
        const char* page;
        const wchar_t* toolId;
        const wchar_t* version;
        const char* expected;
    } cases[] = {
        {"https://fb.example/ask", kToolId, kToolVersion,
         "https://fb.example/ask?toolId=10119&version=1.0.21.517"},
        {"https://fb.example/ask?lang=zh", kToolId, kToolVersion,
         "https://fb.example/ask?lang=zh&toolId=10119&version=1.0.21.517"},
        {"https://fb.example/ask?", kToolId, kToolVersion,
         "https://fb.example/ask?toolId=10119&version=1.0.21.517"},
        {"http://fb.example/ask#form", kToolId, kToolVersion,
         "http://fb.example/ask?toolId=10119&version=1.0.21.517#form"},
        {"https://fb.example/ask", L"a b&c=d#e", L"1.0/中~_-.",
         "https://fb.example/ask?toolId=a%20b%26c%3Dd%23e&version=1.0%2F%E4%B8%AD~_-."},
        {"https://fb.example/ask", L"", L"", "https://fb.example/ask?toolId=&version="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        PagesFixture fixture(std::string("Feedback=") + c.page + "\r\n");
        EXPECT_EQ(1, fixture.library.FeedbackQuestion(c.toolId, c.version));
        EXPECT_EQ(std::vector<std::string>{c.expected}, fixture.browser.WaitForPages(1));
    }
    PagesFixture fixture("");
    EXPECT_EQ(0, fixture.library.FeedbackQuestion(nullptr, kToolVersion));
    EXPECT_EQ(0, fixture.library.FeedbackQuestion(kToolId, nullptr));
    EXPECT_TRUE(test::AllPagesOpened(fixture.library, fixture.browser).empty());
}

TEST(FeedbackPages, OpenUrlHandsOnlyWebAddressesToTheBrowserAndLeavesTheStringToTheCaller) {
    struct Case {
        std::wstring address;
        bool opened;
    } cases[] = {
        {L"http://tools.example/list", true},
        {L"https://tools.example/list?a=1&b=%20#top", true},
        {L"HTTPS://TOOLS.EXAMPLE/", true},
        {L"https://tools.example:8443/中文", true},
        {L"file:///C:/windows/system32/calc.exe", false},
        {L"C:\\windows\\system32\\calc.exe", false},
        {L"\\\\server\\share\\setup.exe", false},
        {L"javascript:alert(1)", false},
        {L"ftp://tools.example/", false},
        {L"mailto:someone@tools.example", false},
        {L"httpx://tools.example/", false},
        {L"http:tools.example", false},
        {L"http://", false},
        {L"https:///path", false},
        {L" https://tools.example/", false},
        {L"https://tools.example/a b", false},
        {L"https://tools.example/\" --new-window file:///C:/", false},
        {L"https://tools.example/\r\nfile:///C:/", false},
        {std::wstring(L"https://tools.example/\0file:///C:/", 34), false},
        {L"", false},
    };
    PagesFixture fixture("");
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(test::Utf8(c.address));
        BSTR address = SysAllocStringLen(c.address.data(), static_cast<UINT>(c.address.size()));
        EXPECT_EQ(c.opened ? 1 : 0, fixture.library.OpenUrl(address));
        // Still the caller's, unchanged.
        EXPECT_EQ(c.address, std::wstring(address, SysStringLen(address)));
        SysFreeString(address);
        if (c.opened) {
            expected.push_back(test::Utf8(c.address));
            // One at a time, so that the order of arrival is the order of the calls.
            fixture.browser.WaitForPages(expected.size());
        }
    }
    EXPECT_EQ(0, fixture.library.OpenUrl(nullptr));
    EXPECT_EQ(expected, test::AllPagesOpened(fixture.library, fixture.browser));
}

TEST(FeedbackPages, DownloadAndAgreementPagesOpenOnlyWhenConfiguredAsWebAddresses) {
    PagesFixture web(
        "Download=https://download.example/latest\r\n"
        "Agreement=http://agreement.example/terms\r\n");
    EXPECT_EQ(1, web.library.OpenToolDownUrl());
    web.browser.WaitForPages(1);
    EXPECT_EQ(1, web.library.OpenUseAgreementUrl());
    EXPECT_EQ((std::vector<std::string>{"https://download.example/latest",
                                        "http://agreement.example/terms"}),
              web.browser.WaitForPages(2));

    PagesFixture local(
        "Download=file:///C:/windows/system32/calc.exe\r\n"
        "Agreement=C:\\windows\\system32\\calc.exe\r\n");
    EXPECT_EQ(0, local.library.OpenToolDownUrl());
    EXPECT_EQ(0, local.library.OpenUseAgreementUrl());
    EXPECT_TRUE(test::AllPagesOpened(local.library, local.browser).empty());
}

TEST(FeedbackPages, AConfigurationNamingARecordFileWritesNothingAndThePageStillOpens) {
    // A file planted beside the library must not make it append the pages to a file of the
    // planter's choice with the tool's rights.
    test::TempDir elsewhere;
    const std::wstring target = elsewhere / L"startup.cmd";
    PagesFixture fixture("Agreement=https://agreement.example/terms\r\n",
                         "[Testing]\r\nOpenedPages=" + test::Utf8(target) + "\r\n");
    EXPECT_EQ(1, fixture.library.OpenUseAgreementUrl());
    EXPECT_EQ(std::vector<std::string>{"https://agreement.example/terms"},
              fixture.browser.WaitForPages(1));
    EXPECT_FALSE(test::Exists(target));
}

}  // namespace

std::wstring ProcessName(DWORD id) {
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    win::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == id) return entry.szExeFile;
    }
    return L"";
}

TEST(FeedbackPages, PagesAreStartedByTheDesktopsShellNotByTheCallingProcess) {
    // So that the browser gets the desktop's rights, not those of an elevated tool.
    PagesFixture fixture("Agreement=https://agreement.example/terms\r\n");
    EXPECT_EQ(1, fixture.library.OpenUseAgreementUrl());
    ASSERT_EQ(1u, fixture.browser.WaitForPages(1).size());
    const std::vector<DWORD> starters = fixture.browser.Starters();
    ASSERT_EQ(1u, starters.size());
    EXPECT_NE(GetCurrentProcessId(), starters[0]);
    EXPECT_EQ(0, _wcsicmp(L"explorer.exe", ProcessName(starters[0]).c_str()))
        << test::Utf8(ProcessName(starters[0]));
}

// The opener itself, with the desktop's shell stood in for: one that takes every address,
// and one that is not there.
std::vector<std::wstring> g_desktopShellCalls;
bool DesktopShellTakes(const std::wstring& address) {
    g_desktopShellCalls.push_back(address);
    return true;
}
bool NoDesktopShell(const std::wstring& address) {
    g_desktopShellCalls.push_back(address);
    return false;
}

TEST(PageOpener, AnAcceptedAddressGoesToTheDesktopsShellOrElseToThisProcesssShellCall) {
    const struct {
        const wchar_t* address;
        bool accepted;
    } cases[] = {
        {L"https://a.example/x?y=1&z=%20#top", true}, {L"http://b.example/", true},
        {L"file:///C:/windows/win.ini", false},       {L"https://c.example/\" file:///C:/", false},
        {L"C:\\windows\\system32\\calc.exe", false},
    };
    for (DesktopShellOpener desktop : {&DesktopShellTakes, &NoDesktopShell}) {
        const bool fallsBack = desktop == &NoDesktopShell;
        SCOPED_TRACE(fallsBack ? "without a desktop shell" : "with a desktop shell");
        test::RecordingBrowser browser;
        std::vector<std::string> expected;
        for (const auto& c : cases) {
            SCOPED_TRACE(test::Utf8(c.address));
            g_desktopShellCalls.clear();
            EXPECT_EQ(c.accepted ? 1 : 0, OpenWebPage(c.address, desktop));
            EXPECT_EQ(
                c.accepted ? std::vector<std::wstring>{c.address} : std::vector<std::wstring>{},
                g_desktopShellCalls);
            if (c.accepted && fallsBack) {
                expected.push_back(test::Utf8(c.address));
                browser.WaitForPages(expected.size());
            }
        }
        // A last page through this process's own call: whatever else arrived went that way.
        EXPECT_EQ(1, OpenWebPage(L"https://last.example/", &NoDesktopShell));
        EXPECT_EQ(expected, browser.PagesBefore("https://last.example/"));
        EXPECT_EQ(std::vector<DWORD>(expected.size() + 1, GetCurrentProcessId()),
                  browser.Starters());
    }
}

// A thread in the given COM state asks the desktop's shell, then tells what state it is
// left in: a second apartment-threaded initialisation answers S_OK when COM is off again,
// S_FALSE in the same apartment, RPC_E_CHANGED_MODE in the multithreaded one.
struct ComStateProbe {
    bool initialise;
    DWORD apartment;
    bool opened = false;
    HRESULT after = E_FAIL;
};

DWORD WINAPI AskDesktopShellAndProbe(void* parameter) {
    auto* probe = static_cast<ComStateProbe*>(parameter);
    const bool initialised =
        probe->initialise && SUCCEEDED(CoInitializeEx(nullptr, probe->apartment));
    probe->opened = OpenThroughDesktopShell(L"https://apartment.example/");
    probe->after = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(probe->after)) CoUninitialize();
    if (initialised) CoUninitialize();
    return 0;
}

TEST(PageOpener, TheCallingThreadsComStateIsLeftAsItWas) {
    const struct {
        const char* name;
        ComStateProbe probe;
        HRESULT expected;
    } cases[] = {
        {"no COM", {false, 0}, S_OK},
        {"apartment-threaded", {true, COINIT_APARTMENTTHREADED}, S_FALSE},
        {"multithreaded", {true, COINIT_MULTITHREADED}, RPC_E_CHANGED_MODE},
    };
    test::RecordingBrowser browser;
    size_t expectedPages = 0;
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        win::UniqueKernelHandle thread(
            CreateThread(nullptr, 0, &AskDesktopShellAndProbe, &c.probe, 0, nullptr));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), 30000));
        EXPECT_TRUE(c.probe.opened);
        EXPECT_EQ(c.expected, c.probe.after);
        ++expectedPages;
        EXPECT_EQ(expectedPages, browser.WaitForPages(expectedPages).size());
    }
}
