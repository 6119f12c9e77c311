// Pixel operations of GDI and msimg32: blits, alpha blending, gradients, solid fills, lines.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_internal.h"

namespace platform {

namespace {

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top) return RECT{0, 0, 0, 0};
  return r;
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Fills device rectangles (already clipped) with one pixel value.
void FillPixels(Bitmap* b, const std::vector<RECT>& rects, std::uint32_t pixel) {
  b->Flush();
  for (const RECT& r : rects)
    for (LONG y = r.top; y < r.bottom; ++y) std::fill(b->row(y) + r.left, b->row(y) + r.right, pixel);
  b->MarkDirty();
}

std::uint32_t RasterOp(std::uint32_t s, std::uint32_t d, DWORD rop) {
  switch (rop) {
    case SRCPAINT: return s | d;
    case SRCAND: return s & d;
    case SRCINVERT: return s ^ d;
    case NOTSRCCOPY: return ~s;
    default: return s;
  }
}

struct Mapping {
  DeviceContext* dst;
  DeviceContext* src;
  Bitmap* dstBits;
  Bitmap* srcBits;
  RECT dstRect;  // device coordinates
  int srcX, srcY, srcW, srcH;  // device coordinates of the source
};

bool MapBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, Mapping* m) {
  m->dst = LookupDC(dst);
  m->src = LookupDC(src);
  if (!m->dst || !m->src || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
  m->dstBits = m->dst->Surface();
  m->srcBits = m->src->Surface();
  if (!m->dstBits || !m->srcBits) return false;
  const POINT od = m->dst->state.viewportOrigin;
  const POINT os = m->src->state.viewportOrigin;
  m->dstRect = {x + od.x, y + od.y, x + od.x + w, y + od.y + h};
  m->srcX = sx + os.x;
  m->srcY = sy + os.y;
  m->srcW = sw;
  m->srcH = sh;
  return true;
}

// Walks the destination pixels that have a source pixel inside the source bitmap, a run of a
// row at a time: fn(out, in, count) with out and in pointing at the first pixel of the run. The
// source is sampled at the nearest pixel when the sizes differ (then runs are single pixels).
// The source is read from a copy when source and destination are the same bitmap.
template <typename Fn>
void ForEachRun(const Mapping& m, Fn fn) {
  const int dw = m.dstRect.right - m.dstRect.left;
  const int dh = m.dstRect.bottom - m.dstRect.top;
  m.srcBits->Flush();
  m.dstBits->Flush();
  std::vector<std::uint32_t> copy;
  const bool same = m.srcBits == m.dstBits;
  const int sw = m.srcBits->width();
  const int sh = m.srcBits->height();
  if (same) {
    copy.resize(static_cast<size_t>(sw) * static_cast<size_t>(sh));
    for (int y = 0; y < sh; ++y) std::memcpy(&copy[static_cast<size_t>(y) * sw], m.srcBits->row(y), sizeof(std::uint32_t) * sw);
  }
  auto srcRow = [&](int y) -> const std::uint32_t* {
    return same ? &copy[static_cast<size_t>(y) * sw] : m.srcBits->row(y);
  };
  const bool scaled = m.srcW != dw || m.srcH != dh;
  for (const RECT& r : ClipToDC(m.dst, m.dstRect)) {
    for (LONG y = r.top; y < r.bottom; ++y) {
      const long j = y - m.dstRect.top;
      const int sy = m.srcY + static_cast<int>(scaled ? j * m.srcH / dh : j);
      if (sy < 0 || sy >= sh) continue;
      const std::uint32_t* in = srcRow(sy);
      std::uint32_t* out = m.dstBits->row(y);
      if (!scaled) {
        // Source columns srcX + (x - left) must lie inside the source bitmap.
        const long shift = static_cast<long>(m.srcX) - m.dstRect.left;
        const long x0 = std::max<long>(r.left, -shift);
        const long x1 = std::min<long>(r.right, sw - shift);
        if (x1 > x0) fn(out + x0, in + x0 + shift, static_cast<int>(x1 - x0));
        continue;
      }
      for (LONG x = r.left; x < r.right; ++x) {
        const long i = x - m.dstRect.left;
        const int sx = m.srcX + static_cast<int>(i * m.srcW / dw);
        if (sx < 0 || sx >= sw) continue;
        fn(out + x, in + sx, 1);
      }
    }
  }
  m.dstBits->MarkDirty();
}

}  // namespace

