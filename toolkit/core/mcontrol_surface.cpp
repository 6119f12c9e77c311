// The off-screen surfaces of a control: its cached look and its animation frame.
#include "platform/gdi/gdi.h"
#include "toolkit/core/mcontrol.h"

namespace Zelvo {

namespace {
bool IsLiveHandle(const void* handle) {
  return handle != nullptr && handle != reinterpret_cast<const void*>(static_cast<intptr_t>(-1));
}
}  // namespace

void MControl::ReleaseSurface(MemorySurface& surface) {
  if (IsLiveHandle(surface.dc)) {
    if (IsLiveHandle(surface.previous)) platform::SelectObject(surface.dc, surface.previous);
    platform::DeleteDC(surface.dc);
  }
  if (IsLiveHandle(surface.bitmap)) platform::DeleteObject(surface.bitmap);
  surface = MemorySurface();
}

void MControl::CreateSurface(HDC& compatible, MemorySurface& surface, int width, int height) {
  surface.width = width;
  surface.height = height;
  if (width <= 0 || height <= 0) return;
  surface.dc = platform::CreateCompatibleDC(compatible);
  surface.bitmap = platform::CreateCompatibleBitmap(compatible, width, height);
  if (surface.dc != nullptr && surface.bitmap != nullptr) {
    surface.previous = platform::SelectObject(surface.dc, surface.bitmap);
  }
}

}  // namespace Zelvo
