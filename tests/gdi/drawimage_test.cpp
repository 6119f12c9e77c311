// GDI+ drawing: images from a source rectangle to a destination rectangle, fills and strokes.
#include "gdi_test_util.h"
#include "platform/gdi/gdiplus.h"

namespace {

using Gdiplus::Bitmap;
using Gdiplus::Graphics;
using Gdiplus::Rect;

// 2 × 1: opaque red, half-transparent blue (premultiplied 0x80000080).
std::unique_ptr<Bitmap> TwoPixels() {
  auto b = std::make_unique<Bitmap>(2, 1);
  b->SetPixel(0, 0, Gdiplus::Color(255, 255, 0, 0));
  b->SetPixel(1, 0, Gdiplus::Color(128, 0, 0, 255));
  return b;
}

TEST(DrawImage, UnscaledCopyIsExact) {
  auto src = TwoPixels();
  Bitmap dst(4, 4);
  Graphics g(&dst);
  ASSERT_EQ(g.DrawImage(src.get(), Rect(1, 2, 2, 1), 0, 0, 2, 1, Gdiplus::UnitPixel), Gdiplus::Ok);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(1, 2), 0xFFFF0000u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(2, 2), 0x80000080u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(0, 2), 0u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(3, 2), 0u);
}

TEST(DrawImage, SourceRectangleScaledNearest) {
  auto src = TwoPixels();
  Bitmap dst(8, 4);
  Graphics g(&dst);
  g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  ASSERT_EQ(g.DrawImage(src.get(), Rect(0, 0, 8, 4), 0, 0, 2, 1, Gdiplus::UnitPixel), Gdiplus::Ok);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(dst.ActiveFrame()->PixelAt(x, y), x < 4 ? 0xFFFF0000u : 0x80000080u) << x << "," << y;
  }
}

TEST(DrawImage, ScalingNeverBlendsInPixelsFromOutsideTheSourceRectangle) {
  auto src = TwoPixels();
  Bitmap dst(10, 10);
  Graphics g(&dst);
  // Bilinear stretch of the single red pixel: every pixel stays exactly opaque red, also at the
  // edges (no fading towards transparent, no bleeding of the blue neighbour).
  ASSERT_EQ(g.DrawImage(src.get(), Rect(0, 0, 10, 10), 0, 0, 1, 1, Gdiplus::UnitPixel), Gdiplus::Ok);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(dst.ActiveFrame()->PixelAt(x, y), 0xFFFF0000u) << x << "," << y;
}

TEST(DrawImage, NinePiecesOfAFrame) {
  // A 6 × 6 picture: 2-pixel border of red, centre green; drawn as nine pieces into 20 × 10.
  Bitmap src(6, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      src.SetPixel(x, y, (x >= 2 && x < 4 && y >= 2 && y < 4) ? Gdiplus::Color(255, 0, 255, 0) : Gdiplus::Color(255, 255, 0, 0));
  Bitmap dst(20, 10);
  Graphics g(&dst);
  const int b = 2, L = 0, T = 0, R = 20, B = 10, sw = 6, sh = 6;
  const Rect pieces[9][2] = {
      {Rect(L, T, b, b), Rect(0, 0, b, b)},
      {Rect(L, T + b, b, B - T - 2 * b), Rect(0, b, b, sh - 2 * b)},
      {Rect(L, B - b, b, b), Rect(0, sh - b, b, b)},
      {Rect(L + b, T, R - L - 2 * b, b), Rect(b, 0, sw - 2 * b, b)},
      {Rect(R - b, T, b, b), Rect(sw - b, 0, b, b)},
      {Rect(R - b, T + b, b, B - T - 2 * b), Rect(sw - b, b, b, sh - 2 * b)},
      {Rect(R - b, B - b, b, b), Rect(sw - b, sh - b, b, b)},
      {Rect(L + b, B - b, R - L - 2 * b, b), Rect(b, sh - b, sw - 2 * b, b)},
      {Rect(L + b, T + b, R - L - 2 * b, B - T - 2 * b), Rect(b, b, sw - 2 * b, sh - 2 * b)},
  };
  for (const auto& p : pieces)
    EXPECT_EQ(g.DrawImage(&src, p[0], p[1].X, p[1].Y, p[1].Width, p[1].Height, Gdiplus::UnitPixel), Gdiplus::Ok);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool border = x < 2 || x >= 18 || y < 2 || y >= 8;
      ASSERT_EQ(dst.ActiveFrame()->PixelAt(x, y), border ? 0xFFFF0000u : 0xFF00FF00u) << x << "," << y;
    }
  }
}

