// MWindow and Manager on the offscreen backend: binding, the modal loop and its result codes,
// the wrappers without a window, centring, superclassing, and the Manager's rules.
#include <thread>

#include "platform/core/input.h"
#include "toolkit/core/manager.h"
#include "toolkit/window/mwindow.h"
#include "tests/window/window_test_support.h"

using namespace window_test;
using Zelvo::Manager;
using Zelvo::MWindow;

namespace {

class MWindowTest : public WindowTest {};

// Records what reaches OnWindowMessage; can swallow the first WM_CLOSE(s).
class RecordingWindow : public MWindow {
 public:
  // The object must outlive its window: the test's objects take their windows with them.
  ~RecordingWindow() override {
    if (IsLive()) ::DestroyWindow(m_hWnd);
  }
  LRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    Log().push_back(Recorded{m_hWnd, msg, wParam, lParam});
    if (msg == WM_CLOSE && closesToSwallow > 0) {
      --closesToSwallow;
      return 0;
    }
    if (msg == WM_APP + 9) return ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);  // a sent close
    return MWindow::OnWindowMessage(msg, wParam, lParam);
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    filtered.push_back(msg->hwnd);
    return FALSE;
  }
  BOOL OnInitDialog() override {
    ++initCalls;
    return TRUE;
  }
  void OnDestroyMessage(HWND hwnd) override { destroyedHandle = hwnd; }

  int closesToSwallow = 0;
  int initCalls = 0;
  HWND destroyedHandle = nullptr;
  std::vector<HWND> filtered;
};

TEST_F(MWindowTest, CreateBindsTheObjectAndUnbindsAfterDestruction) {
  RecordingWindow window;
  HWND hwnd = window.Create(nullptr, L"Main", WS_POPUP, 0, CRect(10, 10, 110, 60));
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(window.GetSafeHwnd(), hwnd);
  EXPECT_EQ(window.initCalls, 1);
  EXPECT_EQ(reinterpret_cast<MWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)), &window);
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log().front().message, WM_NCCREATE) << "bound from the first creation message";
  CString title;
  window.GetWindowTextW(title);
  EXPECT_EQ(title, CString(L"Main"));
  // A live window is returned unchanged; the parent is not updated.
  HWND other = CreateRecorder(WS_POPUP, RECT{0, 0, 5, 5});
  EXPECT_EQ(window.Create(other), hwnd);
  EXPECT_EQ(window.GetParentHwnd(), nullptr);
  EXPECT_EQ(window.initCalls, 1);
  // A second window of the same class: "class already exists" counts as success.
  RecordingWindow second;
  EXPECT_NE(second.Create(nullptr, CRect(0, 0, 20, 20)), nullptr);
  Log().clear();
  EXPECT_TRUE(window.DestroyWindow());
  EXPECT_EQ(window.GetSafeHwnd(), nullptr);
  EXPECT_EQ(window.destroyedHandle, hwnd);
  for (const Recorded& r : Log()) EXPECT_NE(r.message, WM_NCDESTROY) << "OnWindowMessage never sees WM_NCDESTROY";
  EXPECT_NE(window.Create(nullptr, CRect(0, 0, 20, 20)), nullptr) << "the object can be created again";
}

TEST_F(MWindowTest, FailedCreationStillCallsOnInitDialog) {
  RecordingWindow window;
  EXPECT_EQ(window.Create(nullptr, L"child", WS_CHILD, 0, CRect(0, 0, 10, 10)), nullptr) << "a child needs a parent";
  EXPECT_EQ(window.GetSafeHwnd(), nullptr);
  EXPECT_EQ(window.initCalls, 1);
}

