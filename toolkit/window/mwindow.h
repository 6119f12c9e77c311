// MWindow: ties one object to one native window. Registers the class on first use, creates the
// window with the object as the creation parameter, sends every message to the virtual
// OnWindowMessage, runs the modal loop and wraps the common window operations so that each is
// harmless when there is no window.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/geometry.h"
#include "platform/base/win_types.h"
#include "platform/core/messages.h"

namespace Zelvo {

// The close request: posted with the modal result in wParam; becomes WM_CLOSE.
constexpr UINT WM_USERCLOSEWINDOW = 0x442;

class MWindow {
 public:
  MWindow();
  virtual ~MWindow();  // leaves the native window alone
  MWindow(const MWindow&) = default;
  MWindow& operator=(const MWindow&) = default;

  virtual const wchar_t* GetWindowClassName() const;
  // Null: no superclassing. Windows that extend a platform class return its name.
  virtual const wchar_t* GetSuperClassName() const;
  virtual BOOL ShowWindow(int nCmdShow);
  virtual LRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnInitDialog();
  virtual void OnDestroyMessage(HWND hwnd);

  static LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  BOOL RegisterWindowClass();
  BOOL RegisterSuperClass();
  HWND Create(HWND parent);
  HWND Create(HWND parent, CRect rect);
  HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, CRect rect);
  HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, CRect rect, HMENU menu);

  HWND GetSafeHwnd() const { return m_hWnd; }
  HWND GetParentHwnd() const { return m_hParent; }
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL ModifyExStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL GetClientRect(RECT* rect);
  BOOL GetWindowRect(RECT* rect);
  void SetWindowTextW(const wchar_t* text);
  void GetWindowTextW(CString& out);
  int GetWindowTextLengthW();
  BOOL EnableWindow(BOOL enable);
  BOOL IsWindowEnabled();
  BOOL IsWindowVisible();
  BOOL IsIconic();
  void InvalidateRect(CRect rect, BOOL erase);
  HWND SetCapture();
  HWND SetFocus();
  BOOL ReleaseCapture();
  UINT_PTR SetTimer(UINT id, UINT elapseMs, TIMERPROC proc);
  BOOL KillTimer(UINT id);
  BOOL ClientToScreen(POINT* point);
  BOOL ScreenToClient(POINT* point);
  BOOL ClientToScreen(RECT* rect);
  BOOL ScreenToClient(RECT* rect);
  BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
  BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint);
  BOOL MoveWindow(const RECT* rect, BOOL repaint);
  BOOL DestroyWindow();
  LRESULT SendMessageW(UINT msg, WPARAM wParam, LPARAM lParam);
  BOOL PostMessageW(UINT msg, WPARAM wParam, LPARAM lParam);
  void SetIcon(UINT resourceId);
  UINT ShowModal(int nCmdShow);
  void CenterWindow(MWindow* reference = nullptr);
  void BringToTop();

 protected:
  bool IsLive() const;  // a handle that the platform accepts as a window
  bool IsHandleSet() const;  // non-null and not -1, without asking the platform

  HWND m_hParent = nullptr;
  HWND m_hWnd = nullptr;
  WNDPROC m_OldWndProc;

 private:
  static LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool byProperty);
};

}  // namespace Zelvo
