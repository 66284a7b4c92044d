#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "skin/PairTestKit.h"
#include "skin/PromptDlg.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/GdiObjects.h"
#include "support/ReceiverWindow.h"

namespace {

const wchar_t kLongText[] =
    L"检测到系统中的USB存储设备仍在使用，禁用后所有U盘和移动硬盘将无法读取，"
    L"正在复制的文件可能会丢失。请先保存并关闭所有打开的文件，然后再继续操作。";

class PromptWithoutFrame : public CPromptDlg {
public:
    PromptWithoutFrame() : CPromptDlg(test::WithoutFramePicture(kPromptPair)) {}
};

// Rows of the area that hold ink, grouped into bands separated by empty rows.
int CountInkBands(const test::Pixels& pixels, const RECT& area) {
    int bands = 0;
    bool inBand = false;
    for (int y = area.top; y < area.bottom; ++y) {
        bool ink = false;
        for (int x = area.left; x < area.right && !ink; ++x) ink = test::IsDark(pixels.At(x, y));
        if (ink && !inBand) ++bands;
        inBand = ink;
    }
    return bands;
}

class PromptDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_gdiplus.Ok());
        test::MoveMouseAway();
    }

    // A prompt shown modeless over the backdrop.
    void Open(CPromptDlg& prompt, int type, const std::wstring& text, float scale) {
        prompt.SetScale(scale);
        prompt.SetPromptType(type);
        prompt.SetPromptText(text);
        ASSERT_TRUE(test::OpenModeless(prompt, IDD_PROMPT_OUTER, m_owner));
        ASSERT_NE(nullptr, prompt.Inner());
    }

    win::GdiplusSession m_gdiplus;
    test::SolidBackdrop m_backdrop{RGB(0, 255, 0)};
    test::ForeignOwner m_owner{m_backdrop.Handle()};
};

// Where the controls sit in the inner window at one scale.
struct PromptLayout {
    float scale;
    SIZE client;
    RECT close, okBesideCancel, okAlone, cancel, text;
};

const PromptLayout kAt100 = {1.0f,
                             {326, 146},
                             {300, 8, 312, 20},
                             {96, 107, 151, 131},
                             {135, 107, 190, 131},
                             {175, 107, 230, 131},
                             {10, 30, 316, 106}};
// The outer is 420 x 195 and the inner, once centred, 408 x 184.
const PromptLayout kAt125 = {1.25f,
                             {408, 184},
                             {376, 10, 391, 25},
                             {120, 133, 188, 163},
                             {169, 133, 237, 163},
                             {219, 133, 287, 163},
                             {12, 37, 396, 134}};

TEST_F(PromptDlgTest, EachTypePlacesItsButtonsAndText) {
    struct Case {
        int type;
        const PromptLayout& layout;
        bool okAlone;  // centred
        bool cancelShown;
    } cases[] = {
        {kPromptYesNoSingle, kAt100, true, false},
        {kPromptYesNo, kAt100, false, true},
        {kPromptNotice, kAt100, true, false},
        {kPromptQuestion, kAt100, false, true},
        // Unknown types show one button, in the place it has beside a cancel button.
        {0, kAt100, false, false},
        {9, kAt100, false, false},
        {kPromptNotice, kAt125, true, false},
        {kPromptQuestion, kAt125, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " at " + std::to_string(c.layout.scale));
        CPromptDlg prompt;
        Open(prompt, c.type, L"提示文字", c.layout.scale);
        const HWND inner = prompt.Inner()->GetSafeHwnd();
        const RECT client = prompt.Inner()->GetClientRect();
        EXPECT_EQ(c.layout.client.cx, client.right);
        EXPECT_EQ(c.layout.client.cy, client.bottom);
        auto placeOf = [inner](int id) { return test::Describe(test::ControlRect(inner, id)); };
        EXPECT_EQ(test::Describe(c.layout.close), placeOf(IDC_PROMPT_CLOSE_BUTTON));
        EXPECT_EQ(test::Describe(c.okAlone ? c.layout.okAlone : c.layout.okBesideCancel),
                  placeOf(IDC_PROMPT_OK_BUTTON));
        EXPECT_EQ(test::Describe(c.layout.text), placeOf(IDC_PROMPT_TEXT));
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(inner, IDC_PROMPT_OK_BUTTON)));
        EXPECT_EQ(c.cancelShown,
                  ::IsWindowVisible(::GetDlgItem(inner, IDC_PROMPT_CANCEL_BUTTON)) != FALSE);
        if (c.cancelShown) {
            EXPECT_EQ(test::Describe(c.layout.cancel), placeOf(IDC_PROMPT_CANCEL_BUTTON));
        }
        EXPECT_EQ(L"提示文字", test::ControlText(inner, IDC_PROMPT_TEXT));
        prompt.DestroyWindow();
    }
}

