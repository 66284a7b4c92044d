#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "feedback/LibraryFolder.h"
#include "feedback/ProblemSolvingFeedbackDlg.h"
#include "skin/SkinTestKit.h"
#include "support/GdiObjects.h"
#include "support/ReceiverWindow.h"
#include "support/RecordingBrowser.h"
#include "support/TestFiles.h"

namespace {

const UINT kRunScript = WM_APP + 0x31;
const INT_PTR kLeftOpen = 0x7B0;  // the test ended a question that was still open
const WORD kNoPicture = 190;      // a bitmap, not a PNG: LoadPngResource fails

const char kFeedbackPage[] = "https://fb.example/ask";
const char kAskedPage[] = "https://fb.example/ask?toolId=10119&version=1.0.21.517";
const char kSolutionsPage[] = "https://solutions.example/more?from=ombrel";

// Where the library records answers, one line each.
std::wstring AnswerFile() {
    wchar_t common[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE);
    return std::wstring(common) + L"\\HarvaneFeedback\\CustomerFeedback.txt";
}

// The answers recorded from construction on.
class RecordedAnswers {
public:
    RecordedAnswers() { ::DeleteFileW(AnswerFile().c_str()); }
    std::vector<std::string> Lines() const {
        return test::SplitLines(test::ReadBytes(AnswerFile()));
    }
};

// The feedback library as the control panel holds it: loaded from a folder of its own,
// its record filled; the pages it opens reach the recording browser.
struct PanelFeedback {
    PanelFeedback() {
        folder.WriteConfig(std::string("Feedback=") + kFeedbackPage +
                           "\r\nMoreSolutions=" + kSolutionsPage + "\r\n");
        ready = browser.Registered() && binding.Load(folder.Path()) == 1 &&
                binding.InitFreedbackDll(&record) == 1;
    }

    test::RecordingBrowser browser;
    test::LibraryFolder folder;
    CFeedbackLibrary binding;
    ToolInfo record = {};
    bool ready = false;
};

// The question at a scale of the test's choosing, or without one of its pictures.
class PresetScaleFeedbackDlg : public CProblemSolvingFeedbackDlg {
public:
    explicit PresetScaleFeedbackDlg(float scale, const LayeredPairParams& params = kFeedbackPair)
        : CProblemSolvingFeedbackDlg(params, nullptr), m_scale(scale) {}

protected:
    float MeasureScale() const override { return m_scale; }

private:
    float m_scale;
};

// Records what a window is sent, before the window's own handling.
class MessageSpy : public CSubclassWnd {
public:
    std::vector<UINT> commands;
    bool closed = false;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& /*result*/) override {
        if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
        if (message == WM_CLOSE) closed = true;
        return false;
    }
};

