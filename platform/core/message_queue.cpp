// One message queue per thread: posting, sending within and across threads, retrieval in the
// order sent, posted, quit, input, paint, timer, hover; blocking without spinning.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/base/process_state.h"
#include "platform/base/report.h"
#include "platform/core/window_api.h"
#include "platform/core/window_core.h"

namespace platform {

WindowState::WindowState() : core(std::make_unique<WindowCore>()) {}
WindowState::~WindowState() = default;

WindowCore& Core() { return *State().windows.core; }

ThreadQueue::ThreadQueue() {
  wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd < 0) ReportSystemFailure("eventfd for a message queue failed: ", static_cast<unsigned long>(errno));
}

ThreadQueue::~ThreadQueue() {
  if (wakeFd >= 0) close(wakeFd);
}

namespace {

thread_local DWORD tlsThreadId = 0;
thread_local DWORD tlsLastError = 0;

// Ends the thread's part in the windowing core when the thread exits: its windows go away
// without messages (their procedures cannot run any more) and waiting senders are released.
void RetireQueue(const std::shared_ptr<ThreadQueue>& queue) {
  WindowCore& core = Core();
  std::vector<HWND> natives;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    queue->alive = false;
    core.queues.erase(queue->threadId);
    for (auto& sent : queue->sends) {
      sent->done = true;
      if (sent->sender) WakeQueueLocked(*sent->sender);
    }
    queue->sends.clear();
    queue->timers.clear();
  }
  std::vector<HWND> windows;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    windows = queue->windows;
  }
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) ForgetWindow(*it);
}

struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (queue) RetireQueue(queue);
  }
};
thread_local QueueHolder tlsQueue;

bool IsDescendantLocked(HWND ancestor, HWND hwnd) {
  for (WindowRecord* w = FindWindowLocked(hwnd); w && w->parent; w = FindWindowLocked(w->parent)) {
    if (w->parent == ancestor) return true;
  }
  return false;
}

bool MatchesFilterLocked(const MSG& m, HWND filter, UINT first, UINT last) {
  if (filter == reinterpret_cast<HWND>(-1)) {
    if (m.hwnd != nullptr) return false;
  } else if (filter != nullptr && m.hwnd != filter && !IsDescendantLocked(filter, m.hwnd)) {
    return false;
  }
  if (first == 0 && last == 0) return true;
  return m.message >= first && m.message <= last;
}

int MillisecondsUntil(Clock::time_point due, Clock::time_point now) {
  if (due <= now) return 0;
  auto ms = std::chrono::duration_cast<std::chrono::microseconds>(due - now).count();
  return static_cast<int>(std::min<long long>((ms + 999) / 1000, INT_MAX));
}

// The nearest moment a timer or a hover becomes due, as a poll timeout (-1: none).
int NextDeadlineLocked(const ThreadQueue& q) {
  const auto now = Clock::now();
  int timeout = -1;
  for (const TimerRecord& t : q.timers) {
    int ms = MillisecondsUntil(t.due, now);
    if (timeout < 0 || ms < timeout) timeout = ms;
  }
  if (q.trackWindow && (q.trackFlags & TME_HOVER)) {
    int ms = MillisecondsUntil(q.hoverDue, now);
    if (timeout < 0 || ms < timeout) timeout = ms;
  }
  return timeout;
}

enum class Retrieved { Nothing, Message, Again };

