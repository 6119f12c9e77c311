// The x11 display backend: the core's top-level windows as real X windows, input from the
// X server reported through the core's input entry points.
//
// The core serialises every call into the backend, so this class keeps no lock; Xlib is put
// in thread-safe mode anyway since the calls come from whichever thread holds the core's lock.
// When the server goes away, Xlib's error path marks the connection lost instead of ending the
// process; the backend then asks every window to close, refuses new windows and stops offering
// its event descriptor.
#pragma once

#include "platform/x11/x11_display.h"

#include <bitset>
#include <memory>
#include <unordered_map>

#include "platform/core/backend.h"
#include "platform/x11/x11_cursor.h"
#include "platform/x11/x11_window.h"

namespace platform::x11 {

class X11Backend final : public Backend {
 public:
  explicit X11Backend(std::unique_ptr<X11Display> display);
  ~X11Backend() override;

  const char* Name() const override { return "x11"; }
  RECT ScreenRect() override;
  RECT WorkArea() override;

  bool CreateNativeWindow(HWND hwnd, const NativeWindowInfo& info) override;
  void DestroyNativeWindow(HWND hwnd) override;
  void ShowNativeWindow(HWND hwnd, bool show, bool activate) override;
  void MoveNativeWindow(HWND hwnd, const RECT& screenRect) override;
  void SetNativeTitle(HWND hwnd, const std::wstring& title) override;
  void SetNativeHints(HWND hwnd, const NativeWindowHints& hints) override;
  void SetNativeMinimized(HWND hwnd, bool minimized) override;
  void RaiseNativeWindow(HWND hwnd, bool activate) override;

  void PresentWindow(HWND hwnd, const Bitmap& pixels, const RECT& dirty) override;
  void PresentLayered(HWND hwnd, const Bitmap& pixels) override;
  void SetNativeShape(HWND hwnd, const RECT* rects, int count) override;

  bool BeginSystemMove(HWND hwnd, POINT screenPoint) override;
  // (platform::CursorShape: X.h takes that name for a macro, so the type is spelt out.)
  void SetCursorShape(unsigned shape) override;
  void GrabPointer(HWND hwnd) override;
  void WarpPointer(POINT screenPoint) override;

  void SetPublicProperty(HWND hwnd, const std::wstring& name, std::int64_t value) override;
  bool FindPublicProperty(const std::wstring& name, std::int64_t* value) override;

  int EventFd() override;
  void PumpEvents() override;

  // The X window behind a core window (None when it has none); for tests and tools.
  Window NativeWindowOf(HWND hwnd) const;

 private:
  // Ends every call that talks to the server: flushes the requests, and when a round trip
  // left events in Xlib's queue (where polling the descriptor cannot see them) sends us a wake
  // message so the waiting thread pumps them.
  class CallScope {
   public:
    explicit CallScope(X11Backend& backend) : backend_(backend) {}
    ~CallScope() { backend_.FinishCall(); }

   private:
    X11Backend& backend_;
  };

  X11Window* Find(HWND hwnd) const;
  X11Window* FindX(Window xid) const;
  bool Usable() const;
  void FinishCall();
  void UpdateMapping(X11Window& window);
  void FocusNow(X11Window& window);
  bool WindowManagerPresent();

  void HandleEvent(XEvent& event);
  void HandleButton(XButtonEvent& event);
  void HandleMotion(XMotionEvent& event);
  void HandleCrossing(XCrossingEvent& event);
  void HandleKey(XKeyEvent& event);
  void HandleConfigure(XConfigureEvent& event);
  void HandleClientMessage(XClientMessageEvent& event);
  void HandleProperty(XPropertyEvent& event);
  void HandleExpose(XExposeEvent& event);
  void HandleConnectionLoss();
  void RefreshKeymapNow(int keycode);
  HWND UnderPointer(Window xid, int rootX, int rootY) const;

  std::unique_ptr<X11Display> x_;
  std::unordered_map<HWND, std::unique_ptr<X11Window>> windows_;
  std::unordered_map<Window, X11Window*> byXid_;
  CursorCache cursors_;
  XIM inputMethod_ = nullptr;  // the built-in compose method, no input-method server
  unsigned cursorShape_ = 32512;  // IDC_ARROW
  Window pointerWindow_ = None;  // our window the pointer is in
  Window cursorDefinedOn_ = None;
  unsigned cursorDefinedShape_ = 0;
  Window wakeWindow_ = None;  // unmapped; target of the wake message
  HWND systemMove_ = nullptr;  // window the window manager is moving for us
  Window grabbing_ = None;  // our explicit pointer grab
  bool lossHandled_ = false;
  int xkbEventBase_ = -1;  // event type of XKB events (-1: no XKB)
  int pumping_ = 0;  // depth of PumpEvents calls (window procedures may pump again)
  int wmKnown_ = -1;  // -1 not checked yet, else whether a window manager runs
  std::bitset<256> keysDown_;  // by key code, to drop repeats' releases and stale releases
};

}  // namespace platform::x11
