#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>
// windows.h first: sddl.h needs its types.
#include <sddl.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/OwnDirectory.h"
#include "app/OwnDirectoryUse.h"
#include "support/TestFiles.h"
#include "support/Text.h"

namespace {

const wchar_t kProgram[] = L"TovricOmbrel.exe";
const std::vector<std::wstring> kCompanions = {L"HarvaneFeedbackInformation.dll",
                                               L"HarvaneFeedbackInformation.ini"};

// One folder handed to the removal: what it holds before, what happens to it once the
// removal has started, and whether it must be gone once the removal has ended.
struct RemovalCase {
    const char* name;
    std::wstring folder;  // under the test's parent folder
    std::map<std::wstring, std::string> files;
    std::wstring savedDuringTheWait;  // empty: nothing
    bool gone;
    // Open without delete sharing until a second after the start: a running program's
    // file, as Windows keeps it, or a library still in use.
    std::wstring heldAtFirst = {};
    std::wstring swappedForAFolder = {};  // replaced during the wait by a folder holding a file
};

TEST(OwnDirectory, RealInterpreterRemovesExactlyTheFoldersTheGuardAllows) {
    const std::wstring user = _wgetenv(L"USERNAME") ? _wgetenv(L"USERNAME") : L"";
    ASSERT_FALSE(user.empty());
    const std::map<std::wstring, std::string> toolAlone = {{L"TovricOmbrel.exe", "tool"}};
    const std::map<std::wstring, std::string> everything = {
        {L"tovricombrel.EXE", "tool"},
        {L"HarvaneFeedbackInformation.dll", "library"},
        {L"HarvaneFeedbackInformation.ini", "settings"}};
    const RemovalCase cases[] = {
        {"the tool alone", L"alone", toolAlone, L"", true},
        {"the program still running at first", L"running", everything, L"", true,
         L"tovricombrel.EXE"},
        {"the library still in use", L"in use", everything, L"", false,
         L"HarvaneFeedbackInformation.dll"},
        {"the program's file swapped for a folder", L"swapped", everything, L"", false, L"",
         L"tovricombrel.EXE"},
        {"tool, library and settings, any case", L"all", everything, L"", true},
        {"a foreign file beside the tool",
         L"foreign",
         {{L"TovricOmbrel.exe", "tool"}, {L"report.docx", "mine"}},
         L"",
         false},
        {"a sub-folder beside the tool",
         L"sub",
         {{L"TovricOmbrel.exe", "tool"}, {L"photos\\a.jpg", "mine"}},
         L"",
         false},
        {"a file saved during the wait", L"saved", everything, L"notes.txt", false},
        {"a variable cmd would expand", L"%USERNAME%", everything, L"", false},
        {"a lone percent sign", L"50%off", everything, L"", false},
        {"delayed expansion among cmd's specials", L"a&b ^c !d (x);=,", everything, L"", false},
        {"cmd's specials, quoted", L"a&b ^c (x);=,", everything, L"", true},
        {"blanks", L" two  blanks", everything, L"", true},
        {"Chinese characters", L"\u5de5\u5177 \u6587\u4ef6\u5939", toolAlone, L"", true},
    };

    test::TempDir parent;
    // Named like %USERNAME% expands, holding a file named like the tool's: it must
    // survive whatever happens to the folder named after the variable.
    CreateDirectoryW((parent / user).c_str(), nullptr);
    test::WriteBytes(parent / user + L"\\TovricOmbrel.exe", "sibling");

    std::vector<win::UniqueKernelHandle> removals;
    std::vector<win::UniqueFile> heldFiles;
    for (const RemovalCase& c : cases) {
        const std::wstring folder = parent / c.folder;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << c.name;
        for (const auto& file : c.files) {
            const std::wstring path = folder + L"\\" + file.first;
            CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
            test::WriteBytes(path, file.second);
        }
        if (!c.heldAtFirst.empty()) {
            heldFiles.emplace_back(CreateFileW((folder + L"\\" + c.heldAtFirst).c_str(),
                                               GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
        }
        // The trailing backslash is the guard's to normalise, as the command's.
        removals.push_back(
            StartFolderRemoval(PlanFolderRemoval(folder + L"\\", kProgram, kCompanions)));
        if (!c.savedDuringTheWait.empty()) {
            test::WriteBytes(folder + L"\\" + c.savedDuringTheWait, "saved");
        }
        if (!c.swappedForAFolder.empty()) {
            const std::wstring swapped = folder + L"\\" + c.swappedForAFolder;
            EXPECT_TRUE(DeleteFileW(swapped.c_str()) && CreateDirectoryW(swapped.c_str(), nullptr));
            test::WriteBytes(swapped + L"\\mine.txt", "mine");
        }
    }
    // The program ends well within the removal's wait: a removal that does not wait fails
    // on its file, as it would on Windows.
    Sleep(1000);
    heldFiles.clear();
    for (const win::UniqueKernelHandle& removal : removals) {
        if (removal) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(removal.Get(), 30000));
        }
    }

    for (const RemovalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring folder = parent / c.folder;
        EXPECT_EQ(c.gone, !test::Exists(folder));
        if (c.gone) continue;
        if (!c.savedDuringTheWait.empty()) {
            // The tool's own files go by name; what was saved stays with its folder.
            EXPECT_EQ("saved", test::ReadBytes(folder + L"\\" + c.savedDuringTheWait));
            EXPECT_FALSE(test::Exists(folder + L"\\HarvaneFeedbackInformation.dll"));
            continue;
        }
        if (!c.swappedForAFolder.empty()) {
            // "del" on a folder would empty it.
            EXPECT_EQ("mine",
                      test::ReadBytes(folder + L"\\" + c.swappedForAFolder + L"\\mine.txt"));
            continue;
        }
        for (const auto& file : c.files) {
            EXPECT_EQ(file.second, test::ReadBytes(folder + L"\\" + file.first))
                << test::Utf8(file.first);
        }
    }
    EXPECT_EQ("sibling", test::ReadBytes(parent / user + L"\\TovricOmbrel.exe"));
}

TEST(OwnDirectory, OnlyAFolderOnAFixedLocalDiskQualifies) {
    struct Case {
        const wchar_t* path;
        DriveFacts facts;
        bool qualifies;
    } cases[] = {
        {L"C:\\Tools\\Ombrel", {DRIVE_FIXED, false}, true},
        {L"C:\\Tools\\Ombrel", {DRIVE_REMOTE, false}, false},
        {L"E:\\Ombrel", {DRIVE_REMOVABLE, false}, false},
        {L"E:\\Ombrel", {DRIVE_CDROM, false}, false},
        {L"R:\\Ombrel", {DRIVE_RAMDISK, false}, false},
        {L"C:\\Ombrel", {DRIVE_UNKNOWN, false}, false},
        {L"S:\\Ombrel", {DRIVE_FIXED, true}, false},  // subst S: C:\somewhere
        {L"\\\\server\\share\\Ombrel", {DRIVE_FIXED, false}, false},
        {L"\\\\?\\C:\\Ombrel", {DRIVE_FIXED, false}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.qualifies, IsOnFixedLocalDisk(c.path, c.facts)) << test::Utf8(c.path);
    }

    // The removal asks about the drive of the folder it would remove: injected, and a real
    // substitute (subst Q: parent) of the folder's parent.
    test::TempDir parent;
    CreateDirectoryW((parent / L"tool").c_str(), nullptr);
    test::WriteBytes(parent / L"tool\\TovricOmbrel.exe", "tool");
    auto removable = [](const std::wstring&) { return DriveFacts{DRIVE_REMOVABLE, false}; };
    EXPECT_EQ(L"",
              PlanFolderRemoval(parent / L"tool", kProgram, kCompanions, removable).commandLine);
    EXPECT_NE(L"", PlanFolderRemoval(parent / L"tool", kProgram, kCompanions).commandLine);
    ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", parent.Path().c_str()));
    const bool toldSubstituted = QueryDriveFacts(L"Q:\\tool").substituted;
    const std::wstring throughSubstitute =
        PlanFolderRemoval(L"Q:\\tool", kProgram, kCompanions).commandLine;
    DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, L"Q:",
                     parent.Path().c_str());
    EXPECT_TRUE(toldSubstituted);
    EXPECT_EQ(L"", throughSubstitute);
}

