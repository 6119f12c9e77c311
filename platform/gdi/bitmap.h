// The one pixel buffer of the platform: 32-bit premultiplied BGRA (cairo's ARGB32). Windows
// present from it, device contexts draw into it, GDI+ images hold their frames in it, tests read
// it back.
//
// Row order: row(y) is always image row y counted from the top, and cairo draws in that order.
// Memory order is top-down (stride() > 0) except for bottom-up DIB sections (stride() < 0): their
// memory block starts with the image's bottom row, as the DIB's bits pointer promises, and cairo
// is handed the address of the top row with a negative stride. So never walk the buffer as one
// block from pixels(); use row(y), or memory() / memoryBytes() for the block in memory order.
#pragma once

#include <cstddef>
#include <cstdint>

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

class Bitmap {
 public:
  enum class RowOrder { TopDown, BottomUp };
  // A zero-filled (transparent black) bitmap; width and height below 1 are taken as 1.
  Bitmap(int width, int height, RowOrder order = RowOrder::TopDown);
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // Bytes from one image row to the next one down; negative for bottom-up memory.
  int stride() const { return stride_; }
  bool bottomUp() const { return order_ == RowOrder::BottomUp; }
  // The top image row.
  std::uint8_t* pixels() { return pixels_; }
  const std::uint8_t* pixels() const { return pixels_; }
  // The block in memory order (the DIB bits pointer) and its size.
  std::uint8_t* memory() { return memory_; }
  const std::uint8_t* memory() const { return memory_; }
  std::size_t memoryBytes() const { return static_cast<std::size_t>(rowBytes()) * static_cast<std::size_t>(height_); }
  int rowBytes() const { return stride_ < 0 ? -stride_ : stride_; }
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
  RowOrder order_;
  std::uint8_t* memory_;  // owned allocation (bottom-up) or cairo's data (top-down)
  std::uint8_t* pixels_;
  cairo_surface_t* surface_;
};

}  // namespace platform
