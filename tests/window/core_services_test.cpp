// Queues across threads, timers, paint generation, presented pixels, layered windows, classes,
// properties and the offscreen screen.
#include <atomic>
#include <thread>

#include "platform/core/input.h"
#include "platform/core/multimedia_timer.h"
#include "platform/core/public_property.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/surface_dc.h"
#include "platform/offscreen/offscreen.h"
#include "tests/window/window_test_support.h"

using namespace window_test;

namespace {

class CoreServicesTest : public WindowTest {};

constexpr UINT kAsk = WM_APP + 1;
constexpr UINT kAskBack = WM_APP + 2;

std::atomic<DWORD> g_handledOn{0};
HWND g_otherThreadWindow = nullptr;

LRESULT AnsweringProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kAsk) {
    g_handledOn = GetCurrentThreadId();
    // Ask back a window of the sending thread while that thread waits for this answer.
    LRESULT back = g_otherThreadWindow ? SendMessageW(g_otherThreadWindow, kAskBack, wParam, 0) : 0;
    return static_cast<LRESULT>(wParam) * 2 + back;
  }
  if (msg == kAskBack) return 1000;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const wchar_t* AnsweringClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &AnsweringProc;
  wc.lpszClassName = L"AnsweringWindow";
  RegisterClassW(&wc);
  return L"AnsweringWindow";
}

TEST_F(CoreServicesTest, SendAcrossThreadsRunsOnTheReceiverAndAnswersBackWithoutDeadlock) {
  HWND mine = CreateWindowExW(0, AnsweringClass(), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const DWORD self = GetCurrentThreadId();
  std::atomic<bool> done{false};
  std::atomic<LRESULT> answer{0};
  std::atomic<DWORD> senderThread{0};
  std::thread sender([&] {
    senderThread = GetCurrentThreadId();
    g_otherThreadWindow =
        CreateWindowExW(0, AnsweringClass(), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    answer = SendMessageW(mine, kAsk, 21, 0);
    DestroyWindow(g_otherThreadWindow);
    g_otherThreadWindow = nullptr;
    PostThreadMessageW(self, WM_APP + 3, 0, 0);
    done = true;
  });
  MSG msg;
  bool threadMessage = false;
  while (!threadMessage) {
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    if (msg.hwnd == nullptr && msg.message == WM_APP + 3) threadMessage = true;
    DispatchMessageW(&msg);
  }
  sender.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(answer, 21 * 2 + 1000);
  EXPECT_EQ(g_handledOn, self) << "the receiver's thread ran the procedure";
}

TEST_F(CoreServicesTest, PostedMessagesComeBeforePaintAndTimers) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 40, 40});
  Pump();
  SetTimer(hwnd, 5, 10, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  RECT dirty{10, 10, 20, 20};
  InvalidateRect(hwnd, &dirty, FALSE);
  PostMessageW(hwnd, WM_APP, 0, 0);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_TRUE(EqualRect(&update, &dirty));
  MSG msg;
  std::vector<UINT> order;
  for (int i = 0; i < 3 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    order.push_back(msg.message);
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_APP, WM_PAINT, WM_TIMER}));
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "painting validated the window";
  KillTimer(hwnd, 5);
}

TEST_F(CoreServicesTest, TimersRepeatUntilKilledAndCallTheirProcedure) {
  HWND hwnd = CreateRecorder(WS_POPUP, RECT{0, 0, 10, 10});
  EXPECT_EQ(SetTimer(hwnd, 7, 10, nullptr), 7u);
  int ticks = 0;
  MSG msg;
  while (ticks < 3) {
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    if (msg.message == WM_TIMER && msg.hwnd == hwnd) {
      EXPECT_EQ(msg.wParam, 7u);
      ++ticks;
    }
    DispatchMessageW(&msg);
  }
  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) << "a killed timer is silent";

  static int called = 0;
  static UINT_PTR calledWith = 0;
  struct Callback {
    static void Proc(HWND, UINT msg, UINT_PTR id, DWORD) {
      if (msg == WM_TIMER) {
        ++called;
        calledWith = id;
      }
    }
  };
  const UINT_PTR id = SetTimer(nullptr, 0, 10, &Callback::Proc);
  ASSERT_NE(id, 0u);
  while (called == 0) {
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(calledWith, id);
  KillTimer(nullptr, id);
}

