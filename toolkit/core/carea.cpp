#include "toolkit/core/carea.h"

#include "toolkit/core/mrender.h"

namespace Zelvo {

CArea::CArea(MObject* owner, UINT id, CRect rect, BOOL visible, BOOL enabled)
    : MControl(owner, id, rect, visible, enabled, TRUE) {}

void CArea::SetTransparent(int start, int end, COLORREF tint) {
  startTransparency_ = start;
  endTransparency_ = end;
  tint_ = tint;
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

void CArea::SetFrame(BOOL frame, Gdiplus::Color colour, int) {
  frame_ = frame;
  frameColour_ = colour.GetValue();
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

void CArea::Render(HDC& dc, int width, int height) {
  UpdateMemDC(dc, width, height);
  HDC cache = cache_.dc;
  if (cache == nullptr) return;
  platform::BitBlt(cache, 0, 0, width, height, dc, rect_.left, rect_.top, SRCCOPY);
  const Gdiplus::Color fill(254, GetRValue(tint_), GetGValue(tint_), GetBValue(tint_));
  const CRect whole(0, 0, width, height);

  if (startTransparency_ != 0 || endTransparency_ != 0) {
    HDC tinted = platform::CreateCompatibleDC(dc);
    HBITMAP bitmap = platform::CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ previous = platform::SelectObject(tinted, bitmap);
    {
      Gdiplus::Graphics graphics(tinted);
      Gdiplus::SolidBrush brush(fill);
      graphics.FillRectangle(&brush, 0, 0, width, height);
    }
    HDC source = tinted;
    if (direction_ == 1) {
      MRender::DrawVerticalTransition(cache, source, whole, whole, startTransparency_, endTransparency_);
    } else if (direction_ == 0) {
      MRender::DrawHorizontalTransition(cache, source, whole, whole, startTransparency_, endTransparency_);
    }
    platform::SelectObject(tinted, previous);
    platform::DeleteObject(bitmap);
    platform::DeleteDC(tinted);
    return;
  }
  Gdiplus::Graphics graphics(cache);
  Gdiplus::SolidBrush tint(fill);
  if (frame_) {
    Gdiplus::SolidBrush frame{Gdiplus::Color(frameColour_)};
    graphics.FillRectangle(&frame, 0, 0, width, height);
    graphics.FillRectangle(&tint, 1, 1, width - 2, height - 2);
  } else {
    graphics.FillRectangle(&tint, 0, 0, width, height);
  }
}

void CArea::DrawControl(HDC& dc, CRect) {
  const int width = rect_.Width();
  const int height = rect_.Height();
  if (width <= 0 || height <= 0) return;
  if (!cacheValid_) Render(dc, width, height);
  if (cache_.dc != nullptr) platform::BitBlt(dc, rect_.left, rect_.top, width, height, cache_.dc, 0, 0, SRCCOPY);
}

}  // namespace Zelvo
