// The input entry points: pointer, buttons, wheel, keys and the display's notifications, turned
// into queued messages for the thread that owns the window concerned.
#include "platform/core/input.h"

#include <cstdlib>

#include "platform/core/window_api.h"
#include "platform/core/window_core.h"

namespace platform {

namespace {

constexpr int kDoubleClickDistance = 2;  // half of SM_CXDOUBLECLK each way

// The window that gets pointer input at `pt`: the capture, else the deepest enabled window
// under the point (a display hint first).
HWND InputTargetLocked(POINT pt, HWND under) {
  WindowCore& core = Core();
  if (core.capture) return core.capture;
  if (under) {
    WindowRecord* w = FindWindowLocked(under);
    if (w && !w->parent) return DeepestChildAtLocked(under, pt);
  }
  return WindowFromPointLocked(pt, true);
}

bool IsDisabledLocked(HWND hwnd) {
  WindowRecord* w = FindWindowLocked(hwnd);
  return !w || (w->style & WS_DISABLED);
}

void PostRawMouseLocked(HWND target, UINT message, POINT pt, bool coalesce) {
  WindowRecord* w = FindWindowLocked(target);
  if (!w || !w->queue->alive) return;
  ThreadQueue& q = *w->queue;
  QueuedMessage m;
  m.msg = MSG{target, message, MouseKeyFlagsLocked(), 0, NowMs(), pt};
  m.rawMouse = true;
  if (coalesce && !q.input.empty()) {
    QueuedMessage& last = q.input.back();
    if (last.rawMouse && last.msg.message == WM_MOUSEMOVE && last.msg.hwnd == target) {
      last = m;
      return;
    }
  }
  PostLocked(q, m, true);
}

void SetKeyLocked(UINT vk, bool down) {
  WindowCore& core = Core();
  vk &= 0xFF;
  if (down) {
    if (!(core.keyState[vk] & 0x80)) core.keyState[vk] ^= 0x01;  // toggles on each press
    core.keyState[vk] |= 0x80;
    core.asyncKeyState[vk] |= 0x80;
  } else {
    core.keyState[vk] &= static_cast<BYTE>(~0x80);
    core.asyncKeyState[vk] &= static_cast<BYTE>(~0x80);
  }
}

// The generic modifier follows its left and right keys.
void SetKeyWithGenericLocked(UINT vk, bool down) {
  SetKeyLocked(vk, down);
  auto generic = [&](UINT left, UINT right, UINT both) {
    if (vk == left || vk == right) {
      const bool any = (Core().keyState[left] & 0x80) || (Core().keyState[right] & 0x80);
      SetKeyLocked(both, any);
    }
  };
  generic(VK_LSHIFT, VK_RSHIFT, VK_SHIFT);
  generic(VK_LCONTROL, VK_RCONTROL, VK_CONTROL);
  generic(VK_LMENU, VK_RMENU, VK_MENU);
}

// Keyboard input goes to the focus of the foreground window's thread, or to that window.
HWND KeyboardTargetLocked() {
  WindowCore& core = Core();
  WindowRecord* f = FindWindowLocked(core.foreground);
  if (!f) return nullptr;
  if (f->queue->focus) return f->queue->focus;
  return core.foreground;
}

void PostInternal(HWND hwnd, InternalKind kind, RECT data) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return;
  QueuedMessage m;
  m.msg = MSG{hwnd, WM_NULL, 0, 0, NowMs(), core.cursorPos};
  m.internal = kind;
  m.data = data;
  PostLocked(*w->queue, m, false);
}

}  // namespace

void InputMouseMove(POINT pt, HWND under) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  if (pt.x == core.cursorPos.x && pt.y == core.cursorPos.y) return;
  core.cursorPos = pt;
  UpdateTrackingLocked();
  const HWND target = InputTargetLocked(pt, under);
  if (!target || IsDisabledLocked(target)) return;
  PostRawMouseLocked(target, WM_MOUSEMOVE, pt, true);
}

void InputMouseLeftWindows(POINT pt) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  core.cursorPos = pt;
  if (core.capture) {
    PostRawMouseLocked(core.capture, WM_MOUSEMOVE, pt, true);
    return;
  }
  // Nothing of ours is under the pointer: every tracked window is left.
  for (auto& entry : core.queues) {
    ThreadQueue& q = *entry.second;
    if (!q.trackWindow) continue;
    if (q.trackFlags & TME_LEAVE) {
      QueuedMessage m;
      m.msg = MSG{q.trackWindow, WM_MOUSELEAVE, 0, 0, NowMs(), pt};
      PostLocked(q, m, false);
    }
    q.trackWindow = nullptr;
    q.trackFlags = 0;
  }
}