TEST_F(CoreServicesTest, QuitComesAfterPostedMessages) {
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 1, 0);
  PostQuitMessage(3);
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_APP);
  EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

LRESULT PainterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    platform::Bitmap* pixels = platform::GetDCSurface(dc);
    for (int y = ps.rcPaint.top; y < ps.rcPaint.bottom; ++y) {
      for (int x = ps.rcPaint.left; x < ps.rcPaint.right; ++x) pixels->SetPixel(x, y, 0xFFFF0000u);
    }
    pixels->MarkDirty();
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(CoreServicesTest, PaintedPixelsArePresentedForReadBack) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &PainterProc;
  wc.lpszClassName = L"PainterWindow";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, L"PainterWindow", L"", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  Pump();
  EXPECT_EQ(platform::offscreen::PresentedPixel(hwnd, 29, 29), 0xFFFF0000u) << "the first paint covers the window";
  const int presents = platform::offscreen::PresentCount(hwnd);
  RECT small{0, 0, 5, 5};
  // Draw blue directly, then let a small paint present only its own area.
  HDC dc = GetDC(hwnd);
  platform::GetDCSurface(dc)->Clear(0xFF0000FFu);
  platform::GetDCSurface(dc)->MarkDirty();
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(platform::offscreen::PresentedPixel(hwnd, 20, 20), 0xFF0000FFu) << "ReleaseDC presents";
  InvalidateRect(hwnd, &small, FALSE);
  Pump();
  EXPECT_EQ(platform::offscreen::PresentedPixel(hwnd, 2, 2), 0xFFFF0000u);
  EXPECT_EQ(platform::offscreen::PresentedPixel(hwnd, 20, 20), 0xFF0000FFu);
  EXPECT_EQ(platform::offscreen::PresentCount(hwnd), presents + 2);
  auto screen = platform::offscreen::ScreenPixels();
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->PixelAt(2, 2), 0xFFFF0000u);
}

TEST_F(CoreServicesTest, LayeredUpdateTakesTheSourceRectangleAndAlpha) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 10, 10}, nullptr, WS_EX_LAYERED);
  platform::Bitmap source(60, 60);
  source.Clear(0xFFFFFFFFu);
  source.SetPixel(10, 10, 0xFF102030u);
  for (int y = 10; y < 20; ++y) {
    for (int x = 10; x < 20; ++x) source.SetPixel(x + 20, y, 0);  // a transparent hole at (20..30, 0..10)
  }
  source.MarkDirty();
  HDC dc = platform::CreateSurfaceDC(&source);
  POINT dst{500, 400}, src{10, 10};
  SIZE size{40, 40};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  Log().clear();
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, &dst, &size, dc, &src, 0, &blend, ULW_ALPHA));
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_MOVE}, {WM_SIZE}}));
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_TRUE(r.left == 500 && r.top == 400 && r.right == 540 && r.bottom == 440);
  EXPECT_EQ(platform::offscreen::PresentedPixel(hwnd, 0, 0), 0xFF102030u);
  EXPECT_EQ(platform::offscreen::PresentedPixel(hwnd, 25, 5), 0u);
  EXPECT_EQ(WindowFromPoint(POINT{525, 405}), nullptr) << "clicks pass through transparent pixels";
  EXPECT_EQ(WindowFromPoint(POINT{505, 405}), hwnd);

  blend.SourceConstantAlpha = 128;
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, nullptr, nullptr, dc, &src, 0, &blend, ULW_ALPHA));
  EXPECT_EQ(platform::offscreen::PresentedPixel(hwnd, 5, 5), 0x80808080u);
  platform::DeleteSurfaceDC(dc);

  HWND plain = CreateRecorder(WS_POPUP, RECT{0, 0, 10, 10});
  EXPECT_FALSE(UpdateLayeredWindow(plain, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, ULW_ALPHA))
      << "only layered windows";
}

