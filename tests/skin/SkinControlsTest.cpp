// The drawn controls in a real dialog, driven by real input and judged by what they show;
// and every drawn control and skinned window, shown, used and destroyed many times, giving
// back every GDI object and handle it took (a process dies after 10,000 GDI objects).

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resource.h"
#include "skin/CheckBoxBtn.h"
#include "skin/DrawTextStatic.h"
#include "skin/ExecutePromptDlg.h"
#include "skin/ImageButton.h"
#include "skin/PairTestKit.h"
#include "skin/PngButton.h"
#include "skin/PromptDlg.h"
#include "skin/ResourceImage.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/GdiObjects.h"
#include "support/ReceiverWindow.h"
#include "win/Gdi.h"

namespace {

enum Face { kNormal, kHover, kPressed, kDisabled };

TEST(SkinButtons, FaceFollowsTheMouseAndTheEnabledState) {
    win::GdiplusSession gdiplus;
    CPngButton close;
    CImageButton disable;
    test::SkinTestDialog dialog(IDD_CONTROL_PANEL,
                                {{IDC_CLOSE_BUTTON, &close}, {IDC_DISABLE_BUTTON, &disable}});
    ASSERT_TRUE(dialog.Open());
    struct Case {
        CSkinButton& button;
        WORD firstFace;  // then the hover, pressed and disabled faces
        RECT place;
        std::function<void(bool)> enable;  // as the owner does it
    } cases[] = {
        {close, IDB_CLOSE_NORMAL, {340, 0, 366, 34}, [&](bool on) { close.EnableWindow(on); }},
        {disable,
         IDB_DISABLE_NORMAL,
         {77, 240, 323, 287},
         [&](bool on) { disable.EnableButton(on); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstFace);
        const WORD face = c.firstFace;
        const SIZE size = {c.place.right - c.place.left, c.place.bottom - c.place.top};
        c.button.LoadStateImages(face, face + 1, face + 2, face + 3);
        c.button.MoveWindow(c.place.left, c.place.top, size.cx, size.cy);
        const auto faces = test::RenderAll({face, WORD(face + 1), WORD(face + 2), WORD(face + 3)},
                                           size.cx, size.cy);
        auto waitFor = [&](int wanted) {
            auto shown = [&] {
                return test::ClosestPicture(test::CaptureClient(c.button.GetSafeHwnd()), faces);
            };
            test::PumpUntil([&] { return shown() == wanted; }, 2000);
            return shown();
        };
        const POINT centre = test::ScreenPoint(c.button.GetSafeHwnd(), size.cx / 2, size.cy / 2);
        test::MoveMouseAway();
        EXPECT_EQ(kNormal, waitFor(kNormal));
        test::MoveMouse(centre);
        EXPECT_EQ(kHover, waitFor(kHover));
        for (int press = 0; press < 2; ++press) {  // the second press comes as a double-click
            test::PressMouse(centre);
            EXPECT_EQ(kPressed, waitFor(kPressed)) << "press " << press;
            test::ReleaseMouse(centre);
            EXPECT_EQ(kHover, waitFor(kHover)) << "press " << press;
        }
        test::MoveMouseAway();
        EXPECT_EQ(kNormal, waitFor(kNormal));
        c.enable(false);
        EXPECT_EQ(kDisabled, waitFor(kDisabled));
        test::ClickAt(centre);
        test::PumpFor(100);
        EXPECT_EQ(kDisabled, waitFor(kDisabled)) << "after a click";
        test::MoveMouseAway();
        c.enable(true);
        EXPECT_EQ(kNormal, waitFor(kNormal));
        const UINT id = ::GetDlgCtrlID(c.button.GetSafeHwnd());
        EXPECT_EQ(std::vector<UINT>(2, id), dialog.commands) << "two clicks while enabled";
        dialog.commands.clear();
    }
}

// At two scales: the mark of the state shows in the scaled box after every change.
TEST(AgreementBox, MarkFollowsEveryChangeOfTheStateAtOnce) {
    win::GdiplusSession gdiplus;
    const win::ImagePtr strip = test::LoadPicture(IDB_CHECKBOX);
    struct Case {
        float scale;
        int height;
        RECT box;
    } cases[] = {{1.0f, 20, {0, 2, 16, 18}}, {1.5f, 30, {0, 3, 24, 27}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        CCheckBoxBtn check;
        test::SkinTestDialog dialog(IDD_CONTROL_PANEL, {{IDC_AGREE_CHECK, &check}});
        ASSERT_TRUE(dialog.Open());
        check.SetParentFont();
        check.SetScale(c.scale);
        check.MoveWindow(8, 500, 120, c.height);
        check.UpdateWindow();
        const int side = c.box.right - c.box.left;
        std::vector<test::Pixels> marks;  // unchecked, checked
        for (const RECT& cell : {RECT{0, 0, 16, 16}, RECT{16, 0, 32, 16}})
            marks.push_back(test::RenderOn(strip.get(), side, side, &cell));
        auto shownMark = [&] {
            return test::ClosestPicture(test::CaptureClient(check.GetSafeHwnd()).Crop(c.box),
                                        marks);
        };
        EXPECT_EQ(BST_UNCHECKED, shownMark());
        const std::function<void()> toggles[] = {
            [&] { test::ClickAt(test::ScreenPoint(check.GetSafeHwnd(), 40, 10)); },
            [&] {
                ::SetFocus(check.GetSafeHwnd());
                test::PressKey(VK_SPACE);
            },
            [&] { check.SetCheck(check.GetCheck() == BST_CHECKED ? 0 : 1); },  // by the owner
        };
        for (int round = 0; round < 6; ++round) {  // each way, on and off
            SCOPED_TRACE(round / 2 == 0 ? "click" : round / 2 == 1 ? "Space" : "owner");
            const int expected = check.GetCheck() == BST_CHECKED ? 0 : 1;
            int lagging = 0;  // the mark must never lag behind the state
            toggles[round / 2]();
            EXPECT_TRUE(test::PumpUntil([&] {
                lagging += shownMark() != check.GetCheck();
                return check.GetCheck() == expected;
            }));
            EXPECT_EQ(0, lagging);
            EXPECT_EQ(expected, shownMark());
        }
        test::MoveMouseAway();
    }
}

// This process's kernel handles, found by asking after every handle value, because
// GetProcessHandleCount answers 0 under Wine.
int CountHandles() {
    int count = 0;
    DWORD flags = 0;
    for (UINT_PTR value = 4; value < 0x4000; value += 4) {
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
}

// The panel's kinds of drawn control, in a dialog of their own over the panel's picture:
// hovered, pressed, disabled, clicked, resized, in a new font and measured.
void UseTheDrawnControls(Gdiplus::Image* panel) {
    CPngButton close;
    CImageButton disable;
    CCheckBoxBtn check;
    CDrawTextStatic text;
    test::SkinTestDialog dialog(IDD_CONTROL_PANEL, {{IDC_CLOSE_BUTTON, &close},
                                                    {IDC_DISABLE_BUTTON, &disable},
                                                    {IDC_AGREE_CHECK, &check},
                                                    {IDC_VERSION_TEXT, &text}});
    ASSERT_TRUE(dialog.Open());
    close.SetScale(1.5f);
    close.SetBkImage(panel);
    close.LoadStateImages(IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, IDB_CLOSE_DISABLED);
    disable.SetBkImage(panel);
    disable.LoadStateImages(IDB_DISABLE_NORMAL, IDB_DISABLE_HOVER, IDB_DISABLE_PRESSED,
                            IDB_DISABLE_DISABLED);
    check.SetParentFont();
    text.SetBkImage(panel);
    for (int i = 0; i < 10; ++i) {
        for (CWnd* button : {static_cast<CWnd*>(&close), static_cast<CWnd*>(&disable)}) {
            for (UINT message : {WM_MOUSEHOVER, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE}) {
                button->SendMessage(message, 0, MAKELPARAM(3, 3));
                button->UpdateWindow();
            }
        }
        disable.EnableButton(i % 2 == 0);
        disable.UpdateWindow();
        check.SendMessage(BM_CLICK);
        check.SetParentFont();
        check.MoveWindow(8, 500, 100 + i % 2, 20);  // a new size needs a new bitmap
        check.UpdateWindow();
        const POINT inside = test::ScreenPoint(text.GetSafeHwnd(), 2, 2);
        text.UpdateHover(inside.x, inside.y);
        text.UpdateWindow();
        text.UpdateHover(-1, -1);
        text.SetTextFont(2, FW_BOLD);
        text.Invalidate();
        text.UpdateWindow();
        win::WindowDC dc(text.GetSafeHwnd());
        MeasureTextWidth(text.GetSafeHwnd(), dc.Get(), L"同意", 1, FW_BOLD);
    }
}

// A prompt of each kind the tool shows, answered, and the progress window at 1.25, its dots
// stepping, closed by the worker; each borrowing `pictures` when given.
void ShowThePairs(CWnd& owner, CKeptPictures* pictures = nullptr) {
    for (int type : {kPromptNotice, kPromptQuestion}) {
        CPromptDlg prompt;
        prompt.UseKeptPictures(pictures);
        prompt.SetPromptType(type);
        prompt.SetPromptText(L"确认要禁用U盘吗？");
        ASSERT_TRUE(test::OpenModeless(prompt, IDD_PROMPT_OUTER, owner));
        prompt.SendMessage(WM_PROMPT_RESULT, IDOK);  // as the OK button answers
        ASSERT_FALSE(prompt.IsWindow());
    }
    CExecutePromptDlg progress;
    progress.UseKeptPictures(pictures);
    progress.SetScale(1.25f);
    ASSERT_TRUE(test::OpenModeless(progress, IDD_PROGRESS_OUTER, owner));
    const HWND text = ::GetDlgItem(progress.Inner()->GetSafeHwnd(), IDC_PROGRESS_TEXT);
    for (int i = 0; i < 4; ++i) {
        ::SendMessageW(text, WM_TIMER, 36, 0);  // the one-second step
        ::UpdateWindow(text);
    }
    progress.SendMessage(WM_CLOSE_PROGRESS);
    ASSERT_FALSE(progress.IsWindow());
}

TEST(NoGrowth, ShowingUsingAndClosingLeavesNoGdiObjectOrHandleBehind) {
    win::GdiplusSession gdiplus;
    test::SolidBackdrop backdrop(RGB(0, 255, 0));
    test::ForeignOwner owner(backdrop.Handle());
    const win::ImagePtr panel = test::LoadPicture(IDB_PANEL);
    CKeptPictures kept;
    struct Row {
        const char* name;
        std::function<void()> cycle;
    } rows[] = {
        {"drawn controls", [&] { UseTheDrawnControls(panel.get()); }},
        {"prompts and progress window", [&] { ShowThePairs(owner); }},
        {"prompts and progress window borrowing kept pictures",
         [&] { ShowThePairs(owner, &kept); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int i = 0; i < 3; ++i) row.cycle();  // warm-up: caches of the system and GDI+
        const int gdiObjects = test::CountGdiObjects();
        const int handles = CountHandles();
        ASSERT_GT(handles, 0) << "handles are counted";
        for (int i = 0; i < 20; ++i) row.cycle();
        EXPECT_EQ(gdiObjects, test::CountGdiObjects());
        EXPECT_EQ(handles, CountHandles());
    }
}

}  // namespace
