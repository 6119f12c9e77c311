#include "platform/core/public_property.h"

#include "platform/core/window_core.h"

namespace platform {

BOOL PublishWindowProperty(HWND hwnd, const wchar_t* name, std::int64_t value) {
  if (!name) return FALSE;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w || w->parent || !w->nativeCreated) return FALSE;
  }
  WithBackend([&](Backend& b) {
    b.SetPublicProperty(hwnd, name, value);
    return 0;
  });
  return TRUE;
}

bool FindPublishedWindowProperty(const wchar_t* name, std::int64_t* value) {
  if (!name) return false;
  return WithBackend([&](Backend& b) { return b.FindPublicProperty(name, value); });
}

}  // namespace platform
