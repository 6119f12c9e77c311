// Activation and the foreground window, keyboard focus, enabling, mouse capture and mouse
// tracking (WM_MOUSELEAVE, WM_MOUSEHOVER).
#include <algorithm>
#include <cstdlib>

#include "platform/core/window_api.h"
#include "platform/core/window_core.h"

namespace platform {

namespace {

std::vector<HWND> TopLevelsOfThreadLocked(DWORD threadId) {
  std::vector<HWND> result;
  for (HWND hwnd : Core().topLevels) {
    WindowRecord* w = FindWindowLocked(hwnd);
    if (w && w->threadId == threadId) result.push_back(hwnd);
  }
  return result;
}

bool IsWithinLocked(HWND ancestor, HWND hwnd) {
  for (WindowRecord* w = FindWindowLocked(hwnd); w; w = FindWindowLocked(w->parent)) {
    if (w->handle == ancestor) return true;
    if (!w->parent) break;
  }
  return false;
}

WPARAM ActivateParam(WORD state, HWND hwnd) {
  return MAKEWPARAM(state, IsIconic(hwnd) ? 1 : 0);
}

}  // namespace

void ActivateWindow(HWND hwnd, bool byMouse) {
  WindowCore& core = Core();
  HWND old = nullptr;
  HWND otherThreadActive = nullptr;
  HWND otherThreadFocus = nullptr;
  DWORD oldThread = 0, newThread = 0;
  std::vector<HWND> oldApp, newApp;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    hwnd = TopLevelOfLocked(hwnd);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w || w->destroying) return;
    newThread = w->threadId;
    ThreadQueue& q = *w->queue;
    old = q.active;
    WindowRecord* f = FindWindowLocked(core.foreground);
    oldThread = f ? f->threadId : 0;
    core.foreground = hwnd;
    if (old == hwnd) return;
    q.active = hwnd;
    if (oldThread != newThread) {
      if (f) {
        ThreadQueue& fq = *f->queue;
        otherThreadActive = fq.active;
        otherThreadFocus = fq.focus;
        fq.active = nullptr;
        fq.focus = nullptr;
        oldApp = TopLevelsOfThreadLocked(oldThread);
      }
      newApp = TopLevelsOfThreadLocked(newThread);
    }
  }
  if (old && IsWindow(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_ACTIVATE, ActivateParam(WA_INACTIVE, old), reinterpret_cast<LPARAM>(hwnd));
  }
  if (otherThreadActive && IsWindow(otherThreadActive)) {
    SendMessageW(otherThreadActive, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(otherThreadActive, WM_ACTIVATE, ActivateParam(WA_INACTIVE, otherThreadActive),
                 reinterpret_cast<LPARAM>(hwnd));
  }
  for (HWND a : oldApp) {
    if (IsWindow(a)) SendMessageW(a, WM_ACTIVATEAPP, FALSE, static_cast<LPARAM>(newThread));
  }
  if (otherThreadFocus && IsWindow(otherThreadFocus)) SendMessageW(otherThreadFocus, WM_KILLFOCUS, 0, 0);
  for (HWND a : newApp) {
    if (IsWindow(a)) SendMessageW(a, WM_ACTIVATEAPP, TRUE, static_cast<LPARAM>(oldThread));
  }
  if (!IsWindow(hwnd)) return;
  SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
  SendMessageW(hwnd, WM_ACTIVATE, ActivateParam(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, hwnd),
               reinterpret_cast<LPARAM>(old));
}

namespace {

// Takes the activation away from `leaving` without giving it to another window.
void Deactivate(HWND leaving) {
  WindowCore& core = Core();
  HWND focus = nullptr;
  std::vector<HWND> app;
  DWORD threadId = 0;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(leaving);
    if (!w) return;
    ThreadQueue& q = *w->queue;
    if (q.active != leaving) return;
    q.active = nullptr;
    threadId = w->threadId;
    if (core.foreground == leaving) {
      core.foreground = nullptr;
      app = TopLevelsOfThreadLocked(threadId);
    }
    if (q.focus && IsWithinLocked(leaving, q.focus)) {
      focus = q.focus;
      q.focus = nullptr;
    }
  }
  SendMessageW(leaving, WM_NCACTIVATE, FALSE, 0);
  SendMessageW(leaving, WM_ACTIVATE, ActivateParam(WA_INACTIVE, leaving), 0);
  for (HWND a : app) {
    if (IsWindow(a)) SendMessageW(a, WM_ACTIVATEAPP, FALSE, 0);
  }
  if (focus && IsWindow(focus)) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
}

