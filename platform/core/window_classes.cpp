// Window classes: registration per module, platform classes (registered with a null instance
// and seen from every module) and the look-up that superclassing relies on.
#include <cwctype>

#include "platform/core/window_api.h"
#include "platform/core/window_core.h"

namespace platform {

bool NameEqualsNoCase(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return a == b;
  for (; *a && *b; ++a, ++b) {
    if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) return false;
  }
  return *a == *b;
}

ClassRecord* FindClassLocked(LPCWSTR name, HINSTANCE instance) {
  WindowCore& core = Core();
  auto matches = [&](const ClassRecord& c) {
    if (IS_INTRESOURCE(name)) return c.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    return NameEqualsNoCase(c.name.c_str(), name);
  };
  if (!name) return nullptr;
  // The module's own classes first, then global ones, then the platform's.
  if (instance) {
    for (auto& c : core.classes) {
      if (c->instance == instance && matches(*c)) return c.get();
    }
  }
  for (auto& c : core.classes) {
    if (c->instance && (c->style & CS_GLOBALCLASS) && matches(*c)) return c.get();
  }
  for (auto& c : core.classes) {
    if (!c->instance && matches(*c)) return c.get();
  }
  return nullptr;
}

}  // namespace platform

using namespace platform;

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  for (auto& c : core.classes) {
    if (c->instance == wc->hInstance && NameEqualsNoCase(c->name.c_str(), wc->lpszClassName)) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  auto record = std::make_unique<ClassRecord>();
  record->name = wc->lpszClassName;
  record->style = wc->style;
  record->proc = wc->lpfnWndProc;
  record->clsExtra = wc->cbClsExtra < 0 ? 0 : wc->cbClsExtra;
  record->wndExtra = wc->cbWndExtra < 0 ? 0 : wc->cbWndExtra;
  record->instance = wc->hInstance;
  record->icon = wc->hIcon;
  record->iconSmall = wc->hIconSm;
  record->cursor = wc->hCursor;
  record->background = wc->hbrBackground;
  record->menuName = wc->lpszMenuName;
  record->atom = core.nextAtom++;
  const ATOM atom = record->atom;
  core.classes.push_back(std::move(record));
  return atom;
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof ex;
  ex.style = wc->style;
  ex.lpfnWndProc = wc->lpfnWndProc;
  ex.cbClsExtra = wc->cbClsExtra;
  ex.cbWndExtra = wc->cbWndExtra;
  ex.hInstance = wc->hInstance;
  ex.hIcon = wc->hIcon;
  ex.hCursor = wc->hCursor;
  ex.hbrBackground = wc->hbrBackground;
  ex.lpszMenuName = wc->lpszMenuName;
  ex.lpszClassName = wc->lpszClassName;
  return RegisterClassExW(&ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  for (auto it = core.classes.begin(); it != core.classes.end(); ++it) {
    ClassRecord& c = **it;
    const bool nameMatches = IS_INTRESOURCE(className)
                                 ? c.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className))
                                 : NameEqualsNoCase(c.name.c_str(), className);
    if (!nameMatches || c.instance != instance) continue;
    if (c.windows > 0) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
    core.classes.erase(it);
    return TRUE;
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* out) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  ClassRecord* c = FindClassLocked(className, instance);
  if (!c || !out) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  out->style = c->style;
  out->lpfnWndProc = c->proc;
  out->cbClsExtra = c->clsExtra;
  out->cbWndExtra = c->wndExtra;
  out->hInstance = c->instance ? c->instance : instance;
  out->hIcon = c->icon;
  out->hCursor = c->cursor;
  out->hbrBackground = c->background;
  out->lpszMenuName = c->menuName;
  out->lpszClassName = className;
  out->hIconSm = c->iconSmall;
  return c->atom;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int capacity) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w || !buffer || capacity <= 0) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const std::wstring& name = w->cls->name;
  int n = std::min<int>(static_cast<int>(name.size()), capacity - 1);
  name.copy(buffer, static_cast<size_t>(n));
  buffer[n] = 0;
  return n;
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index) {
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GCLP_HCURSOR:
      return reinterpret_cast<ULONG_PTR>(w->cls->cursor);
    case GCLP_HICON:
      return reinterpret_cast<ULONG_PTR>(w->cls->icon);
    case GCL_STYLE:
      return w->cls->style;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}