TEST_F(CoreServicesTest, ClassesRegisterOnceAndPlatformClassesCanBeExtended) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.lpszClassName = L"OnceOnly";
  wc.style = CS_DBLCLKS;
  ATOM atom = RegisterClassW(&wc);
  if (atom == 0) {
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  }
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(GetClassInfoExW(nullptr, L"onceonly", &info)) << "names compare without case";
  EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_FALSE(GetClassInfoExW(nullptr, L"NoSuchClass", &info));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
  // A module's own class is found for that module, and not as a platform class.
  HINSTANCE module = reinterpret_cast<HINSTANCE>(0x1234);
  wc.hInstance = module;
  wc.lpszClassName = L"ModuleOnly";
  RegisterClassW(&wc);
  EXPECT_FALSE(GetClassInfoExW(nullptr, L"ModuleOnly", &info));
  EXPECT_TRUE(GetClassInfoExW(module, L"ModuleOnly", &info));
  EXPECT_TRUE(GetClassInfoExW(module, L"OnceOnly", &info)) << "platform classes are seen from every module";
}

TEST_F(CoreServicesTest, PropertiesUserDataAndText) {
  HWND hwnd = CreateRecorder(WS_POPUP, RECT{0, 0, 10, 10});
  int marker = 0;
  EXPECT_TRUE(SetPropW(hwnd, L"Control", &marker));
  EXPECT_EQ(GetPropW(hwnd, L"control"), &marker);
  EXPECT_EQ(RemovePropW(hwnd, L"Control"), &marker);
  EXPECT_EQ(GetPropW(hwnd, L"Control"), nullptr);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 77), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 77);
  EXPECT_TRUE(SetWindowTextW(hwnd, L"Velmora"));
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 7);
  wchar_t text[4];
  EXPECT_EQ(GetWindowTextW(hwnd, text, 4), 3);
  EXPECT_EQ(std::wstring(text), L"Vel");
  EXPECT_EQ(platform::offscreen::NativeTitle(hwnd), L"Velmora");
  Log().clear();
  SetWindowLongW(hwnd, GWL_EXSTYLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_STYLECHANGING, static_cast<WPARAM>(GWL_EXSTYLE)},
                                      {WM_STYLECHANGED, static_cast<WPARAM>(GWL_EXSTYLE)}}));
  EXPECT_TRUE(platform::offscreen::NativeHints(hwnd).toolWindow);
  EXPECT_TRUE(platform::offscreen::NativeHints(hwnd).topmost);
}

TEST_F(CoreServicesTest, OffscreenScreenAndWorkAreaAreConfigurable) {
  platform::offscreen::SetScreen(RECT{0, 0, 1280, 720}, RECT{0, 30, 1280, 720});
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 720);
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.top, 30);
  HWND hwnd = CreateRecorder(WS_POPUP, RECT{100, 100, 200, 200});
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info));
  EXPECT_EQ(info.rcMonitor.right, 1280);
  EXPECT_EQ(info.rcWork.top, 30);
  MoveWindow(hwnd, 5000, 5000, 10, 10, FALSE);
  EXPECT_EQ(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_NE(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), nullptr);
}

TEST_F(CoreServicesTest, DisabledWindowsGetNoPointerInput) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
  Pump();
  Log().clear();
  EXPECT_FALSE(EnableWindow(hwnd, FALSE));
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_EQ(GetFocus(), nullptr) << "disabling takes the focus away";
  platform::InputMouseButton(platform::MouseButton::Left, true, POINT{10, 10});
  platform::InputMouseButton(platform::MouseButton::Left, false, POINT{10, 10});
  Pump();
  for (const Recorded& r : Log()) EXPECT_FALSE(r.message >= WM_MOUSEFIRST && r.message <= WM_MOUSELAST);
  EXPECT_TRUE(EnableWindow(hwnd, TRUE));
  EXPECT_FALSE(EnableWindow(nullptr, TRUE)) << "no window, no change";
}

}  // namespace

namespace {

std::atomic<int> g_ticks{0};
std::atomic<bool> g_insideCallback{false};

void CountTick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  g_ticks += static_cast<int>(user);
}

void SlowTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  g_insideCallback = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  ++g_ticks;
  g_insideCallback = false;
}

void KillItself(UINT id, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  ++g_ticks;
  timeKillEvent(id);
}

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 400 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

