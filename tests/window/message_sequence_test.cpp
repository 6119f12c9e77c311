// Message sequences of the windowing core on the offscreen backend, as tables of the messages a
// window procedure receives, in order.
#include <thread>

#include "platform/core/input.h"
#include "platform/offscreen/offscreen.h"
#include "tests/window/window_test_support.h"

using namespace window_test;
using platform::InputMouseButton;
using platform::InputMouseMove;
using platform::MouseButton;

namespace {

class MessageSequenceTest : public WindowTest {};

std::vector<Recorded> Of(HWND hwnd) {
  std::vector<Recorded> only;
  for (const Recorded& r : Log()) {
    if (r.hwnd == hwnd) only.push_back(r);
  }
  return only;
}

const std::vector<Expected> kShowActivates = {
    {WM_SHOWWINDOW, TRUE}, {WM_WINDOWPOSCHANGING}, {WM_ACTIVATEAPP, TRUE}, {WM_NCACTIVATE, TRUE},
    {WM_ACTIVATE, WA_ACTIVE}, {WM_SETFOCUS}, {WM_WINDOWPOSCHANGED}};

TEST_F(MessageSequenceTest, CreationSendsTheCreateMessagesInOrder) {
  struct Case {
    const char* name;
    DWORD style;
    std::vector<Expected> want;
  };
  const std::vector<Case> cases = {
      {"popup", WS_POPUP, {{WM_NCCREATE}, {WM_NCCALCSIZE}, {WM_CREATE}, {WM_SIZE, SIZE_RESTORED}, {WM_MOVE}}},
      {"overlapped", WS_OVERLAPPED,
       {{WM_GETMINMAXINFO}, {WM_NCCREATE}, {WM_NCCALCSIZE}, {WM_CREATE}, {WM_SIZE, SIZE_RESTORED}, {WM_MOVE}}},
  };
  for (const Case& c : cases) {
    Log().clear();
    HWND hwnd = CreateRecorder(c.style, RECT{10, 20, 110, 70});
    ASSERT_NE(hwnd, nullptr) << c.name;
    EXPECT_TRUE(MatchesSequence(Log(), c.want)) << c.name;
    const Recorded& size = Log()[Log().size() - 2];
    EXPECT_EQ(size.lParam, MAKELPARAM(100, 50)) << c.name;
    EXPECT_EQ(Log().back().lParam, MAKELPARAM(10, 20)) << c.name;
    EXPECT_FALSE(IsWindowVisible(hwnd));
    DestroyWindow(hwnd);
  }
}

TEST_F(MessageSequenceTest, VisibleCreationShowsAndActivatesThenPaints) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
  ASSERT_NE(hwnd, nullptr);
  std::vector<Expected> want = {{WM_NCCREATE}, {WM_NCCALCSIZE}, {WM_CREATE}, {WM_SIZE}, {WM_MOVE}};
  want.insert(want.end(), kShowActivates.begin(), kShowActivates.end());
  EXPECT_TRUE(MatchesSequence(Log(), want));
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetForegroundWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  EXPECT_TRUE(platform::offscreen::IsShown(hwnd));
  Log().clear();
  Pump();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_PAINT}, {WM_ERASEBKGND}}));
  Log().clear();
  Pump();
  EXPECT_TRUE(Log().empty()) << "a validated window is not painted again";
}

TEST_F(MessageSequenceTest, ShowAndHideSequences) {
  HWND hwnd = CreateRecorder(WS_POPUP, RECT{0, 0, 50, 50});
  Log().clear();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
  EXPECT_TRUE(MatchesSequence(Log(), kShowActivates));
  Log().clear();
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW)) << "already visible: nothing happens";
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_SHOWWINDOW, FALSE},
                                      {WM_WINDOWPOSCHANGING},
                                      {WM_WINDOWPOSCHANGED},
                                      {WM_NCACTIVATE, FALSE},
                                      {WM_ACTIVATE, WA_INACTIVE},
                                      {WM_ACTIVATEAPP, FALSE},
                                      {WM_KILLFOCUS}}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(platform::offscreen::IsShown(hwnd));
  Log().clear();
  EXPECT_FALSE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_TRUE(Log().empty());
  Log().clear();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNOACTIVATE));
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_SHOWWINDOW, TRUE}, {WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(MessageSequenceTest, MoveAndSizeSequences) {
  HWND hwnd = CreateRecorder(WS_POPUP, RECT{0, 0, 50, 50});
  struct Case {
    int x, y, cx, cy;
    std::vector<Expected> want;
  };
  const std::vector<Case> cases = {
      {10, 10, 50, 50, {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_MOVE}}},
      {10, 10, 80, 60, {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_SIZE, SIZE_RESTORED}}},
      {30, 40, 20, 20, {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_MOVE}, {WM_SIZE, SIZE_RESTORED}}},
      {30, 40, 20, 20, {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}}},
  };
  for (const Case& c : cases) {
    Log().clear();
    EXPECT_TRUE(MoveWindow(hwnd, c.x, c.y, c.cx, c.cy, TRUE));
    EXPECT_TRUE(MatchesSequence(Log(), c.want)) << c.x << "," << c.y << " " << c.cx << "x" << c.cy;
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, c.x);
    EXPECT_EQ(r.bottom, c.y + c.cy);
    const RECT native = platform::offscreen::NativeRect(hwnd);
    EXPECT_EQ(native.right, c.x + c.cx) << "the backend follows";
  }
}

