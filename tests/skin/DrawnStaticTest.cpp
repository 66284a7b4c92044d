#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"
#include "skin/DrawStateInfoStatic.h"
#include "skin/DrawTextStatic.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kLinkColour = RGB(92, 92, 255);
const COLORREF kLinkHoverColour = RGB(0, 0, 255);

enum class Across { kNone, kLeft, kCentre, kRight };
enum class Down { kNone, kMiddle, kTop };

struct Placement {
    Across across;
    Down down;
};

// Where the dark text sits in a control painted on white.
Placement PlacementOf(const test::Pixels& shown) {
    const RECT all = {0, 0, shown.width, shown.height};
    const RECT ink = test::InkBounds(shown, all, test::IsDark);
    if (IsRectEmpty(&ink)) return {Across::kNone, Down::kNone};
    Placement placement = {Across::kNone, Down::kNone};
    const int centreX = (ink.left + ink.right) / 2, centreY = (ink.top + ink.bottom) / 2;
    if (ink.left <= 3) {
        placement.across = Across::kLeft;
    } else if (ink.right >= shown.width - 3) {
        placement.across = Across::kRight;
    } else if (std::abs(centreX - shown.width / 2) <= 3) {
        placement.across = Across::kCentre;
    }
    if (ink.top <= 4 && ink.bottom < shown.height / 2) {
        placement.down = Down::kTop;
    } else if (std::abs(centreY - shown.height / 2) <= 4) {
        placement.down = Down::kMiddle;
    }
    return placement;
}

int CountColour(const test::Pixels& pixels, COLORREF colour) {
    int count = 0;
    for (COLORREF c : pixels.colours) count += c == colour ? 1 : 0;
    return count;
}

test::Pixels Repainted(CWnd& control) {
    control.Invalidate();
    control.UpdateWindow();
    return test::CaptureClient(control.GetSafeHwnd());
}

class DrawTextStaticTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_gdiplus.Ok());
        ASSERT_TRUE(m_dialog.Open([this](test::SkinTestDialog&) {
            for (CDrawTextStatic* label : Labels()) {
                label->SetTextFont(0, 0);
                label->SetAlignMode(TextAlign::LineLeft);
                label->SetWindowText(L"同意同意");
            }
        }));
        int top = 250;
        for (CDrawTextStatic* label : Labels()) {
            m_dialog.Place(*label, 20, top, 200, 60);
            top += 70;
        }
    }

    std::vector<CDrawTextStatic*> Labels() { return {&m_version, &m_agreement, &m_feedback}; }

    win::GdiplusSession m_gdiplus;
    CDrawTextStatic m_version;
    CDrawTextStatic m_agreement;
    CDrawTextStatic m_feedback;
    test::SkinTestDialog m_dialog{IDD_CONTROL_PANEL,
                                  {{IDC_VERSION_TEXT, &m_version},
                                   {IDC_AGREEMENT_LINK, &m_agreement},
                                   {IDC_FEEDBACK_LINK, &m_feedback}}};
};

TEST_F(DrawTextStaticTest, AlignmentModePlacesTheText) {
    struct Case {
        TextAlign align;
        Placement placement;
    } cases[] = {
        {TextAlign::LineLeft, {Across::kLeft, Down::kMiddle}},
        {TextAlign::LineCentred, {Across::kCentre, Down::kMiddle}},
        {TextAlign::LineRight, {Across::kRight, Down::kMiddle}},
        {TextAlign::BlockLeft, {Across::kLeft, Down::kMiddle}},
        {TextAlign::BlockCentred, {Across::kCentre, Down::kMiddle}},
        {TextAlign::BlockRight, {Across::kRight, Down::kMiddle}},
        {TextAlign::BlockLeftFromTop, {Across::kLeft, Down::kTop}},
        {TextAlign::EditBlockLeft, {Across::kLeft, Down::kMiddle}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.align));
        m_version.SetAlignMode(c.align);
        const Placement placement = PlacementOf(Repainted(m_version));
        EXPECT_EQ(c.placement.across, placement.across);
        EXPECT_EQ(c.placement.down, placement.down);
    }
}

