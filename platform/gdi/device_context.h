// A device context: where drawing goes and the drawing state that goes with it.
#pragma once

#include "platform/base/win_types.h"
#include "platform/gdi/bitmap.h"

namespace platform {

struct DeviceContext {
  Bitmap* target = nullptr;  // the pixels drawing lands in; not owned
};

inline HDC ToHDC(DeviceContext* dc) { return reinterpret_cast<HDC>(dc); }
inline DeviceContext* FromHDC(HDC dc) { return reinterpret_cast<DeviceContext*>(dc); }

}  // namespace platform