TEST_F(MWindowTest, WrappersWithoutAWindowAreHarmless) {
  MWindow window;
  RECT r{1, 2, 3, 4};
  POINT p{5, 6};
  EXPECT_EQ(window.GetStyle(), 0u);
  EXPECT_EQ(window.GetExStyle(), 0u);
  EXPECT_FALSE(window.ModifyStyle(0, WS_VISIBLE));
  EXPECT_FALSE(window.GetClientRect(&r));
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(window.GetWindowTextLengthW(), -1);
  CString text = L"unchanged";
  window.GetWindowTextW(text);
  EXPECT_EQ(text, CString(L"unchanged"));
  EXPECT_FALSE(window.IsWindowVisible());
  EXPECT_EQ(window.SetCapture(), nullptr);
  EXPECT_EQ(window.SetFocus(), nullptr);
  EXPECT_FALSE(window.ReleaseCapture());
  EXPECT_EQ(window.SetTimer(1, 10, nullptr), 0u);
  EXPECT_FALSE(window.ClientToScreen(&p));
  EXPECT_FALSE(window.ScreenToClient(&r));
  EXPECT_FALSE(window.MoveWindow(&r, TRUE));
  EXPECT_FALSE(window.DestroyWindow());
  EXPECT_EQ(window.SendMessageW(WM_APP, 0, 0), 0);
  EXPECT_FALSE(window.PostMessageW(WM_APP, 0, 0));
  EXPECT_EQ(window.ShowModal(SW_SHOW), 0xFFFFFFFFu);
  EXPECT_FALSE(window.ShowWindow(SW_SHOW));
}

TEST_F(MWindowTest, ModifyStyleChangesOnlyWhenSomethingChanges) {
  RecordingWindow window;
  window.Create(nullptr, L"", WS_POPUP, 0, CRect(0, 0, 10, 10));
  EXPECT_FALSE(window.ModifyStyle(0, WS_POPUP)) << "nothing new";
  Log().clear();
  EXPECT_TRUE(window.ModifyExStyle(0, WS_EX_TOOLWINDOW, SWP_FRAMECHANGED));
  EXPECT_NE(window.GetExStyle() & WS_EX_TOOLWINDOW, 0u);
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_STYLECHANGING}, {WM_STYLECHANGED}, {WM_WINDOWPOSCHANGING},
                                      {WM_WINDOWPOSCHANGED}}));
}

TEST_F(MWindowTest, ModalResultIsTheLastPostedCloseAndTheOwnerComesBackFirst) {
  RecordingWindow owner;
  owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, CRect(0, 0, 100, 100));
  RecordingWindow dialog;
  dialog.Create(owner.GetSafeHwnd(), L"dialog", WS_POPUP, 0, CRect(10, 10, 60, 60));
  HWND dialogHwnd = dialog.GetSafeHwnd();
  dialog.closesToSwallow = 1;
  dialog.PostMessageW(WM_CLOSE, 1, 0);  // consumed: the loop goes on
  dialog.PostMessageW(WM_CLOSE, 6, 0);  // default handling destroys the window
  Log().clear();
  EXPECT_EQ(dialog.ShowModal(SW_SHOW), 6u);
  EXPECT_FALSE(IsWindow(dialogHwnd));
  EXPECT_TRUE(owner.IsWindowEnabled());
  EXPECT_EQ(GetFocus(), owner.GetSafeHwnd());
  // The owner is enabled again before the dialog is destroyed.
  int enabledAt = -1, destroyedAt = -1, disabledAt = -1;
  for (size_t i = 0; i < Log().size(); ++i) {
    const Recorded& r = Log()[i];
    if (r.hwnd == owner.GetSafeHwnd() && r.message == WM_ENABLE && r.wParam == FALSE) disabledAt = static_cast<int>(i);
    if (r.hwnd == owner.GetSafeHwnd() && r.message == WM_ENABLE && r.wParam == TRUE && enabledAt < 0) {
      enabledAt = static_cast<int>(i);
    }
    if (r.hwnd == dialogHwnd && r.message == WM_DESTROY) destroyedAt = static_cast<int>(i);
  }
  EXPECT_GE(disabledAt, 0);
  EXPECT_GT(enabledAt, disabledAt);
  EXPECT_LT(enabledAt, destroyedAt);
}