TEST_F(DrawTextStaticTest, UpdateHoverRepaintsOnlyWhenTheAnswerChanges) {
    m_agreement.SetTextColors(kLinkColour, kLinkHoverColour);
    Repainted(m_agreement);
    const RECT window = m_agreement.GetWindowRect();
    struct Step {
        const char* name;
        POINT point;  // screen coordinates
        bool inside;
        bool repaint;
    } steps[] = {
        {"outside, as before", {window.left - 1, window.top}, false, false},
        {"top left corner", {window.left, window.top}, true, true},
        {"bottom right pixel", {window.right - 1, window.bottom - 1}, true, false},
        {"right edge is outside", {window.right, window.top}, false, true},
        {"below", {window.left, window.bottom}, false, false},
        {"middle", {window.left + 50, window.top + 30}, true, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        m_agreement.UpdateWindow();
        EXPECT_EQ(step.inside, m_agreement.IsPointInside(step.point.x, step.point.y));
        m_agreement.UpdateHover(step.point.x, step.point.y);
        EXPECT_EQ(step.repaint, GetUpdateRect(m_agreement.GetSafeHwnd(), nullptr, FALSE) != 0);
        m_agreement.UpdateWindow();
        const test::Pixels shown = test::CaptureClient(m_agreement.GetSafeHwnd());
        EXPECT_EQ(step.inside, CountColour(shown, kLinkHoverColour) > 0);
        EXPECT_EQ(!step.inside, CountColour(shown, kLinkColour) > 0);
    }
}

TEST_F(DrawTextStaticTest, WeightChangesOnlyTogetherWithAnEnlargement) {
    m_version.SetTextFont(0, 0);
    m_agreement.SetTextFont(0, 5000);
    m_feedback.SetTextFont(4, 700);
    const test::Pixels plain = Repainted(m_version);
    EXPECT_TRUE(plain == Repainted(m_agreement));
    EXPECT_FALSE(plain == Repainted(m_feedback));
}

TEST_F(DrawTextStaticTest, ChangesWhileShownKeepTheDrawnLook) {
    const COLORREF green = RGB(200, 230, 200);
    Repainted(m_version);
    m_version.SetBkColor(green);
    EXPECT_EQ(green, Repainted(m_version).At(0, 0)) << "a new ground colour after the first paint";

    // New text on a shown label: no moment of the platform's own static look.
    m_version.SetWindowText(L"反馈问题");
    const test::Pixels right = test::CaptureClient(m_version.GetSafeHwnd());
    EXPECT_TRUE(right == Repainted(m_version));
    EXPECT_EQ(green, right.At(0, 0));
}

class DrawStateInfoStaticTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_gdiplus.Ok());
        m_background = test::LoadPicture(IDB_PROGRESS);
        ASSERT_TRUE(m_dialog.Open([this](test::SkinTestDialog&) {
            m_text.SetWindowText(kWaiting);
            m_text.SetTextFont(0, 0);
        }));
        m_dialog.Place(m_text, 10, 32, 184, 40);
    }

    // The progress dialog's set-up: white text centred over its picture.
    void LikeTheProgressDialog() {
        m_text.SetAlignMode(TextAlign::BlockCentred);
        m_text.SetFontColor(kWhite);
        m_text.SetBkImage(m_background.get());
        m_text.SetBkImageRect({10, 32, 194, 72});
    }

    // How many dots show, from pictures of the text with none to three dots.
    std::vector<test::Pixels> DotPictures() {
        std::vector<test::Pixels> pictures;
        for (int dots = 0; dots <= 3; ++dots) {
            m_text.SetWindowText(std::wstring(kWaiting) + std::wstring(dots, L'.'));
            pictures.push_back(Repainted(m_text));
        }
        m_text.SetWindowText(kWaiting);
        return pictures;
    }

    int ShownDots(const std::vector<test::Pixels>& pictures) const {
        const test::Pixels shown = test::CaptureClient(m_text.GetSafeHwnd());
        for (size_t i = 0; i < pictures.size(); ++i) {
            if (shown == pictures[i]) return static_cast<int>(i);
        }
        return -1;
    }

    static constexpr const wchar_t* kWaiting = L"正在禁用，请稍等";
    win::GdiplusSession m_gdiplus;
    win::ImagePtr m_background;
    CDrawStateInfoStatic m_text;
    test::SkinTestDialog m_dialog{IDD_PROGRESS_INNER, {{IDC_PROGRESS_TEXT, &m_text}}};
};

