// MRender's blends: the alpha ramps, the corner fade and the two-colour gradient, drawn through
// the blend and gradient entry points resolved once (with fallbacks when they are missing).
#include <algorithm>
#include <cmath>

#include "platform/gdi/surface_dc.h"
#include "toolkit/core/mrender.h"
#include "toolkit/core/mrender_entry_points.h"
#include "toolkit/core/toolkit_state.h"

namespace Zelvo {

namespace {

bool ResolveDrawEntryPoints() {
  ToolkitGlobals& state = ToolkitState();
  state.alphaBlend = &platform::AlphaBlend;
  state.gradientFill = &platform::GradientFill;
  return true;
}

// One pixel of a constant-alpha blend: every channel, alpha included, mixes source and
// destination by the opacity.
std::uint32_t BlendConstant(std::uint32_t src, std::uint32_t dst, BYTE opacity) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t s = (src >> shift) & 0xFF;
    const std::uint32_t d = (dst >> shift) & 0xFF;
    out |= ((s * opacity + d * (255u - opacity) + 127) / 255) << shift;
  }
  return out;
}

// The built-in replacement of a missing AlphaBlend: constant alpha only, same-size copies.
BOOL BuiltInAlphaBlend(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                       BYTE opacity) {
  platform::Bitmap* to = platform::GetDCSurface(dst);
  platform::Bitmap* from = platform::GetDCSurface(src);
  if (to == nullptr || from == nullptr) return FALSE;
  to->Flush();
  from->Flush();
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const int dx = x + column, dy = y + row, sx = srcX + column, sy = srcY + row;
      if (dx < 0 || dy < 0 || dx >= to->width() || dy >= to->height()) continue;
      if (sx < 0 || sy < 0 || sx >= from->width() || sy >= from->height()) continue;
      to->SetPixel(dx, dy, BlendConstant(from->PixelAt(sx, sy), to->PixelAt(dx, dy), opacity));
    }
  }
  to->MarkDirty();
  return TRUE;
}

BOOL BlendConstantAlpha(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, BYTE opacity) {
  const DrawEntryPointsRecord entries = DrawEntryPoints();
  if (entries.alphaBlend != nullptr) {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, 0};
    return entries.alphaBlend(dst, x, y, width, height, src, srcX, srcY, width, height, blend);
  }
  return BuiltInAlphaBlend(dst, x, y, width, height, src, srcX, srcY, opacity);
}

// Opacity of ramp step i of n, from transparencies in percent.
struct Ramp {
  int e;
  int f;
  double g;
  bool rising;
  BYTE At(int i) const {
    const double value = rising ? e - i * g : f + i * g;
    return static_cast<BYTE>(static_cast<int>(value) & 0xFF);
  }
};

Ramp MakeRamp(int from, int to, int steps) {
  const int lo = std::min(from, to);
  const int hi = std::max(from, to);
  Ramp ramp;
  ramp.e = static_cast<int>(255.0 - lo * 255.0 / 100.0);
  ramp.f = static_cast<int>((100.0 - hi) * 255.0 / 100.0);
  ramp.g = steps > 0 ? (ramp.e - ramp.f) / static_cast<double>(steps) : 0.0;
  ramp.rising = from < to;
  return ramp;
}

void FillBand(HDC dc, const RECT& band, COLORREF colour) {
  if (band.right <= band.left || band.bottom <= band.top) return;
  HBRUSH brush = platform::CreateSolidBrush(colour);
  platform::FillRect(dc, &band, brush);
  platform::DeleteObject(brush);
}

BYTE Channel(DWORD argb, int shift) { return static_cast<BYTE>((argb >> shift) & 0xFF); }

