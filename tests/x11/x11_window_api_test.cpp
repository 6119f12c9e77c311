// The x11 backend driven through the platform's public windowing surface, as the toolkit uses
// it, with real input from xdotool and the results looked at from a second connection.
#include "x11_test_support.h"  // first: GoogleTest before Xlib

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/window_api.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/surface_dc.h"

namespace x11test {
namespace {

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// What the window procedures of this test saw; one test per process thread, so plain storage.
std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}
// The colour plain windows paint their update rectangle with (premultiplied ARGB).
std::uint32_t& PaintColour() {
  static std::uint32_t colour = 0;
  return colour;
}
// The stock cursor windows of this test show (0: the class cursor).
unsigned& CursorToShow() {
  static unsigned cursor = 0;
  return cursor;
}
// Whether a left press starts the window move, as the toolkit's window drag does.
bool& DragOnPress() {
  static bool drag = false;
  return drag;
}

bool Interesting(UINT msg) {
  return (msg >= WM_LBUTTONDOWN && msg <= WM_MOUSEHWHEEL) || msg == WM_KEYDOWN || msg == WM_KEYUP ||
         msg == WM_CHAR || msg == WM_CLOSE || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP ||
         msg == WM_ENTERSIZEMOVE || msg == WM_EXITSIZEMOVE;
}

LRESULT CALLBACK_Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (Interesting(msg)) Log().push_back(Seen{hwnd, msg, wParam, lParam});
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (platform::Bitmap* pixels = platform::GetDCSurface(dc)) {
      pixels->Flush();
      for (int y = ps.rcPaint.top; y < ps.rcPaint.bottom; ++y) {
        for (int x = ps.rcPaint.left; x < ps.rcPaint.right; ++x) pixels->SetPixel(x, y, PaintColour());
      }
      pixels->MarkDirty();
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_SETCURSOR && CursorToShow() != 0) {
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(CursorToShow())));
    return TRUE;
  }
  if (msg == WM_LBUTTONDOWN && DragOnPress()) {
    ReleaseCapture();
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd, &point);
    SendMessageW(hwnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTCAPTION), MAKELPARAM(point.x, point.y));
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void PumpOnce() {
  // Waiting for a message is where the platform reads the display's events; a short thread
  // timer ends the wait.
  UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  KillTimer(nullptr, timer);
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

template <typename Predicate>
bool PumpUntil(Predicate predicate, int timeoutMs = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    PumpOnce();
    if (predicate()) return true;
    SleepMs(5);
  }
  PumpOnce();
  return predicate();
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

// Started with X11TEST_REPORT_BACKEND set, this program only prints the backend the platform
// chooses at its first use and exits (before any test runs).
const bool kReportBackendOnly = [] {
  if (getenv("X11TEST_REPORT_BACKEND") == nullptr) return false;
  std::printf("%s\n", platform::CurrentBackend().Name());
  std::fflush(stdout);
  _exit(0);
}();

class X11Windows : public XvfbTest {
 protected:
  void SetUp() override {
    XvfbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // Each test has its own server; a backend chosen earlier in this process would talk to a
    // server that is gone.
    std::unique_ptr<platform::Backend> backend = platform::CreateX11Backend();
    ASSERT_NE(backend, nullptr);
    platform::InstallBackend(std::move(backend));
    ASSERT_STREQ(platform::CurrentBackend().Name(), "x11");
    Log().clear();
    DragOnPress() = false;
    CursorToShow() = 0;
    PaintColour() = 0xFF204060;
    static int serial = 0;
    className_ = L"X11TestClass" + std::to_wstring(getpid()) + L"_" + std::to_wstring(++serial);
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CALLBACK_Proc;
    wc.lpszClassName = className_.c_str();
    ASSERT_NE(RegisterClassW(&wc), 0);
    plainClass_ = className_ + L"_plain";
    wc.style = 0;
    wc.lpszClassName = plainClass_.c_str();
    ASSERT_NE(RegisterClassW(&wc), 0);
  }

  void TearDown() override {
    for (HWND hwnd : created_) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    PumpOnce();
    XvfbTest::TearDown();
  }

  HWND Make(DWORD exStyle, DWORD style, const std::wstring& title, int x, int y, int w, int h,
            bool doubleClicks = true) {
    HWND hwnd = CreateWindowExW(exStyle, doubleClicks ? className_.c_str() : plainClass_.c_str(), title.c_str(),
                                style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    if (hwnd != nullptr) created_.push_back(hwnd);
    return hwnd;
  }

  // The X window of a shown top-level window, found by its title as another client would.
  Window XWindowOf(const std::string& title) {
    Window found = None;
    PumpUntil([&] {
      found = FindByTitle(title);
      if (found == None) return false;
      XWindowAttributes attributes{};
      return XGetWindowAttributes(observer(), found, &attributes) && attributes.map_state == IsViewable;
    });
    return found;
  }

  int Xdotool(std::vector<std::string> args) {
    std::vector<const char*> argv{"xdotool"};
    for (std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return RunTool(server().display(), argv.data());
  }

  std::vector<Seen> MouseLog(HWND hwnd) {
    std::vector<Seen> out;
    for (const Seen& s : Log()) {
      if (s.hwnd == hwnd && s.msg >= WM_LBUTTONDOWN && s.msg <= WM_MOUSEHWHEEL) out.push_back(s);
    }
    return out;
  }

  std::wstring className_;
  std::wstring plainClass_;
  std::vector<HWND> created_;
};

TEST_F(X11Windows, BackendIsChosenByEnvironmentAndDisplay) {
  // The choice happens at the first use in a process: each case starts this program afresh.
  struct Case {
    const char* backend;  // VQ_BACKEND, null: unset
    bool display;  // DISPLAY names our server (else unset)
    const char* expected;
  };
  const Case cases[] = {
      {"x11", true, "x11"},
      {nullptr, true, "x11"},
      {"offscreen", true, "offscreen"},
      {nullptr, false, "offscreen"},
  };
  const char* argv[] = {"/proc/self/exe", nullptr};
  for (const Case& c : cases) {
    std::string output;
    int status = RunWithEnvironment(argv,
                                    {{"X11TEST_REPORT_BACKEND", "1"},
                                     {"VQ_BACKEND", c.backend},
                                     {"DISPLAY", c.display ? server().display().c_str() : nullptr}},
                                    &output);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, std::string(c.expected) + "\n")
        << "VQ_BACKEND=" << (c.backend ? c.backend : "(unset)") << " display=" << c.display;
  }
}

TEST_F(X11Windows, WindowAppearsWhereAskedWithSizeAndHints) {
  HWND hwnd = Make(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, L"QUILLON hints", 300, 200, 500, 350);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("QUILLON hints");
  ASSERT_NE(window, None);
  XRectangle geometry = GeometryOf(window);
  EXPECT_EQ(geometry.x, 300);
  EXPECT_EQ(geometry.y, 200);
  EXPECT_EQ(geometry.width, 500);
  EXPECT_EQ(geometry.height, 350);
  std::vector<std::string> state = AtomNamesOf(window, "_NET_WM_STATE");
  EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_ABOVE"), state.end());
  EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_SKIP_TASKBAR"), state.end());
  EXPECT_EQ(AtomNamesOf(window, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{"_NET_WM_WINDOW_TYPE_UTILITY"});
  std::vector<long> motif = LongsOf(window, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[2], 0);

  // Moving and hiding through the platform show on the server.
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 420, 260, 300, 120, SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_TRUE(PumpUntil([&] {
    XRectangle g = GeometryOf(window);
    return g.x == 420 && g.y == 260 && g.width == 300 && g.height == 120;
  }));
  ShowWindow(hwnd, SW_HIDE);
  EXPECT_TRUE(PumpUntil([&] {
    XWindowAttributes attributes{};
    XGetWindowAttributes(observer(), window, &attributes);
    return attributes.map_state == IsUnmapped;
  }));
}

// Reads the window's pixels from the server as 0xAARRGGBB words.
std::vector<std::uint32_t> ReadBack(Display* display, Window window, int width, int height) {
  std::vector<std::uint32_t> pixels;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)));
  }
  XDestroyImage(image);
  return pixels;
}

