// The window tree: creation and destruction sequences, parents and owners, relations, window
// longs, properties and text.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/base/report.h"
#include "platform/core/window_api.h"
#include "platform/core/window_core.h"
#include "platform/gdi/gdi.h"

namespace platform {

WindowRecord* FindWindowLocked(HWND hwnd) {
  if (!hwnd) return nullptr;
  WindowCore& core = Core();
  auto it = core.windows.find(hwnd);
  return it == core.windows.end() ? nullptr : it->second.get();
}

HWND TopLevelOfLocked(HWND hwnd) {
  WindowRecord* w = FindWindowLocked(hwnd);
  while (w && w->parent) {
    hwnd = w->parent;
    w = FindWindowLocked(hwnd);
  }
  return w ? hwnd : nullptr;
}

RECT ScreenRectOfLocked(const WindowRecord& w) {
  RECT r = w.rect;
  if (w.parent) {
    if (WindowRecord* p = FindWindowLocked(w.parent)) {
      RECT pr = ScreenRectOfLocked(*p);
      r.left += pr.left;
      r.right += pr.left;
      r.top += pr.top;
      r.bottom += pr.top;
    }
  }
  return r;
}

bool IsVisibleLocked(HWND hwnd) {
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return false;
  for (;;) {
    if (!(w->style & WS_VISIBLE)) return false;
    if (!w->parent) return true;
    w = FindWindowLocked(w->parent);
    if (!w) return false;
  }
}

NativeWindowHints HintsOfLocked(const WindowRecord& w) {
  NativeWindowHints h;
  h.topmost = (w.exStyle & WS_EX_TOPMOST) != 0;
  h.toolWindow = (w.exStyle & WS_EX_TOOLWINDOW) != 0;
  h.borderless = (w.style & WS_CAPTION) != WS_CAPTION && !(w.style & WS_THICKFRAME);
  h.popup = (w.style & WS_POPUP) && (w.exStyle & WS_EX_TOOLWINDOW) && (w.exStyle & (WS_EX_TOPMOST | WS_EX_NOACTIVATE));
  h.layered = (w.exStyle & WS_EX_LAYERED) != 0;
  h.noActivate = (w.exStyle & WS_EX_NOACTIVATE) != 0;
  h.clickThrough = (w.exStyle & WS_EX_LAYERED) && (w.exStyle & WS_EX_TRANSPARENT);
  h.owner = w.owner;
  h.style = w.style;
  h.exStyle = w.exStyle;
  return h;
}

namespace {

void EraseFrom(std::vector<HWND>& list, HWND hwnd) { list.erase(std::remove(list.begin(), list.end(), hwnd), list.end()); }

// Puts a top-level window at the top of its band (topmost windows stay above the others).
void InsertTopLevelLocked(HWND hwnd, bool topmost) {
  WindowCore& core = Core();
  EraseFrom(core.topLevels, hwnd);
  auto it = core.topLevels.begin();
  if (!topmost) {
    while (it != core.topLevels.end()) {
      WindowRecord* o = FindWindowLocked(*it);
      if (!o || !(o->exStyle & WS_EX_TOPMOST)) break;
      ++it;
    }
  }
  core.topLevels.insert(it, hwnd);
}

void SendDestroyTree(HWND hwnd) {
  if (!IsWindow(hwnd)) return;
  {
    WindowCore& core = Core();
    std::lock_guard<std::mutex> guard(core.lock);
    auto queue = FindWindowLocked(hwnd)->queue;
    if (queue->caretWindow == hwnd) queue->caretWindow = nullptr;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    if (WindowRecord* w = FindWindowLocked(hwnd)) children = w->children;
  }
  for (HWND child : children) SendDestroyTree(child);
}

void NcDestroyTree(HWND hwnd) {
  std::vector<HWND> children;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w || w->ncDestroyed) return;
    w->ncDestroyed = true;
    children = w->children;
  }
  for (HWND child : children) NcDestroyTree(child);
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  ForgetWindow(hwnd);
}

}  // namespace

