#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"
#include "skin/ImageButton.h"
#include "skin/PngButton.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"

namespace {

enum Face { kNormal, kHover, kPressed, kDisabled };

struct ButtonUnderTest {
    const char* name;
    CSkinButton* button;
    int id;
    std::vector<test::Pixels> faces;  // normal, hover, pressed, disabled
};

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_gdiplus.Ok());
        m_dialog.onDestroy = [this] {
            m_close.FreeStateImages();
            m_disable.FreeStateImages();
        };
        ASSERT_TRUE(m_dialog.Open([this](test::SkinTestDialog&) {
            m_close.SetScale(1.0f);
            m_close.LoadStateImages(IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED,
                                    IDB_CLOSE_DISABLED);
            m_disable.SetHitInsets(0, 0, 0, 0);
            m_disable.LoadStateImages(IDB_DISABLE_NORMAL, IDB_DISABLE_HOVER, IDB_DISABLE_PRESSED,
                                      IDB_DISABLE_DISABLED);
        }));
        m_dialog.Place(m_close, 340, 0, 26, 34);
        m_dialog.Place(m_disable, 77, 240, 246, 47);
        m_png = {"PNG button", &m_close, IDC_CLOSE_BUTTON,
                 Faces(IDB_CLOSE_NORMAL, IDB_CLOSE_DISABLED, 26, 34)};
        m_image = {"image button", &m_disable, IDC_DISABLE_BUTTON,
                   Faces(IDB_DISABLE_NORMAL, IDB_DISABLE_DISABLED, 246, 47)};
        test::MoveMouseAway();
        test::PumpFor(50);
    }

    static std::vector<test::Pixels> Faces(WORD first, WORD last, int width, int height) {
        std::vector<test::Pixels> faces;
        for (WORD id = first; id <= last; ++id) {
            win::ImagePtr picture = test::LoadPicture(id);
            faces.push_back(test::RenderOnWhite(picture.get(), width, height));
        }
        return faces;
    }

    static int ShownFace(const ButtonUnderTest& b) {
        return test::ClosestPicture(test::CaptureClient(b.button->GetSafeHwnd()), b.faces);
    }

    // Waits for `face` to show; returns what shows in the end.
    static int WaitForFace(const ButtonUnderTest& b, int face) {
        test::PumpUntil([&] { return ShownFace(b) == face; }, 2000);
        return ShownFace(b);
    }

    static POINT Centre(const ButtonUnderTest& b) {
        const RECT client = b.button->GetClientRect();
        return test::ScreenPoint(b.button->GetSafeHwnd(), client.right / 2, client.bottom / 2);
    }

    win::GdiplusSession m_gdiplus;
    CPngButton m_close;
    CImageButton m_disable;
    test::SkinTestDialog m_dialog{IDD_CONTROL_PANEL,
                                  {{IDC_CLOSE_BUTTON, &m_close}, {IDC_DISABLE_BUTTON, &m_disable}}};
    ButtonUnderTest m_png;
    ButtonUnderTest m_image;
};

TEST_F(SkinButtonTest, RestPressReleaseAndLeaveChangeTheFace) {
    for (ButtonUnderTest* b : {&m_png, &m_image}) {
        SCOPED_TRACE(b->name);
        m_dialog.commands.clear();
        EXPECT_EQ(kNormal, WaitForFace(*b, kNormal));
        const POINT centre = Centre(*b);
        test::MoveMouse(centre);
        EXPECT_EQ(kHover, WaitForFace(*b, kHover));
        test::PressMouse(centre);
        EXPECT_EQ(kPressed, WaitForFace(*b, kPressed));
        test::ReleaseMouse(centre);
        EXPECT_EQ(kHover, WaitForFace(*b, kHover));
        EXPECT_EQ(std::vector<UINT>{static_cast<UINT>(b->id)}, m_dialog.commands);
        test::MoveMouseAway();
        EXPECT_EQ(kNormal, WaitForFace(*b, kNormal));
    }
}

TEST_F(SkinButtonTest, SecondPressOfADoubleClickShowsThePressedFaceToo) {
    for (ButtonUnderTest* b : {&m_png, &m_image}) {
        SCOPED_TRACE(b->name);
        const POINT centre = Centre(*b);
        test::MoveMouse(centre);
        ASSERT_EQ(kHover, WaitForFace(*b, kHover));
        test::PressMouse(centre);
        ASSERT_EQ(kPressed, WaitForFace(*b, kPressed));
        test::ReleaseMouse(centre);
        ASSERT_EQ(kHover, WaitForFace(*b, kHover));
        test::PressMouse(centre);  // within the double-click time
        EXPECT_EQ(kPressed, WaitForFace(*b, kPressed));
        test::ReleaseMouse(centre);
        EXPECT_EQ(kHover, WaitForFace(*b, kHover));
        test::MoveMouseAway();
        ASSERT_EQ(kNormal, WaitForFace(*b, kNormal));
    }
}