TEST_F(X11Windows, LayeredWindowShowsItsPremultipliedPixelsExactly) {
  HWND hwnd = Make(WS_EX_LAYERED | WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"layered", 100, 100, 40, 30);
  ASSERT_NE(hwnd, nullptr);
  platform::Bitmap image(40, 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      std::uint32_t a = static_cast<std::uint32_t>(x * 6 + y) & 0xFF;
      image.SetPixel(x, y, (a << 24) | ((a * 3 / 4) << 16) | ((a / 2) << 8) | (a / 5));
    }
  }
  HDC source = platform::CreateSurfaceDC(&image);
  SIZE size{40, 30};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, nullptr, &size, source, &origin, 0, &blend, ULW_ALPHA));
  platform::DeleteSurfaceDC(source);

  Window window = XWindowOf("layered");
  ASSERT_NE(window, None);
  std::vector<std::uint32_t> seen;
  EXPECT_TRUE(PumpUntil([&] {
    seen = ReadBack(observer(), window, 40, 30);
    return seen.size() == 1200u && seen[1199] == image.PixelAt(39, 29);
  }));
  ASSERT_EQ(seen.size(), 1200u);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(seen[static_cast<std::size_t>(y) * 40 + x], image.PixelAt(x, y)) << x << "," << y;
    }
  }

  // Hidden and shown again, the window shows the same pixels without being asked to paint.
  ShowWindow(hwnd, SW_HIDE);
  ASSERT_TRUE(PumpUntil([&] {
    XWindowAttributes attributes{};
    XGetWindowAttributes(observer(), window, &attributes);
    return attributes.map_state == IsUnmapped;
  }));
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(PumpUntil([&] {
    XWindowAttributes attributes{};
    XGetWindowAttributes(observer(), window, &attributes);
    if (attributes.map_state != IsViewable) return false;
    seen = ReadBack(observer(), window, 40, 30);
    return seen.size() == 1200u && seen[1199] == image.PixelAt(39, 29) && seen[41] == image.PixelAt(1, 1);
  }));
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(seen[static_cast<std::size_t>(y) * 40 + x], image.PixelAt(x, y)) << x << "," << y;
    }
  }
}

