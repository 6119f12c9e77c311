#include "platform/gdi/bitmap.h"

#include <cairo.h>

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>

namespace platform {

Bitmap::Bitmap(int width, int height, RowOrder order)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      stride_(cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width_)),
      order_(order),
      memory_(nullptr),
      pixels_(nullptr),
      surface_(nullptr) {
  if (order_ == RowOrder::TopDown) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
    assert(cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS && "bitmap allocation failed");
    pixels_ = cairo_image_surface_get_data(surface_);
    stride_ = cairo_image_surface_get_stride(surface_);
    memory_ = pixels_;
    return;
  }
  // Bottom-up: our own block, bottom row first; cairo sees the top row and a negative stride.
  const std::size_t bytes = static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_);
  memory_ = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
  assert(memory_ && "bitmap allocation failed");
  pixels_ = memory_ + static_cast<std::size_t>(height_ - 1) * static_cast<std::size_t>(stride_);
  stride_ = -stride_;
  surface_ = cairo_image_surface_create_for_data(pixels_, CAIRO_FORMAT_ARGB32, width_, height_, stride_);
  assert(cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS && "bottom-up bitmap surface failed");
}

Bitmap::~Bitmap() {
  cairo_surface_destroy(surface_);
  if (order_ == RowOrder::BottomUp) std::free(memory_);
}

std::uint32_t Bitmap::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  Flush();
  return row(y)[x];
}

void Bitmap::SetPixel(int x, int y, std::uint32_t premultipliedArgb) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Flush();
  row(y)[x] = premultipliedArgb;
  MarkDirty();
}

void Bitmap::Clear(std::uint32_t premultipliedArgb) {
  Flush();
  for (int y = 0; y < height_; ++y) std::fill_n(row(y), width_, premultipliedArgb);
  MarkDirty();
}

void Bitmap::MarkDirty() { cairo_surface_mark_dirty(surface_); }

void Bitmap::Flush() const { cairo_surface_flush(surface_); }

}  // namespace platform