std::vector<RECT> ClipToDC(DeviceContext* dc, const RECT& deviceRect) {
  std::vector<RECT> out;
  Bitmap* surface = dc ? dc->Surface() : nullptr;
  if (!surface) return out;
  const RECT bounds = Intersect(deviceRect, RECT{0, 0, surface->width(), surface->height()});
  if (IsEmpty(bounds)) return out;
  if (!dc->state.clip) {
    out.push_back(bounds);
    return out;
  }
  for (const RECT& r : dc->state.clip->Rects()) {
    const RECT part = Intersect(r, bounds);
    if (!IsEmpty(part)) out.push_back(part);
  }
  return out;
}

bool BrushColour(HBRUSH brush, COLORREF* colour) {
  const auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (value > 0 && value <= 31) {  // system colour index + 1
    switch (value - 1) {
      case 0: *colour = RGB(200, 200, 200); return true;  // scroll bar
      case 1: *colour = RGB(0, 0, 0); return true;  // desktop
      case 5: *colour = RGB(255, 255, 255); return true;  // window
      case 8: *colour = RGB(0, 0, 0); return true;  // window text
      case 15: *colour = RGB(240, 240, 240); return true;  // button face
      default: *colour = RGB(240, 240, 240); return true;
    }
  }
  BrushObject* b = LookupBrush(brush);
  if (!b || b->null) return false;
  *colour = b->colour;
  return true;
}

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY) {
    DeviceContext* d = LookupDC(dst);
    if (!d || !d->Surface()) return FALSE;
    const POINT o = d->state.viewportOrigin;
    std::uint32_t pixel = rop == WHITENESS ? 0x00FFFFFFu : 0u;
    if (rop == PATCOPY) {
      COLORREF c;
      if (!d->state.brush || d->state.brush->null) return TRUE;
      c = d->state.brush->colour;
      pixel = GdiPixel(c);
    }
    FillPixels(d->Surface(), ClipToDC(d, RECT{x + o.x, y + o.y, x + o.x + width, y + o.y + height}), pixel);
    return TRUE;
  }
  Mapping m;
  if (!MapBlt(dst, x, y, width, height, src, srcX, srcY, width, height, &m)) return FALSE;
  if (rop == SRCCOPY) {
    ForEachRun(m, [](std::uint32_t* out, const std::uint32_t* in, int n) { std::memcpy(out, in, sizeof(std::uint32_t) * n); });
  } else {
    ForEachRun(m, [rop](std::uint32_t* out, const std::uint32_t* in, int n) {
      for (int i = 0; i < n; ++i) out[i] = RasterOp(in[i], out[i], rop);
    });
  }
  return TRUE;
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth, int srcHeight,
                DWORD rop) {
  Mapping m;
  if (!MapBlt(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, &m)) return FALSE;
  ForEachRun(m, [rop](std::uint32_t* out, const std::uint32_t* in, int n) {
    for (int i = 0; i < n; ++i) out[i] = RasterOp(in[i], out[i], rop);
  });
  return TRUE;
}

