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

}  // namespace
