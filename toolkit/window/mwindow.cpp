#include "toolkit/window/mwindow.h"

#include <vector>

#include "platform/core/window_api.h"
#include "toolkit/core/manager.h"

// The drawing layer's image loader. Weak, so that the window wrapper still links (and sends null
// icons) while the drawing layer offers no icon loading.
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags) __attribute__((weak));

namespace Zelvo {

namespace {

constexpr wchar_t kControlProperty[] = L"Control";
constexpr DWORD kDefaultStyle = 0x0000080B;
constexpr UINT kQuietFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;  // 0x17

}  // namespace

MWindow::MWindow() : m_OldWndProc(&DefWindowProcW) {}

MWindow::~MWindow() = default;

const wchar_t* MWindow::GetWindowClassName() const { return L"TarnWindow"; }
const wchar_t* MWindow::GetSuperClassName() const { return nullptr; }

BOOL MWindow::ShowWindow(int nCmdShow) { return IsHandleSet() ? ::ShowWindow(m_hWnd, nCmdShow) : FALSE; }

LRESULT MWindow::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(m_OldWndProc, m_hWnd, msg, wParam, lParam);
}

BOOL MWindow::PreTranslateMessage(MSG*) { return FALSE; }
BOOL MWindow::OnInitDialog() { return TRUE; }
void MWindow::OnDestroyMessage(HWND) {}

bool MWindow::IsLive() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
bool MWindow::IsHandleSet() const { return m_hWnd != nullptr && m_hWnd != reinterpret_cast<HWND>(-1); }

LRESULT MWindow::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool byProperty) {
  MWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = cs ? static_cast<MWindow*>(cs->lpCreateParams) : nullptr;
    if (self) {
      self->m_hWnd = hwnd;
      if (byProperty) {
        ::SetPropW(hwnd, kControlProperty, self);
      } else {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      }
    }
  } else {
    self = byProperty ? static_cast<MWindow*>(::GetPropW(hwnd, kControlProperty))
                      : reinterpret_cast<MWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
      if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
      const LRESULT result = CallWindowProcW(self->m_OldWndProc, hwnd, msg, wParam, lParam);
      if (byProperty) {
        ::SetPropW(hwnd, kControlProperty, nullptr);
      } else {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      }
      self->m_hWnd = nullptr;
      self->OnDestroyMessage(hwnd);
      return result;
    }
  }
  if (self) return self->OnWindowMessage(msg, wParam, lParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT MWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Dispatch(hwnd, msg, wParam, lParam, false);
}

LRESULT MWindow::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Dispatch(hwnd, msg, wParam, lParam, true);
}

BOOL MWindow::RegisterWindowClass() {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = &MWindow::WndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = Manager::GetInstance();
  wc.hIcon = nullptr;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = GetWindowClassName();
  if (RegisterClassW(&wc)) return TRUE;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS ? TRUE : FALSE;
}

BOOL MWindow::RegisterSuperClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
      !GetClassInfoExW(Manager::GetInstance(), GetSuperClassName(), &wc)) {
    return FALSE;
  }
  m_OldWndProc = wc.lpfnWndProc;
  wc.hInstance = Manager::GetInstance();
  wc.lpfnWndProc = &MWindow::ControlProc;
  wc.lpszClassName = GetWindowClassName();
  if (RegisterClassExW(&wc)) return TRUE;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS ? TRUE : FALSE;
}

HWND MWindow::Create(HWND parent) { return Create(parent, L"MWindow", kDefaultStyle, 0, CRect(0, 0, 800, 600), nullptr); }

HWND MWindow::Create(HWND parent, CRect rect) { return Create(parent, L"MWindow", kDefaultStyle, 0, rect, nullptr); }

HWND MWindow::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, CRect rect) {
  return Create(parent, name, style, exStyle, rect, nullptr);
}

HWND MWindow::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, CRect rect, HMENU menu) {
  if (IsHandleSet() && ::IsWindow(m_hWnd)) return m_hWnd;
  m_hParent = parent;
  const BOOL registered = GetSuperClassName() != nullptr ? RegisterSuperClass() : RegisterWindowClass();
  if (!registered) return nullptr;
  HWND created = CreateWindowExW(exStyle, GetWindowClassName(), name, style, rect.left, rect.top, rect.Width(),
                                 rect.Height(), parent, menu, Manager::GetInstance(), this);
  // The field was set inside WM_NCCREATE; a failed creation leaves it null.
  m_hWnd = created;
  OnInitDialog();
  return m_hWnd;
}

