#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "win/UniqueHandle.h"

namespace {

bool Loaded(const std::wstring& module) { return GetModuleHandleW(module.c_str()) != nullptr; }

TEST(FeedbackLibrary, LoadsOnlyTheWholeLibraryItWasToldOfByItsFullPath) {
    test::TempDir empty;
    const std::wstring beside = test::ProgramDirectory(),
                       missingExport = beside + L"\\missing-export";
    const std::wstring name = L"\\HarvaneFeedbackInformation.dll";
    const Sha256 ours = test::FileSha256(beside + name),
                 incomplete = test::FileSha256(missingExport + name);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(beside.c_str());  // where a relative folder would find the library
    const struct {
        std::wstring folder;
        Sha256 expected;
        bool loads;
    } cases[] = {{beside, ours, true},        {beside, incomplete, false},
                 {empty.Path(), ours, false}, {missingExport, incomplete, false},
                 {L".", ours, false},         {L"", ours, false}};
    for (const auto& [folder, expected, loads] : cases) {
        SCOPED_TRACE(test::Utf8(folder));
        CFeedbackLibrary library;
        EXPECT_EQ(loads, library.Load(folder, expected) && library.IsLoaded());
        ToolInfo info = {};
        EXPECT_EQ(loads, library.InitFreedbackDll(&info) != 0);
        if (!loads) {  // a refused library is never called
            BSTR address = SysAllocString(L"https://example.com/");
            EXPECT_EQ(0, library.OpenUrl(address));
            SysFreeString(address);
        }
    }
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(Loaded(missingExport + L"\\HarvaneFeedbackInformation.dll")) << "left loaded";
}

// A stand-in for a system library the feedback library imports, planted beside both as in
// a download folder. A fresh copy of this program checks it: this process may have loaded
// WinHTTP already, which would hide the fault.
TEST(FeedbackLibrary, ImportsAreNeverTakenFromTheProgramsFolder) {
    test::LibraryFolder folder;
    const std::wstring planted =
        test::ProgramDirectory() + L"\\missing-export\\HarvaneFeedbackInformation.dll";
    ASSERT_TRUE(CopyFileW(planted.c_str(), (folder.Path() + L"\\winhttp.dll").c_str(), FALSE));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring copy = folder.Path() + L"\\feedback_tests.exe";
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    std::wstring commandLine =
        L"\"" + copy + L"\" --gtest_also_run_disabled_tests --gtest_filter=PlantedImport.*";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    const win::UniqueKernelHandle owned(process.hProcess), thread(process.hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(test::Exists(folder.Path() + L"\\checked")) << "the check did not run";
}

// Disabled: only the check above runs it, in its copy of this program.
TEST(PlantedImport, DISABLED_LibraryLoadsWithTheSystemsWinHttp) {
    ASSERT_FALSE(Loaded(L"winhttp.dll"));
    CFeedbackLibrary library;
    ASSERT_TRUE(library.Load(
        test::FileSha256(test::ProgramDirectory() + L"\\HarvaneFeedbackInformation.dll")));
    EXPECT_FALSE(Loaded(test::ProgramDirectory() + L"\\winhttp.dll"));
    EXPECT_TRUE(Loaded(L"winhttp.dll"));
    if (!HasFailure()) test::WriteBytes(test::ProgramDirectory() + L"\\checked", "");
}

}  // namespace