bool CanTakeActivationLocked(const WindowRecord& w, HWND leaving) {
  if (w.handle == leaving || w.destroying || !(w.style & WS_VISIBLE) || (w.style & (WS_DISABLED | WS_MINIMIZE))) {
    return false;
  }
  if (w.exStyle & WS_EX_NOACTIVATE) return false;
  if ((w.exStyle & WS_EX_TOOLWINDOW) && (w.exStyle & WS_EX_TOPMOST)) return false;
  if ((w.exStyle & WS_EX_LAYERED) && (w.exStyle & WS_EX_TRANSPARENT)) return false;
  return w.owner != leaving;
}

}  // namespace

void ActivateOtherWindow(HWND leaving) {
  WindowCore& core = Core();
  HWND candidate = nullptr;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(leaving);
    if (!w) return;
    if (WindowRecord* owner = FindWindowLocked(w->owner); owner && CanTakeActivationLocked(*owner, leaving)) {
      candidate = owner->handle;
    } else {
      for (HWND hwnd : core.topLevels) {
        WindowRecord* o = FindWindowLocked(hwnd);
        if (o && o->threadId == w->threadId && CanTakeActivationLocked(*o, leaving)) {
          candidate = hwnd;
          break;
        }
      }
    }
  }
  if (candidate) {
    ActivateWindow(candidate, false);
  } else {
    Deactivate(leaving);
  }
}

void SetFocusInternal(HWND hwnd) { SetFocus(hwnd); }

