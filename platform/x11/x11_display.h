// One Xlib connection of the x11 backend: opening it, the atoms and the 32-bit ARGB visual we
// use, and error handling that never ends the process. A lost server marks the connection lost
// (every later Xlib call on it is a harmless no-op) instead of calling exit().
#pragma once

#include <X11/Xlib.h>
// X.h names a XQueryBestSize class CursorShape; the platform uses that name for cursors.
#undef CursorShape

#include <atomic>
#include <memory>
#include <string>

namespace platform::x11 {

// Atoms interned once per connection; `kAtomNames` in x11_display.cpp lists their names in this
// order.
enum AtomId : int {
  kWmProtocols,
  kWmDeleteWindow,
  kWmTakeFocus,
  kNetWmPing,
  kNetWmName,
  kUtf8String,
  kNetWmPid,
  kNetWmState,
  kNetWmStateAbove,
  kNetWmStateSkipTaskbar,
  kNetWmStateSkipPager,
  kNetWmStateHidden,
  kNetWmWindowType,
  kNetWmWindowTypeNormal,
  kNetWmWindowTypeUtility,
  kNetWmWindowTypeDialog,
  kNetWmWindowTypeTooltip,
  kNetWmWindowTypePopupMenu,
  kNetWmWindowTypeNotification,
  kMotifWmHints,
  kNetWmMoveResize,
  kNetWorkArea,
  kNetCurrentDesktop,
  kNetSupported,
  kNetSupportingWmCheck,
  kNetActiveWindow,
  kNetWmUserTime,
  kNetWmIcon,
  kPlatformWindow,  // marks the top-level windows of this platform (value: owning pid)
  kPlatformWake,    // client message that wakes a blocked event wait
  kAtomCount
};

class X11Display {
 public:
  // Opens `name` (null: $DISPLAY). Returns null, without reporting, when no server answers.
  static std::unique_ptr<X11Display> Open(const char* name);
  ~X11Display();
  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;

  Display* display() const { return display_; }
  int fd() const { return ConnectionNumber(display_); }
  int screen() const { return screen_; }
  Window root() const { return root_; }
  int screenWidth() const { return DisplayWidth(display_, screen_); }
  int screenHeight() const { return DisplayHeight(display_, screen_); }
  ::Atom atom(AtomId id) const { return atoms_[id]; }
  // An atom by name, interned on demand (window properties named by the program).
  ::Atom InternAtom(const std::string& name, bool onlyIfExists) const;

  // The visual top-level windows use: 32-bit TrueColor with alpha when the server offers one,
  // else the default visual.
  Visual* visual() const { return visual_; }
  int depth() const { return depth_; }
  Colormap colormap() const { return colormap_; }
  bool hasArgbVisual() const { return hasArgb_; }

  // The server went away (or the connection broke). Set from inside Xlib's I/O error path.
  bool lost() const { return lost_.load(std::memory_order_acquire); }

  // Counts protocol errors caused by the requests sent between its construction and Finish().
  // The caller serialises its X calls (the backend's lock), so the errors are its own.
  class ErrorTrap {
   public:
    explicit ErrorTrap(X11Display& display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // Waits for the server to answer everything sent so far; the first error code, 0 for none
    // (a lost connection counts as an error: BadImplementation).
    int Finish();

   private:
    X11Display& display_;
    ErrorTrap* previous_;
    unsigned long firstSerial_;
    int firstError_ = 0;
    bool finished_ = false;
    friend class X11Display;
  };

 private:
  explicit X11Display(Display* display);
  bool Initialise();
  void ChooseVisual();
  void OnProtocolError(const XErrorEvent& error);
  void OnConnectionLost();
  static int ProtocolErrorHandler(Display* display, XErrorEvent* error);
  static int ConnectionErrorHandler(Display* display);
  static void ConnectionLostHook(Display* display, void* self);
  static X11Display* FromDisplay(Display* display);

  Display* display_;
  int screen_ = 0;
  Window root_ = 0;
  ::Atom atoms_[kAtomCount] = {};
  Visual* visual_ = nullptr;
  int depth_ = 0;
  Colormap colormap_ = 0;
  bool ownsColormap_ = false;
  bool hasArgb_ = false;
  std::atomic<bool> lost_{false};
  std::atomic<bool> reportedLoss_{false};
  ErrorTrap* trap_ = nullptr;  // innermost active trap
};

}  // namespace platform::x11
