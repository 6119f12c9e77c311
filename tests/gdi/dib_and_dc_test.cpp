// DIB sections (row order through the bits pointer), device-context state and handles.
#include <cstring>

#include "gdi_test_util.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/surface_dc.h"

using gdi_test::DibDC;

namespace {

std::uint32_t* MemoryRow(void* bits, int width, int row) { return static_cast<std::uint32_t*>(bits) + row * width; }

TEST(DibSection, BottomUpRowsThroughBitsPointer) {
  DibDC d(4, 3, /*bottomUp=*/true);
  ASSERT_NE(d.bits, nullptr);
  // Memory row 0 is the image's bottom row.
  MemoryRow(d.bits, 4, 0)[1] = 0xFF112233;
  platform::GetBitmapPixels(d.bitmap)->MarkDirty();
  EXPECT_EQ(d.At(1, 2), 0xFF112233u);
  EXPECT_EQ(d.At(1, 0), 0u);
  // A GDI write to the top image row lands in the last memory row.
  RECT top{0, 0, 4, 1};
  HBRUSH brush = platform::CreateSolidBrush(RGB(1, 2, 3));
  platform::FillRect(d.dc, &top, brush);
  platform::DeleteObject(brush);
  EXPECT_EQ(MemoryRow(d.bits, 4, 2)[0], 0x00010203u);
  EXPECT_EQ(MemoryRow(d.bits, 4, 0)[0], 0u);
}

TEST(DibSection, TopDownRowsThroughBitsPointer) {
  DibDC d(4, 3, /*bottomUp=*/false);
  MemoryRow(d.bits, 4, 0)[1] = 0xFF112233;
  platform::GetBitmapPixels(d.bitmap)->MarkDirty();
  EXPECT_EQ(d.At(1, 0), 0xFF112233u);
  EXPECT_EQ(d.At(1, 2), 0u);
}

TEST(DibSection, GetObjectReportsTheHeaderAsAsked) {
  DibDC up(5, 7, true), down(5, 7, false);
  DIBSECTION ds{};
  ASSERT_EQ(platform::GetObjectW(up.bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmWidth, 5);
  EXPECT_EQ(ds.dsBm.bmHeight, 7);
  EXPECT_EQ(ds.dsBm.bmBits, up.bits);
  EXPECT_EQ(ds.dsBmih.biHeight, 7);
  ASSERT_EQ(platform::GetObjectW(down.bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBmih.biHeight, -7);
  BITMAP bm{};
  ASSERT_EQ(platform::GetObjectW(up.bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidthBytes, 20);
}

TEST(DibSection, RefusesWhatItCannotHold) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(platform::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(platform::CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST(DeviceContext, SelectReturnsPreviousAndSaveRestoreBringsStateBack) {
  DibDC d(8, 8);
  DibDC other(8, 8);
  HDC dc = d.dc;
  EXPECT_EQ(platform::SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(platform::SetBkMode(dc, TRANSPARENT), OPAQUE);
  const int depth = platform::SaveDC(dc);
  EXPECT_EQ(depth, 1);
  platform::SetTextColor(dc, RGB(9, 9, 9));
  platform::SetBkMode(dc, OPAQUE);
  HBITMAP extra = platform::CreateCompatibleBitmap(dc, 2, 2);
  EXPECT_EQ(platform::SelectObject(dc, extra), d.bitmap);
  EXPECT_EQ(platform::GetDCSurface(dc)->width(), 2);
  // A bitmap selected into one DC cannot go into a second one, nor be deleted.
  EXPECT_EQ(platform::SelectObject(other.dc, extra), nullptr);
  EXPECT_FALSE(platform::DeleteObject(extra));
  ASSERT_TRUE(platform::RestoreDC(dc, -1));
  EXPECT_EQ(platform::GetTextColor(dc), RGB(1, 2, 3));
  EXPECT_EQ(platform::GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(platform::GetCurrentObject(dc, OBJ_BITMAP), d.bitmap);
  EXPECT_TRUE(platform::DeleteObject(extra));
  EXPECT_FALSE(platform::RestoreDC(dc, 1));  // nothing saved any more
}

TEST(DeviceContext, StockObjectsAndBadHandles) {
  HGDIOBJ font = platform::GetStockObject(DEFAULT_GUI_FONT);
  ASSERT_NE(font, nullptr);
  LOGFONTW lf{};
  EXPECT_EQ(platform::GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_LT(lf.lfHeight, 0);
  EXPECT_FALSE(platform::DeleteObject(font));
  EXPECT_EQ(platform::GetObjectType(font), OBJ_FONT);
  int notAHandle = 0;
  EXPECT_FALSE(platform::DeleteObject(&notAHandle));
  EXPECT_FALSE(platform::DeleteDC(reinterpret_cast<HDC>(&notAHandle)));
  EXPECT_EQ(platform::GetObjectType(&notAHandle), 0u);
  EXPECT_EQ(platform::GetDeviceCaps(nullptr, LOGPIXELSY), 96);
}

TEST(DeviceContext, ViewportOriginAndClipApplyToGdiAndGdiplus) {
  DibDC d(10, 10);
  platform::SetViewportOrgEx(d.dc, 2, 3, nullptr);
  EXPECT_EQ(platform::IntersectClipRect(d.dc, 0, 0, 4, 4), SIMPLEREGION);
  RECT box{};
  EXPECT_EQ(platform::GetClipBox(d.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 4);
  RECT all{-10, -10, 20, 20};
  HBRUSH brush = platform::CreateSolidBrush(RGB(255, 0, 0));
  platform::FillRect(d.dc, &all, brush);
  platform::DeleteObject(brush);
  EXPECT_EQ(d.At(2, 3), 0x00FF0000u);
  EXPECT_EQ(d.At(5, 6), 0x00FF0000u);
  EXPECT_EQ(d.At(6, 6), 0u);
  EXPECT_EQ(d.At(1, 3), 0u);
  {
    Gdiplus::Graphics g(d.dc);
    Gdiplus::SolidBrush green(Gdiplus::Color(255, 0, 255, 0));
    g.FillRectangle(&green, 0, 0, 1, 1);  // lands at (2, 3)
    g.FillRectangle(&green, 5, 5, 2, 2);  // outside the clip
  }
  EXPECT_EQ(d.At(2, 3), 0xFF00FF00u);
  EXPECT_EQ(d.At(7, 8), 0u);
}

TEST(SurfaceDC, DrawsIntoAForeignBitmap) {
  platform::Bitmap target(6, 6);
  HDC dc = platform::CreateSurfaceDC(&target);
  EXPECT_EQ(platform::GetDCSurface(dc), &target);
  RECT r{1, 1, 3, 3};
  HBRUSH brush = platform::CreateSolidBrush(RGB(0, 0, 255));
  platform::FillRect(dc, &r, brush);
  platform::DeleteObject(brush);
  EXPECT_EQ(target.PixelAt(2, 2), 0x000000FFu);
  platform::DeleteSurfaceDC(dc);
  EXPECT_EQ(platform::GetDCSurface(dc), nullptr);
}

}  // namespace
