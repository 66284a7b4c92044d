#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "log/LogSaveCloseFile.h"
#include "log/LogText.h"
#include "support/TestFiles.h"
#include "win/UniqueHandle.h"

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
    m_writer.SaveText("", "Ombrel.txt");
    const std::string bytes = Bytes(L"Ombrel.txt");

    // GBK: 盘 C5CC, 禁 BDFB, 用 D3C3, 失 CAA7, 败 B0DC.
    const std::string text = "U\xC5\xCC\xBD\xFB\xD3\xC3\xCA\xA7\xB0\xDC";
    ASSERT_EQ(2 * kStampLength + text.size() + 4, bytes.size());
    std::smatch stamp;
    const std::string head = bytes.substr(0, kStampLength);
    ASSERT_TRUE(std::regex_match(head, stamp, kStamp)) << head;
    EXPECT_EQ(before.wYear, std::stoi(stamp[1]));
    EXPECT_EQ(before.wMonth, std::stoi(stamp[2]));
    EXPECT_EQ(before.wDay, std::stoi(stamp[3]));
    EXPECT_EQ(text + "\r\n", bytes.substr(kStampLength, text.size() + 2));
    EXPECT_EQ("\r\n", bytes.substr(bytes.size() - 2));  // an empty text: stamp and line end

    const unsigned char packet[] = {0x00, 0x0a, 0xff, 0x5F};
    m_writer.SavePacket(packet, 4, "packet.txt");
    EXPECT_EQ("00 0A FF 5F \r\n", Bytes(L"packet.txt").substr(kStampLength));
}

TEST_F(LogWriterTest, FileAtTheLimitStaysAndOneByteMoreMovesToTheSingleBackup) {
    const std::string text = "record";
    const size_t record = kStampLength + text.size() + 2;
    const size_t limit = 6020000;

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

TEST_F(LogWriterTest, NothingGoesThroughAHardLinkAFolderOrANameLeadingOutOfTheFolder) {
    test::TempDir outside;
    test::WriteBytes(outside / L"target.txt", "theirs");
    ASSERT_TRUE(CreateHardLinkW(FilePath(L"linked.txt").c_str(), (outside / L"target.txt").c_str(),
                                nullptr));
    ASSERT_TRUE(CreateDirectoryW(FilePath(L"blocked.txt").c_str(), nullptr));
    const std::wstring leaf = outside.Path().substr(outside.Path().rfind(L'\\') + 1);
    for (const std::wstring& name : {std::wstring(L"linked.txt"), std::wstring(L"blocked.txt"),
                                     L"..\\" + leaf + L"\\target.txt"}) {
        m_writer.SaveText("dropped", ToLogText(name));
    }
    EXPECT_EQ("theirs", test::ReadBytes(outside / L"target.txt"));
    EXPECT_EQ("theirs", Bytes(L"linked.txt"));

    // The next record once the way is clear is written.
    ASSERT_TRUE(RemoveDirectoryW(FilePath(L"blocked.txt").c_str()));
    m_writer.SaveText("written", "blocked.txt");
    const auto lines = test::SplitLines(Bytes(L"blocked.txt"));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("written", lines[0].substr(kStampLength));
}

// Four processes write at once, each through its own writer, as two tools and their
// console programs may. They start writing together, once all are ready.
TEST_F(LogWriterTest, FourProcessesAppendingAtOnceLoseAndTearNoLine) {
    const int kProcesses = 4;
    const std::wstring gate = L"ombrel-append-" + std::to_wstring(GetCurrentProcessId());
    win::UniqueKernelHandle ready(
        CreateSemaphoreW(nullptr, 0, kProcesses, (gate + L"-ready").c_str()));
    win::UniqueKernelHandle go(CreateEventW(nullptr, TRUE, FALSE, (gate + L"-go").c_str()));
    std::vector<win::UniqueKernelHandle> processes;
    for (int id = 0; id < kProcesses; ++id) {
        std::wstring command = L"\"" + test::ProgramDirectory() + L"\\log_append_lines.exe\" \"" +
                               m_dir.Path() + L"\" " + std::to_wstring(id) + L" 400 " + gate;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started = {};
        ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &started));
        CloseHandle(started.hThread);
        processes.emplace_back(started.hProcess);
    }
    for (int id = 0; id < kProcesses; ++id) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.Get(), 60000));
    }
    SetEvent(go.Get());
    for (const auto& process : processes) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 120000));
        DWORD code = 1;
        EXPECT_TRUE(GetExitCodeProcess(process.Get(), &code) && code == 0);
    }

    const auto lines = test::SplitLines(Bytes(L"shared.txt"));
    EXPECT_EQ(1600u, lines.size());
    const std::regex shape(R"(process (\d) line (\d+) ([a-d])\3{999})");
    std::vector<int> next(kProcesses, 0);
    for (const std::string& line : lines) {
        std::smatch match;
        const std::string text = line.size() > kStampLength ? line.substr(kStampLength) : line;
        ASSERT_TRUE(std::regex_match(text, match, shape)) << line;
        const int id = std::stoi(match[1]);
        EXPECT_EQ(next[id], std::stoi(match[2])) << "process " << id;
        next[id] = std::stoi(match[2]) + 1;
    }
    EXPECT_EQ(std::vector<int>(kProcesses, 400), next);
}

}  // namespace