TEST_F(MessageSequenceTest, MinMaxInfoLimitsAnOverlappedWindow) {
  static LONG maxWidth = 120;
  struct Limited {
    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
      if (msg == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize.x = maxWidth;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
  };
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Limited::Proc;
  wc.lpszClassName = L"LimitedWindow";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, L"LimitedWindow", L"", WS_OVERLAPPED, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right - r.left, 120) << "clamped at creation";
  SetWindowPos(hwnd, nullptr, 0, 0, 500, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right - r.left, 120) << "clamped by the default WM_WINDOWPOSCHANGING";
}

TEST_F(MessageSequenceTest, ActivationMovesBetweenWindows) {
  HWND a = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
  HWND b = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{100, 0, 150, 50});
  EXPECT_EQ(GetActiveWindow(), b);
  Log().clear();
  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_NCACTIVATE, FALSE, b},
                                      {WM_ACTIVATE, WA_INACTIVE, b},
                                      {WM_NCACTIVATE, TRUE, a},
                                      {WM_ACTIVATE, WA_ACTIVE, a},
                                      {WM_KILLFOCUS, std::nullopt, b},
                                      {WM_SETFOCUS, std::nullopt, a}}));
  EXPECT_EQ(static_cast<HWND>(reinterpret_cast<HWND>(Log()[3].lParam)), b) << "WM_ACTIVATE names the other window";
  EXPECT_EQ(platform::offscreen::StackingOrder().front(), a) << "the activated window is raised";
}

TEST_F(MessageSequenceTest, ClickOnAnInactiveWindowActivatesItFirst) {
  HWND a = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
  HWND b = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{100, 0, 150, 50});
  Pump();
  Log().clear();
  InputMouseButton(MouseButton::Left, true, POINT{10, 10});
  Pump();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_MOUSEMOVE, std::nullopt, a},
                                      {WM_MOUSEACTIVATE, std::nullopt, a},
                                      {WM_NCACTIVATE, FALSE, b},
                                      {WM_ACTIVATE, WA_INACTIVE, b},
                                      {WM_NCACTIVATE, TRUE, a},
                                      {WM_ACTIVATE, WA_CLICKACTIVE, a},
                                      {WM_KILLFOCUS, std::nullopt, b},
                                      {WM_SETFOCUS, std::nullopt, a},
                                      {WM_LBUTTONDOWN, MK_LBUTTON, a}}));
  EXPECT_EQ(Log().back().lParam, MAKELPARAM(10, 10));
  InputMouseButton(MouseButton::Left, false, POINT{10, 10});
}

TEST_F(MessageSequenceTest, PostedCloseDestroysTheWindow) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
  Pump();
  Log().clear();
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_CLOSE},
                                      {WM_WINDOWPOSCHANGING},
                                      {WM_WINDOWPOSCHANGED},
                                      {WM_NCACTIVATE, FALSE},
                                      {WM_ACTIVATE, WA_INACTIVE},
                                      {WM_ACTIVATEAPP, FALSE},
                                      {WM_KILLFOCUS},
                                      {WM_DESTROY},
                                      {WM_NCDESTROY}}));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(platform::offscreen::IsShown(hwnd));
}

