// Showing, hiding, moving, sizing and stacking windows, with the messages each produces, and the
// coordinate queries.
#include <algorithm>
#include <cstring>

#include "platform/core/window_api.h"
#include "platform/gdi/gdi.h"
#include "platform/core/window_core.h"

namespace platform {

void EnsureBacking(WindowRecord& w) {
  const int width = std::max<int>(1, w.rect.right - w.rect.left);
  const int height = std::max<int>(1, w.rect.bottom - w.rect.top);
  if (w.backing && w.backing->width() == width && w.backing->height() == height) return;
  auto fresh = std::make_unique<Bitmap>(width, height);
  if (w.backing) {
    w.backing->Flush();
    const int rows = std::min(height, w.backing->height());
    const int bytes = std::min(width, w.backing->width()) * 4;
    for (int y = 0; y < rows; ++y) std::memcpy(fresh->row(y), w.backing->row(y), static_cast<size_t>(bytes));
    fresh->MarkDirty();
  }
  w.backing = std::move(fresh);
}

namespace {

bool ContainsLayeredPixel(const WindowRecord& w, POINT screenPoint, const RECT& screenRect) {
  if (!(w.exStyle & WS_EX_LAYERED) || w.layeredAttributes || !w.layeredPixels) return true;
  const int x = screenPoint.x - screenRect.left;
  const int y = screenPoint.y - screenRect.top;
  return (w.layeredPixels->PixelAt(x, y) >> 24) != 0;
}

HWND DeepestChildLocked(HWND hwnd, POINT screenPoint) {
  WindowRecord* w = FindWindowLocked(hwnd);
  for (HWND child : w->children) {
    WindowRecord* c = FindWindowLocked(child);
    if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_DISABLED)) continue;
    RECT r = ScreenRectOfLocked(*c);
    if (screenPoint.x >= r.left && screenPoint.x < r.right && screenPoint.y >= r.top && screenPoint.y < r.bottom) {
      return DeepestChildLocked(child, screenPoint);
    }
  }
  return hwnd;
}

}  // namespace

HWND WindowFromPointLocked(POINT pt, bool forInput) {
  WindowCore& core = Core();
  for (HWND hwnd : core.topLevels) {
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE) || w->destroying) continue;
    if (forInput && (w->exStyle & WS_EX_LAYERED) && (w->exStyle & WS_EX_TRANSPARENT)) continue;
    RECT r = ScreenRectOfLocked(*w);
    if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom) continue;
    if (!ContainsLayeredPixel(*w, pt, r)) continue;
    if (w->region && !PtInRegion(w->region, pt.x - r.left, pt.y - r.top)) continue;
    return DeepestChildLocked(hwnd, pt);
  }
  return nullptr;
}

HWND DeepestChildAtLocked(HWND topLevel, POINT pt) {
  if (!FindWindowLocked(topLevel)) return nullptr;
  return DeepestChildLocked(topLevel, pt);
}

namespace {

void RestackLocked(WindowRecord& w, HWND insertAfter) {
  WindowCore& core = Core();
  std::vector<HWND>* list = &core.topLevels;
  if (w.parent) list = &FindWindowLocked(w.parent)->children;
  if (!w.parent) {
    if (insertAfter == HWND_TOPMOST) w.exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) w.exStyle &= ~WS_EX_TOPMOST;
  }
  list->erase(std::remove(list->begin(), list->end(), w.handle), list->end());
  auto bandStart = [&](bool topmost) {
    auto it = list->begin();
    if (w.parent || topmost) return it;
    while (it != list->end()) {
      WindowRecord* o = FindWindowLocked(*it);
      if (!o || !(o->exStyle & WS_EX_TOPMOST)) break;
      ++it;
    }
    return it;
  };
  const bool topmost = !w.parent && (w.exStyle & WS_EX_TOPMOST);
  if (insertAfter == HWND_BOTTOM) {
    list->push_back(w.handle);
  } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST ||
             !FindWindowLocked(insertAfter)) {
    list->insert(bandStart(topmost), w.handle);
  } else {
    auto it = std::find(list->begin(), list->end(), insertAfter);
    if (it == list->end()) {
      list->insert(bandStart(topmost), w.handle);
    } else {
      list->insert(it + 1, w.handle);
    }
  }
}