TEST_F(PromptDlgTest, ButtonsShowTheFacesOfTheirType) {
    const win::ImagePtr yes = test::LoadPicture(IDB_YES_NORMAL);
    const win::ImagePtr confirm = test::LoadPicture(IDB_CONFIRM_NORMAL);
    const win::ImagePtr no = test::LoadPicture(IDB_NO_NORMAL);
    const win::ImagePtr cancel = test::LoadPicture(IDB_CANCEL_NORMAL);
    const win::ImagePtr cross = test::LoadPicture(IDB_PROMPT_CLOSE_NORMAL);
    ASSERT_TRUE(yes && confirm && no && cancel && cross);
    const std::vector<test::Pixels> okFaces = {test::RenderOnWhite(yes.get(), 55, 24),
                                               test::RenderOnWhite(confirm.get(), 55, 24)};
    const std::vector<test::Pixels> cancelFaces = {test::RenderOnWhite(no.get(), 55, 24),
                                                   test::RenderOnWhite(cancel.get(), 55, 24)};
    const test::Pixels crossFace = test::RenderOnWhite(cross.get(), 12, 12);
    enum { kYesNo = 0, kConfirmCancel = 1 };
    struct Case {
        int type;
        int faces;
    } cases[] = {{kPromptYesNoSingle, kYesNo},
                 {kPromptYesNo, kYesNo},
                 {kPromptNotice, kConfirmCancel},
                 {kPromptQuestion, kConfirmCancel},
                 {7, kYesNo}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CPromptDlg prompt;
        Open(prompt, c.type, L"", 1.0f);
        const HWND inner = prompt.Inner()->GetSafeHwnd();
        EXPECT_EQ(c.faces,
                  test::ClosestPicture(
                      test::CaptureClient(::GetDlgItem(inner, IDC_PROMPT_OK_BUTTON)), okFaces));
        const HWND cancelButton = ::GetDlgItem(inner, IDC_PROMPT_CANCEL_BUTTON);
        if (::IsWindowVisible(cancelButton)) {
            EXPECT_EQ(c.faces,
                      test::ClosestPicture(test::CaptureClient(cancelButton), cancelFaces));
        }
        EXPECT_EQ(
            0, test::ClosestPicture(
                   test::CaptureClient(::GetDlgItem(inner, IDC_PROMPT_CLOSE_BUTTON)), {crossFace}));
        prompt.DestroyWindow();
    }
}

TEST_F(PromptDlgTest, LongChineseTextWrapsInsideItsArea) {
    const RECT textArea = {10, 30, 316, 106};
    auto shown = [this](const std::wstring& text) {
        CPromptDlg prompt;
        Open(prompt, kPromptNotice, text, 1.0f);
        test::Pixels pixels = test::CaptureClient(prompt.Inner()->GetSafeHwnd());
        prompt.DestroyWindow();
        return pixels;
    };
    const test::Pixels empty = shown(L"");
    const test::Pixels wrapped = shown(kLongText);
    ASSERT_EQ(326, wrapped.width);
    EXPECT_EQ(0, CountInkBands(empty, textArea)) << "an empty text shows an empty area";
    EXPECT_GE(CountInkBands(wrapped, textArea), 3);

    // The block is centred between the area's top and bottom.
    const RECT ink = test::InkBounds(wrapped, textArea, test::IsDark);
    EXPECT_NEAR(ink.top - textArea.top, textArea.bottom - ink.bottom, 3) << test::Describe(ink);
    EXPECT_LE(ink.left, textArea.left + 3) << "left-aligned";

    // Outside the text area the two prompts look the same.
    int changedOutside = 0;
    for (int y = 0; y < wrapped.height; ++y) {
        for (int x = 0; x < wrapped.width; ++x) {
            const bool inside = ::PtInRect(&textArea, POINT{x, y});
            if (!inside && wrapped.At(x, y) != empty.At(x, y)) ++changedOutside;
        }
    }
    EXPECT_EQ(0, changedOutside);
}