BOOL AlphaBlend(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth, int srcHeight,
                BLENDFUNCTION blend) {
  if (blend.BlendOp != AC_SRC_OVER) return FALSE;
  Mapping m;
  if (!MapBlt(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, &m)) return FALSE;
  // The source must lie inside its bitmap, as the original demands.
  if (m.srcX < 0 || m.srcY < 0 || m.srcX + m.srcW > m.srcBits->width() || m.srcY + m.srcH > m.srcBits->height())
    return FALSE;
  const std::uint32_t sca = blend.SourceConstantAlpha;
  if (blend.AlphaFormat & AC_SRC_ALPHA) {
    ForEachRun(m, [sca](std::uint32_t* out, const std::uint32_t* in, int n) {
      for (int i = 0; i < n; ++i) {
        std::uint32_t s = in[i];
        if (sca != 255) {
          s = (Div255((s >> 24) * sca) << 24) | (Div255(((s >> 16) & 0xFF) * sca) << 16) |
              (Div255(((s >> 8) & 0xFF) * sca) << 8) | Div255((s & 0xFF) * sca);
        }
        const std::uint32_t inv = 255 - (s >> 24);
        if (inv == 0) {
          out[i] = s;
          continue;
        }
        if (inv == 255) continue;
        const std::uint32_t d = out[i];
        std::uint32_t result = 0;
        for (int c = 0; c < 32; c += 8)
          result |= std::min<std::uint32_t>(((s >> c) & 0xFF) + Div255(((d >> c) & 0xFF) * inv), 255) << c;
        out[i] = result;
      }
    });
  } else {
    const std::uint32_t inv = 255 - sca;
    ForEachRun(m, [sca, inv](std::uint32_t* out, const std::uint32_t* in, int n) {
      for (int i = 0; i < n; ++i) {
        const std::uint32_t s = in[i];
        const std::uint32_t d = out[i];
        std::uint32_t result = 0;
        for (int c = 0; c < 32; c += 8) result |= Div255(((s >> c) & 0xFF) * sca + ((d >> c) & 0xFF) * inv) << c;
        out[i] = result;
      }
    });
  }
  return TRUE;
}

BOOL GradientFill(HDC dc, TRIVERTEX* vertices, ULONG vertexCount, void* mesh, ULONG meshCount, ULONG mode) {
  DeviceContext* d = LookupDC(dc);
  if (!d || !d->Surface() || !vertices || !mesh) return FALSE;
  if (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V) return FALSE;
  Bitmap* b = d->Surface();
  const POINT o = d->state.viewportOrigin;
  const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
  b->Flush();
  for (ULONG k = 0; k < meshCount; ++k) {
    if (rects[k].UpperLeft >= vertexCount || rects[k].LowerRight >= vertexCount) return FALSE;
    const TRIVERTEX* v0 = &vertices[rects[k].UpperLeft];
    const TRIVERTEX* v1 = &vertices[rects[k].LowerRight];
    // The colour runs from the vertex with the smaller coordinate along the gradient's axis.
    const bool horizontal = mode == GRADIENT_FILL_RECT_H;
    if ((horizontal && v0->x > v1->x) || (!horizontal && v0->y > v1->y)) std::swap(v0, v1);
    const RECT area{std::min(v0->x, v1->x) + o.x, std::min(v0->y, v1->y) + o.y, std::max(v0->x, v1->x) + o.x,
                    std::max(v0->y, v1->y) + o.y};
    const long steps = horizontal ? area.right - area.left : area.bottom - area.top;
    if (steps <= 0) continue;
    const int c0[4] = {v0->Blue >> 8, v0->Green >> 8, v0->Red >> 8, v0->Alpha >> 8};
    const int c1[4] = {v1->Blue >> 8, v1->Green >> 8, v1->Red >> 8, v1->Alpha >> 8};
    auto colourAt = [&](long i) {
      std::uint32_t p = 0;
      for (int c = 0; c < 4; ++c) {
        const long v = steps == 1 ? c0[c] : c0[c] + (c1[c] - c0[c]) * i / (steps - 1);
        p |= static_cast<std::uint32_t>(v & 0xFF) << (8 * c);
      }
      return p;
    };
    for (const RECT& r : ClipToDC(d, area)) {
      for (LONG y = r.top; y < r.bottom; ++y) {
        std::uint32_t* row = b->row(y);
        if (horizontal) {
          for (LONG x = r.left; x < r.right; ++x) row[x] = colourAt(x - area.left);
        } else {
          std::fill(row + r.left, row + r.right, colourAt(y - area.top));
        }
      }
    }
  }
  b->MarkDirty();
  return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  DeviceContext* d = LookupDC(dc);
  COLORREF colour;
  if (!d || !rect || !d->Surface() || !BrushColour(brush, &colour)) return 0;
  const POINT o = d->state.viewportOrigin;
  FillPixels(d->Surface(), ClipToDC(d, RECT{rect->left + o.x, rect->top + o.y, rect->right + o.x, rect->bottom + o.y}),
             GdiPixel(colour));
  return 1;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush) {
  DeviceContext* d = LookupDC(dc);
  RegionObject* r = LookupRegion(region);
  COLORREF colour;
  if (!d || !r || !d->Surface() || !BrushColour(brush, &colour)) return FALSE;
  const POINT o = d->state.viewportOrigin;
  std::vector<RECT> parts;
  for (const RECT& rr : r->region.Rects()) {
    const auto clipped = ClipToDC(d, RECT{rr.left + o.x, rr.top + o.y, rr.right + o.x, rr.bottom + o.y});
    parts.insert(parts.end(), clipped.begin(), clipped.end());
  }
  FillPixels(d->Surface(), parts, GdiPixel(colour));
  return TRUE;
}

