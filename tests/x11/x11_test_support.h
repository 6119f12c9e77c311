// Shared pieces of the x11 tests: a fixture with its own Xvfb, and a second, independent
// connection for looking at what the backend put on the server (as another process would).
#pragma once

// GoogleTest before Xlib: X.h's macros (None, Bool, Status...) break its templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#undef CursorShape

#include <string>
#include <vector>

#include "xvfb_server.h"

namespace x11test {

class XvfbTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A connection of the test's own, separate from the backend's.
  Display* observer() const { return observer_; }
  XvfbServer& server() { return server_; }
  // Closes the observer connection (before the server is made to die).
  void CloseObserver();

  // Property helpers on the observer connection.
  std::vector<long> LongsOf(Window window, const char* property);
  std::vector<std::string> AtomNamesOf(Window window, const char* property);
  std::string StringOf(Window window, const char* property);
  // Screen position and size of a window as the server sees it.
  XRectangle GeometryOf(Window window);
  // The top-level window whose _NET_WM_NAME is `title`; None if there is none.
  Window FindByTitle(const std::string& title);
  // Waits (pumping nothing) until `predicate` holds or about 5 s pass.
  template <typename Predicate>
  bool WaitFor(Predicate predicate);

 private:
  XvfbServer server_;
  Display* observer_ = nullptr;
};

void SleepMs(int ms);

template <typename Predicate>
bool XvfbTest::WaitFor(Predicate predicate) {
  for (int i = 0; i < 250; ++i) {
    if (predicate()) return true;
    SleepMs(20);
  }
  return predicate();
}

}  // namespace x11test
