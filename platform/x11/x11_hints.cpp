#include "platform/x11/x11_hints.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/base/cstring.h"

namespace platform::x11 {

namespace {

// One property value of format 32 (Xlib hands those out as longs). Empty when absent.
std::vector<long> ReadLongs(X11Display& x, Window window, ::Atom property, ::Atom type) {
  std::vector<long> values;
  ::Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x.display(), window, property, 0, 1024, False, type, &actualType, &actualFormat,
                         &count, &remaining, &data) == Success &&
      data != nullptr) {
    if (actualFormat == 32 && (type == AnyPropertyType || actualType == type)) {
      const long* items = reinterpret_cast<const long*>(data);
      values.assign(items, items + count);
    }
    XFree(data);
  }
  return values;
}

Window ReadWindowProperty(X11Display& x, Window window, ::Atom property) {
  std::vector<long> values = ReadLongs(x, window, property, XA_WINDOW);
  return values.empty() ? None : static_cast<Window>(values[0]);
}

void WriteAtoms(X11Display& x, Window window, ::Atom property, const std::vector<::Atom>& atoms) {
  if (atoms.empty()) {
    XDeleteProperty(x.display(), window, property);
    return;
  }
  std::vector<long> items(atoms.begin(), atoms.end());
  XChangeProperty(x.display(), window, property, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(items.data()), static_cast<int>(items.size()));
}

