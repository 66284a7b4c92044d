#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "feedback/ToolIdentity.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

namespace {

bool ModuleLoaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }

TEST(FeedbackLibrary, LoadsTheLibraryBesideTheProgram) {
    CFeedbackLibrary library;
    ASSERT_EQ(1, library.Load());
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_TRUE(ModuleLoaded(test::ProgramDirectory() + L"\\HarvaneFeedbackInformation.dll"));
}

TEST(FeedbackLibrary, FailsWithoutTheFileWithAMissingEntryPointOrARelativeFolder) {
    test::TempDir empty;
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    // The library is in the current folder, yet a relative folder must not find it.
    SetCurrentDirectoryW(test::ProgramDirectory().c_str());
    const std::wstring folders[] = {
        empty.Path(),
        test::ProgramDirectory() + L"\\missing-export",
        L".",
        L"",
    };
    for (const std::wstring& folder : folders) {
        SCOPED_TRACE(test::Utf8(folder));
        CFeedbackLibrary library;
        EXPECT_EQ(0, library.Load(folder));
        EXPECT_FALSE(library.IsLoaded());
        ToolInfo info = {};
        EXPECT_EQ(0, library.InitFreedbackDll(&info));
    }
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(ModuleLoaded(test::ProgramDirectory() + L"\\missing-export\\"
                                                         L"HarvaneFeedbackInformation.dll"))
        << "a library that failed to load stays loaded";
}

TEST(FeedbackLibrary, FreesTheModuleAndLoadsAgain) {
    test::RecordingBrowser browser;
    test::LibraryFolder folder;
    folder.WriteConfig("");
    {
        CFeedbackLibrary library;
        ASSERT_EQ(1, library.Load(folder.Path()));
        EXPECT_TRUE(ModuleLoaded(folder.LibraryPath()));
    }
    EXPECT_FALSE(ModuleLoaded(folder.LibraryPath()));

    CFeedbackLibrary library;
    ASSERT_EQ(1, library.Load(folder.Path()));
    EXPECT_EQ(1, library.OpenUseAgreementUrl());
    EXPECT_EQ(1u, browser.WaitForPages(1).size());
    library.Free();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_FALSE(ModuleLoaded(folder.LibraryPath()));
    EXPECT_EQ(0, library.OpenUseAgreementUrl());
}

TEST(FeedbackLibrary, EveryCallOnAnUnloadedBindingReturnsZero) {
    CFeedbackLibrary library;
    ToolInfo info = {};
    BSTR address = SysAllocString(L"https://example.com/");
    EXPECT_EQ(0, library.InitFreedbackDll(&info));
    EXPECT_EQ(0, library.FeedbackQuestion(kToolId, kToolVersion));
    EXPECT_EQ(0, library.CustomerFeedbackEx(kToolId, kToolVersion, 1, L"0"));
    EXPECT_EQ(0, library.OpenUrl(address));
    EXPECT_EQ(0, library.GetToolIsNewVersion(kToolId, kToolVersion));
    EXPECT_EQ(0, library.OpenToolDownUrl());
    EXPECT_EQ(0, library.OpenUseAgreementUrl());
    SysFreeString(address);
    EXPECT_EQ(L'\0', info.homePage[0]);
}

TEST(FeedbackLibrary, InitFillsTheRecordFromTheConfigurationFile) {
    test::LibraryFolder folder;
    folder.WriteConfig(
        "Home=https://home.example/\r\n"
        "Feedback=https://feedback.example/ask\r\n"
        "Agreement=http://agreement.example/terms.html\r\n"
        "MoreTools=https://tools.example/list\r\n"
        "MoreSolutions=https://solutions.example/more\r\n"
        "Download=https://download.example/get\r\n");
    CFeedbackLibrary library;
    ASSERT_EQ(1, library.Load(folder.Path()));
    ToolInfo info = {};
    ASSERT_EQ(1, library.InitFreedbackDll(&info));
    EXPECT_STREQ(L"https://home.example/", info.homePage);
    EXPECT_STREQ(L"https://feedback.example/ask", info.feedbackPage);
    EXPECT_STREQ(L"http://agreement.example/terms.html", info.agreementPage);
    EXPECT_STREQ(L"https://tools.example/list", info.moreToolsPage);
    EXPECT_STREQ(L"https://solutions.example/more", info.moreSolutionsPage);
    EXPECT_STREQ(L"https://download.example/get", info.downloadPage);
    EXPECT_EQ(0, library.InitFreedbackDll(nullptr));
}