TEST_F(X11Windows, PlainWindowPresentsItsUpdateRectangle) {
  HWND hwnd = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"plain", 50, 50, 60, 40);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("plain");
  ASSERT_NE(window, None);
  std::vector<std::uint32_t> seen;
  ASSERT_TRUE(PumpUntil([&] {
    seen = ReadBack(observer(), window, 60, 40);
    return seen.size() == 2400u && seen[0] == 0xFF204060u && seen[2399] == 0xFF204060u;
  })) << "first paint covers the window";

  PaintColour() = 0x00C08020;  // alpha 0, as plain GDI drawing leaves it: shown opaque
  RECT part{10, 5, 30, 25};
  InvalidateRect(hwnd, &part, FALSE);
  ASSERT_TRUE(PumpUntil([&] {
    seen = ReadBack(observer(), window, 60, 40);
    return seen.size() == 2400u && seen[5 * 60 + 10] == 0xFFC08020u;
  }));
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      bool inside = x >= 10 && x < 30 && y >= 5 && y < 25;
      ASSERT_EQ(seen[static_cast<std::size_t>(y) * 60 + x], inside ? 0xFFC08020u : 0xFF204060u) << x << "," << y;
    }
  }
}

struct ClickExpectation {
  UINT msg;
  int x;
  int y;
};

