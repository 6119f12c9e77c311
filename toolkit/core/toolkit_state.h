// All process-wide mutable state of the toolkit, in one record.
#pragma once

#include <map>

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/gdi_types.h"

namespace Zelvo {

class MWindow;

struct ToolkitGlobals {
  HINSTANCE instance = nullptr;  // the host program's module
  CString fontName = L"Arial";  // default face for new text controls
  int fontWidth = 14;  // default font size in pixels
  float scaleValue = 1.0f;  // factor applied to drawn sizes
  Gdiplus::Color selectColor{0xFFBD30FF};  // highlight of selection frames and selected items
  Gdiplus::GdiplusStartupInput gdiplusStartupInput;  // passed to GdiplusStartup by InitGdiplus
  ULONG_PTR gdiplusToken = 0;  // returned by GdiplusStartup
  UINT controlId = 0;  // exported and unused, as m_uControlID
  std::map<MWindow*, int> windows;  // the window registry of AddWnd/DeleteWnd (flag always 0)
  // The blend and gradient entry points MRender draws with, resolved once at first use
  // (DrawEntryPoints in mrender); null means missing: MRender then blends per pixel itself or
  // draws the gradient as solid bands.
  BOOL (*alphaBlend)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) = nullptr;
  BOOL (*gradientFill)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG) = nullptr;
};

ToolkitGlobals& ToolkitState();

}  // namespace Zelvo
