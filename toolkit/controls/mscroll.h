// MScroll and its two direction classes: the scroll bars every container owns. They keep a
// range, a position and a row step; layout, drawing and mouse handling of the bars are added
// with the scroll-bar widgets.
#pragma once

#include "toolkit/core/mcontrol_font.h"

namespace Zelvo {

class MScroll : public MControlFont {
 public:
  MScroll(MObject* owner, UINT id, CRect rect, BOOL visible);

  void DrawControl(HDC& dc, CRect paintRect) override;
  // A scroll bar has no children, so no notification reaches it.
  LONG OnMessage(UINT controlId, UINT code, UINT wParam, LONG lParam) override { return 0; }

  // Range computation; returns the position.
  virtual int SetRange();

  BOOL SetScrollMaxRange(int range);
  BOOL SetScrollCurrentPos(int position);
  // Moves by rows × row step, kept within 0 … range; TRUE when the position changed.
  BOOL ScrollRow(int rows);
  int GetScrollMaxRange() const { return range_; }
  int GetScrollCurrentPos() const { return position_; }
  int GetRowStep() const { return rowStep_; }

 protected:
  int range_ = 1000;
  int position_ = 0;
  int page_ = 0;
  int rowStep_ = 10;
};

class CScrollVertical : public MScroll {
 public:
  CScrollVertical(MObject* owner, UINT id, CRect rect, BOOL visible);
};

class CScrollHorizontal : public MScroll {
 public:
  CScrollHorizontal(MObject* owner, UINT id, CRect rect, BOOL visible);
};

}  // namespace Zelvo