TEST(DrawImage, OnABottomUpDibThroughItsDC) {
  gdi_test::DibDC d(4, 4, /*bottomUp=*/true);
  auto src = TwoPixels();
  {
    Graphics g(d.dc);
    g.DrawImage(src.get(), 0, 0);
  }
  EXPECT_EQ(d.At(0, 0), 0xFFFF0000u);
  // Image row 0 is the last memory row of the bottom-up DIB.
  EXPECT_EQ(static_cast<std::uint32_t*>(d.bits)[3 * 4 + 0], 0xFFFF0000u);
}

TEST(GdiplusFills, ExactPremultipliedColoursAndCompositing) {
  Bitmap dst(4, 4);
  Graphics g(&dst);
  Gdiplus::SolidBrush grey(Gdiplus::Color(0xFE, 200, 200, 200));
  g.FillRectangle(&grey, 0, 0, 4, 4);
  // 200 × 254 / 255 = 199.2 -> 199 (0xC7).
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(0, 0), 0xFEC7C7C7u);
  Gdiplus::SolidBrush tint(Gdiplus::Color(51, 255, 255, 255));
  g.FillRectangle(&tint, 0, 0, 1, 1);
  // 0x33 + 0xC7 × 204 / 255 = 51 + 159 = 210 (0xD2); alpha 51 + 254 × 204 / 255 = 51 + 203 = 254.
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(0, 0), 0xFED2D2D2u);
  g.Clear(Gdiplus::Color(0, 0, 0, 0));
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(2, 2), 0u);
}

TEST(GdiplusStrokes, OnePixelLinesCoverOneRow) {
  Bitmap dst(10, 10);
  Graphics g(&dst);
  Gdiplus::Pen pen(Gdiplus::Color(0xFFC8C8C8), 1.0f);
  g.DrawRectangle(&pen, 2, 2, 5, 5);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(2, 2), 0xFFC8C8C8u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(7, 7), 0xFFC8C8C8u);  // the original covers x .. x + width
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(4, 4), 0u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(2, 1), 0u);
  g.DrawLine(&pen, 0, 9, 10, 9);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(5, 9), 0xFFC8C8C8u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(5, 8), 0u);
}

TEST(GdiplusPaths, RoundedRectangleFromArcsAndLines) {
  Gdiplus::GraphicsPath path;
  const float x = 0, y = 0, w = 20, h = 10, r = 3;
  path.AddArc(x, y, 2 * r, 2 * r, 180, 90);
  path.AddArc(x + w - 2 * r, y, 2 * r, 2 * r, 270, 90);
  path.AddArc(x + w - 2 * r, y + h - 2 * r, 2 * r, 2 * r, 0, 90);
  path.AddArc(x, y + h - 2 * r, 2 * r, 2 * r, 90, 90);
  path.CloseFigure();
  Gdiplus::RectF bounds;
  ASSERT_EQ(path.GetBounds(&bounds), Gdiplus::Ok);
  EXPECT_NEAR(bounds.X, 0, 0.05);
  EXPECT_NEAR(bounds.Y, 0, 0.05);
  EXPECT_NEAR(bounds.Width, 20, 0.05);
  EXPECT_NEAR(bounds.Height, 10, 0.05);
  Bitmap dst(20, 10);
  Graphics g(&dst);
  Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFF));
  ASSERT_EQ(g.FillPath(&white, &path), Gdiplus::Ok);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(10, 5), 0xFFFFFFFFu);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(0, 0), 0u);  // cut corner
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(19, 9), 0u);
}

TEST(GdiplusTexture, TilesFromTheOrigin) {
  auto src = TwoPixels();
  Gdiplus::TextureBrush brush(src.get());
  Bitmap dst(5, 2);
  Graphics g(&dst);
  g.FillRectangle(&brush, 0, 0, 5, 2);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(0, 1), 0xFFFF0000u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(3, 0), 0x80000080u);
  EXPECT_EQ(dst.ActiveFrame()->PixelAt(4, 0), 0xFFFF0000u);
}

TEST(Graphics, ErrorsAreRecordedAndReadOnce) {
  Bitmap dst(2, 2);
  Graphics g(&dst);
  EXPECT_EQ(g.DrawImage(nullptr, 0, 0), Gdiplus::InvalidParameter);
  EXPECT_EQ(g.GetLastStatus(), Gdiplus::InvalidParameter);
  EXPECT_EQ(g.GetLastStatus(), Gdiplus::Ok);
  Graphics bad(static_cast<HDC>(nullptr));
  Gdiplus::SolidBrush brush(Gdiplus::Color(0xFFFFFFFF));
  EXPECT_EQ(bad.FillRectangle(&brush, 0, 0, 1, 1), Gdiplus::InvalidParameter);
}

}  // namespace
