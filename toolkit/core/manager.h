// Manager: the toolkit's process-wide settings (all static; never instantiated).
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"
#include "platform/core/messages.h"
#include "platform/gdi/gdiplus.h"

namespace Zelvo {

class MWindow;

class Manager {
 public:
  Manager() = delete;

  static void SetInstance(HINSTANCE instance);
  static HINSTANCE GetInstance();
  // The theme folder name with its trailing separator.
  static CString GetTheme();

  static void SetScaleValue(float scale);
  static float GetScaleValue();
  // value × scale in single precision, truncated toward zero.
  static int GetScaleValue(int value);

  static void SetFont(const CString& name, int size);
  static void SetFontName(const CString& name);
  static void SetFontWidth(int size);
  static CString GetFontName();
  static int GetFontWidth();
  // The highlight colour of selection frames and selected items (opaque 0xFFBD30FF).
  static Gdiplus::Color GetSelectColor();

  // Graphics start-up and shutdown as a pair; both empty the window registry. COM and OLE
  // initialisation have nothing to do on this platform.
  static void InitGdiplus();
  static void UnInitGdiplus();

  // The window registry: the application's to fill; a window is held once.
  static void AddWnd(MWindow* window);
  static void DeleteWnd(MWindow* window);
  static bool HasWnd(MWindow* window);
  static size_t GetWndCount();

  // The thread's message loop until WM_QUIT; drops every message while Alt and F4 are down.
  static void MessageLoop();
  // TRUE (swallow) when Alt and F4 are both down now; the message is not examined.
  static BOOL PreTranslateMessage(MSG* msg);
};

// The executable's folder followed by "skins/" and the theme folder, computed on each call.
CString GetSkinFolder();

// Accepts a format and arguments and does nothing.
void M_Trace(const wchar_t* format, ...);

}  // namespace Zelvo