DWORD MWindow::GetStyle() const { return IsHandleSet() ? static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) : 0; }

DWORD MWindow::GetExStyle() const {
  return IsHandleSet() ? static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)) : 0;
}

namespace {

BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
  const DWORD old = static_cast<DWORD>(::GetWindowLongW(hwnd, index));
  const DWORD next = (old & ~remove) | add;
  if (next == old) return FALSE;
  ::SetWindowLongW(hwnd, index, static_cast<LONG>(next));
  if (swpFlags != 0) ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, swpFlags | kQuietFlags);
  return TRUE;
}

}  // namespace

BOOL MWindow::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
  return IsHandleSet() ? ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags) : FALSE;
}

BOOL MWindow::ModifyExStyle(DWORD remove, DWORD add, UINT swpFlags) {
  return IsHandleSet() ? ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags) : FALSE;
}

BOOL MWindow::GetClientRect(RECT* rect) { return IsLive() ? ::GetClientRect(m_hWnd, rect) : FALSE; }
BOOL MWindow::GetWindowRect(RECT* rect) { return IsLive() ? ::GetWindowRect(m_hWnd, rect) : FALSE; }

void MWindow::SetWindowTextW(const wchar_t* text) {
  if (IsLive()) ::SetWindowTextW(m_hWnd, text);
}

void MWindow::GetWindowTextW(CString& out) {
  if (!IsLive()) return;
  const int length = ::GetWindowTextLengthW(m_hWnd);
  std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  ::GetWindowTextW(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
  out = buffer.data();
}

int MWindow::GetWindowTextLengthW() { return IsLive() ? ::GetWindowTextLengthW(m_hWnd) : -1; }

BOOL MWindow::EnableWindow(BOOL enable) { return IsLive() ? ::EnableWindow(m_hWnd, enable) : FALSE; }
BOOL MWindow::IsWindowEnabled() { return IsLive() ? ::IsWindowEnabled(m_hWnd) : FALSE; }
BOOL MWindow::IsWindowVisible() { return IsLive() ? ::IsWindowVisible(m_hWnd) : FALSE; }
BOOL MWindow::IsIconic() { return IsLive() ? ::IsIconic(m_hWnd) : FALSE; }

void MWindow::InvalidateRect(CRect rect, BOOL erase) {
  if (IsLive()) ::InvalidateRect(m_hWnd, &rect, erase);
}

HWND MWindow::SetCapture() { return IsLive() ? ::SetCapture(m_hWnd) : nullptr; }
HWND MWindow::SetFocus() { return IsLive() ? ::SetFocus(m_hWnd) : nullptr; }
BOOL MWindow::ReleaseCapture() { return IsLive() ? ::ReleaseCapture() : FALSE; }

UINT_PTR MWindow::SetTimer(UINT id, UINT elapseMs, TIMERPROC proc) {
  return IsLive() ? ::SetTimer(m_hWnd, id, elapseMs, proc) : 0;
}

BOOL MWindow::KillTimer(UINT id) { return IsLive() ? ::KillTimer(m_hWnd, id) : FALSE; }

BOOL MWindow::ClientToScreen(POINT* point) { return IsLive() ? ::ClientToScreen(m_hWnd, point) : FALSE; }
BOOL MWindow::ScreenToClient(POINT* point) { return IsLive() ? ::ScreenToClient(m_hWnd, point) : FALSE; }

BOOL MWindow::ClientToScreen(RECT* rect) {
  if (!IsLive() || !rect) return FALSE;
  auto* corners = reinterpret_cast<POINT*>(rect);
  if (!::ClientToScreen(m_hWnd, &corners[0])) return FALSE;
  return ::ClientToScreen(m_hWnd, &corners[1]);
}

BOOL MWindow::ScreenToClient(RECT* rect) {
  if (!IsLive() || !rect) return FALSE;
  auto* corners = reinterpret_cast<POINT*>(rect);
  if (!::ScreenToClient(m_hWnd, &corners[0])) return FALSE;
  return ::ScreenToClient(m_hWnd, &corners[1]);
}

BOOL MWindow::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return IsLive() ? ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags) : FALSE;
}

