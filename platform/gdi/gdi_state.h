// Process-wide state of the drawing layer (listed in platform/base/process_state.h).
#pragma once

namespace platform {
struct GdiState {};
}  // namespace platform
