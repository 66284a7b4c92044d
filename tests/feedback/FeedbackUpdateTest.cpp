// Needs the servers of with-test-servers.sh, which ctest starts around these tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "feedback/FeedbackLibrary.h"
#include "feedback/LibraryFolder.h"
#include "feedback/UpdateQuery.h"
#include "support/ReceiverWindow.h"
#include "support/Waiting.h"

namespace {

std::string Env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

// Where the test server serves `file` from, as Wine shows the Unix folder below Z:.
std::wstring ServedPath(const std::string& file) {
    std::wstring path;
    for (char ch : Env("OMBREL_HTTP_ROOT") + "/" + file) path += ch == '/' ? L'\\' : ch;
    return path;
}

// Loads the library from `folder` with the manifest at `path` on the server on `port`.
void Load(CFeedbackLibrary& library, const test::LibraryFolder& folder, const char* port,
          const std::string& path) {
    folder.WriteConfig("UpdateManifest=http://127.0.0.1:" + Env(port) + "/" + path + "\r\n");
    ToolInfo info = {};
    ASSERT_TRUE(folder.LoadInto(library) && library.InitFreedbackDll(&info));
}

TEST(FeedbackUpdate, OnlyANewerVersionInTheManifestGives3AndFreeingWhileTheFetchHangsIsSafe) {
    if (Env("OMBREL_HTTP_PORT").empty()) GTEST_SKIP() << "run through ctest";
    struct Case {
        const char* manifest;  // null: not there (404)
        int expected;
        const wchar_t* version = L"1.0.21.517";
    } cases[] = {
        {"10119=1.0.21.518\n", TOOL_VERSION_NEWER},
        {"10119=1.0.21.1000\n", TOOL_VERSION_NEWER},  // numbers, not text
        {"10119=1.0.21.517.1\n", TOOL_VERSION_NEWER},
        {"\xEF\xBB\xBF# latest\r\n\r\n20000=9.9\r\n 10119 = 1.0.22.0 \r\n", TOOL_VERSION_NEWER},
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
        if (c.manifest) test::WriteBytes(L"Z:" + ServedPath(file), c.manifest);
        test::LibraryFolder folder;
        CFeedbackLibrary library;
        Load(library, folder, "OMBREL_HTTP_PORT", file);
        EXPECT_EQ(c.expected, library.GetToolIsNewVersion(L"10119", c.version));
    }
    // The panel's query thread answers from its own copy of the entry point: the panel and
    // its binding may be gone (the library left loaded, the binding emptied) before it runs.
    {
        test::WriteBytes(L"Z:" + ServedPath("newer.txt"), "10119=1.0.21.518\n");
        test::LibraryFolder folder;
        CFeedbackLibrary library;
        Load(library, folder, "OMBREL_HTTP_PORT", "newer.txt");
        test::ReceiverWindow panel(WM_APP, WM_APP);
        CUpdateQuery query;
        ASSERT_TRUE(query.Start(library, panel.Handle(), WM_APP));
        library.LeaveLoaded();
        library.Free();
        ASSERT_TRUE(query.Wait());
        test::PumpFor(100);
        ASSERT_EQ(1u, panel.Received().size());
        EXPECT_EQ(static_cast<WPARAM>(TOOL_VERSION_NEWER), panel.Received()[0].wParam);
    }
    // The fetching thread keeps its code loaded until the server drops the connection;
    // a thread returning into a freed module would end this process.
    test::LibraryFolder folder;
    CFeedbackLibrary library;
    Load(library, folder, "OMBREL_SILENT_PORT", "versions.txt");
    const std::wstring dll = folder.LibraryPath();
    library.Free();
    EXPECT_NE(nullptr, GetModuleHandleW(dll.c_str()));
    EXPECT_TRUE(test::WaitFor([&] { return !GetModuleHandleW(dll.c_str()); }, 30000));
}

}  // namespace