void InvalidateWholeLocked(WindowRecord& w) {
  w.invalid = RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  w.invalidSet = w.invalid.right > 0 && w.invalid.bottom > 0;
  w.eraseNeeded = true;
  WakeQueueLocked(*w.queue);
}

}  // namespace

// The state change of SetWindowPos; `fromDesktop` when the display already made it, so the
// backend is not told again.
BOOL SetWindowPosInternal(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags, bool fromDesktop) {
  WindowCore& core = Core();
  WINDOWPOS wp{hwnd, insertAfter, x, y, cx, cy, flags};
  bool child;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    child = w->parent != nullptr;
    if (flags & SWP_NOMOVE) {
      wp.x = w->rect.left;
      wp.y = w->rect.top;
    }
    if (flags & SWP_NOSIZE) {
      wp.cx = w->rect.right - w->rect.left;
      wp.cy = w->rect.bottom - w->rect.top;
    }
    if ((flags & SWP_SHOWWINDOW) && (w->style & WS_VISIBLE)) wp.flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && !(w->style & WS_VISIBLE)) wp.flags &= ~SWP_HIDEWINDOW;
  }
  wp.cx = std::max(wp.cx, 0);
  wp.cy = std::max(wp.cy, 0);
  if (!(wp.flags & SWP_NOSENDCHANGING)) SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));

  bool moved = false, sized = false, showing = false, hiding = false, restacked = false;
  RECT screenRect{};
  NativeWindowHints hints;
  bool native = false;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    RECT next = w->rect;
    if (!(wp.flags & SWP_NOMOVE)) {
      next.right = wp.x + (next.right - next.left);
      next.bottom = wp.y + (next.bottom - next.top);
      next.left = wp.x;
      next.top = wp.y;
    }
    if (!(wp.flags & SWP_NOSIZE)) {
      next.right = next.left + std::max(wp.cx, 0);
      next.bottom = next.top + std::max(wp.cy, 0);
    }
    moved = next.left != w->rect.left || next.top != w->rect.top;
    sized = (next.right - next.left) != (w->rect.right - w->rect.left) ||
            (next.bottom - next.top) != (w->rect.bottom - w->rect.top);
    w->rect = next;
    if (sized && w->backing) EnsureBacking(*w);
    if ((wp.flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE)) {
      w->style |= WS_VISIBLE;
      showing = true;
    }
    if ((wp.flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE)) {
      w->style &= ~WS_VISIBLE;
      hiding = true;
    }
    if (!(wp.flags & SWP_NOZORDER)) {
      const DWORD before = w->exStyle;
      RestackLocked(*w, wp.hwndInsertAfter);
      restacked = true;
      if (before != w->exStyle) hints = HintsOfLocked(*w);
    }
    if (!(wp.flags & SWP_NOREDRAW) && (showing || (sized && (w->cls->style & (CS_HREDRAW | CS_VREDRAW))) ||
                                      (sized && !w->backing))) {
      InvalidateWholeLocked(*w);
    } else if (sized && !(wp.flags & SWP_NOREDRAW)) {
      InvalidateWholeLocked(*w);
    }
    if (!moved) wp.flags |= SWP_NOCLIENTMOVE;
    if (!sized) wp.flags |= SWP_NOCLIENTSIZE;
    screenRect = ScreenRectOfLocked(*w);
    native = w->nativeCreated;
    if (native && restacked) hints = HintsOfLocked(*w);
  }
  if (native && !fromDesktop) {
    WithBackend([&](Backend& b) {
      if (restacked) b.SetNativeHints(hwnd, hints);
      if (moved || sized) b.MoveNativeWindow(hwnd, screenRect);
      if (showing) b.ShowNativeWindow(hwnd, true, !(wp.flags & SWP_NOACTIVATE));
      if (hiding) b.ShowNativeWindow(hwnd, false, false);
      if (restacked && !showing && !hiding && !(wp.flags & SWP_NOACTIVATE)) b.RaiseNativeWindow(hwnd, false);
      return 0;
    });
  }
  if (!child && !hiding && !(wp.flags & SWP_NOACTIVATE) && IsWindowVisible(hwnd) && !IsIconic(hwnd)) {
    DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    if (!(ex & WS_EX_NOACTIVATE)) ActivateWindow(hwnd, false);
  }
  if (showing && !native) PresentWindowNow(hwnd, nullptr);
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  if (hiding) {
    if (!child && GetActiveWindow() == hwnd) ActivateOtherWindow(hwnd);
    if (child) PresentWindowNow(GetAncestor(hwnd, GA_ROOT), nullptr);
  }
  return TRUE;
}

