// Regions: rectangles, rounded rectangles and their combinations.
#include "gdi_test_util.h"
#include "platform/gdi/region.h"

namespace {

struct PointCase {
  int x;
  int y;
  bool inside;
};

// A 20 × 20 rounded rectangle with a 10 × 10 corner ellipse: corner pixels are cut where the
// pixel centre lies outside the corner circle of radius 5 centred at (5, 5) and its mirrors.
const PointCase kRoundRectPoints[] = {
    {0, 0, false}, {19, 0, false}, {0, 19, false}, {19, 19, false},  // the four corners
    {1, 1, true},   // centre (1.5, 1.5): 3.5² + 3.5² = 24.5 <= 25
    {0, 1, false},  // centre (0.5, 1.5): 4.5² + 3.5² = 32.5 > 25
    {0, 5, true}, {5, 0, true}, {10, 10, true}, {19, 10, true}, {10, 19, true},
    {18, 18, true}, {20, 10, false}, {10, 20, false}, {-1, 10, false},
};

TEST(Region, RoundRectPointTests) {
  HRGN r = platform::CreateRoundRectRgn(0, 0, 20, 20, 10, 10);
  ASSERT_NE(r, nullptr);
  for (const PointCase& c : kRoundRectPoints)
    EXPECT_EQ(platform::PtInRegion(r, c.x, c.y) != FALSE, c.inside) << c.x << "," << c.y;
  RECT box{};
  EXPECT_EQ(platform::GetRgnBox(r, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 20);
  EXPECT_EQ(box.bottom, 20);
  EXPECT_TRUE(platform::DeleteObject(r));
}

TEST(Region, SmallCornersGiveARectangle) {
  HRGN r = platform::CreateRoundRectRgn(2, 3, 12, 13, 0, 0);
  HRGN plain = platform::CreateRectRgn(2, 3, 12, 13);
  EXPECT_TRUE(platform::EqualRgn(r, plain));
  EXPECT_TRUE(platform::PtInRegion(r, 2, 3));
  EXPECT_FALSE(platform::PtInRegion(r, 12, 3));
  platform::DeleteObject(r);
  platform::DeleteObject(plain);
}

TEST(Region, CombineModes) {
  HRGN a = platform::CreateRectRgn(0, 0, 10, 10);
  HRGN b = platform::CreateRectRgn(5, 5, 15, 15);
  HRGN out = platform::CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(platform::CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
  EXPECT_TRUE(platform::PtInRegion(out, 5, 5));
  EXPECT_FALSE(platform::PtInRegion(out, 4, 4));
  EXPECT_EQ(platform::CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(platform::PtInRegion(out, 14, 14));
  EXPECT_FALSE(platform::PtInRegion(out, 14, 0));
  EXPECT_EQ(platform::CombineRgn(out, a, b, RGN_DIFF), COMPLEXREGION);
  EXPECT_FALSE(platform::PtInRegion(out, 7, 7));
  EXPECT_TRUE(platform::PtInRegion(out, 2, 7));
  EXPECT_EQ(platform::CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(platform::PtInRegion(out, 7, 7));
  EXPECT_TRUE(platform::PtInRegion(out, 12, 12));
  HRGN c = platform::CreateRectRgn(20, 20, 30, 30);
  EXPECT_EQ(platform::CombineRgn(out, a, c, RGN_AND), NULLREGION);
  EXPECT_EQ(platform::OffsetRgn(a, 100, 0), SIMPLEREGION);
  EXPECT_TRUE(platform::PtInRegion(a, 100, 0));
  for (HRGN r : {a, b, c, out}) platform::DeleteObject(r);
}

TEST(Region, BandsMergeAndRectsCoverExactlyTheShape) {
  const platform::Region r = platform::Region::RoundRect(0, 0, 8, 8, 4, 4);
  int count = 0;
  for (const RECT& rect : r.Rects()) count += (rect.right - rect.left) * (rect.bottom - rect.top);
  int inside = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) inside += r.Contains(x, y) ? 1 : 0;
  EXPECT_EQ(count, inside);
  EXPECT_LT(inside, 64);
  EXPECT_GT(inside, 56);
}

TEST(Region, SelectedAsClipLimitsFills) {
  gdi_test::DibDC d(20, 20);
  HRGN clip = platform::CreateRoundRectRgn(0, 0, 20, 20, 10, 10);
  platform::SelectClipRgn(d.dc, clip);
  platform::DeleteObject(clip);  // the DC keeps its own copy
  RECT all{0, 0, 20, 20};
  HBRUSH brush = platform::CreateSolidBrush(RGB(255, 255, 255));
  platform::FillRect(d.dc, &all, brush);
  platform::DeleteObject(brush);
  EXPECT_EQ(d.At(0, 0), 0u);
  EXPECT_EQ(d.At(10, 10), 0x00FFFFFFu);
  EXPECT_EQ(d.At(1, 1), 0x00FFFFFFu);
}

}  // namespace