void ForgetWindow(HWND hwnd) {
  WindowCore& core = Core();
  std::unique_ptr<WindowRecord> record;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    auto it = core.windows.find(hwnd);
    if (it == core.windows.end()) return;
    record = std::move(it->second);
    core.windows.erase(it);
    if (record->parent) {
      if (WindowRecord* p = FindWindowLocked(record->parent)) EraseFrom(p->children, hwnd);
    }
    for (HWND child : record->children) {
      if (WindowRecord* c = FindWindowLocked(child)) c->parent = nullptr;
    }
    EraseFrom(core.topLevels, hwnd);
    ThreadQueue& q = *record->queue;
    EraseFrom(q.windows, hwnd);
    auto& timers = q.timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const TimerRecord& t) { return t.hwnd == hwnd; }),
                 timers.end());
    if (q.active == hwnd) q.active = nullptr;
    if (q.focus == hwnd) q.focus = nullptr;
    if (q.trackWindow == hwnd) {
      q.trackWindow = nullptr;
      q.trackFlags = 0;
    }
    if (q.caretWindow == hwnd) q.caretWindow = nullptr;
    if (q.lastClickWindow == hwnd) q.lastClickWindow = nullptr;
    if (core.foreground == hwnd) core.foreground = nullptr;
    if (core.capture == hwnd) core.capture = nullptr;
    if (core.move.hwnd == hwnd) core.move.active = false;
    for (auto& entry : core.windows) {
      if (entry.second->owner == hwnd) entry.second->owner = nullptr;
    }
    if (record->cls) --record->cls->windows;
  }
  if (record->region) DeleteObject(record->region);
  if (record->nativeCreated) {
    WithBackend([&](Backend& b) {
      b.DestroyNativeWindow(hwnd);
      return 0;
    });
  }
}

}  // namespace platform