// The six fields in record order.
std::vector<std::wstring> Fields(const ToolInfo& info) {
    return {info.homePage,      info.feedbackPage,      info.agreementPage,
            info.moreToolsPage, info.moreSolutionsPage, info.downloadPage};
}

ToolInfo InitFrom(const test::LibraryFolder& folder) {
    CFeedbackLibrary library;
    ToolInfo info = {};
    EXPECT_EQ(1, library.Load(folder.Path()));
    EXPECT_EQ(1, library.InitFreedbackDll(&info));
    return info;
}

TEST(FeedbackLibrary, DefaultsFillWhatTheConfigurationDoesNotGive) {
    test::LibraryFolder withoutFile;
    const std::vector<std::wstring> defaults = Fields(InitFrom(withoutFile));
    for (size_t i = 0; i < defaults.size(); ++i) {
        EXPECT_EQ(0u, defaults[i].find(L"https://")) << "field " << i;
        for (size_t j = 0; j < i; ++j) EXPECT_NE(defaults[i], defaults[j]);
    }

    // Empty values and values too long for the record count as missing; the longest
    // value that fits is kept whole.
    const std::string fits = "https://tools.example/" + std::string(TOOL_INFO_CHARS - 23, 'a');
    const std::string tooLong = fits + "a";
    test::LibraryFolder partial;
    partial.WriteConfig("Home=\r\nMoreTools=" + fits + "\r\nMoreSolutions=" + tooLong + "\r\n");
    const std::vector<std::wstring> fields = Fields(InitFrom(partial));
    EXPECT_EQ(defaults[0], fields[0]);
    EXPECT_EQ(std::wstring(fits.begin(), fits.end()), fields[3]);
    EXPECT_EQ(defaults[4], fields[4]);
    EXPECT_EQ(defaults[5], fields[5]);
}

// Runs a copy of this test program, placed in `folder`, with `arguments`; its exit code, or
// -1.
DWORD RunCopyOfThisProgram(const test::LibraryFolder& folder, const std::wstring& arguments) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring copy = folder / L"feedback_tests.exe";
    if (!CopyFileW(self, copy.c_str(), FALSE)) return static_cast<DWORD>(-1);
    std::wstring commandLine = L"\"" + copy + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    win::UniqueKernelHandle processHandle(process.hProcess);
    win::UniqueKernelHandle threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    return exitCode;
}

const wchar_t kPlantedImportVariable[] = L"OMBREL_PLANTED_IMPORT_CHECK";

TEST(FeedbackLibrary, ImportsAreNeverTakenFromTheProgramsFolder) {
    // The program, the library and a stand-in for a system DLL that the library imports,
    // planted beside them, as in a download folder.
    test::LibraryFolder folder;
    ASSERT_TRUE(CopyFileW((test::ProgramDirectory() + L"\\missing-export\\"
                                                      L"HarvaneFeedbackInformation.dll")
                              .c_str(),
                          (folder / L"winhttp.dll").c_str(), FALSE));
    // A fresh process: this one may have loaded WinHTTP already, which would hide the fault.
    SetEnvironmentVariableW(kPlantedImportVariable, L"1");
    EXPECT_EQ(0u, RunCopyOfThisProgram(folder, L"--gtest_filter=PlantedImport.*"));
    SetEnvironmentVariableW(kPlantedImportVariable, nullptr);
    EXPECT_TRUE(test::Exists(folder / L"checked")) << "the check did not run";
}

// Runs only inside the copy started above.
TEST(PlantedImport, LibraryLoadsWithTheSystemsWinHttp) {
    if (GetEnvironmentVariableW(kPlantedImportVariable, nullptr, 0) == 0) {
        GTEST_SKIP() << "started by FeedbackLibrary.ImportsAreNeverTakenFromTheProgramsFolder";
    }
    const std::wstring folder = test::ProgramDirectory();
    ASSERT_EQ(nullptr, GetModuleHandleW(L"winhttp.dll"));
    CFeedbackLibrary library;
    ASSERT_EQ(1, library.Load());
    EXPECT_EQ(nullptr, GetModuleHandleW((folder + L"\\winhttp.dll").c_str()));
    EXPECT_NE(nullptr, GetModuleHandleW(L"winhttp.dll"));
    if (!HasFailure()) test::WriteBytes(folder + L"\\checked", "");
}

}  // namespace