// One attempt at taking a message off the queue. May release the lock while it converts raw
// input or handles the core's own notifications (then returns Again).
Retrieved TryRetrieve(ThreadQueue& q, MSG* out, HWND filter, UINT first, UINT last, bool remove,
                      std::unique_lock<std::mutex>& lk) {
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (it->internal != InternalKind::None) {
      QueuedMessage m = *it;
      q.posted.erase(it);
      lk.unlock();
      HandleInternalMessage(m);
      lk.lock();
      return Retrieved::Again;
    }
    if (!MatchesFilterLocked(it->msg, filter, first, last)) continue;
    *out = it->msg;
    if (remove) q.posted.erase(it);
    return Retrieved::Message;
  }
  if (q.quitPending && (first == 0 || (WM_QUIT >= first && WM_QUIT <= last))) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, NowMs(), Core().cursorPos};
    if (remove) q.quitPending = false;
    return Retrieved::Message;
  }
  for (auto it = q.input.begin(); it != q.input.end(); ++it) {
    if (!MatchesFilterLocked(it->msg, filter, first, last)) continue;
    QueuedMessage m = *it;
    if (m.rawMouse) {
      q.input.erase(it);
      lk.unlock();
      MSG cooked{};
      bool keep = CookMouseMessage(q, m, &cooked);
      lk.lock();
      if (!keep) return Retrieved::Again;
      if (!remove) {
        QueuedMessage again = m;
        again.msg = cooked;
        again.rawMouse = false;
        q.input.push_front(again);
      }
      *out = cooked;
      return Retrieved::Message;
    }
    *out = m.msg;
    if (remove) {
      if (m.msg.message == WM_KEYDOWN || m.msg.message == WM_SYSKEYDOWN) {
        q.lastKeyText = m.text;
      }
      q.input.erase(it);
    }
    return Retrieved::Message;
  }
  for (HWND hwnd : q.windows) {
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w || !w->invalidSet || w->destroying || !IsVisibleLocked(hwnd)) continue;
    MSG m{hwnd, WM_PAINT, 0, 0, NowMs(), Core().cursorPos};
    if (!MatchesFilterLocked(m, filter, first, last)) continue;
    *out = m;
    return Retrieved::Message;
  }
  const auto now = Clock::now();
  TimerRecord* due = nullptr;
  for (TimerRecord& t : q.timers) {
    if (t.due > now) continue;
    MSG m{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), NowMs(), Core().cursorPos};
    if (!MatchesFilterLocked(m, filter, first, last)) continue;
    if (!due || t.due < due->due) due = &t;
  }
  if (due) {
    *out = MSG{due->hwnd, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->proc), NowMs(), Core().cursorPos};
    if (remove) due->due = now + std::chrono::milliseconds(due->elapse);
    return Retrieved::Message;
  }
  MSG hover{};
  if (HoverDueLocked(q, &hover) && MatchesFilterLocked(hover, filter, first, last)) {
    *out = hover;
    return Retrieved::Message;
  }
  return Retrieved::Nothing;
}

// Retrieval shared by GetMessageW and PeekMessageW.
bool Retrieve(MSG* out, HWND filter, UINT first, UINT last, bool remove, bool block) {
  auto queue = CurrentQueue();
  ThreadQueue& q = *queue;
  WindowCore& core = Core();
  if (!block) {
    // A loop built on PeekMessage alone never waits, so it must collect the display's input here.
    WithBackend([](Backend& b) {
      b.PumpEvents();
      return 0;
    });
  }
  for (;;) {
    ProcessIncomingSends(q);
    int timeout;
    {
      std::unique_lock<std::mutex> lk(core.lock);
      Retrieved r;
      do {
        r = TryRetrieve(q, out, filter, first, last, remove, lk);
        if (r == Retrieved::Again && !q.sends.empty()) break;
      } while (r == Retrieved::Again);
      if (r == Retrieved::Message) {
        if (remove) q.lastMessage = *out;
        return true;
      }
      if (r == Retrieved::Again) continue;
      if (!block) return false;
      if (!q.sends.empty()) continue;
      q.waiting = true;
      timeout = NextDeadlineLocked(q);
    }
    WaitForQueue(q, timeout);
  }
}

}  // namespace

DWORD CurrentThreadId() {
  if (tlsThreadId == 0) tlsThreadId = static_cast<DWORD>(syscall(SYS_gettid));
  return tlsThreadId;
}

DWORD NowMs() {
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (tlsQueue.queue) return tlsQueue.queue;
  auto queue = std::make_shared<ThreadQueue>();
  queue->threadId = CurrentThreadId();
  WindowCore& core = Core();
  {
    std::lock_guard<std::mutex> guard(core.lock);
    core.queues[queue->threadId] = queue;
  }
  tlsQueue.queue = queue;
  return queue;
}

void WakeQueueLocked(ThreadQueue& queue) {
  if (!queue.waiting || queue.wakeFd < 0) return;
  const std::uint64_t one = 1;
  ssize_t written = write(queue.wakeFd, &one, sizeof one);
  (void)written;  // a full counter already wakes the reader
}

void PostLocked(ThreadQueue& queue, const QueuedMessage& message, bool inputMessage) {
  if (inputMessage) {
    queue.input.push_back(message);
  } else {
    queue.posted.push_back(message);
  }
  WakeQueueLocked(queue);
}

void WaitForQueue(ThreadQueue& q, int timeoutMs) {
  WindowCore& core = Core();
  int backendFd = WithBackend([](Backend& b) {
    b.PumpEvents();
    return b.EventFd();
  });
  pollfd fds[2] = {{q.wakeFd, POLLIN, 0}, {backendFd, POLLIN, 0}};
  int count = backendFd >= 0 ? 2 : 1;
  int rc = poll(fds, count, timeoutMs);
  if (rc < 0 && errno != EINTR) ReportSystemFailure("poll on a message queue failed: ", static_cast<unsigned long>(errno));
  std::uint64_t value;
  while (read(q.wakeFd, &value, sizeof value) > 0) {
  }
  if (count == 2 && rc > 0 && (fds[1].revents & POLLIN)) {
    WithBackend([](Backend& b) {
      b.PumpEvents();
      return 0;
    });
  }
  std::lock_guard<std::mutex> guard(core.lock);
  q.waiting = false;
}

