// The x11 backend's event pump: every X event becomes a call of the core's input entry points.
#include "platform/x11/x11_backend.h"

#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include <vector>

#include "platform/core/input.h"
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_keymap.h"
#include "platform/x11/x11_present.h"

namespace platform::x11 {

void X11Backend::PumpEvents() {
  if (!Usable()) {
    HandleConnectionLoss();
    return;
  }
  Display* d = x_->display();
  ++pumping_;
  // XPending flushes our requests and reads whatever the server sent.
  while (Usable() && XPending(d) > 0) {
    XEvent event;
    XNextEvent(d, &event);
    HandleEvent(event);
  }
  --pumping_;
  if (!Usable()) HandleConnectionLoss();
}

void X11Backend::HandleConnectionLoss() {
  if (lossHandled_) return;
  lossHandled_ = true;
  // The windows are gone with the server: each is asked to close (the default handling
  // destroys it), so the program sees its windows end instead of hanging on dead ones.
  std::vector<HWND> handles;
  handles.reserve(windows_.size());
  for (auto& [hwnd, window] : windows_) handles.push_back(hwnd);
  for (HWND hwnd : handles) InputNativeCloseRequested(hwnd);
}

HWND X11Backend::UnderPointer(Window xid, int rootX, int rootY) const {
  X11Window* window = FindX(xid);
  if (window == nullptr) return nullptr;
  const RECT& r = window->rect;
  // During a grab events name the grabbing window wherever the pointer is; then the core looks
  // the window up itself.
  if (rootX < r.left || rootX >= r.right || rootY < r.top || rootY >= r.bottom) return nullptr;
  return window->hwnd;
}

void X11Backend::HandleEvent(XEvent& event) {
  // The compose method takes the key events of a sequence and hands back the result as a
  // key press of its own.
  if (XFilterEvent(&event, None)) return;
  switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
      HandleButton(event.xbutton);
      break;
    case MotionNotify:
      HandleMotion(event.xmotion);
      break;
    case EnterNotify:
    case LeaveNotify:
      HandleCrossing(event.xcrossing);
      break;
    case KeyPress:
    case KeyRelease:
      HandleKey(event.xkey);
      break;
    case FocusIn:
    case FocusOut: {
      XFocusChangeEvent& focus = event.xfocus;
      // Grab and pointer-root transitions are not changes of the window that has the focus.
      if (focus.mode == NotifyGrab || focus.mode == NotifyUngrab) break;
      if (focus.detail == NotifyPointer || focus.detail == NotifyInferior) break;
      if (X11Window* window = FindX(focus.window)) {
        if (window->inputContext != nullptr) {
          if (event.type == FocusIn) {
            XSetICFocus(window->inputContext);
          } else {
            XUnsetICFocus(window->inputContext);
          }
        }
        InputNativeFocusChanged(window->hwnd, event.type == FocusIn);
      }
      break;
    }
    case Expose:
      HandleExpose(event.xexpose);
      break;
    case ConfigureNotify:
      HandleConfigure(event.xconfigure);
      break;
    case MapNotify:
      if (X11Window* window = FindX(event.xmap.window)) {
        window->viewable = true;
        if (window->focusOnMap) {
          window->focusOnMap = false;
          FocusNow(*window);
        }
      }
      break;
    case UnmapNotify:
      if (X11Window* window = FindX(event.xunmap.window)) window->viewable = false;
      break;
    case ClientMessage:
      HandleClientMessage(event.xclient);
      break;
    case PropertyNotify:
      HandleProperty(event.xproperty);
      break;
    case MappingNotify:
      if (event.xmapping.request == MappingKeyboard || event.xmapping.request == MappingModifier) {
        XRefreshKeyboardMapping(&event.xmapping);
        RefreshKeymapNow(event.xmapping.first_keycode);
      }
      break;
    default:
      if (event.type == xkbEventBase_) {
        auto& xkb = reinterpret_cast<XkbEvent&>(event);
        if (xkb.any.xkb_type == XkbMapNotify) {
          XkbRefreshKeyboardMapping(&xkb.map);
          RefreshKeymapNow(xkb.map.first_key_sym);
        }
      }
      break;
  }
}

