// What the desktop is told about our windows, and what we read from it: the EWMH and Motif
// hints, titles, the work area, the move request, click-through input shapes, and the public
// properties other processes look for.
#pragma once

#include "platform/x11/x11_display.h"

#include <cstdint>
#include <string>

#include "platform/base/win_types.h"
#include "platform/core/backend.h"
#include "platform/x11/x11_display.h"

namespace platform::x11 {

// A window manager announces itself on the root (_NET_SUPPORTING_WM_CHECK naming a live
// window that names itself).
bool WindowManagerRunning(X11Display& x);
// Whether the running window manager lists `atom` in _NET_SUPPORTED.
bool WindowManagerSupports(X11Display& x, ::Atom atom);

// The work area of the current desktop from _NET_WORKAREA, limited to the screen; the whole
// screen when no window manager publishes one.
RECT ReadWorkArea(X11Display& x);

// Properties every top-level window carries from its creation: WM_CLASS, WM_PROTOCOLS
// (WM_DELETE_WINDOW, _NET_WM_PING), _NET_WM_PID with WM_CLIENT_MACHINE, and our own marker.
void WriteIdentity(X11Display& x, Window window);
// WM_NAME (Latin-1, '?' for other characters) and _NET_WM_NAME (UTF-8).
void WriteTitle(X11Display& x, Window window, const std::wstring& title);
// _MOTIF_WM_HINTS (no decorations when borderless), _NET_WM_STATE (above, skip taskbar and
// pager), _NET_WM_WINDOW_TYPE, WM_TRANSIENT_FOR and WM_HINTS (input). `managedAndMapped`: the
// window is mapped under a window manager, which then owns _NET_WM_STATE and is asked to change
// it by client messages instead.
void WriteHints(X11Display& x, Window window, const NativeWindowHints& hints, Window owner, bool managedAndMapped);
// The window type our hints ask for (_NET_WM_WINDOW_TYPE_*).
::Atom WindowTypeFor(X11Display& x, const NativeWindowHints& hints);
// Whether the window is left alone by the window manager (override-redirect): owned,
// borderless pop-ups such as menus, tooltips, balloons and shadows.
bool WantsOverrideRedirect(const NativeWindowHints& hints);

// An empty input shape lets clicks pass through to whatever is below; false restores it.
void SetInputPassThrough(X11Display& x, Window window, bool passThrough);

// Asks the window manager to move `window` with the pointer (button 1 held, pointer at
// `screenPoint`), after giving up our own pointer grab.
void SendMoveRequest(X11Display& x, Window window, POINT screenPoint);

// Public properties: INTEGER[2] (low and high 32 bits) under the atom PublicPropertyAtomName.
std::string PublicPropertyAtomName(const std::wstring& name);
void WritePublicProperty(X11Display& x, Window window, const std::wstring& name, std::int64_t value);
// Searches the root's children and their children (window-manager frames hold the client
// windows), topmost first. False when no window carries the property.
bool FindPublicPropertyOnDisplay(X11Display& x, const std::wstring& name, std::int64_t* value);

}  // namespace platform::x11
