// CArea in its three looks (ramp, frame, plain tint), drawn through its cached surface.
#include <gtest/gtest.h>

#include "canvas.h"
#include "control_probe.h"
#include "toolkit/core/carea.h"

using toolkit_test::Canvas;
using toolkit_test::ChannelDistance;
using toolkit_test::ConstantBlend;

namespace {

constexpr std::uint32_t kBackground = 0xFF204060;
// The tint after the GDI+ fill with alpha 254: white premultiplied by 254/255.
constexpr std::uint32_t kWhiteTint = 0xFEFEFEFE;

class AreaTest : public ::testing::Test {
 protected:
  toolkit_test::RecordingOwner owner;
  Canvas window{20, 20};
  Zelvo::CArea area{&owner, 1, CRect(2, 3, 12, 13), TRUE, TRUE};
  void Draw() {
    HDC dc = window.dc;
    area.Draw(dc, CRect(0, 0, 20, 20));
  }
};

TEST_F(AreaTest, DefaultTintCoversTheBackgroundAtOpacity51) {
  window.Fill(kBackground);
  Draw();
  const std::uint32_t expected = ConstantBlend(kWhiteTint, kBackground, 51);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = area.GetRect().PtInRect(CPoint(x, y));
      ASSERT_EQ(window.At(x, y), inside ? expected : kBackground) << x << "," << y;
    }
  }
}

TEST_F(AreaTest, VerticalRampFromOpaqueTintToNearlyUntouched) {
  window.Fill(kBackground);
  area.SetTransparent(0, 100, RGB(255, 255, 255));
  Draw();
  EXPECT_EQ(window.At(5, 3), ConstantBlend(kWhiteTint, kBackground, 255)) << "top row fully tinted";
  // Ten rows: the last has opacity trunc(255 − 9 × 25.5) = 25.
  EXPECT_EQ(window.At(5, 12), ConstantBlend(kWhiteTint, kBackground, 25));
  EXPECT_LT(ChannelDistance(window.At(5, 12), kBackground), 40);
}

TEST_F(AreaTest, HorizontalRampRunsColumnByColumn) {
  window.Fill(kBackground);
  area.SetDirection(0);
  area.SetTransparent(100, 0, RGB(255, 0, 0));
  Draw();
  // Ten columns from transparency 100 to 0: opacities 0, 25, ... 229 (the ramp's steps are
  // (255 − 0) / 10, starting at the transparent end). Red tint premultiplied at 254.
  EXPECT_EQ(window.At(2, 8), kBackground) << "first column untouched";
  EXPECT_EQ(window.At(3, 8), ConstantBlend(0xFEFE0000, kBackground, 25));
  EXPECT_EQ(window.At(11, 8), ConstantBlend(0xFEFE0000, kBackground, 229));
}

TEST_F(AreaTest, OtherDirectionsBlendNothing) {
  window.Fill(kBackground);
  area.SetDirection(2);
  Draw();
  EXPECT_EQ(window.At(5, 5), kBackground);
}

TEST_F(AreaTest, FrameWithOpaqueTintDrawsAOnePixelFrame) {
  area.SetTransparent(0, 0, RGB(255, 255, 255));
  area.SetFrame(TRUE, Gdiplus::Color(0xFE050505), 0);
  Draw();  // over a transparent window: the pixels are the fills themselves
  const CRect r = area.GetRect();
  for (CPoint p : {CPoint(r.left, r.top), CPoint(r.right - 1, r.bottom - 1), CPoint(r.left + 4, r.top),
                   CPoint(r.left, r.top + 4)}) {
    EXPECT_LE(ChannelDistance(window.At(p.x, p.y), 0xFE050505), 1) << p.x << "," << p.y;
  }
  // The tint (alpha 254) is laid over the frame colour that fills the whole cache first.
  EXPECT_LE(ChannelDistance(window.At(r.left + 1, r.top + 1), 0xFFFEFEFE), 1);
  EXPECT_LE(ChannelDistance(window.At(r.left + 5, r.top + 5), 0xFFFEFEFE), 1);
  EXPECT_EQ(window.At(r.left - 1, r.top), 0u);
}

TEST_F(AreaTest, PlainTintWithoutFrameFillsEverything) {
  area.SetTransparent(0, 0, RGB(0, 0, 255));
  Draw();
  const CRect r = area.GetRect();
  EXPECT_EQ(window.At(r.left + 5, r.top + 5) >> 24, 0xFEu) << "nearly opaque tint";
  EXPECT_LE(ChannelDistance(window.At(r.left, r.top), 0xFE0000FE), 1);
  EXPECT_LE(ChannelDistance(window.At(r.right - 1, r.bottom - 1), 0xFE0000FE), 1);
}

TEST_F(AreaTest, CachedLookIsCopiedUntilMarkedStale) {
  window.Fill(kBackground);
  Draw();
  const std::uint32_t first = window.At(5, 5);
  EXPECT_TRUE(area.GetUpdate());
  window.Fill(0xFF000000);
  Draw();
  EXPECT_EQ(window.At(5, 5), first) << "a valid cache is only copied";
  area.SetUpdate(FALSE, 0);
  window.Fill(0xFF000000);
  Draw();
  EXPECT_EQ(window.At(5, 5), ConstantBlend(kWhiteTint, 0xFF000000, 51));
}

TEST_F(AreaTest, SettersAskForARepaintOnlyWhenVisible) {
  area.SetTransparent(10, 20, RGB(1, 2, 3));
  area.SetFrame(TRUE, Gdiplus::Color(0xFF000000), 0);
  EXPECT_EQ(owner.repaints.size(), 2u);
  area.SetVisible(FALSE, FALSE);
  area.SetTransparent(10, 20, RGB(1, 2, 3));
  EXPECT_EQ(owner.repaints.size(), 2u);
}

}  // namespace