TEST(MultimediaTimerTest, PeriodicTimersTickOnTheirOwnThreadUntilKilled) {
  TIMECAPS caps{};
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
  EXPECT_GE(caps.wPeriodMin, 1u);
  EXPECT_EQ(timeBeginPeriod(caps.wPeriodMin), TIMERR_NOERROR);
  g_ticks = 0;
  const UINT id = timeSetEvent(5, caps.wPeriodMin, &CountTick, 1, TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  EXPECT_TRUE(WaitFor([] { return g_ticks >= 3; }));
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  const int after = g_ticks;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(g_ticks, after) << "no tick after the kill returned";
  EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
  EXPECT_EQ(timeEndPeriod(caps.wPeriodMin), TIMERR_NOERROR);
  EXPECT_EQ(timeSetEvent(0, 1, &CountTick, 1, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(5, 1, nullptr, 1, TIME_PERIODIC), 0u);
}

TEST(MultimediaTimerTest, KillWaitsForARunningCallbackAndMayComeFromIt) {
  g_ticks = 0;
  const UINT slow = timeSetEvent(1, 1, &SlowTick, 0, TIME_PERIODIC);
  ASSERT_TRUE(WaitFor([] { return g_insideCallback.load(); }));
  timeKillEvent(slow);
  EXPECT_FALSE(g_insideCallback) << "the kill returned only after the callback";
  g_ticks = 0;
  timeSetEvent(2, 1, &KillItself, 0, TIME_PERIODIC);
  ASSERT_TRUE(WaitFor([] { return g_ticks >= 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(g_ticks, 1);
  g_ticks = 0;
  timeSetEvent(2, 1, &CountTick, 1, TIME_ONESHOT);
  ASSERT_TRUE(WaitFor([] { return g_ticks >= 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(g_ticks, 1) << "a one-shot timer fires once";
}

}  // namespace

namespace {

class WindowRegionTest : public WindowTest {};

TEST_F(WindowRegionTest, ARegionShapesTheWindowForInputAndTheDisplay) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{100, 100, 150, 150});
  HRGN region = platform::CreateRoundRectRgn(0, 0, 50, 50, 20, 20);
  ASSERT_TRUE(SetWindowRgn(hwnd, region, TRUE));
  EXPECT_EQ(GetWindowRgnHandle(hwnd), region);
  EXPECT_EQ(WindowFromPoint(POINT{125, 125}), hwnd);
  EXPECT_EQ(WindowFromPoint(POINT{100, 100}), nullptr) << "the cut corner lets the point through";
  const auto shape = platform::offscreen::NativeShape(hwnd);
  EXPECT_GT(shape.size(), 1u);
  ASSERT_TRUE(SetWindowRgn(hwnd, nullptr, FALSE));
  EXPECT_EQ(WindowFromPoint(POINT{100, 100}), hwnd);
  EXPECT_TRUE(platform::offscreen::NativeShape(hwnd).empty());
}

}  // namespace

namespace {

class PublicPropertyTest : public WindowTest {};

TEST_F(PublicPropertyTest, APublishedPropertyIsFoundUntilWithdrawnAndWindowsEnumerate) {
  HWND hwnd = CreateRecorder(WS_POPUP, RECT{0, 0, 10, 10});
  HWND child = CreateRecorder(WS_CHILD, RECT{0, 0, 5, 5}, hwnd);
  std::int64_t value = 0;
  EXPECT_FALSE(platform::FindPublishedWindowProperty(L"Velmora Quillon", &value));
  EXPECT_FALSE(platform::PublishWindowProperty(child, L"Velmora Quillon", 5)) << "top-level windows only";
  ASSERT_TRUE(platform::PublishWindowProperty(hwnd, L"Velmora Quillon", 1234));
  ASSERT_TRUE(platform::FindPublishedWindowProperty(L"Velmora Quillon", &value));
  EXPECT_EQ(value, 1234);
  platform::PublishWindowProperty(hwnd, L"Velmora Quillon", 0);
  EXPECT_FALSE(platform::FindPublishedWindowProperty(L"Velmora Quillon", &value));
  std::vector<HWND> seen;
  EnumWindows([](HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen, std::vector<HWND>{hwnd}) << "top-level windows only";
}

}  // namespace
