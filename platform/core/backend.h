// The contract between the windowing core and a display backend (x11, offscreen).
//
// The core owns every window's state (tree, styles, geometry, visibility, focus, capture); a
// backend mirrors the top-level windows on its display and reports what happens there only
// through the entry points of platform/core/input.h. A backend never reads or changes core
// state directly.
//
// Calls: the core serialises every call into the backend with one lock of its own, and never
// holds its window-state lock while calling, so a backend needs no locking of its own and may
// call the input entry points from inside any of its functions (typically PumpEvents).
// Only top-level windows (no WS_CHILD) are given to the backend; child windows are drawn into
// their top-level window's pixels by the core.
#pragma once

#include <memory>
#include <string>

#include "platform/base/win_types.h"
#include "platform/gdi/bitmap.h"

namespace platform {

// How a native window should look and behave; sent at creation and whenever it changes.
struct NativeWindowHints {
  bool topmost = false;  // WS_EX_TOPMOST: stays above normal windows
  bool toolWindow = false;  // WS_EX_TOOLWINDOW: no taskbar or pager entry
  bool borderless = true;  // no WS_CAPTION / WS_THICKFRAME: no decorations from the desktop
  bool popup = false;  // WS_POPUP with an owner or WS_EX_TOOLWINDOW|TOPMOST: menus, tooltips, shadows
  bool layered = false;  // WS_EX_LAYERED: shows per-pixel alpha pixels given by PresentLayered
  bool noActivate = false;  // WS_EX_NOACTIVATE: never takes the keyboard focus
  bool clickThrough = false;  // WS_EX_TRANSPARENT on a layered window: input passes through
  HWND owner = nullptr;  // the owner's top-level window (transient-for), or null
  DWORD style = 0;  // the window's WS_* and WS_EX_* bits, for finer decisions of the backend
  DWORD exStyle = 0;
};

struct NativeWindowInfo {
  RECT rect{};  // screen rectangle
  std::wstring title;
  NativeWindowHints hints;
};

// Cursor shapes by their stock identifier (the numeric value of IDC_ARROW, IDC_HAND ...).
using CursorShape = unsigned;

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;

  // ---- Screen ----
  // The whole screen and the part not taken by panels, in screen coordinates.
  virtual RECT ScreenRect() = 0;
  virtual RECT WorkArea() = 0;

  // ---- Native windows (top-level only) ----
  // Creates the native window hidden. False when it could not be made (the core then fails
  // CreateWindowExW).
  virtual bool CreateNativeWindow(HWND hwnd, const NativeWindowInfo& info) = 0;
  virtual void DestroyNativeWindow(HWND hwnd) = 0;
  // Shows or hides; `activate` asks for the keyboard focus as well.
  virtual void ShowNativeWindow(HWND hwnd, bool show, bool activate) = 0;
  virtual void MoveNativeWindow(HWND hwnd, const RECT& screenRect) = 0;
  virtual void SetNativeTitle(HWND hwnd, const std::wstring& title) = 0;
  virtual void SetNativeHints(HWND hwnd, const NativeWindowHints& hints) = 0;
  // Iconifies or restores the native window (ShowWindow SW_MINIMIZE / SW_RESTORE).
  virtual void SetNativeMinimized(HWND hwnd, bool minimized) = 0;
  // Raises the window above its siblings (and gives it the focus when `activate`).
  virtual void RaiseNativeWindow(HWND hwnd, bool activate) = 0;

  // ---- Pixels ----
  // Puts `dirty` (client coordinates) of an ordinary window's pixels on the display. `pixels`
  // covers the whole window and lives only for the call.
  virtual void PresentWindow(HWND hwnd, const Bitmap& pixels, const RECT& dirty) = 0;
  // Puts a layered window's premultiplied pixels on the display, covering the whole window,
  // with every pixel's alpha already multiplied by the constant alpha. Lives only for the call.
  virtual void PresentLayered(HWND hwnd, const Bitmap& pixels) = 0;
  // The window's shape in client coordinates as a list of rectangles; empty restores the
  // full rectangle.
  virtual void SetNativeShape(HWND hwnd, const RECT* rects, int count) = 0;

  // ---- Pointer ----
  // A press on a caption spot (the left button is down at `screenPoint`). Returns true when the
  // desktop moves the window with the pointer itself: it then reports the moves through
  // InputNativeMoved and the end through InputSystemMoveEnded (or a left-button release through
  // InputMouseButton). Returns false to leave the move to the core, which then moves the window
  // with the reported pointer motion until the left button is released.
  virtual bool BeginSystemMove(HWND hwnd, POINT screenPoint) = 0;
  virtual void SetCursorShape(CursorShape shape) = 0;
  // Pointer grab while the core's capture is set; `hwnd` null releases.
  virtual void GrabPointer(HWND hwnd) = 0;
  // Moves the pointer (SetCursorPos); the backend reports the move as input if it produces one.
  virtual void WarpPointer(POINT screenPoint) = 0;

  // ---- Properties seen by other processes ----
  // A named value on the native window that other processes of the same display can find
  // (the single-instance lookup). Value 0 removes it.
  virtual void SetPublicProperty(HWND hwnd, const std::wstring& name, std::int64_t value) = 0;
  // The value of `name` on any top-level window of the display, of this or another process;
  // false when no window carries it.
  virtual bool FindPublicProperty(const std::wstring& name, std::int64_t* value) = 0;

  // ---- Events ----
  // A file descriptor that becomes readable when native events wait, or -1 when there is none.
  // The core polls it together with its own queues.
  virtual int EventFd() = 0;
  // Handles every native event that is already waiting (without blocking) and reports each
  // through the input entry points; also flushes output. Called on any thread that waits for
  // messages, before it sleeps and after it wakes.
  virtual void PumpEvents() = 0;
};

// The backend in use: chosen at the first call (VQ_BACKEND=offscreen|x11; otherwise x11 when a
// display can be opened, offscreen when not). Never null.
Backend& CurrentBackend();
// Replaces the backend; for tests and tools, before any window exists.
void InstallBackend(std::unique_ptr<Backend> backend);

// Factories. CreateX11Backend returns null when no display can be opened.
std::unique_ptr<Backend> CreateX11Backend();
std::unique_ptr<Backend> CreateOffscreenBackend();

}  // namespace platform