void InputMouseButton(MouseButton button, bool down, POINT pt, HWND under) {
  InputMouseMove(pt, under);
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  UINT vk = VK_LBUTTON, downMsg = WM_LBUTTONDOWN;
  if (button == MouseButton::Right) {
    vk = VK_RBUTTON;
    downMsg = WM_RBUTTONDOWN;
  } else if (button == MouseButton::Middle) {
    vk = VK_MBUTTON;
    downMsg = WM_MBUTTONDOWN;
  }
  SetKeyLocked(vk, down);
  if (button == MouseButton::Left && !down && core.move.active) {
    // The release ends a caption drag; the move loop eats it.
    core.move.active = false;
    if (WindowRecord* w = FindWindowLocked(core.move.hwnd)) WakeQueueLocked(*w->queue);
    return;
  }
  const HWND target = InputTargetLocked(pt, under);
  if (!target || IsDisabledLocked(target)) return;
  PostRawMouseLocked(target, down ? downMsg : downMsg + 1, pt, false);
}

void InputMouseWheel(int delta, POINT pt, bool horizontal) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  HWND target = KeyboardTargetLocked();
  if (!target) target = WindowFromPointLocked(pt, true);
  WindowRecord* w = FindWindowLocked(target);
  if (!w || (w->style & WS_DISABLED)) return;
  QueuedMessage m;
  m.msg = MSG{target, horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
              MAKEWPARAM(static_cast<int>(MouseKeyFlagsLocked()), delta), MAKELPARAM(pt.x, pt.y), NowMs(), pt};
  PostLocked(*w->queue, m, true);
}

void InputKey(UINT vk, bool down, wchar_t text) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  vk &= 0xFF;
  const bool wasDown = (core.keyState[vk] & 0x80) != 0;
  SetKeyWithGenericLocked(vk, down);
  const HWND target = KeyboardTargetLocked();
  WindowRecord* w = FindWindowLocked(target);
  if (!w) return;
  const bool alt = (core.keyState[VK_MENU] & 0x80) != 0;
  const bool control = (core.keyState[VK_CONTROL] & 0x80) != 0;
  const bool system = (alt && !control) || vk == VK_F10 || (vk == VK_MENU && !control);
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lParam = 1;
  if (alt) lParam |= 1 << 29;
  if (wasDown) lParam |= 1 << 30;
  if (!down) lParam |= static_cast<LPARAM>((1u << 30) | (1u << 31));
  lParam = static_cast<LPARAM>(static_cast<DWORD>(lParam));
  // Keys whose character does not depend on the keyboard layout produce it even when the
  // display gave none.
  if (text == 0 && (vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE) && !control) {
    text = static_cast<wchar_t>(vk);
  }
  QueuedMessage m;
  m.msg = MSG{target, message, vk, lParam, NowMs(), core.cursorPos};
  m.text = down ? text : 0;
  PostLocked(*w->queue, m, true);
}

void InputChar(wchar_t ch) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  const HWND target = KeyboardTargetLocked();
  WindowRecord* w = FindWindowLocked(target);
  if (!w) return;
  QueuedMessage m;
  m.msg = MSG{target, WM_CHAR, static_cast<WPARAM>(ch), 1, NowMs(), core.cursorPos};
  PostLocked(*w->queue, m, true);
}

void InputNativeMoved(HWND hwnd, POINT topLeft) {
  PostInternal(hwnd, InternalKind::NativeMoved, RECT{topLeft.x, topLeft.y, 0, 0});
}

void InputNativeResized(HWND hwnd, SIZE size) {
  PostInternal(hwnd, InternalKind::NativeResized, RECT{0, 0, size.cx, size.cy});
}

void InputNativeExposed(HWND hwnd, RECT clientRect) { InvalidateRect(hwnd, &clientRect, FALSE); }

