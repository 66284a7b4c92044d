#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

namespace {

bool ModuleLoaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }

TEST(FeedbackLibrary, LoadsOnlyAWholeLibraryByItsFullPath) {
    test::TempDir empty;
    const std::wstring besideProgram = test::ProgramDirectory();
    const std::wstring missingExport = besideProgram + L"\\missing-export";
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    // The library is in the current folder, yet a relative folder must not find it.
    SetCurrentDirectoryW(besideProgram.c_str());
    struct Case {
        const char* what;
        std::wstring folder;
        bool loads;
    } cases[] = {
        {"beside the program", besideProgram, true},
        {"no library", empty.Path(), false},
        {"an entry point missing", missingExport, false},
        {"relative folder", L".", false},
        {"empty folder name", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFeedbackLibrary library;
        EXPECT_EQ(c.loads, static_cast<bool>(library.Load(c.folder)));
        EXPECT_EQ(c.loads, library.IsLoaded());
        ToolInfo info = {};
        EXPECT_EQ(c.loads, library.InitFreedbackDll(&info) != 0);
        if (!c.loads) {  // a refused library is never called
            BSTR address = SysAllocString(L"https://example.com/");
            EXPECT_EQ(0, library.OpenUrl(address));
            SysFreeString(address);
        }
    }
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(ModuleLoaded(missingExport + L"\\HarvaneFeedbackInformation.dll"))
        << "a library that failed to load stays loaded";
}

const wchar_t kPlantedImportVariable[] = L"OMBREL_PLANTED_IMPORT_CHECK";

TEST(FeedbackLibrary, ImportsAreNeverTakenFromTheProgramsFolder) {
    // The program, the library and a stand-in for a system DLL that the library imports,
    // planted beside them, as in a download folder. A fresh copy of this program checks it:
    // this process may have loaded WinHTTP already, which would hide the fault.
    test::LibraryFolder folder;
    const std::wstring planted = test::ProgramDirectory() +
                                 L"\\missing-export\\"
                                 L"HarvaneFeedbackInformation.dll";
    ASSERT_TRUE(CopyFileW(planted.c_str(), (folder.Path() + L"\\winhttp.dll").c_str(), FALSE));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring copy = folder.Path() + L"\\feedback_tests.exe";
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    std::wstring commandLine = L"\"" + copy + L"\" --gtest_filter=PlantedImport.*";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    SetEnvironmentVariableW(kPlantedImportVariable, L"1");
    ASSERT_TRUE(CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    SetEnvironmentVariableW(kPlantedImportVariable, nullptr);
    win::UniqueKernelHandle processHandle(process.hProcess);
    win::UniqueKernelHandle threadHandle(process.hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(test::Exists(folder.Path() + L"\\checked")) << "the check did not run";
}

// Runs only inside the copy started above.
TEST(PlantedImport, LibraryLoadsWithTheSystemsWinHttp) {
    if (GetEnvironmentVariableW(kPlantedImportVariable, nullptr, 0) == 0) {
        GTEST_SKIP() << "started by FeedbackLibrary.ImportsAreNeverTakenFromTheProgramsFolder";
    }
    const std::wstring folder = test::ProgramDirectory();
    ASSERT_FALSE(ModuleLoaded(L"winhttp.dll"));
    CFeedbackLibrary library;
    ASSERT_TRUE(library.Load());
    EXPECT_FALSE(ModuleLoaded(folder + L"\\winhttp.dll"));
    EXPECT_TRUE(ModuleLoaded(L"winhttp.dll"));
    if (!HasFailure()) test::WriteBytes(folder + L"\\checked", "");
}

}  // namespace
