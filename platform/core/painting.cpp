// Invalid areas, WM_PAINT, window device contexts and presenting pixels: ordinary windows from
// their backing bitmap, layered windows from UpdateLayeredWindow's source.
#include <algorithm>
#include <cstring>

#include "platform/core/window_api.h"
#include "platform/core/window_core.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/surface_dc.h"

namespace platform {

namespace {

std::unique_ptr<Bitmap> CopyOf(const Bitmap& source) {
  source.Flush();
  auto copy = std::make_unique<Bitmap>(source.width(), source.height());
  for (int y = 0; y < source.height(); ++y) {
    std::memcpy(copy->row(y), source.row(y), static_cast<size_t>(source.width()) * 4);
  }
  copy->MarkDirty();
  return copy;
}

// Draws the visible children of `w` (and theirs) over `target`, whose origin is w's client
// origin shifted by (dx, dy).
void CompositeChildrenLocked(const WindowRecord& w, Bitmap& target, int dx, int dy) {
  for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
    WindowRecord* c = FindWindowLocked(*it);
    if (!c || !(c->style & WS_VISIBLE)) continue;
    const int ox = dx + c->rect.left;
    const int oy = dy + c->rect.top;
    if (c->backing) {
      c->backing->Flush();
      for (int y = 0; y < c->backing->height(); ++y) {
        const int ty = oy + y;
        if (ty < 0 || ty >= target.height()) continue;
        const int x0 = std::max(0, -ox);
        const int x1 = std::min(c->backing->width(), target.width() - ox);
        if (x1 <= x0) continue;
        std::memcpy(target.row(ty) + ox + x0, c->backing->row(y) + x0, static_cast<size_t>(x1 - x0) * 4);
      }
    }
    CompositeChildrenLocked(*c, target, ox, oy);
  }
}

void ScaleAlpha(Bitmap& bitmap, BYTE alpha) {
  if (alpha == 255) return;
  for (int y = 0; y < bitmap.height(); ++y) {
    std::uint32_t* row = bitmap.row(y);
    for (int x = 0; x < bitmap.width(); ++x) {
      const std::uint32_t p = row[x];
      auto scale = [&](int shift) { return ((((p >> shift) & 0xFF) * alpha + 127) / 255) << shift; };
      row[x] = scale(24) | scale(16) | scale(8) | scale(0);
    }
  }
}

void UnionInto(WindowRecord& w, const RECT& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (!w.invalidSet) {
    w.invalid = r;
    w.invalidSet = true;
  } else {
    w.invalid.left = std::min(w.invalid.left, r.left);
    w.invalid.top = std::min(w.invalid.top, r.top);
    w.invalid.right = std::max(w.invalid.right, r.right);
    w.invalid.bottom = std::max(w.invalid.bottom, r.bottom);
  }
}

}  // namespace

void PresentWindowNow(HWND hwnd, const RECT* dirty) {
  WindowCore& core = Core();
  HWND top;
  std::unique_ptr<Bitmap> pixels;
  RECT area{};
  bool layered = false;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    top = TopLevelOfLocked(hwnd);
    WindowRecord* t = FindWindowLocked(top);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!t || !w || !t->nativeCreated || !IsVisibleLocked(hwnd)) return;
    if ((t->exStyle & WS_EX_LAYERED) && !t->layeredAttributes) return;  // shows only UpdateLayeredWindow
    EnsureBacking(*t);
    pixels = CopyOf(*t->backing);
    CompositeChildrenLocked(*t, *pixels, 0, 0);
    const RECT ws = ScreenRectOfLocked(*w);
    const RECT ts = ScreenRectOfLocked(*t);
    if (dirty) {
      area = RECT{dirty->left + ws.left - ts.left, dirty->top + ws.top - ts.top, dirty->right + ws.left - ts.left,
                  dirty->bottom + ws.top - ts.top};
    } else {
      area = RECT{ws.left - ts.left, ws.top - ts.top, ws.right - ts.left, ws.bottom - ts.top};
    }
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, pixels->width());
    area.bottom = std::min<LONG>(area.bottom, pixels->height());
    if ((t->exStyle & WS_EX_LAYERED) && t->layeredAttributes) {
      layered = true;
      if (t->layeredFlags & LWA_ALPHA) ScaleAlpha(*pixels, t->layeredAlpha);
    }
  }
  WithBackend([&](Backend& b) {
    if (layered) {
      b.PresentLayered(top, *pixels);
    } else if (area.right > area.left && area.bottom > area.top) {
      b.PresentWindow(top, *pixels, area);
    }
    return 0;
  });
}

}  // namespace platform