void X11Backend::RefreshKeymapNow(int keycode) {
  // Xlib would fetch the new mapping at the next lookup, but a tool that binds a spare key for a
  // moment (xdotool, input methods) may have restored it by then: fetch while it holds.
  XkbKeycodeToKeysym(x_->display(), static_cast<KeyCode>(keycode), 0, 0);
}

void X11Backend::HandleButton(XButtonEvent& event) {
  POINT point{event.x_root, event.y_root};
  ButtonMeaning meaning = MeaningOfButton(event.button);
  if (systemMove_ != nullptr && meaning.kind == ButtonMeaning::kButton && meaning.button == MouseButton::Left &&
      event.type == ButtonRelease) {
    // The manager refused or ended the move and the release reached us: the move is over.
    HWND moved = systemMove_;
    systemMove_ = nullptr;
    InputSystemMoveEnded(moved);
    return;
  }
  switch (meaning.kind) {
    case ButtonMeaning::kButton:
      InputMouseButton(meaning.button, event.type == ButtonPress, point, UnderPointer(event.window, point.x, point.y));
      break;
    case ButtonMeaning::kWheel:
      // A wheel step is a press and a release of its button: count the press only.
      if (event.type == ButtonPress) InputMouseWheel(meaning.wheelDelta, point, meaning.horizontal);
      break;
    case ButtonMeaning::kNone:
      break;
  }
}

void X11Backend::HandleMotion(XMotionEvent& event) {
  // Only the latest of a run of motions matters; a motion after a press or release stays after
  // it.
  Display* d = x_->display();
  while (XEventsQueued(d, QueuedAlready) > 0) {
    XEvent next;
    XPeekEvent(d, &next);
    if (next.type != MotionNotify || next.xmotion.window != event.window) break;
    XNextEvent(d, &next);
    event = next.xmotion;
  }
  if (systemMove_ != nullptr && (event.state & Button1Mask) == 0) {
    HWND moved = systemMove_;
    systemMove_ = nullptr;
    InputSystemMoveEnded(moved);
  }
  POINT point{event.x_root, event.y_root};
  InputMouseMove(point, UnderPointer(event.window, point.x, point.y));
}

void X11Backend::HandleCrossing(XCrossingEvent& event) {
  // Crossings caused by taking a grab (a menu taking the pointer, the manager's move) are not
  // moves; the pointer's window after a grab ends is.
  if (event.mode == NotifyGrab || (event.mode == NotifyUngrab && event.type == LeaveNotify)) return;
  POINT point{event.x_root, event.y_root};
  X11Window* window = FindX(event.window);
  if (window == nullptr) return;
  if (event.type == EnterNotify) {
    pointerWindow_ = window->xid;
    // The cursor last chosen applies to the window the pointer is now in.
    SetCursorShape(cursorShape_);
    if (systemMove_ != nullptr && (event.state & Button1Mask) == 0) {
      HWND moved = systemMove_;
      systemMove_ = nullptr;
      InputSystemMoveEnded(moved);
    }
    InputMouseMove(point, window->hwnd);
  } else {
    if (event.detail == NotifyInferior) return;
    if (pointerWindow_ == window->xid) pointerWindow_ = None;
    InputMouseLeftWindows(point);
  }
}

void X11Backend::HandleKey(XKeyEvent& event) {
  X11Window* window = FindX(event.window);
  XIC inputContext = window != nullptr ? window->inputContext : nullptr;
  if (event.keycode == 0) {
    // A composed character (a dead key or compose sequence ended): text without a key.
    wchar_t text[8] = {};
    int count = KeyEventText(&event, inputContext, text, 8);
    for (int i = 0; i < count; ++i) InputChar(text[i]);
    return;
  }
  KeyTranslation key = TranslateKeyEvent(&event);
  unsigned code = event.keycode & 0xFF;
  if (key.virtualKey == 0) {
    // Keys without a virtual key may still type (a letter of another script on its own key).
    if (event.type == KeyPress) {
      wchar_t text[8] = {};
      int count = KeyEventText(&event, inputContext, text, 8);
      for (int i = 0; i < count; ++i) InputChar(text[i]);
    }
    return;
  }
  if (event.type == KeyPress) {
    wchar_t text[4] = {};
    int count = KeyEventText(&event, inputContext, text, 4);
    keysDown_.set(code);
    InputKey(key.virtualKey, true, count > 0 ? text[0] : 0);
  } else {
    // A release of a key pressed before our window had the focus is not ours to report.
    if (!keysDown_.test(code)) return;
    keysDown_.reset(code);
    InputKey(key.virtualKey, false, 0);
  }
}

