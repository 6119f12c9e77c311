// What the windowing core asks of the drawing layer: a device context that draws into a
// bitmap it does not own (a window's backing pixels), and the bitmap behind any device context
// (the source of a layered-window update or of a present).
#pragma once

#include "platform/base/win_types.h"
#include "platform/gdi/bitmap.h"

namespace platform {

// A device context drawing into `target` (not owned); release it with DeleteSurfaceDC.
HDC CreateSurfaceDC(Bitmap* target);
void DeleteSurfaceDC(HDC dc);
// The bitmap `dc` currently draws into (its target or its selected bitmap), or null.
Bitmap* GetDCSurface(HDC dc);

}  // namespace platform
