#include "platform/gdi/image_decode.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string_view>

#include "platform/gdi/gdi_internal.h"

namespace platform {

namespace {

std::unique_ptr<Bitmap> FromPixbuf(GdkPixbuf* pixbuf) {
  const int w = gdk_pixbuf_get_width(pixbuf);
  const int h = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const guchar* data = gdk_pixbuf_read_pixels(pixbuf);
  auto bitmap = std::make_unique<Bitmap>(w, h);
  for (int y = 0; y < h; ++y) {
    const guchar* in = data + static_cast<long>(y) * stride;
    std::uint32_t* out = bitmap->row(y);
    for (int x = 0; x < w; ++x, in += channels)
      out[x] = PremultiplyRgba(in[0], in[1], in[2], alpha ? in[3] : 255);
  }
  bitmap->MarkDirty();
  return bitmap;
}

}  // namespace

std::uint32_t PremultiplyRgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return (static_cast<std::uint32_t>(a) << 24) | (Div255(r * a) << 16) | (Div255(g * a) << 8) | Div255(b * a);
}

int CountGifFrames(const std::uint8_t* data, std::size_t size) {
  if (size < 13 || (std::string_view(reinterpret_cast<const char*>(data), 6) != "GIF87a" &&
                    std::string_view(reinterpret_cast<const char*>(data), 6) != "GIF89a"))
    return 0;
  std::size_t pos = 13;
  if (data[10] & 0x80) pos += 3u * (1u << ((data[10] & 7) + 1));
  auto skipSubBlocks = [&]() -> bool {
    while (pos < size) {
      const std::uint8_t n = data[pos++];
      if (n == 0) return true;
      pos += n;
    }
    return false;
  };
  int frames = 0;
  while (pos < size) {
    const std::uint8_t kind = data[pos++];
    if (kind == 0x3B) break;  // trailer
    if (kind == 0x21) {  // extension: label, then sub-blocks
      if (++pos > size || !skipSubBlocks()) return frames;
    } else if (kind == 0x2C) {  // image descriptor
      if (pos + 9 > size) return frames;
      const std::uint8_t flags = data[pos + 8];
      pos += 9;
      if (flags & 0x80) pos += 3u * (1u << ((flags & 7) + 1));
      ++pos;  // LZW minimum code size
      if (pos > size || !skipSubBlocks()) return frames;
      ++frames;
    } else {
      return frames;
    }
  }
  return frames;
}

bool DecodeImage(const std::uint8_t* data, std::size_t size, std::vector<DecodedFrame>* frames, bool* animated) {
  frames->clear();
  *animated = false;
  if (!data || size == 0) return false;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  GError* error = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader, data, size, &error) != FALSE;
  if (error) g_clear_error(&error);
  ok = gdk_pixbuf_loader_close(loader, &error) != FALSE && ok;
  if (error) g_clear_error(&error);
  GdkPixbufAnimation* animation = ok ? gdk_pixbuf_loader_get_animation(loader) : nullptr;
  if (!animation) {
    g_object_unref(loader);
    return false;
  }
  const int gifFrames = CountGifFrames(data, size);
  if (!gdk_pixbuf_animation_is_static_image(animation) && gifFrames > 1) {
    // Walk the animation's timeline frame by frame from its start.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GTimeVal time{0, 0};
    GdkPixbufAnimationIter* iter = gdk_pixbuf_animation_get_iter(animation, &time);
    for (int i = 0; i < gifFrames; ++i) {
      DecodedFrame frame;
      frame.pixels = FromPixbuf(gdk_pixbuf_animation_iter_get_pixbuf(iter));
      const int delay = gdk_pixbuf_animation_iter_get_delay_time(iter);
      frame.delayMs = delay > 0 ? static_cast<unsigned>(delay) : 0;
      frames->push_back(std::move(frame));
      if (delay < 0) break;
      g_time_val_add(&time, static_cast<glong>(delay) * 1000);
      gdk_pixbuf_animation_iter_advance(iter, &time);
    }
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_object_unref(iter);
    *animated = frames->size() > 1;
  } else {
    GdkPixbuf* still = gdk_pixbuf_animation_get_static_image(animation);
    if (still) frames->push_back(DecodedFrame{FromPixbuf(still), 0});
  }
  g_object_unref(loader);
  return !frames->empty();
}

}  // namespace platform
