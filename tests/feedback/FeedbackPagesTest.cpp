#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "feedback/ToolIdentity.h"

namespace {

// A loaded copy of the library that records the pages it opens.
struct PagesFixture {
    explicit PagesFixture(const std::string& addressLines) {
        folder.WriteConfig(addressLines);
        EXPECT_EQ(1, library.Load(folder.Path()));
        ToolInfo info = {};
        EXPECT_EQ(1, library.InitFreedbackDll(&info));
    }
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
        EXPECT_EQ(std::vector<std::string>{c.expected}, fixture.folder.OpenedPages());
    }
    PagesFixture fixture("");
    EXPECT_EQ(0, fixture.library.FeedbackQuestion(nullptr, kToolVersion));
    EXPECT_EQ(0, fixture.library.FeedbackQuestion(kToolId, nullptr));
    EXPECT_TRUE(fixture.folder.OpenedPages().empty());
}

TEST(FeedbackPages, OpenUrlHandsOnlyWebAddressesToTheShellAndLeavesTheStringToTheCaller) {
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
        if (c.opened) expected.push_back(test::Utf8(c.address));
    }
    EXPECT_EQ(0, fixture.library.OpenUrl(nullptr));
    EXPECT_EQ(expected, fixture.folder.OpenedPages());
}

TEST(FeedbackPages, DownloadAndAgreementPagesOpenOnlyWhenConfiguredAsWebAddresses) {
    PagesFixture web(
        "Download=https://download.example/latest\r\n"
        "Agreement=http://agreement.example/terms\r\n");
    EXPECT_EQ(1, web.library.OpenToolDownUrl());
    EXPECT_EQ(1, web.library.OpenUseAgreementUrl());
    EXPECT_EQ((std::vector<std::string>{"https://download.example/latest",
                                        "http://agreement.example/terms"}),
              web.folder.OpenedPages());

    PagesFixture local(
        "Download=file:///C:/windows/system32/calc.exe\r\n"
        "Agreement=C:\\windows\\system32\\calc.exe\r\n");
    EXPECT_EQ(0, local.library.OpenToolDownUrl());
    EXPECT_EQ(0, local.library.OpenUseAgreementUrl());
    EXPECT_TRUE(local.folder.OpenedPages().empty());
}

}  // namespace
