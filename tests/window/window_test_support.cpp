#include "tests/window/window_test_support.h"

#include <chrono>
#include <functional>
#include <map>
#include <thread>

#include "platform/core/input.h"

namespace window_test {

std::vector<Recorded>& Log() {
  static std::vector<Recorded> log;
  return log;
}

bool IsNoise(UINT message) {
  return message == WM_NCHITTEST || message == WM_SETCURSOR || message == WM_GETTEXT ||
         message == WM_GETTEXTLENGTH || message == WM_GETICON;
}

std::string MessageName(UINT message) {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_ENABLE, "WM_ENABLE"}, {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"}, {WM_QUIT, "WM_QUIT"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
      {WM_CANCELMODE, "WM_CANCELMODE"}, {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCCALCSIZE, "WM_NCCALCSIZE"}, {WM_NCACTIVATE, "WM_NCACTIVATE"}, {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
      {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
      {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_MOUSEHOVER, "WM_MOUSEHOVER"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
      {WM_ENTERSIZEMOVE, "WM_ENTERSIZEMOVE"}, {WM_EXITSIZEMOVE, "WM_EXITSIZEMOVE"}, {WM_SETTEXT, "WM_SETTEXT"},
      {WM_STYLECHANGING, "WM_STYLECHANGING"}, {WM_STYLECHANGED, "WM_STYLECHANGED"}, {WM_SETICON, "WM_SETICON"}};
  auto it = names.find(message);
  if (it != names.end()) return it->second;
  std::ostringstream out;
  out << "0x" << std::hex << message;
  return out.str();
}

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Recorded{hwnd, msg, wParam, lParam});
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

namespace {

const wchar_t* RegisterRecorder(const wchar_t* name, UINT style) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = &RecordingProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  if (!RegisterClassExW(&wc)) {
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  }
  return name;
}

}  // namespace

const wchar_t* RecorderClass() { return RegisterRecorder(L"RecorderWindow", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW); }
const wchar_t* PlainRecorderClass() { return RegisterRecorder(L"PlainRecorderWindow", 0); }

HWND CreateRecorder(DWORD style, RECT rect, HWND parent, DWORD exStyle, const wchar_t* cls) {
  return CreateWindowExW(exStyle, cls ? cls : RecorderClass(), L"recorder", style, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, nullptr, nullptr);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Pump();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

::testing::AssertionResult MatchesSequence(const std::vector<Recorded>& got, const std::vector<Expected>& want) {
  std::vector<Recorded> filtered;
  for (const Recorded& r : got) {
    if (!IsNoise(r.message)) filtered.push_back(r);
  }
  bool same = filtered.size() == want.size();
  for (size_t i = 0; same && i < want.size(); ++i) {
    if (filtered[i].message != want[i].message) same = false;
    if (want[i].wParam && filtered[i].wParam != *want[i].wParam) same = false;
    if (want[i].hwnd && filtered[i].hwnd != want[i].hwnd) same = false;
  }
  if (same) return ::testing::AssertionSuccess();
  std::ostringstream out;
  out << "\n  expected:";
  for (const Expected& e : want) {
    out << " " << MessageName(e.message);
    if (e.wParam) out << "(" << *e.wParam << ")";
  }
  out << "\n  got:     ";
  for (const Recorded& r : filtered) out << " " << MessageName(r.message) << "(" << r.wParam << ")";
  return ::testing::AssertionFailure() << out.str();
}

void WindowTest::SetUp() {
  platform::InstallBackend(platform::CreateOffscreenBackend());
  // Start from a known pointer and key state.
  platform::InputMouseMove(POINT{1900, 1070});
  for (UINT vk : {VK_MENU, VK_F4, VK_LMENU, VK_SHIFT, VK_CONTROL}) platform::InputKey(vk, false);
  for (auto b : {platform::MouseButton::Left, platform::MouseButton::Right}) {
    platform::InputMouseButton(b, false, POINT{1900, 1070});
  }
  Pump();
  Log().clear();
}

void WindowTest::TearDown() {
  ReleaseCapture();
  Pump();
  // Destroy whatever the test left behind.
  for (;;) {
    HWND any = FindWindowW(nullptr, nullptr);
    if (!any) break;
    if (!DestroyWindow(any)) break;
  }
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  Log().clear();
}

}  // namespace window_test
