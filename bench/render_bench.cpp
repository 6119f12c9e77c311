// Drawing a 500 × 350 nine-part frame from a skin-sized image, as a window background does, and
// drawing a control whose cached look is valid (one blit).
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/surface_dc.h"
#include "toolkit/core/carea.h"
#include "toolkit/core/mrender.h"

namespace {

std::unique_ptr<Gdiplus::Bitmap> SkinImage() {
  auto image = std::make_unique<Gdiplus::Bitmap>(120, 90);
  for (int y = 0; y < 90; ++y) {
    for (int x = 0; x < 120; ++x) {
      image->SetPixel(x, y, Gdiplus::Color(0xF0, static_cast<BYTE>(x * 2), static_cast<BYTE>(y * 2), 0x80));
    }
  }
  return image;
}

void BM_NinePartFrame500x350(benchmark::State& state) {
  platform::Bitmap target(500, 350);
  HDC dc = platform::CreateSurfaceDC(&target);
  auto image = SkinImage();
  for (auto _ : state) {
    Gdiplus::Graphics graphics(dc);
    Zelvo::MRender::DrawImageFrame(graphics, image.get(), CRect(0, 0, 500, 350), 0, 0, 120, 90, 30);
    target.Flush();
    benchmark::DoNotOptimize(target.PixelAt(250, 175));
  }
  platform::DeleteSurfaceDC(dc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NinePartFrame500x350)->Unit(benchmark::kMicrosecond);

void BM_CachedAreaBlit300x200(benchmark::State& state) {
  platform::Bitmap target(500, 350);
  HDC dc = platform::CreateSurfaceDC(&target);
  Zelvo::MObject owner;
  Zelvo::CArea area(&owner, 1, CRect(100, 100, 400, 300), TRUE, TRUE);
  area.Draw(dc, CRect(0, 0, 500, 350));  // renders the cache once
  for (auto _ : state) {
    area.Draw(dc, CRect(0, 0, 500, 350));
    target.Flush();
    benchmark::DoNotOptimize(target.PixelAt(250, 175));
  }
  platform::DeleteSurfaceDC(dc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CachedAreaBlit300x200)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