// Draws the gradient of the two ARGB colours over (0, 0, width, height) of `dc`, offset by x, y.
void DrawOpaqueGradient(HDC dc, int x, int y, int width, int height, DWORD from, DWORD to, bool vertical,
                        int steps) {
  const DrawEntryPointsRecord entries = DrawEntryPoints();
  if (entries.gradientFill != nullptr) {
    TRIVERTEX vertices[2];
    vertices[0] = {x, y, static_cast<COLOR16>(Channel(from, 16) << 8), static_cast<COLOR16>(Channel(from, 8) << 8),
                   static_cast<COLOR16>(Channel(from, 0) << 8), static_cast<COLOR16>(Channel(from, 24) << 8)};
    vertices[1] = {x + width, y + height, static_cast<COLOR16>(Channel(to, 16) << 8),
                   static_cast<COLOR16>(Channel(to, 8) << 8), static_cast<COLOR16>(Channel(to, 0) << 8),
                   static_cast<COLOR16>(Channel(to, 24) << 8)};
    GRADIENT_RECT mesh{0, 1};
    entries.gradientFill(dc, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    return;
  }
  int shift = 6;
  if (steps < 4) {
    shift = 1;
  } else if (steps < 8) {
    shift = 2;
  } else if (steps < 16) {
    shift = 3;
  } else if (steps < 32) {
    shift = 4;
  } else if (steps < 64) {
    shift = 5;
  }
  const int bands = 1 << shift;
  const int length = vertical ? height : width;
  for (int i = 0; i < bands; ++i) {
    auto mix = [&](int channelShift) {
      return (Channel(from, channelShift) * (bands - 1 - i) + Channel(to, channelShift) * i) / (bands - 1);
    };
    const COLORREF colour = RGB(mix(16), mix(8), mix(0));
    const int start = i * length / bands;
    const int end = (i + 1) * length / bands;
    RECT band = vertical ? RECT{x, y + start, x + width, y + end} : RECT{x + start, y, x + end, y + height};
    FillBand(dc, band, colour);
  }
}

}  // namespace

DrawEntryPointsRecord DrawEntryPoints() {
  static const bool resolved = ResolveDrawEntryPoints();
  (void)resolved;
  const ToolkitGlobals& state = ToolkitState();
  return {state.alphaBlend, state.gradientFill};
}

int MRender::DrawVerticalTransition(HDC& dst, HDC& src, const CRect& dstRect, const CRect& srcRect, int from,
                                    int to) {
  const int rows = dstRect.Height();
  if (rows <= 0) return 255;
  const Ramp ramp = MakeRamp(from, to, rows);
  BYTE opacity = 255;
  for (int i = 0; i < rows; ++i) {
    opacity = ramp.At(i);
    BlendConstantAlpha(dst, dstRect.left, dstRect.top + i, dstRect.Width(), 1, src, srcRect.left, srcRect.top + i,
                       opacity);
  }
  return opacity;
}

int MRender::DrawHorizontalTransition(HDC& dst, HDC& src, const CRect& dstRect, const CRect& srcRect, int from,
                                      int to) {
  const int columns = dstRect.Width();
  if (columns <= 0) return 255;
  const Ramp ramp = MakeRamp(from, to, columns);
  BYTE opacity = 255;
  for (int i = 0; i < columns; ++i) {
    opacity = ramp.At(i);
    BlendConstantAlpha(dst, dstRect.left + i, dstRect.top, 1, dstRect.Height(), src, srcRect.left + i, srcRect.top,
                       opacity);
  }
  return opacity;
}

void MRender::DrawRightBottomTransition(HDC& dst, HDC& src, CRect rect, int size, COLORREF) {
  if (size <= 0) return;
  const int width = rect.Width();
  const int height = rect.Height();
  const double step = 255.0 / size;
  for (int i = 0; i < size; ++i) {
    for (int j = 0; j < size; ++j) {
      const double distance = std::min(static_cast<double>(size), std::sqrt(static_cast<double>(i * i + j * j)));
      const BYTE opacity = static_cast<BYTE>(static_cast<int>(255.0 - step * distance) & 0xFF);
      const int x = rect.left + width - size + i;
      const int y = rect.top + height - size + j;
      BlendConstantAlpha(dst, x, y, 1, 1, src, x, y, opacity);
    }
  }
}

void MRender::DrawGradient(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps) {
  const BYTE alpha = static_cast<BYTE>(((from >> 24) + (to >> 24)) / 2);
  if (alpha == 0) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  if (alpha == 255) {
    DrawOpaqueGradient(dc, rect.left, rect.top, width, height, from, to, vertical, steps);
    return;
  }
  HDC scratch = platform::CreateCompatibleDC(dc);
  HBITMAP bitmap = platform::CreateCompatibleBitmap(dc, width, height);
  if (scratch == nullptr || bitmap == nullptr) {
    if (bitmap != nullptr) platform::DeleteObject(bitmap);
    if (scratch != nullptr) platform::DeleteDC(scratch);
    return;
  }
  HGDIOBJ previous = platform::SelectObject(scratch, bitmap);
  DrawOpaqueGradient(scratch, 0, 0, width, height, from, to, vertical, steps);
  BlendConstantAlpha(dc, rect.left, rect.top, width, height, scratch, 0, 0, alpha);
  platform::SelectObject(scratch, previous);
  platform::DeleteObject(bitmap);
  platform::DeleteDC(scratch);
}

}  // namespace Zelvo
