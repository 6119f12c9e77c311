#include "toolkit/core/manager.h"

#include "platform/core/window_api.h"
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

Gdiplus::Color Manager::GetSelectColor() { return ToolkitState().selectColor; }

void Manager::InitGdiplus() {
  ToolkitGlobals& state = ToolkitState();
  Gdiplus::GdiplusStartup(&state.gdiplusToken, &state.gdiplusStartupInput, nullptr);
  state.windows.clear();
}

void Manager::UnInitGdiplus() {
  ToolkitGlobals& state = ToolkitState();
  Gdiplus::GdiplusShutdown(state.gdiplusToken);
  state.windows.clear();
}

void Manager::AddWnd(MWindow* window) { ToolkitState().windows.emplace(window, 0); }
void Manager::DeleteWnd(MWindow* window) { ToolkitState().windows.erase(window); }
bool Manager::HasWnd(MWindow* window) { return ToolkitState().windows.count(window) != 0; }
size_t Manager::GetWndCount() { return ToolkitState().windows.size(); }

BOOL Manager::PreTranslateMessage(MSG*) {
  return (GetAsyncKeyState(VK_MENU) != 0 && GetAsyncKeyState(VK_F4) != 0) ? TRUE : FALSE;
}

void Manager::MessageLoop() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslateMessage(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

CString GetSkinFolder() { return platform::GetModuleFolder() + L"skins/" + Manager::GetTheme(); }

void M_Trace(const wchar_t*, ...) {}

}  // namespace Zelvo
