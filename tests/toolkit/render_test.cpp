// MRender, read back pixel by pixel: nine-part frames, alpha ramps, the corner fade, gradients,
// text bounds, origins and image fitting.
#include <gtest/gtest.h>

#include <cmath>

#include "canvas.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdiplus.h"
#include "toolkit/core/mrender.h"
#include "toolkit/core/mrender_entry_points.h"
#include "toolkit/core/toolkit_state.h"

using toolkit_test::Canvas;
using toolkit_test::ConstantBlend;
using Zelvo::MRender;

namespace {

// Piece colours of a 3 × 3 grid of 3-pixel blocks; slice 0 and slice 1 differ in blue.
std::uint32_t PieceColour(int column, int row, int slice) {
  return 0xFF000000u | static_cast<std::uint32_t>(column * 100 + 20) << 16 |
         static_cast<std::uint32_t>(row * 100 + 20) << 8 | static_cast<std::uint32_t>(0x40 + slice * 0x80);
}

// Two 9 × 9 slices side by side, each a 3 × 3 grid of 3 × 3 blocks.
std::unique_ptr<Gdiplus::Bitmap> NineGridImage() {
  auto image = std::make_unique<Gdiplus::Bitmap>(18, 9);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 18; ++x) image->SetPixel(x, y, Gdiplus::Color(PieceColour((x % 9) / 3, y / 3, x / 9)));
  }
  return image;
}

int PieceIndex(int coordinate, int start, int end, int low, int high) {
  if (coordinate < start + low) return 0;
  if (coordinate >= end - high) return 2;
  return 1;
}

struct FrameCase {
  const char* name;
  CRect dst;
  bool mid;  // the four-width form with every width 3
};

class NinePartFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(NinePartFrameTest, CornersKeepTheirSizeEdgesAndCentreStretch) {
  const FrameCase& c = GetParam();
  Canvas canvas(60, 50);
  auto image = NineGridImage();
  {
    Gdiplus::Graphics graphics(canvas.dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    // State slice 1 of the image, border 3 (the blocks are 3 pixels).
    if (c.mid) {
      MRender::DrawImageFrameMID(graphics, image.get(), c.dst, 9, 0, 9, 9, 3, 3, 3, 3);
    } else {
      MRender::DrawImageFrame(graphics, image.get(), c.dst, 9, 0, 9, 9, 3);
    }
  }
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 60; ++x) {
      const bool inside = c.dst.PtInRect(CPoint(x, y));
      std::uint32_t expected = 0;
      if (inside) {
        expected = PieceColour(PieceIndex(x, c.dst.left, c.dst.right, 3, 3),
                               PieceIndex(y, c.dst.top, c.dst.bottom, 3, 3), 1);
      }
      ASSERT_EQ(canvas.At(x, y), expected) << "pixel " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, NinePartFrameTest,
                         ::testing::Values(FrameCase{"Wide", CRect(5, 5, 35, 29), false},
                                           FrameCase{"ExactlyTwoBordersWide", CRect(2, 2, 8, 40), false},
                                           FrameCase{"FourWidthsForm", CRect(10, 4, 50, 44), true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NinePartFrameMidTest, UnequalWidthsKeepEachCornerSize) {
  Canvas canvas(40, 40);
  auto image = NineGridImage();
  {
    Gdiplus::Graphics graphics(canvas.dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    // The whole 18 × 9 image: left 3, top 3, right 6 (two blocks of slice 1), bottom 3.
    MRender::DrawImageFrameMID(graphics, image.get(), CRect(0, 0, 30, 30), 0, 0, 18, 9, 3, 3, 6, 3);
  }
  EXPECT_EQ(canvas.At(0, 0), PieceColour(0, 0, 0));
  EXPECT_EQ(canvas.At(24, 0), PieceColour(1, 0, 1)) << "the 6-wide top-right corner, unscaled";
  EXPECT_EQ(canvas.At(29, 2), PieceColour(2, 0, 1));
  EXPECT_EQ(canvas.At(24, 29), PieceColour(1, 2, 1));
  EXPECT_EQ(canvas.At(29, 29), PieceColour(2, 2, 1));
  EXPECT_EQ(canvas.At(1, 15), PieceColour(0, 1, 0)) << "left edge stretched";
  EXPECT_EQ(canvas.At(3, 3), PieceColour(1, 1, 0)) << "centre starts at the source's (3, 3)";
  EXPECT_EQ(canvas.At(30, 30), 0u);
}

// ---------------------------------------------------------------- alpha ramps

struct RampCase {
  int from, to, rows;
};

class AlphaRampTest : public ::testing::TestWithParam<RampCase> {};

// With a transparent destination and an opaque white source, each row's alpha is its opacity.
std::vector<int> RowOpacities(const RampCase& c, bool vertical, int* returned) {
  const int length = c.rows;
  const int width = vertical ? 3 : length;
  const int height = vertical ? length : 3;
  Canvas dst(width, height);
  Canvas src(width, height);
  src.Fill(0xFFFFFFFF);
  const CRect rect(0, 0, width, height);
  *returned = vertical ? MRender::DrawVerticalTransition(dst.dc, src.dc, rect, rect, c.from, c.to)
                       : MRender::DrawHorizontalTransition(dst.dc, src.dc, rect, rect, c.from, c.to);
  std::vector<int> opacities;
  for (int i = 0; i < length; ++i) {
    const std::uint32_t pixel = vertical ? dst.At(1, i) : dst.At(i, 1);
    opacities.push_back(static_cast<int>(pixel >> 24));
    EXPECT_EQ(pixel & 0xFF, pixel >> 24) << "white blended at its opacity";
  }
  return opacities;
}

TEST_P(AlphaRampTest, TransparencyRunsLinearlyFromFirstToLastRowAndColumn) {
  const RampCase& c = GetParam();
  const int lo = std::min(c.from, c.to), hi = std::max(c.from, c.to);
  const int e = static_cast<int>(255 - lo * 255.0 / 100);
  const int f = static_cast<int>((100 - hi) * 255.0 / 100);
  const double g = (e - f) / static_cast<double>(c.rows);
  std::vector<int> expected;
  for (int i = 0; i < c.rows; ++i) expected.push_back(static_cast<int>(c.from < c.to ? e - i * g : f + i * g) & 0xFF);
  for (bool vertical : {true, false}) {
    SCOPED_TRACE(vertical ? "vertical" : "horizontal");
    int returned = -1;
    EXPECT_EQ(RowOpacities(c, vertical, &returned), expected);
    EXPECT_EQ(returned, expected.back());
  }
}

INSTANTIATE_TEST_SUITE_P(Ramps, AlphaRampTest,
                         ::testing::Values(RampCase{80, 80, 7}, RampCase{0, 100, 256}, RampCase{100, 0, 40},
                                           RampCase{30, 60, 9}));

TEST(AlphaRampTest2, DocumentedCheckpoints) {
  int returned = 0;
  const std::vector<int> flat = RowOpacities({80, 80, 5}, true, &returned);
  EXPECT_EQ(flat, std::vector<int>(5, 51));
  const std::vector<int> full = RowOpacities({0, 100, 256}, true, &returned);
  EXPECT_EQ(full.front(), 255);
  EXPECT_EQ(full[1], 254);
  EXPECT_EQ(full[128], 127);
  EXPECT_EQ(full.back(), 0);
}

TEST(AlphaRampTest2, BlendsOverAnOpaqueBackground) {
  Canvas dst(4, 4);
  Canvas src(4, 4);
  dst.Fill(0xFF000000);
  src.Fill(0xFFFF8000);
  const CRect rect(0, 0, 4, 4);
  EXPECT_EQ(MRender::DrawVerticalTransition(dst.dc, src.dc, rect, rect, 80, 80), 51);
  EXPECT_EQ(dst.At(2, 3), ConstantBlend(0xFFFF8000, 0xFF000000, 51));
}

TEST(AlphaRampTest2, EmptyRectangleReturnsOpaque) {
  Canvas dst(4, 4);
  Canvas src(4, 4);
  EXPECT_EQ(MRender::DrawVerticalTransition(dst.dc, src.dc, CRect(0, 0, 4, 0), CRect(0, 0, 4, 0), 0, 100), 255);
  EXPECT_EQ(MRender::DrawHorizontalTransition(dst.dc, src.dc, CRect(0, 0, 0, 4), CRect(0, 0, 0, 4), 0, 100), 255);
}

TEST(CornerFadeTest, BottomRightSquareFadesWithDistance) {
  const int size = 5;
  Canvas dst(12, 10);
  Canvas src(12, 10);
  src.Fill(0xFFFFFFFF);
  MRender::DrawRightBottomTransition(dst.dc, src.dc, CRect(0, 0, 12, 10), size, 0);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      const int i = x - (12 - size), j = y - (10 - size);
      std::uint32_t expected = 0;
      if (i >= 0 && j >= 0) {
        const double distance = std::min(static_cast<double>(size), std::sqrt(static_cast<double>(i * i + j * j)));
        const int opacity = static_cast<int>(255 - 255.0 / size * distance);
        expected = ConstantBlend(0xFFFFFFFF, 0, static_cast<std::uint32_t>(opacity));
      }
      ASSERT_EQ(dst.At(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(dst.At(7, 5) >> 24, 255u) << "the square's top-left point is fully opaque";
}

// ---------------------------------------------------------------- gradients

class GradientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Zelvo::DrawEntryPoints();  // resolve first, so the override below sticks
    saved_ = Zelvo::ToolkitState().gradientFill;
  }
  void TearDown() override { Zelvo::ToolkitState().gradientFill = saved_; }
  void WithoutGradientFill() { Zelvo::ToolkitState().gradientFill = nullptr; }

 private:
  BOOL (*saved_)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG) = nullptr;
};

TEST_F(GradientTest, GradientFillRunsFromTheFirstColourToTheSecond) {
  Canvas canvas(4, 11);
  MRender::DrawGradient(canvas.dc, RECT{0, 0, 4, 11}, 0xFFFF0000, 0xFF0000FF, true, 64);
  EXPECT_EQ(canvas.At(2, 0), 0xFFFF0000u);
  EXPECT_EQ(canvas.At(2, 10), 0xFF0000FFu);
  EXPECT_LE(toolkit_test::ChannelDistance(canvas.At(2, 5), 0xFF7F007Fu), 1) << "halfway between the colours";
  Canvas horizontal(11, 2);
  MRender::DrawGradient(horizontal.dc, RECT{0, 0, 11, 2}, 0xFF00FF00, 0xFF000000, false, 64);
  EXPECT_EQ(horizontal.At(0, 1), 0xFF00FF00u);
  EXPECT_EQ(horizontal.At(10, 1), 0xFF000000u);
}

TEST_F(GradientTest, WithoutGradientFillSolidBandsFollowTheStepCount) {
  WithoutGradientFill();
  struct Case {
    int steps;
    int bands;
  };
  for (const Case& c : {Case{2, 2}, Case{4, 4}, Case{7, 4}, Case{8, 8}, Case{63, 32}, Case{64, 64}, Case{500, 64}}) {
    SCOPED_TRACE(c.steps);
    Canvas canvas(3, 128);
    MRender::DrawGradient(canvas.dc, RECT{0, 0, 3, 128}, 0xFFFF0000, 0xFF0000FF, true, c.steps);
    const int bandHeight = 128 / c.bands;
    for (int band = 0; band < c.bands; ++band) {
      const std::uint32_t red = static_cast<std::uint32_t>(255 * (c.bands - 1 - band) / (c.bands - 1));
      const std::uint32_t blue = static_cast<std::uint32_t>(255 * band / (c.bands - 1));
      // GDI fills leave alpha 0.
      const std::uint32_t expected = red << 16 | blue;
      EXPECT_EQ(canvas.At(1, band * bandHeight), expected) << "band " << band;
      EXPECT_EQ(canvas.At(1, band * bandHeight + bandHeight - 1), expected) << "band " << band;
    }
  }
}

TEST_F(GradientTest, MeanAlphaBelowOpaqueBlendsTheGradient) {
  for (bool withGradientFill : {true, false}) {
    SCOPED_TRACE(withGradientFill);
    if (!withGradientFill) WithoutGradientFill();
    Canvas canvas(2, 2);
    canvas.Fill(0xFF000000);
    MRender::DrawGradient(canvas.dc, RECT{0, 0, 2, 2}, 0x80FFFFFF, 0x80FFFFFF, true, 2);
    // The gradient's white pixels carry the vertices' alpha (GradientFill) or none (GDI bands);
    // they are then blended with the mean alpha 128.
    const std::uint32_t gradientPixel = withGradientFill ? 0x80FFFFFF : 0x00FFFFFF;
    EXPECT_EQ(canvas.At(0, 0), ConstantBlend(gradientPixel, 0xFF000000, 128));
  }
}

TEST_F(GradientTest, TransparentMeanDrawsNothing) {
  Canvas canvas(2, 2);
  canvas.Fill(0xFF102030);
  MRender::DrawGradient(canvas.dc, RECT{0, 0, 2, 2}, 0x01FFFFFF, 0x00FFFFFF, true, 2);
  EXPECT_EQ(canvas.At(0, 0), 0xFF102030u);
}

// ---------------------------------------------------------------- placing and measuring

TEST(PlacementTest, OriginPoints) {
  EXPECT_EQ(MRender::GetOriginPoint(100, 40, 20, 10, 1, 4), CPoint(40, 15));
  EXPECT_EQ(MRender::GetOriginPoint(CRect(10, 10, 110, 50), 20, 10, 1, 4), CPoint(50, 27));
  EXPECT_EQ(MRender::GetOriginPoint(100, 40, 20, 10, 2, 8), CPoint(80, 30));
  EXPECT_EQ(MRender::GetOriginPoint(100, 40, 20, 10, 0, 0), CPoint(0, 0));
  EXPECT_EQ(MRender::GetOriginPoint(100, 40, 20, 10, 7, 3), CPoint(0, 0)) << "other values: left and top";
}

TEST(PlacementTest, ImageFittingScalesDownAndCentres) {
  struct Case {
    int w, h;
    CRect box;
    CRect expected;
  };
  const Case cases[] = {
      {200, 100, CRect(0, 0, 100, 80), CRect(0, 15, 100, 65)},      // both larger, wider than the box
      {120, 200, CRect(0, 0, 100, 80), CRect(26, 0, 74, 80)},       // both larger, taller
      {150, 100, CRect(0, 0, 100, 80), CRect(0, 7, 100, 73)},       // 100 × 100 / 150 = 66
      {200, 100, CRect(0, 0, 100, 100), CRect(-50, 0, 150, 100)},   // wider, height equal: unchanged
      {200, 50, CRect(10, 10, 110, 110), CRect(10, 47, 110, 72)},   // only wider
      {50, 200, CRect(0, 0, 100, 100), CRect(37, 0, 62, 100)},      // only taller
      {100, 200, CRect(0, 0, 100, 80), CRect(0, -60, 100, 140)},    // width equal, taller: unchanged
      {40, 30, CRect(0, 0, 100, 100), CRect(30, 35, 70, 65)},       // smaller: unchanged, centred
      {120, 100, CRect(0, 0, 100, 100), CRect(-10, 0, 110, 100)},   // wider, height equal: unchanged
      {100, 150, CRect(0, 0, 100, 100), CRect(0, -25, 100, 125)},   // width equal, taller: unchanged
      {150, 100, CRect(0, 0, 200, 100), CRect(25, 0, 175, 100)},    // narrower, height equal
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MRender::GetImageRect(c.w, c.h, c.box), c.expected) << c.w << "x" << c.h;
  }
}

TEST(PlacementTest, RotateAndColourCheck) {
  Gdiplus::PointF point(10, 0);
  MRender::RotatePoint(point, 90, Gdiplus::PointF(0, 0));
  EXPECT_NEAR(point.X, 0.0f, 1e-4);
  EXPECT_NEAR(point.Y, 10.0f, 1e-4);
  DWORD black = 0xFF000000;
  MRender::CheckAlphaColor(black);
  EXPECT_EQ(black, 0xFF000001u);
  DWORD colour = 0x80102030;
  MRender::CheckAlphaColor(colour);
  EXPECT_EQ(colour, 0x80102030u);
}

TEST(TextBoundsTest, WidthIsRoundedUpAndHeightFollowsTheFontHeight) {
  Gdiplus::FontFamily family(L"DejaVu Sans");
  ASSERT_TRUE(family.IsAvailable());
  Gdiplus::Font font(&family, 20.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  const Gdiplus::Size narrow = MRender::GetTextBounds(font, L"ii");
  const Gdiplus::Size wide = MRender::GetTextBounds(font, L"WWWW");
  const Gdiplus::Size empty = MRender::GetTextBounds(font, L"");
  EXPECT_GT(narrow.Width, 0);
  EXPECT_GT(wide.Width, 3 * narrow.Width);
  EXPECT_EQ(empty.Width, 0);

  Gdiplus::GraphicsPath path;
  Gdiplus::StringFormat format;
  path.AddString(L"WWWW", -1, &family, Gdiplus::FontStyleRegular, 20.0f, Gdiplus::PointF(0, 0), &format);
  Gdiplus::RectF bounds;
  path.GetBounds(&bounds);
  EXPECT_EQ(wide.Width, static_cast<int>(std::ceil(bounds.Width)));

  const double height = font.GetHeight(0.0f);
  const int expectedHeight = static_cast<int>(height + (height != std::floor(height) ? 4 : 1));
  EXPECT_EQ(wide.Height, expectedHeight);
  EXPECT_EQ(narrow.Height, wide.Height) << "height does not depend on the text";
}

TEST(DrawTextTest, DrawsInTheColourAndRestoresTheDc) {
  Canvas canvas(120, 40);
  HFONT font = platform::CreateFontW(-20, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"DejaVu Sans");
  platform::SetTextColor(canvas.dc, RGB(1, 2, 3));
  CRect rect(0, 0, 120, 40);
  MRender::DrawTextW(canvas.dc, rect, L"Hello", RGB(255, 0, 0), font, DT_LEFT | DT_TOP | DT_SINGLELINE);
  int redPixels = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) {
      const std::uint32_t p = canvas.At(x, y);
      if (p != 0) {
        EXPECT_EQ(p & 0x0000FFFF, 0u) << "only red drawn";
        ++redPixels;
      }
    }
  }
  EXPECT_GT(redPixels, 20);
  EXPECT_EQ(platform::GetTextColor(canvas.dc), RGB(1, 2, 3));
  MRender::DrawTextW(canvas.dc, rect, nullptr, RGB(255, 0, 0), font, 0);  // null text: nothing
  platform::DeleteObject(font);
}

TEST(DrawColorTest, FillsWithArgbUnlessTransparent) {
  Canvas canvas(4, 4);
  MRender::DrawColor(canvas.dc, RECT{1, 1, 3, 3}, 0x00FFFFFF);
  EXPECT_EQ(canvas.At(1, 1), 0u);
  MRender::DrawColor(canvas.dc, RECT{1, 1, 3, 3}, 0xFF336699);
  EXPECT_EQ(canvas.At(1, 1), 0xFF336699u);
  EXPECT_EQ(canvas.At(0, 0), 0u);
  EXPECT_EQ(canvas.At(3, 3), 0u);
}

TEST(Argb32BitmapTest, BottomUpRowsWithDirectPixels) {
  BYTE* bits = nullptr;
  HBITMAP bitmap = MRender::CreateARGB32Bitmap(nullptr, 3, 2, &bits);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(bits, nullptr);
  BITMAP info{};
  ASSERT_NE(platform::GetObjectW(bitmap, sizeof(info), &info), 0);
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmBitsPixel, 32);
  // Row 0 of memory is the bottom row.
  reinterpret_cast<std::uint32_t*>(bits)[0] = 0xFF112233;
  HDC dc = platform::CreateCompatibleDC(nullptr);
  HGDIOBJ previous = platform::SelectObject(dc, bitmap);
  Canvas canvas(3, 2);
  platform::BitBlt(canvas.dc, 0, 0, 3, 2, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.At(0, 1), 0xFF112233u);
  platform::SelectObject(dc, previous);
  platform::DeleteDC(dc);
  platform::DeleteObject(bitmap);
}

}  // namespace