namespace {

// Outline in the pen colour, inside in the brush colour, both from a region shape.
BOOL PaintShape(DeviceContext* d, const Region& outer, const Region& inner) {
  Bitmap* b = d->Surface();
  if (!b) return FALSE;
  const POINT o = d->state.viewportOrigin;
  auto paint = [&](const Region& shape, std::uint32_t pixel) {
    std::vector<RECT> parts;
    for (const RECT& rr : shape.Rects()) {
      const auto clipped = ClipToDC(d, RECT{rr.left + o.x, rr.top + o.y, rr.right + o.x, rr.bottom + o.y});
      parts.insert(parts.end(), clipped.begin(), clipped.end());
    }
    FillPixels(b, parts, pixel);
  };
  const bool hasPen = d->state.pen && d->state.pen->style != PS_NULL;
  const bool hasBrush = d->state.brush && !d->state.brush->null;
  if (hasBrush) paint(hasPen ? inner : outer, GdiPixel(d->state.brush->colour));
  if (hasPen) paint(Region::Combine(outer, inner, Region::Op::Diff), GdiPixel(d->state.pen->colour));
  return TRUE;
}

}  // namespace

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  DeviceContext* d = LookupDC(dc);
  if (!d) return FALSE;
  const int w = d->state.pen ? d->state.pen->width : 1;
  return PaintShape(d, Region::FromRect(left, top, right, bottom),
                    Region::FromRect(left + w, top + w, right - w, bottom - w));
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  DeviceContext* d = LookupDC(dc);
  if (!d) return FALSE;
  const int w = d->state.pen ? d->state.pen->width : 1;
  return PaintShape(d, Region::RoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight),
                    Region::RoundRect(left + w, top + w, right - w, bottom - w, ellipseWidth - 2 * w,
                                      ellipseHeight - 2 * w));
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
  DeviceContext* d = LookupDC(dc);
  if (!d) return FALSE;
  if (previous) *previous = d->state.penPosition;
  d->state.penPosition = {x, y};
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  DeviceContext* d = LookupDC(dc);
  if (!d || !d->Surface()) return FALSE;
  const POINT from = d->state.penPosition;
  d->state.penPosition = {x, y};
  if (!d->state.pen || d->state.pen->style == PS_NULL) return TRUE;
  Bitmap* b = d->Surface();
  const POINT o = d->state.viewportOrigin;
  const std::uint32_t pixel = GdiPixel(d->state.pen->colour);
  // Bresenham, the end point excluded as in the original.
  int x0 = from.x, y0 = from.y;
  const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
  const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
  int err = dx + dy;
  b->Flush();
  while (x0 != x || y0 != y) {
    for (const RECT& r : ClipToDC(d, RECT{x0 + o.x, y0 + o.y, x0 + o.x + 1, y0 + o.y + 1})) b->row(r.top)[r.left] = pixel;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  b->MarkDirty();
  return TRUE;
}

}  // namespace platform
