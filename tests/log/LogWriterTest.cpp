#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "log/LogSaveCloseFile.h"
#include "log/LogText.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

namespace {

const size_t kStamp = 30;  // "[YYYY-MM-DD hh:mm:ss mmmms]" and three blanks

class LogWriterTest : public ::testing::Test {
protected:
    std::wstring Path(const wchar_t* name) const { return m_dir / name; }
    std::string Bytes(const wchar_t* name) const { return test::ReadBytes(Path(name)); }

    test::TempDir m_dir;
    CLogSaveCloseFile m_writer{m_dir.Path() + L"\\", CNewFileOwner(m_dir.Path())};
};

TEST_F(LogWriterTest, LineIsTimestampThreeBlanksCodePage936TextAndCrLf) {
    m_writer.SaveText(ToLogText(L"U盘禁用失败"), "Ombrel.txt");
    m_writer.SaveText("", "Ombrel.txt");
    // GBK: 盘 C5CC, 禁 BDFB, 用 D3C3, 失 CAA7, 败 B0DC.
    const std::string stamp = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \d{3}ms\]   )";
    EXPECT_TRUE(std::regex_match(
        Bytes(L"Ombrel.txt"),
        std::regex(stamp + "U\xC5\xCC\xBD\xFB\xD3\xC3\xCA\xA7\xB0\xDC\r\n" + stamp + "\r\n")))
        << Bytes(L"Ombrel.txt");
}

TEST_F(LogWriterTest, FileAtTheLimitStaysAndOneByteMoreMovesToTheSingleBackup) {
    const size_t limit = 6020000, record = kStamp + 8;  // "record" and CR LF
    test::WriteBytes(Path(L"a.txt"), std::string(limit - record, 'x'));
    m_writer.SaveText("record", "a.txt");
    EXPECT_EQ(limit, Bytes(L"a.txt").size());
    EXPECT_FALSE(test::Exists(Path(L"a.txtbak")));
    // The record that crossed the limit goes with the file; the next starts a new one.
    m_writer.SaveText("x", "a.txt");
    EXPECT_EQ(limit + kStamp + 3, Bytes(L"a.txtbak").size());
    m_writer.SaveText("fresh", "a.txt");
    EXPECT_EQ(kStamp + 7, Bytes(L"a.txt").size());
    // A second backup replaces the first.
    test::WriteBytes(Path(L"a.txt"), std::string(limit, 'y'));
    m_writer.SaveText("second", "a.txt");
    EXPECT_EQ(std::string(limit, 'y'), Bytes(L"a.txtbak").substr(0, limit));
    EXPECT_FALSE(test::Exists(Path(L"a.txt")));
}

TEST_F(LogWriterTest, NothingGoesThroughAHardLinkAFolderOrANameLeadingOutOfTheFolder) {
    test::TempDir outside;
    test::WriteBytes(outside / L"target.txt", "theirs");
    ASSERT_TRUE(
        CreateHardLinkW(Path(L"linked.txt").c_str(), (outside / L"target.txt").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Path(L"blocked.txt").c_str(), nullptr));
    const std::wstring leaf = outside.Path().substr(outside.Path().rfind(L'\\') + 1);
    for (const std::wstring& name : {std::wstring(L"linked.txt"), std::wstring(L"blocked.txt"),
                                     L"..\\" + leaf + L"\\target.txt"}) {
        m_writer.SaveText("dropped", ToLogText(name));
    }
    EXPECT_EQ("theirs", test::ReadBytes(outside / L"target.txt"));
    // The next record once the way is clear is written.
    ASSERT_TRUE(RemoveDirectoryW(Path(L"blocked.txt").c_str()));
    m_writer.SaveText("written", "blocked.txt");
    EXPECT_EQ("written\r\n", Bytes(L"blocked.txt").substr(kStamp));
}

// Four writers of their own append at once, as two tools and their console programs may.
TEST_F(LogWriterTest, FourWritersAppendingAtOnceLoseAndTearNoLine) {
    const win::UniqueKernelHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::thread> writers;
    for (char id = 'a'; id < 'e'; ++id) {
        writers.emplace_back([&, id] {
            CLogSaveCloseFile writer(m_dir.Path() + L"\\", CNewFileOwner(m_dir.Path()));
            WaitForSingleObject(go.Get(), INFINITE);
            for (int n = 0; n < 400; ++n) {
                writer.SaveText(std::string(1, id) + std::to_string(n) + std::string(1000, id),
                                "shared.txt");
            }
        });
    }
    SetEvent(go.Get());
    for (std::thread& writer : writers) writer.join();
    const auto lines = test::SplitLines(Bytes(L"shared.txt"));
    EXPECT_EQ(1600u, lines.size());
    std::vector<int> next(4, 0);
    for (const std::string& line : lines) {
        std::smatch match;
        const std::string text = line.size() > kStamp ? line.substr(kStamp) : line;
        ASSERT_TRUE(std::regex_match(text, match, std::regex(R"(([a-d])(\d+)\1{1000})"))) << line;
        EXPECT_EQ(next[match[1].str()[0] - 'a']++, std::stoi(match[2])) << line.substr(0, 40);
    }
    EXPECT_EQ(std::vector<int>(4, 400), next);
}

}  // namespace
