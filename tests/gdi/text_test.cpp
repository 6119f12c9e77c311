// Text: measuring, alignment, GDI text effects, fonts from memory and by family name. The
// test program runs on a fixed font set (gdi_test_main.cpp): DejaVu and Liberation only.
#include <cstdio>
#include <vector>

#include "gdi_test_util.h"
#include "platform/gdi/gdiplus.h"

namespace {

using Gdiplus::Bitmap;
using Gdiplus::Graphics;
using Gdiplus::RectF;

std::vector<std::uint8_t> ReadBytes(const char* path) {
  std::vector<std::uint8_t> bytes;
  FILE* f = std::fopen(path, "rb");
  if (!f) return bytes;
  std::uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

constexpr const char* kOpenSansSemibold = "/usr/share/fonts/truetype/open-sans/OpenSans-Semibold.ttf";

// Columns (or rows) holding any pixel with alpha or colour.
struct Ink {
  int left = -1, right = -1, top = -1, bottom = -1;
};

Ink InkOf(const platform::Bitmap& b, bool colourCounts) {
  Ink ink;
  for (int y = 0; y < b.height(); ++y) {
    for (int x = 0; x < b.width(); ++x) {
      const std::uint32_t p = b.PixelAt(x, y);
      if (!(colourCounts ? (p & 0x00FFFFFF) : (p >> 24))) continue;
      if (ink.left < 0 || x < ink.left) ink.left = x;
      if (x > ink.right) ink.right = x;
      if (ink.top < 0) ink.top = y;
      ink.bottom = y;
    }
  }
  return ink;
}

TEST(FontFamilies, InstalledAliasesAndUnknownNames) {
  EXPECT_EQ(Gdiplus::FontFamily(L"DejaVu Sans").GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(Gdiplus::FontFamily(L"dejavu sans").GetLastStatus(), Gdiplus::Ok);
  // Arial is not installed, but fontconfig declares Liberation Sans its metric equivalent.
  EXPECT_EQ(Gdiplus::FontFamily(L"Arial").GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(Gdiplus::FontFamily(L"No Such Family Xq").GetLastStatus(), Gdiplus::FontFamilyNotFound);
  EXPECT_EQ(Gdiplus::FontFamily(L"Open Sans Semibold").GetLastStatus(), Gdiplus::FontFamilyNotFound);
}

TEST(MemoryFonts, FindableByFamilyWhileRegistered) {
  std::vector<std::uint8_t> bytes = ReadBytes(kOpenSansSemibold);
  ASSERT_FALSE(bytes.empty());
  ASSERT_EQ(Gdiplus::FontFamily(L"Open Sans Semibold").GetLastStatus(), Gdiplus::FontFamilyNotFound);
  DWORD fonts = 0;
  HANDLE first = platform::AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &fonts);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(fonts, 1u);
  HANDLE second = platform::AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &fonts);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(Gdiplus::FontFamily(L"Open Sans Semibold").GetLastStatus(), Gdiplus::Ok);
  // Removing one registration keeps the font for the other.
  EXPECT_TRUE(platform::RemoveFontMemResourceEx(first));
  EXPECT_FALSE(platform::RemoveFontMemResourceEx(first));
  EXPECT_EQ(Gdiplus::FontFamily(L"Open Sans Semibold").GetLastStatus(), Gdiplus::Ok);
  EXPECT_TRUE(platform::RemoveFontMemResourceEx(second));
  EXPECT_EQ(Gdiplus::FontFamily(L"Open Sans Semibold").GetLastStatus(), Gdiplus::FontFamilyNotFound);
  const std::uint8_t junk[64] = {1, 2, 3};
  EXPECT_EQ(platform::AddFontMemResourceEx(const_cast<std::uint8_t*>(junk), sizeof junk, nullptr, &fonts), nullptr);
}

TEST(MemoryFonts, PrivateCollectionReportsTheLegacyFamilyName) {
  std::vector<std::uint8_t> bytes = ReadBytes(kOpenSansSemibold);
  ASSERT_FALSE(bytes.empty());
  Gdiplus::PrivateFontCollection collection;
  ASSERT_EQ(collection.AddMemoryFont(bytes.data(), static_cast<INT>(bytes.size())), Gdiplus::Ok);
  ASSERT_EQ(collection.GetFamilyCount(), 1);
  Gdiplus::FontFamily family;
  INT found = 0;
  ASSERT_EQ(collection.GetFamilies(1, &family, &found), Gdiplus::Ok);
  ASSERT_EQ(found, 1);
  WCHAR name[LF_FACESIZE];
  family.GetFamilyName(name);
  EXPECT_STREQ(name, L"Open Sans Semibold");
  Gdiplus::FontFamily fromCollection(L"Open Sans Semibold", &collection);
  EXPECT_EQ(fromCollection.GetLastStatus(), Gdiplus::Ok);
  // The family draws.
  Bitmap dst(80, 30);
  Graphics g(&dst);
  Gdiplus::Font font(&family, 20, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  Gdiplus::SolidBrush black(Gdiplus::Color(0xFF000000));
  g.DrawString(L"Agx", -1, &font, RectF(0, 0, 80, 30), nullptr, &black);
  EXPECT_GE(InkOf(*dst.ActiveFrame(), false).left, 0);
}

TEST(GdiplusText, MeasuredBoundsScaleWithSize) {
  Gdiplus::FontFamily family(L"DejaVu Sans");
  Gdiplus::Font small(&family, 14, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  Gdiplus::Font large(&family, 28, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  Bitmap dst(1, 1);
  Graphics g(&dst);
  Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
  RectF a, b;
  ASSERT_EQ(g.MeasureString(L"Temperature 42", -1, &small, RectF(0, 0, 0, 0), &format, &a), Gdiplus::Ok);
  ASSERT_EQ(g.MeasureString(L"Temperature 42", -1, &large, RectF(0, 0, 0, 0), &format, &b), Gdiplus::Ok);
  EXPECT_GT(a.Width, 60);
  EXPECT_NEAR(b.Width / a.Width, 2.0, 0.12);
  EXPECT_NEAR(b.Height / a.Height, 2.0, 0.15);
  EXPECT_NEAR(a.Height, small.GetHeight(0.0f), 1.5);
  // Trailing spaces count only when asked.
  RectF withSpaces, without;
  g.MeasureString(L"ab   ", -1, &small, RectF(0, 0, 0, 0), &format, &withSpaces);
  Gdiplus::StringFormat plain(Gdiplus::StringFormatFlagsNoWrap);
  g.MeasureString(L"ab   ", -1, &small, RectF(0, 0, 0, 0), &plain, &without);
  EXPECT_GT(withSpaces.Width, without.Width + 5);
}

struct AlignCase {
  Gdiplus::StringAlignment align;
  Gdiplus::StringAlignment line;
  int expectedCentreX;  // of the ink, within a few pixels
  int expectedCentreY;
};

class GdiplusAlignment : public testing::TestWithParam<AlignCase> {};

TEST_P(GdiplusAlignment, MovesTheTextInsideTheLayoutRectangle) {
  const AlignCase& c = GetParam();
  Gdiplus::FontFamily family(L"DejaVu Sans");
  Gdiplus::Font font(&family, 16, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  Bitmap dst(200, 60);
  Graphics g(&dst);
  Gdiplus::StringFormat format(0x1800);
  format.SetAlignment(c.align);
  format.SetLineAlignment(c.line);
  RectF box;
  g.MeasureString(L"MMMM", -1, &font, RectF(0, 0, 200, 60), &format, &box);
  Gdiplus::SolidBrush black(Gdiplus::Color(0xFF000000));
  ASSERT_EQ(g.DrawString(L"MMMM", -1, &font, RectF(0, 0, 200, 60), &format, &black), Gdiplus::Ok);
  const Ink ink = InkOf(*dst.ActiveFrame(), false);
  ASSERT_GE(ink.left, 0);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, c.expectedCentreX, 4.0);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, c.expectedCentreY, 8.0);
  // The measured box is where the text is drawn.
  EXPECT_LE(box.X, ink.left + 1);
  EXPECT_GE(box.X + box.Width, ink.right - 1);
}

// "MMMM" at 16 px is about 55 pixels wide and 19 high.
INSTANTIATE_TEST_SUITE_P(Cases, GdiplusAlignment,
                         testing::Values(AlignCase{Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentNear, 28, 9},
                                         AlignCase{Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter, 100, 30},
                                         AlignCase{Gdiplus::StringAlignmentFar, Gdiplus::StringAlignmentFar, 172, 51}));

TEST(GdiplusText, NoWrapClipsAtTheRectangleAndWrapBreaksLines) {
  Gdiplus::FontFamily family(L"DejaVu Sans");
  Gdiplus::Font font(&family, 14, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  Bitmap dst(200, 100);
  Graphics g(&dst);
  Gdiplus::SolidBrush black(Gdiplus::Color(0xFF000000));
  Gdiplus::StringFormat single(0x1800);
  g.DrawString(L"a long line of text that does not fit", -1, &font, RectF(0, 0, 60, 20), &single, &black);
  EXPECT_LE(InkOf(*dst.ActiveFrame(), false).right, 59);
  Gdiplus::StringFormat multi(0x4800);
  RectF box;
  INT lines = 0;
  g.MeasureString(L"a long line of text that does not fit", -1, &font, RectF(0, 0, 60, 100), &multi, &box, nullptr, &lines);
  EXPECT_GT(lines, 2);
  EXPECT_LE(box.Width, 60.5);
}

TEST(GraphicsPathText, BoundsGrowWithTheText) {
  Gdiplus::FontFamily family(L"DejaVu Sans");
  Gdiplus::GraphicsPath shortPath, longPath;
  Gdiplus::StringFormat format(0x1800);
  shortPath.AddString(L"ab", -1, &family, 0, 20, Gdiplus::PointF(0, 0), &format);
  longPath.AddString(L"abab", -1, &family, 0, 20, Gdiplus::PointF(0, 0), &format);
  RectF a, b;
  shortPath.GetBounds(&a);
  longPath.GetBounds(&b);
  EXPECT_GT(a.Width, 10);
  EXPECT_NEAR(b.Width, 2 * a.Width + (b.Width - 2 * a.Width), 0.01);  // defined
  EXPECT_GT(b.Width, 1.8 * a.Width);
  EXPECT_GT(a.Height, 10);
  EXPECT_LT(a.Height, 25);
}

TEST(GdiText, CalcRectMatchesExtentAndDrawingLeavesAlphaZero) {
  gdi_test::DibDC d(200, 40);
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfWeight = FW_NORMAL;
  std::wcscpy(lf.lfFaceName, L"DejaVu Sans");
  HFONT font = platform::CreateFontIndirectW(&lf);
  HGDIOBJ old = platform::SelectObject(d.dc, font);
  SIZE extent{};
  ASSERT_TRUE(platform::GetTextExtentPoint32W(d.dc, L"Device:2", 8, &extent));
  RECT calc{10, 5, 10, 5};
  const int height = platform::DrawTextW(d.dc, L"Device:2", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.right - calc.left, extent.cx);
  EXPECT_EQ(calc.bottom - calc.top, extent.cy);
  EXPECT_EQ(height, extent.cy);
  EXPECT_EQ(Ink{}.left, -1);
  EXPECT_EQ(InkOf(*platform::GetBitmapPixels(d.bitmap), true).left, -1);  // nothing drawn by DT_CALCRECT

  platform::SetBkMode(d.dc, TRANSPARENT);
  platform::SetTextColor(d.dc, RGB(255, 255, 255));
  RECT r{0, 0, 200, 40};
  platform::DrawTextW(d.dc, L"Device:2", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  const Ink ink = InkOf(*platform::GetBitmapPixels(d.bitmap), true);
  ASSERT_GE(ink.left, 0);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 3);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 20, 4);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(d.At(x, y) >> 24, 0u);  // GDI leaves alpha 0
  platform::SelectObject(d.dc, old);
  platform::DeleteObject(font);
}

TEST(GdiText, WordBreakWrapsAndPrefixesAreRemoved) {
  gdi_test::DibDC d(100, 100);
  RECT calc{0, 0, 35, 0};
  const int oneLine = platform::DrawTextW(d.dc, L"word", -1, &calc, DT_CALCRECT);
  RECT wrapped{0, 0, 35, 0};
  const int many = platform::DrawTextW(d.dc, L"word word word word", -1, &wrapped, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(many, 4 * oneLine);  // one word per line
  EXPECT_LE(wrapped.right, 35);
  SIZE plain{};
  platform::GetTextExtentPoint32W(d.dc, L"Exit", 4, &plain);
  RECT prefixed{0, 0, 0, 0};
  platform::DrawTextW(d.dc, L"E&xit", -1, &prefixed, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(prefixed.right, plain.cx);
  RECT literal{0, 0, 0, 0};
  platform::DrawTextW(d.dc, L"E&xit", -1, &literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(literal.right, plain.cx);
}

TEST(GdiText, OpaqueBackgroundAndEllipsis) {
  gdi_test::DibDC d(60, 20);
  platform::SetBkMode(d.dc, OPAQUE);
  platform::SetBkColor(d.dc, RGB(0, 0, 255));
  platform::SetTextColor(d.dc, RGB(255, 255, 255));
  RECT r{0, 0, 60, 20};
  platform::DrawTextW(d.dc, L"a rather long text here", -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(d.At(59, 0), 0x000000FFu);  // the line box is filled with the background colour
}

}  // namespace
