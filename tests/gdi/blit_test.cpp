// BitBlt, AlphaBlend, GradientFill and the GDI fills, read back pixel by pixel.
#include "gdi_test_util.h"

using gdi_test::DibDC;

namespace {

TEST(BitBlt, CopiesAllFourBytesBetweenRowOrders) {
  DibDC src(4, 4, /*bottomUp=*/false);
  DibDC dst(4, 4, /*bottomUp=*/true);
  src.Set(0, 0, 0x80402010);
  src.Set(3, 1, 0xFF00FF00);
  ASSERT_TRUE(platform::BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), 0x80402010u);
  EXPECT_EQ(dst.At(3, 1), 0xFF00FF00u);
  EXPECT_EQ(dst.At(1, 1), 0u);
}

TEST(BitBlt, OffsetsAndEdgesOfTheSource) {
  DibDC src(3, 3);
  DibDC dst(5, 5);
  dst.Fill(0x11111111);
  src.Set(2, 2, 0xFFABCDEF);
  // Source pixels outside the source bitmap leave the destination as it was.
  ASSERT_TRUE(platform::BitBlt(dst.dc, 1, 1, 4, 4, src.dc, 1, 1, SRCCOPY));
  EXPECT_EQ(dst.At(2, 2), 0xFFABCDEFu);
  EXPECT_EQ(dst.At(1, 1), 0u);
  EXPECT_EQ(dst.At(3, 3), 0x11111111u);
  EXPECT_EQ(dst.At(0, 0), 0x11111111u);
}

