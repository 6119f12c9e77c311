// The one way input enters the windowing core. Backends report what the display does through
// these functions; tests call the same functions, so what a test drives is what a user drives.
// Each may be called from any thread; the resulting messages are queued to (or, for the native
// notifications, handled on) the thread that owns the window concerned.
#pragma once

#include "platform/base/win_types.h"

namespace platform {

enum class MouseButton { Left, Right, Middle };

// The pointer is at `screenPoint`. `under` is the top-level window the display says is under the
// pointer (null: the core finds it from its own window tree; pass nullptr when unknown). Produces
// WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE (or WM_NCMOUSEMOVE) for the window under the pointer
// or the capture window, and WM_MOUSELEAVE / WM_MOUSEHOVER for tracked windows. Nothing when
// the point did not change.
void InputMouseMove(POINT screenPoint, HWND under = nullptr);
// The pointer left every window of this process (it is over another program's window).
void InputMouseLeftWindows(POINT screenPoint);
// A button went down or up at `screenPoint`. Presses activate the window under the pointer,
// produce double-clicks for CS_DBLCLKS classes, and follow the capture.
void InputMouseButton(MouseButton button, bool down, POINT screenPoint, HWND under = nullptr);
// One wheel step is 120 (WHEEL_DELTA); positive away from the user. Goes to the focus window.
void InputMouseWheel(int delta, POINT screenPoint, bool horizontal = false);
// A key changed state. `text` is the character the key produces with the current modifiers
// (0 for none); TranslateMessage turns it into WM_CHAR. Goes to the focus window, or the active
// window when nothing has the focus.
void InputKey(UINT vk, bool down, wchar_t text = 0);
// Text that arrives without a key (input methods, pasted compositions): WM_CHAR to the focus.
void InputChar(wchar_t ch);

// The desktop moved the native window (screen position of its top-left corner).
void InputNativeMoved(HWND hwnd, POINT topLeft);
// The desktop resized the native window.
void InputNativeResized(HWND hwnd, SIZE size);
// Part of the native window needs its pixels again (client coordinates).
void InputNativeExposed(HWND hwnd, RECT clientRect);
// The desktop's close button or command: WM_SYSCOMMAND SC_CLOSE, whose default is WM_CLOSE.
void InputNativeCloseRequested(HWND hwnd);
// The native window gained or lost the keyboard focus of the desktop.
void InputNativeFocusChanged(HWND hwnd, bool focused);
// The desktop iconified or restored the native window.
void InputNativeMinimized(HWND hwnd, bool minimized);
// A move begun by Backend::BeginSystemMove has ended (the button was released).
void InputSystemMoveEnded(HWND hwnd);
// The screen or the work area changed size; the core reads both again from the backend.
void InputDisplayChanged();

}  // namespace platform