TEST_F(X11Windows, ClicksAndADoubleClickArriveWithClientCoordinates) {
  HWND dbl = Make(0, WS_POPUP | WS_VISIBLE, L"clicks", 200, 150, 200, 120, true);
  HWND plain = Make(0, WS_POPUP | WS_VISIBLE, L"noclicks", 500, 150, 200, 120, false);
  ASSERT_NE(dbl, nullptr);
  ASSERT_NE(plain, nullptr);
  Window dblWindow = XWindowOf("clicks");
  Window plainWindow = XWindowOf("noclicks");
  ASSERT_NE(dblWindow, None);
  ASSERT_NE(plainWindow, None);

  auto clickAt = [&](Window w, int x, int y, int repeat) {
    return Xdotool({"mousemove", "--sync", "--window", std::to_string(w), std::to_string(x), std::to_string(y),
                    "click", "--repeat", std::to_string(repeat), "--delay", "100", "1"});
  };
  ASSERT_EQ(clickAt(dblWindow, 40, 30, 1), 0);
  PumpFor(700);  // longer than the double-click time
  ASSERT_EQ(clickAt(dblWindow, 70, 50, 2), 0);
  ASSERT_EQ(clickAt(plainWindow, 15, 25, 2), 0);

  const std::vector<ClickExpectation> dblExpected = {
      {WM_LBUTTONDOWN, 40, 30}, {WM_LBUTTONUP, 40, 30},     {WM_LBUTTONDOWN, 70, 50},
      {WM_LBUTTONUP, 70, 50},   {WM_LBUTTONDBLCLK, 70, 50}, {WM_LBUTTONUP, 70, 50},
  };
  const std::vector<ClickExpectation> plainExpected = {
      {WM_LBUTTONDOWN, 15, 25}, {WM_LBUTTONUP, 15, 25}, {WM_LBUTTONDOWN, 15, 25}, {WM_LBUTTONUP, 15, 25}};
  auto buttons = [&](HWND hwnd) {
    std::vector<Seen> out;
    for (const Seen& s : MouseLog(hwnd)) {
      if (s.msg != WM_MOUSEMOVE) out.push_back(s);
    }
    return out;
  };
  EXPECT_TRUE(PumpUntil([&] { return buttons(dbl).size() >= dblExpected.size() && buttons(plain).size() >= plainExpected.size(); }));
  for (auto [hwnd, expected] : {std::pair{dbl, dblExpected}, std::pair{plain, plainExpected}}) {
    std::vector<Seen> got = buttons(hwnd);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(got[i].msg, expected[i].msg) << "message " << i;
      EXPECT_EQ(GET_X_LPARAM(got[i].lParam), expected[i].x) << "message " << i;
      EXPECT_EQ(GET_Y_LPARAM(got[i].lParam), expected[i].y) << "message " << i;
    }
  }
}

TEST_F(X11Windows, ALoopOfPeekMessageAloneSeesTheDisplaysInput) {
  HWND hwnd = Make(0, WS_POPUP | WS_VISIBLE, L"peekonly", 100, 100, 200, 200);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("peekonly");
  ASSERT_NE(window, None);
  ASSERT_EQ(Xdotool({"mousemove", "--sync", "--window", std::to_string(window), "25", "35", "click", "1"}), 0);
  // No GetMessage here: animation-style loops only ever peek.
  bool pressed = false;
  for (int i = 0; i < 600 && !pressed; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    for (const Seen& s : MouseLog(hwnd)) pressed |= s.msg == WM_LBUTTONDOWN;
    if (!pressed) usleep(5000);
  }
  EXPECT_TRUE(pressed);
}

TEST_F(X11Windows, RightButtonAndWheelArrive) {
  HWND hwnd = Make(0, WS_POPUP | WS_VISIBLE, L"wheel", 100, 100, 200, 200);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("wheel");
  ASSERT_NE(window, None);
  SetFocus(hwnd);
  ASSERT_EQ(Xdotool({"mousemove", "--sync", "--window", std::to_string(window), "20", "30", "click", "3", "click",
                     "4", "click", "5"}),
            0);
  std::vector<UINT> got;
  EXPECT_TRUE(PumpUntil([&] {
    got.clear();
    for (const Seen& s : MouseLog(hwnd)) {
      if (s.msg != WM_MOUSEMOVE) got.push_back(s.msg);
    }
    return got.size() >= 4;
  }));
  EXPECT_EQ(got, (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL, WM_MOUSEWHEEL}));
  std::vector<int> deltas;
  for (const Seen& s : MouseLog(hwnd)) {
    if (s.msg == WM_MOUSEWHEEL) deltas.push_back(GET_WHEEL_DELTA_WPARAM(s.wParam));
    if (s.msg == WM_RBUTTONDOWN) {
      EXPECT_EQ(GET_X_LPARAM(s.lParam), 20);
      EXPECT_EQ(GET_Y_LPARAM(s.lParam), 30);
    }
  }
  EXPECT_EQ(deltas, (std::vector<int>{120, -120}));
}

