// Every drawn control and skinned window, shown, used and destroyed many times, must give
// back every GDI object and handle it took: a process dies after 10,000 GDI objects.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

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
#include "win/Gdi.h"

namespace {

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

// The mouse over a push button: hover, press, release and leave, painted after each.
void MouseCycle(CWnd& button) {
    for (UINT message : {WM_MOUSEHOVER, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE}) {
        button.SendMessage(message, 0, MAKELPARAM(3, 3));
        button.UpdateWindow();
    }
}

// The panel's kinds of drawn control, in a dialog of their own.
struct PanelControls {
    CPngButton close;
    CImageButton disable;
    CCheckBoxBtn check;
    CDrawTextStatic text;
};

// Shows the controls over the panel's picture, runs `use` on them ten times and destroys
// them.
void ShowAndUse(Gdiplus::Image* panel, const std::function<void(PanelControls&, int)>& use) {
    PanelControls c;
    test::SkinTestDialog dialog(IDD_CONTROL_PANEL, {{IDC_CLOSE_BUTTON, &c.close},
                                                    {IDC_DISABLE_BUTTON, &c.disable},
                                                    {IDC_AGREE_CHECK, &c.check},
                                                    {IDC_VERSION_TEXT, &c.text}});
    ASSERT_TRUE(dialog.Open());
    c.close.SetScale(1.5f);
    c.close.SetBkImage(panel);
    c.close.LoadStateImages(IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED,
                            IDB_CLOSE_DISABLED);
    c.disable.SetBkImage(panel);
    c.disable.LoadStateImages(IDB_DISABLE_NORMAL, IDB_DISABLE_HOVER, IDB_DISABLE_PRESSED,
                              IDB_DISABLE_DISABLED);
    c.check.SetParentFont();
    c.text.SetBkImage(panel);
    for (int i = 0; i < 10; ++i) use(c, i);
    dialog.DestroyWindow();
}

TEST(NoGrowth, ShowingUsingAndClosingLeavesNoGdiObjectOrHandleBehind) {
    win::GdiplusSession gdiplus;
    test::SolidBackdrop backdrop(RGB(0, 255, 0));
    test::ForeignOwner owner(backdrop.Handle());
    const win::ImagePtr panel = test::LoadPicture(IDB_PANEL);
    struct Row {
        const char* name;
        std::function<void()> cycle;
    } rows[] = {
        {"PNG button at 1.5",
         [&] { ShowAndUse(panel.get(), [](PanelControls& c, int) { MouseCycle(c.close); }); }},
        {"image button, enabled and disabled",
         [&] {
             ShowAndUse(panel.get(), [](PanelControls& c, int i) {
                 MouseCycle(c.disable);
                 c.disable.EnableButton(i % 2 == 0);
                 c.disable.UpdateWindow();
             });
         }},
        {"agreement box, clicked and resized",
         [&] {
             ShowAndUse(panel.get(), [](PanelControls& c, int i) {
                 c.check.SendMessage(BM_CLICK);
                 c.check.SetParentFont();
                 c.check.MoveWindow(8, 500, 100 + i % 2, 20);  // a new size needs a new bitmap
                 c.check.UpdateWindow();
             });
         }},
        {"drawn text, hovered, in a new font and measured",
         [&] {
             ShowAndUse(panel.get(), [](PanelControls& c, int) {
                 const POINT inside = test::ScreenPoint(c.text.GetSafeHwnd(), 2, 2);
                 c.text.UpdateHover(inside.x, inside.y);
                 c.text.UpdateWindow();
                 c.text.UpdateHover(-1, -1);
                 c.text.SetTextFont(2, FW_BOLD);
                 c.text.Invalidate();
                 c.text.UpdateWindow();
                 win::WindowDC dc(c.text.GetSafeHwnd());
                 MeasureTextWidth(c.text.GetSafeHwnd(), dc.Get(), L"同意", 1, FW_BOLD);
             });
         }},
        {"prompt of every type, answered",
         [&] {
             for (int type : {kPromptYesNoSingle, kPromptYesNo, kPromptNotice, kPromptQuestion}) {
                 CPromptDlg prompt;
                 prompt.SetPromptType(type);
                 prompt.SetPromptText(L"确认要禁用U盘吗？");
                 ASSERT_TRUE(test::OpenModeless(prompt, IDD_PROMPT_OUTER, owner));
                 prompt.SendMessage(WM_PROMPT_RESULT, IDOK);  // as the OK button answers
                 ASSERT_FALSE(prompt.IsWindow());
             }
         }},
        {"progress window at 1.25, its dots stepping, closed by the worker",
         [&] {
             CExecutePromptDlg progress;
             progress.SetScale(1.25f);
             ASSERT_TRUE(test::OpenModeless(progress, IDD_PROGRESS_OUTER, owner));
             const HWND text = ::GetDlgItem(progress.Inner()->GetSafeHwnd(), IDC_PROGRESS_TEXT);
             for (int i = 0; i < 4; ++i) {
                 ::SendMessageW(text, WM_TIMER, 36, 0);  // the one-second step
                 ::UpdateWindow(text);
             }
             progress.SendMessage(WM_CLOSE_PROGRESS);
             ASSERT_FALSE(progress.IsWindow());
         }},
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
