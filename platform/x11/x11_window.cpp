#include "platform/x11/x11_window.h"

#include <X11/Xutil.h>

#include <algorithm>

#include "platform/x11/x11_hints.h"

namespace platform::x11 {

namespace {
constexpr long kWindowEvents = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                               ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                               LeaveWindowMask | FocusChangeMask | PropertyChangeMask;
}

void WriteSizeHints(X11Display& x, Window window, const RECT& rect) {
  XSizeHints size{};
  // Static gravity: the position we give is the client's, whatever frame the manager adds.
  size.flags = USPosition | PPosition | USSize | PSize | PWinGravity;
  size.x = rect.left;
  size.y = rect.top;
  size.width = std::max<int>(1, rect.right - rect.left);
  size.height = std::max<int>(1, rect.bottom - rect.top);
  size.win_gravity = StaticGravity;
  XSetWMNormalHints(x.display(), window, &size);
}

Window CreateXWindow(X11Display& x, const NativeWindowInfo& info, Window owner, bool* overrideRedirect) {
  XSetWindowAttributes attributes{};
  attributes.colormap = x.colormap();
  attributes.border_pixel = 0;  // a depth-32 window needs its own border and colormap
  attributes.background_pixel = 0;  // transparent black until the first present
  attributes.event_mask = kWindowEvents;
  attributes.override_redirect = WantsOverrideRedirect(info.hints) ? True : False;
  const RECT& r = info.rect;
  Window window = XCreateWindow(x.display(), x.root(), r.left, r.top,
                                static_cast<unsigned>(std::max<int>(1, r.right - r.left)),
                                static_cast<unsigned>(std::max<int>(1, r.bottom - r.top)), 0, x.depth(),
                                InputOutput, x.visual(),
                                CWColormap | CWBorderPixel | CWBackPixel | CWEventMask | CWOverrideRedirect,
                                &attributes);
  if (window == None) return None;
  *overrideRedirect = attributes.override_redirect == True;
  WriteIdentity(x, window);
  WriteTitle(x, window, info.title);
  WriteSizeHints(x, window, info.rect);
  WriteHints(x, window, info.hints, owner, false);
  if (info.hints.clickThrough) SetInputPassThrough(x, window, true);
  return window;
}

}  // namespace platform::x11