TEST_F(MessageSequenceTest, DestroyGoesParentFirstThenChildrenFirst) {
  HWND parent = CreateRecorder(WS_POPUP, RECT{0, 0, 100, 100});
  HWND child = CreateRecorder(WS_CHILD, RECT{10, 10, 20, 20}, parent);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), child);
  Log().clear();
  DestroyWindow(parent);
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_DESTROY, std::nullopt, parent},
                                      {WM_DESTROY, std::nullopt, child},
                                      {WM_NCDESTROY, std::nullopt, child},
                                      {WM_NCDESTROY, std::nullopt, parent}}));
  EXPECT_FALSE(IsWindow(child));
}

TEST_F(MessageSequenceTest, OwnedWindowsAreDestroyedWithTheirOwner) {
  HWND owner = CreateRecorder(WS_POPUP, RECT{0, 0, 100, 100});
  HWND owned = CreateRecorder(WS_POPUP, RECT{0, 0, 10, 10}, owner);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
  EXPECT_EQ(GetParent(owned), owner) << "a popup's parent is its owner";
  Log().clear();
  DestroyWindow(owner);
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_DESTROY, std::nullopt, owned},
                                      {WM_NCDESTROY, std::nullopt, owned},
                                      {WM_DESTROY, std::nullopt, owner},
                                      {WM_NCDESTROY, std::nullopt, owner}}));
}

TEST_F(MessageSequenceTest, CaptureKeepsTheLeaveUntilReleased) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{100, 100, 300, 300});
  Pump();
  InputMouseMove(POINT{150, 150});
  Pump();
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
  ASSERT_TRUE(TrackMouseEvent(&tme));
  EXPECT_EQ(SetCapture(hwnd), nullptr);
  EXPECT_EQ(GetCapture(), hwnd);
  EXPECT_EQ(platform::offscreen::PointerGrab(), hwnd);
  Log().clear();
  InputMouseMove(POINT{400, 420});
  Pump();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_MOUSEMOVE}})) << "the capture gets the move; no leave yet";
  EXPECT_EQ(Log().back().lParam, MAKELPARAM(300, 320));
  Log().clear();
  ReleaseCapture();
  Pump();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_CAPTURECHANGED}, {WM_MOUSELEAVE}}));
  EXPECT_EQ(platform::offscreen::PointerGrab(), nullptr);
  Log().clear();
  InputMouseMove(POINT{410, 420});
  Pump();
  EXPECT_TRUE(Log().empty()) << "outside and untracked";
}

TEST_F(MessageSequenceTest, LeavingATrackedWindowPostsOneLeave) {
  HWND a = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
  HWND b = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{50, 0, 100, 50});
  Pump();
  InputMouseMove(POINT{10, 10});
  Pump();
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, a, 0};
  TrackMouseEvent(&tme);
  Log().clear();
  InputMouseMove(POINT{60, 10});
  InputMouseMove(POINT{70, 10});
  Pump();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_MOUSELEAVE, std::nullopt, a}, {WM_MOUSEMOVE, std::nullopt, b}}));
  // Tracking a window the pointer is not over posts the leave at once.
  Log().clear();
  TrackMouseEvent(&tme);
  Pump();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_MOUSELEAVE, std::nullopt, a}}));
}

TEST_F(MessageSequenceTest, HoverArrivesAfterTheHoverTime) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  InputMouseMove(POINT{30, 40});
  Pump();
  TRACKMOUSEEVENT tme{sizeof tme, TME_HOVER | TME_LEAVE, hwnd, 30};
  ASSERT_TRUE(TrackMouseEvent(&tme));
  Log().clear();
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0)) << "blocks until the hover is due";
  EXPECT_EQ(msg.message, WM_MOUSEHOVER);
  EXPECT_EQ(msg.lParam, MAKELPARAM(30, 40));
  TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
  TrackMouseEvent(&query);
  EXPECT_EQ(query.dwFlags, TME_LEAVE) << "hover tracking ends with its message; leave stays";
}

TEST_F(MessageSequenceTest, DoubleClicksOnlyForClassesThatAskForThem) {
  struct Case {
    const wchar_t* cls;
    UINT second;
  };
  for (const Case& c : {Case{RecorderClass(), WM_LBUTTONDBLCLK}, Case{PlainRecorderClass(), WM_LBUTTONDOWN}}) {
    HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100}, nullptr, 0, c.cls);
    Pump();
    InputMouseMove(POINT{20, 20});
    Pump();
    Log().clear();
    for (int i = 0; i < 2; ++i) {
      InputMouseButton(MouseButton::Left, true, POINT{20, 20});
      InputMouseButton(MouseButton::Left, false, POINT{20, 20});
    }
    Pump();
    EXPECT_TRUE(MatchesSequence(Of(hwnd), {{WM_LBUTTONDOWN}, {WM_LBUTTONUP}, {c.second}, {WM_LBUTTONUP}}));
    DestroyWindow(hwnd);
  }
}