TEST_F(X11Windows, KeyPressesBecomeKeyAndCharMessages) {
  HWND hwnd = Make(0, WS_POPUP | WS_VISIBLE, L"keys", 100, 100, 200, 200);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("keys");
  ASSERT_NE(window, None);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  ASSERT_EQ(Xdotool({"mousemove", "--sync", "--window", std::to_string(window), "50", "50"}), 0);
  PumpFor(100);
  ASSERT_EQ(Xdotool({"key", "a", "shift+b", "Return", "Left"}), 0);
  struct Expect {
    UINT msg;
    WPARAM wParam;
  };
  const std::vector<Expect> expected = {
      {WM_KEYDOWN, 'A'},       {WM_CHAR, 'a'},       {WM_KEYUP, 'A'},      {WM_KEYDOWN, VK_SHIFT},
      {WM_KEYDOWN, 'B'},       {WM_CHAR, 'B'},       {WM_KEYUP, VK_SHIFT}, {WM_KEYUP, 'B'},  // xdotool lets go of shift first
      {WM_KEYDOWN, VK_RETURN}, {WM_CHAR, '\r'},      {WM_KEYUP, VK_RETURN}, {WM_KEYDOWN, VK_LEFT},
      {WM_KEYUP, VK_LEFT},
  };
  std::vector<Seen> keys;
  EXPECT_TRUE(PumpUntil([&] {
    keys.clear();
    for (const Seen& s : Log()) {
      if (s.msg == WM_KEYDOWN || s.msg == WM_KEYUP || s.msg == WM_CHAR) keys.push_back(s);
    }
    return keys.size() >= expected.size();
  }));
  ASSERT_EQ(keys.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(keys[i].hwnd, hwnd) << i;
    EXPECT_EQ(keys[i].msg, expected[i].msg) << i;
    EXPECT_EQ(keys[i].wParam, expected[i].wParam) << i;
  }
}

TEST_F(X11Windows, CharactersBeyondLatinLettersArriveAsWmChar) {
  HWND hwnd = Make(0, WS_POPUP | WS_VISIBLE, L"text", 100, 100, 200, 200);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("text");
  ASSERT_NE(window, None);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  ASSERT_EQ(Xdotool({"mousemove", "--sync", "--window", std::to_string(window), "50", "50"}), 0);
  PumpFor(100);
  // xdotool puts key symbols that no key carries on a spare key for a moment; this thread must
  // be handling events meanwhile to read the key while it is bound.
  int typed = -1;
  std::thread typist([&] { typed = Xdotool({"key", "--delay", "150", "eacute", "Cyrillic_a", "EuroSign"}); });
  std::vector<WPARAM> chars;
  EXPECT_TRUE(PumpUntil([&] {
    chars.clear();
    for (const Seen& s : Log()) {
      if (s.msg == WM_CHAR && s.hwnd == hwnd) chars.push_back(s.wParam);
    }
    return chars.size() >= 3;
  }));
  typist.join();
  EXPECT_EQ(typed, 0);
  EXPECT_EQ(chars, (std::vector<WPARAM>{0xE9, 0x430, 0x20AC}));
}

TEST_F(X11Windows, WindowPropertyIsFoundByAnotherProcess) {
  HWND hwnd = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"QUILLON", 10, 10, 100, 100);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("QUILLON");
  ASSERT_NE(window, None);
  platform::CurrentBackend().SetPublicProperty(hwnd, L"Velmora Quillon", 1);
  // Another program (xprop) sees the property on the real window.
  std::string output;
  const char* argv[] = {"xprop", "-id", nullptr, "_ZELVO_PROP_Velmora Quillon", nullptr};
  std::string id = std::to_string(window);
  argv[2] = id.c_str();
  ASSERT_EQ(RunTool(server().display(), argv, &output), 0);
  EXPECT_NE(output.find("INTEGER) = 1, 0"), std::string::npos) << output;
  // A second connection finds the window by the property alone.
  std::unique_ptr<platform::Backend> other = platform::CreateX11Backend();
  ASSERT_NE(other, nullptr);
  std::int64_t value = 0;
  EXPECT_TRUE(other->FindPublicProperty(L"Velmora Quillon", &value));
  EXPECT_EQ(value, 1);
  platform::CurrentBackend().SetPublicProperty(hwnd, L"Velmora Quillon", 0);
  EXPECT_FALSE(other->FindPublicProperty(L"Velmora Quillon", &value));
}

