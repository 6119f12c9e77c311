#include "toolkit/core/mpanel.h"

#include "toolkit/controls/mscroll.h"
#include "toolkit/core/control_factory.h"
#include "toolkit/window/paint_manager.h"

namespace Zelvo {

namespace {
bool Intersects(const CRect& a, const CRect& b) {
  CRect common;
  return common.IntersectRect(a, b);
}
}  // namespace

MPanel::MPanel(MObject* owner, UINT id, CRect rect, BOOL visible)
    : MControlFont(owner, id, rect, nullptr, visible, TRUE, TRUE) {
  dblClkAware_ = TRUE;
  vertical_ = new CScrollVertical(this, 1, CRect(-5, 0, 0, 0), TRUE);
  horizontal_ = new CScrollHorizontal(this, 2, CRect(0, -scrollThickness_, 0, 0), TRUE);
  AppendControl(vertical_);
  AppendControl(horizontal_);
}

LONG MPanel::OnBaseMessage(UINT controlId, UINT code, UINT wParam, LONG lParam) {
  return OnMessage(controlId, code, wParam, lParam);
}

LONG MPanel::OnMessage(UINT controlId, UINT code, UINT wParam, LONG lParam) {
  return owner_ != nullptr ? owner_->OnBaseMessage(controlId, code, wParam, lParam) : 0;
}

LONG MPanel::OnControlUpdate(CRect rect, BOOL refresh, MControl* control) {
  if (control == nullptr) return 0;
  if (refresh) control->SetUpdate(FALSE, 0);
  if (initialised_) {
    bool met = false;
    for (MControl* child : controls_) {
      if (child == control) {
        met = true;
        continue;
      }
      if (met && child->IsVisible() && Intersects(child->GetRect(), rect)) child->SetUpdate(FALSE, 0);
    }
  }
  InvalidateRect(nullptr, FALSE);
  return 0;
}

void MPanel::ForgetChild(MControl* child) {
  MControl::ForgetChild(child);
  if (child == vertical_) vertical_ = nullptr;
  if (child == horizontal_) horizontal_ = nullptr;
}

void MPanel::InitControl(PaintManager* manager) {
  initialised_ = TRUE;
  if (vertical_ != nullptr) vertical_->SetManager(manager);
  if (horizontal_ != nullptr) horizontal_->SetManager(manager);
}

void MPanel::DrawControl(HDC&, CRect) {}

BOOL MPanel::OnMousePointChange(CPoint& point) {
  const int height = rect_.Height();
  const int width = rect_.Width();
  if (!scrollEnabled_ || (virtualHeight_ <= height && virtualWidth_ <= width)) return 0;
  // A removed scroll bar reads as range 0: no offset in its direction.
  const int verticalRange = vertical_ != nullptr ? vertical_->GetScrollMaxRange() : 0;
  const int horizontalRange = horizontal_ != nullptr ? horizontal_->GetScrollMaxRange() : 0;
  const int dy = verticalRange > 0 ? (virtualHeight_ - height) * vertical_->GetScrollCurrentPos() / verticalRange : 0;
  const int dx =
      horizontalRange > 0 ? (virtualWidth_ - width) * horizontal_->GetScrollCurrentPos() / horizontalRange : 0;
  point.x += dx;
  point.y += dy;
  return 1;
}

LRESULT MPanel::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  for (MControl* child : controls_) {
    if (child->OnWindowMessage(msg, wParam, lParam)) return 1;
  }
  return 0;
}

void MPanel::SetControlVisible(BOOL visible) {
  visible_ = visible;
  SetControlWndVisible(visible);
}

void MPanel::SetControlEnabled(BOOL enabled) {
  enabled_ = enabled;
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  for (MControl* child : controls_) {
    if (!child->IsEnabled() == !enabled) continue;
    child->SetControlEnabled(enabled);
    if (child->IsVisible() && child->GetParantObject() != nullptr) {
      child->GetParantObject()->OnControlUpdate(child->GetRect(), TRUE, child);
    }
  }
}

BOOL MPanel::OnControlScroll(int, UINT direction, CPoint) {
  if (!scrollEnabled_ || virtualHeight_ < rect_.Height() || vertical_ == nullptr) return 0;
  if (!vertical_->ScrollRow(direction == 1 ? 1 : -1)) return 1;
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
  if (vertical_->IsVisible() && vertical_->GetParantObject() != nullptr) {
    vertical_->GetParantObject()->OnControlUpdate(vertical_->GetRect(), TRUE, vertical_);
  }
  return 1;
}

MControl* MPanel::CreateControl(UINT mode, MObject* owner, const wchar_t* className, UINT id, CRect rect,
                                const wchar_t* title, int p1, int p2) {
  // Only the two lists own children; a child made for neither would never be freed.
  if (mode != 0 && mode != 1) return nullptr;
  MControl* control = ConstructControl(FactoryLevel::Container, owner, className, id, rect, title, p1, p2);
  if (control == nullptr) return nullptr;
  if (manager_ != nullptr) control->SetManager(manager_);
  if (mode == 0) {
    AppendArea(control);
  } else {
    AppendControl(control);
  }
  return control;
}

MControl* MPanel::CreateArea(const wchar_t* className, UINT id, CRect rect, const wchar_t* title, int p1, int p2) {
  return CreateControl(0, this, className, id, rect, title, p1, p2);
}

MControl* MPanel::CreateControl(const wchar_t* className, UINT id, CRect rect, const wchar_t* title, int p1,
                                int p2) {
  return CreateControl(1, this, className, id, rect, title, p1, p2);
}

}  // namespace Zelvo