bool ProcessIncomingSends(ThreadQueue& q) {
  WindowCore& core = Core();
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    WNDPROC proc = nullptr;
    {
      std::lock_guard<std::mutex> guard(core.lock);
      if (q.sends.empty()) return any;
      sent = q.sends.front();
      q.sends.pop_front();
      sent->started = true;
      WindowRecord* w = FindWindowLocked(sent->hwnd);
      if (w && w->threadId == q.threadId) proc = w->proc;
    }
    any = true;
    LRESULT result = 0;
    if (proc) {
      ++q.sendDepth;
      result = CallWindowProcW(proc, sent->hwnd, sent->message, sent->wParam, sent->lParam);
      --q.sendDepth;
    }
    std::lock_guard<std::mutex> guard(core.lock);
    sent->result = result;
    sent->done = true;
    if (sent->sender) WakeQueueLocked(*sent->sender);
  }
}

namespace {

LRESULT SendAcrossThreads(ThreadQueue& receiver, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int timeoutMs,
                          bool* answered) {
  auto own = CurrentQueue();
  WindowCore& core = Core();
  auto sent = std::make_shared<SentMessage>();
  sent->hwnd = hwnd;
  sent->message = msg;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = own;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  {
    std::lock_guard<std::mutex> guard(core.lock);
    if (!receiver.alive) {
      *answered = false;
      return 0;
    }
    receiver.sends.push_back(sent);
    WakeQueueLocked(receiver);
  }
  for (;;) {
    ProcessIncomingSends(*own);
    int wait = -1;
    {
      std::lock_guard<std::mutex> guard(core.lock);
      if (sent->done) {
        *answered = true;
        return sent->result;
      }
      if (timeoutMs >= 0) {
        wait = MillisecondsUntil(deadline, Clock::now());
        if (wait == 0 && !sent->started) {
          auto& s = receiver.sends;
          s.erase(std::remove(s.begin(), s.end(), sent), s.end());
          *answered = false;
          return 0;
        }
        if (wait == 0) wait = 1;  // already running: its answer is near
      }
      if (!own->sends.empty()) continue;
      own->waiting = true;
    }
    WaitForQueue(*own, wait);
  }
}

}  // namespace

LRESULT SendToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowCore& core = Core();
  std::shared_ptr<ThreadQueue> receiver;
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      tlsLastError = ERROR_INVALID_WINDOW_HANDLE;
      return 0;
    }
    if (w->threadId == CurrentThreadId()) {
      proc = w->proc;
    } else {
      receiver = w->queue;
    }
  }
  if (!receiver) return CallWindowProcW(proc, hwnd, msg, wParam, lParam);
  bool answered = false;
  return SendAcrossThreads(*receiver, hwnd, msg, wParam, lParam, -1, &answered);
}

}  // namespace platform

using namespace platform;

DWORD GetLastError() { return tlsLastError; }
void SetLastError(DWORD code) { tlsLastError = code; }
DWORD GetCurrentThreadId() { return CurrentThreadId(); }
DWORD GetTickCount() { return NowMs(); }

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  Retrieve(msg, hwnd, filterMin, filterMax, true, true);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  MSG scratch{};
  return Retrieve(msg ? msg : &scratch, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, false) ? TRUE
                                                                                                          : FALSE;
}

