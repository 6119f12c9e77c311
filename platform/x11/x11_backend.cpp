#include "platform/x11/x11_backend.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/base/report.h"
#include "platform/core/input.h"
#include "platform/x11/x11_hints.h"
#include "platform/x11/x11_present.h"

namespace platform {

std::unique_ptr<Backend> CreateX11Backend() {
  std::unique_ptr<x11::X11Display> display = x11::X11Display::Open(nullptr);
  if (display == nullptr) return nullptr;
  return std::make_unique<x11::X11Backend>(std::move(display));
}

}  // namespace platform

namespace platform::x11 {

X11Backend::X11Backend(std::unique_ptr<X11Display> display) : x_(std::move(display)) {
  Display* d = x_->display();
  // Key repeats arrive as presses only, so a held key does not look like press-release pairs.
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(d, True, &detectable);
  int opcode = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (XkbQueryExtension(d, &opcode, &xkbEventBase_, &errorBase, &major, &minor)) {
    // Keyboard mapping changes, so that keys bound for a moment are read while bound.
    XkbSelectEvents(d, XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
  } else {
    xkbEventBase_ = -1;
  }
  // The work area and the screen size are announced on the root window.
  XSelectInput(d, x_->root(), PropertyChangeMask | StructureNotifyMask);
  // Text comes through Xlib's own compose handling; an input-method server is never asked.
  XSetLocaleModifiers("@im=none");
  inputMethod_ = XOpenIM(d, nullptr, nullptr, nullptr);
  XSetWindowAttributes attributes{};
  wakeWindow_ = XCreateWindow(d, x_->root(), -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, &attributes);
  XFlush(d);
}

X11Backend::~X11Backend() {
  // After a loss these calls only free Xlib's memory; nothing reaches the (dead) server.
  Display* d = x_->display();
  for (auto& [hwnd, window] : windows_) {
    if (window->inputContext != nullptr) XDestroyIC(window->inputContext);
    XFreeGC(d, window->gc);
    XDestroyWindow(d, window->xid);
  }
  if (wakeWindow_ != None) XDestroyWindow(d, wakeWindow_);
  cursors_.Release(d);
  if (inputMethod_ != nullptr) XCloseIM(inputMethod_);
  if (Usable()) XSync(d, False);
}

X11Window* X11Backend::Find(HWND hwnd) const {
  auto found = windows_.find(hwnd);
  return found == windows_.end() ? nullptr : found->second.get();
}

X11Window* X11Backend::FindX(Window xid) const {
  auto found = byXid_.find(xid);
  return found == byXid_.end() ? nullptr : found->second;
}

Window X11Backend::NativeWindowOf(HWND hwnd) const {
  X11Window* window = Find(hwnd);
  return window == nullptr ? None : window->xid;
}

bool X11Backend::Usable() const { return !x_->lost(); }

void X11Backend::FinishCall() {
  if (!Usable()) return;
  Display* d = x_->display();
  // Inside PumpEvents the queue is drained before the pump returns.
  if (pumping_ == 0 && XEventsQueued(d, QueuedAlready) > 0) {
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.window = wakeWindow_;
    wake.xclient.message_type = x_->atom(kPlatformWake);
    wake.xclient.format = 32;
    // An empty event mask sends it to the window's creator: us.
    XSendEvent(d, wakeWindow_, False, 0, &wake);
  }
  XFlush(d);
}

bool X11Backend::WindowManagerPresent() {
  if (wmKnown_ < 0) wmKnown_ = WindowManagerRunning(*x_) ? 1 : 0;
  return wmKnown_ == 1;
}

RECT X11Backend::ScreenRect() {
  if (!Usable()) return RECT{0, 0, 0, 0};
  return RECT{0, 0, x_->screenWidth(), x_->screenHeight()};
}

RECT X11Backend::WorkArea() {
  CallScope scope(*this);
  if (!Usable()) return RECT{0, 0, 0, 0};
  return ReadWorkArea(*x_);
}

bool X11Backend::CreateNativeWindow(HWND hwnd, const NativeWindowInfo& info) {
  CallScope scope(*this);
  if (!Usable() || Find(hwnd) != nullptr) return false;
  X11Window* owner = info.hints.owner != nullptr ? Find(info.hints.owner) : nullptr;
  auto window = std::make_unique<X11Window>();
  window->hwnd = hwnd;
  window->rect = info.rect;
  window->zeroSized = info.rect.right <= info.rect.left || info.rect.bottom <= info.rect.top;
  window->hints = info.hints;
  window->passThrough = info.hints.clickThrough;
  X11Display::ErrorTrap trap(*x_);
  window->xid = CreateXWindow(*x_, info, owner != nullptr ? owner->xid : None, &window->overrideRedirect);
  if (window->xid != None) window->gc = XCreateGC(x_->display(), window->xid, 0, nullptr);
  int error = trap.Finish();
  if (window->xid == None || error != 0) {
    if (error != 0) ReportSystemFailure("x11: creating a window failed, code ", static_cast<unsigned long>(error));
    if (window->xid != None && Usable()) {
      if (window->gc != nullptr) XFreeGC(x_->display(), window->gc);
      XDestroyWindow(x_->display(), window->xid);
    }
    return false;
  }
  if (inputMethod_ != nullptr) {
    window->inputContext = XCreateIC(inputMethod_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                                     XNClientWindow, window->xid, XNFocusWindow, window->xid, nullptr);
  }
  byXid_[window->xid] = window.get();
  windows_[hwnd] = std::move(window);
  return true;
}

void X11Backend::DestroyNativeWindow(HWND hwnd) {
  CallScope scope(*this);
  auto found = windows_.find(hwnd);
  if (found == windows_.end()) return;
  X11Window& window = *found->second;
  // Also after a loss: the calls then only free Xlib's memory.
  if (window.inputContext != nullptr) XDestroyIC(window.inputContext);
  XFreeGC(x_->display(), window.gc);
  XDestroyWindow(x_->display(), window.xid);
  if (pointerWindow_ == window.xid) pointerWindow_ = None;
  if (cursorDefinedOn_ == window.xid) cursorDefinedOn_ = None;
  if (grabbing_ == window.xid) grabbing_ = None;
  if (systemMove_ == hwnd) systemMove_ = nullptr;
  byXid_.erase(window.xid);
  windows_.erase(found);
}

void X11Backend::UpdateMapping(X11Window& window) {
  if (!Usable()) return;
  Display* d = x_->display();
  // Without a window manager nobody keeps an iconified window: it is simply not shown.
  bool shouldMap = window.wantVisible && !window.zeroSized && !window.minimized;
  if (shouldMap == window.mapped) return;
  if (shouldMap) {
    XMapWindow(d, window.xid);
    // Pop-ups and topmost windows open above everything else.
    if (window.overrideRedirect || window.hints.topmost) XRaiseWindow(d, window.xid);
  } else {
    // Withdraw (not just unmap) so a window manager forgets the window until it is shown again.
    XWithdrawWindow(d, window.xid, x_->screen());
    window.viewable = false;
    if (pointerWindow_ == window.xid) pointerWindow_ = None;
  }
  window.mapped = shouldMap;
}

void X11Backend::FocusNow(X11Window& window) {
  if (window.hints.noActivate || !Usable()) return;
  if (!window.viewable) {
    window.focusOnMap = true;
    return;
  }
  if (!window.overrideRedirect && WindowManagerPresent() && WindowManagerSupports(*x_, x_->atom(kNetActiveWindow))) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.xid;
    event.xclient.message_type = x_->atom(kNetActiveWindow);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // a normal application asks
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x_->display(), x_->root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    return;
  }
  // The window may have been unmapped meanwhile by someone else: BadMatch is not a failure here.
  X11Display::ErrorTrap trap(*x_);
  XSetInputFocus(x_->display(), window.xid, RevertToParent, CurrentTime);
  trap.Finish();
}

void X11Backend::ShowNativeWindow(HWND hwnd, bool show, bool activate) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr) return;
  window->wantVisible = show;
  if (show) window->minimized = false;
  bool wasMapped = window->mapped;
  UpdateMapping(*window);
  if (show && activate) {
    if (wasMapped) {
      RaiseNativeWindow(hwnd, true);
    } else {
      window->focusOnMap = true;
    }
  }
}

