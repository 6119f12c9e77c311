// The default handling of messages, and the move loop of a caption drag.
#include <algorithm>
#include <cstring>

#include "platform/core/window_api.h"
#include "platform/core/window_core.h"

namespace platform {

namespace {

void SetTextOf(HWND hwnd, LPCWSTR text) {
  bool native;
  std::wstring title;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return;
    w->text = (text && !IS_INTRESOURCE(text)) ? text : L"";
    title = w->text;
    native = w->nativeCreated;
  }
  if (native) {
    WithBackend([&](Backend& b) {
      b.SetNativeTitle(hwnd, title);
      return 0;
    });
  }
}

LRESULT CopyTextOut(HWND hwnd, WPARAM capacity, LPWSTR buffer) {
  if (!buffer || capacity == 0) return 0;
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return 0;
  const size_t n = std::min<size_t>(w->text.size(), capacity - 1);
  w->text.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

WPARAM SizeKindOf(HWND hwnd) {
  if (IsIconic(hwnd)) return SIZE_MINIMIZED;
  if (IsZoomed(hwnd)) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

}  // namespace

void RunSystemMove(HWND hwnd, POINT screenPoint) {
  WindowCore& core = Core();
  auto queue = CurrentQueue();
  RECT start;
  if (!GetWindowRect(hwnd, &start)) return;
  SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  {
    std::lock_guard<std::mutex> guard(core.lock);
    core.move = SystemMoveState{true, false, hwnd, screenPoint, start};
    if (!(core.keyState[VK_LBUTTON] & 0x80)) core.move.active = false;  // released already
  }
  const bool byDesktop = WithBackend([&](Backend& b) { return b.BeginSystemMove(hwnd, screenPoint); });
  {
    std::lock_guard<std::mutex> guard(core.lock);
    core.move.byDesktop = byDesktop;
  }
  if (!byDesktop) SetCapture(hwnd);
  for (;;) {
    ProcessIncomingSends(*queue);
    POINT target{};
    bool moveNow = false;
    bool wait = false;
    QueuedMessage internal;
    bool haveInternal = false;
    int timeout = -1;
    {
      std::lock_guard<std::mutex> guard(core.lock);
      if (!core.move.active || core.move.hwnd != hwnd || queue->quitPending) break;
      // The display's own notifications keep flowing; mouse input drives the move.
      for (auto it = queue->posted.begin(); it != queue->posted.end(); ++it) {
        if (it->internal != InternalKind::None) {
          internal = *it;
          queue->posted.erase(it);
          haveInternal = true;
          break;
        }
      }
      if (!haveInternal) {
        if (!queue->input.empty()) {
          QueuedMessage m = queue->input.front();
          queue->input.pop_front();
          if (m.rawMouse && m.msg.message == WM_MOUSEMOVE && !core.move.byDesktop) {
            target = POINT{core.move.startRect.left + m.msg.pt.x - core.move.startPoint.x,
                           core.move.startRect.top + m.msg.pt.y - core.move.startPoint.y};
            moveNow = true;
          }
        } else {
          queue->waiting = true;
          wait = true;
          timeout = 100;
        }
      }
    }
    if (haveInternal) HandleInternalMessage(internal);
    if (moveNow) SetWindowPos(hwnd, nullptr, target.x, target.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (wait) WaitForQueue(*queue, timeout);
  }
  {
    std::lock_guard<std::mutex> guard(core.lock);
    if (core.move.hwnd == hwnd) core.move.active = false;
  }
  if (!byDesktop && GetCapture() == hwnd) ReleaseCapture();
  if (IsWindow(hwnd)) SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace platform

using namespace platform;

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs) SetTextOf(hwnd, cs->lpszName);
      return TRUE;
    }
    case WM_NCCALCSIZE:
      return 0;
    case WM_NCHITTEST: {
      RECT r;
      if (!GetWindowRect(hwnd, &r)) return HTNOWHERE;
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      return PtInRect(&r, pt) ? HTCLIENT : HTNOWHERE;
    }
    case WM_NCACTIVATE:
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(hwnd);
      return 0;
    case WM_MOUSEACTIVATE: {
      HWND parent = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
      if (parent) {
        LRESULT r = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    }
    case WM_SETCURSOR: {
      HWND parent = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
      if (parent && SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (static_cast<short>(LOWORD(lParam)) == HTCLIENT) {
        HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(hwnd, GCLP_HCURSOR));
        if (cursor) {
          SetCursor(cursor);
          return TRUE;
        }
        return FALSE;
      }
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return FALSE;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          return SendMessageW(hwnd, WM_CLOSE, 0, 0);
        case SC_MOVE: {
          // The move follows the pointer from where it is now: callers often pass a client point.
          POINT start{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
          GetCursorPos(&start);
          RunSystemMove(hwnd, start);
          return 0;
        }
        case SC_MINIMIZE:
          ShowWindow(hwnd, SW_MINIMIZE);
          return 0;
        case SC_MAXIMIZE:
          ShowWindow(hwnd, SW_MAXIMIZE);
          return 0;
        case SC_RESTORE:
          ShowWindow(hwnd, SW_RESTORE);
          return 0;
        default:
          return 0;
      }
    case WM_NCLBUTTONDOWN:
      if (wParam == static_cast<WPARAM>(HTCAPTION)) {
        return SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
      }
      return 0;
    case WM_NCLBUTTONDBLCLK:
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (1 << 29))) {
        PostMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_SETTEXT:
      SetTextOf(hwnd, reinterpret_cast<LPCWSTR>(lParam));
      return TRUE;
    case WM_GETTEXT:
      return CopyTextOut(hwnd, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: {
      std::lock_guard<std::mutex> guard(Core().lock);
      WindowRecord* w = FindWindowLocked(hwnd);
      return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
      if (wp && !(wp->flags & SWP_NOSIZE) && ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) &&
          !(style & (WS_MINIMIZE | WS_MAXIMIZE))) {
        MINMAXINFO info = DefaultMinMaxInfo();
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        wp->cx = std::max<int>(std::min<int>(wp->cx, info.ptMaxTrackSize.x), info.ptMinTrackSize.x);
        wp->cy = std::max<int>(std::min<int>(wp->cy, info.ptMaxTrackSize.y), info.ptMinTrackSize.y);
      }
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!wp) return 0;
      RECT r;
      {
        std::lock_guard<std::mutex> guard(Core().lock);
        WindowRecord* w = FindWindowLocked(hwnd);
        if (!w) return 0;
        r = w->rect;
      }
      if (!(wp->flags & SWP_NOCLIENTMOVE)) SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(r.left, r.top));
      if (!(wp->flags & SWP_NOCLIENTSIZE) || (wp->flags & SWP_STATECHANGED)) {
        const WPARAM kind = SizeKindOf(hwnd);
        const LPARAM size = kind == SIZE_MINIMIZED ? 0 : MAKELPARAM(r.right - r.left, r.bottom - r.top);
        SendMessageW(hwnd, WM_SIZE, kind, size);
      }
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 0;
    case WM_SETICON: {
      std::lock_guard<std::mutex> guard(Core().lock);
      WindowRecord* w = FindWindowLocked(hwnd);
      if (!w) return 0;
      HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: {
      std::lock_guard<std::mutex> guard(Core().lock);
      WindowRecord* w = FindWindowLocked(hwnd);
      if (!w) return 0;
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    }
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      HWND parent = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
      return parent ? SendMessageW(parent, msg, wParam, lParam) : 0;
    }
    default:
      return 0;
  }
}
