// Screen and work area, system metrics, the one monitor, key state, the cursor, carets and the
// small rectangle helpers.
#include <algorithm>

#include "platform/core/input.h"
#include "platform/core/window_api.h"
#include "platform/core/window_core.h"

namespace platform {

void RefreshScreenFromBackend() {
  WindowCore& core = Core();
  {
    std::lock_guard<std::mutex> guard(core.lock);
    if (core.screenKnown) return;
  }
  RECT screen{}, work{};
  WithBackend([&](Backend& b) {
    screen = b.ScreenRect();
    work = b.WorkArea();
    return 0;
  });
  std::lock_guard<std::mutex> guard(core.lock);
  core.screen = screen;
  core.workArea = work;
  core.screenKnown = true;
  if (core.cursorPos.x < 0 && core.cursorPos.y < 0) {
    core.cursorPos = POINT{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
  }
}

namespace {

RECT ScreenNow() {
  RefreshScreenFromBackend();
  std::lock_guard<std::mutex> guard(Core().lock);
  return Core().screen;
}

RECT WorkAreaNow() {
  RefreshScreenFromBackend();
  std::lock_guard<std::mutex> guard(Core().lock);
  return Core().workArea;
}

}  // namespace

MINMAXINFO DefaultMinMaxInfo() {
  const RECT screen = ScreenNow();
  const RECT work = WorkAreaNow();
  MINMAXINFO info{};
  info.ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
  info.ptMaxPosition = POINT{work.left, work.top};
  // Our windows have no frame of their own, so any size from one pixel up is allowed.
  info.ptMinTrackSize = POINT{1, 1};
  info.ptMaxTrackSize = POINT{screen.right - screen.left + 12, screen.bottom - screen.top + 12};
  return info;
}

}  // namespace platform

using namespace platform;

int GetSystemMetrics(int index) {
  const RECT screen = ScreenNow();
  const RECT work = WorkAreaNow();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
      return screen.right - screen.left;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
      return screen.bottom - screen.top;
    case SM_CXFULLSCREEN:
      return work.right - work.left;
    case SM_CYFULLSCREEN:
      return work.bottom - work.top - 23;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 17;
    case SM_CYCAPTION:
      return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_MOUSEPRESENT:
    case SM_CMONITORS:
      return 1;
    case SM_CXMIN:
    case SM_CYMIN:
      return 1;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    case SM_CXMAXTRACK:
      return screen.right - screen.left + 12;
    case SM_CYMAXTRACK:
      return screen.bottom - screen.top + 12;
    default:
      return 0;
  }
}

