#include <gtest/gtest.h>
#include <windows.h>

#include "feedback/FeedbackLibrary.h"
#include "feedback/FeedbackTimeText.h"
#include "feedback/LibraryFolder.h"

TEST(FeedbackAnswers, EachAnswerIsOneLineInvalidOnesAreRefusedAndALinkIsNotWrittenThrough) {
    const std::wstring file = test::AnswerFilePath();
    test::RemoveTree(file.substr(0, file.rfind(L'\\')));  // created again when missing
    test::LibraryFolder folder;
    folder.WriteConfig("");
    CFeedbackLibrary library;
    ASSERT_TRUE(folder.LoadInto(library));
    EXPECT_EQ(1, library.CustomerFeedbackEx(L"10\r\n119", L"1.0\t中", 1, L"17\n00"));
    for (int answer : {0, 4, -1}) {
        EXPECT_EQ(0, library.CustomerFeedbackEx(L"10119", L"1.0.21.517", answer, L"1")) << answer;
    }
    EXPECT_EQ(0, library.CustomerFeedbackEx(nullptr, L"1.0.21.517", 1, L"1"));
    EXPECT_EQ(0, library.CustomerFeedbackEx(L"10119", nullptr, 1, L"1"));
    EXPECT_EQ(0, library.CustomerFeedbackEx(L"10119", L"1.0.21.517", 1, nullptr));
    // The time text after 2038 is the whole count, not a wrapped one.
    EXPECT_EQ(1, library.CustomerFeedbackEx(L"10119", L"1.0.21.517", 3,
                                            FeedbackTimeText(4102444800LL).c_str()));
    EXPECT_EQ(
        "tool=10  119\tversion=1.0 \xE4\xB8\xAD\tanswer=1\ttime=17 00\r\n"
        "tool=10119\tversion=1.0.21.517\tanswer=3\ttime=4102444800\r\n",
        test::ReadBytes(file));

    // An answer file replaced by a link to another file is not written through.
    test::TempDir elsewhere;
    test::WriteBytes(elsewhere / L"target.txt", "theirs");
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    ASSERT_TRUE(CreateHardLinkW(file.c_str(), (elsewhere / L"target.txt").c_str(), nullptr));
    EXPECT_EQ(0, library.CustomerFeedbackEx(L"10119", L"1.0.21.517", 1, L"6"));
    EXPECT_EQ("theirs", test::ReadBytes(elsewhere / L"target.txt"));
    DeleteFileW(file.c_str());
}
