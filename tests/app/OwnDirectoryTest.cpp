#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/OwnDirectory.h"
#include "support/TestFiles.h"

namespace {

const std::vector<std::wstring> kOwnFiles = {L"TovricOmbrel.exe", L"HarvaneFeedbackInformation.dll",
                                             L"HarvaneFeedbackInformation.ini"};

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

TEST(OwnDirectory, OnlyAFolderHoldingNothingButTheToolsOwnFilesMayGo) {
    struct Case {
        const char* name;
        std::function<void(const test::TempDir&)> fill;
        bool removable;
    } cases[] = {
        {"the tool alone",
         [](const test::TempDir& d) { test::WriteBytes(d / L"TovricOmbrel.exe", "x"); }, true},
        {"tool, library and its settings, any case",
         [](const test::TempDir& d) {
             test::WriteBytes(d / L"tovricombrel.EXE", "x");
             test::WriteBytes(d / L"HarvaneFeedbackInformation.dll", "x");
             test::WriteBytes(d / L"HarvaneFeedbackInformation.ini", "x");
         },
         true},
        {"a foreign file beside the tool",
         [](const test::TempDir& d) {
             test::WriteBytes(d / L"TovricOmbrel.exe", "x");
             test::WriteBytes(d / L"report.docx", "x");
         },
         false},
        {"a sub-folder beside the tool",
         [](const test::TempDir& d) {
             test::WriteBytes(d / L"TovricOmbrel.exe", "x");
             CreateDirectoryW((d / L"photos").c_str(), nullptr);
         },
         false},
        {"a folder named like the tool",
         [](const test::TempDir& d) {
             CreateDirectoryW((d / L"TovricOmbrel.exe").c_str(), nullptr);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir directory;
        c.fill(directory);
        EXPECT_EQ(c.removable, IsRemovableOwnDirectory(directory.Path(), kOwnFiles));
        EXPECT_EQ(c.removable, IsRemovableOwnDirectory(directory.Path() + L"\\", kOwnFiles));
    }
}

TEST(OwnDirectory, DriveRootsAndWellKnownFoldersAreProtectedWhateverTheyHold) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    PWSTR downloads = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &downloads)));
    const std::wstring downloadsPath = downloads;
    CoTaskMemFree(downloads);
    std::wstring windowsUpper = Folder(CSIDL_WINDOWS);
    CharUpperW(&windowsUpper[0]);

    struct Case {
        std::wstring path;
        bool protectedFolder;
    } cases[] = {
        {L"C:\\", true},
        {L"C:", true},
        {L"c:\\", true},
        {Folder(CSIDL_WINDOWS), true},
        {windowsUpper + L"\\", true},
        {Folder(CSIDL_SYSTEM), true},
        {Folder(CSIDL_PROGRAM_FILES), true},
        {Folder(CSIDL_COMMON_APPDATA), true},
        {Folder(CSIDL_PROFILE), true},
        {Folder(CSIDL_DESKTOPDIRECTORY), true},
        {Folder(CSIDL_PERSONAL), true},
        {downloadsPath, true},
        {temp, true},
        {std::wstring(temp) + L"ombrel-tool", false},
        {L"C:\\Tools\\Ombrel", false},
        {Folder(CSIDL_WINDOWS) + L"\\..\\Tools", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.protectedFolder, IsProtectedFolder(c.path))
            << std::string(c.path.begin(), c.path.end());
    }
}

TEST(OwnDirectory, MissingFolderIsNeverRemovable) {
    EXPECT_FALSE(IsRemovableOwnDirectory(L"C:\\nonexistent-ombrel-folder", kOwnFiles));
}

TEST(OwnDirectory, RemovalCommandWaitsThenRemovesTheQuotedFolder) {
    EXPECT_EQ(L"/C timeout /t 3 /nobreak & rmdir /s /q \"C:\\Tools\\USB switch\"",
              RemovalParameters(L"C:\\Tools\\USB switch"));
}

}  // namespace