using namespace platform;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto queue = CurrentQueue();
  WindowCore& core = Core();
  if (parent == kDesktopWindow) parent = nullptr;
  const bool child = (style & WS_CHILD) != 0;
  HWND hwnd = nullptr;
  RECT rect{};
  NativeWindowInfo native;
  bool needNative = false;
  UINT classStyle = 0;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    ClassRecord* cls = FindClassLocked(className, instance);
    if (!cls) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    if (child && !FindWindowLocked(parent)) {
      SetLastError(parent ? ERROR_INVALID_WINDOW_HANDLE : ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    if (!child && parent && !FindWindowLocked(parent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (x == CW_USEDEFAULT) {
      x = child ? 0 : 100;
      y = child ? 0 : 100;
    }
    if (width == CW_USEDEFAULT) {
      width = 640;
      height = 480;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    auto w = std::make_unique<WindowRecord>();
    hwnd = reinterpret_cast<HWND>(core.nextHandle);
    core.nextHandle += 4;
    w->handle = hwnd;
    w->cls = cls;
    w->proc = cls->proc;
    w->queue = queue;
    w->threadId = queue->threadId;
    w->instance = instance;
    w->style = style & ~WS_VISIBLE;
    if (!child && !(style & WS_POPUP)) w->style |= WS_CAPTION | WS_CLIPSIBLINGS;
    w->exStyle = exStyle;
    w->rect = RECT{x, y, x + width, y + height};
    w->extraBytes.assign(static_cast<size_t>(cls->wndExtra), 0);
    if (child) {
      w->parent = parent;
      w->id = reinterpret_cast<LONG_PTR>(menu);
      FindWindowLocked(parent)->children.insert(FindWindowLocked(parent)->children.begin(), hwnd);
    } else {
      w->owner = parent ? TopLevelOfLocked(parent) : nullptr;
    }
    ++cls->windows;
    classStyle = cls->style;
    rect = w->rect;
    if (!child) {
      needNative = true;
      native.rect = rect;
      native.title = windowName && !IS_INTRESOURCE(windowName) ? windowName : L"";
      native.hints = HintsOfLocked(*w);
    }
    queue->windows.push_back(hwnd);
    core.windows.emplace(hwnd, std::move(w));
    if (!child) InsertTopLevelLocked(hwnd, (exStyle & WS_EX_TOPMOST) != 0);
  }
  (void)classStyle;
  if (needNative) {
    bool ok = WithBackend([&](Backend& b) { return b.CreateNativeWindow(hwnd, native); });
    if (!ok) {
      ReportSystemFailure("the display refused to create a window");
      ForgetWindow(hwnd);
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    std::lock_guard<std::mutex> guard(core.lock);
    FindWindowLocked(hwnd)->nativeCreated = true;
  }

  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName, className,
                   exStyle};
  if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
    MINMAXINFO info = DefaultMinMaxInfo();
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const int cx = std::clamp<int>(width, info.ptMinTrackSize.x, std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    const int cy = std::clamp<int>(height, info.ptMinTrackSize.y, std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
    if (cx != width || cy != height) {
      width = cx;
      height = cy;
      cs.cx = cx;
      cs.cy = cy;
      std::lock_guard<std::mutex> guard(core.lock);
      if (WindowRecord* w = FindWindowLocked(hwnd)) w->rect = RECT{x, y, x + cx, y + cy};
    }
  }
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    NcDestroyTree(hwnd);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  RECT calc{x, y, x + width, y + height};
  SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc));
  if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
  SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
  if (child && !(exStyle & WS_EX_NOPARENTNOTIFY)) {
    SendMessageW(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, static_cast<int>(reinterpret_cast<LONG_PTR>(menu))),
                 reinterpret_cast<LPARAM>(hwnd));
  }
  if ((style & WS_VISIBLE) && IsWindow(hwnd)) ShowWindow(hwnd, child ? SW_SHOWNOACTIVATE : SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  WindowCore& core = Core();
  bool child = false;
  bool visible = false;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w || w->destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (w->threadId != CurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    w->destroying = true;
    child = w->parent != nullptr;
    visible = (w->style & WS_VISIBLE) != 0;
  }
  if (visible) {
    if (child) {
      ShowWindow(hwnd, SW_HIDE);
    } else {
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    }
  }
  if (!child) {
    // Owned windows go first; those of other threads lose their owner instead.
    std::vector<HWND> owned;
    {
      std::lock_guard<std::mutex> guard(core.lock);
      for (auto& entry : core.windows) {
        WindowRecord& o = *entry.second;
        if (o.owner != hwnd || o.destroying) continue;
        if (o.threadId == CurrentThreadId()) {
          owned.push_back(o.handle);
        } else {
          o.owner = nullptr;
        }
      }
    }
    for (HWND o : owned) DestroyWindow(o);
    if (GetActiveWindow() == hwnd) ActivateOtherWindow(hwnd);
  }
  HWND parent = GetParent(hwnd);
  LONG_PTR id = GetWindowLongPtrW(hwnd, GWLP_ID);
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  if (child && parent && !(exStyle & WS_EX_NOPARENTNOTIFY)) {
    SendMessageW(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<int>(id)), reinterpret_cast<LPARAM>(hwnd));
  }
  SendDestroyTree(hwnd);
  NcDestroyTree(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  if (hwnd == kDesktopWindow) return TRUE;
  std::lock_guard<std::mutex> guard(Core().lock);
  return FindWindowLocked(hwnd) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  std::lock_guard<std::mutex> guard(Core().lock);
  for (WindowRecord* w = FindWindowLocked(hwnd); w && w->parent; w = FindWindowLocked(w->parent)) {
    if (w->parent == parent) return TRUE;
  }
  return FALSE;
}

HWND GetParent(HWND hwnd) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (w->parent) return w->parent;
  if (w->style & WS_POPUP) return w->owner;
  return nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  if (newParent == kDesktopWindow) newParent = nullptr;
  WindowRecord* w = FindWindowLocked(child);
  if (!w || (newParent && !FindWindowLocked(newParent)) || newParent == child) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND old = w->parent ? w->parent : kDesktopWindow;
  if (w->parent) {
    if (WindowRecord* p = FindWindowLocked(w->parent)) EraseFrom(p->children, child);
  } else {
    EraseFrom(core.topLevels, child);
  }
  w->parent = newParent;
  if (newParent) {
    FindWindowLocked(newParent)->children.insert(FindWindowLocked(newParent)->children.begin(), child);
  } else {
    InsertTopLevelLocked(child, (w->exStyle & WS_EX_TOPMOST) != 0);
  }
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT:
      return w->parent ? w->parent : kDesktopWindow;
    case GA_ROOT:
      return TopLevelOfLocked(hwnd);
    case GA_ROOTOWNER: {
      HWND root = TopLevelOfLocked(hwnd);
      for (WindowRecord* r = FindWindowLocked(root); r && r->owner; r = FindWindowLocked(root)) root = r->owner;
      return root;
    }
    default:
      return nullptr;
  }
}