TEST(BitBlt, OverlappingCopyWithinOneBitmap) {
  DibDC d(4, 1);
  for (int x = 0; x < 4; ++x) d.Set(x, 0, 0xFF000000u + static_cast<std::uint32_t>(x));
  ASSERT_TRUE(platform::BitBlt(d.dc, 1, 0, 3, 1, d.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(d.At(1, 0), 0xFF000000u);
  EXPECT_EQ(d.At(2, 0), 0xFF000001u);
  EXPECT_EQ(d.At(3, 0), 0xFF000002u);
}

TEST(BitBlt, RejectsBadHandles) {
  DibDC d(2, 2);
  EXPECT_FALSE(platform::BitBlt(d.dc, 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(platform::BitBlt(nullptr, 0, 0, 2, 2, d.dc, 0, 0, SRCCOPY));
}

struct BlendCase {
  const char* name;
  std::uint32_t src;
  std::uint32_t dst;
  BYTE constantAlpha;
  BYTE format;
  std::uint32_t expected;
};

// Expected values worked out by hand from the premultiplied formulas with rounding to nearest.
const BlendCase kBlendCases[] = {
    // Constant alpha only: each channel (s × SCA + d × (255 − SCA)) / 255.
    {"constant 51 over transparent", 0xFF804020, 0x00000000, 51, 0, 0x331A0D06},
    {"constant 255 replaces", 0x80402010, 0xFFFFFFFF, 255, 0, 0x80402010},
    {"constant 0 keeps", 0xFF804020, 0x12345678, 0, 0, 0x12345678},
    {"constant 128 half way", 0xFFFF0000, 0xFF0000FF, 128, 0, 0xFF80007F},
    // Per-pixel alpha: s' = s × SCA / 255, then s' + d × (255 − a') / 255.
    {"per pixel 128 over opaque blue", 0x80400000, 0xFF0000FF, 255, AC_SRC_ALPHA, 0xFF40007F},
    {"per pixel with constant 128", 0x80400000, 0xFF0000FF, 128, AC_SRC_ALPHA, 0xFF2000BF},
    {"per pixel transparent source keeps", 0x00000000, 0xFF336699, 255, AC_SRC_ALPHA, 0xFF336699},
    {"per pixel opaque source replaces", 0xFF010203, 0xFF336699, 255, AC_SRC_ALPHA, 0xFF010203},
};

class AlphaBlendTable : public testing::TestWithParam<BlendCase> {};

TEST_P(AlphaBlendTable, ExactPremultipliedResult) {
  const BlendCase& c = GetParam();
  DibDC src(2, 2), dst(2, 2);
  src.Fill(c.src);
  dst.Fill(c.dst);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, c.constantAlpha, c.format};
  ASSERT_TRUE(platform::AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, blend));
  EXPECT_EQ(dst.At(1, 1), c.expected) << c.name << std::hex << " got " << dst.At(1, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, AlphaBlendTable, testing::ValuesIn(kBlendCases));

TEST(AlphaBlend, StretchesAndRefusesSourceOutsideItsBitmap) {
  DibDC src(1, 1), dst(4, 2);
  src.Fill(0xFF102030);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
  ASSERT_TRUE(platform::AlphaBlend(dst.dc, 0, 0, 4, 2, src.dc, 0, 0, 1, 1, blend));
  EXPECT_EQ(dst.At(3, 1), 0xFF102030u);
  EXPECT_FALSE(platform::AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, blend));
}

TEST(GradientFill, HorizontalAndVerticalEndsAndMiddle) {
  DibDC d(256, 256);
  TRIVERTEX v[2] = {{0, 0, 0x0000, 0x0000, 0x0000, 0xFF00}, {256, 256, 0xFF00, 0x8000, 0x0000, 0xFF00}};
  GRADIENT_RECT r{0, 1};
  ASSERT_TRUE(platform::GradientFill(d.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
  // Column i: c0 + (c1 − c0) × i / 255 truncated; blue, green, red and the vertices' alpha byte.
  EXPECT_EQ(d.At(0, 10), 0xFF000000u);
  EXPECT_EQ(d.At(255, 10), 0xFFFF8000u);
  EXPECT_EQ(d.At(128, 200), 0xFF804000u);  // 255 × 128 / 255 = 128, 128 × 128 / 255 = 64
  ASSERT_TRUE(platform::GradientFill(d.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V));
  EXPECT_EQ(d.At(10, 0), 0xFF000000u);
  EXPECT_EQ(d.At(10, 255), 0xFFFF8000u);
  EXPECT_EQ(d.At(200, 128), 0xFF804000u);
}

TEST(GradientFill, RejectsBadVertexIndexes) {
  DibDC d(4, 4);
  TRIVERTEX v[2] = {{0, 0, 0, 0, 0, 0}, {4, 4, 0, 0, 0, 0}};
  GRADIENT_RECT r{0, 2};
  EXPECT_FALSE(platform::GradientFill(d.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
}

TEST(GdiFills, LeaveAlphaZeroAsTheOriginalDoes) {
  DibDC d(6, 6);
  d.Fill(0xFFFFFFFF);
  RECT r{1, 1, 3, 3};
  HBRUSH brush = platform::CreateSolidBrush(RGB(10, 20, 30));
  EXPECT_EQ(platform::FillRect(d.dc, &r, brush), 1);
  EXPECT_EQ(d.At(1, 1), 0x000A141Eu);
  EXPECT_EQ(d.At(2, 2), 0x000A141Eu);
  EXPECT_EQ(d.At(3, 3), 0xFFFFFFFFu);  // right and bottom edges excluded
  platform::DeleteObject(brush);
  // Opaque ExtTextOutW with no text fills the rectangle with the background colour.
  platform::SetBkColor(d.dc, RGB(1, 2, 3));
  RECT r2{4, 4, 6, 6};
  EXPECT_TRUE(platform::ExtTextOutW(d.dc, 0, 0, ETO_OPAQUE, &r2, nullptr, 0, nullptr));
  EXPECT_EQ(d.At(5, 5), 0x00010203u);
}

TEST(GdiShapes, RectangleOutlineAndInside) {
  DibDC d(6, 6);
  HPEN pen = platform::CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HBRUSH brush = platform::CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ oldPen = platform::SelectObject(d.dc, pen);
  HGDIOBJ oldBrush = platform::SelectObject(d.dc, brush);
  ASSERT_TRUE(platform::Rectangle(d.dc, 0, 0, 5, 5));
  EXPECT_EQ(d.At(0, 0), 0x00FF0000u);
  EXPECT_EQ(d.At(4, 2), 0x00FF0000u);
  EXPECT_EQ(d.At(2, 2), 0x000000FFu);
  EXPECT_EQ(d.At(5, 5), 0u);
  platform::SelectObject(d.dc, oldPen);
  platform::SelectObject(d.dc, oldBrush);
  platform::DeleteObject(pen);
  platform::DeleteObject(brush);
}

}  // namespace