TEST_F(X11Windows, WorkAreaFollowsTheRootProperty) {
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.right, 1280);
  EXPECT_EQ(work.bottom, 800);
  long area[4] = {0, 30, 1280, 730};  // a 30-pixel top panel and a 40-pixel bottom one
  XChangeProperty(observer(), DefaultRootWindow(observer()), XInternAtom(observer(), "_NET_WORKAREA", False),
                  XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(area), 4);
  XSync(observer(), False);
  EXPECT_TRUE(PumpUntil([&] {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work.top == 30;
  }));
  EXPECT_EQ(work.left, 0);
  EXPECT_EQ(work.top, 30);
  EXPECT_EQ(work.right, 1280);
  EXPECT_EQ(work.bottom, 760);
}

TEST_F(X11Windows, CaptionPressMovesTheWindowWithThePointer) {
  HWND hwnd = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"drag", 100, 100, 200, 150);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("drag");
  ASSERT_NE(window, None);
  DragOnPress() = true;
  // The move runs inside the press's handling, so the whole gesture is played from another
  // thread while this one handles messages.
  int gesture = -1;
  std::thread player([&] {
    gesture = Xdotool({"mousemove", "--sync", "--window", std::to_string(window), "20", "20", "mousedown", "1",
                       "sleep", "0.3", "mousemove", "--sync", "300", "250", "sleep", "0.3", "mouseup", "1"});
  });
  PumpUntil([&] {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r.left == 280 && r.top == 230;
  });
  player.join();
  EXPECT_EQ(gesture, 0);
  // Pressed at screen (120, 120), released at (300, 250): the window moved by (180, 130).
  EXPECT_TRUE(PumpUntil([&] {
    RECT r{};
    GetWindowRect(hwnd, &r);
    XRectangle g = GeometryOf(window);
    return r.left == 280 && r.top == 230 && g.x == 280 && g.y == 230;
  }));
  RECT r{};
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 280);
  EXPECT_EQ(r.top, 230);
}

TEST_F(X11Windows, UnderAWindowManagerTheCaptionPressAsksItToMoveTheWindow) {
  HWND hwnd = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"managed", 100, 100, 200, 150);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("managed");
  ASSERT_NE(window, None);

  // The observer plays a window manager that supports the move request.
  Display* wm = observer();
  Window root = DefaultRootWindow(wm);
  Window check = XCreateSimpleWindow(wm, root, 0, 0, 1, 1, 0, 0, 0);
  Atom checkAtom = XInternAtom(wm, "_NET_SUPPORTING_WM_CHECK", False);
  Atom moveResize = XInternAtom(wm, "_NET_WM_MOVERESIZE", False);
  long checkValue = static_cast<long>(check);
  XChangeProperty(wm, check, checkAtom, XA_WINDOW, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&checkValue), 1);
  long supported = static_cast<long>(moveResize);
  XChangeProperty(wm, root, XInternAtom(wm, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&supported), 1);
  XSelectInput(wm, root, SubstructureRedirectMask);
  XChangeProperty(wm, root, checkAtom, XA_WINDOW, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&checkValue), 1);
  XSync(wm, False);
  PumpFor(100);

  DragOnPress() = true;
  int gesture = -1;
  std::thread player([&] {
    gesture = Xdotool({"mousemove", "--sync", "--window", std::to_string(window), "20", "20", "mousedown", "1",
                       "sleep", "0.5", "mouseup", "1"});
  });
  XClientMessageEvent request{};
  bool asked = PumpUntil([&] {
    while (XPending(wm) > 0) {
      XEvent event;
      XNextEvent(wm, &event);
      if (event.type == ClientMessage && event.xclient.message_type == moveResize) {
        request = event.xclient;
        return true;
      }
    }
    return false;
  });
  EXPECT_TRUE(asked);
  EXPECT_EQ(request.window, window);
  EXPECT_EQ(request.data.l[0], 120) << "pointer x on the screen";
  EXPECT_EQ(request.data.l[1], 120) << "pointer y on the screen";
  EXPECT_EQ(request.data.l[2], 8) << "_NET_WM_MOVERESIZE_MOVE";
  EXPECT_EQ(request.data.l[3], 1) << "button 1";

  // The manager moves the window and tells it so: the platform follows.
  XMoveWindow(wm, window, 400, 300);
  XEvent moved{};
  moved.xconfigure.type = ConfigureNotify;
  moved.xconfigure.event = window;
  moved.xconfigure.window = window;
  moved.xconfigure.x = 400;
  moved.xconfigure.y = 300;
  moved.xconfigure.width = 200;
  moved.xconfigure.height = 150;
  XSendEvent(wm, window, False, StructureNotifyMask, &moved);
  XSync(wm, False);
  EXPECT_TRUE(PumpUntil([&] {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r.left == 400 && r.top == 300 && r.right == 600 && r.bottom == 450;
  }));
  // The release ends the move.
  EXPECT_TRUE(PumpUntil([&] {
    for (const Seen& seen : Log()) {
      if (seen.hwnd == hwnd && seen.msg == WM_EXITSIZEMOVE) return true;
    }
    return false;
  }));
  player.join();
  EXPECT_EQ(gesture, 0);
}