void X11Backend::MoveNativeWindow(HWND hwnd, const RECT& screenRect) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  window->rect = screenRect;
  window->zeroSized = screenRect.right <= screenRect.left || screenRect.bottom <= screenRect.top;
  window->lastMoveSerial = NextRequest(x_->display());
  XMoveResizeWindow(x_->display(), window->xid, screenRect.left, screenRect.top,
                    static_cast<unsigned>(std::max<int>(1, screenRect.right - screenRect.left)),
                    static_cast<unsigned>(std::max<int>(1, screenRect.bottom - screenRect.top)));
  if (!window->overrideRedirect) WriteSizeHints(*x_, window->xid, screenRect);
  UpdateMapping(*window);
}

void X11Backend::SetNativeTitle(HWND hwnd, const std::wstring& title) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  WriteTitle(*x_, window->xid, title);
}

void X11Backend::SetNativeHints(HWND hwnd, const NativeWindowHints& hints) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  Display* d = x_->display();
  window->hints = hints;
  bool wantOverride = WantsOverrideRedirect(hints);
  bool remap = false;
  if (wantOverride != window->overrideRedirect) {
    // Override-redirect takes effect at the next map; a shown window is mapped again.
    if (window->mapped) {
      XWithdrawWindow(d, window->xid, x_->screen());
      window->mapped = false;
      window->viewable = false;
      remap = true;
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = wantOverride ? True : False;
    XChangeWindowAttributes(d, window->xid, CWOverrideRedirect, &attributes);
    window->overrideRedirect = wantOverride;
  }
  X11Window* owner = hints.owner != nullptr ? Find(hints.owner) : nullptr;
  bool managedAndMapped = window->mapped && !window->overrideRedirect && WindowManagerPresent();
  WriteHints(*x_, window->xid, hints, owner != nullptr ? owner->xid : None, managedAndMapped);
  if (hints.clickThrough != window->passThrough) {
    SetInputPassThrough(*x_, window->xid, hints.clickThrough);
    window->passThrough = hints.clickThrough;
  }
  if (remap) UpdateMapping(*window);
  if (window->mapped && hints.topmost) XRaiseWindow(d, window->xid);
}