using namespace platform;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  if (!hwnd) {
    for (auto& entry : core.windows) {
      WindowRecord& w = *entry.second;
      UnionInto(w, RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top});
      w.eraseNeeded = w.eraseNeeded || erase;
      WakeQueueLocked(*w.queue);
    }
    return TRUE;
  }
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  RECT client{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  RECT r = client;
  if (rect) {
    r = RECT{std::max(rect->left, client.left), std::max(rect->top, client.top), std::min(rect->right, client.right),
             std::min(rect->bottom, client.bottom)};
  }
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  UnionInto(*w, r);
  if (erase) w->eraseNeeded = true;
  WakeQueueLocked(*w->queue);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return FALSE;
  if (!w->invalidSet) return TRUE;
  if (!rect) {
    w->invalidSet = false;
    w->eraseNeeded = false;
    return TRUE;
  }
  RECT& inv = w->invalid;
  const bool coversX = rect->left <= inv.left && rect->right >= inv.right;
  const bool coversY = rect->top <= inv.top && rect->bottom >= inv.bottom;
  if (coversX && coversY) {
    w->invalidSet = false;
    w->eraseNeeded = false;
  } else if (coversX) {
    // A band across the whole width: what is left is above or below it.
    if (rect->top <= inv.top && rect->bottom > inv.top) inv.top = rect->bottom;
    if (rect->bottom >= inv.bottom && rect->top < inv.bottom) inv.bottom = rect->top;
  } else if (coversY) {
    if (rect->left <= inv.left && rect->right > inv.left) inv.left = rect->right;
    if (rect->right >= inv.right && rect->left < inv.right) inv.right = rect->left;
  }
  if (w->invalidSet && (inv.right <= inv.left || inv.bottom <= inv.top)) w->invalidSet = false;
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  bool needsErase = false;
  BOOL result;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->invalidSet ? w->invalid : RECT{0, 0, 0, 0};
    result = w->invalidSet ? TRUE : FALSE;
    needsErase = erase && w->invalidSet && w->eraseNeeded;
    if (needsErase) w->eraseNeeded = false;
  }
  if (needsErase) {
    HDC dc = GetDC(hwnd);
    SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(hwnd, dc);
  }
  return result;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
  if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
  if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  std::vector<HWND> children;
  bool invalid;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    invalid = w->invalidSet && IsVisibleLocked(hwnd);
    children = w->children;
  }
  if (invalid) {
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    ValidateRect(hwnd, nullptr);
  }
  for (HWND child : children) UpdateWindow(child);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  WindowCore& core = Core();
  bool erase;
  Bitmap* target;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    EnsureBacking(*w);
    *ps = PAINTSTRUCT{};
    ps->rcPaint = w->invalidSet ? w->invalid : RECT{0, 0, 0, 0};
    erase = w->invalidSet && w->eraseNeeded;
    w->invalidSet = false;
    w->eraseNeeded = false;
    w->paintingNow = true;
    target = w->backing.get();
  }
  HDC dc = CreateSurfaceDC(target);
  ps->hdc = dc;
  ps->fErase = FALSE;
  if (erase) ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  if (ps->hdc) DeleteSurfaceDC(ps->hdc);
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    w->paintingNow = false;
  }
  if (ps->rcPaint.right > ps->rcPaint.left && ps->rcPaint.bottom > ps->rcPaint.top) {
    PresentWindowNow(hwnd, &ps->rcPaint);
  }
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  WindowCore& core = Core();
  if (!hwnd || hwnd == kDesktopWindow) {
    auto scratch = std::make_unique<Bitmap>(1, 1);
    HDC dc = CreateSurfaceDC(scratch.get());
    std::lock_guard<std::mutex> guard(core.lock);
    core.scratchDCs.insert_or_assign(dc, std::move(scratch));
    return dc;
  }
  Bitmap* target;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    EnsureBacking(*w);
    target = w->backing.get();
  }
  HDC dc = CreateSurfaceDC(target);
  std::lock_guard<std::mutex> guard(core.lock);
  core.windowDCs.insert_or_assign(dc, hwnd);
  return dc;
}

HDC GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int ReleaseDC(HWND hwnd, HDC dc) {
  WindowCore& core = Core();
  std::unique_ptr<Bitmap> scratch;
  bool windowDC = false;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    if (auto it = core.scratchDCs.find(dc); it != core.scratchDCs.end()) {
      scratch = std::move(it->second);
      core.scratchDCs.erase(it);
    } else if (auto wit = core.windowDCs.find(dc); wit != core.windowDCs.end()) {
      hwnd = wit->second;
      core.windowDCs.erase(wit);
      windowDC = true;
    } else {
      return 0;
    }
  }
  DeleteSurfaceDC(dc);
  if (windowDC) PresentWindowNow(hwnd, nullptr);
  return 1;
}

