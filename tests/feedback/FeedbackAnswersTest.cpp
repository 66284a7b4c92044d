#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "feedback/FeedbackLibrary.h"
#include "feedback/FeedbackTimeText.h"
#include "feedback/LibraryFolder.h"
#include "feedback/ToolIdentity.h"
#include "support/TestFiles.h"

namespace {

std::wstring FeedbackFolder() {
    wchar_t common[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE);
    return std::wstring(common) + L"\\HarvaneFeedback";
}

std::wstring FeedbackFile() { return FeedbackFolder() + L"\\CustomerFeedback.txt"; }

struct LoadedLibrary {
    LoadedLibrary() {
        folder.WriteConfig("");
        EXPECT_TRUE(library.Load(folder.Path()));
    }
    test::LibraryFolder folder;
    CFeedbackLibrary library;
};

TEST(FeedbackAnswers, EachAnswerIsOneLineWhateverItsTextsHoldAndInvalidOnesAreRefused) {
    test::RemoveTree(FeedbackFolder());  // created again when missing
    LoadedLibrary loaded;
    CFeedbackLibrary& library = loaded.library;
    EXPECT_EQ(1, library.CustomerFeedbackEx(L"10\r\n119", L"1.0\t中", 1, L"17\n00"));
    for (int answer : {0, 4, -1}) {
        EXPECT_EQ(0, library.CustomerFeedbackEx(kToolId, kToolVersion, answer, L"1")) << answer;
    }
    EXPECT_EQ(0, library.CustomerFeedbackEx(nullptr, kToolVersion, 1, L"1"));
    EXPECT_EQ(0, library.CustomerFeedbackEx(kToolId, nullptr, 1, L"1"));
    EXPECT_EQ(0, library.CustomerFeedbackEx(kToolId, kToolVersion, 1, nullptr));
    // The tool's time text after 2038 is the whole count, not a wrapped one.
    EXPECT_EQ(L"2147483648", FeedbackTimeText(2147483648LL));
    EXPECT_EQ(1, library.CustomerFeedbackEx(kToolId, kToolVersion, 3,
                                            FeedbackTimeText(4102444800LL).c_str()));
    EXPECT_EQ(
        "tool=10  119\tversion=1.0 \xE4\xB8\xAD\tanswer=1\ttime=17 00\r\n"
        "tool=10119\tversion=1.0.21.517\tanswer=3\ttime=4102444800\r\n",
        test::ReadBytes(FeedbackFile()));
}

TEST(FeedbackAnswers, APlantedLinkAsTheAnswerFileIsNotWrittenThrough) {
    LoadedLibrary loaded;
    EXPECT_EQ(1, loaded.library.CustomerFeedbackEx(kToolId, kToolVersion, 1, L"5"));
    test::TempDir elsewhere;
    test::WriteBytes(elsewhere / L"target.txt", "theirs");
    ASSERT_TRUE(DeleteFileW(FeedbackFile().c_str()));
    ASSERT_TRUE(
        CreateHardLinkW(FeedbackFile().c_str(), (elsewhere / L"target.txt").c_str(), nullptr));
    EXPECT_EQ(0, loaded.library.CustomerFeedbackEx(kToolId, kToolVersion, 1, L"6"));
    EXPECT_EQ("theirs", test::ReadBytes(elsewhere / L"target.txt"));
    test::RemoveTree(FeedbackFolder());
}

}  // namespace