BOOL WaitMessage() {
  auto queue = CurrentQueue();
  WindowCore& core = Core();
  int timeout;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    if (!queue->posted.empty() || !queue->input.empty() || !queue->sends.empty() || queue->quitPending) return TRUE;
    queue->waiting = true;
    timeout = NextDeadlineLocked(*queue);
  }
  WaitForQueue(*queue, timeout);
  return TRUE;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
  WindowCore& core = Core();
  const DWORD now = NowMs();
  std::lock_guard<std::mutex> guard(core.lock);
  WindowRecord* w = FindWindowLocked(hwnd);
  if (!w || !w->queue->alive) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  QueuedMessage m;
  m.msg = MSG{hwnd, msg, wParam, lParam, now, core.cursorPos};
  PostLocked(*w->queue, m, false);
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (threadId == GetCurrentThreadId()) CurrentQueue();
  WindowCore& core = Core();
  const DWORD now = NowMs();
  std::lock_guard<std::mutex> guard(core.lock);
  auto it = core.queues.find(threadId);
  if (it == core.queues.end() || !it->second->alive) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  QueuedMessage m;
  m.msg = MSG{nullptr, msg, wParam, lParam, now, core.cursorPos};
  PostLocked(*it->second, m, false);
  return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return SendToWindow(hwnd, msg, wParam, lParam);
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            DWORD_PTR* result) {
  WindowCore& core = Core();
  std::shared_ptr<ThreadQueue> receiver;
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> guard(core.lock);
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (w->threadId == CurrentThreadId()) {
      proc = w->proc;
    } else {
      receiver = w->queue;
    }
  }
  LRESULT r;
  if (!receiver) {
    r = CallWindowProcW(proc, hwnd, msg, wParam, lParam);
  } else {
    bool answered = false;
    r = SendAcrossThreads(*receiver, hwnd, msg, wParam, lParam, static_cast<int>(std::min<UINT>(timeoutMs, INT_MAX)),
                          &answered);
    if (!answered) {
      SetLastError(ERROR_TIMEOUT);
      return 0;
    }
  }
  if (result) *result = static_cast<DWORD_PTR>(r);
  return 1;
}

BOOL InSendMessage() { return CurrentQueue()->sendDepth > 0 ? TRUE : FALSE; }

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if ((msg->message == WM_TIMER) && msg->lParam != 0) {
    // A timer with a callback: call it instead of the window procedure, if it still exists.
    bool exists = false;
    {
      auto queue = CurrentQueue();
      std::lock_guard<std::mutex> guard(Core().lock);
      for (const TimerRecord& t : queue->timers) {
        if (t.hwnd == msg->hwnd && t.id == msg->wParam) exists = true;
      }
    }
    if (!exists) return 0;
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (!msg->hwnd) return 0;
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> guard(Core().lock);
    WindowRecord* w = FindWindowLocked(msg->hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (w->threadId != CurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
    proc = w->proc;
  }
  LRESULT result = CallWindowProcW(proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) {
    // A procedure that neither painted nor validated would otherwise get WM_PAINT forever.
    ValidateRect(msg->hwnd, nullptr);
  }
  return result;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
    return (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ? TRUE : FALSE;
  }
  auto queue = CurrentQueue();
  WindowCore& core = Core();
  std::lock_guard<std::mutex> guard(core.lock);
  const wchar_t text = queue->lastKeyText;
  if (text == 0 || queue->lastMessage.hwnd != msg->hwnd || queue->lastMessage.wParam != msg->wParam ||
      queue->lastMessage.time != msg->time) {
    return TRUE;
  }
  queue->lastKeyText = 0;
  QueuedMessage m;
  m.msg = MSG{msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(text),
              msg->lParam, msg->time, msg->pt};
  queue->input.push_front(m);  // the character comes before any later key
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  auto queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Core().lock);
  queue->quitPending = true;
  queue->quitCode = exitCode;
}

DWORD GetMessageTime() { return CurrentQueue()->lastMessage.time; }

DWORD GetMessagePos() {
  const POINT pt = CurrentQueue()->lastMessage.pt;
  return static_cast<DWORD>(MAKELPARAM(pt.x, pt.y));
}

// ---- Timers -------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  constexpr UINT kMinimum = 10;  // as USER_TIMER_MINIMUM
  constexpr UINT kMaximum = 0x7FFFFFFF;
  const UINT elapse = std::clamp(elapseMs, kMinimum, kMaximum);
  std::shared_ptr<ThreadQueue> queue;
  WindowCore& core = Core();
  if (!hwnd) queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(core.lock);
  if (hwnd) {
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    queue = w->queue;
  }
  const auto due = Clock::now() + std::chrono::milliseconds(elapse);
  for (TimerRecord& t : queue->timers) {
    if (t.hwnd == hwnd && t.id == id && (hwnd || id != 0)) {
      t.elapse = elapse;
      t.proc = proc;
      t.due = due;
      WakeQueueLocked(*queue);
      return hwnd ? (id ? id : 1) : id;
    }
  }
  UINT_PTR newId = id;
  if (!hwnd) {
    newId = queue->nextThreadTimerId++;
    if (queue->nextThreadTimerId > 0x7FFF) queue->nextThreadTimerId = 1;
  }
  queue->timers.push_back(TimerRecord{hwnd, newId, elapse, proc, due});
  WakeQueueLocked(*queue);
  return hwnd ? (newId ? newId : 1) : newId;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  WindowCore& core = Core();
  std::shared_ptr<ThreadQueue> queue;
  if (!hwnd) queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(core.lock);
  if (hwnd) {
    WindowRecord* w = FindWindowLocked(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    queue = w->queue;
  }
  auto& timers = queue->timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const TimerRecord& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}
