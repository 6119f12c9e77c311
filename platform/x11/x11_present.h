// Putting pixels on an X window: premultiplied BGRA rows from a platform::Bitmap written with
// XPutImage. Depth-32 windows take the pixels as they are (per-pixel alpha); ordinary windows
// are made opaque on the way, since drawing may leave alpha 0 where it wrote colour.
#pragma once

#include "platform/x11/x11_display.h"

#include "platform/base/win_types.h"
#include "platform/gdi/bitmap.h"

namespace platform::x11 {

// Writes `area` of `pixels` (bitmap coordinates, clipped to the bitmap) to the same place of
// `window`, whose visual and depth are the display's top-level ones. `opaque` sets every
// written pixel's alpha to 255. False when nothing could be written.
bool PutPixels(X11Display& x, Window window, GC gc, const Bitmap& pixels, RECT area, bool opaque);

}  // namespace platform::x11
