// Helpers shared by the GDI drawing files (not part of the interface).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/device_context.h"

namespace platform {

// The parts of a device rectangle that drawing may touch: inside the surface and the DC's clip.
std::vector<RECT> ClipToDC(DeviceContext* dc, const RECT& deviceRect);

// The pixel GDI writes for a colour: blue, green, red, and alpha 0.
inline std::uint32_t GdiPixel(COLORREF c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// x / 255 rounded to nearest (the same as (x + 127) / 255), for 0 <= x <= 255 × 255.
inline std::uint32_t Div255(std::uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// Colour of a brush handle: a brush object, or a system colour index + 1 as window classes pass.
bool BrushColour(HBRUSH brush, COLORREF* colour);

}  // namespace platform