BOOL SystemParametersInfoW(UINT action, UINT, void* pvParam, UINT) {
  switch (action) {
    case SPI_GETWORKAREA:
      if (!pvParam) return FALSE;
      *static_cast<RECT*>(pvParam) = WorkAreaNow();
      return TRUE;
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
      if (!pvParam) return FALSE;
      *static_cast<UINT*>(pvParam) = 4;
      return TRUE;
    case SPI_GETMOUSEHOVERTIME:
      if (!pvParam) return FALSE;
      *static_cast<UINT*>(pvParam) = 400;
      return TRUE;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  if (!rect) return nullptr;
  const RECT screen = ScreenNow();
  const bool overlaps = rect->left < screen.right && rect->right > screen.left && rect->top < screen.bottom &&
                        rect->bottom > screen.top;
  if (!overlaps && flags == MONITOR_DEFAULTTONULL) return nullptr;
  return kPrimaryMonitor;
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  RECT r{point.x, point.y, point.x + 1, point.y + 1};
  return MonitorFromRect(&r, flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : kPrimaryMonitor;
  if (r.right <= r.left) r.right = r.left + 1;
  if (r.bottom <= r.top) r.bottom = r.top + 1;
  return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  if (monitor != kPrimaryMonitor || !info || info->cbSize < sizeof(MONITORINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->rcMonitor = ScreenNow();
  info->rcWork = WorkAreaNow();
  info->dwFlags = MONITORINFOF_PRIMARY;
  return TRUE;
}

short GetKeyState(int vk) {
  std::lock_guard<std::mutex> guard(Core().lock);
  const BYTE s = Core().keyState[vk & 0xFF];
  return static_cast<short>(((s & 0x80) ? 0xFF80 : 0) | (s & 0x01));
}

short GetAsyncKeyState(int vk) {
  std::lock_guard<std::mutex> guard(Core().lock);
  return static_cast<short>((Core().asyncKeyState[vk & 0xFF] & 0x80) ? 0x8000 : 0);
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  RefreshScreenFromBackend();
  std::lock_guard<std::mutex> guard(Core().lock);
  *point = Core().cursorPos;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  WithBackend([&](Backend& b) {
    b.WarpPointer(POINT{x, y});
    return 0;
  });
  InputMouseMove(POINT{x, y});
  return TRUE;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
  // Stock cursors are their identifiers; resource cursors of modules are not supported.
  if (!IS_INTRESOURCE(name)) return nullptr;
  const auto id = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name));
  if (id < 32512 || id > 32651) return nullptr;
  return reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(id));
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    old = Core().cursor;
    if (old == cursor) return old;
    Core().cursor = cursor;
  }
  const auto value = reinterpret_cast<ULONG_PTR>(cursor);
  const CursorShape shape = (value >= 32512 && value <= 32651) ? static_cast<CursorShape>(value) : 32512;
  WithBackend([&](Backend& b) {
    b.SetCursorShape(shape);
    return 0;
  });
  return old;
}

HCURSOR GetCursor() {
  std::lock_guard<std::mutex> guard(Core().lock);
  return Core().cursor;
}

UINT GetDoubleClickTime() { return 500; }

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w || w->threadId != queue->threadId) return FALSE;
  queue->caretWindow = hwnd;
  queue->caretSize = SIZE{width > 0 ? width : 1, height > 0 ? height : 1};
  queue->caretPos = POINT{0, 0};
  queue->caretHidden = 1;
  return TRUE;
}

BOOL DestroyCaret() {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  if (!queue->caretWindow) return FALSE;
  queue->caretWindow = nullptr;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  if (!queue->caretWindow) return FALSE;
  queue->caretPos = POINT{x, y};
  return TRUE;
}

BOOL GetCaretPos(POINT* point) {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  if (!queue->caretWindow || !point) return FALSE;
  *point = queue->caretPos;
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  if (!queue->caretWindow || (hwnd && hwnd != queue->caretWindow) || queue->caretHidden == 0) return FALSE;
  --queue->caretHidden;
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  if (!queue->caretWindow || (hwnd && hwnd != queue->caretWindow)) return FALSE;
  ++queue->caretHidden;
  return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(RECT* rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL IsRectEmpty(const RECT* rect) { return (!rect || rect->right <= rect->left || rect->bottom <= rect->top) ? TRUE : FALSE; }

BOOL PtInRect(const RECT* rect, POINT p) {
  return (rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom) ? TRUE : FALSE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left += dx;
  rect->right += dx;
  rect->top += dy;
  rect->bottom += dy;
  return TRUE;
}

BOOL InflateRect(RECT* rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left -= dx;
  rect->right += dx;
  rect->top -= dy;
  rect->bottom += dy;
  return TRUE;
}

BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (r.right <= r.left || r.bottom <= r.top) {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *out = r;
  return TRUE;
}

BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  const bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
  if (ea && eb) {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (ea) {
    *out = *b;
  } else if (eb) {
    *out = *a;
  } else {
    *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
  }
  return TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  return (a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom) ? TRUE
                                                                                                               : FALSE;
}

BOOL CopyRect(RECT* out, const RECT* in) {
  if (!out || !in) return FALSE;
  *out = *in;
  return TRUE;
}