BOOL UpdateLayeredWindow(HWND hwnd, HDC, POINT* dstPoint, SIZE* size, HDC srcDC, POINT* srcPoint, COLORREF colorKey,
                         BLENDFUNCTION* blend, DWORD flags) {
  WindowCore& core = Core();
  RECT current;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (!(w->exStyle & WS_EX_LAYERED) || w->layeredAttributes || w->parent) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    current = ScreenRectOfLocked(*w);
  }
  Bitmap* source = srcDC ? GetDCSurface(srcDC) : nullptr;
  if (srcDC && !source) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const POINT pos = dstPoint ? *dstPoint : POINT{current.left, current.top};
  const SIZE sz = size ? *size : SIZE{current.right - current.left, current.bottom - current.top};
  if (sz.cx <= 0 || sz.cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const bool moved = pos.x != current.left || pos.y != current.top;
  const bool sized = sz.cx != current.right - current.left || sz.cy != current.bottom - current.top;
  if (moved || sized) {
    SetWindowPos(hwnd, nullptr, pos.x, pos.y, sz.cx, sz.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | (moved ? 0 : SWP_NOMOVE) | (sized ? 0 : SWP_NOSIZE));
  }
  if (!source) return TRUE;

  // The new image: the source rectangle, blended as asked.
  auto image = std::make_unique<Bitmap>(sz.cx, sz.cy);
  const POINT from = srcPoint ? *srcPoint : POINT{0, 0};
  const bool perPixel = (flags & ULW_ALPHA) && blend && (blend->AlphaFormat & AC_SRC_ALPHA);
  const BYTE constant = ((flags & ULW_ALPHA) && blend) ? blend->SourceConstantAlpha : 255;
  source->Flush();
  for (int y = 0; y < sz.cy; ++y) {
    const int sy = from.y + y;
    std::uint32_t* out = image->row(y);
    for (int x = 0; x < sz.cx; ++x) {
      const int sx = from.x + x;
      if (sy < 0 || sx < 0 || sy >= source->height() || sx >= source->width()) continue;
      std::uint32_t p = source->row(sy)[sx];
      if (flags & ULW_OPAQUE) {
        p |= 0xFF000000u;
      } else if ((flags & ULW_COLORKEY) &&
                 (p & 0x00FFFFFFu) == ((static_cast<std::uint32_t>(GetRValue(colorKey)) << 16) | (static_cast<std::uint32_t>(GetGValue(colorKey)) << 8) | GetBValue(colorKey))) {
        p = 0;
      } else if (!perPixel) {
        p |= 0xFF000000u;
      }
      out[x] = p;
    }
  }
  if (constant != 255 && !(flags & ULW_OPAQUE)) ScaleAlpha(*image, constant);
  image->MarkDirty();
  auto presented = CopyOf(*image);
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    w->layeredPixels = std::move(image);
  }
  WithBackend([&](Backend& b) {
    b.PresentLayered(hwnd, *presented);
    return 0;
  });
  return TRUE;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF colorKey, BYTE alpha, DWORD flags) {
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w || !(w->exStyle & WS_EX_LAYERED)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    w->layeredAttributes = true;
    w->layeredAlpha = alpha;
    w->layeredKey = colorKey;
    w->layeredFlags = flags;
    w->layeredPixels.reset();
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* colorKey, BYTE* alpha, DWORD* flags) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w || !(w->exStyle & WS_EX_LAYERED) || !w->layeredAttributes) return FALSE;
  if (colorKey) *colorKey = w->layeredKey;
  if (alpha) *alpha = w->layeredAlpha;
  if (flags) *flags = w->layeredFlags;
  return TRUE;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  HRGN old;
  bool native;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    old = w->region;
    w->region = region;
    native = w->nativeCreated;
  }
  // The window owns its region: the one it replaces is deleted.
  if (old && old != region) DeleteObject(old);
  if (native) {
    std::vector<RECT> rects;
    if (region) {
      if (platform::RegionObject* r = platform::LookupRegion(region)) rects = r->region.Rects();
      if (rects.empty()) rects.push_back(RECT{0, 0, 0, 0});  // an empty region hides everything
    }
    WithBackend([&](Backend& b) {
      b.SetNativeShape(hwnd, rects.data(), static_cast<int>(rects.size()));
      return 0;
    });
  }
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 1;
}

HRGN GetWindowRgnHandle(HWND hwnd) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  return w ? w->region : nullptr;
}
