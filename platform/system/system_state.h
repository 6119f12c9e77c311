// Process-wide state of the system services (listed in platform/base/process_state.h).
#pragma once

namespace platform {
struct SystemState {};
}  // namespace platform