void X11Backend::HandleConfigure(XConfigureEvent& event) {
  if (event.window == x_->root()) {
    InputDisplayChanged();
    return;
  }
  X11Window* window = FindX(event.window);
  // Nobody but us moves an override-redirect window.
  if (window == nullptr || window->overrideRedirect) return;
  // A notification that predates our last move request describes a state already replaced.
  if (!event.send_event && event.serial < window->lastMoveSerial) return;
  int rootX = event.x, rootY = event.y;
  if (!event.send_event && WindowManagerPresent()) {
    // Real notifications are relative to the parent, which is a frame under a window manager;
    // synthetic ones from the manager are already in root coordinates.
    Window child = None;
    XTranslateCoordinates(x_->display(), event.window, x_->root(), 0, 0, &rootX, &rootY, &child);
  }
  RECT& r = window->rect;
  int width = r.right - r.left, height = r.bottom - r.top;
  bool moved = rootX != r.left || rootY != r.top;
  // A zero-sized window is 1x1 on X; that is not a resize by the desktop.
  bool resized = !window->zeroSized && (event.width != width || event.height != height);
  if (resized) {
    width = event.width;
    height = event.height;
  }
  r = RECT{rootX, rootY, rootX + width, rootY + height};
  // The window may be gone once the core has handled the first report.
  HWND hwnd = window->hwnd;
  if (moved) InputNativeMoved(hwnd, POINT{rootX, rootY});
  if (resized) InputNativeResized(hwnd, SIZE{width, height});
}

void X11Backend::HandleClientMessage(XClientMessageEvent& event) {
  if (event.message_type != x_->atom(kWmProtocols) || event.format != 32) return;
  ::Atom protocol = static_cast<::Atom>(event.data.l[0]);
  if (protocol == x_->atom(kWmDeleteWindow)) {
    if (X11Window* window = FindX(event.window)) InputNativeCloseRequested(window->hwnd);
  } else if (protocol == x_->atom(kNetWmPing)) {
    // Answer the manager's liveness check by returning the message to the root.
    XClientMessageEvent reply = event;
    reply.window = x_->root();
    XSendEvent(x_->display(), x_->root(), False, SubstructureNotifyMask | SubstructureRedirectMask,
               reinterpret_cast<XEvent*>(&reply));
  }
}

void X11Backend::HandleProperty(XPropertyEvent& event) {
  if (event.window == x_->root()) {
    if (event.atom == x_->atom(kNetSupportingWmCheck)) wmKnown_ = -1;
    if (event.atom == x_->atom(kNetWorkArea) || event.atom == x_->atom(kNetCurrentDesktop)) InputDisplayChanged();
    return;
  }
  X11Window* window = FindX(event.window);
  if (window == nullptr) return;
  ::Atom wmState = XInternAtom(x_->display(), "WM_STATE", True);
  if (wmState == None || event.atom != wmState || event.state != PropertyNewValue) return;
  // The manager iconified or restored the window (ICCCM WM_STATE: 1 normal, 3 iconic).
  ::Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x_->display(), window->xid, wmState, 0, 2, False, wmState, &type, &format, &count,
                         &remaining, &data) != Success || data == nullptr) {
    return;
  }
  long state = count > 0 && format == 32 ? reinterpret_cast<long*>(data)[0] : 0;
  XFree(data);
  bool iconic = state == IconicState;
  if (iconic != window->minimized && (state == IconicState || state == NormalState)) {
    window->minimized = iconic;
    InputNativeMinimized(window->hwnd, iconic);
  }
}

void X11Backend::HandleExpose(XExposeEvent& event) {
  X11Window* window = FindX(event.window);
  if (window == nullptr) return;
  RECT area{event.x, event.y, event.x + event.width, event.y + event.height};
  if (window->layeredPixels != nullptr) {
    // A layered window's pixels are ours: put them back without asking for a paint.
    PutPixels(*x_, window->xid, window->gc, *window->layeredPixels, area, false);
    return;
  }
  InputNativeExposed(window->hwnd, area);
}

}  // namespace platform::x11
