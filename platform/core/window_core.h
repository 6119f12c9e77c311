// Internal records of the windowing core: classes, windows, per-thread queues and input state.
// Only the core's own .cpp files include this header.
//
// Locking: one mutex (`WindowCore::lock`) guards every record below. Window procedures, timer
// procedures and backend calls are always made with it released; backend calls are serialised
// by `backendLock` instead.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/core/backend.h"
#include "platform/core/messages.h"
#include "platform/gdi/bitmap.h"

namespace platform {

using Clock = std::chrono::steady_clock;

struct ClassRecord {
  std::wstring name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;  // null: a platform class, seen from every module
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  LPCWSTR menuName = nullptr;
  ATOM atom = 0;
  int windows = 0;  // live windows of the class
};

struct ThreadQueue;

struct WindowRecord {
  HWND handle = nullptr;
  ClassRecord* cls = nullptr;
  WNDPROC proc = nullptr;
  std::shared_ptr<ThreadQueue> queue;  // the owning thread's queue
  DWORD threadId = 0;
  HINSTANCE instance = nullptr;
  std::wstring text;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // parent-client coordinates for a child, screen coordinates otherwise
  HWND parent = nullptr;  // set only for WS_CHILD windows
  HWND owner = nullptr;  // top-level windows only
  std::vector<HWND> children;  // z-order, topmost first
  LONG_PTR userData = 0;
  LONG_PTR id = 0;  // the child identifier (the menu argument of a child)
  std::vector<std::uint8_t> extraBytes;
  std::vector<std::pair<std::wstring, HANDLE>> props;
  // Painting.
  RECT invalid{};  // bounding box of the invalid area, client coordinates
  bool invalidSet = false;
  bool eraseNeeded = false;
  std::unique_ptr<Bitmap> backing;  // what GetDC and BeginPaint draw into
  bool paintingNow = false;
  // Layered windows.
  std::unique_ptr<Bitmap> layeredPixels;  // the last UpdateLayeredWindow image
  bool layeredAttributes = false;  // SetLayeredWindowAttributes was used
  BYTE layeredAlpha = 255;
  COLORREF layeredKey = 0;
  DWORD layeredFlags = 0;
  HRGN region = nullptr;
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;
  RECT restoreRect{};  // the rectangle before minimise or maximise
  bool nativeCreated = false;
  bool destroying = false;
  bool ncDestroyed = false;
};

// Notifications from the display that must be handled on the window's own thread; queued with
// the posted messages and handled by the core when reached, never returned to the program.
enum class InternalKind { None, NativeMoved, NativeResized, NativeFocus, NativeMinimized };

struct QueuedMessage {
  MSG msg{};
  InternalKind internal = InternalKind::None;
  RECT data{};  // the internal notification's values
  wchar_t text = 0;  // the character TranslateMessage makes of a key message
  bool rawMouse = false;  // needs hit testing and conversion when retrieved
};

struct SentMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool started = false;
  bool done = false;
  std::shared_ptr<ThreadQueue> sender;
};

struct TimerRecord {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  Clock::time_point due;
};

struct ThreadQueue {
  ThreadQueue();
  ~ThreadQueue();
  DWORD threadId = 0;
  int wakeFd = -1;  // eventfd written when something arrives while the thread waits
  bool waiting = false;
  bool alive = true;
  std::deque<QueuedMessage> posted;
  std::deque<QueuedMessage> input;
  std::deque<std::shared_ptr<SentMessage>> sends;
  int sendDepth = 0;  // > 0 while a sent message from another thread is being handled
  bool quitPending = false;
  int quitCode = 0;
  std::vector<TimerRecord> timers;
  UINT_PTR nextThreadTimerId = 1;
  std::vector<HWND> windows;  // windows of this thread, in creation order
  HWND active = nullptr;
  HWND focus = nullptr;
  // Mouse tracking (TrackMouseEvent).
  HWND trackWindow = nullptr;
  DWORD trackFlags = 0;
  DWORD hoverTime = 400;
  POINT hoverOrigin{};
  Clock::time_point hoverDue;
  // Double-click synthesis.
  HWND lastClickWindow = nullptr;
  UINT lastClickMessage = 0;
  DWORD lastClickTime = 0;
  POINT lastClickPoint{};
  // The message last retrieved (GetMessageTime, GetMessagePos, TranslateMessage).
  MSG lastMessage{};
  wchar_t lastKeyText = 0;
  // Caret.
  HWND caretWindow = nullptr;
  POINT caretPos{};
  SIZE caretSize{};
  int caretHidden = 1;
};

struct SystemMoveState {
  bool active = false;
  bool byDesktop = false;
  HWND hwnd = nullptr;
  POINT startPoint{};
  RECT startRect{};
};

struct MultimediaTimerEntry {
  UINT delay = 0;
  void (*callback)(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) = nullptr;
  DWORD_PTR user = 0;
  bool periodic = false;
  Clock::time_point due;
};

// The multimedia timers and their one thread (multimedia_timer.cpp).
struct MultimediaTimerState {
  std::mutex lock;
  std::condition_variable changed;  // a timer was added or removed
  std::condition_variable finished;  // a callback returned
  std::map<UINT, MultimediaTimerEntry> timers;
  UINT nextId = 1;
  UINT running = 0;  // the timer whose callback runs now
  bool started = false;
  std::thread::id threadOfCallbacks;
  int periodRequests = 0;
};

struct WindowCore {
  std::mutex lock;
  std::recursive_mutex backendLock;
  std::unique_ptr<Backend> backend;
  std::once_flag backendChosen;