TEST_F(MWindowTest, ModalResultIsZeroForASentCloseOrADestroy) {
  RecordingWindow dialog;
  dialog.Create(nullptr, L"", WS_POPUP, 0, CRect(0, 0, 50, 50));
  dialog.PostMessageW(WM_APP + 9, 0, 0);  // sends WM_CLOSE from inside the loop
  EXPECT_EQ(dialog.ShowModal(SW_SHOW), 0u);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);

  RecordingWindow destroyed;
  destroyed.Create(nullptr, L"", WS_POPUP, 0, CRect(0, 0, 50, 50));
  SetTimer(destroyed.GetSafeHwnd(), 1, 10, [](HWND hwnd, UINT, UINT_PTR, DWORD) { DestroyWindow(hwnd); });
  EXPECT_EQ(destroyed.ShowModal(SW_SHOW), 0u);
}

TEST_F(MWindowTest, QuitDuringAModalLoopEndsItAndIsPostedAgain) {
  RecordingWindow owner;
  owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, CRect(0, 0, 100, 100));
  RecordingWindow dialog;
  dialog.Create(owner.GetSafeHwnd(), L"dialog", WS_POPUP, 0, CRect(10, 10, 60, 60));
  dialog.closesToSwallow = 1;
  dialog.PostMessageW(WM_CLOSE, 2, 0);  // swallowed, but its code is the result so far
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 4, 0, 0);
  // The quit is posted after the close is seen, from a timer inside the loop.
  SetTimer(dialog.GetSafeHwnd(), 2, 10, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    PostQuitMessage(42);
  });
  EXPECT_EQ(dialog.ShowModal(SW_SHOW), 2u);
  EXPECT_TRUE(IsWindow(dialog.GetSafeHwnd())) << "WM_QUIT ends the loop, not the window";
  EXPECT_TRUE(owner.IsWindowEnabled());
  EXPECT_EQ(GetFocus(), owner.GetSafeHwnd());
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 42u);
  // The modal filter saw the thread message and the dialog's messages alike.
  EXPECT_NE(std::find(dialog.filtered.begin(), dialog.filtered.end(), nullptr), dialog.filtered.end());
  EXPECT_NE(std::find(dialog.filtered.begin(), dialog.filtered.end(), dialog.GetSafeHwnd()), dialog.filtered.end());
}

TEST_F(MWindowTest, CenterWindowUsesTheWorkAreaWhenTheOwnerIsHidden) {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RecordingWindow owner;
  owner.Create(nullptr, L"owner", WS_POPUP, 0, CRect(0, 0, 100, 100));  // hidden
  RecordingWindow dialog;
  dialog.Create(owner.GetSafeHwnd(), L"", WS_POPUP, 0, CRect(0, 0, 200, 100));
  dialog.CenterWindow();
  RECT r;
  dialog.GetWindowRect(&r);
  EXPECT_EQ(r.left, (work.left + work.right) / 2 - 100);
  EXPECT_EQ(r.top, (work.top + work.bottom) / 2 - 50);
  // Centred on a visible owner.
  owner.ShowWindow(SW_SHOWNOACTIVATE);
  owner.MoveWindow(300, 300, 400, 200, FALSE);
  dialog.CenterWindow();
  dialog.GetWindowRect(&r);
  EXPECT_EQ(r.left, 400);
  EXPECT_EQ(r.top, 350);
  // Larger than the work area: the left and top edges win.
  dialog.MoveWindow(0, 0, work.right - work.left + 300, work.bottom - work.top + 300, FALSE);
  owner.ShowWindow(SW_HIDE);
  dialog.CenterWindow();
  dialog.GetWindowRect(&r);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
}

TEST_F(MWindowTest, BringToTopRaisesAndShows) {
  RecordingWindow a, b;
  a.Create(nullptr, L"", WS_POPUP | WS_VISIBLE, 0, CRect(0, 0, 10, 10));
  b.Create(nullptr, L"", WS_POPUP | WS_VISIBLE, 0, CRect(0, 0, 10, 10));
  a.BringToTop();
  EXPECT_EQ(GetForegroundWindow(), a.GetSafeHwnd());
  b.ShowWindow(SW_MINIMIZE);
  EXPECT_TRUE(b.IsIconic());
  b.BringToTop();
  EXPECT_FALSE(b.IsIconic()) << "a minimised window is restored";
  EXPECT_EQ(GetForegroundWindow(), b.GetSafeHwnd());
}

