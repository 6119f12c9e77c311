// One top-level window of the core mirrored on the X server.
#pragma once

#include "platform/x11/x11_display.h"

#include <memory>
#include <string>

#include "platform/base/win_types.h"
#include "platform/core/backend.h"
#include "platform/gdi/bitmap.h"

namespace platform::x11 {

struct X11Window {
  HWND hwnd = nullptr;
  Window xid = None;
  GC gc = nullptr;
  XIC inputContext = nullptr;  // text of key presses (null: Latin-1 only)
  RECT rect{};  // screen rectangle as last asked by the core or reported by the desktop
  bool zeroSized = false;  // the core's rectangle is empty; X windows are at least 1x1, so it stays unmapped
  NativeWindowHints hints;
  bool overrideRedirect = false;  // as set on the X window
  bool passThrough = false;  // empty input shape set
  bool wantVisible = false;  // the core shows the window
  bool minimized = false;
  bool mapped = false;  // we asked the server to map it
  bool viewable = false;  // MapNotify arrived
  bool focusOnMap = false;  // give it the focus once it is viewable
  unsigned long lastMoveSerial = 0;  // request serial of our last move or resize
  std::unique_ptr<Bitmap> layeredPixels;  // the last layered image, put back on exposure
};

// Creates the X window (unmapped) for `info` with the display's top-level visual. The window
// carries the identity, title and hint properties; override-redirect and click-through follow
// the hints. Returns None on failure.
Window CreateXWindow(X11Display& x, const NativeWindowInfo& info, Window owner, bool* overrideRedirect);

// Sets WM_NORMAL_HINTS so a window manager keeps the window where and as large as we ask.
void WriteSizeHints(X11Display& x, Window window, const RECT& rect);

}  // namespace platform::x11
