#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "feedback/LibraryFolder.h"
#include "feedback/ProblemSolvingFeedbackDlg.h"
#include "support/ReceiverWindow.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"

namespace {

const UINT kRunScript = WM_APP + 0x31;
const INT_PTR kLeftOpen = 0x7B0;  // the test ended a question that was still open

// The feedback library as the main window holds it: loaded from a folder of its own, its
// record filled, wired to `dialog`; the pages it opens reach the recording browser.
struct WiredLibrary {
    explicit WiredLibrary(CProblemSolvingFeedbackDlg& dialog) {
        folder.WriteConfig("Feedback=https://fb.example/ask\r\n");
        EXPECT_TRUE(browser.Registered() && folder.LoadInto(binding) &&
                    binding.InitFreedbackDll(&record));
        dialog.SetFeedbackBinding(&binding);
        dialog.SetToolInfoRecord(&record);
    }
    test::RecordingBrowser browser;
    test::LibraryFolder folder;
    CFeedbackLibrary binding;
    ToolInfo record = {};
};

void Click(HWND inner, int id) {
    SendMessageW(inner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(inner, id)));
}

// Shows `dialog` modally and runs `script` on its inner window inside the modal loop.
// Returns what DoModal returned: kLeftOpen when the question was still open 10 s later.
INT_PTR Show(CProblemSolvingFeedbackDlg& dialog, const std::function<void(HWND)>& script) {
    test::ReceiverWindow starter(kRunScript, kRunScript);
    starter.onMessage = [&](const test::ReceivedMessage&) {
        if (dialog.Inner() == nullptr) {
            ADD_FAILURE() << "no inner window";
            return dialog.EndDialog(kLeftOpen);
        }
        script(dialog.Inner()->GetSafeHwnd());
    };
    test::ReceiverWindow watchdog(WM_TIMER, WM_TIMER);
    watchdog.onMessage = [&](const test::ReceivedMessage&) { dialog.EndDialog(kLeftOpen); };
    SetTimer(watchdog.Handle(), 1, 10000, nullptr);
    PostMessageW(starter.Handle(), kRunScript, 0, 0);
    const INT_PTR result = dialog.DoModal();
    KillTimer(watchdog.Handle(), 1);
    return result;
}

std::vector<std::string> Answers() {
    return test::SplitLines(test::ReadBytes(test::AnswerFilePath()));
}

TEST(FeedbackDialog, AClickOnAnAnswerRecordsItOnceAsksForFeedbackAndEnds) {
    win::GdiplusSession gdiplus;
    struct Case {
        int id;
        POINT cursor;        // in the button's client area
        const char* answer;  // null: no answer, the question stays
    } cases[] = {
        // (Each answer's click in the middle: the real tool's closing, e2e.) A big button's
        // 9 pixels at each edge do not count.
        {IDC_SOLVED_BUTTON, {8, 30}, nullptr},
        {IDC_UNSOLVED_BUTTON, {9, 30}, "2"},
        {IDC_UNSOLVED_BUTTON, {133, 51}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " at " << c.cursor.x << "," << c.cursor.y);
        DeleteFileW(test::AnswerFilePath().c_str());
        CProblemSolvingFeedbackDlg dialog;
        WiredLibrary library(dialog);
        const INT_PTR result = Show(dialog, [&](HWND inner) {
            POINT cursor = c.cursor;
            ClientToScreen(GetDlgItem(inner, c.id), &cursor);
            SetCursorPos(cursor.x, cursor.y);
            // The second click arrives before the question ends, as when the library runs
            // a message loop of its own while it opens its page.
            Click(inner, c.id);
            Click(inner, c.id);
            if (Answers().empty()) dialog.EndDialog(kLeftOpen);
        });
        EXPECT_EQ(c.answer ? IDCANCEL : kLeftOpen, result);
        const auto lines = Answers();
        ASSERT_EQ(c.answer ? 1u : 0u, lines.size());
        if (!c.answer) continue;
        EXPECT_EQ(0u, lines[0].find(std::string("tool=10119\tversion=1.0.21.517\tanswer=") +
                                    c.answer + "\ttime="));
        // Exactly one page: a last one opened afterwards shows any opened by mistake.
        library.browser.WaitForPages(1);
        BSTR last = SysAllocString(L"https://last.example/");
        EXPECT_EQ(1, library.binding.OpenUrl(last));
        SysFreeString(last);
        EXPECT_EQ(
            std::vector<std::string>{"https://fb.example/ask?toolId=10119&version=1.0.21.517"},
            library.browser.PagesBefore("https://last.example/"));
    }
}

TEST(FeedbackDialog, AnAddressThatFillsItsWholeFieldIsReadNoFurther) {
    win::GdiplusSession gdiplus;
    // A record whose fifth field has no terminator: the next field must not be read.
    ToolInfo record = {};
    const std::wstring page =
        L"https://solutions.example/" + std::wstring(TOOL_INFO_CHARS - 26, L'a');
    page.copy(record.moreSolutionsPage, TOOL_INFO_CHARS);
    wcscpy(record.downloadPage, L"-and-beyond");
    // Wine's shell cannot open an address this long: a library that records it instead.
    const std::wstring recorder = test::ProgramDirectory() + L"\\recording-library";
    CFeedbackLibrary binding;
    ASSERT_TRUE(
        binding.Load(recorder, test::FileSha256(recorder + L"\\HarvaneFeedbackInformation.dll")));
    DeleteFileW((recorder + L"\\opened.txt").c_str());
    CProblemSolvingFeedbackDlg dialog;
    dialog.SetFeedbackBinding(&binding);
    dialog.SetToolInfoRecord(&record);
    Show(dialog, [&](HWND inner) {
        Click(inner, IDC_MORE_SOLUTIONS_BUTTON);
        dialog.EndDialog(kLeftOpen);
    });
    const std::string opened = test::ReadBytes(recorder + L"\\opened.txt");
    EXPECT_EQ(page + L"\n", std::wstring(reinterpret_cast<const wchar_t*>(opened.data()),
                                         opened.size() / sizeof(wchar_t)));
}

}  // namespace
