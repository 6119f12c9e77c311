#include "toolkit/window/paint_manager.h"

#include <algorithm>

#include "platform/core/window_api.h"
#include "toolkit/core/control_factory.h"
#include "toolkit/core/mcontrol.h"

namespace Zelvo {

namespace {
bool Intersects(const CRect& a, const CRect& b) {
  CRect common;
  return common.IntersectRect(a, b);
}
}  // namespace

PaintManager::PaintManager() = default;

PaintManager::~PaintManager() {
  ClearAllControls();
  ClearImgResInfo();
  ClearTempFont();
}

// ---------------------------------------------------------------- factory

MControl* PaintManager::Create(UINT mode, MObject* owner, const wchar_t* className, UINT id, CRect rect,
                               const wchar_t* title, int p1, int p2) {
  // Only the two lists own controls; a control made for neither would never be freed.
  if (mode != 0 && mode != 1) return nullptr;
  MControl* control = ConstructControl(FactoryLevel::Window, owner, className, id, rect, title, p1, p2);
  if (control == nullptr) return nullptr;
  control->SetManager(this);
  if (mode == 0) {
    std::lock_guard<std::recursive_mutex> lock(areaLock_);
    areas_.push_back(control);
  } else {
    std::lock_guard<std::recursive_mutex> lock(controlLock_);
    controls_.push_back(control);
  }
  return control;
}

MControl* PaintManager::CreateControl(UINT mode, MObject* owner, const wchar_t* className, UINT id, CRect rect,
                                      const wchar_t* title, int p1, int p2) {
  return Create(mode, owner, className, id, rect, title, p1, p2);
}

MControl* PaintManager::CreateArea(MObject* owner, const wchar_t* className, UINT id, CRect rect,
                                   const wchar_t* title, int p1, int p2) {
  return Create(0, owner, className, id, rect, title, p1, p2);
}

MControl* PaintManager::CreateControl(MObject* owner, const wchar_t* className, UINT id, CRect rect,
                                      const wchar_t* title, int p1, int p2) {
  return Create(1, owner, className, id, rect, title, p1, p2);
}

// ---------------------------------------------------------------- lists

MControl* PaintManager::GetControl(UINT id) {
  for (MControl* control : controls_) {
    if (control->GetControlID() == id) return control;
    if (MControl* found = control->GetControl(id)) return found;
  }
  for (MControl* area : areas_) {
    if (area->GetControlID() == id) return area;
    if (MControl* found = area->GetControl(id)) return found;
  }
  return nullptr;
}

void PaintManager::RemoveControl(MControl* control) {
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  delete control;
}

void PaintManager::ClearAreaControls() {
  std::lock_guard<std::recursive_mutex> lock(areaLock_);
  std::vector<MControl*> doomed;
  doomed.swap(areas_);
  for (MControl* area : doomed) delete area;
}

void PaintManager::ClearControls() {
  std::lock_guard<std::recursive_mutex> lock(controlLock_);
  std::vector<MControl*> doomed;
  doomed.swap(controls_);
  for (MControl* control : doomed) delete control;
}

void PaintManager::ClearAllControls() {
  ClearAreaControls();
  ClearControls();
}

// ---------------------------------------------------------------- hover, focus, tooltip, animation

void PaintManager::SetFocusControl(MControl* control) {
  if (control == focusControl_) return;
  if (focusControl_ != nullptr) focusControl_->SetControlFocus(FALSE);
  if (control != nullptr) control->SetControlFocus(TRUE);
  focusControl_ = control;
}

void PaintManager::SetTooltip(const CString& text, CRect rect) {
  tooltipText_ = text;
  tooltipRect_ = rect;
}

void PaintManager::ClearTooltip() {
  tooltipText_.Empty();
  tooltipRect_ = CRect();
}

BOOL PaintManager::AddMTimer(MControl* control) {
  std::lock_guard<std::recursive_mutex> lock(animationLock_);
  animationControls_.push_back(control);
  return TRUE;
}

BOOL PaintManager::DeleteFSTimer(MControl* control) {
  std::lock_guard<std::recursive_mutex> lock(animationLock_);
  auto it = std::find(animationControls_.begin(), animationControls_.end(), control);
  if (it == animationControls_.end()) return FALSE;
  animationControls_.erase(it);
  return TRUE;
}

std::vector<MControl*> PaintManager::GetAnimationControls() {
  std::lock_guard<std::recursive_mutex> lock(animationLock_);
  return animationControls_;
}

void PaintManager::ForgetControl(MControl* control) {
  if (hoverControl_ == control) hoverControl_ = nullptr;
  if (focusControl_ == control) focusControl_ = nullptr;
  std::lock_guard<std::recursive_mutex> lock(animationLock_);
  animationControls_.erase(std::remove(animationControls_.begin(), animationControls_.end(), control),
                           animationControls_.end());
}

// ---------------------------------------------------------------- repaint requests

LRESULT PaintManager::OnControlUpdate(CRect rect, BOOL refresh, MControl* control) {
  if (control == nullptr) return 0;
  if (refresh) control->SetUpdate(FALSE, fillColour_);
  CRect dirty = rect;
  if (initialised_) {
    bool met = false;
    auto markAbove = [&](std::vector<MControl*>& list) {
      for (MControl* other : list) {
        if (other == control) {
          met = true;
          continue;
        }
        if (met && other->IsVisible() && Intersects(other->GetRect(), rect)) {
          CRect grown;
          grown.UnionRect(dirty, other->GetRect());
          dirty = grown;
          other->SetUpdate(FALSE, fillColour_);
        }
      }
    };
    {
      std::lock_guard<std::recursive_mutex> lock(areaLock_);
      markAbove(areas_);
    }
    {
      std::lock_guard<std::recursive_mutex> lock(controlLock_);
      markAbove(controls_);
    }
  }
  InvalidateRect(dirty, FALSE);
  return 0;
}

void PaintManager::InvalidateRect(CRect rect, BOOL erase) {
  if (window_ == nullptr || !IsWindow(window_)) return;
  if (layered_) {
    ::InvalidateRect(window_, nullptr, TRUE);
  } else {
    ::InvalidateRect(window_, &rect, erase);
  }
}

void PaintManager::Invalidate() {
  if (window_ != nullptr && IsWindow(window_)) ::InvalidateRect(window_, nullptr, FALSE);
}

}  // namespace Zelvo