HWND GetWindow(HWND hwnd, UINT relation) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (relation == GW_OWNER) return w->owner;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  const std::vector<HWND>* siblings = &core.topLevels;
  if (w->parent) siblings = &FindWindowLocked(w->parent)->children;
  if (siblings->empty()) return nullptr;
  auto it = std::find(siblings->begin(), siblings->end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST:
      return siblings->front();
    case GW_HWNDLAST:
      return siblings->back();
    case GW_HWNDNEXT:
      return (it == siblings->end() || it + 1 == siblings->end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return (it == siblings->end() || it == siblings->begin()) ? nullptr : *(it - 1);
    default:
      return nullptr;
  }
}

HWND GetDesktopWindow() { return kDesktopWindow; }

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  for (HWND hwnd : core.topLevels) {
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) continue;
    if (className && !IS_INTRESOURCE(className) && !NameEqualsNoCase(w->cls->name.c_str(), className)) continue;
    if (windowName && w->text != windowName) continue;
    return hwnd;
  }
  return nullptr;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
  if (!callback) return FALSE;
  std::vector<HWND> snapshot;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    snapshot = Core().topLevels;
  }
  for (HWND hwnd : snapshot) {
    if (IsWindow(hwnd) && !callback(hwnd, lParam)) break;
  }
  return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (processId) *processId = static_cast<DWORD>(getpid());
  return w->threadId;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWLP_USERDATA:
      return w->userData;
    default:
      if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extraBytes.size()) {
        LONG_PTR v;
        std::memcpy(&v, w->extraBytes.data() + index, sizeof v);
        return v;
      }
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  WindowCore& core = Core();
  LONG_PTR old = 0;
  bool hintsChanged = false;
  NativeWindowHints hints;
  bool styleChanged = false;
  STYLESTRUCT change{};
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    switch (index) {
      case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        break;
      case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        break;
      case GWLP_HWNDPARENT:
        old = reinterpret_cast<LONG_PTR>(w->owner);
        if (!w->parent) {
          w->owner = value ? TopLevelOfLocked(reinterpret_cast<HWND>(value)) : nullptr;
          hintsChanged = w->nativeCreated;
        }
        break;
      case GWLP_ID:
        old = w->id;
        w->id = value;
        break;
      case GWL_STYLE:
      case GWL_EXSTYLE: {
        DWORD& field = index == GWL_STYLE ? w->style : w->exStyle;
        old = static_cast<LONG_PTR>(static_cast<LONG>(field));
        change.styleOld = field;
        change.styleNew = static_cast<DWORD>(value);
        if (index == GWL_STYLE) {
          // WS_VISIBLE changes only through ShowWindow and SetWindowPos.
          change.styleNew = (change.styleNew & ~WS_VISIBLE) | (field & WS_VISIBLE);
        }
        styleChanged = change.styleOld != change.styleNew;
        break;
      }
      case GWLP_USERDATA:
        old = w->userData;
        w->userData = value;
        break;
      default:
        if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extraBytes.size()) {
          std::memcpy(&old, w->extraBytes.data() + index, sizeof old);
          std::memcpy(w->extraBytes.data() + index, &value, sizeof value);
          break;
        }
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
  }
  if (styleChanged) {
    const WPARAM which = static_cast<WPARAM>(static_cast<LONG_PTR>(index));
    SendMessageW(hwnd, WM_STYLECHANGING, which, reinterpret_cast<LPARAM>(&change));
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) return old;
    DWORD& field = index == GWL_STYLE ? w->style : w->exStyle;
    field = index == GWL_STYLE ? ((change.styleNew & ~WS_VISIBLE) | (field & WS_VISIBLE)) : change.styleNew;
    if (index == GWL_EXSTYLE && w->parent == nullptr) {
      const bool topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
      if (topmost != ((change.styleOld & WS_EX_TOPMOST) != 0)) InsertTopLevelLocked(hwnd, topmost);
      if (!(w->exStyle & WS_EX_LAYERED)) {
        w->layeredPixels.reset();
        w->layeredAttributes = false;
      }
    }
    hintsChanged = w->nativeCreated;
  }
  if (hintsChanged) {
    {
      std::lock_guard<std::mutex> guard(core.lock);
      WindowRecord* w = FindWindowLocked(hwnd);
      if (!w) return old;
      hints = HintsOfLocked(*w);
    }
    WithBackend([&](Backend& b) {
      b.SetNativeHints(hwnd, hints);
      return 0;
    });
  }
  if (styleChanged) SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(static_cast<LONG_PTR>(index)),
                                 reinterpret_cast<LPARAM>(&change));
  return old;
}

LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  LONG_PTR v = value;
  if (index == GWL_STYLE || index == GWL_EXSTYLE) v = static_cast<LONG_PTR>(static_cast<DWORD>(value));
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, v));
}

namespace {

bool PropNameMatches(const std::wstring& stored, LPCWSTR name) {
  if (IS_INTRESOURCE(name)) {
    return stored.size() == 1 && stored[0] == static_cast<wchar_t>(0xF000 | reinterpret_cast<ULONG_PTR>(name));
  }
  return NameEqualsNoCase(stored.c_str(), name);
}

std::wstring PropKey(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return std::wstring(1, static_cast<wchar_t>(0xF000 | reinterpret_cast<ULONG_PTR>(name)));
  return name;
}

}  // namespace

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
  if (!name) return FALSE;
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  for (auto& p : w->props) {
    if (PropNameMatches(p.first, name)) {
      p.second = data;
      return TRUE;
    }
  }
  w->props.emplace_back(PropKey(name), data);
  return TRUE;
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name) {
  if (!name) return nullptr;
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return nullptr;
  for (auto& p : w->props) {
    if (PropNameMatches(p.first, name)) return p.second;
  }
  return nullptr;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name) {
  if (!name) return nullptr;
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) return nullptr;
  for (auto it = w->props.begin(); it != w->props.end(); ++it) {
    if (PropNameMatches(it->first, name)) {
      HANDLE data = it->second;
      w->props.erase(it);
      return data;
    }
  }
  return nullptr;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd) || hwnd == kDesktopWindow) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

namespace {
// Another thread's window: its text is read directly, without a message.
bool TextOfOtherThread(HWND hwnd, std::wstring* text) {
  std::lock_guard<std::mutex> guard(Core().lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w || w->threadId == CurrentThreadId()) return false;
  *text = w->text;
  return true;
}
}  // namespace

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  if (!IsWindow(hwnd) || hwnd == kDesktopWindow) {
    buffer[0] = 0;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  std::wstring text;
  if (TextOfOtherThread(hwnd, &text)) {
    int n = std::min<int>(static_cast<int>(text.size()), capacity - 1);
    text.copy(buffer, static_cast<size_t>(n));
    buffer[n] = 0;
    return n;
  }
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!IsWindow(hwnd) || hwnd == kDesktopWindow) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  std::wstring text;
  if (TextOfOtherThread(hwnd, &text)) return static_cast<int>(text.size());
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
