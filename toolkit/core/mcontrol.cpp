#include "toolkit/core/mcontrol.h"

#include <algorithm>
#include <cmath>

#include "toolkit/window/paint_manager.h"

namespace Zelvo {

namespace {
bool Intersects(const CRect& a, const CRect& b) {
  CRect common;
  return common.IntersectRect(a, b);
}
}  // namespace

MControl::MControl(MObject* owner, UINT id, CRect rect, BOOL visible, BOOL enabled, BOOL mouseResponse)
    : owner_(owner), id_(id), rect_(rect), visible_(visible), enabled_(enabled), mouseResponse_(mouseResponse) {}

MControl::~MControl() {
  RemoveAllControl();
  ReleaseSurface(cache_);
  ReleaseSurface(animation_);
  if (manager_ != nullptr) manager_->ForgetControl(this);
}

// ---------------------------------------------------------------- default hooks

void MControl::InitControl(PaintManager*) {}

BOOL MControl::PtInRect(CPoint point) {
  if (!visible_) return FALSE;
  return rect_.PtInRect(point) ? TRUE : FALSE;
}

BOOL MControl::DrawSubControls(HDC& dc, CRect paintRect) {
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  for (MControl* child : controls_) {
    if (child->visible_) child->Draw(dc, paintRect);
  }
  return TRUE;
}

BOOL MControl::IsDraw(CPoint) { return FALSE; }

void MControl::SetUpdate(BOOL cacheValid, COLORREF background) {
  cacheValid_ = cacheValid;
  for (MControl* child : controls_) {
    if (Intersects(child->rect_, rect_)) child->SetUpdate(cacheValid, background);
  }
}

BOOL MControl::SetControlFocus(BOOL focus) {
  if (!focus) {
    std::lock_guard<std::recursive_mutex> lock(controlLock_);
    for (MControl* child : controls_) child->SetControlFocus(FALSE);
  }
  return 0;
}

void MControl::InitUI(CRect) {}
BOOL MControl::OnMousePointChange(CPoint&) { return 0; }
BOOL MControl::OnCheckMouseResponse(UINT, CPoint) { return TRUE; }
LRESULT MControl::OnWindowMessage(UINT, WPARAM, LPARAM) { return 0; }
LONG MControl::OnMessage(UINT, UINT, UINT, LONG) { return 0; }
void MControl::SetControlRect(CRect rect) { rect_ = rect; }
void MControl::SetControlVisible(BOOL visible) { visible_ = visible; }
void MControl::SetControlWndVisible(BOOL) {}
void MControl::SetControlEnabled(BOOL enabled) { enabled_ = enabled; }
BOOL MControl::OnControlTimer() { return 0; }
HBITMAP MControl::GetControlDropBitmap() { return nullptr; }
BOOL MControl::OnControlMouseMove(UINT, CPoint) { return 0; }
BOOL MControl::OnControlLButtonDown(UINT, CPoint) { return 0; }
BOOL MControl::OnControlLButtonUp(UINT, CPoint) { return 0; }
BOOL MControl::OnControlLButtonDblClk(UINT, CPoint) { return 0; }
BOOL MControl::OnControlScroll(int, UINT, CPoint) { return 0; }
BOOL MControl::OnControlRButtonDown(UINT, CPoint) { return 0; }
BOOL MControl::OnControlRButtonUp(UINT, CPoint) { return 0; }
BOOL MControl::OnControlRButtonDblClk(UINT, CPoint) { return 0; }
BOOL MControl::OnControlKeyDown(UINT, UINT, UINT) { return 0; }
void MControl::OnPositionChange() {}

void MControl::InvalidateRect(const RECT*, BOOL erase) {
  if (manager_ != nullptr) manager_->InvalidateRect(rect_, erase);
}

// ---------------------------------------------------------------- mouse routing

CPoint MControl::PointFor(const MControl* child, CPoint received, CPoint translated) {
  return (child->id_ == 1 || child->id_ == 2) ? received : translated;
}

BOOL MControl::OnMouseMove(UINT flags, CPoint point) {
  if (!visible_ || !mouseResponse_) return 0;
  const CPoint received = point;
  OnMousePointChange(point);

  bool hadActive = false;
  if (activeChild_ != nullptr) {
    const CPoint childPoint = PointFor(activeChild_, received, point);
    if ((activeChild_->PtInRect(childPoint) && activeChild_->OnCheckMouseResponse(flags, childPoint)) ||
        pressedInside_) {
      return activeChild_->OnMouseMove(flags, childPoint) ? 1 : 0;
    }
    activeChild_ = nullptr;
    hadActive = true;
  }
  // The control's own rectangle lies in its owner's coordinates: test it with the point as received.
  if (!tooltip_.IsEmpty() && rect_.PtInRect(received) && OnCheckMouseResponse(flags, received) &&
      manager_ != nullptr && manager_->GetTooltipCtrlID() != static_cast<int>(id_)) {
    SetTooltip(tooltip_, rect_);
  }

  OnControlSetCursor(flags, point);
  BOOL result = OnControlMouseMove(flags, point);
  if (pressedInside_) return result;

  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  for (MControl* child : controls_) {
    const CPoint childPoint = PointFor(child, received, point);
    if (child->OnMouseMove(flags, childPoint)) {
      result = 1;
      if (child->PtInRect(childPoint)) activeChild_ = child;
    }
  }
  if (hadActive || activeChild_ != nullptr) return 1;
  return result ? 1 : 0;
}

void MControl::MoveFocusHere() {
  if (manager_ == nullptr) return;
  MControl* current = manager_->GetFocusControl();
  if (current == this) return;
  if (current != nullptr) current->SetControlFocus(FALSE);
  SetControlFocus(TRUE);
  manager_->AssignFocusControl(this);
}

BOOL MControl::RouteButtonDown(UINT flags, CPoint point, bool left) {
  if (!visible_ || !mouseResponse_) return 0;
  const CPoint received = point;
  OnMousePointChange(point);
  pressedInside_ = rect_.PtInRect(received) ? TRUE : FALSE;
  {
    std::lock_guard<std::recursive_mutex> lock(controlLock_);
    for (MControl* child : controls_) {
      const CPoint childPoint = PointFor(child, received, point);
      if (child->PtInRect(childPoint) && child->visible_ && child->enabled_ && child->mouseResponse_) {
        activeChild_ = child;
      }
    }
  }
  if (activeChild_ != nullptr) {
    const CPoint childPoint = PointFor(activeChild_, received, point);
    const BOOL result = left ? activeChild_->OnLButtonDown(flags, childPoint) : activeChild_->OnRButtonDown(flags, childPoint);
    return result ? 1 : 0;
  }
  MoveFocusHere();
  return left ? OnControlLButtonDown(flags, point) : OnControlRButtonDown(flags, point);
}

BOOL MControl::RouteButtonUp(UINT flags, CPoint point, bool left) {
  if (!visible_ || !mouseResponse_) return 0;
  const CPoint received = point;
  OnMousePointChange(point);
  pressedInside_ = FALSE;
  if (activeChild_ != nullptr) {
    const CPoint childPoint = PointFor(activeChild_, received, point);
    const BOOL result = left ? activeChild_->OnLButtonUp(flags, childPoint) : activeChild_->OnRButtonUp(flags, childPoint);
    return result ? 1 : 0;
  }
  return left ? OnControlLButtonUp(flags, point) : OnControlRButtonUp(flags, point);
}

BOOL MControl::RouteButtonDblClk(UINT flags, CPoint point, bool left) {
  if (!visible_ || !mouseResponse_) return 0;
  const CPoint received = point;
  OnMousePointChange(point);
  pressedInside_ = FALSE;
  if (activeChild_ != nullptr) {
    MControl* child = activeChild_;
    const CPoint childPoint = PointFor(child, received, point);
    const BOOL handled = left ? child->OnLButtonDblClk(flags, childPoint) : child->OnRButtonDblClk(flags, childPoint);
    if (handled) return 1;
    if (!child->dblClkAware_) {
      const BOOL pressed = left ? child->OnLButtonDown(flags, childPoint) : child->OnRButtonDown(flags, childPoint);
      return pressed ? 1 : 0;
    }
    return 0;
  }
  if (!dblClkAware_) return left ? OnControlLButtonDown(flags, point) : OnControlRButtonDown(flags, point);
  return left ? OnControlLButtonDblClk(flags, point) : OnControlRButtonDblClk(flags, point);
}

BOOL MControl::OnLButtonDown(UINT flags, CPoint point) { return RouteButtonDown(flags, point, true); }
BOOL MControl::OnLButtonUp(UINT flags, CPoint point) { return RouteButtonUp(flags, point, true); }
BOOL MControl::OnLButtonDblClk(UINT flags, CPoint point) { return RouteButtonDblClk(flags, point, true); }
BOOL MControl::OnRButtonDown(UINT flags, CPoint point) { return RouteButtonDown(flags, point, false); }
BOOL MControl::OnRButtonUp(UINT flags, CPoint point) { return RouteButtonUp(flags, point, false); }
BOOL MControl::OnRButtonDblClk(UINT flags, CPoint point) { return RouteButtonDblClk(flags, point, false); }

BOOL MControl::OnScroll(int type, UINT direction, CPoint point) {
  if (!visible_ || !mouseResponse_ || !enabled_) return 0;
  const CPoint received = point;
  OnMousePointChange(point);
  if (activeChild_ != nullptr) {
    const CPoint childPoint = PointFor(activeChild_, received, point);
    if (activeChild_->PtInRect(childPoint) && activeChild_->OnCheckMouseResponse(0, childPoint)) {
      return activeChild_->OnScroll(type, direction, childPoint);
    }
  }
  if (!rect_.PtInRect(received)) return 0;
  if (OnControlScroll(type, direction, received)) return 1;
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  for (MControl* child : controls_) {
    const CPoint childPoint = PointFor(child, received, point);
    if (child->PtInRect(childPoint) && child->OnScroll(type, direction, childPoint)) return 1;
  }
  return 0;
}

// ---------------------------------------------------------------- keyboard and timers

BOOL MControl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  MControl* target = this;
  for (;;) {
    if (!target->visible_ || !target->mouseResponse_) return 0;
    MControl* focusedChild = nullptr;
    {
      std::lock_guard<std::recursive_mutex> lock(target->controlLock_);
      for (MControl* child : target->controls_) {
        if (child->focused_) {
          focusedChild = child;
          break;
        }
      }
    }
    if (focusedChild == nullptr) break;
    target = focusedChild;
  }
  if (target->activeChild_ != nullptr && target->activeChild_->OnKeyDown(nChar, nRepCnt, nFlags)) return 1;
  if (target->OnControlKeyDown(nChar, nRepCnt, nFlags)) return 1;
  std::lock_guard<std::recursive_mutex> lock(target->controlLock_);
  for (MControl* child : target->controls_) {
    if (child->OnKeyDown(nChar, nRepCnt, nFlags)) return 1;
  }
  return 0;
}

