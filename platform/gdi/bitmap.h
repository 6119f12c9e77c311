// The one pixel buffer of the platform: 32-bit premultiplied BGRA (cairo's ARGB32), rows
// top-down in memory. Windows present from it, device contexts draw into it, tests read it back.
#pragma once

#include <cstdint>

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

class Bitmap {
 public:
  // A zero-filled (transparent black) bitmap; width and height below 1 are taken as 1.
  Bitmap(int width, int height);
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  int stride() const { return stride_; }
  std::uint8_t* pixels() { return pixels_; }
  const std::uint8_t* pixels() const { return pixels_; }
  std::uint32_t* row(int y) { return reinterpret_cast<std::uint32_t*>(pixels_ + static_cast<long>(y) * stride_); }
  const std::uint32_t* row(int y) const {
    return reinterpret_cast<const std::uint32_t*>(pixels_ + static_cast<long>(y) * stride_);
  }
  // Premultiplied 0xAARRGGBB of one pixel; 0 outside the bitmap.
  std::uint32_t PixelAt(int x, int y) const;
  void SetPixel(int x, int y, std::uint32_t premultipliedArgb);
  void Clear(std::uint32_t premultipliedArgb = 0);

  cairo_surface_t* surface() const { return surface_; }
  // Call after writing pixels directly and before cairo draws on the bitmap again.
  void MarkDirty();
  // Call before reading pixels directly after cairo has drawn.
  void Flush() const;

 private:
  int width_;
  int height_;
  int stride_;
  std::uint8_t* pixels_;
  cairo_surface_t* surface_;
};

}  // namespace platform
