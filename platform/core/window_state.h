// Process-wide state of the windowing core (listed in platform/base/process_state.h).
#pragma once

namespace platform {
struct WindowState {};
}  // namespace platform
