// The blend and gradient entry points MRender draws with, resolved once at first use into the
// toolkit state. A null entry is missing: MRender then uses its own fallback.
#pragma once

#include "platform/gdi/gdi_types.h"

namespace Zelvo {

struct DrawEntryPointsRecord {
  BOOL (*alphaBlend)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
  BOOL (*gradientFill)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);
};

DrawEntryPointsRecord DrawEntryPoints();

}  // namespace Zelvo
