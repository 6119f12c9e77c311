// Icons: a premultiplied picture and a hot spot, made from bitmaps or decoded from image bytes.
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/process_state.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/image_decode.h"

namespace platform {

namespace {

HICON IconFromBitmap(const Bitmap& source) {
  auto icon = std::make_unique<IconObject>(source.width(), source.height());
  source.Flush();
  for (int y = 0; y < source.height(); ++y)
    std::memcpy(icon->pixels.row(y), source.row(y), sizeof(std::uint32_t) * static_cast<size_t>(source.width()));
  icon->pixels.MarkDirty();
  return RegisterIcon(std::move(icon));
}

}  // namespace

HICON CreateIconIndirect(ICONINFO* info) {
  if (!info) return nullptr;
  BitmapObject* colour = LookupBitmap(info->hbmColor);
  BitmapObject* mask = LookupBitmap(info->hbmMask);
  if (!colour) return nullptr;
  const Bitmap& c = *colour->pixels;
  auto icon = std::make_unique<IconObject>(c.width(), c.height());
  c.Flush();
  for (int y = 0; y < c.height(); ++y) {
    std::uint32_t* out = icon->pixels.row(y);
    const std::uint32_t* in = c.row(y);
    for (int x = 0; x < c.width(); ++x) {
      // A set mask bit (white in the mask bitmap) means transparent.
      const bool masked = mask && (mask->pixels->PixelAt(x, y) & 0x00FFFFFF) != 0;
      out[x] = masked ? 0 : in[x];
    }
  }
  icon->pixels.MarkDirty();
  icon->isIcon = info->fIcon != FALSE;
  icon->hotX = info->xHotspot;
  icon->hotY = info->yHotspot;
  return RegisterIcon(std::move(icon));
}

BOOL DestroyIcon(HICON icon) {
  IconObject* o = LookupIcon(icon);
  if (!o) return FALSE;
  {
    GdiState& gdi = State().gdi;
    std::lock_guard<std::mutex> lock(gdi.handleLock);
    gdi.icons.erase(o);
  }
  delete o;
  return TRUE;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  IconObject* o = LookupIcon(icon);
  if (!o || !info) return FALSE;
  auto colour = std::make_unique<BitmapObject>(o->pixels.width(), o->pixels.height(), Bitmap::RowOrder::TopDown, false);
  auto mask = std::make_unique<BitmapObject>(o->pixels.width(), o->pixels.height(), Bitmap::RowOrder::TopDown, false);
  o->pixels.Flush();
  for (int y = 0; y < o->pixels.height(); ++y) {
    for (int x = 0; x < o->pixels.width(); ++x) {
      const std::uint32_t p = o->pixels.row(y)[x];
      colour->pixels->row(y)[x] = p;
      mask->pixels->row(y)[x] = (p >> 24) == 0 ? 0x00FFFFFFu : 0u;
    }
  }
  colour->pixels->MarkDirty();
  mask->pixels->MarkDirty();
  info->fIcon = o->isIcon ? TRUE : FALSE;
  info->xHotspot = o->hotX;
  info->yHotspot = o->hotY;
  info->hbmColor = static_cast<HBITMAP>(RegisterObject(std::move(colour)));
  info->hbmMask = static_cast<HBITMAP>(RegisterObject(std::move(mask)));
  return TRUE;
}

HICON CreateIconFromImageBytes(const void* data, std::size_t size) {
  std::vector<DecodedFrame> frames;
  bool animated = false;
  if (!DecodeImage(static_cast<const std::uint8_t*>(data), size, &frames, &animated)) return nullptr;
  return IconFromBitmap(*frames[0].pixels);
}

HICON ExtractAssociatedIconW(HINSTANCE instance, LPWSTR path, WORD* index) {
  if (index) *index = 0;
  if (!path) return nullptr;
  FILE* file = std::fopen(ToUtf8(path).c_str(), "rb");
  if (!file) return nullptr;
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  return CreateIconFromImageBytes(bytes.data(), bytes.size());
}

const Bitmap* GetIconBitmap(HICON icon) {
  IconObject* o = LookupIcon(icon);
  return o ? &o->pixels : nullptr;
}

}  // namespace platform
