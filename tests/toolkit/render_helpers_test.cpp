// The smaller MRender helpers: solid fills, rounded shapes, the BMP writer; and the control's
// cursor and tooltip hooks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "canvas.h"
#include "control_probe.h"
#include "platform/gdi/gdi.h"
#include "toolkit/core/mrender.h"
#include "toolkit/window/paint_manager.h"

using toolkit_test::Canvas;
using Zelvo::MRender;

namespace {

TEST(RenderHelpersTest, FillSolidRectWritesColourBytesWithGdiAlpha) {
  Canvas canvas(6, 6);
  MRender::FillSolidRect(canvas.dc, 1, 1, 3, 2, RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(canvas.At(1, 1), 0x00102030u) << "GDI leaves alpha 0";
  EXPECT_EQ(canvas.At(3, 2), 0x00102030u);
  EXPECT_EQ(canvas.At(4, 1), 0u);
  EXPECT_EQ(canvas.At(1, 3), 0u);
}

TEST(RenderHelpersTest, RoundedRectanglePathSpansItsBox) {
  Gdiplus::GraphicsPath path;
  MRender::AddRoundedRectangle(path, 10, 20, 100, 50, 8);
  Gdiplus::RectF bounds;
  path.GetBounds(&bounds);
  EXPECT_NEAR(bounds.X, 10.0f, 0.01f);
  EXPECT_NEAR(bounds.Y, 20.0f, 0.01f);
  EXPECT_NEAR(bounds.Width, 100.0f, 0.01f);
  EXPECT_NEAR(bounds.Height, 50.0f, 0.01f);
}

TEST(RenderHelpersTest, RoundRectangleOutlineAndFill) {
  Canvas canvas(40, 40);
  {
    Gdiplus::Graphics graphics(canvas.dc);
    MRender::DrawRoundRectange(graphics, 5, 5, 30, 30, 3, Gdiplus::Color(0xFFFF0000), 1.0f, true,
                               Gdiplus::Color(0xFF0000FF));
  }
  EXPECT_EQ(canvas.At(20, 20), 0xFF0000FFu) << "filled inside";
  EXPECT_EQ(canvas.At(1, 1), 0u) << "nothing outside";
  EXPECT_EQ(canvas.At(5, 5) >> 24, 0u) << "the corner is rounded off";
}

TEST(RenderHelpersTest, SaveBitmapToFileWritesA24BitBmp) {
  Canvas canvas(3, 2);
  canvas.Fill(0xFF102030);
  BYTE* bits = nullptr;
  HBITMAP bitmap = MRender::CreateARGB32Bitmap(nullptr, 3, 2, &bits);
  HDC dc = platform::CreateCompatibleDC(nullptr);
  HGDIOBJ previous = platform::SelectObject(dc, bitmap);
  platform::BitBlt(dc, 0, 0, 3, 2, canvas.dc, 0, 0, SRCCOPY);
  platform::SelectObject(dc, previous);
  platform::DeleteDC(dc);

  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("tk-bmp-" + std::to_string(getpid()) + ".bmp");
  ASSERT_TRUE(MRender::SaveBitmapToFile(bitmap, CString(FromUtf8(file.string()))));
  std::ifstream in(file, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(file);
  const size_t stride = 12;  // 3 pixels × 3 bytes, already a multiple of 4
  ASSERT_EQ(bytes.size(), 54 + stride * 2);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[2] | bytes[3] << 8, static_cast<int>(54 + stride * 2));
  EXPECT_EQ(bytes[10], 54);
  EXPECT_EQ(bytes[28], 24) << "bits per pixel";
  EXPECT_EQ(bytes[54], 0x30);  // blue, green, red of the first pixel
  EXPECT_EQ(bytes[55], 0x20);
  EXPECT_EQ(bytes[56], 0x10);
  EXPECT_FALSE(MRender::SaveBitmapToFile(bitmap, L"/nonexistent-folder/x.bmp"));
  platform::DeleteObject(bitmap);
}

TEST(ControlHooksTest, CursorNamesOutsideTheListLeaveTheCursor) {
  toolkit_test::RecordingOwner owner;
  toolkit_test::Probe control(&owner, 1, CRect(0, 0, 10, 10), nullptr, "c");
  EXPECT_EQ(control.SetCursorEx(L"hand"), 0);
  const HCURSOR hand = control.GetCursor();
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(control.SetCursorEx(L"pointer"), 0);
  EXPECT_EQ(control.GetCursor(), hand);
  EXPECT_EQ(control.SetCursorEx(L"Hand"), 0);
  EXPECT_EQ(control.GetCursor(), hand);
  control.SetCursorEx(L"wait");
  EXPECT_NE(control.GetCursor(), hand);
  EXPECT_TRUE(control.OnControlSetCursor(0, CPoint(5, 5)));
  EXPECT_FALSE(control.OnControlSetCursor(0, CPoint(50, 5)));
}

TEST(ControlHooksTest, HoverShowsTheTooltipOnceAndClearForgetsTheOwner) {
  Zelvo::PaintManager manager;
  toolkit_test::RecordingOwner owner;
  toolkit_test::Probe control(&owner, 9, CRect(0, 0, 10, 10), nullptr, "c");
  control.SetManager(&manager);
  control.SetTooltip(L"Temperature unit");
  control.OnMouseMove(0, CPoint(5, 5));
  EXPECT_EQ(manager.GetTooltipCtrlID(), 9);
  EXPECT_EQ(manager.GetTooltipText(), CString(L"Temperature unit"));
  EXPECT_EQ(manager.GetTooltipRect(), CRect(0, 0, 10, 10));
  control.ClearTooltip();
  EXPECT_EQ(manager.GetTooltipCtrlID(), 0);
  EXPECT_TRUE(manager.GetTooltipText().IsEmpty());
  control.OnMouseMove(0, CPoint(50, 50));
  EXPECT_EQ(manager.GetTooltipCtrlID(), 0) << "outside the control";
}

}  // namespace
