// GDI+ images and bitmaps: decoding, frames, thumbnails, pixel access, conversions to GDI.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/process_state.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/image_decode.h"

namespace Gdiplus {

namespace {

bool ReadFile(const WCHAR* fileName, std::vector<std::uint8_t>* bytes) {
  if (!fileName) return false;
  FILE* file = std::fopen(ToUtf8(fileName).c_str(), "rb");
  if (!file) return false;
  std::uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
  std::fclose(file);
  return true;
}

std::unique_ptr<platform::Bitmap> CopyOf(const platform::Bitmap& source) {
  auto copy = std::make_unique<platform::Bitmap>(source.width(), source.height());
  source.Flush();
  for (int y = 0; y < source.height(); ++y)
    std::memcpy(copy->row(y), source.row(y), sizeof(std::uint32_t) * static_cast<size_t>(source.width()));
  copy->MarkDirty();
  return copy;
}

std::uint32_t Unpremultiply(std::uint32_t p) {
  const std::uint32_t a = p >> 24;
  if (a == 0) return 0;
  if (a == 255) return p;
  std::uint32_t out = a << 24;
  for (int c = 0; c < 3; ++c) {
    const std::uint32_t v = (p >> (8 * c)) & 0xFF;
    out |= std::min<std::uint32_t>((v * 255 + a / 2) / a, 255) << (8 * c);
  }
  return out;
}

std::uint32_t Premultiply(std::uint32_t argb) {
  return platform::PremultiplyRgba(static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                   static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Image.

Image::Image(const WCHAR* fileName, BOOL) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(fileName, &bytes)) {
    lastStatus_ = FileNotFound;
    return;
  }
  Decode(bytes.data(), bytes.size());
}

Image::~Image() = default;

Image* Image::FromFile(const WCHAR* fileName, BOOL useEmbeddedColorManagement) {
  return Bitmap::FromFile(fileName, useEmbeddedColorManagement);
}

Image* Image::FromMemory(const void* data, std::size_t size) {
  auto* bitmap = new Bitmap();
  bitmap->Decode(static_cast<const std::uint8_t*>(data), size);
  return bitmap;
}

void Image::Decode(const std::uint8_t* data, std::size_t size) {
  std::vector<platform::DecodedFrame> decoded;
  bool animated = false;
  if (!platform::DecodeImage(data, size, &decoded, &animated)) {
    lastStatus_ = UnknownImageFormat;
    return;
  }
  std::vector<Frame> frames;
  for (auto& d : decoded) frames.push_back(Frame{std::move(d.pixels), d.delayMs});
  SetFrames(std::move(frames), animated);
}

void Image::SetFrames(std::vector<Frame> frames, bool animated) {
  frames_ = std::move(frames);
  animated_ = animated;
  activeFrame_ = 0;
  lastStatus_ = frames_.empty() ? UnknownImageFormat : Ok;
}

platform::Bitmap* Image::ActiveFrame() const {
  return activeFrame_ < frames_.size() ? frames_[activeFrame_].pixels.get() : nullptr;
}

UINT Image::GetWidth() {
  platform::Bitmap* b = ActiveFrame();
  return b ? static_cast<UINT>(b->width()) : 0;
}

UINT Image::GetHeight() {
  platform::Bitmap* b = ActiveFrame();
  return b ? static_cast<UINT>(b->height()) : 0;
}

Status Image::GetLastStatus() const { return lastStatus_; }

PixelFormat Image::GetPixelFormat() { return PixelFormat32bppARGB; }

Image* Image::Clone() {
  auto* copy = new Bitmap();
  std::vector<Frame> frames;
  for (const Frame& f : frames_) frames.push_back(Frame{CopyOf(*f.pixels), f.delayMs});
  copy->SetFrames(std::move(frames), animated_);
  copy->activeFrame_ = activeFrame_;
  if (frames_.empty()) copy->lastStatus_ = lastStatus_;
  return copy;
}

Image* Image::GetThumbnailImage(UINT thumbWidth, UINT thumbHeight, void*, void*) {
  platform::Bitmap* source = ActiveFrame();
  if (!source) {
    auto* empty = new Bitmap();
    empty->lastStatus_ = InvalidParameter;
    return empty;
  }
  const int w = thumbWidth == 0 && thumbHeight == 0 ? source->width() : static_cast<int>(thumbWidth);
  const int h = thumbWidth == 0 && thumbHeight == 0 ? source->height() : static_cast<int>(thumbHeight);
  auto* thumb = new Bitmap(w > 0 ? w : 1, h > 0 ? h : 1);
  Graphics g(thumb);
  g.SetInterpolationMode(InterpolationModeHighQualityBilinear);
  g.DrawImage(this, RectF(0, 0, static_cast<REAL>(w), static_cast<REAL>(h)), 0, 0, static_cast<REAL>(source->width()),
              static_cast<REAL>(source->height()), UnitPixel);
  return thumb;
}

UINT Image::GetFrameDimensionsCount() { return frames_.empty() ? 0 : 1; }

Status Image::GetFrameDimensionsList(GUID* dimensionIds, UINT count) {
  if (!dimensionIds || count < GetFrameDimensionsCount() || frames_.empty()) return SetStatus(InvalidParameter);
  dimensionIds[0] = animated_ ? FrameDimensionTime : FrameDimensionPage;
  return Ok;
}

UINT Image::GetFrameCount(const GUID* dimensionId) {
  if (!dimensionId || frames_.empty()) return 0;
  const GUID mine = animated_ ? FrameDimensionTime : FrameDimensionPage;
  return *dimensionId == mine ? static_cast<UINT>(frames_.size()) : 0;
}

Status Image::SelectActiveFrame(const GUID* dimensionId, UINT frameIndex) {
  if (GetFrameCount(dimensionId) == 0 || frameIndex >= frames_.size()) return SetStatus(InvalidParameter);
  activeFrame_ = frameIndex;
  return Ok;
}

UINT Image::GetFrameDelay(UINT frameIndex) const {
  return frameIndex < frames_.size() ? frames_[frameIndex].delayMs : 0;
}

// ---------------------------------------------------------------------------------------------
// Bitmap.

struct Bitmap::Lock {
  Rect rect;
  UINT flags;
  PixelFormat format;
  std::vector<std::uint32_t> buffer;  // straight-alpha copy; empty when locked in place
};

Bitmap::Bitmap(INT width, INT height, PixelFormat) {
  std::vector<Frame> frames;
  frames.push_back(Frame{std::make_unique<platform::Bitmap>(width, height), 0});
  SetFrames(std::move(frames), false);
  if (width <= 0 || height <= 0) lastStatus_ = InvalidParameter;
}

Bitmap::Bitmap(const WCHAR* fileName, BOOL) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(fileName, &bytes)) {
    lastStatus_ = FileNotFound;
    return;
  }
  Decode(bytes.data(), bytes.size());
}