namespace {

BOOL SetMinimized(HWND hwnd, bool minimize, bool activate, bool fromDesktop) {
  WindowCore& core = Core();
  bool wasVisible;
  bool native;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    wasVisible = (w->style & WS_VISIBLE) != 0;
    if (minimize == ((w->style & WS_MINIMIZE) != 0)) return wasVisible;
    if (minimize) {
      w->style |= WS_MINIMIZE;
    } else {
      w->style &= ~WS_MINIMIZE;
    }
    native = w->nativeCreated;
  }
  if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
  if (native && !fromDesktop) {
    WithBackend([&](Backend& b) {
      b.SetNativeMinimized(hwnd, minimize);
      return 0;
    });
  }
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_STATECHANGED | SWP_SHOWWINDOW;
  if (minimize || !activate) flags |= SWP_NOACTIVATE;
  SetWindowPosInternal(hwnd, nullptr, 0, 0, 0, 0, flags, fromDesktop);
  if (minimize && GetActiveWindow() == hwnd) ActivateOtherWindow(hwnd);
  return wasVisible;
}

}  // namespace

void SetMinimizedFromDesktop(HWND hwnd, bool minimized) { SetMinimized(hwnd, minimized, false, true); }

}  // namespace platform

using namespace platform;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return SetWindowPosInternal(hwnd, insertAfter, x, y, cx, cy, flags & ~(SWP_NOCLIENTMOVE | SWP_NOCLIENTSIZE), false);
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  WindowCore& core = Core();
  bool wasVisible, child, minimized, maximized;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    wasVisible = (w->style & WS_VISIBLE) != 0;
    child = w->parent != nullptr;
    minimized = (w->style & WS_MINIMIZE) != 0;
    maximized = (w->style & WS_MAXIMIZE) != 0;
  }
  UINT swp = 0;
  const UINT childFlags = child ? (SWP_NOACTIVATE | SWP_NOZORDER) : 0;
  switch (cmdShow) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      swp = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      return SetMinimized(hwnd, true, false, false);
    case SW_MAXIMIZE: {
      if (maximized && wasVisible) return TRUE;
      RECT work{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      {
        std::lock_guard<std::mutex> guard(core.lock);
        WindowRecord* w = FindWindowLocked(hwnd);
        if (!maximized) w->restoreRect = w->rect;
        w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
      }
      if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
      SetWindowPosInternal(hwnd, HWND_TOP, work.left, work.top, work.right - work.left, work.bottom - work.top,
                           SWP_SHOWWINDOW | SWP_STATECHANGED | childFlags, false);
      return wasVisible;
    }
    case SW_SHOWNA:
      swp = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | (child ? SWP_NOZORDER : 0);
      break;
    case SW_SHOW:
      if (wasVisible) return TRUE;
      swp = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | childFlags;
      break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_RESTORE:
    default: {
      const UINT extra = cmdShow == SW_SHOWNOACTIVATE ? (SWP_NOACTIVATE | SWP_NOZORDER) : 0;
      if (minimized) return SetMinimized(hwnd, false, !(extra & SWP_NOACTIVATE), false);
      if (maximized && cmdShow != SW_SHOWNOACTIVATE) {
        RECT r;
        {
          std::lock_guard<std::mutex> guard(core.lock);
          WindowRecord* w = FindWindowLocked(hwnd);
          w->style &= ~WS_MAXIMIZE;
          r = w->restoreRect;
        }
        if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
        SetWindowPosInternal(hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_SHOWWINDOW | SWP_STATECHANGED | childFlags | extra, false);
        return wasVisible;
      }
      if (wasVisible) return TRUE;
      swp = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | childFlags | extra;
      break;
    }
  }
  const bool show = cmdShow != SW_HIDE;
  if (show != wasVisible || cmdShow == SW_SHOWNA) SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (!IsWindow(hwnd)) return wasVisible;
  SetWindowPosInternal(hwnd, HWND_TOP, 0, 0, 0, 0, swp, false);
  if (cmdShow == SW_HIDE && child) {
    HWND focus = GetFocus();
    if (focus == hwnd || IsChild(hwnd, focus)) SetFocus(GetParent(hwnd));
  }
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
  if (hwnd == kDesktopWindow) return TRUE;
  std::lock_guard<std::mutex> guard(Core().lock);
  return IsVisibleLocked(hwnd) ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  return (w && (w->style & WS_MINIMIZE)) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  return (w && (w->style & WS_MAXIMIZE)) ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  if (!rect) return FALSE;
  if (hwnd == kDesktopWindow) {
    RefreshScreenFromBackend();
    std::lock_guard<std::mutex> guard(Core().lock);
    *rect = Core().screen;
    return TRUE;
  }
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = ScreenRectOfLocked(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  if (!rect) return FALSE;
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return FALSE;
  *rect = RECT{0, 0, r.right - r.left, r.bottom - r.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  RECT r;
  if (!point || !GetWindowRect(hwnd, &r)) return FALSE;
  point->x += r.left;
  point->y += r.top;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  RECT r;
  if (!point || !GetWindowRect(hwnd, &r)) return FALSE;
  point->x -= r.left;
  point->y -= r.top;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT origin{0, 0};
  RECT r;
  int dx = 0, dy = 0;
  if (from && from != kDesktopWindow) {
    if (!GetWindowRect(from, &r)) return 0;
    dx += r.left;
    dy += r.top;
  }
  if (to && to != kDesktopWindow) {
    if (!GetWindowRect(to, &r)) return 0;
    dx -= r.left;
    dy -= r.top;
  }
  (void)origin;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>(MAKELPARAM(dx, dy));
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
  if (!placement) return FALSE;
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return FALSE;
  placement->flags = 0;
  placement->showCmd = (w->style & WS_MINIMIZE)   ? SW_SHOWMINIMIZED
                       : (w->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                       : (w->style & WS_VISIBLE)  ? SW_SHOWNORMAL
                                                  : SW_HIDE;
  placement->ptMinPosition = POINT{-1, -1};
  placement->ptMaxPosition = POINT{-1, -1};
  placement->rcNormalPosition = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->restoreRect : w->rect;
  return TRUE;
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

HWND WindowFromPoint(POINT screenPoint) {
  std::lock_guard<std::mutex> guard(Core().lock);
  return WindowFromPointLocked(screenPoint, false);
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(parent);
  if (!w) return nullptr;
  if (clientPoint.x < 0 || clientPoint.y < 0 || clientPoint.x >= w->rect.right - w->rect.left ||
      clientPoint.y >= w->rect.bottom - w->rect.top) {
    return nullptr;
  }
  for (HWND child : w->children) {
    WindowRecord* c = FindWindowLocked(child);
    if (c && clientPoint.x >= c->rect.left && clientPoint.x < c->rect.right && clientPoint.y >= c->rect.top &&
        clientPoint.y < c->rect.bottom) {
      return child;
    }
  }
  return parent;
}