BOOL MControl::OnKeyUp(UINT, UINT, UINT) { return 0; }

BOOL MControl::OnTimer() {
  const BOOL own = OnControlTimer();
  bool anyChild = false;
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  for (MControl* child : controls_) {
    if (child->runTimer_ && child->visible_ && child->OnTimer()) anyChild = true;
  }
  return anyChild ? 1 : own;
}

// ---------------------------------------------------------------- state changes and requests

void MControl::SetManager(PaintManager* manager) {
  manager_ = manager;
  InitControl(manager);
}

void MControl::SetRect(CRect rect) {
  CRect both;
  both.UnionRect(rect_, rect);
  SetControlRect(rect);
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(both, TRUE, this);
}

void MControl::SetRect(int x, int y, int width, int height) { SetRect(CRect(x, y, x + width, y + height)); }

void MControl::SetVisible(BOOL visible) { SetVisible(visible, TRUE); }

void MControl::SetVisible(BOOL visible, BOOL notify) {
  if (!visible_ == !visible) return;
  SetControlVisible(visible);
  if (notify && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

void MControl::SetEnabled(BOOL enabled) {
  if (!enabled_ == !enabled) return;
  SetControlEnabled(enabled);
  if (visible_ && owner_ != nullptr) owner_->OnControlUpdate(rect_, TRUE, this);
}

BOOL MControl::IsParentVisible() {
  if (owner_ == nullptr) return FALSE;
  if (owner_->IsClass(L"MDialog")) return TRUE;
  auto* parent = dynamic_cast<MControl*>(owner_);
  if (parent == nullptr) return FALSE;  // an owner that is neither a control nor a dialog
  return (parent->visible_ && parent->IsParentVisible()) ? TRUE : FALSE;
}

void MControl::UpdateControl(BOOL refresh, BOOL force) {
  if ((visible_ || force) && owner_ != nullptr) owner_->OnControlUpdate(rect_, refresh, this);
}

void MControl::UpdateControl(CRect rect, BOOL force, BOOL refresh) {
  if ((visible_ || force) && owner_ != nullptr) owner_->OnControlUpdate(rect, refresh, this);
}

void MControl::UpdateAControl(BOOL value, BOOL force) {
  if (!visible_ && !force) return;
  animationPending_ = value ? FALSE : TRUE;
  if (owner_ != nullptr) owner_->OnControlUpdate(rect_, FALSE, this);
}

LONG MControl::SendMessageW(UINT code, UINT wParam, LONG lParam) {
  return owner_ != nullptr ? owner_->OnBaseMessage(id_, code, wParam, lParam) : 0;
}

MControl* MControl::GetControl(UINT id) {
  for (MControl* child : controls_) {
    if (child->id_ == id) return child;
    if (MControl* found = child->GetControl(id)) return found;
  }
  for (MControl* area : areas_) {
    if (area->id_ == id) return area;
    if (MControl* found = area->GetControl(id)) return found;
  }
  return nullptr;
}

void MControl::ForgetChild(MControl* child) {
  if (activeChild_ == child) activeChild_ = nullptr;
}

BOOL MControl::RemoveControl(MControl* control) {
  if (control == nullptr) return 0;
  if (manager_ != nullptr && manager_->GetFocusControl() == control) {
    control->SetControlFocus(FALSE);
    manager_->AssignFocusControl(nullptr);
  }
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it != controls_.end()) {
    controls_.erase(it);
    ForgetChild(control);
    delete control;
  }
  return 0;
}

void MControl::RemoveAllControl() {
  std::vector<MControl*> areas;
  std::vector<MControl*> controls;
  {
    std::lock_guard<std::recursive_mutex> lock(areaLock_);
    areas.swap(areas_);
  }
  for (MControl* area : areas) delete area;
  {
    std::lock_guard<std::recursive_mutex> lock(controlLock_);
    controls.swap(controls_);
    for (MControl* control : controls) ForgetChild(control);
  }
  for (MControl* control : controls) delete control;
}

void MControl::AppendArea(MControl* area) {
  std::lock_guard<std::recursive_mutex> lock(areaLock_);
  areas_.push_back(area);
}

void MControl::AppendControl(MControl* control) {
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  controls_.push_back(control);
}

void MControl::SetTooltip(const wchar_t* text) { tooltip_ = CString(text); }

void MControl::SetTooltip(CString text, CRect rect) {
  if (manager_ == nullptr) return;
  manager_->SetTooltip(text, rect);
  manager_->SetTooltipCtrlID(static_cast<int>(id_));
}

void MControl::ClearTooltip() {
  if (manager_ == nullptr) return;
  manager_->ClearTooltip();
  manager_->SetTooltipCtrlID(0);
}

void MControl::AddMTimer() {
  if (manager_ != nullptr) manager_->AddMTimer(this);
}

BOOL MControl::IsFocusControl() { return (manager_ != nullptr && manager_->GetFocusControl() == this) ? TRUE : FALSE; }

// ---------------------------------------------------------------- drawing

void MControl::Draw(HDC& dc, CRect paintRect) {
  if (!visible_ || !Intersects(rect_, paintRect)) return;
  {
    std::lock_guard<std::recursive_mutex> lock(areaLock_);
    for (MControl* area : areas_) {
      if (Intersects(area->rect_, rect_)) area->Draw(dc, paintRect);
    }
  }
  DrawControl(dc, paintRect);
  DrawSubControls(dc, paintRect);
}

void MControl::UpdateMemDC(HDC& dc, int width, int height) {
  cacheValid_ = TRUE;
  if (width == cache_.width && height == cache_.height && cache_.dc != nullptr) return;
  if (width == cache_.width && height == cache_.height && width <= 0) return;
  ReleaseSurface(cache_);
  CreateSurface(dc, cache_, width, height);
}

void MControl::UpdateAnimateDC(HDC& dc, int width, int height) {
  animationPending_ = TRUE;
  ReleaseSurface(animation_);
  CreateSurface(dc, animation_, width, height);
}

int MControl::PositionItem2Value(const FS_POSITION_ITEM& item, int start, int end) {
  const int v = static_cast<int>(item.value);
  switch (item.type) {
    case 0:
      return item.fromEnd ? end - v : start + v;
    case 1:
      return start + (end - start) / 2 + (item.fromEnd ? -v : v);
    case 2: {
      const int offset = static_cast<int>(static_cast<float>(end - start) * item.value / 100.0f);
      return std::min(start + offset, end);
    }
    default:
      return 0;
  }
}

}  // namespace Zelvo