void X11Backend::SetNativeMinimized(HWND hwnd, bool minimized) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  if (minimized && !window->overrideRedirect && window->mapped && WindowManagerPresent()) {
    // The window manager iconifies (and keeps the window mapped in its own sense).
    window->minimized = true;
    XIconifyWindow(x_->display(), window->xid, x_->screen());
    return;
  }
  window->minimized = minimized;
  if (!minimized && window->mapped) XMapRaised(x_->display(), window->xid);
  UpdateMapping(*window);
}

void X11Backend::RaiseNativeWindow(HWND hwnd, bool activate) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  XRaiseWindow(x_->display(), window->xid);
  if (activate) FocusNow(*window);
}

void X11Backend::PresentWindow(HWND hwnd, const Bitmap& pixels, const RECT& dirty) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  // An ordinary window shows no alpha: drawing may leave alpha 0 where it put colour.
  PutPixels(*x_, window->xid, window->gc, pixels, dirty, true);
}

void X11Backend::PresentLayered(HWND hwnd, const Bitmap& pixels) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  // Kept for exposures: a layered window is not asked to paint again.
  if (window->layeredPixels == nullptr || window->layeredPixels->width() != pixels.width() ||
      window->layeredPixels->height() != pixels.height()) {
    window->layeredPixels = std::make_unique<Bitmap>(pixels.width(), pixels.height());
  }
  pixels.Flush();
  for (int y = 0; y < pixels.height(); ++y) {
    std::memcpy(window->layeredPixels->row(y), pixels.row(y), static_cast<std::size_t>(pixels.width()) * 4);
  }
  window->layeredPixels->MarkDirty();
  PutPixels(*x_, window->xid, window->gc, pixels, RECT{0, 0, pixels.width(), pixels.height()}, false);
}

