// Multimedia timers: one timer thread of the process calls periodic (or one-shot) callbacks,
// independently of any message queue. The callbacks run on that thread.
#pragma once

#include "platform/base/win_types.h"

using MMRESULT = UINT;
using LPTIMECALLBACK = void (*)(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);

constexpr UINT TIME_ONESHOT = 0x0000;
constexpr UINT TIME_PERIODIC = 0x0001;
constexpr UINT TIME_CALLBACK_FUNCTION = 0x0000;
constexpr UINT TIME_KILL_SYNCHRONOUS = 0x0100;
constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT TIMERR_NOCANDO = 97;

struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
// The resolution requests are counted and accepted; the timer thread always works to the
// millisecond.
MMRESULT timeBeginPeriod(UINT periodMs);
MMRESULT timeEndPeriod(UINT periodMs);
// Starts a timer; its id (never 0), or 0 when the delay or the callback is not acceptable.
UINT timeSetEvent(UINT delayMs, UINT resolutionMs, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
// Stops a timer. When a callback of that timer is running on the timer thread, waits for it to
// return (unless called from that callback), so that the callback's data may be freed after.
MMRESULT timeKillEvent(UINT id);
// Milliseconds of the monotonic clock.
DWORD timeGetTime();