TEST_F(MessageSequenceTest, KeysGoToTheFocusAndTranslateIntoCharacters) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  Log().clear();
  platform::InputKey('A', true, L'a');
  platform::InputKey('A', false);
  Pump();
  EXPECT_TRUE(MatchesSequence(Of(hwnd), {{WM_KEYDOWN, 'A'}, {WM_CHAR, L'a'}, {WM_KEYUP, 'A'}}));
  EXPECT_EQ(GetKeyState('A') & 0x8000, 0);
  Log().clear();
  platform::InputKey(VK_RETURN, true);
  platform::InputKey(VK_RETURN, false);
  Pump();
  EXPECT_TRUE(MatchesSequence(Of(hwnd), {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, L'\r'}, {WM_KEYUP, VK_RETURN}}));
  platform::InputKey(VK_SHIFT, true);
  EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
  EXPECT_NE(GetAsyncKeyState(VK_SHIFT), 0);
  platform::InputKey(VK_SHIFT, false);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
}

TEST_F(MessageSequenceTest, AltF4ClosesTheActiveWindowByDefault) {
  HWND hwnd = CreateRecorder(WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  platform::InputKey(VK_MENU, true);
  platform::InputKey(VK_F4, true);
  platform::InputKey(VK_F4, false);
  platform::InputKey(VK_MENU, false);
  Pump();
  EXPECT_FALSE(IsWindow(hwnd));
  bool sawSysCommand = false;
  for (const Recorded& r : Log()) sawSysCommand |= r.message == WM_SYSCOMMAND && r.wParam == SC_CLOSE;
  EXPECT_TRUE(sawSysCommand);
}

TEST_F(MessageSequenceTest, CaptionDragMovesTheWindowWithThePointer) {
  struct Caption {
    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
      Log().push_back(Recorded{hwnd, msg, wParam, lParam});
      if (msg == WM_NCHITTEST) return HTCAPTION;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
  };
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Caption::Proc;
  wc.lpszClassName = L"CaptionWindow";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, L"CaptionWindow", L"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
  Pump();
  InputMouseMove(POINT{150, 120});
  InputMouseButton(MouseButton::Left, true, POINT{150, 120});
  std::thread user([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    InputMouseMove(POINT{170, 140});
    InputMouseMove(POINT{200, 170});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    InputMouseButton(MouseButton::Left, false, POINT{200, 170});
  });
  Log().clear();
  Pump();  // the press starts the move loop, which returns when the button is released
  user.join();
  Pump();
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 150);
  EXPECT_EQ(r.top, 150);
  EXPECT_EQ(platform::offscreen::NativeRect(hwnd).left, 150);
  std::vector<UINT> seen;
  for (const Recorded& rec : Log()) {
    if (rec.message == WM_NCLBUTTONDOWN || rec.message == WM_ENTERSIZEMOVE || rec.message == WM_EXITSIZEMOVE) {
      seen.push_back(rec.message);
    }
  }
  EXPECT_EQ(seen, (std::vector<UINT>{WM_NCLBUTTONDOWN, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}));
}

TEST_F(MessageSequenceTest, CaptionMoveAskedWithAClientPointFollowsThePointerFromWhereItIs) {
  // Skinned windows start the move from their own press handler, passing the client point.
  struct Skinned {
    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
      if (msg == WM_LBUTTONDOWN) return SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
  };
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Skinned::Proc;
  wc.lpszClassName = L"SkinnedMoveWindow";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, L"SkinnedMoveWindow", L"", WS_POPUP | WS_VISIBLE, 300, 200, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
  Pump();
  InputMouseMove(POINT{310, 210});  // client point (10, 10)
  InputMouseButton(MouseButton::Left, true, POINT{310, 210});
  std::thread user([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    InputMouseMove(POINT{340, 250});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    InputMouseButton(MouseButton::Left, false, POINT{340, 250});
  });
  Pump();
  user.join();
  Pump();
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 330);  // moved by the pointer's 30, 40: no jump by the window's own offset
  EXPECT_EQ(r.top, 240);
}

}  // namespace
