#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "log/LogSaveCloseFile.h"
#include "log/LogText.h"
#include "support/TestFiles.h"

namespace {

const size_t kStampLength = 30;  // "[YYYY-MM-DD hh:mm:ss mmmms]" and three blanks
const std::regex kStamp(R"(\[(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2}) (\d{3})ms\]   )");

class LogWriterTest : public ::testing::Test {
protected:
    std::wstring FilePath(const wchar_t* name) const { return m_dir.Path() + L"\\" + name; }
    std::string Bytes(const wchar_t* name) const { return test::ReadBytes(FilePath(name)); }

    test::TempDir m_dir;
    CLogSaveCloseFile m_writer{m_dir.Path() + L"\\"};
};

TEST_F(LogWriterTest, LineIsTimestampThreeBlanksCodePage936TextAndCrLf) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    m_writer.SaveText(ToLogText(L"U盘禁用失败"), "Ombrel.txt");
    const std::string bytes = Bytes(L"Ombrel.txt");

    // GBK: 盘 C5CC, 禁 BDFB, 用 D3C3, 失 CAA7, 败 B0DC.
    const std::string text = "U\xC5\xCC\xBD\xFB\xD3\xC3\xCA\xA7\xB0\xDC";
    ASSERT_EQ(kStampLength + text.size() + 2, bytes.size());
    std::smatch stamp;
    const std::string head = bytes.substr(0, kStampLength);
    ASSERT_TRUE(std::regex_match(head, stamp, kStamp)) << head;
    EXPECT_EQ(before.wYear, std::stoi(stamp[1]));
    EXPECT_EQ(before.wMonth, std::stoi(stamp[2]));
    EXPECT_EQ(before.wDay, std::stoi(stamp[3]));
    EXPECT_EQ(text + "\r\n", bytes.substr(kStampLength));
}

TEST_F(LogWriterTest, EmptyTextGivesTimestampAndLineEndOnly) {
    m_writer.SaveText("", "empty.txt");
    const std::string bytes = Bytes(L"empty.txt");
    ASSERT_EQ(kStampLength + 2, bytes.size());
    EXPECT_EQ("\r\n", bytes.substr(kStampLength));
}

TEST_F(LogWriterTest, PacketIsOneLineOfUpperCaseHexGroups) {
    const unsigned char bytes[] = {0x00, 0x0a, 0xff, 0x5F};
    m_writer.SavePacket(bytes, 4, "packet.txt");
    EXPECT_EQ("00 0A FF 5F \r\n", Bytes(L"packet.txt").substr(kStampLength));
}

TEST_F(LogWriterTest, FileAtTheLimitStaysAndOneByteMoreMovesToTheSingleBackup) {
    const std::string text = "record";
    const size_t record = kStampLength + text.size() + 2;
    const size_t limit = CLogSaveCloseFile::kSizeLimit;

    // Exactly at the limit after the record: stays.
    test::WriteBytes(FilePath(L"a.txt"), std::string(limit - record, 'x'));
    m_writer.SaveText(text, "a.txt");
    EXPECT_EQ(limit, Bytes(L"a.txt").size());
    EXPECT_FALSE(test::Exists(FilePath(L"a.txtbak")));

    // One more byte: the record that crossed the limit goes with the file to the backup.
    m_writer.SaveText("x", "a.txt");
    EXPECT_FALSE(test::Exists(FilePath(L"a.txt")));
    const std::string backup = Bytes(L"a.txtbak");
    EXPECT_EQ(limit + kStampLength + 3, backup.size());
    EXPECT_EQ("x\r\n", backup.substr(backup.size() - 3));

    // The next record starts a new file of one line.
    m_writer.SaveText("fresh", "a.txt");
    EXPECT_EQ(1u, test::SplitLines(Bytes(L"a.txt")).size());

    // A second backup replaces the first.
    test::WriteBytes(FilePath(L"a.txt"), std::string(limit, 'y'));
    m_writer.SaveText("second", "a.txt");
    const std::string second = Bytes(L"a.txtbak");
    EXPECT_EQ('y', second[0]);
    EXPECT_EQ(limit + kStampLength + 8, second.size());
    EXPECT_FALSE(test::Exists(FilePath(L"a.txt")));
}

TEST_F(LogWriterTest, FolderInTheWayDropsTheLineAndTheNextRecordAfterItIsGoneIsWritten) {
    ASSERT_TRUE(CreateDirectoryW(FilePath(L"blocked.txt").c_str(), nullptr));
    m_writer.SaveText("dropped", "blocked.txt");
    ASSERT_TRUE(RemoveDirectoryW(FilePath(L"blocked.txt").c_str()));
    m_writer.SaveText("written", "blocked.txt");
    const auto lines = test::SplitLines(Bytes(L"blocked.txt"));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("written", lines[0].substr(kStampLength));
}

struct WriterThread {
    CLogSaveCloseFile* writer;
    int id;
    static const int kLines = 150;
    static DWORD WINAPI Run(LPVOID param) {
        auto* self = static_cast<WriterThread*>(param);
        for (int n = 0; n < kLines; ++n) {
            self->writer->SaveText("thread " + std::to_string(self->id) + " line " +
                                       std::to_string(n) + " " + std::string(40, 'a' + self->id),
                                   "shared.txt");
        }
        return 0;
    }
};

TEST_F(LogWriterTest, ConcurrentWritersNeverMixOrLoseLinesAndKeepEachThreadsOrder) {
    const int kThreads = 6;
    std::vector<WriterThread> workers;
    for (int i = 0; i < kThreads; ++i) workers.push_back({&m_writer, i});
    std::vector<HANDLE> threads;
    for (WriterThread& worker : workers) {
        threads.push_back(CreateThread(nullptr, 0, &WriterThread::Run, &worker, 0, nullptr));
    }
    WaitForMultipleObjects(kThreads, threads.data(), TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);

    const auto lines = test::SplitLines(Bytes(L"shared.txt"));
    ASSERT_EQ(static_cast<size_t>(kThreads * WriterThread::kLines), lines.size());
    const std::regex shape(R"(thread (\d) line (\d+) ([a-z])\3{39})");
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines) {
        ASSERT_TRUE(std::regex_match(line.substr(0, kStampLength), kStamp)) << line;
        std::smatch match;
        const std::string text = line.substr(kStampLength);
        ASSERT_TRUE(std::regex_match(text, match, shape)) << line;
        const int id = std::stoi(match[1]);
        EXPECT_EQ('a' + id, match[3].str()[0]);
        EXPECT_EQ(next[id], std::stoi(match[2]));
        next[id] = std::stoi(match[2]) + 1;
    }
}

}  // namespace
