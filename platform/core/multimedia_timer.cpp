#include "platform/core/multimedia_timer.h"

#include <thread>

#include "platform/core/window_core.h"

namespace platform {

namespace {

constexpr UINT kMaximumPeriod = 1000000;

void TimerThread() {
  MultimediaTimerState& s = Core().multimedia;
  std::unique_lock<std::mutex> lk(s.lock);
  s.threadOfCallbacks = std::this_thread::get_id();
  for (;;) {
    if (s.timers.empty()) {
      s.changed.wait(lk);
      continue;
    }
    auto next = s.timers.begin();
    for (auto it = s.timers.begin(); it != s.timers.end(); ++it) {
      if (it->second.due < next->second.due) next = it;
    }
    const Clock::time_point due = next->second.due;  // a copy: the entry may go while waiting
    if (Clock::now() < due) {
      s.changed.wait_until(lk, due);
      continue;
    }
    const UINT id = next->first;
    MultimediaTimerEntry entry = next->second;
    if (entry.periodic) {
      // Keep the period's rhythm; after a long stall, start again from now rather than catch up.
      next->second.due += std::chrono::milliseconds(entry.delay);
      if (next->second.due < Clock::now()) next->second.due = Clock::now() + std::chrono::milliseconds(entry.delay);
    } else {
      s.timers.erase(next);
    }
    s.running = id;
    lk.unlock();
    entry.callback(id, 0, entry.user, 0, 0);
    lk.lock();
    s.running = 0;
    s.finished.notify_all();
  }
}

}  // namespace

}  // namespace platform

using namespace platform;

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size) {
  if (!caps || size < sizeof(TIMECAPS)) return MMSYSERR_INVALPARAM;
  caps->wPeriodMin = 1;
  caps->wPeriodMax = kMaximumPeriod;
  return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT periodMs) {
  if (periodMs < 1 || periodMs > kMaximumPeriod) return TIMERR_NOCANDO;
  MultimediaTimerState& s = Core().multimedia;
  std::lock_guard<std::mutex> guard(s.lock);
  ++s.periodRequests;
  return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT periodMs) {
  if (periodMs < 1 || periodMs > kMaximumPeriod) return TIMERR_NOCANDO;
  MultimediaTimerState& s = Core().multimedia;
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.periodRequests > 0) --s.periodRequests;
  return TIMERR_NOERROR;
}

UINT timeSetEvent(UINT delayMs, UINT, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
  if (!callback || delayMs < 1 || delayMs > kMaximumPeriod) return 0;
  MultimediaTimerState& s = Core().multimedia;
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.started) {
    std::thread(TimerThread).detach();  // lives as long as the process
    s.started = true;
  }
  UINT id = s.nextId++;
  if (s.nextId == 0) s.nextId = 1;
  MultimediaTimerEntry entry;
  entry.delay = delayMs;
  entry.callback = callback;
  entry.user = user;
  entry.periodic = (flags & TIME_PERIODIC) != 0;
  entry.due = Clock::now() + std::chrono::milliseconds(delayMs);
  s.timers[id] = entry;
  s.changed.notify_all();
  return id;
}

MMRESULT timeKillEvent(UINT id) {
  MultimediaTimerState& s = Core().multimedia;
  std::unique_lock<std::mutex> lk(s.lock);
  const bool known = s.timers.erase(id) > 0;
  const bool runningNow = s.running == id;
  if (!known && !runningNow) return MMSYSERR_INVALPARAM;
  s.changed.notify_all();
  if (std::this_thread::get_id() != s.threadOfCallbacks) {
    s.finished.wait(lk, [&] { return s.running != id; });
  }
  return TIMERR_NOERROR;
}

DWORD timeGetTime() { return NowMs(); }