WPARAM MouseKeyFlagsLocked() {
  const BYTE* k = Core().keyState;
  WPARAM flags = 0;
  if (k[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
  if (k[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
  if (k[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
  if (k[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
  if (k[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
  return flags;
}

HWND PointerWindowLocked() {
  WindowCore& core = Core();
  if (core.capture) return core.capture;
  return WindowFromPointLocked(core.cursorPos, true);
}

void UpdateTrackingLocked() {
  WindowCore& core = Core();
  const HWND under = PointerWindowLocked();
  const POINT pt = core.cursorPos;
  for (auto& entry : core.queues) {
    ThreadQueue& q = *entry.second;
    if (!q.trackWindow) continue;
    if (q.trackWindow != under) {
      if (q.trackFlags & TME_LEAVE) {
        QueuedMessage m;
        m.msg = MSG{q.trackWindow, WM_MOUSELEAVE, 0, 0, NowMs(), pt};
        PostLocked(q, m, false);
      }
      q.trackWindow = nullptr;
      q.trackFlags = 0;
      continue;
    }
    if ((q.trackFlags & TME_HOVER) &&
        (std::abs(pt.x - q.hoverOrigin.x) > 2 || std::abs(pt.y - q.hoverOrigin.y) > 2)) {
      q.hoverOrigin = pt;
      q.hoverDue = Clock::now() + std::chrono::milliseconds(q.hoverTime);
      WakeQueueLocked(q);
    }
  }
}

bool HoverDueLocked(ThreadQueue& q, MSG* out) {
  if (!q.trackWindow || !(q.trackFlags & TME_HOVER) || Clock::now() < q.hoverDue) return false;
  const HWND hwnd = q.trackWindow;
  q.trackFlags &= ~TME_HOVER;
  if (!q.trackFlags) q.trackWindow = nullptr;
  if (PointerWindowLocked() != hwnd) return false;
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return false;
  const RECT r = ScreenRectOfLocked(*w);
  const POINT pt = Core().cursorPos;
  *out = MSG{hwnd, WM_MOUSEHOVER, MouseKeyFlagsLocked(), MAKELPARAM(pt.x - r.left, pt.y - r.top), NowMs(), pt};
  return true;
}

}  // namespace platform

using namespace platform;

HWND SetActiveWindow(HWND hwnd) {
  auto queue = CurrentQueue();
  HWND old;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    old = queue->active;
    if (hwnd) {
      WindowRecord* w = FindWindowLocked(hwnd);
      if (!w || w->threadId != queue->threadId) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      hwnd = TopLevelOfLocked(hwnd);
    }
  }
  if (!hwnd) {
    if (old) Deactivate(old);
    return old;
  }
  ActivateWindow(hwnd, false);
  WithBackend([&](Backend& b) {
    b.RaiseNativeWindow(hwnd, true);
    return 0;
  });
  return old;
}

HWND GetActiveWindow() {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  return queue->active;
}

BOOL SetForegroundWindow(HWND hwnd) {
  HWND top;
  bool native;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    top = TopLevelOfLocked(hwnd);
    WindowRecord* w = FindWindowLocked(top);
    if (!w) return FALSE;
    native = w->nativeCreated;
  }
  ActivateWindow(top, false);
  if (native) {
    WithBackend([&](Backend& b) {
      b.RaiseNativeWindow(top, true);
      return 0;
    });
  }
  return TRUE;
}

HWND GetForegroundWindow() {
  std::lock_guard<std::mutex> guard(Core().lock);
  return Core().foreground;
}

BOOL AllowSetForegroundWindow(DWORD) { return TRUE; }
BOOL AttachThreadInput(DWORD, DWORD, BOOL) { return TRUE; }

HWND SetFocus(HWND hwnd) {
  auto queue = CurrentQueue();
  HWND top = nullptr;
  bool needActivation = false;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    if (hwnd) {
      WindowRecord* w = FindWindowLocked(hwnd);
      if (!w || w->threadId != queue->threadId) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      top = TopLevelOfLocked(hwnd);
      needActivation = queue->active != top;
    }
  }
  if (needActivation) {
    ActivateWindow(top, false);
    if (!IsWindow(hwnd)) return nullptr;
  }
  HWND old;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    old = queue->focus;
    if (old == hwnd) return old;
    queue->focus = hwnd;
  }
  if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && GetFocus() == hwnd && IsWindow(hwnd)) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  return queue->focus;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  bool wasDisabled;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable) {
      w->style &= ~WS_DISABLED;
    } else {
      w->style |= WS_DISABLED;
    }
  }
  if (enable && wasDisabled) {
    SendMessageW(hwnd, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    SendMessageW(hwnd, WM_CANCELMODE, 0, 0);
    HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(nullptr);
    SendMessageW(hwnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  return (w && !(w->style & WS_DISABLED)) ? TRUE : FALSE;
}

HWND SetCapture(HWND hwnd) {
  WindowCore& core = Core();
  HWND old, top;
  bool oldOwn = false;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    old = core.capture;
    if (WindowRecord* o = FindWindowLocked(old)) oldOwn = o->threadId == CurrentThreadId();
    core.capture = hwnd;
    top = TopLevelOfLocked(hwnd);
    UpdateTrackingLocked();
  }
  if (old && old != hwnd && IsWindow(old)) {
    SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  }
  WithBackend([&](Backend& b) {
    b.GrabPointer(top);
    return 0;
  });
  return oldOwn ? old : nullptr;
}

BOOL ReleaseCapture() {
  WindowCore& core = Core();
  HWND old;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    old = core.capture;
    if (!old) return TRUE;
    core.capture = nullptr;
    UpdateTrackingLocked();
  }
  if (IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  WithBackend([&](Backend& b) {
    b.GrabPointer(nullptr);
    return 0;
  });
  return TRUE;
}

HWND GetCapture() {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(Core().capture);
  return (w && w->threadId == CurrentThreadId()) ? w->handle : nullptr;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme || tme->cbSize < sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto queue = CurrentQueue();
  ThreadQueue& q = *queue;
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  if (tme->dwFlags & TME_QUERY) {
    if (q.trackWindow) {
      tme->dwFlags = q.trackFlags;
      tme->hwndTrack = q.trackWindow;
      tme->dwHoverTime = q.hoverTime;
    } else {
      tme->dwFlags = 0;
      tme->hwndTrack = nullptr;
      tme->dwHoverTime = 0;
    }
    return TRUE;
  }
  WindowRecord* w = FindWindowLocked(tme->hwndTrack);
  if (!w || w->threadId != q.threadId) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const DWORD kinds = tme->dwFlags & (TME_HOVER | TME_LEAVE);
  if (tme->dwFlags & TME_CANCEL) {
    if (q.trackWindow == tme->hwndTrack) {
      q.trackFlags &= ~kinds;
      if (!q.trackFlags) q.trackWindow = nullptr;
    }
    return TRUE;
  }
  if (PointerWindowLocked() != tme->hwndTrack) {
    if (kinds & TME_LEAVE) {
      QueuedMessage m;
      m.msg = MSG{tme->hwndTrack, WM_MOUSELEAVE, 0, 0, NowMs(), core.cursorPos};
      PostLocked(q, m, false);
    }
    return TRUE;
  }
  if (q.trackWindow != tme->hwndTrack) {
    q.trackWindow = tme->hwndTrack;
    q.trackFlags = 0;
  }
  q.trackFlags |= kinds;
  if (kinds & TME_HOVER) {
    q.hoverTime = tme->dwHoverTime == HOVER_DEFAULT ? 400 : tme->dwHoverTime;
    q.hoverOrigin = core.cursorPos;
    q.hoverDue = Clock::now() + std::chrono::milliseconds(q.hoverTime);
  }
  return TRUE;
}
