#include "platform/gdi/surface_dc.h"

#include <memory>

#include "platform/gdi/device_context.h"

namespace platform {

HDC CreateSurfaceDC(Bitmap* target) {
  auto dc = std::make_unique<DeviceContext>();
  dc->target = target;
  return RegisterDC(std::move(dc));
}

void DeleteSurfaceDC(HDC dc) {
  if (DeviceContext* context = LookupDC(dc)) UnregisterDC(context);
}

Bitmap* GetDCSurface(HDC dc) {
  DeviceContext* context = LookupDC(dc);
  return context ? context->Surface() : nullptr;
}

}  // namespace platform
