#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "feedback/FeedbackLibrary.h"
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

// The lines added to the feedback file since construction.
class NewLines {
public:
    NewLines() : m_before(test::ReadBytes(FeedbackFile()).size()) {}
    std::vector<std::string> Get() const {
        const std::string now = test::ReadBytes(FeedbackFile());
        return test::SplitLines(now.size() > m_before ? now.substr(m_before) : std::string());
    }

private:
    size_t m_before;
};

struct LoadedLibrary {
    LoadedLibrary() {
        folder.WriteConfig("");
        EXPECT_EQ(1, library.Load(folder.Path()));
    }
    test::LibraryFolder folder;
    CFeedbackLibrary library;
};

TEST(FeedbackAnswers, EachAnswerIsOneLineAndSurvivesARestartOfTheLibrary) {
    NewLines added;
    {
        LoadedLibrary loaded;
        EXPECT_EQ(1, loaded.library.CustomerFeedbackEx(kToolId, kToolVersion, 1, L"1700000000"));
        EXPECT_EQ(1, loaded.library.CustomerFeedbackEx(kToolId, kToolVersion, 2, L"1700000001"));
    }
    LoadedLibrary restarted;
    EXPECT_EQ(1, restarted.library.CustomerFeedbackEx(kToolId, kToolVersion, 3, L"4102444800"));
    EXPECT_EQ((std::vector<std::string>{
                  "tool=10119\tversion=1.0.21.517\tanswer=1\ttime=1700000000",
                  "tool=10119\tversion=1.0.21.517\tanswer=2\ttime=1700000001",
                  "tool=10119\tversion=1.0.21.517\tanswer=3\ttime=4102444800",
              }),
              added.Get());
}

TEST(FeedbackAnswers, TextsStayOnOneLineInUtf8AndInvalidAnswersAreRefused) {
    LoadedLibrary loaded;
    CFeedbackLibrary& library = loaded.library;
    NewLines added;
    EXPECT_EQ(1, library.CustomerFeedbackEx(L"10\r\n119", L"1.0\t中", 1, L"17\n00"));
    for (int answer : {0, 4, -1}) {
        EXPECT_EQ(0, library.CustomerFeedbackEx(kToolId, kToolVersion, answer, L"1")) << answer;
    }
    EXPECT_EQ(0, library.CustomerFeedbackEx(nullptr, kToolVersion, 1, L"1"));
    EXPECT_EQ(0, library.CustomerFeedbackEx(kToolId, nullptr, 1, L"1"));
    EXPECT_EQ(0, library.CustomerFeedbackEx(kToolId, kToolVersion, 1, nullptr));
    EXPECT_EQ(
        std::vector<std::string>{"tool=10  119\tversion=1.0 \xE4\xB8\xAD\tanswer=1\ttime=17 00"},
        added.Get());
}

TEST(FeedbackAnswers, CustomerFeedbackStampsTheCurrentTime) {
    using CustomerFeedbackFn = decltype(&::CustomerFeedback);
    LoadedLibrary loaded;
    auto customerFeedback = loaded.folder.Export<CustomerFeedbackFn>("CustomerFeedback");
    ASSERT_NE(nullptr, customerFeedback);
    NewLines added;
    const __time64_t before = _time64(nullptr);
    EXPECT_EQ(1, customerFeedback(kToolId, kToolVersion, 2));
    const __time64_t after = _time64(nullptr);
    const std::vector<std::string> lines = added.Get();
    ASSERT_EQ(1u, lines.size());
    const std::string prefix = "tool=10119\tversion=1.0.21.517\tanswer=2\ttime=";
    ASSERT_EQ(0u, lines[0].find(prefix));
    const long long stamp = std::stoll(lines[0].substr(prefix.size()));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

TEST(FeedbackAnswers, FileAndFolderAreCreatedWhenMissingAndAPlantedLinkIsNotWrittenThrough) {
    using WriteFileFn = decltype(&::WriteCustomerFeedbackInfoFile);
    test::RemoveTree(FeedbackFolder());
    ASSERT_FALSE(test::Exists(FeedbackFolder()));
    LoadedLibrary loaded;
    auto writeFile = loaded.folder.Export<WriteFileFn>("WriteCustomerFeedbackInfoFile");
    ASSERT_NE(nullptr, writeFile);
    EXPECT_EQ(1, writeFile());
    EXPECT_TRUE(test::Exists(FeedbackFile()));
    EXPECT_EQ("", test::ReadBytes(FeedbackFile()));

    test::RemoveTree(FeedbackFolder());
    EXPECT_EQ(1, loaded.library.CustomerFeedbackEx(kToolId, kToolVersion, 1, L"5"));
    EXPECT_EQ("tool=10119\tversion=1.0.21.517\tanswer=1\ttime=5\r\n",
              test::ReadBytes(FeedbackFile()));

    // A hard link planted as the file, to a file elsewhere, is not written through.
    test::TempDir elsewhere;
    test::WriteBytes(elsewhere / L"target.txt", "theirs");
    ASSERT_TRUE(DeleteFileW(FeedbackFile().c_str()));
    ASSERT_TRUE(
        CreateHardLinkW(FeedbackFile().c_str(), (elsewhere / L"target.txt").c_str(), nullptr));
    EXPECT_EQ(0, loaded.library.CustomerFeedbackEx(kToolId, kToolVersion, 1, L"6"));
    EXPECT_EQ(0, writeFile());
    EXPECT_EQ("theirs", test::ReadBytes(elsewhere / L"target.txt"));
    test::RemoveTree(FeedbackFolder());
}

}  // namespace