  std::vector<std::unique_ptr<ClassRecord>> classes;
  ATOM nextAtom = 0xC000;
  std::unordered_map<HWND, std::unique_ptr<WindowRecord>> windows;
  std::uintptr_t nextHandle = 0x20000;  // above the pseudo handles below
  std::vector<HWND> topLevels;  // z-order of top-level windows, topmost first
  std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;

  // Input state shared by the whole display.
  HWND foreground = nullptr;
  HWND capture = nullptr;
  POINT cursorPos{-1, -1};
  HCURSOR cursor = nullptr;
  BYTE keyState[256] = {};  // 0x80 down, 0x01 toggled
  BYTE asyncKeyState[256] = {};
  SystemMoveState move;
  RECT screen{0, 0, 1920, 1080};
  RECT workArea{0, 0, 1920, 1040};
  bool screenKnown = false;
  // Device contexts handed out by GetDC: on a window's backing pixels, or on a scratch bitmap
  // owned here (GetDC(nullptr)).
  std::unordered_map<HDC, HWND> windowDCs;
  std::unordered_map<HDC, std::unique_ptr<Bitmap>> scratchDCs;
  MultimediaTimerState multimedia;
};

// Flags of WINDOWPOS that Windows adds internally: the client area did not move or change size,
// the minimised or maximised state changed.
constexpr UINT SWP_NOCLIENTSIZE = 0x0800;
constexpr UINT SWP_NOCLIENTMOVE = 0x1000;
constexpr UINT SWP_STATECHANGED = 0x8000;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
constexpr DWORD ERROR_INVALID_INDEX = 1413;
// The pseudo window standing for the whole screen (GetDesktopWindow).
inline HWND const kDesktopWindow = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10010));
inline HMONITOR const kPrimaryMonitor = reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x10020));

DWORD CurrentThreadId();
// SetWindowPos; `fromDesktop` when the display already made the change (it is not told again).
BOOL SetWindowPosInternal(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags, bool fromDesktop);
void SetMinimizedFromDesktop(HWND hwnd, bool minimized);
HWND DeepestChildAtLocked(HWND topLevel, POINT screenPoint);
// Posts WM_MOUSELEAVE and restarts hover timing for tracked windows after the pointer moved
// (or the capture changed). Core lock held.
void UpdateTrackingLocked();
// The window the pointer is over for mouse tracking: the capture window if any.
HWND PointerWindowLocked();
// MK_* flags of the buttons and modifiers down now. Core lock held.
WPARAM MouseKeyFlagsLocked();
// The limits DefWindowProc fills in before WM_GETMINMAXINFO (screen_metrics.cpp).
MINMAXINFO DefaultMinMaxInfo();
bool NameEqualsNoCase(LPCWSTR a, LPCWSTR b);
ClassRecord* FindClassLocked(LPCWSTR name, HINSTANCE instance);
// Handles a notification of InternalKind on the window's thread (input.cpp).
void HandleInternalMessage(const QueuedMessage& message);

// The core record, and the backend (chosen at first use).
WindowCore& Core();
Backend& BackendLocked();  // CurrentBackend(); call with backendLock held or use WithBackend

template <typename F>
auto WithBackend(F&& f) {
  WindowCore& core = Core();
  std::lock_guard<std::recursive_mutex> guard(core.backendLock);
  return f(BackendLocked());
}

// The calling thread's queue, created on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// Lookups; call with the core lock held.
WindowRecord* FindWindowLocked(HWND hwnd);
HWND TopLevelOfLocked(HWND hwnd);
RECT ScreenRectOfLocked(const WindowRecord& w);
bool IsVisibleLocked(HWND hwnd);
// Wakes a thread waiting for messages; call with the core lock held.
void WakeQueueLocked(ThreadQueue& queue);
// Queues a posted message; call with the core lock held.
void PostLocked(ThreadQueue& queue, const QueuedMessage& message, bool inputMessage);
// Sends to the window of the calling thread or another one.
LRESULT SendToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
DWORD NowMs();
// Waits until the queue is woken or `timeoutMs` passed (-1: no limit); pumps the backend.
void WaitForQueue(ThreadQueue& queue, int timeoutMs);
// Handles every message sent to the calling thread from other threads.
bool ProcessIncomingSends(ThreadQueue& queue);

// Geometry and presentation helpers (window_position.cpp, painting.cpp).
void EnsureBacking(WindowRecord& w);
void PresentWindowNow(HWND hwnd, const RECT* dirty);
NativeWindowHints HintsOfLocked(const WindowRecord& w);
void ActivateWindow(HWND hwnd, bool byMouse);
void ActivateOtherWindow(HWND leaving);
void SetFocusInternal(HWND hwnd);
HWND WindowFromPointLocked(POINT screenPoint, bool forInput);
void RefreshScreenFromBackend();
// Input conversion (input.cpp): turns a raw mouse record into the message the window gets;
// false when the message is swallowed.
bool CookMouseMessage(ThreadQueue& queue, QueuedMessage& raw, MSG* out);
// Checks hover deadlines; true and fills `out` when a WM_MOUSEHOVER is due. Core lock held.
bool HoverDueLocked(ThreadQueue& queue, MSG* out);
// Runs the move loop of a caption drag (def_window_proc.cpp).
void RunSystemMove(HWND hwnd, POINT screenPoint);
// Drops every record of a window after WM_NCDESTROY (window_tree.cpp).
void ForgetWindow(HWND hwnd);

}  // namespace platform
