#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "resource.h"
#include "skin/CheckBoxBtn.h"
#include "skin/DrawStateInfoStatic.h"
#include "skin/DrawTextStatic.h"
#include "skin/ImageButton.h"
#include "skin/PngButton.h"
#include "skin/SkinTestKit.h"
#include "support/GdiObjects.h"

namespace {

void Repaint(CWnd& control) {
    control.Invalidate();
    control.UpdateWindow();
}

// What the mouse does to a push button, one repaint after each step.
void MouseCycle(CWnd& button) {
    for (UINT message : {WM_MOUSEHOVER, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE}) {
        button.SendMessage(message, 0, MAKELPARAM(3, 3));
        button.UpdateWindow();
    }
}

TEST(SkinControls, HundredsOfHoverPressAndPaintCyclesLeaveNoGdiObjectBehind) {
    win::GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    win::ImagePtr panelPicture = test::LoadPicture(IDB_PANEL);
    win::ImagePtr progressPicture = test::LoadPicture(IDB_PROGRESS);
    CPngButton close;
    CImageButton disable;
    CCheckBoxBtn check;
    CDrawTextStatic version;
    CDrawStateInfoStatic progress;
    test::SkinTestDialog panel(IDD_CONTROL_PANEL, {{IDC_CLOSE_BUTTON, &close},
                                                   {IDC_DISABLE_BUTTON, &disable},
                                                   {IDC_AGREE_CHECK, &check},
                                                   {IDC_VERSION_TEXT, &version}});
    test::SkinTestDialog progressDialog(IDD_PROGRESS_INNER, {{IDC_PROGRESS_TEXT, &progress}});
    panel.onDestroy = [&] {
        close.FreeStateImages();
        disable.FreeStateImages();
    };
    ASSERT_TRUE(panel.Open([&](test::SkinTestDialog&) {
        close.SetScale(1.5f);
        close.SetBkImage(panelPicture.get());
        close.SetBkImageRect({368, 0, 394, 34});
        close.LoadStateImages(141, 142, 143, 144);
        disable.SetBkImage(panelPicture.get());
        // The small more-tools faces: the code paths are the same, the paints quicker.
        disable.SetBkImageRect({50, 545, 108, 563});
        disable.LoadStateImages(163, 164, 165, 166);
        check.SetParentFont();
        version.SetBkImage(panelPicture.get());
        version.SetBkImageRect({188, 16, 328, 31});
        version.SetAlignMode(TextAlign::BlockLeft);
    }));
    ASSERT_TRUE(progressDialog.Open([&](test::SkinTestDialog&) {
        progress.SetBkImage(progressPicture.get());
        progress.SetBkImageRect({10, 32, 194, 72});
        progress.SetAlignMode(TextAlign::BlockCentred);
        progress.SetWindowText(L"正在禁用，请稍等");
    }));
    panel.Place(disable, 50, 545, 58, 18);
    const POINT inside = test::ScreenPoint(version.GetSafeHwnd(), 2, 2);

    struct Control {
        const char* name;
        std::function<void(int)> cycle;
    } controls[] = {
        {"PNG button", [&](int) { MouseCycle(close); }},
        {"image button",
         [&](int i) {
             MouseCycle(disable);
             disable.EnableButton(i % 2 == 0);
             disable.UpdateWindow();
         }},
        {"check box",
         [&](int i) {
             check.SendMessage(BM_CLICK);
             check.SetParentFont();
             panel.Place(check, 8, 500, 100 + i % 2, 20);  // a new size needs a new bitmap
         }},
        {"drawn text",
         [&](int) {
             version.UpdateHover(inside.x, inside.y);
             version.UpdateWindow();
             version.UpdateHover(-1, -1);
             version.SetTextFont(2, 700);
             Repaint(version);
         }},
        {"dotted state text",
         [&](int) {
             progress.SendMessage(WM_TIMER, 36);
             progress.SetTextFont(0, 0);
             progress.UpdateWindow();
         }},
    };
    for (const Control& control : controls) {
        SCOPED_TRACE(control.name);
        for (int i = 0; i < 5; ++i) control.cycle(i);  // warm-up: caches and fonts
        const int before = test::CountGdiObjects();
        for (int i = 0; i < 300; ++i) control.cycle(i);
        EXPECT_EQ(before, test::CountGdiObjects());
    }
}

}  // namespace