Bitmap::Bitmap(HBITMAP bitmap, HPALETTE) {
  platform::Bitmap* source = platform::GetBitmapPixels(bitmap);
  if (!source) {
    lastStatus_ = InvalidParameter;
    return;
  }
  auto copy = CopyOf(*source);
  for (int y = 0; y < copy->height(); ++y) {
    std::uint32_t* row = copy->row(y);
    for (int x = 0; x < copy->width(); ++x) row[x] |= 0xFF000000u;
  }
  copy->MarkDirty();
  std::vector<Frame> frames;
  frames.push_back(Frame{std::move(copy), 0});
  SetFrames(std::move(frames), false);
}

Bitmap::~Bitmap() = default;

Bitmap* Bitmap::FromFile(const WCHAR* fileName, BOOL useEmbeddedColorManagement) {
  return new Bitmap(fileName, useEmbeddedColorManagement);
}

Bitmap* Bitmap::FromHBITMAP(HBITMAP bitmap, HPALETTE palette) { return new Bitmap(bitmap, palette); }

Status Bitmap::GetPixel(INT x, INT y, Color* colour) {
  platform::Bitmap* b = ActiveFrame();
  if (!b || !colour || x < 0 || y < 0 || x >= b->width() || y >= b->height()) return SetStatus(InvalidParameter);
  colour->SetValue(Unpremultiply(b->PixelAt(x, y)));
  return Ok;
}

Status Bitmap::SetPixel(INT x, INT y, const Color& colour) {
  platform::Bitmap* b = ActiveFrame();
  if (!b || x < 0 || y < 0 || x >= b->width() || y >= b->height()) return SetStatus(InvalidParameter);
  b->SetPixel(x, y, Premultiply(colour.GetValue()));
  return Ok;
}

