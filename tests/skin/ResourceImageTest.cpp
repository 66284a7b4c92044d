#include <gtest/gtest.h>
#include <windows.h>

#include "skin/ResourceImage.h"
#include "support/GdiObjects.h"
#include "win/Gdi.h"
#include "win/Gdiplus.h"

namespace {

class ResourceImageTest : public ::testing::Test {
protected:
    win::GdiplusSession m_gdiplus;
};

TEST_F(ResourceImageTest, EveryPictureLoadsWithItsSizeAndAlpha) {
    struct Family {
        WORD first;
        WORD last;
        UINT width;
        UINT height;
        bool alpha;
    } families[] = {
        {138, 138, 410, 611, true},  {139, 139, 400, 600, false}, {140, 140, 48, 16, true},
        {141, 144, 26, 34, false},   {145, 148, 246, 47, false},  {149, 152, 246, 47, false},
        {153, 153, 232, 132, true},  {154, 154, 204, 104, true},  {155, 158, 26, 34, false},
        {159, 162, 266, 60, true},   {163, 166, 58, 18, false},   {167, 167, 330, 150, true},
        {168, 168, 320, 140, false}, {169, 183, 55, 24, false},   {172, 174, 12, 12, false},
        {184, 184, 410, 479, true},  {185, 185, 400, 468, true},  {186, 189, 12, 12, false},
        {191, 194, 266, 60, true},   {196, 199, 266, 60, true},
    };
    for (const Family& family : families) {
        for (WORD id = family.first; id <= family.last; ++id) {
            if (family.first == 169 && id >= 172 && id <= 174) continue;  // the close cross
            SCOPED_TRACE(id);
            win::ImagePtr image;
            ASSERT_EQ(1, LoadPngResource(image, id));
            ASSERT_TRUE(image);
            EXPECT_EQ(Gdiplus::Ok, image->GetLastStatus());
            EXPECT_EQ(family.width, image->GetWidth());
            EXPECT_EQ(family.height, image->GetHeight());
            EXPECT_EQ(family.alpha, Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat()) != 0);
        }
    }
}

TEST_F(ResourceImageTest, NonPngIdsLoadNothingAndLeaveTheImageAlone) {
    win::ImagePtr image;
    ASSERT_EQ(1, LoadPngResource(image, 145));
    const Gdiplus::Image* held = image.get();
    for (WORD id : {WORD(190), WORD(195), WORD(137), WORD(200)}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(0, LoadPngResource(image, id));
        EXPECT_EQ(held, image.get());
    }
}

TEST_F(ResourceImageTest, SameIdTwiceGivesTwoIndependentImages) {
    win::ImagePtr first;
    win::ImagePtr second;
    ASSERT_EQ(1, LoadPngResource(first, 145));
    ASSERT_EQ(1, LoadPngResource(second, 145));
    EXPECT_NE(first.get(), second.get());
    first.reset();  // the other keeps its own bytes
    Gdiplus::Bitmap canvas(246, 47, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&canvas);
    EXPECT_EQ(Gdiplus::Ok, graphics.DrawImage(second.get(), 0, 0, 246, 47));
    EXPECT_EQ(246u, second->GetWidth());
}

TEST_F(ResourceImageTest, DerivedFontChangesSizeAndWeightOnlyWithASizeChange) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    win::UniqueFont base(
        CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"SimSun"));
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(base.Get()), FALSE);
    struct Case {
        int sizeChange;
        int weight;
        LONG height;
        LONG fontWeight;
    } cases[] = {
        {0, 0, -13, FW_NORMAL}, {0, FW_BOLD, -13, FW_NORMAL}, {2, FW_BOLD, -15, FW_BOLD},
        {2, 0, -15, FW_NORMAL}, {-3, 0, -10, FW_NORMAL},
    };
    for (const Case& c : cases) {
        win::UniqueFont font;
        CreateDerivedFont(window, c.sizeChange, c.weight, font);
        LOGFONTW logFont = {};
        ASSERT_NE(0, GetObjectW(font.Get(), sizeof(logFont), &logFont));
        EXPECT_EQ(c.height, logFont.lfHeight) << c.sizeChange << "/" << c.weight;
        EXPECT_EQ(c.fontWeight, logFont.lfWeight) << c.sizeChange << "/" << c.weight;
        EXPECT_STREQ(L"SimSun", logFont.lfFaceName);
    }

    win::WindowDC dc(window);
    EXPECT_EQ(-1, MeasureTextWidth(nullptr, dc.Get(), L"x", 0, 0));
    EXPECT_EQ(-1, MeasureTextWidth(window, nullptr, L"x", 0, 0));
    const int one = MeasureTextWidth(window, dc.Get(), L"反馈问题", 0, 0);
    const int larger = MeasureTextWidth(window, dc.Get(), L"反馈问题", 8, 0);
    EXPECT_GT(one, 0);
    EXPECT_GT(larger, one);
    EXPECT_EQ(2 * one, MeasureTextWidth(window, dc.Get(), L"反馈问题反馈问题", 0, 0));

    const int before = test::CountGdiObjects();
    for (int i = 0; i < 200; ++i) MeasureTextWidth(window, dc.Get(), L"同意", 1, FW_BOLD);
    EXPECT_EQ(before, test::CountGdiObjects());
    DestroyWindow(window);
}

}  // namespace