TEST_F(X11Windows, BecomingTopmostLaterIsAnnounced) {
  // The program's main window: a tool window made topmost after creation (flags 0x43).
  HWND hwnd = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"later topmost", 700, 400, 500, 350);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("later topmost");
  ASSERT_NE(window, None);
  auto above = [&] {
    std::vector<std::string> state = AtomNamesOf(window, "_NET_WM_STATE");
    return std::find(state.begin(), state.end(), "_NET_WM_STATE_ABOVE") != state.end();
  };
  EXPECT_FALSE(above());
  ASSERT_TRUE(SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW));
  EXPECT_TRUE(PumpUntil(above));
  XWindowAttributes attributes{};
  XGetWindowAttributes(observer(), window, &attributes);
  EXPECT_FALSE(attributes.override_redirect) << "an unowned window stays managed";
  EXPECT_EQ(AtomNamesOf(window, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{"_NET_WM_WINDOW_TYPE_UTILITY"});
}

TEST_F(X11Windows, OwnedPopupsAreLeftAloneByTheManagerAndShadowsLetClicksThrough) {
  HWND owner = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"owner", 100, 100, 300, 200);
  ASSERT_NE(owner, nullptr);
  HWND menu = CreateWindowExW(WS_EX_TOOLWINDOW, className_.c_str(), L"Menu Window", WS_POPUP | WS_VISIBLE, 150, 150,
                              120, 160, owner, nullptr, nullptr, nullptr);
  HWND shadow = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, className_.c_str(), L"shadow",
                                WS_POPUP | WS_VISIBLE, 95, 95, 310, 210, owner, nullptr, nullptr, nullptr);
  ASSERT_NE(menu, nullptr);
  ASSERT_NE(shadow, nullptr);
  created_.push_back(menu);
  created_.push_back(shadow);
  Window ownerWindow = XWindowOf("owner");
  Window menuWindow = XWindowOf("Menu Window");
  Window shadowWindow = XWindowOf("shadow");
  ASSERT_NE(menuWindow, None);
  ASSERT_NE(shadowWindow, None);
  XWindowAttributes attributes{};
  XGetWindowAttributes(observer(), menuWindow, &attributes);
  EXPECT_TRUE(attributes.override_redirect);
  EXPECT_EQ(LongsOf(menuWindow, "WM_TRANSIENT_FOR"), std::vector<long>{static_cast<long>(ownerWindow)});
  int count = -1, ordering = 0;
  XRectangle* input = XShapeGetRectangles(observer(), shadowWindow, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 0) << "click-through";
  if (input != nullptr) XFree(input);
  input = XShapeGetRectangles(observer(), menuWindow, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 1);
  if (input != nullptr) XFree(input);
}

