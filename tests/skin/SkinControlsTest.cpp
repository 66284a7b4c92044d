// The drawn push buttons and the agreement box in a real dialog, driven by real input and
// judged by what they show.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resource.h"
#include "skin/CheckBoxBtn.h"
#include "skin/ImageButton.h"
#include "skin/PngButton.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"

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
        const char* name;
        CSkinButton& button;
        WORD firstFace;  // then the hover, pressed and disabled faces
        RECT place;      // in the dialog
    } cases[] = {
        {"PNG button", close, IDB_CLOSE_NORMAL, {340, 0, 366, 34}},
        {"image button", disable, IDB_DISABLE_NORMAL, {77, 240, 323, 287}},
    };
    // As the owner does it: through EnableButton where the button has one.
    auto enable = [&](CSkinButton& button, bool on) {
        if (&button == &disable) {
            disable.EnableButton(on);
        } else {
            button.EnableWindow(on);
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WORD face = c.firstFace;
        const SIZE size = {c.place.right - c.place.left, c.place.bottom - c.place.top};
        c.button.LoadStateImages(face, face + 1, face + 2, face + 3);
        c.button.MoveWindow(c.place.left, c.place.top, size.cx, size.cy);
        std::vector<test::Pixels> faces;
        for (WORD id = face; id < face + 4; ++id) {
            faces.push_back(test::RenderOn(test::LoadPicture(id).get(), size.cx, size.cy));
        }
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
        // Two clicks in a row: the second press comes as a double-click.
        for (const char* press : {"first press", "second press"}) {
            SCOPED_TRACE(press);
            test::PressMouse(centre);
            EXPECT_EQ(kPressed, waitFor(kPressed));
            test::ReleaseMouse(centre);
            EXPECT_EQ(kHover, waitFor(kHover));
        }
        test::MoveMouseAway();
        EXPECT_EQ(kNormal, waitFor(kNormal));

        enable(c.button, false);
        EXPECT_EQ(kDisabled, waitFor(kDisabled));
        test::ClickAt(centre);
        test::PumpFor(100);
        EXPECT_EQ(kDisabled, waitFor(kDisabled)) << "after a click";
        test::MoveMouseAway();
        enable(c.button, true);
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
        const RECT cells[] = {{0, 0, 16, 16}, {16, 0, 32, 16}};  // unchecked, checked
        const int side = c.box.right - c.box.left;
        std::vector<test::Pixels> marks;
        for (const RECT& cell : cells)
            marks.push_back(test::RenderOn(strip.get(), side, side, &cell));
        auto shownMark = [&] {
            return test::ClosestPicture(test::CaptureClient(check.GetSafeHwnd()).Crop(c.box),
                                        marks);
        };
        EXPECT_EQ(BST_UNCHECKED, shownMark());
        struct Action {
            const char* name;
            std::function<void()> toggle;
        } actions[] = {
            {"click", [&] { test::ClickAt(test::ScreenPoint(check.GetSafeHwnd(), 40, 10)); }},
            {"Space",
             [&] {
                 ::SetFocus(check.GetSafeHwnd());
                 test::PressKey(VK_SPACE);
             }},
            {"owner", [&] { check.SetCheck(check.GetCheck() == BST_CHECKED ? 0 : 1); }},
        };
        for (const Action& action : actions) {
            for (int round = 0; round < 2; ++round) {
                SCOPED_TRACE(std::string(action.name) + (round ? ", again" : ""));
                const int expected = check.GetCheck() == BST_CHECKED ? 0 : 1;
                int lagging = 0;  // the mark must never lag behind the state
                action.toggle();
                EXPECT_TRUE(test::PumpUntil([&] {
                    lagging += shownMark() != check.GetCheck();
                    return check.GetCheck() == expected;
                }));
                EXPECT_EQ(0, lagging);
                EXPECT_EQ(expected, shownMark());
            }
        }
        test::MoveMouseAway();
    }
}

}  // namespace
