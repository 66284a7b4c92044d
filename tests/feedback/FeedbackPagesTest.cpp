#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "PageOpener.h"
#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "support/RecordingBrowser.h"

namespace {

// Where an address enters: given to OpenUrl, configured for the download page, the
// agreement page or the feedback link, or handed to the opener when the desktop's shell
// cannot be asked (then an unelevated process starts the browser itself, and this process,
// elevated as the tool is, opens nothing).
enum class Entry { OpenUrl, Download, Agreement, FeedbackLink, WithoutDesktopShell, Unelevated };

bool NoDesktopShell(const std::wstring&) { return false; }
bool NotElevated() { return false; }

// Opens `address` through `entry` of a freshly loaded library; true when it was handed on.
bool OpenThrough(Entry entry, const std::wstring& address, const std::string& extraConfig,
                 const wchar_t* toolId) {
    const std::string utf8 = test::Utf8(address);
    std::string configured;
    if (entry == Entry::Download) configured = "Download=" + utf8 + "\r\n";
    if (entry == Entry::Agreement) configured = "Agreement=" + utf8 + "\r\n";
    if (entry == Entry::FeedbackLink) configured = "Feedback=" + utf8 + "\r\n";
    test::LibraryFolder folder;
    folder.WriteConfig(configured, extraConfig);
    CFeedbackLibrary library;
    ToolInfo info = {};
    EXPECT_TRUE(folder.LoadInto(library) && library.InitFreedbackDll(&info));
    switch (entry) {
        case Entry::OpenUrl: {
            BSTR given = SysAllocStringLen(address.data(), static_cast<UINT>(address.size()));
            const bool opened = library.OpenUrl(given) != 0;
            EXPECT_EQ(address, std::wstring(given, SysStringLen(given))) << "still the caller's";
            SysFreeString(given);
            return opened;
        }
        case Entry::Download:
            return library.OpenToolDownUrl() != 0;
        case Entry::Agreement:
            return library.OpenUseAgreementUrl() != 0;
        case Entry::FeedbackLink:
            return library.FeedbackQuestion(toolId, L"1.0.21.517") != 0;
        case Entry::WithoutDesktopShell:
            return OpenWebPage(address, &NoDesktopShell) != 0;
        case Entry::Unelevated:
            return OpenWebPage(address, &NoDesktopShell, &NotElevated) != 0;
    }
    return false;
}

TEST(FeedbackPages, OnlyWebAddressesOpenWhateverWayTheyCome) {
    const Entry url = Entry::OpenUrl, feedback = Entry::FeedbackLink;
    struct Case {
        Entry entry;
        std::wstring address;
        const char* opened;  // the page the browser gets; null: refused
        const wchar_t* toolId = L"10119";
    } cases[] = {
        {url, L"http://tools.example/list", "http://tools.example/list"},
        {url, L"HTTPS://TOOLS.EXAMPLE:8443/中文?a=1&b=%20#top",
         "HTTPS://TOOLS.EXAMPLE:8443/\xE4\xB8\xAD\xE6\x96\x87?a=1&b=%20#top"},
        {url, L"file:///C:/windows/system32/calc.exe", nullptr},
        {url, L"C:\\windows\\system32\\calc.exe", nullptr},
        {url, L"\\\\server\\share\\setup.exe", nullptr},
        {url, L"javascript:alert(1)", nullptr},
        {url, L"http:tools.example", nullptr},
        {url, L"https:///path", nullptr},
        {url, L" https://tools.example/", nullptr},
        {url, L"https://tools.example/a b", nullptr},
        {url, L"https://tools.example/\" --new-window file:///C:/", nullptr},
        {url, L"https://tools.example/\r\nfile:///C:/", nullptr},
        {url, std::wstring(L"https://tools.example/\0file:///C:/", 34), nullptr},
        {url, L"", nullptr},
        {Entry::Download, L"https://download.example/latest", "https://download.example/latest"},
        {Entry::Download, L"file:///C:/windows/system32/calc.exe", nullptr},
        {Entry::Agreement, L"http://agreement.example/terms", "http://agreement.example/terms"},
        {Entry::Agreement, L"C:\\windows\\system32\\calc.exe", nullptr},
        // The link adds the tool's id and version, percent-encoded, before any fragment.
        {feedback, L"https://fb.example/ask?lang=zh",
         "https://fb.example/ask?lang=zh&toolId=10119&version=1.0.21.517"},
        {feedback, L"http://fb.example/ask#form",
         "http://fb.example/ask?toolId=a%20b%26c%3Dd%23e&version=1.0.21.517#form", L"a b&c=d#e"},
        {feedback, L"file:///C:/windows/win.ini", nullptr},
        {Entry::Unelevated, L"https://a.example/x?y=1", "https://a.example/x?y=1"},
        {Entry::Unelevated, L"https://c.example/\" file:///C:/", nullptr},
        {Entry::WithoutDesktopShell, L"https://b.example/", nullptr},
    };
    // A configuration planted beside the library must not make it record pages in a file
    // of the planter's choice with the tool's rights.
    test::TempDir elsewhere;
    const std::wstring target = elsewhere / L"startup.cmd";
    const std::string recordLine = "[Testing]\r\nOpenedPages=" + test::Utf8(target) + "\r\n";

    test::RecordingBrowser browser;
    ASSERT_TRUE(browser.Registered());
    ASSERT_TRUE(IsProcessElevated()) << "Wine runs every program elevated; the tool is";
    std::vector<std::string> expected;
    std::vector<bool> startedHere;  // else by the desktop's shell, with the user's rights
    for (const Case& c : cases) {
        SCOPED_TRACE(test::Utf8(c.address));
        EXPECT_EQ(c.opened != nullptr, OpenThrough(c.entry, c.address, recordLine, c.toolId));
        if (c.opened) {
            expected.push_back(c.opened);
            startedHere.push_back(c.entry == Entry::Unelevated);
            // One at a time, so that the order of arrival is the order of the calls.
            browser.WaitForPages(expected.size());
        }
    }
    EXPECT_TRUE(OpenThrough(Entry::Unelevated, L"https://last.example/", "", L"10119"));
    EXPECT_EQ(expected, browser.PagesBefore("https://last.example/"));
    std::vector<bool> started;
    for (DWORD starter : browser.Starters()) started.push_back(starter == GetCurrentProcessId());
    started.pop_back();
    EXPECT_EQ(startedHere, started);
    EXPECT_FALSE(test::Exists(target));
}

}  // namespace