void InputNativeCloseRequested(HWND hwnd) { PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

void InputNativeFocusChanged(HWND hwnd, bool focused) {
  PostInternal(hwnd, InternalKind::NativeFocus, RECT{focused ? 1 : 0, 0, 0, 0});
}

void InputNativeMinimized(HWND hwnd, bool minimized) {
  PostInternal(hwnd, InternalKind::NativeMinimized, RECT{minimized ? 1 : 0, 0, 0, 0});
}

void InputSystemMoveEnded(HWND hwnd) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  if (!core.move.active || core.move.hwnd != hwnd) return;
  core.move.active = false;
  if (WindowRecord* w = FindWindowLocked(hwnd)) WakeQueueLocked(*w->queue);
}

void InputDisplayChanged() {
  WindowCore& core = Core();
  {
    std::lock_guard<std::mutex> guard(core.lock);
    core.screenKnown = false;
  }
  RefreshScreenFromBackend();
}

void HandleInternalMessage(const QueuedMessage& m) {
  const HWND hwnd = m.msg.hwnd;
  if (!IsWindow(hwnd)) return;
  switch (m.internal) {
    case InternalKind::NativeMoved:
      SetWindowPosInternal(hwnd, nullptr, m.data.left, m.data.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE, true);
      break;
    case InternalKind::NativeResized:
      SetWindowPosInternal(hwnd, nullptr, 0, 0, m.data.right, m.data.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE,
                           true);
      break;
    case InternalKind::NativeFocus:
      if (m.data.left) {
        ActivateWindow(hwnd, false);
      } else if (GetActiveWindow() == hwnd) {
        SetActiveWindow(nullptr);
      }
      break;
    case InternalKind::NativeMinimized:
      SetMinimizedFromDesktop(hwnd, m.data.left != 0);
      break;
    case InternalKind::None:
      break;
  }
}

bool CookMouseMessage(ThreadQueue& q, QueuedMessage& raw, MSG* out) {
  WindowCore& core = Core();
  const HWND hwnd = raw.msg.hwnd;
  bool captured;
  RECT screenRect;
  UINT classStyle;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return false;
    captured = core.capture == hwnd;
    screenRect = ScreenRectOfLocked(*w);
    classStyle = w->cls->style;
  }
  UINT message = raw.msg.message;
  const POINT pt = raw.msg.pt;
  LRESULT hit = HTCLIENT;
  if (!captured) {
    hit = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    if (hit == HTTRANSPARENT) return false;
  }
  const bool press = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
  if (!captured && (message == WM_MOUSEMOVE || press)) {
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<int>(hit), message));
  }
  if (press) {
    HWND top;
    bool activate;
    {
      std::lock_guard<std::mutex> guard(core.lock);
      top = TopLevelOfLocked(hwnd);
      WindowRecord* t = FindWindowLocked(top);
      activate = t && q.active != top && !(t->exStyle & WS_EX_NOACTIVATE);
    }
    if (activate) {
      LRESULT r = SendMessageW(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(static_cast<int>(hit), message));
      if (r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT) {
        ActivateWindow(top, true);
        WithBackend([&](Backend& b) {
          b.RaiseNativeWindow(top, true);
          return 0;
        });
      }
      if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT) return false;
    }
    if (!IsWindow(hwnd)) return false;
    // Double-click: the same button on the same window, soon enough and near enough.
    if (classStyle & CS_DBLCLKS) {
      std::lock_guard<std::mutex> guard(core.lock);
      const bool again = q.lastClickWindow == hwnd && q.lastClickMessage == message &&
                         raw.msg.time - q.lastClickTime <= GetDoubleClickTime() &&
                         std::abs(pt.x - q.lastClickPoint.x) <= kDoubleClickDistance &&
                         std::abs(pt.y - q.lastClickPoint.y) <= kDoubleClickDistance;
      if (again) {
        message += 2;  // WM_xBUTTONDOWN -> WM_xBUTTONDBLCLK
        q.lastClickWindow = nullptr;
      } else {
        q.lastClickWindow = hwnd;
        q.lastClickMessage = message;
        q.lastClickTime = raw.msg.time;
        q.lastClickPoint = pt;
      }
    }
  }
  *out = raw.msg;
  if (hit == HTCLIENT) {
    out->message = message;
    out->lParam = MAKELPARAM(pt.x - screenRect.left, pt.y - screenRect.top);
  } else {
    out->message = message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
    out->wParam = static_cast<WPARAM>(hit);
    out->lParam = MAKELPARAM(pt.x, pt.y);
  }
  return true;
}

}  // namespace platform