TEST_F(SkinButtonTest, DisabledWindowShowsTheDisabledFaceAndKeepsItsState) {
    // A disabled window gets no real mouse input; neither that nor the messages a control
    // could still be sent may change its state.
    struct Case {
        const char* name;
        bool mouseOver;  // the state before disabling: hover, else normal
        std::vector<UINT> messages;
    } cases[] = {
        {"hover while normal", false, {WM_MOUSEHOVER}},
        {"press and release while normal", false, {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"leave while hovered", true, {WM_MOUSELEAVE}},
    };
    for (ButtonUnderTest* b : {&m_png, &m_image}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(b->name) + ": " + c.name);
            const int stateBefore = c.mouseOver ? kHover : kNormal;
            if (c.mouseOver) test::MoveMouse(Centre(*b));
            ASSERT_EQ(stateBefore, WaitForFace(*b, stateBefore));

            b->button->EnableWindow(FALSE);
            EXPECT_EQ(kDisabled, WaitForFace(*b, kDisabled));
            for (UINT message : c.messages) {
                b->button->SendMessage(message, 0, MAKELPARAM(5, 5));
                test::PumpFor(30);
                EXPECT_EQ(kDisabled, ShownFace(*b)) << "after message " << message;
            }
            test::ClickAt(Centre(*b));
            test::PumpFor(60);
            EXPECT_EQ(kDisabled, ShownFace(*b)) << "after a real click";
            b->button->EnableWindow(TRUE);
            EXPECT_EQ(stateBefore, WaitForFace(*b, stateBefore));

            // A leave that came while disabled is gone: the next move over the button
            // asks for another.
            test::MoveMouse(Centre(*b));
            test::PumpFor(30);
            test::MoveMouseAway();
            ASSERT_EQ(kNormal, WaitForFace(*b, kNormal));
        }
    }
}

TEST_F(SkinButtonTest, EnableButtonSwitchesWindowAndFaceTogether) {
    m_disable.EnableButton(false);
    EXPECT_FALSE(m_disable.IsWindowEnabled());
    EXPECT_EQ(kDisabled, WaitForFace(m_image, kDisabled));

    test::ClickAt(Centre(m_image));
    test::PumpFor(100);
    EXPECT_EQ(kDisabled, ShownFace(m_image));
    EXPECT_TRUE(m_dialog.commands.empty());

    m_disable.EnableButton(true);
    EXPECT_TRUE(m_disable.IsWindowEnabled());
    EXPECT_EQ(kNormal, WaitForFace(m_image, kNormal));
    // Live again: the next move over it brings the hover face.
    test::MoveMouse(test::ScreenPoint(m_disable.GetSafeHwnd(), 30, 20));
    EXPECT_EQ(kHover, WaitForFace(m_image, kHover));
}

TEST_F(SkinButtonTest, PressInTheInsetMarginShowsPressedButIsNotInside) {
    m_disable.SetHitInsets(20, 10, 30, 12);
    struct Case {
        const char* name;
        POINT point;  // client coordinates of the 246 x 47 button
        bool inside;
    } cases[] = {
        {"left margin", {5, 20}, false},
        {"top margin", {100, 3}, false},
        {"right margin", {246 - 10, 20}, false},
        {"bottom margin", {100, 47 - 5}, false},
        {"inner top left corner", {20, 10}, true},
        {"centre", {123, 23}, true},
        {"just left of the right inset", {246 - 31, 20}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialog.commands.clear();
        const POINT point = test::ScreenPoint(m_disable.GetSafeHwnd(), c.point.x, c.point.y);
        test::MoveMouse(point);
        ASSERT_EQ(kHover, WaitForFace(m_image, kHover));
        test::PressMouse(point);
        EXPECT_EQ(kPressed, WaitForFace(m_image, kPressed));
        EXPECT_EQ(c.inside, m_disable.IsCursorInside());
        test::ReleaseMouse(point);
        // The platform reports the click either way; the owner asks IsCursorInside.
        EXPECT_TRUE(test::PumpUntil([&] { return !m_dialog.commands.empty(); }, 2000));
        test::MoveMouseAway();
        ASSERT_EQ(kNormal, WaitForFace(m_image, kNormal));
    }
    EXPECT_FALSE(m_disable.IsCursorInside()) << "the cursor is away";
}

TEST_F(SkinButtonTest, HoverNotificationOutsideTheClientAreaChangesNothing) {
    struct Case {
        const char* name;
        int x, y;
        int face;
    } cases[] = {
        {"left of it", -1, 20, kNormal},    {"above it", 30, -1, kNormal},
        {"right of it", 246, 20, kNormal},  {"below it", 30, 47, kNormal},
        {"far away", 5000, -3000, kNormal}, {"inside, last pixel", 245, 46, kHover},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_disable.SendMessage(WM_MOUSELEAVE);
        ASSERT_EQ(kNormal, WaitForFace(m_image, kNormal));
        m_disable.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(c.x, c.y));
        test::PumpFor(30);
        EXPECT_EQ(c.face, ShownFace(m_image));
    }
}

