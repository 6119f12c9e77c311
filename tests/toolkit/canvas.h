// Drawing fixtures: a bitmap with a device context on it, blend arithmetic for expectations,
// and PNG fixtures written into a per-process folder of the skin folder.
#pragma once

#include <cairo.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/surface_dc.h"
#include "toolkit/core/manager.h"

namespace toolkit_test {

struct Canvas {
  Canvas(int width, int height) : bitmap(width, height), dc(platform::CreateSurfaceDC(&bitmap)) {}
  ~Canvas() { platform::DeleteSurfaceDC(dc); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  std::uint32_t At(int x, int y) const {
    bitmap.Flush();
    return bitmap.PixelAt(x, y);
  }
  void Fill(std::uint32_t premultiplied) {
    bitmap.Clear(premultiplied);
    bitmap.MarkDirty();
  }
  platform::Bitmap bitmap;
  HDC dc;
};

// x × factor / 255, rounded to nearest.
inline std::uint32_t Scale255(std::uint32_t x, std::uint32_t factor) { return (x * factor + 127) / 255; }

// AlphaBlend with a constant alpha and no per-pixel alpha: every channel, alpha included, is
// (source × opacity + destination × (255 − opacity)) / 255, rounded to nearest.
inline std::uint32_t ConstantBlend(std::uint32_t src, std::uint32_t dst, std::uint32_t opacity) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t s = (src >> shift) & 0xFF;
    const std::uint32_t d = (dst >> shift) & 0xFF;
    out |= ((s * opacity + d * (255 - opacity) + 127) / 255) << shift;
  }
  return out;
}

// Largest channel difference of two pixels.
inline int ChannelDistance(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    worst = std::max(worst, d < 0 ? -d : d);
  }
  return worst;
}

// Writes a PNG whose pixels are given column-major by `colourAt(x, y)` (straight ARGB, opaque).
template <typename ColourAt>
inline void WritePng(const std::filesystem::path& file, int width, int height, ColourAt colourAt) {
  platform::Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, colourAt(x, y));
  }
  bitmap.MarkDirty();
  std::filesystem::create_directories(file.parent_path());
  cairo_surface_write_to_png(bitmap.surface(), file.c_str());
}

// A folder of the skin folder for this test process; names given to the image cache are
// relative to the skin folder, so they start with Prefix().
struct SkinFixtures {
  explicit SkinFixtures(const std::string& name)
      : prefix("tk-" + std::to_string(getpid()) + "-" + name + "/"),
        folder(std::filesystem::path(ToUtf8(Zelvo::GetSkinFolder().str())) / prefix) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  ~SkinFixtures() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::wstring Name(const std::string& file) const { return FromUtf8(prefix + file); }
  std::filesystem::path Path(const std::string& file) const { return folder / file; }
  std::string prefix;
  std::filesystem::path folder;
};

}  // namespace toolkit_test