Status Bitmap::LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data) {
  platform::Bitmap* b = ActiveFrame();
  if (!b || !data || lock_) return SetStatus(b && lock_ ? WrongState : InvalidParameter);
  Rect r = rect ? *rect : Rect(0, 0, b->width(), b->height());
  if (r.X < 0 || r.Y < 0 || r.Width <= 0 || r.Height <= 0 || r.X + r.Width > b->width() || r.Y + r.Height > b->height())
    return SetStatus(InvalidParameter);
  if (format != PixelFormat32bppARGB && format != PixelFormat32bppPARGB && format != PixelFormat32bppRGB)
    return SetStatus(InvalidParameter);
  lock_ = std::make_unique<Lock>();
  lock_->rect = r;
  lock_->flags = flags;
  lock_->format = format;
  b->Flush();
  data->Width = static_cast<UINT>(r.Width);
  data->Height = static_cast<UINT>(r.Height);
  data->PixelFormat = format;
  data->Reserved = 0;
  if (format == PixelFormat32bppPARGB) {
    data->Stride = b->stride();
    data->Scan0 = b->row(r.Y) + r.X;
    return Ok;
  }
  lock_->buffer.resize(static_cast<size_t>(r.Width) * static_cast<size_t>(r.Height));
  for (int y = 0; y < r.Height; ++y) {
    const std::uint32_t* in = b->row(r.Y + y) + r.X;
    std::uint32_t* out = &lock_->buffer[static_cast<size_t>(y) * static_cast<size_t>(r.Width)];
    for (int x = 0; x < r.Width; ++x)
      out[x] = format == PixelFormat32bppRGB ? (in[x] | 0xFF000000u) : Unpremultiply(in[x]);
  }
  data->Stride = r.Width * 4;
  data->Scan0 = lock_->buffer.data();
  return Ok;
}

Status Bitmap::UnlockBits(BitmapData* data) {
  platform::Bitmap* b = ActiveFrame();
  if (!b || !lock_ || !data) return SetStatus(WrongState);
  const Lock& l = *lock_;
  if ((l.flags & ImageLockModeWrite) && !l.buffer.empty()) {
    for (int y = 0; y < l.rect.Height; ++y) {
      const std::uint32_t* in = &l.buffer[static_cast<size_t>(y) * static_cast<size_t>(l.rect.Width)];
      std::uint32_t* out = b->row(l.rect.Y + y) + l.rect.X;
      for (int x = 0; x < l.rect.Width; ++x)
        out[x] = l.format == PixelFormat32bppRGB ? (in[x] | 0xFF000000u) : Premultiply(in[x]);
    }
  }
  b->MarkDirty();
  lock_.reset();
  return Ok;
}

Status Bitmap::GetHBITMAP(const Color& background, HBITMAP* bitmap) {
  platform::Bitmap* b = ActiveFrame();
  if (!b || !bitmap) return SetStatus(InvalidParameter);
  auto object = std::make_unique<platform::BitmapObject>(b->width(), b->height(), platform::Bitmap::RowOrder::TopDown, true);
  const std::uint32_t bg = Premultiply(background.GetValue());
  b->Flush();
  for (int y = 0; y < b->height(); ++y) {
    const std::uint32_t* in = b->row(y);
    std::uint32_t* out = object->pixels->row(y);
    for (int x = 0; x < b->width(); ++x) {
      const std::uint32_t s = in[x];
      const std::uint32_t inv = 255 - (s >> 24);
      std::uint32_t p = 0;
      for (int c = 0; c < 4; ++c)
        p |= std::min<std::uint32_t>(((s >> (8 * c)) & 0xFF) + platform::Div255(((bg >> (8 * c)) & 0xFF) * inv), 255)
             << (8 * c);
      out[x] = p;
    }
  }
  object->pixels->MarkDirty();
  *bitmap = static_cast<HBITMAP>(platform::RegisterObject(std::move(object)));
  return Ok;
}

Status Bitmap::GetHICON(HICON* icon) {
  platform::Bitmap* b = ActiveFrame();
  if (!b || !icon) return SetStatus(InvalidParameter);
  auto object = std::make_unique<platform::IconObject>(b->width(), b->height());
  b->Flush();
  for (int y = 0; y < b->height(); ++y)
    std::memcpy(object->pixels.row(y), b->row(y), sizeof(std::uint32_t) * static_cast<size_t>(b->width()));
  object->pixels.MarkDirty();
  *icon = platform::RegisterIcon(std::move(object));
  return Ok;
}

}  // namespace Gdiplus
