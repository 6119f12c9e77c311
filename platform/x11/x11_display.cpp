#include "platform/x11/x11_display.h"

#include <X11/Xutil.h>

#include <cassert>
#include <cstdlib>

#include "platform/base/report.h"

namespace platform::x11 {

namespace {

const char* const kAtomNames[kAtomCount] = {
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "WM_TAKE_FOCUS",
    "_NET_WM_PING",
    "_NET_WM_NAME",
    "UTF8_STRING",
    "_NET_WM_PID",
    "_NET_WM_STATE",
    "_NET_WM_STATE_ABOVE",
    "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_SKIP_PAGER",
    "_NET_WM_STATE_HIDDEN",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_WINDOW_TYPE_DIALOG",
    "_NET_WM_WINDOW_TYPE_TOOLTIP",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_WINDOW_TYPE_NOTIFICATION",
    "_MOTIF_WM_HINTS",
    "_NET_WM_MOVERESIZE",
    "_NET_WORKAREA",
    "_NET_CURRENT_DESKTOP",
    "_NET_SUPPORTED",
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_ACTIVE_WINDOW",
    "_NET_WM_USER_TIME",
    "_NET_WM_ICON",
    "_ZELVO_PLATFORM_WINDOW",
    "_ZELVO_PLATFORM_WAKE",
};

// Keeps Xlib from freeing the X11Display when the display structure is freed.
int KeepPrivateData(XExtData*) { return 0; }

}  // namespace

std::unique_ptr<X11Display> X11Display::Open(const char* name) {
  // Some callers (the animation timer, other windows' threads) reach Xlib from several threads.
  XInitThreads();
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return nullptr;
  std::unique_ptr<X11Display> self(new X11Display(display));
  if (!self->Initialise()) return nullptr;
  return self;
}

X11Display::X11Display(Display* display) : display_(display) {}

bool X11Display::Initialise() {
  screen_ = DefaultScreen(display_);
  root_ = RootWindow(display_, screen_);

  // Private data on the display lets the process-wide error handler find this object.
  XExtCodes* codes = XAddExtension(display_);
  if (codes == nullptr) return false;
  auto* data = static_cast<XExtData*>(calloc(1, sizeof(XExtData)));  // freed by Xlib on close
  if (data == nullptr) return false;
  data->number = codes->extension;
  data->free_private = KeepPrivateData;
  data->private_data = reinterpret_cast<XPointer>(this);
  XEDataObject object;
  object.display = display_;
  XAddToExtensionList(XEHeadOfExtensionList(object), data);

  XSetErrorHandler(ProtocolErrorHandler);
  XSetIOErrorHandler(ConnectionErrorHandler);
  XSetIOErrorExitHandler(display_, ConnectionLostHook, this);

  if (!XInternAtoms(display_, const_cast<char**>(kAtomNames), kAtomCount, False, atoms_)) {
    ReportSystemFailure("x11: interning atoms failed");
    return false;
  }
  ChooseVisual();
  return true;
}

X11Display::~X11Display() {
  if (ownsColormap_ && !lost()) XFreeColormap(display_, colormap_);
  // After a loss the connection only needs its memory freed; XCloseDisplay does that without
  // talking to the server, since Xlib marked it dead.
  XCloseDisplay(display_);
}

void X11Display::ChooseVisual() {
  XVisualInfo info;
  if (XMatchVisualInfo(display_, screen_, 32, TrueColor, &info) && info.red_mask == 0xFF0000 &&
      info.green_mask == 0xFF00 && info.blue_mask == 0xFF) {
    visual_ = info.visual;
    depth_ = 32;
    colormap_ = XCreateColormap(display_, root_, visual_, AllocNone);
    ownsColormap_ = true;
    hasArgb_ = true;
    return;
  }
  visual_ = DefaultVisual(display_, screen_);
  depth_ = DefaultDepth(display_, screen_);
  colormap_ = DefaultColormap(display_, screen_);
}

::Atom X11Display::InternAtom(const std::string& name, bool onlyIfExists) const {
  return XInternAtom(display_, name.c_str(), onlyIfExists ? True : False);
}

X11Display* X11Display::FromDisplay(Display* display) {
  XEDataObject object;
  object.display = display;
  XExtData** head = XEHeadOfExtensionList(object);
  // Our entry is the only one whose private data we planted with KeepPrivateData.
  for (XExtData* data = *head; data != nullptr; data = data->next) {
    if (data->free_private == KeepPrivateData) return reinterpret_cast<X11Display*>(data->private_data);
  }
  return nullptr;
}

void X11Display::OnProtocolError(const XErrorEvent& error) {
  if (trap_ != nullptr && error.serial >= trap_->firstSerial_) {
    if (trap_->firstError_ == 0) trap_->firstError_ = error.error_code;
    return;
  }
  // Unexpected: a window destroyed by the server or another client while we still used it.
  char text[128];
  XGetErrorText(display_, error.error_code, text, sizeof text);
  ReportSystemFailure(std::string("x11: request ") + std::to_string(error.request_code) + " failed: " + text +
                      ", code ", error.error_code);
}

void X11Display::OnConnectionLost() {
  lost_.store(true, std::memory_order_release);
  if (!reportedLoss_.exchange(true)) ReportSystemFailure("x11: connection to the X server lost");
}

// Xlib's default handlers print and call exit(); ours never end the process. Errors of our own
// connections go to their X11Display; errors of any other connection in the process are
// reported and ignored.
int X11Display::ProtocolErrorHandler(Display* display, XErrorEvent* error) {
  if (X11Display* owner = FromDisplay(display)) {
    owner->OnProtocolError(*error);
    return 0;
  }
  ReportSystemFailure("x11: protocol error on another connection, code ", error->error_code);
  return 0;
}

int X11Display::ConnectionErrorHandler(Display*) {
  // Returning lets Xlib go on to the connection's exit handler (ConnectionLostHook).
  return 0;
}

void X11Display::ConnectionLostHook(Display*, void* self) { static_cast<X11Display*>(self)->OnConnectionLost(); }

X11Display::ErrorTrap::ErrorTrap(X11Display& display)
    : display_(display), previous_(display.trap_), firstSerial_(NextRequest(display.display_)) {
  display_.trap_ = this;
}

X11Display::ErrorTrap::~ErrorTrap() {
  if (!finished_) Finish();
}

int X11Display::ErrorTrap::Finish() {
  if (!finished_) {
    XSync(display_.display_, False);
    assert(display_.trap_ == this && "error traps end in the reverse order of their start");
    display_.trap_ = previous_;
    finished_ = true;
    if (display_.lost() && firstError_ == 0) firstError_ = BadImplementation;
  }
  return firstError_;
}

}  // namespace platform::x11
