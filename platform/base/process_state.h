// All process-wide mutable state of the platform library is reached from here: one instance per
// process, because the library is shared by the program and the toolkit. Each area keeps its
// fields in its own record; new global state goes into one of these records, never into a
// free-standing static elsewhere.
#pragma once

#include "platform/core/window_state.h"
#include "platform/gdi/gdi_state.h"
#include "platform/system/system_state.h"

namespace platform {

struct ProcessState {
  SystemState system;  // settings, shared memory, hot-plug, processes
  WindowState windows;  // window tree, queues, timers, input state, backend
  GdiState gdi;  // fonts, resources, stock objects
};

ProcessState& State();

}  // namespace platform
