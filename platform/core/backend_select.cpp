// Choosing the backend at first use: VQ_BACKEND names it; otherwise x11 when a display can be
// opened and offscreen when not.
#include <cstdlib>
#include <cstring>

#include "platform/base/report.h"
#include "platform/core/backend.h"
#include "platform/core/window_core.h"

namespace platform {

namespace {

std::unique_ptr<Backend> ChooseBackend() {
  const char* asked = std::getenv("VQ_BACKEND");
  if (asked && std::strcmp(asked, "offscreen") == 0) return CreateOffscreenBackend();
  const char* display = std::getenv("DISPLAY");
  const bool wantX11 = (asked && std::strcmp(asked, "x11") == 0) || (!asked && display && *display);
  if (wantX11) {
    if (auto x11 = CreateX11Backend()) return x11;
    if (asked) ReportSystemFailure("the x11 backend could not open the display; using the offscreen backend");
  } else if (asked && *asked) {
    ReportSystemFailure("unknown VQ_BACKEND value; using the offscreen backend");
  }
  return CreateOffscreenBackend();
}

}  // namespace

Backend& BackendLocked() {
  WindowCore& core = Core();
  if (!core.backend) core.backend = ChooseBackend();
  return *core.backend;
}

Backend& CurrentBackend() {
  std::lock_guard<std::recursive_mutex> guard(Core().backendLock);
  return BackendLocked();
}

void InstallBackend(std::unique_ptr<Backend> backend) {
  WindowCore& core = Core();
  {
    std::lock_guard<std::recursive_mutex> guard(core.backendLock);
    core.backend = std::move(backend);
  }
  {
    std::lock_guard<std::mutex> guard(core.lock);
    core.screenKnown = false;
  }
  RefreshScreenFromBackend();
}

}  // namespace platform
