// The real tool's removal of its own folder when it ends: what it leaves behind.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "e2e/ScenarioKit.h"
#include "e2e/ToolRun.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"

namespace {

using e2e::ToolFolder;
using e2e::ToolProcess;

using scenario::kStartTimeout;
const DWORD kRemovalTimeout = 15000;

ToolFolder::Options WithoutUpdateServer() {
    ToolFolder::Options options;
    options.ini = scenario::kNoUpdateServer;
    return options;
}

// Closes the tool and waits for whatever removal it started to end.
void CloseAndLetItsRemovalEnd(ToolProcess& tool) {
    ASSERT_TRUE(e2e::CloseThroughQuestion(tool));
    ASSERT_NE(STILL_ACTIVE, tool.WaitForExit(10000));
    ASSERT_TRUE(e2e::WaitForProcessesStartedBy(tool.Id(), kRemovalTimeout));
}

TEST(Closing, FileSavedJustAfterTheToolEndedStaysWithItsFolder) {
    test::RecordingBrowser browser;  // the closing answer's page lands here
    ToolFolder folder(WithoutUpdateServer());
    ToolProcess tool(folder.Program());
    ASSERT_NE(nullptr, tool.WaitForPanel(kStartTimeout));
    ASSERT_TRUE(e2e::CloseThroughQuestion(tool));
    ASSERT_NE(STILL_ACTIVE, tool.WaitForExit(10000));
    test::WriteBytes(folder.Path() + L"\\notes.txt", "saved");
    ASSERT_TRUE(e2e::WaitForProcessesStartedBy(tool.Id(), kRemovalTimeout));
    EXPECT_EQ("saved", test::ReadBytes(folder.Path() + L"\\notes.txt"));
    EXPECT_FALSE(test::Exists(folder.Program())) << "the tool's own files go";
}

TEST(Closing, FolderStaysWhileAnotherInstanceRunsFromItTheLastRemovesIt) {
    test::RecordingBrowser browser;  // the closing answer's page lands here
    ToolFolder folder(WithoutUpdateServer());
    auto earlier = std::make_unique<ToolProcess>(folder.Program());
    ASSERT_NE(nullptr, earlier->WaitForPanel(kStartTimeout));
    // The later one lies on top of the earlier: it is closed first, as a user would.
    auto later = std::make_unique<ToolProcess>(folder.Program());
    ASSERT_NE(nullptr, later->WaitForPanel(kStartTimeout));

    CloseAndLetItsRemovalEnd(*later);
    for (const wchar_t* name : {L"TovricOmbrel.exe", L"HarvaneFeedbackInformation.dll",
                                L"HarvaneFeedbackInformation.ini"}) {
        EXPECT_TRUE(test::Exists(folder.Path() + L"\\" + name)) << "the earlier still runs";
    }

    ASSERT_TRUE(e2e::CloseThroughQuestion(*earlier));
    ASSERT_NE(STILL_ACTIVE, earlier->WaitForExit(10000));
    EXPECT_TRUE(e2e::WaitFor([&]() { return !test::Exists(folder.Path()); }, kRemovalTimeout));
}

}  // namespace
