#include "toolkit/core/manager.h"

#include "platform/system/module.h"
#include "toolkit/core/toolkit_state.h"

namespace Zelvo {

void Manager::SetInstance(HINSTANCE instance) { ToolkitState().instance = instance; }
HINSTANCE Manager::GetInstance() { return ToolkitState().instance; }
CString Manager::GetTheme() { return L"theme1/"; }

void Manager::SetScaleValue(float scale) { ToolkitState().scaleValue = scale; }
float Manager::GetScaleValue() { return ToolkitState().scaleValue; }
int Manager::GetScaleValue(int value) {
  return static_cast<int>(static_cast<float>(value) * ToolkitState().scaleValue);
}

void Manager::SetFont(const CString& name, int size) {
  SetFontName(name);
  SetFontWidth(size);
}
void Manager::SetFontName(const CString& name) { ToolkitState().fontName = name; }
void Manager::SetFontWidth(int size) { ToolkitState().fontWidth = size; }
CString Manager::GetFontName() { return ToolkitState().fontName; }
int Manager::GetFontWidth() { return ToolkitState().fontWidth; }

CString GetSkinFolder() { return platform::GetModuleFolder() + L"skins/" + Manager::GetTheme(); }

void M_Trace(const wchar_t*, ...) {}

}  // namespace Zelvo