TEST_F(PromptDlgTest, AnswerComesFromTheButtonClickedWithTheMouse) {
    struct Case {
        int type;
        const wchar_t* text;
        int button;
        INT_PTR answer;
    } cases[] = {
        {kPromptQuestion, L"确定要禁用U盘吗？", IDC_PROMPT_OK_BUTTON, IDOK},
        {kPromptQuestion, L"确定要禁用U盘吗？", IDC_PROMPT_CANCEL_BUTTON, IDCANCEL},
        {kPromptQuestion, L"确定要禁用U盘吗？", IDC_PROMPT_CLOSE_BUTTON, IDCANCEL},
        {kPromptYesNo, L"是否继续？", IDC_PROMPT_OK_BUTTON, IDOK},
        {kPromptYesNo, L"是否继续？", IDC_PROMPT_CANCEL_BUTTON, IDCANCEL},
        {kPromptNotice, L"", IDC_PROMPT_OK_BUTTON, IDOK},
        {kPromptYesNoSingle, L"完成", IDC_PROMPT_CLOSE_BUTTON, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", button " + std::to_string(c.button));
        CPromptDlg prompt;
        prompt.SetPromptType(c.type);
        prompt.SetPromptText(c.text);
        test::ModalUser user(
            [&c](const test::ShownPair& pair) { test::ClickControl(pair.inner, c.button); });
        EXPECT_EQ(c.answer, prompt.DoModal());
        EXPECT_TRUE(user.FoundPair());
        EXPECT_FALSE(user.GaveUp()) << "the click did not end the prompt";
        EXPECT_FALSE(prompt.IsWindow());
    }
}

TEST_F(PromptDlgTest, EscapeAndEnterLeaveThePromptOpen) {
    CPromptDlg prompt;
    prompt.SetPromptType(kPromptQuestion);
    prompt.SetPromptText(L"确定要禁用U盘吗？");
    bool openAfterKeys = false;
    test::ModalUser user([&openAfterKeys](const test::ShownPair& pair) {
        // A click on the text makes the inner window the one that gets the keys.
        test::ClickControl(pair.inner, IDC_PROMPT_TEXT);
        for (WORD key : {VK_ESCAPE, VK_RETURN}) test::PressKey(key);
        ::SetForegroundWindow(pair.outer);
        for (WORD key : {VK_ESCAPE, VK_RETURN}) test::PressKey(key);
        ::Sleep(200);
        test::RaiseInner(pair.inner);
        openAfterKeys = ::IsWindowVisible(pair.outer) && ::IsWindowVisible(pair.inner);
        test::ClickControl(pair.inner, IDC_PROMPT_CANCEL_BUTTON);
    });
    EXPECT_EQ(IDCANCEL, prompt.DoModal());
    EXPECT_TRUE(openAfterKeys);
    EXPECT_FALSE(user.GaveUp());
}

TEST_F(PromptDlgTest, ShowPromptRunsAScaledPromptAndReturnsTheAnswer) {
    SIZE outer = {};
    test::ModalUser user([&outer](const test::ShownPair& pair) {
        RECT frame = {};
        ::GetWindowRect(pair.outer, &frame);
        outer = {frame.right - frame.left, frame.bottom - frame.top};
        test::ClickControl(pair.inner, IDC_PROMPT_OK_BUTTON);
    });
    EXPECT_EQ(IDOK, ShowPrompt(L"确定要禁用U盘吗？", kPromptQuestion, 1.25f));
    EXPECT_EQ(420, outer.cx);
    EXPECT_EQ(195, outer.cy);
    EXPECT_FALSE(user.GaveUp());
}

TEST_F(PromptDlgTest, PromptWithoutItsFrameEndsUnansweredInsteadOfHanging) {
    PromptWithoutFrame prompt;
    prompt.SetPromptType(kPromptQuestion);
    EXPECT_EQ(IDCANCEL, prompt.DoModal());
    EXPECT_FALSE(prompt.IsWindow());
}

TEST_F(PromptDlgTest, RepeatedShowingsLeaveNoGdiObjectBehind) {
    auto showEveryType = [this]() {
        for (int type : {1, 2, 3, 4}) {
            CPromptDlg prompt;
            Open(prompt, type, kLongText, 1.25f);
            ::RedrawWindow(prompt.Inner()->GetSafeHwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            // Answered as the OK button does.
            prompt.SendMessage(WM_PROMPT_RESULT, IDOK);
            ASSERT_FALSE(prompt.IsWindow());
        }
    };
    showEveryType();  // warm-up: caches of the system and GDI+
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 2; ++i) showEveryType();
    EXPECT_EQ(before, test::CountGdiObjects());
}

}  // namespace
