// Process-wide state of the windowing core (listed in platform/base/process_state.h).
#pragma once

#include <memory>

namespace platform {

struct WindowCore;  // platform/core/window_core.h

struct WindowState {
  WindowState();
  ~WindowState();
  // Window classes, the window tree, one message queue per thread, timers, input state, the
  // backend in use and the multimedia timers; internal to the windowing core.
  std::unique_ptr<WindowCore> core;
};

}  // namespace platform
