// Drawing-layer costs: blitting a control's cached look (BitBlt and per-pixel AlphaBlend of a
// 500 × 350 picture, the size of the main window), drawing one line of text (GDI+ DrawString and
// GDI DrawTextW), and a 500 × 350 nine-part frame made of nine DrawImage calls.
#include <benchmark/benchmark.h>

#include <cwchar>
#include <memory>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/surface_dc.h"

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 350;

// A memory DC holding a translucent 500 × 350 look, as a control's cache does.
struct CachedLook {
  CachedLook() {
    dc = platform::CreateCompatibleDC(nullptr);
    bitmap = platform::CreateCompatibleBitmap(dc, kWidth, kHeight);
    previous = platform::SelectObject(dc, bitmap);
    platform::Bitmap* pixels = platform::GetBitmapPixels(bitmap);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels->row(y)[x] = ((x + y) % 3 == 0) ? 0x80402010u : 0xFF336699u;
    pixels->MarkDirty();
  }
  ~CachedLook() {
    platform::SelectObject(dc, previous);
    platform::DeleteObject(bitmap);
    platform::DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
};

void BM_BitBltCachedLook500x350(benchmark::State& state) {
  CachedLook look;
  platform::Bitmap window(kWidth, kHeight, platform::Bitmap::RowOrder::BottomUp);
  HDC dc = platform::CreateSurfaceDC(&window);
  for (auto _ : state) {
    platform::BitBlt(dc, 0, 0, kWidth, kHeight, look.dc, 0, 0, SRCCOPY);
    benchmark::DoNotOptimize(window.row(175)[250]);
  }
  platform::DeleteSurfaceDC(dc);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(BM_BitBltCachedLook500x350)->Unit(benchmark::kMicrosecond);

void BM_AlphaBlendCachedLook500x350(benchmark::State& state) {
  CachedLook look;
  platform::Bitmap window(kWidth, kHeight, platform::Bitmap::RowOrder::BottomUp);
  window.Clear(0xFF202020);
  HDC dc = platform::CreateSurfaceDC(&window);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  for (auto _ : state) {
    platform::AlphaBlend(dc, 0, 0, kWidth, kHeight, look.dc, 0, 0, kWidth, kHeight, blend);
    benchmark::DoNotOptimize(window.row(175)[250]);
  }
  platform::DeleteSurfaceDC(dc);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(BM_AlphaBlendCachedLook500x350)->Unit(benchmark::kMicrosecond);

void BM_DrawStringLine(benchmark::State& state) {
  platform::Bitmap target(300, 30);
  HDC dc = platform::CreateSurfaceDC(&target);
  Gdiplus::FontFamily family(L"Arial");
  Gdiplus::Font font(&family, 14, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
  Gdiplus::SolidBrush brush(Gdiplus::Color(0xFF141414));
  Gdiplus::StringFormat format(0x1800);
  format.SetAlignment(Gdiplus::StringAlignmentCenter);
  format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  for (auto _ : state) {
    Gdiplus::Graphics g(dc);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    g.DrawString(L"Device:1  CPU 42\u00B0C  Version 1.0.0.21", -1, &font, Gdiplus::RectF(0, 0, 300, 30), &format, &brush);
    benchmark::DoNotOptimize(target.row(15)[150]);
  }
  platform::DeleteSurfaceDC(dc);
}
BENCHMARK(BM_DrawStringLine)->Unit(benchmark::kMicrosecond);

void BM_DrawTextLine(benchmark::State& state) {
  platform::Bitmap target(300, 30);
  HDC dc = platform::CreateSurfaceDC(&target);
  LOGFONTW lf{};
  lf.lfHeight = -14;
  lf.lfWeight = FW_NORMAL;
  std::wcscpy(lf.lfFaceName, L"Arial");
  HFONT font = platform::CreateFontIndirectW(&lf);
  platform::SelectObject(dc, font);
  platform::SetBkMode(dc, TRANSPARENT);
  for (auto _ : state) {
    RECT r{0, 0, 300, 30};
    platform::DrawTextW(dc, L"Device:1  CPU 42\u00B0C  Version 1.0.0.21", -1, &r,
                        DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
    benchmark::DoNotOptimize(target.row(15)[150]);
  }
  platform::DeleteSurfaceDC(dc);
  platform::DeleteObject(font);
}
BENCHMARK(BM_DrawTextLine)->Unit(benchmark::kMicrosecond);

// The nine DrawImage calls of a nine-part frame with 30-pixel borders from a 120 × 90 skin.
void BM_NinePartFrameDrawImage500x350(benchmark::State& state) {
  Gdiplus::Bitmap skin(120, 90);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) skin.SetPixel(x, y, Gdiplus::Color(0xF0, static_cast<BYTE>(x * 2), static_cast<BYTE>(y * 2), 0x80));
  platform::Bitmap target(kWidth, kHeight, platform::Bitmap::RowOrder::BottomUp);
  HDC dc = platform::CreateSurfaceDC(&target);
  const int b = 30, L = 0, T = 0, R = kWidth, B = kHeight, sw = 120, sh = 90;
  using Gdiplus::Rect;
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
  for (auto _ : state) {
    Gdiplus::Graphics g(dc);
    for (const auto& p : pieces) g.DrawImage(&skin, p[0], p[1].X, p[1].Y, p[1].Width, p[1].Height, Gdiplus::UnitPixel);
    benchmark::DoNotOptimize(target.row(175)[250]);
  }
  platform::DeleteSurfaceDC(dc);
}
BENCHMARK(BM_NinePartFrameDrawImage500x350)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