TEST_F(DrawStateInfoStaticTest, AlignmentModePlacesTheText) {
    m_dialog.Place(m_text, 10, 32, 300, 60);
    m_text.SetWindowText(L"同意同意");
    struct Case {
        TextAlign align;
        Across across;  // each of these centres vertically
    } cases[] = {
        {TextAlign::LineLeft, Across::kLeft},       {TextAlign::LineCentred, Across::kCentre},
        {TextAlign::LineRight, Across::kRight},     {TextAlign::BlockLeft, Across::kLeft},
        {TextAlign::BlockCentred, Across::kCentre}, {TextAlign::BlockRight, Across::kRight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.align));
        m_text.SetAlignMode(c.align);
        const Placement placement = PlacementOf(Repainted(m_text));
        EXPECT_EQ(c.across, placement.across);
        EXPECT_EQ(Down::kMiddle, placement.down);
    }
}

TEST_F(DrawStateInfoStaticTest, ProgressTextIsWhiteAndCentredOverThePicture) {
    LikeTheProgressDialog();
    const test::Pixels shown = Repainted(m_text);
    const RECT all = {0, 0, shown.width, shown.height};
    auto isWhiteInk = [](COLORREF c) {
        return GetRValue(c) > 230 && GetGValue(c) > 230 && GetBValue(c) > 230;
    };
    const RECT ink = test::InkBounds(shown, all, isWhiteInk);
    ASSERT_FALSE(IsRectEmpty(&ink));
    EXPECT_NEAR(shown.width / 2, (ink.left + ink.right) / 2, 3);
    EXPECT_NEAR(shown.height / 2, (ink.top + ink.bottom) / 2, 4);
    // The picture lies under it, one to one at scale 1.0.
    const test::Pixels picture = test::RenderOnWhite(m_background.get(), 204, 104);
    EXPECT_TRUE(test::SameColour(picture.At(10 + 2, 32 + 2), shown.At(2, 2), 8));
}

TEST_F(DrawStateInfoStaticTest, DotsStepOnceASecondUntilStopped) {
    LikeTheProgressDialog();
    const std::vector<test::Pixels> pictures = DotPictures();
    std::vector<int> seen = {ShownDots(pictures)};
    const ULONGLONG start = GetTickCount64();
    m_text.StartDotAnimation();
    test::PumpUntil(
        [&] {
            const int dots = ShownDots(pictures);
            if (dots != seen.back()) seen.push_back(dots);
            return seen.size() == 3;
        },
        4000);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), seen);
    EXPECT_GE(GetTickCount64() - start, 1500u) << "two steps take two seconds";

    // ResetDots leaves the timer running: the count goes on from none.
    m_text.ResetDots();
    m_text.UpdateWindow();
    EXPECT_EQ(0, ShownDots(pictures));
    EXPECT_TRUE(test::PumpUntil([&] { return ShownDots(pictures) == 1; }, 2000));

    m_text.StopDotAnimation();
    m_text.UpdateWindow();
    EXPECT_EQ(0, ShownDots(pictures));
    test::PumpFor(1300);
    EXPECT_EQ(0, ShownDots(pictures)) << "no step after the stop";
}

TEST_F(DrawStateInfoStaticTest, FourthStepReturnsToNoDotsAndOtherTimersDoNothing) {
    LikeTheProgressDialog();
    const std::vector<test::Pixels> pictures = DotPictures();
    struct Step {
        UINT_PTR timer;
        int dots;
    } steps[] = {{36, 1}, {37, 1}, {36, 2}, {36, 3}, {1, 3}, {36, 0}, {36, 1}};
    for (const Step& step : steps) {
        m_text.SendMessage(WM_TIMER, step.timer);
        m_text.UpdateWindow();
        EXPECT_EQ(step.dots, ShownDots(pictures)) << "after timer " << step.timer;
    }
}

}  // namespace