TEST_F(SkinButtonTest, ImageButtonWithoutFacesStillShowsItsSliceAndWorks) {
    win::ImagePtr panel = test::LoadPicture(IDB_PANEL);
    const RECT slice = {60, 40, 60 + 246, 40 + 47};
    m_disable.FreeStateImages();
    m_disable.SetBkImage(panel.get());
    m_disable.SetBkImageRect(slice);
    m_disable.Invalidate();
    m_disable.UpdateWindow();
    const test::Pixels expected = test::RenderOnWhite(panel.get(), 246, 47, &slice);
    EXPECT_LT(test::MeanDifference(expected, test::CaptureClient(m_disable.GetSafeHwnd())), 3.0);

    test::ClickAt(Centre(m_image));
    EXPECT_TRUE(test::PumpUntil([&] { return !m_dialog.commands.empty(); }, 2000));
    test::MoveMouseAway();
}

TEST_F(SkinButtonTest, EnlargedPngFaceLeavesOutItsLastColumnAndRow) {
    const int width = 52, height = 68;  // the close button at twice its size
    win::ImagePtr normal = test::LoadPicture(IDB_CLOSE_NORMAL);
    const RECT whole = {0, 0, 26, 34}, trimmed = {0, 0, 25, 33};
    const std::vector<test::Pixels> candidates = {
        test::RenderOnWhite(normal.get(), width, height, &whole),
        test::RenderOnWhite(normal.get(), width, height, &trimmed)};
    m_dialog.Place(m_close, 150, 380, width, height);
    struct Case {
        float scale;
        int drawn;  // 0 whole, 1 trimmed
    } cases[] = {{1.0f, 0}, {0.75f, 0}, {1.01f, 1}, {2.0f, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        m_close.SetScale(c.scale);
        m_close.Invalidate();
        m_close.UpdateWindow();
        EXPECT_EQ(c.drawn,
                  test::ClosestPicture(test::CaptureClient(m_close.GetSafeHwnd()), candidates));
    }
}

TEST_F(SkinButtonTest, TransparentFacePixelsShowTheBackgroundSliceOrWhite) {
    // The more-solutions faces have transparent pixels; the panel's top is blue.
    const int width = 266, height = 60;
    const RECT slice = {60, 40, 60 + width, 40 + height};
    win::ImagePtr panel = test::LoadPicture(IDB_PANEL);
    const test::Pixels panelPixels = test::RenderOnWhite(panel.get(), 400, 600);
    win::ImagePtr face = test::LoadPicture(IDB_MORE_SOLUTIONS_NORMAL);
    const test::Pixels onWhite = test::RenderOnWhite(face.get(), width, height);
    const test::Pixels onBlack = test::RenderOn(face.get(), width, height, RGB(0, 0, 0));

    struct Case {
        const char* name;
        ButtonUnderTest* button;
        bool withSlice;
        int top;  // where it goes in the dialog, apart from the other
    } cases[] = {
        {"PNG button over the slice", &m_png, true, 360},
        {"PNG button without background", &m_png, false, 360},
        {"image button over the slice", &m_image, true, 440},
        {"image button without background", &m_image, false, 440},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSkinButton& button = *c.button->button;
        button.FreeStateImages();
        button.LoadStateImages(IDB_MORE_SOLUTIONS_NORMAL, IDB_MORE_SOLUTIONS_HOVER,
                               IDB_MORE_SOLUTIONS_PRESSED, IDB_MORE_SOLUTIONS_DISABLED);
        button.SetBkImage(c.withSlice ? panel.get() : nullptr);
        button.SetBkImageRect(slice);
        m_dialog.Place(button, 20, c.top, width, height);
        button.Invalidate();
        button.UpdateWindow();
        const test::Pixels shown = test::CaptureClient(button.GetSafeHwnd());

        int clear = 0, wrong = 0, blueBehind = 0;
        for (int y = 2; y < height - 2; ++y) {
            for (int x = 2; x < width - 2; ++x) {
                if (!test::IsClearAround(onWhite, onBlack, x, y, 2)) continue;
                ++clear;
                const COLORREF expected = c.withSlice
                                              ? panelPixels.At(slice.left + x, slice.top + y)
                                              : RGB(255, 255, 255);
                if (GetBValue(expected) > GetRValue(expected) + 60) ++blueBehind;
                if (!test::SameColour(expected, shown.At(x, y), 8)) ++wrong;
            }
        }
        ASSERT_GT(clear, 100) << "the face has transparent pixels";
        EXPECT_EQ(c.withSlice, blueBehind > 0);
        EXPECT_EQ(0, wrong) << "of " << clear << " transparent pixels";
        button.FreeStateImages();
    }
}

}  // namespace
