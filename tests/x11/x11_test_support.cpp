#include "x11_test_support.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

namespace x11test {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void XvfbTest::SetUp() {
  if (!XvfbServer::Available()) GTEST_SKIP() << "Xvfb is not installed (tools/setup-debian.sh installs it)";
  std::string error;
  ASSERT_TRUE(server_.Start(&error)) << error;
  // The platform opens $DISPLAY; the backend is chosen explicitly.
  setenv("DISPLAY", server_.display().c_str(), 1);
  setenv("VQ_BACKEND", "x11", 1);
  observer_ = XOpenDisplay(server_.display().c_str());
  ASSERT_NE(observer_, nullptr) << "cannot connect to " << server_.display();
}

void XvfbTest::TearDown() {
  if (observer_ != nullptr) XCloseDisplay(observer_);
  observer_ = nullptr;
  server_.Stop();
}

void XvfbTest::CloseObserver() {
  if (observer_ != nullptr) XCloseDisplay(observer_);
  observer_ = nullptr;
}

std::vector<long> XvfbTest::LongsOf(Window window, const char* property) {
  std::vector<long> values;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  Atom atom = XInternAtom(observer_, property, False);
  if (XGetWindowProperty(observer_, window, atom, 0, 1024, False, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      data != nullptr) {
    if (format == 32) values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    XFree(data);
  }
  return values;
}

std::vector<std::string> XvfbTest::AtomNamesOf(Window window, const char* property) {
  std::vector<std::string> names;
  for (long atom : LongsOf(window, property)) {
    char* name = XGetAtomName(observer_, static_cast<Atom>(atom));
    if (name != nullptr) {
      names.emplace_back(name);
      XFree(name);
    }
  }
  return names;
}

std::string XvfbTest::StringOf(Window window, const char* property) {
  std::string value;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  Atom atom = XInternAtom(observer_, property, False);
  if (XGetWindowProperty(observer_, window, atom, 0, 4096, False, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      data != nullptr) {
    if (format == 8) value.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return value;
}

XRectangle XvfbTest::GeometryOf(Window window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(observer_, window, &attributes);
  int x = 0, y = 0;
  Window child = None;
  XTranslateCoordinates(observer_, window, DefaultRootWindow(observer_), 0, 0, &x, &y, &child);
  return XRectangle{static_cast<short>(x), static_cast<short>(y), static_cast<unsigned short>(attributes.width),
                    static_cast<unsigned short>(attributes.height)};
}

Window XvfbTest::FindByTitle(const std::string& title) {
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  Window found = None;
  if (XQueryTree(observer_, DefaultRootWindow(observer_), &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count && found == None; ++i) {
      if (StringOf(children[i], "_NET_WM_NAME") == title) found = children[i];
    }
    if (children != nullptr) XFree(children);
  }
  return found;
}

}  // namespace x11test
