#include "toolkit/controls/mscroll.h"

#include <algorithm>

namespace Zelvo {

MScroll::MScroll(MObject* owner, UINT id, CRect rect, BOOL visible)
    : MControlFont(owner, id, rect, nullptr, visible, TRUE, TRUE) {}

void MScroll::DrawControl(HDC&, CRect) {}

int MScroll::SetRange() { return position_; }

BOOL MScroll::SetScrollMaxRange(int range) {
  range_ = range;
  SetRange();
  return TRUE;
}

BOOL MScroll::SetScrollCurrentPos(int position) {
  position_ = position;
  SetRange();
  return TRUE;
}

BOOL MScroll::ScrollRow(int rows) {
  int next = rows * rowStep_ + position_;
  next = next < 0 ? 0 : std::min(next, range_);
  const int before = position_;
  position_ = next;
  SetRange();
  return position_ != before ? TRUE : FALSE;
}

CScrollVertical::CScrollVertical(MObject* owner, UINT id, CRect rect, BOOL visible)
    : MScroll(owner, id, rect, visible) {
  SetRange();
}

CScrollHorizontal::CScrollHorizontal(MObject* owner, UINT id, CRect rect, BOOL visible)
    : MScroll(owner, id, rect, visible) {
  SetRange();
}

}  // namespace Zelvo