RECT ClientRectIn(HWND control, HWND parent) {
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// The question on the screen, inside its own modal loop.
class ShownQuestion {
public:
    ShownQuestion(CProblemSolvingFeedbackDlg& dialog, HWND inner) : m_inner(inner) {
        m_outerSpy.SubclassWindow(dialog.GetSafeHwnd());
        m_innerSpy.SubclassWindow(inner);
    }

    HWND Inner() const { return m_inner; }
    HWND Control(int id) const { return ::GetDlgItem(m_inner, id); }
    RECT ControlRect(int id) const { return ClientRectIn(Control(id), m_inner); }
    bool Closed() const { return m_outerSpy.closed; }
    const std::vector<UINT>& Commands() const { return m_innerSpy.commands; }

    // A real left click on control `id`: pressed in its middle, released at `release`
    // (its client coordinates). True once the inner dialog has the button's command.
    bool Click(int id, POINT release) {
        const HWND button = Control(id);
        const SIZE size = SizeOf(ControlRect(id));
        const size_t before = Commands().size();
        const POINT middle = test::ScreenPoint(button, size.cx / 2, size.cy / 2);
        const POINT end = test::ScreenPoint(button, release.x, release.y);
        test::MoveMouse(middle);
        test::PressMouse(middle);
        test::PumpFor(20);
        test::MoveMouse(end);
        test::ReleaseMouse(end);
        const bool arrived = test::PumpUntil([&] { return Commands().size() > before; });
        test::MoveMouseAway();
        return arrived;
    }
    bool Click(int id) {
        const SIZE size = SizeOf(ControlRect(id));
        return Click(id, {size.cx / 2, size.cy / 2});
    }

private:
    HWND m_inner;
    MessageSpy m_outerSpy;
    MessageSpy m_innerSpy;
};

using Script = std::function<void(ShownQuestion&)>;

// Shows `dialog` modally and runs `script` inside its loop once the pair is centred and
// shown. Returns what DoModal returned: kLeftOpen when the script left the question open.
INT_PTR Show(CProblemSolvingFeedbackDlg& dialog, const Script& script) {
    test::ReceiverWindow starter(kRunScript, kRunScript);
    starter.onMessage = [&](const test::ReceivedMessage&) {
        if (dialog.Inner() == nullptr) {
            ADD_FAILURE() << "no inner window";
            dialog.EndDialog(kLeftOpen);
            return;
        }
        const HWND inner = dialog.Inner()->GetSafeHwnd();
        test::MoveMouseAway();
        test::PumpFor(30);
        // Wine without a window manager restacks a freshly shown frame above the window it
        // owns; Windows keeps the inner on top.
        ::SetWindowPos(inner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        test::PumpFor(30);
        ShownQuestion question(dialog, inner);
        script(question);
        if (!question.Closed()) dialog.EndDialog(kLeftOpen);
    };
    ::PostMessageW(starter.Handle(), kRunScript, 0, 0);
    return dialog.DoModal();
}

class FeedbackDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_gdiplus.Ok());
        ASSERT_TRUE(m_library.ready);
    }

    // The dialog as the main window makes it.
    void Wire(CProblemSolvingFeedbackDlg& dialog) {
        dialog.SetFeedbackBinding(&m_library.binding);
        dialog.SetToolInfoRecord(&m_library.record);
    }

    win::GdiplusSession m_gdiplus;
    PanelFeedback m_library;
    RecordedAnswers m_answers;
};

TEST_F(FeedbackDialogTest, PairIsCentredTitledAndLaidOutAtScreenScaleAndAtOneAndAQuarter) {
    ASSERT_FLOAT_EQ(1.0f, ScreenScale()) << "the test display has 96 pixels per inch";
    struct Case {
        float scale;  // 0: measured from the screen, as the tool does
        SIZE outer;
        POINT innerOffset;
        SIZE innerClient;
        RECT close, solved, unsolved, moreSolutions;
    } cases[] = {
        // clang-format off
        {0.0f, {410, 479}, {5, 4}, {400, 468}, {382, 6, 394, 18},
         {67, 154, 333, 214}, {67, 234, 333, 294}, {67, 314, 333, 374}},
        // The solved button's left edge is truncated once (83.75), the others' twice.
        {1.25f, {512, 598}, {6, 5}, {500, 585}, {477, 7, 492, 22},
         {83, 192, 415, 267}, {84, 292, 416, 367}, {84, 392, 416, 467}},
        // clang-format on
    };
    const POINT screenCentre = {::GetSystemMetrics(SM_CXSCREEN) / 2,
                                ::GetSystemMetrics(SM_CYSCREEN) / 2};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        CProblemSolvingFeedbackDlg fromScreen;
        PresetScaleFeedbackDlg preset(c.scale);
        CProblemSolvingFeedbackDlg& dialog = c.scale == 0.0f ? fromScreen : preset;
        Wire(dialog);
        Show(dialog, [&](ShownQuestion& q) {
            EXPECT_EQ(L"Ombrel", dialog.GetWindowText());
            const RECT outer = dialog.GetWindowRect();
            EXPECT_EQ(c.outer.cx, SizeOf(outer).cx);
            EXPECT_EQ(c.outer.cy, SizeOf(outer).cy);
            EXPECT_NEAR(screenCentre.x, (outer.left + outer.right) / 2, 1);
            EXPECT_NEAR(screenCentre.y, (outer.top + outer.bottom) / 2, 1);
            const RECT inner = ClientRectIn(q.Inner(), nullptr);
            EXPECT_EQ(outer.left + c.innerOffset.x, inner.left);
            EXPECT_EQ(outer.top + c.innerOffset.y, inner.top);
            RECT client = {};
            ::GetClientRect(q.Inner(), &client);
            EXPECT_EQ(c.innerClient.cx, client.right);
            EXPECT_EQ(c.innerClient.cy, client.bottom);
            EXPECT_EQ(Describe(c.close), Describe(q.ControlRect(IDC_FEEDBACK_CLOSE_BUTTON)));
            EXPECT_EQ(Describe(c.solved), Describe(q.ControlRect(IDC_SOLVED_BUTTON)));
            EXPECT_EQ(Describe(c.unsolved), Describe(q.ControlRect(IDC_UNSOLVED_BUTTON)));
            EXPECT_EQ(Describe(c.moreSolutions),
                      Describe(q.ControlRect(IDC_MORE_SOLUTIONS_BUTTON)));
        });
    }
    EXPECT_TRUE(m_answers.Lines().empty());
}

