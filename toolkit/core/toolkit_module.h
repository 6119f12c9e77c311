// The toolkit library's own module: its resources hold the scroll-bar pictures (PNG 101, 102)
// and the embedded font (TTF 106).
#pragma once

#include "platform/base/win_types.h"

namespace Zelvo {

HINSTANCE ToolkitModule();

}  // namespace Zelvo