LRESULT PlatformEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP + 7) return 7007;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ExtendedEdit : public MWindow {
 public:
  const wchar_t* GetWindowClassName() const override { return L"FSEditWindow"; }
  const wchar_t* GetSuperClassName() const override { return L"TestPlatformEdit"; }
};

TEST_F(MWindowTest, SuperclassBindsThroughTheControlPropertyAndKeepsTheBaseProcedure) {
  WNDCLASSEXW base{};
  base.cbSize = sizeof base;
  base.style = CS_DBLCLKS;
  base.lpfnWndProc = &PlatformEditProc;
  base.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  base.lpszClassName = L"TestPlatformEdit";
  RegisterClassExW(&base);  // a platform class: no instance
  ExtendedEdit edit;
  HWND hwnd = edit.Create(nullptr, L"", WS_POPUP, 0, CRect(0, 0, 50, 20));
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetPropW(hwnd, L"Control"), static_cast<MWindow*>(&edit));
  EXPECT_EQ(edit.SendMessageW(WM_APP + 7, 0, 0), 7007) << "unconsumed messages reach the extended class";
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(LoadCursorW(nullptr, IDC_IBEAM)));
  edit.DestroyWindow();
  EXPECT_EQ(edit.GetSafeHwnd(), nullptr);

  class Missing : public MWindow {
    const wchar_t* GetSuperClassName() const override { return L"NoSuchPlatformClass"; }
  } missing;
  EXPECT_EQ(missing.Create(nullptr), nullptr);
}

TEST_F(MWindowTest, ManagerScaleValues) {
  struct Case {
    float scale;
    int value;
    int expected;
  };
  for (const Case& c : {Case{1.5f, 15, 22}, Case{0.99f, 15, 14}, Case{1.5f, -3, -4}, Case{1.0f, 7, 7}}) {
    Manager::SetScaleValue(c.scale);
    EXPECT_EQ(Manager::GetScaleValue(c.value), c.expected) << c.scale << " x " << c.value;
  }
  Manager::SetScaleValue(1.0f);
  EXPECT_EQ(Manager::GetTheme(), CString(L"theme1/"));
  EXPECT_EQ(Manager::GetSelectColor().GetValue(), 0xFFBD30FFu);
}

TEST_F(MWindowTest, ManagerWindowRegistry) {
  MWindow a, b;
  const size_t before = Manager::GetWndCount();
  Manager::DeleteWnd(&a);
  EXPECT_EQ(Manager::GetWndCount(), before) << "removing an absent window changes nothing";
  Manager::AddWnd(&a);
  Manager::AddWnd(&a);
  Manager::AddWnd(&b);
  EXPECT_EQ(Manager::GetWndCount(), before + 2);
  Manager::DeleteWnd(&a);
  EXPECT_FALSE(Manager::HasWnd(&a));
  EXPECT_TRUE(Manager::HasWnd(&b));
  Manager::InitGdiplus();
  EXPECT_EQ(Manager::GetWndCount(), 0u) << "start-up empties the registry";
  Manager::UnInitGdiplus();
}

TEST_F(MWindowTest, AltF4HeldSwallowsEveryMessageOfTheLoop) {
  HWND hwnd = CreateRecorder(WS_POPUP, RECT{0, 0, 10, 10});
  MSG msg{};
  EXPECT_FALSE(Manager::PreTranslateMessage(&msg));
  platform::InputKey(VK_MENU, true);
  EXPECT_FALSE(Manager::PreTranslateMessage(&msg)) << "Alt alone";
  platform::InputKey(VK_F4, true);
  EXPECT_TRUE(Manager::PreTranslateMessage(&msg));
  Pump();  // the key messages themselves
  Log().clear();
  PostMessageW(hwnd, WM_APP, 0, 0);
  PostQuitMessage(0);
  Manager::MessageLoop();
  EXPECT_TRUE(Log().empty()) << "nothing dispatched while both keys are down";
  platform::InputKey(VK_F4, false);
  platform::InputKey(VK_MENU, false);
  Pump();
  Log().clear();
  PostMessageW(hwnd, WM_APP, 0, 0);
  PostQuitMessage(0);
  Manager::MessageLoop();
  EXPECT_TRUE(MatchesSequence(Log(), {{WM_APP}}));
}

}  // namespace