void X11Backend::SetNativeShape(HWND hwnd, const RECT* rects, int count) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  int eventBase = 0, errorBase = 0;
  if (!XShapeQueryExtension(x_->display(), &eventBase, &errorBase)) return;
  if (count <= 0 || rects == nullptr) {
    XShapeCombineMask(x_->display(), window->xid, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  std::vector<XRectangle> shape;
  shape.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const RECT& r = rects[i];
    if (r.right <= r.left || r.bottom <= r.top) continue;
    shape.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                               static_cast<unsigned short>(r.right - r.left),
                               static_cast<unsigned short>(r.bottom - r.top)});
  }
  XShapeCombineRectangles(x_->display(), window->xid, ShapeBounding, 0, 0, shape.data(),
                          static_cast<int>(shape.size()), ShapeSet, Unsorted);
}

bool X11Backend::BeginSystemMove(HWND hwnd, POINT screenPoint) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return false;
  // Windows the manager does not manage, or no manager that moves windows: the core moves the
  // window itself with the pointer motion we report.
  if (window->overrideRedirect || !WindowManagerPresent() ||
      !WindowManagerSupports(*x_, x_->atom(kNetWmMoveResize))) {
    return false;
  }
  grabbing_ = None;
  // The manager wants where the pointer really is (callers may pass a client position).
  Window rootReturn = None, childReturn = None;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  if (XQueryPointer(x_->display(), x_->root(), &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &mask)) {
    screenPoint = POINT{rootX, rootY};
  }
  SendMoveRequest(*x_, window->xid, screenPoint);
  systemMove_ = hwnd;
  return true;
}

void X11Backend::SetCursorShape(unsigned shape) {
  CallScope scope(*this);
  cursorShape_ = shape;
  if (!Usable() || pointerWindow_ == None) return;
  if (cursorDefinedOn_ == pointerWindow_ && cursorDefinedShape_ == shape) return;
  XDefineCursor(x_->display(), pointerWindow_, cursors_.Get(x_->display(), shape));
  cursorDefinedOn_ = pointerWindow_;
  cursorDefinedShape_ = shape;
}

void X11Backend::GrabPointer(HWND hwnd) {
  CallScope scope(*this);
  if (!Usable()) return;
  if (hwnd == nullptr) {
    if (grabbing_ != None) XUngrabPointer(x_->display(), CurrentTime);
    grabbing_ = None;
    return;
  }
  X11Window* window = Find(hwnd);
  if (window == nullptr || !window->viewable) return;
  // Owner events: our other windows still see the pointer as usual; the rest goes to the
  // capture window. A refused grab (another client holds one) leaves things as they are.
  int result = XGrabPointer(x_->display(), window->xid, True,
                            ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                                LeaveWindowMask,
                            GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  grabbing_ = result == GrabSuccess ? window->xid : None;
}

void X11Backend::WarpPointer(POINT screenPoint) {
  CallScope scope(*this);
  if (!Usable()) return;
  XWarpPointer(x_->display(), None, x_->root(), 0, 0, 0, 0, screenPoint.x, screenPoint.y);
}

void X11Backend::SetPublicProperty(HWND hwnd, const std::wstring& name, std::int64_t value) {
  CallScope scope(*this);
  X11Window* window = Find(hwnd);
  if (window == nullptr || !Usable()) return;
  WritePublicProperty(*x_, window->xid, name, value);
}

bool X11Backend::FindPublicProperty(const std::wstring& name, std::int64_t* value) {
  CallScope scope(*this);
  if (!Usable()) return false;
  return FindPublicPropertyOnDisplay(*x_, name, value);
}

int X11Backend::EventFd() {
  if (!Usable()) return -1;
  return x_->fd();
}

}  // namespace platform::x11