TEST(OwnDirectory, DriveRootsAndWellKnownFoldersAreProtectedWhateverTheyHold) {
    auto folder = [](int csidl) {
        wchar_t path[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
        return std::wstring(path);
    };
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    PWSTR downloads = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &downloads)));
    const std::wstring downloadsPath = downloads;
    CoTaskMemFree(downloads);
    std::wstring windowsUpper = folder(CSIDL_WINDOWS);
    CharUpperW(&windowsUpper[0]);

    struct Case {
        std::wstring path;
        bool protectedFolder;
    } cases[] = {
        {L"C:\\", true},
        {L"C:", true},
        {windowsUpper + L"\\", true},
        {folder(CSIDL_SYSTEM), true},
        {folder(CSIDL_PROGRAM_FILES), true},
        {folder(CSIDL_COMMON_APPDATA), true},
        {folder(CSIDL_PROFILE), true},
        {folder(CSIDL_DESKTOPDIRECTORY), true},
        {folder(CSIDL_PERSONAL), true},
        {downloadsPath, true},
        {temp, true},
        {std::wstring(temp) + L"ombrel-tool", false},
        {folder(CSIDL_WINDOWS) + L"\\..\\Tools", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.protectedFolder, IsProtectedFolder(c.path)) << test::Utf8(c.path);
    }
}

TEST(OwnDirectory, OnlyTheLastInstanceUsingAFolderMayRemoveIt) {
    test::TempDir folder;
    test::TempDir other;
    std::wstring otherSpelling = folder.Path() + L"\\";
    CharUpperW(&otherSpelling[0]);
    OwnDirectoryUse first(folder.Path());
    OwnDirectoryUse second(otherSpelling);
    OwnDirectoryUse elsewhere(other.Path());

    EXPECT_FALSE(first.EndAndIsLast()) << "the second still uses the folder";
    EXPECT_TRUE(elsewhere.EndAndIsLast()) << "another folder's use does not count";
    EXPECT_TRUE(second.EndAndIsLast());
}

// A program without administrator rights creates the folder's names first, owned by
// someone the tool does not trust, and holds the one the ending instances take turns on:
// neither keeps the folder nor makes the tool wait.
TEST(OwnDirectory, NamesMadeBySomeoneElseAreIgnored) {
    test::TempDir folder;
    const std::wstring name = DirectoryUseName(folder.Path());
    PSECURITY_DESCRIPTOR everyones = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"O:S-1-5-21-1-2-3-1001D:(A;;GA;;;WD)", SDDL_REVISION_1, &everyones, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), everyones, FALSE};
    const win::UniqueKernelHandle use(CreateMutexW(&attributes, FALSE, name.c_str()));
    const win::UniqueKernelHandle ending(
        CreateMutexW(&attributes, TRUE, (name + L".Ending").c_str()));
    LocalFree(everyones);
    ASSERT_TRUE(use && ending);
    OwnDirectoryUse ours(folder.Path());
    EXPECT_TRUE(ours.EndAndIsLast()) << "a planted name kept the folder or held the tool";
}

}  // namespace
