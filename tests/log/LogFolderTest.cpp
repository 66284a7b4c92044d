#include <aclapi.h>  // before sddl.h, which needs windows.h
#include <gtest/gtest.h>
#include <sddl.h>
#include <windows.h>

#include <memory>
#include <string>

#include "support/TestFiles.h"
#include "system/ProtectedFolder.h"

namespace {

using LocalMemory = std::unique_ptr<void, decltype(&LocalFree)>;

// A security descriptor from SDDL, or a SID from its text form when `sid` is set.
LocalMemory FromText(const wchar_t* text, bool sid = false) {
    void* made = nullptr;
    EXPECT_TRUE(sid ? ConvertStringSidToSidW(text, &made)
                    : ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1,
                                                                           &made, nullptr));
    return LocalMemory(made, LocalFree);
}

TEST(ProtectedFolder, AnExistingFolderIsJudgedByItsOwnerReparsePointAndList) {
    const DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
    const auto refuse = FolderVerdict::Refuse, write = FolderVerdict::Write,
               protect = FolderVerdict::ProtectThenWrite;
    const struct {
        const wchar_t* descriptor;
        DWORD attributes;
        FolderVerdict expected;
    } cases[] = {
        // Trusted owners with a list that keeps others out.
        {L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;BU)", folder, write},
        {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;SY)", folder,
         write},
        {L"O:S-1-5-21-7-7-7-500D:(A;OICI;FA;;;S-1-5-21-7-7-7-500)", folder, write},
        // Untrusted owners, a near miss of TrustedInstaller, no owner at all.
        {L"O:S-1-5-21-7-7-7-1001D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", folder, refuse},
        {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478465D:(A;;FA;;;SY)", folder,
         refuse},
        {L"D:P(A;OICI;FA;;;BA)", folder, refuse},
        // A junction, or a file where the folder should be, whoever owns it.
        {L"O:BAD:P(A;OICI;FA;;;BA)", folder | FILE_ATTRIBUTE_REPARSE_POINT, refuse},
        {L"O:BAD:P(A;OICI;FA;;;BA)", FILE_ATTRIBUTE_ARCHIVE, refuse},
        // Trusted owner, but others may add files or folders, replace or re-own it.
        {L"O:BAD:(A;OICI;FA;;;BA)(A;CI;0x6;;;BU)", folder, protect},
        {L"O:BA", folder, protect},  // no list at all: anyone may do anything
        {L"O:BAD:(A;;WO;;;WD)", folder, protect},
    };
    const LocalMemory own =
        FromText(L"S-1-5-21-7-7-7-500", true);  // this process's new files' owner
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.descriptor << " attributes " << c.attributes);
        EXPECT_EQ(c.expected, JudgeFolder(c.attributes, FromText(c.descriptor).get(), own.get()));
    }
    // A settings file beside them (logCfg.ini) by the same owners' rule, plain files only.
    const struct {
        const wchar_t* owner;
        DWORD attributes, links;
        bool read;
    } files[] = {{L"O:SY", FILE_ATTRIBUTE_ARCHIVE, 1, true},
                 {L"O:S-1-5-21-7-7-7-500", FILE_ATTRIBUTE_NORMAL, 1, true},
                 {L"O:S-1-5-21-7-7-7-1001", FILE_ATTRIBUTE_ARCHIVE, 1, false},
                 {L"O:BA", FILE_ATTRIBUTE_ARCHIVE, 2, false},
                 {L"O:BA", FILE_ATTRIBUTE_REPARSE_POINT, 1, false}};
    for (const auto& f : files) {
        SCOPED_TRACE(testing::Message() << f.owner << " attributes " << f.attributes);
        BY_HANDLE_FILE_INFORMATION info = {};
        info.dwFileAttributes = f.attributes;
        info.nNumberOfLinks = f.links;
        EXPECT_EQ(f.read, JudgeFile(info, FromText(f.owner).get(), own.get()));
    }
}

TEST(ProtectedFolder, NewFoldersGetOwnerAdministratorsAndAProtectedListThatStaysAsItIs) {
    CProtectedDescriptor descriptor;
    wchar_t* text = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor.Get(), SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &text, nullptr));
    EXPECT_STREQ(L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;BU)", text);
    LocalFree(text);
    EXPECT_EQ(FolderVerdict::Write,
              JudgeFolder(FILE_ATTRIBUTE_DIRECTORY, descriptor.Get(), nullptr));
}

// Under Wine every file and folder belongs to the user, and so do this process's new files.
TEST(ProtectedFolder, AFolderOwnedByThisProcessesNewFilesOwnerIsWrittenAnyOtherIsNot) {
    test::TempDir dir;
    const CNewFileOwner own(dir.Path());
    ASSERT_NE(nullptr, own.Get());
    EXPECT_TRUE(CProtectedFolder(dir.Path(), own.Get()).OpenForAppend(L"a.txt").IsValid());

    const CProtectedFolder refused(dir.Path(), FromText(L"S-1-5-21-7-7-7-1001", true).get());
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_FALSE(refused.OpenForAppend(L"b.txt").IsValid());
    EXPECT_FALSE(test::Exists(dir / L"b.txt"));
}

}  // namespace
