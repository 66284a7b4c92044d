#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "feedback/ToolIdentity.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"

// These tests need the servers of with-test-servers.sh, which ctest starts around them.

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Address(const char* portVariable, const std::string& path) {
    return "http://127.0.0.1:" + Env(portVariable) + "/" + path;
}

// Writes a file into the web server's folder, a Unix path that Wine shows on drive Z.
void Serve(const std::string& name, const std::string& content) {
    std::wstring path = L"Z:";
    for (char c : Env("OMBREL_HTTP_ROOT") + "/" + name) path += c == '/' ? L'\\' : wchar_t(c);
    test::WriteBytes(path, content);
}

class FeedbackUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        if (Env("OMBREL_HTTP_PORT").empty()) {
            GTEST_SKIP() << "no test servers: run through ctest (with-test-servers.sh)";
        }
    }

    // Loads a fresh copy whose manifest address is `manifest`, and initialises it.
    void LoadWithManifest(const std::string& manifest) {
        m_library.Free();
        m_folder = std::make_unique<test::LibraryFolder>();
        m_folder->WriteConfig("UpdateManifest=" + manifest +
                              "\r\nDownload=https://download.example/latest\r\n");
        ASSERT_EQ(1, m_library.Load(m_folder->Path()));
        ToolInfo info = {};
        ASSERT_EQ(1, m_library.InitFreedbackDll(&info));
    }

    std::unique_ptr<test::LibraryFolder> m_folder;
    CFeedbackLibrary m_library;
};

TEST_F(FeedbackUpdate, OnlyANewerVersionInTheManifestGives3) {
    struct Case {
        const char* file;      // served file; nullptr: not there (404)
        const char* manifest;  // its content
        int expected;
    } cases[] = {
        {"newer-build.txt", "10119=1.0.21.518\n", TOOL_VERSION_NEWER},
        {"numeric.txt", "10119=1.0.21.1000\n", TOOL_VERSION_NEWER},
        {"newer-minor.txt", "10119=1.1\n", TOOL_VERSION_NEWER},
        {"longer.txt", "10119=1.0.21.517.1\n", TOOL_VERSION_NEWER},
        {"decorated.txt",
         "\xEF\xBB\xBF# latest versions\r\n\r\n20000=9.9\r\n 10119 = 1.0.22.0 \r\n",
         TOOL_VERSION_NEWER},
        {"same.txt", "10119=1.0.21.517\n", TOOL_VERSION_CURRENT},
        {"same-shorter.txt", "10119=1.0.21.517.0\n", TOOL_VERSION_CURRENT},
        {"older.txt", "10119=1.0.20.999\n", TOOL_VERSION_CURRENT},
        {"older-text-order.txt", "10119=1.0.21.99\n", TOOL_VERSION_CURRENT},
        {"other-tool.txt", "20000=9.9.9.9\n", TOOL_VERSION_UNKNOWN},
        {"letters.txt", "10119=1.0.21.x\n", TOOL_VERSION_UNKNOWN},
        {"empty-part.txt", "10119=1..21.518\n", TOOL_VERSION_UNKNOWN},
        {"huge-part.txt", "10119=1.0.21.99999999999999999999\n", TOOL_VERSION_UNKNOWN},
        {"html.txt", "<html><body>maintenance</body></html>", TOOL_VERSION_UNKNOWN},
        {"empty.txt", "", TOOL_VERSION_UNKNOWN},
        {nullptr, nullptr, TOOL_VERSION_UNKNOWN},
    };
    for (const Case& c : cases) {
        const std::string file = c.file ? c.file : "missing.txt";
        SCOPED_TRACE(file);
        if (c.file) Serve(c.file, c.manifest);
        LoadWithManifest(Address("OMBREL_HTTP_PORT", file));
        EXPECT_EQ(c.expected, m_library.GetToolIsNewVersion(kToolId, kToolVersion));
    }
}