// EWMH: _NET_WM_STATE change request for a managed, mapped window. action 1 adds, 0 removes.
void SendStateChange(X11Display& x, Window window, bool add, ::Atom first, ::Atom second) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = x.atom(kNetWmState);
  event.xclient.format = 32;
  event.xclient.data.l[0] = add ? 1 : 0;
  event.xclient.data.l[1] = static_cast<long>(first);
  event.xclient.data.l[2] = static_cast<long>(second);
  event.xclient.data.l[3] = 1;  // a normal application asks
  XSendEvent(x.display(), x.root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

bool WindowManagerRunning(X11Display& x) {
  X11Display::ErrorTrap trap(x);
  Window check = ReadWindowProperty(x, x.root(), x.atom(kNetSupportingWmCheck));
  if (check == None) return false;
  // A stale property from a window manager that ended names a window that is gone or no
  // longer points at itself.
  Window self = ReadWindowProperty(x, check, x.atom(kNetSupportingWmCheck));
  return trap.Finish() == 0 && self == check;
}

bool WindowManagerSupports(X11Display& x, ::Atom atom) {
  if (!WindowManagerRunning(x)) return false;
  std::vector<long> supported = ReadLongs(x, x.root(), x.atom(kNetSupported), XA_ATOM);
  return std::find(supported.begin(), supported.end(), static_cast<long>(atom)) != supported.end();
}

RECT ReadWorkArea(X11Display& x) {
  RECT screen{0, 0, x.screenWidth(), x.screenHeight()};
  std::vector<long> areas = ReadLongs(x, x.root(), x.atom(kNetWorkArea), XA_CARDINAL);
  if (areas.size() < 4) return screen;
  std::vector<long> current = ReadLongs(x, x.root(), x.atom(kNetCurrentDesktop), XA_CARDINAL);
  std::size_t desktop = current.empty() ? 0 : static_cast<std::size_t>(current[0]);
  if (desktop * 4 + 3 >= areas.size()) desktop = 0;
  const long* area = &areas[desktop * 4];
  RECT work{static_cast<LONG>(area[0]), static_cast<LONG>(area[1]), static_cast<LONG>(area[0] + area[2]),
            static_cast<LONG>(area[1] + area[3])};
  work.left = std::max(work.left, screen.left);
  work.top = std::max(work.top, screen.top);
  work.right = std::min(work.right, screen.right);
  work.bottom = std::min(work.bottom, screen.bottom);
  if (work.right <= work.left || work.bottom <= work.top) return screen;
  return work;
}

void WriteIdentity(X11Display& x, Window window) {
  Display* d = x.display();
  // WM_CLASS: the program's name as instance, the toolkit as class.
  char program[256] = "zelvo";
  if (const char* name = program_invocation_short_name; name != nullptr && *name != '\0') {
    snprintf(program, sizeof program, "%s", name);
  }
  XClassHint classHint;
  classHint.res_name = program;
  classHint.res_class = const_cast<char*>("Zelvo");
  XSetClassHint(d, window, &classHint);

  ::Atom protocols[] = {x.atom(kWmDeleteWindow), x.atom(kNetWmPing)};
  XSetWMProtocols(d, window, protocols, 2);

  long pid = static_cast<long>(getpid());
  XChangeProperty(d, window, x.atom(kNetWmPid), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  XChangeProperty(d, window, x.atom(kPlatformWindow), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    XChangeProperty(d, window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(host), static_cast<int>(strlen(host)));
  }
}

void WriteTitle(X11Display& x, Window window, const std::wstring& title) {
  std::string latin1;
  latin1.reserve(title.size());
  for (wchar_t ch : title) latin1 += (ch >= 0 && ch <= 0xFF) ? static_cast<char>(ch) : '?';
  XChangeProperty(x.display(), window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
  std::string utf8 = ToUtf8(title);
  XChangeProperty(x.display(), window, x.atom(kNetWmName), x.atom(kUtf8String), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

bool WantsOverrideRedirect(const NativeWindowHints& hints) {
  // The toolkit's menus, balloons, tooltips, shadows and loading windows are owned, borderless
  // tool (or topmost, non-activating, click-through) windows; the windows a user arranges are
  // unowned or decorated.
  if (hints.owner == nullptr || !hints.borderless) return false;
  return hints.popup || hints.toolWindow || hints.topmost || hints.noActivate || hints.clickThrough;
}

::Atom WindowTypeFor(X11Display& x, const NativeWindowHints& hints) {
  // Unowned pop-ups (the program's own borderless windows) are ordinary managed windows.
  if (WantsOverrideRedirect(hints)) {
    // Windows that never take input or the focus are tooltip-like (tooltips, balloons,
    // shadows); the others are menus.
    return (hints.clickThrough || hints.noActivate) ? x.atom(kNetWmWindowTypeTooltip)
                                                    : x.atom(kNetWmWindowTypePopupMenu);
  }
  if (hints.toolWindow) return x.atom(kNetWmWindowTypeUtility);
  return x.atom(kNetWmWindowTypeNormal);
}

void WriteHints(X11Display& x, Window window, const NativeWindowHints& hints, Window owner, bool managedAndMapped) {
  Display* d = x.display();

  // _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
  long motif[5] = {2 /* decorations field valid */, 0, hints.borderless ? 0 : 1 /* all */, 0, 0};
  XChangeProperty(d, window, x.atom(kMotifWmHints), x.atom(kMotifWmHints), 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(motif), 5);

  WriteAtoms(x, window, x.atom(kNetWmWindowType), {WindowTypeFor(x, hints)});

  if (managedAndMapped) {
    SendStateChange(x, window, hints.topmost, x.atom(kNetWmStateAbove), None);
    SendStateChange(x, window, hints.toolWindow, x.atom(kNetWmStateSkipTaskbar), x.atom(kNetWmStateSkipPager));
  } else {
    std::vector<::Atom> state;
    if (hints.topmost) state.push_back(x.atom(kNetWmStateAbove));
    if (hints.toolWindow) {
      state.push_back(x.atom(kNetWmStateSkipTaskbar));
      state.push_back(x.atom(kNetWmStateSkipPager));
    }
    WriteAtoms(x, window, x.atom(kNetWmState), state);
  }

  if (owner != None) {
    XSetTransientForHint(d, window, owner);
  } else {
    XDeleteProperty(d, window, XA_WM_TRANSIENT_FOR);
  }

  XWMHints wmHints{};
  wmHints.flags = InputHint | StateHint;
  wmHints.input = hints.noActivate ? False : True;
  wmHints.initial_state = NormalState;
  XSetWMHints(d, window, &wmHints);
}

void SetInputPassThrough(X11Display& x, Window window, bool passThrough) {
  int eventBase = 0, errorBase = 0;
  if (!XFixesQueryExtension(x.display(), &eventBase, &errorBase)) return;
  if (passThrough) {
    XserverRegion empty = XFixesCreateRegion(x.display(), nullptr, 0);
    XFixesSetWindowShapeRegion(x.display(), window, ShapeInput, 0, 0, empty);
    XFixesDestroyRegion(x.display(), empty);
  } else {
    XFixesSetWindowShapeRegion(x.display(), window, ShapeInput, 0, 0, None);
  }
}

void SendMoveRequest(X11Display& x, Window window, POINT screenPoint) {
  // The window manager needs the pointer: our own (or the implicit) grab must end first.
  XUngrabPointer(x.display(), CurrentTime);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = x.atom(kNetWmMoveResize);
  event.xclient.format = 32;
  event.xclient.data.l[0] = screenPoint.x;
  event.xclient.data.l[1] = screenPoint.y;
  event.xclient.data.l[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
  event.xclient.data.l[3] = 1;  // with button 1
  event.xclient.data.l[4] = 1;  // a normal application asks
  XSendEvent(x.display(), x.root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(x.display());
}

std::string PublicPropertyAtomName(const std::wstring& name) { return "_ZELVO_PROP_" + ToUtf8(name); }

void WritePublicProperty(X11Display& x, Window window, const std::wstring& name, std::int64_t value) {
  ::Atom atom = x.InternAtom(PublicPropertyAtomName(name), false);
  if (value == 0) {
    XDeleteProperty(x.display(), window, atom);
    return;
  }
  long halves[2] = {static_cast<long>(static_cast<std::uint32_t>(value)),
                    static_cast<long>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) >> 32))};
  XChangeProperty(x.display(), window, atom, XA_INTEGER, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(halves), 2);
}

bool FindPublicPropertyOnDisplay(X11Display& x, const std::wstring& name, std::int64_t* value) {
  // An atom nobody interned names no property anywhere.
  ::Atom atom = x.InternAtom(PublicPropertyAtomName(name), true);
  if (atom == None) return false;
  X11Display::ErrorTrap trap(x);  // windows may vanish while we look
  auto readOn = [&](Window window) {
    std::vector<long> halves = ReadLongs(x, window, atom, XA_INTEGER);
    if (halves.size() < 2) return false;
    if (value != nullptr) {
      *value = static_cast<std::int64_t>(static_cast<std::uint64_t>(static_cast<std::uint32_t>(halves[0])) |
                                         (static_cast<std::uint64_t>(static_cast<std::uint32_t>(halves[1])) << 32));
    }
    return true;
  };
  Window rootReturn = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  bool found = false;
  if (XQueryTree(x.display(), x.root(), &rootReturn, &parent, &children, &count)) {
    // XQueryTree lists bottom to top; the topmost carrier wins.
    for (unsigned int i = count; i-- > 0 && !found;) {
      if (readOn(children[i])) {
        found = true;
        break;
      }
      Window* inner = nullptr;
      unsigned int innerCount = 0;
      if (XQueryTree(x.display(), children[i], &rootReturn, &parent, &inner, &innerCount)) {
        for (unsigned int j = innerCount; j-- > 0;) {
          if (readOn(inner[j])) {
            found = true;
            break;
          }
        }
        if (inner != nullptr) XFree(inner);
      }
    }
    if (children != nullptr) XFree(children);
  }
  trap.Finish();
  return found;
}

}  // namespace platform::x11