TEST_F(X11Windows, MinimisedWithoutAWindowManagerTheWindowIsNotShown) {
  HWND hwnd = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"iconic", 50, 50, 200, 150);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("iconic");
  ASSERT_NE(window, None);
  auto mapState = [&] {
    XWindowAttributes attributes{};
    XGetWindowAttributes(observer(), window, &attributes);
    return attributes.map_state;
  };
  ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_TRUE(PumpUntil([&] { return mapState() == IsUnmapped; }));
  EXPECT_TRUE(IsIconic(hwnd));
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_TRUE(PumpUntil([&] { return mapState() == IsViewable; }));
  EXPECT_FALSE(IsIconic(hwnd));
}

TEST_F(X11Windows, TheSevenNamedCursorsShowOverTheWindow) {
  HWND hwnd = Make(0, WS_POPUP | WS_VISIBLE, L"cursors", 100, 100, 200, 200);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("cursors");
  ASSERT_NE(window, None);
  // The toolkit's cursor names and the stock cursors they select.
  const std::pair<unsigned, const char*> cases[] = {
      {32512, "left_ptr"},          // "arrow"
      {32514, "watch"},             // "wait"
      {32515, "crosshair"},         // "cross"
      {32644, "sb_h_double_arrow"}, // "sizewe"
      {32645, "sb_v_double_arrow"}, // "sizens"
      {32649, "hand2"},             // "hand"
      {32651, "question_arrow"},    // "help"
      {32513, "xterm"},             // the text I-beam
  };
  int x = 10;
  for (const auto& [stock, name] : cases) {
    CursorToShow() = stock;
    // Each move makes the platform ask the window for its cursor.
    ASSERT_EQ(Xdotool({"mousemove", "--sync", "--window", std::to_string(window), std::to_string(x), "40"}), 0);
    x += 15;
    std::string shown;
    EXPECT_TRUE(PumpUntil([&] {
      XFixesCursorImage* image = XFixesGetCursorImage(observer());
      shown.clear();
      if (image != nullptr) {
        if (image->name != nullptr) shown = image->name;
        XFree(image);
      }
      return shown == name;
    })) << "stock cursor " << stock << " shows " << shown;
  }
}

TEST_F(X11Windows, CloseFromTheDesktopBecomesWmClose) {
  HWND hwnd = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"closing", 10, 10, 100, 100);
  ASSERT_NE(hwnd, nullptr);
  Window window = XWindowOf("closing");
  ASSERT_NE(window, None);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(observer(), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(observer(), "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(observer(), window, False, NoEventMask, &event);
  XSync(observer(), False);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
  bool sawClose = false;
  for (const Seen& s : Log()) sawClose |= s.hwnd == hwnd && s.msg == WM_CLOSE;
  EXPECT_TRUE(sawClose);
}

TEST_F(X11Windows, LosingTheServerEndsTheWindowsAndTheProcessGoesOn) {
  HWND hwnd = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"survivor", 10, 10, 100, 100);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_NE(XWindowOf("survivor"), None);
  CloseObserver();  // a plain Xlib connection would exit() when the server dies
  server().Kill();
  // Xlib's own handling would exit() here; ours reports the loss and closes the windows.
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
  EXPECT_EQ(Make(0, WS_POPUP | WS_VISIBLE, L"after", 0, 0, 10, 10), nullptr)
      << "no new windows without a server";
  EXPECT_EQ(platform::CurrentBackend().EventFd(), -1);
  // A message loop keeps working for the rest of the program.
  PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(X11Windows, AThreadBlockedInGetMessageWakesWhenTheServerDies) {
  HWND hwnd = Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, L"sleeper", 10, 10, 100, 100);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_NE(XWindowOf("sleeper"), None);
  PumpOnce();
  CloseObserver();
  const DWORD self = GetCurrentThreadId();
  std::thread killer([&] {
    SleepMs(200);
    server().Kill();
  });
  // Should the death go unnoticed, a late message ends the wait so the test fails, not hangs.
  std::atomic<bool> finished{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 400 && !finished; ++i) SleepMs(20);
    if (!finished) PostThreadMessageW(self, WM_USER + 7, 0, 0);
  });
  MSG msg;
  bool timedOut = false;
  while (IsWindow(hwnd) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == WM_USER + 7) {
      timedOut = true;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  finished = true;
  EXPECT_FALSE(timedOut) << "GetMessage did not notice the server's end";
  EXPECT_FALSE(IsWindow(hwnd));
  killer.join();
  watchdog.join();
}

}  // namespace
}  // namespace x11test
