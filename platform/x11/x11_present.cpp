#include "platform/x11/x11_present.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "platform/base/report.h"

namespace platform::x11 {

namespace {

int BitsPerPixelOfDepth(Display* display, int depth) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  return bits;
}

}  // namespace

bool PutPixels(X11Display& x, Window window, GC gc, const Bitmap& pixels, RECT area, bool opaque) {
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, pixels.width());
  area.bottom = std::min<LONG>(area.bottom, pixels.height());
  if (area.right <= area.left || area.bottom <= area.top) return false;
  if (BitsPerPixelOfDepth(x.display(), x.depth()) != 32) {
    ReportSystemFailure("x11: the window depth has no 32-bit pixel format");
    return false;
  }
  pixels.Flush();
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;

  // The image points at rows we own or borrow; Xlib must never free them.
  std::vector<std::uint32_t> opaqueCopy;
  char* data = nullptr;
  int stride = 0;
  int srcX = area.left, srcY = area.top;
  int imageWidth = pixels.width(), imageHeight = pixels.height();
  // Bottom-up memory (a DIB section) cannot be described to Xlib, so it is copied like the opaque case.
  if (opaque || pixels.stride() < 0) {
    const std::uint32_t alphaBits = opaque ? 0xFF000000u : 0u;
    opaqueCopy.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* row = pixels.row(area.top + y) + area.left;
      std::uint32_t* out = opaqueCopy.data() + static_cast<std::size_t>(y) * width;
      for (int i = 0; i < width; ++i) out[i] = row[i] | alphaBits;
    }
    data = reinterpret_cast<char*>(opaqueCopy.data());
    stride = width * 4;
    srcX = srcY = 0;
    imageWidth = width;
    imageHeight = height;
  } else {
    data = const_cast<char*>(reinterpret_cast<const char*>(pixels.pixels()));
    stride = pixels.stride();
  }
  XImage* image = XCreateImage(x.display(), x.visual(), static_cast<unsigned>(x.depth()), ZPixmap, 0, data,
                               static_cast<unsigned>(imageWidth), static_cast<unsigned>(imageHeight), 32, stride);
  if (image == nullptr) {
    ReportSystemFailure("x11: XCreateImage failed");
    return false;
  }
  // The rows are 32-bit words in the host's order; Xlib swaps for a server of the other order.
  const int hostOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  image->byte_order = hostOrder;
  image->bitmap_bit_order = hostOrder;
  XPutImage(x.display(), window, gc, image, srcX, srcY, area.left, area.top, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  image->data = nullptr;
  XDestroyImage(image);
  return true;
}

}  // namespace platform::x11