BOOL MWindow::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  return IsLive() ? ::MoveWindow(m_hWnd, x, y, width, height, repaint) : FALSE;
}

BOOL MWindow::MoveWindow(const RECT* rect, BOOL repaint) {
  if (!IsLive() || !rect) return FALSE;
  return ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL MWindow::DestroyWindow() { return IsLive() ? ::DestroyWindow(m_hWnd) : FALSE; }

LRESULT MWindow::SendMessageW(UINT msg, WPARAM wParam, LPARAM lParam) {
  return IsHandleSet() ? ::SendMessageW(m_hWnd, msg, wParam, lParam) : 0;
}

BOOL MWindow::PostMessageW(UINT msg, WPARAM wParam, LPARAM lParam) {
  return IsHandleSet() ? ::PostMessageW(m_hWnd, msg, wParam, lParam) : FALSE;
}

void MWindow::SetIcon(UINT resourceId) {
  const LPCWSTR name = MAKEINTRESOURCEW(resourceId);
  auto load = [&](int cx, int cy) -> HANDLE {
    return LoadImageW ? LoadImageW(Manager::GetInstance(), name, IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR) : nullptr;
  };
  HANDLE big = load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  SendMessageW(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  HANDLE small = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  SendMessageW(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

UINT MWindow::ShowModal(int nCmdShow) {
  if (!IsLive()) return 0xFFFFFFFF;
  UINT result = 0;
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  ::ShowWindow(m_hWnd, nCmdShow);
  ::EnableWindow(owner, FALSE);
  bool quit = false;
  WPARAM quitCode = 0;
  MSG msg{};
  while (IsLive()) {
    if (!::GetMessageW(&msg, nullptr, 0, 0)) {
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (msg.message == WM_CLOSE && msg.hwnd == m_hWnd) {
      result = static_cast<UINT>(msg.wParam);
      ::EnableWindow(owner, TRUE);
      ::SetFocus(owner);
    }
    if (!PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  ::EnableWindow(owner, TRUE);
  ::SetFocus(owner);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return result;
}

void MWindow::CenterWindow(MWindow* reference) {
  const DWORD style = GetStyle();
  HWND center = nullptr;
  if (reference && reference->GetSafeHwnd()) {
    center = reference->GetSafeHwnd();
  } else if (style & WS_CHILD) {
    center = ::GetParent(m_hWnd);
  } else {
    center = ::GetWindow(m_hWnd, GW_OWNER);
  }
  RECT own{};
  ::GetWindowRect(m_hWnd, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  RECT area{}, centring{};
  if (style & WS_CHILD) {
    HWND parent = ::GetParent(m_hWnd);
    ::GetClientRect(parent, &area);
    ::GetClientRect(center, &centring);
    ::MapWindowPoints(center, parent, reinterpret_cast<POINT*>(&centring), 2);
  } else {
    if (center) {
      const DWORD centerStyle = static_cast<DWORD>(::GetWindowLongW(center, GWL_STYLE));
      if ((centerStyle & (WS_VISIBLE | WS_MINIMIZE)) != WS_VISIBLE) center = nullptr;
    }
    HMONITOR monitor = ::MonitorFromWindow(center ? center : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(monitor, &info);
    area = info.rcWork;
    if (center) {
      ::GetWindowRect(center, &centring);
    } else {
      centring = area;
    }
  }
  int x = (centring.left + centring.right) / 2 - width / 2;
  int y = (centring.top + centring.bottom) / 2 - height / 2;
  if (x + width > area.right) x = area.right - width;
  if (x < area.left) x = area.left;
  if (y + height > area.bottom) y = area.bottom - height;
  if (y < area.top) y = area.top;
  ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
}

void MWindow::BringToTop() {
  HWND foreground = ::GetForegroundWindow();
  const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
  const DWORD ownThread = ::GetWindowThreadProcessId(m_hWnd, nullptr);
  if (foregroundThread == ownThread) {
    ::SetForegroundWindow(m_hWnd);
  } else {
    ::AttachThreadInput(foregroundThread, ownThread, TRUE);
    ::AllowSetForegroundWindow(ASFW_ANY);
    ::SetForegroundWindow(m_hWnd);
    ::AttachThreadInput(foregroundThread, ownThread, FALSE);
  }
  ::ShowWindow(m_hWnd, (GetStyle() & WS_MINIMIZE) ? SW_RESTORE : SW_SHOW);
}

}  // namespace Zelvo
