// Manager: the toolkit's process-wide settings (all static; never instantiated).
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

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
};

// The executable's folder followed by "skins/" and the theme folder, computed on each call.
CString GetSkinFolder();

// Accepts a format and arguments and does nothing.
void M_Trace(const wchar_t* format, ...);

}  // namespace Zelvo
