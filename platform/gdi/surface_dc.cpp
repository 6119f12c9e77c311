#include "platform/gdi/surface_dc.h"

#include "platform/gdi/device_context.h"

namespace platform {

HDC CreateSurfaceDC(Bitmap* target) {
  auto* dc = new DeviceContext();
  dc->target = target;
  return ToHDC(dc);
}

void DeleteSurfaceDC(HDC dc) { delete FromHDC(dc); }

Bitmap* GetDCSurface(HDC dc) {
  DeviceContext* context = FromHDC(dc);
  return context ? context->target : nullptr;
}

}  // namespace platform