TEST_F(FeedbackUpdate, TheDownloadVariantOpensTheDownloadPageOnlyForANewerVersion) {
    using CheckFn = decltype(&::GetToolIsNewVersionDown);
    test::RecordingBrowser browser;
    Serve("versions.txt", "10119=1.0.21.600\n");
    // The current version first: a page it opened by mistake would arrive before the other.
    const struct {
        const wchar_t* running;
        int expected;
    } cases[] = {{L"1.0.21.600", TOOL_VERSION_CURRENT}, {L"1.0.21.517", TOOL_VERSION_NEWER}};
    for (const auto& c : cases) {
        LoadWithManifest(Address("OMBREL_HTTP_PORT", "versions.txt"));
        auto check = m_folder->Export<CheckFn>("GetToolIsNewVersionDown");
        ASSERT_NE(nullptr, check);
        EXPECT_EQ(c.expected, check(kToolId, c.running));
    }
    EXPECT_EQ(std::vector<std::string>{"https://download.example/latest"}, browser.WaitForPages(1));
}

TEST_F(FeedbackUpdate, InternetStateTellsWhetherTheUpdateServerAnswered) {
    using StateFn = decltype(&::GetInterNetState);
    struct Case {
        std::string manifest;
        int expected;
    } cases[] = {
        {Address("OMBREL_HTTP_PORT", "missing.txt"), 1},  // a 404 is an answer too
        {Address("OMBREL_CLOSED_PORT", "versions.txt"), 0},
        {"file:///C:/windows/win.ini", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.manifest);
        LoadWithManifest(c.manifest);
        auto state = m_folder->Export<StateFn>("GetInterNetState");
        ASSERT_NE(nullptr, state);
        EXPECT_EQ(c.expected, state());
        EXPECT_EQ(TOOL_VERSION_UNKNOWN, m_library.GetToolIsNewVersion(kToolId, kToolVersion));
    }
}

TEST_F(FeedbackUpdate, AServerThatNeverAnswersIsGivenUpWithinTheBound) {
    const ULONGLONG start = GetTickCount64();
    LoadWithManifest(Address("OMBREL_SILENT_PORT", "versions.txt"));
    const ULONGLONG initialised = GetTickCount64();
    EXPECT_EQ(TOOL_VERSION_UNKNOWN, m_library.GetToolIsNewVersion(kToolId, kToolVersion));
    const ULONGLONG answered = GetTickCount64();
    // Timings are for the log only.
    std::cout << "silent server: initialisation " << (initialised - start) << " ms, update check "
              << (answered - initialised) << " ms" << std::endl;
}

TEST_F(FeedbackUpdate, FreeingTheLibraryWhileTheFetchHangsIsSafe) {
    LoadWithManifest(Address("OMBREL_SILENT_PORT", "versions.txt"));
    const std::wstring path = m_folder->LibraryPath();
    m_library.Free();
    // The fetching thread keeps the code it runs loaded, and lets go when the server
    // drops the connection; a thread returning into a freed module would end this process.
    EXPECT_NE(nullptr, GetModuleHandleW(path.c_str()));
    const ULONGLONG start = GetTickCount64();
    while (GetModuleHandleW(path.c_str()) != nullptr && GetTickCount64() - start < 30000) {
        Sleep(50);
    }
    EXPECT_EQ(nullptr, GetModuleHandleW(path.c_str()));
    std::cout << "silent server: library unloaded " << (GetTickCount64() - start)
              << " ms after it was freed" << std::endl;
}

TEST_F(FeedbackUpdate, ArgumentsMissingAreRefused) {
    Serve("versions.txt", "10119=1.0.21.600\n");
    LoadWithManifest(Address("OMBREL_HTTP_PORT", "versions.txt"));
    EXPECT_EQ(TOOL_VERSION_INVALID_ARGUMENT, m_library.GetToolIsNewVersion(nullptr, kToolVersion));
    EXPECT_EQ(TOOL_VERSION_INVALID_ARGUMENT, m_library.GetToolIsNewVersion(kToolId, L""));
    EXPECT_EQ(TOOL_VERSION_UNKNOWN, m_library.GetToolIsNewVersion(kToolId, L"1.0.beta"));
    EXPECT_EQ(TOOL_VERSION_NEWER, m_library.GetToolIsNewVersion(kToolId, kToolVersion));
}

}  // namespace
