#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resource.h"
#include "skin/CheckBoxBtn.h"
#include "skin/ResourceImage.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"
#include "win/Gdi.h"

namespace {

const int kWidth = 120;

test::Pixels Crop(const test::Pixels& pixels, const RECT& area) {
    test::Pixels part;
    part.width = area.right - area.left;
    part.height = area.bottom - area.top;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) part.colours.push_back(pixels.At(x, y));
    }
    return part;
}

RECT Offset(RECT rect, int dx, int dy) {
    OffsetRect(&rect, dx, dy);
    return rect;
}

class CheckBoxBtnTest : public ::testing::Test {
protected:
    void Open(float scale, int height) {
        ASSERT_TRUE(m_gdiplus.Ok());
        ASSERT_TRUE(m_dialog.Open([&](test::SkinTestDialog&) {
            m_check.SetParentFont();
            m_check.SetScale(scale);
            m_check.SetCheck(BST_CHECKED);
        }));
        m_dialog.Place(m_check, 8, 500, kWidth, height);
        test::MoveMouseAway();
        test::PumpFor(30);
        const int box = static_cast<int>(16 * scale);
        const int top = height / 2 - static_cast<int>(8 * scale);
        m_box = {0, top, box, top + box};
        win::ImagePtr strip = test::LoadPicture(IDB_CHECKBOX);
        const RECT unchecked = {0, 0, 16, 16}, checked = {16, 0, 32, 16};
        m_marks = {test::RenderOnWhite(strip.get(), box, box, &unchecked),
                   test::RenderOnWhite(strip.get(), box, box, &checked)};
    }

    test::Pixels Shown() const { return test::CaptureClient(m_check.GetSafeHwnd()); }

    // 0 unchecked, 1 checked, -1 neither, as the box shows it.
    int ShownMark() const { return test::ClosestPicture(Crop(Shown(), m_box), m_marks); }

    // Where the caption's ink starts when drawn from x = 0 in the dialog's font.
    int CaptionBearing(int height) const {
        win::WindowDC screen(nullptr);
        win::MemoryCanvas canvas(screen.Get(), kWidth, height);
        RECT area = {0, 0, kWidth, height};
        FillRect(canvas.Dc(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        win::UniqueFont font;
        CreateDerivedFont(m_dialog.GetSafeHwnd(), 0, 0, font);
        win::SelectObjectGuard selected(canvas.Dc(), font.Get());
        const std::wstring caption = m_check.GetWindowText();
        DrawTextW(canvas.Dc(), caption.c_str(), -1, &area, DT_VCENTER | DT_SINGLELINE);
        test::Pixels pixels;
        pixels.width = kWidth;
        pixels.height = height;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < kWidth; ++x) pixels.colours.push_back(GetPixel(canvas.Dc(), x, y));
        }
        return test::InkBounds(pixels, area, test::IsDark).left;
    }

    win::GdiplusSession m_gdiplus;
    CCheckBoxBtn m_check;
    test::SkinTestDialog m_dialog{IDD_CONTROL_PANEL, {{IDC_AGREE_CHECK, &m_check}}};
    RECT m_box = {};
    std::vector<test::Pixels> m_marks;
};

struct Geometry {
    float scale;
    int height;
    RECT box;
    int captionLeft;
};

class CheckBoxGeometryTest : public CheckBoxBtnTest,
                             public ::testing::WithParamInterface<Geometry> {};

TEST_P(CheckBoxGeometryTest, BoxAndCaptionSitWhereTheScaleSays) {
    const Geometry g = GetParam();
    Open(g.scale, g.height);
    ASSERT_TRUE(EqualRect(&g.box, &m_box)) << "the test's own arithmetic";
    const test::Pixels shown = Shown();
    const test::Pixels mark = Crop(shown, g.box);
    // The checked mark fills exactly the box: one pixel off in any direction is worse.
    const double atBox = test::MeanDifference(mark, m_marks[1]);
    EXPECT_LT(atBox, 6.0);
    for (POINT shift : {POINT{1, 0}, POINT{0, 1}, POINT{0, -1}}) {
        const RECT moved = Offset(g.box, shift.x, shift.y);
        if (moved.top < 0 || moved.bottom > g.height) continue;
        EXPECT_LT(atBox, test::MeanDifference(Crop(shown, moved), m_marks[1]))
            << "shifted by " << shift.x << ", " << shift.y;
    }
    const RECT afterBox = {g.box.right, 0, kWidth, g.height};
    const RECT caption = test::InkBounds(shown, afterBox, test::IsDark);
    EXPECT_EQ(g.captionLeft + CaptionBearing(g.height), caption.left);
}

INSTANTIATE_TEST_SUITE_P(Scales, CheckBoxGeometryTest,
                         ::testing::Values(Geometry{1.0f, 20, {0, 2, 16, 18}, 18},
                                           Geometry{1.25f, 20, {0, 0, 20, 20}, 22},
                                           Geometry{1.25f, 30, {0, 5, 20, 25}, 22},
                                           Geometry{1.5f, 30, {0, 3, 24, 27}, 26}));

TEST_F(CheckBoxBtnTest, EveryChangeOfTheCheckedStateRedrawsTheMark) {
    Open(1.0f, 20);
    ASSERT_EQ(1, ShownMark());
    struct Action {
        const char* name;
        std::function<void()> toggle;
    } actions[] = {
        {"mouse click", [&] { test::ClickAt(test::ScreenPoint(m_check.GetSafeHwnd(), 40, 10)); }},
        {"Space on the focused box",
         [&] {
             SetFocus(m_check.GetSafeHwnd());
             test::PressKey(VK_SPACE);
         }},
        {"owner sets the state", [&] { m_check.SetCheck(m_check.GetCheck() ? 0 : 1); }},
    };
    for (const Action& action : actions) {
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(std::string(action.name) + (round == 0 ? ", first" : ", second"));
            const int expected = m_check.GetCheck() == BST_CHECKED ? 0 : 1;
            // The mark must never lag behind the state, not even for one message.
            int lagging = 0;
            auto markFollows = [&] {
                if (ShownMark() != m_check.GetCheck()) ++lagging;
                return m_check.GetCheck() == expected;
            };
            action.toggle();
            EXPECT_TRUE(test::PumpUntil(markFollows, 2000));
            test::PumpUntil([&] { return !markFollows(); }, 100);
            EXPECT_EQ(0, lagging);
            EXPECT_EQ(expected, ShownMark());
        }
    }
    test::MoveMouseAway();
}

}  // namespace