TEST_F(FeedbackDialogTest, EachAnswerIsRecordedWithTheTimeAndAsksForFeedbackAndEnds) {
    struct Case {
        int id;
        int answer;
    } cases[] = {{IDC_SOLVED_BUTTON, 1}, {IDC_UNSOLVED_BUTTON, 2}, {IDC_FEEDBACK_CLOSE_BUTTON, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        RecordedAnswers answers;
        const std::vector<std::string> pagesBefore = m_library.browser.Pages();
        CProblemSolvingFeedbackDlg dialog;
        Wire(dialog);
        const __time64_t before = _time64(nullptr);
        EXPECT_EQ(IDCANCEL, Show(dialog, [&](ShownQuestion& q) { EXPECT_TRUE(q.Click(c.id)); }));
        const __time64_t after = _time64(nullptr);

        const std::vector<std::string> lines = answers.Lines();
        ASSERT_EQ(1u, lines.size());
        const std::string prefix =
            "tool=10119\tversion=1.0.21.517\tanswer=" + std::to_string(c.answer) + "\ttime=";
        ASSERT_EQ(0u, lines[0].find(prefix)) << lines[0];
        const long long stamp = std::stoll(lines[0].substr(prefix.size()));
        EXPECT_GE(stamp, before);
        EXPECT_LE(stamp, after);
        std::vector<std::string> pages = pagesBefore;
        pages.push_back(kAskedPage);
        EXPECT_EQ(pages, m_library.browser.WaitForPages(pages.size()));
        EXPECT_FALSE(dialog.IsWindow());
    }
}

TEST_F(FeedbackDialogTest, ReleaseWithinTheScaledInsetOfABigButtonIsNoAnswer) {
    struct Case {
        const char* name;
        float scale;
        int id;
        POINT release;  // client coordinates of the button
        bool answered;
    } cases[] = {
        // 266 x 60 with 9 pixels at each edge that do not count.
        {"left inset", 1.0f, IDC_SOLVED_BUTTON, {8, 30}, false},
        {"first counting column", 1.0f, IDC_SOLVED_BUTTON, {9, 30}, true},
        {"right inset", 1.0f, IDC_UNSOLVED_BUTTON, {257, 30}, false},
        {"last counting column", 1.0f, IDC_UNSOLVED_BUTTON, {256, 30}, true},
        {"top inset", 1.0f, IDC_SOLVED_BUTTON, {133, 8}, false},
        {"bottom inset", 1.0f, IDC_UNSOLVED_BUTTON, {133, 51}, false},
        // 332 x 75 with 11 pixels: what counts at scale 1.0 does not here.
        {"left inset, scaled", 1.25f, IDC_UNSOLVED_BUTTON, {10, 37}, false},
        {"first counting column, scaled", 1.25f, IDC_UNSOLVED_BUTTON, {11, 37}, true},
        {"right inset, scaled", 1.25f, IDC_SOLVED_BUTTON, {321, 37}, false},
        {"bottom inset, scaled", 1.25f, IDC_SOLVED_BUTTON, {166, 64}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedAnswers answers;
        PresetScaleFeedbackDlg dialog(c.scale);
        Wire(dialog);
        const INT_PTR result =
            Show(dialog, [&](ShownQuestion& q) { EXPECT_TRUE(q.Click(c.id, c.release)); });
        EXPECT_EQ(c.answered ? IDCANCEL : kLeftOpen, result);
        EXPECT_EQ(c.answered ? 1u : 0u, answers.Lines().size());
    }
}

TEST_F(FeedbackDialogTest, MoreSolutionsOpensTheRecordsPageEveryTimeAndTheQuestionStays) {
    CProblemSolvingFeedbackDlg dialog;
    Wire(dialog);
    const INT_PTR result = Show(dialog, [&](ShownQuestion& q) {
        EXPECT_TRUE(q.Click(IDC_MORE_SOLUTIONS_BUTTON));
        // Apart, so that the system does not take the two for a double click.
        test::PumpFor(::GetDoubleClickTime() + 100);
        EXPECT_TRUE(q.Click(IDC_MORE_SOLUTIONS_BUTTON));
    });
    EXPECT_EQ(kLeftOpen, result);
    EXPECT_EQ((std::vector<std::string>{kSolutionsPage, kSolutionsPage}),
              test::AllPagesOpened(m_library.binding, m_library.browser, 2));
    EXPECT_TRUE(m_answers.Lines().empty());
}

TEST_F(FeedbackDialogTest, WithoutBindingOrRecordTheButtonsStillCloseAndMoreSolutionsDoesNothing) {
    struct Case {
        const char* name;
        bool binding;
        bool record;
        int id;
        INT_PTR result;
    } cases[] = {
        {"no binding: solved", false, true, IDC_SOLVED_BUTTON, IDCANCEL},
        {"no binding: not solved", false, true, IDC_UNSOLVED_BUTTON, IDCANCEL},
        {"no binding: close", false, true, IDC_FEEDBACK_CLOSE_BUTTON, IDCANCEL},
        {"no binding: more solutions", false, true, IDC_MORE_SOLUTIONS_BUTTON, kLeftOpen},
        {"no record: more solutions", true, false, IDC_MORE_SOLUTIONS_BUTTON, kLeftOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CProblemSolvingFeedbackDlg dialog;
        if (c.binding) dialog.SetFeedbackBinding(&m_library.binding);
        if (c.record) dialog.SetToolInfoRecord(&m_library.record);
        EXPECT_EQ(c.result, Show(dialog, [&](ShownQuestion& q) { EXPECT_TRUE(q.Click(c.id)); }));
    }
    EXPECT_TRUE(m_answers.Lines().empty());
    EXPECT_TRUE(test::AllPagesOpened(m_library.binding, m_library.browser).empty());
}

TEST_F(FeedbackDialogTest, AnAddressThatFillsItsWholeFieldIsReadNoFurther) {
    // A record whose fifth field has no terminator: the next field must not be read.
    ToolInfo record = {};
    const std::wstring page =
        L"https://solutions.example/" + std::wstring(TOOL_INFO_CHARS - 26, L'a');
    ASSERT_EQ(static_cast<size_t>(TOOL_INFO_CHARS), page.size());
    page.copy(record.moreSolutionsPage, TOOL_INFO_CHARS);
    wcscpy(record.downloadPage, L"-and-beyond");
    // Wine's shell cannot open an address this long: a library that records it instead.
    const std::wstring recorder = test::ProgramDirectory() + L"\\recording-library";
    CFeedbackLibrary binding;
    ASSERT_EQ(1, binding.Load(recorder));
    DeleteFileW((recorder + L"\\opened.txt").c_str());
    CProblemSolvingFeedbackDlg dialog;
    dialog.SetFeedbackBinding(&binding);
    dialog.SetToolInfoRecord(&record);
    Show(dialog, [](ShownQuestion& q) { EXPECT_TRUE(q.Click(IDC_MORE_SOLUTIONS_BUTTON)); });
    const std::string opened = test::ReadBytes(recorder + L"\\opened.txt");
    EXPECT_EQ(page + L"\n", std::wstring(reinterpret_cast<const wchar_t*>(opened.data()),
                                         opened.size() / sizeof(wchar_t)));
}

TEST_F(FeedbackDialogTest, OneShowingRecordsOneAnswerEvenIfASecondClickArrivesBeforeItEnds) {
    // As when the library runs a message loop of its own while it opens its page.
    CProblemSolvingFeedbackDlg dialog;
    Wire(dialog);
    EXPECT_EQ(IDCANCEL, Show(dialog, [](ShownQuestion& q) {
                  const HWND close = q.Control(IDC_FEEDBACK_CLOSE_BUTTON);
                  for (int i = 0; i < 2; ++i) {
                      ::SendMessageW(q.Inner(), WM_COMMAND,
                                     MAKEWPARAM(IDC_FEEDBACK_CLOSE_BUTTON, BN_CLICKED),
                                     reinterpret_cast<LPARAM>(close));
                  }
              }));
    EXPECT_EQ(1u, m_answers.Lines().size());
    EXPECT_EQ(std::vector<std::string>{kAskedPage},
              test::AllPagesOpened(m_library.binding, m_library.browser, 1));
}

TEST_F(FeedbackDialogTest, WithoutItsFramePictureTheQuestionEndsAtOnceUnanswered) {
    LayeredPairParams frameless = kFeedbackPair;
    frameless.outerImageId = kNoPicture;
    PresetScaleFeedbackDlg dialog(1.0f, frameless);
    Wire(dialog);
    // Should it wait for an answer nobody can give, the test ends it after a while.
    test::ReceiverWindow watchdog(WM_TIMER, WM_TIMER);
    watchdog.onMessage = [&](const test::ReceivedMessage&) { dialog.EndDialog(kLeftOpen); };
    ::SetTimer(watchdog.Handle(), 1, 2000, nullptr);
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    ::KillTimer(watchdog.Handle(), 1);
    EXPECT_EQ(nullptr, dialog.Inner());
    EXPECT_TRUE(m_answers.Lines().empty());
    EXPECT_TRUE(test::AllPagesOpened(m_library.binding, m_library.browser).empty());
}

TEST_F(FeedbackDialogTest, RepeatedShowingsLeaveNoGdiObjectBehind) {
    auto showing = [](float scale) {
        PresetScaleFeedbackDlg dialog(scale);
        Show(dialog, [](ShownQuestion& q) {
            // A hover face and a full repaint of the pair, then the close button.
            test::MoveMouse(test::ScreenPoint(q.Control(IDC_SOLVED_BUTTON), 20, 20));
            test::PumpFor(30);
            ::RedrawWindow(q.Inner(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            EXPECT_TRUE(q.Click(IDC_FEEDBACK_CLOSE_BUTTON));
        });
    };
    for (float scale : {1.0f, 1.25f}) showing(scale);  // warm-up: caches of the system and GDI+
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 6; ++i) showing(i % 2 == 0 ? 1.0f : 1.25f);
    EXPECT_EQ(before, test::CountGdiObjects());
}

}  // namespace
