#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "feedback/ToolIdentity.h"
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
        m_folder->WriteConfig("UpdateManifest=" + manifest + "\r\n");
        ASSERT_TRUE(m_library.Load(m_folder->Path()));
        ToolInfo info = {};
        ASSERT_TRUE(m_library.InitFreedbackDll(&info));
    }

    std::unique_ptr<test::LibraryFolder> m_folder;
    CFeedbackLibrary m_library;
};

TEST_F(FeedbackUpdate, OnlyANewerVersionInTheManifestGives3) {
    struct Case {
        const char* manifest;  // served as the manifest; null: not there (404)
        int expected;
        const wchar_t* version = kToolVersion;  // 1.0.21.517 unless given
    } cases[] = {
        {"10119=1.0.21.518\n", TOOL_VERSION_NEWER},
        {"10119=1.0.21.1000\n", TOOL_VERSION_NEWER},  // numbers, not text
        {"10119=1.0.21.517.1\n", TOOL_VERSION_NEWER},
        {"\xEF\xBB\xBF# latest versions\r\n\r\n20000=9.9\r\n 10119 = 1.0.22.0 \r\n",
         TOOL_VERSION_NEWER},
        {"10119=1.0.21.517\n", TOOL_VERSION_CURRENT},
        {"10119=1.0.21.517.0\n", TOOL_VERSION_CURRENT},
        {"10119=1.0.21.99\n", TOOL_VERSION_CURRENT},
        {"20000=9.9.9.9\n", TOOL_VERSION_UNKNOWN},
        {"10119=1.0.21.x\n", TOOL_VERSION_UNKNOWN},
        {"10119=1..21.518\n", TOOL_VERSION_UNKNOWN},
        {"10119=1.0.21.99999999999999999999\n", TOOL_VERSION_UNKNOWN},
        {"<html><body>maintenance</body></html>", TOOL_VERSION_UNKNOWN},
        {nullptr, TOOL_VERSION_UNKNOWN},
        {"10119=1.0.21.600\n", TOOL_VERSION_UNKNOWN, L"1.0.beta"},
        {"10119=1.0.21.600\n", TOOL_VERSION_INVALID_ARGUMENT, L""},
    };
    int served = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.manifest ? c.manifest : "no manifest");
        // A new name each time: nothing cached may answer for it.
        const std::string file = "manifest" + std::to_string(++served) + ".txt";
        if (c.manifest) {
            std::wstring path = L"Z:";  // the server's Unix folder as Wine shows it
            for (char ch : Env("OMBREL_HTTP_ROOT") + "/" + file) {
                path += ch == '/' ? L'\\' : wchar_t(ch);
            }
            test::WriteBytes(path, c.manifest);
        }
        LoadWithManifest(Address("OMBREL_HTTP_PORT", file));
        EXPECT_EQ(c.expected, m_library.GetToolIsNewVersion(kToolId, c.version));
    }
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
}

}  // namespace
