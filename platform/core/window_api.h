// The Windows-shaped windowing surface: classes, windows, messages, painting, timers, input
// state and screen metrics. Plain functions in the global namespace, named and behaving as
// every Windows program expects, so the toolkit and the program call them unchanged.
//
// Threads: every window belongs to the thread that created it and its window procedure runs
// only there. PostMessageW and SendMessageW may be called from any thread; SendMessageW to a
// window of another thread waits while the receiver handles it (and handles messages sent to
// the waiting thread meanwhile, so two threads sending to each other do not deadlock).
//
// Geometry: a window has no non-client frame of its own (the desktop's window manager draws
// decorations where asked), so its client area is its whole window rectangle.
#pragma once

#include "platform/base/win_types.h"
#include "platform/core/last_error.h"
#include "platform/core/messages.h"

// ---- Classes ------------------------------------------------------------------------------
// A class registered with a null instance is a platform class: visible to every module, as the
// system classes are. Names compare without case.
ATOM RegisterClassW(const WNDCLASSW* wc);
ATOM RegisterClassExW(const WNDCLASSEXW* wc);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
// Looks the class up for `instance`, falling back to the platform classes; FALSE and
// ERROR_CLASS_DOES_NOT_EXIST when neither has it.
BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* out);
int GetClassNameW(HWND hwnd, LPWSTR buffer, int capacity);
ULONG_PTR GetClassLongPtrW(HWND hwnd, int index);

// ---- Windows ------------------------------------------------------------------------------
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetParent(HWND hwnd);
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT relation);
HWND GetDesktopWindow();
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
// Calls `callback` for each top-level window of this process, topmost first, until it returns FALSE.
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
DWORD GetCurrentThreadId();

LONG GetWindowLongW(HWND hwnd, int index);
LONG SetWindowLongW(HWND hwnd, int index, LONG value);
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data);
HANDLE GetPropW(HWND hwnd, LPCWSTR name);
HANDLE RemovePropW(HWND hwnd, LPCWSTR name);

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int capacity);
int GetWindowTextLengthW(HWND hwnd);

// ---- Window procedures --------------------------------------------------------------------
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- Messages -----------------------------------------------------------------------------
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Waits at most `timeoutMs` for a window of another thread; 0 and ERROR_TIMEOUT when it did not
// answer in time (the message is then dropped if not yet started).
LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            DWORD_PTR* result);
BOOL InSendMessage();
LRESULT DispatchMessageW(const MSG* msg);
BOOL TranslateMessage(const MSG* msg);
void PostQuitMessage(int exitCode);
BOOL WaitMessage();
DWORD GetMessageTime();
DWORD GetMessagePos();
// Milliseconds of the monotonic clock, the time base of MSG::time.
DWORD GetTickCount();

// ---- Painting -----------------------------------------------------------------------------
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);
BOOL UpdateWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A device context on the window's backing pixels (GetDC(nullptr): a small scratch surface
// compatible with the screen); ReleaseDC presents what was drawn.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
BOOL UpdateLayeredWindow(HWND hwnd, HDC dstDC, POINT* dstPoint, SIZE* size, HDC srcDC, POINT* srcPoint,
                         COLORREF colorKey, BLENDFUNCTION* blend, DWORD flags);
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF colorKey, BYTE alpha, DWORD flags);
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* colorKey, BYTE* alpha, DWORD* flags);
// The window takes ownership of `region` (a drawing-layer region; the one it replaces is
// deleted); null removes the shape. Points outside the shape pass to the windows below.
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
// The handle last given to SetWindowRgn, or null (the platform keeps owning it).
HRGN GetWindowRgnHandle(HWND hwnd);

// ---- Timers -------------------------------------------------------------------------------
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---- Position, size, visibility -----------------------------------------------------------
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
BOOL BringWindowToTop(HWND hwnd);
HWND WindowFromPoint(POINT screenPoint);
HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);

// ---- Enable, activation, focus, capture ---------------------------------------------------
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
BOOL AllowSetForegroundWindow(DWORD processId);
BOOL AttachThreadInput(DWORD attachThread, DWORD toThread, BOOL attach);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);

// ---- Keyboard and cursor ------------------------------------------------------------------
// High bit (0x8000 as a SHORT, i.e. negative) when down; low bit toggled (GetKeyState).
short GetKeyState(int vk);
short GetAsyncKeyState(int vk);
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
UINT GetDoubleClickTime();

// ---- Carets -------------------------------------------------------------------------------
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* point);
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
UINT GetCaretBlinkTime();

// ---- Screen, work area, monitors ----------------------------------------------------------
int GetSystemMetrics(int index);
BOOL SystemParametersInfoW(UINT action, UINT uiParam, void* pvParam, UINT winIni);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);

// ---- Small rectangle helpers --------------------------------------------------------------
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL InflateRect(RECT* rect, int dx, int dy);
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL CopyRect(RECT* out, const RECT* in);
