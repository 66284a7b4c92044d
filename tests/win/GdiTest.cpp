#include <gtest/gtest.h>
#include <windows.h>

#include "support/GdiObjects.h"
#include "win/Gdi.h"
#include "win/Gdiplus.h"
#include "win/LayeredSurface.h"

namespace {

TEST(GdiOwners, ManyPaintCyclesLeaveNoObjectBehind) {
    win::GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    Gdiplus::Bitmap picture(40, 30, PixelFormat32bppARGB);
    auto cycle = [&picture]() {
        win::WindowDC screen(nullptr);
        win::MemoryCanvas canvas(screen.Get(), 120, 40);
        EXPECT_TRUE(canvas.IsValid());
        win::UniqueBrush brush(CreateSolidBrush(RGB(10, 20, 30)));
        RECT area = {0, 0, 120, 40};
        FillRect(canvas.Dc(), &area, brush.Get());
        win::UniqueFont font(
            CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"SimSun"));
        win::SelectObjectGuard selected(canvas.Dc(), font.Get());
        TextOutW(canvas.Dc(), 0, 0, L"禁用", 2);
        win::LayeredSurface surface(64, 48);
        EXPECT_TRUE(surface.DrawImage(picture));
    };
    for (int i = 0; i < 5; ++i) cycle();  // warm-up: stock objects and caches
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 300; ++i) cycle();
    EXPECT_EQ(before, test::CountGdiObjects());
}

TEST(GdiOwners, MovedOwnerClosesOnceAndTheSourceNothing) {
    const int before = test::CountGdiObjects();
    {
        win::UniqueBrush first(CreateSolidBrush(RGB(1, 2, 3)));
        win::UniqueBrush second(std::move(first));
        EXPECT_FALSE(first.IsValid());
        EXPECT_TRUE(second.IsValid());
        win::UniqueBrush third;
        third = std::move(second);
        EXPECT_EQ(OBJ_BRUSH, static_cast<int>(GetObjectType(third.Get())));
        EXPECT_EQ(before + 1, test::CountGdiObjects());
    }
    EXPECT_EQ(before, test::CountGdiObjects());
}

}  // namespace
