// All process-wide mutable state of the toolkit, in one record.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

namespace Zelvo {

struct ToolkitGlobals {
  HINSTANCE instance = nullptr;  // the host program's module
  CString fontName = L"Arial";  // default face for new text controls
  int fontWidth = 14;  // default font size in pixels
  float scaleValue = 1.0f;  // factor applied to drawn sizes
};

ToolkitGlobals& ToolkitState();

}  // namespace Zelvo
