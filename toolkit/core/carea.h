// CArea: a translucent tinted rectangle over whatever lies below it, optionally framed or with a
// linear transparency ramp. Windows use it as a background panel.
#pragma once

#include "platform/gdi/gdiplus.h"
#include "toolkit/core/mcontrol.h"

namespace Zelvo {

class CArea : public MControl {
 public:
  CArea(MObject* owner, UINT id, CRect rect, BOOL visible, BOOL enabled);

  void DrawControl(HDC& dc, CRect paintRect) override;

  // Transparencies in percent at the first and last row (or column), and the tint colour.
  void SetTransparent(int start, int end, COLORREF tint);
  void SetFrame(BOOL frame, Gdiplus::Color colour, int unused);
  // 1 vertical (row by row), 0 horizontal (column by column).
  void SetDirection(int direction) { direction_ = direction; }
  int GetDirection() const { return direction_; }

 private:
  void Render(HDC& dc, int width, int height);

  int direction_ = 1;
  int startTransparency_ = 80;
  int endTransparency_ = 80;
  COLORREF tint_ = 0xFFFFFF;
  BOOL frame_ = FALSE;
  Gdiplus::ARGB frameColour_ = 0xFE050505;
};

}  // namespace Zelvo
